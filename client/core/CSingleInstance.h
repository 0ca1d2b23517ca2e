// CSingleInstance: one running client per user and program. The first copy
// holds an flock on a lock file and listens on a local socket; a second
// copy finds the lock taken, asks the first to raise its window, and exits.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // lockPath: the lock file; windowTitle: the title of the window the
    // first copy raises (its main window, whatever its title, when none has it).
    CSingleInstance(const QString& lockPath, const QString& windowTitle,
                    QObject* parent = nullptr);
    ~CSingleInstance() override;

    // true for the first copy; false after telling the running one.
    bool Acquire();
    const QString& GetServerName() const { return m_serverName; }

private slots:
    void OnConnection();

private:
    QString m_lockPath;
    QString m_windowTitle;
    QString m_serverName;
    int m_fd;
    QLocalServer* m_server;
};

// EnsureSingleInstance of the shared dialog helpers: 1 for the first copy,
// 0 when another runs (its window comes forward). The guard stays alive in
// holder for the rest of the run.
class CAppContext;
int EnsureSingleInstance(const QString& lockPath, const QString& windowTitle,
                         std::unique_ptr<CSingleInstance>& holder);
