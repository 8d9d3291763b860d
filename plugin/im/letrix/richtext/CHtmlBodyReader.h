// Turns a message body or a chat line back into formatted text at the end of a document.
//
// Recognised tags come from a small table keyed by the first letter of the name: BODY, BR, P
// (no effect), FONT (face, size, colour, background) and OBJECT (attachments: everything
// inside is skipped, nested elements counted). Any other tag is shown as text, angle brackets
// included. The chat variant knows only BODY, FONT and OBJECT, always applies fonts and never
// quotes.
#pragma once

#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QString>
#include <QStringView>
#include <deque>

class QTextDocument;

// What a body view is being filled for; the compose and read request kinds.
enum class FillMode : int {
    New = 0,
    NewToSameRecipients = 1,
    Reply = 2,
    ReplyToAll = 3,
    EditDraft = 4,
    Read = 5,
    Forward = 6,
    NewToMember = 7,
};

class CHtmlBodyReader {
public:
    enum class Variant { Message, Chat };

    // controlDefault is the document's own default format, which FONT elements start from and
    // which text outside any FONT element takes.
    CHtmlBodyReader(QTextDocument& doc, Variant variant, const CRichCharFormat& controlDefault);

    // Message variant only: the fill mode decides quoting, and FONT formats are applied only
    // when reading or when the fonts of an answered message are kept.
    void SetFillMode(FillMode mode) { m_mode = mode; }
    void SetKeepFonts(bool keep) { m_keepFonts = keep; }

    // Inserts the text of html, formatted, at the end of the document.
    void Read(const QString& html);

    bool TextInserted() const { return m_textInserted; }

    // "&lt;" -> "<", "&gt;" -> ">", "&amp;" -> "&".
    static QString Unescape(QStringView text);
    // A COLOR value: "#" and six hex digits, or one of the sixteen basic colour names.
    // Returns false for anything else.
    static bool ParseColor(QStringView upperValue, COLORREF& color);

private:
    enum Handler { Body, Font, Object, Break, Paragraph };

    qsizetype HandleText(qsizetype q, QChar endMark);
    qsizetype HandleTag(qsizetype q);
    qsizetype HandleFont(qsizetype nameEnd, qsizetype close, bool closing);
    qsizetype HandleObject(qsizetype close, bool closing);
    // Applies the attributes between from and close to format; true when one took effect.
    bool ParseFontAttributes(qsizetype from, qsizetype close, CRichCharFormat& format) const;
    bool ApplyAttribute(int attribute, const QString& value, CRichCharFormat& format) const;
    void Insert(QString text);
    bool FontsApply() const;
    bool Quotes() const;
    bool Lookup(QChar letter, QStringView rest, Handler& handler, qsizetype& nameLength) const;

    QTextDocument& m_doc;
    Variant m_variant;
    CRichCharFormat m_default;
    FillMode m_mode = FillMode::Read;
    bool m_keepFonts = false;

    // Per read.
    QString m_html;
    QString m_upper; // ASCII upper-case copy, same positions
    std::deque<CRichCharFormat> m_stack;
    CRichCharFormat m_endFormat; // what text inserted at the end takes
    int m_objectDepth = 0;
    bool m_textInserted = false;
};
