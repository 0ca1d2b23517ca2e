// The defect editor (new defects, transitions and history, field rights,
// the attachment flag, Modify and Escape) driven offscreen against a real
// lumenolite with the demo database.
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
#include "RelayProxy.h"
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

TEST_F(WorkspaceTest, NewDefectTakesAFreeIdAndChecksRequiredFields)
{
    ctx.m_currentBugId = -1;
    CDefectEditDlg editor(ctx);
    CDefectFieldsDlg& page = *editor.FieldsPage();
    const int id = page.DefectId();
    EXPECT_GE(id, 5000);
    EXPECT_EQ(ctx.m_currentBugId, id);
    EXPECT_TRUE(editor.NewButton()->isVisibleTo(&editor));
    EXPECT_FALSE(editor.ModifyButton()->isVisibleTo(&editor));
    EXPECT_EQ(GetComboText(page.Status()), "00-New");
    EXPECT_EQ(GetComboText(page.Severity()), "01-中");
    EXPECT_FALSE(page.ClosingVersion()->isVisibleTo(&page));
    // The project has versions, but none is chosen for the user.
    ASSERT_GT(page.DetectionVersion()->count(), 0);
    EXPECT_EQ(GetComboText(page.DetectionVersion()), "");

    // Required fields in order: description first, then summary, ...
    EXPECT_EQ(page.InsertDefect(), 0);
    EXPECT_EQ(answerer.m_texts.last(), ctx.Text(LabelDescription) + " " + ctx.Text(MsgRequired));
    page.Description()->setPlainText("crash on 'save'");
    EXPECT_EQ(page.InsertDefect(), 0);
    EXPECT_EQ(answerer.m_texts.last(), ctx.Text(LabelSummary) + " " + ctx.Text(MsgRequired));
    page.Summary()->setText("新缺陷 'quoted'");
    EXPECT_EQ(page.InsertDefect(), 0);
    EXPECT_EQ(answerer.m_texts.last(), ctx.Text(LabelResponsible) + " " + ctx.Text(MsgRequired));
    page.Responsible()->SelectText("zhang (张伟)", 3);

    // Someone else stores a defect under the id meanwhile: another id is used.
    ctx.m_http.ExecSql(QString("insert into t_bug(BG_BUG_ID,PRJ_NAME,BG_SUMMARY) values(%1,'Demo','other')")
                           .arg(id).toUtf8().constData(),
                       ctx.m_lastError);
    ASSERT_EQ(page.InsertDefect(), 1) << answerer.m_texts.join("|").toStdString();
    const int stored = ctx.m_currentBugId;
    EXPECT_NE(stored, id);
    EXPECT_EQ(Value(QString("select BG_SUMMARY from t_bug where BG_BUG_ID=%1").arg(id)), "other");
    EXPECT_EQ(Value(QString("select BG_SUMMARY from t_bug where BG_BUG_ID=%1").arg(stored)),
              "新缺陷 'quoted'");
    EXPECT_EQ(Value(QString("select BG_DESCRIPTION from t_bug where BG_BUG_ID=%1").arg(stored)),
              "crash on 'save'");
    EXPECT_EQ(Value(QString("select BG_DETECTED_BY||'/'||BG_RESPONSIBLE||'/'||BG_STATUS||'/'||"
                            "coalesce(BG_DETECTION_VERSION,'') from t_bug where BG_BUG_ID=%1")
                        .arg(stored)),
              "admin/zhang/00-New/");
    // The date goes in as a day without time; nothing else is stamped.
    EXPECT_EQ(Value(QString("select BG_DETECTION_DATE||'/'||coalesce(BG_CLOSING_DATE,'')||'/'||"
                            "coalesce(BG_ATTACHMENT,'') from t_bug where BG_BUG_ID=%1").arg(stored)),
              QDate::currentDate().toString("yyyy-MM-dd") + "//0");
    EXPECT_EQ(Count(QString("select count(*) from t_bug_status where BG_BUG_ID=%1").arg(stored)), 0);
}

TEST_F(WorkspaceTest, NewDefectIsNotInsertedWithoutItsWholeTexts)
{
    // The connection breaks while the description travels to the server.
    CRelayProxy relay(s_server->Port());
    ASSERT_TRUE(relay.Start()) << relay.Error();
    ctx.m_http.SetConnection("127.0.0.1", relay.Port(), "admin", "admin");
    const auto fill = [](CDefectFieldsDlg& page, const QString& summary) {
        page.Summary()->setText(summary);
        page.Responsible()->SelectText("zhang (张伟)", 3);
        page.Description()->setPlainText(summary + " description");
        page.Comment()->setPlainText(summary + " comment");
    };
    const auto stored = [this](const QString& summary) {
        return Value(QString("select BG_DESCRIPTION||'|'||BG_DEV_COMMENTS from t_bug where "
                             "BG_SUMMARY='%1'").arg(summary));
    };
    {
        // A first defect leaves its texts in the session.
        ctx.m_currentBugId = -1;
        CDefectEditDlg editor(ctx);
        fill(*editor.FieldsPage(), "first upload");
        ASSERT_EQ(editor.FieldsPage()->InsertDefect(), 1) << answerer.Joined().toStdString();
    }
    ctx.m_currentBugId = -1;
    CDefectEditDlg editor(ctx);
    editor.show();
    CDefectFieldsDlg& page = *editor.FieldsPage();
    fill(page, "second upload");
    relay.DropNext("/Lumeno/exec_sql_prepare");
    const int messages = answerer.m_texts.size();
    editor.NewButton()->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_GT(answerer.m_texts.size(), messages);
    EXPECT_NE(answerer.m_texts.last(), ctx.Text(MsgSuccess));
    EXPECT_EQ(Count("select count(*) from t_bug where BG_SUMMARY='second upload'"), 0);
    EXPECT_EQ(page.Description()->toPlainText(), "second upload description");
    EXPECT_EQ(page.Comment()->toPlainText(), "second upload comment");

    // New again, the connection whole: stored with its own texts.
    editor.NewButton()->click();
    EXPECT_FALSE(editor.isVisible()) << answerer.Joined().toStdString();
    EXPECT_EQ(stored("second upload"), "second upload description|second upload comment");
    EXPECT_EQ(stored("first upload"), "first upload description|first upload comment");
}

TEST_F(WorkspaceTest, EditorOffersTransitionsKeepsValuesAndWritesHistory)
{
    ctx.m_currentBugId = 5;  // 01-Open, no closing date
    ctx.m_currentProject = QStringLiteral("Zentry演示");
    {
        CDefectEditDlg editor(ctx);
        editor.resize(640, 560);
        editor.show();
        CDefectFieldsDlg& page = *editor.FieldsPage();
        QStringList offered;
        for (int i = 0; i < page.Status()->count(); ++i) offered << page.Status()->itemText(i);
        EXPECT_EQ(offered, QStringList({"01-Open", "02-Fixed", "05-Reject", "06-Delay"}));
        EXPECT_EQ(page.Responsible()->GetText(), "li (李娜)");
        EXPECT_EQ(editor.HistoryPage()->Grid()->RowCount(), 2);
        SavePng(editor, "defect_editor");

        SelectComboText(page.Status(), "02-Fixed", 0);
        ASSERT_EQ(page.SaveDefect(), 1);
        EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID=5"), 3);
        EXPECT_EQ(Value("select BG_STATUS_FROM||'>'||BG_STATUS_TO||'>'||BG_RESPONSIBLE from "
                        "t_bug_status where BG_BUG_ID=5 order by BG_STATUS_DATE desc"),
                  "01-Open>02-Fixed>admin");
        // The hidden closing date stamped nothing.
        EXPECT_EQ(Value("select coalesce(BG_CLOSING_DATE,'') from t_bug where BG_BUG_ID=5"), "");
        ASSERT_EQ(page.SaveDefect(), 1);  // no status change: no history row
        EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID=5"), 3);
    }
    {
        // A priority the list lacks is kept, not saved empty.
        ctx.m_currentBugId = 4;
        ctx.m_currentProject = QStringLiteral("Demo");
        CDefectEditDlg editor(ctx);
        EXPECT_EQ(GetComboText(editor.FieldsPage()->Priority()), "zz-odd");
        ASSERT_EQ(editor.FieldsPage()->SaveDefect(), 1);
        EXPECT_EQ(Value("select BG_PRIORITY from t_bug where BG_BUG_ID=4"), "zz-odd");
        // 05-Reject leads only to 04-ReOpen.
        EXPECT_EQ(editor.FieldsPage()->Status()->count(), 2);
    }
    {
        // An unknown status and version are kept too; an empty priority stays empty.
        ctx.m_currentBugId = 12;
        CDefectEditDlg editor(ctx);
        CDefectFieldsDlg& page = *editor.FieldsPage();
        EXPECT_EQ(GetComboText(page.Status()), "99-Odd");
        const int history = Count("select count(*) from t_bug_status where BG_BUG_ID=12");
        ASSERT_EQ(page.SaveDefect(), 1);
        EXPECT_EQ(Value("select BG_STATUS||'/'||BG_DETECTION_VERSION||'/'||coalesce(BG_PRIORITY,'') "
                        "from t_bug where BG_BUG_ID=12"),
                  "99-Odd/9.9/");
        EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID=12"), history);
    }
}

TEST_F(WorkspaceTest, ModifySetsTheAttachmentFlagByTheListedAttachments)
{
    struct Case {
        int bugId;
        int listed;
        const char* flag;
    };
    // Defect 2 has one attachment record; defect 1100 carries the flag without one.
    const Case cases[] = {{2, 1, "1"}, {1100, 0, "0"}, {3, 0, "0"}};
    for (const Case& c : cases) {
        ctx.m_currentBugId = c.bugId;
        ctx.m_currentProject = Value(QString("select PRJ_NAME from t_bug where BG_BUG_ID=%1").arg(c.bugId));
        CDefectEditDlg editor(ctx);
        CAttachmentDlg& attachments = *editor.AttachmentsPage();
        EXPECT_EQ(attachments.RowCount(), c.listed) << c.bugId;
        if (c.listed) {
            const int name = attachments.Grid()->FieldColumn("FILE_NAME");
            ASSERT_GE(name, 0);
            EXPECT_EQ(attachments.Grid()->Model()->Text(0, name), "a.txt");
        }
        CDefectFieldsDlg& page = *editor.FieldsPage();
        if (page.Description()->toPlainText().isEmpty()) page.Description()->setPlainText("d");
        if (page.Responsible()->GetText().isEmpty()) page.Responsible()->SelectText("zhang (张伟)", 3);
        if (page.DetectedBy()->GetText().isEmpty()) page.DetectedBy()->SelectText("zhang (张伟)", 3);
        if (GetComboText(page.Severity()).isEmpty()) SelectComboText(page.Severity(), "01-中", 0);
        ASSERT_EQ(page.SaveDefect(), 1) << c.bugId << answerer.m_texts.join("|").toStdString();
        EXPECT_EQ(Value(QString("select BG_ATTACHMENT from t_bug where BG_BUG_ID=%1").arg(c.bugId)),
                  c.flag)
            << c.bugId;
    }
}

TEST_F(WorkspaceTest, FieldRightsComeFromTheRightsString)
{
    ctx.m_currentBugId = 6;
    // Every field right granted but the summary's (column 2) and the status's (3).
    ctx.m_rights = QString("1110000000") + "1001" + QString(50, QLatin1Char('1'));
    CDefectEditDlg editor(ctx);
    CDefectFieldsDlg& page = *editor.FieldsPage();
    EXPECT_TRUE(page.Summary()->isReadOnly());
    EXPECT_FALSE(page.Status()->isEnabled());
    EXPECT_FALSE(page.Description()->isReadOnly());
    EXPECT_TRUE(page.Responsible()->isEnabled());
    EXPECT_TRUE(page.ClosingVersion()->isVisibleTo(&page));
    // A rights string too short for a field grants nothing for it.
    ctx.m_rights = QStringLiteral("11100000001111");
    CDefectEditDlg shortRights(ctx);
    EXPECT_FALSE(shortRights.FieldsPage()->Responsible()->isEnabled());
    EXPECT_FALSE(shortRights.FieldsPage()->Summary()->isReadOnly());
}

TEST_F(WorkspaceTest, ModifyClosesOnlyAfterASaveAndEscapeKeepsTheEditor)
{
    ctx.m_currentBugId = 8;
    CDefectEditDlg editor(ctx);
    editor.show();
    CDefectFieldsDlg& page = *editor.FieldsPage();
    EXPECT_EQ(editor.windowTitle(), ctx.Text(TitleModifyDefect));

    // Escape inside the page does not close the editor.
    QTest::keyClick(page.Summary(), Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());

    // A failed save keeps the editor open with the input.
    const QString summary = Value("select BG_SUMMARY from t_bug where BG_BUG_ID=8");
    page.Summary()->clear();
    editor.ModifyButton()->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(answerer.m_texts.last(), ctx.Text(LabelSummary) + " " + ctx.Text(MsgRequired));
    EXPECT_EQ(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=8"), summary);

    page.Summary()->setText("saved from the editor");
    editor.ModifyButton()->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(answerer.m_texts.last(), ctx.Text(MsgSuccess));
    EXPECT_EQ(Value("select BG_SUMMARY from t_bug where BG_BUG_ID=8"), "saved from the editor");
}
