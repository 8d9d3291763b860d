// Helpers shared by the classes that own strings and lend them to plain records: the record
// holds NUL-terminated UTF-16 pointers into the owning object's QStrings, and colours travel
// both as a value and as decimal text.
#pragma once

#include <QString>
#include <cstdint>
#include <limits>

namespace RecordText {

// Pointer for a record field. Valid until the string is changed or destroyed, so every
// setter of an owning class writes the field again after changing the string.
inline const char16_t* Field(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// Stores a value in an owned string and points the record field at it.
inline void Assign(QString& owned, const char16_t*& field, const QString& value) {
    owned = value;
    field = Field(owned);
}

// A record field as a string; a null field reads as empty.
inline QString FromField(const char16_t* p) {
    return p ? QString::fromUtf16(p) : QString();
}

// Colour text is the value formatted as a signed 32-bit decimal.
inline QString ColourText(uint32_t value) {
    return QString::number(int32_t(value));
}

// Leading decimal integer of a text: leading blanks, an optional sign, then digits; anything
// after them is ignored, no digits give 0, and values beyond 32 bits saturate.
inline int32_t LeadingInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                     text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int64_t v = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            v = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negative)
        return int32_t(-v);
    return v > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                   : int32_t(v);
}

} // namespace RecordText
