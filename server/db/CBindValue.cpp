#include "CBindValue.h"

#include "CSqlStatement.h"
#include "DateText.h"

#include <cstdio>

namespace {

std::string DateValue(const CSqlParam& p, int dateFormat, DateBinding dates) {
    if (dates == DateBinding::kAsWritten) return p.dateText;
    // Read by the date format and bound as the full date-time text, which
    // compares with the stored date texts.
    CDateTime when;
    when.year = 1900;
    when.month = 1;
    when.day = 1;
    ParseDate(p.dateText.c_str(), when, dateFormat);
    char text[64];
    if (dateFormat == DATE_FORMAT_DIGITS)
        snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", when.year, when.month, when.day,
                 when.hour, when.minute, when.second);
    else
        snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month,
                 when.day, when.hour, when.minute, when.second);
    return text;
}

}  // namespace

bool BindValuesOf(const CSqlStatement& statement, int dateFormat, DateBinding dates,
                  std::vector<CBindValue>& out, std::string& error) {
    out.clear();
    std::vector<const CSqlParam*> params;
    if (!statement.ResolveBindings(params, error)) return false;
    out.resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const CSqlParam& p = *params[i];
        CBindValue& v = out[i];
        switch (p.type) {
        case SQL_PARAM_INT:
            v.kind = CBindValue::kInteger;
            v.integer = p.intValue;
            break;
        case SQL_PARAM_FLOAT:
            v.kind = CBindValue::kReal;
            v.real = p.floatValue;
            break;
        case SQL_PARAM_DATE:
            v.kind = CBindValue::kText;
            v.text = DateValue(p, dateFormat, dates);
            break;
        case SQL_PARAM_LONG_TEXT:
            v.kind = CBindValue::kLongText;
            v.text = p.textValue;
            break;
        default:
            v.kind = CBindValue::kText;
            v.text = p.textValue;
            break;
        }
    }
    return true;
}
