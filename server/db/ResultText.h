// Helpers of both database objects that turn rows read as std::string into
// a CResultSet or into ResultText lines.
#pragma once

#include <string>
#include <vector>

class CResultSet;

void SetResultFields(CResultSet& result, const std::vector<std::string>& names);
void AddResultRow(CResultSet& result, const std::vector<std::string>& values);
// Appends the values joined by sep and ended by lineSep.
void AppendResultLine(std::string& out, const std::vector<std::string>& values,
                      const std::string& sep, const std::string& lineSep);
