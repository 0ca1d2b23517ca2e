#include "CResultSet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Writes '|' as the column separator 1 and ';' as the line separator 2.
std::string Wire(std::string text) {
    for (char& c : text) {
        if (c == '|') c = '\x01';
        if (c == ';') c = '\x02';
    }
    return text;
}

std::string S(const CListString& s) {
    return s.CStr();
}

TEST(CResultSet, ParseCountsRowsEndedBySeparator) {
    struct Case {
        const char* text;
        int rows;
        int fields;
    };
    const Case cases[] = {
        {"A|B;1|2;3|4;", 2, 2}, {"A|B;1|2;3|4", 1, 2}, {"A|B;", 0, 2}, {"A|B", 0, 2},
        {"", -1, 0},            {";1|2;", -1, 0},      {"A|B;1;;", 2, 2}, {"A;;;;", 3, 1},
        {"|B;x|y;", 1, 2},
    };
    for (const Case& c : cases) {
        CResultSet set;
        EXPECT_EQ(set.Parse(Wire(c.text).c_str()), c.rows) << c.text;
        EXPECT_EQ(set.GetFieldCount(), c.fields) << c.text;
        EXPECT_EQ(set.GetRowCount(), c.rows < 0 ? 0 : c.rows) << c.text;
    }
}

TEST(CResultSet, Getters) {
    CResultSet set;
    ASSERT_EQ(set.Parse(Wire("A|B;1|2;3|4;").c_str()), 2);
    EXPECT_EQ(S(set.GetValue(1, "b")), "4");
    EXPECT_EQ(set.GetInt(0, "A"), 1);
    EXPECT_EQ(S(set.GetValueAt(0, 1)), "2");
    EXPECT_EQ(set.GetIntAt(1, 0), 3);
    EXPECT_EQ(S(set.GetValue(0, "C")), "字段 \"C\" 不正确");
    EXPECT_EQ(S(set.GetValueAt(0, 2)), "字段序号不正确");
    EXPECT_EQ(S(set.GetValueAt(0, -1)), "字段序号不正确");
    EXPECT_EQ(set.GetIntAt(0, -1), -999);
    EXPECT_EQ(set.GetInt(0, "C"), -999);
    EXPECT_EQ(set.GetInt(-1, "A"), 0);
    EXPECT_EQ(set.GetIntAt(-1, 5), 0);
    EXPECT_EQ(S(set.GetValue(-1, "A")), "");
    EXPECT_EQ(S(set.GetValue(2, "A")), "");   // beyond the row count
    EXPECT_EQ(S(set.GetValue(99, "A")), "");
}

TEST(CResultSet, ShortAndEmptyRows) {
    CResultSet set;
    ASSERT_EQ(set.Parse(Wire("A|B;1;;|x;").c_str()), 3);
    EXPECT_EQ(S(set.GetValue(0, "A")), "1");
    EXPECT_EQ(S(set.GetValue(0, "B")), "");
    EXPECT_EQ(S(set.GetValue(1, "A")), "");
    EXPECT_EQ(S(set.GetValue(1, "B")), "");
    EXPECT_EQ(S(set.GetValue(2, "A")), "");
    EXPECT_EQ(S(set.GetValue(2, "B")), "x");
    // A last row without its separator is kept out of the count.
    ASSERT_EQ(set.Parse(Wire("A|B;1|2;3|4").c_str()), 1);
    EXPECT_EQ(S(set.GetValue(1, "A")), "");
}

TEST(CResultSet, FindFieldIgnoresCaseWholeName) {
    CResultSet set;
    set.AddField("BG_STATUS");
    set.AddField("name");
    EXPECT_EQ(set.FindField("bg_status"), 0);
    EXPECT_EQ(set.FindField("NAME"), 1);
    EXPECT_EQ(set.FindField("BG_STAT"), -1);
    EXPECT_EQ(set.FindField(nullptr), -1);
}

TEST(CResultSet, BuildWriteAndCopy) {
    CResultSet set(",", "\n");
    set.AddField("id");
    set.AddField("text");
    set.AddRow(CResultRow{CListString("1"), CListString("one")});
    set.AddRow(CResultRow{CListString("2"), CListString("二")});
    EXPECT_EQ(set.GetRowCount(), 2);
    EXPECT_EQ(S(set.ToText(true)), "id,text\n1,one\n2,二\n");
    EXPECT_EQ(S(set.ToText(false)), "1,one\n2,二\n");

    CResultSet copy(set);
    set.Clear();
    EXPECT_EQ(set.GetRowCount(), 0);
    EXPECT_EQ(set.GetFieldCount(), 0);
    EXPECT_EQ(S(copy.GetValue(1, "TEXT")), "二");

    CResultSet reread(",", "\n");
    EXPECT_EQ(reread.Parse(copy.ToText(true).CStr()), 2);
    EXPECT_EQ(reread.GetInt(1, "id"), 2);
}

TEST(CResultSet, ParseClearsFirst) {
    CResultSet set;
    ASSERT_EQ(set.Parse(Wire("A;1;2;").c_str()), 2);
    EXPECT_EQ(set.Parse(""), -1);
    EXPECT_EQ(set.GetFieldCount(), 0);
    EXPECT_EQ(set.GetRowCount(), 0);
}

}  // namespace
