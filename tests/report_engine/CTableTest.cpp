// CTable: parsing, reading, changing and copying tables.
#include "CTable.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

const char S = '\x01';
const char L = '\x02';

std::string Text(std::initializer_list<std::initializer_list<const char*>> lines, bool lastEnded = true) {
    std::string text;
    size_t n = 0;
    for (const auto& line : lines) {
        bool first = true;
        for (const char* value : line) {
            if (!first) text += S;
            text += value;
            first = false;
        }
        if (++n < lines.size() || lastEnded) text += L;
    }
    return text;
}

TEST(CTable, ParsesResultText) {
    struct Case {
        std::string text;
        int result;
        int fields;
    } cases[] = {
        {Text({{"A", "B"}, {"1", "2"}}), 1, 2},
        {Text({{"A", "B"}, {"1", "2"}}, false), 0, 2},  // last line stored, not counted
        {std::string("A") + S + "B" + L + L, 1, 2},     // an empty line is a row of ""
        {Text({{"A"}}), 0, 1},
        {"A", 0, 1},                                     // a header without a row separator
        {"", -1, 0},
        {std::string(1, L) + "1" + L, -1, 0},             // an empty header line
        {Text({{"A", "B", "C"}, {"1"}, {"1", "2", "3", "4"}}), 2, 3},  // ragged rows
    };
    for (const Case& c : cases) {
        CTable table;
        EXPECT_EQ(c.result, table.fromString(c.text.c_str())) << c.text;
        EXPECT_EQ(c.fields, table.GetFieldCount()) << c.text;
        EXPECT_EQ(c.result < 0 ? 0 : c.result, table._count);
    }
    CTable table;
    EXPECT_EQ(-1, table.fromString(nullptr));
}

TEST(CTable, ReadsValuesByFieldAndColumn) {
    CTable table;
    ASSERT_EQ(3, table.fromString(Text({{"ID", "Name", "Price"},
                                        {"1", "alpha", "12.500000"},
                                        {"2", "beta"},
                                        {"-999", "gamma", "abc"}})
                                      .c_str()));
    EXPECT_EQ("alpha", table.vs(0, "name"));  // field names ignore case
    EXPECT_EQ("alpha", table.vs(0, 1));
    EXPECT_EQ("12.5", table.vs(0, "PRICE", true));
    EXPECT_EQ("", table.vs(1, "Price"));  // the row lacks the value
    EXPECT_EQ("字段 \"C\" 不正确", table.vs(0, "C"));
    EXPECT_EQ("字段序号不正确", table.vs(0, 5));
    EXPECT_EQ("字段序号不正确", table.vs(0, -1));
    EXPECT_EQ("", table.vs(3, 0));  // row == _count
    EXPECT_EQ("", table.vs(-1, "ID"));
    EXPECT_EQ(2, table.vi(1, "id"));
    EXPECT_EQ(-999, table.vi(0, "missing"));
    EXPECT_EQ(-999, table.vi(0, 9));
    EXPECT_EQ(0, table.vi(-1, 0));
    EXPECT_DOUBLE_EQ(12.5, table.vd(0, "Price"));
    EXPECT_DOUBLE_EQ(7, table.vd(2, 0, 7));   // -999 with a default gives the default
    EXPECT_DOUBLE_EQ(-999, table.vd(2, 0));
    EXPECT_DOUBLE_EQ(0, table.vd(2, "Price", 7));  // "abc"
    EXPECT_DOUBLE_EQ(0, table.vd(5, 0, 7));
    EXPECT_EQ(1, table.getIndexByName("NAME"));
    EXPECT_EQ(-1, table.getIndexByName("nope"));
    EXPECT_EQ(-1, table.getIndexByName(nullptr));
    EXPECT_EQ("beta", table.search("id", "2", "name"));
    EXPECT_EQ("gamma", table.search("Name", "GAMMA", "Name"));
    EXPECT_EQ("", table.search("id", "9", "name"));
    EXPECT_EQ("", table.search("nope", "2", "name"));
    EXPECT_EQ("", table.search(nullptr, nullptr, nullptr));
    EXPECT_EQ("字段 \"\" 不正确", table.vs(0, static_cast<const char*>(nullptr)));
}

TEST(CTable, TrimsOnlyDecimals) {
    CTable table;
    table.fromString(Text({{"v", "w", "x", "y"}, {"12.500000", "12.000000", "0.000000", "100"}}).c_str());
    EXPECT_EQ("12.5", table.vs(0, 0, true));
    EXPECT_EQ("12", table.vs(0, 1, true));
    EXPECT_EQ("0", table.vs(0, 2, true));
    EXPECT_EQ("100", table.vs(0, 3, true));
    EXPECT_EQ("12.000000", table.vs(0, 1));
}

TEST(CTable, SettersRefuseWhatIsNotThere) {
    CTable table;
    table.fromString(Text({{"A", "B", "C"}, {"1", "2"}, {"x", "y", "z"}}).c_str());
    EXPECT_EQ(1, table.setvs(0, "b", "new"));
    EXPECT_EQ("new", table.vs(0, "B"));
    EXPECT_EQ(1, table.setvi(1, 0, 42));
    EXPECT_EQ("42", table.vs(1, 0));
    EXPECT_EQ(1, table.setvd(1, "C", 2.5));
    EXPECT_EQ("2.500000", table.vs(1, 2));
    EXPECT_EQ(0, table.setvs(0, 2, "lacking"));  // row 0 has no third value
    EXPECT_EQ(0, table.setvs(2, 0, "row"));
    EXPECT_EQ(0, table.setvs(0, "D", "field"));
    EXPECT_EQ(0, table.setvs(0, 0, nullptr));
    EXPECT_EQ(0, table.setvi(-1, 0, 1));
    EXPECT_EQ("1", table.vs(0, 0));
}

TEST(CTable, SeparatorsAreCharacterSets) {
    CTable table;
    table.SetSeps("|;", "\r\n");
    // CR LF: an empty piece between CR and LF, so each line is followed by an empty row.
    EXPECT_EQ(3, table.fromString("A|B;C\r\n1;2|3\r\n"));
    EXPECT_EQ(3, table.GetFieldCount());
    EXPECT_EQ("3", table.vs(1, "C"));
    EXPECT_EQ("", table.vs(0, "A"));

    // Empty separator texts split nothing: no header, no table.
    for (const auto& seps : {std::make_pair("", "\n"), std::make_pair(",", "")}) {
        CTable empty;
        empty.SetSeps(seps.first, seps.second);
        EXPECT_EQ(-1, empty.fromString("a,b\n1,2\n")) << seps.first << "/" << seps.second;
        EXPECT_EQ(0, empty.GetFieldCount());
        EXPECT_EQ(0, empty._count);
    }

    CTable runnerDefaults(",");
    EXPECT_EQ(1, runnerDefaults.fromString("a,b\n1,2\n"));
    EXPECT_EQ("2", runnerDefaults.vs(0, "b"));
}

TEST(CTable, CopyTakesCountedRowsAndKeepsSeparators) {
    CTable source;
    source.fromString(Text({{"A", "B"}, {"1"}, {"3", "4", "5"}, {"6", "7"}}).c_str());
    source._count = 2;
    CTable target("|", "\n");
    target.copy(&source);
    EXPECT_EQ(2, target._count);
    EXPECT_EQ("", target.vs(0, "B"));
    EXPECT_EQ("4", target.vs(1, "B"));
    EXPECT_EQ("", target.vs(2, "A"));
    EXPECT_EQ(0, target.setvs(1, 2, "x"));  // the copy holds one value per field
    EXPECT_EQ("|", target.GetColumnSeparator());
    target.copy(&target);
    EXPECT_EQ(2, target._count);
    target.copy(nullptr);
    EXPECT_EQ(2, target._count);
    // A _count above the stored rows reads the missing rows as "".
    target._count = 10;
    EXPECT_EQ("", target.vs(5, 0));
    target.reset();
    EXPECT_EQ(0, target._count);
    EXPECT_EQ(0, target.GetFieldCount());
}

TEST(CTable, FromFileReadsTheWholeFile) {
    TempDir dir;
    WriteFile(dir.File("ten.txt"), "0123456789");
    CTable table;
    EXPECT_EQ(11, table.fromFile(dir.File("ten.txt").c_str()));
    // No 8000-character pieces: a long value stays whole.
    const std::string value(20000, 'v');
    WriteFile(dir.File("long.txt"), std::string("A") + S + "B" + L + value + S + "x" + L);
    EXPECT_GT(table.fromFile(dir.File("long.txt").c_str()), 20000);
    EXPECT_EQ(1, table._count);
    EXPECT_EQ(value, table.vs(0, "A"));
    EXPECT_EQ("x", table.vs(0, "B"));
    // A missing file reads as "-1": one field named -1, no rows.
    EXPECT_EQ(2, table.fromFile(dir.File("missing.txt").c_str()));
    EXPECT_EQ(1, table.GetFieldCount());
    EXPECT_EQ("-1", table.GetFieldName(0));
    EXPECT_EQ(0, table._count);
    EXPECT_EQ(2, table.fromFile(nullptr));
}

}  // namespace
