#include "ConnectionSocket.h"

#include <civetweb.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

// The port of an IPv4 or IPv6 address, and its text.
bool AddressOf(const sockaddr_storage& address, int& port, char* text, size_t size) {
    if (address.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(address);
        port = ntohs(in.sin_port);
        return inet_ntop(AF_INET, &in.sin_addr, text, static_cast<socklen_t>(size)) != nullptr;
    }
    if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        port = ntohs(in6.sin6_port);
        return inet_ntop(AF_INET6, &in6.sin6_addr, text, static_cast<socklen_t>(size)) != nullptr;
    }
    return false;
}

bool Matches(int fd, const mg_request_info* info) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    char text[INET6_ADDRSTRLEN];
    int port = 0;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        !AddressOf(address, port, text, sizeof text) || port != info->remote_port ||
        strcmp(text, info->remote_addr) != 0)
        return false;
    length = sizeof address;
    return getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
           AddressOf(address, port, text, sizeof text) && port == info->server_port;
}

}  // namespace

int FindConnectionSocket(const mg_request_info* info) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int found = -1;
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir)) continue;
        if (Matches(static_cast<int>(fd), info)) {
            found = static_cast<int>(fd);
            break;
        }
    }
    closedir(dir);
    return found;
}

int ArrivedBytes(int socket) {
    int bytes = 0;
    return ioctl(socket, FIONREAD, &bytes) == 0 && bytes > 0 ? bytes : 0;
}
