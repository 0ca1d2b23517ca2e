#include "COdbcWatchdog.h"

#include <sqlext.h>

COdbcWatchdog::~COdbcWatchdog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

uint64_t COdbcWatchdog::Watch(SQLHSTMT stmt, Clock::time_point deadline) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Started on first use: a program that sets no limit runs no thread.
    if (!m_thread.joinable()) m_thread = std::thread([this] { Run(); });
    const uint64_t ticket = m_nextTicket++;
    m_watches[ticket] = CWatch{stmt, deadline};
    m_changed.notify_all();
    return ticket;
}

void COdbcWatchdog::Unwatch(uint64_t ticket) {
    // After this returns no cancel reaches the statement: the caller may
    // free it.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watches.erase(ticket);
}

void COdbcWatchdog::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        Clock::time_point next = Clock::time_point::max();
        const Clock::time_point now = Clock::now();
        for (auto it = m_watches.begin(); it != m_watches.end();) {
            if (it->second.deadline <= now) {
                // Held under the lock: the statement cannot be freed meanwhile.
                SQLCancel(it->second.stmt);
                it = m_watches.erase(it);
            } else {
                if (it->second.deadline < next) next = it->second.deadline;
                ++it;
            }
        }
        if (next == Clock::time_point::max())
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, next);
    }
}

COdbcWatchdog::CGuard::CGuard(COdbcWatchdog* watchdog, SQLHSTMT stmt,
                              Clock::time_point deadline) {
    if (!watchdog || deadline == Clock::time_point::max() || !stmt) return;
    m_watchdog = watchdog;
    m_ticket = watchdog->Watch(stmt, deadline);
}

COdbcWatchdog::CGuard::~CGuard() {
    if (m_watchdog) m_watchdog->Unwatch(m_ticket);
}
