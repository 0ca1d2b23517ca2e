// CDbSession: one connection to the database, as a database object
// (COdbcConnection, CSqliteConnection) holds it: its main connection, and
// one per reader when reads run concurrently. A session is used by one
// thread at a time; the object locks it around every call.
#pragma once

#include "CDbCursor.h"
#include "CDbOptions.h"

#include <chrono>
#include <memory>
#include <string>

class CSqlStatement;

class CDbSession {
public:
    typedef std::chrono::steady_clock Clock;

    virtual ~CDbSession() = default;

    // Connected, logging on again when the connection was lost; false with
    // the error text.
    virtual bool EnsureOpen(const CDbOptions& options, std::string& error) = 0;
    // Runs a query of which at most rowLimit rows will be read (0 or less:
    // all); null with the error text when it fails.
    virtual std::unique_ptr<CDbCursor> OpenQuery(const CSqlStatement& statement,
                                                 const CDbOptions& options, int rowLimit,
                                                 std::string& error) = 0;
    // Ends a query: ended says whether the cursor reported no more rows,
    // full whether as many rows as the cap were read. Ends the read
    // transaction.
    virtual void EndQuery(std::unique_ptr<CDbCursor> cursor, bool ended, bool full,
                          const CDbOptions& options) = 0;
    // After a query failed part way (a transaction it spoiled is undone).
    virtual void QueryFailed(const CDbOptions& options) { (void)options; }
    // Runs a statement (every statement of the text where the database
    // allows several); commits when the commit type is not 0.
    virtual bool Execute(const CSqlStatement& statement, const CDbOptions& options,
                         std::string& error) = 0;
    // Opens the cursor of a paged query. A statement without result columns
    // is not run: null with noColumns set and no error.
    virtual std::unique_ptr<CDbCursor> OpenPaged(const CSqlStatement& statement,
                                                 const CDbOptions& options, bool& noColumns,
                                                 std::string& error) = 0;
    // True when an open paged cursor holds a read snapshot of its
    // connection (SQLite): queries on that connection would see no rows
    // written since, so such a cursor gets a connection of its own.
    virtual bool CursorHoldsSnapshot() const { return true; }
    // True when the last failure was the connection going away (the call
    // may be run again: the session logs on again first).
    virtual bool ConnectionLost() const { return false; }
    // Forgets prepared statements kept for reuse (the schema may have changed).
    virtual void ClearCache() = 0;
    // The calls that follow must end by deadline; seconds is what the
    // limit was set to (for the error text).
    virtual void SetDeadline(Clock::time_point deadline, int seconds) = 0;
    // Frees every cursor's statement and closes the connection.
    virtual void Close() = 0;
};

// The error text of a statement stopped at its time limit.
std::string TimeLimitText(int seconds);
