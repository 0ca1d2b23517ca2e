// The runner's older script interface binds the engine classes with two
// differences: a CTable made from a script defaults to the separators "|"
// and a line feed, and SetColor does nothing. The generated binding code
// names the classes CTable and ExcelFile; the macros below point those
// names at the runner's variants (the Lua-visible names are unchanged).
#pragma once

#include "CTable.h"
#include "ExcelFile.h"

class RunnerTable : public CTable {
public:
    RunnerTable() : CTable("|", "\n") {}
    RunnerTable(const char* columnSeparator, const char* rowSeparator = "\n")
        : CTable(columnSeparator, rowSeparator) {}
};

class RunnerExcelFile : public ExcelFile {
public:
    bool SetColor(int, int, int) { return true; }
};

#define CTable RunnerTable
#define ExcelFile RunnerExcelFile
