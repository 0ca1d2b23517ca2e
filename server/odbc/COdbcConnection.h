// COdbcConnection: the server's database object over unixODBC. One
// connection (auto-commit unless the commit type is 0), queries into result
// sets or ResultText with every value as text, statements with bound
// parameters, table descriptions and 20 paged-query slots. Failures are status values with the last error
// text kept in the object.
#pragma once

#include "CDbOptions.h"
#include "COdbcStatementCache.h"
#include "CQuerySlot.h"
#include "OdbcHandles.h"

#include <string>
#include <vector>

class CListString;
class CResultSet;
class CSqlStatement;

class COdbcConnection {
public:
    COdbcConnection();
    ~COdbcConnection();
    COdbcConnection(const COdbcConnection&) = delete;
    COdbcConnection& operator=(const COdbcConnection&) = delete;

    // Stores user, password and data source name, then logs on.
    bool Connect(const char* user, const char* password, const char* server,
                 const char* extra = "");
    // Commits and logs off; true. The next operation logs on again.
    bool Close();
    bool IsConnected() const { return m_connected; }

    void SetConnectParams(const char* user, const char* password, const char* server,
                          const char* extra = "");
    // False with "已经连接" when already connected.
    bool Logon();
    // Connected, after one logon attempt when needed.
    bool EnsureConnected();

    // Rows read (at most option 1), or -1 with the error text.
    int Query(const char* sql, CResultSet& result, CListString& errorText);
    // As Query, for a statement that carries its parameters.
    int Query(const CSqlStatement& statement, CResultSet& result, CListString& errorText);
    // The rows as ResultText with options 6 and 8 as separators and a header
    // line when option 9 is not 0; rows written (at most option 1), 0 when
    // no connection can be made, -1 on an error.
    int QueryToText(const char* sql, CListString& out, CListString& errorText);
    // Runs one statement (brace date literals bound); commits when option 2
    // is not 0. The last error text becomes "success" or the driver's message.
    bool Execute(const char* sql, CListString& errorText);
    // As Execute, for a statement that carries its parameters; the error
    // text is left in the statement.
    bool ExecuteWithParams(CSqlStatement& statement);

    // Opens a paged query; false for a statement without result columns
    // (not run), a failure, or when all 20 slots are in use.
    bool SelectPrepare(const char* sql, CListString& slotId, CListString& errorText);
    // Up to option-5 rows with the header fields; 0 at the end, -1 for an
    // unknown SlotId or a failed fetch.
    int SelectNext(const char* slotId, CResultSet& result);
    bool SelectFinish(const char* slotId);
    void CloseIdleSlots();

    // One line per column: name, tab, type name, tab, size, tab, "0", line feed.
    bool DescribeTable(const char* table, CListString& out);

    void SetOption(int option, const char* value);
    const CDbOptions& GetOptions() const { return m_options; }
    CListString GetErrorText() const;
    int GetErrorCode() const { return m_errorCode; }

private:
    struct Column {
        std::string name;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT scale = 0;
        SQLSMALLINT nullable = 0;
    };
    struct Cursor {
        COdbcStmt stmt;
        std::vector<Column> columns;
        bool done = false;  // fetched to the end
        void Reset() {
            stmt.Reset();
            columns.clear();
            done = false;
        }
    };

    // Stores the error, logs it, and marks a lost connection for reconnection.
    void Fail(const COdbcHandle& handle, const std::string& sql, std::string& message);
    void FailText(const std::string& text, const std::string& sql);
    // Allocates and prepares a statement of the driver text with its
    // parameters bound, then runs it unless prepareOnly is set (the caller
    // then runs it with Run).
    bool PrepareAndRun(const CSqlStatement& statement, COdbcStmt& stmt, bool prepareOnly,
                       std::string& error);
    // Runs a query of a known shape on its kept statement (prepared on first
    // use) with the shape's values bound; false, with no error kept, when
    // the query has no shape or anything fails.
    bool RunShaped(const CSqlStatement& statement, COdbcCachedStmt& entry, std::string& key);
    bool DescribeColumns(COdbcStmt& stmt, std::vector<Column>& columns, std::string& error);
    // 1 a row was read, 0 no more rows, -1 an error.
    int FetchRow(COdbcStmt& stmt, const std::vector<Column>& columns,
                 std::vector<std::string>& values, std::string& error);
    bool FormatValue(COdbcStmt& stmt, SQLUSMALLINT index, const Column& column,
                     std::string& value);
    bool EndTransaction(bool commit, std::string& error);
    // Auto-commit on for a commit type other than 0, off for 0.
    SQLRETURN ApplyCommitMode();
    // The operations themselves; the public ones run them again once after a
    // failure that lost an open connection (nothing of it was committed).
    int QueryOnce(const CSqlStatement& statement, CResultSet& result, CListString& errorText);
    int QueryToTextOnce(const char* sql, CListString& out, CListString& errorText);
    bool ExecuteOnce(CSqlStatement& statement);
    bool SelectPrepareOnce(const char* sql, CListString& slotId, CListString& errorText);
    bool DescribeTableOnce(const char* table, CListString& out);
    bool ConnectionDead();

    std::string m_user, m_password, m_server, m_extra;
    COdbcEnv m_env;
    COdbcDbc m_dbc;
    bool m_connected = false;
    bool m_lostConnection = false;  // the last failure found the connection gone
    CDbOptions m_options;
    std::string m_errorText, m_errorSql, m_errorVar;
    int m_errorCode = 0;
    CQuerySlotTable<Cursor> m_slots;
    COdbcStatementCache m_cache;  // statements of m_dbc, freed before it
};
