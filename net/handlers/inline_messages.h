// The small server messages the dispatcher handles itself: the player's
// position (4), an object leaving (14), a map object moving (90), the time
// echo (102), request 118 (103), the map's field value (108), game over (109),
// the player's flag (121), and the web-page messages (104).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_PLAYER_POSITION = 4,
    SERVER_OBJECT_LEAVES = 14,
    SERVER_MAP_OBJECT_MOVES = 90,
    SERVER_TIME_ECHO = 102,
    SERVER_REQUEST_118 = 103,
    SERVER_WEB_PAGE = 104,
    SERVER_FIELD_VALUE = 108,
    SERVER_GAME_OVER = 109,
    SERVER_PLAYER_FLAG = 121,
};

// Message 104: sub-code 1 asks to open a page (box text and answer address),
// 2 is the new-account page, 3 a page for the game scene's web window.
struct CWebMessage {
    uint8_t m_sub = 0;
    std::string m_address;  // 1: the answer; 2, 3: the page
    std::string m_text;     // 1: the box text
};
std::optional<CWebMessage> ParseWebMessage(CPacketReader& body);

// 4, 14, 102 and 103 as a server writes them, code first.
std::vector<uint8_t> WritePlayerPosition(uint16_t tileX, uint16_t tileY);
std::vector<uint8_t> WriteObjectLeaves(uint32_t objectId);
std::vector<uint8_t> WriteTimeEcho(uint32_t value);
std::vector<uint8_t> WriteRequest118();

void HandlePlayerPosition(CGameSession& session, uint8_t code, CPacketReader& body);
// 14: the object with the id leaves the view (its kind in the object id
// register says whose it is); 90: a map object moves into a field slot.
void HandleObjectLeaves(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleMapObjectMoves(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleTimeEcho(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleRequest118(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleWebMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleFieldValue(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleGameOver(CGameSession& session, uint8_t code, CPacketReader& body);
void HandlePlayerFlag(CGameSession& session, uint8_t code, CPacketReader& body);

// How often message 103 has seeded the random generator (once a process).
uint32_t RandomSeedings();
