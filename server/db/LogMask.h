// Log texts without secrets: the values an SQL text gives or compares to a
// password column are shown as ***, in the SQL and in an error text about it;
// and what a client sent, fit for one log line of bounded length.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The text that stands for a hidden value.
extern const char kMaskedValue[];

// True for a column name that holds passwords ("USER_PASSWD", "t.password",
// "login_pwd").
bool IsPasswordColumn(const std::string& name);

// The SQL with every secret value masked: when it names a password column
// anywhere, or is an INSERT that names no columns, every string and number
// literal; besides, the operand of a comparison or assignment with a
// password column (=, <>, !=, LIKE, IN (...)) and, in an INSERT, the values
// at a password column's position, whatever their kind. Quoted literals
// stay quoted: '***'.
std::string MaskSqlSecrets(const std::string& sql);
// The secret values of the SQL as they stand in it, quotes removed.
std::vector<std::string> FindSqlSecrets(const std::string& sql);
// The text (a driver's error message about the SQL) with every secret value
// of the SQL masked wherever it is repeated.
std::string MaskSecretsOf(const std::string& text, const std::string& sql);

// How many bytes of a client's text a log line shows.
const size_t kClientTextLogLimit = 4096;

// What a client sent, fit for a log line: control characters escaped
// ("\n", "\x1b"), cut after kClientTextLogLimit bytes (between characters)
// with the whole length said.
std::string ClientTextForLog(const std::string& text);
// An SQL text for the log: its secrets masked, then as ClientTextForLog.
std::string SqlForLog(const std::string& sql);
// An error text about the SQL for the log: the SQL's secrets masked in it,
// then as ClientTextForLog.
std::string ErrorForLog(const std::string& text, const std::string& sql);
