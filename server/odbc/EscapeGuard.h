// The statement text for an ODBC driver that scans it for escape sequences
// ("{d ...}", "{fn ...}") whatever SQL_ATTR_NOSCAN says, as the SQLite
// driver does, in a time that doubles with every unclosed brace. The
// server's own brace pieces never reach a driver; what is left is kept
// from the scan.
#pragma once

#include <string>

// The text with its comments blanked out; false with the error text when a
// "{" stands outside a quoted literal.
bool GuardEscapes(const std::string& sql, std::string& out, std::string& error);
