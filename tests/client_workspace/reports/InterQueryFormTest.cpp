// The interactive query view against a real lumenolite with the demo
// database and the built libTaverix.so: the shipped status report picked
// from the list, a condition set, Report pressed, and the workbook the
// library wrote read back with openpyxl; a library that is missing.
#include "CInterQueryForm.h"
#include "CReportListDlg.h"
#include "CReportPageDlg.h"
#include "CResultGrid.h"
#include "ClientFixtures.h"
#include "Helpers.h"
#include "ProgramDirOverride.h"
#include "QtText.h"
#include "WorkbookReader.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char kStatusReport[] = "缺陷状态报表";

// HOME, where the status report writes its workbook, points elsewhere.
class CHomeOverride {
public:
    explicit CHomeOverride(const QString& folder) : m_old(qgetenv("HOME")) {
        qputenv("HOME", QFile::encodeName(folder));
    }
    ~CHomeOverride() { qputenv("HOME", m_old); }

private:
    QByteArray m_old;
};

class InterQueryFormTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }
    void SetUp() override {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(ctx)) << answerer.Joined().toStdString();
        ASSERT_TRUE(home.isValid());
    }
    // A double click on the list entry of that name, as a user picks it.
    static bool Pick(CInterQueryForm& view, const QString& name) {
        QListWidget* list = view.ReportList()->List();
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        if (items.size() != 1) return false;
        const QPoint at = list->visualItemRect(items[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        return true;
    }
    template <typename T>
    static T* Field(CInterQueryForm& view, const QString& name) {
        return qobject_cast<T*>(view.Panel().FindControl(name));
    }
    QString ReportPath() const {
        return home.filePath(QStringLiteral("bug_status_%1.xlsx").arg(ToQt(TodayText())));
    }

    CModalAnswerer answerer;
    CAppContext ctx;
    QTemporaryDir home;
};

TEST_F(InterQueryFormTest, OpensWithTheScriptListBesideTheGrid) {
    CInterQueryForm view(ctx);
    view.resize(1000, 700);
    view.show();
    EXPECT_EQ(view.objectName(), "1059");
    ASSERT_EQ(view.Tabs()->count(), 2);
    EXPECT_EQ(view.Tabs()->tabText(0), "Reports");
    EXPECT_EQ(view.Tabs()->tabText(1), "Pages");
    EXPECT_EQ(view.Tabs()->geometry(), QRect(0, 0, 165, 700));
    EXPECT_EQ(view.Grid()->geometry(), QRect(165, 300, 835, 400));
    EXPECT_EQ(view.ScriptText()->geometry(), QRect(167, 120, 833, 580));
    EXPECT_FALSE(view.ScriptText()->isVisible());
    EXPECT_TRUE(view.ScriptText()->isReadOnly());
    EXPECT_TRUE(view.Grid()->isVisible());
    EXPECT_EQ(view.ReportButton()->text(), "Report");
    EXPECT_EQ(view.GoButton()->text(), "go");
    EXPECT_FALSE(view.ReportList()->List()->findItems(kStatusReport, Qt::MatchExactly).isEmpty());
    EXPECT_EQ(view.ReportPage()->List()->count(), 0);
    EXPECT_EQ(view.ScriptPath(), CReportListDlg::ScriptFolder() + "/bug_status.lua");
    // Nothing is built before a script is picked.
    EXPECT_EQ(view.Panel().GetFieldCount(), 0);

    view.resize(1200, 800);
    EXPECT_EQ(view.Tabs()->geometry(), QRect(0, 0, 165, 800));
    EXPECT_EQ(view.Grid()->geometry(), QRect(165, 300, 1035, 500));
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

TEST_F(InterQueryFormTest, TheStatusReportWritesTheChosenDefectsToItsWorkbook) {
    CHomeOverride homeDir(home.path());
    CInterQueryForm view(ctx);
    view.resize(1100, 700);
    view.show();
    ASSERT_TRUE(Pick(view, kStatusReport));
    EXPECT_EQ(view.ScriptPath(), CReportListDlg::ScriptFolder() + "/bug_status.lua");
    EXPECT_TRUE(view.ScriptText()->toPlainText().contains("report_name=\"缺陷状态报表\""));

    // The date and status conditions of the script's query template.
    auto* date = Field<QLineEdit>(view, "BG_DETECTION_DATE");
    auto* status = Field<QComboBox>(view, "BG_STATUS");
    ASSERT_TRUE(date && status) << answerer.Joined().toStdString();
    EXPECT_EQ(date->text(), "2008-01-01");
    EXPECT_EQ(status->currentText(), "----------");
    status->setCurrentText("03-Closed");
    date->setText("2008-02-01");
    SaveScreenshot(view, "inter_query_status_report");

    QTest::mouseClick(view.ReportButton(), Qt::LeftButton);
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
    SaveScreenshot(view, "inter_query_status_report_run");

    const QStringList expected = CDemoServer::Rows(
        ctx, "select BG_BUG_ID, BG_SUMMARY, BG_STATUS, BG_SEVERITY, BG_RESPONSIBLE, BG_DETECTION_DATE from t_bug "
             "where BG_DETECTION_DATE >= '2008-02-01' and BG_STATUS = '03-Closed' order by BG_BUG_ID");
    ASSERT_GT(expected.size(), 0);
    ASSERT_EQ(view.Grid()->RowCount(), expected.size());

    const CWorkbookCells book = ReadWorkbook(ReportPath());
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.sheets, QStringList{"缺陷状态"});
    EXPECT_EQ(book.Cell(0, 0).toString(), kStatusReport);
    EXPECT_EQ(book.Cell(1, 0).toString(), "统计日期: " + ToQt(TodayText()));
    EXPECT_EQ(book.Cell(1, 2).toString(), QStringLiteral("共 %1 个缺陷").arg(expected.size()));
    EXPECT_EQ(book.Cell(2, 0).toString(), "编号");
    ASSERT_EQ(book.RowCount(), 3 + expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        const QStringList values = expected[r].split('|');
        for (int c = 0; c < values.size(); ++c) {
            const QJsonValue cell = book.Cell(3 + r, c);
            const QString text = cell.isDouble() ? QString::number(cell.toDouble()) : cell.toString();
            EXPECT_EQ(text, values[c]) << "row " << r << " column " << c;
        }
    }
}

TEST_F(InterQueryFormTest, PickingAnotherScriptBuildsItsPanelAndReportsItsFailure) {
    QTemporaryDir program;
    const QString folder = program.filePath("report/predefine");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(ZENTRY_BIN_DIR "/libTaverix.so", program.filePath("libTaverix.so")));
    ASSERT_TRUE(WriteText(folder + "/open.lua",
                          "report_name=\"Open defects\"\n"
                          "query = \"select BG_BUG_ID from t_bug where {BG_SEVERITY = 'x'} order by 1\"\n"
                          "template_file = \"" +
                              folder.toStdString() + "/none.xlsx\"\n"));
    CProgramDirOverride programDir(program.path());
    CInterQueryForm view(ctx);
    view.show();
    ASSERT_TRUE(Pick(view, "Open defects"));
    EXPECT_EQ(view.ScriptPath(), folder + "/open.lua");
    EXPECT_EQ(view.Panel().GetFieldCount(), 2);
    ASSERT_TRUE(Field<QComboBox>(view, "BG_SEVERITY"));
    Field<QComboBox>(view, "BG_SEVERITY")->setCurrentText("00-高");

    // The rows are shown; the engine's own message says what failed.
    EXPECT_FALSE(view.OnReport());
    EXPECT_EQ(view.Grid()->RowCount(),
              s_server->Count(ctx, "select count(*) from t_bug where BG_SEVERITY = '00-高'"));
    ASSERT_EQ(answerer.m_texts.size(), 1) << answerer.Joined().toStdString();
    EXPECT_TRUE(answerer.m_texts[0].contains("none.xlsx")) << answerer.Joined().toStdString();
}

TEST_F(InterQueryFormTest, AMissingReportLibraryIsAnErrorNotACrash) {
    QTemporaryDir program;
    const QString folder = program.filePath("report/predefine");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString shipped = QStringLiteral(ZENTRY_BIN_DIR "/report/predefine/");
    ASSERT_TRUE(QFile::copy(shipped + "bug_status.lua", folder + "/bug_status.lua"));
    ASSERT_TRUE(QFile::copy(shipped + "bug_status.xlsx", folder + "/bug_status.xlsx"));
    const QString library = program.filePath("libTaverix.so");
    ASSERT_TRUE(QFile::link(ZENTRY_BIN_DIR "/libTaverix.so", library));
    CProgramDirOverride programDir(program.path());
    CHomeOverride homeDir(home.path());

    {
        // The library goes away between the panel and the report.
        CInterQueryForm view(ctx);
        view.show();
        ASSERT_TRUE(Pick(view, kStatusReport));
        ASSERT_EQ(view.Panel().GetFieldCount(), 4);
        ASSERT_TRUE(QFile::remove(library));
        EXPECT_FALSE(view.OnReport());
        EXPECT_GT(view.Grid()->RowCount(), 0) << "the query ran";
        ASSERT_EQ(answerer.m_texts.size(), 1);
        EXPECT_TRUE(answerer.m_texts[0].startsWith("报表生成失败")) << answerer.Joined().toStdString();
        EXPECT_TRUE(answerer.m_texts[0].contains("libTaverix.so")) << answerer.Joined().toStdString();
        EXPECT_FALSE(QFile::exists(ReportPath()));
    }
    answerer.m_texts.clear();
    {
        // Without the library there is no template to build the panel from.
        CInterQueryForm view(ctx);
        view.show();
        ASSERT_TRUE(Pick(view, kStatusReport));
        EXPECT_EQ(view.Panel().GetFieldCount(), 0);
        ASSERT_EQ(answerer.m_texts.size(), 1);
        EXPECT_TRUE(answerer.m_texts[0].startsWith("无法加载报表库")) << answerer.Joined().toStdString();
        EXPECT_FALSE(view.OnReport());
        ASSERT_EQ(answerer.m_texts.size(), 2);
        EXPECT_TRUE(answerer.m_texts[1].contains("没有查询")) << answerer.Joined().toStdString();
        EXPECT_FALSE(QFile::exists(ReportPath()));
    }
}

TEST_F(InterQueryFormTest, GoLaysOutTheDefaultDateAndStatusFields) {
    CInterQueryForm view(ctx);
    view.resize(1000, 700);
    view.show();
    QTest::mouseClick(view.GoButton(), Qt::LeftButton);
    const std::vector<CFormField>& fields = view.Panel().Fields();
    ASSERT_EQ(fields.size(), 6u);
    const struct {
        const char* name;
        int left;
    } cases[] = {
        {"BG_DETECTION_DATE", 250}, {"BG_DETECTION_DATE_ST", 170},
        // Not in the column table: an edit box of the common size.
        {"BG_DETECTION_DATE2", 482}, {"BG_DETECTION_DATE2_ST", 402},
        {"BG_STATUS", 714}, {"BG_STATUS_ST", 634},
    };
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].m_name.toStdString(), cases[i].name);
        EXPECT_EQ(fields[i].m_rect.left, cases[i].left) << cases[i].name;
        EXPECT_EQ(fields[i].m_rect.top, i % 2 ? 9 : 6) << cases[i].name;
        EXPECT_TRUE(fields[i].m_control && fields[i].m_control->isVisible()) << cases[i].name;
    }
    auto* status = Field<QComboBox>(view, "BG_STATUS");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->currentText(), "----------");
    EXPECT_TRUE(view.Panel().Tokens().Tokens().isEmpty());
    SaveScreenshot(view, "inter_query_go");
}

}  // namespace
