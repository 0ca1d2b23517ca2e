// The binding of the report library: the real libTaverix.so of the build,
// libraries that lack an export, and none at all.
#include "CReportDll.h"
#include "Taverix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

// The binding's pointer types are those the library declares.
static_assert(std::is_same_v<CReportDll::ReportFn, decltype(&report)>);
static_assert(std::is_same_v<CReportDll::GetVarFn, decltype(&get_var)>);
static_assert(std::is_same_v<CReportDll::AddVarsFn, decltype(&add_vars)>);
static_assert(std::is_same_v<CReportDll::AddTableFn, decltype(&add_table)>);
static_assert(std::is_same_v<CReportDll::AddTableFileFn, decltype(&add_table_file)>);
static_assert(std::is_same_v<CReportDll::AddCustomScriptFn, decltype(&add_custom_script)>);
static_assert(std::is_same_v<CReportDll::ResetFn, decltype(&reset)>);
static_assert(std::is_same_v<CReportDll::SetMessageHandlerFn, decltype(&set_message_handler)>);
static_assert(CReportDll::kVarBuffer == TAVERIX_VAR_BUFFER);

QString WriteScript(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

QStringList Calls(const QTemporaryDir& dir) {
    QFile file(dir.filePath("calls.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

TEST(ReportDll, TheBuiltLibraryBindsFromTheProgramFolderAndReadsAScriptsQuery) {
    EXPECT_EQ(CReportDll::LibraryPath(), QStringLiteral(ZENTRY_BIN_DIR "/libTaverix.so"));
    QTemporaryDir dir;
    const QString script = WriteScript(dir, "q.lua", "report_name = \"x\"\nquery = \"select 1 where {BG_STATUS = 'a'}\"\n");

    CReportDll dll;
    ASSERT_TRUE(dll.Bind(CReportDll::LibraryPath())) << dll.LastError().toStdString();
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_TRUE(dll.m_report && dll.m_addVars && dll.m_addTable && dll.m_addTableFile && dll.m_addCustomScript &&
                dll.m_reset && dll.m_getVar);
    std::vector<char> buffer(CReportDll::kVarBuffer, 0);
    EXPECT_EQ(dll.GetVar(script, "query", buffer.data()), 0);
    EXPECT_STREQ(buffer.data(), "select 1 where {BG_STATUS = 'a'}");
    EXPECT_EQ(dll.GetVar(dir.filePath("missing.lua"), "query", buffer.data()), -1);
    EXPECT_EQ(dll.AddVars("calc_date", "2026-01-02"), 0);
    EXPECT_EQ(dll.AddTable("table", "A\x01\x02"), 0);
    EXPECT_EQ(dll.AddTable("not a name", "A\x01\x02"), -1);
    EXPECT_EQ(dll.Reset(), 0);

    // The engine's messages reach the handler while a report runs: here a
    // script whose template does not open.
    const QString broken =
        WriteScript(dir, "broken.lua", "template_file = \"" + dir.filePath("none.xlsx").toUtf8() + "\"\n");
    QStringList messages;
    dll.SetMessageHandler([&messages](const QString& text) { messages << text; });
    EXPECT_EQ(dll.Report(broken), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(dir.filePath("none.xlsx"))) << messages[0].toStdString();

    dll.Free();
    EXPECT_FALSE(dll.IsLoaded());
    // Nothing points into the unloaded library.
    EXPECT_EQ(dll.GetVar(script, "query", buffer.data()), -1);
    EXPECT_EQ(dll.Report(script), -1);
    dll.Free();  // a second Free is harmless
}

TEST(ReportDll, AMissingLibraryIsAnErrorValueNotACrash) {
    QTemporaryDir dir;
    CReportDll dll;
    EXPECT_FALSE(dll.Bind(dir.filePath("libTaverix.so")));
    EXPECT_FALSE(dll.LastError().isEmpty());
    EXPECT_FALSE(dll.IsLoaded());
    std::vector<char> buffer(CReportDll::kVarBuffer, 0);
    EXPECT_EQ(dll.GetVar("x.lua", "query", buffer.data()), -1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(dll.AddVars("calc_date", "2026-01-02"), -1);
    EXPECT_EQ(dll.AddTable("table", "x"), -1);
    EXPECT_EQ(dll.Report("x.lua"), -1);
    EXPECT_EQ(dll.Reset(), -1);
    EXPECT_FALSE(dll.Bind(QString()));
    // A file that is no library.
    const QString junk = WriteScript(dir, "junk.so", "not a library");
    EXPECT_FALSE(dll.Bind(junk));
    EXPECT_FALSE(dll.IsLoaded());
}

TEST(ReportDll, OnlyAddTableFileMayBeMissing) {
    QTemporaryDir log;
    qputenv("PARTIAL_TAVERIX_LOG", QFile::encodeName(log.path()));
    {
        CReportDll dll;
        EXPECT_TRUE(dll.Bind(NO_TABLE_FILE_LIBRARY)) << dll.LastError().toStdString();
        EXPECT_EQ(dll.m_addTableFile, nullptr);
    }
    // Without reset the binding fails, yet the entry points it found work.
    CReportDll dll;
    EXPECT_FALSE(dll.Bind(NO_RESET_LIBRARY));
    EXPECT_TRUE(dll.LastError().contains("reset")) << dll.LastError().toStdString();
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_EQ(dll.Reset(), -1);
    EXPECT_EQ(dll.AddVars("calc_date", "2026-01-02"), 0);
    EXPECT_EQ(dll.AddTable("table", "t"), 0);
    EXPECT_EQ(dll.Report("s.lua"), 0);
    EXPECT_EQ(Calls(log), (QStringList{"add_vars calc_date 2026-01-02", "add_table table t", "report s.lua -"}));
    qunsetenv("PARTIAL_TAVERIX_LOG");
}

}  // namespace
