#include "CXlsxCells.h"

#include <algorithm>

CXlsxCells::CXlsxCells()
{
    m_pool.emplace_back();
}

const CXlsxRowData* CXlsxCells::FindRow(std::uint32_t row) const
{
    if (m_lastRow < m_rows.size() && m_rows[m_lastRow].m_row == row)
        return &m_rows[m_lastRow];
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                               [](const CXlsxRowData& r, std::uint32_t n) { return r.m_row < n; });
    if (it == m_rows.end() || it->m_row != row)
        return nullptr;
    m_lastRow = static_cast<size_t>(it - m_rows.begin());
    return &*it;
}

CXlsxRowData& CXlsxCells::GetRow(std::uint32_t row)
{
    if (m_lastRow < m_rows.size() && m_rows[m_lastRow].m_row == row)
        return m_rows[m_lastRow];
    if (m_rows.empty() || m_rows.back().m_row < row) {
        // A fill goes row by row with rows of one width: room for as many
        // cells as the row before saves growing each row step by step.
        size_t width = m_rows.empty() ? 0 : m_rows.back().m_cells.size();
        m_rows.emplace_back();
        m_rows.back().m_row = row;
        m_rows.back().m_cells.reserve(width);
        m_lastRow = m_rows.size() - 1;
        return m_rows.back();
    }
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                               [](const CXlsxRowData& r, std::uint32_t n) { return r.m_row < n; });
    if (it == m_rows.end() || it->m_row != row) {
        it = m_rows.emplace(it);
        it->m_row = row;
    }
    m_lastRow = static_cast<size_t>(it - m_rows.begin());
    return *it;
}

const CXlsxCell* CXlsxCells::Find(std::uint32_t row, std::uint32_t column) const
{
    const CXlsxRowData* r = FindRow(row);
    if (!r)
        return nullptr;
    auto it = std::lower_bound(r->m_cells.begin(), r->m_cells.end(), column,
                               [](const CXlsxCell& c, std::uint32_t n) { return c.m_column < n; });
    if (it == r->m_cells.end() || it->m_column != column)
        return nullptr;
    return &*it;
}

CXlsxCell& CXlsxCells::Get(std::uint32_t row, std::uint32_t column, bool& created)
{
    created = false;
    CXlsxRowData& r = GetRow(row);
    std::vector<CXlsxCell>& cells = r.m_cells;
    if (cells.empty() || cells.back().m_column < column) {
        cells.emplace_back();
        cells.back().m_column = column;
        created = true;
        return cells.back();
    }
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const CXlsxCell& c, std::uint32_t n) { return c.m_column < n; });
    if (it == cells.end() || it->m_column != column) {
        it = cells.emplace(it);
        it->m_column = column;
        created = true;
    }
    return *it;
}

bool CXlsxCells::Erase(std::uint32_t row, std::uint32_t column)
{
    const CXlsxCell* c = Find(row, column);
    if (!c)
        return false;
    CXlsxRowData& r = GetRow(row);
    r.m_cells.erase(r.m_cells.begin() + (c - r.m_cells.data()));
    return true;
}

std::uint32_t CXlsxCells::AddPool(std::string text)
{
    m_pool.push_back(std::move(text));
    return static_cast<std::uint32_t>(m_pool.size() - 1);
}

std::uint32_t CXlsxCells::AddFormula(CXlsxFormula formula)
{
    m_formulas.push_back(std::move(formula));
    return static_cast<std::uint32_t>(m_formulas.size() - 1);
}
