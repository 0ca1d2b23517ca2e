#include "AdminHooks.h"

#include "AdminCommon.h"
#include "CAppContext.h"
#include "CDepartmentDlg.h"
#include "CSysPropSheet.h"
#include "CZentryApp.h"
#include "CUserManageDlg.h"
#include "ClientIds.h"
#include "MainFrame.h"
#include "ProjectAdminCommands.h"

#include <QDialog>
#include <QPointer>
#include <QVBoxLayout>

namespace {
void OpenSysSheet(CMainFrame& frame, CAppContext& context)
{
    if (!CheckAdminister(context)) return;
    CSysPropSheet sheet(context, &frame);
    sheet.OnInitDialog();
    sheet.exec();
}

void OpenUserManager(CMainFrame& frame, CAppContext& context)
{
    if (!CheckAdminister(context)) return;
    QDialog dialog(&frame);
    dialog.setWindowTitle(context.Text(1014).isEmpty() ? QStringLiteral("用户管理") : context.Text(1014));
    auto* page = new CUserManageDlg(context, &dialog);
    (new QVBoxLayout(&dialog))->addWidget(page);
    dialog.resize(708, 422);
    page->OnSetActive();
    dialog.exec();
}

void OpenDepartments(CMainFrame& frame, CAppContext& context)
{
    if (!CheckAdminister(context)) return;
    CDepartmentDlg dialog(context, &frame);
    dialog.exec();
}
}  // namespace

void RegisterAdminCommands(CMainFrame& frame)
{
    if (CZentryApp* app = CZentryApp::Instance()) RegisterAdminCommands(frame, app->m_context);
}

void RegisterAdminCommands(CMainFrame& frame, CAppContext& context)
{
    QPointer<CMainFrame> owner(&frame);
    auto bind = [&](int id, void (*open)(CMainFrame&, CAppContext&)) {
        frame.SetCommandHandler(id, [owner, &context, open] {
            if (owner) open(*owner, context);
        });
    };
    bind(ids::kCmdSysManage, OpenSysSheet);
    bind(ids::kCmdOptions, OpenSysSheet);
    bind(ids::kCmdUserMgr, OpenUserManager);
    bind(ids::kCmdDeptMgr, OpenDepartments);
    RegisterProjectAdminCommands(frame, context);
}
