#include "ui/items/item_drop_msg.h"

void FillItemDropMessage(CItemDropMsg& msg, const CItemObject& item, const CItemExpiry& expiry,
                         uint32_t tileX, uint32_t tileY, uint32_t charId, uint32_t objectId) {
    msg.m_kind = 0;
    msg.m_tileX = tileX;
    msg.m_tileY = tileY;
    msg.m_charId = charId;
    msg.m_objectId = objectId;
    msg.m_itemId = item.GetItemId();
    msg.m_count = 1;
    msg.m_flags = item.GetFlags();
    msg.m_name[0] = '\0';
    msg.m_expiry.CopyFrom(expiry);
    const CItemRecord& record = item.Record();
    msg.m_socketGrade = record.m_byte0;
    msg.m_socketCount = record.m_byte1;
    msg.m_socketIds[0] = record.m_value0;
    msg.m_socketIds[1] = record.m_value1;
    msg.m_socketIds[2] = record.m_value2;
}
