// The defect list grouped through its group-by box, offscreen against a
// real lumenolite with the demo database: the Group check box shows and
// hides the box, and the list's colours, quick edit, editor and paging
// keep working on grouped rows.
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CGroupByBar.h"
#include "CLocalizer.h"
#include "CQuickEditDlg.h"
#include "CStatusHistoryDlg.h"
#include "DialogHelpers.h"
#include "GroupDrag.h"
#include "WorkspaceIds.h"
#include "WorkspaceTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

QCheckBox* GroupCheckBox(CZentryView& view)
{
    return FindCheckBox(view.ConditionPanel(), WorkspaceIds::CheckGroup);
}

// The view shown with the Query panel's tab in front.
void ShowWithQueryPanel(CZentryView& view)
{
    view.resize(1000, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.Tabs()->setCurrentWidget(view.ConditionPanel());
}

// The list's grouped rows: the group each row of the table shows under,
// as "value|value", and the count of each group.
struct Grouped {
    QMap<int, QString> groupOf;  // defect id: its group
    QMap<QString, int> counts;
};

Grouped Read(CResultGrid& grid)
{
    Grouped read;
    CGroupRowsModel& groups = *grid.Groups();
    const int id = grid.FieldColumn("BG_BUG_ID");
    QStringList path;
    for (int row = 0; row < groups.rowCount(); ++row) {
        if (groups.IsGroupRow(row)) {
            path = path.mid(0, groups.GroupDepth(row));
            path << groups.GroupValue(row);
            read.counts[path.join('|')] = groups.GroupCount(row);
        } else {
            read.groupOf[grid.Model()->Text(groups.SourceRow(row), id).toInt()] = path.join('|');
        }
    }
    return read;
}

}  // namespace

TEST_F(WorkspaceTest, GroupCheckBoxShowsTheGroupByBox)
{
    CZentryView view(ctx);
    ShowWithQueryPanel(view);
    QueryAll(view);
    CDefectListGrid& grid = *view.Grid();
    EXPECT_FALSE(grid.GroupBar()->isVisible());

    QCheckBox* group = GroupCheckBox(view);
    ASSERT_NE(group, nullptr);
    ClickCheckBox(group);
    ASSERT_TRUE(group->isChecked());
    EXPECT_TRUE(grid.GroupBar()->isVisible());
    // The box sits above the columns, across the grid.
    EXPECT_LT(grid.GroupBar()->mapTo(&grid, QPoint(0, grid.GroupBar()->height())).y(),
              grid.horizontalHeader()->viewport()->mapTo(&grid, QPoint(0, 1)).y());
    EXPECT_EQ(grid.GroupBar()->width(), grid.viewport()->width());

    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    ASSERT_EQ(grid.GroupColumns().size(), 1);
    ClickCheckBox(group);
    EXPECT_FALSE(grid.GroupBar()->isVisible());
    EXPECT_TRUE(grid.GroupColumns().isEmpty());
    EXPECT_EQ(grid.model(), grid.Model());

    // The box's text follows the language.
    ASSERT_TRUE(ctx.m_langTexts.Load((CServerFixture::BinDir() + "/lang/zh_cn.ini").c_str()));
    CLocalizer::Apply(&view, ctx);
    EXPECT_EQ(grid.GroupBar()->Hint()->text(), QString::fromUtf8("拖动列标题到此处，按该列分组"));

    // The status history's grid has the box switched off: it never shows.
    CStatusHistoryDlg history(ctx);
    history.resize(600, 300);
    history.show();
    EXPECT_FALSE(history.Grid()->GroupByBox());
    EXPECT_FALSE(history.Grid()->GroupBar()->isVisible());
}

TEST_F(WorkspaceTest, GroupedListKeepsColoursQuickEditAndEditor)
{
    CZentryView view(ctx);
    ShowWithQueryPanel(view);
    QueryAll(view);
    view.TogglePreview();
    CDefectListGrid& grid = *view.Grid();
    CQuickEditDlg& panel = *view.QuickEditPanel();
    ClickCheckBox(GroupCheckBox(view));
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    CGroupRowsModel& groups = *grid.Groups();
    ASSERT_TRUE(groups.IsGrouped());
    EXPECT_EQ(Read(grid).counts.value("00-New"), Count("select count(*) from t_bug where prj_name='Demo' and BG_STATUS='00-New'"));

    // Rows keep their colour by status.
    int coloured = 0;
    for (int row = 0; row < groups.rowCount(); ++row) {
        const int source = groups.SourceRow(row);
        if (source < 0) continue;
        const QVariant colour = groups.index(row, 1).data(Qt::ForegroundRole);
        EXPECT_EQ(colour.value<QColor>(), grid.Model()->RowColour(source)) << row;
        if (grid.Model()->Text(source, grid.FieldColumn("BG_STATUS")) == "00-New") {
            EXPECT_EQ(colour.value<QColor>(), QColor(0, 0, 255));
            ++coloured;
        }
    }
    EXPECT_GT(coloured, 0);

    // The quick edit follows the selected row; a group row leaves it be.
    const int row6 = groups.RowOfSource(RowOf(grid, 6));
    ASSERT_GE(row6, 0);
    grid.setCurrentIndex(groups.index(row6, 1));
    EXPECT_EQ(panel.ShownId(), 6);
    grid.setCurrentIndex(groups.index(groups.ParentRow(row6), 1));
    EXPECT_EQ(grid.CurrentRow(), -1);
    EXPECT_EQ(panel.ShownId(), 6);

    // A status saved by the quick edit moves the row to its new group.
    grid.setCurrentIndex(groups.index(row6, 1));
    const QString before = Value("select BG_STATUS from t_bug where BG_BUG_ID=6");
    const QString after = before == "02-Fixed" ? "03-Closed" : "02-Fixed";
    SelectComboText(panel.StatusBox(), after, 0);
    const int row8 = groups.RowOfSource(RowOf(grid, 8));
    grid.setCurrentIndex(groups.index(row8, 1));  // saves defect 6
    QApplication::processEvents();
    ASSERT_EQ(Value("select BG_STATUS from t_bug where BG_BUG_ID=6"), after);
    EXPECT_EQ(Read(grid).groupOf.value(6), after);
    EXPECT_EQ(grid.SelectedBugId(), 8);

    // A double click on a grouped row opens the editor on that row's defect.
    const int row10 = groups.RowOfSource(RowOf(grid, 10));
    ASSERT_GE(row10, 0);
    QString shown;
    QTimer::singleShot(100, [&shown]() {
        if (auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget())) {
            shown = editor->FieldsPage()->Summary()->text();
            editor->reject();
        }
    });
    const QPoint at = grid.visualRect(groups.index(row10, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(ctx.m_currentBugId, 10);
    EXPECT_EQ(shown, Value("select BG_SUMMARY from t_bug where BG_BUG_ID=10"));

    // A double click on a group row closes it and opens no editor.
    const int group = groups.ParentRow(row10);
    ctx.m_currentBugId = -1;
    const QPoint onGroup = grid.visualRect(groups.index(group, 1)).center();
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, onGroup);
    QTest::qWait(150);
    EXPECT_EQ(ctx.m_currentBugId, -1);
    EXPECT_FALSE(groups.IsExpanded(group));
}

TEST_F(WorkspaceTest, GroupedListPagesInEveryRow)
{
    CZentryView view(ctx);
    view.resize(1000, 600);
    view.show();
    CDefectListGrid& grid = *view.Grid();
    grid.SetGroupByBox(true);
    view.RefreshList("select BG_BUG_ID,BG_STATUS,BG_SUMMARY from t_bug where PRJ_NAME='Big' order by BG_BUG_ID");
    ASSERT_TRUE(grid.IsPaging());
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    ASSERT_TRUE(grid.Groups()->IsGrouped());
    grid.FinishPaging();
    ASSERT_EQ(grid.RowCount(), 2500);
    const Grouped read = Read(grid);
    EXPECT_EQ(read.groupOf.size(), 2500);
    EXPECT_EQ(read.counts, (QMap<QString, int>{
                               {"00-New", Count("select count(*) from t_bug where PRJ_NAME='Big' and BG_STATUS='00-New'")},
                               {"01-Open", Count("select count(*) from t_bug where PRJ_NAME='Big' and BG_STATUS='01-Open'")}}));
    EXPECT_EQ(read.groupOf.value(1002), "00-New");
    EXPECT_EQ(read.groupOf.value(3499), "01-Open");
}
