// The menu entries: three .desktop files in "ZNT" under the applications
// folder, read back by the rules of the desktop entry format, and removed
// with any argument while other files keep the folder.
#include "SetupRun.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kEntries = {"release notes.desktop", "start.desktop", "stop.desktop"};

// A string value with its escapes (\s \n \t \r \\) undone.
std::string UnescapeString(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        const char c = value[++i];
        out.push_back(c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c);
    }
    return out;
}

// The arguments of an Exec value: string escapes first, then quoting
// (inside double quotes a backslash takes the next character), %% is %.
std::vector<std::string> ExecArguments(const std::string& value) {
    const std::string text = UnescapeString(value);
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '\\' && i + 1 < text.size()) current.push_back(text[++i]);
            else if (c == '"') inQuotes = false;
            else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') current.push_back(text[++i]);
            else current.push_back(c);
        } else if (c == '"') {
            inQuotes = any = true;
        } else if (c == ' ') {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current.push_back(c);
            any = true;
        }
    }
    if (any) args.push_back(current);
    return args;
}

std::string Value(const IniSections& sections, const std::string& key) {
    if (sections.size() != 1 || sections[0].first != "Desktop Entry") return "<no single [Desktop Entry]>";
    for (const auto& kv : sections[0].second)
        if (kv.first == key) return kv.second;
    return "<no " + key + ">";
}

TEST(SetupShortcuts, InstallMakesEntriesThatRunTheScriptsAndOpenTheNotes) {
    for (const std::string folder : {"zentry $erver? 1", "q\"b%c\\d`x`;y", "plain"}) {
        SetupRun run(folder);
        const SetupResult result = run.Run();
        EXPECT_EQ(0, result.exitCode) << folder;
        EXPECT_EQ("", result.output) << folder;
        // The applications folder did not exist: it is made with ZNT.
        ASSERT_EQ(kEntries, SetupRun::ListFolder(run.MenuFolder())) << folder;

        const struct {
            const char* file;
            const char* name;
            std::vector<std::string> exec;
        } expected[] = {
            {"start.desktop", "start", {run.ProgramFile("start.sh")}},
            {"stop.desktop", "stop", {run.ProgramFile("stop.sh")}},
            {"release notes.desktop", "release notes", {"xdg-open", run.ProgramFile("releasenotes.txt")}},
        };
        for (const auto& e : expected) {
            const IniSections entry = SetupRun::ReadIni(run.MenuFolder() + "/" + e.file);
            EXPECT_EQ("Application", Value(entry, "Type")) << folder << " " << e.file;
            EXPECT_EQ(e.name, UnescapeString(Value(entry, "Name"))) << folder << " " << e.file;
            EXPECT_EQ(e.exec, ExecArguments(Value(entry, "Exec"))) << folder << " " << e.file;
            EXPECT_EQ(run.ProgramDir(), UnescapeString(Value(entry, "Path"))) << folder << " " << e.file;
        }
    }
}

TEST(SetupShortcuts, InstallTwiceLeavesTheSameThreeEntries) {
    SetupRun run;
    ASSERT_EQ(0, run.Run().exitCode);
    const std::string start = SetupRun::ReadFile(run.MenuFolder() + "/start.desktop");
    ASSERT_EQ(0, run.Run().exitCode);
    EXPECT_EQ(kEntries, SetupRun::ListFolder(run.MenuFolder()));
    EXPECT_EQ(start, SetupRun::ReadFile(run.MenuFolder() + "/start.desktop"));
}

TEST(SetupShortcuts, RemoveDeletesTheEntriesAndTheirFolder) {
    SetupRun run;
    ASSERT_EQ(0, run.Run().exitCode);
    ASSERT_EQ(kEntries, SetupRun::ListFolder(run.MenuFolder()));

    const SetupResult result = run.Run({"-u"});
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("", result.output);
    EXPECT_FALSE(SetupRun::Exists(run.MenuFolder()));
    EXPECT_TRUE(SetupRun::Exists(run.ApplicationsDir()));
}

TEST(SetupShortcuts, AFolderHoldingOtherFilesStays) {
    SetupRun run;
    ASSERT_EQ(0, run.Run().exitCode);  // makes the folder
    ASSERT_TRUE(SetupRun::WriteFile(run.MenuFolder() + "/other.desktop", "[Desktop Entry]\n"));
    ASSERT_EQ(0, run.Run().exitCode);  // an existing folder stays as it was
    EXPECT_EQ(4u, SetupRun::ListFolder(run.MenuFolder()).size());

    EXPECT_EQ(0, run.Run({"-u"}).exitCode);
    EXPECT_EQ(std::vector<std::string>{"other.desktop"}, SetupRun::ListFolder(run.MenuFolder()));
    EXPECT_EQ("[Desktop Entry]\n", SetupRun::ReadFile(run.MenuFolder() + "/other.desktop"));
}

TEST(SetupShortcuts, RemoveWithNothingInstalledMakesNothing) {
    SetupRun run;
    const SetupResult result = run.Run({"x"});
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("", result.output);
    EXPECT_FALSE(SetupRun::Exists(run.ApplicationsDir()));
    EXPECT_FALSE(SetupRun::Exists(run.MenuFolder()));
}

}  // namespace
