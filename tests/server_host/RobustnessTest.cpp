// Bad input never stops the server: hostile paths, huge URLs, garbage on
// the socket; each gets an answer and the next request is served.
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Sends bytes on a fresh connection and returns what comes back.
std::string RawExchange(int port, const std::string& bytes) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        timeval tv{3, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        shutdown(fd, SHUT_WR);
        char buffer[4096];
        ssize_t got;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
    }
    close(fd);
    return reply;
}

class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Prepare());
        ASSERT_TRUE(server.RunSql(SeedSql()));
        ASSERT_TRUE(server.Start()) << server.Output();
    }
    void ExpectServing() {
        EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
    }
    CServerFixture server;
};

TEST_F(RobustnessTest, PathsOutsideWebAreNeverServed) {
    const char* paths[] = {"/../lumenolite.ini", "/%2e%2e/lumenolite.ini",
                           "/%2E%2E%2Flumenolite.ini", "/web/../../lumenolite.ini",
                           "/%252e%252e/lumenolite.ini", "/..%2flumenolite.ini",
                           "/.%2e/lumenolite.ini", "/cgi-bin/../../lumenolite.ini",
                           "/..\\lumenolite.ini"};
    for (const char* path : paths) {
        CHttpReply reply = server.Get(path);
        EXPECT_EQ(reply.body.find("{$Lumeno}"), std::string::npos) << path;
        EXPECT_EQ(reply.body.find("db_type"), std::string::npos) << path;
        EXPECT_NE(reply.status, 200) << path;
    }
    const std::string raw = RawExchange(server.Port(),
                                        "GET /../lumenolite.ini HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(raw.find("db_type"), std::string::npos) << raw;
    ExpectServing();
}

TEST_F(RobustnessTest, StaticFilesRedirectAndUnknownPaths) {
    CHttpReply root = server.Get("/");
    EXPECT_EQ(root.status, 302);
    EXPECT_EQ(root.Header("Location"), "/index.htm");
    EXPECT_EQ(root.Header("Server"), "Lumeno");
    CHttpReply index = server.Get("/index.htm");
    EXPECT_EQ(index.status, 200);
    EXPECT_NE(index.body.find("Lumeno Server"), std::string::npos);
    EXPECT_EQ(index.Header("Server"), "Lumeno");
    EXPECT_EQ(server.Get("/no/such/file.htm").status, 404);
    ExpectServing();
}

TEST(RobustnessEmptyFormRootTest, EveryPathIsAFormButFilesAreServed) {
    CServerFixture server;
    server.RemoveIni("common", "web_form_root");
    ASSERT_TRUE(server.Start()) << server.Output();
    EXPECT_EQ(server.Get("/Lumeno/version").body, "Lumeno Official Version v2.01");
    EXPECT_EQ(server.Get("/any/version").body, "Lumeno Official Version v2.01");
    const struct {
        const char* path;
        const char* body;
    } forms[] = {
        {"/Lumeno/no_such_command", "Form no_such_command is not defined"},
        {"/Lumeno", "Missing form name"},
        {"/Lumeno/", "Missing form name"},
        {"/no/such/file.htm", "Form such is not defined"},
    };
    for (const auto& f : forms) {
        CHttpReply reply = server.Get(f.path);
        EXPECT_EQ(reply.status, 200) << f.path;
        EXPECT_EQ(reply.body, f.body) << f.path;
    }
    EXPECT_EQ(server.Get("/").Header("Location"), "/index.htm");
    CHttpReply index = server.Get("/index.htm");
    EXPECT_EQ(index.status, 200);
    EXPECT_NE(index.body.find("Lumeno Server"), std::string::npos);
    for (const char* path : {"/../lumenolite.ini", "/a/%2e%2e/%2e%2e/lumenolite.ini"}) {
        EXPECT_EQ(server.Get(path).body.find("{$Lumeno}"), std::string::npos) << path;
    }
}

TEST_F(RobustnessTest, CgiProgramsRunUnderCgiBin) {
    const std::string dir = server.Dir() + "/web/cgi-bin";
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
    const std::string script = dir + "/hello.sh";
    FILE* f = fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fputs("#!/bin/sh\nprintf 'Content-Type: text/plain\\r\\n\\r\\nhello %s %s %s' "
          "\"$QUERY_STRING\" \"$SERVER_SOFTWARE\" \"$(cat)\"\n",
          f);
    fclose(f);
    chmod(script.c_str(), 0755);
    CHttpReply reply = server.Get("/cgi-bin/hello.sh?x=1");
    EXPECT_EQ(reply.status, 200) << reply.body;
    EXPECT_EQ(reply.body, "hello x=1 Lumeno/1.4 ");
    CHttpReply posted = server.Post("/cgi-bin/hello.sh", "a=b");
    EXPECT_EQ(posted.body, "hello  Lumeno/1.4 a=b");
    ExpectServing();
}

TEST_F(RobustnessTest, HugeUrlsAndGarbage) {
    // A URL of more than 1 MiB (beyond what libcurl sends): coded SQL of a
    // long literal on a raw connection.
    const std::string literal(800 * 1024, 'z');
    const std::string sql = "select length('" + literal + "')";
    const std::string url = "/Lumeno/select?" +
                            CServerFixture::Escape("sql=" + CServerFixture::Encode(sql));
    ASSERT_GT(url.size(), 1024u * 1024u);
    const std::string reply =
        RawExchange(server.Port(), "GET " + url + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    ASSERT_NE(reply.find("\r\n\r\n"), std::string::npos) << reply.substr(0, 200);
    EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), "819200\n");
    // Garbage bytes, a bad request line and an unfinished request.
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    RawExchange(server.Port(), garbage);
    RawExchange(server.Port(), "NOT HTTP AT ALL\r\n\r\n");
    RawExchange(server.Port(), "GET /Lumeno/version HTTP/1.1\r\nHost");
    RawExchange(server.Port(), std::string(3, '\0') + "\r\n\r\n");
    ExpectServing();
    // Unknown methods on a command path.
    const std::string other = RawExchange(server.Port(), "DELETE /Lumeno/version HTTP/1.1\r\n"
                                                         "Host: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(other.find("Lumeno Official Version"), std::string::npos);
    ExpectServing();
}

TEST_F(RobustnessTest, OverlappingClientsAreServedOneByOne) {
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int t = 0; t < 8; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                const std::string sql =
                    "insert into t_empty values(" + std::to_string(t * 100 + i) + ", 'x')";
                if (server.Command("exec_sql", "sql=" + CServerFixture::Encode(sql)) == "success")
                    ++good;
            }
        });
    }
    for (auto& c : clients) c.join();
    EXPECT_EQ(good.load(), 200);
    EXPECT_EQ(server.Command("select", "sql=" + CServerFixture::Encode("select count(*) from t_empty")),
              "200\n");
}

}  // namespace
