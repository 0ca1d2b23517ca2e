// CScriptHost: one Lua 5.1 state and the few operations the report engine
// needs on it (run a file or chunk, read and write globals, call a global
// function), keeping the text of the last error.
#pragma once

#include "CListString.h"

#include <memory>

struct lua_State;

class CScriptHost {
public:
    CScriptHost();
    virtual ~CScriptHost();
    CScriptHost(const CScriptHost&) = delete;
    CScriptHost& operator=(const CScriptHost&) = delete;

    virtual bool IsOpen() const;
    // Replaces an open state by a new one with the standard libraries.
    bool Open();
    bool Close();

    bool RunFile(const char* path);
    bool CheckString(const char* chunk);
    bool RunString(const char* chunk);
    // A text, or a number as its text; anything else is an error.
    bool GetGlobal(const char* name, CListString& out);
    bool SetGlobal(const char* name, const char* value);
    // False without an error text when the global is not a function.
    bool CallFunction(const char* name);
    // os.exit raises an error instead: a script must not end its host.
    bool DisableExit();
    // The global holds a function (never an error).
    bool IsFunction(const char* name);
    // Error text = prefix + one line per reportable value on the stack; the
    // stack is emptied down to what it held before the failing operation.
    void ReportError(const char* prefix);

    const CListString& GetErrorText() const { return m_error; }
    void SetLogging(bool on) { m_logging = on; }
    bool GetLogging() const { return m_logging; }
    lua_State* GetState() const { return m_state.get(); }

private:
    struct StateCloser {
        void operator()(lua_State* state) const;
    };

    std::unique_ptr<lua_State, StateCloser> m_state;
    bool m_open;
    CListString m_error;
    bool m_logging;
};
