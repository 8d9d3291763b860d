// Documents built and inspected the way a rich-text control is typed into and read.
#pragma once

#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QTextCursor>
#include <QTextDocument>

namespace richtext_test {

inline CRichCharFormat Format(const QString& face, int points, COLORREF color = 0) {
    CRichCharFormat f;
    f.face = face;
    f.heightTwips = points * 20;
    f.textColor = color;
    return f;
}

// Types text at the end of the document in a format; "\n" starts a new paragraph.
inline void Type(QTextDocument& doc, const QString& text, const CRichCharFormat& format) {
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format.ToQt());
}

// The format of the character at position p (not a paragraph end).
inline CRichCharFormat FormatAt(const QTextDocument& doc, int p) {
    QTextCursor cursor(const_cast<QTextDocument*>(&doc));
    cursor.setPosition(p);
    cursor.setPosition(p + 1, QTextCursor::KeepAnchor);
    return CRichCharFormat::FromQt(cursor.charFormat(),
                                   CRichCharFormat::FromFont(doc.defaultFont()));
}

} // namespace richtext_test
