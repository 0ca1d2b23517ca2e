#include "CSingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CSingleInstance::CSingleInstance(const QString& lockPath, const QString& windowTitle,
                                 QObject* parent)
    : QObject(parent), m_lockPath(lockPath), m_windowTitle(windowTitle), m_fd(-1),
      m_server(nullptr) {
    // One socket name per lock file, so isolated folders never meet.
    const QByteArray hash =
        QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_serverName = QStringLiteral("zentry-") + QString::fromLatin1(hash);
}

CSingleInstance::~CSingleInstance() {
    if (m_server) m_server->close();
    if (m_fd >= 0) close(m_fd);  // releases the lock
}

bool CSingleInstance::Acquire() {
    m_fd = open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) return true;  // no lock possible: do not stop the user
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        close(m_fd);
        m_fd = -1;
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000)) {
            socket.write("raise\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        return false;
    }
    m_server = new QLocalServer(this);
    QLocalServer::removeServer(m_serverName);  // a stale socket of a crashed run
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    m_server->listen(m_serverName);
    return true;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QWidget* target = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) continue;
            if (widget->windowTitle() == m_windowTitle) {
                target = widget;
                break;
            }
            if (!target && qobject_cast<QMainWindow*>(widget)) target = widget;
        }
        if (!target) target = QApplication::activeModalWidget();
        if (target) {
            target->showNormal();
            target->raise();
            target->activateWindow();
        }
    }
}

int EnsureSingleInstance(const QString& lockPath, const QString& windowTitle,
                         std::unique_ptr<CSingleInstance>& holder) {
    auto guard = std::make_unique<CSingleInstance>(lockPath, windowTitle);
    if (!guard->Acquire()) return 0;
    holder = std::move(guard);
    return 1;
}
