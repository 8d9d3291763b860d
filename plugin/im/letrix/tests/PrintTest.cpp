// Printed pages of the receive and compose windows, written to PDF and read back as text: the
// header block, then the Japanese body; the window's own text never carries the header.
#include "LetrixTestSupport.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CAddressEdit.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesPrintPage.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CIMMesRecvFrame.h"
#include "plugin/im/letrix/CLetrixApp.h"
#include "plugin/im/letrix/CMessageEditView.h"

#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <memory>

namespace {

// The text of a PDF file as pdftotext reads it (empty when it cannot), in compatibility form:
// the CJK font maps some ideographs to their radical code points, which NFKC folds back.
QString PdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                          QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

class Printing : public LetrixTest {
protected:
    void SetUp() override {
        LetrixTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        CIMMesPrompt::SetHandler([](const CIMMesPrompt::Request&) { return QMessageBox::Ok; });
        app = std::make_unique<CLetrixApp>();
        app->OnLogon(1);
    }
    void TearDown() override {
        if (app)
            app->OnKill();
        app.reset();
        CIMMesPrompt::SetHandler(nullptr);
        LetrixTest::TearDown();
    }
    std::unique_ptr<CLetrixApp> app;
    QTemporaryDir dir;
};

} // namespace

TEST_F(Printing, HeaderLinesNameEveryFieldAndLeaveOutEmptyCopies) {
    const QDateTime printed(QDate(2026, 12, 7), QTime(9, 5));
    const QStringList lines = CIMMesPrintPage::HeaderLines(
        Resources(), {kTaro, kMe, QString(), kHana, QStringLiteral("件名A")}, printed);
    EXPECT_EQ(lines, QStringList({QStringLiteral("差出人:") + kTaro, QStringLiteral("宛先:") + kMe,
                                  QStringLiteral("Bcc:") + kHana, QStringLiteral("件名:件名A"),
                                  QStringLiteral("印刷日時:2026/12/07 09:05")}));
    QTextDocument body;
    body.setPlainText(QStringLiteral("一行目\n二行目"));
    const std::unique_ptr<QTextDocument> page = CIMMesPrintPage::Build(lines, body);
    EXPECT_EQ(page->toPlainText(), lines.join(u'\n') + QStringLiteral("\n\n一行目\n二行目"));
    EXPECT_EQ(body.toPlainText(), QStringLiteral("一行目\n二行目"));
}

TEST_F(Printing, ReceivedMessagePrintsItsHeaderAndJapaneseBody) {
    CLetrix m;
    m.SetMessageID(QStringLiteral("p-1"));
    m.SetFromID(QStringLiteral("taro"));
    m.SetFromName(QStringLiteral("山田太郎"));
    m.AddDst(CLetrix::DST_TO, QStringLiteral("me"));
    m.AddDst(CLetrix::DST_CC, QStringLiteral("hana"));
    m.SetSubject(QStringLiteral("月次報告"));
    m.SetMessage(QStringLiteral("<BODY BGCOLOR=\"#000080\"><FONT face=\"x\" size=\"3\" "
                                "color=\"#FFFFFF\">売上は前月比で増えました。<BR>以上です。"
                                "</FONT></BODY>"));
    ScriptedCore::AddMessage(ObrixBox::Received, m);
    const tagMESBEGIN data{ObrixBox::Received, m.Record()};
    app->OnBegin(MessageBegin::Open, intptr_t(&data));
    ASSERT_EQ(app->ReceiveWindows().size(), 1);
    CIMMesRecvFrame* frame = app->ReceiveWindows()[0];
    const QString before = frame->Body()->toPlainText();

    const QString pdf = dir.filePath(QStringLiteral("received.pdf"));
    ASSERT_TRUE(frame->WritePdf(pdf));
    const QString text = PdfText(pdf);
    for (const QString& expected :
         {QStringLiteral("差出人:山田太郎 [taro]"), QStringLiteral("宛先:") + kMe,
          QStringLiteral("Cc:") + kHana, QStringLiteral("件名:月次報告"),
          QStringLiteral("印刷日時:"), QStringLiteral("売上は前月比で増えました。"),
          QStringLiteral("以上です。"), QStringLiteral("1 ページ")})
        EXPECT_TRUE(text.contains(expected.normalized(QString::NormalizationForm_KC)))
            << expected.toStdString() << "\n"
            << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Bcc:")));
    EXPECT_LT(text.indexOf(QStringLiteral("件名:")), text.indexOf(QStringLiteral("売上")));
    EXPECT_EQ(frame->Body()->toPlainText(), before) << "the view never carries the header";
}

TEST_F(Printing, ComposedMessagePrintsAndTheDraftCarriesNoHeader) {
    app->OnBegin(MessageBegin::New, 0);
    ASSERT_EQ(app->ComposeWindows().size(), 1);
    CIMMesEditFrame* frame = app->ComposeWindows()[0];
    frame->ToEdit()->setText(kTaro);
    frame->SubjectEdit()->setText(QStringLiteral("お知らせ"));
    frame->Body()->insertPlainText(QStringLiteral("明日は休業日です。"));

    const QString pdf = dir.filePath(QStringLiteral("compose.pdf"));
    ASSERT_TRUE(frame->WritePdf(pdf));
    const QString text = PdfText(pdf);
    for (const QString& expected :
         {QStringLiteral("差出人:") + kMe, QStringLiteral("宛先:") + kTaro,
          QStringLiteral("件名:お知らせ"), QStringLiteral("明日は休業日です。")})
        EXPECT_TRUE(text.contains(expected.normalized(QString::NormalizationForm_KC)))
            << expected.toStdString() << "\n"
            << text.toStdString();

    ASSERT_TRUE(frame->PutInDraft(false));
    ASSERT_EQ(ScriptedCore::SavedDrafts().size(), 1);
    const QString body = ScriptedCore::SavedDrafts()[0].GetMessage();
    EXPECT_TRUE(body.contains(QStringLiteral("明日は休業日です。"))) << body.toStdString();
    EXPECT_FALSE(body.contains(QStringLiteral("差出人"))) << body.toStdString();
}
