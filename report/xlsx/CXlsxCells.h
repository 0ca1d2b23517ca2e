// Compact in-memory cells of one worksheet: rows sorted by number, each with
// its cells sorted by column, 24 bytes a cell. Texts live in the workbook's
// shared strings; formulas and the rare raw pieces in a per-sheet pool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CXlsxCell
{
    enum EKind : std::uint8_t {
        Blank,      // style only
        Number,     // m_number
        Shared,     // m_index: shared-string index
        RichInline, // m_index: pool text, m_aux: pool inner XML of <is>
        Boolean,    // m_index 0 or 1
        Error,      // m_index: pool text ("#N/A")
        Date,       // m_index: pool text (ISO 8601, t="d")
        Formula,    // m_aux: formula record; cached result in m_cached + m_number/m_index
    };
    std::uint32_t m_column = 0;
    std::uint32_t m_style = 0;
    EKind m_kind = Blank;
    EKind m_cached = Blank;     // Formula: kind of the cached result (Shared means a t="str" pool text)
    std::uint32_t m_aux = 0;
    union {
        double m_number;
        std::uint32_t m_index;
    };
    CXlsxCell() : m_number(0) {}
};

struct CXlsxFormula
{
    std::string m_text;       // without "="
    std::string m_attrs;      // raw attributes of <f> (t="shared" ref=.. si=..), escaped, leading space
    std::string m_cellAttrs;  // raw extra attributes of <c> (cm, vm), escaped, leading space
};

struct CXlsxRowData
{
    std::uint32_t m_row = 0;
    std::uint32_t m_style = 0;      // with m_customFormat
    double m_height = -1;           // points, -1 when not set
    bool m_customHeight = false;
    bool m_customFormat = false;
    std::uint32_t m_attrs = 0;      // pool: other raw attributes (hidden, outlineLevel ...)
    std::vector<CXlsxCell> m_cells;
};

class CXlsxCells
{
public:
    CXlsxCells();

    const CXlsxRowData* FindRow(std::uint32_t row) const;
    CXlsxRowData& GetRow(std::uint32_t row);                 // added when missing
    const CXlsxCell* Find(std::uint32_t row, std::uint32_t column) const;
    // The cell, added blank (style 0) when missing, which created reports.
    CXlsxCell& Get(std::uint32_t row, std::uint32_t column, bool& created);
    bool Erase(std::uint32_t row, std::uint32_t column);

    std::vector<CXlsxRowData>& Rows() { return m_rows; }
    const std::vector<CXlsxRowData>& Rows() const { return m_rows; }

    std::uint32_t AddPool(std::string text);
    const std::string& Pool(std::uint32_t index) const { return m_pool[index]; }
    std::string& Pool(std::uint32_t index) { return m_pool[index]; }
    std::uint32_t AddFormula(CXlsxFormula formula);
    CXlsxFormula& FormulaOf(const CXlsxCell& cell) { return m_formulas[cell.m_aux]; }
    const CXlsxFormula& FormulaOf(const CXlsxCell& cell) const { return m_formulas[cell.m_aux]; }
    std::vector<CXlsxFormula>& Formulas() { return m_formulas; }

private:
    std::vector<CXlsxRowData> m_rows;
    std::vector<std::string> m_pool;        // index 0 is the empty text
    std::vector<CXlsxFormula> m_formulas;
    mutable size_t m_lastRow = 0;           // where the last lookup ended: fills go row by row
};
