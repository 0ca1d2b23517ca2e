// CFtpSession: the client's connection to the FTP site of attachments and
// releases, over libcurl. One piece of work per session: Open, a few
// operations, Close. Names are exact (no wildcards); paths are absolute
// ("/attach/12_a.txt"). Results: 0 or more on success, below 0 on failure
// with the message in GetErrorText. Not locked: one operation at a time;
// only Abort may be called from another thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

typedef void CURL;

class CFtpSession {
public:
    CFtpSession();
    ~CFtpSession();
    CFtpSession(const CFtpSession&) = delete;
    CFtpSession& operator=(const CFtpSession&) = delete;

    // Connects and logs in. Failure: "Cannot open host: %s.", not connected.
    int Open(const char* host, int port, const char* user, const char* password);
    // One remote file into a local path, binary. The local file is written
    // only when the whole file arrived (a failure leaves it as it was).
    int GetFile(const char* remotePath, const char* localPath);
    // Every file of a remote folder whose name matches the pattern (matched
    // here, on the listed names) into a local folder; the count fetched.
    int GetFiles(const char* pattern, const char* remoteFolder, const char* localFolder);
    // A local file into a remote folder, under remoteName (a plain file
    // name) or, when null, the local file's own name. Missing folders are
    // made. A failed upload leaves no partial remote file behind.
    int PutFile(const char* localPath, const char* remoteFolder, const char* remoteName = nullptr);
    // Deletes one remote file; a missing file is a failure.
    int Delete(const char* remotePath);
    // The names in a remote folder (the part after each name's last '/');
    // the count.
    int List(const char* remoteFolder, std::vector<std::string>& names);
    int MakeFolder(const char* remoteFolder);
    // Sends QUIT and drops the connection.
    void Close();
    // Makes a running or later transfer end with an error (any thread);
    // Open clears it.
    void Abort() { m_abort = true; }

    bool IsConnected() const { return m_connected != 0; }
    const char* GetErrorText() const { return m_errorText.c_str(); }
    const std::string& Host() const { return m_host; }
    int Port() const { return m_port; }

private:
    struct CurlDeleter {
        void operator()(CURL* handle) const;
    };
    bool CheckConnected();
    bool CheckPath(const char* path);
    // A fresh request on the kept handle: URL, account, timeouts.
    void Prepare(const std::string& path);
    std::string Url(const std::string& path) const;
    // Sends one command after logging in (QUOTE); 0 or a negative code.
    int Command(const std::string& command);
    int Fail(int code);
    void SetError(const std::string& text);

    std::string m_errorText;
    int m_port = 0;
    std::string m_host;
    std::string m_user;
    std::string m_password;
    std::unique_ptr<CURL, CurlDeleter> m_curl;
    char m_curlError[256];
    int m_connected = 0;
    std::atomic<bool> m_abort{false};
};
