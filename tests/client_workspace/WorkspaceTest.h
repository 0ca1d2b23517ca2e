// The defect list's and the editor's suite: one demo server with more
// defects (see kWorkspaceSql), and for each test a fresh context logged in
// to it as admin in project Demo; message boxes are answered and recorded.
#pragma once

#include "CQueryConditionDlg.h"
#include "CResultGrid.h"
#include "CZentryView.h"
#include "ClientFixtures.h"

#include <QDateTimeEdit>
#include <gtest/gtest.h>

#include <memory>

// 2500 defects of a project "Big" (more than the server's row cap and the
// first page), a defect with an attachment, defects whose status, version
// or priority the lists lack, and a description with Windows line ends.
inline const char* const kWorkspaceSql =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2500) "
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_DETECTION_DATE,BG_ATTACHMENT) "
    "SELECT 1000+i,CASE i%2 WHEN 0 THEN '00-New' ELSE '01-Open' END,'Big','bulk '||i,"
    "'2020-01-01',CASE i%100 WHEN 0 THEN 1 ELSE 0 END FROM n;"
    "UPDATE t_bug SET BG_ATTACHMENT=1 WHERE BG_BUG_ID=2;"
    "INSERT INTO t_bug_attach (BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,UPLOAD_USER,PRJ_NAME) "
    "VALUES (2,'a.txt','2008-03-03 10:00:00',1.0,'admin','Demo');"
    "UPDATE t_bug SET BG_PRIORITY='zz-odd' WHERE BG_BUG_ID=4;"
    "UPDATE t_bug SET BG_STATUS='99-Odd',BG_DETECTION_VERSION='9.9',BG_PRIORITY='' "
    "WHERE BG_BUG_ID=12;"
    "UPDATE t_bug SET BG_DESCRIPTION='line one'||char(13)||char(10)||'line two' WHERE BG_BUG_ID=14;"
    "UPDATE T_CFG_SEQ SET SEQ_VALUE=5000 WHERE SEQ_NAME='SEQ_BUG';";

class WorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(CDemoServer::SuiteOptions(kWorkspaceSql))) << s_server->Output();
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(ctx)) << answerer.m_texts.join(" | ").toStdString();
        ctx.m_currentProject = QStringLiteral("Demo");
        // Show the attachment column too.
        ctx.m_queryFields[10 + ctx.GetColumnOrder("BG_ATTACHMENT") - 1] = QLatin1Char('1');
    }
    QString Value(const QString& sql) { return s_server->Value(ctx, sql); }
    int Count(const QString& sql) { return s_server->Count(ctx, sql); }
    // Every defect of the project since 2000 through the condition panel.
    void QueryAll(CZentryView& view)
    {
        view.ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view.ConditionPanel()->OnQuery();
    }
    int RowOf(CResultGrid& grid, int bugId)
    {
        const int column = grid.FieldColumn("BG_BUG_ID");
        for (int row = 0; row < grid.RowCount(); ++row)
            if (grid.Model()->Text(row, column).toInt() == bugId) return row;
        return -1;
    }
    void SavePng(QWidget& widget, const char* name) { EXPECT_TRUE(SaveScreenshot(widget, name)); }

    static inline std::unique_ptr<CDemoServer> s_server;
    CModalAnswerer answerer;
    CAppContext ctx;
};
