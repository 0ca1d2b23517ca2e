// A report query into ResultText that says so when the row limit cut it.
#pragma once

#include <string>

class COdbcConnection;

// Rows written (at most the connection's row limit), 0 for no row or no
// connection, -1 on an error (text in error). A result with more rows than
// the limit is cut to it and the cut is logged.
int QueryToTextLimited(COdbcConnection& db, const char* sql, const std::string& columnSeparator,
                       const std::string& rowSeparator, std::string& out, std::string& error);
// The SQL, lower-cased, contains "select" somewhere.
bool IsSelectText(const char* sql);
