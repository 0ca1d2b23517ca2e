#include "TextEncoding.h"

#include <cerrno>
#include <cstring>
#include <strings.h>
#include <iconv.h>
#include <langinfo.h>

namespace {

const unsigned char kReplacement[3] = {0xEF, 0xBF, 0xBD};  // U+FFFD

// Length of the valid UTF-8 character at p (n bytes left): 1 to 4, 0 when
// the bytes are not a valid character, -1 when it is cut by the end.
int Utf8CharLength(const unsigned char* p, size_t n) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    int length;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (static_cast<size_t>(i) >= n) return -1;
        const unsigned char lo = i == 1 ? low : 0x80, hi = i == 1 ? high : 0xBF;
        if (p[i] < lo || p[i] > hi) return 0;
    }
    return length;
}

// Copies valid UTF-8, putting U+FFFD for each invalid byte and leaving out a
// character cut by the end.
int CopyUtf8(const unsigned char* in, size_t n, unsigned char* out) {
    unsigned char* o = out;
    size_t i = 0;
    while (i < n) {
        const int length = Utf8CharLength(in + i, n - i);
        if (length < 0) break;
        if (length == 0) {
            memcpy(o, kReplacement, 3);
            o += 3;
            ++i;
            continue;
        }
        memcpy(o, in + i, length);
        o += length;
        i += length;
    }
    *o = 0;
    return static_cast<int>(o - out);
}

bool IsUtf8CodeSet(const char* codeset) {
    // Without setlocale() the C library reports plain ASCII; the system's
    // texts are UTF-8 then as well.
    return !codeset || !*codeset || strcasecmp(codeset, "UTF-8") == 0 ||
           strcasecmp(codeset, "UTF8") == 0 || strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
           strcasecmp(codeset, "ASCII") == 0;
}

struct IconvHandle {
    iconv_t handle;
    explicit IconvHandle(const char* from) : handle(iconv_open("UTF-8", from)) {}
    ~IconvHandle() {
        if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
    bool Valid() const { return handle != reinterpret_cast<iconv_t>(-1); }
};

}  // namespace

int AnsiToUtf8(const char* text, int byteCount, char* output) {
    if (!output) return 0;
    output[0] = 0;
    if (!text || byteCount <= 0) return 0;
    // The text ends at its first NUL even inside the count.
    const void* nul = memchr(text, 0, byteCount);
    const size_t n = nul ? static_cast<const char*>(nul) - text : static_cast<size_t>(byteCount);
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    unsigned char* out = reinterpret_cast<unsigned char*>(output);

    const char* codeset = nl_langinfo(CODESET);
    if (IsUtf8CodeSet(codeset)) return CopyUtf8(in, n, out);

    IconvHandle converter(codeset);
    if (!converter.Valid()) return CopyUtf8(in, n, out);
    char* source = const_cast<char*>(text);
    size_t sourceLeft = n;
    char* target = output;
    size_t targetLeft = 3 * n;
    while (sourceLeft > 0) {
        if (iconv(converter.handle, &source, &sourceLeft, &target, &targetLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ && targetLeft >= 3) {
            memcpy(target, kReplacement, 3);
            target += 3;
            targetLeft -= 3;
            ++source;
            --sourceLeft;
            continue;
        }
        break;  // a character cut by the count, or no room
    }
    *target = 0;
    return static_cast<int>(target - output);
}

int Utf8Length(const char16_t* units, int count) {
    if (!units) return 0;
    int length = 0;
    for (int i = 0; i < count && units[i] != 0; ++i) {
        const unsigned u = units[i];
        length += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    return length;
}

int Utf8Encode(const char16_t* units, int count, char* output, int length) {
    if (!output || length < 0) return 0;
    int written = 0;
    for (int i = 0; units && i < count && units[i] != 0; ++i) {
        const unsigned u = units[i];
        const int need = u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        if (written + need > length) break;  // never write part of a character
        unsigned char* o = reinterpret_cast<unsigned char*>(output + written);
        if (need == 1) {
            o[0] = static_cast<unsigned char>(u);
        } else if (need == 2) {
            o[0] = static_cast<unsigned char>(0xC0 | (u >> 6));
            o[1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
        } else {
            o[0] = static_cast<unsigned char>(0xE0 | (u >> 12));
            o[1] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            o[2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
        written += need;
    }
    output[written] = 0;
    return written;
}
