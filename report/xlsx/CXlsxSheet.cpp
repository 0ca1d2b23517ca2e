#include "CXlsxSheet.h"

#include "CXlsxBookContext.h"
#include "CXlsxFormulaText.h"
#include "CXlsxGuard.h"
#include "CXlsxSheetPart.h"
#include "CXlsxXml.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

const std::string kNoError;
constexpr double kDigitWidth = 7; // pixels of a digit in Calibri 11, the default font

double FileWidthToChars(double width)
{
    double chars = (width * kDigitWidth - 5) / kDigitWidth;
    if (chars < 0)
        chars = 0;
    return std::floor(chars * 100 + 0.5) / 100;
}

double CharsToFileWidth(double chars)
{
    return std::floor((chars * kDigitWidth + 5) / kDigitWidth * 256) / 256;
}

// A decimal number as a user would type it: digits with an optional sign,
// point and exponent; no spaces, no hexadecimal, no inf/nan.
bool ParseDecimal(const std::string& s, double& value)
{
    size_t i = 0, n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exp = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
            ++i;
            ++exp;
        }
        if (exp == 0)
            return false;
    }
    if (i != n)
        return false;
    value = std::strtod(s.c_str(), nullptr);
    return std::isfinite(value);
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// Excel keeps at most 32767 characters (UTF-16 units) in a cell and calls a
// file with a longer text broken; a longer text is cut at a character. A
// text of no more bytes than that is never too long.
constexpr size_t kMaxCellUnits = 32767;

bool CutToCellLimit(const std::string& text, std::string& cut)
{
    if (text.size() <= kMaxCellUnits)
        return false;
    size_t units = 0, i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (length > n - i)
            length = n - i;
        size_t width = length == 4 ? 2 : 1;
        if (units + width > kMaxCellUnits)
            break;
        units += width;
        i += length;
    }
    if (i >= n)
        return false;
    cut = text.substr(0, i);
    return true;
}

} // namespace

CXlsxSheet::CXlsxSheet(CXlsxSheetKey, CXlsxBookContext& book, std::unique_ptr<CXlsxSheetPart> part)
    : m_book(book), m_part(std::move(part))
{
}

CXlsxSheet::~CXlsxSheet() = default;

std::string CXlsxSheet::GetName() const
{
    return m_part->m_name;
}

int CXlsxSheet::GetIndex() const
{
    return m_part->m_index;
}

const std::string& CXlsxSheet::GetError() const
{
    return m_book.m_error ? *m_book.m_error : kNoError;
}

namespace {

bool CheckCell(CXlsxBookContext& book, int row, int column)
{
    if (CXlsxRef::IsValid(row, column))
        return true;
    return book.Fail("cell (" + std::to_string(row) + ", " + std::to_string(column) + ") is outside the sheet");
}

// The value of attribute name in raw attributes (' a="x" b="y"'); false
// when it is not there.
bool RawAttr(const std::string& attrs, const char* name, std::string& value)
{
    std::string key = std::string(" ") + name + "=\"";
    size_t at = attrs.find(key);
    if (at == std::string::npos)
        return false;
    at += key.size();
    size_t end = attrs.find('"', at);
    value = attrs.substr(at, end == std::string::npos ? std::string::npos : end - at);
    return true;
}

// The raw attributes without t, ref and si: a formula of its own.
std::string WithoutSharing(const std::string& attrs)
{
    std::string out;
    for (size_t at = 0; at < attrs.size();) {
        size_t eq = attrs.find("=\"", at);
        size_t end = eq == std::string::npos ? std::string::npos : attrs.find('"', eq + 2);
        if (end == std::string::npos)
            break;
        std::string name = attrs.substr(at + 1, eq - at - 1);
        if (name != "t" && name != "ref" && name != "si")
            out.append(attrs, at, end + 1 - at);
        at = end + 1;
    }
    return out;
}

// Before the master cell of a shared formula (the one that holds its text)
// changes, every other cell of the group gets the formula text of its own,
// moved to where it stands: a group without its master is a broken file.
void UnshareFormula(CXlsxSheetPart& part, const CXlsxCell& cell, std::uint32_t row, std::uint32_t column)
{
    CXlsxFormula& master = part.m_cells.FormulaOf(cell);
    std::string type, ref, si;
    if (master.m_text.empty() || !RawAttr(master.m_attrs, "t", type) || type != "shared"
        || !RawAttr(master.m_attrs, "ref", ref) || !RawAttr(master.m_attrs, "si", si))
        return;
    CXlsxRange range;
    const std::string text = master.m_text;
    master.m_attrs = WithoutSharing(master.m_attrs);
    if (!CXlsxRef::ParseRange(ref, range))
        return;
    for (CXlsxRowData& r : part.m_cells.Rows()) {
        if (r.m_row < static_cast<std::uint32_t>(range.m_firstRow) || r.m_row > static_cast<std::uint32_t>(range.m_lastRow))
            continue;
        for (const CXlsxCell& c : r.m_cells) {
            if (c.m_kind != CXlsxCell::Formula || c.m_column < static_cast<std::uint32_t>(range.m_firstColumn)
                || c.m_column > static_cast<std::uint32_t>(range.m_lastColumn) || (r.m_row == row && c.m_column == column))
                continue;
            CXlsxFormula& f = part.m_cells.FormulaOf(c);
            std::string fType, fSi;
            if (!f.m_text.empty() || !RawAttr(f.m_attrs, "t", fType) || fType != "shared"
                || !RawAttr(f.m_attrs, "si", fSi) || fSi != si)
                continue;
            f.m_text = XlsxFormulaText::ShiftReferences(text, static_cast<int>(r.m_row) - static_cast<int>(row),
                                                        static_cast<int>(c.m_column) - static_cast<int>(column));
            f.m_attrs = WithoutSharing(f.m_attrs);
        }
    }
    part.m_changed = true;
}

// The cell to write, added with the style it inherits when missing.
CXlsxCell& Writable(CXlsxSheetPart& part, int row, int column)
{
    bool created = false;
    std::uint32_t r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(column);
    CXlsxCell& cell = part.m_cells.Get(r, c, created);
    if (created)
        cell.m_style = part.DefaultStyle(part.m_cells.FindRow(r), c);
    else if (cell.m_kind == CXlsxCell::Formula)
        UnshareFormula(part, cell, r, c);
    part.m_changed = true;
    return cell;
}

void ValueChanged(CXlsxSheetPart& part)
{
    part.m_changed = true;
    part.m_book.m_cellsChanged = true;
}

} // namespace

CXlsxValue CXlsxSheet::GetValue(int row, int column) const
{
    if (!CXlsxRef::IsValid(row, column))
        return {};
    const CXlsxCell* c = m_part->m_cells.Find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
    if (!c)
        return {};
    const CXlsxCells& cells = m_part->m_cells;
    bool formula = c->m_kind == CXlsxCell::Formula;
    CXlsxValue v;
    switch (formula ? c->m_cached : c->m_kind) {
    case CXlsxCell::Number:
        return CXlsxValue::MakeNumber(c->m_number);
    case CXlsxCell::Shared:
        return CXlsxValue::MakeString(formula ? cells.Pool(c->m_index) : m_book.m_strings.Text(c->m_index));
    case CXlsxCell::RichInline:
    case CXlsxCell::Date:
        return CXlsxValue::MakeString(cells.Pool(c->m_index));
    case CXlsxCell::Boolean:
        return CXlsxValue::MakeBoolean(c->m_index != 0);
    case CXlsxCell::Error:
        v.m_type = CXlsxValue::Error;
        v.m_text = cells.Pool(c->m_index);
        return v;
    default:
        return v;
    }
}

CXlsxValue CXlsxSheet::GetValue(const std::string& ref) const
{
    int row = 0, column = 0;
    if (!CXlsxRef::ParseCell(ref, row, column)) {
        m_book.Fail("not a cell reference: \"" + ref + "\"");
        return {};
    }
    return GetValue(row, column);
}

std::string CXlsxSheet::GetFormula(int row, int column) const
{
    if (!CXlsxRef::IsValid(row, column))
        return "";
    const CXlsxCell* c = m_part->m_cells.Find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
    if (!c || c->m_kind != CXlsxCell::Formula)
        return "";
    return m_part->m_cells.FormulaOf(*c).m_text;
}

bool CXlsxSheet::SetNumber(int row, int column, double value)
{
    if (!CheckCell(m_book, row, column))
        return false;
    if (!std::isfinite(value))
        return m_book.Fail("a cell cannot hold an infinite or undefined number");
    return XlsxGuard(*m_book.m_error, false, [&] {
        CXlsxCell& c = Writable(*m_part, row, column);
        c.m_kind = CXlsxCell::Number;
        c.m_number = value;
        ValueChanged(*m_part);
        return true;
    });
}

bool CXlsxSheet::SetString(int row, int column, const std::string& text)
{
    if (!CheckCell(m_book, row, column))
        return false;
    return XlsxGuard(*m_book.m_error, false, [&] {
        std::string cut;
        std::uint32_t index = m_book.m_strings.Add(CutToCellLimit(text, cut) ? cut : text);
        CXlsxCell& c = Writable(*m_part, row, column);
        c.m_kind = CXlsxCell::Shared;
        c.m_index = index;
        ValueChanged(*m_part);
        return true;
    });
}

bool CXlsxSheet::SetBoolean(int row, int column, bool value)
{
    if (!CheckCell(m_book, row, column))
        return false;
    return XlsxGuard(*m_book.m_error, false, [&] {
        CXlsxCell& c = Writable(*m_part, row, column);
        c.m_kind = CXlsxCell::Boolean;
        c.m_index = value ? 1 : 0;
        ValueChanged(*m_part);
        return true;
    });
}

bool CXlsxSheet::SetFormula(int row, int column, const std::string& formula, bool keepCachedValue)
{
    if (!CheckCell(m_book, row, column))
        return false;
    std::string text = !formula.empty() && formula[0] == '=' ? formula.substr(1) : formula;
    if (text.empty())
        return m_book.Fail("an empty formula");
    return XlsxGuard(*m_book.m_error, false, [&] {
        CXlsxValue old = GetValue(row, column);
        CXlsxCell& c = Writable(*m_part, row, column);
        CXlsxFormula record;
        record.m_text = text;
        c.m_cached = CXlsxCell::Blank;
        if (keepCachedValue) {
            switch (old.m_type) {
            case CXlsxValue::Number: c.m_cached = CXlsxCell::Number; c.m_number = old.m_number; break;
            case CXlsxValue::String: c.m_cached = CXlsxCell::Shared; c.m_index = m_part->m_cells.AddPool(old.m_text); break;
            case CXlsxValue::Boolean: c.m_cached = CXlsxCell::Boolean; c.m_index = old.m_boolean ? 1 : 0; break;
            case CXlsxValue::Error: c.m_cached = CXlsxCell::Error; c.m_index = m_part->m_cells.AddPool(old.m_text); break;
            default: break;
            }
        }
        c.m_kind = CXlsxCell::Formula;
        c.m_aux = m_part->m_cells.AddFormula(std::move(record));
        ValueChanged(*m_part);
        return true;
    });
}

bool CXlsxSheet::SetValue(int row, int column, const CXlsxValue& value)
{
    switch (value.m_type) {
    case CXlsxValue::Number: return SetNumber(row, column, value.m_number);
    case CXlsxValue::String: return SetString(row, column, value.m_text);
    case CXlsxValue::Boolean: return SetBoolean(row, column, value.m_boolean);
    case CXlsxValue::Error: {
        static const char* const codes[] = { "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA" };
        bool known = false;
        for (const char* code : codes)
            known = known || value.m_text == code;
        if (!known)
            return m_book.Fail("not an error value: \"" + value.m_text + "\"");
        if (!CheckCell(m_book, row, column))
            return false;
        return XlsxGuard(*m_book.m_error, false, [&] {
            std::uint32_t index = m_part->m_cells.AddPool(value.m_text);
            CXlsxCell& c = Writable(*m_part, row, column);
            c.m_kind = CXlsxCell::Error;
            c.m_index = index;
            ValueChanged(*m_part);
            return true;
        });
    }
    default: return ClearCell(row, column);
    }
}

bool CXlsxSheet::SetInput(int row, int column, const std::string& text)
{
    double number = 0;
    if (text.empty())
        return ClearCell(row, column);
    if (text.size() > 1 && text[0] == '=')
        return SetFormula(row, column, text);
    if (EqualsNoCase(text, "TRUE") || EqualsNoCase(text, "FALSE"))
        return SetBoolean(row, column, EqualsNoCase(text, "TRUE"));
    if (ParseDecimal(text, number))
        return SetNumber(row, column, number);
    return SetString(row, column, text);
}

bool CXlsxSheet::SetInputs(int row, int column, const std::string* const* texts, size_t count)
{
    // Each string lookup waits for memory; started together the waits overlap.
    for (size_t i = 0; i < count; ++i)
        if (texts[i] && !texts[i]->empty())
            m_book.m_strings.Prefetch(*texts[i]);
    static const std::string empty;
    bool ok = true;
    for (size_t i = 0; i < count; ++i)
        ok = SetInput(row, column + static_cast<int>(i), texts[i] ? *texts[i] : empty) && ok;
    return ok;
}

bool CXlsxSheet::SetInput(const std::string& ref, const std::string& text)
{
    int row = 0, column = 0;
    if (!CXlsxRef::ParseCell(ref, row, column))
        return m_book.Fail("not a cell reference: \"" + ref + "\"");
    return SetInput(row, column, text);
}

bool CXlsxSheet::ClearCell(int row, int column)
{
    if (!CheckCell(m_book, row, column))
        return false;
    return XlsxGuard(*m_book.m_error, false, [&] {
        std::uint32_t r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(column);
        const CXlsxCell* cell = m_part->m_cells.Find(r, c);
        if (!cell)
            return true;
        if (cell->m_kind == CXlsxCell::Formula)
            UnshareFormula(*m_part, *cell, r, c);
        if (cell->m_style == 0)
            m_part->m_cells.Erase(r, c);
        else
            Writable(*m_part, row, column).m_kind = CXlsxCell::Blank;
        ValueChanged(*m_part);
        return true;
    });
}

CXlsxCellStyle CXlsxSheet::GetStyle(int row, int column) const
{
    if (!CXlsxRef::IsValid(row, column))
        return {};
    std::uint32_t r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(column);
    const CXlsxCell* cell = m_part->m_cells.Find(r, c);
    std::uint32_t xf = cell ? cell->m_style : m_part->DefaultStyle(m_part->m_cells.FindRow(r), c);
    return m_book.m_styles.Describe(xf);
}

bool CXlsxSheet::ApplyStyle(int row, int column, const CXlsxStyleChange& change)
{
    if (!CheckCell(m_book, row, column))
        return false;
    if (change.IsEmpty())
        return true;
    return XlsxGuard(*m_book.m_error, false, [&] {
        CXlsxCell& c = Writable(*m_part, row, column);
        std::uint32_t xf = 0;
        if (!m_book.m_styles.Derive(c.m_style, change, xf, *m_book.m_error))
            return false;
        c.m_style = xf;
        return true;
    });
}

bool CXlsxSheet::ApplyStyle(const CXlsxRange& range, const CXlsxStyleChange& change)
{
    if (!CheckCell(m_book, range.m_firstRow, range.m_firstColumn) || !CheckCell(m_book, range.m_lastRow, range.m_lastColumn))
        return false;
    for (int r = range.m_firstRow; r <= range.m_lastRow; ++r)
        for (int c = range.m_firstColumn; c <= range.m_lastColumn; ++c)
            if (!ApplyStyle(r, c, change))
                return false;
    return true;
}

bool CXlsxSheet::AddMerge(const CXlsxRange& range)
{
    if (!CheckCell(m_book, range.m_firstRow, range.m_firstColumn) || !CheckCell(m_book, range.m_lastRow, range.m_lastColumn)
        || range.m_firstRow > range.m_lastRow || range.m_firstColumn > range.m_lastColumn)
        return m_book.Fail("not a range of the sheet");
    if (range.RowCount() == 1 && range.ColumnCount() == 1)
        return m_book.Fail("a merge needs more than one cell");
    for (const CXlsxRange& m : m_part->m_merges)
        if (m.Overlaps(range))
            return m_book.Fail(CXlsxRef::RangeName(range) + " overlaps the merged range " + CXlsxRef::RangeName(m));
    return XlsxGuard(*m_book.m_error, false, [&] {
        m_part->AddMergeNode(range);
        m_part->m_changed = true;
        return true;
    });
}

bool CXlsxSheet::GetMergeArea(int row, int column, CXlsxRange& area) const
{
    for (const CXlsxRange& m : m_part->m_merges) {
        if (m.Contains(row, column)) {
            area = m;
            return true;
        }
    }
    area = CXlsxRange();
    return false;
}

std::vector<CXlsxRange> CXlsxSheet::GetMerges() const
{
    return m_part->m_merges;
}

double CXlsxSheet::GetRowHeight(int row) const
{
    if (const CXlsxRowData* r = m_part->m_cells.FindRow(static_cast<std::uint32_t>(row)))
        if (r->m_height >= 0)
            return r->m_height;
    pugi::xml_node format = m_part->SheetFormat();
    return format.attribute("defaultRowHeight").as_double(15);
}

bool CXlsxSheet::SetRowHeight(int row, double points)
{
    if (!CheckCell(m_book, row, 1))
        return false;
    if (!(points >= 0 && points <= 409))
        return m_book.Fail("a row height must be 0 to 409 points");
    return XlsxGuard(*m_book.m_error, false, [&] {
        CXlsxRowData& r = m_part->m_cells.GetRow(static_cast<std::uint32_t>(row));
        r.m_height = points;
        r.m_customHeight = true;
        m_part->m_changed = true;
        return true;
    });
}

double CXlsxSheet::GetColumnWidth(int column) const
{
    if (const CXlsxColumnInfo* c = m_part->Column(static_cast<std::uint32_t>(column))) {
        if (c->m_hidden)
            return 0;
        if (c->m_width >= 0)
            return FileWidthToChars(c->m_width);
    }
    pugi::xml_node format = m_part->SheetFormat();
    if (pugi::xml_attribute w = format.attribute("defaultColWidth"))
        return FileWidthToChars(w.as_double());
    // Excel widens the default to whole multiples of 8 pixels.
    double pixels = format.attribute("baseColWidth").as_double(8) * kDigitWidth + 5;
    pixels = std::ceil(pixels / 8) * 8;
    return std::floor((pixels - 5) / kDigitWidth * 100 + 0.5) / 100;
}

bool CXlsxSheet::SetColumnWidth(int column, double width)
{
    if (!CheckCell(m_book, 1, column))
        return false;
    if (!(width >= 0 && width <= 255))
        return m_book.Fail("a column width must be 0 to 255 characters");
    return XlsxGuard(*m_book.m_error, false, [&] {
        pugi::xml_node col = m_part->OwnColumn(static_cast<std::uint32_t>(column));
        col.remove_attribute("width");
        col.remove_attribute("customWidth");
        col.remove_attribute("hidden");
        col.append_attribute("width") = width == 0 ? 0.0 : CharsToFileWidth(width);
        col.append_attribute("customWidth") = "1";
        if (width == 0)
            col.append_attribute("hidden") = "1";
        m_part->ReadColumns();
        m_part->m_changed = true;
        return true;
    });
}

bool CXlsxSheet::GetUsedRange(CXlsxRange& range) const
{
    return m_part->UsedRange(range);
}

int CXlsxSheet::TransformStrings(const std::function<bool(const std::string&, std::string&)>& fn)
{
    return XlsxGuard(*m_book.m_error, -1, [&] {
        int changed = 0;
        std::unordered_map<std::uint32_t, std::int64_t> memo; // shared index -> new index, -1 unchanged
        std::string out;
        for (CXlsxRowData& r : m_part->m_cells.Rows()) {
            for (CXlsxCell& c : r.m_cells) {
                if (c.m_kind == CXlsxCell::Shared) {
                    auto it = memo.find(c.m_index);
                    std::int64_t result = -1;
                    if (it != memo.end()) {
                        result = it->second;
                    } else {
                        out.clear();
                        // the text is copied: adding to the table may not move it, but fn may hold it
                        std::string text = m_book.m_strings.Text(c.m_index);
                        if (fn(text, out))
                            result = m_book.m_strings.Add(out);
                        memo.emplace(c.m_index, result);
                    }
                    if (result >= 0 && static_cast<std::uint32_t>(result) != c.m_index) {
                        c.m_index = static_cast<std::uint32_t>(result);
                        ++changed;
                    }
                } else if (c.m_kind == CXlsxCell::RichInline) {
                    out.clear();
                    if (fn(m_part->m_cells.Pool(c.m_index), out) && out != m_part->m_cells.Pool(c.m_index)) {
                        c.m_kind = CXlsxCell::Shared;
                        c.m_index = m_book.m_strings.Add(out);
                        ++changed;
                    }
                }
            }
        }
        if (changed)
            ValueChanged(*m_part);
        return changed;
    });
}

int CXlsxSheet::ReplaceText(const std::string& key, const std::string& value)
{
    if (key.empty()) {
        m_book.Fail("an empty text cannot be replaced");
        return -1;
    }
    return XlsxGuard(*m_book.m_error, -1, [&] {
    // Rich texts keep their runs when the key lies inside one run.
    int changedRich = 0;
    std::unordered_map<std::uint32_t, std::uint32_t> rich;
    for (CXlsxRowData& r : m_part->m_cells.Rows()) {
        for (CXlsxCell& c : r.m_cells) {
            if (c.m_kind != CXlsxCell::Shared || !m_book.m_strings.IsRich(c.m_index))
                continue;
            auto it = rich.find(c.m_index);
            std::uint32_t result = c.m_index;
            if (it != rich.end())
                result = it->second;
            else if (m_book.m_strings.Text(c.m_index).find(key) != std::string::npos
                     && m_book.m_strings.ReplaceInRuns(c.m_index, key, value, result))
                rich.emplace(c.m_index, result);
            else
                rich.emplace(c.m_index, c.m_index);
            if (result != c.m_index) {
                c.m_index = result;
                ++changedRich;
            }
        }
    }
    if (changedRich)
        ValueChanged(*m_part);
    int changed = TransformStrings([&](const std::string& text, std::string& out) {
        size_t pos = text.find(key);
        if (pos == std::string::npos)
            return false;
        out = text;
        while (pos != std::string::npos) {
            out.replace(pos, key.size(), value);
            pos = out.find(key, pos + value.size());
        }
        return true;
    });
    return changed < 0 ? -1 : changed + changedRich;
    });
}
