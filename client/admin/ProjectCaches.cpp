#include "ProjectCaches.h"

#include "AdminSql.h"
#include "IMainFrame.h"
#include "QtText.h"

bool RefreshProjectCaches(CAppContext& context)
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
    bool read = true;
    if (!found) {
        context.m_currentProject = projects.GetRowCount() > 0 ? ToQt(projects.GetValueAt(0, 0)) : QString();
        read = context.ReadProjectLayout();
    }
    if (context.m_mainFrame) context.m_mainFrame->FillProjectCombo();
    return read;
}
