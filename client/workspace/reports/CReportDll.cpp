#include "CReportDll.h"

#include "ClientFolders.h"

#include <QFile>

#include <dlfcn.h>

namespace {

// The binding whose Report runs now: the library's message handler is a
// plain function and finds its receiver here (reports never overlap).
CReportDll* g_reporting = nullptr;

template <typename Fn>
Fn Lookup(void* module, const char* name) {
    return reinterpret_cast<Fn>(dlsym(module, name));
}

}  // namespace

CReportDll::CReportDll() = default;

CReportDll::~CReportDll() {
    Free();
}

QString CReportDll::LibraryPath() {
    return CClientFolders::ProgramDir() + QStringLiteral("/libTaverix.so");
}

void CReportDll::Clear() {
    Free();
    m_lastError.clear();
}

bool CReportDll::Bind(const QString& path) {
    Free();
    m_lastError.clear();
    if (path.isEmpty()) {
        m_lastError = QStringLiteral("No report library given");
        return false;
    }
    m_path = path;
    m_module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module) {
        const char* error = dlerror();
        m_lastError = error ? QString::fromLocal8Bit(error) : QStringLiteral("Cannot load %1").arg(path);
        return false;
    }
    m_report = Lookup<ReportFn>(m_module, "report");
    m_addVars = Lookup<AddVarsFn>(m_module, "add_vars");
    m_addTable = Lookup<AddTableFn>(m_module, "add_table");
    m_addTableFile = Lookup<AddTableFileFn>(m_module, "add_table_file");
    m_addCustomScript = Lookup<AddCustomScriptFn>(m_module, "add_custom_script");
    m_reset = Lookup<ResetFn>(m_module, "reset");
    m_getVar = Lookup<GetVarFn>(m_module, "get_var");
    m_setMessageHandler = Lookup<SetMessageHandlerFn>(m_module, "set_message_handler");
    QStringList missing;
    if (!m_report) missing << QStringLiteral("report");
    if (!m_addVars) missing << QStringLiteral("add_vars");
    if (!m_addTable) missing << QStringLiteral("add_table");
    if (!m_addCustomScript) missing << QStringLiteral("add_custom_script");
    if (!m_reset) missing << QStringLiteral("reset");
    if (!m_getVar) missing << QStringLiteral("get_var");
    if (missing.isEmpty()) return true;
    m_lastError = QStringLiteral("%1 lacks %2").arg(path, missing.join(QStringLiteral(", ")));
    return false;
}

void CReportDll::Free() {
    if (m_module) dlclose(m_module);
    // Pointers into an unloaded library must not be called.
    m_module = nullptr;
    m_report = nullptr;
    m_addVars = nullptr;
    m_addTable = nullptr;
    m_addTableFile = nullptr;
    m_addCustomScript = nullptr;
    m_reset = nullptr;
    m_getVar = nullptr;
    m_setMessageHandler = nullptr;
}

int CReportDll::GetVar(const QString& scriptPath, const QString& name, char* buffer) {
    if (!m_getVar || !buffer) return -1;
    return m_getVar(QFile::encodeName(scriptPath).constData(), name.toUtf8().constData(), buffer);
}

int CReportDll::AddVars(const QString& name, const QString& value) {
    if (!m_addVars) return -1;
    return m_addVars(name.toUtf8().constData(), value.toUtf8().constData());
}

int CReportDll::AddTable(const QString& name, const QString& text) {
    if (!m_addTable) return -1;
    return m_addTable(name.toUtf8().constData(), text.toUtf8().constData());
}

int CReportDll::Reset() {
    if (!m_reset) return -1;
    m_reset();
    return 0;
}

void CReportDll::ForwardMessage(const char* text) {
    if (g_reporting && g_reporting->m_onMessage) g_reporting->m_onMessage(QString::fromUtf8(text ? text : ""));
}

int CReportDll::Report(const QString& scriptPath) {
    if (!m_report) return -1;
    const bool forward = m_setMessageHandler && m_onMessage;
    if (forward) {
        g_reporting = this;
        m_setMessageHandler(&CReportDll::ForwardMessage);
    }
    const int result = m_report(QFile::encodeName(scriptPath).constData());
    if (forward) {
        m_setMessageHandler(nullptr);
        g_reporting = nullptr;
    }
    return result;
}
