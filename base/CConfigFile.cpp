#include "CConfigFile.h"

#include "CListStringVector.h"
#include "Helpers.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kFirstLine[] = "#Zentry配置管理工具";

void SetSystemError(CListString& error, const char* what, const char* path) {
    error.Format("%s %s: %s", what, path ? path : "", strerror(errno));
}

}  // namespace

CConfigFile::CConfigFile() = default;
CConfigFile::~CConfigFile() = default;

int CConfigFile::Load(const char* path) {
    m_path.SetText(path);
    m_entries.clear();
    m_lastError.SetText("");
    FilePtr file(path ? fopen(path, "r") : nullptr);
    if (!file) {
        SetSystemError(m_lastError, "cannot open", path);
        return 0;
    }
    CListString section("unknow");
    char line[1025];
    while (ReadLine(file.get(), line, 1024) >= 0) {
        StripChar(line, ' ');
        if (line[0] == 0 || line[0] == '#') continue;
        if (line[0] == '[') {
            section.SetText(line);
            section.TrimLeftText("[");
            section.TrimRightText("]");
            // A section line may also hold an entry.
        }
        // Split at the first '=': a value may hold '=' itself.
        char* equals = strchr(line, '=');
        if (!equals) continue;
        *equals = 0;
        Entry entry;
        entry.section = section;
        entry.key.SetText(line);
        entry.key.Trim();
        entry.value.SetText(equals + 1);
        m_entries.push_back(std::move(entry));
    }
    return 1;
}

CListString CConfigFile::GetValue(const char* key, const char* section) const {
    for (const Entry& entry : m_entries) {
        if (entry.section.CompareNoCase(section) == 0 && entry.key.CompareNoCase(key) == 0)
            return entry.value;
    }
    return CListString();
}

long CConfigFile::GetInt(const char* key, const char* section) const {
    return atol(GetValue(key, section).CStr());
}

CListString CConfigFile::GetTextById(int id, const char* section) const {
    char key[16];
    snprintf(key, sizeof key, "%d", id);
    return GetValue(key, section);
}

int CConfigFile::SetValue(const char* key, const char* value, const char* section) {
    for (Entry& entry : m_entries) {
        if (entry.section.CompareNoCase(section) == 0 && entry.key.CompareNoCase(key) == 0)
            entry.value.SetText(value);
    }
    return 1;
}

int CConfigFile::SetInt(const char* key, int number, const char* section) {
    char value[16];
    snprintf(value, sizeof value, "%d", number);
    return SetValue(key, value, section);
}

int CConfigFile::GetKeys(CListStringList& list, const char* section) const {
    list.RemoveAll();
    for (const Entry& entry : m_entries) {
        if (strcasecmp(entry.section.CStr(), section ? section : "") == 0) list.Add(entry.key);
    }
    return list.GetCount();
}

int CConfigFile::SaveAs(const char* path) {
    m_lastError.SetText("");
    if (!path || !*path) {
        m_lastError.SetText("no file name");
        return 0;
    }
    CListString text(kFirstLine);
    text.AppendChar('\n');
    CListStringVector sections;
    for (const Entry& entry : m_entries) sections.AddUnique(entry.section.CStr());
    for (const CListString& section : sections) {
        text.AppendChar('\n');
        text.AppendChar('[');
        text.Append(section);
        text.AppendText("]\n");
        for (const Entry& entry : m_entries) {
            if (entry.section.CompareNoCase(section.CStr()) != 0) continue;
            text.Append(entry.key);
            text.AppendChar('=');
            text.Append(entry.value);
            text.AppendChar('\n');
        }
    }

    // Write beside the target and rename over it, so a reader never sees a
    // half-written file and a failure leaves the old one whole. A link to
    // the file stays a link.
    CListString target(path);
    char resolved[PATH_MAX];
    if (realpath(path, resolved)) target.SetText(resolved);
    std::string temp(target.StdString() + ".XXXXXX");
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        SetSystemError(m_lastError, "cannot create", path);
        return 0;
    }
    struct stat st;
    if (stat(target.CStr(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    const char* data = text.CStr();
    size_t left = text.GetLength();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(temp.c_str(), target.CStr()) != 0) ok = false;
    if (!ok) {
        SetSystemError(m_lastError, "cannot write", path);
        unlink(temp.c_str());
        return 0;
    }
    return 1;
}

int CConfigFile::Save() {
    if (m_path.IsEmpty()) {
        m_lastError.SetText("no file name");
        return 0;
    }
    const CListString path(m_path);
    return SaveAs(path.CStr());
}

int CConfigFile::ImportDefines(const char* headerPath, const char* outputPath) {
    m_lastError.SetText("");
    FilePtr file(headerPath ? fopen(headerPath, "r") : nullptr);
    if (!file) {
        SetSystemError(m_lastError, "cannot open", headerPath);
        return 0;
    }
    std::unique_ptr<char[]> line(new char[6000]);
    std::vector<std::string> pieces;
    while (ReadLine(file.get(), line.get(), 5999) >= 0) {
        StripChar(line.get(), ' ');
        pieces.clear();
        if (SplitText(line.get(), pieces, " ", false, "") < 3) continue;
        if (strncasecmp(pieces[0].c_str(), "#define", 7) != 0) continue;
        for (Entry& entry : m_entries) {
            if (entry.section.CompareNoCase("common") == 0 &&
                entry.key.CompareNoCase(pieces[1].c_str()) == 0) {
                entry.key.SetText(pieces[2].c_str());
                break;
            }
        }
    }
    return SaveAs(outputPath);
}
