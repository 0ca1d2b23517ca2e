#include "CXlsxPackage.h"

#include "CXlsxDeflated.h"

#include <cstring>

namespace {

std::string ZipErrorText(int code)
{
    zip_error_t err;
    zip_error_init_with_code(&err, code);
    std::string text = zip_error_strerror(&err);
    zip_error_fini(&err);
    return text;
}

struct CZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

} // namespace

bool CXlsxPackage::OpenArchive(const std::string& path, std::string& error)
{
    Reset();
    int code = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!za) {
        error = code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS ? "not a zip archive" : ZipErrorText(code);
        return false;
    }
    m_zip.reset(za);
    zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
        if (!name)
            continue;
        SEntry e;
        e.m_name = name;
        e.m_index = i;
        m_entries.push_back(std::move(e));
    }
    return true;
}

void CXlsxPackage::Reset()
{
    m_entries.clear();
    m_zip.reset();
}

const CXlsxPackage::SEntry* CXlsxPackage::Find(const std::string& name) const
{
    for (const SEntry& e : m_entries)
        if (!e.m_removed && e.m_name == name)
            return &e;
    // part names are case-insensitive in OPC
    for (const SEntry& e : m_entries)
        if (!e.m_removed && e.m_name.size() == name.size() && strncasecmp(e.m_name.c_str(), name.c_str(), name.size()) == 0)
            return &e;
    return nullptr;
}

CXlsxPackage::SEntry* CXlsxPackage::Find(const std::string& name)
{
    return const_cast<SEntry*>(static_cast<const CXlsxPackage*>(this)->Find(name));
}

bool CXlsxPackage::Has(const std::string& name) const
{
    return Find(name) != nullptr;
}

bool CXlsxPackage::IsChanged(const std::string& name) const
{
    const SEntry* e = Find(name);
    return e && e->m_changed;
}

bool CXlsxPackage::Read(const std::string& name, std::string& data, std::string& error) const
{
    const SEntry* e = Find(name);
    if (!e) {
        error = "the package has no part " + name;
        return false;
    }
    if (e->m_changed || e->m_index < 0) {
        data = e->m_data;
        return true;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip.get(), static_cast<zip_uint64_t>(e->m_index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        error = "cannot read " + name + ": " + zip_strerror(m_zip.get());
        return false;
    }
    std::unique_ptr<zip_file_t, CZipFileCloser> f(zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(e->m_index), 0));
    if (!f) {
        error = "cannot read " + name + ": " + zip_strerror(m_zip.get());
        return false;
    }
    data.resize(static_cast<size_t>(st.size));
    zip_int64_t got = 0;
    while (static_cast<zip_uint64_t>(got) < st.size) {
        zip_int64_t n = zip_fread(f.get(), &data[static_cast<size_t>(got)], st.size - static_cast<zip_uint64_t>(got));
        if (n <= 0) {
            error = "cannot read " + name + ": " + zip_file_strerror(f.get());
            return false;
        }
        got += n;
    }
    return true;
}

void CXlsxPackage::Write(const std::string& name, std::string data)
{
    SEntry* e = Find(name);
    if (!e) {
        m_entries.emplace_back();
        e = &m_entries.back();
        e->m_name = name;
    }
    e->m_changed = true;
    e->m_data = std::move(data);
}

void CXlsxPackage::Remove(const std::string& name)
{
    if (SEntry* e = Find(name))
        e->m_removed = true;
}

bool CXlsxPackage::SaveArchive(const std::string& path, int level, std::string& error) const
{
    // Replaced parts are deflated here (libdeflate is faster than the zlib
    // inside libzip); declared before the archive, the buffers outlive it.
    CXlsxDeflater deflater(level);
    if (!deflater.IsReady()) {
        error = "out of memory";
        return false;
    }
    std::vector<std::unique_ptr<CXlsxDeflated>> deflated;
    int code = 0;
    CXlsxZipHandle out(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
    if (!out) {
        error = "cannot create " + path + ": " + ZipErrorText(code);
        return false;
    }
    // [Content_Types].xml first, as Office writes it; some readers expect it.
    std::vector<const SEntry*> order;
    for (const SEntry& e : m_entries)
        if (!e.m_removed && e.m_name == "[Content_Types].xml")
            order.push_back(&e);
    for (const SEntry& e : m_entries)
        if (!e.m_removed && e.m_name != "[Content_Types].xml")
            order.push_back(&e);
    for (const SEntry* e : order) {
        zip_source_t* src;
        if (!e->m_changed && e->m_index >= 0) {
            src = zip_source_zip(out.get(), m_zip.get(), static_cast<zip_uint64_t>(e->m_index), 0, 0, -1);
        } else {
            deflated.push_back(std::make_unique<CXlsxDeflated>());
            if (!deflated.back()->Compress(deflater, e->m_data)) {
                error = "cannot compress " + e->m_name;
                return false;
            }
            src = deflated.back()->MakeSource(out.get());
        }
        if (!src) {
            error = "cannot add " + e->m_name + ": " + zip_strerror(out.get());
            return false;
        }
        zip_int64_t idx = zip_file_add(out.get(), e->m_name.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            error = "cannot add " + e->m_name + ": " + zip_strerror(out.get());
            return false;
        }
    }
    zip_t* za = out.release();
    if (zip_close(za) != 0) {
        error = "cannot write " + path + ": " + zip_strerror(za);
        zip_discard(za);
        return false;
    }
    return true;
}

std::string CXlsxPackage::ResolveTarget(const std::string& sourcePart, const std::string& target)
{
    std::string base;
    std::string rest = target;
    if (!rest.empty() && rest[0] == '/') {
        rest.erase(0, 1);
    } else {
        size_t slash = sourcePart.rfind('/');
        if (slash != std::string::npos)
            base = sourcePart.substr(0, slash);
    }
    std::vector<std::string> parts;
    size_t start = 0;
    std::string full = base.empty() ? rest : base + "/" + rest;
    while (start <= full.size()) {
        size_t slash = full.find('/', start);
        std::string piece = full.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string CXlsxPackage::RelsName(const std::string& part)
{
    size_t slash = part.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + part + ".rels";
    return part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}
