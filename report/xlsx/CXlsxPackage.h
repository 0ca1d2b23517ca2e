// The parts of an OPC package (an .xlsx zip): read from the template archive
// or kept in memory when replaced or added, and written out as a new archive
// in which every untouched part is the template's entry copied unchanged.
#pragma once

#include <zip.h>

#include <memory>
#include <string>
#include <vector>

struct CXlsxZipCloser {
    void operator()(zip_t* za) const { zip_discard(za); }
};
using CXlsxZipHandle = std::unique_ptr<zip_t, CXlsxZipCloser>;

class CXlsxPackage
{
public:
    // Opens path as a zip archive; error says why not.
    bool OpenArchive(const std::string& path, std::string& error);
    // An empty package (for a new workbook).
    void Reset();

    bool Has(const std::string& name) const;
    // The part's bytes: the replaced text, else the archive's entry.
    bool Read(const std::string& name, std::string& data, std::string& error) const;
    void Write(const std::string& name, std::string data);  // replace or add
    void Remove(const std::string& name);
    bool IsChanged(const std::string& name) const;

    // Writes every part to path (a new file; see CXlsxWorkbook::SaveAs for the
    // temp-and-rename around it).
    bool SaveArchive(const std::string& path, int level, std::string& error) const;

    // "xl/worksheets/sheet1.xml" from a relationship target, relative to the
    // folder of the part that holds the relationship.
    static std::string ResolveTarget(const std::string& sourcePart, const std::string& target);
    // "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
    static std::string RelsName(const std::string& part);

private:
    struct SEntry {
        std::string m_name;
        zip_int64_t m_index = -1;   // in the archive, -1 for a part made here
        bool m_changed = false;
        bool m_removed = false;
        std::string m_data;         // when changed
    };
    const SEntry* Find(const std::string& name) const;
    SEntry* Find(const std::string& name);

    CXlsxZipHandle m_zip;
    std::vector<SEntry> m_entries;
};
