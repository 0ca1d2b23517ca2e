#include "CServerState.h"

namespace {

// The housekeeping hook for plug-ins; nothing to do.
bool CheckPlugins() {
    return true;
}

}  // namespace

void CServerState::Sweep() {
    std::lock_guard<std::mutex> lock(mutex);
    CheckPlugins();
    db.CloseIdleSlots();
    sessions.RemoveExpired();
}
