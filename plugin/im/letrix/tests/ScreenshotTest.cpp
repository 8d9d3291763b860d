// Pictures of every window and dialog of the message plug-in at the scale this suite runs with
// (QT_SCALE_FACTOR), saved under <test dir>/artifacts, with checks that the texts fit.
#include "LetrixTestSupport.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CAddressEdit.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesNoticeWnd.h"
#include "plugin/im/letrix/CIMMesPropDialog.h"
#include "plugin/im/letrix/CIMMesRecvFrame.h"
#include "plugin/im/letrix/CLetrixApp.h"
#include "plugin/im/letrix/CMessageEditView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QString Shot(const QString& name) {
    const QString dir = qEnvironmentVariable("ZELTA_TEST_DIR") + QStringLiteral("/artifacts/");
    QDir().mkpath(dir);
    const int scale =
        qRound(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    return dir + QStringLiteral("letrix-%1-%2x.png").arg(name).arg(scale);
}

// Every label and button shows its whole text.
void ExpectTextsFit(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->wordWrap())
            continue;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->text().toStdString();
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        // The mnemonic marker is not drawn.
        const QString shown = QString(button->text()).remove(u'&');
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(shown))
            << button->text().toStdString();
    }
}

class Screens : public LetrixTest {
protected:
    void SetUp() override {
        LetrixTest::SetUp();
        app = std::make_unique<CLetrixApp>();
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        LetrixTest::TearDown();
    }
    std::unique_ptr<CLetrixApp> app;
    QTemporaryDir dir;
};

} // namespace

TEST_F(Screens, ComposeWindowWithEveryBar) {
    CLetrix earlier;
    earlier.SetMessageID(QStringLiteral("m-1"));
    earlier.SetFromID(QStringLiteral("taro"));
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("me,hana"));
    earlier.AddDst(CLetrix::DST_CC, QStringLiteral("all@sales"));
    earlier.SetSubject(QStringLiteral("来週の打ち合わせについて"));
    earlier.SetMessage(QStringLiteral(
        "<BODY BGCOLOR=\"#FFFFFF\"><FONT face=\"Noto Sans CJK JP\" size=\"3\" color=\"#000080\">"
        "来週の打ち合わせは水曜 10 時からです。<BR>資料をご確認ください。</FONT></BODY>"));
    const tagMESBEGIN data{ObrixBox::Received, earlier.Record()};
    app->OnBegin(MessageBegin::ReplyToAll, intptr_t(&data));
    ASSERT_EQ(app->ComposeWindows().size(), 1);
    CIMMesEditFrame* frame = app->ComposeWindows().front();
    frame->CcEdit()->setText(kSales);
    frame->CcBar()->show();
    frame->BccBar()->show();
    for (const char* name : {"見積書.pdf", "README"}) {
        ASSERT_TRUE(frame->AddAttachment(WriteTestFile(dir, QString::fromUtf8(name), "content")));
    }
    frame->Body()->insertPlainText(QStringLiteral("承知しました。"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    QTest::qWait(50);
    ExpectTextsFit(frame);
    EXPECT_TRUE(frame->grab().save(Shot(QStringLiteral("compose"))));

    app->OnBegin(MessageBegin::New, 0);
    CIMMesEditFrame* empty = app->ComposeWindows().back();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(empty));
    QTest::qWait(50);
    EXPECT_TRUE(empty->grab().save(Shot(QStringLiteral("compose-new"))));
}

TEST_F(Screens, OptionDialog) {
    app->OnOption();
    CIMMesPropDialog* dlg = app->OptionDialog();
    ASSERT_TRUE(dlg);
    dlg->ToneButton(1)->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    QTest::qWait(50);
    ExpectTextsFit(dlg);
    EXPECT_TRUE(dlg->grab().save(Shot(QStringLiteral("options"))));
}

TEST_F(Screens, ReceiveWindowAndNotice) {
    ASSERT_TRUE(dir.isValid());
    ScriptedCore::SetRoot(dir.path());
    app->OnLogon(1);
    CLetrix m;
    m.SetMessageID(QStringLiteral("r-1"));
    m.SetFromID(QStringLiteral("taro"));
    m.SetFromName(QStringLiteral("山田太郎"));
    m.AddDst(CLetrix::DST_TO, QStringLiteral("me,hana"));
    m.AddDst(CLetrix::DST_CC, QStringLiteral("all@sales"));
    m.AddDst(CLetrix::DST_BCC, QStringLiteral("hana"));
    m.SetSubject(QStringLiteral("来週の打ち合わせの資料と会議室の変更について"));
    m.SetPriority(1);
    m.SetBgColor(uint32_t(0xF0FFFF));
    m.SetSendTime(SYSTEMTIME{2026, 12, 1, 7, 9, 30, 0, 0}, 1);
    m.SetMessage(QStringLiteral(
        "<BODY BGCOLOR=\"#FFFFF0\"><FONT face=\"Noto Sans CJK JP\" size=\"3\" color=\"#000080\">"
        "来週の打ち合わせは水曜 10 時からです。<BR>資料は https://example.org/docs にあります。"
        "</FONT></BODY><OBJECT>見積書.pdf</OBJECT><OBJECT>README</OBJECT>"));
    ScriptedCore::AddMessage(ObrixBox::Sent, m);
    ScriptedCore::AddMessage(ObrixBox::Received, m);

    // The user's own sent message shows every bar, Bcc included.
    const tagMESBEGIN data{ObrixBox::Sent, m.Record()};
    app->OnBegin(MessageBegin::Open, intptr_t(&data));
    ASSERT_EQ(app->ReceiveWindows().size(), 1);
    CIMMesRecvFrame* frame = app->ReceiveWindows().front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    QTest::qWait(50);
    ExpectTextsFit(frame);
    EXPECT_TRUE(frame->grab().save(Shot(QStringLiteral("receive"))));
    frame->close();

    app->OnRecvMessage(u"r-1");
    ASSERT_EQ(app->Notices().size(), 1);
    CIMMesNoticeWnd* notice = app->Notices().front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(notice));
    QTest::qWait(50);
    EXPECT_EQ(notice->size(), QSize(280, 80));
    EXPECT_TRUE(notice->grab().save(Shot(QStringLiteral("notice"))));
}
