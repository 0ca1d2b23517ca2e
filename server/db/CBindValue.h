// CBindValue: the value one bind variable of a statement receives, typed as
// the database objects bind it. Both objects take the values of a
// CSqlStatement through BindValuesOf, so a variable binds the parameter of
// its name the same way in each.
#pragma once

#include <string>
#include <vector>

class CSqlStatement;

struct CBindValue {
    enum Kind { kInteger, kReal, kText, kLongText };
    Kind kind = kText;
    long long integer = 0;
    double real = 0;
    std::string text;
};

// How a date parameter binds: the text as written, or read by the date
// format and bound as the full "YYYY-MM-DD hh:mm:ss" (or 14-digit) text.
enum class DateBinding { kAsWritten, kByDateFormat };

// The values for the statement's bind variables, in the order of the
// variables; false with the error text when a variable finds no parameter.
bool BindValuesOf(const CSqlStatement& statement, int dateFormat, DateBinding dates,
                  std::vector<CBindValue>& out, std::string& error);
