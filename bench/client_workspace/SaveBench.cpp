// Defect save benchmark: the editor's Modify against a real lumenolite
// through a counting relay, for a changed summary, a changed long
// description and a status change. It prints the requests each save made
// and its time as a multiple of one bare request measured in the same run.
// The target: a save that checks the stored values, writes only while they
// hold and reads back what the server holds takes at most one request more
// than the check and the write alone (with the long text's pieces and the
// status history row).
#include "BenchClient.h"
#include "CAppContext.h"
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "ClientFixtures.h"
#include "DialogHelpers.h"
#include "RelayProxy.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 20;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CDemoServer server;
    const std::string sql =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<200) "
        "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY,"
        "BG_RESPONSIBLE,BG_DETECTED_BY,BG_DETECTION_DATE,BG_DESCRIPTION,BG_DEV_COMMENTS) "
        "SELECT 8000+i,'01-Open','Demo','summary '||i,'01-中','02-低','zhang','wang','2024-01-02',"
        "'description '||i,'comment '||i FROM n;";
    CTestContext test(CSettingsValues{});
    CAppContext& context = test.context;
    if (!StartAndLogIn(server, sql, context)) return 1;
    context.m_currentProject = QStringLiteral("Demo");
    CRelayProxy relay(server.Port());
    if (!relay.Start()) {
        fprintf(stderr, "relay: %s\n", relay.Error().c_str());
        return 1;
    }
    context.m_http.SetConnection("127.0.0.1", relay.Port(), "admin", "admin");

    const QString description = QString(5000, QLatin1Char('d'));
    struct Scenario {
        const char* name;
        std::function<void(CDefectFieldsDlg&)> change;
        int checkAndWrite;  // the check, the long text's pieces, the write, the history row
    };
    const Scenario scenarios[] = {
        {"a summary", [](CDefectFieldsDlg& page) { page.Summary()->setText("changed"); }, 2},
        {"a 5000-character description",
         [&](CDefectFieldsDlg& page) { page.Description()->setPlainText(description); }, 1 + 2 + 1},
        {"a status", [](CDefectFieldsDlg& page) { SelectComboText(page.Status(), "02-Fixed", 0); },
         1 + 1 + 1},
    };

    const auto medianMs = [](const std::function<void(int run)>& step) {
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer clock;
            clock.start();
            step(run);
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        return Median(times);
    };
    CResultSet row;
    CListString error;
    // One bare request: the select of one row.
    const double bareMs = medianMs([&](int) {
        context.m_http.Select("select BG_SUMMARY from t_bug where BG_BUG_ID=8001 ", row, error);
    });
    // The check and an unconditional write of a summary, bare.
    const double plainMs = medianMs([&](int run) {
        context.m_http.Select("select BG_SUMMARY from t_bug where BG_BUG_ID=8200 ", row, error);
        context.m_http.ExecSql(QStringLiteral("update t_bug set BG_SUMMARY='plain %1' where BG_BUG_ID=8200 ")
                                   .arg(run).toUtf8().constData(), error);
    });
    printf("one bare request: %.2f ms; a bare check and write of a summary: %.2f ms\n", bareMs, plainMs);

    bool met = true;
    int id = 8001;
    for (const Scenario& s : scenarios) {
        std::vector<double> times;
        int requests = 0;
        for (int run = 0; run < kRuns; ++run, ++id) {
            context.m_currentBugId = id;
            CDefectEditDlg editor(context);
            s.change(*editor.FieldsPage());
            const int before = relay.Count();
            QElapsedTimer clock;
            clock.start();
            if (!editor.FieldsPage()->SaveDefect()) {
                fprintf(stderr, "the save of %d failed: %s\n", id,
                        context.m_lastMessage.toUtf8().constData());
                return 1;
            }
            times.push_back(clock.nsecsElapsed() / 1e6);
            requests = relay.Count() - before;
        }
        const double ms = Median(times);
        const bool ok = requests <= s.checkAndWrite + 1;
        met = met && ok;
        printf("saving %s: %d requests (check and write alone: %d, target <= %d), %.2f ms, "
               "ratio to one bare request %.2f, to the bare check and write %.2f\n",
               s.name, requests, s.checkAndWrite, s.checkAndWrite + 1, ms, ms / bareMs, ms / plainMs);
    }
    return met ? 0 : 1;
}
