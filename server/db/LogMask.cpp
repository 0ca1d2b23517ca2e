#include "LogMask.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

const char kMaskedValue[] = "***";

namespace {

enum Kind { kIdent, kQuotedIdent, kString, kNumber, kPlaceholder, kOp, kOpen, kClose, kComma, kOther };

struct Token {
    Kind kind;
    size_t begin;
    size_t end;
};

bool IsIdentStart(unsigned char c) { return isalpha(c) || c == '_' || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Index after a literal or quoted name that opens at i with quote and closes
// with close; a doubled closing character stays inside. An unterminated one
// runs to the end.
size_t SkipQuoted(const std::string& s, size_t i, char close) {
    for (++i; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (i + 1 < s.size() && s[i + 1] == close && close != ']') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

std::vector<Token> Tokenize(const std::string& s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (isspace(c)) {
            ++i;
            continue;
        }
        if (s.compare(i, 2, "--") == 0) {
            const size_t end = s.find('\n', i);
            i = end == std::string::npos ? s.size() : end;
            continue;
        }
        if (s.compare(i, 2, "/*") == 0) {
            const size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
            continue;
        }
        Token t{kOther, i, i + 1};
        if (c == '\'') {
            t = {kString, i, SkipQuoted(s, i, '\'')};
        } else if (c == '"' || c == '`') {
            t = {kQuotedIdent, i, SkipQuoted(s, i, static_cast<char>(c))};
        } else if (c == '[') {
            t = {kQuotedIdent, i, SkipQuoted(s, i, ']')};
        } else if (isdigit(c) || (c == '.' && i + 1 < s.size() && isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t e = i;
            while (e < s.size()) {
                const unsigned char d = static_cast<unsigned char>(s[e]);
                const bool exponentSign = (d == '+' || d == '-') && e > i && tolower(s[e - 1]) == 'e';
                if (!isalnum(d) && d != '.' && !exponentSign) break;
                ++e;
            }
            t = {kNumber, i, e};
        } else if (IsIdentStart(c)) {
            size_t e = i;
            while (e < s.size() && (IsIdentChar(static_cast<unsigned char>(s[e])) || s[e] == '.')) ++e;
            t = {kIdent, i, e};
        } else if ((c == ':' || c == '@') && i + 1 < s.size() &&
                   IsIdentStart(static_cast<unsigned char>(s[i + 1]))) {
            // ":name<type>" bind variables hold no value.
            size_t e = i + 1;
            while (e < s.size() && IsIdentChar(static_cast<unsigned char>(s[e]))) ++e;
            if (e < s.size() && s[e] == '<') {
                const size_t close = s.find('>', e);
                if (close != std::string::npos) e = close + 1;
            }
            t = {kPlaceholder, i, e};
        } else if (c == '?') {
            t = {kPlaceholder, i, i + 1};
        } else if (c == '(') {
            t.kind = kOpen;
        } else if (c == ')') {
            t.kind = kClose;
        } else if (c == ',') {
            t.kind = kComma;
        } else if (strchr("=<>!|", c)) {
            static const char* const kTwo[] = {"<>", "!=", "<=", ">=", "==", "||"};
            t.kind = kOp;
            for (const char* two : kTwo) {
                if (s.compare(i, 2, two) == 0) t.end = i + 2;
            }
        } else if (strchr("+-*/%&~^", c)) {
            t.kind = kOp;
        }
        tokens.push_back(t);
        i = t.end;
    }
    return tokens;
}

class CMasker {
public:
    explicit CMasker(const std::string& sql) : m_sql(sql), m_tokens(Tokenize(sql)), m_masked(m_tokens.size()) {
        // A rule for each shape of statement would always miss one: where a
        // password can be written or compared, every literal is hidden.
        bool every = false;
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            if (IsPasswordName(i)) {
                every = true;
                MaskComparisons(i);
            }
            if (IsWord(i, "insert") || IsWord(i, "replace")) every = MaskInsert(i) || every;
        }
        for (size_t i = 0; every && i < m_tokens.size(); ++i)
            if (KindAt(i) == kString || KindAt(i) == kNumber) m_masked[i] = true;
    }

    std::string Text() const {
        std::string out;
        size_t at = 0;
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            if (!m_masked[i]) continue;
            const Token& t = m_tokens[i];
            out.append(m_sql, at, t.begin - at);
            if (t.kind == kString) out += std::string("'") + kMaskedValue + "'";
            else if (t.kind == kQuotedIdent) out += m_sql[t.begin] + std::string(kMaskedValue) + m_sql[t.begin];
            else out += kMaskedValue;
            at = t.end;
        }
        out.append(m_sql, at, std::string::npos);
        return out;
    }

    std::vector<std::string> Secrets() const {
        std::vector<std::string> secrets;
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            if (!m_masked[i]) continue;
            const Token& t = m_tokens[i];
            std::string value = m_sql.substr(t.begin, t.end - t.begin);
            if (t.kind == kString || t.kind == kQuotedIdent) {
                const char close = value[0] == '[' ? ']' : value[0];
                value.erase(0, 1);
                if (!value.empty() && value.back() == close) value.pop_back();
                // A doubled quote inside stands for one.
                const std::string twice(2, close);
                for (size_t p = 0; (p = value.find(twice, p)) != std::string::npos; ++p) value.erase(p, 1);
            }
            if (!value.empty()) secrets.push_back(value);
        }
        return secrets;
    }

private:
    std::string Text(size_t i) const { return m_sql.substr(m_tokens[i].begin, m_tokens[i].end - m_tokens[i].begin); }
    Kind KindAt(size_t i) const { return i < m_tokens.size() ? m_tokens[i].kind : kOther; }
    bool IsWord(size_t i, const char* word) const {
        return KindAt(i) == kIdent && strcasecmp(Text(i).c_str(), word) == 0;
    }
    bool IsOp(size_t i, const char* op) const { return KindAt(i) == kOp && Text(i) == op; }

    bool IsPasswordName(size_t i) const {
        if (KindAt(i) == kIdent) return IsPasswordColumn(Text(i));
        if (KindAt(i) == kQuotedIdent) {
            const std::string text = Text(i);
            return IsPasswordColumn(text.substr(1, text.size() > 1 ? text.size() - 2 : 0));
        }
        return false;
    }

    // Words that end an operand.
    bool IsClauseWord(size_t i) const {
        static const char* const kWords[] = {"and",   "or",     "where",  "from",      "order",
                                             "group", "having", "limit",  "offset",    "union",
                                             "then",  "else",   "when",   "end",       "set",
                                             "values", "returning", "escape", "collate", "not"};
        for (const char* w : kWords) {
            if (IsWord(i, w)) return true;
        }
        return false;
    }

    bool IsComparison(size_t i) const {
        static const char* const kOps[] = {"=", "==", "<>", "!=", "<", ">", "<=", ">="};
        for (const char* op : kOps) {
            if (IsOp(i, op)) return true;
        }
        return IsWord(i, "like") || IsWord(i, "glob") || IsWord(i, "in") || IsWord(i, "is");
    }

    bool IsValueToken(size_t i) const {
        const Kind k = KindAt(i);
        if (k == kString || k == kNumber || k == kQuotedIdent) return true;
        static const char* const kKeywords[] = {"null", "select", "case", "distinct", "exists"};
        for (const char* w : kKeywords) {
            if (IsWord(i, w)) return false;
        }
        return k == kIdent && !IsClauseWord(i) && KindAt(i + 1) != kOpen;
    }

    // Masks (when mask is set) the values of the expression from i up to a
    // comma, a closing bracket of an outer group or (inWhere) a clause word;
    // returns the index where it ended.
    size_t MaskExpression(size_t i, bool mask, bool inWhere) {
        int depth = 0;
        for (; i < m_tokens.size(); ++i) {
            const Kind k = KindAt(i);
            if (k == kOpen) {
                ++depth;
            } else if (k == kClose) {
                if (depth == 0) break;
                --depth;
            } else if (depth == 0 && (k == kComma || Text(i) == ";" || (inWhere && IsClauseWord(i)))) {
                break;
            } else if (mask && IsValueToken(i)) {
                m_masked[i] = true;
            }
        }
        return i;
    }

    void MaskComparisons(size_t name) {
        // The column compared or assigned: "USER_PASSWD = 'x'", "... NOT LIKE 'x'", "IN (...)".
        if (KindAt(name + 1) == kOpen) return;  // a function of that name
        size_t op = name + 1;
        if (IsWord(op, "not")) ++op;
        if (IsComparison(op)) {
            size_t value = op + 1;
            if (IsWord(op, "is") && IsWord(value, "not")) ++value;
            MaskExpression(value, true, true);
        }
        // The other way round: "'x' = USER_PASSWD".
        if (name >= 2 && IsComparison(name - 1) && IsValueToken(name - 2)) m_masked[name - 2] = true;
    }

    // "INSERT [OR ...] INTO t [(c1, c2, ...)] VALUES (v1, v2, ...), (...)":
    // masks the values of password columns; true when the INSERT names no
    // columns, so that any value may be a password.
    bool MaskInsert(size_t i) {
        while (i < m_tokens.size() && !IsWord(i, "into")) {
            if (KindAt(i) == kOpen || Text(i) == ";") return false;
            ++i;
        }
        // The table, maybe quoted, with its schema or an alias.
        for (++i; i < m_tokens.size(); ++i) {
            const bool name = (KindAt(i) == kIdent && !IsWord(i, "values") && !IsWord(i, "select") &&
                               !IsWord(i, "with") && !IsWord(i, "default")) ||
                              KindAt(i) == kQuotedIdent || Text(i) == ".";
            if (!name) break;
        }
        if (KindAt(i) != kOpen || IsWord(i + 1, "select") || IsWord(i + 1, "with")) return true;
        std::vector<bool> secret;
        for (++i; i < m_tokens.size() && KindAt(i) != kClose; ++i) {
            if (KindAt(i) != kComma) secret.push_back(IsPasswordName(i));
        }
        ++i;
        if (std::find(secret.begin(), secret.end(), true) == secret.end()) return false;
        if (!IsWord(i, "values")) return false;
        ++i;
        while (KindAt(i) == kOpen) {
            ++i;
            for (size_t column = 0; i < m_tokens.size() && KindAt(i) != kClose; ++column) {
                i = MaskExpression(i, column < secret.size() && secret[column], false);
                if (KindAt(i) != kClose) ++i;  // the comma (or a stray ';')
            }
            ++i;  // the closing bracket
            if (KindAt(i) != kComma) break;
            ++i;
        }
        return false;
    }

    const std::string& m_sql;
    std::vector<Token> m_tokens;
    std::vector<bool> m_masked;
};

}  // namespace

bool IsPasswordColumn(const std::string& name) {
    std::string lower = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower.find("passw") != std::string::npos || lower.find("pwd") != std::string::npos;
}

std::string MaskSqlSecrets(const std::string& sql) {
    return CMasker(sql).Text();
}

std::vector<std::string> FindSqlSecrets(const std::string& sql) {
    return CMasker(sql).Secrets();
}

std::string MaskSecretsOf(const std::string& text, const std::string& sql) {
    std::vector<std::string> secrets = FindSqlSecrets(sql);
    if (secrets.empty()) return text;
    // The longest first, so a secret inside another is not left half shown.
    std::sort(secrets.begin(), secrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    std::string out = text;
    for (const std::string& secret : secrets) {
        for (size_t p = 0; (p = out.find(secret, p)) != std::string::npos; p += strlen(kMaskedValue))
            out.replace(p, secret.size(), kMaskedValue);
    }
    return out;
}

std::string ClientTextForLog(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (; at < text.size() && out.size() < kClientTextLogLimit; ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x20 && c != 0x7f) {
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (at == text.size()) return out;
    // Cut between characters, never inside one.
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xc0) == 0x80) {
        --at;
        out.pop_back();
    }
    return out + "... (" + std::to_string(text.size()) + " bytes)";
}

std::string SqlForLog(const std::string& sql) {
    return ClientTextForLog(MaskSqlSecrets(sql));
}

std::string ErrorForLog(const std::string& text, const std::string& sql) {
    return ClientTextForLog(MaskSecretsOf(text, sql));
}
