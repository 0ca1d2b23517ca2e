// CTerminationSignals: SIGTERM and SIGINT (a service stop, a session
// manager's logout, Ctrl+C in a terminal) reach the UI thread as the Qt
// signal Requested, through a pipe the handler writes one byte into, so that
// the client can end the way closing its main window ends it.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;

    // Installs the handlers; false (the reason in Error) when the pipe or a
    // handler cannot be set up. One instance at a time.
    bool Install();
    const QString& Error() const { return m_error; }

signals:
    void Requested(int signalNumber);

private:
    void OnReadable();

    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_installed = false;
    QString m_error;
};
