#include "obrix/CArchive.h"

#include <QtEndian>

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(const QByteArray& bytes) : m_buffer(bytes), m_storing(false) {}

void CArchive::RequireStoring() const {
    if (!m_storing)
        throw std::logic_error("CArchive: write on a loading archive");
}

void CArchive::RequireLoading() const {
    if (m_storing)
        throw std::logic_error("CArchive: read on a storing archive");
}

void CArchive::Require(qsizetype n) {
    RequireLoading();
    if (n < 0 || n > BytesLeft())
        throw CArchiveException(CArchiveException::endOfFile, "archive ended early");
}

void CArchive::WriteUInt8(uint8_t v) {
    RequireStoring();
    m_buffer.append(char(v));
}

void CArchive::WriteUInt16(uint16_t v) {
    RequireStoring();
    char b[2];
    qToLittleEndian(v, b);
    m_buffer.append(b, 2);
}

void CArchive::WriteInt32(int32_t v) {
    WriteUInt32(uint32_t(v));
}

void CArchive::WriteUInt32(uint32_t v) {
    RequireStoring();
    char b[4];
    qToLittleEndian(v, b);
    m_buffer.append(b, 4);
}

void CArchive::WriteInt64(int64_t v) {
    RequireStoring();
    char b[8];
    qToLittleEndian(v, b);
    m_buffer.append(b, 8);
}

// Tag 0xFF and word 0xFFFE mark UTF-16 text; then the length in characters: one byte below
// 0xFF, else 0xFF and a word below 0xFFFE, else 0xFF, 0xFFFF and a 32-bit length.
void CArchive::WriteString(const QString& s) {
    RequireStoring();
    WriteUInt8(0xFF);
    WriteUInt16(0xFFFE);
    const qsizetype n = s.size();
    if (n < 0xFF) {
        WriteUInt8(uint8_t(n));
    } else if (n < 0xFFFE) {
        WriteUInt8(0xFF);
        WriteUInt16(uint16_t(n));
    } else {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(uint32_t(n));
    }
    for (QChar c : s)
        WriteUInt16(c.unicode());
}

uint8_t CArchive::ReadUInt8() {
    Require(1);
    return uint8_t(m_buffer[m_pos++]);
}

uint16_t CArchive::ReadUInt16() {
    Require(2);
    const auto v = qFromLittleEndian<uint16_t>(m_buffer.constData() + m_pos);
    m_pos += 2;
    return v;
}

int32_t CArchive::ReadInt32() {
    return int32_t(ReadUInt32());
}

uint32_t CArchive::ReadUInt32() {
    Require(4);
    const auto v = qFromLittleEndian<uint32_t>(m_buffer.constData() + m_pos);
    m_pos += 4;
    return v;
}

int64_t CArchive::ReadInt64() {
    Require(8);
    const auto v = qFromLittleEndian<int64_t>(m_buffer.constData() + m_pos);
    m_pos += 8;
    return v;
}

QString CArchive::ReadString() {
    RequireLoading();
    bool wide = false;
    uint64_t length = ReadUInt8();
    if (length == 0xFF) {
        uint16_t word = ReadUInt16();
        if (word == 0xFFFE) {
            wide = true;
            length = ReadUInt8();
            if (length == 0xFF)
                word = ReadUInt16();
        }
        if (length == 0xFF)
            length = word == 0xFFFF ? ReadUInt32() : word;
    }
    const uint64_t bytes = wide ? length * 2 : length;
    if (bytes > uint64_t(BytesLeft()))
        throw CArchiveException(CArchiveException::endOfFile,
                                "archived string longer than the bytes left");
    const char* p = m_buffer.constData() + m_pos;
    m_pos += qsizetype(bytes);
    if (!wide)
        return QString::fromLocal8Bit(p, qsizetype(bytes));
    QString s(qsizetype(length), Qt::Uninitialized);
    for (qsizetype i = 0; i < qsizetype(length); ++i)
        s[i] = QChar(qFromLittleEndian<uint16_t>(p + 2 * i));
    return s;
}

int32_t CArchive::ReadCount(qsizetype minBytesEach) {
    const int32_t n = ReadInt32();
    if (n > 0 && minBytesEach > 0 && qsizetype(n) > BytesLeft() / minBytesEach)
        throw CArchiveException(CArchiveException::badCount,
                                "archived count larger than the bytes left can hold");
    return n;
}
