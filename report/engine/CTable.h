// CTable: a table parsed from separator-delimited text (field names, then
// rows of texts), read and changed by report scripts.
#pragma once

#include <string>
#include <vector>

// The status the table setters return; scripts receive it as an opaque
// value. unixODBC's headers define the same name as a macro for int.
#ifndef BOOL
typedef int BOOL;
#endif

class CTable {
public:
    CTable();  // separators: the characters 1 (column) and 2 (row)
    // Null separators keep the defaults of this form: "|" and a line feed.
    CTable(const char* columnSeparator, const char* rowSeparator = "\n");

    int _count;

    // The counted rows; -1 when the text yields no field name.
    int fromString(const char* text);
    // The length of the text read (the file whole; "-1" when unreadable).
    int fromFile(const char* path);
    void copy(const CTable* other);
    std::string search(const char* keyField, const char* value, const char* resultField) const;

    std::string vs(int row, const char* field, bool trim = false) const;
    std::string vs(int row, int column, bool trim = false) const;
    long vi(int row, int column) const;
    long vi(int row, const char* field) const;
    double vd(int row, int column, double fallback = 0) const;
    double vd(int row, const char* field, double fallback = 0) const;

    BOOL setvs(int row, int column, const char* text);
    BOOL setvs(int row, const char* field, const char* text);
    BOOL setvi(int row, int column, int value);
    BOOL setvi(int row, const char* field, int value);
    BOOL setvd(int row, int column, double value);
    BOOL setvd(int row, const char* field, double value);

    int getIndexByName(const char* field) const;
    void SetSeps(const char* columnSeparator, const char* rowSeparator);
    void reset();
    void dumpStruct() const;
    void dump() const;

    void AddRow(const std::vector<std::string>& row);
    void AddField(const std::string& name);

    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    const std::string& GetFieldName(int index) const { return m_fields[index]; }
    // The stored cell, null for an invalid row or a value the row lacks.
    const std::string* Cell(int row, int column) const;
    int GetStoredRowCount() const { return static_cast<int>(m_rows.size()); }
    const std::string& GetColumnSeparator() const { return m_columnSeparator; }
    const std::string& GetRowSeparator() const { return m_rowSeparator; }

private:
    bool IsValidRow(int row) const;
    std::string* MutableCell(int row, int column);
    int ColumnOf(const char* field) const;

    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::string> m_fields;
    std::string m_columnSeparator;
    std::string m_rowSeparator;
};
