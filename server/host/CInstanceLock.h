// CInstanceLock: refuses a second running copy of the server in the same
// program folder (an flock on "<dir>/<base name>.lock", held for the run).
#pragma once

#include <string>

class CInstanceLock {
public:
    enum Result {
        LOCK_TAKEN,          // this process now holds the lock
        LOCK_HELD_ELSEWHERE, // another process holds it
        LOCK_FAILED          // the file cannot be opened; GetErrorText says why
    };

    CInstanceLock() = default;
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    Result Acquire(const std::string& path);
    const std::string& GetErrorText() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};
