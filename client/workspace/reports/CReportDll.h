// CReportDll: the client's binding of the report library libTaverix.so. The
// library is loaded by path around each use and freed afterwards; a missing
// library or entry point leaves its pointer null, and the call wrappers then
// return -1 and do nothing.
#pragma once

#include <QString>

#include <functional>

class CReportDll {
public:
    // The library's exports, C calling convention.
    using ReportFn = int (*)(const char* scriptPath);
    using AddVarsFn = int (*)(const char* name, const char* value);
    using AddTableFn = int (*)(const char* name, const char* text);
    using AddTableFileFn = int (*)(const char* name, const char* path);
    using AddCustomScriptFn = int (*)(const char* text);
    using ResetFn = void (*)();
    using GetVarFn = int (*)(const char* scriptPath, const char* name, char* buffer);
    using MessageHandlerFn = void (*)(const char* text);
    using SetMessageHandlerFn = void (*)(MessageHandlerFn handler);

    // get_var writes at most this many bytes, its terminating zero included.
    static constexpr int kVarBuffer = 9000;

    CReportDll();
    ~CReportDll();
    CReportDll(const CReportDll&) = delete;
    CReportDll& operator=(const CReportDll&) = delete;

    // "libTaverix.so" in the program's folder.
    static QString LibraryPath();

    // Frees a library still held, then nulls the handle and every pointer.
    void Clear();
    // Loads the library and looks up its entry points; true when all but
    // add_table_file are there. A library that loaded stays loaded until
    // Free, whatever the result.
    bool Bind(const QString& path);
    // Unloads the library; every entry point becomes null again.
    void Free();
    bool IsLoaded() const { return m_module != nullptr; }
    const QString& Path() const { return m_path; }
    const QString& LastError() const { return m_lastError; }

    // buffer holds kVarBuffer bytes.
    int GetVar(const QString& scriptPath, const QString& name, char* buffer);
    int AddVars(const QString& name, const QString& value);
    int AddTable(const QString& name, const QString& text);
    int Report(const QString& scriptPath);
    int Reset();
    // What the library would show in a message box during Report (it has no
    // window of its own); without a handler its messages go to its log.
    void SetMessageHandler(std::function<void(const QString&)> handler) { m_onMessage = std::move(handler); }

    ReportFn m_report = nullptr;
    AddVarsFn m_addVars = nullptr;
    AddTableFn m_addTable = nullptr;
    AddTableFileFn m_addTableFile = nullptr;
    AddCustomScriptFn m_addCustomScript = nullptr;
    ResetFn m_reset = nullptr;
    GetVarFn m_getVar = nullptr;

private:
    static void ForwardMessage(const char* text);

    SetMessageHandlerFn m_setMessageHandler = nullptr;
    void* m_module = nullptr;
    QString m_path;
    QString m_lastError;
    std::function<void(const QString&)> m_onMessage;
};
