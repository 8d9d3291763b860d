// MD5 message digest (RFC 1321) of a byte string or of a NUL-terminated UTF-16 string, given
// as 32 lower-case hexadecimal digits.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstdint>

class OBRIX_API Cmd5 {
public:
    Cmd5();

    // Digest of length bytes at data. A length that reads as 0 or negative when taken as a
    // signed value means data is a NUL-terminated UTF-16 string; its little-endian code units,
    // without the terminator, are digested then.
    QString GetHash(unsigned char* data, unsigned int length);

protected:
    void Update(unsigned char* data, unsigned int length);
    void Process(unsigned char block[64]);
    void Finish();

private:
    void Reset();

    uint32_t m_count[2]; // message length in bytes: low half, high half
    uint32_t m_state[4]; // chaining values A, B, C, D
    unsigned char m_buffer[64];
    unsigned char m_digest[16];
    unsigned char m_padding[64];
};
