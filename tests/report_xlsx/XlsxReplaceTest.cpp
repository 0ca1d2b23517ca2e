// Placeholder replacement over every stored string cell of every sheet.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

TEST(XlsxReplace, ReachesEveryStringCellOfEverySheet)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'One'
ws['A1'] = 'Date: {date}'
ws['C200'] = '{date}'      # far outside any small scan window
ws['D4'] = '{date}{date} and {date}'
ws['E5'] = 'no placeholder'
ws['F6'] = '{DATE}'        # case matters
ws['G7'] = '=CONCATENATE("{date}")'
two = wb.create_sheet('Two')
two['B2'] = '{date}'
two['B3'] = 42
wb.create_sheet('Untouched')['A1'] = 'nothing here'
wb.save(sys.argv[1]))"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    EXPECT_EQ(book.ReplaceText("{date}", "2026-12-10"), 4);
    EXPECT_EQ(book.ReplaceText("{date}", "again"), 0);
    EXPECT_EQ(book.ReplaceText("", "x"), -1);
    // the transform form sees every text once
    int seen = 0;
    EXPECT_EQ(book.TransformStrings([&](const std::string& text, std::string& out) {
        ++seen;
        if (text != "no placeholder")
            return false;
        out = "NO";
        return true;
    }), 1);
    EXPECT_GE(seen, 5);
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
one, two = wb['One'], wb['Two']
eq(one['A1'].value, 'Date: 2026-12-10')
eq(one['C200'].value, '2026-12-10')
eq(one['D4'].value, '2026-12-102026-12-10 and 2026-12-10')
eq(one['E5'].value, 'NO')
eq(one['F6'].value, '{DATE}')
eq(one['G7'].value, '=CONCATENATE("{date}")')
eq(two['B2'].value, '2026-12-10')
eq(two['B3'].value, 42)
)"), "OK");
    EXPECT_EQ(SameParts(dir.Path("t.xlsx"), dir.Path("out.xlsx"),
                        "xl/workbook.xml,xl/worksheets/sheet1.xml,xl/worksheets/sheet2.xml,"
                        "xl/_rels/workbook.xml.rels,[Content_Types].xml"),
              "OK");
}

TEST(XlsxReplace, RichTextKeepsItsRunsWhenTheKeyIsInsideOne)
{
    CTempDir dir;
    // openpyxl writes no rich text: its template gets a hand-made string table
    ASSERT_EQ(MakeWithStringTable(dir.Path("t.xlsx"),
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">Name: </t></r><r><rPr><i/></rPr><t>{name}!</t></r></si>"
        "<si><r><rPr><b/></rPr><t>{na</t></r><r><rPr><i/></rPr><t>me}</t></r></si></sst>",
        0, 1, 0),
              "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    CXlsxSheet* s = book.GetSheet(1);
    EXPECT_EQ(s->GetValue(1, 1).m_text, "Name: {name}!");
    EXPECT_EQ(book.ReplaceText("{name}", "Ann & <Bo>"), 3);
    EXPECT_EQ(s->GetValue(1, 1).m_text, "Name: Ann & <Bo>!");
    EXPECT_EQ(s->GetValue(2, 1).m_text, "Ann & <Bo>");
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
import zipfile, xml.etree.ElementTree as ET
m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
z = zipfile.ZipFile(sys.argv[1])
items = ET.fromstring(z.read('xl/sharedStrings.xml')).findall(m + 'si')
cells = {c.get('r'): int(c.find(m + 'v').text) for c in ET.fromstring(z.read('xl/worksheets/sheet1.xml')).iter(m + 'c')}
a1 = items[cells['A1']]
eq([t.text for t in a1.iter(m + 't')], ['Name: ', 'Ann & <Bo>!'])
eq([r.find(m + 'rPr')[0].tag for r in a1.findall(m + 'r')], [m + 'b', m + 'i'])
eq(cells['A3'], cells['A1'])
eq(len(items[cells['A2']].findall(m + 'r')), 0)  # spanned two runs: plain now
ws = wb.active
eq(ws['A1'].value, 'Name: Ann & <Bo>!')
eq(ws['A2'].value, 'Ann & <Bo>')
)"), "OK");
}
