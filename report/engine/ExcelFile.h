// ExcelFile: one report workbook over the xlsx layer (open a template, pick
// a sheet, read and write and format cells, replace placeholders, save a
// copy), with the report's database logon, its script host and its queued
// inputs.
#pragma once

#include "CScriptHost.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CTable;
class CXlsxSheet;
class CXlsxWorkbook;
class COdbcConnection;

class ExcelFile {
public:
    ExcelFile();
    virtual ~ExcelFile();
    ExcelFile(const ExcelFile&) = delete;
    ExcelFile& operator=(const ExcelFile&) = delete;

    // Workbook life. There is no application to start: InitExcel and
    // ReleaseExcel only mark the span in which workbooks may be opened.
    void InitExcel();
    void ReleaseExcel();
    void ReleaseBooks();
    void Show(bool visible);
    void ShowInExcel(int visible);
    bool New();
    bool Open(const char* path);
    int Ok() const;
    bool SaveAs(const char* path);
    std::string GetError() const;

    // Sheets (1-based).
    int GetSheetCount() const;
    bool LoadSheetIdx(int index);
    bool LoadSheetName(const char* name);
    std::string GetSheetName(int index) const;
    bool SetSheetName(int index, const char* name);
    int GetRowCount() const;
    int GetColumnCount() const;

    // Cells of the current sheet (1-based rows and columns).
    std::string GetCell(int row, int column) const;
    std::string GetCell(const char* reference) const;
    bool SetCell(int row, int column, const char* text);
    bool SetTable(int row, int column, const CTable* table, int withHeader);
    bool SetColor(int row, int column, int colour);
    bool SetBackColor(int row, int column, int colour);
    bool SetStrikethrough(int row, int column, bool on);
    bool SetShadow(int row, int column, bool on);
    bool SetFont(int row, int column, int colour = 0, const char* name = "", int size = 16,
                 int underline = 1, bool bold = false, bool italic = false);
    bool IsMergeCell(int row, int column) const;
    bool GetMergeRowColumns(int row, int column, int& rows, int& columns) const;
    double GetCellHeight(int row, int column) const;
    double GetCellWidth(int row, int column) const;

    // Placeholders.
    bool Replace(const char* key, const char* value);
    void AddReplace(const char* key, const char* value);
    void ResetReplace();
    bool GoReplace();
    bool GoReplaceAll();

    // Database access of report scripts.
    void SetSeps(const char* columnSeparator, const char* rowSeparator);
    bool SetDB(const char* user, const char* password, const char* dataSource);
    std::string GetString(const char* sql);
    bool GetFile(const char* sql, const char* path);
    bool TaverixRunBySQL(const char* scriptPath, const char* sql);

    // The report run on this object's script host.
    bool TaverixRun(const char* scriptPath);

    // Queued inputs of the report run; each call copies its texts.
    void QueueVariable(const char* name, const char* value);
    void QueueTable(const char* name, const char* text);
    void QueueScript(const char* text);
    void ResetQueues();

    CScriptHost& GetHost() { return m_host; }
    // The current sheet, null without a workbook or a loaded sheet.
    CXlsxSheet* CurrentSheet() const;
    // The file a save to path really writes: ".xls" becomes ".xlsx".
    static std::string SavePathFor(const std::string& path);

private:
    bool NeedsSheet(int row, int column) const;
    bool GoReplaceSheet(CXlsxSheet& sheet);

    std::unique_ptr<CXlsxWorkbook> m_book;
    bool m_application;
    bool m_visible;
    bool m_bookOpen;
    bool m_sheetLoaded;
    int m_sheetIndex;
    std::string m_error;
    std::vector<std::pair<std::string, std::string>> m_replaceList;

    std::string m_user;
    std::string m_password;
    std::string m_dataSource;
    std::string m_connectedUser;    // the logon of the open connection
    std::string m_connectedSource;
    std::string m_columnSeparator;
    std::string m_rowSeparator;
    std::unique_ptr<COdbcConnection> m_db;

    CScriptHost m_host;
    std::vector<std::pair<std::string, std::string>> m_tables;
    std::vector<std::string> m_scripts;
    std::vector<std::pair<std::string, std::string>> m_variables;
};
