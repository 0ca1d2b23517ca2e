#include "ProjectAdminCommands.h"

#include "AdminSql.h"
#include "CAppContext.h"
#include "CFlowDefineDlg.h"
#include "CParamSettingDlg.h"
#include "CProjectSettingDlg.h"
#include "ClientIds.h"
#include "MainFrame.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

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

bool RefreshProjectCaches(CMainFrame& frame, CAppContext& context)
{
    const QString user = ToQt(context.m_settings.GetValue("user_name", "common"));
    CResultSet projects;
    if (AdminSql::Select(context,
                         QStringLiteral("select distinct prj_name from t_user_prj where user_name='%1' ")
                             .arg(AdminSql::Q(user)),
                         projects) < 0)
        return false;
    CResultSet versions;
    if (context.RunSelect("select distinct prj_name,version_no from t_cfg_version", versions) < 0) return false;
    context.m_projects = projects;
    context.m_versions = versions;
    bool found = false;
    for (int row = 0; row < projects.GetRowCount() && !found; ++row)
        found = ToQt(projects.GetValueAt(row, 0)).compare(context.m_currentProject, Qt::CaseInsensitive) == 0;
    if (!found)
        context.m_currentProject = projects.GetRowCount() > 0 ? ToQt(projects.GetValueAt(0, 0)) : QString();
    frame.FillProjectCombo();
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
        if (owner) RefreshProjectCaches(*owner, context);
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
