// The metadata loader of CAppContext: after every login it copies what the
// screens need from the database into the context, in eight numbered steps.
#include "CAppContext.h"

#include "CLoadProgressDlg.h"
#include "CZentryApp.h"
#include "ClientIds.h"
#include "QtText.h"

#include <QApplication>

#include <memory>

namespace {

const char kNoChoice[] = "----------";
const char kDefaultQueryFields[] =
    "0000000000111010000000000000000000000000000000000000000000000000";

// Closes the progress window on every way out of the loader.
class ProgressWindow {
public:
    explicit ProgressWindow(CAppContext& context) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
        m_dialog = std::make_unique<CLoadProgressDlg>(context.m_fonts);
        const QString title = context.Text(ids::kLoadProgressDlg);
        if (!title.isEmpty()) m_dialog->setWindowTitle(title);
        m_dialog->show();
        if (CZentryApp* app = CZentryApp::Instance()) app->m_loadProgressDlg = m_dialog.get();
    }
    ~ProgressWindow() {
        if (CZentryApp* app = CZentryApp::Instance()) app->m_loadProgressDlg = nullptr;
        if (m_dialog) m_dialog->close();
    }
    void SetLine(const char* text, int line) {
        if (m_dialog) m_dialog->SetLine(QString::fromUtf8(text), line);
    }

private:
    std::unique_ptr<CLoadProgressDlg> m_dialog;
};

CListString Sql(const char* format, const QString& value) {
    CListString text = ToList(value);
    CAppContext::EscapeQuotes(text);
    CListString sql;
    sql.Format(format, text.CStr());
    return sql;
}

void AppendRows(CResultSet& params, const char* type, const CResultSet& source, int column) {
    for (int row = 0; row < source.GetRowCount(); ++row) {
        CResultRow values;
        values.push_back(CListString(type));
        values.push_back(source.GetValueAt(row, column));
        values.push_back(CListString("1"));
        params.AddRow(std::move(values));
    }
}

}  // namespace

QString CAppContext::MergeRights(const QString& first, const QString& second) {
    if (first.size() != second.size()) {
        ShowMessage("right fail in size");
        return QString();
    }
    QString merged(first.size(), QLatin1Char('0'));
    for (int i = 0; i < first.size(); ++i)
        if (first[i] == QLatin1Char('1') || second[i] == QLatin1Char('1')) merged[i] = QLatin1Char('1');
    return merged;
}

QString CAppContext::GetUserRights(const QString& userName) {
    CResultSet own;
    if (RunSelect(Sql("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='%s'", userName).CStr(),
                  own) < 0)
        return QString();
    if (own.GetRowCount() < 1) return QString();
    QString rights = ToQt(own.GetValueAt(0, 0));

    CResultSet groups;
    if (RunSelect(Sql("select user_name,group_name from t_user_group where user_name='%s'", userName).CStr(),
                  groups) < 0)
        return QString();
    QString list;
    for (int row = 0; row < groups.GetRowCount(); ++row) {
        QString name = ToQt(groups.GetValue(row, "GROUP_NAME"));
        EscapeQuotes(name);
        if (!list.isEmpty()) list += ',';
        list += '\'' + name + '\'';
    }
    if (list.isEmpty()) return rights;

    CResultSet groupRights;
    CListString sql;
    sql.Format("select USER_FIELD_RIGHT from t_group where group_name in(%s) ", list.toUtf8().constData());
    if (RunSelect(sql.CStr(), groupRights) < 0) return QString();
    for (int row = 0; row < groupRights.GetRowCount(); ++row)
        rights = MergeRights(rights, ToQt(groupRights.GetValueAt(row, 0)));
    return rights;
}

bool CAppContext::ReloadColumns() {
    return RunSelect("select COLUMN_NAME,USER_LABEL,COLUMN_ORDER,IS_USED,REF_LIST,EDIT_STYLE,HEIGHT,"
                     "WIDTH,LSIZE from t_cfg_sys_list  order by COLUMN_ORDER",
                     m_columns) >= 0;
}

bool CAppContext::ReadProjectLayout() {
    // Never another project's layout: none until this one's is read.
    m_prjCustomField.clear();
    CResultSet layout;
    SetBusy(1);
    const int rows = m_http.Select(
        Sql("select PRJ_CUSTOM_FIELD from t_prj where prj_name='%s' ", m_currentProject).CStr(), layout,
        m_lastError);
    SetBusy(0);
    m_prjLayoutFailed = rows < 0;
    if (rows < 0) {
        ShowMessage(Text(ids::kMsgLayoutNotRead) + QLatin1Char('\n') + ToQt(m_lastError));
        return false;
    }
    if (rows > 0) m_prjCustomField = ToQt(layout.GetValueAt(0, 0));
    return true;
}

void CAppContext::ApplyUserConfig(const QString& reply) {
    for (QString item : reply.split('!')) {
        item = item.trimmed();
        if (item.isEmpty() || item.startsWith('#')) continue;
        // Split at the first '=' only: a value may hold '=' itself.
        const int equals = item.indexOf('=');
        if (equals < 0) continue;
        const QString key = item.left(equals).trimmed().toLower();
        const QString value = item.mid(equals + 1).trimmed();
        if (key == "ftp_user") m_ftpUser = value;
        else if (key == "ftp_pass") m_ftpPass = value;
        else if (key == "ftp_port") m_ftpPort = value.toInt();
        else if (key == "attach_path") m_attachPath = value;
        else if (key == "release_path") m_releasePath = value;
        else if (key == "client_version") m_serverClientVersion = value.toFloat();
        else if (key == "manu_download_file") m_manuDownloadFile = value;
        else if (key == "client_version_size") m_clientVersionSize = value.toInt();
        else if (key == "mail_server") m_mailServer = value;
        else if (key == "mail_user") m_mailUser = value;
        else if (key == "mail_pass") m_mailPass = value;
        else if (key == "mail_auth_type") m_mailAuthType = value;
        else if (key == "mail_port") m_mailPort = value.toInt();
    }
}

int CAppContext::LoadMetadata() {
    // A load that stops early leaves no rights of an earlier user behind.
    m_rights.clear();
    m_canAddDefect = m_canDeleteDefect = m_canSysManage = 0;
    ProgressWindow progress(*this);
    const QString user = ToQt(m_settings.GetValue("user_name", "common"));

    // Progress line 1: the user's projects and the current one.
    if (RunSelect(Sql("select distinct prj_name from t_user_prj where user_name='%s' ", user).CStr(),
                  m_projects) < 0)
        return 0;
    progress.SetLine("1.获取项目列表完成", 1);
    bool found = false;
    for (int row = 0; row < m_projects.GetRowCount() && !found; ++row) {
        const QString name = ToQt(m_projects.GetValueAt(row, 0));
        if (name.compare(m_currentProject, Qt::CaseInsensitive) != 0) continue;
        // The project's own spelling: the SQL built from it compares exactly.
        m_currentProject = name;
        found = true;
    }
    if (m_projects.GetRowCount() == 0)
        m_currentProject.clear();
    else if (!found)
        m_currentProject = ToQt(m_projects.GetValueAt(0, 0));

    // Rights: the user's own merged with every group's.
    const QString rights = GetUserRights(user);
    if (rights.size() < 21) return 0;
    m_rights = rights;
    m_canAddDefect = m_rights.mid(0, 1).toInt();
    m_canDeleteDefect = m_rights.mid(1, 1).toInt();
    m_canSysManage = m_rights.mid(2, 1).toInt();

    // Progress line 2: lookup values and the field configuration.
    CListString sql;
    sql.Format("select PARAMETER_TYPE_ID,PARAMETER_NAME,PARAMETER_ENABLE from T_CFG_PARAM where "
               "parameter_name<>'%s'  order by parameter_name",
               kNoChoice);
    if (RunSelect(sql.CStr(), m_params) < 0) return 0;
    progress.SetLine("2.获取用户权限完成", 2);
    if (!ReloadColumns()) return 0;

    // Progress line 3: users and the user's grid columns.
    if (RunSelect("select distinct user_name,user_fullname,dept_name,USER_FIELD_QUERY,USER_MAIL "
                  "from t_cfg_st_user where user_name <> 'admin'  order by user_name ",
                  m_users) < 0)
        return 0;
    m_queryFields = QString::fromLatin1(kDefaultQueryFields);
    for (int row = 0; row < m_users.GetRowCount(); ++row) {
        if (ToQt(m_users.GetValue(row, "USER_NAME")).compare(m_userName, Qt::CaseInsensitive) == 0) {
            m_queryFields = ToQt(m_users.GetValue(row, "USER_FIELD_QUERY"));
            break;
        }
    }
    progress.SetLine("3.获取用户列表完成", 3);

    // Progress line 4: departments and the three fixed lists.
    if (RunSelect("select distinct dept_name,dept_desc from t_dept", m_depts) < 0) return 0;
    progress.SetLine("4.获取部门信息完成", 4);
    SelectParams("defect_status", m_statuses);
    SelectParams("severity", m_severities);
    SelectParams("pri", m_priorities);

    // Progress lines 5 to 7: versions, transition rules, aliases.
    if (RunSelect("select distinct prj_name,version_no from t_cfg_version", m_versions) < 0) return 0;
    progress.SetLine("5.获取版本信息完成", 5);
    if (RunSelect("select distinct TR_RULES_FROM,TR_RULES_TO from T_BUG_TRANS_RULE where "
                  "COLUMN_NAME='BG_STATUS' ",
                  m_transRules) < 0)
        return 0;
    progress.SetLine("6.获取转化规则信息完成", 6);
    if (RunSelect("select distinct name,alias from t_alias ", m_aliases) < 0) return 0;
    progress.SetLine("7.获取别名信息完成", 7);

    // Progress line 8: the current project's custom-field layout.
    if (!ReadProjectLayout()) return 0;
    progress.SetLine("8.获取别名信息完成", 8);

    // The server's user configuration.
    CListString reply;
    CListString error;
    SetBusy(1);
    const bool fetched = m_http.GetUserConfig(reply, error);
    SetBusy(0);
    if (!fetched) {
        ShowMessage(error.IsEmpty() ? ToQt(m_http.GetErrorText()) : ToQt(error));
        return 0;
    }
    if (reply.GetLength() >= 2 && reply.GetAt(0) == '-' && reply.GetAt(1) == '1') {
        // The server could not read its user configuration.
        m_lastError = reply;
        ShowMessage(ToQt(reply));
        return 0;
    }
    if (reply.IsEmpty()) {
        ShowMessage("please configure Lumeno server userconfig.ini file");
        return 0;
    }
    ApplyUserConfig(ToQt(reply));

    // Synthetic lists: custom fields may offer the projects or the users.
    AppendRows(m_params, "PRJ_NAME", m_projects, 0);
    AppendRows(m_params, "USER_NAME", m_users, 0);
    return 1;
}
