#include "QueryShape.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

enum TokenKind { TK_SPACE, TK_WORD, TK_INTEGER, TK_OTHER_NUMBER, TK_STRING, TK_IDENT,
                 TK_COMPARE, TK_OPEN, TK_CLOSE, TK_PARAM, TK_END_STATEMENT, TK_OTHER };

bool IsWordStart(unsigned char c) { return isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// The token at pos of SQLite's syntax; its length in length. An unclosed
// quote or comment runs to the end.
TokenKind NextToken(const std::string& s, size_t pos, size_t& length) {
    const size_t n = s.size();
    const unsigned char c = static_cast<unsigned char>(s[pos]);
    size_t i = pos + 1;
    auto until = [&](const char* close) {
        size_t end = s.find(close, i);
        return end == std::string::npos ? n : end + strlen(close);
    };
    TokenKind kind = TK_OTHER;
    if (isspace(c)) {
        while (i < n && isspace(static_cast<unsigned char>(s[i]))) ++i;
        kind = TK_SPACE;
    } else if (c == '-' && i < n && s[i] == '-') {
        i = until("\n");
        kind = TK_SPACE;
    } else if (c == '/' && i < n && s[i] == '*') {
        ++i;
        i = until("*/");
        kind = TK_SPACE;
    } else if (c == '\'' || c == '"' || c == '`') {
        // A doubled quote stands for itself.
        for (;;) {
            while (i < n && s[i] != static_cast<char>(c)) ++i;
            if (i + 1 < n && s[i + 1] == static_cast<char>(c)) {
                i += 2;
                continue;
            }
            i = i < n ? i + 1 : n;
            break;
        }
        kind = c == '\'' ? TK_STRING : TK_IDENT;
    } else if (c == '[') {
        i = until("]");
        kind = TK_IDENT;
    } else if (isdigit(c) || (c == '.' && i < n && isdigit(static_cast<unsigned char>(s[i])))) {
        bool plain = c != '.';
        while (i < n) {
            const char d = s[i];
            if (isdigit(static_cast<unsigned char>(d))) {
                ++i;
            } else if ((d == '+' || d == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E') && !plain) {
                ++i;
            } else if (IsWordChar(static_cast<unsigned char>(d)) || d == '.') {
                plain = false;
                ++i;
            } else {
                break;
            }
        }
        kind = plain ? TK_INTEGER : TK_OTHER_NUMBER;
    } else if (IsWordStart(c)) {
        while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
        kind = TK_WORD;
    } else if (c == '?' || c == ':' || c == '@' || c == '$' || c == '#') {
        kind = TK_PARAM;
    } else if (c == '(') {
        kind = TK_OPEN;
    } else if (c == ')') {
        kind = TK_CLOSE;
    } else if (c == ';') {
        kind = TK_END_STATEMENT;
    } else if (c == '=') {
        if (i < n && s[i] == '=') ++i;
        kind = TK_COMPARE;
    } else if (c == '!') {
        if (i < n && s[i] == '=') {
            ++i;
            kind = TK_COMPARE;
        }
    } else if (c == '<' || c == '>') {
        // "<<" and ">>" are shifts, not comparisons.
        if (i < n && s[i] == static_cast<char>(c)) {
            ++i;
        } else {
            if (i < n && (s[i] == '=' || (c == '<' && s[i] == '>'))) ++i;
            kind = TK_COMPARE;
        }
    }
    length = i - pos;
    return kind;
}

bool WordIs(const std::string& s, size_t pos, size_t length, const char* word) {
    return strlen(word) == length && strncasecmp(s.c_str() + pos, word, length) == 0;
}

// Words that end the WHERE clause of the query they belong to.
bool EndsWhere(const std::string& s, size_t pos, size_t length) {
    static const char* const words[] = {"select", "union", "intersect", "except", "values",
                                        "group",  "order", "limit",     "having", "window"};
    for (const char* w : words)
        if (WordIs(s, pos, length, w)) return true;
    return false;
}

}  // namespace

namespace {

// What the top level of a statement holds: its first word, whether a
// second statement follows, the words that matter to the helpers below,
// and where a closing ";" begins.
struct CStatementOutline {
    std::string firstWord;
    bool secondStatement = false;
    bool topInto = false;
    bool topLimit = false;  // LIMIT, OFFSET or FETCH
    size_t end = std::string::npos;  // the ";" that ends the statement
};

CStatementOutline Outline(const std::string& sql) {
    CStatementOutline o;
    int depth = 0;
    for (size_t pos = 0, length = 0; pos < sql.size(); pos += length) {
        const TokenKind kind = NextToken(sql, pos, length);
        if (kind == TK_SPACE) continue;
        if (o.end != std::string::npos) {
            o.secondStatement = true;
            break;
        }
        if (o.firstWord.empty() && kind != TK_WORD) o.firstWord = " ";  // not a word: matches none
        switch (kind) {
        case TK_WORD:
            if (o.firstWord.empty()) {
                for (size_t i = 0; i < length; ++i)
                    o.firstWord += static_cast<char>(tolower(static_cast<unsigned char>(sql[pos + i])));
            } else if (depth == 0) {
                if (WordIs(sql, pos, length, "into")) o.topInto = true;
                if (WordIs(sql, pos, length, "limit") || WordIs(sql, pos, length, "offset") ||
                    WordIs(sql, pos, length, "fetch"))
                    o.topLimit = true;
            }
            break;
        case TK_OPEN: ++depth; break;
        case TK_CLOSE: --depth; break;
        case TK_END_STATEMENT: o.end = pos; break;
        default: break;
        }
    }
    return o;
}

}  // namespace

std::string FirstWord(const std::string& sql) {
    const std::string word = Outline(sql).firstWord;
    return word == " " ? std::string() : word;
}

bool IsPlainQuery(const std::string& sql) {
    const CStatementOutline o = Outline(sql);
    return o.firstWord == "select" && !o.secondStatement && !o.topInto;
}

bool AppendRowLimit(const std::string& sql, int rows, std::string& out) {
    const CStatementOutline o = Outline(sql);
    if (o.firstWord != "select" || o.secondStatement || o.topInto || o.topLimit || rows < 0)
        return false;
    // On a line of its own: the text may end in a "--" comment.
    out = sql.substr(0, o.end) + "\nLIMIT " + std::to_string(rows);
    if (o.end != std::string::npos) out += sql.substr(o.end);
    return true;
}

bool StartsWithSelect(const std::string& sql) {
    for (size_t pos = 0, length = 0; pos < sql.size(); pos += length) {
        const TokenKind kind = NextToken(sql, pos, length);
        if (kind != TK_SPACE) return kind == TK_WORD && WordIs(sql, pos, length, "select");
    }
    return false;
}

bool ShapeQuery(const std::string& sql, std::string& shape, std::vector<long long>& values) {
    std::string out;
    std::vector<long long> found;
    out.reserve(sql.size());
    int depth = 0;
    bool inWhere = false;  // inside the WHERE clause of the outer query
    bool first = true;
    TokenKind previous = TK_SPACE;  // the last token that was not blank
    size_t copied = 0;
    for (size_t pos = 0, length = 0; pos < sql.size(); pos += length) {
        const TokenKind kind = NextToken(sql, pos, length);
        if (kind == TK_SPACE) continue;
        if (first) {
            if (kind != TK_WORD || !WordIs(sql, pos, length, "select")) return false;
            first = false;
        }
        switch (kind) {
        case TK_PARAM:
            return false;
        case TK_END_STATEMENT:
            return false;
        case TK_OPEN: ++depth; break;
        case TK_CLOSE: --depth; break;
        case TK_WORD:
            if (depth == 0) {
                if (WordIs(sql, pos, length, "where"))
                    inWhere = true;
                else if (EndsWhere(sql, pos, length))
                    inWhere = false;
            }
            break;
        case TK_INTEGER:
            if (inWhere && previous == TK_COMPARE) {
                errno = 0;
                char* end = nullptr;
                const long long value = strtoll(sql.c_str() + pos, &end, 10);
                // A number beyond 64 bits is a real to SQLite: kept as written.
                if (errno == 0 && end == sql.c_str() + pos + length) {
                    out.append(sql, copied, pos - copied);
                    out += '?';
                    copied = pos + length;
                    found.push_back(value);
                }
            }
            break;
        default: break;
        }
        previous = kind;
    }
    if (found.empty()) return false;
    out.append(sql, copied, std::string::npos);
    shape.swap(out);
    values.swap(found);
    return true;
}
