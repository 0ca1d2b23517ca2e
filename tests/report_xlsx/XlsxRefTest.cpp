// A1 references and colour conversions.
#include "CXlsxRef.h"
#include "CXlsxStyle.h"

#include <gtest/gtest.h>

TEST(XlsxRef, ParsesCellReferences)
{
    struct {
        const char* text;
        bool ok;
        int row, column;
    } cases[] = {
        { "A1", true, 1, 1 },        { "b7", true, 7, 2 },         { "$C$2", true, 2, 3 },
        { "AB12", true, 12, 28 },    { "XFD1048576", true, 1048576, 16384 },
        { "XFE1", false, 0, 0 },     { "A1048577", false, 0, 0 },  { "A0", false, 0, 0 },
        { "1A", false, 0, 0 },       { "", false, 0, 0 },          { "A", false, 0, 0 },
        { "A1 ", false, 0, 0 },      { "AAAA1", false, 0, 0 },
    };
    for (const auto& c : cases) {
        int row = 0, column = 0;
        EXPECT_EQ(CXlsxRef::ParseCell(c.text, row, column), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(row, c.row) << c.text;
            EXPECT_EQ(column, c.column) << c.text;
        }
    }
}

TEST(XlsxRef, NamesAndRangesRoundTrip)
{
    for (int column : { 1, 26, 27, 52, 53, 702, 703, 16384 }) {
        int row = 0, back = 0;
        std::string name = CXlsxRef::CellName(5, column);
        ASSERT_TRUE(CXlsxRef::ParseCell(name, row, back)) << name;
        EXPECT_EQ(back, column) << name;
    }
    EXPECT_EQ(CXlsxRef::ColumnName(28), "AB");
    CXlsxRange r;
    ASSERT_TRUE(CXlsxRef::ParseRange("D4:B2", r));
    EXPECT_EQ(CXlsxRef::RangeName(r), "B2:D4");
    ASSERT_TRUE(CXlsxRef::ParseRange("C3", r));
    EXPECT_EQ(r.RowCount(), 1);
    EXPECT_EQ(CXlsxRef::RangeName(r), "C3");
    EXPECT_FALSE(CXlsxRef::ParseRange("A1:", r));
    EXPECT_FALSE(CXlsxRef::ParseRange("A1-B2", r));
}

TEST(XlsxColor, ExcelNumbersBecomeArgb)
{
    EXPECT_EQ(ExcelColorToArgb(0x0000FF), "FFFF0000"); // Excel's red is 255
    EXPECT_EQ(ExcelColorToArgb(0xFF0000), "FF0000FF");
    EXPECT_EQ(ExcelColorToArgb(0x00FF00), "FF00FF00");
    EXPECT_EQ(ExcelColorToArgb(0x123456), "FF563412");
    EXPECT_EQ(ExcelColorToArgb(0xAB123456), "FF563412"); // top byte ignored
    std::uint32_t bgr = 0;
    ASSERT_TRUE(ArgbToExcelColor("FF563412", bgr));
    EXPECT_EQ(bgr, 0x123456u);
    EXPECT_FALSE(ArgbToExcelColor("red", bgr));
}

TEST(XlsxColor, UnderlineNumbers)
{
    EXPECT_EQ(UnderlineFromExcel(2), CXlsxCellStyle::UnderlineSingle);
    EXPECT_EQ(UnderlineFromExcel(1), CXlsxCellStyle::UnderlineSingle);
    EXPECT_EQ(UnderlineFromExcel(-1), CXlsxCellStyle::UnderlineSingle);
    EXPECT_EQ(UnderlineFromExcel(-4119), CXlsxCellStyle::UnderlineDouble);
    EXPECT_EQ(UnderlineFromExcel(4), CXlsxCellStyle::UnderlineSingleAccounting);
    EXPECT_EQ(UnderlineFromExcel(5), CXlsxCellStyle::UnderlineDoubleAccounting);
    EXPECT_EQ(UnderlineFromExcel(0), CXlsxCellStyle::UnderlineNone);
    EXPECT_EQ(UnderlineFromExcel(-4142), CXlsxCellStyle::UnderlineNone);
}
