// The connection string a session logs on with: the data source (or the
// connection string the ini file gives), the account, and the options the
// server needs of the SQLite ODBC driver, so that a data source written
// with only its driver and database serves as well as one that lumenosetup
// wrote.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The drivers whose options the server sets.
enum class OdbcDriverKind { kOther, kSqlite, kPsql };

// The key=value pairs of a connection string, in order; a value in braces
// is given without them ("}}" inside stands for "}").
using COdbcConnectPairs = std::vector<std::pair<std::string, std::string>>;
COdbcConnectPairs ParseConnectString(const std::string& text);
// The pairs as a connection string; a value holding ';', braces or blanks
// at its ends goes in braces.
std::string JoinConnectString(const COdbcConnectPairs& pairs);

// "DSN=<server>" (or server itself when it holds '='), with UID and PWD
// when they are given.
std::string BaseConnectText(const std::string& server, const std::string& user,
                            const std::string& password);
// Which of the drivers a connection's DBMS and driver name are.
OdbcDriverKind DriverKindOf(const std::string& dbmsName, const std::string& driverName);
// The base text with the driver's options: for the SQLite driver stepped
// results, short column names, 64-bit integers, WAL, synchronous FULL and a
// busy timeout of 10 s (unless the connection string gives one). Other
// drivers take none (psqlODBC's ConnSettings would replace the data
// source's own: the session sets the client encoding after logging on).
std::string WithDriverOptions(const std::string& base, OdbcDriverKind kind);
