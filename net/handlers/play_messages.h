// The party (58), the personal store (42), timers (78), combos (114) and the
// event log (33).
//
// | code | what                                                            |
// |------|-----------------------------------------------------------------|
// | 58   | "TEAM_WINDOW" (among all windows) or, while it is closed, the   |
// |      | session's party list (made on first need); form 10 a sound      |
// | 42   | the game scene's personal store, notice boxes, form 2 hides the |
// |      | trade windows                                                   |
// | 78   | 117 for "TimerWindow" through the window manager                |
// | 114  | "COMBO_SETUP_WINDOW"; combos to the character manager           |
// | 33   | 124-126 for "EventLogWindow" through the window manager         |
//
// All but 33 do nothing while the connection is closed.
#pragma once
#include <cstddef>
#include <cstdint>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_EVENT_LOG = 33,
    SERVER_STORE = 42,
    SERVER_PARTY = 58,
    SERVER_TIMER = 78,
    SERVER_COMBO = 114,
};

// Party member values arrive less this base.
inline constexpr uint32_t PARTY_VALUE_BASE = 2000000;
// The party list keeps this much of the leader's name.
inline constexpr size_t PARTY_LEADER_NAME_MAX = 100;
// Combos wait this many frames for the character manager.
inline constexpr int32_t COMBO_DELAY = 10;

void HandlePartyMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleStoreMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleTimerMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleComboMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleEventLogMessage(CGameSession& session, uint8_t code, CPacketReader& body);
