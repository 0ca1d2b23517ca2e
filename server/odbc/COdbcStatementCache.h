// COdbcStatementCache: prepared query statements of one connection kept for
// reuse, keyed by their text, each with the integer values bound to its
// parameters. A statement is taken out while it runs and given back with
// its cursor closed; beyond the capacity the least recently used one is
// freed. Cleared before the connection it belongs to goes.
#pragma once

#include "OdbcHandles.h"

#include <list>
#include <string>
#include <utility>
#include <vector>

struct COdbcCachedStmt {
    COdbcStmt stmt;
    std::vector<long long> values;  // bound to the parameters, in order
    std::vector<SQLLEN> indicators;
};

class COdbcStatementCache {
public:
    explicit COdbcStatementCache(size_t capacity = 32) : m_capacity(capacity) {}

    // The statement kept for text, moved out of the cache; false when none.
    bool Take(const std::string& text, COdbcCachedStmt& entry);
    // Closes the statement's cursor and keeps it for text.
    void Give(const std::string& text, COdbcCachedStmt&& entry);
    void Clear() { m_entries.clear(); }

private:
    size_t m_capacity;
    std::list<std::pair<std::string, COdbcCachedStmt>> m_entries;  // most recent first
};
