// Small helpers of the host suites: whole files, a command's output, a
// process's /proc status and one-shot raw HTTP exchanges.
#pragma once

#include <arpa/inet.h>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What a shell command prints on standard output.
inline std::string CommandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    pclose(pipe);
    return out;
}

// A field of /proc/<pid>/status ("VmHWM", "CapEff"), without its name.
inline std::string ProcessStatus(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, field.size() + 1, field + ":") != 0) continue;
        const size_t start = line.find_first_not_of(" \t", field.size() + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return std::string();
}

// True when the process's effective capabilities hold the one numbered bit
// (CAP_SYS_TIME is 25).
inline bool HasCapability(pid_t pid, int bit) {
    const unsigned long long caps = std::stoull("0" + ProcessStatus(pid, "CapEff"), nullptr, 16);
    return (caps >> bit) & 1;
}

// The permission bits of a file, -1 when it is missing.
inline int FileMode(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

// A folder the tests made as root is given to nobody (the systemd unit never
// runs a server as root); true when the folder's owner is not root.
inline bool OwnByUnprivilegedAccount(const std::string& dir) {
    if (geteuid() == 0 && chown(dir.c_str(), 65534, 65534) != 0) return false;
    struct stat info;
    return stat(dir.c_str(), &info) == 0 && info.st_uid != 0;
}

// A connected loopback socket, -1 on failure.
inline int ConnectLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
    if (fd >= 0) close(fd);
    return -1;
}

// True when the text holds a whole reply: its headers and as many bytes of
// body as they announce.
inline bool WholeReply(const std::string& reply) {
    const size_t end = reply.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const size_t length = reply.find("Content-Length: ");
    if (length == std::string::npos || length > end) return false;
    return reply.size() - end - 4 >= std::stoul(reply.substr(length + 16));
}

// Sends the bytes on a fresh connection and returns what comes back: one
// whole reply, or all until the server closes the connection (or seconds
// pass without a byte).
inline std::string Exchange(int port, const std::string& bytes, int seconds = 10) {
    const int fd = ConnectLoopback(port);
    if (fd < 0) return std::string();
    timeval tv{seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    std::string reply;
    char buffer[8192];
    ssize_t got;
    while (!WholeReply(reply) && (got = recv(fd, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<size_t>(got));
    close(fd);
    return reply;
}

// The status code of a raw reply ("HTTP/1.1 413 ..."), 0 when there is none.
inline int StatusOf(const std::string& reply) {
    return reply.compare(0, 5, "HTTP/") == 0 && reply.size() > 12 ? std::stoi(reply.substr(9, 3)) : 0;
}

// The body of a raw reply.
inline std::string BodyOf(const std::string& reply) {
    const size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}
