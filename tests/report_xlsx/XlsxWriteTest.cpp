// Writing cells into new workbooks and templates, read back with openpyxl.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

TEST(XlsxWrite, NewWorkbookHoldsEveryKindOfValue)
{
    CTempDir dir;
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New()) << book.GetError();
    ASSERT_EQ(book.GetSheetCount(), 1);
    CXlsxSheet* s = book.GetSheet(1);
    ASSERT_EQ(s->GetName(), "Sheet1");
    EXPECT_TRUE(s->SetNumber(1, 1, 12));
    EXPECT_TRUE(s->SetNumber(1, 2, 0.1 + 0.2));
    EXPECT_TRUE(s->SetNumber(1, 3, -1e-300));
    EXPECT_TRUE(s->SetString(2, 1, "text & <markup> \"quoted\""));
    EXPECT_TRUE(s->SetString(2, 2, "  spaced  "));
    EXPECT_TRUE(s->SetString(2, 3, "中文 ünïcödé"));
    EXPECT_TRUE(s->SetString(2, 4, "line1\nline2"));
    EXPECT_TRUE(s->SetString(2, 5, "tab\there"));
    EXPECT_TRUE(s->SetString(2, 6, "bad \xFF byte"));
    EXPECT_TRUE(s->SetBoolean(3, 1, true));
    EXPECT_TRUE(s->SetBoolean(3, 2, false));
    EXPECT_TRUE(s->SetFormula(4, 1, "=SUM(A1:C1)"));
    EXPECT_TRUE(s->SetFormula(4, 2, "A1*2"));
    EXPECT_TRUE(s->SetValue(4, 3, CXlsxValue{ CXlsxValue::Error, 0, false, "#N/A" }));
    EXPECT_TRUE(s->SetInput("A5", "42"));
    EXPECT_TRUE(s->SetInput("B5", "-3.5e2"));
    EXPECT_TRUE(s->SetInput("C5", "true"));
    EXPECT_TRUE(s->SetInput("D5", "=1+2"));
    EXPECT_TRUE(s->SetInput("E5", "12abc"));
    EXPECT_TRUE(s->SetInput("F5", "0x10"));
    EXPECT_TRUE(s->SetInput("G5", " 7"));
    EXPECT_TRUE(s->SetInput("H5", "inf"));
    EXPECT_TRUE(s->SetString(1048576, 16384, "corner"));
    // refused
    EXPECT_FALSE(s->SetNumber(0, 1, 1));
    EXPECT_FALSE(s->SetNumber(1, 16385, 1));
    EXPECT_FALSE(s->SetString(1048577, 1, "x"));
    EXPECT_FALSE(s->SetNumber(6, 1, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(s->SetNumber(6, 1, HUGE_VAL));
    EXPECT_FALSE(s->SetFormula(6, 1, "="));
    EXPECT_FALSE(s->SetValue(6, 1, CXlsxValue{ CXlsxValue::Error, 0, false, "#OOPS" }));
    EXPECT_FALSE(s->SetInput("6A", "x"));
    EXPECT_FALSE(s->GetError().empty());

    // what the layer reads back before saving
    EXPECT_EQ(s->GetValue(1, 1).m_number, 12);
    EXPECT_EQ(s->GetValue("B1").m_number, 0.1 + 0.2);
    EXPECT_EQ(s->GetValue(2, 1).m_text, "text & <markup> \"quoted\"");
    EXPECT_EQ(s->GetValue(4, 1).m_type, CXlsxValue::Empty); // no cached result
    EXPECT_EQ(s->GetFormula(4, 1), "SUM(A1:C1)");
    EXPECT_EQ(s->GetValue("E5").m_type, CXlsxValue::String);
    EXPECT_EQ(s->GetValue("C5").m_type, CXlsxValue::Boolean);

    std::string out = dir.Path("new.xlsx");
    ASSERT_TRUE(book.SaveAs(out)) << book.GetError();
    EXPECT_EQ(CheckWorkbook(out, R"(
ws = wb['Sheet1']
eq(ws['A1'].value, 12)
eq(ws['B1'].value, 0.1 + 0.2)
eq(ws['C1'].value, -1e-300)
eq(ws['A2'].value, 'text & <markup> "quoted"')
eq(ws['B2'].value, '  spaced  ')
eq(ws['C2'].value, '中文 ünïcödé')
eq(ws['D2'].value, 'line1\nline2')
eq(ws['E2'].value, 'tab\there')
eq(ws['F2'].value, 'bad \ufffd byte')
eq(ws['A3'].value, True)
eq(ws['B3'].value, False)
eq(ws['A4'].value, '=SUM(A1:C1)')
eq(ws['B4'].value, '=A1*2')
eq(ws['C4'].value, '#N/A')
eq(ws['A5'].value, 42)
eq(ws['B5'].value, -350)
eq(ws['C5'].value, True)
eq(ws['D5'].value, '=1+2')
eq(ws['E5'].value, '12abc')
eq(ws['F5'].value, '0x10')
eq(ws['G5'].value, ' 7')
eq(ws['H5'].value, 'inf')
eq(ws['XFD1048576'].value, 'corner')
eq(wb.calculation.fullCalcOnLoad, True)
)"), "OK");
}

TEST(XlsxWrite, OverwritingAndClearingKeepStyles)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
from openpyxl.styles import Font, PatternFill
wb = openpyxl.Workbook(); ws = wb.active
ws['A1'] = 'old'; ws['A1'].font = Font(bold=True, color='FF00FF00')
ws['B1'] = 5; ws['B1'].fill = PatternFill('solid', fgColor='FF0000FF')
ws['C1'] = '=A1'
ws['D1'] = 'plain'
ws.row_dimensions[3].fill = PatternFill('solid', fgColor='FFFFFF00')
ws.column_dimensions['E'].font = Font(italic=True)
wb.save(sys.argv[1]))"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx"))) << book.GetError();
    CXlsxSheet* s = book.GetSheet(1);
    EXPECT_TRUE(s->SetNumber(1, 1, 3.25));     // string -> number, bold kept
    EXPECT_TRUE(s->ClearCell(1, 2));           // value gone, fill kept
    EXPECT_TRUE(s->SetString(1, 3, "was a formula"));
    EXPECT_TRUE(s->ClearCell(1, 4));           // unstyled: gone entirely
    EXPECT_TRUE(s->ClearCell(9, 9));           // nothing there: fine
    EXPECT_TRUE(s->SetString(3, 2, "row styled"));
    EXPECT_TRUE(s->SetString(4, 5, "column styled"));
    EXPECT_TRUE(s->SetFormula(6, 1, "B1+1", true));
    EXPECT_TRUE(s->SetNumber(7, 1, 8));
    EXPECT_TRUE(s->SetFormula(7, 1, "A1*2", true)); // keeps 8 as the cached result
    EXPECT_EQ(s->GetValue(7, 1).m_number, 8);
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx"))) << book.GetError();
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
ws = wb.active
eq(ws['A1'].value, 3.25)
eq(ws['A1'].font.b, True)
eq(ws['A1'].font.color.rgb, 'FF00FF00')
eq(ws['B1'].value, None)
eq(ws['B1'].fill.fgColor.rgb, 'FF0000FF')
eq(ws['C1'].value, 'was a formula')
eq(ws['D1'].value, None)
eq(ws['B3'].value, 'row styled')
eq(ws['B3'].fill.fgColor.rgb, 'FFFFFF00')
eq(ws['E4'].font.i, True)
eq(ws['A7'].value, '=A1*2')
cached = openpyxl.load_workbook(sys.argv[1], data_only=True).active
eq(cached['A7'].value, 8)
eq(cached['A6'].value, None)
)"), "OK");
}

TEST(XlsxWrite, SavedWorkbookReopensWithTheSameCells)
{
    // A layer-written file must read back identically through the layer.
    CTempDir dir;
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New());
    CXlsxSheet* s = book.GetSheet(1);
    for (int r = 1; r <= 200; ++r) {
        s->SetNumber(r, 1, r * 1.5);
        s->SetString(r, 2, "row " + std::to_string(r % 17)); // repeated texts
        s->SetBoolean(r, 3, r % 2);
    }
    ASSERT_TRUE(book.SaveAs(dir.Path("a.xlsx")));
    CXlsxWorkbook again;
    ASSERT_TRUE(again.Open(dir.Path("a.xlsx"))) << again.GetError();
    CXlsxSheet* t = again.GetSheet(1);
    for (int r = 1; r <= 200; ++r) {
        ASSERT_EQ(t->GetValue(r, 1).m_number, r * 1.5);
        ASSERT_EQ(t->GetValue(r, 2).m_text, "row " + std::to_string(r % 17));
        ASSERT_EQ(t->GetValue(r, 3).m_boolean, r % 2 == 1);
    }
    // 17 distinct texts are stored once each
    EXPECT_EQ(CheckWorkbook(dir.Path("a.xlsx"), R"(
import zipfile, re
sst = zipfile.ZipFile(sys.argv[1]).read('xl/sharedStrings.xml').decode()
eq(len(re.findall('<si>', sst)), 17)
)"), "OK");
}

TEST(XlsxWrite, StringTableFindsTextsAcrossGrowthAndTemplateDuplicates)
{
    // The template holds "dup" twice and a rich item with the same text as a
    // plain one; new cells reuse the first plain item. Thousands of new
    // texts make the lookup grow several times while repeats still hit.
    CTempDir dir;
    ASSERT_EQ(MakeWithStringTable(dir.Path("t.xlsx"),
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><r><rPr><b/></rPr><t>dup</t></r></si><si><t>dup</t></si><si><t>dup</t></si></sst>",
        0, 1, 2),
              "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx"))) << book.GetError();
    CXlsxSheet* s = book.GetSheet(1);
    ASSERT_TRUE(s->SetString(4, 1, "dup"));
    const int kRows = 6000;
    for (int r = 1; r <= kRows; ++r) {
        ASSERT_TRUE(s->SetString(r, 2, "text " + std::to_string(r)));
        ASSERT_TRUE(s->SetString(r, 3, "text " + std::to_string((r * 7) % kRows + 1))); // all seen or soon seen
    }
    for (int r = 1; r <= kRows; r += 997) {
        EXPECT_EQ(s->GetValue(r, 2).m_text, "text " + std::to_string(r));
        EXPECT_EQ(s->GetValue(r, 3).m_text, "text " + std::to_string((r * 7) % kRows + 1));
    }
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
import zipfile, xml.etree.ElementTree as ET
m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
z = zipfile.ZipFile(sys.argv[1])
items = ET.fromstring(z.read('xl/sharedStrings.xml')).findall(m + 'si')
cells = {c.get('r'): int(c.find(m + 'v').text) for c in ET.fromstring(z.read('xl/worksheets/sheet1.xml')).iter(m + 'c')}
eq(len(items), 3 + 6000)
eq(cells['A4'], 1)
texts = [''.join(t.text for t in si.iter(m + 't')) for si in items]
eq(len(set(texts[3:])), 6000)
ws = wb.active
eq(ws['C1'].value, 'text 8')
eq(ws['B6000'].value, 'text 6000')
eq(ws['C6000'].value, 'text 1')
)"), "OK");
}

TEST(XlsxWrite, RowOfInputsIsTheSameAsEachInputAlone)
{
    CTempDir dir;
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New());
    CXlsxSheet* s = book.GetSheet(1);
    const std::string texts[] = { "12", "text", "=A1*2", "true", "", "-3.5e2", "text" };
    const size_t n = std::size(texts);
    std::vector<const std::string*> row;
    for (const std::string& t : texts)
        row.push_back(&t);
    row.push_back(nullptr);
    ASSERT_TRUE(s->SetString(1, 5, "cleared by the empty input"));
    ASSERT_TRUE(s->SetString(1, 8, "cleared by the null one"));
    ASSERT_TRUE(s->SetInputs(1, 1, row.data(), row.size()));
    for (size_t i = 0; i < n; ++i)
        ASSERT_TRUE(s->SetInput(2, static_cast<int>(i) + 1, texts[i]));
    for (int c = 1; c <= 8; ++c) {
        EXPECT_EQ(s->GetValue(1, c).m_type, s->GetValue(2, c).m_type) << c;
        EXPECT_EQ(s->GetValue(1, c).m_text, s->GetValue(2, c).m_text) << c;
        EXPECT_EQ(s->GetValue(1, c).m_number, s->GetValue(2, c).m_number) << c;
        EXPECT_EQ(s->GetFormula(1, c), s->GetFormula(2, c)) << c;
    }
    EXPECT_EQ(s->GetValue(1, 5).m_type, CXlsxValue::Empty);
    EXPECT_EQ(s->GetValue(1, 8).m_type, CXlsxValue::Empty);
    // past the last column: the cells that fit are written, the call fails
    EXPECT_FALSE(s->SetInputs(3, 16383, row.data(), 3));
    EXPECT_EQ(s->GetValue(3, 16384).m_text, "text");
    ASSERT_TRUE(book.SaveAs(dir.Path("row.xlsx")));
    EXPECT_EQ(CheckWorkbook(dir.Path("row.xlsx"), R"(
ws = wb.active
eq([c.value for c in ws[1]][:7], [12, 'text', '=A1*2', True, None, -350, 'text'])
eq([c.value for c in ws[2]][:7], [12, 'text', '=A1*2', True, None, -350, 'text'])
)"), "OK");
}

TEST(XlsxWrite, StringTableKeepsEveryTextExactly)
{
    // Plain texts are written as they are, the others escaped: both kinds
    // and the lengths around the writer's short-text limit read back whole.
    const std::string texts[] = {
        std::string(256, 'a'), std::string(257, 'b'), std::string(255, 'c') + "&",
        "_x0041_ stays literal", "snake_case", "trailing ", " leading", "a<b>&c \"q\" 'a'",
        "del\x7F" "char", "~!@#$%^*()[]{}|;:,./?", "tab\tin", "ünï", "plain words",
    };
    CTempDir dir;
    {
        CXlsxWorkbook book;
        ASSERT_TRUE(book.New());
        for (size_t i = 0; i < std::size(texts); ++i)
            ASSERT_TRUE(book.GetSheet(1)->SetString(static_cast<int>(i) + 1, 1, texts[i]));
        ASSERT_TRUE(book.SaveAs(dir.Path("s.xlsx")));
    }
    CXlsxWorkbook again;
    ASSERT_TRUE(again.Open(dir.Path("s.xlsx"))) << again.GetError();
    std::string expected = "expected = [";
    for (size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(again.GetSheet(1)->GetValue(static_cast<int>(i) + 1, 1).m_text, texts[i]) << i;
        expected += "bytes.fromhex('";
        static const char hex[] = "0123456789abcdef";
        for (unsigned char c : texts[i]) {
            expected += hex[c >> 4];
            expected += hex[c & 15];
        }
        expected += "').decode(), ";
    }
    expected += "]\n";
    EXPECT_EQ(CheckWorkbook(dir.Path("s.xlsx"), expected + R"(
eq([wb.active.cell(row=i + 1, column=1).value for i in range(len(expected))], expected)
)"), "OK");
}

TEST(XlsxWrite, TextsAreCutToWhatACellHolds)
{
    // Excel counts UTF-16 units: a character beyond U+FFFF counts twice.
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::string many;
    for (int i = 0; i < 17000; ++i)
        many += emoji;
    struct SCase {
        std::string m_text;
        size_t m_bytes; // stored
    } cases[] = {
        { std::string(32767, 'a'), 32767 },
        { std::string(40000, 'a'), 32767 },
        { [] { std::string s; for (int i = 0; i < 20000; ++i) s += "\xE4\xB8\xAD"; return s; }(), 60000 },
        { many, 16383 * 4 },
        { std::string(32766, 'a') + emoji, 32766 }, // the pair would pass the limit
    };
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New());
    CXlsxSheet* sheet = book.GetSheet(1);
    for (const SCase& c : cases) {
        ASSERT_TRUE(sheet->SetInput(1, 1, c.m_text));
        CXlsxValue v = sheet->GetValue(1, 1);
        EXPECT_EQ(v.m_text.size(), c.m_bytes);
        EXPECT_EQ(v.m_text, c.m_text.substr(0, c.m_bytes));
    }
}
