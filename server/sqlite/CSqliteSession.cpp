#include "CSqliteSession.h"

#include "CBindValue.h"
#include "CSqlStatement.h"
#include "DateText.h"
#include "QueryShape.h"

#include <algorithm>

namespace {

const int kBusyTimeoutMs = 10000;
// Virtual machine steps between two looks at the clock.
const int kProgressSteps = 1000;

int Bind(sqlite3_stmt* stmt, int index, const CBindValue& v) {
    switch (v.kind) {
    case CBindValue::kInteger: return sqlite3_bind_int64(stmt, index, v.integer);
    case CBindValue::kReal: return sqlite3_bind_double(stmt, index, v.real);
    default:
        return sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()),
                                 SQLITE_TRANSIENT);
    }
}

}  // namespace

// The rows of one statement of a session. A query's first step is taken
// when it opens (it runs a statement that is not a query, and prepares a
// kept statement again after a change of the schema before its column
// names are read).
class CSqliteCursor : public CDbCursor {
public:
    CSqliteCursor(CSqliteSession& session, CSqliteStmt&& stmt, std::string key)
        : m_session(&session), m_stmt(std::move(stmt)), m_key(std::move(key)) {
        m_session->m_cursors.insert(this);
    }
    ~CSqliteCursor() override {
        if (m_session) m_session->m_cursors.erase(this);
    }

    // Takes the first step; false with the error when it fails.
    bool Start(std::string& error) {
        m_pending = sqlite3_step(m_stmt.Get());
        if (m_pending != SQLITE_ROW && m_pending != SQLITE_DONE) {
            error = m_session->ErrorText();
            return false;
        }
        return true;
    }
    void ReadNames() {
        m_columns.clear();
        const int count = sqlite3_column_count(m_stmt.Get());
        for (int i = 0; i < count; ++i) {
            const char* name = sqlite3_column_name(m_stmt.Get(), i);
            m_columns.push_back(name && *name ? name : "noname");
        }
    }
    const std::vector<std::string>& Columns() const override { return m_columns; }

    int Fetch(std::vector<std::string>& values, std::string& error) override {
        if (m_done) return 0;
        if (!m_session || !m_stmt.IsOpen()) {
            error = "database is not open";
            return -1;
        }
        const int rc = m_pending ? m_pending : sqlite3_step(m_stmt.Get());
        m_pending = 0;
        if (rc == SQLITE_DONE) {
            // A finished statement must not be stepped again: it restarts.
            m_done = true;
            return 0;
        }
        if (rc != SQLITE_ROW) {
            error = m_session->ErrorText();
            return -1;
        }
        ReadRow(values);
        return 1;
    }

    // Every value as text; a NULL is empty; a real prints shortest round-trip.
    void ReadRow(std::vector<std::string>& values) {
        sqlite3_stmt* stmt = m_stmt.Get();
        values.resize(m_columns.size());
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const int column = static_cast<int>(i);
            std::string& v = values[i];
            switch (sqlite3_column_type(stmt, column)) {
            case SQLITE_NULL: v.clear(); break;
            case SQLITE_FLOAT: v = FormatDouble(sqlite3_column_double(stmt, column)); break;
            default: {
                const unsigned char* text = sqlite3_column_text(stmt, column);
                const int bytes = sqlite3_column_bytes(stmt, column);
                v.assign(text ? reinterpret_cast<const char*>(text) : "", text ? bytes : 0);
                break;
            }
            }
        }
    }

    // The file closes: the statement goes first.
    void Invalidate() {
        m_stmt.Reset();
        m_session = nullptr;
    }
    CSqliteStmt& Stmt() { return m_stmt; }
    const std::string& Key() const { return m_key; }

private:
    CSqliteSession* m_session;
    CSqliteStmt m_stmt;
    std::string m_key;
    std::vector<std::string> m_columns;
    int m_pending = 0;  // the result of a step taken but not yet read
    bool m_done = false;
};

CSqliteSession::CSqliteSession(const std::string& path, bool main) : m_path(path), m_main(main) {}

CSqliteSession::~CSqliteSession() { Close(); }

bool CSqliteSession::Open(std::string& error) {
    Close();
    if (m_path.empty()) {
        error = "no database file given";
        return false;
    }
    if (!m_db.Open(m_path, error)) return false;
    m_busyMs = -1;
    SetDeadline(m_deadline, m_limitSeconds);
    sqlite3_progress_handler(m_db.Get(), kProgressSteps, &CSqliteSession::OnProgress, this);
    // WAL keeps readers and the writer apart; FULL syncs every commit.
    char* message = nullptr;
    if (sqlite3_exec(m_db.Get(), "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr,
                     nullptr, &message) != SQLITE_OK) {
        error = message ? message : m_db.ErrorText();
        sqlite3_free(message);
        m_db.Reset();
        return false;
    }
    return true;
}

void CSqliteSession::Close() {
    for (CSqliteCursor* cursor : m_cursors) cursor->Invalidate();
    m_cursors.clear();
    m_cache.Clear();
    m_db.Reset();
}

bool CSqliteSession::EnsureOpen(const CDbOptions&, std::string& error) {
    // A closed main session stays closed: the operations then fail with the
    // engine's text.
    if (m_main || m_db.IsOpen()) return true;
    return Open(error);
}

int CSqliteSession::OnProgress(void* data) {
    CSqliteSession* self = static_cast<CSqliteSession*>(data);
    if (self->m_deadline == Clock::time_point::max() || Clock::now() < self->m_deadline) return 0;
    self->m_stopped = true;
    return 1;
}

void CSqliteSession::SetDeadline(Clock::time_point deadline, int seconds) {
    m_deadline = deadline;
    m_limitSeconds = seconds;
    m_stopped = false;
    // Waiting for another writer counts against the limit too.
    const int busy = seconds > 0 ? std::min(kBusyTimeoutMs, seconds * 1000) : kBusyTimeoutMs;
    if (m_db.IsOpen() && busy != m_busyMs) {
        sqlite3_busy_timeout(m_db.Get(), busy);
        m_busyMs = busy;
    }
}

std::string CSqliteSession::ErrorText() const {
    if (m_stopped) return TimeLimitText(m_limitSeconds);
    return m_db.ErrorText();
}

bool CSqliteSession::PrepareBound(const CSqlStatement& statement, CSqliteStmt& stmt,
                                  std::string& error) {
    std::vector<CBindValue> values;
    if (!BindValuesOf(statement, 0, DateBinding::kAsWritten, values, error)) return false;
    if (!stmt.Prepare(m_db.Get(), statement.GetDriverSql().c_str(), nullptr, error)) return false;
    if (!stmt.IsOpen()) {
        error = "no SQL statement";
        return false;
    }
    const int count = sqlite3_bind_parameter_count(stmt.Get());
    for (int i = 1; i <= count && static_cast<size_t>(i) <= values.size(); ++i) {
        if (Bind(stmt.Get(), i, values[static_cast<size_t>(i - 1)]) != SQLITE_OK) {
            error = m_db.ErrorText();
            stmt.Reset();
            return false;
        }
    }
    return true;
}

bool CSqliteSession::PrepareQuery(const CSqlStatement& statement, CSqliteStmt& stmt,
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

std::unique_ptr<CDbCursor> CSqliteSession::OpenQuery(const CSqlStatement& statement,
                                                     const CDbOptions&, int rowLimit,
                                                     std::string& error) {
    CSqliteStmt stmt;
    std::string key;
    if (!PrepareQuery(statement, stmt, key, error)) return nullptr;
    auto cursor = std::make_unique<CSqliteCursor>(*this, std::move(stmt), key);
    if (rowLimit > 0 && !cursor->Start(error)) return nullptr;
    cursor->ReadNames();
    return cursor;
}

void CSqliteSession::EndQuery(std::unique_ptr<CDbCursor> cursor, bool, bool, const CDbOptions&) {
    auto* rows = static_cast<CSqliteCursor*>(cursor.get());
    // Reset when kept, so no kept statement holds a read transaction open.
    if (rows && !rows->Key().empty()) m_cache.Give(rows->Key(), std::move(rows->Stmt()));
}

bool CSqliteSession::Execute(const CSqlStatement& statement, const CDbOptions&,
                             std::string& error) {
    std::vector<CBindValue> values;
    if (!BindValuesOf(statement, 0, DateBinding::kAsWritten, values, error)) return false;
    // Every statement of the text, each binding the variables it holds in turn.
    const std::string& sql = statement.GetDriverSql();
    const char* text = sql.c_str();
    size_t next = 0;
    while (text && *text) {
        CSqliteStmt stmt;
        const char* tail = nullptr;
        if (!stmt.Prepare(m_db.Get(), text, &tail, error)) return false;
        if (stmt.IsOpen()) {
            const int count = sqlite3_bind_parameter_count(stmt.Get());
            for (int i = 1; i <= count && next < values.size(); ++i) {
                if (Bind(stmt.Get(), i, values[next++]) != SQLITE_OK) {
                    error = m_db.ErrorText();
                    return false;
                }
            }
            int rc;
            while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) {
                error = ErrorText();
                return false;
            }
        }
        if (!tail || tail == text) break;
        text = tail;
    }
    return true;
}

std::unique_ptr<CDbCursor> CSqliteSession::OpenPaged(const CSqlStatement& statement,
                                                     const CDbOptions&, bool& noColumns,
                                                     std::string& error) {
    noColumns = false;
    CSqliteStmt stmt;
    if (!PrepareBound(statement, stmt, error)) return nullptr;
    // A statement without result columns is refused before it runs.
    if (sqlite3_column_count(stmt.Get()) < 1) {
        noColumns = true;
        return nullptr;
    }
    auto cursor = std::make_unique<CSqliteCursor>(*this, std::move(stmt), std::string());
    cursor->ReadNames();
    return cursor;
}
