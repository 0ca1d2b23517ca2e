// Defect list benchmark: a real lumenolite with the demo database and a
// project of 100 000 defects; the client's view lists it offscreen.
// Reference: the same rows fetched through the data client alone.
#include "CAppContext.h"
#include "CClientComposition.h"
#include "CDefectListGrid.h"
#include "CQueryConditionDlg.h"
#include "CZentryApp.h"
#include "CZentryView.h"
#include "MainFrame.h"
#include "ParamCoding.h"
#include "QtText.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kDefects = 100000;

const char* const kBenchSql =
    "INSERT INTO t_prj (PRJ_NAME,PRJ_CUSTOM_FIELD) VALUES ('Bench','');"
    "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('admin','Bench');"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_RESPONSIBLE,BG_DETECTED_BY,"
    "BG_SEVERITY,BG_DETECTION_DATE,BG_ATTACHMENT) "
    "SELECT 100000+i, CASE i%6 WHEN 0 THEN '00-New' WHEN 1 THEN '01-Open' WHEN 2 THEN '02-Fixed' "
    "WHEN 3 THEN '03-Closed' WHEN 4 THEN '05-Reject' ELSE '06-Delay' END, 'Bench', "
    "'bench defect number '||i||' with a summary of ordinary length', "
    "CASE i%3 WHEN 0 THEN 'zhang' WHEN 1 THEN 'li' ELSE 'chen' END, 'admin', '01-中', "
    "date('now','-1 day'), CASE WHEN i%7=0 THEN 1 ELSE 0 END FROM n;";

long PeakRssKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

bool StartServer(CServerFixture& server, std::string& settings)
{
    server.SetIni("common", "sep", "\\x01");
    server.SetIni("common", "line_sep", "\\x02");
    server.SetIni("common", "auth", "1");
    server.SetIni("common", "use_pass_encode", "1");
    if (!server.Prepare()) return false;
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" +
                             server.DatabasePath() + "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0 || !server.RunSql(kBenchSql)) return false;
    std::ofstream(server.Dir() + "/user_config.ini")
        << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach\n";
    settings = server.Dir() + "/korvandix.ini";
    std::ofstream(settings) << "[common]\nuser_name=admin\nuser_passwd=admin\n"
                               "[pstyle]\nfill_background=0\nlanguage=english\n"
                               "[bug]\nnew_color=RGB(0,0,255)\nfixed_color=RGB(0,128,0)\n"
                               "closed_color=RGB(128,128,128)\ndelay_color=RGB(255,128,0)\n"
                               "reject_color=RGB(255,0,0)\n";
    return server.Start();
}

// The same rows through select_prepare/select_next and CResultSet only.
double BareFetchMs(CAppContext& context, const QString& sql, int& rows)
{
    QElapsedTimer clock;
    clock.start();
    CHttpDataClient& http = context.m_http;
    CListString reply;
    CListString params("sql=");
    params.Append(EncodeParam(sql.toUtf8().constData()));
    rows = 0;
    if (!http.PerformCommand("select_prepare", params.CStr(), reply)) return -1;
    const QString id = ToQt(reply).trimmed();
    for (;;) {
        const QString next = QStringLiteral("id=%1&count=5000").arg(id);
        if (!http.PerformCommand("select_next", ToList(next).CStr(), reply)) break;
        CResultSet page;
        if ((reply.GetLength() >= 2 && reply.GetAt(0) == '-') || page.Parse(reply.CStr()) <= 0) break;
        rows += page.GetRowCount();
        if (page.GetRowCount() < 5000) break;
    }
    http.PerformCommand("select_finish", ToList("id=" + id).CStr(), reply);
    return clock.nsecsElapsed() / 1e6;
}

// Longest gap between ticks of a 5 ms timer: how long the window was blocked.
class CBlockMeter : public QObject {
public:
    CBlockMeter()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            const double now = m_clock.nsecsElapsed() / 1e6;
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void Start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double Stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_longest = 0;
};

// A message box would wait for a user: print its text and close it.
void CloseMessageBoxes(QObject* owner)
{
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, []() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("  message: %s\n", box->text().toUtf8().constData());
            box->done(QMessageBox::Ok);
        }
    });
    timer->start(50);
}

void Check(bool ok, const char* what, int& failures)
{
    if (!ok) {
        std::printf("  FAILED: %s\n", what);
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CloseMessageBoxes(&app);

    CServerFixture server("lumenolite");
    std::string settings;
    if (!StartServer(server, settings)) {
        std::printf("server did not start\n%s\n", server.Output().c_str());
        return 1;
    }
    CZentryApp zentry;
    CAppContext& context = zentry.m_context;
    context.m_settings.Load(settings.c_str());
    context.m_langTexts.Load((CServerFixture::BinDir() + "/lang/english.ini").c_str());
    CListString error;
    if (!context.m_http.Login("127.0.0.1", server.Port(), "admin", "admin", error) ||
        (context.m_userName = QStringLiteral("admin"), context.LoadMetadata() != 1)) {
        std::printf("login failed: %s\n", error.CStr());
        return 1;
    }
    context.m_currentProject = QStringLiteral("Demo");
    const long rssBefore = PeakRssKib();

    CClientComposition composition(zentry);
    const std::unique_ptr<CMainFrame> composed = composition.CreateMainFrame();
    CMainFrame& frame = *composed;
    frame.resize(1280, 900);
    frame.show();
    frame.SwitchView(101);
    auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
    QComboBox* projects = frame.ProjectCombo();
    if (!view || !projects || projects->findText("Bench") < 0) {
        std::printf("no defect list view or no project Bench\n");
        return 1;
    }
    QApplication::processEvents();
    CDefectListGrid& grid = *view->Grid();

    // Choosing the project in the tool bar, up to the first paint of the list.
    CBlockMeter meter;
    QElapsedTimer clock;
    clock.start();
    const int bench = projects->findText("Bench");
    projects->setCurrentIndex(bench);
    emit projects->activated(bench);  // as the user's choice
    grid.viewport()->repaint();
    const double firstScreenMs = clock.nsecsElapsed() / 1e6;
    const int firstRows = grid.RowCount();

    meter.Start();
    while (grid.IsPaging()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double pagingBlockMs = meter.Stop();
    const double wholeListMs = clock.nsecsElapsed() / 1e6;
    const int rows = grid.RowCount();

    // Scrolling: page by page from the top, then jumps to random rows.
    double scrollMs = 0;
    QScrollBar* bar = grid.verticalScrollBar();
    for (int step = 0; step < 40; ++step) {
        QElapsedTimer one;
        one.start();
        bar->setValue(step * bar->maximum() / 39);
        grid.viewport()->repaint();
        scrollMs = std::max(scrollMs, one.nsecsElapsed() / 1e6);
    }

    // Sorting by a text column and a number column, both ways.
    double sortMs = 0;
    QHeaderView* header = grid.horizontalHeader();
    const int columns[] = {grid.FieldColumn("BG_SUMMARY"), grid.FieldColumn("BG_BUG_ID"),
                           grid.FieldColumn("BG_STATUS")};
    for (int column : columns) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QElapsedTimer one;
            one.start();
            header->setSortIndicator(column, order);
            grid.viewport()->repaint();
            const double ms = one.nsecsElapsed() / 1e6;
            std::printf("  sort by %s %s: %.1f ms\n",
                        grid.Model()->FieldNames().value(column).toUtf8().constData(),
                        order == Qt::AscendingOrder ? "up" : "down", ms);
            sortMs = std::max(sortMs, ms);
        }
    }
    const long rssAfter = PeakRssKib();

    int bareRows = 0;
    const double bareMs = BareFetchMs(context, view->LastSql(), bareRows);

    std::printf("defect list, %d defects (%d listed, %d on the first screen)\n", kDefects, rows,
                firstRows);
    std::printf("  first screen after choosing the project: %8.1f ms  (target 300)\n",
                firstScreenMs);
    std::printf("  whole list, paged:                      %8.1f ms  (target 3000)\n", wholeListMs);
    std::printf("  bare transfer of the same rows:         %8.1f ms  (list/bare %.2f)\n", bareMs,
                bareMs > 0 ? wholeListMs / bareMs : 0.0);
    std::printf("  longest block while paging:             %8.1f ms  (target 100)\n",
                pagingBlockMs);
    std::printf("  longest scroll step with repaint:       %8.1f ms  (target 100)\n", scrollMs);
    std::printf("  longest sort with repaint:              %8.1f ms  (target 100)\n", sortMs);
    std::printf("  peak memory: %.1f MiB (%.1f MiB before the view; target 300)\n",
                rssAfter / 1024.0, rssBefore / 1024.0);

    int failures = 0;
    Check(rows == kDefects, "every defect listed", failures);
    Check(bareRows == kDefects, "bare transfer complete", failures);
    Check(firstScreenMs <= 300, "first screen within 300 ms", failures);
    Check(wholeListMs <= 3000, "whole list within 3 s", failures);
    Check(pagingBlockMs <= 100 && scrollMs <= 100 && sortMs <= 100, "no block over 100 ms",
          failures);
    Check(rssAfter / 1024.0 < 300, "memory under 300 MiB", failures);
    return failures == 0 ? 0 : 1;
}
