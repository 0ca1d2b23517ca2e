#include "CGridExport.h"

#include "CSiblingTempFile.h"

#include <QAbstractItemModel>
#include <QAbstractProxyModel>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableView>

#include <xlsxwriter.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// Closes (and so writes and frees) a workbook left open on a failure path.
struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

QString LxwText(lxw_error error) {
    return QString::fromLatin1(lxw_strerror(error));
}

// The visible sections of a header in the order it shows them.
QVector<int> VisibleSections(const QHeaderView& header, int count) {
    QVector<int> sections;
    sections.reserve(count);
    for (int visual = 0; visual < count; ++visual) {
        const int logical = header.logicalIndex(visual);
        if (logical >= 0 && !header.isSectionHidden(logical)) sections.push_back(logical);
    }
    return sections;
}

}  // namespace

QString CGridExport::ColumnName(const QString& caption) {
    return caption == QLatin1String("-") ? QStringLiteral("A") : caption;
}

QString CGridExport::ProposedFileName(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".xlsx");
}

QString CGridExport::CellText(const QString& text) {
    if (text.size() <= kMaxCellChars) return text;
    int size = kMaxCellChars;
    if (text.at(size - 1).isHighSurrogate()) --size;
    return text.left(size);
}

bool CGridExport::ReadNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

bool CGridExport::Fail(const QString& text) {
    m_lastError = text;
    return false;
}

bool CGridExport::Write(const QTableView& grid, const QString& sheet, int numeric, const QString& path) {
    m_lastError.clear();
    const QAbstractItemModel* model = grid.model();
    if (!model) return Fail(QStringLiteral("The grid has no table"));
    const QVector<int> columns = VisibleSections(*grid.horizontalHeader(), model->columnCount());
    QVector<int> rows;
    // Rows shown through a proxy (grouped, with group rows) are written
    // from its table: every row, in the table's order, no group row.
    if (auto* proxy = qobject_cast<const QAbstractProxyModel*>(model); proxy && proxy->sourceModel()) {
        model = proxy->sourceModel();
        rows.reserve(model->rowCount());
        for (int row = 0; row < model->rowCount(); ++row) rows.push_back(row);
    } else {
        rows = VisibleSections(*grid.verticalHeader(), model->rowCount());
    }
    // The export is never cut: a grid the sheet cannot hold is refused.
    if (rows.size() >= static_cast<int>(LXW_ROW_MAX))
        return Fail(QStringLiteral("A sheet holds at most %1 rows below its captions; the grid has %2")
                        .arg(LXW_ROW_MAX - 1)
                        .arg(rows.size()));
    if (columns.size() > static_cast<int>(LXW_COL_MAX))
        return Fail(QStringLiteral("A sheet holds at most %1 columns; the grid has %2")
                        .arg(LXW_COL_MAX)
                        .arg(columns.size()));
    if (QFileInfo(path).isDir()) return Fail(QStringLiteral("%1 is a folder").arg(path));

    CSiblingTempFile temp(path);
    if (!temp.IsOpen()) return Fail(temp.LastError());

    lxw_workbook_options options;
    std::memset(&options, 0, sizeof options);
    // Rows go to disk as they are written, so memory does not grow with the grid.
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(temp.Path().constData(), &options));
    if (!book) return Fail(QStringLiteral("Cannot start the workbook %1").arg(path));
    lxw_worksheet* worksheet = workbook_add_worksheet(book.get(), sheet.toUtf8().constData());
    if (!worksheet) return Fail(QStringLiteral("Invalid sheet name: %1").arg(sheet));

    const auto writeText = [worksheet](lxw_row_t row, lxw_col_t column, const QString& text) {
        if (text.isEmpty()) return LXW_NO_ERROR;
        return worksheet_write_string(worksheet, row, column, CellText(text).toUtf8().constData(), nullptr);
    };
    const auto cellFailure = [](int row, int column, lxw_error error) {
        return QStringLiteral("Row %1, column %2: %3").arg(row).arg(column).arg(LxwText(error));
    };
    for (int c = 0; c < columns.size(); ++c) {
        const QString caption = model->headerData(columns[c], Qt::Horizontal, Qt::DisplayRole).toString();
        const lxw_error error = writeText(0, static_cast<lxw_col_t>(c), ColumnName(caption));
        if (error != LXW_NO_ERROR) return Fail(cellFailure(1, c + 1, error));
    }
    for (int r = 0; r < rows.size(); ++r) {
        const lxw_row_t sheetRow = static_cast<lxw_row_t>(r + 1);
        for (int c = 0; c < columns.size(); ++c) {
            const QString text = model->data(model->index(rows[r], columns[c]), Qt::DisplayRole).toString();
            double number = 0;
            const lxw_error error =
                numeric && ReadNumber(text, number)
                    ? worksheet_write_number(worksheet, sheetRow, static_cast<lxw_col_t>(c), number, nullptr)
                    : writeText(sheetRow, static_cast<lxw_col_t>(c), text);
            if (error != LXW_NO_ERROR) return Fail(cellFailure(r + 2, c + 1, error));
        }
    }
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR) return Fail(QStringLiteral("Cannot write %1: %2").arg(path, LxwText(closed)));
    if (!temp.MoveOverTarget()) return Fail(temp.LastError());
    return true;
}
