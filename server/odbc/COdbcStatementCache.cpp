#include "COdbcStatementCache.h"

bool COdbcStatementCache::Take(const std::string& text, COdbcCachedStmt& entry) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == text) {
            entry = std::move(it->second);
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

void COdbcStatementCache::Give(const std::string& text, COdbcCachedStmt&& entry) {
    if (!entry.stmt.IsOpen() || m_capacity == 0) return;
    if (!OdbcOk(SQLFreeStmt(entry.stmt.Get(), SQL_CLOSE))) {
        entry.stmt.Reset();
        return;
    }
    m_entries.emplace_front(text, std::move(entry));
    while (m_entries.size() > m_capacity) m_entries.pop_back();
}
