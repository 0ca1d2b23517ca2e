#include "ProjectAdminCommands.h"

#include "AdminSql.h"
#include "CAppContext.h"
#include "CFlowDefineDlg.h"
#include "CParamSettingDlg.h"
#include "CProjectSettingDlg.h"
#include "ClientIds.h"
#include "MainFrame.h"
#include "ProjectAdminIds.h"
#include "ProjectCaches.h"

#include <QPointer>

namespace {

bool Allowed(CAppContext& context)
{
    if (AdminSql::CanAdminister(context)) return true;
    context.ShowMessage(context.Text(ProjectAdminIds::MsgNoAdminRight));
    return false;
}

}  // namespace

bool ApplyWorkflowChanges(CMainFrame& frame, CAppContext& context, const CFlowDefineDlg& page)
{
    if (page.m_statusesChanged && !frame.ReloadParams()) return false;
    if (page.m_rulesChanged &&
        context.RunSelect("select distinct TR_RULES_FROM,TR_RULES_TO from T_BUG_TRANS_RULE where "
                          "COLUMN_NAME='BG_STATUS' ",
                          context.m_transRules) < 0)
        return false;
    return true;
}

void RegisterProjectAdminCommands(CMainFrame& frame, CAppContext& context)
{
    QPointer<CMainFrame> owner(&frame);
    frame.SetCommandHandler(ids::kCmdProjectDlg, [owner, &context]() {
        if (!owner || !Allowed(context)) return;
        {
            CProjectSettingDlg dialog(context, owner);
            dialog.exec();
        }
        if (owner) RefreshProjectCaches(context, owner);
    });
    frame.SetCommandHandler(ids::kCmdListMgr, [owner, &context]() {
        if (!owner || !Allowed(context)) return;
        CParamSettingDlg dialog(context, owner);
        dialog.exec();
    });
    frame.SetCommandHandler(ids::kCmdWorkflow, [owner, &context]() {
        if (!owner || !Allowed(context)) return;
        CFlowDefineDlg page(context, owner);
        page.exec();
        if (owner) ApplyWorkflowChanges(*owner, context, page);
    });
}
