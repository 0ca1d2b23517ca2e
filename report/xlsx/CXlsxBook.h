// The workbook behind CXlsxWorkbook: the package, the workbook part with its
// relationships and content types, the shared context and the sheets.
// Loading and saving the package structure lives here.
#pragma once

#include "CXlsxBookContext.h"
#include "CXlsxPackage.h"
#include "CXlsxSheet.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

class CXlsxBook
{
public:
    explicit CXlsxBook(std::string& error);

    bool Open(const std::string& path);
    bool New();
    bool Save(const std::string& path, int level);
    bool Rename(int index, const std::string& name);

    CXlsxBookContext m_context;
    std::vector<std::unique_ptr<CXlsxSheet>> m_sheets;

private:
    bool Load();
    bool ReadXml(const std::string& part, pugi::xml_document& doc, bool required);
    std::string AddRelationship(const std::string& type, const std::string& target);
    void RemoveRelationship(const std::string& id);
    void AddOverride(const std::string& part, const std::string& contentType);
    void RemoveOverride(const std::string& part);
    void MatchWorkbookType(const std::string& path);
    std::string NewPartName(const std::string& file) const; // beside the workbook part
    bool WritePackage(const std::string& path, int level);

    std::string& m_error;
    CXlsxPackage m_package;
    std::string m_workbookPart;
    std::string m_relsPart;
    pugi::xml_document m_workbook;
    pugi::xml_document m_rels;
    pugi::xml_document m_types;
    std::vector<pugi::xml_node> m_sheetNodes; // <sheet> of each worksheet, in order
    std::string m_stringsPart;
    std::string m_stylesPart;
    std::string m_calcChainPart;
    std::string m_calcChainRel;
    bool m_workbookChanged = false;
    bool m_relsChanged = false;
    bool m_typesChanged = false;
};
