// Typed records for the window manager: what a window that is not open yet
// must still receive. The manager keeps them and passes each on when its
// window opens: the timer window's starts and ends (117), the club window's
// information (118) and fight-club members (121), and the event log's lines
// and key tables (124, 125, 126).
//
// Plain fields; texts are zero-terminated arrays cut between characters, and
// every Set keeps its counts within its arrays.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/message.h"

enum : uint32_t {
    MSG_TIMER = 117,
    MSG_CLUB_INFO = 118,
    MSG_FIGHT_CLUB_MEMBER = 121,
    MSG_EVENT_LOG_LINES = 124,
    MSG_EVENT_LOG_TABLE = 125,
    MSG_EVENT_LOG_VALUE = 126,
};

inline constexpr size_t WINDOW_RECORD_TEXT_SIZE = 256;

// 117: a timer starts (action 0, with its value) or ends (action kind + 1).
class CTimerMsg : public CMsgPayload {
public:
    static constexpr uint8_t ACTION_START = 0;
    CTimerMsg() : CMsgPayload(MSG_TIMER) {}
    void Set(const char* name, uint32_t value, uint8_t action);
    char m_name[WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_value = 0;
    uint8_t m_action = ACTION_START;
};

// 118: the club's information, in wire order; the last value and word come
// only with bit 0 of the flags.
struct CClubInfoFields {
    uint8_t m_a = 0;
    uint8_t m_mode = 0;
    char m_text1[WINDOW_RECORD_TEXT_SIZE] = {};
    char m_text2[WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_value1 = 0;
    uint16_t m_words1[3] = {};
    char m_text3[WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_value2 = 0;
    uint16_t m_words2[3] = {};
    char m_text4[WINDOW_RECORD_TEXT_SIZE] = {};
    char m_text5[WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_value3 = 0, m_value4 = 0;
    uint8_t m_b = 0;
    uint32_t m_value5 = 0;
    uint32_t m_flags = 0;
    uint32_t m_extraValue = 0;
    uint16_t m_extraWord = 0;
};

class CClubInfoMsg : public CMsgPayload, public CClubInfoFields {
public:
    CClubInfoMsg() : CMsgPayload(MSG_CLUB_INFO) {}
    // Copies every field; texts are made proper texts of their fields.
    void Set(const CClubInfoFields& fields);
};

// 121: a fight-club member, in wire order; f comes with flag 0x40, h and i
// when g is not 0.
struct CFightClubMemberFields {
    uint8_t m_kind = 0;
    char m_name[WINDOW_RECORD_TEXT_SIZE] = {};
    char m_secondName[WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_a = 0;
    uint16_t m_b = 0;
    uint32_t m_c = 0;
    uint16_t m_d = 0;
    uint32_t m_e = 0;
    uint32_t m_flags = 0;
    uint32_t m_f = 0;
    uint8_t m_g = 0;
    uint16_t m_h = 0, m_i = 0;
};

class CFightClubMemberMsg : public CMsgPayload, public CFightClubMemberFields {
public:
    CFightClubMemberMsg() : CMsgPayload(MSG_FIGHT_CLUB_MEMBER) {}
    void Set(const CFightClubMemberFields& fields);
};

// 124: the event log's dated lines, in the order the log shows them.
class CEventLogLinesMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_LINES = 100;
    CEventLogLinesMsg() : CMsgPayload(MSG_EVENT_LOG_LINES) {}
    // Keeps at most MAX_LINES lines; a null array leaves its fields empty.
    void Set(uint8_t a, size_t count, const char* const* texts, const uint32_t* values);
    uint8_t m_a = 0;
    uint8_t m_count = 0;
    char m_texts[MAX_LINES][WINDOW_RECORD_TEXT_SIZE] = {};
    uint32_t m_values[MAX_LINES] = {};
};

// 125: a group's table of keys and values.
class CEventLogTableMsg : public CMsgPayload {
public:
    static constexpr size_t MAX_PAIRS = 256;
    CEventLogTableMsg() : CMsgPayload(MSG_EVENT_LOG_TABLE) {}
    // At most 255 pairs (the count is a byte).
    void Set(uint8_t group, size_t count, const uint8_t* keys, const uint8_t* values);
    uint8_t m_group = 0;
    uint8_t m_count = 0;
    uint8_t m_keys[MAX_PAIRS] = {};
    uint8_t m_values[MAX_PAIRS] = {};
};

// 126: one key of a group.
class CEventLogValueMsg : public CMsgPayload {
public:
    CEventLogValueMsg() : CMsgPayload(MSG_EVENT_LOG_VALUE) {}
    void Set(uint8_t group, uint8_t key, uint8_t value) {
        m_group = group;
        m_key = key;
        m_value = value;
    }
    uint8_t m_group = 0, m_key = 0, m_value = 0;
};
