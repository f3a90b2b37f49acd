#include "world/chars/hud_windows.h"

#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

// What the set does to a window before (and, for the item container of the
// fishing window, after) adding it.
enum : uint8_t {
    SET_OWNER = 1,
    SET_ITEMS = 2,
    SET_HIDDEN = 4,
    SET_ITEMS_AFTER = 8,
    LINKED = 16,  // linked to the main interface window
};

constexpr uint8_t HUD_SETTINGS[HUD_WINDOW_COUNT] = {
    SET_OWNER | SET_HIDDEN | LINKED,              // character info
    SET_OWNER | SET_ITEMS | SET_HIDDEN | LINKED,  // inventory
    SET_HIDDEN | LINKED,                          // club
    SET_HIDDEN | LINKED,                          // event log
    SET_OWNER | SET_ITEMS | LINKED,               // quick slots
    SET_OWNER | SET_HIDDEN | SET_ITEMS | LINKED,  // equipment
    SET_OWNER | SET_HIDDEN | LINKED,              // combos
    SET_OWNER | SET_HIDDEN,                       // combo set-up
    SET_HIDDEN | LINKED,                          // skills
    SET_HIDDEN | LINKED,                          // team
    0,                                            // mini team
    SET_ITEMS_AFTER,                              // fishing
    SET_HIDDEN | LINKED,                          // options
};

// The order the set is taken down in.
constexpr int DESTROY_ORDER[HUD_WINDOW_COUNT] = {
    HUD_CHAR_INFO,   HUD_INVENTORY, HUD_CLUB, HUD_EVENT_LOG, HUD_QUICK_SLOT, HUD_EQUIP,   HUD_COMBO,
    HUD_COMBO_SETUP, HUD_SKILL,     HUD_TEAM, HUD_MINI_TEAM, HUD_OPTION,     HUD_FISHING,
};

IHudMainWindow* MainWindow() {
    return g_pWindowMgr ? dynamic_cast<IHudMainWindow*>(g_pWindowMgr->FindWindowByName(HUD_MAIN_WINDOW_NAME))
                        : nullptr;
}

}  // namespace

CBaseWindow* FindOrMakeWindow(const char* identifier) {
    if (!g_pWindowMgr) return nullptr;
    if (CBaseWindow* window = g_pWindowMgr->FindWindowByName(identifier)) return window;
    CBaseWindow* window = CreateRegisteredWindow(identifier);
    if (window && !g_pWindowMgr->AddChild(window)) {
        delete window;
        window = nullptr;
    }
    return window;
}

CBaseWindow* CCharAction::HudWindow(int slot) const {
    if (slot < 0 || slot >= HUD_WINDOW_COUNT || !g_pWindowMgr) return nullptr;
    auto* window = m_hudWindows[slot].GetAs<CBaseWindow>();
    return window ? g_pWindowMgr->HasWindow(window) : nullptr;
}

void CCharAction::SetHudWindow(int slot, CBaseWindow* window) {
    if (slot >= 0 && slot < HUD_WINDOW_COUNT) m_hudWindows[slot].Assign(window);
}

void CChar::CreateHudWindows() {
    DestroyHudWindows();
    CCharAction* action = GetAction();
    if (!action || !g_pWindowMgr) return;
    CCharData* data = GetData();
    for (int slot = 0; slot < HUD_WINDOW_COUNT; ++slot) {
        CBaseWindow* window = CreateRegisteredWindow(HUD_WINDOW_NAMES[slot]);
        if (!window) continue;
        const uint8_t settings = HUD_SETTINGS[slot];
        auto* owned = dynamic_cast<IPlayWindowOwner*>(window);
        if (owned && (settings & SET_OWNER)) owned->SetOwnerId(GetCharId());
        if (owned && (settings & SET_ITEMS)) owned->SetItemContainer(data);
        if (settings & SET_HIDDEN) window->Hide();
        if (!g_pWindowMgr->AddChild(window)) {
            delete window;
            continue;
        }
        if (owned && (settings & SET_ITEMS_AFTER)) owned->SetItemContainer(data);
        action->SetHudWindow(slot, window);
    }
    if (g_pCharMgr && g_pCharMgr->GetPlayer() == this)
        if (IHudMainWindow* main = MainWindow()) main->ResetPanelState();
}

void CChar::DestroyHudWindows() {
    CCharAction* action = GetAction();
    if (!action) return;
    const bool own = g_pCharMgr && g_pCharMgr->GetPlayer() == this;
    for (int slot : DESTROY_ORDER) {
        if (CBaseWindow* window = action->HudWindow(slot)) {
            if (own && (HUD_SETTINGS[slot] & LINKED))
                if (IHudMainWindow* main = MainWindow()) main->UnlinkWindow(window);
            g_pWindowMgr->CloseWindow(window);
        }
        action->SetHudWindow(slot, nullptr);
    }
}
