// CStatementCache: prepared read-only statements kept for reuse, keyed by
// their exact text. A statement is taken out while it runs and given back
// reset, so no cached statement holds a read transaction open; beyond the
// capacity the least recently used one is finalized.
#pragma once

#include "SqliteHandles.h"

#include <list>
#include <string>
#include <utility>

class CStatementCache {
public:
    explicit CStatementCache(size_t capacity = 32) : m_capacity(capacity) {}

    // The statement prepared for text, moved out of the cache; false when
    // none is kept.
    bool Take(const std::string& text, CSqliteStmt& stmt);
    // Resets the statement and keeps it for text; a statement that writes
    // is finalized instead.
    void Give(const std::string& text, CSqliteStmt&& stmt);
    // Finalizes every statement (before the database closes).
    void Clear() { m_entries.clear(); }
    size_t Size() const { return m_entries.size(); }

private:
    size_t m_capacity;
    std::list<std::pair<std::string, CSqliteStmt>> m_entries;  // most recent first
};
