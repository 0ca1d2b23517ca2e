#include "CCommandExecutor.h"

namespace {

const size_t kStackSize = 8 * 1024 * 1024;

}  // namespace

CCommandExecutor::CCommandExecutor() {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kStackSize);
    m_started = pthread_create(&m_thread, &attr, ThreadMain, this) == 0;
    pthread_attr_destroy(&attr);
}

CCommandExecutor::~CCommandExecutor() {
    if (!m_started) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    pthread_join(m_thread, nullptr);
}

void* CCommandExecutor::ThreadMain(void* self) {
    static_cast<CCommandExecutor*>(self)->Loop();
    return nullptr;
}

void CCommandExecutor::Loop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty()) return;
        Job* job = m_jobs.front();
        m_jobs.pop_front();
        lock.unlock();
        (*job->work)();
        lock.lock();
        job->done = true;
        m_finished.notify_all();
    }
}

void CCommandExecutor::Run(const std::function<void()>& work) {
    if (!m_started) {
        work();
        return;
    }
    Job job{&work};
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobs.push_back(&job);
    m_wake.notify_one();
    m_finished.wait(lock, [&job] { return job.done; });
}
