// The report list: the scripts of report/predefine beside the program,
// listed by their report_name; a double click picks one.
#include "CReportListDlg.h"
#include "ProgramDirOverride.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(ReportList, TheNameLineOfAScript) {
    QTemporaryDir dir;
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"report_name=\"缺陷状态报表\"\n", "缺陷状态报表"},
        {"  REPORT_NAME=Weekly list  \nreport_name=second\n", "Weekly list"},
        {"report_name=\"\"quoted twice\"\"\n", "quoted twice"},
        {"-- report_name=commented\nreport_name=after\n", "after"},
        // Blanks around the equals sign hide the name.
        {"report_name = \"spaced\"\n", "not find"},
        // A line of 10 characters is never the name line.
        {"report_name\nreport_nam=1\nreport_name=\n", ""},
        {"query = \"select 1\"\n", "not find"},
        {"", "not find"},
        {"report_name=a=b\n", "a"},
        {"report_name=\"x\"\r\nquery=1\r\n", "x"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("s%1.lua").arg(n++));
        Write(path, QByteArray(c.text));
        EXPECT_EQ(CReportListDlg::ReadReportName(path).toStdString(), c.name) << c.text;
    }
    EXPECT_EQ(CReportListDlg::ReadReportName(dir.filePath("missing.lua")), "no name");
}

TEST(ReportList, ListsTheScriptsSortedAndPicksEachOnce) {
    QTemporaryDir program;
    CProgramDirOverride programDir(program.path());
    {
        CReportListDlg empty;  // no report/predefine folder
        EXPECT_EQ(empty.List()->count(), 0);
    }
    const QString folder = program.filePath("report/predefine");
    ASSERT_TRUE(QDir().mkpath(folder));
    Write(folder + "/b.lua", "report_name=Beta\nquery=\"b\"\n");
    Write(folder + "/a.lua", "report_name=Zeta\n");
    Write(folder + "/c.lua", "query=\"no name line\"\n");
    Write(folder + "/notes.txt", "report_name=not a script\n");
    CReportListDlg list;
    ASSERT_EQ(list.List()->count(), 3);
    EXPECT_EQ(list.List()->item(0)->text(), "Beta");
    EXPECT_EQ(list.List()->item(1)->text(), "Zeta");
    EXPECT_EQ(list.List()->item(2)->text(), "not find");
    // Sorted by name, each entry still knows its own script.
    EXPECT_EQ(CReportListDlg::PathOf(list.List()->item(1)), folder + "/a.lua");

    QSignalSpy picked(&list, &CReportListDlg::ReportPicked);
    list.OnSelectReport();  // nothing selected
    EXPECT_EQ(picked.count(), 0);
    list.List()->setCurrentRow(0);
    list.OnSelectReport();
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].toString(), folder + "/b.lua");
    EXPECT_EQ(picked[0][1].toString(), "report_name=Beta\nquery=\"b\"\n");
    EXPECT_EQ(list.PickedPath(), folder + "/b.lua");
    list.OnSelectReport();  // the same entry again
    EXPECT_EQ(picked.count(), 1);
    list.List()->setCurrentRow(1);
    list.OnSelectReport();
    EXPECT_EQ(picked.count(), 2);
}

}  // namespace
