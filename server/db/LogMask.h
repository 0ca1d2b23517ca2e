// Log texts without secrets: the values an SQL text gives or compares to a
// password column are shown as ***, in the SQL and in an error text about it.
#pragma once

#include <string>
#include <vector>

// The text that stands for a hidden value.
extern const char kMaskedValue[];

// True for a column name that holds passwords ("USER_PASSWD", "t.password",
// "login_pwd").
bool IsPasswordColumn(const std::string& name);

// The SQL with every secret value masked: the operand of a comparison or
// assignment with a password column (=, <>, !=, LIKE, IN (...)) and, in an
// INSERT, the values at a password column's position (every value when the
// INSERT names no columns). Quoted literals stay quoted: '***'.
std::string MaskSqlSecrets(const std::string& sql);
// The secret values of the SQL as they stand in it, quotes removed.
std::vector<std::string> FindSqlSecrets(const std::string& sql);
// The text (a driver's error message about the SQL) with every secret value
// of the SQL masked wherever it is repeated.
std::string MaskSecretsOf(const std::string& text, const std::string& sql);
