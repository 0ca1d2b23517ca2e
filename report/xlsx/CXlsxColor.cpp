// Excel colour numbers, ARGB texts and underline numbers.
#include "CXlsxStyle.h"

#include <cstdio>

std::string ExcelColorToArgb(std::uint32_t bgr)
{
    char text[9];
    std::snprintf(text, sizeof text, "FF%02X%02X%02X", static_cast<unsigned>(bgr & 0xFF),
                  static_cast<unsigned>((bgr >> 8) & 0xFF), static_cast<unsigned>((bgr >> 16) & 0xFF));
    return text;
}

bool ArgbToExcelColor(const std::string& argb, std::uint32_t& bgr)
{
    if (argb.size() != 8 && argb.size() != 6)
        return false;
    std::uint32_t value = 0;
    for (char ch : argb) {
        int digit;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        else
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    std::uint32_t r = (value >> 16) & 0xFF, g = (value >> 8) & 0xFF, b = value & 0xFF;
    bgr = (b << 16) | (g << 8) | r;
    return true;
}

CXlsxCellStyle::EUnderline UnderlineFromExcel(int value)
{
    switch (value) {
    case 0:
    case -4142:
        return CXlsxCellStyle::UnderlineNone;
    case -4119:
        return CXlsxCellStyle::UnderlineDouble;
    case 4:
        return CXlsxCellStyle::UnderlineSingleAccounting;
    case 5:
        return CXlsxCellStyle::UnderlineDoubleAccounting;
    default:
        return CXlsxCellStyle::UnderlineSingle;
    }
}

bool CXlsxStyleChange::IsEmpty() const
{
    if (m_fontName || m_fontSize || m_bold || m_italic || m_strikethrough || m_shadow || m_underline
        || m_fontColor || m_fillColor || m_horizontal || m_vertical || m_wrap || m_numberFormat)
        return false;
    for (int i = 0; i < 4; ++i)
        if (m_border[i] || m_borderColor[i])
            return false;
    return true;
}
