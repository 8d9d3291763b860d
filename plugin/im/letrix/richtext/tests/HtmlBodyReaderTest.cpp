// HTML to rich text: the reader core, the body loader by fill mode and the chat variant.
#include "RichTextTestSupport.h"

#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"
#include "plugin/im/letrix/richtext/CMessageBodyLoader.h"

#include <QTextBlock>
#include <gtest/gtest.h>

using namespace richtext_test;

namespace {

const QString kOptionFace = QStringLiteral("ＭＳ Ｐゴシック");
const CRichCharFormat kControlDefault = Format(QStringLiteral("Noto Sans CJK JP"), 10);

CBodyLoadOptions Options(FillMode mode, bool keep = false) {
    return {mode, keep, Format(kOptionFace, 12, 0x00800000)};
}

// Loads a body and answers the document text.
QString Load(QTextDocument& doc, const QString& html, FillMode mode, bool keep = false) {
    CMessageBodyLoader::Load(doc, html, Options(mode, keep), kControlDefault);
    return doc.toPlainText();
}

QString Read(const QString& html) {
    QTextDocument doc;
    return Load(doc, html, FillMode::Read);
}

// The format of the first character of the first occurrence of text.
CRichCharFormat FormatOf(const QTextDocument& doc, const QString& text) {
    const int p = int(doc.toPlainText().indexOf(text));
    EXPECT_GE(p, 0) << text.toStdString();
    return FormatAt(doc, p < 0 ? 0 : p);
}

const QString kTwoLines = QStringLiteral(
    "<BODY BGCOLOR=\"#FFFFFF\"><FONT face=\"ＭＳ 明朝\" size=\"3\" color=\"#FF0000\">"
    "first<BR>second</FONT></BODY>");

} // namespace

TEST(BodyLoader, AnswersAreQuotedBelowTwoEmptyLines) {
    for (FillMode mode : {FillMode::Reply, FillMode::ReplyToAll, FillMode::Forward}) {
        QTextDocument doc;
        EXPECT_EQ(Load(doc, kTwoLines, mode), QStringLiteral("\n\n> first\n> second"));
    }
}

TEST(BodyLoader, DraftsAndReadMessagesAreNotQuoted) {
    for (FillMode mode : {FillMode::EditDraft, FillMode::Read}) {
        QTextDocument doc;
        EXPECT_EQ(Load(doc, kTwoLines, mode), QStringLiteral("first\nsecond"));
    }
    QTextDocument empty;
    EXPECT_EQ(Load(empty, QString(), FillMode::Reply), QString());
    EXPECT_TRUE(empty.isEmpty());
}

TEST(BodyLoader, AnsweredFontsAreKeptOnlyWhenAskedOrReading) {
    const CRichCharFormat mincho = Format(QStringLiteral("ＭＳ 明朝"), 12, 0x0000FF);
    {
        QTextDocument doc; // option font everywhere
        Load(doc, kTwoLines, FillMode::Reply);
        EXPECT_EQ(FormatOf(doc, QStringLiteral("second")), Options(FillMode::Reply).optionFont);
        EXPECT_EQ(doc.defaultFont().family(), kOptionFace);
    }
    {
        QTextDocument doc; // fonts kept; the quote prefix is outside the FONT element
        Load(doc, kTwoLines, FillMode::Reply, true);
        EXPECT_EQ(FormatOf(doc, QStringLiteral("second")), mincho);
        EXPECT_EQ(FormatOf(doc, QStringLiteral("> ")), mincho);
    }
    {
        QTextDocument doc; // reading keeps fonts; text outside FONT has the control's default
        Load(doc, kTwoLines + QStringLiteral("tail"), FillMode::Read);
        EXPECT_EQ(FormatOf(doc, QStringLiteral("first")), mincho);
        EXPECT_EQ(FormatOf(doc, QStringLiteral("tail")), kControlDefault);
    }
    // What the user types starts in the option font, except in a read message.
    QTextDocument doc;
    EXPECT_EQ(
        CMessageBodyLoader::Load(doc, kTwoLines, Options(FillMode::Reply, true), kControlDefault),
        Options(FillMode::Reply).optionFont);
    QTextDocument read;
    EXPECT_FALSE(
        CMessageBodyLoader::Load(read, kTwoLines, Options(FillMode::Read), kControlDefault));
}

TEST(BodyLoader, WrittenBodyReadsBackWithTextAndFonts) {
    QTextDocument typed;
    const CRichCharFormat big = Format(QStringLiteral("ＭＳ 明朝"), 24, 0x00FF00);
    const CRichCharFormat small = Format(kOptionFace, 8, 0x0000FF);
    Type(typed, QStringLiteral("1 < 2 & 3 > 2\n"), big);
    Type(typed, QStringLiteral("&lt;小さい"), small);
    QString html;
    CHtmlBodyWriter::AppendMessageBody(typed, 0xFFFFFF, html);
    QTextDocument doc;
    EXPECT_EQ(Load(doc, html, FillMode::Read), typed.toPlainText());
    EXPECT_EQ(FormatOf(doc, QStringLiteral("1 <")), big);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("&lt;")), small);
}

TEST(BodyLoader, ReadMessagesGetLinks) {
    QTextDocument doc;
    Load(doc,
         QStringLiteral("見て http://example.com/a?b=1. と www.example.jp、"
                        "mailto:x@example.com"),
         FillMode::Read);
    QStringList hrefs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                hrefs << it.fragment().charFormat().anchorHref() + u'|' + it.fragment().text();
    EXPECT_EQ(hrefs,
              QStringList({QStringLiteral("http://example.com/a?b=1|http://example.com/a?b=1"),
                           QStringLiteral("http://www.example.jp|www.example.jp"),
                           QStringLiteral("mailto:x@example.com|mailto:x@example.com")}));
    QTextDocument reply;
    Load(reply, QStringLiteral("http://example.com"), FillMode::Reply);
    EXPECT_FALSE(FormatOf(reply, QStringLiteral("http")).ToQt().isAnchor());
    EXPECT_FALSE(FormatAt(reply, 5).backColor);
}

TEST(HtmlReader, UnknownTagsShowLiterallyAndEntitiesUnescape) {
    EXPECT_EQ(Read(QStringLiteral("<TABLE border=1><B>x</B></TABLE>")),
              QStringLiteral("<TABLE border=1><B>x</B></TABLE>"));
    EXPECT_EQ(Read(QStringLiteral("a &lt;b&gt; &amp;lt; <p>c</p><BODYX>")),
              QStringLiteral("a <b> &lt; c<BODYX>"));
    // A '<' that never closes shows the rest of the text.
    EXPECT_EQ(Read(QStringLiteral("x <FONT size=\"2\"")), QStringLiteral("x <FONT size=\"2\""));
    // Blanks inside the tag and lower case are fine.
    EXPECT_EQ(Read(QStringLiteral("< br >a</ font >b")), QStringLiteral("ab"));
}

TEST(HtmlReader, ObjectContentIsSkippedCountingNestedElements) {
    EXPECT_EQ(Read(QStringLiteral("a<OBJECT>b<OBJECT>c</OBJECT>d</OBJECT>e")),
              QStringLiteral("ae"));
    // A stray closing tag does not make the depth negative.
    EXPECT_EQ(Read(QStringLiteral("</OBJECT>a<OBJECT>/home/u/x.txt</OBJECT>b")),
              QStringLiteral("ab"));
    // FONT inside an object is ignored.
    QTextDocument doc;
    Load(doc, QStringLiteral("<OBJECT><FONT color=\"#FF0000\"></OBJECT>x"), FillMode::Read);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("x")), kControlDefault);
}

TEST(HtmlReader, FontAttributesSetColourFaceSizeAndBackground) {
    QTextDocument doc;
    Load(doc,
         QStringLiteral("<FONT color=\"#00FF80\">hex</FONT>"
                        "<FONT COLOR = \" navy\">named</FONT>"
                        "<FONT color=\"red\"><FONT color=\"#000000\">hexblack</FONT>"
                        "<FONT color=\"Black\">nameblack</FONT>"
                        "<FONT color=#00FF00>unquoted</FONT>"
                        "<FONT color=\"#12345\" face=\"Noto\">badhex</FONT></FONT>"
                        "<FONT size=\"7\" face=\"ＭＳ 明朝\">big</FONT>"
                        "<FONT size=\"9\">odd</FONT>"
                        "<FONT style=\"background-color: #000000\">dark</FONT>"
                        "<FONT style=\"BACKGROUND-COLOR:#FFFF00\">nocolon</FONT>"),
         FillMode::Read);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("hex")).textColor, ZRGB(0x00, 0xFF, 0x80));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("named")).textColor, ZRGB(0, 0, 0x80));
    // Black, however written, and unquoted values leave the enclosing colour (red).
    for (const char* text : {"hexblack", "nameblack", "unquoted"})
        EXPECT_EQ(FormatOf(doc, QString::fromLatin1(text)).textColor, ZRGB(0xFF, 0, 0)) << text;
    EXPECT_EQ(FormatOf(doc, QStringLiteral("badhex")).textColor, ZRGB(0xFF, 0, 0));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("badhex")).face, QStringLiteral("Noto"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("big")).heightTwips, 36 * 20);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("big")).face, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("odd")).heightTwips, 12 * 20);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("dark")).backColor, COLORREF(0));
    EXPECT_FALSE(FormatOf(doc, QStringLiteral("nocolon")).backColor);
    const int points[] = {12, 8, 10, 12, 14, 18, 24, 36, 12};
    for (int size = 0; size <= 8; ++size)
        EXPECT_EQ(CRichCharFormat::PointsFromHtmlSize(size), points[size]) << size;
}

TEST(HtmlReader, LongFaceNamesAreCut) {
    QTextDocument doc;
    Load(doc, QStringLiteral("<FONT face=\"%1\">x</FONT>").arg(QString(40, u'F')), FillMode::Read);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("x")).face, QString(31, u'F'));
}

TEST(ChatReader, KnowsOnlyBodyFontAndObjectAndEndsTheLine) {
    QTextDocument doc;
    CHtmlBodyReader reader(doc, CHtmlBodyReader::Variant::Chat, kControlDefault);
    reader.SetFillMode(FillMode::Reply); // ignored by the chat variant
    reader.Read(QStringLiteral("<BODY>a<BR>b<P><FONT color=\"#0000FF\" style=\"BACKGROUND-COLOR: "
                               "#FFFFFF\">blue</FONT><OBJECT>f</OBJECT></BODY>"));
    EXPECT_TRUE(reader.TextInserted());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("a<BR>b<P>blue\n"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("blue")).textColor, ZRGB(0, 0, 0xFF));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("blue")).backColor, COLORREF(0xFFFFFF));
    // A second line is appended below; an empty one adds nothing.
    reader.Read(QStringLiteral("<BODY>next</BODY>"));
    reader.Read(QStringLiteral("<BODY></BODY>"));
    EXPECT_FALSE(reader.TextInserted());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("a<BR>b<P>blue\nnext\n"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("next")), kControlDefault);
}

TEST(ChatReader, ReadsWhatTheChatWriterWrote) {
    QTextDocument typed;
    Type(typed, QStringLiteral("普通 "), Format(kOptionFace, 12));
    Type(typed, QStringLiteral("<強調>"), Format(kOptionFace, 18, 0x0000FF));
    QString html;
    CHtmlBodyWriter::WriteChat(typed, html);
    QTextDocument log;
    CHtmlBodyReader(log, CHtmlBodyReader::Variant::Chat, Format(kOptionFace, 12)).Read(html);
    EXPECT_EQ(log.toPlainText(), QStringLiteral("普通 <強調>\n"));
    EXPECT_EQ(FormatOf(log, QStringLiteral("<強調>")).heightTwips, 18 * 20);
    EXPECT_EQ(FormatOf(log, QStringLiteral("普通")), Format(kOptionFace, 12));
}
