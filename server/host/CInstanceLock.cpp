#include "CInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CInstanceLock::~CInstanceLock() {
    if (m_fd >= 0) close(m_fd);
}

bool CInstanceLock::Acquire(const std::string& path) {
    if (m_fd >= 0) return true;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
