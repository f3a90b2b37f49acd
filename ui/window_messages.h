// The messages the window manager handles from its own port: records posted
// for windows that may not exist yet (they wait in the manager's queue until
// the window is there), the close message, and the web-page request. Posters
// build these records; each target window implements the small interface
// declared beside its records.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/message.h"
#include "core/window_port_records.h"

class CBaseWindow;

// The sender field of the one web-page request the manager honours.
inline constexpr uint32_t OPEN_URL_SENDER = 24;
// Records waiting for a window that does not exist: the oldest beyond this go.
inline constexpr int32_t MAX_WAITING_WINDOW_MESSAGES = 256;

// 12: close the window with this handle (posted by CWindowMgr::CloseWindow).
class CCloseWindowMsg : public CMsgPayload {
public:
    CCloseWindowMsg() : CMsgPayload(WM_MSG_CLOSE_WINDOW) {}
    uint16_t m_typeCode = 0;  // the window's drag-object type
    uint32_t m_handle = 0;
};

// ---- "TimerWindow" ----

class ITimerWindow {
public:
    virtual ~ITimerWindow() = default;
    virtual void StartTimer(const char* name, uint32_t value) = 0;
    virtual void EndTimer(const char* name, uint32_t kind) = 0;
};

// ---- "Club_BaseWindow" ----

class IClubBaseWindow {
public:
    virtual ~IClubBaseWindow() = default;
    virtual void SetClubInfo(const CClubInfoMsg& info) = 0;
    virtual void SetMemberList(uint16_t count, uint32_t clubValue, const CClubMemberRecord* records) = 0;
    virtual void UpdateMember(const CClubMemberMsg& member) = 0;
};

// ---- "Z5MAINWIN" ----

// The option byte of the side buttons' layout: 1 for style 4.
inline constexpr size_t OPTION_SIDE_BUTTON_STYLE = 19;

class IMainInterfaceWindow {
public:
    virtual ~IMainInterfaceWindow() = default;
    // The club button blinks (club news) until StopBlink.
    virtual void StartBlink() = 0;
    virtual void StopBlink() = 0;
    // The inventory button shakes: an item was picked up.
    virtual void ShakeItemButton() = 0;
    // Where an item icon flies to: the inventory button, or the side bar's
    // show button while the bar is hidden; false without either.
    virtual bool GetInventoryButtonPosition(int32_t* x, int32_t* y) = 0;
    // The chosen skill's icon (its skill-table row).
    virtual void SetSkillIcon(int32_t skillRow) = 0;
    // The side buttons' two layouts: 4 (a click opens the window beside the
    // button) or 2 (the window opens while the pointer is over the button).
    virtual void SetStyle(uint8_t style) = 0;
    virtual uint8_t GetStyle() = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
};

// ---- "EventLogWindow" ----

class IEventLogWindow {
public:
    virtual ~IEventLogWindow() = default;
    virtual void AddLine(uint8_t a, uint8_t count, const char (*texts)[RECORD_TEXT_SIZE],
                         const uint32_t* values) = 0;
    virtual void SetKeyValueTable(uint8_t group, uint8_t count, const uint8_t* keys,
                                  const uint8_t* values) = 0;
    virtual void SetKeyValue(uint8_t group, uint8_t key, uint8_t value) = 0;
};

// ---- "World_Map_Interface" ----

class IWorldMapWindow {
public:
    virtual ~IWorldMapWindow() = default;
    virtual void SetCurrentLocation(uint16_t stage) = 0;
};

// ---- "MINI_TEAM_WINDOW" ----

class IMiniTeamWindow {
public:
    virtual ~IMiniTeamWindow() = default;
    // Refills the window from the player's party (message 128).
    virtual void AddAllMembers() = 0;
};

// Whether a web-page address may be handed to the browser: "http://" or
// "https://" (any case) and no control characters.
bool IsOpenableUrl(const char* url);
