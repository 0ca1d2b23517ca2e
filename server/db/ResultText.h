// Helpers of both database objects that turn rows read as std::string into
// a CResultSet or into ResultText lines, and that read a cursor's rows into
// either.
#pragma once

#include <string>
#include <vector>

class CDbCursor;
class CResultSet;

void SetResultFields(CResultSet& result, const std::vector<std::string>& names);
void AddResultRow(CResultSet& result, const std::vector<std::string>& values);
// Appends the values joined by sep and ended by lineSep.
void AppendResultLine(std::string& out, const std::vector<std::string>& values,
                      const std::string& sep, const std::string& lineSep);

// Reads at most limit rows of the cursor into the result (fields first when
// withFields); the rows read, or -1 with the error text. ended tells whether
// the cursor reported its end.
int FillResultSet(CDbCursor& cursor, int limit, bool withFields, CResultSet& result,
                  bool& ended, std::string& error);
// The same as ResultText lines appended to out, the header line first when
// header is set.
int FillResultText(CDbCursor& cursor, int limit, bool header, const std::string& sep,
                   const std::string& lineSep, std::string& out, bool& ended,
                   std::string& error);
