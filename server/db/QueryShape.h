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
