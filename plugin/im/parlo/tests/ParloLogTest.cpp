// The chat log: talk and notice lines as they appear, and the saved file, read back with
// Debian's unrtf (a reader nobody here wrote): every line of talk, Japanese included, and
// the header with the start time and the joined members. The log itself never shows the
// header.
#include "plugin/im/parlo/CParloLog.h"
#include "plugin/im/parlo/CParloRtfWriter.h"
#include "plugin/im/parlo/tests/ParloRtfText.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

CRichCharFormat DefaultFormat() {
    CRichCharFormat f;
    f.face = QString::fromUtf16(u"ＭＳ Ｐゴシック");
    return f;
}

class ParloLogTest : public ::testing::Test {
protected:
    QTextDocument doc;
    CParloLog log{doc, DefaultFormat()};
};

TEST_F(ParloLogTest, TalkShowsTheNameInTheMemberColourAndTheIndentedText) {
    log.AppendTalk("Fam-b", 0xA02C0D,
                   "<BODY><FONT face=\"Serif\" size=\"5\" color=\"#FF0000\" "
                   "style=\"BACKGROUND-COLOR: #FFFFFF\">赤い&lt;字&gt;</FONT>です</BODY>");
    log.AppendNotice(3, "Fam-b さんが退席しました。");
    ASSERT_GE(doc.blockCount(), 3);
    const QTextBlock name = doc.firstBlock();
    EXPECT_EQ(name.text(), "Fam-b:");
    EXPECT_EQ(name.begin().fragment().charFormat().foreground().color(), QColor(0x0D, 0x2C, 0xA0));
    EXPECT_EQ(name.blockFormat().intProperty(CParloRtfWriter::kIndentTwipsProperty), 0);
    const QTextBlock talk = name.next();
    EXPECT_EQ(talk.text(), "赤い<字>です");
    EXPECT_EQ(talk.blockFormat().intProperty(CParloRtfWriter::kIndentTwipsProperty), 400);
    EXPECT_EQ(talk.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    EXPECT_EQ(talk.begin().fragment().charFormat().fontPointSize(), 18);

    const QTextBlock notice = talk.next();
    EXPECT_EQ(notice.text(), " [Fam-b さんが退席しました。] ");
    EXPECT_EQ(notice.blockFormat().intProperty(CParloRtfWriter::kIndentTwipsProperty), 0);
    const QTextCharFormat nf = notice.begin().fragment().charFormat();
    EXPECT_TRUE(nf.fontItalic());
    EXPECT_EQ(nf.fontPointSize(), 8);
    EXPECT_EQ(nf.foreground().color(), QColor(0x28, 0x28, 0x28));
    EXPECT_EQ(nf.background().color(), QColor(0xCC, 0xCC, 0xFF)) << "type 3: 0xFFCCCC";
    EXPECT_EQ(CParloLog::NoticeBackground(2), 0xCCCCFFu);
    EXPECT_EQ(CParloLog::NoticeBackground(1), 0xEEEEEEu);
    EXPECT_EQ(CParloLog::NoticeBackground(7), 0xEEEEEEu);
}

TEST_F(ParloLogTest, SavedRtfHoldsHeaderAndEveryTalkLineAndTheLogShowsNoHeader) {
    EXPECT_TRUE(log.IsEmpty());
    log.AppendNotice(2, "Fam-a さんが参加しました。");
    log.AppendTalk("Fam-a", 0x0DA080, "<BODY>おはようございます {braces} \\ back</BODY>");
    log.AppendTalk("Fam-b", 0xA02C0D,
                   "<BODY><FONT face=\"Serif\" size=\"4\" color=\"#0000FF\" "
                   "style=\"BACKGROUND-COLOR: #FFFFFF\">line one\nline two</FONT></BODY>");
    EXPECT_FALSE(log.IsEmpty());
    const QString before = doc.toPlainText();

    QTemporaryDir dir;
    const QString path = dir.filePath("会議.doc");
    CParloLog::Header header{
        "[開始日時]",
        CParloLog::StartTimeText(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))),
        "[参加者]",
        {"Fam-a", "Fam-b"}};
    QString error;
    ASSERT_TRUE(log.SaveRtf(path, header, &error)) << error.toStdString();
    EXPECT_EQ(doc.toPlainText(), before) << "the log shows no header after saving";

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray rtf = f.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1")) << rtf.left(40).constData();
    EXPECT_TRUE(rtf.contains("\\li400")) << "talk text keeps its indent";
    EXPECT_TRUE(rtf.contains("\\li200")) << "header values are indented";
    EXPECT_TRUE(rtf.contains("\\b ")) << "the header is bold";

    if (!HaveUnrtf())
        GTEST_SKIP() << "unrtf is not installed (scripts/bootstrap.sh installs it)";
    const QString text = UnrtfText(path);
    for (const char* expected : {"[開始日時]", "2026", "[参加者]", "Fam-a,Fam-b",
                                 "Fam-a:", "おはようございます {braces} \\ back",
                                 "Fam-b:", "line one", "line two", "[Fam-a さんが参加しました。]"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();
    EXPECT_LT(text.indexOf("[参加者]"), text.indexOf("Fam-a:")) << "the header comes first";
}

TEST_F(ParloLogTest, PrintedPageStartsWithThePrintingTime) {
    log.AppendTalk("Fam-a", 0x0DA080, "<BODY>議題</BODY>");
    const auto page = log.PrintPage("印刷日時:", QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    EXPECT_TRUE(page->firstBlock().text().startsWith("印刷日時: "));
    EXPECT_TRUE(page->toPlainText().contains("議題"));
    EXPECT_FALSE(doc.toPlainText().contains("印刷日時"));
}

} // namespace
