#include "COdbcConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "DateText.h"
#include "LogMask.h"
#include "LogWriter.h"
#include "QueryShape.h"
#include "ResultText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const char kAlreadyConnected[] = "已经连接";
const char kReconnecting[] = "没有连接，重试连接";
const char kNoSlot[] = "没有多余的流查询可供使用";

SQLCHAR* Sqlc(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// SQLSTATEs that mean the connection itself is gone.
bool IsConnectionLost(const std::string& state) {
    return state.compare(0, 2, "08") == 0 || state == "57P01" || state == "57P02" ||
           state == "57P03";
}

// One bound parameter value; the vector holding these is sized before any
// pointer into it is handed to the driver.
struct BoundValue {
    std::string text;
    long long integer = 0;
    double real = 0;
    SQLLEN indicator = 0;
};

// Reads a character or binary column in pieces until the driver has no more.
// Reads a value piece by piece straight into value (on the heap): a first
// small piece, then the rest at the length the driver reports (or pieces
// of doubling size when it cannot tell).
bool ReadLong(SQLHSTMT stmt, SQLUSMALLINT index, SQLSMALLINT cType, std::string& value,
              SQLRETURN& failed) {
    const size_t kFirstPiece = 512;
    const size_t kLargestPiece = 1 << 20;
    const size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
    value.clear();
    size_t room = kFirstPiece;
    for (;;) {
        const size_t used = value.size();
        value.resize(used + room + terminator);
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt, index, cType, &value[used],
                                  static_cast<SQLLEN>(room + terminator), &indicator);
        if (rc == SQL_NO_DATA) {
            value.resize(used);
            return true;
        }
        if (!OdbcOk(rc)) {
            value.resize(used);
            failed = rc;
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            value.clear();
            return true;
        }
        const bool cut = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(room);
        const size_t got = cut ? room : static_cast<size_t>(indicator);
        value.resize(used + got);
        // SQL_SUCCESS_WITH_INFO with a cut piece: more follows.
        if (rc == SQL_SUCCESS || !cut) return true;
        if (indicator == SQL_NO_TOTAL) {
            room = room < kLargestPiece ? room * 2 : room;
        } else {
            room = std::max(static_cast<size_t>(indicator) - got, kFirstPiece);
        }
    }
}

bool ValidTableName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (!isalnum(c) && c != '_' && c != '.') return false;
    }
    return true;
}

std::string DescribeLine(const std::string& name, SQLSMALLINT type, SQLULEN size,
                         SQLSMALLINT scale, SQLSMALLINT nullable) {
    const char* typeName = "未知数据类型";
    std::string width = "0";
    switch (type) {
    case SQL_NUMERIC:
        typeName = scale == 0 ? "小数" : "货币";
        width = scale == 0 ? "18" : "19";
        break;
    case SQL_INTEGER:
        typeName = nullable == SQL_NO_NULLS ? "自动编号" : "长整数";
        width = "10";
        break;
    case SQL_SMALLINT: typeName = "整型"; width = "5"; break;
    case SQL_REAL: typeName = "单精度型"; width = "24"; break;
    case SQL_FLOAT:  // psqlODBC's code for double precision
    case SQL_DOUBLE: typeName = "双精度型"; width = "53"; break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR: typeName = "文本"; width = std::to_string(size); break;
    case SQL_TYPE_TIMESTAMP: typeName = "日期时间"; width = "19"; break;
    case SQL_GUID: typeName = "同步复制ID"; width = "36"; break;
    case SQL_BIT: typeName = "是否"; width = "1"; break;
    case SQL_TINYINT: typeName = "字节"; width = "3"; break;
    case SQL_LONGVARBINARY: typeName = "OLE对象"; break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: typeName = "备注"; break;
    default: break;
    }
    return name + "\t" + typeName + "\t" + width + "\t0\n";
}

}  // namespace

COdbcConnection::COdbcConnection() = default;

COdbcConnection::~COdbcConnection() { Close(); }

bool COdbcConnection::Connect(const char* user, const char* password, const char* server,
                              const char* extra) {
    SetConnectParams(user, password, server, extra);
    return Logon();
}

void COdbcConnection::SetConnectParams(const char* user, const char* password,
                                       const char* server, const char* extra) {
    m_user = user ? user : "";
    m_password = password ? password : "";
    m_server = server ? server : "";
    m_extra = extra ? extra : "";
}

bool COdbcConnection::Logon() {
    if (m_connected) {
        m_errorText = kAlreadyConnected;
        return false;
    }
    m_errorCode = 0;
    if (m_dbc.IsOpen()) {
        // A connection found lost: its cursors are freed before it, so no
        // slot keeps a statement handle the driver manager has let go.
        m_slots.ResetAll();
        m_cache.Clear();
        m_dbc.Reset();
    }
    std::string error;
    if (!m_env.IsOpen() && !m_env.Open(error)) {
        FailText(error, "");
        return false;
    }
    if (!OdbcOk(m_dbc.Allocate(m_env.Get()))) {
        std::string message;
        Fail(m_env, "", message);
        return false;
    }
    SQLRETURN rc;
    if (m_server.find('=') != std::string::npos) {
        // A whole connection string ("DRIVER=...;DATABASE=...") in place of a DSN.
        std::string text = m_server;
        if (!m_user.empty()) text += ";UID=" + m_user;
        if (!m_password.empty()) text += ";PWD=" + m_password;
        SQLCHAR out[1024];
        SQLSMALLINT outLength = 0;
        rc = SQLDriverConnect(m_dbc.Get(), nullptr, Sqlc(text), SQL_NTS, out, sizeof out,
                              &outLength, SQL_DRIVER_NOPROMPT);
    } else {
        rc = SQLConnect(m_dbc.Get(), Sqlc(m_server), SQL_NTS, Sqlc(m_user), SQL_NTS,
                        Sqlc(m_password), SQL_NTS);
    }
    if (!OdbcOk(rc)) {
        std::string message;
        Fail(m_dbc, "", message);
        m_dbc.Reset();
        return false;
    }
    m_dbc.connected = true;
    rc = ApplyCommitMode();
    if (!OdbcOk(rc)) {
        std::string message;
        Fail(m_dbc, "", message);
        m_dbc.Reset();
        return false;
    }
    m_connected = true;
    return true;
}

bool COdbcConnection::ConnectionDead() {
    SQLUINTEGER dead = SQL_CD_FALSE;
    SQLRETURN rc = SQLGetConnectAttr(m_dbc.Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return OdbcOk(rc) && dead == SQL_CD_TRUE;
}

bool COdbcConnection::EnsureConnected() {
    if (m_connected && ConnectionDead()) {
        m_slots.ResetAll();
        m_cache.Clear();
        m_dbc.Reset();
        m_connected = false;
    }
    if (m_connected) return true;
    LogMessage("%s\n", kReconnecting);
    return Logon();
}

bool COdbcConnection::Close() {
    m_slots.ResetAll();
    m_cache.Clear();
    if (m_connected && m_dbc.IsOpen()) SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_COMMIT);
    m_dbc.Reset();
    m_connected = false;
    return true;
}

void COdbcConnection::FailText(const std::string& text, const std::string& sql) {
    m_errorText = text;
    m_errorSql = sql;
    m_errorCode = -1;
    LogMessage("%s\n", MaskSecretsOf(text, sql).c_str());
    LogMessage("%s\n", MaskSqlSecrets(sql).c_str());
}

void COdbcConnection::Fail(const COdbcHandle& handle, const std::string& sql,
                           std::string& message) {
    std::string state;
    message = handle.Diagnostics(&state);
    if (message.empty()) message = "ODBC call failed";
    m_errorVar = state;
    FailText(message, sql);
    // psqlODBC reports a dropped connection as HY000; the driver's dead flag
    // tells it apart from a failing statement.
    if (handle.Type() != SQL_HANDLE_ENV && m_connected && m_dbc.IsOpen() &&
        (IsConnectionLost(state) || ConnectionDead())) {
        // The next operation logs on again.
        m_connected = false;
        m_lostConnection = true;
    }
}

bool COdbcConnection::EndTransaction(bool commit, std::string& error) {
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (OdbcOk(rc)) return true;
    Fail(m_dbc, commit ? "commit" : "rollback", error);
    return false;
}

bool COdbcConnection::PrepareAndRun(const CSqlStatement& statement, COdbcStmt& stmt,
                                    bool prepareOnly, std::string& error) {
    std::vector<const CSqlParam*> binds;
    if (!statement.ResolveBindings(binds, error)) {
        FailText(error, statement.GetRewrittenSql());
        return false;
    }
    if (!OdbcOk(stmt.Allocate(m_dbc.Get()))) {
        Fail(m_dbc, statement.GetRewrittenSql(), error);
        return false;
    }
    if (!OdbcOk(SQLPrepare(stmt.Get(), Sqlc(statement.GetDriverSql()), SQL_NTS))) {
        Fail(stmt, statement.GetRewrittenSql(), error);
        return false;
    }
    if (prepareOnly && binds.empty()) return true;
    // Values bound here must stay in place until SQLExecute has read them.
    std::vector<BoundValue> values(binds.size());
    for (size_t i = 0; i < binds.size(); ++i) {
        const CSqlParam& p = *binds[i];
        BoundValue& v = values[i];
        SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc;
        switch (p.type) {
        case SQL_PARAM_INT:
            v.integer = p.intValue;
            rc = SQLBindParameter(stmt.Get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT,
                                  0, 0, &v.integer, 0, nullptr);
            break;
        case SQL_PARAM_FLOAT:
            v.real = p.floatValue;
            rc = SQLBindParameter(stmt.Get(), number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE,
                                  0, 0, &v.real, 0, nullptr);
            break;
        default: {
            SQLSMALLINT sqlType = p.type == SQL_PARAM_LONG_TEXT ? SQL_LONGVARCHAR : SQL_VARCHAR;
            if (p.type == SQL_PARAM_DATE) {
                // Read by the date format and bound as the full date-time text,
                // which compares with the stored date texts.
                CDateTime when;
                when.year = 1900;
                when.month = 1;
                when.day = 1;
                ParseDate(p.dateText.c_str(), when, m_options.dateFormat);
                char text[64];
                if (m_options.dateFormat == DATE_FORMAT_DIGITS)
                    snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", when.year, when.month,
                             when.day, when.hour, when.minute, when.second);
                else
                    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year,
                             when.month, when.day, when.hour, when.minute, when.second);
                v.text = text;
            } else {
                v.text = p.textValue;
            }
            v.indicator = static_cast<SQLLEN>(v.text.size());
            SQLULEN size = v.text.empty() ? 1 : v.text.size();
            rc = SQLBindParameter(stmt.Get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, size,
                                  0, const_cast<char*>(v.text.data()),
                                  static_cast<SQLLEN>(v.text.size()), &v.indicator);
            break;
        }
        }
        if (!OdbcOk(rc)) {
            Fail(stmt, statement.GetRewrittenSql(), error);
            return false;
        }
    }
    if (prepareOnly) {
        // The caller looks at the result columns first; the values must be
        // bound again before it runs the statement.
        SQLFreeStmt(stmt.Get(), SQL_RESET_PARAMS);
        return true;
    }
    SQLRETURN rc = SQLExecute(stmt.Get());
    if (!OdbcOk(rc) && rc != SQL_NO_DATA) {
        Fail(stmt, statement.GetRewrittenSql(), error);
        return false;
    }
    return true;
}

bool COdbcConnection::DescribeColumns(COdbcStmt& stmt, std::vector<Column>& columns,
                                      std::string& error) {
    columns.clear();
    SQLSMALLINT count = 0;
    if (!OdbcOk(SQLNumResultCols(stmt.Get(), &count))) {
        Fail(stmt, "", error);
        return false;
    }
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        Column c;
        SQLCHAR name[1024];
        SQLSMALLINT nameLength = 0;
        if (!OdbcOk(SQLDescribeCol(stmt.Get(), static_cast<SQLUSMALLINT>(i), name, sizeof name,
                                   &nameLength, &c.type, &c.size, &c.scale, &c.nullable))) {
            Fail(stmt, "", error);
            return false;
        }
        c.name = reinterpret_cast<char*>(name);
        columns.push_back(c);
    }
    return true;
}

bool COdbcConnection::FormatValue(COdbcStmt& stmt, SQLUSMALLINT index, const Column& column,
                                  std::string& value) {
    SQLRETURN failed = SQL_SUCCESS;
    SQLLEN indicator = 0;
    switch (column.type) {
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        double d = 0;
        SQLRETURN rc = SQLGetData(stmt.Get(), index, SQL_C_DOUBLE, &d, 0, &indicator);
        if (!OdbcOk(rc)) return false;
        value = indicator == SQL_NULL_DATA ? std::string() : FormatDouble(d);
        return true;
    }
    case SQL_REAL: {
        float f = 0;
        SQLRETURN rc = SQLGetData(stmt.Get(), index, SQL_C_FLOAT, &f, 0, &indicator);
        if (!OdbcOk(rc)) return false;
        value = indicator == SQL_NULL_DATA ? std::string() : FormatFloat(f);
        return true;
    }
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_DATE: {
        SQL_TIMESTAMP_STRUCT ts;
        memset(&ts, 0, sizeof ts);
        SQLRETURN rc =
            SQLGetData(stmt.Get(), index, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator);
        if (!OdbcOk(rc)) return false;
        if (indicator == SQL_NULL_DATA) {
            value.clear();
        } else {
            CDateTime when;
            when.year = ts.year;
            when.month = ts.month;
            when.day = ts.day;
            when.hour = ts.hour;
            when.minute = ts.minute;
            when.second = ts.second;
            value = FormatDate(when, m_options.dateFormat);
        }
        return true;
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return ReadLong(stmt.Get(), index, SQL_C_BINARY, value, failed);
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        if (!ReadLong(stmt.Get(), index, SQL_C_CHAR, value, failed)) return false;
        value = value.empty() ? value : TrimDecimal(value);
        return true;
    default:
        // Text, integers of any width, and everything else as the driver's text.
        return ReadLong(stmt.Get(), index, SQL_C_CHAR, value, failed);
    }
}

int COdbcConnection::FetchRow(COdbcStmt& stmt, const std::vector<Column>& columns,
                              std::vector<std::string>& values, std::string& error) {
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) return 0;
    if (!OdbcOk(rc)) {
        Fail(stmt, "", error);
        return -1;
    }
    values.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!FormatValue(stmt, static_cast<SQLUSMALLINT>(i + 1), columns[i], values[i])) {
            Fail(stmt, "", error);
            return -1;
        }
    }
    return 1;
}

int COdbcConnection::Query(const char* sql, CResultSet& result, CListString& errorText) {
    return Query(CSqlStatement(sql), result, errorText);
}

int COdbcConnection::Query(const CSqlStatement& statement, CResultSet& result,
                           CListString& errorText) {
    m_lostConnection = false;
    int rows = QueryOnce(statement, result, errorText);
    if (rows < 0 && m_lostConnection) rows = QueryOnce(statement, result, errorText);
    return rows;
}

int COdbcConnection::QueryToText(const char* sql, CListString& out, CListString& errorText) {
    m_lostConnection = false;
    int rows = QueryToTextOnce(sql, out, errorText);
    if (rows < 0 && m_lostConnection) rows = QueryToTextOnce(sql, out, errorText);
    return rows;
}

bool COdbcConnection::ExecuteWithParams(CSqlStatement& statement) {
    m_lostConnection = false;
    bool ok = ExecuteOnce(statement);
    // With commit type 0 the lost transaction held earlier statements too:
    // running this one alone again would hide their loss.
    if (!ok && m_lostConnection && m_options.commitType != 0) ok = ExecuteOnce(statement);
    return ok;
}

bool COdbcConnection::RunShaped(const CSqlStatement& statement, COdbcCachedStmt& entry,
                                std::string& key) {
    key.clear();
    // A failed statement spoils an open transaction: only with auto-commit.
    if (m_options.commitType == 0 || m_options.rowLimit <= 0 || !statement.GetBindVars().empty())
        return false;
    std::string shape;
    std::vector<long long> values;
    if (!ShapeQuery(statement.GetDriverSql(), shape, values)) return false;
    if (!m_cache.Take(shape, entry)) {
        if (!OdbcOk(entry.stmt.Allocate(m_dbc.Get()))) return false;
        if (!OdbcOk(SQLPrepare(entry.stmt.Get(), Sqlc(shape), SQL_NTS))) {
            entry.stmt.Reset();
            return false;
        }
    }
    entry.values = values;
    entry.indicators.assign(values.size(), 0);
    for (size_t i = 0; i < values.size(); ++i) {
        if (!OdbcOk(SQLBindParameter(entry.stmt.Get(), static_cast<SQLUSMALLINT>(i + 1),
                                     SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                     &entry.values[i], 0, &entry.indicators[i]))) {
            entry.stmt.Reset();
            return false;
        }
    }
    // With parameters the SQLite driver reads the whole result at execute
    // unless told where to stop; no more than the row limit is read anyway.
    const SQLULEN maxRows = static_cast<SQLULEN>(m_options.rowLimit);
    if (!OdbcOk(SQLSetStmtAttr(entry.stmt.Get(), SQL_ATTR_MAX_ROWS,
                               reinterpret_cast<SQLPOINTER>(maxRows), 0)) ||
        !OdbcOk(SQLExecute(entry.stmt.Get()))) {
        entry.stmt.Reset();
        return false;
    }
    key = shape;
    return true;
}

int COdbcConnection::QueryOnce(const CSqlStatement& statement, CResultSet& result,
                               CListString& errorText) {
    result.Clear();
    if (!EnsureConnected()) {
        errorText = m_errorText.c_str();  // the failed logon's text
        return -1;
    }
    // A query of a known shape runs on its kept statement; anything that
    // fails there runs again as written, which gives its own error.
    COdbcCachedStmt cached;
    std::string key;
    const bool shaped = RunShaped(statement, cached, key);
    // Kept statements describe their columns as prepared: anything but a
    // query may change the schema under them.
    if (!shaped && !StartsWithSelect(statement.GetDriverSql())) m_cache.Clear();
    COdbcStmt own;
    COdbcStmt& stmt = shaped ? cached.stmt : own;
    std::string error;
    std::vector<Column> columns;
    if ((!shaped && !PrepareAndRun(statement, stmt, false, error)) ||
        !DescribeColumns(stmt, columns, error)) {
        errorText = error.c_str();
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return -1;
    }
    std::vector<std::string> names;
    for (const Column& c : columns) names.push_back(c.name);
    SetResultFields(result, names);
    int rows = 0;
    bool ended = false;  // the driver said there are no more rows
    std::vector<std::string> values;
    while (rows < m_options.rowLimit && !columns.empty()) {
        int got = FetchRow(stmt, columns, values, error);
        if (got < 0) {
            m_errorSql = statement.GetRewrittenSql();
            errorText = error.c_str();
            result.Clear();
            if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
            return -1;
        }
        if (got == 0) {
            ended = true;
            break;
        }
        AddResultRow(result, values);
        ++rows;
    }
    // Only a statement read to its end is kept: the SQLite driver goes on
    // where a closed cursor stopped when the statement runs again.
    if (shaped && ended)
        m_cache.Give(key, std::move(cached));
    else
        stmt.Reset();
    // Ends the read transaction, so later reads see other writers' commits.
    if (m_options.commitType != 0) EndTransaction(true, error);
    return rows;
}

int COdbcConnection::QueryToTextOnce(const char* sql, CListString& out,
                                     CListString& errorText) {
    out = "";
    errorText = "";
    if (!EnsureConnected()) return 0;
    CSqlStatement statement(sql);
    COdbcStmt stmt;
    std::string error;
    std::vector<Column> columns;
    if (!PrepareAndRun(statement, stmt, false, error) || !DescribeColumns(stmt, columns, error)) {
        errorText = error.c_str();
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return -1;
    }
    std::string text;
    std::vector<std::string> values;
    if (m_options.header != 0) {
        for (const Column& c : columns) values.push_back(c.name);
        AppendResultLine(text, values, m_options.columnSep, m_options.lineSep);
    }
    int rows = 0;
    while (rows < m_options.rowLimit && !columns.empty()) {
        int got = FetchRow(stmt, columns, values, error);
        if (got < 0) {
            m_errorSql = statement.GetRewrittenSql();
            errorText = error.c_str();
            out = text.c_str();
            if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
            return -1;
        }
        if (got == 0) break;
        AppendResultLine(text, values, m_options.columnSep, m_options.lineSep);
        ++rows;
    }
    stmt.Reset();
    if (m_options.commitType != 0) EndTransaction(true, error);
    out = text.c_str();
    return rows;
}

bool COdbcConnection::Execute(const char* sql, CListString& errorText) {
    m_errorText = "success";
    if (!sql) return false;
    if (!EnsureConnected()) {
        errorText = m_errorText.c_str();
        return false;
    }
    CSqlStatement statement(sql);
    if (!ExecuteWithParams(statement)) {
        errorText = statement.GetErrorText().c_str();
        return false;
    }
    errorText = "success";
    return true;
}

bool COdbcConnection::ExecuteOnce(CSqlStatement& statement) {
    m_cache.Clear();  // the statement may change the schema
    m_errorText = "success";
    statement.SetErrorText("success");
    if (!EnsureConnected()) {
        statement.SetErrorText(m_errorText);
        return false;
    }
    COdbcStmt stmt;
    std::string error;
    if (!PrepareAndRun(statement, stmt, false, error)) {
        statement.SetErrorText(error);
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return false;
    }
    stmt.Reset();
    if (m_options.commitType != 0 && !EndTransaction(true, error)) {
        statement.SetErrorText(error);
        std::string ignored;
        EndTransaction(false, ignored);
        return false;
    }
    m_errorText = "success";
    return true;
}

bool COdbcConnection::SelectPrepare(const char* sql, CListString& slotId,
                                    CListString& errorText) {
    m_lostConnection = false;
    bool ok = SelectPrepareOnce(sql, slotId, errorText);
    if (!ok && m_lostConnection) ok = SelectPrepareOnce(sql, slotId, errorText);
    return ok;
}

bool COdbcConnection::SelectPrepareOnce(const char* sql, CListString& slotId,
                                        CListString& errorText) {
    slotId = "";
    CQuerySlot<Cursor>* slot = m_slots.FindFreeSlot();
    if (!slot) {
        errorText = kNoSlot;
        m_errorText = kNoSlot;
        return false;
    }
    errorText = "success";
    if (!EnsureConnected()) {
        slot->Reset();
        errorText = m_errorText.c_str();
        return false;
    }
    slot->inUse = true;  // a logon on the way reset every slot, this one too
    CSqlStatement statement(sql);
    if (!StartsWithSelect(statement.GetDriverSql())) m_cache.Clear();
    slot->sql = statement.GetSql();
    slot->lastUse = time(nullptr);
    std::string error;
    std::vector<Column> columns;
    // Looks at the result columns before running: a statement without
    // any is refused and never runs.
    if (!PrepareAndRun(statement, slot->cursor.stmt, true, error) ||
        !DescribeColumns(slot->cursor.stmt, columns, error)) {
        slot->Reset();
        errorText = error.c_str();
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return false;
    }
    if (columns.empty()) {
        slot->Reset();
        return false;
    }
    slot->cursor.stmt.Reset();
    if (!PrepareAndRun(statement, slot->cursor.stmt, false, error) ||
        !DescribeColumns(slot->cursor.stmt, slot->cursor.columns, error)) {
        slot->Reset();
        errorText = error.c_str();
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return false;
    }
    for (const Column& c : slot->cursor.columns) slot->columns.push_back(c.name);
    slot->columnCount = static_cast<int>(slot->columns.size());
    slot->slotId = MakeSlotId();
    slot->status = "success";
    slotId = slot->slotId.c_str();
    return true;
}

int COdbcConnection::SelectNext(const char* slotId, CResultSet& result) {
    CQuerySlot<Cursor>* slot = m_slots.FindSlot(slotId ? slotId : "");
    if (!slot) return -1;
    result.Clear();
    slot->lastUse = time(nullptr);
    SetResultFields(result, slot->columns);
    int rows = 0;
    std::vector<std::string> values;
    std::string error;
    // A batch size below 1 would report the end while rows remain.
    const int batch = m_options.fetchCount > 0 ? m_options.fetchCount : 1000;
    while (!slot->cursor.done && rows < batch) {
        int got = FetchRow(slot->cursor.stmt, slot->cursor.columns, values, error);
        if (got < 0) {
            m_errorSql = slot->sql;
            return -1;
        }
        if (got == 0) {
            slot->cursor.done = true;
            break;
        }
        AddResultRow(result, values);
        ++rows;
    }
    return rows;
}

bool COdbcConnection::SelectFinish(const char* slotId) {
    CQuerySlot<Cursor>* slot = m_slots.FindSlot(slotId ? slotId : "");
    if (!slot) return false;
    slot->Reset();
    return true;
}

void COdbcConnection::CloseIdleSlots() { m_slots.CloseIdle(time(nullptr), m_options.idleSeconds); }

bool COdbcConnection::DescribeTable(const char* table, CListString& out) {
    out = "";
    if (!ValidTableName(table)) {
        m_errorText = std::string("invalid table name: ") + (table ? table : "");
        return false;
    }
    m_lostConnection = false;
    bool ok = DescribeTableOnce(table, out);
    if (!ok && m_lostConnection) ok = DescribeTableOnce(table, out);
    return ok;
}

bool COdbcConnection::DescribeTableOnce(const char* table, CListString& out) {
    if (!EnsureConnected()) return false;
    CSqlStatement statement((std::string("select * from ") + table + " where 1=2 ").c_str());
    COdbcStmt stmt;
    std::string error;
    std::vector<Column> columns;
    if (!PrepareAndRun(statement, stmt, false, error) || !DescribeColumns(stmt, columns, error)) {
        if (m_connected && m_options.commitType != 0) EndTransaction(false, error);
        return false;
    }
    std::string text;
    for (const Column& c : columns) text += DescribeLine(c.name, c.type, c.size, c.scale, c.nullable);
    stmt.Reset();
    if (m_options.commitType != 0) EndTransaction(true, error);
    out = text.c_str();
    return true;
}

void COdbcConnection::SetOption(int option, const char* value) {
    const int commitType = m_options.commitType;
    m_options.Set(option, value);
    if (m_connected && (commitType != 0) != (m_options.commitType != 0)) {
        if (!OdbcOk(ApplyCommitMode())) {
            std::string message;
            Fail(m_dbc, "", message);
        }
    }
}

// A commit after every statement is the driver's auto-commit: the SQLite
// driver then steps through a result instead of reading all of it at
// execute (it never does inside a transaction). Commit type 0 keeps one
// transaction open until Close.
SQLRETURN COdbcConnection::ApplyCommitMode() {
    const SQLULEN mode = m_options.commitType != 0 ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    return SQLSetConnectAttr(m_dbc.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(mode),
                             SQL_IS_UINTEGER);
}

CListString COdbcConnection::GetErrorText() const { return CListString(m_errorText.c_str()); }
