// select, select2, desc and the paged queries.
#include "CommandHandlers.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "LogMask.h"
#include "LogWriter.h"
#include "ParamCoding.h"

#include <cctype>
#include <cstdlib>
#include <utility>

namespace {

void RunSelect(CServerState& state, CCommandRequest& request, bool header) {
    std::string sql;
    if (!ReadSql(state, request, sql)) return;
    int rows = atoi(request.Get("maxcount").c_str());
    if (rows <= 0) rows = state.config.maxCount;
    if (rows <= 0) rows = 300;  // no max_count configured: the cap
    const int limit = ClampRowCount(rows);
    if (state.config.logSql == 1) LogMessage("query sql=%s\n", SqlForLog(sql).c_str());
    // The rows go straight into the reply text; the limit goes with the
    // call, since queries may run side by side.
    std::string text, error;
    if (state.db.QueryToText(CSqlStatement(sql.c_str()), limit, header, state.config.sep,
                             state.config.lineSep, text, error) < 0) {
        request.Write(ErrorReply(state, error));
        return;
    }
    request.Write(std::move(text));
}

// Letters, digits, '_' and '.' only: the name is placed into SQL text.
bool IsPlainTableName(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (!isalnum(c) && c != '_' && c != '.') return false;
    }
    return true;
}

}  // namespace

DecodeResult DecodeCoded(const std::string& coded, std::string& text) {
    if (!DecodeParamBytes(coded.data(), coded.size(), text)) return kInvalidCoding;
    if (text.find('\0') == std::string::npos) return kDecoded;
    text.clear();
    return kHoldsNul;
}

bool ReadSql(CServerState& state, CCommandRequest& request, std::string& sql) {
    const DecodeResult result = DecodeCoded(request.Get("sql"), sql);
    if (result == kDecoded) return true;
    request.Write(ErrorReply(state, result == kHoldsNul ? "the sql text holds a NUL character"
                                                        : "Invalid coded sql text"));
    return false;
}

void WriteResultSet(const CServerState& state, const CResultSet& result,
                    CCommandRequest& request, bool header) {
    const std::string& sep = state.config.sep;
    const std::string& lineSep = state.config.lineSep;
    size_t size = 0;
    for (const CResultRow& row : result.GetRows()) {
        for (const CListString& value : row) size += value.StdString().size() + sep.size();
        size += lineSep.size();
    }
    std::string text;
    text.reserve(size + 1024);
    if (header) {
        const auto& fields = result.GetFields();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) text += sep;
            text += fields[i].StdString();
        }
        text += lineSep;
    }
    for (const CResultRow& row : result.GetRows()) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) text += sep;
            text += row[i].StdString();
        }
        text += lineSep;
    }
    request.Write(std::move(text));
}

void HandleSelect2(CServerState& state, CCommandRequest& request) {
    RunSelect(state, request, true);
}

void HandleSelect(CServerState& state, CCommandRequest& request) {
    RunSelect(state, request, false);
}

void HandleDesc(CServerState& state, CCommandRequest& request) {
    const std::string table = request.Get("table");
    if (!IsPlainTableName(table)) {
        request.Write(ErrorReply(state, "Invalid table name"));
        return;
    }
    LogMessage("t---%s\n", ClientTextForLog(table).c_str());
    CListString out;
    std::string error;
    if (!state.db.DescribeTable(table.c_str(), out, error)) {
        request.Write(ErrorReply(state, error));
        return;
    }
    request.Write(out.StdString());
}

void HandleSelectPrepare(CServerState& state, CCommandRequest& request) {
    std::string sql;
    if (!ReadSql(state, request, sql)) return;
    if (state.config.logSql == 1) LogMessage("query sql=%s\n", SqlForLog(sql).c_str());
    CListString slotId;
    CListString error;
    if (!state.db.SelectPrepare(sql.c_str(), slotId, error)) {
        request.Write(ErrorReply(state, error.CStr()));
        return;
    }
    if (slotId.IsEmpty()) {
        request.Write(ErrorReply(state, "unknow error"));
        return;
    }
    request.Write(slotId.StdString());
}

void HandleSelectNext(CServerState& state, CCommandRequest& request) {
    int batch = atoi(request.Get("count").c_str());
    if (batch <= 0) batch = state.config.oneFetchCount;
    if (batch <= 0) batch = 10;  // no one_fetch_count configured
    const std::string id = request.Get("id");
    if (id.empty()) {
        // An empty id names a free slot, which holds no rows.
        request.Write(ErrorReply(state, "No Data"));
        return;
    }
    CResultSet result(state.config.sep.c_str(), state.config.lineSep.c_str());
    const int rows = state.db.SelectNext(id.c_str(), result, batch);
    if (rows > 0) {
        WriteResultSet(state, result, request, true);
    } else if (rows == 0) {
        request.Write(ErrorReply(state, "No Data"));
    } else {
        request.Write(ErrorReply(state, " Query error,May be shut down through the "
                                        "select_finish,or have not yet adopted select_prepare"));
    }
}

void HandleSelectFinish(CServerState& state, CCommandRequest& request) {
    state.db.SelectFinish(request.Get("id").c_str());
    request.Write("success");
}
