// CHttpDataClient: the client's road to the data-service server. Every call
// is one HTTP GET of the command protocol, made synchronously with libcurl
// on the calling thread; failures come back as results and error texts.
#pragma once

#include "CListString.h"
#include "CResultSet.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CHttpDataClient {
public:
    CHttpDataClient();
    ~CHttpDataClient();
    CHttpDataClient(const CHttpDataClient&) = delete;
    CHttpDataClient& operator=(const CHttpDataClient&) = delete;

    void SetConnection(const char* host, int port, const char* user, const char* password);
    // The password a renewed session logs in with (after a password change).
    void SetPassword(const char* password);
    // get_config, then web_login; true when a SessionId of the right shape
    // came back. A failed get_config leaves error empty (the caller has its
    // own words; GetErrorText keeps the transfer's). A failure leaves the
    // connection, the password coding and the session as they were.
    bool Login(const char* host, int port, const char* user, const char* password,
               CListString& error);
    // Leaves the session (web_logout) and forgets it: the client ends
    // without leaving a live session behind. true when the server said
    // "success" or there was no session.
    bool Logout();

    bool GetConfig(CListString& reply, CListString& error);
    bool GetUserConfig(CListString& reply, CListString& error);
    // Rows of select2 into the set: the row count, -1 on failure.
    int Select(const char* sql, CResultSet& result, CListString& error);
    int SelectText(const char* sql, CListString& text, CListString& error);
    // First value of the first row as a number; 0 without rows, -999 without
    // fields, -1 on failure.
    long SelectInt(const char* sql, CListString& error);
    // true only when the server answered "success".
    bool ExecSql(const char* sql, CListString& error);
    bool ExecSqlGo(const char* sql, CListString& error);
    bool ExecSqlPrepare(const char* params, CListString& error);
    // Sends one long value for a later ExecSqlGo, in pieces through
    // exec_sql_prepare. Parameter number 1 resets the session's parameters.
    bool UploadLongParam(const char* value, const char* name, int number, int pieceSize);
    // Sends several long values (name, text) side by side, as many pieces
    // to a request as its parameters numbered from firstNumber to 9 hold (1
    // first clears the session's values): short values travel in one request.
    bool UploadLongParams(const std::vector<std::pair<std::string, std::string>>& values,
                          int firstNumber, int pieceSize, CListString& error);

    // libcurl's message of the last failed transfer, or the client's own.
    const char* GetErrorText() const { return m_errorBuffer; }

    // The two request primitives; true when the transfer succeeded with
    // status 200 (a proxy's error page is a failed transfer).
    bool PerformCommand(const char* command, const char* params, CListString& reply);
    bool PerformRaw(const char* tail, CListString& reply);

    // The URL of a command request (exposed for tests and logs).
    std::string BuildCommandUrl(const char* command, const char* params) const;
    std::string BuildLoginTail(const char* user, const char* password) const;
    // Digits followed by 16 characters of [_0-9a-zA-Z].
    static bool IsSessionId(const char* text);
    // Escaped once per decoding the server applies to a login variable.
    static std::string EscapeTwice(const char* text);

    // Texts of failures the server reports without words of its own.
    void SetMessageTexts(const char* sessionEnded, const char* unexpectedReply);

    const std::string& GetSessionId() const { return m_sessionId; }
    const std::string& GetHost() const { return m_host; }
    int GetPort() const { return m_port; }
    const std::string& GetUserName() const { return m_userName; }

    bool m_usePassEncode;  // the server's use_pass_encode; read by the password dialogs
    int m_maxCount;        // the row limit Select asks for

    // One command with the session, logging in again once when the server
    // answers "deny". Transport failure: false with the libcurl text. A
    // session that cannot be renewed: false with the session-ended text.
    bool Command(const char* command, const char* params, CListString& reply,
                 CListString& error, bool* transportFailed = nullptr);

private:
    // The pieces of the values, the n-th of each before any (n+1)-th,
    // perRequest of them to an exec_sql_prepare numbered from firstNumber.
    bool SendLongValues(const std::vector<std::pair<std::string, std::string>>& values,
                        int firstNumber, int pieceSize, size_t perRequest, CListString& error);
    bool Perform(const std::string& url, CListString& reply);
    bool Relogin();
    std::string BaseUrl() const;

    int m_curlInit;
    char m_errorBuffer[256];
    std::string m_reply;
    long m_timeout;
    std::string m_userName;
    std::string m_password;
    std::string m_host;
    int m_port;
    std::string m_sessionId;
    std::string m_appPath;
    bool m_sendSession;
    std::string m_sessionEndedText;
    std::string m_unexpectedReplyText;
    // Requests share the reply and error buffers: never two at once.
    std::recursive_mutex m_mutex;
};
