// Handlers of the messages around log-in and character selection and of a few
// account-wide notices: the character list (107), the world-server list (86),
// option switches (93), a positioned sound (25), premium item notices (38),
// and the name messages the character manager reads itself (11, 17, 69, 100).
// Each does nothing while the connection is closed.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "data/premium_item_mgr.h"
#include "net/game_session.h"

class CCharListMsg;
struct CCharListEntry;
class CPacketReader;

enum : uint8_t {
    SERVER_NAME_11 = 11,
    SERVER_NAME_17 = 17,
    SERVER_SOUND = 25,
    SERVER_PREMIUM_NOTICE = 38,
    SERVER_NAME_69 = 69,
    SERVER_SERVER_LIST = 86,
    SERVER_OPTION_SWITCHES = 93,
    SERVER_NAME_100 = 100,
    SERVER_CHAR_LIST = 107,
};

// Option switches: key 1-3 set the three-state option, 4 and 5 two on/off options.
constexpr size_t OPTION_THREE_STATE = 4;
constexpr size_t OPTION_SWITCH_4 = 13;
constexpr size_t OPTION_SWITCH_5 = 14;
// A positioned sound farther than this from the middle of the screen is
// played on this circle.
constexpr double SOUND_RADIUS = 400.0;

struct CSoundCue {
    uint16_t m_soundId = 0;
    uint16_t m_tileX = 0;
    uint16_t m_tileY = 0;
};

// Message 38: form 1 and 2 set a flag, form 0 carries the announced items.
struct CPremiumNotice {
    uint8_t m_form = 0;
    std::vector<CPremiumAnnouncement> m_items;
};

std::unique_ptr<CCharListMsg> ParseCharList(CPacketReader& body);
// 107 and 86 as a server writes them, code first (at most 255 entries).
std::vector<uint8_t> WriteCharList(const char* account, const std::vector<CCharListEntry>& entries);
std::vector<uint8_t> WriteServerList(const std::vector<CServerListEntry>& entries);
std::optional<std::vector<CServerListEntry>> ParseServerList(CPacketReader& body);
std::optional<std::vector<std::pair<uint8_t, uint8_t>>> ParseOptionSwitches(CPacketReader& body);
std::optional<CSoundCue> ParseSoundCue(CPacketReader& body);  // form 0 only
std::optional<CPremiumNotice> ParsePremiumNotice(CPacketReader& body);

// The screen point a positioned sound plays at: its own when it is within
// SOUND_RADIUS of the middle of a width x height screen, else pulled in onto
// that circle.
std::pair<int32_t, int32_t> SoundPoint(int32_t x, int32_t y, int32_t width, int32_t height);

void HandleCharList(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleServerList(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleOptionSwitches(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleSoundCue(CGameSession& session, uint8_t code, CPacketReader& body);
void HandlePremiumNotice(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleNameMessage(CGameSession& session, uint8_t code, CPacketReader& body);
