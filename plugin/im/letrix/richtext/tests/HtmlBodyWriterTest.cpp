// Rich text to HTML: message bodies and chat lines.
#include "RichTextTestSupport.h"

#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace richtext_test;

namespace {

const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGothic = QString::fromUtf16(CHtmlBodyWriter::kChatDefaultFace);

QString Body(const QTextDocument& doc, COLORREF background = 0xFFFFFF) {
    QString html;
    CHtmlBodyWriter::AppendMessageBody(doc, background, html);
    return html;
}

QString Chat(const QTextDocument& doc) {
    QString html = QStringLiteral("left over");
    CHtmlBodyWriter::WriteChat(doc, html);
    return html;
}

// The rule the writer must match: for every character of the text (a line end is CR LF),
// read the format of the control character under it and open a new FONT element when face,
// height or colour differ from the character before.
QString PerCharacterBody(const QTextDocument& doc, COLORREF background) {
    const CRichCharFormat fallback = CRichCharFormat::FromFont(doc.defaultFont());
    QTextCursor end(const_cast<QTextDocument*>(&doc));
    end.movePosition(QTextCursor::End);
    const CRichCharFormat endFormat = CRichCharFormat::FromQt(end.charFormat(), fallback);
    const int controlLength = doc.characterCount() - 1;
    auto formatAt = [&](int p) {
        if (p >= controlLength)
            return endFormat;
        if (doc.characterAt(p) == QChar::ParagraphSeparator)
            return CRichCharFormat::FromQt(doc.findBlock(p + 1).charFormat(), fallback);
        return FormatAt(doc, p);
    };
    QString text = doc.toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    QString out;
    bool open = false;
    CRichCharFormat previous;
    int p = 0;
    for (int i = 0; i < text.size(); ++i) {
        const CRichCharFormat f = formatAt(p);
        if (i == 0 || f.face != previous.face || f.heightTwips != previous.heightTwips ||
            f.textColor != previous.textColor) {
            if (open)
                out += QStringLiteral("</FONT>");
            out += QString::asprintf(
                "<FONT face=\"%s\" size=\"%d\" color=\"#%02X%02X%02X\">", qPrintable(f.face),
                CRichCharFormat::HtmlSizeFromPoints(f.heightTwips / 20), ZGetRValue(f.textColor),
                ZGetGValue(f.textColor), ZGetBValue(f.textColor));
            open = true;
        }
        const QChar c = text[i];
        if (c == u'\n') {
            out += QStringLiteral("<BR>");
        } else {
            if (c != u'\r')
                out += CHtmlBodyWriter::Escape(QStringView(&c, 1));
            ++p;
        }
        previous = f;
    }
    if (open)
        out += QStringLiteral("</FONT>");
    return QString::asprintf("<BODY BGCOLOR=\"#%02X%02X%02X\">", ZGetRValue(background),
                             ZGetGValue(background), ZGetBValue(background)) +
           out + QStringLiteral("</BODY>");
}

} // namespace

TEST(MessageBodyWriter, EmptyBodyIsTheBodyElementWithItsBackground) {
    QTextDocument doc;
    EXPECT_EQ(Body(doc), QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\"></BODY>"));
    // Red, green and blue in that order from the 0x00BBGGRR value.
    EXPECT_EQ(Body(doc, 0x00336699), QStringLiteral("<BODY BGCOLOR=\"#996633\"></BODY>"));
}

TEST(MessageBodyWriter, OneFontElementPerRunWithLineBreaksInside) {
    QTextDocument doc;
    Type(doc, QStringLiteral("一行目\n二行目"), Format(kMincho, 12, 0x0000FF));
    EXPECT_EQ(Body(doc), QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\"><FONT face=\"ＭＳ 明朝\" "
                                        "size=\"3\" color=\"#FF0000\">一行目<BR>二行目</FONT>"
                                        "</BODY>"));

    // A change of face, of height or of colour in mid-line closes the element and opens one.
    QTextDocument mixed;
    Type(mixed, QStringLiteral("a"), Format(kMincho, 12));
    Type(mixed, QStringLiteral("b"), Format(kGothic, 12));
    Type(mixed, QStringLiteral("c"), Format(kGothic, 24));
    Type(mixed, QStringLiteral("d"), Format(kGothic, 24, 0xFF0000));
    EXPECT_EQ(Body(mixed, 0),
              QStringLiteral("<BODY BGCOLOR=\"#000000\">"
                             "<FONT face=\"ＭＳ 明朝\" size=\"3\" color=\"#000000\">a</FONT>"
                             "<FONT face=\"ＭＳ Ｐゴシック\" size=\"3\" color=\"#000000\">b</FONT>"
                             "<FONT face=\"ＭＳ Ｐゴシック\" size=\"6\" color=\"#000000\">c</FONT>"
                             "<FONT face=\"ＭＳ Ｐゴシック\" size=\"6\" color=\"#0000FF\">d</FONT>"
                             "</BODY>"));

    // A background change alone is not carried by message bodies.
    QTextDocument background;
    CRichCharFormat marked = Format(kMincho, 12);
    Type(background, QStringLiteral("x"), marked);
    marked.backColor = 0x00FFFF;
    Type(background, QStringLiteral("y"), marked);
    EXPECT_EQ(Body(background).count(QStringLiteral("<FONT")), 1);
}

TEST(MessageBodyWriter, MarkupCharactersAreEscaped) {
    QTextDocument doc;
    Type(doc, QStringLiteral("a<b>&c"), Format(kMincho, 10));
    EXPECT_TRUE(Body(doc).contains(QStringLiteral(">a&lt;b&gt;&amp;c</FONT>")));
    EXPECT_EQ(CHtmlBodyWriter::Escape(u"&lt;"), QStringLiteral("&amp;lt;"));
}

TEST(MessageBodyWriter, PointsMapOntoHtmlSizes) {
    const std::pair<int, int> cases[] = {
        {0, 3},  {1, 1},  {8, 1},  {9, 3},  {10, 2},  {11, 3}, {12, 3}, {13, 3},
        {14, 4}, {15, 3}, {16, 5}, {18, 5}, {19, 3},  {20, 6}, {24, 6}, {25, 3},
        {26, 7}, {36, 7}, {72, 7}, {73, 3}, {100, 3}, {-4, 3},
    };
    for (const auto& [points, size] : cases)
        EXPECT_EQ(CRichCharFormat::HtmlSizeFromPoints(points), size) << points;
    // Half points are cut to whole points before the table.
    QTextDocument doc;
    CRichCharFormat f = Format(kMincho, 12);
    f.heightTwips = 290; // 14.5 pt
    Type(doc, QStringLiteral("x"), f);
    EXPECT_TRUE(Body(doc).contains(QStringLiteral("size=\"4\"")));
}

TEST(MessageBodyWriter, LineEndsCountTwiceInTheBodyLength) {
    QTextDocument doc;
    Type(doc, QStringLiteral("ab\ncd\n"), Format(kMincho, 12));
    EXPECT_EQ(CHtmlBodyWriter::TextLength(doc), 8);
    QTextDocument empty;
    EXPECT_EQ(CHtmlBodyWriter::TextLength(empty), 0);
}

// Formats change at line ends, inside lines, on empty lines and at the very end; the walk
// over runs must give exactly what the character-by-character rule gives.
TEST(MessageBodyWriter, RunWalkMatchesTheCharacterRule) {
    const CRichCharFormat formats[] = {Format(kMincho, 12), Format(kGothic, 12, 0x00FF00),
                                       Format(kGothic, 18), Format(kMincho, 9, 0x123456)};
    QRandomGenerator random(20261207);
    for (int round = 0; round < 60; ++round) {
        QTextDocument doc;
        const int pieces = random.bounded(1, 12);
        for (int k = 0; k < pieces; ++k) {
            QString piece;
            const int length = random.bounded(0, 6);
            for (int c = 0; c < length; ++c) {
                const int pick = random.bounded(10);
                piece += pick == 0 ? u'\n' : pick == 1 ? u'<' : pick == 2 ? u'&' : QChar(u'あ' + c);
            }
            Type(doc, piece, formats[random.bounded(4)]);
        }
        ASSERT_EQ(Body(doc, 0x00ABCDEF), PerCharacterBody(doc, 0x00ABCDEF))
            << "round " << round << ": " << doc.toPlainText().toStdString();
    }
}

TEST(ChatWriter, DefaultFormatHasNoFontElement) {
    QTextDocument doc;
    Type(doc, QStringLiteral("こんにちは<>"), Format(kGothic, 12));
    EXPECT_EQ(Chat(doc), QStringLiteral("<BODY>こんにちは&lt;&gt;</BODY>"));
    QTextDocument empty;
    EXPECT_EQ(Chat(empty), QStringLiteral("<BODY></BODY>"));
}

TEST(ChatWriter, OtherFormatsCarryFontAndWhiteBackgroundStyle) {
    QTextDocument doc;
    Type(doc, QStringLiteral("a"), Format(kGothic, 12));
    Type(doc, QStringLiteral("b"), Format(kGothic, 12, 0x0000FF));
    CRichCharFormat marked = Format(kGothic, 12, 0x0000FF);
    marked.backColor = 0x00FFFF;
    Type(doc, QStringLiteral("c"), marked);
    Type(doc, QStringLiteral("d\ne"), Format(kGothic, 12));
    const QString red =
        QStringLiteral("<FONT face=\"ＭＳ Ｐゴシック\" size=\"3\" color=\"#FF0000\" "
                       "style=\"BACKGROUND-COLOR: #FFFFFF\">");
    // The background change opens a new element although the background is written as white;
    // line ends travel as they are.
    EXPECT_EQ(Chat(doc), QStringLiteral("<BODY>a") + red + QStringLiteral("b</FONT>") + red +
                             QStringLiteral("c</FONT>d\ne</BODY>"));
}
