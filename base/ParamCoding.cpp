#include "ParamCoding.h"

#include <cstring>
#include <utility>

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kParamAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789|/";

// Full groups on one line: a break follows the group after which the line
// holds more than lineLength - 4 characters.
size_t GroupsPerLine(size_t lineLength) {
    if (lineLength == 0) return 0;
    return lineLength < 4 ? 1 : (lineLength - 4) / 4 + 1;
}

size_t Encode(const unsigned char* in, char* out, size_t length, size_t lineLength,
              const char* alphabet) {
    const size_t groups = length / 3;
    const size_t perLine = GroupsPerLine(lineLength);
    char* o = out;
    size_t g = 0;
    while (g < groups) {
        size_t end = perLine ? g + perLine : groups;
        const bool lineFull = perLine && end <= groups;
        if (!lineFull) end = groups;
        for (; g < end; ++g, in += 3) {
            const unsigned v = (unsigned(in[0]) << 16) | (unsigned(in[1]) << 8) | in[2];
            o[0] = alphabet[v >> 18];
            o[1] = alphabet[(v >> 12) & 63];
            o[2] = alphabet[(v >> 6) & 63];
            o[3] = alphabet[v & 63];
            o += 4;
        }
        if (lineFull) {
            *o++ = '\r';
            *o++ = '\n';
        }
    }
    const size_t rest = length % 3;
    if (rest == 1) {
        o[0] = alphabet[in[0] >> 2];
        o[1] = alphabet[(in[0] & 3) << 4];
        o[2] = '_';
        o[3] = '_';
        o += 4;
    } else if (rest == 2) {
        o[0] = alphabet[in[0] >> 2];
        o[1] = alphabet[((in[0] & 3) << 4) | (in[1] >> 4)];
        o[2] = alphabet[(in[1] & 15) << 2];
        o[3] = '_';
        o += 4;
    }
    *o = 0;
    return static_cast<size_t>(o - out);
}

enum : signed char { kInvalid = -1, kSkip = -2, kPad = -3 };

struct DecodeTable {
    signed char value[256];
    DecodeTable() {
        memset(value, kInvalid, sizeof value);
        for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
        value[static_cast<unsigned char>('|')] = 62;
        value[static_cast<unsigned char>('=')] = kPad;
        value[static_cast<unsigned char>('_')] = kPad;
        value[static_cast<unsigned char>('\r')] = kSkip;
        value[static_cast<unsigned char>('\n')] = kSkip;
    }
};

const DecodeTable kDecode;

}  // namespace

size_t Base64EncodedSize(size_t inputLength, size_t lineLength) {
    const size_t perLine = GroupsPerLine(lineLength);
    const size_t breaks = perLine ? (inputLength / 3) / perLine : 0;
    return (inputLength + 2) / 3 * 4 + breaks * 2;
}

size_t Base64Encode(const unsigned char* input, char* output, size_t inputLength,
                    size_t lineLength) {
    return Encode(input, output, inputLength, lineLength, kBase64Alphabet);
}

void EncodeParamBytes(const void* bytes, size_t length, std::string& coded) {
    coded.resize(Base64EncodedSize(length, 8000));
    if (length == 0) return;
    // The string's own terminator takes the encoder's NUL.
    Encode(static_cast<const unsigned char*>(bytes), &coded[0], length, 8000, kParamAlphabet);
}

std::string EncodeParamBytes(const void* bytes, size_t length) {
    std::string coded;
    EncodeParamBytes(bytes, length, coded);
    return coded;
}

CListString EncodeParam(const char* text) {
    if (!text) return CListString();
    return CListString(EncodeParamBytes(text, strlen(text)));
}

bool DecodeParamBytes(const char* coded, size_t length, std::string& bytes) {
    if (!coded || length == 0) {
        bytes.clear();
        return true;
    }
    const unsigned char* in = reinterpret_cast<const unsigned char*>(coded);
    bytes.resize(length / 4 * 3 + 3);
    unsigned char* out = reinterpret_cast<unsigned char*>(&bytes[0]);
    const signed char* table = kDecode.value;

    unsigned accumulator = 0;
    int inGroup = 0;   // characters of the current group read so far
    int pads = 0;      // pad characters of the last group
    bool ended = false;  // a padded group was completed: only line breaks may follow
    size_t i = 0;
    while (i < length) {
        if (inGroup == 0 && !ended) {
            // Whole groups of plain characters: the bulk of any coding.
            while (i + 4 <= length) {
                const int a = table[in[i]], b = table[in[i + 1]], c = table[in[i + 2]],
                          d = table[in[i + 3]];
                if ((a | b | c | d) < 0) break;
                const unsigned v = (unsigned(a) << 18) | (unsigned(b) << 12) | (unsigned(c) << 6) | unsigned(d);
                out[0] = static_cast<unsigned char>(v >> 16);
                out[1] = static_cast<unsigned char>(v >> 8);
                out[2] = static_cast<unsigned char>(v);
                out += 3;
                i += 4;
            }
            if (i >= length) break;
        }
        const int value = table[in[i++]];
        if (value == kSkip) continue;
        if (value == kInvalid || ended) goto invalid;
        if (value == kPad) {
            // Pads stand only in the third and fourth place of the last group.
            if (inGroup < 2) goto invalid;
            ++pads;
            accumulator <<= 6;
        } else {
            if (pads > 0) goto invalid;
            accumulator = (accumulator << 6) | unsigned(value);
        }
        if (++inGroup == 4) {
            out[0] = static_cast<unsigned char>(accumulator >> 16);
            if (pads < 2) out[1] = static_cast<unsigned char>(accumulator >> 8);
            if (pads < 1) out[2] = static_cast<unsigned char>(accumulator);
            out += 3 - pads;
            if (pads > 0) ended = true;
            inGroup = 0;
            pads = 0;
            accumulator = 0;
        }
    }
    if (inGroup == 1) goto invalid;
    if (inGroup > 1) {
        if (pads > 0) goto invalid;  // a padded group must be whole
        accumulator <<= 6 * (4 - inGroup);
        out[0] = static_cast<unsigned char>(accumulator >> 16);
        if (inGroup == 3) out[1] = static_cast<unsigned char>(accumulator >> 8);
        out += inGroup - 1;
    }
    bytes.resize(out - reinterpret_cast<unsigned char*>(&bytes[0]));
    return true;

invalid:
    bytes.clear();
    return false;
}

bool DecodeParam(const char* coded, CListString& text) {
    std::string bytes;
    if (!DecodeParamBytes(coded, coded ? strlen(coded) : 0, bytes)) {
        text.SetText("");
        return false;
    }
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    text = CListString(std::move(bytes));
    return true;
}
