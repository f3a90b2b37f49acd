// The records the window manager's port takes for windows that may not exist
// yet: the poster (a server-message handler, the map) builds one and puts it
// on the manager's port; the manager hands it to its window once that window
// exists. Kept below the window and network layers so that both share them.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/message.h"

// Event ids of the manager's port.
enum : uint32_t {
    WM_MSG_OPEN_URL = 9,  // parameter: CMsgText (the address); extra: non-zero opens it
    WM_MSG_CLOSE_WINDOW = 12,
    WM_MSG_TIMER = 117,
    WM_MSG_CLUB_INFO = 118,
    WM_MSG_CLUB_MEMBER_LIST = 119,
    WM_MSG_CLUB_MEMBER = 121,
    WM_MSG_NOTICE_BLINK = 122,
    WM_MSG_EVENT_LOG_LINES = 124,
    WM_MSG_EVENT_LOG_TABLE = 125,
    WM_MSG_EVENT_LOG_VALUE = 126,
    WM_MSG_WORLD_LOCATION = 127,
    WM_MSG_MINI_TEAM_REFILL = 128,  // no payload
};

// Texts inside records: zero-terminated, at most 255 bytes (CopyRecordText, core/message.h).
inline constexpr size_t RECORD_TEXT_SIZE = 256;

// 117: action 0 starts the named timer with the value; k + 1 ends it with kind k.
class CTimerMsg : public CMsgPayload {
public:
    CTimerMsg() : CMsgPayload(WM_MSG_TIMER) {}
    void Set(const char* name, uint32_t value, uint16_t action) {
        CopyRecordText(m_name, name);
        m_value = value;
        m_action = action;
    }
    char m_name[RECORD_TEXT_SIZE] = {};
    uint32_t m_value = 0;
    uint16_t m_action = 0;  // wide enough for kind 255's end (256)
};

// 118: the club information of club message sub-code 16, in its order.
class CClubInfoMsg : public CMsgPayload {
public:
    CClubInfoMsg() : CMsgPayload(WM_MSG_CLUB_INFO) {}
    uint8_t m_a = 0;
    uint8_t m_mode = 0;
    char m_text1[RECORD_TEXT_SIZE] = {};
    char m_text2[RECORD_TEXT_SIZE] = {};
    uint32_t m_value1 = 0;
    uint16_t m_value2 = 0, m_value3 = 0, m_value4 = 0;
    char m_text3[RECORD_TEXT_SIZE] = {};
    uint32_t m_value5 = 0;
    uint16_t m_value6 = 0, m_value7 = 0, m_value8 = 0;
    char m_text4[RECORD_TEXT_SIZE] = {};
    char m_text5[RECORD_TEXT_SIZE] = {};
    uint32_t m_value9 = 0;
    uint32_t m_value10 = 0;
    uint8_t m_value11 = 0;
    uint32_t m_value12 = 0;
    uint32_t m_flags = 0;
    uint32_t m_value13 = 0;  // with flags bit 0
    uint16_t m_value14 = 0;  // with flags bit 0
};

// One team of the fight-club team list, with its fields in the order received.
struct CClubMemberRecord {
    char m_firstName[18] = {};
    char m_secondName[20] = {};
    uint8_t m_a = 0;
    uint32_t m_b = 0;
    uint16_t m_k = 0;
    uint32_t m_d = 0;
    uint16_t m_e = 0;
    uint32_t m_h = 0;
    uint32_t m_g = 0;
    uint8_t m_f = 0;
    uint16_t m_p = 0, m_q = 0, m_r = 0;
};

// 119: the team list for the club window.
class CClubMemberListMsg : public CMsgPayload {
public:
    static constexpr uint16_t MAX_RECORDS = 100;
    CClubMemberListMsg() : CMsgPayload(WM_MSG_CLUB_MEMBER_LIST) {}
    char m_clubName[RECORD_TEXT_SIZE] = {};
    uint16_t m_count = 0;  // records beyond MAX_RECORDS are not delivered
    uint32_t m_clubValue = 0;
    CClubMemberRecord m_records[MAX_RECORDS];
};

// 121: one fight-club member (club message sub-code 5).
class CClubMemberMsg : public CMsgPayload {
public:
    CClubMemberMsg() : CMsgPayload(WM_MSG_CLUB_MEMBER) {}
    uint8_t m_kind = 0;
    char m_name[RECORD_TEXT_SIZE] = {};
    char m_secondName[RECORD_TEXT_SIZE] = {};
    uint32_t m_a = 0;
    uint16_t m_b = 0;
    uint32_t m_c = 0;
    uint16_t m_d = 0;
    uint32_t m_e = 0;
    uint32_t m_flags = 0;
    uint32_t m_f = 0;  // with flags bit 0x40
    uint8_t m_g = 0;
    uint16_t m_h = 0, m_i = 0;  // when g is not 0
};

// 122: a non-zero flag starts the main interface's notice icon blinking.
class CNoticeBlinkMsg : public CMsgPayload {
public:
    explicit CNoticeBlinkMsg(uint8_t flag = 1) : CMsgPayload(WM_MSG_NOTICE_BLINK), m_flag(flag) {}
    uint8_t m_flag;
};

// 124: event-log lines, stored from the last index to the first.
class CEventLogLinesMsg : public CMsgPayload {
public:
    static constexpr uint8_t MAX_LINES = 100;
    CEventLogLinesMsg() : CMsgPayload(WM_MSG_EVENT_LOG_LINES) {}
    uint8_t m_a = 0;
    uint8_t m_count = 0;  // lines beyond MAX_LINES are not delivered
    char m_texts[MAX_LINES][RECORD_TEXT_SIZE] = {};
    uint32_t m_values[MAX_LINES] = {};
};

// 125: a group's key and value table.
class CEventLogTableMsg : public CMsgPayload {
public:
    CEventLogTableMsg() : CMsgPayload(WM_MSG_EVENT_LOG_TABLE) {}
    uint8_t m_group = 0;
    uint8_t m_count = 0;
    uint8_t m_keys[255] = {};
    uint8_t m_values[255] = {};
};

// 126: one key of a group.
class CEventLogValueMsg : public CMsgPayload {
public:
    CEventLogValueMsg(uint8_t group = 0, uint8_t key = 0, uint8_t value = 0)
        : CMsgPayload(WM_MSG_EVENT_LOG_VALUE), m_group(group), m_key(key), m_value(value) {}
    uint8_t m_group, m_key, m_value;
};

// 127: the stage the player is on.
class CWorldLocationMsg : public CMsgPayload {
public:
    explicit CWorldLocationMsg(uint16_t stage = 0) : CMsgPayload(WM_MSG_WORLD_LOCATION), m_stage(stage) {}
    uint16_t m_stage;
};
