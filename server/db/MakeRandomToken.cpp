#include "MakeRandomToken.h"

#include <sys/random.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace {
std::atomic<int> g_tokenCounter{0};
}

std::string MakeRandomToken(int n) {
    static const char kTable[] =
        "_0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    std::string token = std::to_string(g_tokenCounter.fetch_add(1));
    if (n <= 0) return token;
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got > 0) filled += static_cast<size_t>(got);
    }
    for (uint8_t b : bytes) token += kTable[b & 63];
    return token;
}
