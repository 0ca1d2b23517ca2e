#include "TextFile.h"

#include "Helpers.h"

#include <cstdio>

std::string ReadWholeText(const char* path) {
    FilePtr file(path ? fopen(path, "rb") : nullptr);
    if (!file) return "-1";
    std::string raw;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file.get())) > 0) raw.append(buffer, n);
    if (ferror(file.get())) return "-1";
    std::string text;
    text.reserve(raw.size() + 1);
    for (char c : raw) {
        if (c == '\r') continue;
        text.push_back(c == '\0' ? '\n' : c);
    }
    if (!text.empty() && text.back() != '\n') text.push_back('\n');
    return text;
}
