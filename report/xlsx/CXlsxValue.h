// The value of one worksheet cell as a reader sees it: empty, a number, a
// text, a boolean or an error code ("#DIV/0!"). Formula cells read as their
// cached result (empty when the workbook carries none).
#pragma once

#include <string>

class CXlsxValue
{
public:
    enum EType { Empty, Number, String, Boolean, Error };

    EType m_type = Empty;
    double m_number = 0;     // Number
    bool m_boolean = false;  // Boolean
    std::string m_text;      // String: the plain text (rich text runs joined); Error: the code

    static CXlsxValue MakeNumber(double number);
    static CXlsxValue MakeString(const std::string& text);
    static CXlsxValue MakeBoolean(bool value);

    bool IsEmpty() const { return m_type == Empty; }
};
