// Message 7: the objects that come into view, a batch of sub-records read
// whole before any is applied (one of an unknown kind makes the whole batch
// unreadable). In wire order each is handed to the character manager (kinds
// 1, 2, 6, 7) or the map (3, 4, 5) and its id marked in the id register at
// once; then the connection is asked for write notification, also for an
// empty batch. No connection test.
#pragma once
#include <cstdint>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_OBJECTS_IN_VIEW = 7,
};

// Kind 2 brings two more values from this client version on.
inline constexpr uint16_t APPEAR_VALUES_VERSION = 231;

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
