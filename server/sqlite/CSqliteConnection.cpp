#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"

CSqliteConnection::CSqliteConnection() = default;
CSqliteConnection::~CSqliteConnection() { Close(); }

bool CSqliteConnection::Connect(const char*, const char*, const char*, const char*) { return false; }
bool CSqliteConnection::Close() { m_slots.ResetAll(); m_db.Reset(); return true; }
int CSqliteConnection::Query(const char*, CResultSet&, CListString&) { return -1; }
int CSqliteConnection::QueryToText(const char*, CListString&, CListString&) { return -1; }
bool CSqliteConnection::Execute(const char*, CListString&) { return false; }
bool CSqliteConnection::ExecuteWithParams(CSqlStatement&) { return false; }
bool CSqliteConnection::SelectPrepare(const char*, CListString&, CListString&) { return false; }
int CSqliteConnection::SelectNext(const char*, CResultSet&) { return -1; }
bool CSqliteConnection::SelectFinish(const char*) { return false; }
void CSqliteConnection::CloseIdleSlots() {}
bool CSqliteConnection::DescribeTable(const char*, CListString&) { return false; }
void CSqliteConnection::SetOption(int option, const char* value) { m_options.Set(option, value); }
CListString CSqliteConnection::GetErrorText() const { return CListString(m_errorText.c_str()); }
