// A worksheet part in memory: its XML without the cell data (which the
// cell store holds), the columns, merges and sheet defaults read from it,
// and the serialiser that writes the part back with a fast writer.
#pragma once

#include "CXlsxCells.h"
#include "CXlsxRef.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

struct CXlsxBookContext;

struct CXlsxColumnInfo
{
    std::uint32_t m_min = 0;
    std::uint32_t m_max = 0;
    double m_width = -1;          // as stored (with padding), -1 when none
    bool m_hidden = false;
    std::uint32_t m_style = 0;
    bool m_hasStyle = false;
};

class CXlsxSheetPart
{
public:
    explicit CXlsxSheetPart(CXlsxBookContext& book) : m_book(book) {}

    bool Load(const std::string& xml, std::string& error);
    std::string Serialize();

    // The column record that holds column, or nullptr.
    const CXlsxColumnInfo* Column(std::uint32_t column) const;
    // Splits or adds <col> records so column has one of its own; returns it.
    pugi::xml_node OwnColumn(std::uint32_t column);
    void ReadColumns();
    pugi::xml_node SheetFormat() const;
    bool AddMergeNode(const CXlsxRange& range);
    // The style a new cell at (row, column) starts with: the row's, else the column's.
    std::uint32_t DefaultStyle(const CXlsxRowData* row, std::uint32_t column) const;
    bool UsedRange(CXlsxRange& range) const;

    CXlsxBookContext& m_book;
    std::string m_name;          // kept in step with the workbook part
    std::string m_partName;
    int m_index = 0;
    bool m_changed = false;
    CXlsxCells m_cells;
    std::vector<CXlsxRange> m_merges;
    std::vector<CXlsxColumnInfo> m_columns;

private:
    pugi::xml_node Ensure(const char* localName);
    void WriteRows(std::string& out) const;

    pugi::xml_document m_doc;
    pugi::xml_node m_root;
    pugi::xml_node m_sheetData;
    std::string m_prefix;
};
