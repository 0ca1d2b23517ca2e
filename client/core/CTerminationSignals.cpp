#include "CTerminationSignals.h"

#include <QSocketNotifier>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the installed instance's pipe; a handler may touch
// nothing else.
volatile sig_atomic_t g_writeFd = -1;

const int kSignals[] = {SIGTERM, SIGINT};

void OnSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (g_writeFd >= 0) {
        // A full pipe already holds a request: dropping this one is fine.
        [[maybe_unused]] const ssize_t written = write(g_writeFd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent) {}

CTerminationSignals::~CTerminationSignals()
{
    if (m_installed) {
        for (int number : kSignals) signal(number, SIG_DFL);
        g_writeFd = -1;
    }
    for (int fd : m_fds)
        if (fd >= 0) close(fd);
}

bool CTerminationSignals::Install()
{
    if (m_installed) return true;
    if (g_writeFd >= 0) {
        m_error = QStringLiteral("termination signals are already handled");
        return false;
    }
    if (pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
    g_writeFd = m_fds[1];
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) {
        if (sigaction(number, &action, nullptr) != 0) {
            m_error = QString::fromLocal8Bit(strerror(errno));
            for (int n : kSignals) signal(n, SIG_DFL);
            g_writeFd = -1;
            return false;
        }
    }
    m_installed = true;
    return true;
}

void CTerminationSignals::OnReadable()
{
    unsigned char byte = 0;
    int last = 0;
    while (read(m_fds[0], &byte, 1) == 1) last = byte;
    if (last) emit Requested(last);
}
