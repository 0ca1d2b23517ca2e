#include "BoundObject.h"

namespace {

// table[key] = nil for the table at the top, which is popped.
void ForgetIn(lua_State* state, void* key) {
    if (lua_istable(state, -1)) {
        lua_pushlightuserdata(state, key);
        lua_pushnil(state);
        lua_rawset(state, -3);
    }
    lua_pop(state, 1);
}

struct Owned {
    const char* name;
    const char* type;
    bool done;
};

int OwnProtected(lua_State* state) {
    Owned* owned = static_cast<Owned*>(lua_touserdata(state, 1));
    lua_getfield(state, LUA_GLOBALSINDEX, owned->name);
    tolua_Error error;
    if (lua_isuserdata(state, -1) && tolua_isusertype(state, -1, owned->type, 0, &error) &&
        tolua_tousertype(state, -1, nullptr))
        owned->done = tolua_register_gc(state, lua_gettop(state)) != 0;
    return 0;
}

}  // namespace

void DetachBoundObject(lua_State* state, int index) {
    void** box = static_cast<void**>(lua_touserdata(state, index));
    if (!box || !*box) return;
    void* object = *box;
    // The collector would free it a second time.
    lua_pushstring(state, "tolua_gc");
    lua_rawget(state, LUA_REGISTRYINDEX);
    ForgetIn(state, object);
    // A later object at the same address must get a userdata of its own.
    if (lua_getmetatable(state, index)) {
        lua_pushstring(state, "tolua_ubox");
        lua_rawget(state, -2);
        ForgetIn(state, object);
        lua_pop(state, 1);
    }
    lua_pushstring(state, "tolua_ubox");
    lua_rawget(state, LUA_REGISTRYINDEX);
    ForgetIn(state, object);
    *box = nullptr;
}

bool OwnBoundGlobal(lua_State* state, const char* name, const char* type) {
    if (!state || !name || !type) return false;
    Owned owned = {name, type, false};
    const int top = lua_gettop(state);
    if (lua_cpcall(state, OwnProtected, &owned) != 0) owned.done = false;
    lua_settop(state, top);
    return owned.done;
}
