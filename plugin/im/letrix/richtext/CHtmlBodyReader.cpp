#include "plugin/im/letrix/richtext/CHtmlBodyReader.h"

#include "obrix/RecordText.h"

#include <QTextCursor>
#include <QTextDocument>
#include <array>

namespace {

bool IsBlank(QChar c) {
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

QString AsciiUpper(const QString& s) {
    QString out = s;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return out;
}

struct NamedColor {
    QStringView name;
    COLORREF color;
};

// The basic colour keywords in lookup order.
constexpr std::array<NamedColor, 16> kColorNames{{
    {u"BLACK", ZRGB(0x00, 0x00, 0x00)},
    {u"SILVER", ZRGB(0xC0, 0xC0, 0xC0)},
    {u"GRAY", ZRGB(0x80, 0x80, 0x80)},
    {u"WHITE", ZRGB(0xFF, 0xFF, 0xFF)},
    {u"MAROON", ZRGB(0x80, 0x00, 0x00)},
    {u"RED", ZRGB(0xFF, 0x00, 0x00)},
    {u"PURPLE", ZRGB(0x80, 0x00, 0x80)},
    {u"FUCHSIA", ZRGB(0xFF, 0x00, 0xFF)},
    {u"GREEN", ZRGB(0x00, 0x80, 0x00)},
    {u"LIME", ZRGB(0x00, 0xFF, 0x00)},
    {u"OLIVE", ZRGB(0x80, 0x80, 0x00)},
    {u"YELLOW", ZRGB(0xFF, 0xFF, 0x00)},
    {u"NAVY", ZRGB(0x00, 0x00, 0x80)},
    {u"BLUE", ZRGB(0x00, 0x00, 0xFF)},
    {u"TEAL", ZRGB(0x00, 0x80, 0x80)},
    {u"AQUA", ZRGB(0x00, 0xFF, 0xFF)},
}};

enum Attribute { Color, Face, Size, Style };
constexpr std::array<QStringView, 4> kFontAttributes{u"COLOR", u"FACE", u"SIZE", u"STYLE"};

bool ParseHex6(QStringView digits, COLORREF& color) {
    if (digits.size() != 6)
        return false;
    bool ok = false;
    const uint rgb = digits.toUInt(&ok, 16);
    // toUInt accepts a sign or blanks; six plain hex digits are required.
    for (QChar c : digits)
        if (!c.isDigit() && !(c >= u'A' && c <= u'F'))
            return false;
    if (!ok)
        return false;
    color = ZRGB(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
    return true;
}

} // namespace

CHtmlBodyReader::CHtmlBodyReader(QTextDocument& doc, Variant variant,
                                 const CRichCharFormat& controlDefault)
    : m_doc(doc), m_variant(variant), m_default(controlDefault) {}

QString CHtmlBodyReader::Unescape(QStringView text) {
    QString out = text.toString();
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    out.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return out;
}

bool CHtmlBodyReader::ParseColor(QStringView upperValue, COLORREF& color) {
    if (upperValue.size() == 7 && upperValue[0] == u'#')
        return ParseHex6(upperValue.mid(1), color);
    for (const NamedColor& named : kColorNames) {
        if (upperValue == named.name) {
            color = named.color;
            return true;
        }
    }
    return false;
}

bool CHtmlBodyReader::FontsApply() const {
    return m_variant == Variant::Chat || m_keepFonts || m_mode == FillMode::Read;
}

bool CHtmlBodyReader::Quotes() const {
    return m_variant == Variant::Message && m_mode != FillMode::EditDraft &&
           m_mode != FillMode::Read;
}

void CHtmlBodyReader::Read(const QString& html) {
    m_html = html;
    m_upper = AsciiUpper(html);
    m_stack.clear();
    m_objectDepth = 0;
    m_textInserted = false;
    m_endFormat = m_default;
    qsizetype q = 0;
    while (q >= 0 && q < m_html.size())
        q = m_html[q] == u'<' ? HandleTag(q) : HandleText(q, u'<');
    if (m_variant == Variant::Chat && m_textInserted)
        Insert(QStringLiteral("\r\n"));
}

qsizetype CHtmlBodyReader::HandleText(qsizetype q, QChar endMark) {
    qsizetype end = m_html.indexOf(endMark, endMark == u'>' ? q : q + 1);
    qsizetype next = -1;
    if (end >= 0) {
        if (endMark == u'>')
            ++end; // an unrecognised tag is shown through its '>'
        next = end;
    } else {
        end = m_html.size();
    }
    if (end > q && m_objectDepth == 0) {
        QString run = Unescape(QStringView(m_html).sliced(q, end - q));
        if (Quotes() && m_doc.isEmpty())
            run.prepend(QStringLiteral("\r\n\r\n> "));
        Insert(run);
        m_textInserted = true;
    }
    return next;
}

void CHtmlBodyReader::Insert(QString text) {
    // The control takes CR LF as one line end; a QTextDocument would make two of it.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QTextCursor cursor(&m_doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, m_endFormat.ToQt());
}

bool CHtmlBodyReader::Lookup(QChar letter, QStringView rest, Handler& handler,
                             qsizetype& nameLength) const {
    // Looked up by the first letter of the name; line-break and paragraph tags are the
    // message variant's only.
    struct TagEntry {
        QStringView name;
        Handler handler;
        bool chat;
    };
    static constexpr TagEntry kTags[] = {
        {u"BODY", Body, true},     {u"BR", Break, false},    {u"FONT", Font, true},
        {u"OBJECT", Object, true}, {u"P", Paragraph, false},
    };
    for (const TagEntry& e : kTags) {
        if (e.name.front() != letter || (m_variant == Variant::Chat && !e.chat))
            continue;
        if (rest.size() > e.name.size() && rest.startsWith(e.name) &&
            (IsBlank(rest[e.name.size()]) || rest[e.name.size()] == u'>')) {
            handler = e.handler;
            nameLength = e.name.size();
            return true;
        }
    }
    return false;
}

qsizetype CHtmlBodyReader::HandleTag(qsizetype q) {
    const qsizetype close = m_html.indexOf(u'>', q);
    if (close < 0)
        return HandleText(q, u'>');
    qsizetype i = q + 1;
    while (i < close && IsBlank(m_upper[i]))
        ++i;
    const bool closing = i < close && m_upper[i] == u'/';
    if (closing) {
        ++i;
        while (i < close && IsBlank(m_upper[i]))
            ++i;
    }
    Handler handler;
    qsizetype nameLength = 0;
    const QStringView rest = QStringView(m_upper).sliced(i, close + 1 - i);
    if (i >= close || !Lookup(m_upper[i], rest, handler, nameLength))
        return HandleText(q, u'>');
    switch (handler) {
    case Font:
        return HandleFont(i + nameLength, close, closing);
    case Object:
        return HandleObject(close, closing);
    default:
        return close + 1;
    }
}

qsizetype CHtmlBodyReader::HandleObject(qsizetype close, bool closing) {
    if (!closing)
        ++m_objectDepth;
    else if (m_objectDepth > 0)
        --m_objectDepth;
    return close + 1;
}

qsizetype CHtmlBodyReader::HandleFont(qsizetype nameEnd, qsizetype close, bool closing) {
    if (m_objectDepth > 0)
        return close + 1;
    if (closing) {
        if (!m_stack.empty())
            m_stack.pop_back();
        if (FontsApply())
            m_endFormat = m_stack.empty() ? m_default : m_stack.back();
        return close + 1;
    }
    CRichCharFormat format = m_stack.empty() ? m_default : m_stack.back();
    if (ParseFontAttributes(nameEnd, close, format) && FontsApply())
        m_endFormat = format;
    // Pushed even when no attribute took effect, so that its closing tag pops it and not the
    // enclosing element's format.
    m_stack.push_back(format);
    return close + 1;
}

bool CHtmlBodyReader::ParseFontAttributes(qsizetype from, qsizetype close,
                                          CRichCharFormat& format) const {
    const QStringView upper(m_upper);
    bool applied = false;
    qsizetype i = from;
    auto skipBlanks = [&] {
        while (i < close && IsBlank(upper[i]))
            ++i;
    };
    auto skipWord = [&] {
        while (i < close && !IsBlank(upper[i]))
            ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= close)
            break;
        int attribute = -1;
        for (int a = 0; a < int(kFontAttributes.size()); ++a) {
            const QStringView name = kFontAttributes[size_t(a)];
            const qsizetype after = i + name.size();
            if (after < close && upper.sliced(i).startsWith(name) &&
                (IsBlank(upper[after]) || upper[after] == u'"' || upper[after] == u'=')) {
                attribute = a;
                i = after;
                break;
            }
        }
        if (attribute < 0) {
            skipWord();
            continue;
        }
        skipBlanks();
        if (i >= close || upper[i] != u'=') {
            skipWord();
            continue;
        }
        ++i;
        skipBlanks();
        if (i >= close || upper[i] != u'"') {
            skipWord();
            continue;
        }
        ++i;
        skipBlanks();
        qsizetype end = m_html.indexOf(u'"', i);
        if (end < 0 || end > close)
            end = close;
        applied = ApplyAttribute(attribute, m_html.sliced(i, end - i), format) || applied;
        i = end + 1;
    }
    return applied;
}

bool CHtmlBodyReader::ApplyAttribute(int attribute, const QString& value,
                                     CRichCharFormat& format) const {
    switch (attribute) {
    case Color: {
        COLORREF color = 0;
        // Black is how older writers said "no colour": it leaves the colour as it was.
        if (!ParseColor(AsciiUpper(value), color) || color == 0)
            return false;
        format.textColor = color;
        return true;
    }
    case Face:
        if (value.isEmpty())
            return false;
        format.face = value.left(CRichCharFormat::kMaxFaceChars);
        return true;
    case Size:
        format.heightTwips =
            CRichCharFormat::PointsFromHtmlSize(RecordText::LeadingInt(value)) * 20;
        return true;
    case Style: {
        static constexpr QStringView kPrefix = u"BACKGROUND-COLOR: #";
        const QString upper = AsciiUpper(value);
        COLORREF color = 0;
        if (!upper.startsWith(kPrefix) ||
            !ParseHex6(QStringView(upper).sliced(kPrefix.size()), color))
            return false;
        format.backColor = color;
        return true;
    }
    default:
        return false;
    }
}
