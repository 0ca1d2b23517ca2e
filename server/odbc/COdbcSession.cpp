#include "COdbcSession.h"

#include "CBindValue.h"
#include "COdbcCursor.h"
#include "CSqlStatement.h"
#include "EscapeGuard.h"
#include "LogWriter.h"
#include "QueryShape.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace {

const char kAlreadyConnected[] = "已经连接";
const char kReconnecting[] = "没有连接，重试连接";

SQLCHAR* Sqlc(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// SQLSTATEs that mean the connection itself is gone, and the texts psqlODBC
// and libpq report it with under the general HY000 (a connection that went
// while idle, found by psqlODBC preparing a statement).
bool IsConnectionLost(const std::string& state, const std::string& message) {
    if (state.compare(0, 2, "08") == 0 || state == "57P01" || state == "57P02" ||
        state == "57P03")
        return true;
    static const char* const texts[] = {"connection has been lost", "connection dead",
                                        "server closed the connection", "no connection to the server"};
    if (state != "HY000") return false;
    for (const char* text : texts)
        if (message.find(text) != std::string::npos) return true;
    return false;
}

std::string DescribeLine(const COdbcStatement::CColumn& c) {
    const char* typeName = "未知数据类型";
    std::string width = "0";
    switch (c.type) {
    case SQL_NUMERIC:
        typeName = c.scale == 0 ? "小数" : "货币";
        width = c.scale == 0 ? "18" : "19";
        break;
    case SQL_INTEGER:
    case SQL_BIGINT:  // the SQLite driver's integers with BigInt=1, as lumenosetup sets it
        typeName = c.nullable == SQL_NO_NULLS ? "自动编号" : "长整数";
        width = "10";
        break;
    case SQL_SMALLINT: typeName = "整型"; width = "5"; break;
    case SQL_REAL: typeName = "单精度型"; width = "24"; break;
    case SQL_FLOAT:  // psqlODBC's code for double precision
    case SQL_DOUBLE: typeName = "双精度型"; width = "53"; break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR: typeName = "文本"; width = std::to_string(c.size); break;
    case SQL_TYPE_TIMESTAMP: typeName = "日期时间"; width = "19"; break;
    case SQL_GUID: typeName = "同步复制ID"; width = "36"; break;
    case SQL_BIT: typeName = "是否"; width = "1"; break;
    case SQL_TINYINT: typeName = "字节"; width = "3"; break;
    case SQL_LONGVARBINARY: typeName = "OLE对象"; break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: typeName = "备注"; break;
    default: break;
    }
    return c.name + "\t" + typeName + "\t" + width + "\t0\n";
}

// The SQLite ODBC driver runs on the process's SQLite library, whose memory
// statistics take one process-wide mutex on every allocation: with several
// connections at work it serialised them (eight reading connections served
// a fifth of what they serve without). Nothing reads the statistics; the
// setting only takes before the library starts, so before the first logon.
void StopSqliteMemoryStatistics() {
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

}  // namespace

COdbcSession::COdbcSession(const COdbcLogin& login, COdbcWatchdog& watchdog, bool main)
    : m_login(login), m_watch(watchdog), m_main(main) {}

COdbcSession::~COdbcSession() { Close(); }

void COdbcSession::DropConnection() {
    // Statements go before the connection that owns them.
    for (COdbcCursorBase* cursor : m_cursors) cursor->Invalidate();
    m_cursors.clear();
    m_cache.Clear();
    m_dbc.Reset();
    m_connected = false;
}

void COdbcSession::Close() {
    if (m_connected && m_dbc.IsOpen()) SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_COMMIT);
    DropConnection();
}

bool COdbcSession::Logon(const CDbOptions& options, std::string& error) {
    if (m_connected) {
        error = kAlreadyConnected;
        return false;
    }
    // A connection found lost: its statements are freed before it.
    if (m_dbc.IsOpen()) DropConnection();
    StopSqliteMemoryStatistics();
    if (!m_env.IsOpen() && !m_env.Open(error)) return false;
    // The first logon finds out which driver serves the data source; when
    // it is one whose options the server sets, it logs on again with them.
    const bool firstLogon = m_connectText.empty();
    const std::string text = firstLogon ? BaseConnectText(m_login.server, m_login.user, m_login.password)
                                        : m_connectText;
    if (!Connect(text, error)) return false;
    if (firstLogon) {
        m_driverKind = DriverKindOf(InfoText(SQL_DBMS_NAME), InfoText(SQL_DRIVER_NAME));
        const std::string full = WithDriverOptions(text, m_driverKind);
        if (full != text && !Connect(full, error)) return false;
        m_connectText = full;
    }
    // After the data source's own settings, still in auto-commit (a
    // rolled-back transaction would undo it). Left to the setup check for
    // other drivers.
    if (m_driverKind == OdbcDriverKind::kPsql) {
        COdbcStmt stmt;
        if (!OdbcOk(stmt.Allocate(m_dbc.Get())) ||
            !OdbcOk(SQLExecDirect(stmt.Get(), Sqlc("SET client_encoding TO 'UTF8'"), SQL_NTS))) {
            error = stmt.IsOpen() ? stmt.Diagnostics() : m_dbc.Diagnostics();
            if (error.empty()) error = "cannot set the client encoding";
            m_dbc.Reset();
            return false;
        }
    }
    m_commitMode = -1;
    if (!OdbcOk(ApplyCommitMode(options))) {
        error = m_dbc.Diagnostics();
        m_dbc.Reset();
        return false;
    }
    m_dbms = InfoText(SQL_DBMS_NAME);
    m_postgres = m_dbms == "PostgreSQL";
    m_resumesCursors = InfoText(SQL_DRIVER_NAME).find("sqlite") != std::string::npos;
    SQLUINTEGER getData = 0;
    SQLGetInfo(m_dbc.Get(), SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr);
    const SQLUINTEGER anyColumn = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND;
    m_driver.bindColumns = (getData & anyColumn) == anyColumn;
    m_driver.getDataInBlocks = (getData & SQL_GD_BLOCK) != 0;
    // Whether the driver takes SQL_ATTR_NOSCAN decides how statement texts
    // reach it.
    COdbcStatement probe;
    m_noScan = true;
    probe.Allocate(m_dbc.Get(), 0, m_noScan);
    m_connected = true;
    m_everConnected = true;
    return true;
}

bool COdbcSession::Connect(const std::string& text, std::string& error) {
    if (!OdbcOk(m_dbc.Allocate(m_env.Get()))) {
        error = m_env.Diagnostics();
        if (error.empty()) error = "cannot allocate an ODBC connection";
        return false;
    }
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(m_dbc.Get(), nullptr, Sqlc(text), SQL_NTS, out, sizeof out,
                                          &outLength, SQL_DRIVER_NOPROMPT);
    if (OdbcOk(rc)) {
        m_dbc.connected = true;
        return true;
    }
    error = m_dbc.Diagnostics();
    if (error.empty()) error = "ODBC call failed";
    m_dbc.Reset();
    return false;
}

std::string COdbcSession::InfoText(SQLUSMALLINT item) const {
    char text[256] = {0};
    SQLGetInfo(m_dbc.Get(), item, text, sizeof text, nullptr);
    return text;
}

bool COdbcSession::ConnectionDead() {
    SQLUINTEGER dead = SQL_CD_FALSE;
    SQLRETURN rc = SQLGetConnectAttr(m_dbc.Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return OdbcOk(rc) && dead == SQL_CD_TRUE;
}

bool COdbcSession::EnsureOpen(const CDbOptions& options, std::string& error) {
    m_lost = false;
    if (m_connected && ConnectionDead()) DropConnection();
    if (!m_connected) {
        // A reader's first logon is no reconnection.
        if (m_main || m_everConnected) LogMessage("%s\n", kReconnecting);
        return Logon(options, error);
    }
    if (m_commitMode != (options.commitType != 0 ? 1 : 0) && !OdbcOk(ApplyCommitMode(options))) {
        Failure(m_dbc, error);
        return false;
    }
    return true;
}

// A commit after every statement is the driver's auto-commit: the SQLite
// driver then steps through a result instead of reading all of it at
// execute (it never does inside a transaction). Commit type 0 keeps one
// transaction open until Close.
SQLRETURN COdbcSession::ApplyCommitMode(const CDbOptions& options) {
    const int wanted = options.commitType != 0 ? 1 : 0;
    const SQLULEN mode = wanted ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    SQLRETURN rc = SQLSetConnectAttr(m_dbc.Get(), SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(mode), SQL_IS_UINTEGER);
    if (OdbcOk(rc)) m_commitMode = wanted;
    return rc;
}

bool COdbcSession::EndTransaction(bool commit, std::string& error) {
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (OdbcOk(rc)) return true;
    Failure(m_dbc, error);
    return false;
}

void COdbcSession::SetDeadline(Clock::time_point deadline, int seconds) {
    m_deadline = deadline;
    m_limitSeconds = seconds;
}

bool COdbcSession::TimedOut() const {
    return m_deadline != Clock::time_point::max() && Clock::now() >= m_deadline;
}

void COdbcSession::Failure(const COdbcHandle& handle, std::string& message) {
    std::string state;
    message = handle.Diagnostics(&state);
    if (message.empty()) message = "ODBC call failed";
    if (TimedOut()) {
        message = TimeLimitText(m_limitSeconds);
        return;
    }
    // psqlODBC reports a dropped connection as HY000; the driver's dead flag
    // tells it apart from a failing statement.
    if (handle.Type() != SQL_HANDLE_ENV && m_connected && m_dbc.IsOpen() &&
        (IsConnectionLost(state, message) || ConnectionDead())) {
        // The next call logs on again.
        m_connected = false;
        m_lost = true;
    }
}

bool COdbcSession::NewStatement(std::unique_ptr<COdbcStatement>& stmt, std::string& error) {
    stmt = std::make_unique<COdbcStatement>();
    bool noScan = m_noScan;
    if (!OdbcOk(stmt->Allocate(m_dbc.Get(), m_limitSeconds, noScan))) {
        Failure(m_dbc, error);
        stmt.reset();
        return false;
    }
    Watch(*stmt);
    return true;
}

bool COdbcSession::DriverText(const std::string& sql, std::string& text, std::string& error) {
    if (m_noScan) {
        text = sql;
        return true;
    }
    return GuardEscapes(sql, text, error);
}

std::unique_ptr<CDbCursor> COdbcSession::RunShaped(const std::string& shape,
                                                   const std::vector<long long>& values,
                                                   const CDbOptions& options, int rowLimit) {
    std::unique_ptr<COdbcStatement> stmt;
    std::string ignored;
    if (!m_cache.Take(shape, stmt)) {
        if (!NewStatement(stmt, ignored) || !OdbcOk(stmt->Prepare(shape))) return nullptr;
    } else if (stmt->PrepareAgain() && !OdbcOk(stmt->Prepare(shape))) {
        return nullptr;
    }
    Watch(*stmt);
    // With parameters the SQLite driver reads the whole result at execute
    // unless told where to stop; no more than the row limit is read anyway.
    if (!OdbcOk(stmt->BindIntegers(values)) ||
        !OdbcOk(stmt->SetMaxRows(static_cast<SQLULEN>(rowLimit))) || !OdbcOk(stmt->Execute()))
        return nullptr;
    if (!stmt->IsDescribed() &&
        (!stmt->Describe() || !stmt->BindColumns(m_driver, rowLimit, options.dateFormat)))
        return nullptr;
    return std::make_unique<COdbcCursor>(*this, std::move(stmt), shape);
}

std::unique_ptr<CDbCursor> COdbcSession::OpenQuery(const CSqlStatement& statement,
                                                   const CDbOptions& options, int rowLimit,
                                                   std::string& error) {
    m_lost = false;
    std::string text;
    if (!DriverText(statement.GetDriverSql(), text, error)) return nullptr;
    // The cap goes to the database: PostgreSQL then produces and sends no
    // more rows (psqlODBC reads a whole result at execute).
    std::string limited;
    if (m_postgres && rowLimit > 0 && AppendRowLimit(text, rowLimit, limited)) text.swap(limited);
    // A query of a known shape runs on its kept statement; anything that
    // fails there runs again as written, which gives its own error. A
    // failed statement spoils an open transaction: only with auto-commit.
    std::string shape;
    std::vector<long long> shapeValues;
    if (options.commitType != 0 && rowLimit > 0 && statement.GetBindVars().empty() &&
        ShapeQuery(text, shape, shapeValues)) {
        if (std::unique_ptr<CDbCursor> cursor = RunShaped(shape, shapeValues, options, rowLimit))
            return cursor;
        if (TimedOut() || !m_connected) {
            error = TimedOut() ? TimeLimitText(m_limitSeconds) : "the connection was lost";
            m_lost = !m_connected;
            return nullptr;
        }
    }
    std::vector<CBindValue> values;
    if (!BindValuesOf(statement, options.dateFormat, DateBinding::kByDateFormat, values, error))
        return nullptr;
    std::unique_ptr<COdbcStatement> stmt;
    if (!NewStatement(stmt, error)) return nullptr;
    if (!OdbcOk(stmt->Prepare(text)) || !OdbcOk(stmt->BindParams(values)) ||
        (rowLimit > 0 && !OdbcOk(stmt->SetMaxRows(static_cast<SQLULEN>(rowLimit)))) ||
        !OdbcOk(stmt->Execute()) || !stmt->Describe() ||
        !stmt->BindColumns(m_driver, rowLimit, options.dateFormat)) {
        Failure(stmt->Handle(), error);
        return nullptr;
    }
    return std::make_unique<COdbcCursor>(*this, std::move(stmt), std::string());
}

void COdbcSession::EndQuery(std::unique_ptr<CDbCursor> cursor, bool ended, bool full,
                            const CDbOptions& options) {
    auto* rows = static_cast<COdbcCursor*>(cursor.get());
    if (rows && !rows->Key().empty()) {
        // The SQLite driver goes on where a closed cursor stopped when the
        // statement runs again, also one stopped by SQL_ATTR_MAX_ROWS: such
        // a statement is kept to be prepared again before it runs. Other
        // drivers' statements run again from the start; one read to its
        // cap (LIMIT) ends with the next fetch.
        if (!ended && !m_resumesCursors) {
            std::vector<std::string> beyond;
            std::string ignored;
            ended = rows->Fetch(beyond, ignored) == 0;
        }
        const bool stopped = !ended || (full && m_resumesCursors);
        if (!stopped || m_resumesCursors) {
            std::unique_ptr<COdbcStatement> stmt = rows->TakeStatement();
            stmt->SetPrepareAgain(stopped);
            m_cache.Give(rows->Key(), std::move(stmt));
        }
    }
    cursor.reset();
    // In auto-commit the closed cursor ended the read transaction; else it
    // ends here, so later reads see other writers' commits.
    std::string ignored;
    if (m_connected && options.commitType != 0 && m_commitMode != 1) EndTransaction(true, ignored);
}

void COdbcSession::QueryFailed(const CDbOptions& options) {
    std::string ignored;
    if (m_connected && options.commitType != 0) EndTransaction(false, ignored);
}

bool COdbcSession::PrepareBound(const CSqlStatement& statement, const CDbOptions& options,
                                std::unique_ptr<COdbcStatement>& stmt, std::string& text,
                                std::vector<CBindValue>& values, std::string& error) {
    m_lost = false;
    if (!DriverText(statement.GetDriverSql(), text, error) ||
        !BindValuesOf(statement, options.dateFormat, DateBinding::kByDateFormat, values, error) ||
        !NewStatement(stmt, error))
        return false;
    if (OdbcOk(stmt->Prepare(text)) && OdbcOk(stmt->BindParams(values))) return true;
    Failure(stmt->Handle(), error);
    return false;
}

bool COdbcSession::Execute(const CSqlStatement& statement, const CDbOptions& options,
                           std::string& error) {
    m_cache.Clear();  // the statement may change the schema
    std::unique_ptr<COdbcStatement> stmt;
    std::string text;
    std::vector<CBindValue> values;
    if (!PrepareBound(statement, options, stmt, text, values, error)) {
        QueryFailed(options);
        return false;
    }
    if (!OdbcOk(stmt->Execute())) {
        Failure(stmt->Handle(), error);
        QueryFailed(options);
        return false;
    }
    stmt.reset();
    if (options.commitType != 0 && !EndTransaction(true, error)) {
        QueryFailed(options);
        return false;
    }
    return true;
}

std::unique_ptr<CDbCursor> COdbcSession::OpenPaged(const CSqlStatement& statement,
                                                   const CDbOptions& options, bool& noColumns,
                                                   std::string& error) {
    noColumns = false;
    std::unique_ptr<COdbcStatement> stmt;
    std::string text;
    std::vector<CBindValue> values;
    if (!PrepareBound(statement, options, stmt, text, values, error)) return nullptr;
    // Looks at the result columns before running: a statement without any
    // is refused and never runs.
    if (!stmt->Describe()) {
        Failure(stmt->Handle(), error);
        return nullptr;
    }
    if (stmt->Columns().empty()) {
        noColumns = true;
        return nullptr;
    }
    if (m_postgres) {
        // The database keeps the rows; each batch is one FETCH, so neither
        // psqlODBC nor this server ever holds the whole result.
        const std::vector<std::string> names = stmt->ColumnNames();
        const std::string name = "zentry_paged_" + std::to_string(++m_heldCursors);
        std::unique_ptr<COdbcStatement> declare;
        if (!NewStatement(declare, error)) return nullptr;
        if (!OdbcOk(declare->Prepare("DECLARE " + name + " NO SCROLL CURSOR WITH HOLD FOR " + text)) ||
            !OdbcOk(declare->BindParams(values)) || !OdbcOk(declare->Execute())) {
            Failure(declare->Handle(), error);
            return nullptr;
        }
        return std::make_unique<COdbcHeldCursor>(*this, name, names, options.dateFormat);
    }
    if (!OdbcOk(stmt->Execute()) || !stmt->Describe() ||
        !stmt->BindColumns(m_driver, options.fetchCount, options.dateFormat)) {
        Failure(stmt->Handle(), error);
        return nullptr;
    }
    return std::make_unique<COdbcCursor>(*this, std::move(stmt), std::string());
}

bool COdbcSession::DescribeTable(const std::string& table, const CDbOptions& options,
                                 std::string& out, std::string& error) {
    m_lost = false;
    out.clear();
    std::unique_ptr<COdbcStatement> stmt;
    if (!NewStatement(stmt, error)) return false;
    if (!OdbcOk(stmt->ExecuteDirect("select * from " + table + " where 1=2 ")) ||
        !stmt->Describe()) {
        Failure(stmt->Handle(), error);
        QueryFailed(options);
        return false;
    }
    for (const COdbcStatement::CColumn& c : stmt->Columns()) out += DescribeLine(c);
    stmt.reset();
    std::string ignored;
    if (options.commitType != 0) EndTransaction(true, ignored);
    return true;
}

// The logon sets what the SQLite driver and psqlODBC need; another driver
// to PostgreSQL may still leave another client encoding.
std::string COdbcSession::CheckSetup() {
    if (!m_connected) return std::string();
    if (m_postgres) {
        std::unique_ptr<COdbcStatement> stmt;
        std::string error;
        std::vector<std::string> row;
        if (!NewStatement(stmt, error) || !OdbcOk(stmt->ExecuteDirect("SHOW client_encoding")) ||
            !stmt->Describe() || !stmt->BindColumns(m_driver, 1, 0) || stmt->Fetch(row) != 1 ||
            row.empty())
            return "cannot read the client encoding of the data source \"" + m_login.server + "\"";
        if (strcasecmp(row[0].c_str(), "UTF8") != 0)
            return "the data source \"" + m_login.server + "\" talks to PostgreSQL in " + row[0] +
                   ", not UTF8; add the line ConnSettings=set client_encoding to 'UTF8' to its "
                   "section of odbc.ini";
    }
    return std::string();
}
