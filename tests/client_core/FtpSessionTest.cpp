// The FTP session against a real loopback FTP server (pyftpdlib), and the
// deletion of a defect's attachment files through the context.
#include "AttachmentNames.h"
#include "CFtpSession.h"
#include "ClientFixtures.h"
#include "FtpServerFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Every byte value, CR LF pairs and a long random tail: any text-mode or
// truncating transfer changes it.
std::string BinaryContent() {
    std::string data;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) data += static_cast<char>(b);
    data += "\r\n\n\r\x1a";
    std::mt19937 random(7);
    for (int i = 0; i < 300000; ++i) data += static_cast<char>(random() & 0xFF);
    return data;
}

class FtpSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string missing = CFtpServerFixture::Missing();
        if (!missing.empty()) return;
        s_ftp = std::make_unique<CFtpServerFixture>();
        ASSERT_TRUE(s_ftp->Start()) << s_ftp->Output();
        ASSERT_TRUE(s_ftp->MakeFolder("attach"));
    }
    static void TearDownTestSuite() { s_ftp.reset(); }
    void SetUp() override {
        if (!s_ftp) GTEST_SKIP() << CFtpServerFixture::Missing();
        ASSERT_TRUE(m_local.isValid());
    }
    int OpenSession(CFtpSession& session) {
        return session.Open("127.0.0.1", s_ftp->Port(), s_ftp->User().c_str(), s_ftp->Password().c_str());
    }
    std::string Local(const std::string& name) const { return m_local.path().toStdString() + "/" + name; }

    static std::unique_ptr<CFtpServerFixture> s_ftp;
    QTemporaryDir m_local;
};
std::unique_ptr<CFtpServerFixture> FtpSessionTest::s_ftp;

TEST_F(FtpSessionTest, OperationsBeforeOpenAreRefused) {
    CFtpSession session;
    std::vector<std::string> names;
    EXPECT_EQ(session.GetFile("/attach/x", Local("x").c_str()), -1);
    EXPECT_STREQ(session.GetErrorText(), "尚未连接服务器");
    EXPECT_EQ(session.PutFile("/etc/hostname", "/attach"), -1);
    EXPECT_EQ(session.Delete("/attach/x"), -1);
    EXPECT_EQ(session.List("/attach", names), -1);
    EXPECT_EQ(session.MakeFolder("/x"), -1);
    EXPECT_STREQ(session.GetErrorText(), "尚未连接服务器");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Local("x"))));
}

TEST_F(FtpSessionTest, RefusedConnectionAndWrongPasswordFailOpen) {
    struct Case {
        const char* what;
        int port;
        const char* password;
    } cases[] = {{"server down", CServerFixture::FreePort(), "secret"},
                 {"wrong password", s_ftp->Port(), "wrong"},
                 {"empty password", s_ftp->Port(), ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFtpSession session;
        EXPECT_LT(session.Open("127.0.0.1", c.port, "zentry", c.password), 0);
        const std::string error = session.GetErrorText();
        EXPECT_EQ(error.rfind("Cannot open host: ", 0), 0u) << error;
        EXPECT_GT(error.size(), strlen("Cannot open host: ."));
        EXPECT_EQ(error.back(), '.');
        EXPECT_FALSE(session.IsConnected());
        EXPECT_EQ(session.Delete("/attach/12_a.doc"), -1);
        EXPECT_STREQ(session.GetErrorText(), "尚未连接服务器");
    }
}

TEST_F(FtpSessionTest, RoundTripKeepsEveryByteAndTheExactName) {
    const std::string content = BinaryContent();
    const char* names[] = {"12_report.bin", "12_with blank name.doc", "12_中文附件 说明.txt",
                           "12_a%20b+c#d.txt"};
    CFtpSession session;
    ASSERT_EQ(OpenSession(session), 0) << session.GetErrorText();
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Spit(Local("upload"), content + name);
        ASSERT_EQ(session.PutFile(Local("upload").c_str(), "/attach", name), 0) << session.GetErrorText();
        std::string stored;
        ASSERT_TRUE(s_ftp->ReadFile(std::string("attach/") + name, stored));
        EXPECT_TRUE(stored == content + name) << "stored bytes differ";

        std::vector<std::string> listed;
        ASSERT_GE(session.List("/attach", listed), 1) << session.GetErrorText();
        EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());

        const std::string back = Local("back.bin");
        ASSERT_EQ(session.GetFile((std::string("/attach/") + name).c_str(), back.c_str()), 0)
            << session.GetErrorText();
        EXPECT_TRUE(Slurp(back) == content + name) << "downloaded bytes differ";

        ASSERT_EQ(session.Delete((std::string("/attach/") + name).c_str()), 0) << session.GetErrorText();
        EXPECT_FALSE(s_ftp->Exists(std::string("attach/") + name));
    }
    session.Close();
    EXPECT_FALSE(session.IsConnected());
}

TEST_F(FtpSessionTest, NamesAreExactNotPatterns) {
    s_ftp->WriteFile("attach/7_ab.txt", "keep");
    s_ftp->WriteFile("attach/7_a*.txt", "star");
    CFtpSession session;
    ASSERT_EQ(OpenSession(session), 0) << session.GetErrorText();
    ASSERT_EQ(session.Delete("/attach/7_a*.txt"), 0) << session.GetErrorText();
    EXPECT_FALSE(s_ftp->Exists("attach/7_a*.txt"));
    EXPECT_TRUE(s_ftp->Exists("attach/7_ab.txt"));
    EXPECT_LT(session.Delete("/attach/7_?b.txt"), 0);
    EXPECT_TRUE(s_ftp->Exists("attach/7_ab.txt"));
    EXPECT_EQ(session.Delete("/attach/7_ab.txt"), 0);
}

TEST_F(FtpSessionTest, MissingRemoteFilesAreErrors) {
    CFtpSession session;
    ASSERT_EQ(OpenSession(session), 0) << session.GetErrorText();
    // A download that fails leaves the local file as it was.
    Spit(Local("mine.txt"), "my own text");
    EXPECT_LT(session.GetFile("/attach/404_none.txt", Local("mine.txt").c_str()), 0);
    EXPECT_STRNE(session.GetErrorText(), "");
    EXPECT_EQ(Slurp(Local("mine.txt")), "my own text");
    EXPECT_EQ(QDir(m_local.path()).entryList(QDir::Files), QStringList{"mine.txt"});

    EXPECT_LT(session.Delete("/attach/404_none.txt"), 0);
    EXPECT_STRNE(session.GetErrorText(), "");
    std::vector<std::string> names;
    EXPECT_LT(session.List("/no_such_folder", names), 0);
    EXPECT_TRUE(names.empty());
    // The session still works after failures.
    Spit(Local("ok.txt"), "ok");
    EXPECT_EQ(session.PutFile(Local("ok.txt").c_str(), "/attach", "404_ok.txt"), 0) << session.GetErrorText();
    EXPECT_EQ(session.Delete("/attach/404_ok.txt"), 0);
}

TEST_F(FtpSessionTest, UploadMakesMissingFoldersAndRefusesBadNames) {
    CFtpSession session;
    ASSERT_EQ(OpenSession(session), 0) << session.GetErrorText();
    Spit(Local("a.txt"), "abc");
    ASSERT_EQ(session.PutFile(Local("a.txt").c_str(), "/fresh/deeper"), 0) << session.GetErrorText();
    std::string stored;
    EXPECT_TRUE(s_ftp->ReadFile("fresh/deeper/a.txt", stored));
    EXPECT_EQ(stored, "abc");

    for (const char* bad : {"../a.txt", "x/y.txt", "x\\y.txt", "a\r\nDELE keep.txt", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(session.PutFile(Local("a.txt").c_str(), "/attach", bad), -1);
        EXPECT_STRNE(session.GetErrorText(), "");
    }
    EXPECT_FALSE(s_ftp->Exists("a.txt"));
    EXPECT_LT(session.PutFile(Local("not-there.txt").c_str(), "/attach"), 0);
    EXPECT_FALSE(s_ftp->Exists("attach/not-there.txt"));

    // A line break in a path never reaches the server as a second command.
    s_ftp->WriteFile("keep.txt", "keep");
    EXPECT_EQ(session.Delete("/attach/x\r\nDELE /keep.txt"), -1);
    EXPECT_TRUE(s_ftp->Exists("keep.txt"));
}

TEST_F(FtpSessionTest, GetFilesFetchesTheMatchingFilesOfAFolder) {
    s_ftp->MakeFolder("release");
    s_ftp->WriteFile("release/a.txt", "A");
    s_ftp->WriteFile("release/b.bin", "B");
    CFtpSession session;
    ASSERT_EQ(OpenSession(session), 0) << session.GetErrorText();
    EXPECT_EQ(session.GetFiles("*.txt", "/release", m_local.path().toUtf8().constData()), 1)
        << session.GetErrorText();
    EXPECT_EQ(Slurp(Local("a.txt")), "A");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Local("b.bin"))));
    EXPECT_EQ(session.GetFiles("*.*", "/release", m_local.path().toUtf8().constData()), 2);
    EXPECT_EQ(Slurp(Local("b.bin")), "B");
}

TEST(AttachmentNamesTest, NamesAreReducedToAPlainFileName) {
    const struct {
        const char* given;
        const char* plain;
    } cases[] = {{"a.txt", "a.txt"},
                 {"../../etc/passwd", "passwd"},
                 {"/abs/path/b.doc", "b.doc"},
                 {"C:\\Users\\me\\c.xls", "c.xls"},
                 {"..\\..\\d.txt", "d.txt"},
                 {"star*?.txt", "star__.txt"},
                 {"line\r\nbreak\t.txt", "linebreak.txt"},
                 {"del\x7f.txt", "del.txt"},
                 {"  blank name.txt  ", "blank name.txt"},
                 {"中文 附件.txt", "中文 附件.txt"},
                 {"a..b.txt", "a..b.txt"},
                 {"..", ""},
                 {"dir/..", ""},
                 {".", ""},
                 {"dir/", ""},
                 {"\r\n", ""},
                 {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(PlainFileName(c.given), c.plain);
        EXPECT_EQ(IsPlainFileName(c.given), std::string(c.given) == c.plain && *c.plain);
    }
    EXPECT_EQ(AttachmentRemotePath("/attach", 12, "a.doc"), "/attach/12_a.doc");
    EXPECT_EQ(AttachmentRemotePath("/attach/", 12, "a.doc"), "/attach/12_a.doc");
    EXPECT_EQ(AttachmentRemotePath("/attach", 12, "../a.doc"), "");
    EXPECT_EQ(AttachmentRemotePath("/attach", 12, "x/a.doc"), "");
}

// DeleteBugAttachmentFiles with the FTP account of the server's user
// configuration and a real lumenolite.
class AttachmentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CFtpServerFixture::Missing().empty()) GTEST_SKIP() << CFtpServerFixture::Missing();
        ASSERT_TRUE(m_ftp.Start()) << m_ftp.Output();
        m_ftp.MakeFolder("attach");
        const std::string config = "ftp_user=zentry\nftp_pass=secret\nftp_port=" + std::to_string(m_ftp.Port()) +
                                   "\nattach_path=/attach\nclient_version=1.0\n";
        ASSERT_TRUE(m_server.Start(true,
                                   "insert into t_bug_attach(BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,UPLOAD_USER,"
                                   "PRJ_NAME) values(12,'a.doc','2008-01-01 00:00:00',1.5,'admin','Demo'),"
                                   "(12,'中文 b.txt','2008-01-01 00:00:00',1,'admin','Demo'),"
                                   "(12,'../escape.txt','2008-01-01 00:00:00',1,'admin','Demo');",
                                   config.c_str()));
        CSettingsValues values;
        values.port = m_server.Port();
        m_client = std::make_unique<CTestContext>(values);
        QString why;
        ASSERT_TRUE(m_client->LogIn(m_answerer, why)) << why.toStdString();
        ASSERT_EQ(m_client->context.m_ftpPort, m_ftp.Port());
    }
    CFtpServerFixture m_ftp;
    CDemoServer m_server;
    CModalAnswerer m_answerer;
    std::unique_ptr<CTestContext> m_client;
};

TEST_F(AttachmentFilesTest, DeletesTheDefectsFilesOnly) {
    for (const char* name : {"attach/12_a.doc", "attach/12_中文 b.txt", "attach/13_a.doc", "attach/12_other.doc",
                             "escape.txt"})
        ASSERT_TRUE(m_ftp.WriteFile(name, "x"));
    EXPECT_EQ(m_client->context.DeleteBugAttachmentFiles(12), 1);
    EXPECT_FALSE(m_ftp.Exists("attach/12_a.doc"));
    EXPECT_FALSE(m_ftp.Exists("attach/12_中文 b.txt"));
    EXPECT_TRUE(m_ftp.Exists("attach/13_a.doc"));
    EXPECT_TRUE(m_ftp.Exists("attach/12_other.doc"));
    EXPECT_TRUE(m_ftp.Exists("escape.txt"));
    // Rows whose files are already gone still count.
    EXPECT_EQ(m_client->context.DeleteBugAttachmentFiles(12), 1);
    EXPECT_EQ(m_client->context.DeleteBugAttachmentFiles(13), 0);
    EXPECT_TRUE(m_answerer.m_texts.isEmpty()) << m_answerer.Joined().toStdString();
}

TEST_F(AttachmentFilesTest, UnreachableSiteIsReportedAndGivesZero) {
    m_ftp.WriteFile("attach/12_a.doc", "x");
    m_client->context.m_ftpPass = "wrong";
    EXPECT_EQ(m_client->context.DeleteBugAttachmentFiles(12), 0);
    EXPECT_TRUE(m_client->context.m_lastMessage.startsWith("Cannot open host: "))
        << m_client->context.m_lastMessage.toStdString();
    EXPECT_TRUE(m_ftp.Exists("attach/12_a.doc"));
}

}  // namespace
