#include "COdbcCursor.h"

#include "COdbcSession.h"

namespace {

const char kConnectionGone[] = "the connection of this query was lost";

}  // namespace

COdbcCursorBase::COdbcCursorBase(COdbcSession& session) : m_session(&session) {
    m_session->Register(this);
}

COdbcCursorBase::~COdbcCursorBase() {
    if (m_session) m_session->Unregister(this);
}

void COdbcCursorBase::Invalidate() { m_session = nullptr; }

COdbcCursor::COdbcCursor(COdbcSession& session, std::unique_ptr<COdbcStatement> stmt,
                         std::string key)
    : COdbcCursorBase(session), m_stmt(std::move(stmt)), m_columns(m_stmt->ColumnNames()),
      m_key(std::move(key)) {}

const std::vector<std::string>& COdbcCursor::Columns() const { return m_columns; }

int COdbcCursor::Fetch(std::vector<std::string>& values, std::string& error) {
    if (!m_session || !m_stmt) {
        error = kConnectionGone;
        return -1;
    }
    m_session->Watch(*m_stmt);
    const int got = m_stmt->Fetch(values);
    if (got < 0) m_session->Failure(m_stmt->Handle(), error);
    return got;
}

void COdbcCursor::Invalidate() {
    m_stmt.reset();
    COdbcCursorBase::Invalidate();
}

COdbcHeldCursor::COdbcHeldCursor(COdbcSession& session, std::string name,
                                 std::vector<std::string> columns, int dateFormat)
    : COdbcCursorBase(session), m_name(std::move(name)), m_columns(std::move(columns)),
      m_dateFormat(dateFormat) {}

COdbcHeldCursor::~COdbcHeldCursor() {
    if (!m_session) return;
    // A cursor left open would live as long as the connection.
    std::unique_ptr<COdbcStatement> close;
    std::string ignored;
    if (m_session->NewStatement(close, ignored)) close->ExecuteDirect("CLOSE " + m_name);
}

void COdbcHeldCursor::Invalidate() {
    m_block.reset();
    COdbcCursorBase::Invalidate();
}

int COdbcHeldCursor::Fetch(std::vector<std::string>& values, std::string& error) {
    for (;;) {
        if (!m_session) {
            error = kConnectionGone;
            return -1;
        }
        if (m_blockOpen) {
            m_session->Watch(*m_block);
            const int got = m_block->Fetch(values);
            if (got > 0) {
                ++m_received;
                return 1;
            }
            if (got < 0) {
                m_session->Failure(m_block->Handle(), error);
                return -1;
            }
            m_blockOpen = false;
            m_block->CloseCursor();
            // Fewer rows than asked for: the cursor has no more.
            if (m_received < m_asked) m_done = true;
        }
        if (m_done) return 0;
        if (!m_block && !m_session->NewStatement(m_block, error)) return -1;
        m_session->Watch(*m_block);
        const SQLRETURN rc =
            m_block->ExecuteDirect("FETCH FORWARD " + std::to_string(m_batch) + " FROM " + m_name);
        if (!OdbcOk(rc) ||
            (!m_block->IsDescribed() &&
             (!m_block->Describe() ||
              !m_block->BindColumns(m_session->Driver(), m_batch, m_dateFormat)))) {
            m_session->Failure(m_block->Handle(), error);
            m_block.reset();
            return -1;
        }
        m_blockOpen = true;
        m_asked = m_batch;
        m_received = 0;
    }
}
