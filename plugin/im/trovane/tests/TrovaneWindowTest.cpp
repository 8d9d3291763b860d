// The message box window over a scripted core: the tree's counts and weights, the list's rows,
// reading a message through the preview, new arrivals in place, and a screenshot of the
// window (at the scale the suite runs with).
#include "TrovaneAppFixture.h"
#include "imframe/MessageBoxRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovanePreview.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

using namespace TrovaneBox;

namespace {

CLetrix Message(const QString& id, const QString& subject, int minute, const QString& body,
                uint32_t flags = 0) {
    CLetrix m;
    m.SetMessageID(id);
    m.SetFromID(u"sato"_qs);
    m.SetFromName(u"佐藤  花子"_qs);
    m.AddDst(CLetrix::DST_TO, u"me"_qs);
    m.SetSubject(subject);
    m.SetMessage(body);
    m.SetFlags(flags);
    m.SetSendTime(QStringLiteral("202612070930%1").arg(minute, 2, 10, QLatin1Char('0')), 0);
    return m;
}

class TrovaneWindowTest : public TrovaneAppFixture {
protected:
    void SetUp() override {
        TrovaneAppFixture::SetUp();
        ScriptedCore::AddMember(u"me"_qs, u"山田"_qs, QString(), u"太郎"_qs);
        ScriptedCore::AddMember(u"sato"_qs, u"佐藤"_qs, QString(), u"花子"_qs);
        LogOn();
        CTrovaneFolder f;
        f.nID = 16;
        f.nParentID = ReceivedFolder;
        f.strName = u"プロジェクト"_qs;
        f.nFlags = ListsReceived;
        app->Store().AddFolder(f);
        CTrovaneTransCond c;
        c.nScope = CTrovaneTransCond::ScopeSubject;
        c.strKeyword = u"【案件】"_qs;
        c.nFolder = 16;
        app->TransConds().Append(c);
    }
    void Receive(const CLetrix& m) {
        ScriptedCore::AddMessage(ObrixBox::Received, m);
        const QString id = m.GetMessageID();
        app->OnRecvMessage(reinterpret_cast<const char16_t*>(id.utf16()));
    }
    CTrovaneFrame* Shown() {
        app->OnBegin(MessageBoxBegin::Show, 0);
        CTrovaneFrame* frame = app->Frame();
        frame->Refresh();
        return frame;
    }
    QModelIndex Node(uint32_t folder) { return app->Frame()->TreeModel()->IndexOf(folder); }
    bool NodeBold(uint32_t folder) { return Node(folder).data(Qt::FontRole).value<QFont>().bold(); }
};

} // namespace

TEST_F(TrovaneWindowTest, AFiledMessageShowsBoldWithItsCountAndReadingItLowersTheCount) {
    Receive(Message(u"m1"_qs, u"【案件】見積もりの件"_qs, 1, u"<P>ご確認ください。</P>"_qs));
    Receive(Message(u"m2"_qs, u"昼食会"_qs, 2, u"<P>12 時から</P>"_qs, LETRIX_FLAG_READ));
    CTrovaneFrame* frame = Shown();
    ASSERT_TRUE(frame->isVisible());

    EXPECT_EQ(Node(16).data(CTrovaneTreeModel::UnreadCountRole).toInt(), 1);
    EXPECT_TRUE(NodeBold(16));
    EXPECT_TRUE(NodeBold(ReceivedFolder)) << "collapsed with unread below";
    frame->Tree()->expand(Node(ReceivedFolder));
    EXPECT_FALSE(NodeBold(ReceivedFolder)) << "expanded, nothing unread directly in it";

    frame->SelectFolder(16);
    CTrovaneListModel* list = frame->ListModel();
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_TRUE(list->index(0, 1).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(list->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"差出人"_qs);
    EXPECT_EQ(frame->StatusText(), u"未読 1 件／全 1 件"_qs);

    frame->List()->selectRow(0);
    EXPECT_EQ(ScriptedCore::CallsOf(u"SetReadMessage"_qs),
              QStringList({u"SetReadMessage\t2\tm1"_qs}));
    EXPECT_TRUE(frame->Preview()->Body()->toPlainText().contains(u"ご確認ください。"_qs));
    EXPECT_TRUE(frame->Preview()->Header()->toPlainText().startsWith(u"件名: 【案件】"_qs));

    // The core reports the new flags: the row and the folder lose their weight.
    app->OnChangeMessageFlags(ObrixBox::Received, u"m1", LETRIX_FLAG_READ);
    EXPECT_FALSE(list->index(0, 1).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(Node(16).data(CTrovaneTreeModel::UnreadCountRole).toInt(), 0);
    EXPECT_FALSE(NodeBold(16));
    EXPECT_EQ(frame->StatusText(), u"未読 0 件／全 1 件"_qs);
}

TEST_F(TrovaneWindowTest, NewArrivalsTakeTheirPlaceInTheSortedList) {
    Receive(Message(u"a"_qs, u"朝"_qs, 10, QString()));
    Receive(Message(u"c"_qs, u"夜"_qs, 30, QString()));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    CTrovaneListModel* list = frame->ListModel();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->Entry(0)->GetMessageID(), u"c"_qs) << "newest first";
    Receive(Message(u"b"_qs, u"昼"_qs, 20, QString()));
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->Entry(1)->GetMessageID(), u"b"_qs);
}

TEST_F(TrovaneWindowTest, HostileBodiesRenderInertlyAndAppLinksPostTheirCommand) {
    CTrovaneHtmlView view;
    view.SetCommandTable({{u"Find"_qs, 32700}});
    QSignalSpy commands(&view, &CTrovaneHtmlView::Command);
    emit view.anchorClicked(QUrl(u"APP:fInD"_qs));
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0][0].toInt(), 32700);
    emit view.anchorClicked(QUrl(u"app:unknown"_qs));
    emit view.anchorClicked(QUrl(u"file:///etc/passwd"_qs));
    EXPECT_EQ(commands.size(), 1);

    const QString line(1 << 20, u'あ');
    Receive(
        Message(u"evil"_qs, u"危険"_qs, 5,
                u"<BODY><script>alert(1)</script><iframe src=\"http://127.0.0.1:9/x\">"
                u"</iframe><img src=\"http://127.0.0.1:9/p.png\"><a href=\"file:///etc\">f</a>"_qs +
                    line + u"</BODY>"_qs));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    frame->List()->selectRow(0);
    const QString text = frame->Preview()->Body()->toPlainText();
    EXPECT_FALSE(text.contains(u"alert"_qs));
    EXPECT_TRUE(text.contains(line.left(100)));
    EXPECT_FALSE(frame->Preview()->Body()->openLinks());
}

TEST_F(TrovaneWindowTest, ScreenshotOfTheWindowWithAnAttachment) {
    Receive(Message(
        u"m1"_qs, u"【案件】見積もりの件"_qs, 1,
        u"<BODY><P>佐藤です。見積書を添付します。</P><P>ご確認のほど、よろしくお願いいたします。"
        u"</P><OBJECT>見積書.pdf</OBJECT></BODY>"_qs));
    Receive(Message(u"m2"_qs, u"【案件】日程調整"_qs, 2, u"<P>来週の打ち合わせ</P>"_qs,
                    LETRIX_FLAG_READ | LETRIX_FLAG_REPLY));
    Receive(Message(u"m3"_qs, u"昼食会のお知らせ"_qs, 3, u"<P>12 時から</P>"_qs));
    CTrovaneFrame* frame = Shown();
    frame->resize(760, 520);
    frame->SelectFolder(16);
    frame->List()->selectRow(1);
    ASSERT_TRUE(frame->Preview()->AttachmentList()->isVisible());
    EXPECT_EQ(frame->Preview()->AttachmentList()->item(0)->text(), u"見積書.pdf"_qs);
    QTest::qWait(50);

    const QString scale =
        qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_qs) == u"2"_qs ? u"200"_qs : u"100"_qs;
    const QString artifacts = qEnvironmentVariable("ZELTA_TEST_DIR") + u"/artifacts"_qs;
    QDir().mkpath(artifacts);
    EXPECT_TRUE(frame->grab().save(artifacts + u"/trovane-frame-"_qs + scale + u".png"_qs));
}

TEST_F(TrovaneWindowTest, OpeningAndMarkingGoThroughTheCoreAndPlacementIsKept) {
    Receive(Message(u"r1"_qs, u"昼食会"_qs, 1, u"<P>x</P>"_qs, LETRIX_FLAG_READ));
    CLetrix draft = Message(u"d1"_qs, u"下書き"_qs, 2, u"<P>書きかけ</P>"_qs);
    ScriptedCore::AddMessage(ObrixBox::Draft, draft);
    app->OnBegin(MessageBoxBegin::DraftStored, reinterpret_cast<intptr_t>(u"d1"));
    CTrovaneFrame* frame = Shown();

    frame->SelectFolder(ReceivedFolder);
    const QModelIndex mark = frame->ListModel()->index(0, 0);
    emit frame->List()->clicked(mark);
    EXPECT_TRUE(app->Store().FindEntry(u"r1"_qs, true)->IsDogear());
    EXPECT_EQ(ScriptedCore::CallsOf(u"SetDogearMessage"_qs),
              QStringList({u"SetDogearMessage\t2\tr1\t1"_qs}));
    emit frame->List()->activated(mark);
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs), QStringList({u"Begin\t4\t5\t1"_qs}));

    // A draft opens for editing again and leaves the core and the box.
    ScriptedCore::ClearCalls();
    frame->SelectFolder(DraftsFolder);
    emit frame->List()->activated(frame->ListModel()->index(0, 1));
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs), QStringList({u"Begin\t4\t4\t1"_qs}));
    EXPECT_EQ(ScriptedCore::CallsOf(u"RemoveMessage"_qs).size(), 1);
    EXPECT_EQ(app->Store().FindEntry(u"d1"_qs, false), nullptr);
    EXPECT_EQ(frame->ListModel()->rowCount(), 0);

    frame->SetPlacement({QRect(120, 80, 700, 500), 220, 160});
    app->OnLogoff(1);
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Top"_qs), 120) << "Top is the left edge";
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Left"_qs), 80);
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Width"_qs), 700);
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"TreeWidth"_qs), 220);
    app->OnLogon(1);
    EXPECT_EQ(app->Frame()->Placement().window.width(), 700);
}
