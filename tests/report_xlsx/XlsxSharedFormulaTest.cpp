// Shared formulas: moving a formula's references, and a group that loses
// the cell holding its text giving every other cell a formula of its own.
#include "CXlsxFormulaText.h"
#include "CXlsxSheet.h"
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>

TEST(XlsxSharedFormula, ReferencesMoveUnlessAbsolute)
{
    struct SCase {
        const char* m_formula;
        int m_rows, m_columns;
        const char* m_expected;
    } cases[] = {
        { "A1*2", 2, 1, "B3*2" },
        { "$A1+A$1+$A$1", 1, 1, "$A2+B$1+$A$1" },
        { "SUM(B2:C3)", 1, 0, "SUM(B3:C4)" },
        { "SUM(A:B)+SUM(1:2)", 3, 1, "SUM(B:C)+SUM(4:5)" },
        { "SUM($A:B)+SUM($1:2)", 3, 1, "SUM($A:C)+SUM($1:5)" },
        { "Sheet2!A1+'My Sheet'!B2", 1, 0, "Sheet2!A2+'My Sheet'!B3" },
        { "IF(A1=\"A1\",LOG10(A1),\"x\")", 1, 0, "IF(A2=\"A1\",LOG10(A2),\"x\")" },
        { "ATAN2(A1,1.5)+1E+5+TAX", 1, 0, "ATAN2(A2,1.5)+1E+5+TAX" },
        { "Table1[Price]*A1", 1, 0, "Table1[Price]*A2" },
        { "A1-1", -1, 0, "#REF!-1" },
        { "XFD1+A1:B2", 0, 1, "#REF!+B1:C2" },
        { "#REF!+A1", 1, 0, "#REF!+A2" },
        { "", 1, 1, "" },
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.m_expected, XlsxFormulaText::ShiftReferences(c.m_formula, c.m_rows, c.m_columns)) << c.m_formula;
}

TEST(XlsxSharedFormula, AGroupThatLosesItsTextCellKeepsItsFormulas)
{
    CTempDir dir;
    // openpyxl writes no shared formulas: B1:B5 and C1:D2 are made shared by
    // hand, as Excel stores a formula filled down or across.
    ASSERT_EQ(MakeWithPython(dir.Path("t.xlsx"), R"(
import zipfile
wb = openpyxl.Workbook(); ws = wb.active
for r in range(1, 6):
    ws.cell(r, 1, r); ws.cell(r, 2, 0); ws.cell(r, 3, 0); ws.cell(r, 4, 0)
wb.save(sys.argv[1] + '.plain')
zin = zipfile.ZipFile(sys.argv[1] + '.plain'); zout = zipfile.ZipFile(sys.argv[1], 'w')
for item in zin.infolist():
    data = zin.read(item.filename)
    if item.filename == 'xl/worksheets/sheet1.xml':
        s = data.decode()
        s = s.replace('<c r="B1" t="n"><v>0</v></c>', '<c r="B1"><f t="shared" ref="B1:B5" si="0">A1*2</f><v>2</v></c>')
        for r in range(2, 6):
            s = s.replace('<c r="B%d" t="n"><v>0</v></c>' % r, '<c r="B%d"><f t="shared" si="0"/><v>%d</v></c>' % (r, 2 * r))
        s = s.replace('<c r="C1" t="n"><v>0</v></c>', '<c r="C1"><f t="shared" ref="C1:D2" si="1">$A1+A$1</f><v>2</v></c>')
        for ref in ('D1', 'C2', 'D2'):
            s = s.replace('<c r="%s" t="n"><v>0</v></c>' % ref, '<c r="%s"><f t="shared" si="1"/><v>0</v></c>' % ref)
        assert s.count('t="shared"') == 9, s
        data = s.encode()
    zout.writestr(item, data)
zout.close()
)"), "OK");
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(dir.Path("t.xlsx"))) << book.GetError();
    CXlsxSheet* sheet = book.GetSheet(1);
    ASSERT_NE(sheet, nullptr);
    // The text cell of the first group written over, that of the second cleared.
    ASSERT_TRUE(sheet->SetInput(1, 2, "total"));
    ASSERT_TRUE(sheet->ClearCell(1, 3));
    EXPECT_EQ(sheet->GetFormula(3, 2), "A3*2");
    EXPECT_EQ(sheet->GetFormula(2, 4), "$A2+B$1");
    ASSERT_TRUE(book.SaveAs(dir.Path("out.xlsx"))) << book.GetError();
    EXPECT_EQ(CheckWorkbook(dir.Path("out.xlsx"), R"(
ws = wb.active
eq(ws['B1'].value, 'total')
eq([ws.cell(r, 2).value for r in range(2, 6)], ['=A2*2', '=A3*2', '=A4*2', '=A5*2'])
eq(ws['C1'].value, None)
eq([ws['D1'].value, ws['C2'].value, ws['D2'].value], ['=$A1+B$1', '=$A2+A$1', '=$A2+B$1'])
import zipfile
xml = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml').decode()
eq(xml.count('t="shared"'), 0)
)"), "OK");
}
