// Placeholder bodies so the published interface links while the layer is built.
#include "CXlsxWorkbook.h"

class CXlsxSheetPart {};
struct CXlsxBookContext { std::string m_error; };
class CXlsxBook {};

CXlsxValue CXlsxValue::MakeNumber(double n) { CXlsxValue v; v.m_type = Number; v.m_number = n; return v; }
CXlsxValue CXlsxValue::MakeString(const std::string& t) { CXlsxValue v; v.m_type = String; v.m_text = t; return v; }
CXlsxValue CXlsxValue::MakeBoolean(bool b) { CXlsxValue v; v.m_type = Boolean; v.m_boolean = b; return v; }

bool CXlsxRef::ParseCell(const std::string&, int&, int&) { return false; }
bool CXlsxRef::ParseRange(const std::string&, CXlsxRange&) { return false; }
std::string CXlsxRef::ColumnName(int) { return ""; }
std::string CXlsxRef::CellName(int, int) { return ""; }
std::string CXlsxRef::RangeName(const CXlsxRange&) { return ""; }

bool CXlsxStyleChange::IsEmpty() const { return true; }
std::string ExcelColorToArgb(std::uint32_t) { return ""; }
bool ArgbToExcelColor(const std::string&, std::uint32_t&) { return false; }
CXlsxCellStyle::EUnderline UnderlineFromExcel(int) { return CXlsxCellStyle::UnderlineNone; }

CXlsxSheet::CXlsxSheet(CXlsxBookContext& book, std::unique_ptr<CXlsxSheetPart> part) : m_book(book), m_part(std::move(part)) {}
CXlsxSheet::~CXlsxSheet() = default;
std::string CXlsxSheet::GetName() const { return ""; }
int CXlsxSheet::GetIndex() const { return 0; }
CXlsxValue CXlsxSheet::GetValue(int, int) const { return {}; }
CXlsxValue CXlsxSheet::GetValue(const std::string&) const { return {}; }
std::string CXlsxSheet::GetFormula(int, int) const { return ""; }
bool CXlsxSheet::SetNumber(int, int, double) { return false; }
bool CXlsxSheet::SetString(int, int, const std::string&) { return false; }
bool CXlsxSheet::SetBoolean(int, int, bool) { return false; }
bool CXlsxSheet::SetFormula(int, int, const std::string&, bool) { return false; }
bool CXlsxSheet::SetValue(int, int, const CXlsxValue&) { return false; }
bool CXlsxSheet::SetInput(int, int, const std::string&) { return false; }
bool CXlsxSheet::SetInput(const std::string&, const std::string&) { return false; }
bool CXlsxSheet::ClearCell(int, int) { return false; }
CXlsxCellStyle CXlsxSheet::GetStyle(int, int) const { return {}; }
bool CXlsxSheet::ApplyStyle(int, int, const CXlsxStyleChange&) { return false; }
bool CXlsxSheet::ApplyStyle(const CXlsxRange&, const CXlsxStyleChange&) { return false; }
bool CXlsxSheet::AddMerge(const CXlsxRange&) { return false; }
bool CXlsxSheet::GetMergeArea(int, int, CXlsxRange&) const { return false; }
std::vector<CXlsxRange> CXlsxSheet::GetMerges() const { return {}; }
double CXlsxSheet::GetRowHeight(int) const { return 0; }
bool CXlsxSheet::SetRowHeight(int, double) { return false; }
double CXlsxSheet::GetColumnWidth(int) const { return 0; }
bool CXlsxSheet::SetColumnWidth(int, double) { return false; }
bool CXlsxSheet::GetUsedRange(CXlsxRange&) const { return false; }
int CXlsxSheet::ReplaceText(const std::string&, const std::string&) { return -1; }
int CXlsxSheet::TransformStrings(const std::function<bool(const std::string&, std::string&)>&) { return -1; }
const std::string& CXlsxSheet::GetError() const { return m_book.m_error; }

CXlsxWorkbook::CXlsxWorkbook() = default;
CXlsxWorkbook::~CXlsxWorkbook() = default;
bool CXlsxWorkbook::Open(const std::string&) { m_error = "not built yet"; return false; }
bool CXlsxWorkbook::New() { m_error = "not built yet"; return false; }
bool CXlsxWorkbook::SaveAs(const std::string&) { m_error = "not built yet"; return false; }
void CXlsxWorkbook::Close() {}
bool CXlsxWorkbook::IsOpen() const { return false; }
int CXlsxWorkbook::GetSheetCount() const { return 0; }
CXlsxSheet* CXlsxWorkbook::GetSheet(int) { return nullptr; }
CXlsxSheet* CXlsxWorkbook::GetSheet(const std::string&) { return nullptr; }
int CXlsxWorkbook::FindSheet(const std::string&) const { return 0; }
std::string CXlsxWorkbook::GetSheetName(int) const { return ""; }
bool CXlsxWorkbook::SetSheetName(int, const std::string&) { return false; }
bool CXlsxWorkbook::CheckSheetName(const std::string&, std::string&) { return false; }
int CXlsxWorkbook::ReplaceText(const std::string&, const std::string&) { return -1; }
int CXlsxWorkbook::TransformStrings(const std::function<bool(const std::string&, std::string&)>&) { return -1; }
void CXlsxWorkbook::SetCompressionLevel(int level) { m_compressionLevel = level; }
const std::string& CXlsxWorkbook::GetError() const { return m_error; }
