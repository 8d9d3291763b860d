// A message body in the transport's simple HTML, with text operations on its tags. Tags are
// found by plain case-insensitive substring search (this is not an HTML parser). An argument
// that names a tag ("<FONT" or "<FONT SIZE=3>") counts only up to its first '>' or space.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <QStringView>

class OBRIX_API CHtmlTagString {
public:
    CHtmlTagString();
    CHtmlTagString(const QString& text);
    CHtmlTagString(const CHtmlTagString& other);
    ~CHtmlTagString();

    CHtmlTagString& operator=(const CHtmlTagString& other);
    CHtmlTagString& operator=(const QString& text);

    // The text itself, for reading and changing.
    QString& GetString() { return m_text; }
    const QString& GetString() const { return m_text; }

    // Removes every "<...>"; an unclosed '<' takes the rest of the text with it.
    void DeleteAllTag();
    // Removes each opening tag that starts with the tag token, through its '>'.
    void DeleteTag(const char16_t* tag);
    // Removes each element from the start token through endTag, content included.
    void DeleteSplitTag(const char16_t* startTag, const char16_t* endTag);
    // Appends ` attr=value` to each tag of the token that does not name attr yet.
    void InsertTagAttr(const char16_t* tag, const char16_t* attr, const char16_t* value);
    // Sets inner to the content of the first element at or after from and returns the position
    // just after its endTag, or -1 (inner untouched). Feed the result back in to walk on.
    int GetSplitTag(const char16_t* startTag, const char16_t* endTag, QString& inner, int from);
    int IsTag(const char16_t* tag);
    int IsSplitTag(const char16_t* startTag, const char16_t* endTag);

    // Turns the transport's escape marks into displayable HTML inside a body and maps the
    // point sizes of older senders onto the HTML font sizes 1 to 7.
    void ReplaceMarkS2COld();

    // The current transport carries the text as it stands; these keep the call sites uniform.
    void ReplaceMarkS2C() {}
    void ReplaceMarkC2S() {}
    static void ReplaceMarkS2C(QString&) {}
    static void ReplaceMarkC2S(QString&) {}

    // Convenience forms for tags built at run time.
    void DeleteTag(const QString& tag) { DeleteTag(u16(tag)); }
    void DeleteSplitTag(const QString& startTag, const QString& endTag) {
        DeleteSplitTag(u16(startTag), u16(endTag));
    }
    void InsertTagAttr(const QString& tag, const QString& attr, const QString& value) {
        InsertTagAttr(u16(tag), u16(attr), u16(value));
    }
    int GetSplitTag(const QString& startTag, const QString& endTag, QString& inner, int from) {
        return GetSplitTag(u16(startTag), u16(endTag), inner, from);
    }
    int IsTag(const QString& tag) { return IsTag(u16(tag)); }
    int IsSplitTag(const QString& startTag, const QString& endTag) {
        return IsSplitTag(u16(startTag), u16(endTag));
    }

private:
    static const char16_t* u16(const QString& s) {
        return reinterpret_cast<const char16_t*>(s.utf16());
    }

    QString m_text;
};
