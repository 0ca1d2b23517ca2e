#include "CXlsxStyles.h"

#include "CXlsxXml.h"

#include <cctype>
#include <cstring>
#include <iterator>

namespace {

const char* const kRootOrder[] = { "numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles",
                                   "dxfs", "tableStyles", "colors", "extLst" };
const char* const kFontOrder[] = { "b", "i", "strike", "condense", "extend", "outline", "shadow", "u", "vertAlign",
                                   "sz", "color", "name", "family", "charset", "scheme" };
const char* const kBorderOrder[] = { "start", "left", "end", "right", "top", "bottom", "diagonal", "vertical", "horizontal" };
const char* const kXfOrder[] = { "alignment", "protection", "extLst" };
const char* const kSideNames[] = { "left", "right", "top", "bottom" };

struct SBuiltinFormat {
    std::uint32_t id;
    const char* code;
};
const SBuiltinFormat kBuiltinFormats[] = {
    { 0, "General" }, { 1, "0" }, { 2, "0.00" }, { 3, "#,##0" }, { 4, "#,##0.00" }, { 9, "0%" }, { 10, "0.00%" },
    { 11, "0.00E+00" }, { 12, "# ?/?" }, { 13, "# ?""?/?""?" }, { 14, "mm-dd-yy" }, { 15, "d-mmm-yy" }, { 16, "d-mmm" },
    { 17, "mmm-yy" }, { 18, "h:mm AM/PM" }, { 19, "h:mm:ss AM/PM" }, { 20, "h:mm" }, { 21, "h:mm:ss" },
    { 22, "m/d/yy h:mm" }, { 37, "#,##0 ;(#,##0)" }, { 38, "#,##0 ;[Red](#,##0)" }, { 39, "#,##0.00;(#,##0.00)" },
    { 40, "#,##0.00;[Red](#,##0.00)" }, { 45, "mm:ss" }, { 46, "[h]:mm:ss" }, { 47, "mmss.0" }, { 48, "##0.0E+0" },
    { 49, "@" },
};

const char* const kUnderlineNames[] = { "none", "single", "double", "singleAccounting", "doubleAccounting" };
const char* const kHorizontalNames[] = { "general", "left", "center", "right", "fill", "justify", "centerContinuous", "distributed" };
const char* const kVerticalNames[] = { "bottom", "top", "center", "justify", "distributed" };
const char* const kBorderNames[] = { "none", "thin", "medium", "thick", "dashed", "dotted", "double", "hair" };

template <size_t N>
int IndexOf(const char* const (&names)[N], const char* value, int absent)
{
    for (size_t i = 0; i < N; ++i)
        if (std::strcmp(names[i], value) == 0)
            return static_cast<int>(i);
    return absent;
}

bool IsArgb(const std::string& s)
{
    if (s.size() != 8)
        return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string ColorOf(pugi::xml_node color)
{
    const char* rgb = color.attribute("rgb").value();
    return *rgb ? std::string(rgb) : std::string();
}

// Sets <name/> in a font to on (an element without val) or removes it.
void SetFlag(pugi::xml_node font, const char* name, bool on)
{
    pugi::xml_node n = XlsxXml::Child(font, name);
    if (!on) {
        if (n)
            font.remove_child(n);
        return;
    }
    if (!n)
        n = XlsxXml::InsertInOrder(font, name, kFontOrder, std::size(kFontOrder));
    n.remove_attribute("val");
}

pugi::xml_node Ensure(pugi::xml_node parent, const char* name, const char* const* order, size_t count)
{
    pugi::xml_node n = XlsxXml::Child(parent, name);
    return n ? n : XlsxXml::InsertInOrder(parent, name, order, count);
}

void SetAttr(pugi::xml_node node, const char* name, const char* value)
{
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        a = node.append_attribute(name);
    a.set_value(value);
}

std::string ChangeKey(const CXlsxStyleChange& c)
{
    std::string key;
    auto add = [&key](char tag, const std::string& v) {
        key += tag;
        key += std::to_string(v.size());
        key += ':';
        key += v;
    };
    if (c.m_fontName) add('n', *c.m_fontName);
    if (c.m_fontSize) add('z', std::to_string(*c.m_fontSize));
    if (c.m_bold) add('b', *c.m_bold ? "1" : "0");
    if (c.m_italic) add('i', *c.m_italic ? "1" : "0");
    if (c.m_strikethrough) add('s', *c.m_strikethrough ? "1" : "0");
    if (c.m_shadow) add('h', *c.m_shadow ? "1" : "0");
    if (c.m_underline) add('u', std::to_string(*c.m_underline));
    if (c.m_fontColor) add('c', *c.m_fontColor);
    if (c.m_fillColor) add('f', *c.m_fillColor);
    if (c.m_horizontal) add('H', std::to_string(*c.m_horizontal));
    if (c.m_vertical) add('V', std::to_string(*c.m_vertical));
    if (c.m_wrap) add('w', *c.m_wrap ? "1" : "0");
    for (int i = 0; i < 4; ++i) {
        if (c.m_border[i]) add(static_cast<char>('0' + i), std::to_string(*c.m_border[i]));
        if (c.m_borderColor[i]) add(static_cast<char>('4' + i), *c.m_borderColor[i]);
    }
    if (c.m_numberFormat) add('#', *c.m_numberFormat);
    return key;
}

} // namespace

std::string CXlsxStyles::DefaultXml()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/>"
           "<scheme val=\"minor\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "<dxfs count=\"0\"/><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" "
           "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>";
}

bool CXlsxStyles::Load(const std::string& xml, std::string& error)
{
    m_doc.reset();
    m_derived.clear();
    m_numFmts.clear();
    m_changed = false;
    pugi::xml_parse_result res = m_doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_declaration);
    if (!res) {
        error = std::string("styles: ") + res.description();
        return false;
    }
    m_root = m_doc.document_element();
    if (std::strcmp(XlsxXml::LocalName(m_root.name()), "styleSheet") != 0) {
        error = "styles: no styleSheet element";
        return false;
    }
    m_prefix = XlsxXml::PrefixOf(m_root);
    Collect(m_fonts, "fonts", "font");
    Collect(m_fills, "fills", "fill");
    Collect(m_borders, "borders", "border");
    Collect(m_xfs, "cellXfs", "xf");
    pugi::xml_node fmts = XlsxXml::Child(m_root, "numFmts");
    for (pugi::xml_node f = XlsxXml::Child(fmts, "numFmt"); f; f = XlsxXml::NextSibling(f, "numFmt"))
        m_numFmts[f.attribute("numFmtId").as_uint()] = f.attribute("formatCode").value();
    return true;
}

void CXlsxStyles::Collect(SList& list, const char* section, const char* item)
{
    list = SList();
    list.m_parent = XlsxXml::Child(m_root, section);
    for (pugi::xml_node n = XlsxXml::Child(list.m_parent, item); n; n = XlsxXml::NextSibling(n, item))
        list.m_items.push_back(n);
}

pugi::xml_node CXlsxStyles::Section(const char* name)
{
    return Ensure(m_root, name, kRootOrder, std::size(kRootOrder));
}

std::uint32_t CXlsxStyles::Intern(SList& list, pugi::xml_node candidate)
{
    if (!list.m_indexed) {
        for (std::uint32_t i = 0; i < list.m_items.size(); ++i)
            list.m_index.emplace(XlsxXml::NodeText(list.m_items[i]), i);
        list.m_indexed = true;
    }
    std::string key = XlsxXml::NodeText(candidate);
    auto it = list.m_index.find(key);
    if (it != list.m_index.end())
        return it->second;
    pugi::xml_node added = list.m_parent.append_copy(candidate);
    std::uint32_t index = static_cast<std::uint32_t>(list.m_items.size());
    list.m_items.push_back(added);
    list.m_index.emplace(std::move(key), index);
    SetAttr(list.m_parent, "count", std::to_string(list.m_items.size()).c_str());
    m_changed = true;
    return index;
}

std::string CXlsxStyles::NumberFormatCode(std::uint32_t id) const
{
    auto it = m_numFmts.find(id);
    if (it != m_numFmts.end())
        return it->second;
    for (const SBuiltinFormat& f : kBuiltinFormats)
        if (f.id == id)
            return f.code;
    return "General";
}

std::uint32_t CXlsxStyles::NumberFormatId(const std::string& code)
{
    for (const auto& f : m_numFmts)
        if (f.second == code)
            return f.first;
    for (const SBuiltinFormat& f : kBuiltinFormats)
        if (code == f.code)
            return f.id;
    std::uint32_t id = 164;
    if (!m_numFmts.empty() && m_numFmts.rbegin()->first >= id)
        id = m_numFmts.rbegin()->first + 1;
    m_numFmts[id] = code;
    pugi::xml_node fmts = Section("numFmts");
    pugi::xml_node f = fmts.append_child((m_prefix + "numFmt").c_str());
    f.append_attribute("numFmtId") = id;
    f.append_attribute("formatCode") = code.c_str();
    SetAttr(fmts, "count", std::to_string(m_numFmts.size()).c_str());
    m_changed = true;
    return id;
}

CXlsxCellStyle CXlsxStyles::Describe(std::uint32_t xfIndex) const
{
    CXlsxCellStyle s;
    if (m_xfs.m_items.empty())
        return s;
    pugi::xml_node xf = m_xfs.m_items[xfIndex < m_xfs.m_items.size() ? xfIndex : 0];
    std::uint32_t fontId = xf.attribute("fontId").as_uint();
    if (fontId < m_fonts.m_items.size()) {
        pugi::xml_node font = m_fonts.m_items[fontId];
        auto flag = [&font](const char* name) {
            pugi::xml_node n = XlsxXml::Child(font, name);
            return n && XlsxXml::ParseBool(n.attribute("val").value(), true);
        };
        s.m_bold = flag("b");
        s.m_italic = flag("i");
        s.m_strikethrough = flag("strike");
        s.m_shadow = flag("shadow");
        if (pugi::xml_node u = XlsxXml::Child(font, "u")) {
            const char* val = u.attribute("val").value();
            s.m_underline = static_cast<CXlsxCellStyle::EUnderline>(*val ? IndexOf(kUnderlineNames, val, 1) : 1);
        }
        s.m_fontSize = XlsxXml::Child(font, "sz").attribute("val").as_double();
        s.m_fontName = XlsxXml::Child(font, "name").attribute("val").value();
        s.m_fontColor = ColorOf(XlsxXml::Child(font, "color"));
    }
    std::uint32_t fillId = xf.attribute("fillId").as_uint();
    if (fillId < m_fills.m_items.size()) {
        pugi::xml_node pattern = XlsxXml::Child(m_fills.m_items[fillId], "patternFill");
        if (std::strcmp(pattern.attribute("patternType").value(), "solid") == 0)
            s.m_fillColor = ColorOf(XlsxXml::Child(pattern, "fgColor"));
    }
    std::uint32_t borderId = xf.attribute("borderId").as_uint();
    if (borderId < m_borders.m_items.size()) {
        for (int i = 0; i < 4; ++i) {
            pugi::xml_node side = XlsxXml::Child(m_borders.m_items[borderId], kSideNames[i]);
            const char* style = side.attribute("style").value();
            s.m_border[i] = static_cast<CXlsxCellStyle::EBorder>(*style ? IndexOf(kBorderNames, style, 1) : 0);
            s.m_borderColor[i] = ColorOf(XlsxXml::Child(side, "color"));
        }
    }
    if (pugi::xml_node al = XlsxXml::Child(xf, "alignment")) {
        const char* h = al.attribute("horizontal").value();
        const char* v = al.attribute("vertical").value();
        s.m_horizontal = static_cast<CXlsxCellStyle::EHorizontal>(*h ? IndexOf(kHorizontalNames, h, 0) : 0);
        s.m_vertical = static_cast<CXlsxCellStyle::EVertical>(*v ? IndexOf(kVerticalNames, v, 0) : 0);
        s.m_wrap = XlsxXml::ParseBool(al.attribute("wrapText").value(), false);
    }
    s.m_numberFormat = NumberFormatCode(xf.attribute("numFmtId").as_uint());
    return s;
}

bool CXlsxStyles::Derive(std::uint32_t xfIndex, const CXlsxStyleChange& change, std::uint32_t& result, std::string& error)
{
    if (xfIndex >= m_xfs.m_items.size())
        xfIndex = 0;
    std::string memoKey = std::to_string(xfIndex) + "|" + ChangeKey(change);
    auto memo = m_derived.find(memoKey);
    if (memo != m_derived.end()) {
        result = memo->second;
        return true;
    }
    auto badColor = [&error](const std::string& c) {
        error = "not an ARGB colour (FFRRGGBB): \"" + c + "\"";
        return false;
    };
    if (change.m_fontColor && !IsArgb(*change.m_fontColor))
        return badColor(*change.m_fontColor);
    if (change.m_fillColor && !change.m_fillColor->empty() && !IsArgb(*change.m_fillColor))
        return badColor(*change.m_fillColor);
    for (int i = 0; i < 4; ++i)
        if (change.m_borderColor[i] && !change.m_borderColor[i]->empty() && !IsArgb(*change.m_borderColor[i]))
            return badColor(*change.m_borderColor[i]);
    if (change.m_fontSize && !(*change.m_fontSize >= 1 && *change.m_fontSize <= 409)) {
        error = "font size out of range 1..409";
        return false;
    }
    if (change.m_fontName && (change.m_fontName->empty() || change.m_fontName->size() > 255)) {
        error = "a font name must have 1 to 255 characters";
        return false;
    }

    // Every section must exist before records are added to it.
    if (!m_fonts.m_parent) m_fonts.m_parent = Section("fonts");
    if (!m_fills.m_parent) m_fills.m_parent = Section("fills");
    if (!m_borders.m_parent) m_borders.m_parent = Section("borders");
    if (!m_xfs.m_parent) m_xfs.m_parent = Section("cellXfs");
    m_scratch.reset();
    pugi::xml_node xf = m_xfs.m_items.empty()
        ? m_scratch.append_child((m_prefix + "xf").c_str())
        : m_scratch.append_copy(m_xfs.m_items[xfIndex]);
    for (const char* a : { "numFmtId", "fontId", "fillId", "borderId" })
        if (!xf.attribute(a))
            xf.append_attribute(a) = 0;

    if (change.m_fontName || change.m_fontSize || change.m_bold || change.m_italic || change.m_strikethrough
        || change.m_shadow || change.m_underline || change.m_fontColor) {
        std::uint32_t fontId = xf.attribute("fontId").as_uint();
        pugi::xml_node font = fontId < m_fonts.m_items.size() ? m_scratch.append_copy(m_fonts.m_items[fontId])
                                                              : m_scratch.append_child((m_prefix + "font").c_str());
        if (change.m_bold) SetFlag(font, "b", *change.m_bold);
        if (change.m_italic) SetFlag(font, "i", *change.m_italic);
        if (change.m_strikethrough) SetFlag(font, "strike", *change.m_strikethrough);
        if (change.m_shadow) SetFlag(font, "shadow", *change.m_shadow);
        if (change.m_underline) {
            SetFlag(font, "u", *change.m_underline != CXlsxCellStyle::UnderlineNone);
            if (*change.m_underline != CXlsxCellStyle::UnderlineNone && *change.m_underline != CXlsxCellStyle::UnderlineSingle)
                XlsxXml::Child(font, "u").append_attribute("val") = kUnderlineNames[*change.m_underline];
        }
        if (change.m_fontSize) {
            pugi::xml_node sz = Ensure(font, "sz", kFontOrder, std::size(kFontOrder));
            sz.remove_attribute("val");
            sz.append_attribute("val") = *change.m_fontSize;
        }
        if (change.m_fontColor) {
            // changed in place, so setting a font's own colour finds the font again
            pugi::xml_node color = Ensure(font, "color", kFontOrder, std::size(kFontOrder));
            while (color.first_attribute())
                color.remove_attribute(color.first_attribute());
            color.append_attribute("rgb") = change.m_fontColor->c_str();
        }
        if (change.m_fontName) {
            SetAttr(Ensure(font, "name", kFontOrder, std::size(kFontOrder)), "val", change.m_fontName->c_str());
            // A theme font shows the theme's face whatever it names.
            if (pugi::xml_node scheme = XlsxXml::Child(font, "scheme"))
                font.remove_child(scheme);
        }
        std::uint32_t newFont = Intern(m_fonts, font);
        if (newFont != fontId) {
            xf.attribute("fontId").set_value(newFont);
            SetAttr(xf, "applyFont", "1");
        }
    }

    if (change.m_fillColor) {
        std::uint32_t fillId = 0;
        if (!change.m_fillColor->empty()) {
            pugi::xml_node fill = m_scratch.append_child((m_prefix + "fill").c_str());
            pugi::xml_node pattern = fill.append_child((m_prefix + "patternFill").c_str());
            pattern.append_attribute("patternType") = "solid";
            pattern.append_child((m_prefix + "fgColor").c_str()).append_attribute("rgb") = change.m_fillColor->c_str();
            pattern.append_child((m_prefix + "bgColor").c_str()).append_attribute("indexed") = 64;
            if (m_fills.m_items.empty()) {
                // Excel expects the two reserved fills first.
                for (const char* type : { "none", "gray125" }) {
                    pugi::xml_node f = m_scratch.append_child((m_prefix + "fill").c_str());
                    f.append_child((m_prefix + "patternFill").c_str()).append_attribute("patternType") = type;
                    Intern(m_fills, f);
                }
            }
            fillId = Intern(m_fills, fill);
        }
        if (fillId != xf.attribute("fillId").as_uint()) {
            xf.attribute("fillId").set_value(fillId);
            SetAttr(xf, "applyFill", "1");
        }
    }

    bool borderChange = false;
    for (int i = 0; i < 4; ++i)
        borderChange = borderChange || change.m_border[i] || change.m_borderColor[i];
    if (borderChange) {
        std::uint32_t borderId = xf.attribute("borderId").as_uint();
        pugi::xml_node border = borderId < m_borders.m_items.size() ? m_scratch.append_copy(m_borders.m_items[borderId])
                                                                    : m_scratch.append_child((m_prefix + "border").c_str());
        for (int i = 0; i < 4; ++i) {
            if (!change.m_border[i] && !change.m_borderColor[i])
                continue;
            pugi::xml_node side = Ensure(border, kSideNames[i], kBorderOrder, std::size(kBorderOrder));
            if (change.m_border[i]) {
                side.remove_attribute("style");
                if (*change.m_border[i] != CXlsxCellStyle::BorderNone)
                    side.append_attribute("style") = kBorderNames[*change.m_border[i]];
            }
            if (change.m_borderColor[i]) {
                if (pugi::xml_node color = XlsxXml::Child(side, "color"))
                    side.remove_child(color);
                if (!change.m_borderColor[i]->empty())
                    side.append_child((m_prefix + "color").c_str()).append_attribute("rgb") = change.m_borderColor[i]->c_str();
            }
            if (!side.attribute("style"))
                if (pugi::xml_node color = XlsxXml::Child(side, "color"))
                    side.remove_child(color);
        }
        std::uint32_t newBorder = Intern(m_borders, border);
        if (newBorder != borderId) {
            xf.attribute("borderId").set_value(newBorder);
            SetAttr(xf, "applyBorder", "1");
        }
    }

    if (change.m_horizontal || change.m_vertical || change.m_wrap) {
        pugi::xml_node al = Ensure(xf, "alignment", kXfOrder, std::size(kXfOrder));
        if (change.m_horizontal) {
            al.remove_attribute("horizontal");
            if (*change.m_horizontal != CXlsxCellStyle::HorizontalGeneral)
                al.append_attribute("horizontal") = kHorizontalNames[*change.m_horizontal];
        }
        if (change.m_vertical) {
            al.remove_attribute("vertical");
            if (*change.m_vertical != CXlsxCellStyle::VerticalBottom)
                al.append_attribute("vertical") = kVerticalNames[*change.m_vertical];
        }
        if (change.m_wrap) {
            al.remove_attribute("wrapText");
            if (*change.m_wrap)
                al.append_attribute("wrapText") = "1";
        }
        if (!al.first_attribute() && !al.first_child())
            xf.remove_child(al);
        SetAttr(xf, "applyAlignment", "1");
    }

    if (change.m_numberFormat) {
        std::uint32_t id = NumberFormatId(*change.m_numberFormat);
        if (id != xf.attribute("numFmtId").as_uint()) {
            xf.attribute("numFmtId").set_value(id);
            SetAttr(xf, "applyNumberFormat", "1");
        }
    }

    if (m_xfs.m_items.empty()) {
        // keep xf 0 the plain default so unstyled cells stay unstyled
        pugi::xml_node plain = m_scratch.append_child((m_prefix + "xf").c_str());
        for (const char* a : { "numFmtId", "fontId", "fillId", "borderId" })
            plain.append_attribute(a) = 0;
        Intern(m_xfs, plain);
    }
    result = Intern(m_xfs, xf);
    m_derived.emplace(std::move(memoKey), result);
    return true;
}

std::string CXlsxStyles::Serialize()
{
    return XlsxXml::DocumentText(m_doc);
}
