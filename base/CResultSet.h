// CResultSet: an in-memory table of text values (field names, rows, row
// count), read from and written as ResultText: lines ended by the line
// separator, values joined by the column separator, the first line holding
// the field names.
#pragma once

#include "CListString.h"

#include <vector>

typedef std::vector<CListString> CResultRow;

class CResultSet {
public:
    CResultSet();  // separators: the characters 1 (column) and 2 (line)
    CResultSet(const char* columnSeparator, const char* lineSeparator);

    // Clears, then fills from ResultText; returns the row count, or -1 when
    // the text has no header (empty text or empty first line).
    int Parse(const char* text);
    // The value, or an error text in its place for an unknown field; empty
    // for a negative row, a row beyond the count or a short row.
    CListString GetValue(int row, const char* field) const;
    CListString GetValueAt(int row, int index) const;
    long GetInt(int row, const char* field) const;  // 0 for row < 0, -999 bad field
    long GetIntAt(int row, int index) const;
    int FindField(const char* name) const;  // ignoring ASCII case; -1 absent
    void AddField(const char* name);
    void AddRow(const CResultRow& values);
    void AddRow(CResultRow&& values);
    void Clear();

    int GetRowCount() const { return m_rowCount; }
    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    const CListString& GetFieldName(int index) const { return m_fields[index]; }
    const std::vector<CListString>& GetFields() const { return m_fields; }
    const std::vector<CResultRow>& GetRows() const { return m_rows; }
    const CListString& GetColumnSeparator() const { return m_columnSeparator; }
    const CListString& GetLineSeparator() const { return m_lineSeparator; }
    void SetSeparators(const char* columnSeparator, const char* lineSeparator);

    // The set as ResultText: the header line when asked, then every row;
    // each line ended by the line separator.
    CListString ToText(bool withHeader) const;

private:
    CListString m_columnSeparator;
    CListString m_lineSeparator;
    int m_rowCount;
    std::vector<CResultRow> m_rows;
    std::vector<CListString> m_fields;
};
