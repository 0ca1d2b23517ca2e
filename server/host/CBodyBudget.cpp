#include "CBodyBudget.h"

bool CBodyBudget::CShare::Take(size_t bytes) {
    size_t used = m_budget.m_inUse.load();
    do {
        if (bytes > m_budget.m_limit || used > m_budget.m_limit - bytes) return false;
    } while (!m_budget.m_inUse.compare_exchange_weak(used, used + bytes));
    m_taken += bytes;
    return true;
}
