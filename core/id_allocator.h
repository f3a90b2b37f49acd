// Handle issue. A handle is the slot index in its low 16 bits and a serial
// (1-65535, wrapping back to 1) in its high 16 bits, so that a stale handle
// never matches the object that later holds the same slot. The serial counter
// is shared by every allocator in the process.
#pragma once
#include <cstdint>
#include <vector>

#include "core/base_object.h"

class CIdAllocator : public CMsgObject {
public:
    CIdAllocator();

    // Issues a handle (the most recently freed slot first, else a new slot),
    // writes it to *out when given, and returns it. Never 0.
    uint32_t AllocId(uint32_t* out);
    // Returns the handle's slot. A handle that is not currently issued (0, a
    // stale one, one freed already) is ignored.
    void FreeId(uint32_t handle);
    // True while the handle is issued and not freed.
    bool IsIssued(uint32_t handle) const;
    // Forgets every slot.
    void Clear();
    size_t SlotCount() const { return m_serials.size(); }

    static uint32_t SlotOf(uint32_t handle) { return handle & 0xFFFFu; }
    static uint32_t SerialOf(uint32_t handle) { return handle >> 16; }

    // The process-wide serial counter: the last serial issued (0 before the
    // first). Tests set it to reach the wrap-around.
    static uint32_t GetSerialCounter();
    static void SetSerialCounterForTest(uint32_t value);

private:
    std::vector<uint32_t> m_serials;    // serial per slot, 0 = free
    std::vector<uint32_t> m_freeSlots;  // most recently freed on top
};
