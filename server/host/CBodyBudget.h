// CBodyBudget: the bytes of request bodies that all requests together may
// hold at once. A request takes its share before it stores a byte and gives
// it back when it is done, so many large bodies at once cannot exhaust the
// server's memory.
#pragma once

#include <atomic>
#include <cstddef>

class CBodyBudget {
public:
    explicit CBodyBudget(size_t limit = 0) : m_limit(limit) {}
    void SetLimit(size_t limit) { m_limit = limit; }
    size_t GetInUse() const { return m_inUse.load(); }

    // One request's share, given back when it goes out of scope.
    class CShare {
    public:
        explicit CShare(CBodyBudget& budget) : m_budget(budget) {}
        ~CShare() { m_budget.m_inUse -= m_taken; }
        CShare(const CShare&) = delete;
        CShare& operator=(const CShare&) = delete;
        // False (nothing taken) when the budget has no room for bytes more.
        bool Take(size_t bytes);

    private:
        CBodyBudget& m_budget;
        size_t m_taken = 0;
    };

private:
    size_t m_limit;
    std::atomic<size_t> m_inUse{0};
};
