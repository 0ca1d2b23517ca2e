// ExcelFile over real .xlsx files: templates made with openpyxl, results
// read back with openpyxl cell by cell.
#include "CTable.h"
#include "ExcelFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A template with placeholders, a number, a merge, sizes, three sheets
// (the second used only from D7 on) and a chart, which the engine does not
// understand and must keep.
const char kTemplate[] = R"(
import openpyxl, sys
from openpyxl.chart import BarChart, Reference
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "{a}{b}"
ws["A1"] = "{a} and {b}"
ws["B2"] = 12
ws["C3"] = "Title"
ws.merge_cells("C3:E4")
ws.row_dimensions[2].height = 30
ws.column_dimensions["B"].width = 20
ws["A5"] = "{b}"
data = wb.create_sheet("Data")
data["D7"] = "{a}"
data["F9"] = "keep"
third = wb.create_sheet("Third")
for i in range(1, 4):
    third.cell(row=i, column=1, value=i)
chart = BarChart()
chart.add_data(Reference(third, min_col=1, min_row=1, max_row=3))
third.add_chart(chart, "C2")
wb.save(sys.argv[1] if len(sys.argv) > 1 else PATH)
)";

std::string MakeTemplate(const TempDir& dir) {
    const std::string path = dir.File("template.xlsx");
    std::string code = std::string("PATH = '") + path + "'\n" + kTemplate;
    std::string output;
    EXPECT_EQ(0, RunPython(code, &output)) << output;
    return path;
}

// Runs the checks (Python with `wb` loaded from the file); empty on success.
std::string Check(const std::string& path, const std::string& checks) {
    std::string code = "import openpyxl, zipfile\nPATH = '" + path +
                       "'\nwb = openpyxl.load_workbook(PATH)\nnames = zipfile.ZipFile(PATH).namelist()\n" +
                       checks + "\nprint('ok')\n";
    std::string output;
    const int rc = RunPython(code, &output);
    return rc == 0 && output.find("ok") != std::string::npos ? std::string() : output;
}

class Workbook : public ::testing::Test {
protected:
    void SetUp() override {
        templatePath = MakeTemplate(dir);
        book.InitExcel();
        ASSERT_TRUE(book.Open(templatePath.c_str()));
    }
    TempDir dir;
    std::string templatePath;
    ExcelFile book;
};

TEST_F(Workbook, ReadsCellsSizesMergesAndSheets) {
    EXPECT_EQ(1, book.Ok());
    EXPECT_EQ(3, book.GetSheetCount());
    // No sheet is chosen after Open.
    EXPECT_EQ("", book.GetCell(1, 1));
    EXPECT_FALSE(book.SetCell(1, 1, "x"));
    ASSERT_TRUE(book.LoadSheetIdx(1));
    EXPECT_EQ("{a} and {b}", book.GetCell(1, 1));
    EXPECT_EQ("12.000000", book.GetCell(2, 2));
    EXPECT_EQ("12.000000", book.GetCell("B2"));
    EXPECT_EQ("12.000000", book.GetCell("b2"));
    EXPECT_EQ("(NULL)", book.GetCell(9, 9));
    EXPECT_EQ("", book.GetCell("not a cell"));
    EXPECT_EQ("", book.GetCell(0, 1));
    EXPECT_EQ("", book.GetCell(1, 20000));
    EXPECT_EQ(5, book.GetRowCount());
    EXPECT_EQ(3, book.GetColumnCount());  // A1:C5; the merge stores no cells
    EXPECT_TRUE(book.IsMergeCell(4, 5));
    EXPECT_FALSE(book.IsMergeCell(2, 2));
    int rows = -1, columns = -1;
    EXPECT_TRUE(book.GetMergeRowColumns(3, 3, rows, columns));
    EXPECT_EQ(2, rows);
    EXPECT_EQ(3, columns);
    EXPECT_FALSE(book.GetMergeRowColumns(1, 1, rows, columns));
    EXPECT_EQ(0, rows);
    EXPECT_DOUBLE_EQ(30, book.GetCellHeight(2, 7));
    // Excel reports the stored width 20 without its padding, in characters.
    EXPECT_NEAR(19.29, book.GetCellWidth(9, 2), 0.01);
    EXPECT_EQ("Data", book.GetSheetName(2));
    EXPECT_EQ("", book.GetSheetName(9));
    EXPECT_FALSE(book.LoadSheetIdx(0));
    EXPECT_FALSE(book.LoadSheetIdx(4));
    EXPECT_EQ("", book.GetCell(1, 1));  // the failed load left no sheet
    EXPECT_TRUE(book.LoadSheetName("data"));
    EXPECT_EQ("keep", book.GetCell(9, 6));
    EXPECT_EQ(3, book.GetRowCount());  // the used range D7:F9
    EXPECT_EQ(3, book.GetColumnCount());
    EXPECT_FALSE(book.LoadSheetName("nope"));
    EXPECT_FALSE(book.LoadSheetName(nullptr));
}

TEST_F(Workbook, WritesValuesAndFormatsAndKeepsTheRest) {
    ASSERT_TRUE(book.LoadSheetIdx(1));
    EXPECT_TRUE(book.SetCell(10, 1, "hello"));
    EXPECT_TRUE(book.SetCell(10, 2, "42"));
    EXPECT_TRUE(book.SetCell(10, 3, "中文"));
    EXPECT_FALSE(book.SetCell(10, 4, nullptr));
    EXPECT_TRUE(book.SetColor(10, 1, 0x0000FF));      // Excel's BGR: red
    EXPECT_TRUE(book.SetBackColor(10, 2, 0xFF0000));  // blue
    EXPECT_TRUE(book.SetStrikethrough(10, 3, true));
    EXPECT_TRUE(book.SetShadow(10, 3, true));
    EXPECT_TRUE(book.SetFont(11, 1, 0x00FF00, "Arial", 14, 2, true, true));
    EXPECT_TRUE(book.SetFont(11, 2));
    EXPECT_FALSE(book.SetColor(0, 1, 1));
    EXPECT_TRUE(book.SetSheetName(3, "Renamed"));
    EXPECT_FALSE(book.SetSheetName(3, "bad/name"));
    EXPECT_EQ("设置工作表名称的内容不合法", book.GetError());
    EXPECT_FALSE(book.SetSheetName(3, nullptr));
    EXPECT_FALSE(book.SetSheetName(4, "Four"));
    const std::string out = dir.File("out.xlsx");
    ASSERT_TRUE(book.SaveAs(out.c_str()));
    EXPECT_EQ("", Check(out, R"(
ws = wb.worksheets[0]
assert wb.sheetnames == ["{a}{b}", "Data", "Renamed"], wb.sheetnames
assert ws["A10"].value == "hello"
assert ws["B10"].value == 42, repr(ws["B10"].value)
assert ws["C10"].value == "中文"
assert ws["A10"].font.color.rgb == "FFFF0000", ws["A10"].font.color.rgb
assert ws["B10"].fill.fill_type == "solid" and ws["B10"].fill.fgColor.rgb == "FF0000FF", ws["B10"].fill.fgColor.rgb
assert ws["C10"].font.strike and ws["C10"].font.shadow
f = ws["A11"].font
assert f.name == "Arial" and f.sz == 14 and f.b and f.i and f.u == "single" and f.color.rgb == "FF00FF00", f
g = ws["B11"].font
assert g.sz == 16 and not g.b and not g.i and g.u == "single" and g.color.rgb == "FF000000", g
assert ws["A1"].value == "{a} and {b}" and ws["B2"].value == 12
assert "C3:E4" in [str(r) for r in ws.merged_cells.ranges]
assert ws.row_dimensions[2].height == 30
assert abs(ws.column_dimensions["B"].width - 20) < 0.01
assert wb["Data"]["F9"].value == "keep"
assert any(n.startswith("xl/charts/chart") for n in names), names
assert ws["A12"].value is None
)"));
}

TEST_F(Workbook, ReplacesPlaceholdersOnEverySheet) {
    book.AddReplace("{a}", "1");
    book.AddReplace("{b}", "2");
    book.AddReplace(nullptr, "ignored");
    book.AddReplace("", "never");
    // No sheet loaded: afterwards sheet 1 is current.
    ASSERT_TRUE(book.GoReplaceAll());
    EXPECT_EQ("12", book.GetSheetName(1));
    EXPECT_EQ("1 and {b}", book.GetCell(1, 1));  // one entry per cell and pass
    EXPECT_EQ("2.000000", book.GetCell(5, 1));
    ASSERT_TRUE(book.LoadSheetIdx(2));
    EXPECT_EQ("1.000000", book.GetCell(7, 4));   // a used range starting at D7
    ASSERT_TRUE(book.LoadSheetIdx(1));
    EXPECT_TRUE(book.GoReplace());
    EXPECT_EQ("1 and 2", book.GetCell(1, 1));
    // Replace compares whole texts without case; "(NULL)" is every empty cell
    // of the used rows and columns and four beyond.
    EXPECT_TRUE(book.Replace("TITLE", "Heading"));
    EXPECT_EQ("Heading", book.GetCell(3, 3));
    EXPECT_TRUE(book.Replace("(null)", "-"));
    EXPECT_EQ("-", book.GetCell(9, 7));
    EXPECT_EQ("(NULL)", book.GetCell(9, 8));
    EXPECT_EQ("(NULL)", book.GetCell(10, 1));
    EXPECT_FALSE(book.Replace(nullptr, "x"));
    book.ResetReplace();
    const std::string out = dir.File("replaced.xlsx");
    ASSERT_TRUE(book.SaveAs(out.c_str()));
    EXPECT_EQ("", Check(out, R"(
ws = wb.worksheets[0]
assert wb.sheetnames[0] == "12"
assert ws["A1"].value == "1 and 2" and ws["A5"].value == 2
assert ws["C3"].value == "Heading" and ws["G9"].value == "-" and ws["H9"].value is None and ws["A10"].value is None
assert wb["Data"]["D7"].value == 1 and wb["Data"]["F9"].value == "keep"
)"));
}

TEST_F(Workbook, PlaceholdersAreFoundInTheTextsNumbersReadAs) {
    // A number reads "%f", so a key made of digits and a point is found in
    // it and the cell takes the replaced text as input; keys with other
    // characters leave numbers alone.
    ASSERT_TRUE(book.LoadSheetIdx(1));
    book.AddReplace("{", "x");
    book.AddReplace("2.00", "5");
    ASSERT_TRUE(book.GoReplace());
    EXPECT_EQ("150000.000000", book.GetCell(2, 2));
    EXPECT_EQ("xa} and xb}", book.GetCell(1, 1));
    EXPECT_EQ("xb}", book.GetCell(5, 1));
    book.ResetReplace();
    book.AddReplace("3.0", "9");
    ASSERT_TRUE(book.LoadSheetIdx(3));
    ASSERT_TRUE(book.GoReplace());
    EXPECT_EQ("1.000000", book.GetCell(1, 1));
    EXPECT_EQ("900000.000000", book.GetCell(3, 1));
    EXPECT_EQ("(NULL)", book.GetCell(1, 2));
}

TEST_F(Workbook, WritesTables) {
    CTable table;
    table.fromString("ID\x01Name\x01id\x02" "1\x01" "alpha\x01x\x02" "2\x01" "beta\x02");
    ASSERT_TRUE(book.LoadSheetIdx(2));
    EXPECT_TRUE(book.SetTable(1, 1, &table, 1));
    EXPECT_TRUE(book.SetTable(1, 5, &table, 0));
    EXPECT_FALSE(book.SetTable(0, 1, &table, 1));
    EXPECT_FALSE(book.SetTable(1, 1, nullptr, 1));
    CTable empty;
    empty.fromString("A\x01" "B\x02");
    EXPECT_FALSE(book.SetTable(20, 1, &empty, 1));
    // Counted rows that the table does not store read "" and clear cells.
    CTable counted;
    counted.fromString("A\x02" "1\x02");
    counted._count = 3;
    book.SetCell(8, 4, "old");
    EXPECT_TRUE(book.SetTable(5, 4, &counted, 0));
    const std::string out = dir.File("table.xlsx");
    ASSERT_TRUE(book.SaveAs(out.c_str()));
    EXPECT_EQ("", Check(out, R"(
ws = wb["Data"]
rows = [[c.value for c in r] for r in ws.iter_rows(min_row=1, max_row=3, min_col=1, max_col=3)]
# the third field repeats the first one's name: it shows the first field's values
assert rows == [["ID", "Name", "id"], [1, "alpha", 1], [2, "beta", 2]], rows
assert ws["E1"].value is None and ws["E2"].value == 1 and ws["F3"].value == "beta"
assert ws["A20"].value is None
assert ws["D6"].value == 1 and ws["D7"].value is None and ws["D8"].value is None
)"));
}

TEST(WorkbookFailures, BadTemplatesAndDestinations) {
    TempDir dir;
    WriteFile(dir.File("text.xlsx"), "this is not a zip file");
    WriteFile(dir.File("old.xls"), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
    std::string output;
    ASSERT_EQ(0, RunPython("import zipfile\nz = zipfile.ZipFile('" + dir.File("empty.xlsx") +
                               "', 'w')\nz.writestr('hello.txt', 'x')\nz.close()\n",
                           &output))
        << output;
    ExcelFile book;
    // Without InitExcel there is nothing to open workbooks with.
    EXPECT_FALSE(book.Open(MakeTemplate(dir).c_str()));
    book.InitExcel();
    for (const char* name : {"text.xlsx", "old.xls", "empty.xlsx", "missing.xlsx"}) {
        EXPECT_FALSE(book.Open(dir.File(name).c_str())) << name;
        EXPECT_EQ(0, book.Ok()) << name;
        EXPECT_FALSE(book.SaveAs(dir.File("never.xlsx").c_str()));
    }
    EXPECT_FALSE(FileExists(dir.File("never.xlsx")));

    ASSERT_TRUE(book.Open(dir.File("template.xlsx").c_str()));
    EXPECT_FALSE(book.SaveAs(dir.File("no/such/folder/out.xlsx").c_str()));
    EXPECT_FALSE(book.SaveAs(nullptr));
    // A destination named .xls is written as .xlsx.
    ASSERT_TRUE(book.SaveAs(dir.File("report.xls").c_str()));
    EXPECT_TRUE(FileExists(dir.File("report.xlsx")));
    EXPECT_FALSE(FileExists(dir.File("report.xls")));
    EXPECT_EQ("", Check(dir.File("report.xlsx"), "assert len(wb.sheetnames) == 3"));
    book.ReleaseExcel();
    EXPECT_EQ(0, book.Ok());
    EXPECT_FALSE(book.Open(dir.File("template.xlsx").c_str()));
    EXPECT_FALSE(book.New());
    book.InitExcel();
    EXPECT_TRUE(book.New());
    EXPECT_EQ(1, book.GetSheetCount());
}

}  // namespace
