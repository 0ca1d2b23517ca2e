// The script interface of the report library in a Lua state, and the way
// back from a script global to the engine object it holds.
#pragma once

struct lua_State;
class ExcelFile;

// Registers CTable, ExcelFile, Util and MessageBox; false when that failed.
bool RegisterTaverixInterface(lua_State* state);
// The ExcelFile the global holds, null when it holds none.
ExcelFile* GlobalExcelFile(lua_State* state, const char* name);
