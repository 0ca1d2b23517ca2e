// CDbCursor: the rows of a running query of one database session, read one
// row at a time as texts. The session that opened it must stay open, and
// only the thread holding the session may use or free the cursor.
#pragma once

#include <string>
#include <vector>

class CDbCursor {
public:
    virtual ~CDbCursor() = default;
    // The names of the result columns.
    virtual const std::vector<std::string>& Columns() const = 0;
    // The next row: 1 a row in values, 0 no more rows, -1 an error whose
    // text goes to error.
    virtual int Fetch(std::vector<std::string>& values, std::string& error) = 0;
    // How many rows the caller reads next (a paged query's batch); a cursor
    // that fetches in blocks asks the database for that many.
    virtual void ExpectRows(int rows) { (void)rows; }
};
