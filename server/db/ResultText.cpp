#include "ResultText.h"

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
