// Reading the block ini file: key matching, sections and blocks, floors and
// the separators' escape sequences.
#include "CServerConfig.h"
#include "CSessionTable.h"
#include "ReadIniValue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zentry-config-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { system(("rm -rf " + path).c_str()); }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(path + "/" + name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string path;
};

TEST(ReadIniValueTest, KeysBlocksAndSections) {
    TempDir dir;
    dir.Write("x.ini",
              "stray=1\n"
              "{$Other}\n[common]\nmax_count=99\n"
              "{$Lumeno}\n"
              "early=1\n"
              "[common]\r\n"
              "  \tmax_count \t= 5 # five\r\n"
              "max_count5=3\n"
              "sep = \ta b  \n"
              "empty=\n"
              "only_hash=#x\n"
              "[database]\n"
              "db_type=SQLite\n"
              "[common]\n"
              "late=1\n");
    const std::string path = dir.path + "/x.ini";
    struct Case {
        const char* section;
        const char* key;
        int result;
        const char* value;
    } cases[] = {
        {"common", "max_count", 1, "5"},   {"common", "max_count5", 1, "3"},
        {"common", "sep", 1, "\ta b"},     {"common", "empty", 1, ""},
        {"common", "only_hash", 1, ""},    {"common", "early", 0, ""},
        {"common", "late", 0, ""},         {"database", "db_type", 1, "SQLite"},
        {"database", "max_count", 0, ""},  {"COMMON", "max_count", 0, ""},
        {"common", "MAX_COUNT", 0, ""},    {"plugin", "x", 0, ""},
    };
    for (const Case& c : cases) {
        std::string value;
        EXPECT_EQ(ReadIniValue(path.c_str(), "Lumeno", c.section, c.key, value), c.result)
            << c.section << "/" << c.key;
        if (c.result == 1) {
            EXPECT_EQ(value, c.value) << c.key;
        }
    }
    std::string value;
    EXPECT_EQ(ReadIniValue(path.c_str(), "Other", "common", "max_count", value), 1);
    EXPECT_EQ(value, "99");
    EXPECT_EQ(ReadIniValue((dir.path + "/none.ini").c_str(), "Lumeno", "common", "x", value), -1);
}

TEST(ServerConfigTest, SeparatorEscapes) {
    struct Case {
        const char* text;
        std::string decoded;
    } cases[] = {
        {"|", "|"},
        {"\\n", "\n"},
        {"\\r\\n", "\r\n"},
        {"\\t", "\t"},
        {"\\x01", "\x01"},
        {"\\x02", "\x02"},
        {"\\xd\\xa", "\r\n"},
        {"a\\x01", std::string("\n\x01")},  // the a is read as hexadecimal
        {"\\\\", "\\"},
        {"\\x00", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeSeparatorEscapes(c.text), c.decoded) << c.text;
}

TEST(ServerConfigTest, FloorsDefaultsAndDatabaseOptions) {
    TempDir dir;
    dir.Write("srv.ini",
              "{$Lumeno}\n[common]\nquery_timeout=0\nuser_plugin_checktime=-5\nsep=\\x01\n"
              "line_sep=\\x02\nauth=1\nenable_exec_command=2\n[plugin]\nenable_plugin=7\n"
              "user_plugin=p.so\n");
    CServerConfig config;
    CDbConnection db;
    CSessionTable sessions;
    EXPECT_TRUE(config.Load(dir.path, "srv", db, sessions));
    EXPECT_EQ(config.queryTimeout, 600);
    EXPECT_EQ(config.sessionLifetime, 1800);
    EXPECT_EQ(sessions.GetLifetime(), 1800);
    EXPECT_EQ(config.enablePlugin, 1);
    EXPECT_EQ(config.enableExecCommand, 0);  // only 1 enables it
    EXPECT_EQ(config.sweepPasses, 5000);
    EXPECT_EQ(config.sep, "\x01");
    EXPECT_EQ(config.lineSep, "\x02");
    EXPECT_EQ(config.auth, 1);
    EXPECT_EQ(config.maxCount, 0);  // a missing key is 0
    EXPECT_EQ(config.userPlugin, "p.so");
    EXPECT_EQ(db.GetOptions().idleSeconds, 600);
    EXPECT_EQ(db.GetOptions().columnSep, "\x01");
    EXPECT_EQ(db.GetOptions().lineSep, "\x02");
}

TEST(ServerConfigTest, WebServerLimitsKeepTheirDefaultsUnlessUsable) {
    const struct {
        const char* lines;
        int threads, queue, requestMs, keepAliveMs, requestKb, setTime;
    } cases[] = {
        {"", CServerConfig::kDefaultNumThreads, CServerConfig::kDefaultConnectionQueue,
         CServerConfig::kDefaultRequestTimeoutMs, CServerConfig::kDefaultKeepAliveTimeoutMs,
         CServerConfig::kDefaultMaxRequestKb, 0},
        {"num_threads=64\nconnection_queue=10\nrequest_timeout_ms=800\nkeep_alive_timeout_ms=300\n"
         "max_request_kb=512\nenable_set_time=1\n",
         64, 10, 800, 300, 512, 1},
        // Nothing the web server could not run with: the default stays.
        {"num_threads=0\nconnection_queue=-1\nrequest_timeout_ms=5\nkeep_alive_timeout_ms=x\n"
         "max_request_kb=1\nenable_set_time=2\n",
         CServerConfig::kDefaultNumThreads, CServerConfig::kDefaultConnectionQueue,
         CServerConfig::kDefaultRequestTimeoutMs, CServerConfig::kDefaultKeepAliveTimeoutMs,
         CServerConfig::kDefaultMaxRequestKb, 0},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("srv.ini", std::string("{$Lumeno}\n[common]\n") + c.lines);
        CServerConfig config;
        CDbConnection db;
        CSessionTable sessions;
        config.Load(dir.path, "srv", db, sessions);
        EXPECT_EQ(config.numThreads, c.threads) << c.lines;
        EXPECT_EQ(config.connectionQueue, c.queue) << c.lines;
        EXPECT_EQ(config.requestTimeoutMs, c.requestMs) << c.lines;
        EXPECT_EQ(config.keepAliveTimeoutMs, c.keepAliveMs) << c.lines;
        EXPECT_EQ(config.maxRequestKb, c.requestKb) << c.lines;
        EXPECT_EQ(config.enableSetTime, c.setTime) << c.lines;
    }
}

TEST(ServerConfigTest, DefaultFileIsWrittenOnceAndRead) {
    TempDir dir;
    CServerConfig config;
    CDbConnection db;
    CSessionTable sessions;
    config.Load(dir.path, "srv", db, sessions);
    const std::string text = dir.Read("srv.ini");
    EXPECT_EQ(text.substr(0, 10), "{$Lumeno}\n");
    EXPECT_NE(text.find("#是否使用用户认证\nauth=0\n"), std::string::npos);
    EXPECT_EQ(config.tcpPort, 8780);
    EXPECT_EQ(config.maxCount, 4000);
    EXPECT_EQ(config.oneFetchCount, 10);
    EXPECT_EQ(config.queryTimeout, 10);
    EXPECT_EQ(config.sep, "|");
    EXPECT_EQ(config.lineSep, "\n");
    EXPECT_EQ(config.logSql, 1);
    EXPECT_EQ(config.webFormRoot, "");
    // user_plugin_checktime sits in [plugin] there, so the lifetime is 1800.
    EXPECT_EQ(config.sessionLifetime, 1800);
    EXPECT_EQ(config.enablePlugin, 0);
    // An existing file is never rewritten.
    dir.Write("srv.ini", "{$Lumeno}\n[common]\ntcp_port=9\n");
    CServerConfig again;
    again.Load(dir.path, "srv", db, sessions);
    EXPECT_EQ(again.tcpPort, 9);
    EXPECT_EQ(dir.Read("srv.ini"), "{$Lumeno}\n[common]\ntcp_port=9\n");
}

}  // namespace
