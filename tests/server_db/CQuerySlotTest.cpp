#include "CQuerySlot.h"
#include "MakeRandomToken.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct FakeCursor {
    int resets = 0;
    bool open = false;
    void Reset() {
        ++resets;
        open = false;
    }
};

TEST(CQuerySlotTest, SlotIdShape) {
    // The first id of the process has the counter 000001.
    std::string first = MakeSlotId();
    EXPECT_EQ("000001|", first.substr(0, 7));
    std::string second = MakeSlotId();
    EXPECT_EQ("000002|", second.substr(0, 7));
    // After the bar: the token counter's digits and 7 random characters.
    std::string token = second.substr(7);
    ASSERT_GT(token.size(), 7u);
    for (char c : token.substr(token.size() - 7)) EXPECT_TRUE(isalnum(c) || c == '_');
}

TEST(CQuerySlotTest, RandomTokensDiffer) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string t = MakeRandomToken(16);
        seen.insert(t.substr(t.size() - 16));
    }
    EXPECT_EQ(200u, seen.size());
}

TEST(CQuerySlotTest, TableTakesFindsAndFreesSlots) {
    CQuerySlotTable<FakeCursor> table;
    std::vector<CQuerySlot<FakeCursor>*> taken;
    for (int i = 0; i < 20; ++i) {
        CQuerySlot<FakeCursor>* slot = table.FindFreeSlot();
        ASSERT_NE(nullptr, slot);
        slot->slotId = "id" + std::to_string(i);
        slot->lastUse = 1000 + i;
        taken.push_back(slot);
    }
    EXPECT_EQ(nullptr, table.FindFreeSlot());
    EXPECT_EQ(taken[7], table.FindSlot("id7"));
    EXPECT_EQ(nullptr, table.FindSlot("ID7"));
    EXPECT_EQ(nullptr, table.FindSlot(""));

    // Idle for at least 10 seconds at time 1015: the slots used at 1000-1005.
    table.CloseIdle(1015, 10);
    EXPECT_EQ(14, table.InUseCount());
    EXPECT_EQ(nullptr, table.FindSlot("id5"));
    EXPECT_NE(nullptr, table.FindSlot("id6"));

    CQuerySlot<FakeCursor>* again = table.FindFreeSlot();
    ASSERT_NE(nullptr, again);
    EXPECT_TRUE(again->slotId.empty());
    EXPECT_EQ("success", again->status);
}

}  // namespace
