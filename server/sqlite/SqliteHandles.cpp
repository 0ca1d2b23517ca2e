#include "SqliteHandles.h"

#include <mutex>

namespace {

// Memory statistics take a process-wide mutex on every allocation of the
// library; nothing here reads them. Only possible before the library
// starts, so a later call changes nothing.
void ConfigureLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    });
}

}  // namespace

bool CSqliteDb::Open(const std::string& path, std::string& error) {
    Reset();
    ConfigureLibrary();
    sqlite3* db = nullptr;
    // One thread at a time uses a connection (the server mutex), so the
    // connection's own mutex, taken on every call, is left out.
    int rc = sqlite3_open_v2(path.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    return true;
}

void CSqliteDb::Reset() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

std::string CSqliteDb::ErrorText() const {
    return m_db ? sqlite3_errmsg(m_db) : "database is not open";
}

CSqliteStmt& CSqliteStmt::operator=(CSqliteStmt&& other) noexcept {
    if (this != &other) {
        Reset();
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

bool CSqliteStmt::Prepare(sqlite3* db, const char* text, const char** tail, std::string& error) {
    Reset();
    if (!db) {
        error = "database is not open";
        return false;
    }
    int rc = sqlite3_prepare_v2(db, text, -1, &m_stmt, tail);
    if (rc != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        Reset();
        return false;
    }
    return true;
}

void CSqliteStmt::Reset() {
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}
