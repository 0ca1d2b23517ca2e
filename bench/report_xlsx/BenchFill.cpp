// Template fill benchmark: the workbook layer against libxlsxwriter (the
// same cells into a new file) and openpyxl (the same template fill). Each
// run is a child process so its peak memory is its own.
//
// bench_report_xlsx [rows]   (100000 by default)
#include "CXlsxWorkbook.h"

#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kColumns = 10;
int g_rows = 100000;

// Row r, column c (0-based): five numbers, then five texts, half of them repeated.
double NumberAt(int r, int c) { return r * 10.0 + c + 0.25; }
std::string TextAt(int r, int c)
{
    return c % 2 ? "category " + std::to_string((r + c) % 50) : "item " + std::to_string(r) + "/" + std::to_string(c);
}

bool MakeTemplate(const std::string& path)
{
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    worksheet_write_string(ws, 0, 0, "Report {date}", bold);
    for (int c = 0; c < kColumns; ++c)
        worksheet_write_string(ws, 1, static_cast<lxw_col_t>(c), ("Column " + std::to_string(c + 1)).c_str(), bold);
    worksheet_set_column(ws, 0, 9, 14, nullptr);
    workbook_add_worksheet(wb, "Notes");
    return workbook_close(wb) == LXW_NO_ERROR;
}

bool RunLayer(const std::string& tpl, const std::string& out)
{
    CXlsxWorkbook book;
    if (!book.Open(tpl))
        return false;
    CXlsxSheet* s = book.GetSheet(1);
    for (int r = 0; r < g_rows; ++r) {
        for (int c = 0; c < 5; ++c)
            s->SetNumber(r + 3, c + 1, NumberAt(r, c));
        for (int c = 5; c < kColumns; ++c)
            s->SetString(r + 3, c + 1, TextAt(r, c));
    }
    book.ReplaceText("{date}", "2026-12-10");
    if (!book.SaveAs(out)) {
        std::fprintf(stderr, "%s\n", book.GetError().c_str());
        return false;
    }
    return true;
}

bool RunXlsxWriter(const std::string& out)
{
    lxw_workbook* wb = workbook_new(out.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
    for (int r = 0; r < g_rows; ++r) {
        for (int c = 0; c < 5; ++c)
            worksheet_write_number(ws, static_cast<lxw_row_t>(r + 2), static_cast<lxw_col_t>(c), NumberAt(r, c), nullptr);
        for (int c = 5; c < kColumns; ++c)
            worksheet_write_string(ws, static_cast<lxw_row_t>(r + 2), static_cast<lxw_col_t>(c), TextAt(r, c).c_str(), nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

bool RunOpenpyxl(const std::string& dir, const std::string& tpl, const std::string& out)
{
    std::string script = dir + "/fill.py";
    std::FILE* f = std::fopen(script.c_str(), "w");
    if (!f)
        return false;
    std::fprintf(f, "import sys, openpyxl\n"
                    "rows = int(sys.argv[3])\n"
                    "wb = openpyxl.load_workbook(sys.argv[1]); ws = wb['Data']\n"
                    "for r in range(rows):\n"
                    "    for c in range(5): ws.cell(r + 3, c + 1, r * 10.0 + c + 0.25)\n"
                    "    for c in range(5, 10):\n"
                    "        ws.cell(r + 3, c + 1, 'category %%d' %% ((r + c) %% 50) if c %% 2 else 'item %%d/%%d' %% (r, c))\n"
                    "for w in wb.worksheets:\n"
                    "    for row in w.iter_rows():\n"
                    "        for cell in row:\n"
                    "            if isinstance(cell.value, str) and '{date}' in cell.value:\n"
                    "                cell.value = cell.value.replace('{date}', '2026-12-10')\n"
                    "wb.save(sys.argv[2])\n");
    std::fclose(f);
    std::string cmd = "/usr/bin/python3 " + script + " " + tpl + " " + out + " " + std::to_string(g_rows);
    return std::system(cmd.c_str()) == 0;
}

struct SResult {
    bool m_ok = false;
    double m_seconds = 0;
    long m_peakKiB = 0;
};

template <class F>
SResult Measure(F&& body)
{
    SResult res;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0)
        _exit(body() ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return res;
    res.m_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    res.m_ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    res.m_peakKiB = usage.ru_maxrss;
    return res;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        g_rows = std::atoi(argv[1]);
    char pattern[] = "/tmp/zxlsx-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    std::string dir = pattern;
    std::string tpl = dir + "/template.xlsx";
    if (!MakeTemplate(tpl))
        return 1;

    SResult layer = Measure([&] { return RunLayer(tpl, dir + "/layer.xlsx"); });
    SResult writer = Measure([&] { return RunXlsxWriter(dir + "/writer.xlsx"); });
    // openpyxl's peak is the python child's, which wait4 reports for the shell's tree
    SResult py = Measure([&] { return RunOpenpyxl(dir, tpl, dir + "/openpyxl.xlsx"); });

    std::printf("template fill, %d rows x %d columns\n", g_rows, kColumns);
    std::printf("  %-28s %8.3f s  peak %7.1f MiB%s\n", "workbook layer (fill+save)", layer.m_seconds,
                layer.m_peakKiB / 1024.0, layer.m_ok ? "" : "  FAILED");
    std::printf("  %-28s %8.3f s  peak %7.1f MiB%s\n", "libxlsxwriter (new file)", writer.m_seconds,
                writer.m_peakKiB / 1024.0, writer.m_ok ? "" : "  FAILED");
    std::printf("  %-28s %8.3f s  peak %7.1f MiB%s\n", "openpyxl (fill+save)", py.m_seconds, py.m_peakKiB / 1024.0,
                py.m_ok ? "" : "  FAILED");
    std::printf("  layer / libxlsxwriter time: %.2f (target <= 2)\n", layer.m_seconds / writer.m_seconds);
    std::printf("  openpyxl / layer time:      %.2f (target >= 5)\n", py.m_seconds / layer.m_seconds);
    std::printf("  layer peak RSS:             %.1f MiB (target < 400)\n", layer.m_peakKiB / 1024.0);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    bool met = layer.m_ok && writer.m_ok && py.m_ok && layer.m_seconds <= 2 * writer.m_seconds
        && py.m_seconds >= 5 * layer.m_seconds && layer.m_peakKiB < 400 * 1024;
    return met ? 0 : 2;
}
