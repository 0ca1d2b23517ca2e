// COdbcSession: one ODBC connection of a COdbcConnection. It logs on with
// the data source (or a whole connection string) and the options the
// server needs of its driver (UTF-8 for psqlODBC), runs in auto-commit
// unless the commit type is 0, keeps query statements for reuse, and logs
// on again when it finds the connection gone. Over PostgreSQL a query's
// row cap goes into its text (LIMIT) and a paged query reads from a cursor
// the database holds.
#pragma once

#include "CBindValue.h"
#include "CDbSession.h"
#include "COdbcStatement.h"
#include "COdbcStatementCache.h"
#include "COdbcWatchdog.h"
#include "OdbcConnectText.h"
#include "OdbcHandles.h"

#include <memory>
#include <set>
#include <string>

class COdbcCursorBase;

// What a session logs on with: user, password, data source name (or a
// connection string holding "=") and a fourth text, stored and not used.
struct COdbcLogin {
    std::string user, password, server, extra;
};

class COdbcSession : public CDbSession {
public:
    COdbcSession(const COdbcLogin& login, COdbcWatchdog& watchdog, bool main);
    ~COdbcSession() override;

    // False with "已经连接" when connected, or with the driver's text.
    bool Logon(const CDbOptions& options, std::string& error);
    bool IsConnected() const { return m_connected; }

    bool EnsureOpen(const CDbOptions& options, std::string& error) override;
    std::unique_ptr<CDbCursor> OpenQuery(const CSqlStatement& statement, const CDbOptions& options,
                                         int rowLimit, std::string& error) override;
    void EndQuery(std::unique_ptr<CDbCursor> cursor, bool ended, bool full,
                  const CDbOptions& options) override;
    void QueryFailed(const CDbOptions& options) override;
    bool Execute(const CSqlStatement& statement, const CDbOptions& options,
                 std::string& error) override;
    std::unique_ptr<CDbCursor> OpenPaged(const CSqlStatement& statement, const CDbOptions& options,
                                         bool& noColumns, std::string& error) override;
    bool ConnectionLost() const override { return m_lost; }
    // PostgreSQL holds a paged query's rows for the session, no snapshot.
    bool CursorHoldsSnapshot() const override { return !m_postgres; }
    void ClearCache() override { m_cache.Clear(); }
    void SetDeadline(Clock::time_point deadline, int seconds) override;
    void Close() override;

    // One line per column of the table: name, tab, type name, tab, size,
    // tab, "0", line feed.
    bool DescribeTable(const std::string& table, const CDbOptions& options, std::string& out,
                       std::string& error);
    // Empty when the data source gives what the server needs, else what is
    // missing and how to set it.
    std::string CheckSetup();

    // For the cursors: a new statement of this connection, the watchdog's
    // deadline on a statement, and the text of a failure (which notes a
    // lost connection).
    bool NewStatement(std::unique_ptr<COdbcStatement>& stmt, std::string& error);
    void Watch(COdbcStatement& stmt) { stmt.Watch(&m_watch, m_deadline); }
    void Failure(const COdbcHandle& handle, std::string& message);
    const COdbcStatement::CDriverInfo& Driver() const { return m_driver; }
    void Register(COdbcCursorBase* cursor) { m_cursors.insert(cursor); }
    void Unregister(COdbcCursorBase* cursor) { m_cursors.erase(cursor); }

private:
    // Logs on with the connection string on a new connection handle (an
    // earlier one is closed); false with the driver's text.
    bool Connect(const std::string& text, std::string& error);
    // A text the driver gives about the connection (SQLGetInfo).
    std::string InfoText(SQLUSMALLINT item) const;
    bool ConnectionDead();
    // Frees the cursors' statements and the kept ones, then the connection.
    void DropConnection();
    SQLRETURN ApplyCommitMode(const CDbOptions& options);
    bool EndTransaction(bool commit, std::string& error);
    // The statement text as the driver gets it; see GuardEscapes.
    bool DriverText(const std::string& sql, std::string& text, std::string& error);
    bool TimedOut() const;
    // A new statement of the text with its values bound (text and values
    // stay for the caller); false with the error.
    bool PrepareBound(const CSqlStatement& statement, const CDbOptions& options,
                      std::unique_ptr<COdbcStatement>& stmt, std::string& text,
                      std::vector<CBindValue>& values, std::string& error);
    // A query of a known shape on its kept statement: null (nothing kept
    // as error) when it cannot run that way.
    std::unique_ptr<CDbCursor> RunShaped(const std::string& shape,
                                         const std::vector<long long>& values,
                                         const CDbOptions& options, int rowLimit);

    COdbcLogin m_login;
    std::string m_connectText;  // with the driver's options, once known
    OdbcDriverKind m_driverKind = OdbcDriverKind::kOther;
    COdbcWatchdog::CWatch m_watch;
    bool m_main;
    COdbcEnv m_env;
    COdbcDbc m_dbc;
    bool m_connected = false;
    bool m_everConnected = false;
    bool m_lost = false;  // the last failure found the connection gone
    int m_commitMode = -1;  // applied auto-commit: 1 on, 0 off, -1 not yet
    std::string m_dbms;
    bool m_postgres = false;
    bool m_resumesCursors = false;  // the SQLite driver: see EndQuery
    bool m_noScan = true;  // the driver honours SQL_ATTR_NOSCAN
    COdbcStatement::CDriverInfo m_driver;
    unsigned m_heldCursors = 0;  // names of the cursors PostgreSQL holds
    Clock::time_point m_deadline = Clock::time_point::max();
    int m_limitSeconds = 0;
    std::set<COdbcCursorBase*> m_cursors;
    COdbcStatementCache m_cache;  // statements of m_dbc, freed before it
};
