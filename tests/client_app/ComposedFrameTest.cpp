// The views and the cached projects of the composed main frame: the
// statistics view, New defect refreshing the list, the editor's field
// labels, the project selector following what administration did to the
// projects, and the quick-edit panel's text when the list goes.
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CLabelCtrl.h"
#include "CQueryConditionDlg.h"
#include "CQuickEditDlg.h"
#include "CProjectSettingDlg.h"
#include "CStatisticsView.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "ProjectCaches.h"
#include "WorkspaceIds.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

class ComposedFrame : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }
    void SetUp() override { ASSERT_TRUE(client.Login(*s_server)) << s_server->Output(); }

    CModalAnswerer answerer;
    CComposedClient client;
};

TEST_F(ComposedFrame, MainFrameShowsTheStatisticsView)
{
    CMainFrame& frame = client.Frame();
    CAppContext& context = client.Context();
    frame.SwitchView(1065);
    auto* shown = qobject_cast<CQueryDefectForm*>(frame.CurrentView());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->ChartButton()->text(), context.Text(CQueryDefectForm::ShowChartId));
    EXPECT_EQ(context.Text(CQueryDefectForm::ShowChartId), "Chart");
}

TEST_F(ComposedFrame, MainFrameNewDefectOpensTheEditorThenRefreshesTheList)
{
    CAppContext& context = client.Context();
    context.m_currentProject = QStringLiteral("Demo");
    CMainFrame& frame = client.Frame();
    frame.SwitchView(ids::kViewDefectList);
    auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
    ASSERT_NE(view, nullptr);
    QAction* newDefect = frame.Action(ids::kCmdNewBug);
    ASSERT_NE(newDefect, nullptr);
    ASSERT_TRUE(newDefect->isEnabled());
    view->RefreshList("select BG_BUG_ID from t_bug where 1=0");

    bool opened = false;
    QTimer::singleShot(100, [&opened]() {
        if (auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget())) {
            opened = editor->FieldsPage()->DefectId() > 0;
            editor->reject();
        }
    });
    newDefect->trigger();
    EXPECT_TRUE(opened);
    EXPECT_GT(context.m_currentBugId, 0);
    EXPECT_NE(view->LastSql().indexOf("prj_name='Demo'"), -1) << view->LastSql().toStdString();
}

// The editor's field labels are label controls: "*" and ":" around the
// language text, the required ones red, the background colour when the
// background is filled, and the pointer resting on one and leaving it
// noticed.
TEST_F(ComposedFrame, TheEditorsFieldLabelsAreLabelControls)
{
    CAppContext& context = client.Context();
    const QColor red(225, 0, 0);
    const struct {
        int id;
        const char* mark;
        bool red;
    } labels[] = {{WorkspaceIds::LabelId, "*", true},          {WorkspaceIds::LabelStatus, "*", true},
                  {WorkspaceIds::LabelSummary, "*", true},     {WorkspaceIds::LabelResponsible, "*", true},
                  {WorkspaceIds::LabelDetectedBy, "*", false}, {WorkspaceIds::LabelSeverity, "*", true},
                  {WorkspaceIds::LabelDescription, "*", true}, {WorkspaceIds::LabelPriority, "", false},
                  {WorkspaceIds::LabelDetectionDate, "", false}, {WorkspaceIds::LabelDetectionVersion, "", false},
                  {WorkspaceIds::LabelComment, "", false}};
    for (const int fill : {0, 1}) {
        SCOPED_TRACE(fill ? "background filled" : "system background");
        context.m_fillBackground = fill;
        CMainFrame& frame = client.Frame();
        bool checked = false;
        QTimer::singleShot(100, [&] {
            auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget());
            if (!editor) return;
            checked = true;
            CDefectFieldsDlg* page = editor->FieldsPage();
            for (const auto& expected : labels) {
                CLabelCtrl* label = page->FieldLabel(expected.id);
                ASSERT_NE(label, nullptr) << expected.id;
                EXPECT_EQ(label->GetText(), QString::fromLatin1(expected.mark) + context.Text(expected.id) + ":");
                EXPECT_EQ(label->m_textColor == red, expected.red) << expected.id;
                EXPECT_EQ(label->m_useSystemBk, fill ? 0 : 1) << expected.id;
                if (fill) {
                    EXPECT_EQ(label->m_bkColor, context.m_bgColor) << expected.id;
                }
                EXPECT_TRUE(label->rect().contains(label->TextBlockRect())) << expected.id;
            }
            // Resting on the summary's label, then moving to its edit, as
            // the pointer moves over the editor's window.
            CLabelCtrl* label = page->FieldLabel(WorkspaceIds::LabelSummary);
            QWindow* window = editor->windowHandle();
            QSignalSpy hovered(label, &CLabelCtrl::Hovered);
            QSignalSpy left(label, &CLabelCtrl::Left);
            QTest::mouseMove(window, label->mapTo(editor, QPoint(3, 3)));
            EXPECT_EQ(label->m_tracking, 1);
            EXPECT_TRUE(hovered.wait(1000));
            EXPECT_EQ(left.count(), 0);
            QTest::mouseMove(window, page->Summary()->mapTo(editor, QPoint(3, 3)));
            EXPECT_EQ(left.count(), 1);
            EXPECT_EQ(label->m_tracking, 0);
            EXPECT_EQ(hovered.count(), 1);
            editor->reject();
        });
        frame.Action(ids::kCmdNewBug)->trigger();
        EXPECT_TRUE(checked);
    }
}

TEST_F(ComposedFrame, TheFrameFollowsRenamedAndDeletedProjects)
{
    // A server of its own: the projects are renamed and deleted.
    CDemoServer own;
    ASSERT_TRUE(own.Start(CDemoServer::SuiteOptions())) << own.Output();
    CComposedClient mine;
    ASSERT_TRUE(mine.Login(own));
    CAppContext& ctx = mine.Context();
    ctx.m_currentProject = "Demo";
    CMainFrame& frame = mine.Frame();
    CProjectSettingDlg dlg(ctx);
    dlg.m_projects->setCurrentRow(0);
    dlg.OnRename("Demo2");
    ASSERT_TRUE(RefreshProjectCaches(ctx));
    QStringList shown;
    for (int i = 0; i < frame.ProjectCombo()->count(); ++i) shown << frame.ProjectCombo()->itemText(i);
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"Demo2", QStringLiteral("Zentry演示")}));
    EXPECT_EQ(ctx.m_currentProject, "Demo2");
    QComboBox versions;
    ctx.FillVersionCombo(&versions, "Demo2", 0);
    EXPECT_EQ(versions.count(), 3);

    dlg.m_projects->setCurrentRow(0);
    dlg.OnDelete();
    ASSERT_TRUE(RefreshProjectCaches(ctx));
    EXPECT_EQ(frame.ProjectCombo()->count(), 1);
    EXPECT_EQ(ctx.m_currentProject, QStringLiteral("Zentry演示"));
}

// The quick-edit panel writes what it shows before the list goes (another
// view, the window's close); what it cannot write keeps the list and the
// window unless the user lets it go, or the program ends unattended.
TEST_F(ComposedFrame, TheQuickEditPanelWritesWhatItShowsBeforeTheListGoes)
{
    CAppContext& context = client.Context();
    context.m_currentProject = QStringLiteral("Demo");
    CMainFrame& frame = client.Frame();
    const auto showList = [&frame]() {
        frame.SwitchView(ids::kViewDefectList);
        auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
        if (!view) return view;
        view->ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view->ConditionPanel()->OnQuery();
        view->TogglePreview();
        CDefectListGrid& grid = *view->Grid();
        grid.setCurrentIndex(grid.Model()->index(grid.RowOfDefect(2), 0));
        return view;
    };
    const auto summary = [this]() {
        return s_server->Value(client.Context(), "select BG_SUMMARY from t_bug where BG_BUG_ID=2");
    };

    CZentryView* view = showList();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->QuickEditPanel()->ShownId(), 2);
    view->QuickEditPanel()->SummaryEdit()->setText("typed before going home");
    frame.SwitchView(ids::kViewHome);
    EXPECT_EQ(frame.m_currentViewId, ids::kViewHome);
    EXPECT_EQ(summary(), "typed before going home");

    // Refused (another save changed the summary) and kept: the list stays,
    // and so does the window.
    view = showList();
    ASSERT_NE(view, nullptr);
    view->QuickEditPanel()->SummaryEdit()->setText("typed, then refused");
    const auto savedElsewhere = [&context](const char* text) {
        return CDemoServer::Exec(
            context, QStringLiteral("update t_bug set BG_SUMMARY='%1' where BG_BUG_ID=2").arg(text));
    };
    ASSERT_TRUE(savedElsewhere("saved elsewhere"));
    answerer.SetAnswerYes(false);
    frame.SwitchView(ids::kViewHome);
    EXPECT_EQ(frame.CurrentView(), view);
    EXPECT_EQ(view->QuickEditPanel()->SummaryEdit()->text(), "typed, then refused");
    EXPECT_EQ(answerer.m_texts.last(), context.Text(WorkspaceIds::MsgDiscardEdits));
    EXPECT_EQ(summary(), "saved elsewhere");
    ASSERT_TRUE(savedElsewhere("saved elsewhere again"));
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(view->QuickEditPanel()->SummaryEdit()->text(), "typed, then refused");
    EXPECT_EQ(summary(), "saved elsewhere again");

    // Unattended, the window closes all the same and writes nothing; the
    // text waits in the user's folder for the next start.
    ASSERT_TRUE(savedElsewhere("saved elsewhere once more"));
    QTemporaryDir folder;
    context.m_configDir = folder.path();
    context.m_unattended = true;
    frame.close();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(summary(), "saved elsewhere once more");
    EXPECT_NE(ReadText(folder.path() + "/unsaved_edits.json").find("typed, then refused"), std::string::npos);
}
