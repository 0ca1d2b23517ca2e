// CCommandExecutor: runs commands on full-size stacks on behalf of the web
// server's worker threads (whose stacks are small). The calling thread
// switches onto a free stack and back (swapcontext), so a command costs no
// hand-off to another thread. Commands that run side by side (queries on
// reader connections) each get a stack of their own; stacks are made as
// they are first needed, up to a most.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <ucontext.h>
#include <vector>

class CCommandExecutor {
public:
    explicit CCommandExecutor(size_t mostStacks = 64);
    ~CCommandExecutor();
    CCommandExecutor(const CCommandExecutor&) = delete;
    CCommandExecutor& operator=(const CCommandExecutor&) = delete;

    // Runs the job on a free stack (waiting for one when the most are in
    // use; inline when none can be mapped) and returns when it has ended;
    // an exception of the job is thrown again here, on the caller's stack.
    void Run(const std::function<void()>& job);

private:
    struct CStack {
        void* base = nullptr;
        size_t size = 0;
        ucontext_t caller{};
        ucontext_t job{};
        const std::function<void()>* work = nullptr;
        std::exception_ptr error;
    };

    static void Entry(unsigned high, unsigned low);
    // A free stack, a new one, or null when none can be mapped.
    CStack* Take();
    void Give(CStack* stack);

    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<CStack>> m_stacks;
    std::vector<CStack*> m_idle;
    size_t m_most;
};
