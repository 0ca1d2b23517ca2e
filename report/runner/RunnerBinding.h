// The runner's script interface in a Lua state, and the engine object that
// a script global holds.
#pragma once

struct lua_State;
class ExcelFile;

bool RegisterRunnerInterface(lua_State* state);
ExcelFile* RunnerGlobalExcelFile(lua_State* state, const char* name);
