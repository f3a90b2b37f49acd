// Typed records of the log-in and account messages: what the handlers post to
// the character manager, the character-select and title windows and the game
// scene. Plain fields; texts are zero-terminated arrays cut between characters.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/message.h"

// Record ids.
enum : uint32_t {
    MSG_CHAR_LIST = 17,        // "CharSelectWindow": the account's characters
    MSG_PLAYER_FLAG = 21,      // character manager: a flag for the player's own character
    MSG_GAME_OVER = 62,        // character manager: the player's play ends
    MSG_PLAYER_POSITION = 67,  // character manager: the player's own character is placed
    MSG_SHOW_TERMS = 130,      // "Z5_TITLE_WINDOW": the terms of use are ready to show
    MSG_SERVER_LIST = 131,     // "Z5_TITLE_WINDOW": a new server list is there to draw
    MSG_OPEN_WEB_PAGE = 132,   // game scene: its web page window opens the address
};

// Event posted to every window when the client moves to another server.
inline constexpr uint32_t WINDOW_EVENT_SERVER_CHANGE = 86;

// One character of the account, fields in the order of the character list.
struct CCharListEntry {
    static constexpr int OPTIONAL_COUNT = 13;
    static constexpr size_t NAME_SIZE = 100;

    char m_name[NAME_SIZE] = {};
    uint32_t m_charId = 0;
    uint32_t m_value = 0;
    uint8_t m_kind = 0;
    uint16_t m_mask = 0;
    int32_t m_optional[OPTIONAL_COUNT] = {};  // -1 where the mask bit is clear
    uint8_t m_byte = 0;
    uint8_t m_group[5] = {};
    uint32_t m_value2 = 0;
    uint32_t m_value3 = 0;
};

// 17: the characters of the account, at most MAX_CHARS.
class CCharListMsg : public CMsgPayload {
public:
    static constexpr uint32_t MAX_CHARS = 256;
    static constexpr size_t ACCOUNT_SIZE = 256;

    CCharListMsg() : CMsgPayload(MSG_CHAR_LIST) {}
    void SetAccount(const char* account);
    // Appends an entry at the count; false, and nothing kept, when the list is full.
    bool AddChar(const CCharListEntry& entry);
    uint32_t Count() const { return m_count; }
    const CCharListEntry& Entry(uint32_t index) const { return m_entries[index < MAX_CHARS ? index : 0]; }
    const char* Account() const { return m_account; }

private:
    uint32_t m_count = 0;
    char m_account[ACCOUNT_SIZE] = {};
    CCharListEntry m_entries[MAX_CHARS];
};

// 67: the player's own character stands at (tile x, tile y).
class CPlayerPositionMsg : public CMsgPayload {
public:
    CPlayerPositionMsg() : CMsgPayload(MSG_PLAYER_POSITION) {}
    uint32_t m_tileX = 0;
    uint32_t m_tileY = 0;
};

// 62: game over; the value is carried, the receiver does not use it.
class CGameOverMsg : public CMsgPayload {
public:
    CGameOverMsg() : CMsgPayload(MSG_GAME_OVER) {}
    uint8_t m_value = 0;
};

// 21: a flag for the player's own character (1 when the server's byte is not 0).
class CPlayerFlagMsg : public CMsgPayload {
public:
    CPlayerFlagMsg() : CMsgPayload(MSG_PLAYER_FLAG) {}
    uint8_t m_flag = 0;
};

// 130 and 131: no fields.
class CShowTermsMsg : public CMsgPayload {
public:
    CShowTermsMsg() : CMsgPayload(MSG_SHOW_TERMS) {}
};

class CServerListMsg : public CMsgPayload {
public:
    CServerListMsg() : CMsgPayload(MSG_SERVER_LIST) {}
};

// 132: a page address for the game scene's web page window.
class COpenWebPageMsg : public CMsgPayload {
public:
    COpenWebPageMsg() : CMsgPayload(MSG_OPEN_WEB_PAGE) {}
    std::string m_address;
};
