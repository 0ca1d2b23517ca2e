// The command protocol against both programs: a table of requests and
// their exact replies, the HTTP framing and the double decoding.
#include "HostTestUtil.h"
#include "ServerFixture.h"
#include "Programs.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

class ProtocolTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        server = std::make_unique<CServerFixture>(GetParam());
        ASSERT_TRUE(server->Prepare());
        ASSERT_TRUE(server->RunSql(SeedSql()));
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Sql(const std::string& cmd, const std::string& sql, const std::string& extra = "") {
        return server->Command(cmd, extra + "sql=" + CServerFixture::Encode(sql));
    }
    std::unique_ptr<CServerFixture> server;
};

struct Case {
    const char* command;
    std::string params;  // parameter text before the client's escaping
    std::string expected;
};

TEST_P(ProtocolTest, CommandsReplyExactly) {
    const std::string deny = " Query error,May be shut down through the select_finish,or have not "
                             "yet adopted select_prepare";
    const Case cases[] = {
        {"version", "", "Lumeno Official Version v2.01"},
        {"select2", "sql=" + CServerFixture::Encode("select a,b from t_null"), "a|b\n1|\n"},
        {"select", "sql=" + CServerFixture::Encode("select a,b from t_null"), "1|\n"},
        {"select2", "sql=" + CServerFixture::Encode("select a,b from t_empty"), "a|b\n"},
        {"select", "sql=" + CServerFixture::Encode("select a,b from t_empty"), ""},
        {"select2", "sql=!!!!", "-1|Invalid coded sql text"},
        {"exec_sql", "sql=%%%", "-1|Invalid coded sql text"},
        {"desc", "table=t_empty;drop table t_bug", "-1|Invalid table name"},
        {"desc", "table=", "-1|Invalid table name"},
        {"select_finish", "id=000999|nothing", "success"},
        {"select_next", "id=000999|nothing&count=5", "-1|" + deny},
        {"exec_sql_prepare", "index=0", "-1|Please specify the parameters"},
        {"exec_sql_prepare", "param1=xxName&value1=1",
         "-1| Invalid datatype:the beginning of the two bytes is dt mean datatime,st mean "
         "string,in mean number,fl mean float"},
        {"exec_sql_prepare", "param1=stName&value1=@@@@", "-1|Invalid coded value of stName"},
        {"web_logout", "id=nobody", "success"},
        {"get_config", "",
         "use_pass_encode=0!web_form_root=/Lumeno!auth=0!commit_type=1!date_format=0!max_count="
         "4000!one_fetch_count=10!sep=|!line_sep=\n!query_timeout=600"},
        {"get_user_config", "", "-1| Profile user_config.ini Does not exist"},
        {"exec_user_func", "cmd=a&param=x", "-1|Do not load the success of any effective service"},
        {"unload_user_func", "", "success"},
        {"reload_user_func", "", "-1|Failure to load plug-ins"},
        {"exec_command", "cmd=echo hi", "-1|exec_command is disabled"},
        {"set_time", "time=2008-05-06", "-1^Failure of the setup time"},
        {"send_mymessage", "msg=hello", "success"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(server->Command(c.command, c.params), c.expected)
            << c.command << " " << c.params;
    }
    EXPECT_EQ(server->Get("/Lumeno/no_such_command").body, "Form no_such_command is not defined");
    EXPECT_EQ(server->Get("/Lumeno").body, "Missing form name");
    EXPECT_TRUE(std::regex_match(server->Command("get_time"),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
    EXPECT_TRUE(std::regex_match(server->Command("web_login", "account=x&password=y"),
                                 std::regex(R"(\d+[_0-9a-zA-Z]{16})")));
}

TEST_P(ProtocolTest, DescribesTableColumns) {
    const std::string reply = server->Command("desc", "table=t_types");
    if (GetParam() == std::string("lumenolite")) {
        // lumenolite replies the table's creation statement instead.
        EXPECT_EQ(reply, "sql\nCREATE TABLE t_types(i integer, v varchar(20), r double precision, "
                         "t text, s smallint)\n");
    } else {
        EXPECT_EQ(reply, "i\t长整数\t10\t0\nv\t文本\t20\t0\nr\t双精度型\t53\t0\nt\t备注\t0\t0\n"
                         "s\t整型\t5\t0\n");
    }
}

TEST_P(ProtocolTest, RepliesAreHttp11PlainText) {
    CHttpReply reply = server->Get("/Lumeno/version");
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.headers.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(reply.Header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(reply.Header("Server"), "Lumeno");
    EXPECT_EQ(reply.Header("Content-Length"), std::to_string(reply.body.size()));
}

TEST_P(ProtocolTest, SelectLimitsRowsAndWritesLongReplies) {
    auto countLines = [](const std::string& s) {
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    };
    // At most 300 rows, whatever maxcount asks; maxcount 0 takes max_count.
    EXPECT_EQ(countLines(Sql("select2", "select n from t_num", "maxcount=1000&")), 301);
    EXPECT_EQ(countLines(Sql("select", "select n from t_num", "maxcount=0&")), 300);
    EXPECT_EQ(countLines(Sql("select", "select n from t_num", "maxcount=7&")), 7);
    // A reply far beyond 1999 characters arrives whole.
    const std::string longText(5000, 'q');
    ASSERT_EQ(Sql("exec_sql", "insert into t_bug values(2, 'long', '" + longText + "')"),
              "success");
    EXPECT_EQ(Sql("select", "select BG_DESCRIPTION from t_bug where BG_BUG_ID=2"),
              longText + "\n");
}

TEST_P(ProtocolTest, ExecSqlWritesAndReportsErrors) {
    EXPECT_EQ(Sql("exec_sql", "insert into t_empty values(5, 'five')"), "success");
    EXPECT_EQ(Sql("select", "select a, b from t_empty"), "5|five\n");
    const std::string failed = Sql("exec_sql", "insert into no_such_table values(1)");
    EXPECT_EQ(failed.substr(0, 3), "-1|") << failed;
    EXPECT_NE(failed.find("no_such_table"), std::string::npos) << failed;
    const std::string badQuery = Sql("select2", "select nothing from nowhere");
    EXPECT_EQ(badQuery.substr(0, 3), "-1|") << badQuery;
    // The server goes on normally after the errors.
    EXPECT_EQ(Sql("select", "select count(*) from t_empty"), "1\n");
}

TEST_P(ProtocolTest, VariablesAreDecodedTwice) {
    // The client escapes its whole parameter text once; the server decodes
    // the query and then each value: "+" becomes a blank, "%2B" a plus.
    ASSERT_EQ(server->Command("send_mymessage", "msg=a+b|"), "success");
    ASSERT_EQ(server->Command("send_mymessage", "msg=c%2Bd|"), "success");
    ASSERT_EQ(server->Command("send_mymessage", "msg=e%26f|"), "success");
    // A second msg variable is joined to the first by a blank.
    ASSERT_EQ(server->Get("/Lumeno/send_mymessage?msg=g&msg=h").body, "success");
    EXPECT_EQ(ReadAll(server->Dir() + "/remote_info.txt"), "a b|c+d|e&f|g h");
}

TEST_P(ProtocolTest, PostFormBodiesAreAccepted) {
    CHttpReply reply = server->Post(
        "/Lumeno/select", "sql=" + CServerFixture::Escape(CServerFixture::Encode("select 7")));
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.body, "7\n");
}

TEST_P(ProtocolTest, UserConfigServesLinesOrOneValue) {
    std::ofstream(server->Dir() + "/user_config.ini")
        << "# mail and ftp\n  ftp_user=zentry \n\nmail_port=25\r\nmail_pass=a=b\n";
    EXPECT_EQ(server->Command("get_user_config"), "ftp_user=zentry!mail_port=25!mail_pass=a=b");
    EXPECT_EQ(server->Command("get_user_config", "key=MAIL_PORT"), "25");
    EXPECT_EQ(server->Command("get_user_config", "key=mail_pass"), "a");
    EXPECT_EQ(server->Command("get_user_config", "key=none"),
              "ftp_user=zentry!mail_port=25!mail_pass=a=b");
    // Lines are read 1024 characters at a time: the rest of a longer line
    // is a line of its own.
    const std::string tail = "release_path=/r";
    std::ofstream(server->Dir() + "/user_config.ini", std::ios::trunc)
        << "note=" << std::string(1019, 'x') << tail << "\nlast=1\n";
    EXPECT_EQ(server->Command("get_user_config", "key=release_path"), "/r");
    EXPECT_EQ(server->Command("get_user_config", "key=note"), std::string(1019, 'x'));
}

TEST_P(ProtocolTest, MessagesAreLimitedTo64KiB) {
    EXPECT_EQ(server->Command("send_mymessage", "msg=" + std::string(65536, 'm')), "success");
    EXPECT_EQ(server->Command("send_mymessage", "msg=" + std::string(65537, 'm')),
              "-1|message too long, at most 65536 bytes");
    EXPECT_EQ(ReadAll(server->Dir() + "/remote_info.txt").size(), 65536u);
}

TEST_P(ProtocolTest, SessionCountFollowsLoginsAndLogouts) {
    EXPECT_EQ(server->Command("session_count"), "   0   ");
    const std::string first = server->Command("web_login", "account=a&password=b");
    const std::string second = server->Command("web_login", "account=a&password=b");
    EXPECT_NE(first, second);
    EXPECT_EQ(server->Command("session_count"), "   2   ");
    EXPECT_EQ(server->Command("web_logout", "id=" + first), "success");
    EXPECT_EQ(server->Command("session_count"), "   1   ");
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, ProtocolTest, AllPrograms());

}  // namespace
