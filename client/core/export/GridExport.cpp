#include "GridExport.h"

#include "CAppContext.h"
#include "CGridExport.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTableView>

#include <xlsxwriter.h>

namespace {

// Shown when an earlier file of the chosen name could not be replaced.
const char* const kOverwriteFailed = "覆盖文件时出错！";

}  // namespace

QString FindExcelOdbcDriver() {
    const char* version = lxw_version();
    return version && *version ? QStringLiteral("libxlsxwriter %1").arg(QString::fromLatin1(version)) : QString();
}

int CreateDirPath(const QString& path, int flag) {
    for (int slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        QDir().mkdir(path.left(slash));
    if (flag == 0) QDir().mkdir(path);
    return QFileInfo::exists(path) ? 1 : 0;
}

int ChooseExportFile(CAppContext& context, QString& path, QWidget* parent) {
    QFileDialog dialog(parent, QString::fromUtf8("导出"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    QString allFiles = context.Text(GridExportTexts::AllFiles);
    if (allFiles.isEmpty()) allFiles = QStringLiteral("*");
    dialog.setNameFilters({QString::fromUtf8("Excel文件(*.xlsx)"), allFiles});
    dialog.selectFile(CGridExport::ProposedFileName(QDateTime::currentDateTime()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
    path = dialog.selectedFiles().first();
    CreateDirPath(path, 1);
    // An earlier file stays until the new workbook is renamed over it.
    return 1;
}

void ExportGridToExcel(CAppContext& context, QTableView& grid, const QString& sheet, int numeric) {
    if (!grid.model() || grid.model()->rowCount() == 0) return;
    if (FindExcelOdbcDriver().isEmpty()) {
        context.ShowMessage(context.Text(GridExportTexts::NoWriter));
        return;
    }
    QString path;
    if (!ChooseExportFile(context, path, &grid)) return;
    const bool replacing = QFileInfo::exists(path);
    CGridExport exporter;
    context.SetBusy(1);
    const bool written = exporter.Write(grid, sheet, numeric, path);
    context.SetBusy(0);
    if (!written) {
        const QString failed = replacing ? QString::fromUtf8(kOverwriteFailed) : context.Text(GridExportTexts::Failed);
        context.ShowMessage(failed + QStringLiteral("\n") + exporter.LastError());
        return;
    }
    context.ShowMessage(QStringLiteral("%1 %2!").arg(context.Text(GridExportTexts::Exported), path));
}
