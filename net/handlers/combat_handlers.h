// The combat messages: skill actions and hits, target texts, hit results and
// the small skill records, one handler for the family. Each tests the
// connection first.
//
// | code | record                         | delivery                        |
// |------|--------------------------------|---------------------------------|
// | 19   | 31 skill hit                   | handed                          |
// | 23   | 35 (no fields)                 | posted                          |
// | 40   | form 0: 43 ids with values; form 1: 42 ids | posted              |
// | 44   | 36 target text                 | posted                          |
// | 45   | 37 three values                | posted                          |
// | 63   | 30 skill action                | handed                          |
// | 72   | 34 cancel skill                | handed                          |
// | 83   | -                              | the character's state event     |
// | 98   | 32 skill update                | posted                          |
// | 99   | 33 skill removal               | posted                          |
// | 120  | 38 hit result                  | posted                          |
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/message.h"

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_SKILL_HIT = 19,
    SERVER_PLAYER_SIGNAL = 23,
    SERVER_ID_LISTS = 40,
    SERVER_TARGET_TEXT = 44,
    SERVER_THREE_VALUES = 45,
    SERVER_SKILL_ACTION = 63,
    SERVER_CANCEL_SKILL = 72,
    SERVER_STATE_EVENT = 83,
    SERVER_SKILL_UPDATE = 98,
    SERVER_SKILL_REMOVE = 99,
    SERVER_HIT_RESULT = 120,
};

inline constexpr uint8_t STATE_EVENT_WITH_EXTRA = 96;

// One combat message, read whole.
struct CCombatMessage {
    enum Delivery { NONE, POST, HAND, STATE_EVENT };
    Delivery m_delivery = NONE;
    std::unique_ptr<CMsgPayload> m_record;
    // The state event (83).
    uint32_t m_charId = 0;
    uint8_t m_kind = 0;
    uint32_t m_value = 0;
    uint16_t m_extra = 0;
};

std::optional<CCombatMessage> ParseCombatMessage(uint8_t code, CPacketReader& body);

void HandleCombatMessage(CGameSession& session, uint8_t code, CPacketReader& body);

// Message 63 as a server writes it: the actor standing on its tile uses the
// skill (at the level) on the target for the time, in units of 10 ms.
std::vector<uint8_t> WriteSkillAction(uint32_t skillId, uint8_t level, uint32_t actorId, uint16_t tileX,
                                      uint16_t tileY, uint16_t hits, uint16_t combo, uint32_t targetId,
                                      uint16_t time);

// Message 19 as a server writes it: the actor's use of the skill hits the
// targets (each id with its value and two bytes: flags, code), around the
// tile, at the skill level (the record keeps it less one). At most 255
// targets are written.
struct CSkillHitTarget {
    uint32_t id = 0;
    uint16_t value = 0;
    uint8_t flags = 0, code = 0;
};
std::vector<uint8_t> WriteSkillHit(uint32_t skillId, uint32_t actorId, uint16_t tileX, uint16_t tileY,
                                   uint8_t level, uint8_t hitKind,
                                   const std::vector<CSkillHitTarget>& targets);

// Message 120 as a server writes it: the attacker's hit on the target; with
// a value (withValue 1) the amount is the damage shown, the kind the skill
// kind of the hit (0: a plain hit); without one the kind picks the reaction.
std::vector<uint8_t> WriteHitResult(uint32_t targetId, uint32_t amount, uint8_t withValue, uint8_t kind,
                                    uint32_t attackerId);
