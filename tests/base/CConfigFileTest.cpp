#include "CConfigFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string S(const CListString& s) {
    return s.CStr();
}

struct Expected {
    const char* section;
    const char* key;
    const char* value;
};

TEST(CConfigFile, LoadReadsEntries) {
    TempDir dir;
    const std::string path = dir.Write("a.ini",
                                       "a=1\r\n"
                                       "[S]\n"
                                       "k = v \n"
                                       "# comment=1\n"
                                       "\t#k2=tab\n"
                                       "x\n"
                                       "x=1=2\n"
                                       "empty=\n"
                                       "=v\n"
                                       "\tk3=v3\n"
                                       "[[T]]\n"
                                       "t=1\n"
                                       "[]\n"
                                       "e=2\n"
                                       "[a=b]\n"
                                       "last=no line feed");
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    const Expected expected[] = {
        {"unknow", "a", "1"},
        {"S", "k", " v"},
        {"S", "#k2", "tab"},    // a tab before '#' makes no comment
        {"S", "x", "1=2"},      // split at the first '='
        {"S", "empty", ""},
        {"S", "", "v"},
        {"S", "k3", "v3"},
        {"T", "t", "1"},
        {"", "e", "2"},
        {"a=b", "[a", "b]"},
        {"a=b", "last", "no line feed"},
    };
    ASSERT_EQ(file.GetEntryCount(), static_cast<int>(std::size(expected)));
    for (const Expected& e : expected)
        EXPECT_EQ(S(file.GetValue(e.key, e.section)), e.value) << e.section << "/" << e.key;
    EXPECT_EQ(S(file.GetPath()), path);
}

TEST(CConfigFile, LookupsMatchWholeIgnoringCase) {
    TempDir dir;
    const std::string path = dir.Write("c.ini", "[common]\nserver=127.0.0.1\n4007=hello\nport=8780\n");
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    EXPECT_EQ(S(file.GetValue("SERVER", "Common")), "127.0.0.1");
    EXPECT_EQ(S(file.GetValue("serv", "common")), "");
    EXPECT_EQ(S(file.GetValue("server", "comm")), "");
    EXPECT_EQ(S(file.GetTextById(4007, "COMMON")), "hello");
    EXPECT_EQ(S(file.GetTextById(40, "common")), "");
    EXPECT_EQ(file.GetInt("port", "common"), 8780);
    EXPECT_EQ(file.GetInt("absent", "common"), 0);

    CListStringList keys;
    keys.Add("stale");
    EXPECT_EQ(file.GetKeys(keys, "COMMON"), 3);
    EXPECT_EQ(S(keys.GetCopyAt(0)), "server");
    EXPECT_EQ(S(keys.GetCopyAt(2)), "port");
}

TEST(CConfigFile, UpdatesNeverAddEntries) {
    TempDir dir;
    const std::string path = dir.Write("u.ini", "[s]\nk=1\n[S]\nK=2\n");
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    EXPECT_EQ(file.SetValue("absent", "x", "s"), 1);
    EXPECT_EQ(file.GetEntryCount(), 2);
    EXPECT_EQ(file.SetInt("k", 7, "s"), 1);  // both entries match
    ASSERT_EQ(file.Save(), 1);
    EXPECT_EQ(TempDir::Read(path), "#Zentry配置管理工具\n\n[s]\nk=7\nK=7\n\n[S]\nk=7\nK=7\n");
}

TEST(CConfigFile, SaveLayout) {
    TempDir dir;
    const std::string path = dir.Write("l.ini", "# old comment\n[pstyle]\nfont=Song,9\n\n[common]\nlang=1\n[pstyle]\nsize= 3\n");
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    const std::string out = dir.File("out.ini");
    ASSERT_EQ(file.SaveAs(out.c_str()), 1);
    EXPECT_EQ(TempDir::Read(out),
              "#Zentry配置管理工具\n\n[pstyle]\nfont=Song,9\nsize= 3\n\n[common]\nlang=1\n");
    // A saved file loads back to the same entries.
    CConfigFile again;
    ASSERT_EQ(again.Load(out.c_str()), 1);
    EXPECT_EQ(again.GetEntryCount(), 3);
    EXPECT_EQ(S(again.GetValue("size", "pstyle")), " 3");
}

TEST(CConfigFile, SaveReplacesAtomicallyAndKeepsMode) {
    TempDir dir;
    const std::string path = dir.Write("m.ini", "[a]\nk=old\n");
    chmod(path.c_str(), 0600);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    file.SetValue("k", "new", "a");
    ASSERT_EQ(file.Save(), 1);
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    EXPECT_EQ(TempDir::Read(path), "#Zentry配置管理工具\n\n[a]\nk=new\n");

    // Only the target is left in the folder: no temporary file stays behind.
    EXPECT_EQ(system(("test $(ls -A '" + dir.Path() + "' | wc -l) -eq 1").c_str()), 0);

    // A save that cannot be renamed into place fails and leaves no temporary
    // file behind.
    const std::string folder = dir.MakeDir("a-folder");
    EXPECT_EQ(file.SaveAs(folder.c_str()), 0);
    EXPECT_FALSE(file.GetLastError().IsEmpty());
    EXPECT_EQ(system(("test $(ls -A '" + dir.Path() + "' | wc -l) -eq 2").c_str()), 0);

    // A folder that cannot take the temporary file leaves the old file whole.
    const std::string locked = dir.MakeDir("locked");
    const std::string inLocked = dir.Write("locked/x.ini", "[a]\nk=keep\n");
    CConfigFile other;
    ASSERT_EQ(other.Load(inLocked.c_str()), 1);
    other.SetValue("k", "lost", "a");
    chmod(locked.c_str(), 0500);
    if (geteuid() != 0) {
        EXPECT_EQ(other.Save(), 0);
        EXPECT_FALSE(other.GetLastError().IsEmpty());
        EXPECT_EQ(TempDir::Read(inLocked), "[a]\nk=keep\n");
    }
    chmod(locked.c_str(), 0755);
}

TEST(CConfigFile, MissingFilesAndEmptyPath) {
    TempDir dir;
    CConfigFile file;
    EXPECT_EQ(file.Save(), 0);  // no path yet
    const std::string missing = dir.File("missing.ini");
    EXPECT_EQ(file.Load(missing.c_str()), 0);
    EXPECT_EQ(S(file.GetPath()), missing);
    EXPECT_EQ(file.GetEntryCount(), 0);
    EXPECT_EQ(file.SaveAs(dir.File("no/such/folder.ini").c_str()), 0);
    EXPECT_EQ(file.ImportDefines(dir.File("none.h").c_str(), dir.File("o.ini").c_str()), 0);
    EXPECT_NE(access(dir.File("o.ini").c_str(), F_OK), 0);
}

TEST(CConfigFile, ImportDefinesRenamesCommonKeys) {
    TempDir dir;
    const std::string ini = dir.Write("lang.ini", "[common]\nIDS_X=hello\nIDS_Y=world\nIDS_Z=z\n[other]\nIDS_X=o\n");
    const std::string header = dir.Write("resource.h",
                                         "  #define IDS_X 3001  \n"
                                         "#define  IDS_Y 3002\n"
                                         "#DEFINE ids_z 3003 extra\n"
                                         "int x;\n");
    CConfigFile file;
    ASSERT_EQ(file.Load(ini.c_str()), 1);
    const std::string out = dir.File("out.ini");
    ASSERT_EQ(file.ImportDefines(header.c_str(), out.c_str()), 1);
    EXPECT_EQ(TempDir::Read(out),
              "#Zentry配置管理工具\n\n[common]\n3001=hello\nIDS_Y=world\n3003=z\n\n[other]\nIDS_X=o\n");
}

TEST(CConfigFile, LongLineContinues) {
    TempDir dir;
    const std::string path = dir.Write("long.ini", "[s]\n" + std::string(1024, 'p') + "a=1\n");
    CConfigFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
    // The first 1024 characters are a line of their own (without '='); the
    // rest is read as the next line.
    EXPECT_EQ(S(file.GetValue("a", "s")), "1");
    EXPECT_EQ(file.GetEntryCount(), 1);
}

}  // namespace
