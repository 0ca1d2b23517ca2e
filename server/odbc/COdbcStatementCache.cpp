#include "COdbcStatementCache.h"

bool COdbcStatementCache::Take(const std::string& text, std::unique_ptr<COdbcStatement>& stmt) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == text) {
            stmt = std::move(it->second);
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

void COdbcStatementCache::Give(const std::string& text, std::unique_ptr<COdbcStatement> stmt) {
    if (!stmt || !stmt->Handle().IsOpen() || m_capacity == 0) return;
    if (!stmt->CloseCursor()) return;
    m_entries.emplace_front(text, std::move(stmt));
    while (m_entries.size() > m_capacity) m_entries.pop_back();
}
