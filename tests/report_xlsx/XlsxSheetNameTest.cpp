// Sheet names: Excel's rules, uniqueness, and references that follow a rename.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

TEST(XlsxSheetName, ExcelRules)
{
    struct {
        std::string name;
        bool ok;
    } cases[] = {
        { "Report", true },          { "报表 2026", true },            { std::string(31, 'x'), true },
        { std::string(32, 'x'), false }, { std::string(31 * 3, '\0'), true }, { "", false },
        { "a:b", false },             { "a\\b", false },                { "a/b", false },
        { "a?b", false },             { "a*b", false },                 { "[a]", false },
        { "'quoted'", false },        { "it's", true },                 { "history", false },
        { "Historyx", true },
    };
    cases[4].name.clear();
    for (int i = 0; i < 31; ++i)
        cases[4].name += "中"; // 31 characters, 93 bytes
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(CXlsxWorkbook::CheckSheetName(c.name, why), c.ok) << c.name << ": " << why;
        EXPECT_EQ(why.empty(), c.ok) << c.name;
    }
    std::string why;
    EXPECT_FALSE(CXlsxWorkbook::CheckSheetName(std::string(16, 'a') + "\xF0\x9F\x98\x80" + std::string(14, 'b'), why))
        << "an emoji counts twice, as in Excel";
}

TEST(XlsxSheetName, RenameKeepsNamesUniqueAndReferencesWorking)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
from openpyxl.workbook.defined_name import DefinedName
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Data'
ws['A1'] = 5
other = wb.create_sheet('Sum')
other['A1'] = '=Data!A1*2'
other['A2'] = '=SUM(Data!A1:A3)&"Data!"'
other['A3'] = "='Data'!A1"
wb.create_sheet('Keep')
ws.print_title_rows = '1:1'
wb.defined_names.append(DefinedName('total', attr_text='Data!$A$1:$A$3'))
wb.save(sys.argv[1]))"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    EXPECT_FALSE(book.SetSheetName(1, "keep"));  // another sheet's name, any case
    EXPECT_NE(book.GetError().find("Keep"), std::string::npos);
    EXPECT_FALSE(book.SetSheetName(1, "bad/name"));
    EXPECT_FALSE(book.SetSheetName(4, "x"));
    EXPECT_FALSE(book.SetSheetName(0, "x"));
    EXPECT_TRUE(book.SetSheetName(3, "KEEP"));   // its own name in another case
    EXPECT_TRUE(book.SetSheetName(1, "My Data"));
    EXPECT_EQ(book.GetSheetName(1), "My Data");
    EXPECT_EQ(book.GetSheet(1)->GetName(), "My Data");
    EXPECT_EQ(book.FindSheet("data"), 0);
    EXPECT_EQ(book.GetSheet(2)->GetFormula(1, 1), "'My Data'!A1*2");
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
eq(wb.sheetnames, ['My Data', 'Sum', 'KEEP'])
s = wb['Sum']
eq(s['A1'].value, "='My Data'!A1*2")
eq(s['A2'].value, '=SUM(\'My Data\'!A1:A3)&"Data!"')
eq(s['A3'].value, "='My Data'!A1")
eq(wb.defined_names['total'].attr_text, "'My Data'!$A$1:$A$3")
eq(wb['My Data'].print_title_rows, '1:1')  # the print titles still find their sheet
)"), "OK");
}
