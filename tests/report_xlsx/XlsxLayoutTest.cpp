// Merges, row heights, column widths and the used range.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

TEST(XlsxLayout, MergesAreAddedBesideExistingOnes)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
wb = openpyxl.Workbook(); ws = wb.active
ws['B2'] = 'merged'; ws.merge_cells('B2:D3')
ws.print_options.gridLines = True
wb.save(sys.argv[1]))"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    CXlsxSheet* s = book.GetSheet(1);
    CXlsxRange area;
    ASSERT_TRUE(s->GetMergeArea(3, 4, area));
    EXPECT_EQ(CXlsxRef::RangeName(area), "B2:D3");
    EXPECT_EQ(area.RowCount(), 2);
    EXPECT_EQ(area.ColumnCount(), 3);
    EXPECT_FALSE(s->GetMergeArea(1, 1, area));
    CXlsxRange range;
    ASSERT_TRUE(CXlsxRef::ParseRange("F1:G10", range));
    EXPECT_TRUE(s->AddMerge(range));
    ASSERT_TRUE(CXlsxRef::ParseRange("D3:E4", range));
    EXPECT_FALSE(s->AddMerge(range)); // overlaps B2:D3
    EXPECT_NE(s->GetError().find("B2:D3"), std::string::npos);
    ASSERT_TRUE(CXlsxRef::ParseRange("A1", range));
    EXPECT_FALSE(s->AddMerge(range));
    ASSERT_TRUE(CXlsxRef::ParseRange("A5:A6", range));
    EXPECT_TRUE(s->AddMerge(range));
    EXPECT_EQ(s->GetMerges().size(), 3u);
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
ws = wb.active
eq(sorted(str(r) for r in ws.merged_cells.ranges), ['A5:A6', 'B2:D3', 'F1:G10'])
eq(ws['B2'].value, 'merged')
eq(ws.print_options.gridLines, True)
)"), "OK");

    // a new workbook has no mergeCells element yet: it is put in schema order
    CXlsxWorkbook fresh;
    ASSERT_TRUE(fresh.New());
    ASSERT_TRUE(CXlsxRef::ParseRange("A1:B1", range));
    ASSERT_TRUE(fresh.GetSheet(1)->AddMerge(range));
    ASSERT_TRUE(fresh.SaveAs(dir.Path("fresh.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("fresh.xlsx"), R"(
import zipfile
x = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml').decode()
eq(x.index('</sheetData>') < x.index('<mergeCells') < x.index('<pageMargins'), True)
eq([str(r) for r in wb.active.merged_cells.ranges], ['A1:B1'])
)"), "OK");
}

TEST(XlsxLayout, RowHeightsAndColumnWidths)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
from openpyxl.styles import Font
wb = openpyxl.Workbook(); ws = wb.active
ws['A1'] = 1
ws.row_dimensions[2].height = 30
ws.column_dimensions.group('B', 'F', hidden=False)
ws.column_dimensions['B'].width = 20.7109375
ws.column_dimensions['B'].font = Font(bold=True)
ws.column_dimensions['H'].width = 5
wb.save(sys.argv[1]))"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    CXlsxSheet* s = book.GetSheet(1);
    EXPECT_DOUBLE_EQ(s->GetRowHeight(2), 30);
    EXPECT_DOUBLE_EQ(s->GetRowHeight(3), 15);
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(1), 8.43); // Excel's default
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(4), 20);   // inside the B:F record
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(8), 4.29);
    EXPECT_TRUE(s->SetColumnWidth(4, 12));         // splits B:F into B:C, D, E:F
    EXPECT_TRUE(s->SetColumnWidth(7, 3));          // a gap between F and H
    EXPECT_TRUE(s->SetColumnWidth(10, 0));         // hidden
    EXPECT_TRUE(s->SetRowHeight(2, 12.75));
    EXPECT_TRUE(s->SetRowHeight(100, 40));         // a row without cells
    EXPECT_FALSE(s->SetRowHeight(3, 410));
    EXPECT_FALSE(s->SetColumnWidth(3, -1));
    EXPECT_FALSE(s->SetColumnWidth(16385, 3));
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(3), 20);
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(4), 12);
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(5), 20);
    EXPECT_DOUBLE_EQ(s->GetColumnWidth(10), 0);
    EXPECT_DOUBLE_EQ(s->GetRowHeight(100), 40);
    // a cell added in a styled column takes the column's style
    ASSERT_TRUE(s->SetString(5, 4, "in D"));
    EXPECT_TRUE(s->GetStyle(5, 4).m_bold);
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
import zipfile, xml.etree.ElementTree as ET
ns = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
root = ET.fromstring(zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml'))
cols = [(int(c.get('min')), int(c.get('max')), float(c.get('width')), c.get('style'), c.get('hidden')) for c in root.find('m:cols', ns)]
style = cols[0][3]
eq(cols, [(2, 3, 20.7109375, style, None), (4, 4, 12.7109375, style, None), (5, 6, 20.7109375, style, None),
          (7, 7, 3.7109375, None, None), (8, 8, 5.0, None, None), (10, 10, 0.0, None, '1')])
ws = wb.active
eq(ws.row_dimensions[2].height, 12.75)
eq(ws.row_dimensions[100].height, 40)
eq(ws['D5'].font.b, True)
)"), "OK");
}

TEST(XlsxLayout, UsedRangeCoversStoredCellsOnly)
{
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New());
    CXlsxSheet* s = book.GetSheet(1);
    CXlsxRange used;
    EXPECT_FALSE(s->GetUsedRange(used));
    EXPECT_EQ(used.m_firstRow, 0);
    s->SetRowHeight(1, 20); // a row record alone is no cell
    EXPECT_FALSE(s->GetUsedRange(used));
    s->SetString(5, 3, "x");
    s->SetNumber(9, 2, 1);
    s->SetNumber(7, 6, 1);
    ASSERT_TRUE(s->GetUsedRange(used));
    EXPECT_EQ(CXlsxRef::RangeName(used), "B5:F9");
    EXPECT_EQ(used.RowCount(), 5);
    EXPECT_EQ(used.ColumnCount(), 5);
    CXlsxStyleChange bold;
    bold.m_bold = true;
    s->ApplyStyle(12, 1, bold); // formatting counts, as in Excel
    ASSERT_TRUE(s->GetUsedRange(used));
    EXPECT_EQ(CXlsxRef::RangeName(used), "A5:F12");
}
