// Custom fields benchmark: a real lumenolite with the demo database whose
// defect table has 30 custom columns, a project laying all of them out (60
// fields with their captions; a third of them combo boxes fed by a lookup
// list), and a defect carrying a value in each.
//  - the defect editor opened on that defect: its custom-fields tab built
//    and filled (the editor with the layout less the editor without one),
//    against the same 60 plain Qt controls made and the row fetched alone;
//  - placing one more field in the layout designer and redrawing it.
#include "BenchClient.h"
#include "CAppContext.h"
#include "CCustomFieldsDlg.h"
#include "CDefectEditDlg.h"
#include "CLayoutDesignDlg.h"
#include "ClientFixtures.h"
#include "QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
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

// The editor opened on the bench defect with the custom tab shown.
double EditorMs(CAppContext& context, bool& filled) {
    QElapsedTimer clock;
    clock.start();
    CDefectEditDlg editor(context);
    editor.Tabs()->setCurrentWidget(editor.CustomFieldsPage());
    editor.show();
    editor.repaint();
    const double ms = clock.nsecsElapsed() / 1e6;
    CCustomFieldsDlg* page = editor.CustomFieldsPage();
    filled = page->Form().GetFieldCount() == 2 * kColumns &&
             page->Form().GetFieldValue(Column(kColumns - 1)) == QStringLiteral("value %1").arg(kColumns - 1);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CDemoServer server;
    CTestContext test(CSettingsValues{});
    CAppContext& context = test.context;
    if (!StartAndLogIn(server, BenchSql(), context)) return 1;
    context.m_currentProject = QStringLiteral("Bench");
    const QString layout =
        server.Value(context, QStringLiteral("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Bench'"));
    context.m_currentBugId = 7000;

    std::vector<double> editor, bare, reference, place;
    QString columns;
    for (int run = 0; run < kRuns; ++run) {
        bool filled = false;
        context.m_prjCustomField = layout;
        editor.push_back(EditorMs(context, filled));
        if (!filled) {
            fprintf(stderr, "the custom tab did not show the layout's values\n");
            return 1;
        }
        context.m_prjCustomField.clear();
        bare.push_back(EditorMs(context, filled));
        columns.clear();
        for (int i = 1; i <= kColumns; ++i) columns += (i > 1 ? "," : "") + Column(i);
        reference.push_back(ReferenceMs(context, columns));
    }

    // Placing: the designer holds the whole layout but one column; the
    // last one is placed, the dialog redrawn, then removed again.
    QStringList lines = layout.split('\n');
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

    const double editorMs = Median(editor), bareMs = Median(bare), tabMs = editorMs - bareMs;
    const double referenceMs = Median(reference), placeMs = Median(place);
    printf("defect editor with a %d-field custom tab: %.1f ms, without custom fields: %.1f ms\n",
           2 * kColumns, editorMs, bareMs);
    printf("  the custom tab built and filled: %.1f ms (target <= 100 ms)\n", tabMs);
    printf("  reference (the row fetched, %d plain controls shown): %.1f ms, ratio %.2f\n",
           2 * kColumns, referenceMs, tabMs / referenceMs);
    printf("layout designer, placing a field and redrawing (%d fields): %.1f ms (target <= 50 ms), "
           "ratio to the reference %.2f\n",
           2 * kColumns, placeMs, placeMs / referenceMs);
    return tabMs <= 100 && placeMs <= 50 ? 0 : 1;
}
