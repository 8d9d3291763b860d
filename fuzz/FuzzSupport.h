// What every fuzz target shares: the input as bytes or as UTF-16 text, and a check that ends
// the run as a crash, so that libFuzzer keeps the input that broke a promise of a reader.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input as UTF-16 code units (little-endian), so that unpaired surrogates and U+0000 can
// occur; an odd last byte is dropped.
inline QString Utf16(const uint8_t* data, size_t size) {
    QString s(qsizetype(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = QChar(char16_t(data[2 * i] | data[2 * i + 1] << 8));
    return s;
}

inline QByteArray Utf16Bytes(const QString& s) {
    QByteArray out;
    for (QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzz::Broken(#condition, __FILE__, __LINE__);                                          \
    } while (false)
