// The play-screen windows of the user's own character: character info,
// inventory, club, event log, quick slots, equipment, combos, skills, team,
// fishing and options. The character makes them through the window
// manager's table of window classes when it arrives (an identifier without a
// registered class makes no window) and closes them when it goes; its
// action object holds them.
#pragma once
#include <cstdint>
#include <memory>

#include "world/chars/char_controller.h"

class CBaseWindow;
class CCharData;
class CItemObject;

// The slots, in the order the set is made.
enum : int {
    HUD_CHAR_INFO = 0,
    HUD_INVENTORY,
    HUD_CLUB,
    HUD_EVENT_LOG,
    HUD_QUICK_SLOT,
    HUD_EQUIP,
    HUD_COMBO,
    HUD_COMBO_SETUP,
    HUD_SKILL,
    HUD_TEAM,
    HUD_MINI_TEAM,
    HUD_FISHING,
    HUD_OPTION,
};
static_assert(HUD_OPTION + 1 == HUD_WINDOW_COUNT);

// The identifier of each slot's window.
inline constexpr const char* HUD_WINDOW_NAMES[HUD_WINDOW_COUNT] = {
    "CharInfoWindow",   "ItemInventoryWindow", "Club_BaseWindow",    "EventLogWindow", "QuickSlotWindow",
    "ItemEquipWindow",  "COMBO_WINDOW",        "COMBO_SETUP_WINDOW", "SKILL_WINDOW",   "TEAM_WINDOW",
    "MINI_TEAM_WINDOW", "Fishing_Window",      "Z5_OPTION_WINDOW",
};
inline constexpr const char HUD_MAIN_WINDOW_NAME[] = "Z5MAINWIN";

// The fight club's start notice: the character manager starts its count
// when the server signals the match start (its still picture comes back
// through the window's Reset).
class IFightClubNotice {
public:
    virtual ~IFightClubNotice() = default;
    virtual void Start() = 0;
};

// A window that belongs to one character: it is told the character's id and
// the data whose items it shows.
class IPlayWindowOwner {
public:
    virtual ~IPlayWindowOwner() = default;
    virtual void SetOwnerId(uint32_t charId) = 0;
    virtual void SetItemContainer(CCharData* items) = 0;
};

// A window of the set that shows the character's equipment (character
// info, equipment): told when the worn items or their set bonuses change.
class IEquipmentDisplay {
public:
    virtual ~IEquipmentDisplay() = default;
    virtual void RefreshEquipment() = 0;
};

inline constexpr const char STATUS_ICON_WINDOW_NAME[] = "ABNORMAL_STATUS_ICON_WIN";

// The status icon window ("ABNORMAL_STATUS_ICON_WIN"): a status came on the
// user's own character: the icon of the status (its skill id) under the
// caller's key, for the duration in milliseconds (0: no end).
class IStatusIconView {
public:
    virtual ~IStatusIconView() = default;
    virtual void AddStatusIcon(uint32_t key, uint32_t statusId, uint32_t durationMs) = 0;
    // The status left the character: every icon of it goes.
    virtual void RemoveStatusIcon(uint32_t statusId) = 0;
};

// The character info window lists the skill effects on the player: one
// started (the status's skill), or ended.
class ISkillEntryView {
public:
    virtual ~ISkillEntryView() = default;
    virtual void RefreshSkillEntry(uint32_t statusId) = 0;
    virtual void RemoveSkillEntry(uint32_t statusId) = 0;
};

// What the set asks of the main interface window ("Z5MAINWIN").
class IHudMainWindow {
public:
    virtual ~IHudMainWindow() = default;
    // A new set of windows: the main window forgets its panel state.
    virtual void ResetPanelState() = 0;
    // The window goes: the main window drops its link to it.
    virtual void UnlinkWindow(CBaseWindow* window) = 0;
};

// The top-level window with the identifier, made from its registered class
// and added to the window manager when there is none; null without a window
// manager or a class.
CBaseWindow* FindOrMakeWindow(const char* identifier);

// The character's speech window ("CHAR_MSGWIN") shows a line said, with the
// speaker's name (empty: the line alone).
class ICharSpeechView {
public:
    virtual ~ICharSpeechView() = default;
    virtual void ShowSpeech(const char* name, const char* text) = 0;
};

// The inventory window as the item container's changes see it.
class IInventoryView {
public:
    virtual ~IInventoryView() = default;
    // The items changed: show them again, sorted.
    virtual void RefreshItems() = 0;
};

inline constexpr const char DEPOSIT_WINDOW_ID[] = "DepositWindow";

// The personal deposit ("DepositWindow") as the server's stored items reach it.
class IDepositView {
public:
    virtual ~IDepositView() = default;
    // A stored item (the window keeps it) with its slot, count and the two
    // values the server sends with it.
    virtual void AddStoredItem(std::unique_ptr<CItemObject> item, uint8_t slot, uint32_t count, uint32_t a,
                               uint32_t b) = 0;
    virtual void Refresh(uint32_t value) = 0;
};
