// The command table: every command of the main frame, the defect list's
// context menu and the attachments page that is carried out outside the
// window it belongs to, with what carries it out. A command the frame or
// the window does itself is not listed; a window disables every command
// without a row.
#include "CClientComposition.h"

#include "AdminCommands.h"
#include "CAppContext.h"
#include "CAttachmentDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectListGrid.h"
#include "CScreenCaptureDlg.h"
#include "CSendMailDlg.h"
#include "CUpgradeDlg.h"
#include "CZentryApp.h"
#include "CZentryView.h"
#include "GridExport.h"
#include "ClientIds.h"
#include "CustomFieldCommands.h"
#include "IFrameView.h"
#include "MainFrame.h"
#include "WorkspaceIds.h"

#include <QPointer>

#include <functional>
#include <utility>

namespace {

enum class Scope { Frame, List, Attachments };

struct CommandRow {
    Scope scope;
    int id;
    std::function<void(CMainFrame& frame)> frame;
    CCommandHandlers<CZentryView>::Handler list;
    CCommandHandlers<CAttachmentDlg>::Handler attachments;
};

CommandRow OnFrame(int id, std::function<void(CMainFrame& frame)> run)
{
    return {Scope::Frame, id, std::move(run), {}, {}};
}

CommandRow OnList(int id, CCommandHandlers<CZentryView>::Handler run)
{
    return {Scope::List, id, {}, std::move(run), {}};
}

CommandRow OnAttachments(int id, CCommandHandlers<CAttachmentDlg>::Handler run)
{
    return {Scope::Attachments, id, {}, {}, std::move(run)};
}

}  // namespace

void CClientComposition::ComposeCommands(CMainFrame& frame)
{
    CZentryApp& app = m_app;
    CAppContext& context = app.m_context;
    const CommandRow table[] = {
        // The application.
        OnFrame(ids::kCmdAbout, [&app](CMainFrame&) { app.OnAppAbout(); }),
        OnFrame(ids::kCmdLanguageChinese, [&app](CMainFrame&) { app.OnLanguageChinese(); }),
        OnFrame(ids::kCmdLanguageBig5, [&app](CMainFrame&) { app.OnLanguageBig5(); }),
        OnFrame(ids::kCmdLanguageEnglish, [&app](CMainFrame&) { app.OnLanguageEnglish(); }),
        OnFrame(ids::kCmdUpgrade,
                [&context](CMainFrame& owner) {
                    CUpgradeDlg dialog(context, &owner);
                    dialog.exec();
                }),

        // The defect workspace.
        OnFrame(ids::kCmdNewBug,
                [this, &context](CMainFrame& owner) {
                    QPointer<CMainFrame> frame(&owner);
                    context.m_currentBugId = -1;
                    {
                        CDefectEditDlg editor(context, &owner, &m_workspace);
                        editor.exec();
                    }
                    if (frame && frame->m_currentViewId == ids::kViewDefectList)
                        if (IFrameView* view = frame->CurrentFrameView()) view->OnRefresh();
                }),
        OnFrame(ids::kCmdPreview,
                [](CMainFrame& owner) {
                    if (auto* view = qobject_cast<CZentryView*>(owner.CurrentView())) view->TogglePreview();
                }),
        OnList(WorkspaceIds::CmdMail,
               [&context](CZentryView& view) {
                   CSendMailDlg dialog(context, &view);
                   dialog.exec();
               }),
        OnList(WorkspaceIds::CmdExport,
               [&context](CZentryView& view) {
                   // Every row of the query, also those a paged result still brings.
                   view.Grid()->FinishPaging();
                   ExportGridToExcel(context, *view.Grid(), QStringLiteral("grid"), 0);
               }),
        OnAttachments(WorkspaceIds::CmdAttachCapture,
                      [&context](CAttachmentDlg& owner) {
                          QPointer<CAttachmentDlg> page(&owner);
                          QString path;
                          QString name;
                          {
                              CScreenCaptureDlg capture(context, &owner);
                              if (capture.exec() != QDialog::Accepted) return;
                              path = capture.m_jpegPath;
                              name = capture.m_attachName;
                          }
                          if (page) page->AttachScreenshot(path, name);
                      }),
        OnFrame(ids::kCmdDesignCustom, [&context](CMainFrame& owner) { OpenLayoutDesigner(&owner, context); }),
        OnFrame(ids::kCmdFieldAttr,
                [&context](CMainFrame& owner) {
                    OpenFieldAttributes(&owner, context, [&context](QWidget* page) { OpenLookupLists(page, context); });
                }),

        // The administration.
        OnFrame(ids::kCmdSysManage, [this, &context](CMainFrame& owner) { OpenSysSheet(&owner, context, m_sheetPages); }),
        OnFrame(ids::kCmdOptions, [this, &context](CMainFrame& owner) { OpenSysSheet(&owner, context, m_sheetPages); }),
        OnFrame(ids::kCmdUserMgr, [&context](CMainFrame& owner) { OpenUserManager(&owner, context); }),
        OnFrame(ids::kCmdDeptMgr, [&context](CMainFrame& owner) { OpenDepartments(&owner, context); }),
        OnFrame(ids::kCmdListMgr, [&context](CMainFrame& owner) { OpenLookupLists(&owner, context); }),
        OnFrame(ids::kCmdProjectDlg, [&context](CMainFrame& owner) { OpenProjectList(&owner, context); }),
        OnFrame(ids::kCmdWorkflow, [&context](CMainFrame& owner) { OpenWorkflow(&owner, context); }),
    };

    m_workspace = CWorkspaceCommands();
    QPointer<CMainFrame> owner(&frame);
    for (const CommandRow& row : table) {
        switch (row.scope) {
        case Scope::Frame:
            if (row.frame)
                frame.SetCommandHandler(row.id, [owner, run = row.frame] {
                    if (owner) run(*owner);
                });
            break;
        case Scope::List:
            if (row.list) m_workspace.list.Set(row.id, row.list);
            break;
        case Scope::Attachments:
            if (row.attachments) m_workspace.attachments.Set(row.id, row.attachments);
            break;
        }
    }
}
