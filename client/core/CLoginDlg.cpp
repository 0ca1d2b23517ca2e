#include "CLoginDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "DialogHelpers.h"
#include "LoginHistory.h"
#include "QtText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace {

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

// The settings a login writes, section common.
const char* const kLoginKeys[] = {"server", "user_passwd", "tcp_port", "user_name"};

QLabel* MakeLabel(QWidget* parent, int id) {
    return CLocalizer::Tag(Named(new QLabel(parent), id), id, true);
}

}  // namespace

CLoginDlg::CLoginDlg(CAppContext& context, QWidget* parent, bool fromMainWindow)
    : QDialog(parent),
      m_context(context),
      m_banner(nullptr),
      m_fromMainWindow(fromMainWindow),
      m_autoLogin(false),
      m_giveUpOnFailure(false),
      m_progressPos(0),
      m_timerId(0),
      m_loginState(0) {
    setObjectName("CLoginDlg");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* banner = Named(new QLabel("Zentry", this), ids::kLoginBanner);
    banner->setAlignment(Qt::AlignCenter);
    banner->setMinimumHeight(56);
    banner->setStyleSheet("QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
                          " stop:0 #1f4e79, stop:1 #5b9bd5); color: white;"
                          " font-size: 22px; font-weight: bold; }");
    banner->setCursor(Qt::PointingHandCursor);
    banner->installEventFilter(this);
    m_banner = banner;

    m_history = Named(new QComboBox(this), ids::kLoginHistory);
    m_server = Named(new QLineEdit(this), ids::kLoginServer);
    m_port = Named(new QLineEdit(this), ids::kLoginPort);
    m_port->setValidator(new QIntValidator(0, 65535, m_port));
    m_user = Named(new QLineEdit(this), ids::kLoginUser);
    m_password = Named(new QLineEdit(this), ids::kLoginPassword);
    m_password->setEchoMode(QLineEdit::Password);
    m_progress = Named(new QProgressBar(this), ids::kLoginProgress);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_version = Named(new QLabel(this), ids::kLoginVersionText);
    m_version->setText(QString::asprintf("%.2f", m_context.m_clientVersion));
    m_login = CLocalizer::Tag(Named(new QPushButton(this), ids::kLoginButton), ids::kLoginButton);
    m_cancel = CLocalizer::Tag(Named(new QPushButton(this), ids::kCancel), ids::kCancel);
    m_login->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(new QLabel(this), m_history);
    form->addRow(MakeLabel(this, ids::kLoginServerLabel), m_server);
    form->addRow(MakeLabel(this, ids::kLoginPortLabel), m_port);
    form->addRow(MakeLabel(this, ids::kLoginUserLabel), m_user);
    form->addRow(MakeLabel(this, ids::kLoginPasswordLabel), m_password);
    form->addRow(MakeLabel(this, ids::kLoginVersionLabel), m_version);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_login);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    const QStringList history = ReadLoginHistory(m_context.LoginHistoryPath());
    CLocalizer::Apply(this, m_context);
    m_server->setText(ToQt(m_context.m_settings.GetValue("server", "common")));
    m_port->setText(ToQt(m_context.m_settings.GetValue("tcp_port", "common")));
    m_user->setText(ToQt(m_context.m_settings.GetValue("user_name", "common")));
    m_password->setText(ToQt(m_context.m_settings.GetValue("user_passwd", "common")));
    m_history->addItems(history);
    m_history->setCurrentIndex(-1);
    SelectComboText(m_history,
                    QStringLiteral("%1:%2:%3").arg(m_server->text(), m_port->text(), m_user->text()),
                    0);
    connect(m_history, QOverload<int>::of(&QComboBox::activated), this,
            &CLoginDlg::OnHistorySelChange);
    connect(m_login, &QPushButton::clicked, this, &CLoginDlg::OnLogin);
    connect(m_cancel, &QPushButton::clicked, this, &CLoginDlg::OnCancel);

    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_login, m_cancel});
    SetOkIcon(m_login);
    SetCancelIcon(m_cancel);
    setMinimumWidth(380);
}

CLoginDlg::~CLoginDlg() { JoinWorker(); }

void CLoginDlg::LocalizeCaptions() {
    setWindowTitle(m_context.GetTitleForLanguage(m_context.m_language));
}

void CLoginDlg::JoinWorker() {
    if (m_worker.joinable()) m_worker.join();
}

void CLoginDlg::OnLogin() {
    if (m_timerId) return;  // a login is already running
    bool portOk = false;
    const int port = m_port->text().toInt(&portOk);
    if (!portOk) {
        m_context.ShowMessage(m_context.Text(ids::kMsgInvalidPort));
        m_port->setFocus();
        return;
    }
    JoinWorker();
    m_loginState = 0;
    m_progressPos = 0;
    m_timerId = startTimer(30);
    m_login->setEnabled(false);
    m_cancel->setEnabled(false);

    CConfigFile& settings = m_context.m_settings;
    // With a session running (File > Login), what it logged in with goes
    // back in place when this login fails: the session and its FTP host keep
    // working. At start-up there is none, and what was typed stays saved.
    m_previous.clear();
    if (!m_context.m_http.GetSessionId().empty())
        for (const char* key : kLoginKeys) m_previous << ToQt(settings.GetValue(key, "common"));
    settings.SetValue("server", ToList(m_server->text()).CStr(), "common");
    settings.SetValue("user_passwd", ToList(m_password->text()).CStr(), "common");
    settings.SetInt("tcp_port", port, "common");
    settings.SetValue("user_name", ToList(m_user->text()).CStr(), "common");
    m_context.SaveSettings();
    m_historyEntry = QStringLiteral("%1:%2:%3").arg(m_server->text()).arg(port).arg(m_user->text());

    // The worker calls only the context and its data client; the UI thread
    // meanwhile runs nothing but the timer (both buttons are disabled).
    m_worker = std::thread([this] {
        CListString error;
        const bool ok = m_context.Login(error);
        if (!ok) m_workerError = ToQt(error);
        m_loginState = ok ? 1 : -1;
    });
}

void CLoginDlg::OnCancel() {
    if (m_timerId) return;
    done(QDialog::Rejected);
}

void CLoginDlg::SetIdle() {
    if (m_timerId) killTimer(m_timerId);
    m_timerId = 0;
    m_login->setEnabled(true);
    m_cancel->setEnabled(true);
    m_progressPos = 0;
    m_progress->setValue(0);
}

void CLoginDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId) {
        QDialog::timerEvent(event);
        return;
    }
    const int state = m_loginState.load();
    if (state == 1) {
        JoinWorker();
        SetIdle();
        AddLoginHistory(m_context.LoginHistoryPath(), m_historyEntry);
        done(QDialog::Accepted);
        return;
    }
    if (state == -1) {
        JoinWorker();
        SetIdle();
        if (!m_previous.isEmpty()) {
            for (int i = 0; i < m_previous.size(); ++i)
                m_context.m_settings.SetValue(kLoginKeys[i], ToList(m_previous[i]).CStr(), "common");
            m_context.SaveSettings();
        }
        m_lastFailure = m_workerError;
        m_context.ShowMessage(m_lastFailure);
        if (m_giveUpOnFailure) done(QDialog::Rejected);
        return;
    }
    m_progressPos += 2;
    if (m_progressPos >= 100) m_progressPos = 0;
    m_progress->setValue(m_progressPos);
}

void CLoginDlg::closeEvent(QCloseEvent* event) { event->ignore(); }

bool CLoginDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_banner && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(ids::kProductSite)));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CLoginDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_autoLogin) return;
    m_autoLogin = false;  // once: a failed login leaves the dialog to the user
    QTimer::singleShot(0, this, &CLoginDlg::OnLogin);
}

void CLoginDlg::OnHistorySelChange(int index) {
    const QString text = index >= 0 ? m_history->itemText(index) : QString();
    if (text.isEmpty()) return;
    const QStringList fields = text.split(':');
    if (fields.size() < 3) return;
    m_server->setText(fields[0]);
    m_port->setText(fields[1]);
    m_user->setText(fields[2]);
    m_password->clear();
}
