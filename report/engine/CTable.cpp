#include "CTable.h"

#include "TextFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
    const size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Pieces between any of the separator characters, empty pieces kept; an
// empty text gives none.
void SplitAtAny(const char* text, size_t length, const std::string& separators,
                std::vector<std::string>& pieces) {
    if (length == 0) return;
    bool isSeparator[256] = {};
    for (unsigned char c : separators) isSeparator[c] = true;
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (isSeparator[static_cast<unsigned char>(text[i])]) {
            pieces.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    pieces.emplace_back(text + start, length - start);
}

std::string Trimmed(const std::string& value) {
    if (value.find('.') == std::string::npos) return value;
    std::string result = value;
    while (!result.empty() && result.back() == '0') result.pop_back();
    if (!result.empty() && result.back() == '.') result.pop_back();
    return result;
}

}  // namespace

CTable::CTable() : _count(0), m_columnSeparator("\x01"), m_rowSeparator("\x02") {}

CTable::CTable(const char* columnSeparator, const char* rowSeparator)
    : _count(0),
      m_columnSeparator(columnSeparator ? columnSeparator : "|"),
      m_rowSeparator(rowSeparator ? rowSeparator : "\n") {}

int CTable::fromString(const char* text) {
    reset();
    // Without separator characters the text splits into no piece at all.
    if (!text || m_rowSeparator.empty() || m_columnSeparator.empty()) return -1;
    // Lines are split in place, each into its row, without copies of them.
    const size_t length = strlen(text);
    if (length == 0) return -1;
    bool isRowSeparator[256] = {};
    for (unsigned char c : m_rowSeparator) isRowSeparator[c] = true;
    size_t lines = 0;
    for (size_t start = 0, i = 0; i <= length; ++i) {
        if (i < length && !isRowSeparator[static_cast<unsigned char>(text[i])]) continue;
        if (lines++ == 0) {
            SplitAtAny(text + start, i - start, m_columnSeparator, m_fields);
            if (m_fields.empty()) return -1;
        } else {
            m_rows.emplace_back();
            std::vector<std::string>& row = m_rows.back();
            if (i == start) {
                row.assign(m_fields.size(), std::string());
            } else {
                row.reserve(m_fields.size());
                SplitAtAny(text + start, i - start, m_columnSeparator, row);
            }
        }
        start = i + 1;
    }
    _count = lines >= 2 ? static_cast<int>(lines - 2) : 0;
    return _count;
}

int CTable::fromFile(const char* path) {
    const std::string text = ReadWholeText(path);
    fromString(text.c_str());
    return static_cast<int>(text.size());
}

void CTable::copy(const CTable* other) {
    if (!other) return;
    // Built aside first: other may be this table.
    std::vector<std::string> fields = other->m_fields;
    std::vector<std::vector<std::string>> rows;
    const int count = other->_count;
    for (int r = 0; r < count && r < static_cast<int>(other->m_rows.size()); ++r) {
        std::vector<std::string> row;
        row.reserve(fields.size());
        for (int c = 0; c < static_cast<int>(fields.size()); ++c) row.push_back(other->vs(r, c));
        rows.push_back(std::move(row));
    }
    m_fields = std::move(fields);
    m_rows = std::move(rows);
    _count = count;
}

std::string CTable::search(const char* keyField, const char* value, const char* resultField) const {
    const int key = ColumnOf(keyField);
    const int result = ColumnOf(resultField);
    if (key < 0 || result < 0 || !value) return std::string();
    for (int r = 0; IsValidRow(r); ++r) {
        const std::string* cell = Cell(r, key);
        if (EqualNoCase(cell ? *cell : std::string(), value)) {
            const std::string* found = Cell(r, result);
            return found ? *found : std::string();
        }
    }
    return std::string();
}

bool CTable::IsValidRow(int row) const {
    return row >= 0 && row < _count && row < static_cast<int>(m_rows.size());
}

const std::string* CTable::Cell(int row, int column) const {
    if (!IsValidRow(row) || column < 0) return nullptr;
    const std::vector<std::string>& values = m_rows[row];
    return column < static_cast<int>(values.size()) ? &values[column] : nullptr;
}

std::string* CTable::MutableCell(int row, int column) {
    if (column >= static_cast<int>(m_fields.size())) return nullptr;
    return const_cast<std::string*>(Cell(row, column));
}

int CTable::ColumnOf(const char* field) const {
    return field ? getIndexByName(field) : -1;
}

int CTable::getIndexByName(const char* field) const {
    if (!field) return -1;
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (EqualNoCase(m_fields[i], field)) return static_cast<int>(i);
    return -1;
}

std::string CTable::vs(int row, const char* field, bool trim) const {
    if (!IsValidRow(row)) return std::string();
    const int column = ColumnOf(field);
    if (column < 0) {
        char message[512];
        snprintf(message, sizeof message, "字段 \"%s\" 不正确", field ? field : "");
        return message;
    }
    return vs(row, column, trim);
}

std::string CTable::vs(int row, int column, bool trim) const {
    if (!IsValidRow(row)) return std::string();
    if (column < 0 || column >= static_cast<int>(m_fields.size())) return "字段序号不正确";
    const std::string* cell = Cell(row, column);
    if (!cell) return std::string();
    return trim ? Trimmed(*cell) : *cell;
}

long CTable::vi(int row, int column) const {
    if (!IsValidRow(row)) return 0;
    if (column < 0 || column >= static_cast<int>(m_fields.size())) return -999;
    const std::string* cell = Cell(row, column);
    return cell ? atol(cell->c_str()) : 0;
}

long CTable::vi(int row, const char* field) const {
    if (!IsValidRow(row)) return 0;
    return vi(row, ColumnOf(field));
}

double CTable::vd(int row, int column, double fallback) const {
    if (!IsValidRow(row)) return 0;
    double value = -999;
    if (column >= 0 && column < static_cast<int>(m_fields.size())) {
        const std::string* cell = Cell(row, column);
        value = cell ? atof(cell->c_str()) : 0;
    }
    if (value == -999 && fallback != 0) return fallback;
    return value;
}

double CTable::vd(int row, const char* field, double fallback) const {
    if (!IsValidRow(row)) return 0;
    return vd(row, ColumnOf(field), fallback);
}

BOOL CTable::setvs(int row, int column, const char* text) {
    std::string* cell = text ? MutableCell(row, column) : nullptr;
    if (!cell) return 0;
    *cell = text;
    return 1;
}

BOOL CTable::setvs(int row, const char* field, const char* text) {
    return setvs(row, ColumnOf(field), text);
}

BOOL CTable::setvi(int row, int column, int value) {
    char text[32];
    snprintf(text, sizeof text, "%d", value);
    return setvs(row, column, text);
}

BOOL CTable::setvi(int row, const char* field, int value) {
    return setvi(row, ColumnOf(field), value);
}

BOOL CTable::setvd(int row, int column, double value) {
    char text[512];
    snprintf(text, sizeof text, "%f", value);
    return setvs(row, column, text);
}

BOOL CTable::setvd(int row, const char* field, double value) {
    return setvd(row, ColumnOf(field), value);
}

void CTable::SetSeps(const char* columnSeparator, const char* rowSeparator) {
    if (columnSeparator) m_columnSeparator = columnSeparator;
    if (rowSeparator) m_rowSeparator = rowSeparator;
}

void CTable::reset() {
    _count = 0;
    m_fields.clear();
    m_rows.clear();
}

void CTable::dumpStruct() const {
    for (const std::string& field : m_fields) printf("%s\t", field.c_str());
    printf("\n");
}

void CTable::dump() const {
    dumpStruct();
    for (int r = 0; IsValidRow(r); ++r) {
        for (const std::string& field : m_fields) printf("%s\t", vs(r, field.c_str()).c_str());
        printf("\n");
    }
}

void CTable::AddRow(const std::vector<std::string>& row) {
    m_rows.push_back(row);
}

void CTable::AddField(const std::string& name) {
    m_fields.push_back(name);
}
