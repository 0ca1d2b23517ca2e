// CCommandExecutor: runs every command on one full-size stack on behalf of
// the web server's worker threads (whose stacks are small), one at a time.
// The calling thread switches onto that stack and back (swapcontext), so a
// command costs no hand-off to another thread.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <ucontext.h>

class CCommandExecutor {
public:
    CCommandExecutor();
    ~CCommandExecutor();
    CCommandExecutor(const CCommandExecutor&) = delete;
    CCommandExecutor& operator=(const CCommandExecutor&) = delete;

    // False when the stack could not be mapped (jobs then run inline).
    bool IsRunning() const { return m_stack != nullptr; }
    // Runs the job on the command stack and returns when it has ended; an
    // exception of the job is thrown again here, on the caller's stack.
    void Run(const std::function<void()>& job);

private:
    static void Entry(unsigned high, unsigned low);
    void RunJob();

    std::mutex m_mutex;  // one job at a time on the one stack
    void* m_stack = nullptr;
    size_t m_stackSize = 0;
    ucontext_t m_caller{};
    ucontext_t m_job{};
    const std::function<void()>* m_work = nullptr;
    std::exception_ptr m_error;
};
