// RAII owners of unixODBC handles (environment, connection, statement) and
// the driver's diagnostic text of a handle.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

// Owns one ODBC handle of one type; freed (and a connection disconnected)
// when reset or destroyed.
class COdbcHandle {
public:
    explicit COdbcHandle(SQLSMALLINT type) : m_type(type) {}
    ~COdbcHandle() { Reset(); }
    COdbcHandle(const COdbcHandle&) = delete;
    COdbcHandle& operator=(const COdbcHandle&) = delete;
    COdbcHandle(COdbcHandle&& other) noexcept;
    COdbcHandle& operator=(COdbcHandle&& other) noexcept;

    SQLHANDLE Get() const { return m_handle; }
    SQLSMALLINT Type() const { return m_type; }
    bool IsOpen() const { return m_handle != SQL_NULL_HANDLE; }
    void Reset();
    // Allocates a handle of this type under parent (null for an environment).
    SQLRETURN Allocate(SQLHANDLE parent);
    // The messages of the handle's diagnostic records joined by blanks; the
    // SQLSTATE of the first record goes to state when given.
    std::string Diagnostics(std::string* state = nullptr) const;

    bool connected = false;  // a connection handle after a successful connect

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

class COdbcEnv : public COdbcHandle {
public:
    COdbcEnv() : COdbcHandle(SQL_HANDLE_ENV) {}
    // An ODBC 3 environment.
    bool Open(std::string& error);
};

class COdbcDbc : public COdbcHandle {
public:
    COdbcDbc() : COdbcHandle(SQL_HANDLE_DBC) {}
};

class COdbcStmt : public COdbcHandle {
public:
    COdbcStmt() : COdbcHandle(SQL_HANDLE_STMT) {}
};

inline bool OdbcOk(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
