#include "OdbcConnectText.h"

#include <cstdlib>
#include <strings.h>

namespace {

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The pair of this key (case-insensitive), null when there is none.
std::string* Find(COdbcConnectPairs& pairs, const char* key) {
    for (auto& pair : pairs)
        if (strcasecmp(pair.first.c_str(), key) == 0) return &pair.second;
    return nullptr;
}

void Set(COdbcConnectPairs& pairs, const char* key, const std::string& value) {
    if (std::string* existing = Find(pairs, key)) *existing = value;
    else pairs.emplace_back(key, value);
}

}  // namespace

COdbcConnectPairs ParseConnectString(const std::string& text) {
    COdbcConnectPairs pairs;
    size_t at = 0;
    while (at < text.size()) {
        const size_t equals = text.find('=', at);
        const size_t semicolon = text.find(';', at);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            if (semicolon == std::string::npos) break;
            at = semicolon + 1;  // a piece without a value
            continue;
        }
        const std::string key = Trim(text.substr(at, equals - at));
        size_t start = equals + 1;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
        std::string value;
        if (start < text.size() && text[start] == '{') {
            size_t i = start + 1;
            for (; i < text.size(); ++i) {
                if (text[i] != '}') {
                    value += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '}') {
                    value += '}';
                    ++i;
                } else {
                    break;
                }
            }
            const size_t end = text.find(';', i);
            at = end == std::string::npos ? text.size() : end + 1;
        } else {
            const size_t end = text.find(';', start);
            value = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        if (!key.empty()) pairs.emplace_back(key, value);
    }
    return pairs;
}

std::string JoinConnectString(const COdbcConnectPairs& pairs) {
    std::string text;
    for (const auto& pair : pairs) {
        const std::string& value = pair.second;
        const bool braced = value.find_first_of(";{}") != std::string::npos ||
                            (!value.empty() && (value.front() == ' ' || value.back() == ' '));
        if (!text.empty()) text += ';';
        text += pair.first + '=';
        if (!braced) {
            text += value;
            continue;
        }
        text += '{';
        for (char c : value) {
            text += c;
            if (c == '}') text += '}';
        }
        text += '}';
    }
    return text;
}

std::string BaseConnectText(const std::string& server, const std::string& user,
                            const std::string& password) {
    COdbcConnectPairs pairs;
    if (server.find('=') != std::string::npos) pairs = ParseConnectString(server);
    else pairs.emplace_back("DSN", server);
    if (!user.empty()) Set(pairs, "UID", user);
    if (!password.empty()) Set(pairs, "PWD", password);
    return JoinConnectString(pairs);
}

OdbcDriverKind DriverKindOf(const std::string& dbmsName, const std::string& driverName) {
    if (dbmsName == "SQLite" && driverName.find("sqlite") != std::string::npos)
        return OdbcDriverKind::kSqlite;
    if (dbmsName == "PostgreSQL" && driverName.compare(0, 8, "psqlodbc") == 0)
        return OdbcDriverKind::kPsql;
    return OdbcDriverKind::kOther;
}

std::string WithDriverOptions(const std::string& base, OdbcDriverKind kind) {
    COdbcConnectPairs pairs = ParseConnectString(base);
    if (kind == OdbcDriverKind::kSqlite) {
        // Without StepAPI the driver reads a whole result at execute; long
        // names would put the table before each column name of a reply.
        Set(pairs, "StepAPI", "1");
        Set(pairs, "LongNames", "0");
        Set(pairs, "BigInt", "1");
        Set(pairs, "JournalMode", "WAL");
        Set(pairs, "SyncPragma", "FULL");
        const std::string* timeout = Find(pairs, "Timeout");
        if (!timeout || atoi(timeout->c_str()) <= 0) Set(pairs, "Timeout", "10000");
    }
    return JoinConnectString(pairs);
}
