#include "CQuerySlot.h"

#include "MakeRandomToken.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<int> g_slotCounter{0};
}

std::string MakeSlotId() {
    // 000001 ... 999998, then from 000000 on.
    int value = ++g_slotCounter;
    if (value >= 999999) {
        g_slotCounter = 0;
        value = 0;
    }
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%06d|", value);
    return prefix + MakeRandomToken(7);
}
