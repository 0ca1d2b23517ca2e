#include "CInstanceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CInstanceLock::~CInstanceLock() {
    if (m_fd >= 0) close(m_fd);
}

CInstanceLock::Result CInstanceLock::Acquire(const std::string& path) {
    if (m_fd >= 0) return LOCK_TAKEN;
    m_error.clear();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A lock file another account made (an earlier run as root) is
        // still good to lock: flock needs no write access.
        const int writeError = errno;
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            m_error = "cannot open the lock file " + path + ": " + strerror(writeError);
            return LOCK_FAILED;
        }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        close(fd);
        if (lockError == EWOULDBLOCK) return LOCK_HELD_ELSEWHERE;
        m_error = "cannot lock " + path + ": " + strerror(lockError);
        return LOCK_FAILED;
    }
    m_fd = fd;
    return LOCK_TAKEN;
}
