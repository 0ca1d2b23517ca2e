// CQuerySlot: one of the 20 paged-query slots of a database object, and the
// table of them. The cursor type is the database object's own; it needs
// Reset().
#pragma once

#include <ctime>
#include <mutex>
#include <string>
#include <vector>

// A new SlotId: "%06d|%s" of the slot counter and a 7-character token.
std::string MakeSlotId();

template <class Cursor>
struct CQuerySlot {
    Cursor cursor;
    std::vector<std::string> columns;
    int columnCount = 0;
    std::string slotId;
    std::string status = "success";
    time_t lastUse = 0;
    bool inUse = false;
    std::string sql;
    // Held by a call that works on the cursor, so that no other call frees
    // it meanwhile.
    std::mutex use;

    void Reset() {
        cursor.Reset();
        columns.clear();
        columnCount = 0;
        slotId.clear();
        status = "success";
        lastUse = 0;
        inUse = false;
        sql.clear();
    }
};

template <class Cursor>
class CQuerySlotTable {
public:
    static const int kSlotCount = 20;

    CQuerySlotTable() : m_slots(kSlotCount) {}

    // The first free slot, reset and marked in use; null when all are taken.
    CQuerySlot<Cursor>* FindFreeSlot() {
        for (auto& slot : m_slots) {
            if (!slot.inUse) {
                slot.Reset();
                slot.inUse = true;
                return &slot;
            }
        }
        return nullptr;
    }
    // The slot in use whose SlotId equals the text exactly; null when none
    // (an empty id never matches).
    CQuerySlot<Cursor>* FindSlot(const std::string& slotId) {
        if (slotId.empty()) return nullptr;
        for (auto& slot : m_slots) {
            if (slot.inUse && slot.slotId == slotId) return &slot;
        }
        return nullptr;
    }
    // Resets every slot in use whose last use lies idleSeconds or more before now.
    void CloseIdle(time_t now, int idleSeconds) {
        for (auto& slot : m_slots) {
            if (slot.inUse && now - slot.lastUse >= idleSeconds) slot.Reset();
        }
    }
    void ResetAll() {
        for (auto& slot : m_slots) slot.Reset();
    }
    CQuerySlot<Cursor>& At(int index) { return m_slots[static_cast<size_t>(index)]; }
    int InUseCount() const {
        int n = 0;
        for (auto& slot : m_slots) n += slot.inUse ? 1 : 0;
        return n;
    }

private:
    std::vector<CQuerySlot<Cursor>> m_slots;
};
