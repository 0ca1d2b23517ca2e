// Date and time texts of the database objects: printing a timestamp by the
// configured date format, and reading a date text back by the same format.
#pragma once

#include <string>

struct CDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum {
    DATE_FORMAT_DASHES = 0,  // "2008-05-06 09:30:00"
    DATE_FORMAT_DIGITS = 1   // "20080506093000"
};

// Empty for a year of 0 or less; the date alone at midnight, else the full
// date and time.
std::string FormatDate(const CDateTime& value, int dateFormat);
// 1 when the text had a layout known for the format (the fields read), else
// 0: an unknown length clears the value, an empty text or an unknown format
// leaves it unchanged.
int ParseDate(const char* text, CDateTime& value, int dateFormat);
// Shortest text that reads back as the same double ("2.5", "10", "0.1").
std::string FormatDouble(double value);
std::string FormatFloat(float value);
// A decimal text without trailing fraction zeros ("12.50" gives "12.5").
std::string TrimDecimal(const std::string& text);
