// Custom fields benchmark: a real lumenolite with the demo database whose
// defect table has 30 custom columns, a project laying all of them out (60
// fields with their captions; a third of them combo boxes fed by a lookup
// list), and a defect carrying a value in each.
//  - the custom-fields page of that defect built and filled, against the
//    same 60 plain Qt controls made and the same row fetched alone;
//  - placing one more field in the layout designer and redrawing it.
#include "CAppContext.h"
#include "CCustomFieldsDlg.h"
#include "CLayoutDesignDlg.h"
#include "QtText.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 30;
constexpr int kRuns = 15;

QString Column(int i) { return QString::asprintf("BG_USER_%02d", i); }

std::string BenchSql() {
    std::string sql;
    for (int i = 11; i <= kColumns; ++i) {
        const std::string c = Column(i).toStdString();
        sql += "ALTER TABLE t_bug ADD COLUMN " + c + " varchar(255);";
        sql += "INSERT INTO t_cfg_sys_list (TABLE_NAME,COLUMN_NAME,USER_LABEL,COLUMN_ORDER,IS_USED,"
               "IS_SYS,IS_VERIFY,REF_LIST,EDIT_STYLE) VALUES ('T_BUG','" + c + "','字段" +
               std::to_string(i) + "'," + std::to_string(15 + i) + ",'1','0','0','','TextBox');";
    }
    sql += "UPDATE t_cfg_sys_list SET EDIT_STYLE='ComboBox',REF_LIST='severity' WHERE "
           "COLUMN_NAME LIKE 'BG_USER_%' AND COLUMN_ORDER % 3 = 0;";
    // The layout: two columns of fields, each under its caption.
    std::string layout = "[tessaro]'||char(10)||'title='||char(10)||'font=Microsoft Sans Serif,15'||char(10)||'";
    std::string values;
    std::string names;
    for (int i = 1; i <= kColumns; ++i) {
        const std::string c = Column(i).toStdString();
        const bool combo = (15 + i) % 3 == 0;
        const int x = (i - 1) % 2 * 200, y = (i - 1) / 2 * 45;
        layout += c + "=f" + std::to_string(i) + "," + (combo ? "ComboBox" : "Text") + "," +
                  std::to_string(x) + "," + std::to_string(y + 20) + ",180," +
                  (combo ? "220" : "20") + ",'||char(10)||'";
        layout += c + "_ST=f" + std::to_string(i) + ":,Static," + std::to_string(x) + "," +
                  std::to_string(y) + ",180,20,'||char(10)||'";
        names += "," + c;
        values += std::string(",'") + (combo ? "01-中" : "value " + std::to_string(i)) + "'";
    }
    layout += "'";
    sql += "INSERT INTO t_prj (PRJ_NAME,PRJ_TYPE,PRJ_CUSTOM_FIELD) VALUES ('Bench','维护','" + layout + ");";
    sql += "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('admin','Bench');";
    sql += "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY" + names +
           ") VALUES (7000,'01-Open','Bench','bench'" + values + ");";
    return sql;
}

bool StartServer(CServerFixture& server, std::string& settings) {
    server.SetIni("common", "sep", "\\x01");
    server.SetIni("common", "line_sep", "\\x02");
    server.SetIni("common", "auth", "1");
    server.SetIni("common", "use_pass_encode", "1");
    if (!server.Prepare()) return false;
    const std::string make = std::string(ZENTRY_SOURCE_DIR) + "/scripts/make-db '" +
                             server.DatabasePath() + "' --demo >/dev/null 2>&1";
    if (system(make.c_str()) != 0 || !server.RunSql(BenchSql())) return false;
    std::ofstream(server.Dir() + "/user_config.ini")
        << "ftp_user=zentry!ftp_pass=zentry!ftp_port=21!attach_path=/attach\n";
    settings = server.Dir() + "/korvandix.ini";
    std::ofstream(settings) << "[common]\nuser_name=admin\nuser_passwd=admin\n"
                               "[pstyle]\nfill_background=0\nlanguage=english\ndefault_prj=Bench\n";
    return server.Start();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The reference: the row fetched alone and 60 plain controls made and shown.
double ReferenceMs(CAppContext& context, const QString& columns) {
    QElapsedTimer clock;
    clock.start();
    CResultSet row;
    CListString error;
    context.m_http.Select(("select " + columns + " from t_bug where BG_BUG_ID=7000 ").toUtf8().constData(),
                          row, error);
    QWidget page;
    for (int i = 0; i < kColumns; ++i) {
        auto* caption = new QLabel(QStringLiteral("f%1:").arg(i), &page);
        caption->setGeometry(i % 2 * 200, i / 2 * 45, 180, 20);
        QWidget* field = nullptr;
        if (i % 3 == 0) {
            auto* combo = new QComboBox(&page);
            combo->addItems({"00-高", "01-中", "02-低"});
            field = combo;
        } else {
            field = new QLineEdit(ToQt(row.GetValueAt(0, i)), &page);
        }
        field->setGeometry(i % 2 * 200, i / 2 * 45 + 20, 180, 20);
    }
    page.show();
    page.repaint();
    return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CServerFixture server("lumenolite");
    std::string settings;
    if (!StartServer(server, settings)) {
        fprintf(stderr, "the server did not start\n%s", server.Output().c_str());
        return 1;
    }
    QTemporaryDir folder;
    CAppContext context;
    context.m_unattended = true;
    context.m_configDir = context.m_cacheDir = folder.path();
    context.m_settings.Load(settings.c_str());
    context.m_langTexts.Load((CServerFixture::BinDir() + "/lang/english.ini").c_str());
    context.m_currentProject = QStringLiteral("Bench");
    CListString error;
    if (!context.m_http.Login("127.0.0.1", server.Port(), "admin", "admin", error) ||
        context.LoadMetadata() != 1) {
        fprintf(stderr, "login failed: %s\n", error.CStr());
        return 1;
    }
    context.m_currentBugId = 7000;

    std::vector<double> page, reference, place;
    QString columns;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        CCustomFieldsDlg dialog(context);
        dialog.resize(450, 700);
        dialog.show();
        dialog.repaint();
        page.push_back(clock.nsecsElapsed() / 1e6);
        if (dialog.Form().GetFieldCount() != 2 * kColumns ||
            dialog.Form().GetFieldValue(Column(kColumns - 1)) != QStringLiteral("value %1").arg(kColumns - 1)) {
            fprintf(stderr, "the page did not show the layout's values (%d fields, %s; %s)\n",
                    dialog.Form().GetFieldCount(), context.m_lastMessage.toUtf8().constData(),
                    context.m_prjCustomField.left(300).toUtf8().constData());
            return 1;
        }
        columns = dialog.BuildColumnList();
        reference.push_back(ReferenceMs(context, columns));
    }

    // Placing: the designer holds the whole layout but one column; the
    // last one is placed, the dialog redrawn, then removed again.
    const QString full = context.m_prjCustomField;
    QStringList lines = full.split('\n');
    lines.removeIf([](const QString& l) { return l.startsWith(Column(kColumns)); });
    context.m_prjCustomField = lines.join('\n');
    CLayoutDesignDlg designer(context);
    designer.resize(900, 760);
    designer.show();
    QTableWidget* available = designer.AvailableGrid();
    for (int run = 0; run < kRuns; ++run) {
        const auto rows = available->findItems(Column(kColumns), Qt::MatchExactly);
        if (rows.isEmpty()) {
            fprintf(stderr, "the designer does not offer %s\n", Column(kColumns).toUtf8().constData());
            return 1;
        }
        available->setCurrentCell(rows.first()->row(), 0);
        QElapsedTimer clock;
        clock.start();
        designer.PlaceField();
        designer.repaint();
        place.push_back(clock.nsecsElapsed() / 1e6);
        const auto placed = designer.PlacedGrid()->findItems(Column(kColumns), Qt::MatchExactly);
        designer.PlacedGrid()->setCurrentCell(placed.first()->row(), 0);
        designer.RemovePlacedField();
    }

    const double pageMs = Median(page), referenceMs = Median(reference), placeMs = Median(place);
    printf("custom-fields page, %d fields built and filled: %.1f ms (target <= 100 ms)\n",
           2 * kColumns, pageMs);
    printf("  reference (the row fetched, %d plain controls shown): %.1f ms, ratio %.2f\n",
           2 * kColumns, referenceMs, pageMs / referenceMs);
    printf("layout designer, placing a field and redrawing (%d fields): %.1f ms (target <= 50 ms), "
           "ratio to the page %.2f\n",
           2 * kColumns, placeMs, placeMs / pageMs);
    return pageMs <= 100 && placeMs <= 50 ? 0 : 1;
}
