// CAppContext: attachment files of a defect on the FTP site.
#include "AttachmentNames.h"
#include "CAppContext.h"
#include "CFtpSession.h"
#include "LogWriter.h"
#include "QtText.h"

int CAppContext::DeleteBugAttachmentFiles(int bugId) {
    CFtpSession session;
    const CListString host = m_settings.GetValue("server", "common");
    if (session.Open(host.CStr(), m_ftpPort, m_ftpUser.toUtf8().constData(),
                     m_ftpPass.toUtf8().constData()) < 0) {
        ShowMessage(ToQt(session.GetErrorText()));
        return 0;
    }
    CListString sql;
    sql.Format("select FILE_NAME from t_bug_attach where bg_bug_id=%d", bugId);
    CResultSet rows;
    if (RunSelect(sql.CStr(), rows) < 0) return 0;
    const std::string folder = m_attachPath.toStdString();
    for (int row = 0; row < rows.GetRowCount(); ++row) {
        const std::string name = rows.GetValueAt(row, 0).StdString();
        const std::string path = AttachmentRemotePath(folder, bugId, name);
        if (path.empty()) {
            LogMessage("delete file error:not a plain file name: %s\n", name.c_str());
            continue;
        }
        if (session.Delete(path.c_str()) < 0) LogMessage("delete file error:%s\n", session.GetErrorText());
    }
    return rows.GetRowCount() > 0 ? 1 : 0;
}
