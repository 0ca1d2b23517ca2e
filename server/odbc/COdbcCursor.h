// The rows of a query on a COdbcSession: COdbcCursor reads them from one
// statement in blocks; COdbcHeldCursor reads a paged query from a cursor
// PostgreSQL holds for the session ("DECLARE ... WITH HOLD"), one batch
// per FETCH, so that neither the driver nor the server reads the result
// whole. Both are freed before their connection goes (Invalidate).
#pragma once

#include "CDbCursor.h"
#include "COdbcStatement.h"

#include <memory>
#include <string>
#include <vector>

class COdbcSession;

class COdbcCursorBase : public CDbCursor {
public:
    explicit COdbcCursorBase(COdbcSession& session);
    ~COdbcCursorBase() override;
    // The connection goes: the statements are freed, later fetches fail.
    virtual void Invalidate();

protected:
    COdbcSession* m_session;
};

class COdbcCursor : public COdbcCursorBase {
public:
    // key: the text the statement is kept under when read to its end
    // (empty: not kept).
    COdbcCursor(COdbcSession& session, std::unique_ptr<COdbcStatement> stmt, std::string key);

    const std::vector<std::string>& Columns() const override;
    int Fetch(std::vector<std::string>& values, std::string& error) override;
    void Invalidate() override;

    const std::string& Key() const { return m_key; }
    std::unique_ptr<COdbcStatement> TakeStatement() { return std::move(m_stmt); }

private:
    std::unique_ptr<COdbcStatement> m_stmt;
    std::vector<std::string> m_columns;
    std::string m_key;
};

class COdbcHeldCursor : public COdbcCursorBase {
public:
    COdbcHeldCursor(COdbcSession& session, std::string name, std::vector<std::string> columns,
                    int dateFormat);
    // Closes the cursor on the database.
    ~COdbcHeldCursor() override;

    const std::vector<std::string>& Columns() const override { return m_columns; }
    int Fetch(std::vector<std::string>& values, std::string& error) override;
    void ExpectRows(int rows) override { m_batch = rows > 0 ? rows : 1; }
    void Invalidate() override;

private:
    std::string m_name;
    std::vector<std::string> m_columns;
    int m_dateFormat;
    std::unique_ptr<COdbcStatement> m_block;  // the last FETCH
    bool m_blockOpen = false;
    int m_batch = 1000;
    int m_asked = 0;     // rows the last FETCH asked for
    int m_received = 0;  // rows it gave so far
    bool m_done = false;
};
