// The workbook's style sheet (xl/styles.xml): reads the effective formatting
// of a cell format (xf) and derives new formats from old ones. A derived
// format clones the xf and the font, fill or border it changes, reusing an
// identical record where one exists, so styles never grow without bound.
#pragma once

#include "CXlsxStyle.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class CXlsxStyles
{
public:
    bool Load(const std::string& xml, std::string& error);
    static std::string DefaultXml();  // a minimal style sheet for a new workbook

    std::uint32_t XfCount() const { return static_cast<std::uint32_t>(m_xfs.m_items.size()); }
    CXlsxCellStyle Describe(std::uint32_t xf) const;
    // The xf that is xf with change applied; false (with error) when a value
    // of change is not acceptable.
    bool Derive(std::uint32_t xf, const CXlsxStyleChange& change, std::uint32_t& result, std::string& error);

    bool IsChanged() const { return m_changed; }
    std::string Serialize();

private:
    struct SList {
        pugi::xml_node m_parent;                 // <fonts>, <fills>, <borders>, <cellXfs>
        std::vector<pugi::xml_node> m_items;
        std::unordered_map<std::string, std::uint32_t> m_index; // serialised record -> first index
        bool m_indexed = false;
    };
    pugi::xml_node Section(const char* name);
    void Collect(SList& list, const char* section, const char* item);
    std::uint32_t Intern(SList& list, pugi::xml_node candidate); // index of an identical record, candidate added when new
    std::string NumberFormatCode(std::uint32_t id) const;
    std::uint32_t NumberFormatId(const std::string& code);

    pugi::xml_document m_doc;
    pugi::xml_document m_scratch;   // candidates are built here before interning
    pugi::xml_node m_root;
    std::string m_prefix;
    SList m_fonts, m_fills, m_borders, m_xfs;
    std::map<std::uint32_t, std::string> m_numFmts;   // custom formats
    std::unordered_map<std::string, std::uint32_t> m_derived; // (xf, change) -> xf
    bool m_changed = false;
};
