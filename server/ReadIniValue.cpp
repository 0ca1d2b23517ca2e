#include "ReadIniValue.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Reads one whole line without its line end (LF or CR LF); false at the end.
bool ReadWholeLine(FILE* file, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

bool StartsWith(const char* p, const char* prefix) {
    return strncmp(p, prefix, strlen(prefix)) == 0;
}

// "<open><name><close>" at the start of p.
bool IsHeader(const char* p, const char* open, const char* name, const char* close) {
    if (!StartsWith(p, open)) return false;
    p += strlen(open);
    if (!StartsWith(p, name)) return false;
    return StartsWith(p + strlen(name), close);
}

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

}  // namespace

int ReadIniValue(const char* path, const char* block, const char* section, const char* key,
                 std::string& out) {
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "rb"));
    if (!file) return -1;
    std::string line;
    enum { FindBlock, FindSection, FindKey } step = FindBlock;
    const size_t keyLength = strlen(key);
    while (ReadWholeLine(file.get(), line)) {
        const char* p = SkipBlanks(line.c_str());
        if (step == FindBlock) {
            if (IsHeader(p, "{$", block, "}")) step = FindSection;
            continue;
        }
        if (step == FindSection) {
            if (StartsWith(p, "{$")) return 0;
            if (IsHeader(p, "[", section, "]")) step = FindKey;
            continue;
        }
        if (StartsWith(p, "[") || StartsWith(p, "{$")) return 0;
        if (keyLength == 0 || strncmp(p, key, keyLength) != 0) continue;
        const char* q = SkipBlanks(p + keyLength);
        if (*q != '=') continue;
        std::string value(q + 1);
        size_t hash = value.find('#');
        if (hash != std::string::npos) value.erase(hash);
        size_t first = value.find_first_not_of(' ');
        if (first == std::string::npos) {
            value.clear();
        } else {
            value.erase(0, first);
            value.erase(value.find_last_not_of(' ') + 1);
        }
        out = value;
        return 1;
    }
    return 0;
}
