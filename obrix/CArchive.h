// Reader and writer of the framework archive encoding shared by every stored object:
// little-endian integers and length-prefixed strings (0xFF 0xFFFE marks UTF-16 text; without
// the mark a string is 8-bit text in the local code page). Reading is bounded by the bytes
// given: a length or count beyond what is left raises CArchiveException, never allocates.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <stdexcept>

class OBRIX_API CArchiveException : public std::runtime_error {
public:
    enum Cause {
        endOfFile, // the stream ended inside an item
        badCount,  // a count or length that the remaining bytes cannot hold
        badValue,  // a value that cannot be represented (for example a time)
    };
    CArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}
    Cause cause() const { return m_cause; }

private:
    Cause m_cause;
};

class OBRIX_API CArchive {
public:
    // An archive that stores into its own growing buffer.
    CArchive();
    // An archive that loads from the given bytes.
    explicit CArchive(const QByteArray& bytes);

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing: the bytes written so far. Loading: the whole input.
    const QByteArray& Bytes() const { return m_buffer; }
    // Loading: read position and bytes not yet read.
    qsizetype Position() const { return m_pos; }
    qsizetype BytesLeft() const { return m_buffer.size() - m_pos; }
    bool AtEnd() const { return BytesLeft() == 0; }

    void WriteUInt8(uint8_t v);
    void WriteUInt16(uint16_t v);
    void WriteInt32(int32_t v);
    void WriteUInt32(uint32_t v);
    void WriteInt64(int64_t v);
    void WriteString(const QString& s);

    uint8_t ReadUInt8();
    uint16_t ReadUInt16();
    int32_t ReadInt32();
    uint32_t ReadUInt32();
    int64_t ReadInt64();
    QString ReadString();
    // Reads an element count and checks that at least count * minBytesEach bytes remain,
    // so that a damaged count is refused before anything is allocated for it.
    int32_t ReadCount(qsizetype minBytesEach);

    CArchive& operator<<(int32_t v) {
        WriteInt32(v);
        return *this;
    }
    CArchive& operator<<(uint32_t v) {
        WriteUInt32(v);
        return *this;
    }
    CArchive& operator<<(int64_t v) {
        WriteInt64(v);
        return *this;
    }
    CArchive& operator<<(const QString& s) {
        WriteString(s);
        return *this;
    }
    CArchive& operator>>(int32_t& v) {
        v = ReadInt32();
        return *this;
    }
    CArchive& operator>>(uint32_t& v) {
        v = ReadUInt32();
        return *this;
    }
    CArchive& operator>>(int64_t& v) {
        v = ReadInt64();
        return *this;
    }
    CArchive& operator>>(QString& s) {
        s = ReadString();
        return *this;
    }

private:
    void Require(qsizetype n);
    void RequireStoring() const;
    void RequireLoading() const;

    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_storing;
};
