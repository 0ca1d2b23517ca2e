// Saving: parts the layer does not understand survive byte for byte, the
// destination is replaced only by a complete file.
#include "CXlsxWorkbook.h"
#include "XlsxTestUtil.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <filesystem>

namespace {

// A template with what report designers put in: a chart, an image, a
// comment, defined names, print settings, a hyperlink, data validation.
bool MakeRichTemplate(const CTempDir& dir, const std::string& path)
{
    std::string png = dir.Path("dot.png");
    if (MakeWithPython(png, R"(
import base64
open(sys.argv[1], 'wb').write(base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg=='))
)") != "OK")
        return false;
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Report");
    lxw_worksheet* other = workbook_add_worksheet(wb, "Other");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    worksheet_write_string(ws, 0, 0, "Title {title}", bold);
    for (int r = 1; r <= 5; ++r)
        worksheet_write_number(ws, static_cast<lxw_row_t>(r), 1, r * 10, nullptr);
    worksheet_write_formula(ws, 6, 1, "=SUM(B2:B6)", nullptr);
    worksheet_write_comment(ws, 0, 0, "a note");
    worksheet_write_url(ws, 8, 0, "https://example.com/", nullptr);
    lxw_data_validation dv = {};
    dv.validate = LXW_VALIDATION_TYPE_INTEGER;
    dv.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
    dv.minimum_number = 1;
    dv.maximum_number = 10;
    worksheet_data_validation_cell(ws, 9, 0, &dv);
    worksheet_insert_image(ws, 2, 4, png.c_str());
    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
    chart_add_series(chart, nullptr, "=Report!$B$2:$B$6");
    worksheet_insert_chart(ws, 10, 4, chart);
    worksheet_set_landscape(ws);
    worksheet_set_header(ws, "&CPage &P");
    worksheet_repeat_rows(ws, 0, 0);
    worksheet_print_area(ws, 0, 0, 20, 8);
    workbook_define_name(wb, "Values", "=Report!$B$2:$B$6");
    worksheet_write_string(other, 0, 0, "other sheet", nullptr);
    return workbook_close(wb) == LXW_NO_ERROR;
}

} // namespace

TEST(XlsxSave, KeepsEveryPartItDoesNotChange)
{
    CTempDir dir;
    std::string tpl = dir.Path("template.xlsx");
    ASSERT_TRUE(MakeRichTemplate(dir, tpl));
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(tpl)) << book.GetError();
    CXlsxSheet* s = book.GetSheet("Report");
    ASSERT_TRUE(s->SetNumber(2, 2, 99));
    ASSERT_TRUE(s->SetString(20, 1, "added"));
    CXlsxStyleChange red;
    red.m_fontColor = "FFFF0000";
    ASSERT_TRUE(s->ApplyStyle(20, 1, red));
    EXPECT_EQ(book.ReplaceText("{title}", "Q4"), 1);
    std::string out = dir.Path("out.xlsx");
    ASSERT_TRUE(book.SaveAs(out)) << book.GetError();
    // changed: the edited sheet, strings, styles, the workbook (recalculation)
    EXPECT_EQ(SameParts(tpl, out, "xl/worksheets/sheet1.xml,xl/sharedStrings.xml,xl/styles.xml,xl/workbook.xml"), "OK");
    EXPECT_EQ(CheckWorkbook(out, R"(
import zipfile
z = zipfile.ZipFile(sys.argv[1])
sheet = z.read('xl/worksheets/sheet1.xml').decode()
for tag in ('<drawing ', '<legacyDrawing ', '<pageSetup ', '<headerFooter', '<hyperlinks>', '<dataValidations ', '<pageMargins '):
    eq(tag in sheet, True)
eq(sheet.index('<dataValidations') < sheet.index('<hyperlinks>') < sheet.index('<pageMargins') < sheet.index('<drawing '), True)
ws = wb['Report']
eq(ws['A1'].value, 'Title Q4')
eq(ws['A1'].font.b, True)
eq(ws['B2'].value, 99)
eq(ws['B3'].value, 20)
eq(ws['B7'].value, '=SUM(B2:B6)')
eq(ws['A20'].value, 'added')
eq(ws['A20'].font.color.rgb, 'FFFF0000')
eq(ws['A1'].comment.text.strip(), 'a note')
eq(ws['A9'].hyperlink.target, 'https://example.com/')
eq(ws.page_setup.orientation, 'landscape')
eq(wb.defined_names['Values'].attr_text, 'Report!$B$2:$B$6')
eq(ws.print_title_rows, '$1:$1')
eq(wb.calculation.fullCalcOnLoad, True)
eq(wb['Other']['A1'].value, 'other sheet')
)"), "OK");
}

TEST(XlsxSave, UnchangedWorkbookIsCopiedAsItIs)
{
    CTempDir dir;
    std::string tpl = dir.Path("template.xlsx");
    ASSERT_TRUE(MakeRichTemplate(dir, tpl));
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(tpl));
    EXPECT_EQ(book.GetSheet(1)->GetValue(1, 1).m_text, "Title {title}");
    EXPECT_EQ(book.ReplaceText("{absent}", "x"), 0);
    ASSERT_TRUE(book.SaveAs(dir.Path("copy.xlsx")));
    EXPECT_EQ(SameParts(tpl, dir.Path("copy.xlsx"), ""), "OK");
    EXPECT_EQ(SameParts(dir.Path("copy.xlsx"), tpl, ""), "OK"); // and nothing added
}

TEST(XlsxSave, DestinationIsReplacedOnlyByACompleteFile)
{
    CTempDir dir;
    CXlsxWorkbook book;
    ASSERT_TRUE(book.New());
    book.GetSheet(1)->SetString(1, 1, "v1");

    // over the opened file itself, twice
    std::string path = dir.Path("same.xlsx");
    ASSERT_TRUE(book.SaveAs(path));
    CXlsxWorkbook reopened;
    ASSERT_TRUE(reopened.Open(path));
    reopened.GetSheet(1)->SetString(2, 1, "v2");
    ASSERT_TRUE(reopened.SaveAs(path)) << reopened.GetError();
    reopened.GetSheet(1)->SetString(3, 1, "v3");
    ASSERT_TRUE(reopened.SaveAs(path)) << reopened.GetError();
    EXPECT_EQ(CheckWorkbook(path, R"(
ws = wb.active
eq([ws['A1'].value, ws['A2'].value, ws['A3'].value], ['v1', 'v2', 'v3'])
)"), "OK");

    // a ".xls" name gets .xlsx content
    ASSERT_TRUE(book.SaveAs(dir.Path("report.xls")));
    EXPECT_EQ(ReadFile(dir.Path("report.xls")).substr(0, 2), "PK");
    std::filesystem::copy_file(dir.Path("report.xls"), dir.Path("report-copy.xlsx"));
    EXPECT_EQ(CheckWorkbook(dir.Path("report-copy.xlsx"), "eq(wb.active['A1'].value, 'v1')\n"), "OK");

    // failures leave nothing behind and the old destination as it was
    std::filesystem::create_directories(dir.Path("busy/inside"));
    EXPECT_FALSE(book.SaveAs(dir.Path("busy")));          // a folder is in the way
    EXPECT_NE(book.GetError().find("busy"), std::string::npos) << book.GetError();
    EXPECT_FALSE(book.SaveAs(dir.Path("nofolder/x.xlsx")));
    EXPECT_NE(book.GetError().find("nofolder"), std::string::npos) << book.GetError();
    EXPECT_FALSE(book.SaveAs(dir.Path("")));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Root()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{ "busy", "report-copy.xlsx", "report.xls", "same.xlsx" }));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("busy/inside")));
}

TEST(XlsxSave, WrittenPartsAreDeflatedWithTheirChecksumsAndLevel)
{
    // Every part the layer writes is deflated with a CRC that matches its
    // bytes (zipfile checks it while reading); a higher level gives a smaller
    // file of the same cells; a sheet left without cells saves as well.
    CTempDir dir;
    std::string paths[2] = { dir.Path("fast.xlsx"), dir.Path("small.xlsx") };
    int levels[2] = { 1, 9 };
    for (int i = 0; i < 2; ++i) {
        CXlsxWorkbook book;
        ASSERT_TRUE(book.New());
        book.SetCompressionLevel(levels[i]);
        CXlsxSheet* s = book.GetSheet(1);
        for (int r = 1; r <= 3000; ++r) {
            s->SetNumber(r, 1, r * 0.25);
            s->SetString(r, 2, "item " + std::to_string(r % 251) + " of the list");
        }
        ASSERT_TRUE(book.SaveAs(paths[i])) << book.GetError();
    }
    EXPECT_LT(std::filesystem::file_size(paths[1]), std::filesystem::file_size(paths[0]));
    for (const std::string& path : paths)
        EXPECT_EQ(CheckWorkbook(path, R"(
import zipfile
z = zipfile.ZipFile(sys.argv[1])
eq(z.testzip(), None)
eq(sorted(set(i.compress_type for i in z.infolist())), [zipfile.ZIP_DEFLATED])
ws = wb.active
eq(ws['A3000'].value, 750)
eq(ws['B3000'].value, 'item 239 of the list')
)"), "OK");

    // a workbook whose only sheet lost its cells
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(paths[0]));
    for (int r = 1; r <= 3000; ++r) {
        book.GetSheet(1)->ClearCell(r, 1);
        book.GetSheet(1)->ClearCell(r, 2);
    }
    ASSERT_TRUE(book.SaveAs(dir.Path("empty.xlsx"))) << book.GetError();
    EXPECT_EQ(CheckWorkbook(dir.Path("empty.xlsx"), R"(
import zipfile
eq(zipfile.ZipFile(sys.argv[1]).testzip(), None)
eq(wb.active.max_row, 1)
eq(wb.active['A1'].value, None)
)"), "OK");
}

TEST(XlsxSave, TheWorkbookTypeFollowsTheDestinationsExtension)
{
    CTempDir dir;
    std::string tpl = dir.Path("template.xltx");
    ASSERT_EQ("OK", MakeWithPython(tpl, R"(
wb = openpyxl.Workbook(); wb.active['A1'] = 'x'; wb.template = True; wb.save(sys.argv[1])
)"));
    CXlsxWorkbook book;
    ASSERT_TRUE(book.Open(tpl)) << book.GetError();
    // A template saved as .xlsx is a workbook (Excel refuses the template
    // type under that name); saved as .xltx it stays a template; other
    // names keep the type the workbook has.
    struct SCase {
        const char* m_name;
        const char* m_type;
    } cases[] = {
        { "out.xlsx", "spreadsheetml.sheet.main+xml" },
        { "again.xltx", "spreadsheetml.template.main+xml" },
        { "UPPER.XLSX", "spreadsheetml.sheet.main+xml" },
        { "other.zip", "spreadsheetml.sheet.main+xml" },
    };
    for (const SCase& c : cases) {
        ASSERT_TRUE(book.SaveAs(dir.Path(c.m_name))) << book.GetError();
        std::string output;
        ASSERT_EQ(0, RunPython(R"py(
import re, zipfile
types = zipfile.ZipFile(sys.argv[1]).read('[Content_Types].xml').decode()
print(re.search(r'PartName="/xl/workbook.xml" ContentType="([^"]+)"', types).group(1))
)py", "'" + dir.Path(c.m_name) + "'", output))
            << output;
        EXPECT_NE(std::string::npos, output.find(c.m_type)) << c.m_name << ": " << output;
    }
    EXPECT_EQ("OK", CheckWorkbook(dir.Path("out.xlsx"), "eq(wb.active['A1'].value, 'x')"));
}
