// The rights string composed for saving: stored digits kept unless a box
// was clicked, '3' kept when still ticked, always at least 64 digits.
#include "RightsString.h"

#include <gtest/gtest.h>

namespace {
struct ComposeCase {
    const char* stored;
    int commands[3];
    std::vector<int> fields;
    const char* expectedStart;  // the first digits of the result
};
}  // namespace

TEST(RightsString, ComposeKeepsWhatWasNotClicked)
{
    const ComposeCase cases[] = {
        {"", {1, 0, 1}, {}, "1010000000000"},
        {"0110000000313", {-1, -1, -1}, {-1, 1, 0}, "0110000000310"},
        {"1110000000300", {0, -1, -1}, {1, 1, -1}, "0110000000310"},
        {"11x", {-1, -1, -1}, {}, "1100000000"},
    };
    for (const ComposeCase& c : cases) {
        const QString result = rights::Compose(QString::fromLatin1(c.stored), c.commands, c.fields);
        EXPECT_EQ(result.size(), 64) << c.stored;
        EXPECT_TRUE(result.startsWith(QLatin1String(c.expectedStart))) << c.stored << " -> " << result.toStdString();
        EXPECT_EQ(result.mid(20), QString(44, '0')) << c.stored;
    }
}

TEST(RightsString, ComposeKeepsDigitsBeyondTheFieldsAndGrowsPastSixtyFour)
{
    QString stored(64, '0');
    stored[50] = '1';
    const int keep[3] = {-1, -1, -1};
    EXPECT_EQ(rights::Compose(stored, keep, {0, 0}), stored);
    EXPECT_EQ(rights::Compose(QString(), keep, std::vector<int>(60, 1)).size(), 70);
}

TEST(RightsString, GrantedByAnyGroup)
{
    const std::vector<bool> granted = rights::GrantedByAny({"100", "0030", "2"});
    EXPECT_TRUE(granted[0]);
    EXPECT_FALSE(granted[1]);
    EXPECT_TRUE(granted[2]);
    EXPECT_FALSE(granted[3]);
    EXPECT_EQ(granted.size(), 64u);
}
