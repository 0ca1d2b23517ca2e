#include "ScriptBinding.h"

#include "ExcelFile.h"

#include <tolua++.h>

namespace {

struct Opener {
    ScriptInterfaceOpen open;
};

int OpenProtected(lua_State* state) {
    static_cast<Opener*>(lua_touserdata(state, 1))->open(state);
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
        // The runner's variant derives from ExcelFile without data of its own.
        lookup->found = static_cast<ExcelFile*>(tolua_tousertype(state, -1, nullptr));
    return 0;
}

}  // namespace

bool RegisterScriptInterface(lua_State* state, ScriptInterfaceOpen open) {
    Opener opener = {open};
    return state && open && lua_cpcall(state, OpenProtected, &opener) == 0;
}

ExcelFile* GlobalExcelFile(lua_State* state, const char* name) {
    if (!state || !name) return nullptr;
    Lookup lookup = {name, nullptr};
    const int top = lua_gettop(state);
    if (lua_cpcall(state, LookupProtected, &lookup) != 0) lookup.found = nullptr;
    lua_settop(state, top);
    return lookup.found;
}
