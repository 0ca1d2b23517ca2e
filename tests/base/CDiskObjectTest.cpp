#include "CDiskObject.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace {

std::string Cwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

std::vector<std::string> Sorted(const CListStringList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.GetCopyAt(i).CStr());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs each test inside <temp>/w/v and goes back afterwards.
class CDiskObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = Cwd();
        dir.MakeDir("w");
        dir.MakeDir("w/v");
        char real[4096];
        ASSERT_NE(realpath(dir.Path().c_str(), real), nullptr);
        root = real;
        ASSERT_EQ(chdir((root + "/w/v").c_str()), 0);
    }
    void TearDown() override {
        if (chdir(m_saved.c_str()) != 0) perror("chdir");
    }
    TempDir dir;
    std::string root;  // the temp folder with links resolved

private:
    std::string m_saved;
};

TEST_F(CDiskObjectTest, NormaliseFolder) {
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"/data/x", "/data/x/"},
        {"\\data\\x", "/data/x/"},
        {"/data/x/", "/data/x/"},
        {"//srv/share", "//srv/share/"},
        {"\\\\srv\\share", "//srv/share/"},
        {"x", root + "/w/v/x/"},
        {"x/y", root + "/w/v/x/y/"},
        {"../y", root + "/w/y/"},
        {"..\\y", root + "/w/y/"},
        {"../../z", root + "/z/"},
        {"..", root + "/w/"},
        {"", root + "/w/v/"},
    };
    CDiskObject disk;
    for (const Case& c : cases) {
        CListString path(c.path.c_str());
        disk.NormaliseFolder(path);
        EXPECT_EQ(path.CStr(), c.expected) << c.path;
        EXPECT_EQ(Cwd(), root + "/w/v") << c.path;  // the working directory never moves
    }
}

TEST_F(CDiskObjectTest, MakeAbsolutePathLeavesTheWorkingDirectory) {
    CDiskObject disk;
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"/abs/file.txt", "/abs/file.txt"},
        {"file.txt", root + "/w/v/file.txt"},
        {"../file.txt", root + "/w/file.txt"},
        {"../../a/b.lua", root + "/a/b.lua"},
    };
    for (const Case& c : cases) {
        CListString path(c.path.c_str());
        disk.MakeAbsolutePath(path);
        EXPECT_EQ(path.CStr(), c.expected) << c.path;
        EXPECT_EQ(Cwd(), root + "/w/v");
    }
    // Going up past the root stops at the root.
    ASSERT_EQ(chdir("/"), 0);
    CListString path("../../x/");
    disk.MakeAbsolutePath(path);
    EXPECT_STREQ(path.CStr(), "/x/");
    EXPECT_EQ(Cwd(), "/");
}

TEST_F(CDiskObjectTest, ListFiles) {
    dir.Write("w/a.txt", "1");
    dir.Write("w/b.lua", "2");
    dir.Write("w/noext", "3");
    dir.MakeDir("w/s");
    dir.MakeDir("w/s.lua");
    CDiskObject disk;
    CListStringList list;
    list.Add("kept");
    EXPECT_EQ(disk.ListFiles("..", list, 0), 1);
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"a.txt", "b.lua", "kept", "noext"}));
    EXPECT_TRUE(disk.GetErrorMessage().IsEmpty());

    list.RemoveAll();
    EXPECT_EQ(disk.ListFilesMatching("*.LUA", (root + "/w").c_str(), list, 1), 1);
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{root + "/w/b.lua"}));

    // A mask that matches nothing, and a folder that is not there.
    list.RemoveAll();
    EXPECT_EQ(disk.ListFilesMatching("*.xls", (root + "/w").c_str(), list, 0), 0);
    EXPECT_EQ(std::string(disk.GetErrorMessage().CStr()), std::string(strerror(ENOENT)) + " " + root + "/w/*.xls");
    EXPECT_EQ(disk.ListFiles((root + "/none").c_str(), list, 0), 0);
    EXPECT_EQ(std::string(disk.GetErrorMessage().CStr()), std::string(strerror(ENOENT)) + " " + root + "/none/*.*");
    EXPECT_EQ(list.GetCount(), 0);
    // An empty folder lists nothing, successfully.
    dir.MakeDir("empty");
    EXPECT_EQ(disk.ListFiles((root + "/empty").c_str(), list, 0), 1);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(CDiskObjectTest, DeleteFilesAndFolders) {
    CDiskObject disk;
    EXPECT_EQ(disk.DeleteFolder(""), 0);
    EXPECT_STREQ(disk.GetErrorMessage().CStr(), "CDiskObject internal error");

    const std::string flat = dir.MakeDir("flat");
    dir.Write("flat/1.txt", "x");
    dir.Write("flat/2.txt", "y");
    EXPECT_NE(disk.DeleteFolder(flat.c_str()), 0);
    EXPECT_NE(access(flat.c_str(), F_OK), 0);
    EXPECT_TRUE(disk.GetErrorMessage().IsEmpty());

    const std::string nested = dir.MakeDir("nested");
    dir.Write("nested/f.txt", "x");
    dir.MakeDir("nested/sub");
    dir.Write("nested/sub/g.txt", "y");
    EXPECT_EQ(disk.DeleteFolder(nested.c_str()), 0);
    EXPECT_NE(access((nested + "/f.txt").c_str(), F_OK), 0);   // files went
    EXPECT_EQ(access((nested + "/sub/g.txt").c_str(), F_OK), 0);  // sub-folders stay
    EXPECT_EQ(std::string(disk.GetErrorMessage().CStr()),
              std::string(strerror(ENOTEMPTY)) + " " + root + "/nested/");

    const std::string keep = dir.MakeDir("keep");
    EXPECT_NE(disk.DeleteAllFiles(keep.c_str()), 0);  // nothing to delete
    EXPECT_EQ(access(keep.c_str(), F_OK), 0);
    EXPECT_EQ(disk.DeleteAllFiles((root + "/gone").c_str()), 0);
    EXPECT_FALSE(disk.GetErrorMessage().IsEmpty());
}

TEST_F(CDiskObjectTest, DeleteStopsAtFirstFailure) {
    if (geteuid() == 0) GTEST_SKIP() << "root may delete anything";
    CDiskObject disk;
    const std::string locked = dir.MakeDir("locked");
    dir.Write("locked/a.txt", "x");
    chmod(locked.c_str(), 0500);
    EXPECT_EQ(disk.DeleteAllFiles(locked.c_str()), 0);
    EXPECT_EQ(std::string(disk.GetErrorMessage().CStr()),
              std::string(strerror(EACCES)) + " " + root + "/locked/a.txt");
    chmod(locked.c_str(), 0755);
}

TEST_F(CDiskObjectTest, Errors) {
    CDiskObject disk;
    disk.SetErrorFromSystem(ENOENT, "/x");
    EXPECT_EQ(std::string(disk.GetErrorMessage().CStr()), std::string(strerror(ENOENT)) + " /x");
    disk.SetErrorFromSystem(EACCES, "");
    EXPECT_STREQ(disk.GetErrorMessage().CStr(), strerror(EACCES));
    disk.ClearError();
    EXPECT_TRUE(disk.GetErrorMessage().IsEmpty());
}

}  // namespace
