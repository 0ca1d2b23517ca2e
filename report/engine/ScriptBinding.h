// The script interface of the report engine's classes in a Lua state, and
// the way back from a script global to the engine object it holds. The
// library and the runner each generate their interface from their own .pkg
// file and share this code.
#pragma once

struct lua_State;
class ExcelFile;

// The opener tolua++ generates from a .pkg file.
using ScriptInterfaceOpen = int (*)(lua_State*);
// Generated from Taverix.pkg (the library) and Runner.pkg (the runner).
int tolua_Taverix_open(lua_State* state);
int tolua_Runner_open(lua_State* state);

// Registers CTable, ExcelFile, Util and MessageBox; false when that failed.
bool RegisterScriptInterface(lua_State* state, ScriptInterfaceOpen open);
// The ExcelFile the global holds, null when it holds none.
ExcelFile* GlobalExcelFile(lua_State* state, const char* name);
