// The grid export as users meet it: the defect list's Export asks for a
// file, writes the grid there and says where it went, or why not.
#pragma once

#include <QString>

class CAppContext;
class QTableView;
class QWidget;

namespace GridExportTexts {
constexpr int NoWriter = 4055;
constexpr int Exported = 4056;
constexpr int Failed = 4962;
constexpr int AllFiles = 61442;
}  // namespace GridExportTexts

// Writes the grid's rows (as the grid shows them) to a workbook the user
// chooses, one sheet of that name; numeric 0 writes every cell as text. A
// grid without rows does nothing; Cancel writes nothing and says nothing.
void ExportGridToExcel(CAppContext& context, QTableView& grid, const QString& sheet, int numeric);
// The writer that takes the Excel driver's place: its name and version, or
// an empty text when there is none.
QString FindExcelOdbcDriver();
// The save dialog ("导出", which asks before an existing file is chosen): 1
// with the chosen path and its folders made, 0 when the user cancelled. An
// earlier file of that name stays until the new workbook replaces it; when
// that fails the export says "覆盖文件时出错！".
int ChooseExportFile(CAppContext& context, QString& path, QWidget* parent);
// Makes every folder of the path (each prefix up to a '/' after the first
// character) and, with flag 0, the path itself as a folder; 1 when the path
// exists afterwards.
int CreateDirPath(const QString& path, int flag);
