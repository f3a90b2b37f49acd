// Typed records for the game scene: notices, six values, name lists, id lists
// and the small records of its lists and notices. Posted through the main
// manager's queue to the scene (its child of kind 0). Plain fields; texts are
// zero-terminated arrays cut between characters, counts kept within the arrays.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/message.h"

enum : uint32_t {
    MSG_OLD_NOTICE = 14,
    MSG_NOTICE = 15,
    MSG_SIX_VALUES = 16,
    MSG_NAME_LIST = 88,
    MSG_SCENE_PAIR = 95,
    MSG_SCENE_SIGNAL_96 = 96,
    MSG_ID_LIST = 98,
    MSG_SCENE_SIGNAL_99 = 99,
    MSG_SCENE_BYTE = 100,
    MSG_SCENE_LIST = 105,
    MSG_SCENE_TEXT_LIST = 106,
    MSG_SCENE_ENTRY_107 = 107,
    MSG_SCENE_ENTRY_108 = 108,
    MSG_SCENE_TEXT = 109,
    MSG_SCENE_BYTE_TEXT = 110,
    MSG_SCENE_BYTE_111 = 111,
    MSG_SCENE_TEXT_BYTE = 112,
    MSG_SCENE_TWO_TEXTS = 113,
};

inline constexpr size_t SCENE_TEXT_SIZE = 256;

// 14: a notice of the older form.
class COldNoticeMsg : public CMsgPayload {
public:
    COldNoticeMsg() : CMsgPayload(MSG_OLD_NOTICE) {}
    void Set(const char* text);
    uint8_t m_length = 0;  // of the text kept
    char m_text[SCENE_TEXT_SIZE] = {};
};

// 15: a notice with two texts.
class CNoticeMsg : public CMsgPayload {
public:
    CNoticeMsg() : CMsgPayload(MSG_NOTICE) {}
    void Set(uint8_t a, const char* text1, const char* text2);
    uint8_t m_a = 0;
    uint8_t m_length1 = 0, m_length2 = 0;  // of the texts kept
    char m_text1[SCENE_TEXT_SIZE] = {};
    char m_text2[SCENE_TEXT_SIZE] = {};
};

// 16: six values.
class CSixValuesMsg : public CMsgPayload {
public:
    CSixValuesMsg() : CMsgPayload(MSG_SIX_VALUES) {}
    void Set(const uint32_t values[6]);
    uint32_t m_values[6] = {};
};

// 88: a list of names, each with a second text.
class CNameListMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_NAMES = 100;
    static constexpr size_t NAME_SIZE = 51;
    static constexpr size_t SECOND_SIZE = 15;
    CNameListMsg() : CMsgPayload(MSG_NAME_LIST) {}
    // Null texts leave their entries empty.
    void Set(uint8_t a, uint8_t count, const char* const* names, const char* const* seconds,
             const uint8_t* bytes);
    uint8_t m_a = 0;
    uint8_t m_count = 0;
    char m_names[MAX_NAMES][NAME_SIZE] = {};
    char m_seconds[MAX_NAMES][SECOND_SIZE] = {};
    uint8_t m_bytes[MAX_NAMES] = {};
};

// 95: a value and a byte.
class CScenePairMsg : public CMsgPayload {
public:
    CScenePairMsg() : CMsgPayload(MSG_SCENE_PAIR) {}
    void Set(uint32_t a, uint8_t b) {
        m_a = a;
        m_b = b;
    }
    uint32_t m_a = 0;
    uint8_t m_b = 0;
};

// 100 and 111: one byte.
class CSceneByteMsg : public CMsgPayload {
public:
    explicit CSceneByteMsg(uint32_t id = MSG_SCENE_BYTE) : CMsgPayload(id) {}
    void Set(uint8_t value) { m_value = value; }
    uint8_t m_value = 0;
};

// 98: a list of ids and a list of bytes.
class CIdListMsg : public CMsgPayload {
public:
    static constexpr uint32_t MAX_IDS = 32;
    static constexpr uint8_t MAX_BYTES = 16;
    CIdListMsg() : CMsgPayload(MSG_ID_LIST) {}
    void Set(uint32_t a, uint32_t count, const uint32_t* ids, uint8_t byteCount, const uint8_t* bytes);
    uint32_t m_a = 0;
    uint32_t m_count = 0;
    uint32_t m_ids[MAX_IDS] = {};
    uint8_t m_byteCount = 0;
    uint8_t m_bytes[MAX_BYTES] = {};
};

// 105: a list of named entries with values and two bytes each; each entry's
// wire type is its state (1 online, with the second text and the value).
class CSceneListMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_ENTRIES = 100;
    static constexpr size_t NAME_SIZE = 51;
    static constexpr size_t SECOND_SIZE = 15;
    CSceneListMsg() : CMsgPayload(MSG_SCENE_LIST) {}
    void Set(uint8_t count, const char* const* names, const char* const* seconds, const uint32_t* values,
             const uint8_t* bytes1, const uint8_t* bytes2);
    uint8_t m_count = 0;
    char m_names[MAX_ENTRIES][NAME_SIZE] = {};
    char m_seconds[MAX_ENTRIES][SECOND_SIZE] = {};
    uint32_t m_values[MAX_ENTRIES] = {};
    uint8_t m_bytes1[MAX_ENTRIES] = {};
    uint8_t m_bytes2[MAX_ENTRIES] = {};
    uint8_t m_types[MAX_ENTRIES] = {};
};

// 106: a list of (byte, text) entries.
class CSceneTextListMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_ENTRIES = 10;
    static constexpr size_t TEXT_SIZE = 65;
    CSceneTextListMsg() : CMsgPayload(MSG_SCENE_TEXT_LIST) {}
    void Set(uint8_t count, const uint8_t* bytes, const char* const* texts);
    uint8_t m_count = 0;
    uint8_t m_bytes[MAX_ENTRIES] = {};
    char m_texts[MAX_ENTRIES][TEXT_SIZE] = {};
};

// 107, 108: two texts, a value and a byte.
class CSceneEntryMsg : public CMsgPayload {
public:
    explicit CSceneEntryMsg(uint32_t id = MSG_SCENE_ENTRY_107) : CMsgPayload(id) {}
    void Set(const char* text1, const char* text2, uint32_t value, uint8_t byte);
    char m_text1[SCENE_TEXT_SIZE] = {};
    char m_text2[SCENE_TEXT_SIZE] = {};
    uint32_t m_value = 0;
    uint8_t m_byte = 0;
};

// 109, 110, 112, 113: up to two texts and a byte (109: one text; 110: the
// byte before the text; 112: a text and the byte; 113: two texts and the byte).
class CSceneTextMsg : public CMsgPayload {
public:
    explicit CSceneTextMsg(uint32_t id = MSG_SCENE_TEXT) : CMsgPayload(id) {}
    void Set(const char* text1, const char* text2, uint8_t byte);
    char m_text1[SCENE_TEXT_SIZE] = {};
    char m_text2[SCENE_TEXT_SIZE] = {};
    uint8_t m_byte = 0;
};
