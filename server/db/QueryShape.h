// The shape of a query: a SELECT whose integer literals compared in the
// WHERE clause of its outer query are replaced by "?" parameters, so queries
// that differ only in those values (one defect by id, a page after an id)
// share one prepared statement. Literals elsewhere are kept: in the select
// list they name columns, after ORDER BY or GROUP BY a number is a column.
#pragma once

#include <string>
#include <vector>

// False (shape and values untouched) when the text is not a single SELECT,
// holds parameters of its own, or has no literal to replace.
bool ShapeQuery(const std::string& sql, std::string& shape, std::vector<long long>& values);
// True when the first word of the text (past blanks and comments) is SELECT.
bool StartsWithSelect(const std::string& sql);
// The first word of the text in small letters ("insert"), empty when none.
std::string FirstWord(const std::string& sql);
// True for one SELECT statement that only reads: no second statement and
// no INTO of its own (SELECT INTO makes a table in PostgreSQL).
bool IsPlainQuery(const std::string& sql);
// The query with "LIMIT rows" behind its last clause, for a plain query
// without LIMIT, OFFSET or FETCH of its own; false (out untouched) when the
// text is not such a query.
bool AppendRowLimit(const std::string& sql, int rows, std::string& out);
