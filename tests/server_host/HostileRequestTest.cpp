// What a client without an account can send at the web host over a raw
// socket: bodies trickled to hold worker threads, escaped paths into a
// password-protected folder or to hidden files, folder listings, paths
// beside the form root and requests with two lengths.
#include "HostTestUtil.h"
#include "ServerFixture.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Sends the headers, then the body one byte per gap, until the server
// answers (or closes) or the time is up; the reply and when it came.
struct CTrickle {
    std::string reply;
    long answeredMs = -1;
};

CTrickle TrickleBody(int port, const std::string& headers, size_t bodyBytes,
                     std::chrono::milliseconds gap, std::chrono::milliseconds limit) {
    CTrickle result;
    const int fd = ConnectLoopback(port);
    if (fd < 0) return result;
    const Clock::time_point start = Clock::now();
    send(fd, headers.data(), headers.size(), MSG_NOSIGNAL);
    timeval tv{0, static_cast<suseconds_t>(gap.count() * 1000)};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    for (size_t sent = 0; Clock::now() - start < limit;) {
        if (sent < bodyBytes && send(fd, "x", 1, MSG_NOSIGNAL) == 1) ++sent;
        char buffer[4096];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) result.reply.append(buffer, static_cast<size_t>(got));
        if (got == 0 || WholeReply(result.reply)) {
            result.answeredMs = MillisecondsSince(start);
            break;
        }
    }
    close(fd);
    return result;
}

std::string Get(int port, const std::string& path, const std::string& extraHeaders = "") {
    return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n" +
                              extraHeaders + "\r\n");
}

TEST(HostileRequestTest, TrickledBodiesEndAtTheRequestTime) {
    CServerFixture server;
    server.SetIni("common", "num_threads", "2");
    server.SetIni("common", "request_timeout_ms", "1500");
    ASSERT_TRUE(server.Start()) << server.Output();
    const std::string headers =
        "POST /Lumeno/send_mymessage HTTP/1.1\r\nHost: t\r\nContent-Length: 4096\r\n\r\nmsg=";
    // As many slow bodies as the server has threads, each byte well within
    // the request time of the last.
    std::vector<CTrickle> trickles(2);
    std::vector<std::thread> clients;
    for (CTrickle& t : trickles)
        clients.emplace_back([&] {
            t = TrickleBody(server.Port(), headers, 4092, std::chrono::milliseconds(400),
                            std::chrono::seconds(20));
        });
    // Meanwhile another client is served once the slow ones are ended.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const Clock::time_point asked = Clock::now();
    const std::string version = Get(server.Port(), "/Lumeno/version");
    const long versionMs = MillisecondsSince(asked);
    for (std::thread& c : clients) c.join();
    for (const CTrickle& t : trickles) {
        EXPECT_EQ(StatusOf(t.reply), 408) << t.reply.substr(0, 200);
        EXPECT_EQ(BodyOf(t.reply), "request body too slow");
        // The request time and at most one wait for a byte beyond it.
        EXPECT_GE(t.answeredMs, 1500);
        EXPECT_LT(t.answeredMs, 4500);
    }
    EXPECT_EQ(BodyOf(version), "Lumeno Official Version v2.01");
    EXPECT_LT(versionMs, 6000);
    EXPECT_EQ(FileMode(server.Dir() + "/remote_info.txt"), -1) << "a trickled message was stored";
    // A body that comes whole in time is served, with few threads too.
    const std::string whole = Exchange(
        server.Port(), "POST /Lumeno/send_mymessage HTTP/1.1\r\nHost: t\r\nConnection: close\r\n"
                       "Content-Length: 8\r\n\r\nmsg=note");
    EXPECT_EQ(BodyOf(whole), "success");
    EXPECT_EQ(ReadAll(server.Dir() + "/remote_info.txt"), "note");
}

class HostilePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Prepare());
        const std::string web = server.Dir() + "/web";
        for (const char* folder : {"/priv", "/pub", "/version"})
            ASSERT_EQ(mkdir((web + folder).c_str(), 0755), 0);
        std::ofstream(web + "/priv/secret.txt") << "the secret";
        std::ofstream(web + "/priv/index.htm") << "the private index";
        std::ofstream(web + "/pub/a b.txt") << "public text";
        std::ofstream(web + "/pub/.hidden") << "hidden text";
        std::ofstream(web + "/version/Zentry-setup.zip") << "the release";
        // civetweb's password file: user, realm, MD5 of "user:realm:password".
        const std::string hash = CommandOutput("printf '%s' 'reader:mydomain.com:pw' | md5sum").substr(0, 32);
        ASSERT_EQ(hash.size(), 32u);
        std::ofstream(web + "/priv/.htpasswd") << "reader:mydomain.com:" << hash << "\n";
        ASSERT_TRUE(server.Start()) << server.Output();
    }
    CServerFixture server;
};

TEST_F(HostilePathTest, EscapedPathsMeetTheSameProtectionAsPlainOnes) {
    const struct {
        const char* path;
        int status;
    } cases[] = {
        {"/priv/secret.txt", 401},
        {"/priv/secret%2etxt", 401},
        {"/priv/%73ecret.txt", 401},
        {"/priv%2fsecret.txt", 401},
        {"/priv//secret%2Etxt", 401},
        {"/priv/", 401},
        {"/%70riv/", 401},
        {"/priv/.htpasswd", 404},
        {"/priv/%2ehtpasswd", 404},
        {"/priv/%2Ehtpasswd", 404},
        {"/priv%2f.htpasswd", 404},
        {"/pub/.hidden", 404},
        {"/pub/%2ehidden", 404},
        {"/pub/%2e/a%20b.txt", 404},
    };
    for (const auto& c : cases) {
        const std::string reply = Get(server.Port(), c.path);
        EXPECT_EQ(StatusOf(reply), c.status) << c.path << "\n" << reply.substr(0, 300);
        for (const char* content : {"the secret", "private index", "reader:", "hidden text"})
            EXPECT_EQ(reply.find(content), std::string::npos) << c.path << " served " << content;
    }
    // The escaped name of a file outside the protected folder is served.
    EXPECT_EQ(BodyOf(Get(server.Port(), "/pub/a%20b.txt")), "public text");
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// The body a GET with HTTP digest login brings, empty on failure.
std::string DigestGet(const std::string& url, const std::string& account) {
    std::string body;
    CURL* curl = curl_easy_init();
    if (!curl) return body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
    curl_easy_setopt(curl, CURLOPT_USERPWD, account.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    long status = 0;
    if (curl_easy_perform(curl) != CURLE_OK ||
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 200)
        body.clear();
    curl_easy_cleanup(curl);
    return body;
}

TEST_F(HostilePathTest, AnAccountOfThePasswordFileReadsEscapedPathsToo) {
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port());
    for (const char* path : {"/priv/secret.txt", "/priv/secret%2etxt", "/priv/%73ecret.txt"}) {
        EXPECT_EQ(DigestGet(url + path, "reader:pw"), "the secret") << path;
        EXPECT_EQ(DigestGet(url + path, "reader:wrong"), "") << path;
    }
}

TEST_F(HostilePathTest, FoldersAreNeverListed) {
    const struct {
        const char* path;
        int status;
    } cases[] = {{"/version/", 403}, {"/pub/", 403}, {"/version", 301}, {"/%76ersion/", 404}};
    for (const auto& c : cases) {
        const std::string reply = Get(server.Port(), c.path);
        EXPECT_EQ(StatusOf(reply), c.status) << c.path << "\n" << reply.substr(0, 300);
        EXPECT_EQ(reply.find("Zentry-setup.zip"), std::string::npos) << c.path;
        EXPECT_EQ(reply.find("a b.txt"), std::string::npos) << c.path;
    }
    EXPECT_EQ(BodyOf(Get(server.Port(), "/version/Zentry-setup.zip")), "the release");
}

TEST(HostileFormRootTest, OnlyTheFormRootAndASlashNameACommand) {
    CServerFixture server;
    ASSERT_TRUE(server.Start()) << server.Output();
    const struct {
        const char* path;
        int status;
        const char* body;
    } cases[] = {
        {"/Lumeno/version", 200, "Lumeno Official Version v2.01"},
        {"/Lumeno%2fversion", 200, "Lumeno Official Version v2.01"},
        {"/Lumeno", 200, "Missing form name"},
        {"/Lumeno/", 200, "Missing form name"},
        {"/Lumenox/version", 404, nullptr},
        {"/LumenoX/version", 404, nullptr},
        {"/Lumeno.htm/version", 404, nullptr},
        {"/Lumeno_version", 404, nullptr},
    };
    for (const auto& c : cases) {
        const std::string reply = Get(server.Port(), c.path);
        EXPECT_EQ(StatusOf(reply), c.status) << c.path << "\n" << reply.substr(0, 300);
        if (c.body) {
            EXPECT_EQ(BodyOf(reply), c.body) << c.path;
        } else {
            EXPECT_EQ(reply.find("Lumeno Official Version"), std::string::npos) << c.path;
        }
    }
}

TEST(HostileFormRootTest, TwoContentLengthsAreRefused) {
    CServerFixture server;
    ASSERT_TRUE(server.Start()) << server.Output();
    const std::string start = "POST /Lumeno/send_mymessage HTTP/1.1\r\nHost: t\r\nConnection: close\r\n";
    const struct {
        const char* what;
        std::string request;
    } cases[] = {
        {"different", start + "Content-Length: 8\r\nContent-Length: 30\r\n\r\nmsg=noteGET /Lumeno/version HTTP/1.1\r\n\r\n"},
        {"equal", start + "Content-Length: 8\r\ncontent-length: 8\r\n\r\nmsg=note"},
        {"on a GET", "GET /Lumeno/version HTTP/1.1\r\nHost: t\r\nConnection: close\r\n"
                     "Content-Length: 0\r\nContent-Length: 0\r\n\r\n"},
    };
    for (const auto& c : cases) {
        const std::string reply = Exchange(server.Port(), c.request);
        EXPECT_EQ(StatusOf(reply), 400) << c.what << "\n" << reply.substr(0, 300);
        EXPECT_EQ(reply.find("success"), std::string::npos) << c.what;
    }
    EXPECT_EQ(FileMode(server.Dir() + "/remote_info.txt"), -1) << "a message was stored";
    EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
}

}  // namespace
