// A1-style cell references and ranges ("B7", "$C$2", "A1:D4") and the
// 1-based row/column numbers they stand for.
#pragma once

#include <string>

// A rectangle of cells, all bounds inclusive and 1-based.
struct CXlsxRange
{
    int m_firstRow = 0;
    int m_firstColumn = 0;
    int m_lastRow = 0;
    int m_lastColumn = 0;

    int RowCount() const { return m_lastRow - m_firstRow + 1; }
    int ColumnCount() const { return m_lastColumn - m_firstColumn + 1; }
    bool Contains(int row, int column) const
    {
        return row >= m_firstRow && row <= m_lastRow && column >= m_firstColumn && column <= m_lastColumn;
    }
    bool Overlaps(const CXlsxRange& other) const
    {
        return m_firstRow <= other.m_lastRow && other.m_firstRow <= m_lastRow
            && m_firstColumn <= other.m_lastColumn && other.m_firstColumn <= m_lastColumn;
    }
    bool operator==(const CXlsxRange& o) const
    {
        return m_firstRow == o.m_firstRow && m_firstColumn == o.m_firstColumn
            && m_lastRow == o.m_lastRow && m_lastColumn == o.m_lastColumn;
    }
};

class CXlsxRef
{
public:
    // The largest sheet Excel keeps: 1048576 rows, 16384 columns (XFD).
    static constexpr int MaxRow = 1048576;
    static constexpr int MaxColumn = 16384;

    // "B7" or "$B$7" (letters in either case) -> row 7, column 2. False for
    // anything else, including references beyond the sheet limits.
    static bool ParseCell(const std::string& ref, int& row, int& column);
    // "A1:C3" or a single cell ("B2" is the range B2:B2); corners may come in
    // either order, the result is normalised.
    static bool ParseRange(const std::string& ref, CXlsxRange& range);

    static std::string ColumnName(int column);       // 1 -> "A", 28 -> "AB"
    static std::string CellName(int row, int column); // (7, 2) -> "B7"
    static std::string RangeName(const CXlsxRange& range); // "A1:C3", "B2" for one cell
    static bool IsValid(int row, int column)
    {
        return row >= 1 && row <= MaxRow && column >= 1 && column <= MaxColumn;
    }
};
