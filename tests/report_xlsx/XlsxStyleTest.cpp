// Style changes clone the cell's format: other attributes and other cells
// stay as they were, identical formats are shared.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* const kStyledTemplate = R"(
from openpyxl.styles import Font, PatternFill, Alignment, Border, Side
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'S'
shared = Font(name='Arial', size=14, bold=True, color='FF112233')
for ref in ('A1', 'A2', 'A3'):
    ws[ref] = ref
    ws[ref].font = shared
    ws[ref].alignment = Alignment(horizontal='center')
    ws[ref].number_format = '0.00'
ws['B1'] = 'bordered'
ws['B1'].border = Border(left=Side('thin', color='FFFF0000'), bottom=Side('double'))
ws['C1'] = 'filled'
ws['C1'].fill = PatternFill('solid', fgColor='FF00FF00')
wb.save(sys.argv[1]))";

} // namespace

TEST(XlsxStyle, ChangingOneAttributeKeepsTheOthersAndTheOtherCells)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), kStyledTemplate), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx"))) << book.GetError();
    CXlsxSheet* s = book.GetSheet(1);

    CXlsxCellStyle before = s->GetStyle(1, 1);
    EXPECT_EQ(before.m_fontName, "Arial");
    EXPECT_EQ(before.m_fontSize, 14);
    EXPECT_TRUE(before.m_bold);
    EXPECT_EQ(before.m_fontColor, "FF112233");
    EXPECT_EQ(before.m_horizontal, CXlsxCellStyle::HorizontalCenter);
    EXPECT_EQ(before.m_numberFormat, "0.00");
    EXPECT_EQ(s->GetStyle(1, 2).m_border[CXlsxStyleChange::Left], CXlsxCellStyle::BorderThin);
    EXPECT_EQ(s->GetStyle(1, 2).m_borderColor[CXlsxStyleChange::Left], "FFFF0000");
    EXPECT_EQ(s->GetStyle(1, 2).m_border[CXlsxStyleChange::Bottom], CXlsxCellStyle::BorderDouble);
    EXPECT_EQ(s->GetStyle(1, 3).m_fillColor, "FF00FF00");

    // one attribute per cell, each through its own change
    struct {
        int row, column;
        CXlsxStyleChange change;
    } cases[] = {
        { 1, 1, {} }, { 2, 1, {} }, { 1, 2, {} }, { 1, 3, {} }, { 5, 5, {} },
    };
    cases[0].change.m_fontColor = ExcelColorToArgb(0x0000FF); // red
    cases[1].change.m_italic = true;
    cases[1].change.m_bold = false;
    cases[1].change.m_strikethrough = true;
    cases[1].change.m_shadow = true;
    cases[1].change.m_underline = CXlsxCellStyle::UnderlineDouble;
    cases[1].change.m_fontName = "Courier New";
    cases[1].change.m_fontSize = 9.5;
    cases[2].change.m_fillColor = "FFABCDEF";
    cases[2].change.m_border[CXlsxStyleChange::Top] = CXlsxCellStyle::BorderMedium;
    cases[3].change.m_fillColor = "";
    cases[3].change.m_horizontal = CXlsxCellStyle::HorizontalRight;
    cases[3].change.m_vertical = CXlsxCellStyle::VerticalTop;
    cases[3].change.m_wrap = true;
    cases[4].change.m_numberFormat = "yyyy-mm-dd";
    cases[4].change.m_bold = true;
    for (const auto& c : cases)
        ASSERT_TRUE(s->ApplyStyle(c.row, c.column, c.change)) << s->GetError();
    ASSERT_TRUE(s->SetNumber(5, 5, 45000));

    // refused values leave the cell alone
    CXlsxStyleChange bad;
    bad.m_fontColor = "red";
    EXPECT_FALSE(s->ApplyStyle(1, 1, bad));
    EXPECT_NE(s->GetError().find("ARGB"), std::string::npos);
    bad = CXlsxStyleChange();
    bad.m_fontSize = 0;
    EXPECT_FALSE(s->ApplyStyle(1, 1, bad));
    EXPECT_EQ(s->GetStyle(1, 1).m_fontColor, "FFFF0000");

    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx"))) << book.GetError();
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
ws = wb['S']
a1, a2, a3 = ws['A1'], ws['A2'], ws['A3']
eq(a1.font.color.rgb, 'FFFF0000')
eq((a1.font.name, a1.font.sz, a1.font.b), ('Arial', 14, True))
eq(a1.alignment.horizontal, 'center')
eq(a1.number_format, '0.00')
eq((a2.font.i, a2.font.b, a2.font.strike, a2.font.shadow, a2.font.u), (True, False, True, True, 'double'))
eq((a2.font.name, a2.font.sz, a2.font.color.rgb), ('Courier New', 9.5, 'FF112233'))
eq(a2.font.scheme, None)
eq(a2.alignment.horizontal, 'center')
# the third cell shared the format and must not have changed
eq((a3.font.name, a3.font.sz, a3.font.b, a3.font.i, a3.font.color.rgb), ('Arial', 14, True, False, 'FF112233'))
b1 = ws['B1']
eq((b1.fill.fill_type, b1.fill.fgColor.rgb), ('solid', 'FFABCDEF'))
eq((b1.border.left.style, b1.border.left.color.rgb, b1.border.bottom.style, b1.border.top.style), ('thin', 'FFFF0000', 'double', 'medium'))
c1 = ws['C1']
eq(c1.fill.fill_type, None)
eq((c1.alignment.horizontal, c1.alignment.vertical, c1.alignment.wrap_text), ('right', 'top', True))
eq(ws['E5'].number_format, 'yyyy-mm-dd')
eq(ws['E5'].font.b, True)
eq(ws['E5'].value.year, 2023)
eq(ws['D4'].font.b, False)
)"), "OK");
}

TEST(XlsxStyle, RepeatedChangesReuseTheSameRecords)
{
    CTempDir dir;
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), kStyledTemplate), "OK");
    auto counts = [](const std::string& path) {
        return CheckWorkbook(path, R"(
import zipfile, re
x = zipfile.ZipFile(sys.argv[1]).read('xl/styles.xml').decode()
def n(tag):
    m = re.search('<%s[^>]*>(.*?)</%s>' % (tag, tag), x, re.S)
    return len(re.findall('<%s[ >/]' % tag[:-1] if tag != 'cellXfs' else '<xf[ >/]', m.group(1))) if m else 0
print('fonts=%d fills=%d xfs=%d' % (n('fonts'), n('fills'), n('cellXfs')), end=' ')
)");
    };
    std::string before = counts(dir.Path("t.xlsx"));
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx")));
    CXlsxSheet* s = book.GetSheet(1);
    CXlsxStyleChange red;
    red.m_fontColor = "FFFF0000";
    red.m_fillColor = "FF0000FF";
    for (int r = 10; r < 1010; ++r)
        ASSERT_TRUE(s->ApplyStyle(r, 2, red));
    ASSERT_TRUE(s->ApplyStyle(CXlsxRange{ 10, 3, 20, 6 }, red));
    CXlsxStyleChange back;
    back.m_fontColor = "FF112233"; // A1's colour again: back to its own font
    ASSERT_TRUE(s->ApplyStyle(1, 1, back));
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx")));
    // one new font and fill, one new xf: 1000 cells share it
    auto number = [](const std::string& text, const char* key) {
        size_t at = text.find(key);
        return at == std::string::npos ? -1 : std::stoi(text.substr(at + std::strlen(key)));
    };
    std::string after = counts(dir.Path("out.xlsx"));
    EXPECT_EQ(number(after, "fonts="), number(before, "fonts=") + 1) << before << " / " << after;
    EXPECT_EQ(number(after, "fills="), number(before, "fills=") + 1) << before << " / " << after;
    EXPECT_EQ(number(after, "xfs="), number(before, "xfs=") + 1) << before << " / " << after;
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
ws = wb.active
eq(ws['B10'].font.color.rgb, 'FFFF0000')
eq(ws['B1009'].fill.fgColor.rgb, 'FF0000FF')
eq(ws['F20'].font.color.rgb, 'FFFF0000')
eq(ws['A1'].font.color.rgb, 'FF112233')
eq(ws['A1'].font.b, True)
)"), "OK");
}
