#include "ResultText.h"

#include "CDbCursor.h"
#include "CResultSet.h"

void SetResultFields(CResultSet& result, const std::vector<std::string>& names) {
    for (const std::string& name : names) result.AddField(name.c_str());
}

void AddResultRow(CResultSet& result, const std::vector<std::string>& values) {
    CResultRow row;
    row.reserve(values.size());
    for (const std::string& v : values) row.emplace_back(v.c_str(), static_cast<int>(v.size()));
    result.AddRow(std::move(row));
}

void AppendResultLine(std::string& out, const std::vector<std::string>& values,
                      const std::string& sep, const std::string& lineSep) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += sep;
        out += values[i];
    }
    out += lineSep;
}

namespace {

// Reads at most limit rows, handing each to take; the rows read or -1.
template <class Take>
int ReadRows(CDbCursor& cursor, int limit, bool& ended, std::string& error, Take take) {
    ended = false;
    // A statement without result columns has no rows to fetch.
    if (cursor.Columns().empty()) {
        ended = true;
        return 0;
    }
    std::vector<std::string> values;
    int rows = 0;
    while (rows < limit) {
        const int got = cursor.Fetch(values, error);
        if (got < 0) return -1;
        if (got == 0) {
            ended = true;
            break;
        }
        take(values);
        ++rows;
    }
    return rows;
}

}  // namespace

int FillResultSet(CDbCursor& cursor, int limit, bool withFields, CResultSet& result,
                  bool& ended, std::string& error) {
    if (withFields) SetResultFields(result, cursor.Columns());
    return ReadRows(cursor, limit, ended, error,
                    [&](const std::vector<std::string>& values) { AddResultRow(result, values); });
}

int FillResultText(CDbCursor& cursor, int limit, bool header, const std::string& sep,
                   const std::string& lineSep, std::string& out, bool& ended,
                   std::string& error) {
    if (header) AppendResultLine(out, cursor.Columns(), sep, lineSep);
    return ReadRows(cursor, limit, ended, error, [&](const std::vector<std::string>& values) {
        AppendResultLine(out, values, sep, lineSep);
    });
}
