// CAttachmentDlg: the editor's attachments page. Lists the current defect's
// attachments (t_bug_attach), uploads files to the FTP site as
// "<attach path>/<id>_<name>", opens or saves them, deletes one or all, and
// shows a short description of the computer. Transfers run on a worker
// thread that touches only the page's FTP session; their results come back
// to the GUI thread, which does the table changes and the messages.
#pragma once

#include "CFtpSession.h"
#include "CResultGrid.h"
#include "WorkspaceCommands.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class CAppContext;
class CAttachmentDlg;
class QAction;
class QThread;
class QToolBar;

// The attachment grid: a selection change updates its page's buttons.
class CAttachListGrid : public CResultGrid {
    Q_OBJECT
public:
    CAttachListGrid(CAppContext& context, CAttachmentDlg& page, QWidget* parent);

protected:
    void OnSelChanged() override;

private:
    CAttachmentDlg& m_page;
};

class CAttachmentDlg : public QWidget {
    Q_OBJECT
public:
    // commands: the buttons whose work is done elsewhere (the screen
    // capture); null or without a handler such a button is disabled.
    explicit CAttachmentDlg(CAppContext& context, QWidget* parent = nullptr,
                            const CCommandHandlers<CAttachmentDlg>* commands = nullptr);
    ~CAttachmentDlg() override;

    // Rows listed: the editor sets BG_ATTACHMENT by it.
    int RowCount() const;
    // Opens the FTP session unless it is open (or busy with a transfer);
    // a failure is shown. 1 when connected.
    int Connect();
    void LoadList();
    void UpdateButtons();
    // 1 when no listed file has this name (case ignored); else the message
    // "Exist The Same File" and 0.
    int CheckSameName(const QString& name);
    // A listed row has this file name.
    bool IsListed(const QString& name, Qt::CaseSensitivity cs) const;
    // The selected row's file name and its remote path; "" without a
    // selection (and a path of "" for a stored name that is not plain).
    QString GetSelectedRemotePath(QString& name) const;

    // What the commands do after their file dialogs (tests call these).
    // Upload of a local file under its plain name, or under asName.
    bool UploadFile(const QString& localPath, const QString& asName = QString());
    // A screen capture's JPEG attached under name: refused for a name the
    // list has (the JPEG stays); put on the FTP site and recorded with the
    // JPEG's size, then the JPEG is deleted, the list read again and
    // BG_ATTACHMENT set by its rows. false when nothing was started.
    bool AttachScreenshot(const QString& jpegPath, const QString& name);
    bool SaveSelectedAs(const QString& localPath);

    bool IsBusy() const { return m_worker != nullptr; }
    CResultGrid* Grid() const { return m_grid; }
    QToolBar* ToolBar() const { return m_toolBar; }
    // The toolbar action of a command id (2045 ... 2054), null when none.
    QAction* Action(int command) const;
    // Opens a fetched file; the shell's "open" unless replaced.
    std::function<void(const QString& path)> m_openFile;

public slots:
    void OnUpload();
    void OnCapture();
    void OnSysInfo();
    void OnClipboard();
    void OnOpen();
    void OnSaveAs();
    void OnDeleteSelected();
    void OnDeleteAll();

signals:
    // A transfer and what follows it on the GUI thread have ended.
    void TransferFinished(int result);

public:
    // As wide as the tool bar with every button shown: none hides behind
    // the bar's overflow button.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    using Work = std::function<int(CFtpSession& session)>;
    // result < 0: failure with the session's text; connected: the session
    // is open after the work.
    using Done = std::function<void(int result, const QString& error, bool connected)>;
    // Runs work on the worker thread after opening the session when needed;
    // done on the GUI thread. false (with a message) while one runs.
    // finishOnClose: a page that goes while the work runs waits for it and
    // still runs done (an upload is recorded); otherwise the work is aborted.
    bool StartTransfer(Work work, Done done, bool finishOnClose = false);
    // Puts a local file on the FTP site as this defect's attachment name
    // and records it; a screenshot's file goes afterwards.
    bool Upload(const QString& localPath, const QString& name, bool screenshot);
    // Ends the running transfer and runs its done; nothing when none runs.
    void FinishTransfer();
    bool InsertRecord(int bugId, const QString& name, long long bytes);
    bool SetAttachmentFlag(int bugId, int flag);
    bool DeleteRecord(int bugId, const QString& name);
    // Removes the files of attachment rows already deleted; a file that
    // stays on the FTP site is said.
    void RemoveFiles(int bugId, const QStringList& names);
    void BuildToolBar();
    std::string RemotePath(int bugId, const QString& name) const;

    // A button of the composition's table has a handler there.
    bool IsHandledOutside(int command) const;

    CAppContext& m_context;
    const CCommandHandlers<CAttachmentDlg>* m_commands;
    CAttachListGrid* m_grid;
    QToolBar* m_toolBar;
    CFtpSession m_session;
    int m_connected = 0;
    QThread* m_worker = nullptr;
    // The running transfer's done and, once the worker ended, its outcome
    // (written by the worker, read after it was waited for).
    Done m_done;
    bool m_finishOnClose = false;
    int m_result = 0;
    QString m_error;
    bool m_resultConnected = false;
    QTimer m_timer;
};
