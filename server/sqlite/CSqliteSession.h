// CSqliteSession: one connection to the SQLite file of a CSqliteConnection:
// WAL mode with synchronous=FULL and a busy timeout, statements of queries
// kept for reuse, and a progress handler that stops any statement running
// past its deadline. Values are read as text.
#pragma once

#include "CDbSession.h"
#include "CStatementCache.h"
#include "SqliteHandles.h"

#include <set>
#include <string>

class CSqliteCursor;

class CSqliteSession : public CDbSession {
public:
    // A reader (main false) opens the file by itself on first use; the main
    // session only through Open.
    CSqliteSession(const std::string& path, bool main);
    ~CSqliteSession() override;

    bool Open(std::string& error);
    bool IsOpen() const { return m_db.IsOpen(); }

    bool EnsureOpen(const CDbOptions& options, std::string& error) override;
    std::unique_ptr<CDbCursor> OpenQuery(const CSqlStatement& statement, const CDbOptions& options,
                                         int rowLimit, std::string& error) override;
    void EndQuery(std::unique_ptr<CDbCursor> cursor, bool ended, bool full,
                  const CDbOptions& options) override;
    bool Execute(const CSqlStatement& statement, const CDbOptions& options,
                 std::string& error) override;
    std::unique_ptr<CDbCursor> OpenPaged(const CSqlStatement& statement, const CDbOptions& options,
                                         bool& noColumns, std::string& error) override;
    void ClearCache() override { m_cache.Clear(); }
    void SetDeadline(Clock::time_point deadline, int seconds) override;
    void Close() override;

    // The engine's message of the last failure, or the time limit's text
    // when the progress handler stopped the statement.
    std::string ErrorText() const;

private:
    friend class CSqliteCursor;

    static int OnProgress(void* session);
    // Prepares the first statement of the text with its bind variables bound.
    bool PrepareBound(const CSqlStatement& statement, CSqliteStmt& stmt, std::string& error);
    // The statement of a query with its values bound, from the cache when
    // one of the same shape was run before; key receives the text it goes
    // back under (empty: not kept).
    bool PrepareQuery(const CSqlStatement& statement, CSqliteStmt& stmt, std::string& key,
                      std::string& error);

    std::string m_path;
    bool m_main;
    CSqliteDb m_db;
    CStatementCache m_cache;  // after m_db: finalized before it closes
    std::set<CSqliteCursor*> m_cursors;  // finalized before the file closes
    Clock::time_point m_deadline = Clock::time_point::max();
    int m_limitSeconds = 0;
    int m_busyMs = -1;
    bool m_stopped = false;  // the progress handler stopped the last statement
};
