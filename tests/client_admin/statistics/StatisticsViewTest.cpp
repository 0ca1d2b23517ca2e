// The statistics view offscreen against a real lumenolite with the demo
// database: the statements it sends, the counts it shows, its charts, tips,
// export and failures.
#include "CChartBuilder.h"
#include "CChartViewControl.h"
#include "CResultGrid.h"
#include "CStatisticsView.h"
#include "ClientFixtures.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLineSeries>
#include <QMap>
#include <QMouseEvent>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtMath>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A project whose name holds a quote, and a defect detected early today.
const char* const kExtraSql =
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_RESPONSIBLE,BG_DETECTED_BY,"
    "BG_SEVERITY,BG_PRIORITY,BG_DETECTION_DATE) VALUES "
    "(901,'01-Open','O''Brien','quoted project','li','chen','01-中','00-高','2008-07-01 10:00:00'),"
    "(902,'00-New','Demo','found today','wang','chen','01-中','00-高',"
    "date('now','localtime')||' 00:00:01');";

class StatisticsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(CDemoServer::SuiteOptions(kExtraSql))) << s_server->Output();
    }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(ctx));
        ctx.m_cacheDir = cache.path();
        view = std::make_unique<CQueryDefectForm>(ctx);
        view->resize(900, 520);
        view->StartDate()->setDate(QDate(2000, 1, 1));
    }
    // label -> count as the grid shows them.
    QMap<QString, int> Shown()
    {
        QMap<QString, int> shown;
        CResultGrid& grid = *view->Grid();
        for (int row = 0; row < grid.RowCount(); ++row)
            shown[grid.Model()->Text(row, 1)] = grid.Model()->Text(row, 2).toInt();
        return shown;
    }
    // label -> count straight from the database.
    QMap<QString, int> Counted(const QString& column, const QString& where)
    {
        CResultSet result;
        CListString error;
        const QString sql =
            QString("select %1,count(*) from t_bug where %2 group by %1").arg(column, where);
        EXPECT_GE(ctx.m_http.Select(sql.toUtf8().constData(), result, error), 0) << sql.toStdString();
        QMap<QString, int> counted;
        for (int row = 0; row < result.GetRowCount(); ++row)
            counted[ToQt(result.GetValueAt(row, 0))] = atoi(result.GetValueAt(row, 1).CStr());
        return counted;
    }
    void SavePng(QWidget& widget, const char* name) { EXPECT_TRUE(SaveScreenshot(widget, name)); }

    static std::unique_ptr<CDemoServer> s_server;
    CModalAnswerer answerer;
    QTemporaryDir cache;
    CAppContext ctx;
    std::unique_ptr<CQueryDefectForm> view;
};

std::unique_ptr<CDemoServer> StatisticsTest::s_server;

}  // namespace

TEST_F(StatisticsTest, StartsFilledAndRunsNothing)
{
    CQueryDefectForm fresh(ctx);
    QComboBox* project = fresh.ProjectCombo();
    ASSERT_GE(project->count(), 3);
    EXPECT_EQ(project->itemText(0), "----------");
    EXPECT_EQ(project->currentIndex(), 0);
    EXPECT_NE(project->findText("Demo"), -1);
    EXPECT_EQ(fresh.StatusCombo()->itemText(0), "----------");
    EXPECT_NE(fresh.StatusCombo()->findText("03-Closed"), -1);
    for (QComboBox* users : {fresh.ResponsibleCombo(), fresh.DetectorCombo()}) {
        EXPECT_EQ(users->itemText(0), "----------");
        EXPECT_EQ(users->findText("admin"), -1);
        EXPECT_NE(users->findText("zhang"), -1);
        EXPECT_EQ(users->currentIndex(), 0);
    }
    EXPECT_EQ(fresh.TypeCombo()->currentText(), "按用户统计缺陷数");
    EXPECT_EQ(fresh.ChartTypeCombo()->currentText(), "柱状图");
    EXPECT_TRUE(fresh.ThreeDBox()->isChecked());
    EXPECT_FALSE(fresh.LabelLayoutBox()->isChecked());

    // From the first day of the month three months back, at 01:01:01.
    const QDate today = QDate::currentDate();
    const QDate back = today.addMonths(-3);
    EXPECT_EQ(fresh.StartDate()->dateTime(), QDateTime(QDate(back.year(), back.month(), 1), QTime(1, 1, 1)));
    EXPECT_EQ(fresh.EndDate()->date(), today);
    EXPECT_TRUE(fresh.LastSql().isEmpty());
    EXPECT_EQ(fresh.Grid()->RowCount(), 0);
    EXPECT_EQ(fresh.ChartControl()->GetChart(), nullptr);

    // 207 picks the logged-in user as responsible.
    ctx.m_userName = "li";
    fresh.MeButton()->click();
    EXPECT_EQ(fresh.ResponsibleCombo()->currentText(), "li");
}

TEST_F(StatisticsTest, EveryStatisticCountsWhatTheDatabaseHolds)
{
    struct Case {
        int type;
        const char* column;
        const char* where;
    } cases[] = {
        {0, "BG_RESPONSIBLE", "1=1"},
        {1, "PRJ_NAME", "1=1"},
        {2, "BG_STATUS", "1=1"},
        {3, "PRJ_NAME", "BG_STATUS in ('00-New','01-Open','04-ReOpen','06-Delay','02-Fixed')"},
        {4, "BG_PRIORITY", "1=1"},
        {5, "BG_SEVERITY", "1=1"},
    };
    // The not-closed statistic ignores a closed status in the combo.
    SelectComboText(view->StatusCombo(), "03-Closed", 1);
    for (const Case& c : cases) {
        view->TypeCombo()->setCurrentIndex(c.type);
        if (c.type != 3) SelectComboText(view->StatusCombo(), "----------", 1);
        view->GridButton()->click();
        EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.m_texts.join("|").toStdString();
        EXPECT_TRUE(view->LastSql().startsWith("select " + QString(c.column) + " as "))
            << view->LastSql().toStdString();
        EXPECT_EQ(Shown(), Counted(c.column, c.where)) << c.column;
        EXPECT_FALSE(Shown().isEmpty()) << c.column;
        if (c.type == 3) SelectComboText(view->StatusCombo(), "03-Closed", 1);
    }
    EXPECT_EQ(view->Grid()->Model()->Caption(1), "----------");
    EXPECT_EQ(view->Grid()->Model()->Caption(2), "数量(个)");
}

TEST_F(StatisticsTest, FiltersNarrowTheCountsAndNameTheProject)
{
    view->TypeCombo()->setCurrentIndex(2);
    SelectComboText(view->ProjectCombo(), "Demo", 1);
    SelectComboText(view->ResponsibleCombo(), "zhang", 1);
    view->ChartButton()->click();
    EXPECT_EQ(Shown(), Counted("BG_STATUS", "PRJ_NAME='Demo' and BG_RESPONSIBLE='zhang'"));
    EXPECT_EQ(view->LastTitle(), "项目 \"Demo\" 不同缺陷状态数(单位个)");

    // A date range of one month of 2008.
    SelectComboText(view->ResponsibleCombo(), "----------", 1);
    view->StartDate()->setDate(QDate(2008, 3, 1));
    view->EndDate()->setDate(QDate(2008, 3, 31));
    view->ChartButton()->click();
    EXPECT_EQ(Shown(), Counted("BG_STATUS", "PRJ_NAME='Demo' and BG_DETECTION_DATE>='2008-03-01' and "
                                            "BG_DETECTION_DATE<'2008-04-01'"));

    // A defect detected on the end day counts; a quote in a project is no error.
    view->TypeCombo()->setCurrentIndex(1);
    SelectComboText(view->ProjectCombo(), "----------", 1);
    view->StartDate()->setDate(QDate::currentDate());
    view->EndDate()->setDate(QDate::currentDate());
    view->GridButton()->click();
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    EXPECT_EQ(Shown().value("Demo"),
              Counted("PRJ_NAME", "BG_DETECTION_DATE>='" + today + "'").value("Demo"));
    EXPECT_EQ(Counted("PRJ_NAME", "BG_BUG_ID=902 and BG_DETECTION_DATE>='" + today + "'").value("Demo"), 1);
    view->ProjectCombo()->addItem("O'Brien");
    SelectComboText(view->ProjectCombo(), "O'Brien", 1);
    view->StartDate()->setDate(QDate(2000, 1, 1));
    view->GridButton()->click();
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.m_texts.join("|").toStdString();
    EXPECT_EQ(Shown(), (QMap<QString, int>{{"O'Brien", 1}}));
    EXPECT_EQ(view->LastTitle(), "项目 \"O'Brien\" 缺陷数(单位个)");
}

TEST_F(StatisticsTest, ButtonsRerunAndChooseWhatIsShown)
{
    view->show();
    view->ChartButton()->click();
    EXPECT_TRUE(view->ChartControl()->isVisible());
    EXPECT_FALSE(view->Grid()->isVisible());
    // The grid is renewed too while hidden.
    const QMap<QString, int> all = Shown();
    EXPECT_EQ(all, Counted("BG_RESPONSIBLE", "1=1"));
    EXPECT_EQ(view->ChartControl()->geometry(), QRect(0, 75, 900, 445));
    EXPECT_EQ(view->ChartControl()->ChartImage().size(), QSize(900, 445));

    SelectComboText(view->DetectorCombo(), "wang", 1);
    view->GridButton()->click();
    EXPECT_FALSE(view->ChartControl()->isVisible());
    EXPECT_TRUE(view->Grid()->isVisible());
    EXPECT_EQ(Shown(), Counted("BG_RESPONSIBLE", "BG_DETECTED_BY='wang'"));
    EXPECT_NE(Shown(), all);
    EXPECT_EQ(view->Grid()->geometry(), QRect(0, 75, 900, 445));

    // Nothing runs without a statistic chosen.
    const QString last = view->LastSql();
    view->TypeCombo()->setCurrentIndex(-1);
    EXPECT_FALSE(view->RunStatistic());
    EXPECT_EQ(view->LastSql(), last);
}

TEST_F(StatisticsTest, ChartKindsFollowTheChartTypeCombo)
{
    view->TypeCombo()->setCurrentIndex(5);  // by severity
    const QMap<QString, int> counted = Counted("BG_SEVERITY", "1=1");
    // Before any statistic a type chosen draws nothing.
    view->ChartTypeCombo()->setCurrentIndex(1);
    view->ChartTypeCombo()->setCurrentIndex(0);
    EXPECT_EQ(view->ChartControl()->GetChart(), nullptr);

    view->ChartButton()->click();
    QChart* chart = view->ChartControl()->GetChart();
    ASSERT_NE(chart, nullptr);
    auto* bars = qobject_cast<QBarSeries*>(chart->series().value(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->barSets().first()->count(), counted.size());
    EXPECT_EQ(view->LastTitle(), "不同严重情况缺陷数(单位个)");

    // A type chosen takes effect at once, without Chart pressed again.
    view->ChartTypeCombo()->setCurrentIndex(1);
    auto* line = qobject_cast<QLineSeries*>(view->ChartControl()->GetChart()->series().value(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->count(), counted.size());

    view->ChartTypeCombo()->setCurrentIndex(2);
    auto* pie = qobject_cast<QPieSeries*>(view->ChartControl()->GetChart()->series().value(0));
    ASSERT_NE(pie, nullptr);
    ASSERT_EQ(pie->count(), counted.size());
    int total = 0;
    for (int count : counted) total += count;
    // The tip over the first sector: its label and share.
    QPieSlice* first = pie->slices().first();
    const double angle = qDegreesToRadians(first->startAngle() + first->angleSpan() / 2);
    const QSize size = view->ChartControl()->ChartImage().size();
    const double radius = std::min(size.width(), size.height()) / 2.0 - 30;
    const QPointF at(size.width() / 2.0 + std::sin(angle) * radius / 2,
                     size.height() / 2.0 - std::cos(angle) * radius / 2);
    QMouseEvent move(QEvent::MouseMove, at, view->ChartControl()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->ChartControl(), &move);
    const QString label = first->label().section('\n', 0, 0);
    EXPECT_EQ(view->ChartControl()->TipText(),
              QString("%1:(%2%)").arg(label, QString::number(counted.value(label) * 100.0 / total, 'f', 2)));
}

TEST_F(StatisticsTest, ScreenshotsOfBarAndPieCharts)
{
    view->resize(1000, 600);
    view->show();
    view->ChartButton()->click();
    SavePng(*view, "statistics_bar");
    view->TypeCombo()->setCurrentIndex(2);
    view->ChartTypeCombo()->setCurrentIndex(2);
    view->ThreeDBox()->setChecked(false);
    view->ChartButton()->click();
    SavePng(*view, "statistics_pie");
    view->ChartTypeCombo()->setCurrentIndex(1);
    view->ChartButton()->click();
    SavePng(*view, "statistics_line");
    view->GridButton()->click();
    SavePng(*view, "statistics_grid");
}

TEST_F(StatisticsTest, EmptyResultsShowAnEmptyChartAndGrid)
{
    view->StartDate()->setDate(QDate(1990, 1, 1));
    view->EndDate()->setDate(QDate(1990, 12, 31));
    view->ChartButton()->click();
    EXPECT_TRUE(answerer.m_texts.isEmpty());
    EXPECT_EQ(view->Grid()->RowCount(), 0);
    ASSERT_NE(view->ChartControl()->GetChart(), nullptr);
    auto* bars = qobject_cast<QBarSeries*>(view->ChartControl()->GetChart()->series().value(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->barSets().first()->count(), 0);
    EXPECT_FALSE(QImage(view->Builder().ImagePath()).isNull());
}

TEST_F(StatisticsTest, AServerFailureIsShownAndTheLastResultStays)
{
    view->GridButton()->click();
    const QMap<QString, int> before = Shown();
    ASSERT_FALSE(before.isEmpty());
    QChart* chart = view->ChartControl()->GetChart();
    // A server no longer there.
    ctx.m_http.SetConnection("127.0.0.1", 1, "admin", "admin");
    view->TypeCombo()->setCurrentIndex(2);
    view->ChartButton()->click();
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_FALSE(answerer.m_texts.first().isEmpty());
    EXPECT_EQ(answerer.m_texts.first(), ToQt(ctx.m_lastError));
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(view->ChartControl()->GetChart(), chart);
}

TEST_F(StatisticsTest, ExportCopiesTheChartAndSaysSo)
{
    QTemporaryDir out;
    // Before any chart: the failure is said.
    EXPECT_FALSE(view->ExportTo(out.filePath("early.png")));
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_TRUE(answerer.m_texts.last().startsWith(ctx.Text(CQueryDefectForm::ExportFailedTextId)));
    EXPECT_FALSE(QFile::exists(out.filePath("early.png")));

    view->ChartButton()->click();
    // Over an existing file.
    {
        QFile old(out.filePath("chart.png"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    EXPECT_TRUE(view->ExportTo(out.filePath("chart.png")));
    EXPECT_EQ(answerer.m_texts.last(), "导出成功");
    EXPECT_EQ(QImage(out.filePath("chart.png")).size(), view->ChartControl()->ChartImage().size());
}

TEST_F(StatisticsTest, TheChartFitsItsViewAtEverySizeAndTheExportShowsTheSame)
{
    QTemporaryDir out;
    view->show();
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        view->resize(900, 520);
        view->ChartTypeCombo()->setCurrentIndex(kind);
        view->ChartButton()->click();
        const QString sql = view->LastSql();
        CChartViewControl& chart = *view->ChartControl();
        EXPECT_EQ(chart.ChartImage().size(), QSize(900, 520 - CQueryDefectForm::kTopArea));
        EXPECT_EQ(chart.size(), chart.ChartImage().size());

        // A smaller and a larger view: the same chart drawn again to fit,
        // without asking the server.
        for (const QSize& size : {QSize(640, 400), QSize(1200, 700)}) {
            view->resize(size);
            QApplication::processEvents();
            EXPECT_EQ(chart.ChartImage().size(), QSize(size.width(), size.height() - CQueryDefectForm::kTopArea));
            EXPECT_EQ(chart.size(), chart.ChartImage().size());
            EXPECT_EQ(view->LastSql(), sql);
            ASSERT_TRUE(view->ExportTo(out.filePath("chart.png")));
            EXPECT_EQ(QImage(out.filePath("chart.png")).convertToFormat(QImage::Format_ARGB32),
                      chart.ChartImage().convertToFormat(QImage::Format_ARGB32));
        }
        ASSERT_NE(chart.GetChart(), nullptr);
        EXPECT_EQ(chart.GetChart()->series().size(), kind == 1 ? 2 : 1);
    }
}
