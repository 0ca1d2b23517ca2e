#include "CXlsxValue.h"

CXlsxValue CXlsxValue::MakeNumber(double number)
{
    CXlsxValue v;
    v.m_type = Number;
    v.m_number = number;
    return v;
}

CXlsxValue CXlsxValue::MakeString(const std::string& text)
{
    CXlsxValue v;
    v.m_type = String;
    v.m_text = text;
    return v;
}

CXlsxValue CXlsxValue::MakeBoolean(bool value)
{
    CXlsxValue v;
    v.m_type = Boolean;
    v.m_boolean = value;
    return v;
}
