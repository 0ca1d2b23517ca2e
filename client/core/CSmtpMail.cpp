#include "CSmtpMail.h"

#include <curl/curl.h>

#include <cstring>
#include <ctime>
#include <memory>

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

int DebugCallback(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type == CURLINFO_HEADER_IN) static_cast<CSmtpMail*>(user)->OnServerLine(data, size);
    return 0;
}

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& bytes) {
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string JoinAddresses(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& address : list) {
        if (!out.empty()) out += ", ";
        out += address;
    }
    return out;
}

// The display name as a quoted phrase, or encoded words when not ASCII.
std::string DisplayName(const std::string& name) {
    bool plain = true;
    for (unsigned char c : name)
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') plain = false;
    return plain ? "\"" + name + "\"" : CSmtpMail::EncodeHeaderText(name);
}

}  // namespace

CSmtpMail::CSmtpMail() = default;

void CSmtpMail::SetPort(int port) {
    m_port = port & 0xFFFF;
    if (m_port == 0) m_port = 25;
}

void CSmtpMail::AddRecipient(const std::string& address, bool cc) {
    const std::string trimmed = Trimmed(address);
    if (trimmed.empty()) return;
    (cc ? m_cc : m_to).push_back(trimmed);
}

void CSmtpMail::SetSender(const std::string& address, const std::string& displayName) {
    m_sender = Trimmed(address);
    m_senderName = displayName;
}

void CSmtpMail::SetAccount(const std::string& user, const std::string& password) {
    m_user = user;
    m_password = password;
}

bool CSmtpMail::IsValidAddress(const std::string& address) {
    const size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= address.size()) return false;
    if (address.find('@', at + 1) != std::string::npos) return false;
    for (unsigned char c : address) {
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::strchr("<>(),;:\"[]\\", c)) return false;
    }
    return address.front() != '.' && address.back() != '.';
}

std::string CSmtpMail::EncodeHeaderText(const std::string& text) {
    std::string flat;
    bool plain = true;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
        else if (u < 0x20 || u == 0x7F) continue;
        if (u >= 0x80) plain = false;
        flat += c;
    }
    // Plain lines stay readable; very long ones are encoded so they fold.
    if (plain && flat.size() <= 900) return flat;
    // Words of at most 45 bytes (60 base64 characters, 72 with the frame),
    // never cutting a UTF-8 sequence.
    std::string out;
    size_t i = 0;
    while (i < flat.size()) {
        size_t end = i + 45 < flat.size() ? i + 45 : flat.size();
        while (end > i + 1 && end < flat.size() &&
               (static_cast<unsigned char>(flat[end]) & 0xC0) == 0x80)
            --end;
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(flat.substr(i, end - i)) + "?=";
        i = end;
    }
    return out;
}

std::string CSmtpMail::NormalizeLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string CSmtpMail::DateHeaderValue() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    const long offset = local.tm_gmtoff / 60;
    const long absolute = offset < 0 ? -offset : offset;
    char text[64];
    snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[local.tm_wday],
             local.tm_mday, months[local.tm_mon], local.tm_year + 1900, local.tm_hour,
             local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', absolute / 60, absolute % 60);
    return text;
}

void CSmtpMail::OnServerLine(const char* data, size_t size) {
    if (!m_recording) return;
    m_pending.append(data, size);
    // An answer ends with a line "ddd text" (a '-' after the code goes on).
    size_t start = 0;
    for (;;) {
        const size_t end = m_pending.find('\n', start);
        if (end == std::string::npos) break;
        std::string line = m_pending.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (line.size() >= 3 && (line.size() == 3 || line[3] == ' ')) {
            // The farewell after QUIT is not the answer to the mail.
            if (line.compare(0, 3, "221") != 0) m_response = line;
        }
    }
    m_pending.erase(0, start);
}

bool CSmtpMail::Fail(const std::string& text) {
    m_errorText = text;
    return false;
}

bool CSmtpMail::Send() {
    m_response.clear();
    m_pending.clear();
    m_errorText.clear();
    if (m_host.empty()) return Fail("No mail server is configured (mail_server)");
    if (m_host.find_first_of("/@ \t\r\n") != std::string::npos)
        return Fail("Invalid mail server: " + m_host);
    if (m_to.empty()) return Fail("No recipient");
    if (!IsValidAddress(m_sender)) return Fail("Invalid sender address: " + m_sender);
    for (const std::vector<std::string>* list : {&m_to, &m_cc})
        for (const std::string& address : *list)
            if (!IsValidAddress(address)) return Fail("Invalid mail address: " + address);

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return Fail("Cannot start the mail transfer");
    CURL* handle = curl.get();
    const std::string host = m_host.find(':') != std::string::npos && m_host.front() != '['
                                 ? "[" + m_host + "]"
                                 : m_host;
    const std::string url = "smtp://" + host + ":" + std::to_string(m_port);
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, DebugCallback);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, this);

    const std::string from = "<" + m_sender + ">";
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
    std::unique_ptr<curl_slist, SlistDeleter> recipients;
    for (const std::vector<std::string>* list : {&m_to, &m_cc})
        for (const std::string& address : *list)
            recipients.reset(curl_slist_append(recipients.release(), ("<" + address + ">").c_str()));
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
    if (!m_user.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, m_user.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, m_password.c_str());
        curl_easy_setopt(handle, CURLOPT_LOGIN_OPTIONS,
                         m_authType == kAuthLogin ? "AUTH=LOGIN" : "AUTH=PLAIN");
    }

    std::vector<std::string> lines;
    lines.push_back("Date: " + DateHeaderValue());
    lines.push_back("From: " + (m_senderName.empty() ? std::string()
                                                     : DisplayName(m_senderName) + " ") +
                    "<" + m_sender + ">");
    lines.push_back("To: " + JoinAddresses(m_to));
    if (!m_cc.empty()) lines.push_back("Cc: " + JoinAddresses(m_cc));
    lines.push_back("Subject: " + EncodeHeaderText(m_subject));
    char messageId[128];
    snprintf(messageId, sizeof messageId, "Message-ID: <%lld.%d.zentry@%s>",
             static_cast<long long>(time(nullptr)), static_cast<int>(clock() & 0xFFFFFF),
             m_sender.substr(m_sender.find('@') + 1).c_str());
    lines.push_back(messageId);
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    for (const std::string& line : lines)
        headers.reset(curl_slist_append(headers.release(), line.c_str()));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    std::unique_ptr<curl_mime, MimeDeleter> mime(curl_mime_init(handle));
    curl_mimepart* part = curl_mime_addpart(mime.get());
    const std::string body = NormalizeLineEnds(m_text);
    curl_mime_data(part, body.data(), body.size());
    curl_mime_type(part, "text/plain; charset=UTF-8");
    curl_mime_encoder(part, "base64");
    curl_easy_setopt(handle, CURLOPT_MIMEPOST, mime.get());

    m_recording = true;
    const CURLcode code = curl_easy_perform(handle);
    m_recording = false;
    // The handle goes first: its farewell must not meet freed lists.
    curl.reset();
    if (code == CURLE_OK) return true;
    // The server's refusal says most; without one, libcurl's reason.
    if (m_response.size() >= 3 && (m_response[0] == '4' || m_response[0] == '5'))
        return Fail(m_response);
    return Fail(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
}
