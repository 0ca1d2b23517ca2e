// A NUL character would cut a value wherever a C text is made of it: a
// value or coded text that decodes to one is refused with an error reply,
// and a path that holds one gets 400.
#include "HostTestUtil.h"
#include "Programs.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

class NulValueTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        std::string failure;
        server = StartSeeded(GetParam(), {}, failure);
        ASSERT_TRUE(server) << failure;
        sid = server->Command("web_login", "account=admin&password=secret");
        ASSERT_EQ(sid.find("-1"), std::string::npos) << sid;
    }
    std::unique_ptr<CServerFixture> server;
    std::string sid;
};

TEST_P(NulValueTest, ValuesHoldingANulAreRefused) {
    const std::string refused = "-1|a request value holds a NUL character";
    const std::string nulSql = "select 1\0 union select user_passwd from t_cfg_st_user"s;
    const struct {
        const char* what;
        std::string reply;
        std::string expected;
    } cases[] = {
        // Escaped once for each decoding, as the client escapes.
        {"password", server->Command("web_login", "account=admin&password=secret%00x"), refused},
        {"account", server->Command("web_login", "account=admin%00x&password=secret"), refused},
        {"escaped once", server->Get("/Lumeno/web_login?account=admin&password=secret%00x").body,
         refused},
        {"in a form body", server->Post("/Lumeno/web_login", "account=admin&password=secret%00x").body,
         refused},
        {"a name", server->Command("select", "sql=" + CServerFixture::Encode("select 1") + "&x%00=1", sid),
         refused},
        {"a plain typed value",
         server->Command("exec_sql_prepare", "index=0&param1=inId&value1=1%00", sid), refused},
        {"coded sql", server->Command("select", "sql=" + CServerFixture::Encode(nulSql), sid),
         "-1|the sql text holds a NUL character"},
        {"coded exec_sql",
         server->Command("exec_sql", "sql=" + CServerFixture::Encode("delete from t_bug\0 where 1=0"s), sid),
         "-1|the sql text holds a NUL character"},
        {"coded typed value",
         server->Command("exec_sql_prepare", "index=0&param1=stPass&value1=" + CServerFixture::Encode("secret\0x"s), sid),
         "-1|the value of stPass holds a NUL character"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.reply, c.expected) << c.what;
    // No login came of them, nothing was deleted, and clean requests work.
    EXPECT_EQ(server->Command("session_count"), "   1   ");
    EXPECT_EQ(server->Command("select", "sql=" + CServerFixture::Encode("select count(*) from t_bug"), sid),
              "1\n");
}

TEST_P(NulValueTest, PathsHoldingANulGetBadRequest) {
    for (const char* path : {"/index.htm%00.txt", "/Lumeno/version%00", "/Lumeno%00/version",
                             "/%00", "/cgi-bin/x%00.sh", "/no/such%00file"}) {
        const CHttpReply reply = server->Get(path);
        EXPECT_EQ(reply.status, 400) << path;
        EXPECT_EQ(reply.body.find("<html"), std::string::npos) << path << ": a page was served";
    }
    // Escapes without a NUL still name the files they spell.
    EXPECT_EQ(server->Get("/index%2Ehtm").status, 200);
    EXPECT_NE(server->Get("/index%2Ehtm").body.find("Lumeno Server"), std::string::npos);
    EXPECT_EQ(server->Get("/Lumen%6F/version").body, "Lumeno Official Version v2.01");
    EXPECT_EQ(server->Get("/%2e%2e/lumenolite.ini").status, 404);
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, NulValueTest, AllPrograms());

}  // namespace
