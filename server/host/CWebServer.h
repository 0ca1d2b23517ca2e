// CWebServer: the embedded web server (civetweb): static files under web/,
// CGI under /cgi-bin, the redirect of "/" and the command requests under
// the form root, answered as plain-text HTTP/1.1 replies.
#pragma once

#include "CBodyBudget.h"
#include "CCommandExecutor.h"
#include "CServerState.h"

#include <memory>
#include <string>

struct mg_context;
struct mg_connection;

class CWebServer {
public:
    explicit CWebServer(CServerState& state);
    ~CWebServer();
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    // Listens on the first free port of port .. port + retries; false when
    // none can be opened (the error text says why).
    bool Start(const std::string& documentRoot, int port, int retries);
    // Stops listening and waits for the requests being served.
    void Stop();
    int GetPort() const { return m_port; }
    const std::string& GetErrorText() const { return m_error; }

private:
    struct ContextStopper {
        void operator()(mg_context* context) const;
    };

    static int OnBeginRequest(mg_connection* conn);
    static int OnLogMessage(const mg_connection* conn, const char* message);
    int HandleRequest(mg_connection* conn);
    int ServeCommand(mg_connection* conn, const std::string& name);
    // 200 when the body was read; else the status to refuse it with.
    int ReadBody(mg_connection* conn, CBodyBudget::CShare& share, std::string& body);
    // A path that is no command: civetweb's (0) when it holds no escapes,
    // else the decoded name's file is served here.
    int ServeFile(mg_connection* conn, const std::string& raw, const std::string& path);
    // True when civetweb serves the path: a file or folder under the
    // document root, or anything under /cgi-bin.
    bool IsServedPath(const std::string& path) const;

    CServerState& m_state;
    CCommandExecutor m_executor;
    CBodyBudget m_bodyBudget;
    std::unique_ptr<mg_context, ContextStopper> m_context;
    int m_port = -1;
    std::string m_documentRoot;
    std::string m_error;
};
