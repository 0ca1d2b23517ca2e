// COdbcWatchdog: cancels ODBC statements that run past their deadline, from
// a thread of its own (SQLCancel is the one call ODBC allows on a statement
// another thread is running). Drivers that honour SQL_ATTR_QUERY_TIMEOUT
// stop by themselves; this stops the ones that ignore it, like the SQLite
// driver. Each session has one watch that its calls set and clear, which
// costs two uncontended locks a call; the thread looks every tenth of a
// second.
#pragma once

#include <sql.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

class COdbcWatchdog {
public:
    typedef std::chrono::steady_clock Clock;

    // The call a session is running.
    class CWatch {
    public:
        explicit CWatch(COdbcWatchdog& watchdog);
        ~CWatch();
        CWatch(const CWatch&) = delete;
        CWatch& operator=(const CWatch&) = delete;

    private:
        friend class COdbcWatchdog;
        COdbcWatchdog& m_watchdog;
        std::mutex m_mutex;
        SQLHSTMT m_stmt = nullptr;
        Clock::time_point m_deadline = Clock::time_point::max();
    };

    // Watches one call on the statement: cancelled when it is still running
    // at the deadline. No watch, or a deadline of Clock::time_point::max(),
    // watches nothing.
    class CGuard {
    public:
        CGuard(CWatch* watch, SQLHSTMT stmt, Clock::time_point deadline);
        // After this no cancel reaches the statement: it may be freed.
        ~CGuard();
        CGuard(const CGuard&) = delete;
        CGuard& operator=(const CGuard&) = delete;

    private:
        CWatch* m_watch = nullptr;
    };

    COdbcWatchdog() = default;
    ~COdbcWatchdog();
    COdbcWatchdog(const COdbcWatchdog&) = delete;
    COdbcWatchdog& operator=(const COdbcWatchdog&) = delete;

private:
    void Add(CWatch* watch);
    void Remove(CWatch* watch);
    // Started with the first call that has a deadline.
    void EnsureRunning();
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_stopping;
    std::set<CWatch*> m_watches;
    bool m_stop = false;
    std::atomic<bool> m_started{false};
    std::thread m_thread;
};
