// CConfigFile: an ini-style file held in memory as (section, key, value)
// entries. Programs read and change values; entries are never added.
// Section and key lookups ignore ASCII case.
#pragma once

#include "CListString.h"
#include "CListStringList.h"

#include <vector>

class CConfigFile {
public:
    CConfigFile();
    ~CConfigFile();

    // 1 when read, 0 when the file cannot be opened (entries then empty).
    int Load(const char* path);
    CListString GetValue(const char* key, const char* section) const;
    long GetInt(const char* key, const char* section) const;
    CListString GetTextById(int id, const char* section) const;
    // Updates every matching entry; adds nothing; returns 1.
    int SetValue(const char* key, const char* value, const char* section);
    int SetInt(const char* key, int number, const char* section);
    int GetKeys(CListStringList& list, const char* section) const;
    // Writes through a temporary file in the same folder renamed over the
    // target, so a failed save leaves the old file whole. 1 saved, 0 not.
    int SaveAs(const char* path);
    int Save();
    // Renames [common] keys by the "#define NAME NUMBER" lines of a C header,
    // then saves to outputPath. 0 when the header cannot be opened or the
    // save fails, else 1.
    int ImportDefines(const char* headerPath, const char* outputPath);

    const CListString& GetPath() const { return m_path; }
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    const CListString& GetLastError() const { return m_lastError; }

private:
    struct Entry {
        CListString section;
        CListString key;
        CListString value;
    };

    CListString m_path;
    std::vector<Entry> m_entries;
    CListString m_lastError;
};
