#include "CScriptHost.h"

#include "LogWriter.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <cstdio>

namespace {

// Global access runs as a protected call: a metatable on _G or a memory
// error could otherwise raise outside any protection and end the program.
int GetGlobalProtected(lua_State* state) {
    const char* name = static_cast<const char*>(lua_touserdata(state, 1));
    lua_getfield(state, LUA_GLOBALSINDEX, name);
    return 1;
}

int SetGlobalProtected(lua_State* state) {
    const char* name = static_cast<const char*>(lua_touserdata(state, 1));
    lua_pushvalue(state, 2);
    lua_setfield(state, LUA_GLOBALSINDEX, name);
    return 0;
}

int RefuseExit(lua_State* state) {
    return luaL_error(state, "os.exit is not allowed in a report script");
}

int DisableExitProtected(lua_State* state) {
    lua_getfield(state, LUA_GLOBALSINDEX, "os");
    if (lua_istable(state, -1)) {
        lua_pushcfunction(state, RefuseExit);
        lua_setfield(state, -2, "exit");
    }
    return 0;
}

int OpenLibrariesProtected(lua_State* state) {
    luaL_openlibs(state);
    return 0;
}

// Leaves the global on the stack; false (with the error on the stack) when
// reading it raised an error.
bool PushGlobal(lua_State* state, const char* name) {
    lua_pushcfunction(state, GetGlobalProtected);
    lua_pushlightuserdata(state, const_cast<char*>(name));
    return lua_pcall(state, 1, 1, 0) == 0;
}

}  // namespace

void CScriptHost::StateCloser::operator()(lua_State* state) const {
    if (state) lua_close(state);
}

CScriptHost::CScriptHost() : m_open(false), m_logging(false) {
    Open();
}

CScriptHost::~CScriptHost() {
    Close();
}

bool CScriptHost::IsOpen() const {
    return m_open && m_state;
}

bool CScriptHost::Open() {
    Close();
    m_state.reset(luaL_newstate());
    if (!m_state) return false;
    if (lua_cpcall(m_state.get(), OpenLibrariesProtected, nullptr) != 0) {
        m_state.reset();
        return false;
    }
    m_open = true;
    return true;
}

bool CScriptHost::Close() {
    m_state.reset();
    m_open = false;
    return true;
}

void CScriptHost::ReportError(const char* prefix) {
    if (!IsOpen()) return;
    lua_State* state = m_state.get();
    m_error = prefix ? prefix : "";
    for (int index = lua_gettop(state); index >= 1; --index) {
        switch (lua_type(state, index)) {
        case LUA_TBOOLEAN:
            m_error.AppendText(lua_toboolean(state, index) ? "true" : "false");
            m_error.AppendChar('\n');
            break;
        case LUA_TNUMBER: {
            char number[64];
            snprintf(number, sizeof number, "%g", lua_tonumber(state, index));
            m_error.AppendText(number);
            m_error.AppendChar('\n');
            break;
        }
        case LUA_TSTRING:
            m_error.AppendText(lua_tostring(state, index));
            m_error.AppendChar('\n');
            break;
        default:
            break;
        }
    }
    // The host's callers keep nothing on the stack between operations, so
    // everything left here belongs to the failed operation.
    lua_settop(state, 0);
    if (m_logging) LogMessage("%s\n", m_error.CStr());
}

bool CScriptHost::RunFile(const char* path) {
    if (!IsOpen()) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    if (!path) {
        // luaL_loadfile would read standard input for a null name.
        lua_pushstring(state, "no script file given");
        ReportError("");
        return false;
    }
    if (luaL_loadfile(state, path) != 0 || lua_pcall(state, 0, LUA_MULTRET, 0) != 0) {
        ReportError("");
        return false;
    }
    lua_settop(state, base);
    return true;
}

bool CScriptHost::CheckString(const char* chunk) {
    if (!IsOpen() || !chunk) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    if (luaL_loadstring(state, chunk) != 0) {
        ReportError("");
        return false;
    }
    lua_settop(state, base);
    return true;
}

bool CScriptHost::RunString(const char* chunk) {
    if (!IsOpen() || !chunk) return false;
    if (!CheckString(chunk)) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    if (luaL_loadstring(state, chunk) != 0 || lua_pcall(state, 0, LUA_MULTRET, 0) != 0) {
        ReportError("");
        return false;
    }
    lua_settop(state, base);
    return true;
}

bool CScriptHost::GetGlobal(const char* name, CListString& out) {
    if (!IsOpen() || !name) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    if (!PushGlobal(state, name)) {
        ReportError("");
        return false;
    }
    const int type = lua_type(state, -1);
    if (type != LUA_TSTRING && type != LUA_TNUMBER) {
        lua_settop(state, base);
        CListString prefix;
        prefix.Format("变量\"%s\"不存在或者是类型不一致", name);
        ReportError(prefix.CStr());
        return false;
    }
    // A number converts on the stack; CListString ends at an embedded NUL.
    out.SetText(lua_tostring(state, -1));
    lua_settop(state, base);
    return true;
}

bool CScriptHost::SetGlobal(const char* name, const char* value) {
    if (!IsOpen() || !name) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    lua_pushcfunction(state, SetGlobalProtected);
    lua_pushlightuserdata(state, const_cast<char*>(name));
    lua_pushstring(state, value ? value : "");
    if (lua_pcall(state, 2, 0, 0) != 0) {
        ReportError("");
        return false;
    }
    lua_settop(state, base);
    return true;
}

bool CScriptHost::CallFunction(const char* name) {
    if (!IsOpen() || !name) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    if (!PushGlobal(state, name)) {
        ReportError("");
        return false;
    }
    if (!lua_isfunction(state, -1)) {
        lua_settop(state, base);
        return false;
    }
    if (lua_pcall(state, 0, 1, 0) != 0) {
        ReportError("");
        return false;
    }
    lua_settop(state, base);
    return true;
}

bool CScriptHost::IsFunction(const char* name) {
    if (!IsOpen() || !name) return false;
    lua_State* state = m_state.get();
    const int base = lua_gettop(state);
    const bool function = PushGlobal(state, name) && lua_isfunction(state, -1);
    lua_settop(state, base);
    return function;
}

bool CScriptHost::DisableExit() {
    if (!IsOpen()) return false;
    return lua_cpcall(m_state.get(), DisableExitProtected, nullptr) == 0;
}
