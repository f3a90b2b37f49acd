// The record of an item dropped on the ground while the client plays alone
// (no server): the map takes it as its message 49 and lays the item down.
#pragma once
#include <cstdint>

#include "core/message.h"
#include "data/item_object.h"
#include "ui/items/item_expiry.h"

inline constexpr uint32_t ITEM_DROP_MSG = 49;
inline constexpr size_t ITEM_DROP_NAME_SIZE = 256;

class CItemDropMsg : public CMsgPayload {
public:
    CItemDropMsg() : CMsgPayload(ITEM_DROP_MSG) {}

    uint8_t m_kind = 0;
    uint32_t m_tileX = 0, m_tileY = 0;
    uint32_t m_charId = 0;
    uint32_t m_objectId = UINT32_MAX;  // none yet
    uint32_t m_itemId = 0;
    uint16_t m_count = 0;
    uint32_t m_flags = 0;
    char m_name[ITEM_DROP_NAME_SIZE] = {};
    CItemExpiry m_expiry;
    uint8_t m_socketGrade = 0;
    uint8_t m_socketCount = 0;
    uint32_t m_socketIds[3] = {};
};

// Fills the record of one piece of the item dropped at the tile by the
// character: kind 0, count 1, no name; the item's id, flags, expiry and
// sockets (its extra record).
void FillItemDropMessage(CItemDropMsg& msg, const CItemObject& item, const CItemExpiry& expiry,
                         uint32_t tileX, uint32_t tileY, uint32_t charId, uint32_t objectId);
