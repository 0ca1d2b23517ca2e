// Thousands of slow clients against two Lumeno behind HAProxy with the
// shipped configuration: connections that send their headers or their body
// slowly wait in HAProxy and never reach a server, so a normal client is
// served at once; one address gets no more than its share of connections,
// and unfinished headers and bodies are given up after HAProxy's request
// timeout.
#include "AddressClient.h"
#include "DeployCluster.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const int kSlowHeaders = 2000;
const int kSlowBodies = 200;
// Connections one address may hold (the shipped stick-table rule).
const int kPerAddress = 100;

// Open sockets, closed when it goes.
struct CSockets {
    std::vector<int> fds;
    ~CSockets() {
        for (int fd : fds) close(fd);
    }
};

// A connection from source to 127.0.0.1:port; -1 when it fails.
int ConnectFrom(const std::string& source, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &addr.sin_addr);
    sockaddr_in to = addr;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendText(int fd, const std::string& text) {
    return send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

// Opens count connections from hosts 127.0.<net>.1.., perAddress each, and
// sends text on each; the sockets that worked go to sockets.
void OpenFrom(int net, int count, int perAddress, int port, const std::string& text,
              CSockets& sockets) {
    for (int i = 0; i < count; ++i) {
        const std::string source =
            "127.0." + std::to_string(net) + "." + std::to_string(1 + i / perAddress);
        const int fd = ConnectFrom(source, port);
        if (fd < 0) continue;
        sockets.fds.push_back(fd);
        SendText(fd, text);
    }
}

// How many of the sockets the other side has closed (or answered) within
// waitMs.
int ClosedOrAnswered(const std::vector<int>& fds, int waitMs) {
    std::vector<pollfd> polls;
    for (int fd : fds) polls.push_back({fd, POLLIN, 0});
    int closed = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              until - std::chrono::steady_clock::now())
                                              .count());
        if (poll(polls.data(), polls.size(), left > 0 ? left : 0) <= 0) break;
        for (pollfd& p : polls) {
            if (p.fd >= 0 && p.revents) {
                ++closed;
                p.fd = -1;  // poll skips it from now on
            }
        }
        if (closed == static_cast<int>(polls.size())) break;
    }
    return closed;
}

// Established connections whose local port is port: a server's side of its
// open connections.
int EstablishedTo(int port) {
    std::ifstream in("/proc/net/tcp");
    std::string line;
    std::getline(in, line);
    int count = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const size_t colon = local.find(':');
        if (colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port &&
            state == "01")
            ++count;
    }
    return count;
}

// Enough descriptors for the slow connections and the test's own.
void RaiseFileLimit(rlim_t wanted) {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted) return;
    limit.rlim_cur = std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace

TEST(SlowClientsTest, SlowConnectionsWaitInHaproxyAndANormalClientIsServed)
{
    ASSERT_EQ(CDeployCluster::Missing(), "");
    RaiseFileLimit(8192);
    CDeployCluster cluster;
    std::string error;
    ASSERT_TRUE(cluster.Start(error)) << error;
    const int port = cluster.Proxy().Port();

    // Headers that never end, and bodies that come a few bytes at a time,
    // from addresses that each stay under their share.
    CSockets slowHeaders, slowBodies;
    OpenFrom(1, kSlowHeaders, kPerAddress / 2, port,
             "GET /Lumeno/version HTTP/1.1\r\nHost: lumeno\r\nX-Slow: ", slowHeaders);
    OpenFrom(2, kSlowBodies, kPerAddress / 2, port,
             "POST /Lumeno/exec_sql HTTP/1.1\r\nHost: lumeno\r\n"
             "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 100000\r\n\r\nsql=",
             slowBodies);
    ASSERT_EQ(static_cast<int>(slowHeaders.fds.size()), kSlowHeaders);
    ASSERT_EQ(static_cast<int>(slowBodies.fds.size()), kSlowBodies);

    // A normal client meanwhile, each request answered within a second.
    CAddressClient client("127.0.0.9", port);
    std::string reply;
    for (int round = 0; round < 5; ++round) {
        for (int fd : slowBodies.fds) SendText(fd, "QUFB");
        for (int fd : slowHeaders.fds) SendText(fd, "x");
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.Login()) << "round " << round;
        ASSERT_TRUE(client.Command(
            "select2",
            "maxcount=100&sql=" + CServerFixture::Encode(CDeployCluster::ListSql(" and BG_BUG_ID > 500")),
            reply))
            << reply;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(CDeployCluster::RowsOf(reply), 100) << reply.substr(0, 200);
        EXPECT_LT(took.count(), 1.0) << "round " << round;
    }
    // None of the slow connections reached a server.
    for (int i = 0; i < CDeployCluster::kServers; ++i)
        EXPECT_LT(EstablishedTo(cluster.Server(i).Port()), 10) << "server " << i;
    EXPECT_EQ(ClosedOrAnswered(slowHeaders.fds, 0), 0);
    EXPECT_EQ(ClosedOrAnswered(slowBodies.fds, 0), 0);

    // One address past its share: the connections over it are closed at once.
    CSockets crowd;
    OpenFrom(3, kPerAddress + 20, kPerAddress + 20, port, "", crowd);
    ASSERT_EQ(static_cast<int>(crowd.fds.size()), kPerAddress + 20);
    EXPECT_EQ(ClosedOrAnswered(crowd.fds, 1000), 20);

    // Headers and bodies that never end are given up (408) after HAProxy's
    // request timeout.
    EXPECT_EQ(ClosedOrAnswered(slowHeaders.fds, 20000), kSlowHeaders);
    EXPECT_EQ(ClosedOrAnswered(slowBodies.fds, 5000), kSlowBodies);
}
