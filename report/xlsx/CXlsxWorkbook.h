// An .xlsx workbook opened from a template (or made empty), changed through
// its sheets and saved as a new file. Parts the layer does not understand
// (charts, images, drawings, theme, printer settings, docProps ...) and
// sheets that were not changed are written back byte for byte.
//
// Usage notes:
//   CXlsxWorkbook book;
//   if (!book.Open("template.xlsx")) log(book.GetError());
//   CXlsxSheet* sheet = book.GetSheet(1);        // 1-based, or by name
//   sheet->SetString(2, 3, "hello");
//   book.SaveAs("out.xlsx");                      // temp file + rename
// - Open refuses .xls (binary) files, files that are not zip archives and
//   archives without a workbook part, with an error text saying which.
// - Nothing throws; failures return false/nullptr/-1 with GetError().
// - SaveAs may target the opened file itself; the workbook stays open and
//   can be changed and saved again. The name's extension is not looked at.
#pragma once

#include "CXlsxSheet.h"

#include <functional>
#include <memory>
#include <string>

class CXlsxBook;

class CXlsxWorkbook
{
public:
    CXlsxWorkbook();
    ~CXlsxWorkbook();
    CXlsxWorkbook(const CXlsxWorkbook&) = delete;
    CXlsxWorkbook& operator=(const CXlsxWorkbook&) = delete;

    bool Open(const std::string& path);   // closes any open workbook first
    bool New();                           // empty workbook, one sheet "Sheet1"
    bool SaveAs(const std::string& path);
    void Close();
    bool IsOpen() const;

    int GetSheetCount() const;                        // 0 when nothing is open
    CXlsxSheet* GetSheet(int index);                  // 1-based; nullptr when out of range
    CXlsxSheet* GetSheet(const std::string& name);    // name compared ignoring case
    int FindSheet(const std::string& name) const;     // its index, 0 when none
    std::string GetSheetName(int index) const;        // "" when out of range

    // Excel's rules: 1..31 characters, none of : \ / ? * [ ], not starting
    // or ending with an apostrophe, not "History", unique ignoring case
    // (the sheet's own name excepted). Defined names that refer to the old
    // name are updated.
    bool SetSheetName(int index, const std::string& name);
    static bool CheckSheetName(const std::string& name, std::string& why);

    // ReplaceText / TransformStrings of every sheet in turn; the number of
    // cells changed, -1 on failure.
    int ReplaceText(const std::string& key, const std::string& value);
    int TransformStrings(const std::function<bool(const std::string& text, std::string& out)>& fn);

    // Deflate level for the parts SaveAs writes (1 fastest .. 9 smallest; 6 by default).
    void SetCompressionLevel(int level);

    const std::string& GetError() const;

private:
    std::unique_ptr<CXlsxBook> m_book;
    std::string m_error;
    int m_compressionLevel = 6;
};
