// CScriptedHttpServer: an HTTP server on a free loopback port that answers
// each request with the next reply of its script (then the default reply)
// and keeps every request target, for replies a real server never gives.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CScriptedHttpServer {
public:
    CScriptedHttpServer();
    ~CScriptedHttpServer();

    bool Start();
    int Port() const { return m_port; }
    // Replies in order; once used up every request gets the default.
    void Push(const std::string& body);
    void SetDefault(const std::string& body) { m_default = body; }
    // true: the body alone, without status line and headers (HTTP/0.9).
    void SetBare(bool bare) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bare = bare;
    }
    // Waits this long before each reply.
    void SetDelayMs(int ms) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_delayMs = ms;
    }
    // Request targets ("/Lumeno/select2?..."), in arrival order.
    std::vector<std::string> Requests();

private:
    void Serve();

    int m_listen;
    int m_port;
    bool m_bare;
    bool m_stop;
    int m_delayMs;
    std::string m_default;
    std::deque<std::string> m_script;
    std::vector<std::string> m_requests;
    std::mutex m_mutex;
    std::thread m_thread;
};
