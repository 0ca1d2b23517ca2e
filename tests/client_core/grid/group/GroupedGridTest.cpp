// The result grid's group-by box against a real lumenolite with the demo
// database, driven with the mouse and keys as a user does: columns dragged
// from the header into the box, groups opened and closed, boxes reordered
// and dragged back to the header.
#include "CGroupByBar.h"
#include "CResultGrid.h"
#include "ClientFixtures.h"
#include "GroupDrag.h"
#include "QtText.h"

#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const kDemoList =
    "select BG_BUG_ID,BG_STATUS,BG_RESPONSIBLE,BG_SUMMARY from t_bug where PRJ_NAME='Demo' order by BG_BUG_ID";

// The grouped rows as the grid shows them.
struct Shown {
    QMap<QString, int> counts;  // "value|value..." of each group row: its count
    QStringList top;            // outermost values in order
    QStringList labels;         // of the outermost group rows
    int rows = 0;               // rows of the table shown
    int misplaced = 0;          // rows under a group whose value they lack
    int wrongCounts = 0;        // groups whose count is not the rows under them
};

Shown Walk(CResultGrid& grid)
{
    Shown shown;
    CGroupRowsModel& groups = *grid.Groups();
    QStringList path;
    QVector<int> under;  // rows counted under each open level
    QVector<int> expected;
    const auto close = [&](int depth) {
        while (under.size() > depth) {
            if (under.last() != expected.last()) ++shown.wrongCounts;
            const int rows = under.takeLast();
            expected.removeLast();
            if (!under.isEmpty()) under.last() += rows;
        }
    };
    for (int row = 0; row < groups.rowCount(); ++row) {
        if (groups.IsGroupRow(row)) {
            const int depth = groups.GroupDepth(row);
            close(depth);
            path = path.mid(0, depth);
            path << groups.GroupValue(row);
            shown.counts[path.join('|')] = groups.GroupCount(row);
            under << 0;
            expected << groups.GroupCount(row);
            if (depth == 0) {
                shown.top << groups.GroupValue(row);
                shown.labels << groups.GroupLabel(row);
            }
            continue;
        }
        ++shown.rows;
        if (!under.isEmpty()) ++under.last();
        const int source = groups.SourceRow(row);
        for (int level = 0; level < grid.GroupColumns().size(); ++level)
            if (grid.Model()->Text(source, grid.GroupColumns()[level]) != path.value(level)) ++shown.misplaced;
    }
    close(0);
    return shown;
}

}  // namespace

class GroupedGridTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }
    void SetUp() override
    {
        ASSERT_TRUE(s_server->Login(ctx)) << s_server->Output();
        grid.SetDataClient(&ctx.m_http);
        grid.SetStandardLook();
        grid.resize(900, 600);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    // "value|value|...": count, as the database counts the demo list.
    QMap<QString, int> Counts(const QStringList& fields)
    {
        const QString keys = fields.join(QStringLiteral("||'|'||"));
        CResultSet result;
        const QString sql = QStringLiteral("select %1 as K,count(*) as N from t_bug where PRJ_NAME='Demo' group by K")
                                .arg(keys);
        EXPECT_GT(ctx.RunSelect(sql.toUtf8().constData(), result), 0) << sql.toStdString();
        QMap<QString, int> counts;
        for (int row = 0; row < result.GetRowCount(); ++row)
            counts[ToQt(result.GetValue(row, "K"))] = ToQt(result.GetValue(row, "N")).toInt();
        return counts;
    }

    CModalAnswerer answerer;
    CAppContext ctx;
    CResultGrid grid{ctx};
};

TEST_F(GroupedGridTest, GroupsByOneAndTwoColumnsAsTheDatabaseCounts)
{
    grid.SetGroupByBox(true);
    ASSERT_EQ(grid.RunQuery(kDemoList), 1);
    const int total = grid.RowCount();
    ASSERT_GT(total, 5);
    EXPECT_TRUE(grid.GroupBar()->isVisible());
    EXPECT_TRUE(grid.GroupBar()->Hint()->isVisible());

    struct Case {
        QStringList fields;
    } cases[] = {{{"BG_STATUS"}}, {{"BG_STATUS", "BG_RESPONSIBLE"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields.join(',').toStdString());
        grid.SetGroupColumns({});
        QVector<int> columns;
        for (const QString& field : c.fields) {
            columns << grid.FieldColumn(field);
            DragColumnToGroupBox(grid, columns.last());
        }
        ASSERT_EQ(grid.GroupColumns(), columns);
        EXPECT_EQ(grid.GroupBar()->Captions(), c.fields);
        EXPECT_FALSE(grid.GroupBar()->Hint()->isVisible());
        EXPECT_EQ(grid.model(), grid.Groups());
        // The drags neither sorted nor moved a column.
        EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), -1);
        for (int column = 0; column < grid.Model()->columnCount(); ++column)
            EXPECT_EQ(grid.horizontalHeader()->visualIndex(column), column);

        const Shown shown = Walk(grid);
        EXPECT_EQ(shown.rows, total);
        EXPECT_EQ(shown.misplaced, 0);
        EXPECT_EQ(shown.wrongCounts, 0);
        QMap<QString, int> expected;
        for (int level = 1; level <= c.fields.size(); ++level) {
            const QMap<QString, int> counts = Counts(c.fields.mid(0, level));
            for (auto it = counts.begin(); it != counts.end(); ++it) expected[it.key()] = it.value();
        }
        EXPECT_EQ(shown.counts, expected);
        QStringList sorted = shown.top;
        sorted.sort(Qt::CaseInsensitive);
        EXPECT_EQ(shown.top, sorted);
        ASSERT_FALSE(shown.labels.isEmpty());
        EXPECT_EQ(shown.labels[0], QStringLiteral("BG_STATUS: %1 (%2)").arg(shown.top[0]).arg(shown.counts[shown.top[0]]));
    }
    EXPECT_TRUE(SaveScreenshot(grid, "grid_grouped"));
}

TEST_F(GroupedGridTest, GroupsOpenAndCloseByClickKeyAndDoubleClick)
{
    grid.SetGroupByBox(true);
    ASSERT_EQ(grid.RunQuery(kDemoList), 1);
    const int total = grid.RowCount();
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    CGroupRowsModel& groups = *grid.Groups();
    const int groupCount = groups.rowCount() - total;
    ASSERT_GT(groupCount, 1);
    ASSERT_TRUE(groups.IsGroupRow(0));
    const int first = groups.GroupCount(0);
    QWidget* rows = grid.viewport();

    // A click on the sign closes the group; its rows are gone, the next
    // group follows it.
    QTest::mouseClick(rows, Qt::LeftButton, {}, grid.GroupSignRect(0).center());
    EXPECT_FALSE(groups.IsExpanded(0));
    EXPECT_EQ(groups.rowCount(), total + groupCount - first);
    EXPECT_TRUE(groups.IsGroupRow(1));
    // A double click anywhere on the group row opens it again.
    QTest::mouseDClick(rows, Qt::LeftButton, {}, grid.visualRect(groups.index(0, 2)).center());
    EXPECT_TRUE(groups.IsExpanded(0));
    EXPECT_EQ(groups.rowCount(), total + groupCount);

    // Minus on a row of the table closes its group and leaves the group
    // row current; plus opens it.
    const int second = first + 1;
    ASSERT_TRUE(groups.IsGroupRow(second));
    grid.setFocus();
    grid.setCurrentIndex(groups.index(second + 1, 1));
    EXPECT_GE(grid.CurrentRow(), 0);
    QTest::keyClick(&grid, Qt::Key_Minus);
    EXPECT_FALSE(groups.IsExpanded(second));
    EXPECT_EQ(grid.currentIndex().row(), second);
    EXPECT_EQ(grid.CurrentRow(), -1);
    QTest::keyClick(&grid, Qt::Key_Plus);
    EXPECT_TRUE(groups.IsExpanded(second));

    // A closed group stays closed when the rows are sorted, and the rows
    // in each group follow the sort.
    groups.SetExpanded(0, false);
    const QString closed = groups.GroupValue(0);
    QHeaderView* header = grid.horizontalHeader();
    const int id = grid.FieldColumn("BG_BUG_ID");
    const QPoint idHeader(header->sectionViewportPosition(id) + header->sectionSize(id) / 2,
                          header->viewport()->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, idHeader);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, idHeader);
    ASSERT_EQ(header->sortIndicatorSection(), id);
    ASSERT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(groups.GroupValue(0), closed);
    EXPECT_FALSE(groups.IsExpanded(0));
    int previous = -1;
    for (int row = 1; row < groups.rowCount(); ++row) {
        if (groups.IsGroupRow(row)) {
            previous = -1;
            continue;
        }
        const int bug = grid.Model()->Text(groups.SourceRow(row), id).toInt();
        if (previous >= 0) {
            EXPECT_LT(bug, previous) << "row " << row;
        }
        previous = bug;
    }
    // Sorting the grouping column orders its groups.
    const int status = grid.FieldColumn("BG_STATUS");
    grid.sortByColumn(status, Qt::DescendingOrder);
    QStringList descending = Walk(grid).top;
    QStringList expected = descending;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return a > b; });
    EXPECT_EQ(descending, expected);
    // So does a sort made before grouping.
    grid.SetGroupColumns({});
    grid.sortByColumn(status, Qt::AscendingOrder);
    grid.sortByColumn(status, Qt::DescendingOrder);
    DragColumnToGroupBox(grid, status);
    EXPECT_EQ(Walk(grid).top, expected);
}

TEST_F(GroupedGridTest, BoxesReorderUngroupAndFollowANewResult)
{
    grid.SetGroupByBox(true);
    ASSERT_EQ(grid.RunQuery(kDemoList), 1);
    const int status = grid.FieldColumn("BG_STATUS");
    const int responsible = grid.FieldColumn("BG_RESPONSIBLE");
    DragColumnToGroupBox(grid, status);
    DragColumnToGroupBox(grid, responsible);
    ASSERT_EQ(grid.GroupColumns(), (QVector<int>{status, responsible}));

    DragGroupBox(grid, 1, 0);
    EXPECT_EQ(grid.GroupColumns(), (QVector<int>{responsible, status}));
    EXPECT_EQ(grid.GroupBar()->Captions(), (QStringList{"BG_RESPONSIBLE", "BG_STATUS"}));
    EXPECT_EQ(Walk(grid).misplaced, 0);
    DragGroupBox(grid, 0, 2);
    EXPECT_EQ(grid.GroupColumns(), (QVector<int>{status, responsible}));
    // A column already in the box moves instead of grouping twice.
    DragColumnToGroupBox(grid, status);
    EXPECT_EQ(grid.GroupColumns(), (QVector<int>{responsible, status}));

    // A new result keeps the grouping by field name, at the field's column.
    ASSERT_EQ(grid.RunQuery("select BG_SUMMARY,BG_STATUS,BG_BUG_ID from t_bug where PRJ_NAME='Demo'"), 1);
    EXPECT_EQ(grid.GroupColumns(), QVector<int>{grid.FieldColumn("BG_STATUS")});
    EXPECT_EQ(grid.GroupBar()->Captions(), QStringList{"BG_STATUS"});
    EXPECT_EQ(Walk(grid).rows, grid.RowCount());

    // Back to the header: the rows show as they are.
    DragGroupBoxToHeader(grid, 0);
    EXPECT_TRUE(grid.GroupColumns().isEmpty());
    EXPECT_EQ(grid.model(), grid.Model());
    EXPECT_TRUE(grid.GroupBar()->Hint()->isVisible());

    // Hiding the box ungroups; a grid without the box groups nothing.
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    ASSERT_FALSE(grid.GroupColumns().isEmpty());
    grid.SetGroupByBox(false);
    EXPECT_FALSE(grid.GroupBar()->isVisible());
    EXPECT_TRUE(grid.GroupColumns().isEmpty());
    EXPECT_EQ(grid.model(), grid.Model());
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    EXPECT_TRUE(grid.GroupColumns().isEmpty());
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), -1);
}
