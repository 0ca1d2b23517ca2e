// The project dialogs against a real server: the SQL they send and what it
// leaves in the database, read back through the server.
#include "CFlowDefineDlg.h"
#include "CNameCascade.h"
#include "CParamSettingDlg.h"
#include "CProjectEditDlg.h"
#include "CProjectListGrid.h"
#include "CProjectSettingDlg.h"
#include "CProjectSettingFullDlg.h"
#include "CSysPropSheet.h"
#include "CTreeComboBox.h"
#include "CUserProjectsDlg.h"
#include "CVersionsDlg.h"
#include "ProjectCaches.h"
#include "ProjectAdminServer.h"
#include "QtText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace projectadmin;

namespace {

// Two attachment rows and status history for defects of both projects.
const char* kHistory =
    "insert into t_bug_attach (BG_BUG_ID,FILE_NAME,PRJ_NAME) values (2,'a.txt','Demo'),(1,'b.txt','Zentry演示');"
    "insert into t_bug_status (BG_BUG_ID,BG_STATUS_FROM,BG_STATUS_TO) values (2,'00-New','01-Open'),"
    "(4,'00-New','05-Reject'),(1,'00-New','01-Open');";

// Rows of every table that holds a project name, for one project.
QStringList Holdings(CAppContext& ctx, const QString& project)
{
    QStringList counts;
    for (const char* table : {"t_prj", "t_bug", "t_bug_attach", "t_user_prj", "t_cfg_version"})
        counts << QStringLiteral("%1=%2").arg(QLatin1String(table))
                      .arg(CountRows(ctx, QStringLiteral("select count(*) from %1 where prj_name='%2'")
                                                   .arg(QLatin1String(table), project)));
    return counts;
}

}  // namespace

TEST(ProjectCascade, DeleteGoesChildrenFirstAndRenameStartsWithTheProjectRow)
{
    const QStringList drop = CNameCascade::ProjectDelete(QStringLiteral("O'Neil"));
    ASSERT_EQ(drop.size(), 6);
    const char* order[] = {"t_bug_status", "t_bug_attach", "t_bug ", "t_cfg_version", "t_user_prj", "t_prj "};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE((drop[i] + " ").contains(QLatin1String(order[i]))) << drop[i].toStdString();
    for (const QString& sql : drop) EXPECT_TRUE(sql.contains("'O''Neil'")) << sql.toStdString();

    const QStringList rename = CNameCascade::ProjectRename("a'b", "c");
    ASSERT_EQ(rename.size(), 5);
    EXPECT_EQ(rename.first(), "update t_prj set prj_name='c' where prj_name='a''b'");
}

class ProjectDialogs : public ProjectAdminTest {};

TEST_F(ProjectDialogs, PlainListAddsRenamesEverywhereAndDeletesEverything)
{
    StartWith(kHistory);
    CProjectSettingDlg dlg(ctx);
    EXPECT_EQ(dlg.m_projects->count(), 2);
    EXPECT_EQ(dlg.m_name->text(), "Demo");  // the first entry is selected and copied

    // Add; a listed name in another letter case is ignored.
    dlg.m_name->setText("Alpha's");
    dlg.OnAdd();
    dlg.m_name->setText("ALPHA'S");
    dlg.OnAdd();
    EXPECT_EQ(Rows("select prj_name from t_prj order by prj_name"),
              (QStringList{"Alpha's", "Demo", "Zentry演示"}));

    // Rename carries the name into defects, attachments, members, versions.
    const QStringList before = Holdings(ctx, "Demo");
    const int demoBugs = Count("select count(*) from t_bug where prj_name='Demo'");
    const int otherHistory = Count("select count(*) from t_bug_status where BG_BUG_ID=1");
    ctx.m_currentProject = "Demo";
    dlg.m_projects->setCurrentRow(1);
    dlg.OnRename("Demo2");
    EXPECT_EQ(Holdings(ctx, "Demo2"), before);
    EXPECT_EQ(Holdings(ctx, "Demo").join(','),
              "t_prj=0,t_bug=0,t_bug_attach=0,t_user_prj=0,t_cfg_version=0");
    EXPECT_EQ(ctx.m_currentProject, "Demo2");
    EXPECT_EQ(ToQt(ctx.m_settings.GetValue("default_prj", "pstyle")), "Demo2");

    // A name another project has is refused before anything changes.
    dlg.m_projects->setCurrentRow(1);
    ASSERT_EQ(dlg.m_projects->currentItem()->text(), "Demo2");
    dlg.OnRename(QStringLiteral("zentry演示"));
    EXPECT_EQ(ctx.m_lastMessage, ctx.Text(9362));
    EXPECT_EQ(Count("select count(*) from t_bug where prj_name='Demo2'"), demoBugs);

    // Delete takes the status history, attachments, defects, versions and
    // members of the project with it; the other project keeps its own.
    const QStringList other = Holdings(ctx, QStringLiteral("Zentry演示"));
    dlg.m_projects->setCurrentRow(1);
    dlg.OnDelete();
    EXPECT_EQ(Holdings(ctx, "Demo2").join(','),
              "t_prj=0,t_bug=0,t_bug_attach=0,t_user_prj=0,t_cfg_version=0");
    EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID in (2,4)"), 0);
    EXPECT_EQ(Count("select count(*) from t_bug_status where BG_BUG_ID=1"), otherHistory);
    EXPECT_EQ(Holdings(ctx, QStringLiteral("Zentry演示")), other);
    EXPECT_EQ(dlg.m_projects->count(), 2);
}

TEST_F(ProjectDialogs, DeleteStopsAtTheFirstFailureWithTheServersText)
{
    // Versions that cannot be deleted (a view): the fourth statement fails.
    StartWith("drop table t_cfg_version; create view t_cfg_version as select 'Demo' as PRJ_NAME, "
              "'1.0' as VERSION_NO;");
    CProjectSettingFullDlg page(ctx);
    ASSERT_TRUE(page.OnSetActive());
    ASSERT_EQ(page.m_grid->RowCount(), 2);
    page.m_grid->setCurrentIndex(page.m_grid->Model()->index(0, 0));
    ASSERT_EQ(page.SelectedProject(), "Demo");
    answers.m_texts.clear();
    page.OnDelete();
    ASSERT_EQ(answers.m_texts.size(), 3);  // two questions, then the failure
    EXPECT_TRUE(answers.m_texts[2].contains("t_cfg_version")) << answers.m_texts[2].toStdString();
    // Children before the failure are gone; the project and members stay.
    EXPECT_EQ(Count("select count(*) from t_bug where prj_name='Demo'"), 0);
    EXPECT_EQ(Count("select count(*) from t_user_prj where prj_name='Demo'"), 5);
    EXPECT_EQ(Count("select count(*) from t_prj where prj_name='Demo'"), 1);
}

TEST_F(ProjectDialogs, PageDeleteAsksTwiceAndNoLeavesEverything)
{
    StartWith("");
    CProjectSettingFullDlg page(ctx);
    page.OnSetActive();
    EXPECT_EQ(page.m_grid->Model()->columnCount(), 5);
    page.m_grid->setCurrentIndex(page.m_grid->Model()->index(1, 0));
    EXPECT_EQ(page.m_grid->m_currentProject, QStringLiteral("Zentry演示"));
    answers.SetAnswerYes(false);
    answers.m_texts.clear();
    page.OnDelete();
    EXPECT_EQ(answers.m_texts, QStringList{ctx.Text(4025)});
    EXPECT_EQ(Count("select count(*) from t_prj"), 2);
    answers.SetAnswerYes(true);
    answers.m_texts.clear();
    page.OnDeleteCommand();
    EXPECT_EQ(answers.m_texts.size(), 2);
    EXPECT_EQ(Rows("select prj_name from t_prj"), QStringList{"Demo"});
    EXPECT_EQ(page.m_grid->RowCount(), 1);

    // The context menu carries the localized Delete.
    QMenu* holder = page.CreateGridMenu();
    EXPECT_EQ(holder->actions().first()->menu()->actions().first()->text(), ctx.Text(2033));
    SaveShownScreenshot(page, "project_page");
}

TEST_F(ProjectDialogs, FormInsertsAndSavesEveryAttribute)
{
    StartWith("update t_cfg_st_user set USER_FULLNAME='' where USER_NAME='li';");
    {
        CProjectEditDlg form(ctx);
        form.OnInitDialog();
        EXPECT_EQ(form.m_editMode, 0);
        EXPECT_TRUE(form.m_save->isHidden());
        EXPECT_FALSE(form.m_new->isHidden());
        EXPECT_EQ(form.m_typeCombo->count(), 3);
        form.m_name->setText("Gamma");
        form.m_typeCombo->setCurrentText(QStringLiteral("维护"));
        form.m_english->setText("G");
        form.m_customer->setText("O'Hara & Co");
        form.m_managerCombo->SelectText(QStringLiteral("zhang (张伟)"), 3);
        form.m_devEnv->setText("Qt 6");
        form.m_contractNo->setText("C-9");
        form.m_desc->setPlainText("line 1\nline 2");
        form.OnNew();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(ctx.m_lastMessage, ctx.Text(4003));
    }
    EXPECT_EQ(Rows("select PRJ_TYPE,PRJ_ENGLISH,PRJ_CUSTOMER,PRJ_MANAGER,DEV_ENV,CONTRACT_NO,PRJ_DESC from t_prj "
                   "where prj_name='Gamma'"),
              QStringList{QStringLiteral("维护|G|O'Hara & Co|zhang|Qt 6|C-9|line 1\nline 2")});

    // The same name again: the server refuses it and the form stays open.
    {
        CProjectEditDlg form(ctx);
        form.OnInitDialog();
        form.m_name->setText("gamma");
        form.OnNew();
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_NE(ctx.m_lastMessage, ctx.Text(4003));
    }

    // An existing project: name fixed, only the save button; a manager
    // without a full name is kept by a save.
    CProjectEditDlg form(ctx);
    form.m_projectName = QStringLiteral("Zentry演示");
    form.OnInitDialog();
    EXPECT_EQ(form.m_editMode, 1);
    EXPECT_FALSE(form.m_name->isEnabled());
    EXPECT_TRUE(form.m_new->isHidden());
    EXPECT_EQ(form.m_customer->text(), "ACME");
    EXPECT_EQ(form.m_typeCombo->currentText(), QStringLiteral("维护"));
    form.m_customer->setText("Initech");
    form.OnSave();
    EXPECT_EQ(Rows(QStringLiteral("select PRJ_CUSTOMER,PRJ_MANAGER,PRJ_TYPE from t_prj where prj_name='Zentry演示'")),
              QStringList{QStringLiteral("Initech|li|维护")});
    SaveShownScreenshot(form, "project_form");
}

TEST_F(ProjectDialogs, VersionsAddOnceInAnyCaseAndDelete)
{
    StartWith("insert into t_cfg_version values ('Demo','Beta');");
    CVersionsDlg dlg(ctx);
    dlg.m_projectName = "Demo";
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.windowTitle(), "Demo " + ctx.Text(1051));
    EXPECT_EQ(dlg.m_versions->count(), 4);
    dlg.m_version->setText("3.0");
    dlg.OnAdd();
    dlg.m_version->setText("BETA");
    dlg.OnAdd();
    EXPECT_EQ(Count("select count(*) from t_cfg_version where prj_name='Demo'"), 5);
    dlg.m_versions->setCurrentRow(0);
    const QString first = dlg.m_versions->currentItem()->text();
    dlg.OnDelete();
    EXPECT_EQ(Count(QString("select count(*) from t_cfg_version where prj_name='Demo' and version_no='%1'").arg(first)), 0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_cfg_version where prj_name='Zentry演示'")), 3);
    EXPECT_EQ(dlg.m_versions->count(), 4);
    // The cached versions (the editor's version lists) follow.
    QComboBox cached;
    ctx.FillVersionCombo(&cached, "Demo", 0);
    EXPECT_EQ(cached.count(), 4);
}

TEST_F(ProjectDialogs, UserProjectsMoveBetweenTheLists)
{
    StartWith("insert into t_prj (PRJ_NAME) values ('Third');");
    CUserProjectsDlg dlg(ctx);
    dlg.m_userName = "wang";
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.m_inProjects->count(), 2);
    EXPECT_EQ(dlg.m_outProjects->count(), 1);
    auto mine = [&] { return Rows("select prj_name from t_user_prj where user_name='wang' order by prj_name"); };

    dlg.m_outProjects->setCurrentRow(0);
    dlg.OnAddProject();
    EXPECT_EQ(mine(), (QStringList{"Demo", "Third", QStringLiteral("Zentry演示")}));
    dlg.m_inProjects->setCurrentRow(0);
    dlg.OnRemoveProject();
    EXPECT_EQ(mine().size(), 2);
    dlg.OnRemoveAllProjects();
    EXPECT_TRUE(mine().isEmpty());
    EXPECT_EQ(dlg.m_outProjects->count(), 3);
    dlg.OnAddAllProjects();
    EXPECT_EQ(mine().size(), 3);
    EXPECT_EQ(dlg.m_outProjects->count(), 0);
    EXPECT_EQ(Count("select count(*) from t_user_prj where user_name='zhang'"), 2);
    EXPECT_EQ(ctx.m_projects.GetRowCount(), 2);  // another user's projects

    // The logged-in user's own: the cached projects follow.
    CUserProjectsDlg own(ctx);
    own.m_userName = "admin";
    own.OnInitDialog();
    own.OnRemoveAllProjects();
    EXPECT_EQ(ctx.m_projects.GetRowCount(), 0);
    EXPECT_TRUE(ctx.m_currentProject.isEmpty());
}

TEST_F(ProjectDialogs, PageNewAndEditRunTheFormThenReload)
{
    StartWith("");
    CProjectSettingFullDlg page(ctx);
    page.OnSetActive();
    ASSERT_EQ(page.m_grid->RowCount(), 2);
    QTimer::singleShot(100, &page, [] {
        auto* form = qobject_cast<CProjectEditDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->m_name->setText("Delta");
        form->m_new->click();
    });
    page.OnNew();
    EXPECT_EQ(page.m_grid->RowCount(), 3);
    EXPECT_EQ(Count("select count(*) from t_prj where prj_name='Delta'"), 1);

    // A double click opens the selected project's form; closing changes nothing.
    page.m_grid->setCurrentIndex(page.m_grid->Model()->index(0, 0));
    const QString selected = page.SelectedProject();
    QString shown;
    QTimer::singleShot(100, &page, [&shown] {
        if (auto* form = qobject_cast<CProjectEditDlg*>(QApplication::activeModalWidget())) {
            shown = form->m_name->text();
            form->m_close->click();
        }
    });
    page.OnGridDblClk();
    EXPECT_EQ(shown, selected);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(page.m_grid->RowCount(), 3);
}

TEST_F(ProjectDialogs, InsideTheSheetThePageFillsWhenChosenAndEscapeClosesTheSheet)
{
    StartWith("");
    CSysPropSheet sheet(ctx, StandardSheetPages());
    auto* projects = qobject_cast<CProjectSettingFullDlg*>(sheet.m_projectsPage);
    auto* lists = qobject_cast<CParamSettingDlg*>(sheet.m_listsPage);
    auto* flow = qobject_cast<CFlowDefineDlg*>(sheet.m_workflowPage);
    ASSERT_TRUE(projects && lists && flow);
    EXPECT_FALSE(projects->isWindow());
    sheet.OnInitDialog();
    sheet.show();
    QApplication::processEvents();
    EXPECT_EQ(projects->m_grid->RowCount(), 2);
    EXPECT_EQ(lists->m_activated, 0);
    EXPECT_EQ(flow->m_initialised, 0);
    sheet.SetActivePage(sheet.Page(2) == lists ? 2 : 3);
    sheet.SetActivePage(sheet.Page(3) == flow ? 3 : 2);
    QApplication::processEvents();
    EXPECT_EQ(lists->m_activated, 1);
    EXPECT_EQ(flow->m_initialised, 1);
    flow->reject();
    QApplication::processEvents();
    EXPECT_FALSE(sheet.isVisible());
}
