// CMd5Digest: the MD5 digest (RFC 1321) of a text or byte range, kept as 32
// lowercase hexadecimal characters.
#pragma once

#include <cstddef>

class CMd5Digest {
public:
    CMd5Digest();
    explicit CMd5Digest(const char* text);  // bytes up to the NUL
    virtual ~CMd5Digest();

    const char* GetHexText() const { return m_hexText; }
    void Compute(const void* bytes, size_t length);

private:
    char m_hexText[33];
};
