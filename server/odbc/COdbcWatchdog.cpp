#include "COdbcWatchdog.h"

#include <sqlext.h>

namespace {

const std::chrono::milliseconds kLookEvery(100);

}  // namespace

COdbcWatchdog::~COdbcWatchdog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_stopping.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void COdbcWatchdog::Add(CWatch* watch) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watches.insert(watch);
}

void COdbcWatchdog::Remove(CWatch* watch) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watches.erase(watch);
}

void COdbcWatchdog::EnsureRunning() {
    if (m_started) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable() && !m_stop) m_thread = std::thread([this] { Run(); });
    m_started = true;
}

void COdbcWatchdog::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        const Clock::time_point now = Clock::now();
        for (CWatch* watch : m_watches) {
            // Held while cancelling: the call's end waits, so the statement
            // is not freed meanwhile.
            std::lock_guard<std::mutex> held(watch->m_mutex);
            if (watch->m_stmt && now >= watch->m_deadline) {
                SQLCancel(watch->m_stmt);
                watch->m_stmt = nullptr;
            }
        }
        m_stopping.wait_for(lock, kLookEvery);
    }
}

COdbcWatchdog::CWatch::CWatch(COdbcWatchdog& watchdog) : m_watchdog(watchdog) {
    m_watchdog.Add(this);
}

COdbcWatchdog::CWatch::~CWatch() { m_watchdog.Remove(this); }

COdbcWatchdog::CGuard::CGuard(CWatch* watch, SQLHSTMT stmt, Clock::time_point deadline) {
    if (!watch || deadline == Clock::time_point::max() || !stmt) return;
    watch->m_watchdog.EnsureRunning();
    std::lock_guard<std::mutex> lock(watch->m_mutex);
    watch->m_stmt = stmt;
    watch->m_deadline = deadline;
    m_watch = watch;
}

COdbcWatchdog::CGuard::~CGuard() {
    if (!m_watch) return;
    std::lock_guard<std::mutex> lock(m_watch->m_mutex);
    m_watch->m_stmt = nullptr;
}
