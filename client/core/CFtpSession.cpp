#include "CFtpSession.h"

#include "AttachmentNames.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kNotConnected[] = "尚未连接服务器";

struct FileCloser {
    void operator()(FILE* file) const {
        if (file) fclose(file);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

size_t WriteToText(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

int AbortCheck(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

bool HasControl(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if (*p < 0x20 || *p == 0x7f) return true;
    return false;
}

// Each segment escaped; a leading '/' is the server's root ("%2F").
std::string EscapePath(CURL* curl, const std::string& path) {
    std::string out;
    size_t start = 0;
    if (!path.empty() && path[0] == '/') {
        out = "/%2F";
        start = 1;
    } else {
        out = "/";
    }
    bool first = true;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (!first) out += '/';
        first = false;
        char* escaped = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
        if (escaped) {
            out += escaped;
            curl_free(escaped);
        }
        start = end + 1;
    }
    return out;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return "/" + name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

void CFtpSession::CurlDeleter::operator()(CURL* handle) const {
    if (handle) curl_easy_cleanup(handle);
}

CFtpSession::CFtpSession() { m_curlError[0] = '\0'; }

CFtpSession::~CFtpSession() { Close(); }

void CFtpSession::SetError(const std::string& text) {
    // The classic session kept at most 1999 characters.
    m_errorText = text.size() > 1999 ? text.substr(0, 1999) : text;
}

int CFtpSession::Fail(int code) {
    const char* text = m_curlError[0] ? m_curlError : curl_easy_strerror(static_cast<CURLcode>(code));
    SetError(text);
    return code > 0 ? -code : -1;
}

bool CFtpSession::CheckConnected() {
    if (m_connected) return true;
    SetError(kNotConnected);
    return false;
}

bool CFtpSession::CheckPath(const char* path) {
    if (path && *path && !HasControl(path)) return true;
    SetError(std::string("invalid remote path: ") + (path ? path : ""));
    return false;
}

std::string CFtpSession::Url(const std::string& path) const {
    return "ftp://" + m_host + ":" + std::to_string(m_port) + EscapePath(m_curl.get(), path);
}

void CFtpSession::Prepare(const std::string& path) {
    CURL* curl = m_curl.get();
    // Reset keeps the live connection, so one login serves the session.
    curl_easy_reset(curl);
    m_curlError[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_curlError);
    curl_easy_setopt(curl, CURLOPT_URL, Url(path).c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_password.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(curl, CURLOPT_FTP_RESPONSE_TIMEOUT, 60L);
    // A transfer stalled for a minute ends.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, AbortCheck);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_abort);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
}

int CFtpSession::Open(const char* host, int port, const char* user, const char* password) {
    Close();
    m_abort = false;
    m_host = host ? host : "";
    m_port = port > 0 ? port : 21;
    m_user = user ? user : "";
    m_password = password ? password : "";
    int result = -1;
    if (m_host.empty() || HasControl(m_host.c_str()) || m_host.find_first_of("/@:") != std::string::npos) {
        SetError("no valid host name");
    } else {
        m_curl.reset(curl_easy_init());
        if (!m_curl) {
            SetError("cannot start libcurl");
        } else {
            Prepare("/");
            curl_easy_setopt(m_curl.get(), CURLOPT_NOBODY, 1L);
            const CURLcode code = curl_easy_perform(m_curl.get());
            if (code == CURLE_OK) {
                m_connected = 1;
                m_errorText.clear();
                return 0;
            }
            result = Fail(code);
            m_curl.reset();
        }
    }
    SetError("Cannot open host: " + m_errorText + ".");
    return result;
}

void CFtpSession::Close() {
    // Cleaning up the handle sends QUIT on the kept connection.
    m_curl.reset();
    m_connected = 0;
}

int CFtpSession::Command(const std::string& command) {
    Prepare("/");
    std::unique_ptr<curl_slist, SlistFree> quote(curl_slist_append(nullptr, command.c_str()));
    curl_easy_setopt(m_curl.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_curl.get(), CURLOPT_QUOTE, quote.get());
    const CURLcode code = curl_easy_perform(m_curl.get());
    curl_easy_setopt(m_curl.get(), CURLOPT_QUOTE, nullptr);
    if (code != CURLE_OK) {
        const int result = Fail(code);
        long reply = 0;
        curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &reply);
        if (code == CURLE_QUOTE_ERROR && reply > 0)
            SetError(command + ": " + std::to_string(reply) + " " + m_errorText);
        return result;
    }
    return 0;
}

int CFtpSession::GetFile(const char* remotePath, const char* localPath) {
    if (!CheckConnected() || !CheckPath(remotePath)) return -1;
    if (!localPath || !*localPath) {
        SetError("no local file name");
        return -1;
    }
    if (m_abort) {
        SetError("transfer aborted");
        return -1;
    }
    // Into a temp file beside the target, renamed over it when complete.
    std::string temp = std::string(localPath) + ".part-XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        SetError(std::string("cannot write ") + localPath + ": " + strerror(errno));
        return -1;
    }
    FilePtr file(fdopen(fd, "wb"));
    if (!file) {
        close(fd);
        unlink(temp.c_str());
        SetError(std::string("cannot write ") + localPath + ": " + strerror(errno));
        return -1;
    }
    Prepare(remotePath);
    curl_easy_setopt(m_curl.get(), CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(m_curl.get(), CURLOPT_WRITEDATA, file.get());
    const CURLcode code = curl_easy_perform(m_curl.get());
    const bool flushed = fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
    const bool closed = fclose(file.release()) == 0;
    if (code != CURLE_OK) {
        unlink(temp.c_str());
        return Fail(code);
    }
    chmod(temp.c_str(), 0644);
    if (!flushed || !closed || rename(temp.c_str(), localPath) != 0) {
        SetError(std::string("cannot write ") + localPath + ": " + strerror(errno));
        unlink(temp.c_str());
        return -1;
    }
    return 0;
}

int CFtpSession::GetFiles(const char* pattern, const char* remoteFolder, const char* localFolder) {
    std::vector<std::string> names;
    const int listed = List(remoteFolder, names);
    if (listed < 0) return listed;
    int fetched = 0;
    for (const std::string& name : names) {
        if (!IsPlainFileName(name)) continue;
        if (pattern && *pattern && fnmatch(pattern, name.c_str(), 0) != 0) continue;
        const int result = GetFile(JoinPath(remoteFolder, name).c_str(), JoinPath(localFolder, name).c_str());
        if (result < 0) return result;
        ++fetched;
    }
    return fetched;
}

int CFtpSession::PutFile(const char* localPath, const char* remoteFolder, const char* remoteName) {
    if (!CheckConnected()) return -1;
    if (!localPath || !*localPath) {
        SetError("no local file name");
        return -1;
    }
    const std::string name = remoteName ? std::string(remoteName) : PlainFileName(localPath);
    if (!IsPlainFileName(name)) {
        SetError("invalid file name: " + name);
        return -1;
    }
    const std::string remotePath = JoinPath(remoteFolder ? remoteFolder : "", name);
    if (!CheckPath(remotePath.c_str())) return -1;
    if (m_abort) {
        SetError("transfer aborted");
        return -1;
    }
    FilePtr file(fopen(localPath, "rb"));
    if (!file) {
        SetError(std::string("cannot read ") + localPath + ": " + strerror(errno));
        return -1;
    }
    if (fseek(file.get(), 0, SEEK_END) != 0) {
        SetError(std::string("cannot read ") + localPath);
        return -1;
    }
    const long long size = ftell(file.get());
    rewind(file.get());
    Prepare(remotePath);
    curl_easy_setopt(m_curl.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl.get(), CURLOPT_READDATA, file.get());
    curl_easy_setopt(m_curl.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_easy_setopt(m_curl.get(), CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    const CURLcode code = curl_easy_perform(m_curl.get());
    if (code == CURLE_OK) return 0;
    const int result = Fail(code);
    const std::string error = m_errorText;
    if (!m_abort) Command("DELE " + remotePath);
    SetError(error);
    return result;
}

int CFtpSession::Delete(const char* remotePath) {
    if (!CheckConnected() || !CheckPath(remotePath)) return -1;
    return Command(std::string("DELE ") + remotePath);
}

int CFtpSession::MakeFolder(const char* remoteFolder) {
    if (!CheckConnected() || !CheckPath(remoteFolder)) return -1;
    return Command(std::string("MKD ") + remoteFolder);
}

int CFtpSession::List(const char* remoteFolder, std::vector<std::string>& names) {
    names.clear();
    if (!CheckConnected() || !CheckPath(remoteFolder)) return -1;
    std::string folder = remoteFolder;
    if (folder.back() != '/') folder += '/';
    std::string text;
    Prepare(folder);
    curl_easy_setopt(m_curl.get(), CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(m_curl.get(), CURLOPT_WRITEFUNCTION, WriteToText);
    curl_easy_setopt(m_curl.get(), CURLOPT_WRITEDATA, &text);
    const CURLcode code = curl_easy_perform(m_curl.get());
    if (code != CURLE_OK) return Fail(code);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t slash = line.find_last_of('/');
        if (slash != std::string::npos) line = line.substr(slash + 1);
        if (!line.empty()) names.push_back(line);
        start = end + 1;
    }
    return static_cast<int>(names.size());
}
