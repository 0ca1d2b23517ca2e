// CBaselineServer: civetweb with the server's thread and keep-alive options,
// answering every request with a fixed "ok" from its begin_request handler,
// written the way the server writes its replies. The reference rate of the
// server benchmark.
#pragma once

#include <memory>
#include <string>

struct mg_context;

class CBaselineServer {
public:
    CBaselineServer() = default;
    ~CBaselineServer();
    CBaselineServer(const CBaselineServer&) = delete;
    CBaselineServer& operator=(const CBaselineServer&) = delete;

    // Listens on 127.0.0.1:port; false with the error text when it cannot.
    bool Start(int port);
    void Stop();
    int Port() const { return m_port; }
    const std::string& GetErrorText() const { return m_error; }

private:
    struct ContextStopper {
        void operator()(mg_context* context) const;
    };
    std::unique_ptr<mg_context, ContextStopper> m_context;
    int m_port = -1;
    std::string m_error;
};
