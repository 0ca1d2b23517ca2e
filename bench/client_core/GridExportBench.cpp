// Grid export benchmark: a result grid of 100 000 rows × 10 columns written
// to a workbook, against libxlsxwriter alone writing the same cells (the
// same options, the texts ready as UTF-8), best of three each, in one run.
// Targets: at most 1.5 times the reference, the process under 400 MiB.
#include "CAppContext.h"
#include "CGridExport.h"
#include "CResultGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;
constexpr double kMaxRatio = 1.5;
constexpr long kMaxPeakKib = 400 * 1024;

long StatusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

// Texts of a defect list: ids, summaries with CJK text, statuses, names,
// dates, empty cells.
std::string CellText(int row, int column) {
    static const char* const statuses[] = {"00-New", "01-Open", "02-Fixed", "03-Closed", "05-Reject"};
    static const char* const people[] = {"zhang", "li", "chen", "wang"};
    switch (column) {
    case 0: return std::to_string(100000 + row);
    case 1: return "第 " + std::to_string(row) + " 个缺陷: 保存时窗口标题显示错误, crash on save";
    case 2: return statuses[row % 5];
    case 3: return people[row % 4];
    case 4: return people[(row + 1) % 4];
    case 5: return "2008-0" + std::to_string(1 + row % 9) + "-1" + std::to_string(row % 10) + " 09:07:00";
    case 6: return row % 3 ? std::string() : "2008-03-02 17:30:00";
    case 7: return "01-中";
    case 8: return "1." + std::to_string(row % 4);
    default: return row % 7 ? "" : "重现步骤: 1. 打开Zentry 2. 执行操作";
    }
}

double Ms(const QElapsedTimer& clock) {
    return clock.nsecsElapsed() / 1e6;
}

// libxlsxwriter alone: the same sheet from ready UTF-8 texts.
double ReferenceMs(const std::vector<std::string>& captions, const std::vector<std::string>& cells,
                   const std::string& path) {
    QElapsedTimer clock;
    clock.start();
    lxw_workbook_options options;
    std::memset(&options, 0, sizeof options);
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "grid");
    for (int c = 0; c < kColumns; ++c) worksheet_write_string(sheet, 0, c, captions[c].c_str(), nullptr);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::string& text = cells[static_cast<size_t>(r) * kColumns + c];
            if (!text.empty()) worksheet_write_string(sheet, r + 1, c, text.c_str(), nullptr);
        }
    if (workbook_close(book) != LXW_NO_ERROR) return -1;
    return Ms(clock);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();

    std::vector<std::string> captions;
    for (int c = 0; c < kColumns; ++c) captions.push_back("COLUMN_" + std::to_string(c));
    std::vector<std::string> cells;
    cells.reserve(static_cast<size_t>(kRows) * kColumns);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) cells.push_back(CellText(r, c));

    CAppContext context;
    CResultGrid grid(context);
    {
        QStringList names;
        for (const std::string& caption : captions) names << QString::fromStdString(caption);
        grid.Model()->Reset(names, names);
        QVector<CResultGridModel::Row> rows;
        rows.reserve(kRows);
        for (int r = 0; r < kRows; ++r) {
            CResultGridModel::Row row;
            for (int c = 0; c < kColumns; ++c)
                row.cells << QString::fromStdString(cells[static_cast<size_t>(r) * kColumns + c]);
            rows.push_back(std::move(row));
        }
        grid.Model()->AppendRows(std::move(rows));
    }
    const long rssFilled = StatusKib("VmRSS:");

    double bestExport = 1e18, bestReference = 1e18;
    for (int round = 0; round < 3; ++round) {
        const double reference = ReferenceMs(captions, cells, folder + "/reference.xlsx");
        CGridExport exporter;
        QElapsedTimer clock;
        clock.start();
        if (!exporter.Write(grid, QStringLiteral("grid"), 0, dir.filePath("export.xlsx"))) {
            std::printf("export failed: %s\n", exporter.LastError().toUtf8().constData());
            return 1;
        }
        const double exported = Ms(clock);
        if (reference < 0) {
            std::printf("the reference workbook failed\n");
            return 1;
        }
        bestReference = std::min(bestReference, reference);
        bestExport = std::min(bestExport, exported);
    }
    const long peak = StatusKib("VmHWM:");
    const double ratio = bestExport / bestReference;
    const long long exportBytes = QFileInfo(dir.filePath("export.xlsx")).size();
    const long long referenceBytes = QFileInfo(dir.filePath("reference.xlsx")).size();

    std::printf("grid export, %d rows x %d columns (best of 3)\n", kRows, kColumns);
    std::printf("  export             %8.1f ms  (%lld bytes)\n", bestExport, exportBytes);
    std::printf("  libxlsxwriter only %8.1f ms  (%lld bytes)\n", bestReference, referenceBytes);
    std::printf("  ratio              %8.2f     (target <= %.1f)\n", ratio, kMaxRatio);
    std::printf("  grid filled        %8ld KiB resident\n", rssFilled);
    std::printf("  process peak       %8ld KiB  (target < %ld)\n", peak, kMaxPeakKib);
    const bool ok = ratio <= kMaxRatio && peak < kMaxPeakKib;
    std::printf("  %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
