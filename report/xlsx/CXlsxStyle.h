// Cell formatting as the workbook layer reads and changes it: the effective
// style of a cell (CXlsxCellStyle) and a set of attributes to change
// (CXlsxStyleChange), plus Excel colour conversions.
//
// Colours are ARGB texts "FFRRGGBB" as the file stores them. Excel's own
// colour numbers (0x00BBGGRR) convert with ExcelColorToArgb.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CXlsxCellStyle
{
public:
    enum EUnderline { UnderlineNone, UnderlineSingle, UnderlineDouble, UnderlineSingleAccounting, UnderlineDoubleAccounting };
    enum EHorizontal { HorizontalGeneral, HorizontalLeft, HorizontalCenter, HorizontalRight, HorizontalFill,
                       HorizontalJustify, HorizontalCenterContinuous, HorizontalDistributed };
    enum EVertical { VerticalBottom, VerticalTop, VerticalCenter, VerticalJustify, VerticalDistributed };
    enum EBorder { BorderNone, BorderThin, BorderMedium, BorderThick, BorderDashed, BorderDotted, BorderDouble, BorderHair };

    // Font
    std::string m_fontName;       // "" when the font record names none
    double m_fontSize = 0;        // points, 0 when not given
    bool m_bold = false;
    bool m_italic = false;
    bool m_strikethrough = false;
    bool m_shadow = false;
    EUnderline m_underline = UnderlineNone;
    std::string m_fontColor;      // "FFRRGGBB"; "" for theme/indexed/automatic colours

    // Fill: the solid background colour, "" when the cell has no solid fill
    std::string m_fillColor;

    // Alignment
    EHorizontal m_horizontal = HorizontalGeneral;
    EVertical m_vertical = VerticalBottom;
    bool m_wrap = false;

    // Borders (left, right, top, bottom) with their colours ("" = automatic)
    EBorder m_border[4] = { BorderNone, BorderNone, BorderNone, BorderNone };
    std::string m_borderColor[4];

    // Number format code ("General", "0.00", "yyyy-mm-dd", ...)
    std::string m_numberFormat = "General";
};

// Every attribute left empty keeps the cell's current value; applying a
// change clones the cell's style so no other cell is affected.
class CXlsxStyleChange
{
public:
    enum ESide { Left = 0, Right = 1, Top = 2, Bottom = 3 };

    std::optional<std::string> m_fontName;
    std::optional<double> m_fontSize;
    std::optional<bool> m_bold;
    std::optional<bool> m_italic;
    std::optional<bool> m_strikethrough;
    std::optional<bool> m_shadow;
    std::optional<CXlsxCellStyle::EUnderline> m_underline;
    std::optional<std::string> m_fontColor;   // "FFRRGGBB"
    std::optional<std::string> m_fillColor;   // "FFRRGGBB" for a solid fill, "" removes the fill
    std::optional<CXlsxCellStyle::EHorizontal> m_horizontal;
    std::optional<CXlsxCellStyle::EVertical> m_vertical;
    std::optional<bool> m_wrap;
    std::optional<CXlsxCellStyle::EBorder> m_border[4];
    std::optional<std::string> m_borderColor[4];  // "" = automatic
    std::optional<std::string> m_numberFormat;

    bool IsEmpty() const;
};

// Excel colour number 0x00BBGGRR (as Font.Color takes it) -> "FFRRGGBB".
// The top byte is ignored.
std::string ExcelColorToArgb(std::uint32_t bgr);
// "FFRRGGBB" (or "RRGGBB") -> 0x00BBGGRR; false for anything else.
bool ArgbToExcelColor(const std::string& argb, std::uint32_t& bgr);
// Excel's Font.Underline numbers: 2 single, -4119 double, 4 single
// accounting, 5 double accounting, 0 and -4142 none; any other non-zero
// number (a script's 1 or -1 for true) is single.
CXlsxCellStyle::EUnderline UnderlineFromExcel(int value);
