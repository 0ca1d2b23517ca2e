// CPluginManager: the one plug-in library of the server: loads it, lists the
// commands its `support` export names, and calls them.
#pragma once

#include <string>
#include <vector>

extern "C" {
typedef int (*PluginSupportFn)(char* names);
typedef int (*PluginCommandFn)(const char* param, char* output);
}

struct CPluginEntry {
    std::string name;
    PluginCommandFn entry = nullptr;
};

class CPluginManager {
public:
    enum { kNamesSize = 256, kOutputSize = 9000 };

    CPluginManager() = default;
    ~CPluginManager();
    CPluginManager(const CPluginManager&) = delete;
    CPluginManager& operator=(const CPluginManager&) = delete;

    bool Load(const std::string& path);
    bool Unload();
    // The command's result, or -1 when no entry has the name. output holds
    // kOutputSize bytes.
    int Call(const std::string& name, const char* param, char* output);
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    std::string GetName(int index) const;
    const std::string& GetErrorText() const { return m_error; }

private:
    std::vector<CPluginEntry> m_entries;
    void* m_library = nullptr;
    std::string m_error;
};
