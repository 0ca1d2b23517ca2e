#include "ExcelFile.h"

#include "COdbcConnection.h"
#include "CTable.h"
#include "CXlsxWorkbook.h"
#include "LogWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Every occurrence of key (not empty) replaced, scanning past each value.
void ReplaceAllIn(std::string& text, const std::string& key, const std::string& value) {
    size_t at = 0;
    while ((at = text.find(key, at)) != std::string::npos) {
        text.replace(at, key.size(), value);
        at += value.size();
    }
}

std::string CellText(const CXlsxValue& value) {
    switch (value.m_type) {
    case CXlsxValue::Empty:
        return "(NULL)";
    case CXlsxValue::Number: {
        char text[512];
        snprintf(text, sizeof text, "%f", value.m_number);
        return text;
    }
    case CXlsxValue::String:
        return value.m_text;
    default:
        return std::string();
    }
}

}  // namespace

ExcelFile::ExcelFile()
    : m_book(std::make_unique<CXlsxWorkbook>()),
      m_application(false),
      m_visible(false),
      m_bookOpen(false),
      m_sheetLoaded(false),
      m_sheetIndex(0),
      m_user("user"),
      m_password("mosk"),
      m_dataSource("server"),
      m_columnSeparator("\x01"),
      m_rowSeparator("\x02"),
      m_db(std::make_unique<COdbcConnection>()) {
    // Reports are written once and read soon: speed over a smaller file.
    m_book->SetCompressionLevel(1);
}

ExcelFile::~ExcelFile() {
    ReleaseBooks();
}

void ExcelFile::InitExcel() {
    m_application = true;
}

void ExcelFile::ReleaseExcel() {
    ReleaseBooks();
    m_application = false;
}

void ExcelFile::ReleaseBooks() {
    m_book->Close();
    m_bookOpen = false;
    m_sheetLoaded = false;
    m_sheetIndex = 0;
}

void ExcelFile::Show(bool visible) {
    m_visible = visible;
}

void ExcelFile::ShowInExcel(int visible) {
    m_visible = visible != 0;
}

bool ExcelFile::New() {
    ReleaseBooks();
    if (!m_application) return false;
    m_bookOpen = m_book->New();
    return m_bookOpen;
}

bool ExcelFile::Open(const char* path) {
    if (!path || !m_application) return false;
    if (!m_book->Open(path)) {
        printf("文件 %s 可能不存在\n", path);
        LogMessage("%s: %s\n", path, m_book->GetError().c_str());
        m_bookOpen = false;
        return false;
    }
    m_bookOpen = true;
    // The sheet choice stays; it now means that sheet of the new workbook.
    if (m_sheetLoaded && m_sheetIndex > m_book->GetSheetCount()) m_sheetLoaded = false;
    return true;
}

int ExcelFile::Ok() const {
    return m_bookOpen ? 1 : 0;
}

std::string ExcelFile::SavePathFor(const std::string& path) {
    const size_t n = path.size();
    if (n >= 4 && EqualNoCase(path.substr(n - 4), ".xls")) return path + "x";
    return path;
}

bool ExcelFile::SaveAs(const char* path) {
    if (!m_bookOpen || !path) return false;
    const std::string target = SavePathFor(path);
    if (!m_book->SaveAs(target)) {
        printf("%s maybe have been opened!\nplease close it,try it again!\n", target.c_str());
        LogMessage("%s: %s\n", target.c_str(), m_book->GetError().c_str());
        return false;
    }
    return true;
}

std::string ExcelFile::GetError() const {
    return m_error;
}

int ExcelFile::GetSheetCount() const {
    return m_bookOpen ? m_book->GetSheetCount() : 0;
}

bool ExcelFile::LoadSheetIdx(int index) {
    if (!m_bookOpen || index > GetSheetCount()) return false;
    m_sheetLoaded = index >= 1 && m_book->GetSheet(index) != nullptr;
    m_sheetIndex = m_sheetLoaded ? index : 0;
    return m_sheetLoaded;
}

bool ExcelFile::LoadSheetName(const char* name) {
    if (!m_bookOpen) return false;
    const int index = name ? m_book->FindSheet(name) : 0;
    m_sheetLoaded = index >= 1;
    m_sheetIndex = index;
    return m_sheetLoaded;
}

std::string ExcelFile::GetSheetName(int index) const {
    if (!m_bookOpen || !m_sheetLoaded) return std::string();
    return m_book->GetSheetName(index);
}

bool ExcelFile::SetSheetName(int index, const char* name) {
    if (!m_bookOpen || index > GetSheetCount()) return false;
    if (index < 1 || !name || !m_book->SetSheetName(index, name)) {
        m_error = "设置工作表名称的内容不合法";
        printf("%s\n", m_error.c_str());
        return false;
    }
    return true;
}

CXlsxSheet* ExcelFile::CurrentSheet() const {
    if (!m_bookOpen || !m_sheetLoaded) return nullptr;
    return m_book->GetSheet(m_sheetIndex);
}

bool ExcelFile::NeedsSheet(int row, int column) const {
    return CurrentSheet() && CXlsxRef::IsValid(row, column);
}

int ExcelFile::GetRowCount() const {
    CXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return 0;
    CXlsxRange used;
    return sheet->GetUsedRange(used) ? used.RowCount() : 1;  // an empty sheet's range is A1
}

int ExcelFile::GetColumnCount() const {
    CXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return 0;
    CXlsxRange used;
    return sheet->GetUsedRange(used) ? used.ColumnCount() : 1;
}

std::string ExcelFile::GetCell(int row, int column) const {
    if (!NeedsSheet(row, column)) return std::string();
    return CellText(CurrentSheet()->GetValue(row, column));
}

std::string ExcelFile::GetCell(const char* reference) const {
    CXlsxSheet* sheet = CurrentSheet();
    int row = 0, column = 0;
    if (!sheet || !reference || !CXlsxRef::ParseCell(reference, row, column)) return std::string();
    return CellText(sheet->GetValue(row, column));
}

bool ExcelFile::SetCell(int row, int column, const char* text) {
    if (!NeedsSheet(row, column) || !text) return false;
    return CurrentSheet()->SetInput(row, column, text);
}

bool ExcelFile::SetTable(int row, int column, const CTable* table, int withHeader) {
    if (!m_bookOpen || !table || table->_count < 1 || row < 1 || column < 1) return false;
    CXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return true;
    const int fields = table->GetFieldCount();
    // A field is read by its name, so a repeated name shows the values of
    // the first field of that name.
    std::vector<int> source(fields);
    for (int i = 0; i < fields; ++i) {
        source[i] = table->getIndexByName(table->GetFieldName(i).c_str());
        if (withHeader) sheet->SetInput(row, column + i, table->GetFieldName(i));
    }
    // Counted rows past the stored ones read as empty and clear their cells,
    // down to the sheet's last row.
    const int rows = std::min(table->_count, CXlsxRef::MaxRow - row);
    const int stored = table->GetStoredRowCount();
    std::vector<const std::string*> values(fields);
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < fields; ++i) values[i] = r < stored ? table->Cell(r, source[i]) : nullptr;
        sheet->SetInputs(row + 1 + r, column, values.data(), values.size());
    }
    return true;
}

bool ExcelFile::SetColor(int row, int column, int colour) {
    if (!NeedsSheet(row, column)) return false;
    CXlsxStyleChange change;
    change.m_fontColor = ExcelColorToArgb(static_cast<std::uint32_t>(colour));
    return CurrentSheet()->ApplyStyle(row, column, change);
}

bool ExcelFile::SetBackColor(int row, int column, int colour) {
    if (!NeedsSheet(row, column)) return false;
    CXlsxStyleChange change;
    change.m_fillColor = ExcelColorToArgb(static_cast<std::uint32_t>(colour));
    return CurrentSheet()->ApplyStyle(row, column, change);
}

bool ExcelFile::SetStrikethrough(int row, int column, bool on) {
    if (!NeedsSheet(row, column)) return false;
    CXlsxStyleChange change;
    change.m_strikethrough = on;
    return CurrentSheet()->ApplyStyle(row, column, change);
}

bool ExcelFile::SetShadow(int row, int column, bool on) {
    if (!NeedsSheet(row, column)) return false;
    CXlsxStyleChange change;
    change.m_shadow = on;
    return CurrentSheet()->ApplyStyle(row, column, change);
}

bool ExcelFile::SetFont(int row, int column, int colour, const char* name, int size, int underline,
                        bool bold, bool italic) {
    if (!NeedsSheet(row, column)) return false;
    CXlsxStyleChange change;
    change.m_fontColor = ExcelColorToArgb(static_cast<std::uint32_t>(colour));
    // Excel ignores an empty font name; so does this.
    if (name && *name) change.m_fontName = std::string(name);
    if (size > 0) change.m_fontSize = size;
    change.m_underline = UnderlineFromExcel(underline);
    change.m_italic = italic;
    change.m_bold = bold;
    return CurrentSheet()->ApplyStyle(row, column, change);
}

bool ExcelFile::IsMergeCell(int row, int column) const {
    if (!NeedsSheet(row, column)) return false;
    CXlsxRange area;
    return CurrentSheet()->GetMergeArea(row, column, area);
}

bool ExcelFile::GetMergeRowColumns(int row, int column, int& rows, int& columns) const {
    rows = 0;
    columns = 0;
    if (!NeedsSheet(row, column)) return false;
    CXlsxRange area;
    if (!CurrentSheet()->GetMergeArea(row, column, area)) return false;
    rows = area.RowCount();
    columns = area.ColumnCount();
    return true;
}

double ExcelFile::GetCellHeight(int row, int column) const {
    if (!NeedsSheet(row, column)) return 0;
    return CurrentSheet()->GetRowHeight(row);
}

double ExcelFile::GetCellWidth(int row, int column) const {
    if (!NeedsSheet(row, column)) return 0;
    return CurrentSheet()->GetColumnWidth(column);
}

bool ExcelFile::Replace(const char* key, const char* value) {
    CXlsxSheet* sheet = CurrentSheet();
    if (!sheet || !key || !value) return false;
    CXlsxRange used;
    const bool any = sheet->GetUsedRange(used);
    const int rows = (any ? used.m_lastRow : 1) + 4;
    const int columns = (any ? used.m_lastColumn : 1) + 4;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            if (EqualNoCase(CellText(sheet->GetValue(r, c)), key)) sheet->SetInput(r, c, value);
    return true;
}

void ExcelFile::AddReplace(const char* key, const char* value) {
    if (!key || !value) return;
    m_replaceList.emplace_back(key, value);
}

void ExcelFile::ResetReplace() {
    m_replaceList.clear();
}

bool ExcelFile::GoReplace() {
    CXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return false;
    return GoReplaceSheet(*sheet);
}

bool ExcelFile::GoReplaceSheet(CXlsxSheet& sheet) {
    std::string name = sheet.GetName();
    for (const auto& entry : m_replaceList)
        if (!entry.first.empty() && name.find(entry.first) != std::string::npos)
            ReplaceAllIn(name, entry.first, entry.second);
    if (name != sheet.GetName()) SetSheetName(sheet.GetIndex(), name.c_str());

    // The scan reaches the last stored row and column (also of a used range
    // that starts below A1) and a margin of 4 beyond them.
    CXlsxRange used;
    const bool any = sheet.GetUsedRange(used);
    const int rows = (any ? used.m_lastRow : 1) + 4;
    const int columns = (any ? used.m_lastColumn : 1) + 4;
    // Empty cells read "(NULL)" and numbers "%f" texts: only keys made of
    // their characters can be found in them, so the others skip those cells.
    bool emptyMatches = false, numbersMatch = false;
    for (const auto& entry : m_replaceList) {
        if (entry.first.empty()) continue;
        if (std::string("(NULL)").find(entry.first) != std::string::npos) emptyMatches = true;
        if (entry.first.find_first_not_of("-0123456789.infa") == std::string::npos) numbersMatch = true;
    }
    std::string formatted;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) {
            const CXlsxValue value = sheet.GetValue(r, c);
            const std::string* text = &value.m_text;
            if (value.m_type == CXlsxValue::Empty || value.m_type == CXlsxValue::Number) {
                if (!(value.m_type == CXlsxValue::Empty ? emptyMatches : numbersMatch)) continue;
                formatted = CellText(value);
                text = &formatted;
            } else if (value.m_type != CXlsxValue::String) {
                continue;  // reads as "", in which no key is found
            }
            for (const auto& entry : m_replaceList) {
                if (entry.first.empty() || text->find(entry.first) == std::string::npos) continue;
                std::string replaced = *text;
                ReplaceAllIn(replaced, entry.first, entry.second);
                sheet.SetInput(r, c, replaced);
                break;
            }
        }
    }
    return true;
}

bool ExcelFile::GoReplaceAll() {
    if (!m_bookOpen) return false;
    const int current = m_sheetLoaded ? m_sheetIndex : 1;
    const int count = GetSheetCount();
    for (int n = 1; n <= count; ++n) {
        LoadSheetIdx(n);
        GoReplace();
    }
    LoadSheetIdx(current);
    return true;
}

void ExcelFile::QueueVariable(const char* name, const char* value) {
    m_variables.emplace_back(name ? name : "", value ? value : "");
}

void ExcelFile::QueueTable(const char* name, const char* text) {
    m_tables.emplace_back(name ? name : "", text ? text : "");
}

void ExcelFile::QueueScript(const char* text) {
    m_scripts.emplace_back(text ? text : "");
}

void ExcelFile::ResetQueues() {
    m_scripts.clear();
    m_tables.clear();
    m_variables.clear();
}
