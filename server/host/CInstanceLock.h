// CInstanceLock: refuses a second running copy of the server in the same
// program folder (an flock on "<dir>/<base name>.lock", held for the run).
#pragma once

#include <string>

class CInstanceLock {
public:
    CInstanceLock() = default;
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // True when this process now holds the lock.
    bool Acquire(const std::string& path);

private:
    int m_fd = -1;
};
