// COdbcStatementCache: prepared query statements of one connection kept for
// reuse, keyed by their text, with their parameters and column buffers. A
// statement is taken out while it runs and given back with its cursor
// closed; beyond the capacity the least recently used one is freed.
// Cleared before the connection it belongs to goes.
#pragma once

#include "COdbcStatement.h"

#include <list>
#include <memory>
#include <string>
#include <utility>

class COdbcStatementCache {
public:
    explicit COdbcStatementCache(size_t capacity = 32) : m_capacity(capacity) {}

    // The statement kept for text, moved out of the cache; false when none.
    bool Take(const std::string& text, std::unique_ptr<COdbcStatement>& stmt);
    // Closes the statement's cursor and keeps it for text.
    void Give(const std::string& text, std::unique_ptr<COdbcStatement> stmt);
    void Clear() { m_entries.clear(); }

private:
    size_t m_capacity;
    std::list<std::pair<std::string, std::unique_ptr<COdbcStatement>>> m_entries;  // most recent first
};
