// The database operations of ExcelFile: logon, queries into text or file.
#include "ExcelFile.h"

#include "COdbcConnection.h"
#include "Helpers.h"
#include "ReportQuery.h"

#include <cstdio>
#include <strings.h>

void ExcelFile::SetSeps(const char* columnSeparator, const char* rowSeparator) {
    if (columnSeparator) m_columnSeparator = columnSeparator;
    if (rowSeparator) m_rowSeparator = rowSeparator;
}

bool ExcelFile::SetDB(const char* user, const char* password, const char* dataSource) {
    if (!user || !password || !dataSource) return false;
    // Compared with the logon the connection was made with: other values
    // stored by a refused call must not pass for that connection later.
    if (m_db->IsConnected() && strcasecmp(user, m_connectedUser.c_str()) == 0 &&
        strcasecmp(dataSource, m_connectedSource.c_str()) == 0)
        return true;
    m_user = user;
    m_password = password;
    m_dataSource = dataSource;
    m_db->SetConnectParams(user, password, dataSource, "");
    if (!m_db->Logon()) return false;
    m_connectedUser = m_user;
    m_connectedSource = m_dataSource;
    return true;
}

std::string ExcelFile::GetString(const char* sql) {
    if (m_dataSource.empty() || !IsSelectText(sql)) return std::string();
    std::string text, error;
    const int rows = QueryToTextLimited(*m_db, sql, m_columnSeparator, m_rowSeparator, text, error);
    if (rows > 0) return text;
    printf("%s\n", error.c_str());
    return std::string();
}

bool ExcelFile::GetFile(const char* sql, const char* path) {
    const std::string text = GetString(sql);
    if (!path) return false;
    FilePtr file(fopen(path, "w"));
    if (!file) return false;
    const bool written = fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    return fclose(file.release()) == 0 && written;
}

bool ExcelFile::TaverixRunBySQL(const char* scriptPath, const char* sql) {
    if (!m_db->IsConnected()) return false;
    GetFile(sql, "dbout.txt");
    return TaverixRun(scriptPath);
}
