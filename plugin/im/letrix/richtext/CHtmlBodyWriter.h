// Turns the content of a rich-text control into the HTML that message bodies and chat talk
// travel as. Only face, height and text colour (and, for chat, background) are carried; each
// change of them closes the open FONT element and opens a new one.
//
// The output is what comparing the format of every character with the one before gives, but
// the document is walked fragment by fragment, so a long body costs one format lookup per run
// of equally formatted text rather than one per character.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <QStringView>

class QTextDocument;

class CHtmlBodyWriter {
public:
    // The message body of a compose view: one FONT element per run of face, height and colour,
    // "<BR>" for every line end, the whole wrapped in a BODY element with the background colour.
    // Appends to html.
    static void AppendMessageBody(const QTextDocument& doc, COLORREF background, QString& html);

    // A chat line: like the message body, but the background takes part in the comparison,
    // text in the chat default format (kChatDefaultFace, 12 points, black) gets no FONT element,
    // and line ends travel as they are. Replaces html.
    static void WriteChat(const QTextDocument& doc, QString& html);

    // The length the body limit counts: a line end is two characters (CR LF).
    static int TextLength(const QTextDocument& doc);

    // "&" -> "&amp;", "<" -> "&lt;", ">" -> "&gt;".
    static QString Escape(QStringView text);
    static void AppendEscaped(QChar c, QString& out);

    static constexpr const char16_t* kChatDefaultFace = u"ＭＳ Ｐゴシック";
    static constexpr int kChatDefaultTwips = 240;
};
