// The request size limits of the shipped HAProxy configuration are those of
// Lumeno's max_request_kb (2048 KiB): a request one of them takes the other
// takes too, and one refused directly is refused through HAProxy.
#include "DeployCluster.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>

namespace {

// Sends the request on a new connection to 127.0.0.1:port (as far as the
// other side reads it) and reads the reply until the other side closes;
// the status of its first line, 0 without one.
int Exchange(int port, const std::string& request, std::string& reply) {
    reply.clear();
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    timeval wait = {30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    sockaddr_in to;
    memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        for (size_t sent = 0; sent < request.size();) {
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;  // refused before the end: the reply says why
            sent += static_cast<size_t>(n);
        }
        char buffer[65536];
        ssize_t n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, n);
    }
    close(fd);
    return reply.compare(0, 9, "HTTP/1.1 ") == 0 || reply.compare(0, 9, "HTTP/1.0 ") == 0
               ? atoi(reply.c_str() + 9)
               : 0;
}

std::string BodyOf(const std::string& reply) {
    const size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

}  // namespace

TEST(RequestLimitsTest, HaproxyTakesWhatLumenoTakes)
{
    ASSERT_EQ(CDeployCluster::Missing(), "");
    CDeployCluster cluster;
    std::string error;
    ASSERT_TRUE(cluster.Start(error)) << error;

    const long kiB = 1024;
    struct Case {
        const char* what;
        long urlBytes;   // padding in the query string
        long bodyBytes;  // a POST body of this size, -1 for a GET
        bool taken;
    } cases[] = {
        {"a long URL", 2000 * kiB, -1, true},
        {"a URL past the limit", 2100 * kiB, -1, false},
        {"a large body", -1, 2000 * kiB, true},
        {"a body past the limit", -1, 2048 * kiB + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string request = c.bodyBytes >= 0 ? "POST" : "GET";
        request += " /Lumeno/version";
        if (c.urlBytes > 0) request += "?pad=" + std::string(c.urlBytes, 'a');
        request += " HTTP/1.1\r\nHost: lumeno\r\nConnection: close\r\n";
        if (c.bodyBytes >= 0) {
            request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                       std::to_string(c.bodyBytes) + "\r\n\r\npad=" + std::string(c.bodyBytes - 4, 'b');
        } else {
            request += "\r\n";
        }
        std::string direct, proxied;
        const int directStatus = Exchange(cluster.Server(0).Port(), request, direct);
        const int proxiedStatus = Exchange(cluster.Proxy().Port(), request, proxied);
        EXPECT_EQ(directStatus == 200, c.taken) << directStatus << " " << direct.substr(0, 200);
        EXPECT_EQ(proxiedStatus == 200, c.taken) << proxiedStatus << " " << proxied.substr(0, 200);
        if (c.taken) {
            EXPECT_EQ(BodyOf(proxied), BodyOf(direct));
        } else {
            // Refused with an answer, not a dropped connection.
            EXPECT_GE(directStatus, 400);
            EXPECT_GE(proxiedStatus, 400);
        }
    }
}
