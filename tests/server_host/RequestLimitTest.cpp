// Request sizes: bodies over max_request_kb are refused with 413 before a
// byte of them is stored, many maximal requests at once stay within a
// bounded memory, and send_mymessage needs a session when auth is on.
#include "HostTestUtil.h"
#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

class RequestLimitTest : public ::testing::Test {
protected:
    void StartWith(const std::map<std::string, std::string>& common) {
        server.SetIni("common", "auth", "1");
        for (const auto& kv : common) server.SetIni("common", kv.first, kv.second);
        ASSERT_TRUE(server.Prepare());
        ASSERT_TRUE(server.RunSql(SeedSql()));
        ASSERT_TRUE(server.Start()) << server.Output();
        sid = server.Command("web_login", "account=admin&password=secret");
        ASSERT_EQ(sid.find("-1"), std::string::npos) << sid;
    }
    std::string MessageFile() const { return server.Dir() + "/remote_info.txt"; }
    CServerFixture server;
    std::string sid;
};

TEST_F(RequestLimitTest, BodiesOverTheLimitAreRefusedBeforeTheyAreStored) {
    StartWith({{"max_request_kb", "64"}});
    const std::string path = "/Lumeno/send_mymessage?session_id=" + sid;
    auto post = [&](const std::string& headers, const std::string& body) {
        return Exchange(server.Port(), "POST " + path + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n" +
                                           headers + "\r\n" + body);
    };
    auto chunked = [](const std::string& body) {
        std::string text;
        for (size_t at = 0; at < body.size(); at += 8192) {
            const std::string piece = body.substr(at, 8192);
            char size[16];
            snprintf(size, sizeof size, "%zx\r\n", piece.size());
            text += size + piece + "\r\n";
        }
        return text + "0\r\n\r\n";
    };
    const std::string over = "msg=" + std::string(64 * 1024 - 3, 'o');
    const struct {
        const char* what;
        std::string reply;
        int status;
    } cases[] = {
        // Refused on the declared length: the body is never read.
        {"declared too long", post("Content-Length: " + std::to_string(over.size()) + "\r\n", over), 413},
        {"declared too long, nothing sent", post("Content-Length: 1000000000\r\n", ""), 413},
        {"too long in chunks", post("Transfer-Encoding: chunked\r\n", chunked(over)), 413},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusOf(c.reply), c.status) << c.what << "\n" << c.reply.substr(0, 200);
        EXPECT_EQ(BodyOf(c.reply), "request body too large") << c.what;
        EXPECT_EQ(FileMode(MessageFile()), -1) << c.what << ": a message was stored";
    }
    // At the limit, declared or in chunks, a body is served.
    const std::string full = "msg=" + std::string(64 * 1024 - 4, 'f');
    const std::string served[] = {
        post("Content-Length: " + std::to_string(full.size()) + "\r\n", full),
        post("Transfer-Encoding: chunked\r\n", chunked(full)),
    };
    for (const std::string& reply : served) {
        EXPECT_EQ(StatusOf(reply), 200) << reply.substr(0, 200);
        EXPECT_EQ(BodyOf(reply), "success");
    }
    EXPECT_EQ(ReadAll(MessageFile()).size(), 2 * (full.size() - 4));
    // A URL beyond the limit is refused by the web server itself.
    const std::string url =
        Exchange(server.Port(), "GET /Lumeno/version?x=" + std::string(70 * 1024, 'u') +
                                    " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
    EXPECT_GE(StatusOf(url), 400) << url.substr(0, 200);
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
}

TEST_F(RequestLimitTest, ManyMaximalRequestsWithoutASessionStayWithinBoundedMemory) {
    // The program's own limits.
    server.RemoveIni("common", "num_threads");
    StartWith({});
    const size_t maximal = 2048 * 1024 - 1024;  // the default limit, headers aside
    const std::string value(maximal - 200, 'A');
    const std::string requests[] = {
        "POST /Lumeno/select2 HTTP/1.1\r\nHost: t\r\nConnection: close\r\nContent-Length: " +
            std::to_string(value.size() + 4) + "\r\n\r\nsql=" + value,
        "GET /Lumeno/select2?sql=" + value + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n",
    };
    for (const std::string& request : requests) {
        std::vector<std::string> replies(16);
        std::vector<std::thread> clients;
        for (std::string& reply : replies)
            clients.emplace_back([&] { reply = Exchange(server.Port(), request, 60); });
        for (std::thread& t : clients) t.join();
        for (const std::string& reply : replies) EXPECT_EQ(BodyOf(reply), "deny") << reply.substr(0, 200);
    }
    // The peak of the server's resident memory, in kB.
    const long peak = std::stol(ProcessStatus(server.Pid(), "VmHWM"));
    EXPECT_LT(peak, 512L * 1024) << "VmHWM " << peak << " kB";
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
}

TEST_F(RequestLimitTest, SendMyMessageNeedsASession) {
    StartWith({});
    const struct {
        std::string session;
        const char* reply;
    } cases[] = {{"", "deny"}, {"wrong", "deny"}, {sid, "success"}};
    for (const auto& c : cases) {
        const bool stored = FileMode(MessageFile()) != -1;
        EXPECT_EQ(server.Command("send_mymessage", "msg=note", c.session), c.reply) << c.session;
        EXPECT_EQ(FileMode(MessageFile()) != -1, stored || std::string(c.reply) == "success");
    }
    EXPECT_EQ(ReadAll(MessageFile()), "note");
}

}  // namespace
