#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "DateText.h"
#include "LogMask.h"
#include "LogWriter.h"
#include "QueryShape.h"
#include "ResultText.h"

#include <ctime>

namespace {

const int kBusyTimeoutMs = 10000;
const char kNoSlot[] = "没有多余的流查询可供使用";

void ReadColumns(sqlite3_stmt* stmt, std::vector<std::string>& names) {
    names.clear();
    int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(stmt, i);
        names.push_back(name && *name ? name : "noname");
    }
}

// Every value as text; a NULL is empty; a real prints shortest round-trip.
void ReadRow(sqlite3_stmt* stmt, int count, std::vector<std::string>& values) {
    values.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string& v = values[static_cast<size_t>(i)];
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL: v.clear(); break;
        case SQLITE_FLOAT: v = FormatDouble(sqlite3_column_double(stmt, i)); break;
        default: {
            const unsigned char* text = sqlite3_column_text(stmt, i);
            int bytes = sqlite3_column_bytes(stmt, i);
            v.assign(text ? reinterpret_cast<const char*>(text) : "", text ? bytes : 0);
            break;
        }
        }
    }
}

int BindParam(sqlite3_stmt* stmt, int index, const CSqlParam& p) {
    switch (p.type) {
    case SQL_PARAM_INT: return sqlite3_bind_int64(stmt, index, p.intValue);
    case SQL_PARAM_FLOAT: return sqlite3_bind_double(stmt, index, p.floatValue);
    case SQL_PARAM_DATE:
        return sqlite3_bind_text(stmt, index, p.dateText.data(),
                                 static_cast<int>(p.dateText.size()), SQLITE_TRANSIENT);
    default:
        return sqlite3_bind_text(stmt, index, p.textValue.data(),
                                 static_cast<int>(p.textValue.size()), SQLITE_TRANSIENT);
    }
}

}  // namespace

CSqliteConnection::CSqliteConnection() = default;

CSqliteConnection::~CSqliteConnection() { Close(); }

bool CSqliteConnection::Connect(const char* path, const char*, const char*, const char*) {
    m_slots.ResetAll();
    m_cache.Clear();
    m_db.Reset();
    m_path = path ? path : "";
    std::string error;
    if (m_path.empty()) {
        m_errorText = "no database file given";
        return false;
    }
    if (!m_db.Open(m_path, error)) {
        m_errorText = error;
        return false;
    }
    sqlite3_busy_timeout(m_db.Get(), kBusyTimeoutMs);
    // WAL keeps readers and the writer apart; FULL syncs every commit.
    char* message = nullptr;
    if (sqlite3_exec(m_db.Get(), "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr,
                     nullptr, &message) != SQLITE_OK) {
        m_errorText = message ? message : m_db.ErrorText();
        sqlite3_free(message);
        m_db.Reset();
        return false;
    }
    return true;
}

bool CSqliteConnection::Close() {
    m_slots.ResetAll();
    m_cache.Clear();
    m_db.Reset();
    return true;
}

void CSqliteConnection::LogError(const std::string& message, const std::string& sql) {
    m_errorText = message;
    m_errorSql = sql;
    m_errorCode = -1;
    LogMessage("%s\n", MaskSecretsOf(message, sql).c_str());
    LogMessage("%s\n", MaskSqlSecrets(sql).c_str());
}

bool CSqliteConnection::PrepareBound(const CSqlStatement& statement, CSqliteStmt& stmt,
                                     std::string& error) {
    std::vector<const CSqlParam*> binds;
    if (!statement.ResolveBindings(binds, error)) return false;
    if (!stmt.Prepare(m_db.Get(), statement.GetDriverSql().c_str(), nullptr, error)) return false;
    if (!stmt.IsOpen()) {
        error = "no SQL statement";
        return false;
    }
    int count = sqlite3_bind_parameter_count(stmt.Get());
    for (int i = 1; i <= count && static_cast<size_t>(i) <= binds.size(); ++i) {
        if (BindParam(stmt.Get(), i, *binds[static_cast<size_t>(i - 1)]) != SQLITE_OK) {
            error = m_db.ErrorText();
            stmt.Reset();
            return false;
        }
    }
    return true;
}

bool CSqliteConnection::Run(const CSqlStatement& statement, std::string& error) {
    std::vector<const CSqlParam*> binds;
    if (!statement.ResolveBindings(binds, error)) return false;
    const std::string& sql = statement.GetDriverSql();
    const char* text = sql.c_str();
    size_t next = 0;
    while (text && *text) {
        CSqliteStmt stmt;
        const char* tail = nullptr;
        if (!stmt.Prepare(m_db.Get(), text, &tail, error)) return false;
        if (stmt.IsOpen()) {
            int count = sqlite3_bind_parameter_count(stmt.Get());
            for (int i = 1; i <= count && next < binds.size(); ++i) {
                if (BindParam(stmt.Get(), i, *binds[next++]) != SQLITE_OK) {
                    error = m_db.ErrorText();
                    return false;
                }
            }
            int rc;
            while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) {
                error = m_db.ErrorText();
                return false;
            }
        }
        if (!tail || tail == text) break;
        text = tail;
    }
    return true;
}

int CSqliteConnection::Query(const char* sql, CResultSet& result, CListString& errorText) {
    return Query(CSqlStatement(sql), result, errorText);
}

bool CSqliteConnection::PrepareQuery(const CSqlStatement& statement, CSqliteStmt& stmt,
                                     std::string& key, std::string& error) {
    key.clear();
    if (!statement.GetBindVars().empty()) return PrepareBound(statement, stmt, error);
    std::vector<long long> values;
    std::string shape;
    const bool shaped = ShapeQuery(statement.GetDriverSql(), shape, values);
    const std::string& text = shaped ? shape : statement.GetDriverSql();
    if (m_cache.Take(text, stmt) ||
        (stmt.Prepare(m_db.Get(), text.c_str(), nullptr, error) && stmt.IsOpen())) {
        bool bound = sqlite3_bind_parameter_count(stmt.Get()) == static_cast<int>(values.size());
        for (size_t i = 0; bound && i < values.size(); ++i)
            bound = sqlite3_bind_int64(stmt.Get(), static_cast<int>(i + 1), values[i]) == SQLITE_OK;
        if (bound) {
            key = text;
            return true;
        }
    }
    // The text as written: its own error, or a run without the shape.
    stmt.Reset();
    return PrepareBound(statement, stmt, error);
}

int CSqliteConnection::Query(const CSqlStatement& statement, CResultSet& result,
                             CListString& errorText) {
    result.Clear();
    CSqliteStmt stmt;
    std::string error, key;
    if (!PrepareQuery(statement, stmt, key, error)) {
        errorText = error.c_str();
        LogError(error, statement.GetSql());
        return -1;
    }
    // The first step comes before the column names: a statement kept from
    // before a change of the schema is prepared again by it.
    int rc = m_options.rowLimit > 0 ? sqlite3_step(stmt.Get()) : SQLITE_DONE;
    std::vector<std::string> names, values;
    ReadColumns(stmt.Get(), names);
    SetResultFields(result, names);
    int rows = 0;
    int columns = static_cast<int>(names.size());
    while (rc == SQLITE_ROW) {
        ReadRow(stmt.Get(), columns, values);
        AddResultRow(result, values);
        if (++rows >= m_options.rowLimit) break;
        rc = sqlite3_step(stmt.Get());
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        // A failed step is an error, not the end of the rows.
        error = m_db.ErrorText();
        errorText = error.c_str();
        LogError(error, statement.GetSql());
        result.Clear();
        return -1;
    }
    if (!key.empty()) m_cache.Give(key, std::move(stmt));
    return rows;
}

int CSqliteConnection::QueryToText(const char* sql, CListString& out, CListString& errorText) {
    out = "";
    errorText = "";
    CSqlStatement statement(sql);
    CSqliteStmt stmt;
    std::string error;
    if (!PrepareBound(statement, stmt, error)) {
        errorText = error.c_str();
        LogError(error, statement.GetSql());
        return -1;
    }
    std::string text;
    std::vector<std::string> names, values;
    ReadColumns(stmt.Get(), names);
    if (m_options.header != 0) AppendResultLine(text, names, m_options.columnSep, m_options.lineSep);
    int rows = 0;
    int columns = static_cast<int>(names.size());
    for (;;) {
        int rc = sqlite3_step(stmt.Get());
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            error = m_db.ErrorText();
            errorText = error.c_str();
            LogError(error, statement.GetSql());
            out = text.c_str();
            return -1;
        }
        ReadRow(stmt.Get(), columns, values);
        AppendResultLine(text, values, m_options.columnSep, m_options.lineSep);
        ++rows;
    }
    out = text.c_str();
    return rows;
}

bool CSqliteConnection::Execute(const char* sql, CListString& errorText) {
    errorText = "";
    if (m_busy) return false;
    if (!sql) return false;
    m_busy = true;
    m_errorText = "success";
    errorText = "success";
    CSqlStatement statement(sql);
    std::string error;
    bool ok = Run(statement, error);
    if (!ok) {
        errorText = error.c_str();
        LogError(error, statement.GetSql());
    }
    m_busy = false;
    return ok;
}

bool CSqliteConnection::ExecuteWithParams(CSqlStatement& statement) {
    statement.SetErrorText("");
    if (m_busy) return false;
    m_busy = true;
    m_errorText = "success";
    statement.SetErrorText("success");
    std::string error;
    bool ok = Run(statement, error);
    if (!ok) {
        statement.SetErrorText(error);
        LogError(error, statement.GetRewrittenSql());
    }
    m_busy = false;
    return ok;
}

bool CSqliteConnection::SelectPrepare(const char* sql, CListString& slotId,
                                      CListString& errorText) {
    slotId = "";
    CQuerySlot<Cursor>* slot = m_slots.FindFreeSlot();
    if (!slot) {
        errorText = kNoSlot;
        m_errorText = kNoSlot;
        return false;
    }
    errorText = "success";
    CSqlStatement statement(sql);
    std::string error;
    if (!PrepareBound(statement, slot->cursor.stmt, error)) {
        slot->Reset();
        errorText = error.c_str();
        LogError(error, statement.GetSql());
        return false;
    }
    // A statement without result columns is refused before it runs.
    if (sqlite3_column_count(slot->cursor.stmt.Get()) < 1) {
        slot->Reset();
        return false;
    }
    ReadColumns(slot->cursor.stmt.Get(), slot->columns);
    slot->columnCount = static_cast<int>(slot->columns.size());
    slot->lastUse = time(nullptr);
    slot->sql = statement.GetSql();
    slot->slotId = MakeSlotId();
    slot->status = "success";
    slotId = slot->slotId.c_str();
    return true;
}

int CSqliteConnection::SelectNext(const char* slotId, CResultSet& result) {
    CQuerySlot<Cursor>* slot = m_slots.FindSlot(slotId ? slotId : "");
    if (!slot) return -1;
    result.Clear();
    slot->lastUse = time(nullptr);
    if (m_options.header != 0) SetResultFields(result, slot->columns);
    int rows = 0;
    std::vector<std::string> values;
    // A batch size below 1 would report the end while rows remain.
    const int batch = m_options.fetchCount > 0 ? m_options.fetchCount : 1000;
    while (!slot->cursor.done && rows < batch) {
        int rc = sqlite3_step(slot->cursor.stmt.Get());
        if (rc == SQLITE_DONE) {
            slot->cursor.done = true;
            break;
        }
        if (rc != SQLITE_ROW) {
            m_errorText = m_db.ErrorText();
            m_errorSql = slot->sql;
            m_errorCode = -1;
            LogMessage("Error:%s\n", MaskSecretsOf(m_errorText, slot->sql).c_str());
            LogMessage("sql=%s\n", MaskSqlSecrets(slot->sql).c_str());
            return -1;
        }
        ReadRow(slot->cursor.stmt.Get(), slot->columnCount, values);
        AddResultRow(result, values);
        ++rows;
    }
    return rows;
}

bool CSqliteConnection::SelectFinish(const char* slotId) {
    CQuerySlot<Cursor>* slot = m_slots.FindSlot(slotId ? slotId : "");
    if (!slot) return false;
    slot->Reset();
    return true;
}

void CSqliteConnection::CloseIdleSlots() { m_slots.CloseIdle(time(nullptr), m_options.idleSeconds); }

bool CSqliteConnection::DescribeTable(const char* table, CListString& out) {
    // The name is bound, never pasted into the text.
    CSqlStatement statement(
        "select sql from sqlite_master where type='table' and upper(name)=upper(:t<char[256]>)");
    statement.AddParam(SQL_PARAM_STRING, table ? table : "", "t");
    CSqliteStmt stmt;
    std::string error;
    out = "";
    if (!PrepareBound(statement, stmt, error)) {
        LogError(error, statement.GetSql());
        return false;
    }
    std::string text = "sql" + m_options.lineSep;
    std::vector<std::string> values;
    int rc;
    while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
        ReadRow(stmt.Get(), 1, values);
        AppendResultLine(text, values, m_options.columnSep, m_options.lineSep);
    }
    if (rc != SQLITE_DONE) {
        LogError(m_db.ErrorText(), statement.GetSql());
        return false;
    }
    out = text.c_str();
    return true;
}

void CSqliteConnection::SetOption(int option, const char* value) { m_options.Set(option, value); }

CListString CSqliteConnection::GetErrorText() const { return CListString(m_errorText.c_str()); }
