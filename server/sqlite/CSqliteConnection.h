// CSqliteConnection: the server's database object over an SQLite file, with
// the same operations as COdbcConnection. The file runs in WAL mode with
// synchronous=FULL and a busy timeout; values are read as text.
#pragma once

#include "CDbOptions.h"
#include "CQuerySlot.h"
#include "CStatementCache.h"
#include "SqliteHandles.h"

#include <string>

class CListString;
class CResultSet;
class CSqlStatement;

class CSqliteConnection {
public:
    CSqliteConnection();
    ~CSqliteConnection();
    CSqliteConnection(const CSqliteConnection&) = delete;
    CSqliteConnection& operator=(const CSqliteConnection&) = delete;

    // Opens (or creates) the file at path (UTF-8); the other texts are not used.
    bool Connect(const char* path, const char* password = "", const char* server = "",
                 const char* extra = "");
    bool Close();
    bool IsConnected() const { return m_db.IsOpen(); }

    int Query(const char* sql, CResultSet& result, CListString& errorText);
    // As Query, for a statement that carries its parameters.
    int Query(const CSqlStatement& statement, CResultSet& result, CListString& errorText);
    int QueryToText(const char* sql, CListString& out, CListString& errorText);
    bool Execute(const char* sql, CListString& errorText);
    bool ExecuteWithParams(CSqlStatement& statement);

    bool SelectPrepare(const char* sql, CListString& slotId, CListString& errorText);
    int SelectNext(const char* slotId, CResultSet& result);
    bool SelectFinish(const char* slotId);
    void CloseIdleSlots();

    // The creation statement of the table as ResultText ("sql" header line).
    bool DescribeTable(const char* table, CListString& out);

    void SetOption(int option, const char* value);
    const CDbOptions& GetOptions() const { return m_options; }
    CListString GetErrorText() const;
    int GetErrorCode() const { return m_errorCode; }

private:
    struct Cursor {
        CSqliteStmt stmt;
        bool done = false;  // a finished statement must not be stepped again (it restarts)
        void Reset() {
            stmt.Reset();
            done = false;
        }
    };

    // Prepares the first statement of the text with its bind variables bound.
    bool PrepareBound(const CSqlStatement& statement, CSqliteStmt& stmt, std::string& error);
    // The statement of a query with its values bound, from the cache when
    // one of the same shape was run before; key receives the text it goes
    // back under (empty: not kept).
    bool PrepareQuery(const CSqlStatement& statement, CSqliteStmt& stmt, std::string& key,
                      std::string& error);
    // Runs every statement of the text, binding its variables in order.
    bool Run(const CSqlStatement& statement, std::string& error);
    void LogError(const std::string& message, const std::string& sql);

    std::string m_path;
    CSqliteDb m_db;
    CStatementCache m_cache;  // after m_db: finalized before it closes
    bool m_busy = false;
    CDbOptions m_options;
    std::string m_errorText, m_errorSql;
    int m_errorCode = 0;
    CQuerySlotTable<Cursor> m_slots;
};
