// COdbcStatement: one ODBC statement handle with what it needs to run again:
// the values bound to its parameters, its result columns, and buffers bound
// to those columns that one fetch fills with a block of rows. Long columns
// (and a value longer than its buffer) are read with SQLGetData. Each call
// that may wait on the database is watched against the deadline.
#pragma once

#include "CBindValue.h"
#include "COdbcWatchdog.h"
#include "OdbcHandles.h"

#include <string>
#include <vector>

class COdbcStatement {
public:
    struct CColumn {
        std::string name;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT scale = 0;
        SQLSMALLINT nullable = 0;
    };

    // What the connection's driver can do while fetching blocks.
    struct CDriverInfo {
        // SQLGetData of any column in any order, bound ones too: columns
        // get buffers (else every value is read with SQLGetData).
        bool bindColumns = false;
        bool getDataInBlocks = false;  // SQLGetData after SQLSetPos in a block of rows
    };

    COdbcStatement() = default;
    COdbcStatement(const COdbcStatement&) = delete;
    COdbcStatement& operator=(const COdbcStatement&) = delete;

    // Allocates the handle; switches off the driver's escape scanning
    // (noScan is cleared when the driver refuses) and sets the time limit.
    SQLRETURN Allocate(SQLHDBC dbc, int limitSeconds, bool& noScan);
    COdbcStmt& Handle() { return m_stmt; }
    SQLHSTMT Get() const { return m_stmt.Get(); }

    // The session's watch and the deadline of the calls that follow.
    void Watch(COdbcWatchdog::CWatch* watch, COdbcWatchdog::Clock::time_point deadline) {
        m_watch = watch;
        m_deadline = deadline;
    }

    SQLRETURN Prepare(const std::string& text);
    // Binds the values, kept here until they are bound again.
    SQLRETURN BindParams(const std::vector<CBindValue>& values);
    // Binds integer values; the same number as before only updates them.
    SQLRETURN BindIntegers(const std::vector<long long>& values);
    // At most rows rows (0: no cap).
    SQLRETURN SetMaxRows(SQLULEN rows);
    // Runs the prepared statement (SQL_NO_DATA, a statement without rows,
    // counts as success).
    SQLRETURN Execute();
    SQLRETURN ExecuteDirect(const std::string& text);

    // Describes the result columns (after the first execution; kept for the
    // next ones). False with the handle's diagnostics on a failure.
    bool Describe();
    bool IsDescribed() const { return m_described; }
    const std::vector<CColumn>& Columns() const { return m_columns; }
    const std::vector<std::string>& ColumnNames() const { return m_names; }
    // Binds buffers for up to rowsHint rows per fetch (fewer where the
    // driver cannot read long values in a block).
    bool BindColumns(const CDriverInfo& driver, int rowsHint, int dateFormat);

    // The next row as texts: 1 a row, 0 no more rows, -1 an error (the
    // handle's diagnostics tell it).
    int Fetch(std::vector<std::string>& values);
    // Closes the cursor: the statement can run again.
    bool CloseCursor();
    // Kept with a cursor the driver would resume: prepared again before it
    // runs (its buffers and descriptions stay).
    void SetPrepareAgain(bool again) { m_prepareAgain = again; }
    bool PrepareAgain() const { return m_prepareAgain; }

private:
    enum Kind { kChar, kDecimal, kBinary, kDouble, kFloat, kTimestamp, kLongChar, kLongBinary };
    struct CBinding {
        Kind kind = kChar;
        bool bound = false;           // a buffer the fetch fills
        SQLLEN width = 0;             // bytes per row in buffer
        std::vector<char> buffer;     // rows x width
        std::vector<SQLLEN> lengths;  // one per row
    };

    std::string DateOf(const SQL_TIMESTAMP_STRUCT& ts) const;
    // The value from the column's buffer, or with SQLGetData when fromDriver.
    bool ReadValue(size_t column, size_t row, bool fromDriver, std::string& value);

    COdbcStmt m_stmt;
    COdbcWatchdog::CWatch* m_watch = nullptr;
    COdbcWatchdog::Clock::time_point m_deadline = COdbcWatchdog::Clock::time_point::max();

    std::vector<CBindValue> m_values;
    std::vector<SQLLEN> m_valueLengths;

    bool m_described = false;
    std::vector<CColumn> m_columns;
    std::vector<std::string> m_names;
    std::vector<CBinding> m_bindings;
    bool m_positioned = false;  // blocks of rows: SQLSetPos before SQLGetData
    int m_dateFormat = 0;
    SQLULEN m_rowsPerFetch = 1;
    SQLULEN m_fetched = 0;
    SQLULEN m_position = 0;
    std::vector<SQLUSMALLINT> m_rowStatus;
    bool m_ended = false;
    SQLULEN m_maxRows = 0;
    bool m_prepareAgain = false;
};
