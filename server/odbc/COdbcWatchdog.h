// COdbcWatchdog: cancels ODBC statements that run past their deadline, from
// a thread of its own (SQLCancel is the one call ODBC allows on a statement
// another thread is running). Drivers that honour SQL_ATTR_QUERY_TIMEOUT
// stop by themselves; this stops the ones that ignore it, like the SQLite
// driver.
#pragma once

#include <sql.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

class COdbcWatchdog {
public:
    typedef std::chrono::steady_clock Clock;

    COdbcWatchdog() = default;
    ~COdbcWatchdog();
    COdbcWatchdog(const COdbcWatchdog&) = delete;
    COdbcWatchdog& operator=(const COdbcWatchdog&) = delete;

    // Watches one call on the statement: cancelled when it is still running
    // at the deadline. No watchdog, or a deadline of
    // Clock::time_point::max(), watches nothing.
    class CGuard {
    public:
        CGuard(COdbcWatchdog* watchdog, SQLHSTMT stmt, Clock::time_point deadline);
        ~CGuard();
        CGuard(const CGuard&) = delete;
        CGuard& operator=(const CGuard&) = delete;

    private:
        COdbcWatchdog* m_watchdog = nullptr;
        uint64_t m_ticket = 0;
    };

private:
    struct CWatch {
        SQLHSTMT stmt;
        Clock::time_point deadline;
    };

    uint64_t Watch(SQLHSTMT stmt, Clock::time_point deadline);
    void Unwatch(uint64_t ticket);
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<uint64_t, CWatch> m_watches;
    uint64_t m_nextTicket = 1;
    bool m_stop = false;
    std::thread m_thread;
};
