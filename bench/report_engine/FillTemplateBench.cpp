// Fills a template with 100 000 rows x 10 columns from a CTable (the way a
// report script does: SetTable, placeholders, SaveAs) and compares the time
// with libxlsxwriter and openpyxl writing the same cells. Each measurement
// runs in its own child process so its peak memory is its own.
#include "CTable.h"
#include "ExcelFile.h"

#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int kRows = 100000;
const int kColumns = 10;

// Column 0 numbers, the others short texts.
std::string CellValue(int row, int column) {
    if (column == 0) return std::to_string(row + 1);
    return "r" + std::to_string(row) + "c" + std::to_string(column);
}

std::string TableText() {
    std::string text;
    for (int c = 0; c < kColumns; ++c) text += (c ? "\x01" : "") + std::string("F") + std::to_string(c);
    text += '\x02';
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (c) text += '\x01';
            text += CellValue(r, c);
        }
        text += '\x02';
    }
    return text;
}

bool MakeTemplate(const std::string& path) {
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Report {date}");
    worksheet_write_string(sheet, 0, 0, "Defects of {date}", nullptr);
    return workbook_close(book) == LXW_NO_ERROR;
}

double Since(std::chrono::steady_clock::time_point& mark) {
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> d = now - mark;
    mark = now;
    return d.count();
}

bool FillWithEngine(const std::string& templatePath, const std::string& out) {
    auto mark = std::chrono::steady_clock::now();
    CTable table;
    if (table.fromString(TableText().c_str()) != kRows) return false;
    const double parse = Since(mark);
    ExcelFile book;
    book.InitExcel();
    if (!book.Open(templatePath.c_str()) || !book.LoadSheetIdx(1)) return false;
    book.SetTable(2, 1, &table, 1);
    const double fill = Since(mark);
    book.AddReplace("{date}", "2026-12-10");
    book.GoReplaceAll();
    const double replace = Since(mark);
    const bool saved = book.SaveAs(out.c_str());
    const double save = Since(mark);
    book.ReleaseExcel();
    printf("  engine phases: parse %.2f s, SetTable %.2f s, GoReplaceAll %.2f s, SaveAs %.2f s\n", parse, fill,
           replace, save);
    fflush(stdout);
    return saved;
}

bool FillWithXlsxwriter(const std::string& out) {
    lxw_workbook* book = workbook_new(out.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Report 2026-12-10");
    worksheet_write_string(sheet, 0, 0, "Defects of 2026-12-10", nullptr);
    for (int c = 0; c < kColumns; ++c)
        worksheet_write_string(sheet, 1, c, ("F" + std::to_string(c)).c_str(), nullptr);
    for (int r = 0; r < kRows; ++r) {
        worksheet_write_number(sheet, r + 2, 0, r + 1, nullptr);
        for (int c = 1; c < kColumns; ++c) worksheet_write_string(sheet, r + 2, c, CellValue(r, c).c_str(), nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

bool FillWithOpenpyxl(const std::string& out) {
    const std::string code =
        "import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\nws.title = 'Report 2026-12-10'\n"
        "ws.append(['Defects of 2026-12-10'])\nws.append(['F%d' % c for c in range(10)])\n"
        "for r in range(100000):\n    ws.append([r + 1] + ['r%dc%d' % (r, c) for c in range(1, 10)])\n"
        "wb.save('" + out + "')\n";
    const std::string command = "/usr/bin/python3 -c \"" + code + "\"";
    return system(command.c_str()) == 0;
}

struct Measure {
    double seconds = -1;
    long peakKiB = 0;
};

// Runs fn in a child; its wall time and peak resident memory.
template <typename Fn>
Measure InChild(Fn fn) {
    Measure m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(fn() ? 0 : 1);
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) m.seconds = elapsed.count();
    m.peakKiB = usage.ru_maxrss;
    return m;
}

}  // namespace

int main() {
    char folder[] = "/tmp/zreport-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string dir = folder;
    const std::string templatePath = dir + "/template.xlsx";
    if (!MakeTemplate(templatePath)) return 1;

    const Measure engine = InChild([&] { return FillWithEngine(templatePath, dir + "/engine.xlsx"); });
    const Measure writer = InChild([&] { return FillWithXlsxwriter(dir + "/xlsxwriter.xlsx"); });
    const Measure python = InChild([&] { return FillWithOpenpyxl(dir + "/openpyxl.xlsx"); });

    printf("fill %d x %d cells and save\n", kRows, kColumns);
    printf("  engine (CTable, SetTable, GoReplaceAll, SaveAs): %8.2f s, peak %6.1f MiB\n", engine.seconds,
           engine.peakKiB / 1024.0);
    printf("  libxlsxwriter:                                   %8.2f s\n", writer.seconds);
    printf("  openpyxl:                                        %8.2f s\n", python.seconds);
    if (engine.seconds > 0 && writer.seconds > 0 && python.seconds > 0) {
        printf("  engine / libxlsxwriter: %.2f (target <= 2)\n", engine.seconds / writer.seconds);
        printf("  openpyxl / engine:      %.2f (target >= 5)\n", python.seconds / engine.seconds);
        printf("  peak memory target: < 400 MiB: %s\n", engine.peakKiB < 400 * 1024 ? "met" : "NOT met");
    }
    const std::string cleanup = "rm -rf '" + dir + "'";
    if (system(cleanup.c_str()) != 0) return 1;
    return engine.seconds > 0 ? 0 : 1;
}
