#include "ScriptBinding.h"

#include "ExcelFile.h"

#include <tolua++.h>

// Generated from Taverix.pkg.
int tolua_Taverix_open(lua_State* tolua_S);

namespace {

int OpenProtected(lua_State* state) {
    tolua_Taverix_open(state);
    return 0;
}

struct Lookup {
    const char* name;
    ExcelFile* found;
};

int LookupProtected(lua_State* state) {
    Lookup* lookup = static_cast<Lookup*>(lua_touserdata(state, 1));
    lua_getfield(state, LUA_GLOBALSINDEX, lookup->name);
    tolua_Error error;
    if (lua_isuserdata(state, -1) && tolua_isusertype(state, -1, "ExcelFile", 0, &error))
        lookup->found = static_cast<ExcelFile*>(tolua_tousertype(state, -1, nullptr));
    return 0;
}

}  // namespace

bool RegisterTaverixInterface(lua_State* state) {
    return state && lua_cpcall(state, OpenProtected, nullptr) == 0;
}

ExcelFile* GlobalExcelFile(lua_State* state, const char* name) {
    if (!state || !name) return nullptr;
    Lookup lookup = {name, nullptr};
    const int top = lua_gettop(state);
    if (lua_cpcall(state, LookupProtected, &lookup) != 0) lookup.found = nullptr;
    lua_settop(state, top);
    return lookup.found;
}
