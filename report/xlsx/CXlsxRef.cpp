#include "CXlsxRef.h"

#include <cctype>

namespace {

// Reads "$AB$12"-style text from pos; advances pos past it.
bool ReadCell(const std::string& s, size_t& pos, int& row, int& column)
{
    size_t i = pos;
    if (i < s.size() && s[i] == '$')
        ++i;
    long col = 0;
    size_t letters = 0;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
        col = col * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        if (++letters > 3)
            return false;
        ++i;
    }
    if (letters == 0)
        return false;
    if (i < s.size() && s[i] == '$')
        ++i;
    long r = 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        r = r * 10 + (s[i] - '0');
        if (++digits > 7)
            return false;
        ++i;
    }
    if (digits == 0 || !CXlsxRef::IsValid(static_cast<int>(r), static_cast<int>(col)))
        return false;
    row = static_cast<int>(r);
    column = static_cast<int>(col);
    pos = i;
    return true;
}

} // namespace

bool CXlsxRef::ParseCell(const std::string& ref, int& row, int& column)
{
    size_t pos = 0;
    int r = 0, c = 0;
    if (!ReadCell(ref, pos, r, c) || pos != ref.size())
        return false;
    row = r;
    column = c;
    return true;
}

bool CXlsxRef::ParseRange(const std::string& ref, CXlsxRange& range)
{
    size_t pos = 0;
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!ReadCell(ref, pos, r1, c1))
        return false;
    if (pos == ref.size()) {
        r2 = r1;
        c2 = c1;
    } else {
        if (ref[pos] != ':')
            return false;
        ++pos;
        if (!ReadCell(ref, pos, r2, c2) || pos != ref.size())
            return false;
    }
    range.m_firstRow = r1 < r2 ? r1 : r2;
    range.m_lastRow = r1 < r2 ? r2 : r1;
    range.m_firstColumn = c1 < c2 ? c1 : c2;
    range.m_lastColumn = c1 < c2 ? c2 : c1;
    return true;
}

std::string CXlsxRef::ColumnName(int column)
{
    std::string name;
    while (column > 0) {
        int rem = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + rem));
        column = (column - 1) / 26;
    }
    return name;
}

std::string CXlsxRef::CellName(int row, int column)
{
    return ColumnName(column) + std::to_string(row);
}

std::string CXlsxRef::RangeName(const CXlsxRange& range)
{
    std::string first = CellName(range.m_firstRow, range.m_firstColumn);
    if (range.m_firstRow == range.m_lastRow && range.m_firstColumn == range.m_lastColumn)
        return first;
    return first + ":" + CellName(range.m_lastRow, range.m_lastColumn);
}
