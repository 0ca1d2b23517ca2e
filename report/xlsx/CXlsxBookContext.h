// What every sheet of a workbook shares: the shared strings, the styles, the
// error text and the flags that decide how the workbook part is saved.
#pragma once

#include "CXlsxSharedStrings.h"
#include "CXlsxStyles.h"

#include <string>

struct CXlsxBookContext
{
    CXlsxSharedStrings m_strings;
    CXlsxStyles m_styles;
    std::string* m_error = nullptr;
    bool m_cellsChanged = false;   // stale cached results: recalculate on load, drop calcChain

    bool Fail(const std::string& text)
    {
        if (m_error)
            *m_error = text;
        return false;
    }
};
