#include "CSqlStatement.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>

namespace {

bool IsIdentStart(char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDeclChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '[' || c == ']' || c == ' ';
}

// Copies a quoted literal (single or double quotes, a doubled quote inside
// stays inside) from text[i] on; returns the index after it.
size_t CopyQuoted(const std::string& text, size_t i, std::string& out) {
    char quote = text[i];
    out += quote;
    ++i;
    while (i < text.size()) {
        out += text[i];
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// Copies a comment ("--" to the end of the line, or "/* */") from text[i]
// on when one starts there; returns the index after it, or i when none.
size_t CopyComment(const std::string& text, size_t i, std::string& out) {
    if (text.compare(i, 2, "--") == 0) {
        size_t end = text.find('\n', i);
        end = end == std::string::npos ? text.size() : end;
        out.append(text, i, end - i);
        return end;
    }
    if (text.compare(i, 2, "/*") == 0) {
        size_t end = text.find("*/", i + 2);
        end = end == std::string::npos ? text.size() : end + 2;
        out.append(text, i, end - i);
        return end;
    }
    return i;
}

long long ParseLeadingInt(const char* text) {
    // atoi-like: leading blanks, a sign, digits; the rest is ignored.
    errno = 0;
    long long value = strtoll(text, nullptr, 10);
    return errno == ERANGE ? 0 : value;
}

}  // namespace

CSqlStatement::CSqlStatement() = default;

CSqlStatement::CSqlStatement(const char* sql) { SetSql(sql); }

void CSqlStatement::SetSql(const char* sql) {
    m_sql = sql ? sql : "";
    Parse();
}

bool CSqlStatement::Parse() {
    m_rewritten.clear();
    m_driverSql.clear();
    m_namedPieces.clear();
    m_params.clear();
    m_bindVars.clear();

    // Brace pieces outside quoted literals: {a,b} is the name a, {x} a date
    // literal bound as :pvarN<timestamp>.
    int dateCount = 0;
    const std::string& text = m_sql;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\'' || c == '"') {
            i = CopyQuoted(text, i, m_rewritten);
            continue;
        }
        size_t after = CopyComment(text, i, m_rewritten);
        if (after != i) {
            i = after;
            continue;
        }
        if (c == m_delimiters[0]) {
            size_t close = text.find(m_delimiters[1], i + 1);
            if (close == std::string::npos) {
                m_rewritten.append(text, i, std::string::npos);
                break;
            }
            std::string piece = text.substr(i + 1, close - i - 1);
            size_t comma = piece.find(',');
            if (comma != std::string::npos) {
                CSqlParam named;
                named.type = SQL_PARAM_DATE;
                named.name = piece.substr(0, comma);
                size_t next = piece.find(',', comma + 1);
                named.secondText = piece.substr(comma + 1, next == std::string::npos
                                                               ? std::string::npos
                                                               : next - comma - 1);
                m_rewritten += named.name;
                m_namedPieces.push_back(named);
            } else {
                ++dateCount;
                CSqlParam date;
                date.type = SQL_PARAM_DATE;
                date.name = "pvar" + std::to_string(dateCount);
                date.dateText = piece;
                m_rewritten += ":" + date.name + "<timestamp>";
                m_params.push_back(date);
            }
            i = close + 1;
            continue;
        }
        m_rewritten += c;
        ++i;
    }

    // Bind variables :name<type> outside quoted literals become "?".
    const std::string& rw = m_rewritten;
    i = 0;
    while (i < rw.size()) {
        char c = rw[i];
        if (c == '\'' || c == '"') {
            i = CopyQuoted(rw, i, m_driverSql);
            continue;
        }
        size_t after = CopyComment(rw, i, m_driverSql);
        if (after != i) {
            i = after;
            continue;
        }
        if (c == ':' && i + 1 < rw.size() && IsIdentStart(rw[i + 1]) &&
            (i == 0 || rw[i - 1] != ':')) {
            size_t j = i + 1;
            while (j < rw.size() && IsIdentChar(rw[j])) ++j;
            if (j < rw.size() && rw[j] == '<') {
                size_t k = j + 1;
                while (k < rw.size() && IsDeclChar(rw[k])) ++k;
                if (k < rw.size() && rw[k] == '>') {
                    CBindVar var;
                    var.name = rw.substr(i + 1, j - i - 1);
                    var.declType = rw.substr(j + 1, k - j - 1);
                    m_bindVars.push_back(var);
                    m_driverSql += '?';
                    i = k + 1;
                    continue;
                }
            }
        }
        m_driverSql += c;
        ++i;
    }
    return true;
}

bool CSqlStatement::AddParam(int type, const char* value, const char* name) {
    const char* text = value ? value : "";
    CSqlParam param;
    param.type = type;
    if (name) param.name = name;
    switch (type) {
    case SQL_PARAM_INT: param.intValue = ParseLeadingInt(text); break;
    case SQL_PARAM_STRING:
    case SQL_PARAM_LONG_TEXT: param.textValue = text; break;
    case SQL_PARAM_DATE: param.dateText = text; break;
    case SQL_PARAM_FLOAT: param.floatValue = strtod(text, nullptr); break;
    default: return false;
    }
    m_params.push_back(param);
    return true;
}

bool CSqlStatement::ResolveBindings(std::vector<const CSqlParam*>& out,
                                    std::string& error) const {
    out.clear();
    std::map<std::string, const CSqlParam*> byName;
    std::vector<const CSqlParam*> unnamed;
    for (const CSqlParam& p : m_params) {
        if (p.name.empty())
            unnamed.push_back(&p);
        else if (!byName.count(p.name))
            byName[p.name] = &p;
    }
    size_t nextUnnamed = 0;
    for (const CBindVar& var : m_bindVars) {
        auto it = byName.find(var.name);
        if (it != byName.end()) {
            out.push_back(it->second);
        } else if (nextUnnamed < unnamed.size()) {
            out.push_back(unnamed[nextUnnamed++]);
        } else {
            error = "no value for the bind variable :" + var.name + "<" + var.declType + ">";
            return false;
        }
    }
    return true;
}
