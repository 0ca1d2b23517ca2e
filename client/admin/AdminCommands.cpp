#include "AdminCommands.h"

#include "AdminCommon.h"
#include "AdminSql.h"
#include "CAppContext.h"
#include "CDepartmentDlg.h"
#include "CFlowDefineDlg.h"
#include "CParamSettingDlg.h"
#include "CProjectSettingDlg.h"
#include "CSysPropSheet.h"
#include "CUserManageDlg.h"
#include "ProjectAdminIds.h"
#include "ProjectCaches.h"

#include <QDialog>
#include <QVBoxLayout>

namespace {

// The project, lookup-list and workflow commands refuse with their own text.
bool Allowed(CAppContext& context)
{
    if (AdminSql::CanAdminister(context)) return true;
    context.ShowMessage(context.Text(ProjectAdminIds::MsgNoAdminRight));
    return false;
}

}  // namespace

void OpenSysSheet(QWidget* parent, CAppContext& context, const CSheetPages& pages)
{
    if (!CheckAdminister(context)) return;
    CSysPropSheet sheet(context, pages, parent);
    sheet.OnInitDialog();
    sheet.exec();
}

void OpenUserManager(QWidget* parent, CAppContext& context)
{
    if (!CheckAdminister(context)) return;
    QDialog dialog(parent);
    dialog.setWindowTitle(context.Text(1014).isEmpty() ? QStringLiteral("用户管理") : context.Text(1014));
    auto* page = new CUserManageDlg(context, &dialog);
    (new QVBoxLayout(&dialog))->addWidget(page);
    dialog.resize(708, 422);
    page->OnSetActive();
    dialog.exec();
}

void OpenDepartments(QWidget* parent, CAppContext& context)
{
    if (!CheckAdminister(context)) return;
    CDepartmentDlg dialog(context, parent);
    dialog.exec();
}

void OpenLookupLists(QWidget* parent, CAppContext& context)
{
    if (!Allowed(context)) return;
    CParamSettingDlg dialog(context, parent);
    dialog.exec();
}

void OpenProjectList(QWidget* parent, CAppContext& context)
{
    if (!Allowed(context)) return;
    {
        CProjectSettingDlg dialog(context, parent);
        dialog.exec();
    }
    RefreshProjectCaches(context);
}

void OpenWorkflow(QWidget* parent, CAppContext& context)
{
    if (!Allowed(context)) return;
    CFlowDefineDlg page(context, parent);
    page.exec();
    ApplyWorkflowChanges(context, page);
}

bool ApplyWorkflowChanges(CAppContext& context, const CFlowDefineDlg& page)
{
    if (page.m_statusesChanged && !context.ReloadParams()) return false;
    if (page.m_rulesChanged &&
        context.RunSelect("select distinct TR_RULES_FROM,TR_RULES_TO from T_BUG_TRANS_RULE where "
                          "COLUMN_NAME='BG_STATUS' ",
                          context.m_transRules) < 0)
        return false;
    return true;
}
