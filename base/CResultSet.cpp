#include "CResultSet.h"

#include "Helpers.h"

#include <algorithm>
#include <cstdlib>
#include <strings.h>

CResultSet::CResultSet() : m_columnSeparator("\x01"), m_lineSeparator("\x02"), m_rowCount(0) {}

CResultSet::CResultSet(const char* columnSeparator, const char* lineSeparator)
    : m_columnSeparator(columnSeparator), m_lineSeparator(lineSeparator), m_rowCount(0) {}

void CResultSet::SetSeparators(const char* columnSeparator, const char* lineSeparator) {
    m_columnSeparator = columnSeparator;
    m_lineSeparator = lineSeparator;
}

int CResultSet::Parse(const char* text) {
    Clear();
    std::vector<std::string> lines;
    SplitText(text, lines, m_lineSeparator.CStr(), false, "");
    if (lines.empty()) return -1;

    std::vector<std::string> names;
    SplitText(lines[0].c_str(), names, m_columnSeparator.CStr(), false, "");
    if (names.empty()) return -1;
    m_fields.reserve(names.size());
    for (const std::string& name : names) m_fields.emplace_back(name.c_str());

    m_rows.reserve(lines.size() - 1);
    std::vector<std::string> values;
    for (size_t i = 1; i < lines.size(); ++i) {
        CResultRow row;
        if (lines[i].empty()) {
            row.resize(m_fields.size());
        } else {
            values.clear();
            SplitText(lines[i].c_str(), values, m_columnSeparator.CStr(), false, "");
            row.reserve(values.size());
            for (const std::string& value : values) row.emplace_back(value.c_str());
        }
        m_rows.push_back(std::move(row));
    }
    // The piece after the last line separator is not a row.
    m_rowCount = lines.size() >= 2 ? static_cast<int>(lines.size()) - 2 : 0;
    return m_rowCount;
}

CListString CResultSet::GetValue(int row, const char* field) const {
    if (row < 0) return CListString();
    const int index = FindField(field);
    if (index < 0) {
        CListString error;
        error.Format("字段 \"%s\" 不正确", field ? field : "");
        return error;
    }
    return GetValueAt(row, index);
}

CListString CResultSet::GetValueAt(int row, int index) const {
    if (row < 0) return CListString();
    if (index < 0 || index >= GetFieldCount()) return CListString("字段序号不正确");
    if (row >= m_rowCount || row >= static_cast<int>(m_rows.size())) return CListString();
    const CResultRow& values = m_rows[row];
    if (index >= static_cast<int>(values.size())) return CListString();
    return values[index];
}

long CResultSet::GetInt(int row, const char* field) const {
    if (row < 0) return 0;
    const int index = FindField(field);
    if (index < 0) return -999;
    return GetIntAt(row, index);
}

long CResultSet::GetIntAt(int row, int index) const {
    if (row < 0) return 0;
    if (index < 0 || index >= GetFieldCount()) return -999;
    return atol(GetValueAt(row, index).CStr());
}

int CResultSet::FindField(const char* name) const {
    if (!name) return -1;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (strcasecmp(m_fields[i].CStr(), name) == 0) return static_cast<int>(i);
    }
    return -1;
}

void CResultSet::AddField(const char* name) {
    m_fields.emplace_back(name);
}

void CResultSet::AddRow(const CResultRow& values) {
    m_rows.push_back(values);
    ++m_rowCount;
}

void CResultSet::AddRow(CResultRow&& values) {
    m_rows.push_back(std::move(values));
    ++m_rowCount;
}

void CResultSet::Clear() {
    m_rowCount = 0;
    m_fields.clear();
    m_rows.clear();
}

CListString CResultSet::ToText(bool withHeader) const {
    CListString text;
    if (withHeader) {
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (i > 0) text.Append(m_columnSeparator);
            text.Append(m_fields[i]);
        }
        text.Append(m_lineSeparator);
    }
    const int rows = std::min(m_rowCount, static_cast<int>(m_rows.size()));
    for (int r = 0; r < rows; ++r) {
        const CResultRow& values = m_rows[r];
        for (size_t i = 0; i < values.size(); ++i) {
            if (i > 0) text.Append(m_columnSeparator);
            text.Append(values[i]);
        }
        text.Append(m_lineSeparator);
    }
    return text;
}
