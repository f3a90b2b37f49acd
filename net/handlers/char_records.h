// Typed records for the character manager: characters entering the view and
// their appearance, status blocks and groups, skill actions and hits, the
// small state records of the character and combat messages. Built by the
// server-message handlers and, for skills and character creation, by the game
// scene and the event manager; posted into the manager's queue or handed to
// it at once.
//
// Plain fields; texts are zero-terminated arrays cut between characters, and
// every Set keeps its counts within its arrays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/message.h"
#include "data/skill_table_mgr.h"
#include "net/handlers/map_records.h"

// Record ids.
enum : uint32_t {
    MSG_STATUS_BLOCK = 18,
    MSG_STATUS_GROUP = 19,
    MSG_VALUE_LIST = 20,
    MSG_TWO_TEXTS = 22,
    MSG_VALUE_REACTION = 24,
    MSG_CHAR_TIMER = 25,
    MSG_CHAR_ACTION = 28,
    MSG_EMOTICON = 29,
    MSG_SKILL_ACTION = 30,
    MSG_SKILL_HIT = 31,
    MSG_SKILL_UPDATE = 32,
    MSG_SKILL_REMOVE = 33,
    MSG_CANCEL_SKILL = 34,
    MSG_PLAYER_SIGNAL = 35,
    MSG_TARGET_TEXT = 36,
    MSG_THREE_VALUES = 37,
    MSG_HIT_RESULT = 38,
    MSG_PLAYER_VALUES = 39,
    MSG_COMBO_TARGET = 40,
    MSG_COMBO_LIST = 41,
    MSG_ID_ARRAY = 42,
    MSG_ID_VALUE_ARRAY = 43,
    MSG_CHAR_CREATE = 56,
    MSG_CHAR_APPEAR = 57,
    MSG_OBJECT_APPEAR = 58,
    MSG_OBJECT_INFO = 59,
    MSG_CHAR_APPEARANCE = 60,
    MSG_TIMED_PAIR = 61,
    MSG_PARTY_MARKS = 72,
    MSG_CHAR_STATE_73 = 73,
    MSG_CHAR_STATE_74 = 74,
    MSG_CHAR_STATE_75 = 75,
    MSG_CHAR_TEXT = 114,
};

// Equipment slots 1 to 13 as optional values (-1: empty).
inline constexpr int EQUIPMENT_SLOTS = 13;
inline constexpr int32_t NO_VALUE = -1;
// Skill ids start at SKILL_ID_BASE (the skill table's); message kind 16
// values arrive offset by it.

// The 128-bit status set: four words, word 0 first; status s (1-128) is bit
// (s - 1) mod 32 of word (s - 1) / 32. Other ids are never set.
bool IsStatusSet(const uint32_t words[4], uint32_t status);
// The status whose record carries one more byte in the appearance messages.
inline constexpr uint32_t STATUS_EXTRA_BYTE = 49;

// A record without fields (35; the scene's 96 and 99).
class CEmptyRecord : public CMsgPayload {
public:
    explicit CEmptyRecord(uint32_t id = 0) : CMsgPayload(id) {}
};

// ---- Characters entering the view ----

// The fields of a character's full appearance record (56), in record order.
// Texts are given zero-terminated; Set cuts them to their fields.
struct CCharCreateFields {
    static constexpr size_t NAME_SIZE = 64;
    static constexpr size_t TITLE_SIZE = 100;
    static constexpr int SMALL_FIELDS = 7;
    static constexpr int MAX_ENTRIES = 2;

    uint32_t m_charId = 0;
    char m_name[NAME_SIZE] = {};
    char m_secondName[NAME_SIZE] = {};
    uint32_t m_tileX = 0, m_tileY = 0;
    uint8_t m_direction = 0;  // 0-14: the wire's 0-7 doubled
    uint8_t m_ownFlag = 0;    // 1: the player's own character
    uint8_t m_ringFlag = 0;
    uint8_t m_ringChoice = 0;
    uint32_t m_resourceId = 0;
    int32_t m_equipment[EQUIPMENT_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    uint8_t m_smallFields[SMALL_FIELDS] = {};
    uint32_t m_status[4] = {};  // word 0 first
    uint8_t m_titleFlag = 0;    // not 0: a title and its value came
    char m_title[TITLE_SIZE] = {};
    uint8_t m_titleValue = 0;
    int8_t m_signedValue = 0;
    uint8_t m_extraValue = 0;  // the byte status 49 brings
    int32_t m_creationParam = NO_VALUE;
    uint8_t m_signKind = 0;
    char m_clubName[NAME_SIZE] = {};
    char m_clubTitle[NAME_SIZE] = {};
    uint32_t m_clubValue = 0;
    // The entry lists, as parallel arrays.
    uint8_t m_entryCount = 0;
    uint8_t m_entryKinds[MAX_ENTRIES] = {};
    char m_entryTexts[MAX_ENTRIES][NAME_SIZE] = {};
    uint8_t m_entryValues[MAX_ENTRIES] = {};
    uint32_t m_entryNumbers[MAX_ENTRIES] = {};
    char m_entrySecondTexts[MAX_ENTRIES][NAME_SIZE] = {};
};

// 56: a player character enters the view or is refreshed.
class CCharCreateMsg : public CMsgPayload, public CCharCreateFields {
public:
    CCharCreateMsg() : CMsgPayload(MSG_CHAR_CREATE) {}
    // Copies every field; texts are cut to their fields (an empty one leaves
    // an empty field) and the entry count to MAX_ENTRIES.
    void Set(const CCharCreateFields& fields);
};

// 60: a non-player object's appearance changes (or it enters the view).
class CCharAppearance : public CMsgPayload {
public:
    static constexpr int SMALL_FIELDS = 6;
    CCharAppearance() : CMsgPayload(MSG_CHAR_APPEARANCE) {}
    void Set(uint32_t charId, const uint32_t status[4], const int32_t equipment[EQUIPMENT_SLOTS],
             const uint8_t smallFields[SMALL_FIELDS], uint8_t lastValue, uint8_t extraValue,
             uint32_t flagValue);

    uint32_t m_charId = 0;
    uint32_t m_status[4] = {};  // word 0 first
    int32_t m_equipment[EQUIPMENT_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // The ten bytes: the small fields 2 to 7 of the message, the colour byte
    // (255: keep), the last value, the status-49 byte and a spare 0.
    uint8_t m_smallFields[SMALL_FIELDS] = {};
    uint8_t m_colorByte = 255;
    uint8_t m_lastValue = 0;
    uint8_t m_extraValue = 0;
    uint8_t m_spare = 0;
    uint32_t m_flagValue = 0;  // the value after the optional text, 0 without it
};

// 57: a monster enters the view.
struct CCharAppearFields {
    static constexpr size_t TEXT_SIZE = 256;
    uint32_t m_charId = 0;
    uint32_t m_resourceId = 0;
    uint8_t m_direction = 0;
    uint32_t m_tileX = 0, m_tileY = 0;
    uint8_t m_byte1 = 0;
    int32_t m_equipment[EQUIPMENT_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    uint8_t m_byte2 = 0;
    uint32_t m_status[4] = {};
    uint32_t m_value1 = 0, m_value2 = 0, m_value3 = 0;
    char m_text[TEXT_SIZE] = {};
    uint8_t m_byte3 = 0;
};

class CCharAppearMsg : public CMsgPayload, public CCharAppearFields {
public:
    CCharAppearMsg() : CMsgPayload(MSG_CHAR_APPEAR) {}
    void Set(const CCharAppearFields& fields);
};

// 58: an NPC enters the view.
struct CObjectAppearFields {
    static constexpr size_t NAME_SIZE = 133;
    uint32_t m_charId = 0;
    uint32_t m_resourceId = 0;
    uint8_t m_direction = 0;
    uint32_t m_tileX = 0, m_tileY = 0;
    uint32_t m_status[4] = {};
    uint32_t m_value1 = 0, m_value2 = 0, m_value3 = 0;
    char m_name[NAME_SIZE] = {};  // the name part, with its byte
    uint8_t m_nameByte = 0;
};

class CObjectAppearMsg : public CMsgPayload, public CObjectAppearFields {
public:
    CObjectAppearMsg() : CMsgPayload(MSG_OBJECT_APPEAR) {}
    void Set(const CObjectAppearFields& fields);
};

// 59: a pet enters the view.
struct CObjectInfoFields {
    static constexpr size_t TEXT_SIZE = 64;
    uint32_t m_values1[4] = {};
    uint8_t m_byte = 0;
    uint32_t m_values2[4] = {};
    uint16_t m_word1 = 0, m_word2 = 0;
    uint32_t m_value = 0;
    char m_text1[TEXT_SIZE] = {};
    char m_text2[TEXT_SIZE] = {};
};

class CObjectInfoMsg : public CMsgPayload, public CObjectInfoFields {
public:
    CObjectInfoMsg() : CMsgPayload(MSG_OBJECT_INFO) {}
    void Set(const CObjectInfoFields& fields);
};

// ---- Status ----

// 18: the status block; the groups the flags do not name stay 0 (the
// group-0x10 byte 1).
struct CStatusBlockFields {
    uint8_t m_flags = 0;
    uint8_t m_group08Byte = 0;
    uint32_t m_group02[4] = {};
    uint16_t m_group02Word = 0;
    uint32_t m_group04[7] = {};
    uint32_t m_group08[3] = {};
    uint16_t m_group10Words[8] = {};
    uint8_t m_group10Byte = 1;
    uint32_t m_group10Value = 0;
    uint16_t m_group20Words[7] = {};
    uint32_t m_group40[2] = {};
    uint16_t m_group40Words[2] = {};
};

class CStatusBlockMsg : public CMsgPayload, public CStatusBlockFields {
public:
    CStatusBlockMsg() : CMsgPayload(MSG_STATUS_BLOCK) {}
    void Set(const CStatusBlockFields& fields) { static_cast<CStatusBlockFields&>(*this) = fields; }
};

// 19: one skill group: up to five (kind, value) entries and a trailing value.
class CStatusGroupMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_ENTRIES = 5;
    CStatusGroupMsg() : CMsgPayload(MSG_STATUS_GROUP) {}
    // Takes the first min(count, MAX_ENTRIES) entries, each with flag 1.
    void Set(uint8_t group, uint8_t count, const uint32_t* values, const uint8_t* kinds, uint32_t trailing);

    uint8_t m_group = 0;
    uint8_t m_count = 0;
    uint32_t m_values[MAX_ENTRIES] = {SKILL_ID_BASE, SKILL_ID_BASE, SKILL_ID_BASE, SKILL_ID_BASE,
                                      SKILL_ID_BASE};
    uint8_t m_kinds[MAX_ENTRIES] = {};
    uint8_t m_flags[MAX_ENTRIES] = {};
    uint32_t m_trailing = 0;
};

// 20: a list of (kind, value) pairs, each with flag 1.
class CValueListMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_ENTRIES = 17;
    CValueListMsg() : CMsgPayload(MSG_VALUE_LIST) {}
    void Set(uint8_t count, const uint8_t* kinds, const uint32_t* values);

    uint8_t m_count = 0;
    uint8_t m_kinds[MAX_ENTRIES] = {};
    uint32_t m_values[MAX_ENTRIES] = {};
    uint8_t m_flags[MAX_ENTRIES] = {};
};

// 22: two bytes and two texts.
class CTwoTextsMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 256;
    CTwoTextsMsg() : CMsgPayload(MSG_TWO_TEXTS) {}
    void Set(uint8_t a, uint8_t b, const char* text1, const char* text2);
    uint8_t m_a = 0, m_b = 0;
    char m_text1[TEXT_SIZE] = {};
    char m_text2[TEXT_SIZE] = {};
};

// 24: a value reaction over a character (form 1 also brings a text).
class CValueReactionMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 256;
    CValueReactionMsg() : CMsgPayload(MSG_VALUE_REACTION) {}
    void Set(uint8_t form, uint32_t a, uint32_t b, const char* text);
    uint8_t m_form = 0;
    uint32_t m_a = 0, m_b = 0;
    char m_text[TEXT_SIZE] = {};
};

// 25: a character's timer (form, character, seconds).
class CCharTimerMsg : public CMsgPayload {
public:
    CCharTimerMsg() : CMsgPayload(MSG_CHAR_TIMER) {}
    void Set(uint8_t form, uint32_t a, uint32_t b) {
        m_form = form;
        m_a = a;
        m_b = b;
    }
    uint8_t m_form = 0;
    uint32_t m_a = 0, m_b = 0;
};

// 28: an action shown on a character.
class CCharActionMsg : public CMsgPayload {
public:
    CCharActionMsg() : CMsgPayload(MSG_CHAR_ACTION) {}
    void Set(uint32_t charId, uint8_t action) {
        m_charId = charId;
        m_action = action;
    }
    uint32_t m_charId = 0;
    uint8_t m_action = 0;
};

// 29: an emoticon (character, kind, index).
class CEmoticonMsg : public CMsgPayload {
public:
    CEmoticonMsg() : CMsgPayload(MSG_EMOTICON) {}
    void Set(uint32_t charId, uint8_t kind, uint8_t index) {
        m_charId = charId;
        m_kind = kind;
        m_index = index;
    }
    uint32_t m_charId = 0;
    uint8_t m_kind = 0, m_index = 0;
};

// ---- Skills ----

// 30: a character starts a skill.
class CSkillActionMsg : public CMsgPayload {
public:
    CSkillActionMsg() : CMsgPayload(MSG_SKILL_ACTION) {}
    // Keeps level - 1 (a level of 0 gives -1) and the time as given.
    void Set(uint32_t skillId, uint8_t level, uint32_t actorId, uint32_t x, uint32_t y, uint16_t a,
             uint16_t b, uint32_t targetId, uint32_t time);
    uint32_t m_skillId = 0;
    uint32_t m_level = 0;  // the skill level minus 1
    uint32_t m_actorId = 0;
    uint32_t m_x = 0, m_y = 0;
    uint32_t m_a = 0, m_b = 0;
    uint32_t m_targetId = 0;
    uint32_t m_time = 0;  // in units of 1/10 of the wire's
};

// One target of a skill hit.
struct CSkillTarget {
    uint32_t m_id = 0;
    uint32_t m_value = 0;
    uint8_t m_byte1 = 0, m_byte2 = 0;
};

// 31: a skill hits its targets.
class CSkillHitMsg : public CMsgPayload {
public:
    static constexpr size_t MAX_TARGETS = 256;
    CSkillHitMsg() : CMsgPayload(MSG_SKILL_HIT) {}
    // Keeps level - 1 in a byte (0 gives 255), the first min(count,
    // MAX_TARGETS) targets, and total / count as each target's share (0 for
    // no target); g and h are stored times 10.
    void Set(uint32_t skillId, uint8_t level, uint32_t actorId, size_t count, const CSkillTarget* targets,
             uint8_t f, uint8_t i, uint32_t e, uint32_t total, uint32_t x, uint32_t y, uint32_t g,
             uint32_t h);

    uint32_t m_skillId = 0;
    uint8_t m_level = 0;  // the skill level minus 1
    uint32_t m_actorId = 0;
    uint16_t m_targetCount = 0;
    uint32_t m_targetIds[MAX_TARGETS] = {};
    uint32_t m_targetValues[MAX_TARGETS] = {};
    uint8_t m_targetBytes1[MAX_TARGETS] = {};
    uint8_t m_targetBytes2[MAX_TARGETS] = {};
    uint8_t m_f = 0;
    uint8_t m_i = 0;
    uint32_t m_e = 0;
    uint32_t m_share = 0;  // of the total, for each target
    uint32_t m_x = 0, m_y = 0;
    uint32_t m_g = 0, m_h = 0;  // times 10

    // What the effects keep in the record while its hits land.
    // Set once the hit of that entry has landed.
    uint8_t m_appliedBytes[MAX_TARGETS] = {};
    // Shown over the attacker when above 1.
    int32_t m_comboCount = 1;
    // A cell a hit target is moved to (in place of the knock-back), once.
    struct WarpOrder {
        uint16_t m_x = 0, m_y = 0;
    };
    std::optional<WarpOrder> m_warpOrder;
    // Numbers shown on targets as their hits land; an entry is spent (id 0)
    // once shown.
    struct NumberMarks {
        uint8_t m_count = 0;
        uint32_t m_ids[MAX_TARGETS] = {};
        uint32_t m_values[MAX_TARGETS] = {};
    };
    std::optional<NumberMarks> m_numberMarks;
    // Objects a killed target leaves on the ground, handed to the map when
    // the killing hit lands.
    struct PendingDrop {
        CGroundItemMsg m_item;
        uint8_t m_delivered = 0;
    };
    std::vector<PendingDrop> m_pendingDrops;
};

// 32: a learned skill of the player (a value and four bytes).
class CSkillUpdateMsg : public CMsgPayload {
public:
    CSkillUpdateMsg() : CMsgPayload(MSG_SKILL_UPDATE) {}
    void Set(uint32_t value, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) {
        m_value = value;
        m_bytes[0] = b1;
        m_bytes[1] = b2;
        m_bytes[2] = b3;
        m_bytes[3] = b4;
    }
    uint32_t m_value = 0;
    uint8_t m_bytes[4] = {};
};

// 33: a skill of the player goes (two bytes).
class CSkillRemoveMsg : public CMsgPayload {
public:
    CSkillRemoveMsg() : CMsgPayload(MSG_SKILL_REMOVE) {}
    void Set(uint8_t a, uint8_t b) {
        m_a = a;
        m_b = b;
    }
    uint8_t m_a = 0, m_b = 0;
};

// 34: the character's pending skill is cancelled.
class CCancelSkillMsg : public CMsgPayload {
public:
    CCancelSkillMsg() : CMsgPayload(MSG_CANCEL_SKILL) {}
    void Set(uint32_t charId) { m_charId = charId; }
    uint32_t m_charId = 0;
};

// 36: a text over a target.
class CTargetTextMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 100;
    CTargetTextMsg() : CMsgPayload(MSG_TARGET_TEXT) {}
    void Set(uint32_t a, uint32_t b, uint8_t c, uint32_t d, const char* text, uint32_t e, uint32_t f);
    uint32_t m_a = 0, m_b = 0;
    uint8_t m_c = 0;
    uint32_t m_d = 0;
    char m_text[TEXT_SIZE] = {};
    uint32_t m_e = 0, m_f = 0;
};

// 37: three values for a character.
class CThreeValuesMsg : public CMsgPayload {
public:
    CThreeValuesMsg() : CMsgPayload(MSG_THREE_VALUES) {}
    void Set(uint32_t a, uint32_t b, uint32_t c) {
        m_a = a;
        m_b = b;
        m_c = c;
    }
    uint32_t m_a = 0, m_b = 0, m_c = 0;
};

// 38: a hit's result: the target, the amount, the value flag (0: a reaction
// alone), the kind (the reaction's motion without a value, the skill kind of
// the hit with one) and the attacker.
class CHitResultMsg : public CMsgPayload {
public:
    CHitResultMsg() : CMsgPayload(MSG_HIT_RESULT) {}
    void Set(uint32_t targetId, uint32_t b, uint8_t c, uint8_t d, uint32_t attackerId) {
        m_targetId = targetId;
        m_b = b;
        m_c = c;
        m_d = d;
        m_attackerId = attackerId;
    }
    uint32_t m_targetId = 0;
    uint32_t m_b = 0;
    uint8_t m_c = 0, m_d = 0;
    uint32_t m_attackerId = 0;
};

// 39: three bytes for the player.
class CPlayerValuesMsg : public CMsgPayload {
public:
    CPlayerValuesMsg() : CMsgPayload(MSG_PLAYER_VALUES) {}
    void Set(uint8_t a, uint8_t b, uint8_t c) {
        m_a = a;
        m_b = b;
        m_c = c;
    }
    uint8_t m_a = 0, m_b = 0, m_c = 0;
};

// 40: a combo on a character.
class CComboTargetMsg : public CMsgPayload {
public:
    CComboTargetMsg() : CMsgPayload(MSG_COMBO_TARGET) {}
    void Set(uint32_t a, uint32_t charId, uint32_t b, uint32_t c) {
        m_a = a;
        m_charId = charId;
        m_b = b;
        m_c = c;
    }
    uint32_t m_a = 0, m_charId = 0, m_b = 0, m_c = 0;
};

// 41: a list of value pairs.
class CComboListMsg : public CMsgPayload {
public:
    static constexpr size_t MAX_PAIRS = 256;
    CComboListMsg() : CMsgPayload(MSG_COMBO_LIST) {}
    void Set(uint32_t a, size_t count, const uint32_t* first, const uint32_t* second);
    uint32_t m_a = 0;
    uint16_t m_count = 0;
    uint32_t m_first[MAX_PAIRS] = {};
    uint32_t m_second[MAX_PAIRS] = {};
};

// 42: a list of ids; 72: the characters whose controllers take the party mark.
class CIdArrayMsg : public CMsgPayload {
public:
    explicit CIdArrayMsg(uint32_t id = MSG_ID_ARRAY) : CMsgPayload(id) {}
    // At most 255 ids (the count is a byte).
    void Set(size_t count, const uint32_t* ids);
    uint8_t m_count = 0;
    std::vector<uint32_t> m_ids;
};

// 43: a list of ids, each with a value.
class CIdValueArrayMsg : public CMsgPayload {
public:
    CIdValueArrayMsg() : CMsgPayload(MSG_ID_VALUE_ARRAY) {}
    // At most 255 pairs (the count is a byte).
    void Set(size_t count, const uint32_t* ids, const uint16_t* values);
    uint8_t m_count = 0;
    std::vector<uint32_t> m_ids;
    std::vector<uint16_t> m_values;
};

// 61: two values and when they arrived (milliseconds).
class CTimedPairMsg : public CMsgPayload {
public:
    CTimedPairMsg() : CMsgPayload(MSG_TIMED_PAIR) {}
    void Set(uint32_t a, uint32_t b, uint32_t arrival) {
        m_a = a;
        m_b = b;
        m_arrival = arrival;
    }
    uint32_t m_a = 0, m_b = 0;
    uint32_t m_arrival = 0;
};

// 73, 74, 75: a character's state. 74 carries a value, 75 two words and a byte.
class CCharStateMsg : public CMsgPayload {
public:
    explicit CCharStateMsg(uint32_t id = MSG_CHAR_STATE_73) : CMsgPayload(id) {}
    void Set(uint32_t charId, uint32_t value, uint16_t a = 0, uint16_t b = 0, uint8_t c = 0) {
        m_charId = charId;
        m_value = value;
        m_a = a;
        m_b = b;
        m_c = c;
    }
    uint32_t m_charId = 0;
    uint32_t m_value = 0;
    uint16_t m_a = 0, m_b = 0;
    uint8_t m_c = 0;
};

// 114: a text record for a character.
class CCharTextMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 104;
    CCharTextMsg() : CMsgPayload(MSG_CHAR_TEXT) {}
    void Set(const char* text, uint32_t charId);
    char m_text[TEXT_SIZE] = {};
    uint32_t m_charId = 0;
};
