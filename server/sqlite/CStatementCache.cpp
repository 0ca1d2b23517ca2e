#include "CStatementCache.h"

bool CStatementCache::Take(const std::string& text, CSqliteStmt& stmt) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == text) {
            stmt = std::move(it->second);
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

void CStatementCache::Give(const std::string& text, CSqliteStmt&& stmt) {
    if (!stmt.IsOpen() || m_capacity == 0) return;
    sqlite3_stmt* s = stmt.Get();
    // Ends the statement's read transaction, so later reads see new commits.
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (!sqlite3_stmt_readonly(s)) {
        stmt.Reset();
        return;
    }
    m_entries.emplace_front(text, std::move(stmt));
    while (m_entries.size() > m_capacity) m_entries.pop_back();
}
