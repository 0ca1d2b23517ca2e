// Each program over the shipped defect database (schema, seed and demo rows
// of db/): the login query on case-insensitive names, the client's defect
// update with long typed parameters sent in pieces, quoted braces, brace
// date filters, the defect sequence and paging through the defects.
#include "Programs.h"
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace {

const char kAdminDigest[] = "21232f297a57a5a743894a0e4a801fc3";  // MD5 of "admin"
const std::regex kSessionId(R"(\d+[_0-9a-zA-Z]{16})");

// 20 000 Chinese characters, three bytes each in UTF-8.
std::string LongChinese() {
    static const char* const words[] = {"缺陷", "描述", "测试", "中文", "长文本"};
    std::string text;
    for (int i = 0; text.size() < 60000; ++i) text += words[i % 5];
    return text;
}

class DefectDatabaseTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        SKIP_UNLESS_RUNNABLE(GetParam());
        server = std::make_unique<CServerFixture>(GetParam());
        server->SetIni("common", "auth", "1");
        ASSERT_TRUE(server->Prepare());
        const std::string db = std::string(ZENTRY_SOURCE_DIR) + "/db/";
        const std::string schema = server->IsPostgres() ? "postgresql/schema.sql" : "sqlite/schema.sql";
        for (const std::string& file : {schema, std::string("seed.sql"), std::string("demo.sql")})
            ASSERT_TRUE(server->RunSqlFile(db + file)) << file;
        ASSERT_TRUE(server->Start()) << server->Output();
        sid = Login("admin", kAdminDigest);
        ASSERT_TRUE(std::regex_match(sid, kSessionId)) << sid;
    }
    std::string Login(const std::string& account, const std::string& password) {
        return server->Command("web_login", "account=" + account + "&password=" + password);
    }
    std::string Sql(const std::string& cmd, const std::string& sql) {
        return server->Command(cmd, "sql=" + CServerFixture::Encode(sql), sid);
    }
    std::unique_ptr<CServerFixture> server;
    std::string sid;
};

TEST_P(DefectDatabaseTest, LoginComparesNamesWithoutCase) {
    if (server->IsPostgres()) {
        // Proof that this run really talks to PostgreSQL.
        EXPECT_EQ(Sql("select", "select substr(version(), 1, 10)"), "PostgreSQL\n");
    }
    EXPECT_TRUE(std::regex_match(Login("ADMIN", kAdminDigest), kSessionId));
    EXPECT_TRUE(std::regex_match(Login("Zhang", "e10adc3949ba59abbe56e057f20f883e"), kSessionId));
    // The password digest is compared exactly.
    std::string upper = kAdminDigest;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    EXPECT_EQ(Login("admin", upper), "-1| Authentication fails, username or password error");
    EXPECT_EQ(Sql("select", "select distinct prj_name from t_user_prj where user_name='ADMIN' "
                            "order by prj_name"),
              "Demo\nZentry演示\n");
}

TEST_P(DefectDatabaseTest, DefectUpdateKeepsLongValuesByteForByte) {
    const std::string summary = "O'Brien {x,y}";
    const std::string description = LongChinese();
    const std::string comment = "注释 :clDesc<varchar_long> {2008-01-01} 'q'";
    // As the client sends them: the long value in coded pieces (cut on
    // character bounds), the first with index=0, the short ones last.
    const size_t piece = 2999 * 3;
    for (size_t at = 0; at < description.size(); at += piece) {
        std::string params = at == 0 ? "index=0&" : "";
        params += "param1=clDesc&value1=" + CServerFixture::Encode(description.substr(at, piece));
        ASSERT_EQ(server->Command("exec_sql_prepare", params, sid), "success") << at;
    }
    ASSERT_EQ(server->Command("exec_sql_prepare",
                              "param1=stSummary&value1=" + CServerFixture::Encode(summary) +
                                  "&param2=clComment&value2=" + CServerFixture::Encode(comment) +
                                  "&param3=inId&value3=3",
                              sid),
              "success");
    ASSERT_EQ(Sql("exec_sql_go",
                  "update t_bug set BG_SUMMARY=:stSummary<char[256]>,BG_STATUS='01-Open',"
                  "BG_DEV_COMMENTS=:clComment<varchar_long>,BG_DESCRIPTION=:clDesc<varchar_long> "
                  "where BG_BUG_ID=:inId<int> "),
              "success");

    EXPECT_EQ(Sql("select", "select BG_SUMMARY, BG_STATUS from t_bug where BG_BUG_ID=3"),
              summary + "|01-Open\n");
    EXPECT_EQ(Sql("select", "select BG_DEV_COMMENTS from t_bug where BG_BUG_ID=3"), comment + "\n");
    const std::string read = Sql("select", "select BG_DESCRIPTION from t_bug where BG_BUG_ID=3");
    EXPECT_EQ(read.size(), description.size() + 1);
    EXPECT_TRUE(read == description + "\n") << "the description changed on its way";
    // A paged read returns it whole as well.
    const std::string slot = Sql("select_prepare", "select BG_DESCRIPTION from t_bug where BG_BUG_ID=3");
    const std::string batch = server->Command("select_next", "id=" + slot + "&count=5", sid);
    EXPECT_TRUE(batch.size() > description.size() &&
                batch.compare(batch.size() - description.size() - 1, std::string::npos,
                              description + "\n") == 0)
        << batch.substr(0, 200);
    // Other rows are untouched.
    EXPECT_EQ(Sql("select", "select count(*) from t_bug where BG_SUMMARY like 'O''Brien%'"), "1\n");
}

TEST_P(DefectDatabaseTest, QuotedBracesAndDateFilters) {
    // Braces inside a quoted literal stay text.
    ASSERT_EQ(Sql("exec_sql", "update t_bug set BG_SUMMARY='O''Brien {x,y}' where BG_BUG_ID=4"),
              "success");
    EXPECT_EQ(Sql("select", "select BG_SUMMARY from t_bug where BG_BUG_ID=4"), "O'Brien {x,y}\n");
    EXPECT_EQ(Sql("select", "select count(*) from t_bug where BG_SUMMARY='O''Brien {x,y}'"), "1\n");
    // Day bounds as the date filters write them, and brace date literals.
    EXPECT_EQ(Sql("select", "select BG_BUG_ID from t_bug where BG_DETECTION_DATE >= '2008-02-02' "
                            "and BG_DETECTION_DATE < '2008-02-03'"),
              "1\n");
    EXPECT_EQ(Sql("select", "select BG_BUG_ID from t_bug where BG_DETECTION_DATE >= {2008-02-02} "
                            "and BG_DETECTION_DATE < {2008-02-03}"),
              "1\n");
    // Project names compare without regard to case.
    EXPECT_EQ(Sql("select", "select count(*) from T_BUG where prj_name in ('demo','ZENTRY演示')"),
              "36\n");
}

TEST_P(DefectDatabaseTest, SearchTextMatchesWithoutCase) {
    // The query panel's search term and the mail dialog's user search.
    auto search = [this](const std::string& project, const std::string& text) {
        return Sql("select", "select BG_BUG_ID from t_bug where prj_name='" + project +
                                 "' and  ( (BG_SUMMARY like '%" + text +
                                 "%') or  (BG_DEV_COMMENTS like '%" + text +
                                 "%') or ( BG_DESCRIPTION like '%" + text +
                                 "%' )  ) order by BG_BUG_ID ");
    };
    EXPECT_EQ(search("demo", "crash"), "2\n18\n34\n");
    EXPECT_EQ(search("Demo", "CRASH WHEN"), "2\n18\n34\n");
    EXPECT_EQ(search("Zentry演示", "excel"), "3\n19\n35\n");
    EXPECT_EQ(Sql("select", "select user_name from t_cfg_st_user where user_name <> 'admin' and "
                            "(user_name like '%ZHA%' or USER_FULLNAME like '%ZHA%') order by user_name"),
              "zhang\n");
    EXPECT_EQ(Sql("select", "select user_name from t_cfg_st_user where USER_FULLNAME like '%ADMIN%'"),
              "admin\n");
}

TEST_P(DefectDatabaseTest, NewDefectIdsComeFromTheSequence) {
    EXPECT_EQ(Sql("select", "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG' "), "37\n");
    ASSERT_EQ(Sql("exec_sql", "update T_CFG_SEQ set SEQ_VALUE=38 where SEQ_NAME='SEQ_BUG'"),
              "success");
    EXPECT_EQ(Sql("select", "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='seq_bug' "), "38\n");
    // The defect id is a key: a taken id is refused, the next one works.
    const std::string taken = Sql("exec_sql", "insert into t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME) "
                                              "values (36,'00-New','Demo')");
    EXPECT_EQ(taken.substr(0, 3), "-1|") << taken;
    EXPECT_EQ(Sql("exec_sql", "insert into t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_ATTACHMENT) "
                              "values (37,'00-New','Demo',0)"),
              "success");
    EXPECT_EQ(Sql("select", "select count(*) from t_bug"), "37\n");
}

TEST_P(DefectDatabaseTest, PagesThroughTheDefects) {
    const std::string slot = Sql("select_prepare", "select BG_BUG_ID from t_bug order by BG_BUG_ID");
    ASSERT_TRUE(std::regex_match(slot, std::regex(R"(\d{6}\|\d+[_0-9a-zA-Z]{7})"))) << slot;
    std::vector<int> batches;
    std::string last;
    for (;;) {
        const std::string reply = server->Command("select_next", "id=" + slot + "&count=10", sid);
        if (reply == "-1|No Data" || batches.size() > 10) break;
        batches.push_back(static_cast<int>(std::count(reply.begin(), reply.end(), '\n')) - 1);
        last = reply;
    }
    EXPECT_EQ(batches, (std::vector<int>{10, 10, 10, 6}));
    EXPECT_EQ(last.substr(last.size() - 3), "36\n");
    EXPECT_EQ(server->Command("select_finish", "id=" + slot, sid), "success");
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, DefectDatabaseTest, AllPrograms());

}  // namespace
