#include "ScriptedHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

CScriptedHttpServer::CScriptedHttpServer()
    : m_listen(-1), m_port(0), m_bare(false), m_stop(false), m_delayMs(0), m_default("success") {}

CScriptedHttpServer::~CScriptedHttpServer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    if (m_thread.joinable()) m_thread.join();
    if (m_listen >= 0) close(m_listen);
}

bool CScriptedHttpServer::Start() {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) return false;
    const int on = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_listen, 16) != 0 ||
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return false;
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void CScriptedHttpServer::Push(const std::string& body) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script.push_back(body);
}

std::vector<std::string> CScriptedHttpServer::Requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void CScriptedHttpServer::Serve() {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop) return;
        }
        pollfd waiting{m_listen, POLLIN, 0};
        if (poll(&waiting, 1, 20) <= 0) continue;
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
        }
        std::string body;
        bool bare;
        int delay;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const size_t start = request.find(' ');
            const size_t end = start == std::string::npos ? start : request.find(' ', start + 1);
            if (end != std::string::npos) m_requests.push_back(request.substr(start + 1, end - start - 1));
            if (m_script.empty()) {
                body = m_default;
            } else {
                body = m_script.front();
                m_script.pop_front();
            }
            bare = m_bare;
            delay = m_delayMs;
        }
        if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        std::string reply = bare ? body
                                 : "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n"
                                   "Content-Length: " + std::to_string(body.size()) +
                                       "\r\nConnection: close\r\n\r\n" + body;
        size_t sent = 0;
        while (sent < reply.size()) {
            const ssize_t n = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        shutdown(fd, SHUT_WR);
        close(fd);
    }
}
