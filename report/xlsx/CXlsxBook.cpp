#include "CXlsxBook.h"

#include "CXlsxFormulaText.h"
#include "CXlsxSheetPart.h"
#include "CXlsxWorkbook.h"
#include "CXlsxXml.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kWorkbookOrder[] = {
    "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets", "functionGroups",
    "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews", "pivotCaches",
    "smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst",
};
const char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kSharedStringsType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
const char kStylesType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

const char kSheetMainType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
const char kTemplateMainType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
const char kMacroSheetMainType[] = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
const char kMacroTemplateMainType[] = "application/vnd.ms-excel.template.macroEnabled.main+xml";

// The workbook type a file of that name must carry, when it differs from
// the one it has only in being a template or not; null when it fits.
const char* WorkbookTypeFor(const std::string& path, const char* type)
{
    std::string ext;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos)
        for (size_t i = dot; i < path.size(); ++i)
            ext += static_cast<char>(std::tolower(static_cast<unsigned char>(path[i])));
    struct SPair {
        const char* m_ext;
        const char* m_from;
        const char* m_to;
    } pairs[] = {
        { ".xlsx", kTemplateMainType, kSheetMainType },
        { ".xltx", kSheetMainType, kTemplateMainType },
        { ".xlsm", kMacroTemplateMainType, kMacroSheetMainType },
        { ".xltm", kMacroSheetMainType, kMacroTemplateMainType },
    };
    for (const SPair& p : pairs)
        if (ext == p.m_ext && strcasecmp(type, p.m_from) == 0)
            return p.m_to;
    return nullptr;
}

bool EndsWith(const char* text, const char* suffix)
{
    size_t a = std::strlen(text), b = std::strlen(suffix);
    return a >= b && std::strcmp(text + a - b, suffix) == 0;
}

struct CFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

const char kNewContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>";
const char kNewRootRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
    "</Relationships>";
const char kNewWorkbook[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<bookViews><workbookView/></bookViews>"
    "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets><calcPr calcId=\"191029\"/></workbook>";
const char kNewWorkbookRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
    "</Relationships>";
const char kNewSheet[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<dimension ref=\"A1\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
    "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
    "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>";

} // namespace

CXlsxBook::CXlsxBook(std::string& error) : m_error(error)
{
    m_context.m_error = &error;
}

bool CXlsxBook::Open(const std::string& path)
{
    unsigned char magic[8] = {};
    size_t got = 0;
    {
        std::unique_ptr<std::FILE, CFileCloser> f(std::fopen(path.c_str(), "rb"));
        if (!f) {
            m_error = "cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
        got = std::fread(magic, 1, sizeof magic, f.get());
    }
    static const unsigned char ole[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
    if (got == 8 && std::memcmp(magic, ole, 8) == 0) {
        m_error = path + " is an Excel 97-2003 (.xls) binary or an encrypted workbook; only .xlsx workbooks can be opened";
        return false;
    }
    if (got < 4 || magic[0] != 'P' || magic[1] != 'K') {
        m_error = path + " is not an .xlsx workbook (not a zip archive)";
        return false;
    }
    std::string why;
    if (!m_package.OpenArchive(path, why)) {
        m_error = path + " is not an .xlsx workbook (" + why + ")";
        return false;
    }
    if (!Load()) {
        m_error = path + ": " + m_error;
        return false;
    }
    return true;
}

bool CXlsxBook::New()
{
    m_package.Reset();
    m_package.Write("[Content_Types].xml", kNewContentTypes);
    m_package.Write("_rels/.rels", kNewRootRels);
    m_package.Write("xl/workbook.xml", kNewWorkbook);
    m_package.Write("xl/_rels/workbook.xml.rels", kNewWorkbookRels);
    m_package.Write("xl/worksheets/sheet1.xml", kNewSheet);
    m_package.Write("xl/styles.xml", CXlsxStyles::DefaultXml());
    return Load();
}

bool CXlsxBook::ReadXml(const std::string& part, pugi::xml_document& doc, bool required)
{
    std::string data;
    if (!m_package.Has(part)) {
        if (required)
            m_error = "no workbook in the archive (part " + part + " is missing)";
        return !required;
    }
    if (!m_package.Read(part, data, m_error))
        return false;
    pugi::xml_parse_result res = doc.load_buffer(data.data(), data.size(), XlsxXml::ParseFlags);
    if (!res) {
        m_error = part + ": " + res.description();
        return false;
    }
    return true;
}

bool CXlsxBook::Load()
{
    pugi::xml_document rootRels;
    if (!m_package.Has("_rels/.rels")) {
        m_error = "no workbook in the archive (it has no package relationships)";
        return false;
    }
    if (!ReadXml("_rels/.rels", rootRels, true))
        return false;
    for (pugi::xml_node r = XlsxXml::Child(rootRels.document_element(), "Relationship"); r;
         r = XlsxXml::NextSibling(r, "Relationship"))
        if (EndsWith(r.attribute("Type").value(), "/officeDocument"))
            m_workbookPart = CXlsxPackage::ResolveTarget("", r.attribute("Target").value());
    if (m_workbookPart.empty() || !m_package.Has(m_workbookPart)) {
        m_error = "no workbook in the archive";
        return false;
    }
    m_relsPart = CXlsxPackage::RelsName(m_workbookPart);
    if (!ReadXml("[Content_Types].xml", m_types, true) || !ReadXml(m_workbookPart, m_workbook, true)
        || !ReadXml(m_relsPart, m_rels, true))
        return false;
    pugi::xml_node wb = m_workbook.document_element();
    if (std::strcmp(XlsxXml::LocalName(wb.name()), "workbook") != 0) {
        m_error = "no workbook in the archive (" + m_workbookPart + " is no workbook)";
        return false;
    }

    struct SRel {
        std::string m_id, m_type, m_part;
    };
    std::vector<SRel> rels;
    for (pugi::xml_node r = XlsxXml::Child(m_rels.document_element(), "Relationship"); r;
         r = XlsxXml::NextSibling(r, "Relationship")) {
        if (std::strcmp(r.attribute("TargetMode").value(), "External") == 0)
            continue;
        rels.push_back({ r.attribute("Id").value(), r.attribute("Type").value(),
                         CXlsxPackage::ResolveTarget(m_workbookPart, r.attribute("Target").value()) });
        const SRel& rel = rels.back();
        if (EndsWith(rel.m_type.c_str(), "/sharedStrings"))
            m_stringsPart = rel.m_part;
        else if (EndsWith(rel.m_type.c_str(), "/styles"))
            m_stylesPart = rel.m_part;
        else if (EndsWith(rel.m_type.c_str(), "/calcChain")) {
            m_calcChainPart = rel.m_part;
            m_calcChainRel = rel.m_id;
        }
    }

    std::string data;
    if (!m_stringsPart.empty() && m_package.Has(m_stringsPart)) {
        if (!m_package.Read(m_stringsPart, data, m_error) || !m_context.m_strings.Load(data, m_error))
            return false;
    } else {
        m_stringsPart.clear();
        m_context.m_strings.Clear();
    }
    if (!m_stylesPart.empty() && m_package.Has(m_stylesPart)) {
        if (!m_package.Read(m_stylesPart, data, m_error) || !m_context.m_styles.Load(data, m_error))
            return false;
    } else {
        m_stylesPart.clear();
        if (!m_context.m_styles.Load(CXlsxStyles::DefaultXml(), m_error))
            return false;
    }

    pugi::xml_node sheets = XlsxXml::Child(wb, "sheets");
    for (pugi::xml_node s = XlsxXml::Child(sheets, "sheet"); s; s = XlsxXml::NextSibling(s, "sheet")) {
        std::string id = XlsxXml::RelId(s).value();
        const SRel* rel = nullptr;
        for (const SRel& r : rels)
            if (r.m_id == id)
                rel = &r;
        if (!rel || !EndsWith(rel->m_type.c_str(), "/worksheet"))
            continue; // chart sheets and the like stay as they are
        auto part = std::make_unique<CXlsxSheetPart>(m_context);
        part->m_name = s.attribute("name").value();
        part->m_partName = rel->m_part;
        part->m_index = static_cast<int>(m_sheets.size()) + 1;
        if (!m_package.Read(rel->m_part, data, m_error) || !part->Load(data, m_error))
            return false;
        m_sheets.push_back(std::make_unique<CXlsxSheet>(CXlsxSheetKey(), m_context, std::move(part)));
        m_sheetNodes.push_back(s);
    }
    return true;
}

std::string CXlsxBook::AddRelationship(const std::string& type, const std::string& target)
{
    pugi::xml_node root = m_rels.document_element();
    int next = 1;
    for (;; ++next) {
        std::string id = "rId" + std::to_string(next);
        bool used = false;
        for (pugi::xml_node r = XlsxXml::Child(root, "Relationship"); r && !used; r = XlsxXml::NextSibling(r, "Relationship"))
            used = id == r.attribute("Id").value();
        if (!used)
            break;
    }
    std::string id = "rId" + std::to_string(next);
    pugi::xml_node r = root.append_child((XlsxXml::PrefixOf(root) + "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = (std::string(kRelNs) + "/" + type).c_str();
    r.append_attribute("Target") = target.c_str();
    m_relsChanged = true;
    return id;
}

void CXlsxBook::RemoveRelationship(const std::string& id)
{
    pugi::xml_node root = m_rels.document_element();
    for (pugi::xml_node r = XlsxXml::Child(root, "Relationship"); r; r = XlsxXml::NextSibling(r, "Relationship")) {
        if (id == r.attribute("Id").value()) {
            root.remove_child(r);
            m_relsChanged = true;
            return;
        }
    }
}

void CXlsxBook::AddOverride(const std::string& part, const std::string& contentType)
{
    pugi::xml_node root = m_types.document_element();
    std::string name = "/" + part;
    for (pugi::xml_node o = XlsxXml::Child(root, "Override"); o; o = XlsxXml::NextSibling(o, "Override"))
        if (strcasecmp(o.attribute("PartName").value(), name.c_str()) == 0)
            return;
    pugi::xml_node o = root.append_child((XlsxXml::PrefixOf(root) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = contentType.c_str();
    m_typesChanged = true;
}

void CXlsxBook::MatchWorkbookType(const std::string& path)
{
    // A template saved as a workbook (or back) says so, or Excel refuses
    // the file for its extension.
    std::string name = "/" + m_workbookPart;
    for (pugi::xml_node o = XlsxXml::Child(m_types.document_element(), "Override"); o;
         o = XlsxXml::NextSibling(o, "Override")) {
        if (strcasecmp(o.attribute("PartName").value(), name.c_str()) != 0)
            continue;
        if (const char* type = WorkbookTypeFor(path, o.attribute("ContentType").value())) {
            o.attribute("ContentType") = type;
            m_typesChanged = true;
        }
        return;
    }
}

void CXlsxBook::RemoveOverride(const std::string& part)
{
    pugi::xml_node root = m_types.document_element();
    std::string name = "/" + part;
    for (pugi::xml_node o = XlsxXml::Child(root, "Override"); o; o = XlsxXml::NextSibling(o, "Override")) {
        if (strcasecmp(o.attribute("PartName").value(), name.c_str()) == 0) {
            root.remove_child(o);
            m_typesChanged = true;
            return;
        }
    }
}

std::string CXlsxBook::NewPartName(const std::string& file) const
{
    size_t slash = m_workbookPart.rfind('/');
    return slash == std::string::npos ? file : m_workbookPart.substr(0, slash + 1) + file;
}

bool CXlsxBook::Rename(int index, const std::string& name)
{
    if (index < 1 || index > static_cast<int>(m_sheets.size())) {
        m_error = "no sheet number " + std::to_string(index);
        return false;
    }
    std::string why;
    if (!CXlsxWorkbook::CheckSheetName(name, why)) {
        m_error = why;
        return false;
    }
    CXlsxSheetPart& part = *m_sheets[static_cast<size_t>(index - 1)]->m_part;
    for (const auto& sheet : m_sheets)
        if (sheet->m_part.get() != &part && XlsxFormulaText::SameSheetName(sheet->m_part->m_name, name)) {
            m_error = "a sheet named \"" + sheet->m_part->m_name + "\" already exists";
            return false;
        }
    // chart sheets share the name space
    pugi::xml_node sheets = XlsxXml::Child(m_workbook.document_element(), "sheets");
    pugi::xml_node own = m_sheetNodes[static_cast<size_t>(index - 1)];
    for (pugi::xml_node s = XlsxXml::Child(sheets, "sheet"); s; s = XlsxXml::NextSibling(s, "sheet"))
        if (s != own && XlsxFormulaText::SameSheetName(s.attribute("name").value(), name)) {
            m_error = "a sheet named \"" + std::string(s.attribute("name").value()) + "\" already exists";
            return false;
        }
    if (part.m_name == name)
        return true;
    std::string old = part.m_name;
    own.attribute("name").set_value(name.c_str());
    part.m_name = name;
    m_workbookChanged = true;

    pugi::xml_node names = XlsxXml::Child(m_workbook.document_element(), "definedNames");
    for (pugi::xml_node d = XlsxXml::Child(names, "definedName"); d; d = XlsxXml::NextSibling(d, "definedName")) {
        std::string text = d.text().get();
        if (XlsxFormulaText::RenameSheet(text, old, name))
            d.text().set(text.c_str());
    }
    for (const auto& sheet : m_sheets) {
        CXlsxSheetPart& p = *sheet->m_part;
        for (CXlsxFormula& f : p.m_cells.Formulas())
            if (XlsxFormulaText::RenameSheet(f.m_text, old, name))
                p.m_changed = true;
    }
    return true;
}

bool CXlsxBook::Save(const std::string& path, int level)
{
    for (const auto& sheet : m_sheets)
        if (sheet->m_part->m_changed)
            m_package.Write(sheet->m_part->m_partName, sheet->m_part->Serialize());

    if (m_context.m_strings.IsChanged()) {
        if (m_stringsPart.empty()) {
            m_stringsPart = NewPartName("sharedStrings.xml");
            AddRelationship("sharedStrings", "sharedStrings.xml");
        }
        // readers find the table by its content type too
        AddOverride(m_stringsPart, kSharedStringsType);
        m_package.Write(m_stringsPart, m_context.m_strings.Serialize());
    }
    if (m_context.m_styles.IsChanged()) {
        if (m_stylesPart.empty()) {
            m_stylesPart = NewPartName("styles.xml");
            AddRelationship("styles", "styles.xml");
        }
        AddOverride(m_stylesPart, kStylesType);
        m_package.Write(m_stylesPart, m_context.m_styles.Serialize());
    }
    if (m_context.m_cellsChanged) {
        // Cached results are stale and the calculation chain may name cells
        // that no longer hold formulas: Excel rebuilds both on load.
        if (!m_calcChainPart.empty()) {
            m_package.Remove(m_calcChainPart);
            RemoveRelationship(m_calcChainRel);
            RemoveOverride(m_calcChainPart);
            m_calcChainPart.clear();
        }
        pugi::xml_node wb = m_workbook.document_element();
        pugi::xml_node calc = XlsxXml::Child(wb, "calcPr");
        if (!calc)
            calc = XlsxXml::InsertInOrder(wb, "calcPr", kWorkbookOrder, std::size(kWorkbookOrder));
        if (!calc.attribute("fullCalcOnLoad") || std::strcmp(calc.attribute("fullCalcOnLoad").value(), "1") != 0) {
            calc.remove_attribute("fullCalcOnLoad");
            calc.append_attribute("fullCalcOnLoad") = "1";
            m_workbookChanged = true;
        }
    }
    if (m_workbookChanged)
        m_package.Write(m_workbookPart, XlsxXml::DocumentText(m_workbook));
    if (m_relsChanged)
        m_package.Write(m_relsPart, XlsxXml::DocumentText(m_rels));
    MatchWorkbookType(path);
    if (m_typesChanged)
        m_package.Write("[Content_Types].xml", XlsxXml::DocumentText(m_types));
    return WritePackage(path, level);
}

bool CXlsxBook::WritePackage(const std::string& path, int level)
{
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) {
        m_error = "no file name in " + path;
        return false;
    }
    std::string temp = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) {
        m_error = "cannot write in " + dir + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    temp = name.data();
    std::string why;
    if (!m_package.SaveArchive(temp, level, why)) {
        unlink(temp.c_str());
        m_error = "cannot save " + path + ": " + why;
        return false;
    }
    struct stat st;
    mode_t mode;
    if (stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    chmod(temp.c_str(), mode);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        m_error = "cannot save " + path + ": " + std::strerror(err);
        return false;
    }
    return true;
}
