// The way into the sample field for programs run in process on the demo
// data set against the local server: the five Enters (title, world, terms,
// log-in, character), each pressed once its window is ready for it, and
// the look at the field once the game scene has it. Used by the app tests
// and the game frame benchmark.
#pragma once
#include <cstdint>

#include "core/main_mgr.h"
#include "platform/keyboard.h"
#include "platform/window.h"
#include "scenes/scene.h"
#include "tools/qmserver/server_hall.h"
#include "ui/scene_windows.h"
#include "ui/window_mgr.h"
#include "windows/play/char_select_window.h"
#include "windows/play/login_window.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"
#include "windows/play/title_screen.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace samplefield {

inline constexpr uint8_t kScanEnter = 0x1C;
// The walkers' ids as the server numbers them, in the world file's order:
// the sample world's keeper, then its slime.
inline constexpr uint32_t kKeeperId = CServerHall::FIRST_WALKER_ID;
inline constexpr uint32_t kSlimeId = CServerHall::FIRST_WALKER_ID + 1;

inline void PressEnter() {
    plat::PostMessage(plat::WM_KEYDOWN, plat::VK_RETURN,
                      plat::MakeKeyLParam(kScanEnter, false, false, false));
    plat::PostMessage(plat::WM_KEYUP, plat::VK_RETURN, plat::MakeKeyLParam(kScanEnter, false, false, true));
}

template <class T>
inline T* FindWindow(const char* name) {
    return g_pWindowMgr ? dynamic_cast<T*>(g_pWindowMgr->FindWindowByName(name)) : nullptr;
}

inline uint32_t SceneKind() {
    if (!g_pMainMgr) return uint32_t(-1);
    for (CMsgObject* object : g_pMainMgr->Children())
        if (auto* child = dynamic_cast<CBaseObject*>(object)) return child->GetKindId();
    return uint32_t(-1);
}

// The Enters of the way in, each once its window is ready for it.
class WayIn {
public:
    // Presses the next Enter when its window waits for it; true once the
    // character has been chosen.
    bool Step() {
        if (m_enters >= 5) return true;
        auto* title = FindWindow<CTitleScreen>(TITLE_SCREEN_WINDOW_NAME);
        bool ready = false;
        switch (m_enters) {
            case 0:  // the title, once it is up
                ready = SceneKind() == SCENE_TITLE && title && title->IsActive();
                break;
            case 1:  // the world list, once the server has sent it
                ready = title && title->GetServerSelect() && !title->GetServerSelect()->IsWaitingForList();
                break;
            case 2: {  // the terms, once they can be agreed to
                CStipulationWindow* terms = title ? title->GetTermsWindow() : nullptr;
                ready = terms && terms->IsDrawOn() && terms->GetAgreeButton() &&
                        terms->GetAgreeButton()->IsInputOn();
                break;
            }
            case 3: {  // the log-in, the account of the command line in its box
                CInsertAccountWindow* login = title ? title->GetLoginWindow() : nullptr;
                ready = login && login->IsDrawOn() && login->IsActive();
                break;
            }
            default: {  // the character, once the list is there
                auto* select = FindWindow<CCharSelectWindow>(CHAR_SELECT_WINDOW_NAME);
                ready = SceneKind() == SCENE_CONNECT && select && select->IsListReady();
                break;
            }
        }
        // A window that has just become ready gets a few frames to settle.
        m_readyFrames = ready ? m_readyFrames + 1 : 0;
        if (m_readyFrames < 5) return false;
        PressEnter();
        m_readyFrames = 0;
        ++m_enters;
        return m_enters >= 5;
    }
    int Enters() const { return m_enters; }

private:
    int m_enters = 0;
    int m_readyFrames = 0;
};

// In the field: the game scene with map ready, the user's character and
// the walkers with ids from first to last (inclusive) on it.
inline bool InField(uint32_t firstWalker, uint32_t lastWalker) {
    if (SceneKind() != SCENE_GAME || !g_pMap || !g_pMap->IsReady() || !g_pCharMgr || !g_pCharMgr->GetPlayer())
        return false;
    for (uint32_t id = firstWalker; id <= lastWalker; ++id)
        if (!g_pCharMgr->GetChar(id)) return false;
    return true;
}

}  // namespace samplefield
