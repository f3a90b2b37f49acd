// CNPCFunctionSelectWin ("NPC_FUNCTION_SELECT_WIN"): the ring of service
// icons around an NPC the player clicked (talk, shop, heal, club storage,
// roulette, fight club, account transfer, premium shop, equipment ability).
// The server's answer to the NPC open request tells it which icons to show
// and gives the shop its modes.
#pragma once
#include <cstdint>

#include "ui/base_window.h"
#include "ui/game_scene_windows.h"

class CButton;

inline constexpr char NPC_MENU_WINDOW_NAME[] = "NPC_FUNCTION_SELECT_WIN";
inline constexpr char NPC_MENU_IMAGE_NAME[] = "NPC_FUNC_ICON";
inline constexpr int NPC_MENU_ICONS = 10;
inline constexpr uint32_t NPC_MENU_OPEN_MS = 300;
inline constexpr float NPC_MENU_RADIUS = 20.0f;
inline constexpr size_t NPC_CHAT_NAME_CHARS = 14;

// Icons by their bit in the menu's mask.
enum NpcMenuIcon : int {
    NPC_ICON_TALK = 0,
    NPC_ICON_STORE = 1,
    NPC_ICON_HEAL = 2,
    NPC_ICON_CLUB_DEPOSIT = 3,
    NPC_ICON_ROULETTE = 4,
    NPC_ICON_FIGHT_CLUB = 5,
    NPC_ICON_ATS = 6,
    NPC_ICON_CLUB_DEPOSIT_OWN = 7,
    NPC_ICON_PREMIUM_SHOP = 8,
    NPC_ICON_EQUIPMENT_ABILITY = 9,
};

// The icon mask for the server's function word: bits 0-3 the shop, 7 or 8
// healing, 17 and 18 the two club storages, 26 the roulette, 27 the fight
// club, 10 the account transfer, 4 the equipment ability; talk always,
// unless the chat name is the player's own.
uint32_t NpcMenuMaskFor(uint32_t flags, bool hideTalk);

class CNPCFunctionSelectWin : public CBaseWindow, public IFunctionMenu {
public:
    CNPCFunctionSelectWin();
    ~CNPCFunctionSelectWin() override;

    bool Create() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // IFunctionMenu.
    uint32_t GetTargetId() override { return m_npcId; }
    void SetTarget(uint32_t charId, const char* name) override;

    void SetTargetNpc(uint32_t npcId);
    // A null name returns false; an empty one clears the chat name.
    bool SetChatName(const char* name);
    // The server's function word: the icons, shown; the shop's four modes.
    // False without the player character.
    bool ApplyFunctions(uint32_t flags);
    void SetFunctions(uint32_t mask);

    uint32_t GetFunctionMask() const { return m_functionMask; }
    CButton* GetIcon(int i) const { return i >= 0 && i < NPC_MENU_ICONS ? m_icons[i] : nullptr; }
    bool HasChatName() const { return m_hasChatName != 0; }
    const char* GetChatName() const { return m_chatName; }

private:
    void RunIcon(int icon);

    uint32_t m_functionMask = 0;
    CButton* m_icons[NPC_MENU_ICONS] = {};
    int32_t m_selected = -1;
    uint8_t m_hasChatName = 0;
    char m_chatName[NPC_CHAT_NAME_CHARS + 1] = {};
    uint32_t m_npcId = 0;
    uint32_t m_openTime = 0;
};
