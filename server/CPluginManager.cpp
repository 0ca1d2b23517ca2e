#include "CPluginManager.h"

#include <cstring>
#include <dlfcn.h>

CPluginManager::~CPluginManager() {
    Unload();
}

bool CPluginManager::Unload() {
    m_entries.clear();
    if (m_library) {
        dlclose(m_library);
        m_library = nullptr;
    }
    return true;
}

bool CPluginManager::Load(const std::string& path) {
    Unload();
    m_error.clear();
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        const char* e = dlerror();
        m_error = e ? e : "cannot load the library";
        return false;
    }
    auto support = reinterpret_cast<PluginSupportFn>(dlsym(m_library, "support"));
    if (!support) return true;
    // One byte more than the library may fill keeps the text terminated.
    char names[kNamesSize + 1];
    memset(names, 0, sizeof names);
    if (support(names) < 0) {
        m_error = "support failed";
        Unload();
        return false;
    }
    names[kNamesSize] = 0;
    std::string list(names);
    size_t start = 0;
    while (true) {
        size_t comma = list.find(',', start);
        std::string piece = list.substr(start, comma == std::string::npos ? std::string::npos
                                                                          : comma - start);
        size_t first = piece.find_first_not_of(" \t\n");
        if (first != std::string::npos) {
            piece = piece.substr(first, piece.find_last_not_of(" \t\n") - first + 1);
            if (void* fn = dlsym(m_library, piece.c_str())) {
                m_entries.push_back(CPluginEntry{piece, reinterpret_cast<PluginCommandFn>(fn)});
            }
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

int CPluginManager::Call(const std::string& name, const char* param, char* output) {
    for (const CPluginEntry& e : m_entries) {
        if (e.name == name) return e.entry(param, output);
    }
    return -1;
}

std::string CPluginManager::GetName(int index) const {
    if (index < 0 || index >= GetCount()) return std::string();
    return m_entries[static_cast<size_t>(index)].name;
}
