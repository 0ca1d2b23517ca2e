// CSqliteConnection: the server's database object over an SQLite file, with
// the same operations as COdbcConnection. The file runs in WAL mode with
// synchronous=FULL and a busy timeout; values are read as text.
#pragma once

#include "CDbOptions.h"
#include "CQuerySlot.h"
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
        void Reset() { stmt.Reset(); }
    };

    bool Fail(const std::string& message, const std::string& sql);
    bool Run(CSqlStatement& statement, std::string& error);

    std::string m_path;
    CSqliteDb m_db;
    bool m_busy = false;
    CDbOptions m_options;
    std::string m_errorText, m_errorSql;
    int m_errorCode = 0;
    CQuerySlotTable<Cursor> m_slots;
};
