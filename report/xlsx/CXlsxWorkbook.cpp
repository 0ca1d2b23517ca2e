#include "CXlsxWorkbook.h"

#include "CXlsxBook.h"
#include "CXlsxFormulaText.h"
#include "CXlsxGuard.h"

#include <cstring>

CXlsxWorkbook::CXlsxWorkbook() = default;
CXlsxWorkbook::~CXlsxWorkbook() = default;

bool CXlsxWorkbook::Open(const std::string& path)
{
    Close();
    return XlsxGuard(m_error, false, [&] {
        auto book = std::make_unique<CXlsxBook>(m_error);
        if (!book->Open(path))
            return false;
        m_book = std::move(book);
        m_error.clear();
        return true;
    });
}

bool CXlsxWorkbook::New()
{
    Close();
    return XlsxGuard(m_error, false, [&] {
        auto book = std::make_unique<CXlsxBook>(m_error);
        if (!book->New())
            return false;
        m_book = std::move(book);
        m_error.clear();
        return true;
    });
}

bool CXlsxWorkbook::SaveAs(const std::string& path)
{
    if (!m_book) {
        m_error = "no workbook is open";
        return false;
    }
    return XlsxGuard(m_error, false, [&] { return m_book->Save(path, m_compressionLevel); });
}

void CXlsxWorkbook::Close()
{
    m_book.reset();
}

bool CXlsxWorkbook::IsOpen() const
{
    return m_book != nullptr;
}

int CXlsxWorkbook::GetSheetCount() const
{
    return m_book ? static_cast<int>(m_book->m_sheets.size()) : 0;
}

CXlsxSheet* CXlsxWorkbook::GetSheet(int index)
{
    if (index < 1 || index > GetSheetCount()) {
        m_error = m_book ? "no sheet number " + std::to_string(index) : "no workbook is open";
        return nullptr;
    }
    return m_book->m_sheets[static_cast<size_t>(index - 1)].get();
}

CXlsxSheet* CXlsxWorkbook::GetSheet(const std::string& name)
{
    int index = FindSheet(name);
    if (index == 0) {
        m_error = m_book ? "no sheet named \"" + name + "\"" : "no workbook is open";
        return nullptr;
    }
    return GetSheet(index);
}

int CXlsxWorkbook::FindSheet(const std::string& name) const
{
    for (int i = 1; i <= GetSheetCount(); ++i)
        if (XlsxFormulaText::SameSheetName(m_book->m_sheets[static_cast<size_t>(i - 1)]->GetName(), name))
            return i;
    return 0;
}

std::string CXlsxWorkbook::GetSheetName(int index) const
{
    if (index < 1 || index > GetSheetCount())
        return "";
    return m_book->m_sheets[static_cast<size_t>(index - 1)]->GetName();
}

bool CXlsxWorkbook::SetSheetName(int index, const std::string& name)
{
    if (!m_book) {
        m_error = "no workbook is open";
        return false;
    }
    return XlsxGuard(m_error, false, [&] { return m_book->Rename(index, name); });
}

bool CXlsxWorkbook::CheckSheetName(const std::string& name, std::string& why)
{
    if (name.empty()) {
        why = "a sheet name cannot be empty";
        return false;
    }
    // Excel counts UTF-16 units.
    size_t units = 0;
    for (unsigned char c : name) {
        if ((c & 0xC0) != 0x80)
            ++units;
        if (c >= 0xF0)
            ++units;
    }
    if (units > 31) {
        why = "a sheet name can have at most 31 characters: \"" + name + "\"";
        return false;
    }
    if (name.find_first_of(":\\/?*[]") != std::string::npos) {
        why = "a sheet name cannot contain any of : \\ / ? * [ ]: \"" + name + "\"";
        return false;
    }
    if (name.front() == '\'' || name.back() == '\'') {
        why = "a sheet name cannot begin or end with an apostrophe: \"" + name + "\"";
        return false;
    }
    if (XlsxFormulaText::SameSheetName(name, "History")) {
        why = "Excel reserves the sheet name \"History\"";
        return false;
    }
    return true;
}

int CXlsxWorkbook::ReplaceText(const std::string& key, const std::string& value)
{
    if (!m_book) {
        m_error = "no workbook is open";
        return -1;
    }
    int total = 0;
    for (const auto& sheet : m_book->m_sheets) {
        int n = sheet->ReplaceText(key, value);
        if (n < 0)
            return -1;
        total += n;
    }
    return total;
}

int CXlsxWorkbook::TransformStrings(const std::function<bool(const std::string&, std::string&)>& fn)
{
    if (!m_book) {
        m_error = "no workbook is open";
        return -1;
    }
    int total = 0;
    for (const auto& sheet : m_book->m_sheets) {
        int n = sheet->TransformStrings(fn);
        if (n < 0)
            return -1;
        total += n;
    }
    return total;
}

void CXlsxWorkbook::SetCompressionLevel(int level)
{
    m_compressionLevel = level < 1 ? 1 : level > 9 ? 9 : level;
}

const std::string& CXlsxWorkbook::GetError() const
{
    return m_error;
}
