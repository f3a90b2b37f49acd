// Message 7: the objects that come into view, a batch of sub-records read
// whole before any is applied (one of an unknown kind makes the whole batch
// unreadable). In wire order each is handed to the character manager (kinds
// 1, 2, 6, 7) or the map (3, 4, 5) and its id marked in the id register at
// once; then the connection is asked for write notification, also for an
// empty batch. No connection test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_OBJECTS_IN_VIEW = 7,
};

// Kind 2 brings two more values from this client version on.
inline constexpr uint16_t APPEAR_VALUES_VERSION = 231;

// A character entering the view in message 7: an NPC (kind 1) with its name,
// or a monster (kind 2) without equipment.
struct CViewCharacter {
    static constexpr uint8_t KIND_NPC = 1;
    static constexpr uint8_t KIND_MONSTER = 2;
    uint8_t kind = KIND_NPC;
    uint32_t id = 0;
    uint32_t resourceId = 0;
    uint16_t tileX = 0, tileY = 0;
    uint8_t direction = 0;
    std::string name;
};
// 7 as a server writes it for a client of clientVersion, code first.
std::vector<uint8_t> WriteObjectsInView(const std::vector<CViewCharacter>& objects, uint16_t clientVersion);

// An item lying on the ground in message 7 (kind 3): the server's object id
// for it, the item id, its name, tile and count; no date.
struct CViewGroundItem {
    uint32_t objectId = 0;
    uint32_t itemId = 0;
    std::string name;
    uint16_t tileX = 0, tileY = 0;
    uint16_t count = 1;
};
// 7 with items on the ground, code first.
std::vector<uint8_t> WriteGroundItemsInView(const std::vector<CViewGroundItem>& items);

// The id register's kind flags of message 7's objects.
enum : uint8_t {
    ID_FLAG_NPC = 0,
    ID_FLAG_MONSTER = 2,
    ID_FLAG_PET = 3,
    ID_FLAG_GROUND_ITEM = 6,
    ID_FLAG_AREA_MARKER = 9,
    ID_FLAG_FIELD_OBJECT = 10,
};

void HandleObjectsInView(CGameSession& session, uint8_t code, CPacketReader& body);
