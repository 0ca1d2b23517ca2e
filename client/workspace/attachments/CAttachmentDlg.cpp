#include "CAttachmentDlg.h"

#include "AttachmentNames.h"
#include "CAppContext.h"
#include "CLocalizer.h"
#include "CSysInfo.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "LookupLists.h"
#include "QtText.h"
#include "WorkspaceIds.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Commands of the page's toolbar and their button texts.
enum Command {
    CmdUpload = WorkspaceIds::CmdAttachUpload,
    CmdCapture = WorkspaceIds::CmdAttachCapture,
    CmdSysInfo = WorkspaceIds::CmdAttachSysInfo,
    CmdClipboard = WorkspaceIds::CmdAttachClipboard,
    CmdOpen = WorkspaceIds::CmdAttachOpen,
    CmdSaveAs = WorkspaceIds::CmdAttachSaveAs,
    CmdDeleteSelected = WorkspaceIds::CmdAttachDeleteSelected,
    CmdDeleteAll = WorkspaceIds::CmdAttachDeleteAll,
};
constexpr int MsgQuestion = 4025;
constexpr int MsgTransferRunning = 4910;
constexpr int MsgBadFileName = 4911;
constexpr int MsgFileNotRemoved = 4912;

const char kFileFilter[] = "所有文件 (*.*)";
// The grid starts below the tool bar.
constexpr int kToolBarHeight = 27;

}  // namespace

CAttachListGrid::CAttachListGrid(CAppContext& context, CAttachmentDlg& page, QWidget* parent)
    : CResultGrid(context, parent), m_page(page)
{
}

void CAttachListGrid::OnSelChanged()
{
    m_page.UpdateButtons();
}

CAttachmentDlg::CAttachmentDlg(CAppContext& context, QWidget* parent,
                               const CCommandHandlers<CAttachmentDlg>* commands)
    : QWidget(parent), m_context(context), m_commands(commands),
      m_grid(new CAttachListGrid(context, *this, this)),
      m_toolBar(new QToolBar(this))
{
    m_openFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->SetRowNumbers(1);
    m_grid->SetStandardLook();
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { OnOpen(); });
    BuildToolBar();
    // Ctrl+1 starts a screen capture from anywhere in the program.
    auto* capture = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_1), this);
    capture->setContext(Qt::ApplicationShortcut);
    connect(capture, &QShortcut::activated, this, &CAttachmentDlg::OnCapture);
    LoadList();
    UpdateButtons();
    connect(&m_timer, &QTimer::timeout, this, &CAttachmentDlg::UpdateButtons);
    m_timer.start(300);
}

CAttachmentDlg::~CAttachmentDlg()
{
    if (m_worker && m_finishOnClose) {
        // An upload: its file is wanted, so it is waited for and recorded.
        m_context.SetBusy(1);
        FinishTransfer();
        m_context.SetBusy(0);
    }
    if (m_worker) {
        // A download or delete ends at once; its result is dropped.
        m_session.Abort();
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
        QApplication::restoreOverrideCursor();
    }
    m_session.Close();
}

void CAttachmentDlg::BuildToolBar()
{
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(20, 20));
    const struct {
        int command;
        int textId;
        const char* tip;
        QStyle::StandardPixmap icon;
        void (CAttachmentDlg::*slot)();
    } buttons[] = {
        {CmdUpload, 4026, "上传文件", QStyle::SP_ArrowUp, &CAttachmentDlg::OnUpload},
        {CmdCapture, 4027, "屏幕截图(可以使用CTRL+1快捷键在其它界面上调用)", QStyle::SP_DesktopIcon,
         &CAttachmentDlg::OnCapture},
        {CmdSysInfo, 4028, "上传系统信息", QStyle::SP_ComputerIcon, &CAttachmentDlg::OnSysInfo},
        {CmdClipboard, 4029, "剪切板", QStyle::SP_FileDialogContentsView, &CAttachmentDlg::OnClipboard},
        {0, 0, nullptr, QStyle::SP_CustomBase, nullptr},
        {CmdOpen, 4033, "打开文件", QStyle::SP_DialogOpenButton, &CAttachmentDlg::OnOpen},
        {CmdSaveAs, 4030, "另存为", QStyle::SP_DialogSaveButton, &CAttachmentDlg::OnSaveAs},
        {CmdDeleteSelected, 4031, "删除选中文件", QStyle::SP_TrashIcon, &CAttachmentDlg::OnDeleteSelected},
        {CmdDeleteAll, 4032, "删除所有文件", QStyle::SP_DialogDiscardButton, &CAttachmentDlg::OnDeleteAll},
    };
    for (const auto& b : buttons) {
        if (!b.command) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_toolBar->addAction(style()->standardIcon(b.icon), m_context.Text(b.textId));
        CLocalizer::Tag(action, b.textId);
        action->setData(b.command);
        // Tooltips keep at most 80 characters.
        action->setToolTip(QString::fromUtf8(b.tip).left(80));
        connect(action, &QAction::triggered, this, b.slot);
    }
}

QAction* CAttachmentDlg::Action(int command) const
{
    for (QAction* action : m_toolBar->actions())
        if (action->data().toInt() == command) return action;
    return nullptr;
}

int CAttachmentDlg::RowCount() const
{
    return m_grid->RowCount();
}

void CAttachmentDlg::LoadList()
{
    const QString sql = QStringLiteral("select FILE_NAME,FILE_SIZE,FILE_TIME,UPLOAD_USER from "
                                       "t_bug_attach where BG_BUG_ID=%1 ")
                            .arg(m_context.m_currentBugId);
    m_grid->RunQueryTyped(sql, {240, 80, 100, 100}, {2, 4, 2, 2});
    LookupLists::RenameGridColumns(m_context.m_columns, *m_grid);
    m_grid->viewport()->update();
    UpdateButtons();
}

void CAttachmentDlg::UpdateButtons()
{
    const bool idle = !IsBusy();
    const bool selected = m_grid->CurrentRow() >= 0;
    if (QAction* a = Action(CmdUpload)) a->setEnabled(idle);
    if (QAction* a = Action(CmdCapture)) a->setEnabled(idle && IsHandledOutside(CmdCapture));
    if (QAction* a = Action(CmdSysInfo)) a->setEnabled(true);
    if (QAction* a = Action(CmdClipboard)) {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        a->setEnabled(idle && data && data->hasImage());
    }
    for (int command : {CmdOpen, CmdSaveAs, CmdDeleteSelected})
        if (QAction* a = Action(command)) a->setEnabled(idle && selected);
    if (QAction* a = Action(CmdDeleteAll)) a->setEnabled(idle && RowCount() > 0);
}

bool CAttachmentDlg::IsListed(const QString& name, Qt::CaseSensitivity cs) const
{
    const int column = m_grid->FieldColumn(QStringLiteral("FILE_NAME"));
    for (int row = 0; column >= 0 && row < RowCount(); ++row)
        if (m_grid->Model()->index(row, column).data().toString().compare(name, cs) == 0) return true;
    return false;
}

int CAttachmentDlg::CheckSameName(const QString& name)
{
    if (!IsListed(name, Qt::CaseInsensitive)) return 1;
    m_context.ShowMessage(QStringLiteral("Exist The Same File"));
    return 0;
}

std::string CAttachmentDlg::RemotePath(int bugId, const QString& name) const
{
    return AttachmentRemotePath(m_context.m_attachPath.toStdString(), bugId, name.toStdString());
}

QString CAttachmentDlg::GetSelectedRemotePath(QString& name) const
{
    name = m_grid->SelectedValue(QStringLiteral("FILE_NAME"));
    if (m_grid->CurrentRow() < 0 || name.isEmpty()) {
        name.clear();
        return QString();
    }
    return QString::fromStdString(RemotePath(m_context.m_currentBugId, name));
}

int CAttachmentDlg::Connect()
{
    if (m_connected || IsBusy()) return m_connected;
    const CListString host = m_context.m_settings.GetValue("server", "common");
    if (m_session.Open(host.CStr(), m_context.m_ftpPort, m_context.m_ftpUser.toUtf8().constData(),
                       m_context.m_ftpPass.toUtf8().constData()) < 0) {
        m_connected = 0;
        m_context.ShowMessage(ToQt(m_session.GetErrorText()));
        return 0;
    }
    m_connected = 1;
    return 1;
}

bool CAttachmentDlg::StartTransfer(Work work, Done done, bool finishOnClose)
{
    if (IsBusy()) {
        m_context.ShowMessage(m_context.Text(MsgTransferRunning));
        return false;
    }
    const std::string host = m_context.m_settings.GetValue("server", "common").StdString();
    const std::string user = m_context.m_ftpUser.toStdString();
    const std::string password = m_context.m_ftpPass.toStdString();
    const int port = m_context.m_ftpPort;
    m_done = std::move(done);
    m_finishOnClose = finishOnClose;
    // The worker touches nothing but the session and the outcome, which the
    // GUI thread leaves alone while a transfer runs.
    m_worker = QThread::create([this, host, user, password, port, work] {
        int result = 0;
        if (!m_session.IsConnected())
            result = m_session.Open(host.c_str(), port, user.c_str(), password.c_str());
        if (result >= 0) result = work(m_session);
        m_result = result;
        m_error = result < 0 ? QString::fromUtf8(m_session.GetErrorText()) : QString();
        m_resultConnected = m_session.IsConnected();
        QMetaObject::invokeMethod(this, [this] { FinishTransfer(); }, Qt::QueuedConnection);
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_worker->start();
    UpdateButtons();
    return true;
}

void CAttachmentDlg::FinishTransfer()
{
    // Already finished when the page waited for it as it closed.
    if (!m_worker) return;
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    QApplication::restoreOverrideCursor();
    m_connected = m_resultConnected ? 1 : 0;
    const Done done = std::move(m_done);
    m_done = nullptr;
    UpdateButtons();
    if (done) done(m_result, m_error, m_resultConnected);
    UpdateButtons();
    emit TransferFinished(m_result);
}

bool CAttachmentDlg::InsertRecord(int bugId, const QString& name, long long bytes)
{
    const QString sql =
        QStringLiteral("insert into t_bug_attach( BG_BUG_ID,file_name,file_time,file_size,upload_user,prj_name) "
                       "values(%1,'%2','%3',%4,'%5','%6')")
            .arg(bugId)
            .arg(CAppContext::Quoted(name), ToQt(NowText()),
                 QString::asprintf("%f", static_cast<double>(bytes) / 1024.0),
                 CAppContext::Quoted(m_context.m_userName), CAppContext::Quoted(m_context.m_currentProject));
    return m_context.RunExec(sql.toUtf8().constData());
}

bool CAttachmentDlg::SetAttachmentFlag(int bugId, int flag)
{
    const QString sql = QStringLiteral("update t_bug set BG_ATTACHMENT=%1 where BG_BUG_ID=%2").arg(flag).arg(bugId);
    return m_context.RunExec(sql.toUtf8().constData());
}

bool CAttachmentDlg::DeleteRecord(int bugId, const QString& name)
{
    const QString sql =
        QStringLiteral("delete from  t_bug_attach where  BG_BUG_ID=%1 and file_name='%2' and prj_name='%3' ")
            .arg(bugId)
            .arg(CAppContext::Quoted(name), CAppContext::Quoted(m_context.m_currentProject));
    return m_context.RunExec(sql.toUtf8().constData());
}

void CAttachmentDlg::OnUpload()
{
    if (IsBusy()) {
        m_context.ShowMessage(m_context.Text(MsgTransferRunning));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(this, m_context.Text(4026), QString(),
                                                      QString::fromUtf8(kFileFilter));
    if (path.isEmpty()) return;
    UploadFile(path);
}

bool CAttachmentDlg::UploadFile(const QString& localPath, const QString& asName)
{
    const QString name = QString::fromStdString(
        PlainFileName((asName.isEmpty() ? QFileInfo(localPath).fileName() : asName).toStdString()));
    if (name.isEmpty()) {
        m_context.ShowMessage(m_context.Text(MsgBadFileName));
        return false;
    }
    return Upload(localPath, name, false);
}

bool CAttachmentDlg::AttachScreenshot(const QString& jpegPath, const QString& name)
{
    if (jpegPath.isEmpty() || name.isEmpty()) return false;
    if (!IsPlainFileName(name.toStdString())) {
        m_context.ShowMessage(m_context.Text(MsgBadFileName));
        return false;
    }
    return Upload(jpegPath, name, true);
}

bool CAttachmentDlg::Upload(const QString& localPath, const QString& name, bool screenshot)
{
    if (!CheckSameName(name)) return false;
    const int bugId = m_context.m_currentBugId;
    const long long bytes = QFileInfo(localPath).size();
    const std::string local = QFile::encodeName(localPath).toStdString();
    const std::string folder = m_context.m_attachPath.toStdString();
    const std::string remoteName = AttachmentRemoteName(bugId, name.toStdString());
    // Uploaded straight under its remote name: no copy beside the user's file.
    return StartTransfer(
        [local, folder, remoteName](CFtpSession& session) {
            return session.PutFile(local.c_str(), folder.c_str(), remoteName.c_str());
        },
        [this, bugId, name, bytes, localPath, screenshot](int result, const QString& error, bool) {
            if (result < 0) {
                m_context.ShowMessage(error);
                return;
            }
            const bool recorded = InsertRecord(bugId, name, bytes);
            if (!screenshot) {
                if (recorded && SetAttachmentFlag(bugId, 1)) LoadList();
                return;
            }
            // The picture is on the FTP site: its temp file has served.
            QFile::remove(localPath);
            if (!recorded) return;
            LoadList();
            SetAttachmentFlag(bugId, RowCount() > 0 ? 1 : 0);
        },
        true);
}

bool CAttachmentDlg::IsHandledOutside(int command) const
{
    return m_commands && m_commands->Has(command);
}

void CAttachmentDlg::OnCapture()
{
    // The button and Ctrl+1 alike; nothing while a transfer runs.
    if (IsBusy() || !m_commands) return;
    m_commands->Run(CmdCapture, *this);
}

void CAttachmentDlg::OnSysInfo()
{
    m_context.ShowMessage(CSysInfo().Text());
}

void CAttachmentDlg::OnClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (IsBusy() || !data || !data->hasImage()) return;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull()) return;
    const QString name = QStringLiteral("clipboard_%1.png").arg(QDateTime::currentDateTime().toString("yyyyMMdd_hhmmss"));
    QDir().mkpath(m_context.TempDir());
    const QString path = m_context.TempDir() + '/' + QString::number(m_context.m_currentBugId) + '_' + name;
    if (!image.save(path, "PNG")) return;
    if (!UploadFile(path, name)) QFile::remove(path);
    else
        connect(this, &CAttachmentDlg::TransferFinished, this, [path] { QFile::remove(path); },
                Qt::SingleShotConnection);
}

void CAttachmentDlg::OnOpen()
{
    QString name;
    const QString remote = GetSelectedRemotePath(name);
    if (name.isEmpty()) return;
    const QString plain = QString::fromStdString(PlainFileName(name.toStdString()));
    if (remote.isEmpty() || plain.isEmpty()) {
        m_context.ShowMessage(m_context.Text(MsgBadFileName));
        return;
    }
    QDir().mkpath(m_context.TempDir());
    const QString local = m_context.TempDir() + '/' + plain;
    const std::string remotePath = remote.toStdString();
    const std::string localPath = QFile::encodeName(local).toStdString();
    StartTransfer([remotePath, localPath](CFtpSession& session) {
        return session.GetFile(remotePath.c_str(), localPath.c_str());
    },
                  [this, local](int result, const QString& error, bool) {
                      if (result < 0) {
                          m_context.ShowMessage(error);
                          return;
                      }
                      if (m_openFile) m_openFile(local);
                      m_grid->doItemsLayout();
                  });
}

void CAttachmentDlg::OnSaveAs()
{
    QString name;
    GetSelectedRemotePath(name);
    if (name.isEmpty()) return;
    const QString path = QFileDialog::getSaveFileName(this, m_context.Text(4030), name, QString::fromUtf8(kFileFilter));
    if (path.isEmpty()) return;
    SaveSelectedAs(path);
}

bool CAttachmentDlg::SaveSelectedAs(const QString& localPath)
{
    QString name;
    const QString remote = GetSelectedRemotePath(name);
    if (name.isEmpty()) return false;
    if (remote.isEmpty()) {
        m_context.ShowMessage(m_context.Text(MsgBadFileName));
        return false;
    }
    const std::string remotePath = remote.toStdString();
    const std::string local = QFile::encodeName(localPath).toStdString();
    return StartTransfer([remotePath, local](CFtpSession& session) {
        return session.GetFile(remotePath.c_str(), local.c_str());
    },
                         [this](int result, const QString& error, bool) {
                             if (result < 0) m_context.ShowMessage(error);
                         });
}

void CAttachmentDlg::OnDeleteSelected()
{
    QString name;
    GetSelectedRemotePath(name);
    if (name.isEmpty()) return;
    if (IsBusy()) {
        m_context.ShowMessage(m_context.Text(MsgTransferRunning));
        return;
    }
    if (!m_context.AskYesNo(m_context.Text(MsgQuestion))) return;
    const int bugId = m_context.m_currentBugId;
    // The row goes first: a row that stays keeps its file, and a file that
    // stays is at worst an orphan on the FTP site.
    if (!DeleteRecord(bugId, name)) return;
    LoadList();
    SetAttachmentFlag(bugId, RowCount() > 0 ? 1 : 0);
    RemoveFiles(bugId, {name});
}

void CAttachmentDlg::OnDeleteAll()
{
    if (RowCount() == 0) return;
    if (IsBusy()) {
        m_context.ShowMessage(m_context.Text(MsgTransferRunning));
        return;
    }
    if (!m_context.AskYesNo(m_context.Text(MsgQuestion))) return;
    const int column = m_grid->FieldColumn(QStringLiteral("FILE_NAME"));
    QStringList names;
    for (int row = 0; column >= 0 && row < RowCount(); ++row)
        names << m_grid->Model()->index(row, column).data().toString();
    const int bugId = m_context.m_currentBugId;
    // The first row that cannot be deleted ends the whole action; the files
    // of the rows deleted before it go.
    QStringList deleted;
    for (const QString& name : names) {
        if (!DeleteRecord(bugId, name)) break;
        deleted << name;
    }
    LoadList();
    // By the rows left: another project's row is not deleted here.
    if (deleted.size() == names.size()) SetAttachmentFlag(bugId, RowCount() > 0 ? 1 : 0);
    RemoveFiles(bugId, deleted);
}

void CAttachmentDlg::RemoveFiles(int bugId, const QStringList& names)
{
    std::vector<std::pair<QString, std::string>> files;
    for (const QString& name : names) {
        // A row still listed (another project's, which the delete leaves)
        // keeps its file; a name that leads nowhere has no file.
        if (IsListed(name, Qt::CaseSensitive)) continue;
        const std::string path = RemotePath(bugId, name);
        if (!path.empty()) files.emplace_back(name, path);
    }
    if (files.empty()) return;
    const std::string folder = m_context.m_attachPath.toStdString();
    auto kept = std::make_shared<QStringList>();
    StartTransfer(
        [files, folder, bugId, kept](CFtpSession& session) {
            for (const auto& [name, path] : files) {
                if (session.Delete(path.c_str()) >= 0) continue;
                const QString why = QString::fromUtf8(session.GetErrorText());
                LogMessage("delete file error:%s\n", session.GetErrorText());
                // A file that is not there has nothing to remove.
                std::vector<std::string> listed;
                const std::string remoteName = AttachmentRemoteName(bugId, name.toStdString());
                if (session.List(folder.c_str(), listed) >= 0 &&
                    std::find(listed.begin(), listed.end(), remoteName) == listed.end())
                    continue;
                *kept << name + QStringLiteral(": ") + why;
            }
            return 0;
        },
        [this, kept](int result, const QString& error, bool) {
            if (result < 0) m_context.ShowMessage(m_context.Text(MsgFileNotRemoved) + '\n' + error);
            else if (!kept->isEmpty())
                m_context.ShowMessage(m_context.Text(MsgFileNotRemoved) + '\n' + kept->join('\n'));
        });
}

void CAttachmentDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_toolBar->setGeometry(0, 0, width(), kToolBarHeight);
    m_grid->setGeometry(0, kToolBarHeight, width(), qMax(0, height() - kToolBarHeight));
}

QSize CAttachmentDlg::minimumSizeHint() const
{
    return QSize(m_toolBar->sizeHint().width(), kToolBarHeight + m_grid->minimumSizeHint().height());
}

void CAttachmentDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape stay in the page: they do not close the editor.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
