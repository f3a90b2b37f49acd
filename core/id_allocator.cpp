#include "core/id_allocator.h"

namespace {
uint32_t g_serialCounter = 0;
constexpr uint32_t kMaxSlots = 0x10000;
}  // namespace

CIdAllocator::CIdAllocator() {
    m_serials.reserve(100);
    m_freeSlots.reserve(100);
}

uint32_t CIdAllocator::AllocId(uint32_t* out) {
    uint32_t slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        slot = uint32_t(m_serials.size());
        m_serials.push_back(0);
    }
    // Beyond 65,536 live slots the index would not fit its 16 bits; the slot
    // then shares its low bits with an earlier one, but the full handle
    // (compared whole everywhere) still tells them apart by serial.
    if (++g_serialCounter > 0xFFFFu) g_serialCounter = 1;
    m_serials[slot] = g_serialCounter;
    uint32_t handle = (slot % kMaxSlots) | (g_serialCounter << 16);
    if (out) *out = handle;
    return handle;
}

void CIdAllocator::FreeId(uint32_t handle) {
    uint32_t serial = SerialOf(handle);
    if (serial == 0) return;
    // The slot may sit above 65,535 when that many are live; look for it by
    // its low bits and serial.
    for (size_t slot = SlotOf(handle); slot < m_serials.size(); slot += kMaxSlots) {
        if (m_serials[slot] == serial) {
            m_serials[slot] = 0;
            m_freeSlots.push_back(uint32_t(slot));
            return;
        }
    }
}

bool CIdAllocator::IsIssued(uint32_t handle) const {
    uint32_t serial = SerialOf(handle);
    if (serial == 0) return false;
    for (size_t slot = SlotOf(handle); slot < m_serials.size(); slot += kMaxSlots)
        if (m_serials[slot] == serial) return true;
    return false;
}

void CIdAllocator::Clear() {
    m_serials.clear();
    m_freeSlots.clear();
}

uint32_t CIdAllocator::GetSerialCounter() {
    return g_serialCounter;
}

void CIdAllocator::SetSerialCounterForTest(uint32_t value) {
    g_serialCounter = value;
}
