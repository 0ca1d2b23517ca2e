#include "CHttpDataClient.h"

#include "CMd5Digest.h"
#include "LogWriter.h"
#include "ParamCoding.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char kConnectFailed[] = "连接失败,请确保输入的服务器与端口是否正确";

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
typedef std::unique_ptr<CURL, EasyDeleter> EasyHandle;

struct CurlFree {
    void operator()(char* text) const { curl_free(text); }
};

// curl_easy_escape of the whole text (it escapes everything but A-Z a-z 0-9
// and "-._~"); empty on failure.
std::string Escape(const char* text) {
    std::unique_ptr<char, CurlFree> escaped(
        curl_easy_escape(nullptr, text, static_cast<int>(strlen(text))));
    return escaped ? std::string(escaped.get()) : std::string();
}

size_t WriteCallback(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

bool StartsWithError(const CListString& reply) {
    return reply.GetLength() >= 2 && reply.GetAt(0) == '-' && reply.GetAt(1) == '1';
}

// The reply without the line ends a server may put after a one-word answer.
CListString Word(const CListString& reply) {
    CListString word(reply);
    while (!word.IsEmpty()) {
        const char last = word.GetAt(word.GetLength() - 1);
        if (last != '\r' && last != '\n' && last != '\x02' && last != ' ') break;
        word.Delete(word.GetLength() - 1, 1);
    }
    return word;
}

bool IsWord(const CListString& reply, const char* word) { return Word(reply).Compare(word) == 0; }

// Length of the longest prefix of at most limit bytes that ends on a
// character boundary of UTF-8 text.
size_t Utf8Cut(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut > 0 ? cut : limit;
}

}  // namespace

CHttpDataClient::CHttpDataClient()
    : m_usePassEncode(false),
      m_maxCount(1000),
      m_curlInit(curl_global_init(CURL_GLOBAL_ALL)),
      m_errorBuffer{},
      m_timeout(1000),
      m_port(-1),
      m_appPath("Lumeno"),
      m_sendSession(true),
      m_sessionEndedText("The session with the server has ended; please log in again."),
      m_unexpectedReplyText("Unexpected reply from the server: ") {
    if (m_curlInit != 0)
        LogMessage("curl_init failed, error code is: %s\n",
                   curl_easy_strerror(static_cast<CURLcode>(m_curlInit)));
}

CHttpDataClient::~CHttpDataClient() = default;

void CHttpDataClient::SetMessageTexts(const char* sessionEnded, const char* unexpectedReply) {
    if (sessionEnded && *sessionEnded) m_sessionEndedText = sessionEnded;
    if (unexpectedReply && *unexpectedReply) m_unexpectedReplyText = unexpectedReply;
}

void CHttpDataClient::SetPassword(const char* password) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_password = password ? password : "";
}

void CHttpDataClient::SetConnection(const char* host, int port, const char* user,
                                    const char* password) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_host = host ? host : "";
    m_port = port;
    m_userName = user ? user : "";
    m_password = password ? password : "";
}

std::string CHttpDataClient::BaseUrl() const {
    std::string url = "http://" + m_host;
    if (m_port >= 1) url += ":" + std::to_string(m_port);
    url += "/" + m_appPath + "/";
    return url;
}

std::string CHttpDataClient::BuildCommandUrl(const char* command, const char* params) const {
    std::string url = BaseUrl() + command + "?";
    const std::string session = m_sendSession ? m_sessionId : std::string();
    if (params && *params)
        url += Escape(params) + "&session_id=" + session;
    else
        url += "session_id=" + session;
    return url;
}

std::string CHttpDataClient::EscapeTwice(const char* text) {
    const std::string once = Escape(text ? text : "");
    return Escape(once.c_str());
}

std::string CHttpDataClient::BuildLoginTail(const char* user, const char* password) const {
    std::string secret = password ? password : "";
    if (m_usePassEncode) secret = CMd5Digest(secret.c_str()).GetHexText();
    // The server decodes the whole query and then each value again: escape
    // twice so '&', '=', '%', '+', '#', blanks and CJK characters arrive whole.
    return "web_login?account=" + EscapeTwice(user) + "&password=" + EscapeTwice(secret.c_str());
}

bool CHttpDataClient::IsSessionId(const char* text) {
    if (!text) return false;
    const size_t length = strlen(text);
    if (length < 17) return false;
    const size_t digits = length - 16;
    for (size_t i = 0; i < digits; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    for (size_t i = digits; i < length; ++i) {
        const char c = text[i];
        const bool ok = c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z');
        if (!ok) return false;
    }
    return true;
}

bool CHttpDataClient::Perform(const std::string& url, CListString& reply) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    // Only an empty host is unset: "127.1" and short host names are real.
    if (m_host.empty()) {
        snprintf(m_errorBuffer, sizeof m_errorBuffer, "please set ip address");
        return false;
    }
    m_reply.clear();
    EasyHandle handle(curl_easy_init());
    if (!handle) {
        LogMessage("curl_easy_init failed \n");
        return false;
    }
    CURL* curl = handle.get();
    m_errorBuffer[0] = 0;
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, m_timeout);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
    // A proxy in front of the servers answers 502/503 with a page of its own.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &m_reply);
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        if (m_errorBuffer[0] == 0)
            snprintf(m_errorBuffer, sizeof m_errorBuffer, "%s", curl_easy_strerror(code));
        return false;
    }
    reply = CListString(m_reply.data(), static_cast<int>(m_reply.size()));
    return true;
}

bool CHttpDataClient::PerformCommand(const char* command, const char* params, CListString& reply) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return Perform(BuildCommandUrl(command, params), reply);
}

bool CHttpDataClient::PerformRaw(const char* tail, CListString& reply) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return Perform(BaseUrl() + (tail ? tail : ""), reply);
}

bool CHttpDataClient::Relogin() {
    if (m_userName.empty()) return false;
    const std::string host = m_host, user = m_userName, password = m_password;
    CListString error;
    return Login(host.c_str(), m_port, user.c_str(), password.c_str(), error);
}

bool CHttpDataClient::Command(const char* command, const char* params, CListString& reply,
                              CListString& error, bool* transportFailed) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (transportFailed) *transportFailed = false;
    if (!PerformCommand(command, params, reply)) {
        error.SetText(GetErrorText());
        if (transportFailed) *transportFailed = true;
        return false;
    }
    if (!IsWord(reply, "deny")) return true;
    // The session ended (the server's sweep or a restart): one new login with
    // the stored account, then the request once more.
    if (Relogin()) {
        if (!PerformCommand(command, params, reply)) {
            error.SetText(GetErrorText());
            return false;
        }
        if (!IsWord(reply, "deny")) return true;
    }
    error.SetText(m_sessionEndedText.c_str());
    return false;
}

bool CHttpDataClient::GetConfig(CListString& reply, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!PerformCommand("get_config", "", reply)) {
        error.SetText("");
        return false;
    }
    return true;
}

bool CHttpDataClient::GetUserConfig(CListString& reply, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString text;
    bool transportFailed = false;
    if (!Command("get_user_config", "", text, error, &transportFailed)) {
        // The caller shows its own text for a failed transfer.
        if (transportFailed) error.SetText("");
        return false;
    }
    reply = text;
    return true;
}

int CHttpDataClient::Select(const char* sql, CResultSet& result, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString params;
    params.Format("maxcount=%d&sql=", m_maxCount);
    params.Append(EncodeParam(sql));
    CListString reply;
    bool transportFailed = false;
    if (!Command("select2", params.CStr(), reply, error, &transportFailed)) {
        if (transportFailed) result.Clear();
        return -1;
    }
    if (StartsWithError(reply)) {
        error = reply;
        return -1;
    }
    if (result.Parse(reply.CStr()) < 0) result.Clear();
    return result.GetRowCount();
}

int CHttpDataClient::SelectText(const char* sql, CListString& text, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString params("maxcount=1000&sql=");
    params.Append(EncodeParam(sql));
    CListString reply;
    if (!Command("select2", params.CStr(), reply, error)) return -1;
    text = reply;
    if (StartsWithError(reply)) {
        error = reply;
        return -1;
    }
    return 1;
}

long CHttpDataClient::SelectInt(const char* sql, CListString& error) {
    CResultSet result;
    if (Select(sql, result, error) < 0) return -1;
    if (result.GetFieldCount() == 0) return -999;
    if (result.GetRowCount() == 0) return 0;
    return atol(result.GetValueAt(0, 0).CStr());
}

namespace {

// Shared tail of the execute calls: only "success" is a success.
bool CheckExecReply(const CListString& reply, CListString& error, const std::string& unexpected) {
    if (IsWord(reply, "success")) return true;
    if (StartsWithError(reply)) {
        error = reply;
    } else {
        error.SetText(unexpected.c_str());
        error.Append(reply);
    }
    return false;
}

}  // namespace

bool CHttpDataClient::ExecSql(const char* sql, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString params("sql=");
    params.Append(EncodeParam(sql));
    CListString reply;
    if (!Command("exec_sql", params.CStr(), reply, error)) return false;
    return CheckExecReply(reply, error, m_unexpectedReplyText);
}

bool CHttpDataClient::ExecSqlGo(const char* sql, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString params("sql=");
    params.Append(EncodeParam(sql));
    CListString reply;
    if (!Command("exec_sql_go", params.CStr(), reply, error)) return false;
    return CheckExecReply(reply, error, m_unexpectedReplyText);
}

bool CHttpDataClient::ExecSqlPrepare(const char* params, CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CListString reply;
    if (!Command("exec_sql_prepare", params, reply, error)) return false;
    return CheckExecReply(reply, error, m_unexpectedReplyText);
}

bool CHttpDataClient::UploadLongParam(const char* value, const char* name, int number,
                                      int pieceSize) {
    CListString error;
    return SendLongValues({{name, value ? value : ""}}, number, pieceSize, 1, error);
}

bool CHttpDataClient::UploadLongParams(const std::vector<std::pair<std::string, std::string>>& values,
                                       int firstNumber, int pieceSize, CListString& error) {
    firstNumber = std::max(1, std::min(firstNumber, 9));
    // The server reads the parameters param1 to param9 of a request.
    return SendLongValues(values, firstNumber, pieceSize, static_cast<size_t>(10 - firstNumber), error);
}

bool CHttpDataClient::SendLongValues(const std::vector<std::pair<std::string, std::string>>& values,
                                     int firstNumber, int pieceSize, size_t perRequest,
                                     CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (pieceSize < 1) pieceSize = 3000;
    // Every value cut into pieces that end on character boundaries, so no
    // piece holds half a UTF-8 character; an empty value is one empty piece.
    struct Piece {
        const std::string* name;
        std::string text;
        size_t round;
    };
    std::vector<Piece> pieces;
    for (const auto& [name, text] : values) {
        size_t offset = 0;
        size_t round = 0;
        do {
            const size_t count = Utf8Cut(text.c_str() + offset, text.size() - offset,
                                         static_cast<size_t>(pieceSize));
            pieces.push_back(Piece{&name, text.substr(offset, count), round++});
            offset += count;
        } while (offset < text.size());
    }
    // The n-th pieces of all values go before any (n+1)-th piece, as the
    // server appends a value's pieces in the order they arrive.
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.round < b.round; });
    for (size_t first = 0; first < pieces.size(); first += perRequest) {
        CListString request;
        if (firstNumber == 1 && first == 0) request.SetText("index=0&");
        for (size_t i = first; i < pieces.size() && i < first + perRequest; ++i) {
            const Piece& piece = pieces[i];
            const int slot = static_cast<int>(i - first) + firstNumber;
            const char* name = piece.name->c_str();
            CListString head;
            head.Format("%sparam%d=%s&value%d=", i > first ? "&" : "", slot, name, slot);
            request.Append(head);
            if (strncmp(name, "st", 2) == 0 || strncmp(name, "cl", 2) == 0) {
                request.Append(EncodeParam(piece.text.c_str()));
            } else {
                // The server decodes twice; one escape of our own keeps '+', '&'
                // and '=' of plain values whole.
                request.AppendText(Escape(piece.text.c_str()).c_str());
            }
        }
        if (!ExecSqlPrepare(request.CStr(), error)) return false;
    }
    return true;
}

bool CHttpDataClient::Logout() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_sessionId.empty()) return true;
    const std::string params = "id=" + m_sessionId;
    CListString reply;
    const bool done = PerformCommand("web_logout", params.c_str(), reply) && IsWord(reply, "success");
    m_sessionId.clear();
    return done;
}

bool CHttpDataClient::Login(const char* host, int port, const char* user, const char* password,
                            CListString& error) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    // The working session stays until the new one exists: a failed login
    // leaves server, account, password coding and session as they were.
    const std::string host0 = m_host, user0 = m_userName, password0 = m_password, session0 = m_sessionId;
    const int port0 = m_port;
    const bool encode0 = m_usePassEncode;
    const auto keepOld = [&] {
        SetConnection(host0.c_str(), port0, user0.c_str(), password0.c_str());
        m_sessionId = session0;
        m_usePassEncode = encode0;
        return false;
    };
    SetConnection(host, port, user, password);
    CListString config;
    // A failed get_config leaves the error text empty: the caller shows its
    // own words (the transfer's message stays in GetErrorText).
    if (!GetConfig(config, error)) return keepOld();
    // Items "key=value" joined by '!'; only use_pass_encode matters here
    // (replies are always parsed with the characters 1 and 2). A server
    // that does not ask for coding gets the password itself.
    m_usePassEncode = false;
    const std::string& items = config.StdString();
    size_t start = 0;
    while (start <= items.size()) {
        size_t end = items.find('!', start);
        if (end == std::string::npos) end = items.size();
        const std::string item = items.substr(start, end - start);
        const size_t equals = item.find('=');
        if (equals != std::string::npos && item.find('=', equals + 1) == std::string::npos &&
            CListString(item.substr(0, equals).c_str()).CompareNoCase("use_pass_encode") == 0)
            m_usePassEncode = atol(item.c_str() + equals + 1) != 0;
        start = end + 1;
    }
    CListString reply;
    if (!PerformRaw(BuildLoginTail(user, password).c_str(), reply)) {
        error.SetText(kConnectFailed);
        return keepOld();
    }
    const CListString id = Word(reply);
    if (StartsWithError(reply) || !IsSessionId(id.CStr())) {
        // "-1" with the server's words, or anything that is no SessionId.
        error = reply;
        return keepOld();
    }
    m_sessionId = id.StdString();
    return true;
}
