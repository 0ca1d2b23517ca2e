#include "WorkspaceHooks.h"

#include "CAppContext.h"
#include "CDefectEditDlg.h"
#include "CZentryApp.h"
#include "CZentryView.h"
#include "MainFrame.h"
#include "WorkspaceIds.h"

#include <QPointer>

void RegisterWorkspaceCommands(CMainFrame& frame)
{
    if (CZentryApp* app = CZentryApp::Instance()) RegisterWorkspaceCommands(frame, app->m_context);
}

void RegisterWorkspaceCommands(CMainFrame& frame, CAppContext& context)
{
    QPointer<CMainFrame> owner(&frame);
    frame.SetCommandHandler(WorkspaceIds::CmdNewDefect, [owner, &context]() {
        if (!owner) return;
        context.m_currentBugId = -1;
        {
            CDefectEditDlg editor(context, owner);
            editor.exec();
        }
        if (owner && owner->m_currentViewId == WorkspaceIds::DefectListView)
            if (auto* view = qobject_cast<CZentryView*>(owner->CurrentView())) view->OnRefresh();
    });
    // PreView: the list view shows or hides its quick-edit panel.
    frame.SetCommandHandler(WorkspaceIds::CmdPreview, [owner]() {
        if (!owner || owner->m_currentViewId != WorkspaceIds::DefectListView) return;
        if (auto* view = qobject_cast<CZentryView*>(owner->CurrentView())) view->TogglePreview();
    });
}
