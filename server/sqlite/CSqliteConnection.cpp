#include "CSqliteConnection.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "CSqliteSession.h"

#include <climits>

CSqliteConnection::CSqliteConnection() = default;

CSqliteConnection::~CSqliteConnection() { Close(); }

std::unique_ptr<CDbSession> CSqliteConnection::MakeSession(bool main) {
    return std::make_unique<CSqliteSession>(m_path, main);
}

bool CSqliteConnection::Connect(const char* path, const char*, const char*, const char*) {
    // Sessions made for an earlier path go with it.
    DropSessions();
    m_path = path ? path : "";
    CLease lease = LeaseMain();
    auto& session = static_cast<CSqliteSession&>(lease.Session());
    std::string error;
    m_open = session.Open(error);
    if (!m_open) SetErrorText(error);
    return m_open;
}

bool CSqliteConnection::Close() {
    CloseSessions();
    m_open = false;
    return true;
}

bool CSqliteConnection::IsConnected() const { return m_open; }

bool CSqliteConnection::DescribeTable(const char* table, CListString& out) {
    std::string error;
    return DescribeTable(table, out, error);
}

bool CSqliteConnection::DescribeTable(const char* table, CListString& out, std::string& error) {
    out = "";
    // The name is bound, never pasted into the text.
    CSqlStatement statement(
        "select sql from sqlite_master where type='table' and upper(name)=upper(:t<char[256]>)");
    statement.AddParam(SQL_PARAM_STRING, table ? table : "", "t");
    const CDbOptions options = GetOptions();
    CResultSet result(options.columnSep.c_str(), options.lineSep.c_str());
    CListString queryError;
    if (Query(statement, result, queryError, INT_MAX) < 0) {
        error = queryError.StdString();
        return false;
    }
    std::string text = "sql" + options.lineSep;
    for (const CResultRow& row : result.GetRows()) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) text += options.columnSep;
            text += row[i].StdString();
        }
        text += options.lineSep;
    }
    out = text.c_str();
    return true;
}

bool CSqliteConnection::CheckSetup(std::string& problem) {
    problem.clear();
    return true;
}
