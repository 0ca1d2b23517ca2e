#include "CCommandExecutor.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const size_t kStackSize = 8 * 1024 * 1024;

}  // namespace

CCommandExecutor::CCommandExecutor() {
    // Pages are taken only when touched; the lowest page guards against an
    // overflow.
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* stack = mmap(nullptr, kStackSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) return;
    if (mprotect(stack, page, PROT_NONE) != 0) {
        munmap(stack, kStackSize);
        return;
    }
    m_stack = stack;
    m_stackSize = kStackSize;
}

CCommandExecutor::~CCommandExecutor() {
    // Run holds the mutex until its job has left the stack.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stack) munmap(m_stack, m_stackSize);
}

void CCommandExecutor::Entry(unsigned high, unsigned low) {
    const uintptr_t address = (static_cast<uintptr_t>(high) << 32) | low;
    reinterpret_cast<CCommandExecutor*>(address)->RunJob();
    // Returning resumes m_caller (uc_link).
}

void CCommandExecutor::RunJob() {
    try {
        (*m_work)();
    } catch (...) {
        // Unwinding must not leave this stack's first frame.
        m_error = std::current_exception();
    }
}

void CCommandExecutor::Run(const std::function<void()>& work) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_stack) {
        work();
        return;
    }
    m_work = &work;
    m_error = nullptr;
    getcontext(&m_job);
    m_job.uc_stack.ss_sp = m_stack;
    m_job.uc_stack.ss_size = m_stackSize;
    m_job.uc_link = &m_caller;
    const uintptr_t address = reinterpret_cast<uintptr_t>(this);
    makecontext(&m_job, reinterpret_cast<void (*)()>(&CCommandExecutor::Entry), 2,
                static_cast<unsigned>(address >> 32), static_cast<unsigned>(address & 0xffffffffu));
    swapcontext(&m_caller, &m_job);
    m_work = nullptr;
    std::exception_ptr error = m_error;
    m_error = nullptr;
    lock.unlock();
    if (error) std::rethrow_exception(error);
}
