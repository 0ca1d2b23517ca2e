// The result grid against a real lumenolite with the demo database: column
// captions, widths and value kinds, row numbers, failures and pairs.
#include "CResultGrid.h"
#include "ClientFixtures.h"

#include <gtest/gtest.h>

class ResultGridTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }
    void SetUp() override { ASSERT_TRUE(s_server->Login(ctx)) << s_server->Output(); }

    CModalAnswerer answerer;
    CAppContext ctx;
};

TEST_F(ResultGridTest, ColumnsWidthsTypesAndFailures)
{
    CResultGrid grid(ctx);
    EXPECT_EQ(grid.RunQuery("select 1"), 0);  // no data client: nothing runs
    grid.SetDataClient(&ctx.m_http);

    struct Case {
        const char* sql;
        int columns;
        int width;
    } cases[] = {
        {"select BG_BUG_ID from t_bug where BG_BUG_ID<3", 2, 400},
        {"select BG_BUG_ID,BG_STATUS from t_bug", 3, 300},
        {"select BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY from t_bug", 6, 120},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(grid.RunQuery(c.sql), 1) << c.sql;
        EXPECT_EQ(grid.Model()->columnCount(), c.columns) << c.sql;
        EXPECT_EQ(grid.Model()->Caption(0), QString("序号"));
        EXPECT_EQ(grid.columnWidth(0), 34);
        EXPECT_EQ(grid.columnWidth(1), c.width) << c.sql;
    }
    EXPECT_EQ(grid.Model()->Text(1, 0), "2");  // rows numbered from 1

    // An empty result keeps its columns.
    ASSERT_EQ(grid.RunQuery("select BG_BUG_ID,BG_STATUS from t_bug where 1=0"), 1);
    EXPECT_EQ(grid.Model()->columnCount(), 3);
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.SetRowTextColor(0, Qt::red), 0);

    // Caller's widths and types.
    grid.SetRowNumbers(0);
    ASSERT_EQ(grid.RunQueryTyped("select '12abc','x','2.50',5 from t_bug where BG_BUG_ID=2", {50, 60},
                                 {0, 2, 4, 9}),
              1);
    EXPECT_EQ(grid.columnWidth(0), 50);
    EXPECT_EQ(grid.columnWidth(1), 60);
    EXPECT_EQ(grid.columnWidth(2), 100);
    EXPECT_EQ(grid.Model()->Text(0, 0), "0");  // no integer: 0
    EXPECT_EQ(grid.Model()->Text(0, 1), "x");
    EXPECT_EQ(grid.Model()->Text(0, 2), "2.5");
    EXPECT_EQ(grid.Model()->Text(0, 3), "");

    // A failing statement: the server's text is shown and the grid is empty.
    EXPECT_EQ(grid.RunQuery("select no_such_column from t_bug"), 0);
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.Model()->columnCount(), 0);
    ASSERT_FALSE(answerer.m_texts.isEmpty());
    EXPECT_EQ(answerer.m_texts.last(), grid.LastError());
    EXPECT_NE(grid.LastError().indexOf("no_such_column"), -1) << grid.LastError().toStdString();

    // Pairs: a fixed layout and integer numbers.
    EXPECT_EQ(grid.ShowPairs({{"a", 2.9}, {"b", -2.9}}, "label", "count"), 1);
    EXPECT_EQ(grid.Model()->Caption(0), QString("序号"));
    EXPECT_EQ(grid.columnWidth(0), 40);
    EXPECT_EQ(grid.Model()->Text(0, 2), "2");
    EXPECT_EQ(grid.Model()->Text(1, 2), "-2");
    EXPECT_EQ(grid.Model()->Text(1, 0), "2");
}
