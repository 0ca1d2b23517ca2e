// What the script classes' delete does: a script may delete any object it
// holds, also one the interpreter owns, and the userdata left behind only
// raises "invalid 'self'" errors afterwards.
#pragma once

#include <tolua++.h>

// Takes the object at index out of tolua's collection and lookup tables and
// empties its userdata, so nothing frees or finds it again.
void DetachBoundObject(lua_State* state, int index);
// Hands the object held by the global to the interpreter, which frees it
// when it collects it or closes; false when the global holds no object of
// the type.
bool OwnBoundGlobal(lua_State* state, const char* name, const char* type);

template <class T>
int DeleteBoundObject(lua_State* state, const char* type) {
    tolua_Error error;
    if (!tolua_isusertype(state, 1, type, 0, &error) || !tolua_isnoobj(state, 2, &error)) {
        tolua_error(state, "#ferror in function 'delete'.", &error);
        return 0;
    }
    T* self = static_cast<T*>(tolua_tousertype(state, 1, nullptr));
    if (!self) tolua_error(state, "invalid 'self' in function 'delete'", nullptr);
    DetachBoundObject(state, 1);
    delete self;
    return 0;
}
