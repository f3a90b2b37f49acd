// Records the character manager builds itself or forwards to characters
// beside those of the server handlers (net/handlers/char_records.h).
#pragma once
#include <cstdint>
#include <vector>

#include "core/message.h"
#include "core/node_list.h"
#include "net/handlers/item_records.h"

enum : uint32_t {
    CHAR_EVENT_MELEE_HIT = 13,  // a CCharValueMsg naming the attacker
    CHAR_EVENT_CHANNEL = 21,
    CHAR_EVENT_FOLLOW_CLEAR = 35,
    CHAR_EVENT_ITEM = 54,
    CHAR_EVENT_TAKE_OFF = 55,
    CHAR_EVENT_DASH = 63,
    CHAR_EVENT_MOVE = 64,
    CHAR_EVENT_MOVE_ORDER = 65,
    CHAR_EVENT_SPEED = 66,
    CHAR_EVENT_PLACE_PLAYER = 67,
};

// 54 (one item for a character) is the item handlers' CCharItemMsg: the
// server's record and the manager's own are one class.

// A character and a value (21 its flag, 35, 55 an equipment position, 66 a
// speed byte) or a tile (63 and 67).
class CCharValueMsg : public CMsgPayload {
public:
    explicit CCharValueMsg(uint32_t id, uint32_t charId = 0, uint32_t value = 0, uint32_t x = 0,
                           uint32_t y = 0)
        : CMsgPayload(id), m_charId(charId), m_value(value), m_x(x), m_y(y) {}
    uint32_t m_charId, m_value, m_x, m_y;
};

// 64: a walk for a character: to a tile, or with the follow flag up to
// another character; the direct flag walks at once instead of queueing a step.
class CCharMoveMsg : public CCharValueMsg {
public:
    CCharMoveMsg(uint32_t charId, uint32_t tileX, uint32_t tileY)
        : CCharValueMsg(CHAR_EVENT_MOVE, charId, 0, tileX, tileY) {}
    uint8_t m_direct = 0;
    uint8_t m_follow = 0;
    uint32_t m_targetId = 0;
    uint8_t m_distance = 0;
};

// 51 (a CCharValueMsg): the character walks to the field object m_value and picks it up.
inline constexpr uint32_t CHAR_EVENT_PICK_UP = 51;

// 65: a movement order (server code 100).
class CCharMoveOrder : public CMsgPayload {
public:
    CCharMoveOrder() : CMsgPayload(CHAR_EVENT_MOVE_ORDER) {}
    uint32_t m_charId = 0;
    uint32_t m_a = 0, m_b = 0;
    uint32_t m_tileX = 0, m_tileY = 0;
    uint8_t m_speed = 0;
    uint8_t m_run = 0;
    uint32_t m_zero = 0;
};

// Server code 100 as a server writes it, code first: a walk (mode 1) to the
// order's tile, or with a start cell (mode 2) when m_a or m_b is set.
std::vector<uint8_t> WriteMoveOrder(const CCharMoveOrder& order);

// Visits the messages a queue holds now, oldest first (what is added meanwhile
// waits for the next visit); a message the visitor answers true for is
// deleted, the others stay where they are.
template <class Visit>
void VisitMessages(CNodeList& queue, Visit visit) {
    const int32_t count = queue.Count();
    CListNode* node = queue.First();
    for (int32_t i = 0; i < count && node && node != queue.End(); ++i) {
        CListNode* next = node->Next();
        if (visit(static_cast<CMsg*>(node))) queue.Erase(node);
        node = next;
    }
}
