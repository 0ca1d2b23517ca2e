// CSqliteConnection: the server's database object over an SQLite file, with
// the same operations as COdbcConnection (CDbConnectionBase). The file runs
// in WAL mode with synchronous=FULL and a busy timeout; values are read as
// text; reader sessions open the same file.
#pragma once

#include "CDbConnectionBase.h"

#include <string>

class CListString;

class CSqliteConnection : public CDbConnectionBase {
public:
    CSqliteConnection();
    ~CSqliteConnection() override;

    // Opens (or creates) the file at path (UTF-8); the other texts are not used.
    bool Connect(const char* path, const char* password = "", const char* server = "",
                 const char* extra = "");
    bool Close();
    bool IsConnected() const;

    // The creation statement of the table as ResultText ("sql" header line).
    bool DescribeTable(const char* table, CListString& out);
    // As DescribeTable; the error text of a failure goes to error.
    bool DescribeTable(const char* table, CListString& out, std::string& error);
    // Nothing to check in a file; true.
    bool CheckSetup(std::string& problem);

protected:
    std::unique_ptr<CDbSession> MakeSession(bool main) override;

private:
    std::string m_path;
    bool m_open = false;
};
