#include "net/handlers/map_records.h"

#include <cstring>

void CGroundItemMsg::Set(uint32_t objectId, uint32_t value1, uint16_t value16, uint32_t value2,
                         const char* name, const uint8_t* expiry, const CItemRecord& record, int32_t x,
                         int32_t y, int32_t z) {
    m_objectId = objectId;
    m_value1 = value1;
    m_value16 = value16;
    m_value2 = value2;
    CopyRecordText(m_name, name);
    if (expiry) std::memcpy(m_expiry, expiry, sizeof m_expiry);
    CopyItemRecord(m_record, record);
    m_x = x;
    m_y = y;
    m_z = z;
}

void CFieldObjectMsg::Set(uint32_t id, uint32_t value1, uint32_t value2, int32_t x1, int32_t y1, int32_t x2,
                          int32_t y2, uint16_t key, uint16_t secondWord, uint16_t animation, uint8_t motion,
                          uint8_t direction, uint8_t hidden, uint8_t byte1, uint8_t byte2, const char* name) {
    m_id = id;
    m_value1 = value1;
    m_value2 = value2;
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    m_key = key;
    m_secondWord = secondWord;
    m_animation = animation;
    m_motion = motion;
    m_direction = direction;
    m_hidden = hidden;
    m_byte1 = byte1;
    m_byte2 = byte2;
    CopyRecordText(m_name, name);
}
