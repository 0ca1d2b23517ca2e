// The report run on an engine object: script, template, queued inputs,
// init and report, placeholders, save, and every way it can fail.
#include "ExcelFile.h"
#include "MessageSink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> g_messages;

void Collect(const char* text) {
    g_messages.push_back(text);
}

class ReportRun : public ::testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        SetMessageHandler(Collect);
        templatePath = dir.File("template.xlsx");
        std::string output;
        ASSERT_EQ(0, RunPython("import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\nws.title = 'Report {date}'\n"
                               "ws['A1'] = 'Bugs on {date}'\nws['B1'] = '{count}'\nws['A2'] = 'ID'\n"
                               "wb.create_sheet('Notes')['C3'] = 'by {who}'\nwb.save('" +
                                   templatePath + "')\n",
                               &output))
            << output;
    }
    void TearDown() override { SetMessageHandler(nullptr); }

    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.File(name);
        WriteFile(path, body);
        return path;
    }
    std::string Header(const std::string& dest) {
        return "template_file = '" + templatePath + "'\ndest_file = '" + dest + "'\nopen_file = '0'\n";
    }
    std::string Check(const std::string& path, const std::string& checks) {
        std::string output;
        const int rc = RunPython("import openpyxl\nwb = openpyxl.load_workbook('" + path + "')\n" + checks +
                                     "\nprint('ok')\n",
                                 &output);
        return rc == 0 ? std::string() : output;
    }

    TempDir dir;
    std::string templatePath;
    ExcelFile engine;
};

TEST_F(ReportRun, AppliesQueuedInputsAfterInitAndBeforeReport) {
    const std::string out = dir.File("out.xlsx");
    const std::string script = Script("r.lua", Header(out) + R"(
function init()
  seen_in_init = tostring(calc_date)
end
function report()
  obj:LoadSheetIdx(1)
  obj:SetCell(2, 2, seen_in_init)
  obj:SetCell(2, 3, calc_date)
  obj:SetCell(2, 4, custom)
  obj:SetTable(3, 1, bugs, 1)
  obj:SetCell(2, 5, sinfo_1 ~= nil and 'sinfo' or 'none')
  obj:SetCell(2, 6, tostring(bugs._count) .. '/' .. tostring(later._count))
  obj:AddReplace('{date}', calc_date)
  obj:AddReplace('{count}', tostring(bugs._count))
  obj:AddReplace('{who}', 'tester')
end
)");
    engine.QueueVariable("calc_date", "2026-12-10");
    engine.QueueScript("custom = 'from a chunk'");
    engine.QueueTable("bugs", "ID\x01Title\x02" "1\x01" "crash\x02" "2\x01" "hang\x02");
    engine.QueueTable("later", "X\x02" "1\x02");
    ASSERT_TRUE(engine.TaverixRun(script.c_str())) << (g_messages.empty() ? "" : g_messages[0]);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ("", Check(out, R"(
ws = wb.worksheets[0]
assert wb.sheetnames == ["Report 2026-12-10", "Notes"], wb.sheetnames
assert ws["A1"].value == "Bugs on 2026-12-10" and ws["B1"].value == 2, (ws["A1"].value, ws["B1"].value)
assert ws["B2"].value == "nil", ws["B2"].value
assert ws["C2"].value == "2026-12-10" and ws["D2"].value == "from a chunk"
assert [c.value for c in ws[3]][:2] == ["ID", "Title"]
assert [c.value for c in ws[4]][:2] == [1, "crash"] and [c.value for c in ws[5]][:2] == [2, "hang"]
assert ws["E2"].value == "sinfo" and ws["F2"].value == "2/1"
assert wb["Notes"]["C3"].value == "by tester"
)"));

    // The queues survive the run; a second run sees the same inputs, after
    // reset none. Each run starts from a fresh state.
    const std::string second = Script("again.lua", Header(dir.File("again.xlsx")) + R"(
function report()
  obj:LoadSheetIdx(1)
  obj:SetCell(1, 1, tostring(calc_date) .. ' ' .. tostring(seen_in_init))
end
)");
    ASSERT_TRUE(engine.TaverixRun(second.c_str()));
    EXPECT_EQ("", Check(dir.File("again.xlsx"), "assert wb.worksheets[0]['A1'].value == '2026-12-10 nil'"));
    engine.ResetQueues();
    ASSERT_TRUE(engine.TaverixRun(second.c_str()));
    EXPECT_EQ("", Check(dir.File("again.xlsx"), "assert wb.worksheets[0]['A1'].value == 'nil nil'"));
}

TEST_F(ReportRun, FailuresEndTheRunWithFalseAndAMessage) {
    struct Case {
        const char* name;
        std::string body;
        const char* message;  // part of the message shown, "" for none
    } cases[] = {
        {"syntax.lua", Header(dir.File("s.xlsx")) + "function report(\n", "syntax.lua"},
        {"toplevel.lua", Header(dir.File("t.xlsx")) + "error('top level fails')\n", "top level fails"},
        {"notemplate.lua", "dest_file = '" + dir.File("n.xlsx") + "'\nfunction report() end\n", ""},
        {"missing.lua", "template_file = '" + dir.File("nothere.xlsx") + "'\ndest_file = '" +
                            dir.File("m.xlsx") + "'\n",
         "打开报表模板失败，请确定文件 \""},
        {"corrupt.lua", "template_file = '" + dir.File("r.lua") + "'\ndest_file = '" + dir.File("c.xlsx") + "'\n",
         "打开报表模板失败"},
        {"badsave.lua", Header(dir.File("no/folder/b.xlsx")) + "function report() end\n", ""},
        {"reporterror.lua", Header(dir.File("e.xlsx")) + "function report() error('inside report') end\n", ""},
        {"objgone.lua", Header(dir.File("o.xlsx")) + "function report() obj = 5 end\n", ""},
    };
    Script("r.lua", "this is not a workbook");
    for (const Case& c : cases) {
        g_messages.clear();
        const std::string script = Script(c.name, c.body);
        EXPECT_FALSE(engine.TaverixRun(script.c_str())) << c.name;
        if (*c.message) {
            ASSERT_EQ(1u, g_messages.size()) << c.name;
            EXPECT_NE(std::string::npos, g_messages[0].find(c.message)) << c.name << ": " << g_messages[0];
        }
    }
    EXPECT_FALSE(FileExists(dir.File("s.xlsx")));
    EXPECT_FALSE(FileExists(dir.File("m.xlsx")));
    EXPECT_FALSE(FileExists(dir.File("c.xlsx")));
    EXPECT_FALSE(FileExists(dir.File("no")));
    // An error inside report still saves what was filled, but the run fails.
    EXPECT_TRUE(FileExists(dir.File("e.xlsx")));
    EXPECT_FALSE(engine.TaverixRun(nullptr));
    EXPECT_FALSE(engine.TaverixRun(dir.File("absent.lua").c_str()));
}

TEST_F(ReportRun, RelativePathsAndDefaultsAndBadTableNames) {
    // Relative paths are taken from the host program's folder; this test
    // program's folder is writable, so a bare file name lands there.
    const std::string name = "zreport-relative-" + std::to_string(getpid()) + ".xlsx";
    const std::string script = Script("rel.lua", "template_file = '" + templatePath + "'\ndest_file = '" + name +
                                                     "'\nfunction report() obj:LoadSheetIdx(1) "
                                                     "obj:SetCell(1, 1, dest_file) end\n");
    engine.QueueTable("not a name", "A\x02");
    engine.QueueTable("end", "A\x02");
    engine.QueueTable("good_1", "A\x02" "x\x02");
    EXPECT_FALSE(engine.TaverixRun(script.c_str()));  // the bad names fail the run
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    std::string folder(self);
    folder.resize(folder.rfind('/'));
    const std::string written = folder + "/" + name;
    ASSERT_TRUE(FileExists(written));
    EXPECT_EQ("", Check(written, "assert wb.worksheets[0]['A1'].value == '" + written + "'"));
    unlink(written.c_str());
}

TEST_F(ReportRun, EachQueuedTableIsBuiltByAPrintedChunk) {
    const std::string out = dir.File("chunks.xlsx");
    const std::string later = dir.File("later.xlsx");
    // The report function names its output from a queued input; the run's
    // tables may be deleted by the script like any object made with new.
    const std::string script = Script("chunks.lua", Header(out) + R"(
function report()
  obj:LoadSheetIdx(1)
  obj:SetCell(1, 1, a:vs(0, 'X') .. b:vs(0, 'Y') .. #sinfo_1 .. #sinfo_2)
  a:delete()
  b:delete()
  dest_file = target
end
)");
    engine.QueueVariable("target", later.c_str());
    engine.QueueTable("a", "X\x02" "1\x02");
    engine.QueueTable("b", "Y\x02" "2\x02");
    testing::internal::CaptureStdout();
    const bool ran = engine.TaverixRun(script.c_str());
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ran);
    EXPECT_EQ("a = CTable:new()\na:fromString(sinfo_1)\n\nb = CTable:new()\nb:fromString(sinfo_2)\n\n", printed);
    EXPECT_FALSE(FileExists(out));
    EXPECT_EQ("", Check(later, "assert wb.worksheets[0]['A1'].value == 1244"));
}

TEST_F(ReportRun, ScriptsStartRunsOfTheirOwnButCannotRecurseForever) {
    const std::string inner = Script("inner.lua", Header(dir.File("inner.xlsx")) +
                                                      "function report() obj:LoadSheetIdx(1) obj:SetCell(1, 1, 'inner') end\n");
    const std::string outer = Script("outer.lua", Header(dir.File("outer.xlsx")) + "function report()\n"
                                                      "  local other = ExcelFile()\n"
                                                      "  obj:LoadSheetIdx(1)\n"
                                                      "  obj:SetCell(1, 1, tostring(other:TaverixRun('" + inner + "')))\n"
                                                      "end\n");
    ASSERT_TRUE(engine.TaverixRun(outer.c_str()));
    EXPECT_EQ("", Check(dir.File("inner.xlsx"), "assert wb.worksheets[0]['A1'].value == 'inner'"));
    EXPECT_EQ("", Check(dir.File("outer.xlsx"), "assert wb.worksheets[0]['A1'].value is True"));

    // A script that runs itself again and again stops at a fixed depth.
    const std::string self = dir.File("self.lua");
    Script("self.lua", Header(dir.File("self.xlsx")) + "function report()\n"
                                                        "  depth = ExcelFile():TaverixRun('" + self + "')\n"
                                                        "  obj:LoadSheetIdx(1) obj:SetCell(1, 1, tostring(depth))\n"
                                                        "end\n");
    EXPECT_TRUE(engine.TaverixRun(self.c_str()));
    EXPECT_EQ("", Check(dir.File("self.xlsx"), "assert wb.worksheets[0]['A1'].value is True"));
}

}  // namespace
