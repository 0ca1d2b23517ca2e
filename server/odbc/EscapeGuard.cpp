#include "EscapeGuard.h"

bool GuardEscapes(const std::string& sql, std::string& out, std::string& error) {
    out.clear();
    out.reserve(sql.size());
    const size_t n = sql.size();
    size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            // A quoted literal, a doubled quote inside it: the driver
            // leaves braces there alone.
            size_t end = i + 1;
            for (;;) {
                while (end < n && sql[end] != c) ++end;
                if (end + 1 < n && sql[end + 1] == c) {
                    end += 2;
                    continue;
                }
                break;
            }
            end = end < n ? end + 1 : n;
            out.append(sql, i, end - i);
            i = end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            // The driver knows no comments: a comment goes as a blank.
            size_t end = sql.find('\n', i);
            i = end == std::string::npos ? n : end;
            out += ' ';
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
            out += ' ';
        } else if (c == '{') {
            error = "the statement holds a \"{\" outside a quoted text, which this ODBC driver "
                    "would read as an escape sequence";
            return false;
        } else {
            out += c;
            ++i;
        }
    }
    return true;
}
