#include "CCommandExecutor.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const size_t kStackSize = 8 * 1024 * 1024;

}  // namespace

CCommandExecutor::CCommandExecutor(size_t mostStacks) : m_most(mostStacks ? mostStacks : 1) {}

CCommandExecutor::~CCommandExecutor() {
    // Every Run has left its stack before the web server lets go of us.
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& stack : m_stacks) munmap(stack->base, stack->size);
}

CCommandExecutor::CStack* CCommandExecutor::Take() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_idle.empty()) {
            CStack* stack = m_idle.back();
            m_idle.pop_back();
            return stack;
        }
        if (m_stacks.size() < m_most) break;
        m_freed.wait(lock);
    }
    // Pages are taken only when touched; the lowest page guards against an
    // overflow.
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* base = mmap(nullptr, kStackSize, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    if (mprotect(base, page, PROT_NONE) != 0) {
        munmap(base, kStackSize);
        return nullptr;
    }
    auto stack = std::make_unique<CStack>();
    stack->base = base;
    stack->size = kStackSize;
    m_stacks.push_back(std::move(stack));
    return m_stacks.back().get();
}

void CCommandExecutor::Give(CStack* stack) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_idle.push_back(stack);
    }
    m_freed.notify_one();
}

void CCommandExecutor::Entry(unsigned high, unsigned low) {
    const uintptr_t address = (static_cast<uintptr_t>(high) << 32) | low;
    CStack* stack = reinterpret_cast<CStack*>(address);
    try {
        (*stack->work)();
    } catch (...) {
        // Unwinding must not leave this stack's first frame.
        stack->error = std::current_exception();
    }
    // Returning resumes the caller (uc_link).
}

void CCommandExecutor::Run(const std::function<void()>& work) {
    CStack* stack = Take();
    if (!stack) {
        work();
        return;
    }
    stack->work = &work;
    stack->error = nullptr;
    getcontext(&stack->job);
    stack->job.uc_stack.ss_sp = stack->base;
    stack->job.uc_stack.ss_size = stack->size;
    stack->job.uc_link = &stack->caller;
    const uintptr_t address = reinterpret_cast<uintptr_t>(stack);
    makecontext(&stack->job, reinterpret_cast<void (*)()>(&CCommandExecutor::Entry), 2,
                static_cast<unsigned>(address >> 32), static_cast<unsigned>(address & 0xffffffffu));
    swapcontext(&stack->caller, &stack->job);
    stack->work = nullptr;
    std::exception_ptr error = stack->error;
    stack->error = nullptr;
    Give(stack);
    if (error) std::rethrow_exception(error);
}
