#include "TableName.h"

#include <cstring>

bool IsTableName(const char* name) {
    if (!name || !*name) return false;
    if (*name >= '0' && *name <= '9') return false;
    for (const char* p = name; *p; ++p) {
        const char c = *p;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_';
        if (!plain) return false;
    }
    static const char* const keywords[] = {
        "and", "break", "do", "else", "elseif", "end", "false", "for", "function", "if", "in",
        "local", "nil", "not", "or", "repeat", "return", "then", "true", "until", "while"};
    for (const char* keyword : keywords)
        if (strcmp(name, keyword) == 0) return false;
    return true;
}
