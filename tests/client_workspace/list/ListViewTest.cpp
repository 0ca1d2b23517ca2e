// The defect list, its panels, quick edit and delete driven offscreen
// against a real lumenolite with the demo database.
#include "CAttachmentDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CLocalizer.h"
#include "CQueryConditionDlg.h"
#include "CQueryFieldsDlg.h"
#include "CQuickEditDlg.h"
#include "CQuickFilterDlg.h"
#include "CResultGrid.h"
#include "CSplitterBar.h"
#include "CStatusHistoryDlg.h"
#include "CTreeComboBox.h"
#include "CZentryView.h"
#include "DialogHelpers.h"
#include "WorkspaceIds.h"
#include "WorkspaceTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace WorkspaceIds;

TEST_F(WorkspaceTest, ListShowsColoursMarksAndCaptions)
{
    CZentryView view(ctx);
    view.resize(1000, 600);
    view.show();
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    EXPECT_EQ(grid.RowCount(), Count("select count(*) from t_bug where prj_name='Demo'"));
    EXPECT_NE(view.LastSql().indexOf("select BG_BUG_ID,BG_SUMMARY,BG_STATUS,BG_RESPONSIBLE,"
                                     "BG_ATTACHMENT from t_bug where prj_name='Demo'"),
              -1)
        << view.LastSql().toStdString();

    // Status is not the second column here: colours follow BG_STATUS by name.
    const int status = grid.FieldColumn("BG_STATUS");
    ASSERT_EQ(status, 2);
    for (int row = 0; row < grid.RowCount(); ++row) {
        const QString text = grid.Model()->Text(row, status);
        const QColor colour = grid.Model()->RowColour(row);
        if (text == "00-New") {
            EXPECT_EQ(colour, QColor(0, 0, 255));
        } else if (text == "05-Reject") {
            EXPECT_EQ(colour, QColor(255, 0, 0));
        } else if (text == "01-Open" || text == "04-ReOpen") {
            EXPECT_FALSE(colour.isValid());
        }
    }
    const int attach = grid.FieldColumn("BG_ATTACHMENT");
    ASSERT_GE(attach, 0);
    EXPECT_EQ(grid.Model()->Caption(attach), "-");
    EXPECT_EQ(grid.columnWidth(attach), 30);
    for (int row = 0; row < grid.RowCount(); ++row) {
        const bool marked = grid.Model()->Text(row, grid.FieldColumn("BG_BUG_ID")) == "2";
        EXPECT_EQ(grid.Model()->Image(row, attach), marked ? 0 : -1);
        EXPECT_TRUE(grid.Model()->Text(row, attach).isEmpty());
    }
    EXPECT_EQ(grid.Model()->Caption(grid.FieldColumn("BG_SUMMARY")), QString("摘要"));
    SavePng(view, "defect_list");
}

TEST_F(WorkspaceTest, ConditionClausesRunOnTheServer)
{
    CZentryView view(ctx);
    CQueryConditionDlg& panel = *view.ConditionPanel();
    panel.StartDate()->setDate(QDate(2000, 1, 1));
    struct Case {
        const char* what;
        void (*set)(CQueryConditionDlg&);
        const char* countSql;
    };
    const Case cases[] = {
        {"cleared", [](CQueryConditionDlg&) {}, "prj_name='Demo'"},
        {"status", [](CQueryConditionDlg& p) { SelectComboText(p.StatusBox(), "03-Closed", 0); },
         "prj_name='Demo' and BG_STATUS='03-Closed'"},
        {"responsible from the tree",
         [](CQueryConditionDlg& p) { p.Responsible()->SelectText("zhang (张伟)", 3); },
         "prj_name='Demo' and BG_RESPONSIBLE='zhang'"},
        {"quote in the text is no error",
         [](CQueryConditionDlg& p) { p.SearchEdit()->setText("it's"); }, "1=0"},
        {"CJK text", [](CQueryConditionDlg& p) { p.SearchEdit()->setText("重现步骤"); },
         "prj_name='Demo' and (BG_SUMMARY||BG_DESCRIPTION||coalesce(BG_DEV_COMMENTS,'')) "
         "like '%重现步骤%'"},
        {"attachment only", [](CQueryConditionDlg& p) { p.AttachmentBox()->setChecked(true); },
         "prj_name='Demo' and BG_ATTACHMENT=1"},
        {"version and severity",
         [](CQueryConditionDlg& p) {
             SelectComboText(p.VersionBox(), "1.1", 0);
             SelectComboText(p.SeverityBox(), "01-中", 0);
         },
         "prj_name='Demo' and BG_DETECTION_VERSION='1.1' and BG_SEVERITY='01-中'"},
    };
    for (const Case& c : cases) {
        panel.Clear();
        panel.StartDate()->setDate(QDate(2000, 1, 1));
        c.set(panel);
        panel.OnQuery();
        EXPECT_TRUE(answerer.m_texts.isEmpty()) << c.what << ": " << answerer.m_texts.join("|").toStdString();
        EXPECT_EQ(view.Grid()->RowCount(),
                  Count(QString("select count(*) from t_bug where ") + c.countSql))
            << c.what;
    }
    view.resize(1000, 600);
    view.Tabs()->setCurrentIndex(1);
    view.show();
    SavePng(view, "query_condition_panel");
    // The default start date is a month back: the 2008 demo defects are not
    // listed, the ones found today are.
    panel.Clear();
    panel.OnQuery();
    const QString monthBack = QDate::currentDate().addMonths(-1).toString("yyyy-MM-dd");
    EXPECT_EQ(view.Grid()->RowCount(),
              Count("select count(*) from t_bug where prj_name='Demo' and BG_DETECTION_DATE>='" + monthBack + "'"));
    EXPECT_GT(view.Grid()->RowCount(), 0);
    EXPECT_EQ(Count("select count(*) from t_bug where prj_name='Demo' and BG_DETECTION_DATE<'2009-01-01' and "
                    "BG_DETECTION_DATE>='" + monthBack + "'"),
              0);
}

TEST_F(WorkspaceTest, QuickFiltersListTheUsersDefects)
{
    ctx.m_userName = QStringLiteral("zhang");
    CZentryView view(ctx);
    view.FilterPanel()->RunButton(FilterNotClosed);
    const int status = view.Grid()->FieldColumn("BG_STATUS");
    EXPECT_EQ(view.Grid()->RowCount(),
              Count("select count(*) from t_bug where prj_name='Demo' and BG_STATUS in "
                    "('00-New','01-Open','02-Fixed','04-ReOpen','06-Delay') and "
                    "(BG_RESPONSIBLE='zhang' or BG_DETECTED_BY='zhang')"));
    for (int row = 0; row < view.Grid()->RowCount(); ++row) {
        const QString text = view.Grid()->Model()->Text(row, status);
        EXPECT_TRUE(text != "03-Closed" && text != "05-Reject") << text.toStdString();
    }
    view.FilterPanel()->RunButton(FilterAll);
    EXPECT_EQ(view.Grid()->RowCount(),
              Count("select count(*) from t_bug where prj_name='Demo' and "
                    "(BG_RESPONSIBLE='zhang' or BG_DETECTED_BY='zhang')"));
    view.FilterPanel()->RunButton(FilterLastWeekCreate);
    EXPECT_EQ(view.Grid()->RowCount(), 0);
}

TEST_F(WorkspaceTest, LongResultsArePagedToTheEnd)
{
    ctx.m_currentProject = QStringLiteral("Big");
    CZentryView view(ctx);
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    // The first page is there at once, the rest follows.
    EXPECT_EQ(grid.RowCount(), 1000);
    EXPECT_TRUE(grid.IsPaging());

    // A sort chosen meanwhile takes in the rows that come later.
    const int id = grid.FieldColumn("BG_BUG_ID");
    grid.horizontalHeader()->setSortIndicator(id, Qt::DescendingOrder);
    grid.FinishPaging();
    EXPECT_FALSE(grid.IsPaging());
    ASSERT_EQ(grid.RowCount(), 2500);
    EXPECT_EQ(grid.Model()->Text(0, id), "3500");
    EXPECT_EQ(grid.Model()->Text(2499, id), "1001");

    // Rows that came by page are marked and coloured as well.
    const int attach = grid.FieldColumn("BG_ATTACHMENT");
    const int marked = RowOf(grid, 3000);
    EXPECT_EQ(grid.Model()->Image(marked, attach), 0);
    EXPECT_EQ(grid.Model()->RowColour(marked), QColor(0, 0, 255));
    const int plain = RowOf(grid, 3201);
    EXPECT_EQ(grid.Model()->Image(plain, attach), -1);
    EXPECT_TRUE(grid.Model()->Text(plain, attach).isEmpty());
    EXPECT_FALSE(grid.Model()->RowColour(plain).isValid());
    EXPECT_FALSE(grid.IsIncomplete());

    // A cursor the server lost midway: the rows so far stay and the user is told.
    QueryAll(view);
    ASSERT_TRUE(grid.IsPaging());
    CListString reply;
    ctx.m_http.PerformCommand("select_finish", ("id=" + grid.PagingSlot()).toUtf8().constData(), reply);
    const int messages = answerer.m_texts.size();
    grid.FinishPaging();
    EXPECT_TRUE(grid.IsIncomplete());
    EXPECT_EQ(grid.RowCount(), 1000);
    ASSERT_EQ(answerer.m_texts.size(), messages + 1);
    EXPECT_EQ(answerer.m_texts.last(), grid.LastError());
    EXPECT_TRUE(grid.LastError().contains("select_finish")) << grid.LastError().toStdString();

    // A session the server ended midway: the client logs in again and the
    // list goes on to the end.
    QueryAll(view);
    ASSERT_TRUE(grid.IsPaging());
    const std::string ended = ctx.m_http.GetSessionId();
    ctx.m_http.PerformCommand("web_logout", ("id=" + ended).c_str(), reply);
    grid.FinishPaging();
    EXPECT_FALSE(grid.IsIncomplete()) << grid.LastError().toStdString();
    EXPECT_EQ(grid.RowCount(), 2500);
    EXPECT_NE(ctx.m_http.GetSessionId(), ended);
}

TEST_F(WorkspaceTest, ColumnChoiceIsStoredAndKeyColumnsStay)
{
    CZentryView view(ctx);
    CQueryFieldsDlg& fields = *view.FieldsPanel();
    EXPECT_FALSE(fields.HideField("状态"));  // the status cannot be hidden
    ASSERT_TRUE(fields.ShowField("优先级"));
    EXPECT_EQ(Value("select USER_FIELD_QUERY from t_cfg_st_user where user_name='admin'"),
              ctx.m_queryFields);
    EXPECT_NE(fields.GetSelectList().indexOf("BG_PRIORITY"), -1);
    ASSERT_TRUE(fields.HideField("摘要"));
    EXPECT_EQ(fields.ShownList()->findItems("摘要", Qt::MatchExactly).size(), 0);
    view.resize(1000, 600);
    view.Tabs()->setCurrentIndex(2);
    view.show();
    SavePng(view, "query_fields_panel");
    ctx.m_queryFields = QString(64, QLatin1Char('0'));
    EXPECT_EQ(fields.GetSelectList(), "BG_BUG_ID,BG_STATUS");
}

TEST_F(WorkspaceTest, QuickEditWritesChangesAndYieldsToNewerSaves)
{
    CZentryView view(ctx);
    view.resize(1000, 700);
    view.show();
    QueryAll(view);
    view.TogglePreview();
    CDefectListGrid& grid = *view.Grid();
    CQuickEditDlg& panel = *view.QuickEditPanel();
    ASSERT_TRUE(panel.isVisible());
    const QString description6 = Value("select BG_DESCRIPTION from t_bug where BG_BUG_ID=6");

    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 6), 0));
    EXPECT_EQ(panel.SummaryEdit()->text(), "Status history shows the wrong user");
    panel.SummaryEdit()->setText("O'Brien's summary");
    SelectComboText(panel.StatusBox(), "02-Fixed", 0);
    const int history = Count("select count(*) from t_bug_status where BG_BUG_ID=6");
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 8), 0));  // saves defect 6
    EXPECT_EQ(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=6"), "O'Brien's summary");
    EXPECT_EQ(Value("select BG_STATUS from t_bug where BG_BUG_ID=6"), "02-Fixed");
    EXPECT_EQ(Value("select BG_DESCRIPTION from t_bug where BG_BUG_ID=6"), description6);
    EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID=6"), history);

    // Long texts with quotes travel raw and come back as typed.
    const QString longText = QString(7000, QLatin1Char('x')) + "'引号'";
    panel.CommentEdit()->setPlainText(longText);
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 10), 0));  // saves defect 8
    EXPECT_EQ(Value("select BG_DEV_COMMENTS from t_bug where BG_BUG_ID=8"), longText);

    // Another save of defect 10 after the panel loaded it wins.
    ctx.m_http.ExecSql("update t_bug set BG_SUMMARY='saved elsewhere' where BG_BUG_ID=10",
                       ctx.m_lastError);
    panel.SummaryEdit()->setText("stale edit");
    EXPECT_EQ(panel.SaveQuickEdit(), 0);
    EXPECT_EQ(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=10"), "saved elsewhere");
    EXPECT_TRUE(answerer.m_texts.last().contains(ctx.Text(MsgNewerSave)));

    // A status the list lacks is shown for its own defect only.
    const int statuses = panel.StatusBox()->count();
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 12), 0));
    EXPECT_EQ(GetComboText(panel.StatusBox()), "99-Odd");
    EXPECT_EQ(panel.StatusBox()->count(), statuses + 1);

    // A description stored with Windows line ends can still be edited here.
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 14), 0));
    panel.DescriptionEdit()->setPlainText("line one\nline two, edited");
    const int messages = answerer.m_texts.size();
    EXPECT_EQ(panel.SaveQuickEdit(), 1);
    EXPECT_EQ(answerer.m_texts.size(), messages);
    EXPECT_EQ(Value("select BG_DESCRIPTION from t_bug where BG_BUG_ID=14"), "line one\nline two, edited");
    EXPECT_EQ(panel.StatusBox()->count(), statuses);
    EXPECT_EQ(Value("select BG_STATUS from t_bug where BG_BUG_ID=12"), "99-Odd");
    SavePng(view, "defect_list_quick_edit");
}

TEST_F(WorkspaceTest, DeleteNeedsTheRightAndRemovesChildren)
{
    ctx.m_currentProject = QStringLiteral("Demo");
    CZentryView view(ctx);
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 2), 0));

    ctx.m_userName = QStringLiteral("zhang");
    ctx.m_canDeleteDefect = 0;
    EXPECT_FALSE(view.DeleteSelectedDefect());
    EXPECT_EQ(answerer.m_texts.value(0), ctx.Text(MsgNoDeleteRight));
    EXPECT_EQ(Count("select count(*) from t_bug where BG_BUG_ID=2"), 1);
    ctx.m_userName = QStringLiteral("Admin");  // the administrator needs no right
    answerer.SetAnswerYes(false);
    EXPECT_FALSE(view.DeleteSelectedDefect());
    EXPECT_EQ(answerer.m_texts.value(1), ctx.Text(MsgQuestion));

    ctx.m_canDeleteDefect = 1;
    answerer.SetAnswerYes(false);
    EXPECT_FALSE(view.DeleteSelectedDefect());
    EXPECT_EQ(Count("select count(*) from t_bug where BG_BUG_ID=2"), 1);

    answerer.SetAnswerYes(true);
    const int before = grid.RowCount();
    EXPECT_TRUE(view.DeleteSelectedDefect());
    for (const char* table : {"t_bug", "t_bug_status", "t_bug_attach"})
        EXPECT_EQ(Count(QString("select count(*) from %1 where BG_BUG_ID=2").arg(table)), 0) << table;
    EXPECT_EQ(grid.RowCount(), before - 1);

    // No selection: nothing happens and nothing is asked.
    grid.selectionModel()->clearCurrentIndex();
    const int asked = answerer.m_texts.size();
    EXPECT_FALSE(view.DeleteSelectedDefect());
    EXPECT_EQ(answerer.m_texts.size(), asked);
}

TEST_F(WorkspaceTest, QuickEditPanelLayoutFollowsTheViewHeight)
{
    CZentryView view(ctx);
    view.resize(800, 300);
    view.show();
    CDefectListGrid& grid = *view.Grid();
    EXPECT_EQ(grid.geometry(), QRect(165, 0, 635, 300));
    EXPECT_FALSE(view.QuickEditPanel()->isVisible());

    view.TogglePreview();  // s = 180, lower = 117
    EXPECT_EQ(grid.geometry(), QRect(165, 0, 635, 180));
    EXPECT_EQ(view.Splitter()->geometry(), QRect(165, 180, 635, 3));
    EXPECT_EQ(view.QuickEditPanel()->geometry(), QRect(165, 183, 635, 117));
    EXPECT_TRUE(view.QuickEditPanel()->isVisible());
    EXPECT_EQ(view.Tabs()->geometry(), QRect(0, 0, 165, 300));

    view.resize(800, 250);  // lower would be 97: nothing moves
    EXPECT_EQ(grid.geometry(), QRect(165, 0, 635, 180));
    EXPECT_EQ(view.QuickEditPanel()->geometry(), QRect(165, 183, 635, 117));

    // The panel's Close button switches it off like PreView.
    view.QuickEditPanel()->findChild<QPushButton*>()->click();
    EXPECT_FALSE(view.QuickEditPanel()->isVisible());
    EXPECT_EQ(grid.geometry(), QRect(165, 0, 635, 250));
}

TEST_F(WorkspaceTest, AddFromTheMenuNeedsTheAddRight)
{
    CZentryView view(ctx);
    QAction* add = nullptr;
    for (QAction* action : view.ContextMenu()->actions())
        if (action->data().toInt() == CmdAdd) add = action;
    ASSERT_NE(add, nullptr);
    const QString seq = "select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG'";
    const int before = Count(seq);

    ctx.m_userName = QStringLiteral("zhang");
    ctx.m_canAddDefect = 0;
    add->trigger();
    EXPECT_EQ(answerer.m_texts.value(0), ctx.Text(MsgNoAddRight));
    EXPECT_EQ(Count(seq), before);  // no editor, no id taken

    // With the right the editor opens for a new defect; closing it keeps a gap.
    ctx.m_canAddDefect = 1;
    QString title;
    QTimer::singleShot(100, [&title]() {
        if (auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget())) {
            title = editor->windowTitle();
            editor->reject();
        }
    });
    add->trigger();
    EXPECT_EQ(title, ctx.Text(2000));
    EXPECT_GT(Count(seq), before);
    EXPECT_EQ(Count(QString("select count(*) from t_bug where BG_BUG_ID=%1").arg(ctx.m_currentBugId)), 0);
}

TEST_F(WorkspaceTest, QuickEditSwitchedOffNeitherLoadsNorSaves)
{
    CZentryView view(ctx);
    view.resize(1000, 700);
    view.show();
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    CQuickEditDlg& panel = *view.QuickEditPanel();
    view.TogglePreview();
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 16), 0));
    ASSERT_EQ(panel.ShownId(), 16);
    panel.SummaryEdit()->setText("edited while shown");

    view.TogglePreview();  // off: clicks load nothing and save nothing
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 18), 0));
    EXPECT_EQ(panel.ShownId(), 16);
    EXPECT_NE(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=16"), "edited while shown");

    view.TogglePreview();  // on again: the next click first saves defect 16
    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 20), 0));
    EXPECT_EQ(panel.ShownId(), 20);
    EXPECT_EQ(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=16"), "edited while shown");
}

TEST_F(WorkspaceTest, FieldsRefreshReusesTheLastClause)
{
    CZentryView view(ctx);
    CQueryConditionDlg& condition = *view.ConditionPanel();
    condition.m_lastWhere.clear();
    // Before any query: every defect of every project.
    view.FieldsPanel()->OnRefresh();
    view.Grid()->FinishPaging();
    EXPECT_EQ(view.Grid()->RowCount(), Count("select count(*) from t_bug"));

    condition.StartDate()->setDate(QDate(2000, 1, 1));
    SelectComboText(condition.StatusBox(), "06-Delay", 0);
    condition.OnQuery();
    const QString where = condition.m_lastWhere;
    // The form changes, but Refresh uses the clause of the last query.
    condition.Clear();
    view.FieldsPanel()->OnRefresh();
    EXPECT_EQ(view.LastSql(), "select " + view.FieldsPanel()->GetSelectList() + " from t_bug " + where);
    EXPECT_EQ(view.Grid()->RowCount(),
              Count("select count(*) from t_bug where prj_name='Demo' and BG_STATUS='06-Delay'"));
}

TEST_F(WorkspaceTest, DoubleClickAndViewOpenTheEditorOnTheSelectedDefect)
{
    CZentryView view(ctx);
    view.resize(1000, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    const int row = RowOf(grid, 10);
    grid.setCurrentIndex(grid.Model()->index(row, 1));

    // The summary the editor shows when it opens; it is closed at once.
    QString shown;
    const auto readEditor = [&shown]() {
        shown.clear();
        QTimer::singleShot(100, [&shown]() {
            if (auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget())) {
                shown = editor->FieldsPage()->Summary()->text();
                editor->reject();
            }
        });
    };
    const QString summary = Value("select BG_SUMMARY from t_bug where BG_BUG_ID=10");
    int clicks = 0;
    QObject::connect(&grid, &QAbstractItemView::doubleClicked, [&clicks]() { ++clicks; });
    readEditor();
    const QPoint at = grid.visualRect(grid.Model()->index(row, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shown, summary);
    EXPECT_EQ(ctx.m_currentBugId, 10);

    grid.setCurrentIndex(grid.Model()->index(RowOf(grid, 12), 1));
    readEditor();
    view.OnViewDefect();
    EXPECT_EQ(shown, Value("select BG_SUMMARY from t_bug where BG_BUG_ID=12"));
    EXPECT_EQ(ctx.m_currentBugId, 12);

    // A row whose id reads 0: a double click opens nothing, View opens the editor on 0.
    view.RefreshList("select 0 as BG_BUG_ID,'no id' as BG_SUMMARY,'01-Open' as BG_STATUS");
    ASSERT_EQ(grid.RowCount(), 1);
    grid.setCurrentIndex(grid.Model()->index(0, 1));
    readEditor();
    shown = "not opened";
    const QPoint zero = grid.visualRect(grid.Model()->index(0, 1)).center();
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, zero);
    QTest::qWait(200);
    EXPECT_EQ(ctx.m_currentBugId, 12);
    EXPECT_EQ(shown, "not opened");
    readEditor();
    shown = "not opened";
    view.OnViewDefect();
    EXPECT_EQ(ctx.m_currentBugId, 0);
    EXPECT_EQ(shown, "");  // opened, on an empty page
}

TEST_F(WorkspaceTest, LanguageSwitchReCaptionsTabsAndPanels)
{
    CZentryView view(ctx);
    EXPECT_EQ(view.Tabs()->tabText(1), "Query");
    ASSERT_TRUE(ctx.m_langTexts.Load((CServerFixture::BinDir() + "/lang/zh_cn.ini").c_str()));
    // The language switch reaches the view as it reaches every window.
    ASSERT_NE(dynamic_cast<ILocalizable*>(static_cast<QWidget*>(&view)), nullptr);
    CLocalizer::Apply(&view, ctx);
    EXPECT_EQ(view.Tabs()->tabText(1), ctx.Text(TabQueryCondition));
    EXPECT_NE(view.Tabs()->tabText(1), "Query");
    // A label of each panel follows.
    EXPECT_EQ(view.QuickEditPanel()->findChild<QPushButton*>()->text(), ctx.Text(ButtonClose));
    bool found = false;
    for (QLabel* label : view.ConditionPanel()->findChildren<QLabel*>())
        found = found || label->text() == ctx.Text(LabelStatus) + ":";
    EXPECT_TRUE(found);
}
