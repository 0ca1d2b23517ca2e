#include "CustomFieldCommands.h"

#include "CAppContext.h"
#include "CFieldAttributeDlg.h"
#include "CLayoutDesignDlg.h"
#include "CustomFieldIds.h"

namespace {

bool MaySystemManage(CAppContext& context) {
    if (context.m_userName.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0 ||
        context.m_canSysManage != 0)
        return true;
    context.ShowMessage(context.Text(CustomFieldIds::MsgNoSystemRight));
    return false;
}

}  // namespace

void OpenLayoutDesigner(QWidget* parent, CAppContext& context) {
    if (!MaySystemManage(context)) return;
    CLayoutDesignDlg dialog(context, parent);
    dialog.exec();
}

void OpenFieldAttributes(QWidget* parent, CAppContext& context,
                         std::function<void(QWidget*)> openListEditor) {
    if (!MaySystemManage(context)) return;
    CFieldAttributeDlg page(context, parent, std::move(openListEditor));
    page.exec();
}
