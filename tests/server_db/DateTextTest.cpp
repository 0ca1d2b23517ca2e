#include "DateText.h"

#include <gtest/gtest.h>

namespace {

CDateTime Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    CDateTime v;
    v.year = y;
    v.month = mo;
    v.day = d;
    v.hour = h;
    v.minute = mi;
    v.second = s;
    return v;
}

TEST(DateTextTest, FormatDate) {
    struct Case {
        CDateTime value;
        int format;
        const char* text;
    } cases[] = {
        {Make(2008, 5, 6), 0, "2008-05-06"},
        {Make(2008, 5, 6, 9), 0, "2008-05-06 09:00:00"},
        {Make(2008, 5, 6, 9, 30), 0, "2008-05-06 09:30:00"},
        {Make(2008, 5, 6, 0, 0, 1), 0, "2008-05-06 00:00:01"},
        {Make(2008, 5, 6), 1, "20080506"},
        {Make(2008, 5, 6, 9, 30), 1, "20080506093000"},
        {Make(2008, 5, 6, 9), 1, "20080506090000"},
        {Make(2008, 5, 6), 7, "2008-05-06"},
        {Make(0, 1, 1), 0, ""},
        {Make(-1, 1, 1, 5), 1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, FormatDate(c.value, c.format)) << c.text;
}

TEST(DateTextTest, ParseDate) {
    struct Case {
        const char* text;
        int format;
        int result;
        int y, mo, d, h, mi, s;
    } cases[] = {
        {"2008", 0, 1, 2008, 1, 1, 0, 0, 0},
        {"2008-05", 0, 1, 2008, 5, 1, 0, 0, 0},
        {"2008-05-06", 0, 1, 2008, 5, 6, 0, 0, 0},
        {"2008-05-06 10", 0, 1, 2008, 5, 6, 10, 0, 0},
        {"2008-05-06 10:20", 0, 1, 2008, 5, 6, 10, 20, 0},
        {"2008-05-06 10:20:30", 0, 1, 2008, 5, 6, 10, 20, 30},
        {"2008-5-6", 0, 0, 0, 0, 0, 0, 0, 0},
        {"200805", 1, 1, 2008, 5, 1, 0, 0, 0},
        {"20080506", 1, 1, 2008, 5, 6, 0, 0, 0},
        // The ten-character dash form read by the digits layout of that length.
        {"2008-05-06", 1, 1, 2008, 0, 5, 0, 0, 0},
        {"2008050610", 1, 1, 2008, 5, 6, 10, 0, 0},
        {"200805061020", 1, 1, 2008, 5, 6, 10, 20, 0},
        {"20080506102030", 1, 1, 2008, 5, 6, 10, 20, 30},
        {"2008-05-06 10:00:00", 1, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CDateTime v = Make(1900, 1, 1);
        EXPECT_EQ(c.result, ParseDate(c.text, v, c.format)) << c.text;
        EXPECT_EQ(c.y, v.year) << c.text;
        EXPECT_EQ(c.mo, v.month) << c.text;
        EXPECT_EQ(c.d, v.day) << c.text;
        EXPECT_EQ(c.h, v.hour) << c.text;
        EXPECT_EQ(c.mi, v.minute) << c.text;
        EXPECT_EQ(c.s, v.second) << c.text;
    }
    // Empty text and unknown formats leave the value alone.
    CDateTime v = Make(1900, 1, 1);
    EXPECT_EQ(0, ParseDate("", v, 0));
    EXPECT_EQ(0, ParseDate(nullptr, v, 0));
    EXPECT_EQ(0, ParseDate("2008-05-06", v, 2));
    EXPECT_EQ(1900, v.year);
}

TEST(DateTextTest, NumbersPrintShortestRoundTrip) {
    EXPECT_EQ("3", FormatDouble(3.0));
    EXPECT_EQ("2.5", FormatDouble(2.5));
    EXPECT_EQ("0.1", FormatDouble(0.1));
    EXPECT_EQ("-12.25", FormatDouble(-12.25));
    EXPECT_EQ("0", FormatDouble(0.0));
    EXPECT_EQ("123456789012.5", FormatDouble(123456789012.5));
    EXPECT_EQ(1e300, std::stod(FormatDouble(1e300)));
    EXPECT_EQ(0.1 + 0.2, std::stod(FormatDouble(0.1 + 0.2)));
    EXPECT_EQ("0.1", FormatFloat(0.1f));
    EXPECT_EQ("12.5", TrimDecimal("12.50"));
    EXPECT_EQ("10", TrimDecimal("10.0000"));
    EXPECT_EQ("0", TrimDecimal("0.00"));
    EXPECT_EQ("0", TrimDecimal("-0.00"));
    EXPECT_EQ("1200", TrimDecimal("1200"));
    EXPECT_EQ("12345678901234567890.1", TrimDecimal("12345678901234567890.10"));
}

}  // namespace
