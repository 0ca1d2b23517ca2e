// Connections that sit idle, trickle their request or keep a finished one
// alive never keep a new client waiting: a thousand of them, renewed as
// soon as the server drops one, while requests of a new client are timed.
// The server runs with its own default limits.
#include "HostTestUtil.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

const int kCrowd = 1000;
// What "served within a second" allows, against the seconds a starved
// client waits for the request timeout.
const auto kBound = std::chrono::milliseconds(1000);

enum class Behaviour { kSilent, kTrickledHeaders, kSlowBody, kKeptAlive };

// kCrowd connections doing the same thing, each one renewed when the server
// closes it, fed every 200 ms by a thread of their own.
class CCrowd {
public:
    CCrowd(int port, Behaviour behaviour) : m_port(port), m_behaviour(behaviour) {
        for (int i = 0; i < kCrowd; ++i) m_fds.push_back(OpenOne());
        m_thread = std::thread([this] { Feed(); });
    }
    ~CCrowd() {
        m_stop = true;
        m_thread.join();
        for (int fd : m_fds)
            if (fd >= 0) close(fd);
    }
    int Connected() const { return m_connected.load(); }
    int Renewed() const { return m_renewed.load(); }

private:
    int OpenOne() {
        const int fd = ConnectLoopback(m_port);
        if (fd < 0) return fd;
        const char* start = "";
        switch (m_behaviour) {
        case Behaviour::kSilent:
            break;
        case Behaviour::kTrickledHeaders:
            start = "GET /Lumeno/version HTTP/1.1\r\nHost: crowd\r\n";
            break;
        case Behaviour::kSlowBody:
            start = "POST /Lumeno/version HTTP/1.1\r\nHost: crowd\r\nContent-Length: 1000000\r\n\r\n";
            break;
        case Behaviour::kKeptAlive:
            start = "GET /Lumeno/version HTTP/1.1\r\nHost: crowd\r\n\r\n";
            break;
        }
        send(fd, start, strlen(start), MSG_NOSIGNAL);
        return fd;
    }

    void Feed() {
        const char* trickle = m_behaviour == Behaviour::kTrickledHeaders ? "X-Slow: y\r\n"
                              : m_behaviour == Behaviour::kSlowBody      ? "a"
                                                                         : nullptr;
        std::vector<pollfd> polls(m_fds.size());
        while (!m_stop) {
            for (size_t i = 0; i < m_fds.size(); ++i) polls[i] = {m_fds[i], POLLIN, 0};
            poll(polls.data(), polls.size(), 200);
            int connected = 0;
            for (size_t i = 0; i < m_fds.size(); ++i) {
                int& fd = m_fds[i];
                if (fd >= 0 && (polls[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                    // A reply to read, or the server let go: then renew.
                    char buffer[4096];
                    if (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
                        close(fd);
                        fd = -1;
                    }
                }
                if (fd < 0) {
                    fd = OpenOne();
                    if (fd >= 0) ++m_renewed;
                } else if (trickle) {
                    send(fd, trickle, strlen(trickle), MSG_NOSIGNAL | MSG_DONTWAIT);
                }
                if (fd >= 0) ++connected;
            }
            m_connected = connected;
        }
    }

    int m_port;
    Behaviour m_behaviour;
    std::vector<int> m_fds;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connected{0};
    std::atomic<int> m_renewed{0};
};

class IdleConnectionTest : public ::testing::TestWithParam<Behaviour> {
protected:
    void SetUp() override {
        // The crowd needs a descriptor per connection.
        rlimit limit;
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
        const rlim_t wanted = kCrowd + 200;
        if (limit.rlim_cur < wanted) {
            if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted)
                GTEST_SKIP() << "the open file limit allows fewer than " << wanted << " descriptors";
            limit.rlim_cur = wanted;
            ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
        }
        // Nothing but the program's defaults for its web server.
        server.RemoveIni("common", "num_threads");
        ASSERT_TRUE(server.Start()) << server.Output();
    }
    CServerFixture server;
};

TEST_P(IdleConnectionTest, ANewClientIsServedWithinASecond) {
    CCrowd crowd(server.Port(), GetParam());
    // Longer than the request timeout, so the server drops connections and
    // the crowd takes them again while the requests are timed.
    for (int i = 0; i < 14; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(450));
        const auto start = std::chrono::steady_clock::now();
        const CHttpReply reply = server.Get("/Lumeno/version");
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(reply.body, "Lumeno Official Version v2.01") << reply.error;
        EXPECT_LT(took, kBound) << "request " << i << " waited "
                                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                                << " ms beside " << crowd.Connected() << " connections";
    }
    EXPECT_GE(crowd.Connected(), kCrowd * 9 / 10);
    // The server dropped idle connections on time and the crowd took their
    // places again (a slow body is never dropped within these seconds).
    if (GetParam() != Behaviour::kSlowBody) {
        EXPECT_GT(crowd.Renewed(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Crowds, IdleConnectionTest,
                         ::testing::Values(Behaviour::kSilent, Behaviour::kTrickledHeaders,
                                           Behaviour::kSlowBody, Behaviour::kKeptAlive),
                         [](const ::testing::TestParamInfo<Behaviour>& info) {
                             switch (info.param) {
                             case Behaviour::kSilent: return "Silent";
                             case Behaviour::kTrickledHeaders: return "TrickledHeaders";
                             case Behaviour::kSlowBody: return "SlowBody";
                             case Behaviour::kKeptAlive: return "KeptAlive";
                             }
                             return "Unknown";
                         });

}  // namespace
