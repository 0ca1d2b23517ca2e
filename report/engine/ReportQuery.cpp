#include "ReportQuery.h"

#include "CListString.h"
#include "COdbcConnection.h"
#include "LogWriter.h"

#include <string>

int QueryToTextLimited(COdbcConnection& db, const char* sql, const std::string& columnSeparator,
                       const std::string& rowSeparator, std::string& out, std::string& error) {
    out.clear();
    error.clear();
    db.SetOption(6, columnSeparator.c_str());
    db.SetOption(8, rowSeparator.c_str());
    const int limit = db.GetOptions().rowLimit;
    // One row more than the limit tells whether the limit cut the result.
    const bool probe = limit > 0 && !rowSeparator.empty();
    if (probe) db.SetOption(1, std::to_string(limit + 1).c_str());
    CListString text, errorText;
    int rows = db.QueryToText(sql, text, errorText);
    if (probe) db.SetOption(1, std::to_string(limit).c_str());
    out = text.StdString();
    error = errorText.StdString();
    if (probe && rows > limit) {
        // Drop the last line: it ends with the row separator, like all lines.
        const size_t lastEnd = out.size() - rowSeparator.size();
        const size_t previous = out.rfind(rowSeparator, lastEnd == 0 ? 0 : lastEnd - 1);
        if (previous != std::string::npos) out.resize(previous + rowSeparator.size());
        rows = limit;
        LogMessage("查询结果超过 %d 行，只取前 %d 行\n", limit, limit);
    }
    return rows;
}

bool IsSelectText(const char* sql) {
    if (!sql) return false;
    CListString lower(sql);
    lower.MakeLower();
    return lower.Find("select") >= 0;
}
