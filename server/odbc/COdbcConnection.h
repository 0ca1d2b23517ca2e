// COdbcConnection: the server's database object over unixODBC
// (CDbConnectionBase over COdbcSession): connections by user, password and
// data source name (auto-commit unless the commit type is 0), queries into
// result sets or ResultText with every value as text, statements with
// bound parameters, table descriptions and 20 paged-query slots. Failures
// are status values with the last error text kept in the object.
#pragma once

#include "CDbConnectionBase.h"
#include "COdbcSession.h"
#include "COdbcWatchdog.h"

#include <string>

class CListString;

class COdbcConnection : public CDbConnectionBase {
public:
    COdbcConnection();
    ~COdbcConnection() override;

    // Stores user, password and data source name, then logs on.
    bool Connect(const char* user, const char* password, const char* server,
                 const char* extra = "");
    // Commits and logs off; true. The next operation logs on again.
    bool Close();
    bool IsConnected() const;

    void SetConnectParams(const char* user, const char* password, const char* server,
                          const char* extra = "");
    // False with "已经连接" when already connected.
    bool Logon();
    // Connected, after one logon attempt when needed.
    bool EnsureConnected();

    // One line per column: name, tab, type name, tab, size, tab, "0", line feed.
    bool DescribeTable(const char* table, CListString& out);
    // As DescribeTable; the error text of a failure goes to error.
    bool DescribeTable(const char* table, CListString& out, std::string& error);
    // False with what to change when the connected data source lacks a
    // setting the server needs that its logon could not give it (a UTF-8
    // client encoding for PostgreSQL through a driver other than psqlODBC).
    bool CheckSetup(std::string& problem);

protected:
    std::unique_ptr<CDbSession> MakeSession(bool main) override;

private:
    COdbcLogin m_login;
    COdbcWatchdog m_watchdog;  // outlives the sessions (dropped by the destructor)
};
