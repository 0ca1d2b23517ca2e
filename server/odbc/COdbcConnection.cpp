#include "COdbcConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"

COdbcConnection::COdbcConnection() = default;
COdbcConnection::~COdbcConnection() { Close(); }

bool COdbcConnection::Connect(const char*, const char*, const char*, const char*) { return false; }
void COdbcConnection::SetConnectParams(const char*, const char*, const char*, const char*) {}
bool COdbcConnection::Logon() { return false; }
bool COdbcConnection::EnsureConnected() { return false; }
bool COdbcConnection::Close() { m_slots.ResetAll(); m_dbc.Reset(); m_connected = false; return true; }
int COdbcConnection::Query(const char*, CResultSet&, CListString&) { return -1; }
int COdbcConnection::QueryToText(const char*, CListString&, CListString&) { return -1; }
bool COdbcConnection::Execute(const char*, CListString&) { return false; }
bool COdbcConnection::ExecuteWithParams(CSqlStatement&) { return false; }
bool COdbcConnection::SelectPrepare(const char*, CListString&, CListString&) { return false; }
int COdbcConnection::SelectNext(const char*, CResultSet&) { return -1; }
bool COdbcConnection::SelectFinish(const char*) { return false; }
void COdbcConnection::CloseIdleSlots() {}
bool COdbcConnection::DescribeTable(const char*, CListString&) { return false; }
void COdbcConnection::SetOption(int option, const char* value) { m_options.Set(option, value); }
CListString COdbcConnection::GetErrorText() const { return CListString(m_errorText.c_str()); }
