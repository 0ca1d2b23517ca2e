#include "CSiblingTempFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

CSiblingTempFile::CSiblingTempFile(const QString& target) : m_target(target) {
    const QFileInfo info(target);
    // A short name: one built from the target's could pass the length a
    // file name may have where the target's own does not.
    QByteArray pattern = QFile::encodeName(info.absolutePath() + "/.zentry-XXXXXX");
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        m_lastError = QStringLiteral("Cannot write in %1: %2").arg(info.absolutePath(), ErrnoText(errno));
        return;
    }
    // mkstemp makes the file private; the result should have the mode a
    // newly created file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    m_path = pattern;
}

CSiblingTempFile::~CSiblingTempFile() {
    if (!m_path.isEmpty()) unlink(m_path.constData());
}

bool CSiblingTempFile::MoveOverTarget() {
    if (m_path.isEmpty()) return false;
    if (std::rename(m_path.constData(), QFile::encodeName(m_target).constData()) != 0) {
        m_lastError = QStringLiteral("Cannot replace %1: %2").arg(m_target, ErrnoText(errno));
        return false;
    }
    m_path.clear();
    return true;
}
