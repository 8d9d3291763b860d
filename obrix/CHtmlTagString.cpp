#include "obrix/CHtmlTagString.h"

#include <cstddef>

namespace {

QStringView view(const char16_t* s) {
    return s ? QStringView(s) : QStringView();
}

// Upper-cases one code unit at a time so that every position in the copy is the same position
// in the original text; a unit whose upper case would not fit in one unit stays as it is.
QString fold(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        const char32_t u = QChar::isSurrogate(c) ? c : QChar::toUpper(char32_t(c));
        dst[i] = u <= 0xFFFF ? QChar(char16_t(u)) : QChar(c);
    }
    return out;
}

// The part of a tag argument that is searched for: up to its first '>' or space.
QString tagToken(const char16_t* tag) {
    const QStringView t = view(tag);
    qsizetype n = 0;
    while (n < t.size() && t[n] != u'>' && t[n] != u' ')
        ++n;
    return fold(t.first(n));
}

// Rebuilds a text in one pass: the parts that stay are copied once, in order, so an edit of
// every tag of a large body costs time in proportion to the body, not to the body times the
// number of tags. Searches run on the upper-case copy of the original, whose positions are
// those of the text.
struct TextRebuild {
    const QString& text;
    const QString upper;
    QString out;
    qsizetype copied = 0; // text before this position is in out or dropped

    explicit TextRebuild(const QString& t) : text(t), upper(fold(t)) { out.reserve(t.size()); }
    qsizetype find(const QString& what, qsizetype from) const { return upper.indexOf(what, from); }
    qsizetype find(QChar what, qsizetype from) const { return upper.indexOf(what, from); }
    // Keeps the text up to pos, then skips it through end.
    void drop(qsizetype pos, qsizetype end) {
        keep(pos);
        copied = end;
    }
    void keep(qsizetype pos) {
        out += QStringView(text).sliced(copied, pos - copied);
        copied = pos;
    }
    QString finish() {
        keep(text.size());
        return std::move(out);
    }
};

struct Replacement {
    const char16_t* from;
    const char16_t* to;
};

// Order matters: "[BR]" comes last so that the '[' it yields never starts another mark.
constexpr Replacement kMarks[] = {
    {u"[AP]", u"&"}, {u"[EQ]", u"="}, {u"[LF]", u"<BR>\n"}, {u"[CR]", u""}, {u"[BR]", u"["},
};

// Point sizes of older senders mapped onto HTML font sizes, applied one after the other.
constexpr Replacement kFontSizes[] = {
    {u"SIZE=8", u"SIZE=1"},  {u"SIZE=9", u"SIZE=2"},  {u"SIZE=10", u"SIZE=3"},
    {u"SIZE=11", u"SIZE=4"}, {u"SIZE=12", u"SIZE=4"}, {u"SIZE=14", u"SIZE=5"},
    {u"SIZE=16", u"SIZE=5"}, {u"SIZE=18", u"SIZE=6"}, {u"SIZE=20", u"SIZE=6"},
    {u"SIZE=24", u"SIZE=6"}, {u"SIZE=32", u"SIZE=7"}, {u"SIZE=48", u"SIZE=7"},
    {u"SIZE=64", u"SIZE=7"},
};

template <std::size_t N> void replaceAll(QString& text, const Replacement (&table)[N]) {
    for (const Replacement& r : table)
        text.replace(QString::fromUtf16(r.from), QString::fromUtf16(r.to), Qt::CaseSensitive);
}

} // namespace

CHtmlTagString::CHtmlTagString() = default;
CHtmlTagString::CHtmlTagString(const QString& text) : m_text(text) {}
CHtmlTagString::CHtmlTagString(const CHtmlTagString& other) = default;
CHtmlTagString::~CHtmlTagString() = default;
CHtmlTagString& CHtmlTagString::operator=(const CHtmlTagString& other) = default;

CHtmlTagString& CHtmlTagString::operator=(const QString& text) {
    m_text = text;
    return *this;
}

void CHtmlTagString::DeleteAllTag() {
    QString out;
    out.reserve(m_text.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = m_text.indexOf(u'<', from);
        if (open < 0) {
            out += QStringView(m_text).sliced(from);
            break;
        }
        out += QStringView(m_text).sliced(from, open - from);
        const qsizetype close = m_text.indexOf(u'>', open + 1);
        if (close < 0)
            break; // an unclosed '<' takes the rest with it
        from = close + 1;
    }
    m_text = std::move(out);
}

void CHtmlTagString::DeleteTag(const char16_t* tag) {
    const QString token = tagToken(tag);
    if (token.isEmpty())
        return;
    TextRebuild t(m_text);
    qsizetype pos = 0;
    while ((pos = t.find(token, pos)) >= 0) {
        const qsizetype close = t.find(u'>', pos + token.size());
        if (close < 0)
            break;
        t.drop(pos, close + 1);
        pos = close + 1;
    }
    m_text = t.finish();
}

void CHtmlTagString::DeleteSplitTag(const char16_t* startTag, const char16_t* endTag) {
    const QString token = tagToken(startTag);
    const QString end = fold(view(endTag));
    if (token.isEmpty() || end.isEmpty())
        return;
    TextRebuild t(m_text);
    qsizetype pos = 0;
    while ((pos = t.find(token, pos)) >= 0) {
        const qsizetype endPos = t.find(end, pos + token.size());
        if (endPos < 0)
            break;
        t.drop(pos, endPos + end.size());
        pos = endPos + end.size();
    }
    m_text = t.finish();
}

void CHtmlTagString::InsertTagAttr(const char16_t* tag, const char16_t* attr,
                                   const char16_t* value) {
    const QString token = tagToken(tag);
    const QString attrUpper = fold(view(attr));
    if (token.isEmpty() || attrUpper.isEmpty())
        return;
    const QString insertion =
        QLatin1Char(' ') + view(attr).toString() + QLatin1Char('=') + view(value).toString();
    TextRebuild t(m_text);
    qsizetype pos = 0;
    while ((pos = t.find(token, pos)) >= 0) {
        const qsizetype inside = pos + token.size();
        const qsizetype close = t.find(u'>', inside);
        if (close < 0)
            break;
        if (!QStringView(t.upper).sliced(inside, close - inside).contains(attrUpper)) {
            t.keep(close);
            t.out += insertion;
        }
        pos = close + 1;
    }
    m_text = t.finish();
}

int CHtmlTagString::GetSplitTag(const char16_t* startTag, const char16_t* endTag, QString& inner,
                                int from) {
    const QString token = tagToken(startTag);
    const QString end = fold(view(endTag));
    if (token.isEmpty() || end.isEmpty() || from > m_text.size())
        return -1;
    const QString upper = fold(m_text);
    const qsizetype start = upper.indexOf(token, from < 0 ? 0 : from);
    if (start < 0)
        return -1;
    const qsizetype close = upper.indexOf(u'>', start + token.size());
    if (close < 0)
        return -1;
    const qsizetype endPos = upper.indexOf(end, close + 1);
    if (endPos < 0)
        return -1;
    inner = m_text.mid(close + 1, endPos - close - 1);
    return int(endPos + end.size());
}

int CHtmlTagString::IsTag(const char16_t* tag) {
    const QString token = tagToken(tag);
    if (token.isEmpty())
        return 0;
    const QString upper = fold(m_text);
    const qsizetype pos = upper.indexOf(token);
    return pos >= 0 && upper.indexOf(u'>', pos + token.size()) >= 0 ? 1 : 0;
}

int CHtmlTagString::IsSplitTag(const char16_t* startTag, const char16_t* endTag) {
    const QString token = tagToken(startTag);
    const QString end = fold(view(endTag));
    if (token.isEmpty() || end.isEmpty())
        return 0;
    const QString upper = fold(m_text);
    const qsizetype pos = upper.indexOf(token);
    return pos >= 0 && upper.indexOf(end, pos) >= 0 ? 1 : 0;
}

void CHtmlTagString::ReplaceMarkS2COld() {
    replaceAll(m_text, kMarks);
    m_text = QStringLiteral("<BODY><DT>") + m_text + QStringLiteral("</DT></BODY>");
    replaceAll(m_text, kFontSizes);
}
