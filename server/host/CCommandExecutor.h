// CCommandExecutor: one thread with a full-size stack that runs every
// command on behalf of the web server's worker threads (whose stacks are
// small), one at a time.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <pthread.h>

class CCommandExecutor {
public:
    CCommandExecutor();
    ~CCommandExecutor();
    CCommandExecutor(const CCommandExecutor&) = delete;
    CCommandExecutor& operator=(const CCommandExecutor&) = delete;

    // False when the thread could not be started (jobs then run inline).
    bool IsRunning() const { return m_started; }
    // Runs the job on the executor thread and waits for it to end.
    void Run(const std::function<void()>& job);

private:
    struct Job {
        const std::function<void()>* work;
        bool done = false;
    };

    static void* ThreadMain(void* self);
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::deque<Job*> m_jobs;
    bool m_stopping = false;
    bool m_started = false;
    pthread_t m_thread{};
};
