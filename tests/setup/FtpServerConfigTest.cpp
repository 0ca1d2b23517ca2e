// "FileZilla Server.xml" from "ftp_tmp.xml": every placeholder replaced, a
// byte-order mark and CR LF line ends, nothing cut, and an existing file
// kept whenever no new one can be made.
#include "SetupRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const char kTemplate[] = "ftp_tmp.xml";
const char kConfig[] = "FileZilla Server.xml";

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(SetupFtpConfig, TemplatesBecomeTheConfiguration) {
    SetupRun run;
    const std::string root = run.ProgramFile("web");
    std::string longLine(20000, 'x');
    std::string manyLines, manyLinesCrLf;
    for (int i = 0; i < 10000; ++i) {
        manyLines += "<Item n=\"" + std::to_string(i) + "\"/>\n";
        manyLinesCrLf += "<Item n=\"" + std::to_string(i) + "\"/>\r\n";
    }
    const struct {
        const char* name;
        std::string text, expected;
    } cases[] = {
        {"two placeholders on a line and one on the next",
         "<Dir>$INSTALL_PATH</Dir><Dir>$INSTALL_PATH</Dir>\n<Option Name=\"Root\">$INSTALL_PATH/up</Option>\n",
         "<Dir>" + root + "</Dir><Dir>" + root + "</Dir>\r\n<Option Name=\"Root\">" + root + "/up</Option>\r\n"},
        {"CR LF lines stay single CR LF", "<a>\r\n<b/>\r\n</a>\r\n", "<a>\r\n<b/>\r\n</a>\r\n"},
        {"a last line without a line end gets one", "<a>\n</a>", "<a>\r\n</a>\r\n"},
        {"empty lines are kept", "\n\n<a/>\n", "\r\n\r\n<a/>\r\n"},
        {"a template with its own mark gives one mark", kBom + "<a/>\n", "<a/>\r\n"},
        {"UTF-8 text passes unchanged", "<User Name=\"测试\"/>\n", "<User Name=\"测试\"/>\r\n"},
        {"a line far over 9000 characters is not cut", "<a>" + longLine + "$INSTALL_PATH</a>\n",
         "<a>" + longLine + root + "</a>\r\n"},
        {"more than 9000 lines are all written", manyLines, manyLinesCrLf},
        {"an empty template", "", ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetupRun::WriteFile(run.ProgramFile(kTemplate), c.text));
        const SetupResult result = run.Run();
        EXPECT_EQ(0, result.exitCode) << c.name;
        EXPECT_EQ("", result.output) << c.name;
        const std::string written = SetupRun::ReadFile(run.ProgramFile(kConfig));
        EXPECT_TRUE(written == kBom + c.expected) << c.name << ": " << written.substr(0, 200);
    }
}

TEST(SetupFtpConfig, MissingOrUnreadableTemplateLeavesTheConfigurationAlone) {
    SetupRun run;
    const std::vector<std::string> before = SetupRun::ListFolder(run.ProgramDir());
    // No configuration yet: none is made.
    EXPECT_EQ(0, run.Run().exitCode);
    EXPECT_FALSE(SetupRun::Exists(run.ProgramFile(kConfig)));

    const std::string old = kBom + "<FileZillaServer>old</FileZillaServer>\r\n";
    ASSERT_TRUE(SetupRun::WriteFile(run.ProgramFile(kConfig), old));
    const SetupResult result = run.Run();
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("", result.output);
    EXPECT_EQ(old, SetupRun::ReadFile(run.ProgramFile(kConfig)));

    // A template that is a folder cannot be read as text either.
    ASSERT_EQ(0, mkdir(run.ProgramFile(kTemplate).c_str(), 0755));
    EXPECT_EQ(0, run.Run().exitCode);
    EXPECT_EQ(old, SetupRun::ReadFile(run.ProgramFile(kConfig)));

    // Nothing else appeared beside the program (no temp files left behind).
    std::vector<std::string> expected = before;
    expected.push_back(kConfig);
    expected.push_back(kTemplate);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, SetupRun::ListFolder(run.ProgramDir()));
}

TEST(SetupFtpConfig, ReplacedConfigurationKeepsItsPermissionsAndLeavesNoTempFile) {
    SetupRun run;
    ASSERT_TRUE(SetupRun::WriteFile(run.ProgramFile(kConfig), "old"));
    ASSERT_EQ(0, chmod(run.ProgramFile(kConfig).c_str(), 0640));
    ASSERT_TRUE(SetupRun::WriteFile(run.ProgramFile(kTemplate), "<a>$INSTALL_PATH</a>\n"));
    const std::vector<std::string> before = SetupRun::ListFolder(run.ProgramDir());

    EXPECT_EQ(0, run.Run().exitCode);
    EXPECT_EQ(kBom + "<a>" + run.ProgramFile("web") + "</a>\r\n", SetupRun::ReadFile(run.ProgramFile(kConfig)));
    EXPECT_EQ(0640u, ModeOf(run.ProgramFile(kConfig)));
    EXPECT_EQ(before, SetupRun::ListFolder(run.ProgramDir()));
}

TEST(SetupFtpConfig, RemoveKeepsTheConfigurationTemplateAndDatabase) {
    SetupRun run;
    ASSERT_TRUE(run.MakeDatabase());
    ASSERT_TRUE(SetupRun::WriteFile(run.ProgramFile(kTemplate), "<a>$INSTALL_PATH</a>\n"));
    ASSERT_EQ(0, run.Run().exitCode);
    const std::string config = SetupRun::ReadFile(run.ProgramFile(kConfig));
    const std::string database = SetupRun::ReadFile(run.ProgramFile("Lumeno.db"));
    ASSERT_FALSE(config.empty());

    EXPECT_EQ(0, run.Run({"-u"}).exitCode);
    EXPECT_EQ(config, SetupRun::ReadFile(run.ProgramFile(kConfig)));
    EXPECT_EQ("<a>$INSTALL_PATH</a>\n", SetupRun::ReadFile(run.ProgramFile(kTemplate)));
    EXPECT_EQ(database, SetupRun::ReadFile(run.ProgramFile("Lumeno.db")));
}

}  // namespace
