// RAII owners of an SQLite database handle and a prepared statement.
#pragma once

#include <sqlite3.h>

#include <string>

class CSqliteDb {
public:
    CSqliteDb() = default;
    ~CSqliteDb() { Reset(); }
    CSqliteDb(const CSqliteDb&) = delete;
    CSqliteDb& operator=(const CSqliteDb&) = delete;

    // Opens or creates the file; on failure the handle stays closed and the
    // error text says why.
    bool Open(const std::string& path, std::string& error);
    void Reset();
    sqlite3* Get() const { return m_db; }
    bool IsOpen() const { return m_db != nullptr; }
    std::string ErrorText() const;

private:
    sqlite3* m_db = nullptr;
};

class CSqliteStmt {
public:
    CSqliteStmt() = default;
    ~CSqliteStmt() { Reset(); }
    CSqliteStmt(const CSqliteStmt&) = delete;
    CSqliteStmt& operator=(const CSqliteStmt&) = delete;
    CSqliteStmt(CSqliteStmt&& other) noexcept : m_stmt(other.m_stmt) { other.m_stmt = nullptr; }
    CSqliteStmt& operator=(CSqliteStmt&& other) noexcept;

    // Prepares the first statement of text; tail receives the rest. A text
    // of only blanks and comments prepares no statement (Get() is null).
    bool Prepare(sqlite3* db, const char* text, const char** tail, std::string& error);
    void Reset();  // finalizes
    sqlite3_stmt* Get() const { return m_stmt; }
    bool IsOpen() const { return m_stmt != nullptr; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};
