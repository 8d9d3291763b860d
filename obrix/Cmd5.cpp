#include "obrix/Cmd5.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The sine table: entry i is the integer part of 2^32 * |sin(i + 1)|, i in radians.
const std::array<uint32_t, 64>& sineTable() {
    static const std::array<uint32_t, 64> table = [] {
        std::array<uint32_t, 64> t{};
        for (int i = 0; i < 64; ++i)
            t[i] = uint32_t(std::floor(4294967296.0 * std::fabs(std::sin(double(i + 1)))));
        return t;
    }();
    return table;
}

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t readLE32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void writeLE32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

Cmd5::Cmd5() {
    std::memset(m_buffer, 0, sizeof m_buffer);
    std::memset(m_digest, 0, sizeof m_digest);
    std::memset(m_padding, 0, sizeof m_padding);
    m_padding[0] = 0x80;
    Reset();
}

void Cmd5::Reset() {
    m_count[0] = m_count[1] = 0;
    m_state[0] = 0x67452301;
    m_state[1] = 0xEFCDAB89;
    m_state[2] = 0x98BADCFE;
    m_state[3] = 0x10325476;
}

QString Cmd5::GetHash(unsigned char* data, unsigned int length) {
    // Starting over makes a second call on the same object give a true digest as well.
    Reset();
    std::vector<unsigned char> text;
    if (int(length) <= 0) {
        // Code units are read bytewise: the string need not be aligned for char16_t.
        unsigned int units = 0;
        if (data) {
            while (data[2 * units] != 0 || data[2 * units + 1] != 0)
                ++units;
        }
        length = 2 * units;
        if constexpr (std::endian::native != std::endian::little) {
            text.assign(data, data + length);
            for (unsigned int i = 0; i < length; i += 2)
                std::swap(text[i], text[i + 1]);
            data = text.data();
        }
    }
    Update(data, length);
    Finish();

    static const char hex[] = "0123456789abcdef";
    QString digest(32, Qt::Uninitialized);
    for (int i = 0; i < 16; ++i) {
        digest[2 * i] = QLatin1Char(hex[m_digest[i] >> 4]);
        digest[2 * i + 1] = QLatin1Char(hex[m_digest[i] & 0x0F]);
    }
    return digest;
}

void Cmd5::Update(unsigned char* data, unsigned int length) {
    if (length == 0)
        return;
    unsigned int filled = m_count[0] % 64;
    m_count[0] += length;
    if (m_count[0] < length)
        ++m_count[1];

    unsigned int used = 0;
    if (filled > 0) {
        const unsigned int take = std::min(64 - filled, length);
        std::memcpy(m_buffer + filled, data, take);
        used = take;
        filled += take;
        if (filled < 64)
            return;
        Process(m_buffer);
    }
    for (; length - used >= 64; used += 64)
        Process(data + used);
    if (used < length)
        std::memcpy(m_buffer, data + used, length - used);
}

void Cmd5::Process(unsigned char block[64]) {
    const std::array<uint32_t, 64>& t = sineTable();
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = readLE32(block + 4 * i);

    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int k;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = (1 + 5 * i) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (5 + 3 * i) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        const uint32_t sum = a + f + x[k] + t[i];
        a = d;
        d = c;
        c = b;
        b = b + std::rotl(sum, kShift[round][i % 4]);
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void Cmd5::Finish() {
    // The bit length is taken before padding changes the count.
    unsigned char bits[8];
    writeLE32(bits, m_count[0] << 3);
    writeLE32(bits + 4, (m_count[1] << 3) | (m_count[0] >> 29));

    const unsigned int filled = m_count[0] % 64;
    Update(m_padding, filled < 56 ? 56 - filled : 120 - filled);
    Update(bits, 8);
    for (int i = 0; i < 4; ++i)
        writeLE32(m_digest + 4 * i, m_state[i]);
}
