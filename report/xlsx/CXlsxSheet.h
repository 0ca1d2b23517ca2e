// One worksheet of an open CXlsxWorkbook: cell values, formulas, styles,
// merges, row heights, column widths, the used range and text replacement.
//
// Usage notes:
// - Rows and columns are 1-based like Excel's; a (row, column) outside
//   1..1048576 x 1..16384 fails. "A1" references work wherever noted.
// - The workbook owns its sheets: a CXlsxSheet* stays valid until the
//   workbook is closed, opened again or destroyed.
// - Failures return false (or an empty value) and leave their reason in
//   GetError(), which is the owning workbook's error text.
// - Writing a cell keeps its style; ClearCell removes the value only.
// - Setting a formula makes the saved workbook recalculate when Excel opens it.
#pragma once

#include "CXlsxRef.h"
#include "CXlsxStyle.h"
#include "CXlsxValue.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CXlsxSheetPart;
struct CXlsxBookContext;

// Only the workbook can make the key that constructs a sheet.
class CXlsxSheetKey
{
    friend class CXlsxBook;
    CXlsxSheetKey() {}
};

class CXlsxSheet
{
public:
    CXlsxSheet(CXlsxSheetKey, CXlsxBookContext& book, std::unique_ptr<CXlsxSheetPart> part);
    ~CXlsxSheet();
    CXlsxSheet(const CXlsxSheet&) = delete;
    CXlsxSheet& operator=(const CXlsxSheet&) = delete;

    std::string GetName() const;
    int GetIndex() const; // 1-based position in the workbook

    // Values. A formula cell reads as its cached result.
    CXlsxValue GetValue(int row, int column) const;
    CXlsxValue GetValue(const std::string& ref) const;
    std::string GetFormula(int row, int column) const; // without the leading "="; "" when none

    bool SetNumber(int row, int column, double value);
    bool SetString(int row, int column, const std::string& text); // cut to 32767 characters, as Excel keeps
    bool SetBoolean(int row, int column, bool value);
    // formula with or without the leading "="; the cached result is dropped
    // unless keepCachedValue is set (then the cell keeps its current value as
    // the cached one, which Excel replaces on recalculation).
    bool SetFormula(int row, int column, const std::string& formula, bool keepCachedValue = false);
    bool SetValue(int row, int column, const CXlsxValue& value); // Empty clears
    // The text as a user would type it: "=..." a formula, a decimal number
    // ("12", "-3.5", "1e3") a number, "TRUE"/"FALSE" (any case) a boolean,
    // "" clears, anything else a string.
    bool SetInput(int row, int column, const std::string& text);
    bool SetInput(const std::string& ref, const std::string& text);
    // SetInput of count texts into row, from column on (a null text is
    // ""), at once: faster for long runs of new texts. False when any failed.
    bool SetInputs(int row, int column, const std::string* const* texts, size_t count);
    bool ClearCell(int row, int column); // value gone, style kept

    // Styles. GetStyle gives the effective formatting of the cell (the row's
    // or column's style for a cell not stored). ApplyStyle changes only the
    // attributes set in change, for this cell alone.
    CXlsxCellStyle GetStyle(int row, int column) const;
    bool ApplyStyle(int row, int column, const CXlsxStyleChange& change);
    bool ApplyStyle(const CXlsxRange& range, const CXlsxStyleChange& change);

    // Merges. AddMerge refuses a single cell and a range that overlaps an
    // existing merge; the cells keep their values.
    bool AddMerge(const CXlsxRange& range);
    bool GetMergeArea(int row, int column, CXlsxRange& area) const; // false when not merged
    std::vector<CXlsxRange> GetMerges() const;

    // Sizes: row heights in points, column widths in Excel's character units
    // (ColumnWidth: digits of the default font, Calibri 11). Unset rows and
    // columns report the sheet's defaults.
    double GetRowHeight(int row) const;
    bool SetRowHeight(int row, double points);          // 0..409
    double GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, double width);      // 0..255

    // The rectangle of the cells actually stored (values or formatting).
    // False (and a zero range) for a sheet with no cells. It may start below
    // or right of A1.
    bool GetUsedRange(CXlsxRange& range) const;

    // Text replacement over every stored string cell of the sheet (shared,
    // inline and rich-text strings; not formulas). ReplaceText replaces every
    // occurrence of key (case-sensitive); the result is the number of cells
    // changed, -1 on failure. TransformStrings calls fn(text, out) for every
    // string cell and stores out when fn returns true.
    int ReplaceText(const std::string& key, const std::string& value);
    int TransformStrings(const std::function<bool(const std::string& text, std::string& out)>& fn);

    const std::string& GetError() const;

private:
    friend class CXlsxBook;

    CXlsxBookContext& m_book;
    std::unique_ptr<CXlsxSheetPart> m_part;
};
