#include "OdbcHandles.h"

COdbcHandle::COdbcHandle(COdbcHandle&& other) noexcept
    : connected(other.connected), m_type(other.m_type), m_handle(other.m_handle) {
    other.m_handle = SQL_NULL_HANDLE;
    other.connected = false;
}

COdbcHandle& COdbcHandle::operator=(COdbcHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        m_type = other.m_type;
        m_handle = other.m_handle;
        connected = other.connected;
        other.m_handle = SQL_NULL_HANDLE;
        other.connected = false;
    }
    return *this;
}

void COdbcHandle::Reset() {
    if (m_handle == SQL_NULL_HANDLE) return;
    if (m_type == SQL_HANDLE_DBC && connected) SQLDisconnect(m_handle);
    if (m_type == SQL_HANDLE_STMT) SQLFreeStmt(m_handle, SQL_CLOSE);
    SQLFreeHandle(m_type, m_handle);
    m_handle = SQL_NULL_HANDLE;
    connected = false;
}

SQLRETURN COdbcHandle::Allocate(SQLHANDLE parent) {
    Reset();
    return SQLAllocHandle(m_type, parent ? parent : SQL_NULL_HANDLE, &m_handle);
}

std::string COdbcHandle::Diagnostics(std::string* firstState) const {
    std::string text;
    if (firstState) firstState->clear();
    if (m_handle == SQL_NULL_HANDLE) return text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLCHAR message[4096];
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(m_type, m_handle, record, state, &native, message,
                                     sizeof message, &length);
        if (!OdbcOk(rc)) break;
        if (record == 1 && firstState) *firstState = reinterpret_cast<char*>(state);
        if (!text.empty()) text += " ";
        text += reinterpret_cast<char*>(message);
    }
    return text;
}

bool COdbcEnv::Open(std::string& error) {
    if (!OdbcOk(Allocate(SQL_NULL_HANDLE))) {
        error = "cannot allocate an ODBC environment";
        return false;
    }
    SQLSetEnvAttr(Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return true;
}
