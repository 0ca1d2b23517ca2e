// CSqlParam: one parameter of a CSqlStatement, a typed value with the name
// that a bind variable of the statement text refers to.
#pragma once

#include <string>

// Type codes, as the exec_sql_prepare prefixes give them.
enum {
    SQL_PARAM_INT = 0,        // "in"
    SQL_PARAM_STRING = 2,     // "st"
    SQL_PARAM_DATE = 3,       // "dt"
    SQL_PARAM_FLOAT = 4,      // "fl"
    SQL_PARAM_LONG_TEXT = 5   // "cl"
};

struct CSqlParam {
    int type = SQL_PARAM_DATE;
    std::string name;         // "pvar1" for a date literal, "clDesc" for a session value
    double floatValue = 0;    // type 4
    std::string textValue;    // types 2 and 5
    std::string dateText;     // type 3
    long long intValue = 0;   // type 0
    std::string secondText;   // the text after the comma of a named brace piece
};
