// CReportRunner: what taverixrun does: export a query's rows into a data
// file, and run a report script on a data file with the runner's own
// script interface.
#pragma once

#include <string>

class CReportRunner {
public:
    // The query's ResultText (characters 1 and 2 as separators) written to
    // outputPath; false when the SQL is no select, the logon or the query
    // fails, there is no row, or the file cannot be written.
    bool ExportQuery(const char* user, const char* password, const char* dataSource,
                     const char* sql, const char* outputPath);
    // False when the script is missing, has no template_file, the template
    // does not open or the result cannot be saved.
    bool RunReportScript(const char* scriptPath, const char* dataPath);

    const std::string& GetLastError() const { return m_lastError; }

private:
    bool Fail(const std::string& message);

    std::string m_lastError;
};
