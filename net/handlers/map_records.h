// The records the map takes (CMap::HandleMessage): built by the server-message
// handlers, the item dispatch and the game scene, handed to the map directly
// and destroyed by whoever built them. Plain fields; texts are fixed arrays
// cut between characters.
#pragma once
#include <cstdint>

#include "core/message.h"
#include "data/item_object.h"

// Message ids of the map's records.
enum : uint32_t {
    MAP_MSG_OBJECT_GONE = 26,
    MAP_MSG_OBJECT_TO_FIELD = 44,
    MAP_MSG_GROUND_ITEM = 49,
    MAP_MSG_CHANGE_MAP = 76,
    MAP_MSG_AREA_MARKER = 79,
    MAP_MSG_AREA_MARKER_GONE = 80,
    MAP_MSG_SERVER_OBJECT = 81,
    MAP_MSG_SERVER_OBJECT_GONE = 82,
    MAP_MSG_WEATHER = 83,
    MAP_MSG_TIME_OF_DAY = 84,
    MAP_MSG_ZONE_MARKER = 94,
    MAP_MSG_ZONE_MARKER_GONE = 97,
};

inline constexpr size_t MAP_RECORD_TEXT_SIZE = 256;  // text bytes, terminator included

// A record of one object id (26, 80, 82, 97).
class CMapIdMsg : public CMsgPayload {
public:
    explicit CMapIdMsg(uint32_t messageId) : CMsgPayload(messageId) {}
    void Set(uint32_t objectId) { m_objectId = objectId; }
    uint32_t m_objectId = 0;
};

// 26: an object id is gone.
class CObjectGoneMsg : public CMapIdMsg {
public:
    CObjectGoneMsg() : CMapIdMsg(MAP_MSG_OBJECT_GONE) {}
};

// 44: the object-layer object with the id moves into a field-object slot.
class CObjectToFieldMsg : public CMsgPayload {
public:
    CObjectToFieldMsg() : CMsgPayload(MAP_MSG_OBJECT_TO_FIELD) {}
    void Set(uint32_t objectId, int32_t x, int32_t y) {
        m_objectId = objectId;
        m_x = x;
        m_y = y;
    }
    uint32_t m_objectId = 0;
    int32_t m_x = 0, m_y = 0;
};

// 49: an item lying on the ground.
class CGroundItemMsg : public CMsgPayload {
public:
    CGroundItemMsg() : CMsgPayload(MAP_MSG_GROUND_ITEM) {}
    // expiry: the five date bytes (first byte 255: no date); null leaves them.
    void Set(uint32_t objectId, uint32_t value1, uint16_t value16, uint32_t value2, const char* name,
             const uint8_t* expiry, const CItemRecord& record, int32_t x, int32_t y, int32_t z);
    uint32_t m_objectId = 0;
    uint32_t m_value1 = 0;
    uint16_t m_value16 = 0;
    uint32_t m_value2 = 0;
    char m_name[MAP_RECORD_TEXT_SIZE] = {};
    uint8_t m_expiry[5] = {255, 0, 0, 0, 0};
    CItemRecord m_record;
    int32_t m_x = 0, m_y = 0, m_z = 0;
};

// 76: change of map.
class CMapChangeMsg : public CMsgPayload {
public:
    CMapChangeMsg() : CMsgPayload(MAP_MSG_CHANGE_MAP) {}
    void Set(uint16_t stage, uint8_t serverAttrFlag, uint8_t attrByte, uint8_t eventByte) {
        m_stage = stage;
        m_serverAttrFlag = serverAttrFlag;
        m_attrByte = attrByte;
        m_eventByte = eventByte;
    }
    uint16_t m_stage = 0;
    uint8_t m_serverAttrFlag = 0;  // 1: the attribute byte decides battle and no-battle zones
    uint8_t m_attrByte = 0;
    uint8_t m_eventByte = 0;
};

// 79: an area marker over a rectangle of tiles.
class CAreaMarkerMsg : public CMsgPayload {
public:
    CAreaMarkerMsg() : CMsgPayload(MAP_MSG_AREA_MARKER) {}
    void Set(uint32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        m_id = id;
        m_x1 = x1;
        m_y1 = y1;
        m_x2 = x2;
        m_y2 = y2;
    }
    uint32_t m_id = 0;
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
};

class CAreaMarkerGoneMsg : public CMapIdMsg {
public:
    CAreaMarkerGoneMsg() : CMapIdMsg(MAP_MSG_AREA_MARKER_GONE) {}
};

// 81: a server object: seven u32, three u16, five u8 and its name.
class CFieldObjectMsg : public CMsgPayload {
public:
    CFieldObjectMsg() : CMsgPayload(MAP_MSG_SERVER_OBJECT) {}
    void Set(uint32_t id, uint32_t value1, uint32_t value2, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
             uint16_t key, uint16_t secondWord, uint16_t animation, uint8_t motion, uint8_t direction,
             uint8_t hidden, uint8_t byte1, uint8_t byte2, const char* name);
    uint32_t m_id = 0;
    uint32_t m_value1 = 0, m_value2 = 0;
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;  // tiles
    uint16_t m_key = 0, m_secondWord = 0, m_animation = 0;
    uint8_t m_motion = 0, m_direction = 0, m_hidden = 0, m_byte1 = 0, m_byte2 = 0;
    char m_name[MAP_RECORD_TEXT_SIZE] = {};
};

class CServerObjectGoneMsg : public CMapIdMsg {
public:
    CServerObjectGoneMsg() : CMapIdMsg(MAP_MSG_SERVER_OBJECT_GONE) {}
};

// 83: weather kind and strength.
class CWeatherMsg : public CMsgPayload {
public:
    CWeatherMsg() : CMsgPayload(MAP_MSG_WEATHER) {}
    void Set(uint8_t kind, uint8_t strength) {
        m_kind = kind;
        m_strength = strength;
    }
    uint8_t m_kind = 0, m_strength = 0;
};

// 84: the two time values and the night flag.
class CTimeOfDayMsg : public CMsgPayload {
public:
    CTimeOfDayMsg() : CMsgPayload(MAP_MSG_TIME_OF_DAY) {}
    void Set(uint8_t value1, uint8_t value2, uint8_t night) {
        m_value1 = value1;
        m_value2 = value2;
        m_night = night;
    }
    uint8_t m_value1 = 0, m_value2 = 0, m_night = 0;
};

// 94: a zone marker over a rectangle of tiles.
class CZoneMarkerMsg : public CMsgPayload {
public:
    CZoneMarkerMsg() : CMsgPayload(MAP_MSG_ZONE_MARKER) {}
    void Set(uint32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t style) {
        m_id = id;
        m_x1 = x1;
        m_y1 = y1;
        m_x2 = x2;
        m_y2 = y2;
        m_style = style;
    }
    uint32_t m_id = 0;
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    uint8_t m_style = 0;
};

class CZoneMarkerGoneMsg : public CMapIdMsg {
public:
    CZoneMarkerGoneMsg() : CMapIdMsg(MAP_MSG_ZONE_MARKER_GONE) {}
};
