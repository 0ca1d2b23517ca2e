// The defect list's Export in the composed frame on a list of 10 000
// defects that the grid is still paging through, as it is and grouped by
// status: every row reaches the workbook, no group row does (read back
// with openpyxl).
#include "CDefectListGrid.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "FileDialogAnswerer.h"
#include "CQueryConditionDlg.h"
#include "GridExport.h"
#include "GroupDrag.h"
#include "WorkbookReader.h"
#include "WorkspaceIds.h"

#include <QAction>
#include <QCheckBox>
#include <QSet>
#include <QTabWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kManySql =
    "INSERT INTO t_prj (PRJ_NAME,PRJ_CUSTOM_FIELD) VALUES ('Many','');"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_RESPONSIBLE,BG_ATTACHMENT) "
    "SELECT 50000+i,CASE WHEN i%3=0 THEN '00-New' ELSE '01-Open' END,'Many','第 '||i||' 个缺陷 \"q\" ''s','li',CASE WHEN i%7=0 THEN 1 ELSE 0 END FROM n;";

QAction* ContextCommand(CZentryView& view, int id) {
    CDefectListGrid& grid = *view.Grid();
    emit grid.customContextMenuRequested(grid.viewport()->rect().center());
    view.ContextMenu()->hide();
    for (QAction* action : view.ContextMenu()->actions())
        if (!action->isSeparator() && action->data().toInt() == id) return action;
    return nullptr;
}

class ListExport : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions(kManySql)); }
    void SetUp() override { ASSERT_TRUE(client.Login(*s_server)) << s_server->Output(); }

    // The frame's defect list showing sql, still paging.
    CZentryView* PagingList(const char* sql) {
        CMainFrame& frame = client.Frame();
        frame.RunCommand(ids::kCmdBugMgr);
        auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
        EXPECT_NE(view, nullptr);
        if (!view) return nullptr;
        view->RefreshList(sql);
        EXPECT_TRUE(view->Grid()->IsPaging());
        return view;
    }
    // Export of the list's context menu to path, chosen in its dialog.
    void ExportTo(CZentryView& view, const QString& path) {
        CFileDialogAnswerer dialogs;
        dialogs.Choose(path);
        QAction* exportCommand = ContextCommand(view, WorkspaceIds::CmdExport);
        ASSERT_NE(exportCommand, nullptr);
        ASSERT_TRUE(exportCommand->isEnabled());
        exportCommand->trigger();
        EXPECT_EQ(dialogs.m_opened, 1);
        ASSERT_EQ(answerer.m_texts, QStringList{client.Context().Text(GridExportTexts::Exported) + " " + path + "!"});
    }

    CModalAnswerer answerer;
    CComposedClient client;
};

TEST_F(ListExport, EveryRowOfAListStillPagingIsWritten) {
    CZentryView* view = PagingList("select BG_BUG_ID,BG_ATTACHMENT,BG_SUMMARY,BG_STATUS from t_bug "
                                   "where PRJ_NAME='Many' order by BG_BUG_ID");
    ASSERT_NE(view, nullptr);
    ASSERT_LT(view->Grid()->RowCount(), 10000);

    QTemporaryDir dir;
    const QString path = dir.filePath("many.xlsx");
    ExportTo(*view, path);

    ASSERT_EQ(view->Grid()->RowCount(), 10000);
    const CWorkbookCells book = ReadWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.RowCount(), 10001);
    EXPECT_EQ(book.Cell(0, 1).toString(), "A");  // the attachment marks' column
    EXPECT_TRUE(book.Cell(7, 1).isNull());        // a marked cell shows an image, no text
    EXPECT_EQ(book.Cell(1, 0).toString(), "50001");
    EXPECT_EQ(book.Cell(10000, 0).toString(), "60000");
    EXPECT_EQ(book.Cell(10000, 2).toString(), QString::fromUtf8("第 10000 个缺陷 \"q\" 's"));
}

TEST_F(ListExport, AGroupedListWritesEveryDefectRowAndNoGroupRow) {
    CZentryView* view =
        PagingList("select BG_BUG_ID,BG_SUMMARY,BG_STATUS from t_bug where PRJ_NAME='Many' order by BG_BUG_ID");
    ASSERT_NE(view, nullptr);

    // Group ticked on the query panel, status dragged into the box.
    view->Tabs()->setCurrentWidget(view->ConditionPanel());
    QCheckBox* group = FindCheckBox(view->ConditionPanel(), WorkspaceIds::CheckGroup);
    ASSERT_NE(group, nullptr);
    ClickCheckBox(group);
    CDefectListGrid& grid = *view->Grid();
    DragColumnToGroupBox(grid, grid.FieldColumn("BG_STATUS"));
    ASSERT_TRUE(grid.Groups()->IsGrouped());
    grid.Groups()->SetExpanded(0, false);  // a closed group is written too

    QTemporaryDir dir;
    const QString path = dir.filePath("grouped.xlsx");
    ExportTo(*view, path);

    const CWorkbookCells book = ReadWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.RowCount(), 10001);
    EXPECT_EQ(book.Cell(0, 2).toString(), grid.Model()->Caption(2));
    QSet<int> ids;
    int fresh = 0;
    for (int row = 1; row <= 10000; ++row) {
        ids.insert(book.Cell(row, 0).toString().toInt());
        if (book.Cell(row, 2).toString() == "00-New") ++fresh;
    }
    EXPECT_EQ(ids.size(), 10000);
    EXPECT_TRUE(ids.contains(50001) && ids.contains(60000));
    EXPECT_EQ(fresh, 3333);
}

}  // namespace
