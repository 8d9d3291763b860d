// The thread window and export and import over a scripted core: the tree of a conversation,
// a selection that drives the message box, the refresh after a deletion, the box held busy
// while the window is open; what an export hands to the core and what it refuses; and
// pictures of the thread window and the file dialogs (at the scale the suite runs with).
#include "TrovaneAppFixture.h"
#include "imframe/CImFrame.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneExchangeDialogs.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneThreadDialog.h"
#include "plugin/im/trovane/CTrovaneThreadModel.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace TrovaneBox;
namespace Cmd = TrovaneCmd;

namespace {

QString ShotName(const QString& name) {
    const QString scale =
        qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_qs) == u"2"_qs ? u"200"_qs : u"100"_qs;
    const QString artifacts = qEnvironmentVariable("ZELTA_TEST_DIR") + u"/artifacts"_qs;
    QDir().mkpath(artifacts);
    return artifacts + u'/' + name + u'-' + scale + u".png"_qs;
}

class TrovaneThreadExportTest : public TrovaneAppFixture {
protected:
    void SetUp() override {
        TrovaneAppFixture::SetUp();
        ScriptedCore::AddMember(u"me"_qs, u"山田"_qs, QString(), u"太郎"_qs);
        ScriptedCore::AddMember(u"sato"_qs, u"佐藤"_qs, QString(), u"花子"_qs);
        app->SetWarning(
            [this](const QString& title, const QString& text) { warnings << title + u'|' + text; });
        app->SetInform([this](const QString&, const QString& text) { informed << text; });
        app->SetExportPath([this] {
            ++pathAsked;
            return chosenPath;
        });
        app->SetImportPath([this] {
            ++pathAsked;
            return chosenPath;
        });
        LogOn();
        res = CImFrame::Instance().Obrix().GetIMResHandle();
    }
    QString T(uint32_t id) { return CResourceLoader::LoadString(res, id); }
    // A message answering `reference`, received (or sent by me) at 10:mm.
    void Add(const QString& id, const QString& reference, const QString& subject, int minute,
             int32_t box = ObrixBox::Received) {
        CLetrix m;
        m.SetMessageID(id);
        m.SetReferenceID(reference);
        m.SetFromID(box == ObrixBox::Received ? u"sato"_qs : u"me"_qs);
        m.SetFromName(box == ObrixBox::Received ? u"佐藤  花子"_qs : u"山田  太郎"_qs);
        m.AddDst(CLetrix::DST_TO, box == ObrixBox::Received ? u"me"_qs : u"sato"_qs);
        m.SetSubject(subject);
        m.SetMessage(u"<P>"_qs + subject + u"</P>"_qs);
        m.SetFlags(LETRIX_FLAG_READ);
        m.SetSendTime(QStringLiteral("202612071030%1").arg(minute, 2, 10, QLatin1Char('0')), 0);
        ScriptedCore::AddMessage(box, m);
        const QString mid = m.GetMessageID();
        if (box == ObrixBox::Received)
            app->OnRecvMessage(reinterpret_cast<const char16_t*>(mid.utf16()));
        else
            app->OnSendMessage(reinterpret_cast<const char16_t*>(mid.utf16()));
    }
    CTrovaneFrame* Shown() {
        app->OnBegin(0, 0);
        app->Frame()->show();
        return app->Frame();
    }
    void SelectRowOf(const QString& id, bool received = true) {
        CTrovaneFrame* frame = app->Frame();
        const CTrovaneMessage* e = app->Store().FindEntry(id, received);
        ASSERT_NE(e, nullptr);
        frame->SelectFolder(e->FolderID());
        const int row = frame->ListModel()->RowOf(e->LocalNumber());
        ASSERT_GE(row, 0);
        frame->List()->clearSelection();
        frame->List()->selectRow(row);
    }
    QString Subject(const QModelIndex& index) { return index.data(Qt::DisplayRole).toString(); }

    void* res = nullptr;
    QStringList warnings;
    QStringList informed;
    QString chosenPath;
    int pathAsked = 0;
};

} // namespace

TEST_F(TrovaneThreadExportTest, ThreadWindowShowsTheConversationAndDrivesTheBox) {
    Add(u"a"_qs, {}, u"見積もりのお願い"_qs, 1);
    Add(u"b"_qs, u"a"_qs, u"Re: 見積もりのお願い"_qs, 2, ObrixBox::Sent);
    Add(u"c"_qs, u"b"_qs, u"Re: Re: 見積もりのお願い"_qs, 3);
    Add(u"d"_qs, u"a"_qs, u"Re: 見積もりのお願い（追加）"_qs, 4);
    Add(u"other"_qs, {}, u"昼食会"_qs, 5);
    // A received message's walk stays among received messages: "c" answers the sent "b",
    // which the walk does not look for, so "c" is its own root.
    CTrovaneFrame* frame = Shown();
    SelectRowOf(u"c"_qs);
    frame->Execute(Cmd::ThreadTree);
    CTrovaneThreadDialog* thread = frame->ThreadDialog();
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(thread->isVisible());
    CTrovaneThreadModel* model = thread->Model();
    const QModelIndex root = model->index(0, 0);
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(Subject(root), u"Re: Re: 見積もりのお願い"_qs);
    EXPECT_EQ(model->rowCount(root), 0);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), T(392));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), T(391));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), T(393));
    thread->close();
    QTest::qWait(10);

    SelectRowOf(u"d"_qs);
    frame->Execute(Cmd::ThreadTree);
    thread = frame->ThreadDialog();
    ASSERT_NE(thread, nullptr);
    model = thread->Model();
    const QModelIndex a = model->index(0, 0);
    EXPECT_EQ(Subject(a), u"見積もりのお願い"_qs);
    // Replies of any kind: the sent "b" with its answer "c", then "d".
    ASSERT_EQ(model->rowCount(a), 2);
    EXPECT_EQ(model->rowCount(model->index(0, 0, a)), 1);
    EXPECT_EQ(Subject(model->index(1, 0, a)), u"Re: 見積もりのお願い（追加）"_qs);
    EXPECT_EQ(thread->Selected(), app->Store().FindEntry(u"d"_qs, true)->LocalNumber());
    EXPECT_EQ(model->index(0, 1, {}).data().toString(), u"佐藤  花子"_qs);
    EXPECT_FALSE(model->index(0, 0, {}).data(Qt::DecorationRole).isNull());

    // The box is busy while the window is open.
    EXPECT_TRUE(frame->Busy());
    warnings.clear();
    frame->List()->setFocus();
    frame->Execute(Cmd::MessagesToTrash);
    EXPECT_EQ(warnings, QStringList{frame->windowTitle() + u'|' + T(910)});
    EXPECT_NE(app->Store().FindEntry(u"d"_qs, true)->FolderID(), TrashFolder);

    // Choosing a node makes its folder current and selects its row.
    const uint32_t aNumber = app->Store().FindEntry(u"a"_qs, true)->LocalNumber();
    thread->Tree()->setCurrentIndex(model->IndexOf(aNumber));
    const QModelIndexList rows = frame->List()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(frame->ListModel()->Entry(rows[0].row())->LocalNumber(), aNumber);

    QTest::qWait(30);
    EXPECT_TRUE(thread->grab().save(ShotName(u"trovane-thread"_qs)));

    // The keyboard walks the tree: Down moves to the next message and shows it in the box.
    thread->activateWindow();
    thread->Tree()->setFocus();
    QTest::keyClick(thread->Tree(), Qt::Key_Down);
    const uint32_t bNumber = app->Store().FindEntry(u"b"_qs, false)->LocalNumber();
    EXPECT_EQ(thread->Selected(), bNumber);
    EXPECT_EQ(frame->CurrentFolder(), SentFolder);

    thread->close();
    QTest::qWait(10);
    EXPECT_FALSE(frame->Busy());
}

TEST_F(TrovaneThreadExportTest, ThreadWindowRefreshesInPlaceAfterTheMiddleMessageIsDeleted) {
    Add(u"a"_qs, {}, u"議題"_qs, 1);
    Add(u"b"_qs, u"a"_qs, u"Re: 議題"_qs, 2);
    Add(u"c"_qs, u"b"_qs, u"Re: Re: 議題"_qs, 3);
    CTrovaneFrame* frame = Shown();
    SelectRowOf(u"a"_qs);
    frame->Execute(Cmd::ThreadTree);
    CTrovaneThreadDialog* thread = frame->ThreadDialog();
    ASSERT_NE(thread, nullptr);
    CTrovaneThreadModel* model = thread->Model();
    ASSERT_EQ(model->Tree().NodeCount(), 3);
    QPersistentModelIndex rootIndex = model->index(0, 0);
    thread->close();
    QTest::qWait(10);
    ASSERT_FALSE(frame->ThreadDialog());

    // The busy guard is lifted; the middle message leaves the box for good.
    app->Store().DeleteEntry(app->Store().FindEntry(u"b"_qs, true));
    SelectRowOf(u"a"_qs);
    frame->Execute(Cmd::ThreadTree);
    thread = frame->ThreadDialog();
    model = thread->Model();
    rootIndex = model->index(0, 0);
    Add(u"b2"_qs, u"a"_qs, u"Re: 議題 (2)"_qs, 4);
    frame->Refresh();
    EXPECT_TRUE(rootIndex.isValid()); // updated in place: the root row stays
    EXPECT_EQ(model->rowCount(rootIndex), 1);
    EXPECT_EQ(Subject(model->index(0, 0, rootIndex)), u"Re: 議題 (2)"_qs);
    thread->close();
}

TEST_F(TrovaneThreadExportTest, ExportWithOnlyTrashContentWarnsAndWritesNothing) {
    Add(u"a"_qs, {}, u"古い連絡"_qs, 1);
    Add(u"s"_qs, {}, u"送信済み"_qs, 2, ObrixBox::Sent);
    for (const CTrovaneMessage* e : app->Store().Entries())
        app->Store().MoveEntry(TrashFolder, e->LocalNumber());
    chosenPath = dir.filePath(u"out.zdc"_qs);
    ScriptedCore::ClearCalls();
    EXPECT_FALSE(app->ExportMessages());
    EXPECT_EQ(warnings, QStringList{T(823) + u'|' + T(906)});
    EXPECT_TRUE(ScriptedCore::CallsOf(u"ExportMessage"_qs).isEmpty());
    EXPECT_EQ(pathAsked, 0);
    EXPECT_FALSE(QFile::exists(chosenPath));
    // The menu item is off as well.
    CTrovaneFrame* frame = Shown();
    EXPECT_FALSE(frame->IsCommandEnabled(Cmd::Export));
}

TEST_F(TrovaneThreadExportTest, ExportHandsDraftsSentAndReceivedToTheCoreInThatOrder) {
    Add(u"r"_qs, {}, u"受信"_qs, 1);
    Add(u"s"_qs, {}, u"送信"_qs, 2, ObrixBox::Sent);
    Add(u"gone"_qs, {}, u"削除"_qs, 3);
    app->Store().MoveEntry(TrashFolder, app->Store().FindEntry(u"gone"_qs, true)->LocalNumber());
    CLetrix draft;
    draft.SetMessageID(u"d"_qs);
    draft.SetSubject(u"下書き"_qs);
    ScriptedCore::AddMessage(ObrixBox::Draft, draft);
    app->OnBegin(1, reinterpret_cast<intptr_t>(u"d"));
    ScriptedCore::ClearCalls();

    chosenPath.clear(); // cancelled
    EXPECT_FALSE(app->ExportMessages());
    EXPECT_TRUE(ScriptedCore::CallsOf(u"ExportMessage"_qs).isEmpty());

    chosenPath = dir.filePath(u"out.zdc"_qs);
    ScriptedCore::SetResult(u"ExportMessage"_qs, 1);
    EXPECT_TRUE(app->ExportMessages());
    const QStringList calls = ScriptedCore::CallsOf(u"ExportMessage"_qs);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0], u"ExportMessage\t"_qs + chosenPath + u"\td\ts\tr"_qs);
    EXPECT_TRUE(warnings.isEmpty());

    ScriptedCore::SetResult(u"ExportMessage"_qs, 0);
    EXPECT_FALSE(app->ExportMessages());
    EXPECT_EQ(warnings, QStringList{T(823) + u'|' + T(1160)});
}

TEST_F(TrovaneThreadExportTest, ImportRefusedByTheCoreChangesNothing) {
    Add(u"r"_qs, {}, u"受信"_qs, 1);
    const int before = app->Store().EntryCount();
    chosenPath.clear();
    EXPECT_EQ(app->ImportMessages(), -1);
    EXPECT_TRUE(ScriptedCore::CallsOf(u"ImportMessage"_qs).isEmpty());
    chosenPath = dir.filePath(u"in.zdc"_qs);
    ScriptedCore::SetResult(u"ImportMessage"_qs, 0);
    EXPECT_EQ(app->ImportMessages(), -1);
    EXPECT_EQ(ScriptedCore::CallsOf(u"ImportMessage"_qs).size(), 1);
    EXPECT_EQ(warnings, QStringList{T(823) + u'|' + T(1161)});
    EXPECT_EQ(app->Store().EntryCount(), before);
    EXPECT_TRUE(informed.isEmpty());
}

TEST_F(TrovaneThreadExportTest, PicturesOfTheExportAndImportDialogs) {
    CTrovaneFrame* frame = Shown();
    QDir::setCurrent(dir.path());
    for (bool exporting : {true, false}) {
        std::unique_ptr<QFileDialog> dialog(
            exporting ? CTrovaneExchangeDialogs::MakeExportDialog(res, frame)
                      : CTrovaneExchangeDialogs::MakeImportDialog(res, frame));
        dialog->setDirectory(dir.path());
        EXPECT_EQ(dialog->defaultSuffix(), u"zdc"_qs);
        EXPECT_EQ(dialog->nameFilters().first(), T(1142));
        EXPECT_EQ(dialog->windowTitle(), T(exporting ? 1143 : 1144));
        EXPECT_EQ(dialog->acceptMode(),
                  exporting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), exporting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->show();
        QTest::qWait(50);
        EXPECT_TRUE(
            dialog->grab().save(ShotName(exporting ? u"trovane-export"_qs : u"trovane-import"_qs)));
    }
}

TEST_F(TrovaneThreadExportTest, ImportFilesNewMessagesRefusesKnownOnesAndReleasesTheList) {
    Add(u"known"_qs, {}, u"受信済み"_qs, 1);
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    ASSERT_EQ(frame->ListModel()->rowCount(), 1);
    // The core has stored the file's messages in its directory before it hands out the IDs.
    CLetrix draft;
    draft.SetMessageID(u"d"_qs);
    draft.SetSubject(u"下書き"_qs);
    ScriptedCore::AddMessage(ObrixBox::Draft, draft);
    CLetrix fresh;
    fresh.SetMessageID(u"new"_qs);
    fresh.SetFromID(u"sato"_qs);
    fresh.SetSubject(u"新しい連絡"_qs);
    ScriptedCore::AddMessage(ObrixBox::Received, fresh);
    ScriptedCore::SetImportIds({u"d"_qs}, {u"lost"_qs}, {u"known"_qs, u"new"_qs});
    chosenPath = dir.filePath(u"in.zdc"_qs);

    EXPECT_EQ(app->ImportMessages(), 2);
    EXPECT_EQ(app->Store().FindEntry(u"d"_qs, false)->FolderID(), DraftsFolder);
    EXPECT_EQ(app->Store().FindEntry(u"new"_qs, true)->FolderID(), ReceivedFolder);
    EXPECT_EQ(app->Store().FindEntry(u"lost"_qs, false), nullptr);
    EXPECT_EQ(frame->ListModel()->rowCount(), 2); // the new row is on show
    EXPECT_EQ(ScriptedCore::CallsOf(u"CleanupImport"_qs), QStringList{u"CleanupImport\t4"_qs});
    EXPECT_EQ(ScriptedCore::OutstandingImports(), 0);
    EXPECT_EQ(informed, QStringList{CResourceLoader::FormatText(T(1162), {2, 1})});

    // The same file again adds nothing.
    ScriptedCore::SetImportIds({u"d"_qs}, {}, {u"known"_qs, u"new"_qs});
    EXPECT_EQ(app->ImportMessages(), 0);
    EXPECT_EQ(app->Store().EntryCount(), 3);
}
