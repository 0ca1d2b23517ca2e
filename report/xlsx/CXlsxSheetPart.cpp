#include "CXlsxSheetPart.h"

#include "CXlsxBookContext.h"
#include "CXlsxXml.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

const char* const kWorksheetOrder[] = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr", "sheetProtection",
    "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions", "pageMargins",
    "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors",
    "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects", "controls",
    "webPublishItems", "tableParts", "extLst",
};

const char kMarker[] = "zxlsxCellData";

void AppendRawAttr(std::string& out, const pugi::xml_attribute& a)
{
    out += ' ';
    out += a.name();
    out += "=\"";
    XlsxXml::AppendAttr(out, a.value());
    out += '"';
}

bool Is(const char* name, const char* local)
{
    return std::strcmp(XlsxXml::LocalName(name), local) == 0;
}

// Column letters of "AB12" -> 28; 0 when there are none.
std::uint32_t ColumnOfRef(const char* ref)
{
    std::uint32_t col = 0;
    for (; *ref; ++ref) {
        char c = *ref;
        if (c >= 'A' && c <= 'Z')
            col = col * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
        else if (c >= 'a' && c <= 'z')
            col = col * 26 + static_cast<std::uint32_t>(c - 'a' + 1);
        else if (c != '$')
            break;
    }
    return col;
}

struct SCellTags {
    const std::string& m_cOpen;     // <c r="
    const std::string& m_vOpen;
    const std::string& m_vClose;
    const std::string& m_cClose;
};

char* Put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* PutUInt(char* at, std::uint32_t value)
{
    return std::to_chars(at, at + 10, value).ptr;
}

// A number, shared-string, boolean or style-only cell, as the general
// writer would write it; returns the end.
char* WriteCell(char* at, const CXlsxCell& c, std::uint32_t row, const SCellTags& tags)
{
    at = Put(at, tags.m_cOpen);
    char letters[4];
    int n = 0;
    for (std::uint32_t col = c.m_column; col > 0; col = (col - 1) / 26)
        letters[n++] = static_cast<char>('A' + (col - 1) % 26);
    while (n > 0)
        *at++ = letters[--n];
    at = PutUInt(at, row);
    *at++ = '"';
    if (c.m_style) {
        at = Put(at, " s=\"");
        at = PutUInt(at, c.m_style);
        *at++ = '"';
    }
    switch (c.m_kind) {
    case CXlsxCell::Number:
        *at++ = '>';
        at = Put(at, tags.m_vOpen);
        at = XlsxXml::WriteNumber(at, c.m_number);
        break;
    case CXlsxCell::Shared:
        at = Put(at, " t=\"s\">");
        at = Put(at, tags.m_vOpen);
        at = PutUInt(at, c.m_index);
        break;
    case CXlsxCell::Boolean:
        at = Put(at, " t=\"b\">");
        at = Put(at, tags.m_vOpen);
        *at++ = c.m_index ? '1' : '0';
        break;
    default:
        return Put(at, "/>");
    }
    at = Put(at, tags.m_vClose);
    return Put(at, tags.m_cClose);
}

} // namespace

pugi::xml_node CXlsxSheetPart::Ensure(const char* localName)
{
    pugi::xml_node n = XlsxXml::Child(m_root, localName);
    return n ? n : XlsxXml::InsertInOrder(m_root, localName, kWorksheetOrder, std::size(kWorksheetOrder));
}

bool CXlsxSheetPart::Load(const std::string& xml, std::string& error)
{
    pugi::xml_parse_result res = m_doc.load_buffer(xml.data(), xml.size(), XlsxXml::ParseFlags);
    if (!res) {
        error = "sheet " + m_partName + ": " + res.description();
        return false;
    }
    m_root = m_doc.document_element();
    if (!Is(m_root.name(), "worksheet")) {
        error = "sheet " + m_partName + ": no worksheet element";
        return false;
    }
    m_prefix = XlsxXml::PrefixOf(m_root);
    m_sheetData = Ensure("sheetData");
    CXlsxSharedStrings& strings = m_book.m_strings;

    std::uint32_t lastRow = 0;
    for (pugi::xml_node rn = m_sheetData.first_child(); rn; rn = rn.next_sibling()) {
        if (rn.type() != pugi::node_element || !Is(rn.name(), "row"))
            continue;
        std::uint32_t rowNumber = rn.attribute("r").as_uint(lastRow + 1);
        if (rowNumber <= lastRow || rowNumber > static_cast<std::uint32_t>(CXlsxRef::MaxRow)) {
            error = "sheet " + m_partName + ": rows out of order";
            return false;
        }
        lastRow = rowNumber;
        CXlsxRowData& row = m_cells.GetRow(rowNumber);
        std::string attrs;
        for (pugi::xml_attribute a = rn.first_attribute(); a; a = a.next_attribute()) {
            const char* n = a.name();
            if (!std::strcmp(n, "r") || !std::strcmp(n, "spans"))
                continue;
            if (!std::strcmp(n, "ht"))
                row.m_height = a.as_double();
            else if (!std::strcmp(n, "customHeight"))
                row.m_customHeight = a.as_bool();
            else if (!std::strcmp(n, "s"))
                row.m_style = a.as_uint();
            else if (!std::strcmp(n, "customFormat"))
                row.m_customFormat = a.as_bool();
            else
                AppendRawAttr(attrs, a);
        }
        if (!attrs.empty())
            row.m_attrs = m_cells.AddPool(std::move(attrs));

        std::uint32_t lastColumn = 0;
        for (pugi::xml_node cn = rn.first_child(); cn; cn = cn.next_sibling()) {
            if (cn.type() != pugi::node_element || !Is(cn.name(), "c"))
                continue;
            std::uint32_t column = lastColumn + 1;
            if (pugi::xml_attribute r = cn.attribute("r"))
                column = ColumnOfRef(r.value());
            if (column <= lastColumn || column > static_cast<std::uint32_t>(CXlsxRef::MaxColumn)) {
                error = "sheet " + m_partName + ": cells out of order in row " + std::to_string(rowNumber);
                return false;
            }
            lastColumn = column;
            CXlsxCell cell;
            cell.m_column = column;
            cell.m_style = cn.attribute("s").as_uint();
            const char* type = cn.attribute("t").value();
            pugi::xml_node f = XlsxXml::Child(cn, "f");
            pugi::xml_node v = XlsxXml::Child(cn, "v");
            const char* vtext = v.text().get();
            CXlsxCell::EKind kind = CXlsxCell::Blank;
            // the value (or the formula's cached result)
            if (!std::strcmp(type, "s")) {
                if (v) {
                    kind = CXlsxCell::Shared;
                    cell.m_index = static_cast<std::uint32_t>(std::strtoul(vtext, nullptr, 10));
                }
            } else if (!std::strcmp(type, "inlineStr")) {
                pugi::xml_node is = XlsxXml::Child(cn, "is");
                std::string raw;
                for (pugi::xml_node c = is.first_child(); c; c = c.next_sibling())
                    raw += XlsxXml::NodeText(c);
                kind = CXlsxCell::RichInline;
                cell.m_index = m_cells.AddPool(XlsxXml::ItemText(is));
                cell.m_aux = m_cells.AddPool(std::move(raw));
            } else if (!std::strcmp(type, "str")) {
                if (f) {
                    kind = CXlsxCell::Shared; // a formula's text result: pool text
                    cell.m_index = m_cells.AddPool(XlsxXml::DecodeEscapes(vtext));
                } else {
                    std::string text = XlsxXml::DecodeEscapes(vtext);
                    std::string raw = "<" + m_prefix + "t xml:space=\"preserve\">";
                    XlsxXml::AppendText(raw, text);
                    raw += "</" + m_prefix + "t>";
                    kind = CXlsxCell::RichInline;
                    cell.m_index = m_cells.AddPool(std::move(text));
                    cell.m_aux = m_cells.AddPool(std::move(raw));
                }
            } else if (!std::strcmp(type, "b")) {
                if (v) {
                    kind = CXlsxCell::Boolean;
                    cell.m_index = XlsxXml::ParseBool(vtext, false) ? 1 : 0;
                }
            } else if (!std::strcmp(type, "e")) {
                kind = CXlsxCell::Error;
                cell.m_index = m_cells.AddPool(vtext);
            } else if (!std::strcmp(type, "d")) {
                if (v) {
                    kind = CXlsxCell::Date;
                    cell.m_index = m_cells.AddPool(vtext);
                }
            } else if (v && *vtext) {
                kind = CXlsxCell::Number;
                cell.m_number = std::strtod(vtext, nullptr);
            }
            if (f) {
                CXlsxFormula formula;
                formula.m_text = f.text().get();
                for (pugi::xml_attribute a = f.first_attribute(); a; a = a.next_attribute())
                    AppendRawAttr(formula.m_attrs, a);
                for (pugi::xml_attribute a = cn.first_attribute(); a; a = a.next_attribute())
                    if (!std::strcmp(a.name(), "cm") || !std::strcmp(a.name(), "vm"))
                        AppendRawAttr(formula.m_cellAttrs, a);
                cell.m_cached = kind == CXlsxCell::RichInline ? CXlsxCell::Blank : kind;
                cell.m_kind = CXlsxCell::Formula;
                cell.m_aux = m_cells.AddFormula(std::move(formula));
            } else {
                if (kind == CXlsxCell::Shared && cell.m_index >= strings.Count() && !std::strcmp(type, "s"))
                    kind = CXlsxCell::Blank; // a dangling index reads as empty
                cell.m_kind = kind;
            }
            row.m_cells.push_back(cell);
        }
    }
    m_sheetData.remove_children();

    ReadColumns();
    pugi::xml_node merges = XlsxXml::Child(m_root, "mergeCells");
    for (pugi::xml_node m = XlsxXml::Child(merges, "mergeCell"); m; m = XlsxXml::NextSibling(m, "mergeCell")) {
        CXlsxRange range;
        if (CXlsxRef::ParseRange(m.attribute("ref").value(), range))
            m_merges.push_back(range);
    }
    return true;
}

void CXlsxSheetPart::ReadColumns()
{
    m_columns.clear();
    pugi::xml_node cols = XlsxXml::Child(m_root, "cols");
    for (pugi::xml_node c = XlsxXml::Child(cols, "col"); c; c = XlsxXml::NextSibling(c, "col")) {
        CXlsxColumnInfo info;
        info.m_min = c.attribute("min").as_uint();
        info.m_max = c.attribute("max").as_uint(info.m_min);
        if (pugi::xml_attribute w = c.attribute("width"))
            info.m_width = w.as_double();
        info.m_hidden = c.attribute("hidden").as_bool();
        if (pugi::xml_attribute s = c.attribute("style")) {
            info.m_style = s.as_uint();
            info.m_hasStyle = true;
        }
        if (info.m_min >= 1 && info.m_max >= info.m_min)
            m_columns.push_back(info);
    }
}

const CXlsxColumnInfo* CXlsxSheetPart::Column(std::uint32_t column) const
{
    for (const CXlsxColumnInfo& c : m_columns)
        if (column >= c.m_min && column <= c.m_max)
            return &c;
    return nullptr;
}

pugi::xml_node CXlsxSheetPart::OwnColumn(std::uint32_t column)
{
    pugi::xml_node cols = Ensure("cols");
    for (pugi::xml_node c = XlsxXml::Child(cols, "col"); c; c = XlsxXml::NextSibling(c, "col")) {
        std::uint32_t min = c.attribute("min").as_uint();
        std::uint32_t max = c.attribute("max").as_uint(min);
        if (column > max)
            continue;
        if (column < min) {
            // a gap before this record: a new one goes here
            pugi::xml_node n = cols.insert_child_before((m_prefix + "col").c_str(), c);
            n.append_attribute("min") = column;
            n.append_attribute("max") = column;
            return n;
        }
        if (min < column) {
            pugi::xml_node before = cols.insert_copy_before(c, c);
            before.attribute("max").set_value(column - 1);
        }
        if (column < max) {
            pugi::xml_node after = cols.insert_copy_after(c, c);
            after.attribute("min").set_value(column + 1);
        }
        c.attribute("min").set_value(column);
        if (!c.attribute("max"))
            c.append_attribute("max");
        c.attribute("max").set_value(column);
        return c;
    }
    pugi::xml_node n = cols.append_child((m_prefix + "col").c_str());
    n.append_attribute("min") = column;
    n.append_attribute("max") = column;
    return n;
}

pugi::xml_node CXlsxSheetPart::SheetFormat() const
{
    return XlsxXml::Child(m_root, "sheetFormatPr");
}

bool CXlsxSheetPart::AddMergeNode(const CXlsxRange& range)
{
    pugi::xml_node merges = Ensure("mergeCells");
    merges.append_child((m_prefix + "mergeCell").c_str()).append_attribute("ref") = CXlsxRef::RangeName(range).c_str();
    pugi::xml_attribute count = merges.attribute("count");
    if (!count)
        count = merges.append_attribute("count");
    std::uint32_t n = 0;
    for (pugi::xml_node m = XlsxXml::Child(merges, "mergeCell"); m; m = XlsxXml::NextSibling(m, "mergeCell"))
        ++n;
    count.set_value(n);
    m_merges.push_back(range);
    return true;
}

std::uint32_t CXlsxSheetPart::DefaultStyle(const CXlsxRowData* row, std::uint32_t column) const
{
    if (row && row->m_customFormat)
        return row->m_style;
    if (const CXlsxColumnInfo* c = Column(column))
        if (c->m_hasStyle)
            return c->m_style;
    return 0;
}

bool CXlsxSheetPart::UsedRange(CXlsxRange& range) const
{
    range = CXlsxRange();
    bool any = false;
    for (const CXlsxRowData& r : m_cells.Rows()) {
        if (r.m_cells.empty())
            continue;
        int row = static_cast<int>(r.m_row);
        int first = static_cast<int>(r.m_cells.front().m_column), last = static_cast<int>(r.m_cells.back().m_column);
        if (!any) {
            range.m_firstRow = range.m_lastRow = row;
            range.m_firstColumn = first;
            range.m_lastColumn = last;
            any = true;
        } else {
            range.m_lastRow = row;
            range.m_firstColumn = std::min(range.m_firstColumn, first);
            range.m_lastColumn = std::max(range.m_lastColumn, last);
        }
    }
    return any;
}

std::string CXlsxSheetPart::Serialize()
{
    CXlsxRange used;
    std::string dimension = UsedRange(used) ? CXlsxRef::RangeName(used) : "A1";
    pugi::xml_node dim = Ensure("dimension");
    if (!dim.attribute("ref"))
        dim.append_attribute("ref");
    dim.attribute("ref").set_value(dimension.c_str());

    std::string marker = m_prefix + kMarker;
    std::string name = m_sheetData.name();
    m_sheetData.set_name(marker.c_str());
    std::string xml = XlsxXml::DocumentText(m_doc);
    m_sheetData.set_name(name.c_str());

    std::string tag = "<" + marker + "/>";
    size_t at = xml.find(tag);
    if (at == std::string::npos)
        return xml;
    std::string out;
    size_t cells = 0;
    for (const CXlsxRowData& r : m_cells.Rows())
        cells += r.m_cells.size();
    out.reserve(xml.size() + cells * 40 + m_cells.Rows().size() * 24 + 64);
    out.append(xml, 0, at);
    out += "<" + name + ">";
    WriteRows(out);
    out += "</" + name + ">";
    out.append(xml, at + tag.size(), std::string::npos);
    return out;
}

void CXlsxSheetPart::WriteRows(std::string& out) const
{
    const std::string rowOpen = "<" + m_prefix + "row r=\"", rowClose = "</" + m_prefix + "row>";
    const std::string cOpen = "<" + m_prefix + "c r=\"", cClose = "</" + m_prefix + "c>";
    const std::string vOpen = "<" + m_prefix + "v>", vClose = "</" + m_prefix + "v>";
    const std::string fOpen = "<" + m_prefix + "f", fClose = "</" + m_prefix + "f>";
    const std::string isOpen = "<" + m_prefix + "is>", isClose = "</" + m_prefix + "is>";
    char colName[4];
    const SCellTags tags = { cOpen, vOpen, vClose, cClose };
    // the common cells are built whole in a buffer with room for any of them
    const bool fast = m_prefix.size() <= 16;
    char cell[256];
    for (const CXlsxRowData& r : m_cells.Rows()) {
        if (r.m_cells.empty() && r.m_height < 0 && !r.m_customFormat && r.m_attrs == 0)
            continue;
        out += rowOpen;
        XlsxXml::AppendUInt(out, r.m_row);
        out += '"';
        if (r.m_customFormat) {
            out += " s=\"";
            XlsxXml::AppendUInt(out, r.m_style);
            out += "\" customFormat=\"1\"";
        }
        if (r.m_height >= 0) {
            out += " ht=\"";
            XlsxXml::AppendNumber(out, r.m_height);
            out += r.m_customHeight ? "\" customHeight=\"1\"" : "\"";
        }
        if (r.m_attrs)
            out += m_cells.Pool(r.m_attrs);
        if (r.m_cells.empty()) {
            out += "/>";
            continue;
        }
        out += '>';
        for (const CXlsxCell& c : r.m_cells) {
            if (fast && (c.m_kind == CXlsxCell::Blank || c.m_kind == CXlsxCell::Number || c.m_kind == CXlsxCell::Shared
                         || c.m_kind == CXlsxCell::Boolean)) {
                out.append(cell, WriteCell(cell, c, r.m_row, tags));
                continue;
            }
            out += cOpen;
            std::uint32_t col = c.m_column;
            int n = 0;
            while (col > 0) {
                colName[n++] = static_cast<char>('A' + (col - 1) % 26);
                col = (col - 1) / 26;
            }
            while (n > 0)
                out += colName[--n];
            XlsxXml::AppendUInt(out, r.m_row);
            out += '"';
            if (c.m_style) {
                out += " s=\"";
                XlsxXml::AppendUInt(out, c.m_style);
                out += '"';
            }
            CXlsxCell::EKind kind = c.m_kind == CXlsxCell::Formula ? c.m_cached : c.m_kind;
            switch (kind) {
            case CXlsxCell::Shared: out += c.m_kind == CXlsxCell::Formula ? " t=\"str\"" : " t=\"s\""; break;
            case CXlsxCell::RichInline: out += " t=\"inlineStr\""; break;
            case CXlsxCell::Boolean: out += " t=\"b\""; break;
            case CXlsxCell::Error: out += " t=\"e\""; break;
            case CXlsxCell::Date: out += " t=\"d\""; break;
            default: break;
            }
            const CXlsxFormula* formula = c.m_kind == CXlsxCell::Formula ? &m_cells.FormulaOf(c) : nullptr;
            if (formula)
                out += formula->m_cellAttrs;
            if (kind == CXlsxCell::Blank && !formula) {
                out += "/>";
                continue;
            }
            out += '>';
            if (formula) {
                out += fOpen;
                out += formula->m_attrs;
                if (formula->m_text.empty()) {
                    out += "/>";
                } else {
                    out += '>';
                    XlsxXml::AppendText(out, formula->m_text);
                    out += fClose;
                }
            }
            switch (kind) {
            case CXlsxCell::Number:
                out += vOpen;
                XlsxXml::AppendNumber(out, c.m_number);
                out += vClose;
                break;
            case CXlsxCell::Shared:
                out += vOpen;
                if (formula)
                    XlsxXml::AppendText(out, m_cells.Pool(c.m_index));
                else
                    XlsxXml::AppendUInt(out, c.m_index);
                out += vClose;
                break;
            case CXlsxCell::RichInline:
                out += isOpen;
                out += m_cells.Pool(c.m_aux);
                out += isClose;
                break;
            case CXlsxCell::Boolean:
                out += vOpen;
                out += c.m_index ? '1' : '0';
                out += vClose;
                break;
            case CXlsxCell::Error:
            case CXlsxCell::Date:
                out += vOpen;
                XlsxXml::AppendText(out, m_cells.Pool(c.m_index));
                out += vClose;
                break;
            default:
                break;
            }
            out += cClose;
        }
        out += rowClose;
    }
}
