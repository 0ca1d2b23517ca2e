// Encodes and decodes 64 MiB with ParamBase64 and with a plain Base64 coder
// written here for reference, and prints the speed ratio (target: ours at
// least half as fast as the reference).
#include "ParamCoding.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace {

const size_t kBytes = 64u << 20;
const int kRounds = 3;

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Plain RFC 4648 Base64 without line breaks, into out (storage reused).
void ReferenceEncode(const unsigned char* in, size_t n, std::string& out) {
    out.resize((n + 2) / 3 * 4);
    char* o = &out[0];
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned v = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
        *o++ = kAlphabet[v >> 18];
        *o++ = kAlphabet[(v >> 12) & 63];
        *o++ = kAlphabet[(v >> 6) & 63];
        *o++ = kAlphabet[v & 63];
    }
    if (n - i == 1) {
        *o++ = kAlphabet[in[i] >> 2];
        *o++ = kAlphabet[(in[i] & 3) << 4];
        *o++ = '=';
        *o++ = '=';
    } else if (n - i == 2) {
        *o++ = kAlphabet[in[i] >> 2];
        *o++ = kAlphabet[((in[i] & 3) << 4) | (in[i + 1] >> 4)];
        *o++ = kAlphabet[(in[i + 1] & 15) << 2];
        *o++ = '=';
    }
}

void ReferenceDecode(const std::string& coded, std::string& out) {
    static unsigned char table[256];
    static bool ready = false;
    if (!ready) {
        memset(table, 0, sizeof table);
        for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
        ready = true;
    }
    const size_t n = coded.size();
    out.resize(n / 4 * 3);
    const unsigned char* in = reinterpret_cast<const unsigned char*>(coded.data());
    unsigned char* o = reinterpret_cast<unsigned char*>(&out[0]);
    for (size_t i = 0; i + 4 <= n; i += 4) {
        const unsigned v = (unsigned(table[in[i]]) << 18) | (unsigned(table[in[i + 1]]) << 12) |
                           (unsigned(table[in[i + 2]]) << 6) | table[in[i + 3]];
        *o++ = static_cast<unsigned char>(v >> 16);
        *o++ = static_cast<unsigned char>(v >> 8);
        *o++ = static_cast<unsigned char>(v);
    }
    size_t pads = 0;
    if (n >= 1 && coded[n - 1] == '=') ++pads;
    if (n >= 2 && coded[n - 2] == '=') ++pads;
    out.resize(out.size() - pads);
}

// Best time of kRounds runs, in seconds.
double Best(const std::function<void()>& run) {
    double best = 1e30;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

double MiBs(double seconds) {
    return (kBytes / 1048576.0) / seconds;
}

}  // namespace

int main() {
    std::string data(kBytes, '\0');
    std::mt19937_64 random(42);
    for (size_t i = 0; i + 8 <= data.size(); i += 8) {
        const uint64_t v = random();
        memcpy(&data[i], &v, 8);
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());

    // Both sides write into storage kept from the previous round, so the
    // figures compare the coders rather than the allocator's page faults.
    std::string ours, reference;
    const double oursEncode = Best([&] { EncodeParamBytes(data.data(), data.size(), ours); });
    const double refEncode = Best([&] { ReferenceEncode(bytes, data.size(), reference); });

    std::string oursDecoded, refDecoded;
    bool valid = true;
    const double oursDecode = Best([&] { valid = DecodeParamBytes(ours.data(), ours.size(), oursDecoded) && valid; });
    const double refDecode = Best([&] { ReferenceDecode(reference, refDecoded); });

    // The text interface, which allocates its result every time.
    std::string text(data);
    for (char& c : text)
        if (c == 0) c = 'z';
    CListString coded, decoded;
    const double textEncode = Best([&] { coded = EncodeParam(text.c_str()); });
    const double textDecode = Best([&] { valid = DecodeParam(coded.CStr(), decoded) && valid; });
    valid = valid && decoded.StdString() == text;

    if (!valid || oursDecoded != data || refDecoded != data) {
        fprintf(stderr, "round trip failed\n");
        return 1;
    }
    const double encodeRatio = refEncode / oursEncode;  // 1.0: as fast as the reference
    const double decodeRatio = refDecode / oursDecode;
    printf("ParamBase64 over 64 MiB (best of %d)\n", kRounds);
    printf("  encode: ours %.0f MiB/s, plain Base64 %.0f MiB/s, ratio %.2f\n", MiBs(oursEncode),
           MiBs(refEncode), encodeRatio);
    printf("  decode: ours %.0f MiB/s, plain Base64 %.0f MiB/s, ratio %.2f\n", MiBs(oursDecode),
           MiBs(refDecode), decodeRatio);
    printf("  text interface (EncodeParam/DecodeParam, allocating): encode %.0f MiB/s, decode %.0f MiB/s\n",
           MiBs(textEncode), MiBs(textDecode));
    const bool met = encodeRatio >= 0.5 && decodeRatio >= 0.5;
    printf("  target ratio >= 0.50: %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
