// The game scene's input pass: the queued key and mouse events the windows
// left, the 27 configurable hot keys and the plain keys.
#include <cstring>

#include "core/config.h"
#include "core/input_mgr.h"
#include "core/key_bindings.h"
#include "graphics/device_set.h"
#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/game_scene.h"
#include "ui/base_window.h"
#include "ui/edit_mgr.h"
#include "ui/game_scene_windows.h"
#include "ui/ui_services.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

bool Held(int key) {
    return (uint16_t(plat::GetAsyncKeyState(key)) & 0x8000) != 0;
}

// The windows of the player's set the hot keys toggle.
const char* ToggledWindow(int32_t command) {
    switch (command) {
        case 7:
            return "CharInfoWindow";
        case 9:
            return "COMBO_WINDOW";
        case 10:
            return "ItemEquipWindow";
        case 11:
            return "ItemInventoryWindow";
        case 12:
            return "EventLogWindow";
        case 13:
            return "Club_BaseWindow";
        case 14:
            return "Z5_OPTION_WINDOW";
        case 15:
            return "SKILL_WINDOW";
        case 16:
            return "TEAM_WINDOW";
        case 18:
            return "QuickSlotWindow";
        case 25:
            return "Pet_Interface";
        default:
            return nullptr;
    }
}

// The option byte that keeps whether a toggled window is shown; 0 for none.
size_t ToggledOption(int32_t command) {
    switch (command) {
        case 18:
            return OPT_QUICK_SLOTS_SHOWN;
        case 25:
            return OPT_PET_WINDOW_SHOWN;
        default:
            return 0;
    }
}

CBaseWindow* FindWindow(const char* name) {
    if (!g_pWindowMgr) return nullptr;
    if (CBaseWindow* window = g_pWindowMgr->FindWindowByName(name, 0, true)) return window;
    // A window of the player's own set may carry the player's id (the quick slots do).
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? g_pWindowMgr->FindWindowByName(name, player->GetCharId(), true) : nullptr;
}

// Shows and activates a hidden window, hides a shown one; false without it.
bool ToggleWindow(CBaseWindow* window) {
    if (!window) return false;
    if (window->IsVisibleInTree()) {
        window->Hide();
    } else {
        window->Show();
        window->SetActive(true, false);
        // A docked panel window opens free, not as its side button's hover menu.
        if (window->GetStateValue() == WINDOW_STATE_DOCKED) window->SetStateValue(WINDOW_STATE_FREE);
    }
    return true;
}

}  // namespace

int32_t CGameScene::FindKeyBinding(bool ctrl, bool alt, bool shift, uint32_t key) {
    return ::FindKeyBinding(g_options, ctrl, alt, shift, key);
}

void CGameScene::ShowChatWindows() {
    for (const char* name : {gamewin::kChatInput, gamewin::kChatWindow, gamewin::kHeadword})
        if (CBaseWindow* window = m_windows.Get(name)) window->Show();
    g_options.SetByte(OPT_CHAT_SHOWN, 1);
}

bool CGameScene::RunHotKey(int32_t command, bool ctrl) {
    if (const char* name = ToggledWindow(command)) {
        CBaseWindow* window = FindWindow(name);
        // The journal opened by its key stands free (its close button), not
        // docked at its side button.
        if (command == 12 && window && !window->IsVisibleInTree()) window->SetStateValue(WINDOW_STATE_FREE);
        if (ToggleWindow(window))
            if (const size_t option = ToggledOption(command))
                g_options.SetByte(option, window->IsVisibleInTree() ? 1 : 0);
        return true;
    }
    switch (command) {
        case 5:
            if (IOneToOneChat* chat = m_windows.GetOneToOneChat()) chat->OnCommand(2, nullptr);
            return true;
        case 3:
            if (auto* pages = dynamic_cast<IQuickSlotPages*>(FindWindow("QuickSlotWindow")))
                pages->TogglePage();
            return true;
        case 2:
        case 17:
        case 19:
        case 20:
            // Their windows (world map, chat macros, minimap, combos) take
            // these keys once they are
            // part of the program.
            return true;
        case 0:
            if (IWebPageView* web = WebPageView()) web->OpenPage();
            return true;
        case 24:
            // The side buttons' other layout; the option keeps it.
            if (auto* main = dynamic_cast<IMainInterfaceWindow*>(m_windows.Get(gamewin::kMainInterface))) {
                const uint8_t style = main->GetStyle() == 4 ? 2 : 4;
                main->SetStyle(style);
                g_options.SetByte(OPTION_SIDE_BUTTON_STYLE, style == 4 ? 1 : 0);
            }
            return true;
        case 4:
            if (CBaseWindow* emoticon = m_windows.Get(gamewin::kEmoticon)) {
                ToggleWindow(emoticon);
                if (emoticon->IsVisibleInTree()) emoticon->SetPosition(250, 150);
            }
            return true;
        case 6:
            ToggleWindow(m_windows.Get(gamewin::kMessenger));
            return true;
        case 8:
            PickUpNearestItem();
            return true;
        case 22:
            if (CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr) {
                if (!ctrl)
                    data->SetComboIndex(
                        (data->m_comboRequestPending ? data->m_comboRequested : data->m_selectedCombo) + 1);
                else
                    data->SelectComboDirect(data->m_selectedCombo + 1);
            }
            return true;
        case 21: {
            const uint32_t now = plat::timeGetTime();
            if (m_lastDrawStep != 0 && now - m_lastDrawStep < GAME_HOTKEY21_GUARD_MS) return true;
            CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
            if (!data) return true;
            const uint32_t state = data->m_motion;
            if (state != data->m_restMotion && state != MOTION_WALK && state != MOTION_RUN &&
                state != MOTION_HELD_DOWN)
                return true;
            m_lastDrawStep = now ? now : 1;
            GameSession().SendDrawStep(state == MOTION_HELD_DOWN ? 0 : 1);
            return true;
        }
        case 23: {
            CBaseWindow* chat = m_windows.Get(gamewin::kChatWindow);
            if (chat && !chat->IsVisibleInTree()) {
                ShowChatWindows();
            } else {
                for (const char* name : {gamewin::kChatInput, gamewin::kHeadword})
                    if (CBaseWindow* window = m_windows.Get(name)) window->SetActive(false, false);
                for (const char* name : {gamewin::kChatInput, gamewin::kChatWindow, gamewin::kHeadword})
                    if (CBaseWindow* window = m_windows.Get(name)) window->Hide();
                g_options.SetByte(OPT_CHAT_SHOWN, 0);
            }
            return true;
        }
        case 26:
            if (g_pDirectX) g_pDirectX->SaveScreenshot();
            return true;
        default:
            return true;
    }
}

CBaseWindow* CGameScene::OpenChatInput() {
    CBaseWindow* chat = m_windows.Get(gamewin::kChatWindow);
    if (chat && !chat->IsVisibleInTree()) ShowChatWindows();
    CBaseWindow* input = m_windows.Get(gamewin::kChatInput);
    if (input) input->SetActive(true, false);
    return input;
}

bool CGameScene::RunPlainKey(uint32_t key) {
    switch (key) {
        case plat::VK_RETURN:
            if (!EventBlocksInput()) OpenChatInput();
            return true;
        case plat::VK_DIVIDE:
            // A chat command starts with the slash.
            if (!EventBlocksInput() && OpenChatInput() && g_pEditMgr) g_pEditMgr->SetText("/");
            return true;
        case plat::VK_ESCAPE:
            if (m_actionMode == 1 || m_actionMode == 2) {
                EndAiming();
                return true;
            }
            if (ISceneEvents* events = GetSceneEvents(); events && events->HasCurrentEvent()) return true;
            if (g_pWindowMgr && g_pWindowMgr->HideTopWindow()) return true;
            if (CBaseWindow* window = m_windows.Get(gamewin::kSystemWindow)) {
                if (window->IsVisibleInTree()) {
                    window->Hide();
                } else {
                    const CDisplaySettings& screen = GetDisplaySettings();
                    const WindowRect& r = window->GetRect();
                    window->SetPosition((screen.screenWidth - (r.right - r.left)) / 2,
                                        (screen.screenHeight - (r.bottom - r.top)) / 2);
                    if (auto* system = dynamic_cast<ISystemWindowChoice*>(window)) {
                        system->SetChoice(-1);
                        if (!system->IsGameOverMode()) system->SetGameOverMode(false);
                    }
                    window->Show();
                    window->SetActive(true, false);
                }
            }
            return true;
        case plat::VK_NEXT:
            return true;
        default:
            return key >= plat::VK_NUMPAD0 && key <= plat::VK_NUMPAD9;
    }
}

bool CGameScene::ProcessInput() {
    ISceneEvents* events = GetSceneEvents();
    if (events) events->HandleSkipKey();
    CInputMgr* input = g_pInputMgr;
    if (events && events->IsVisualEventRunning()) {
        if (input && IsMapReady() && m_transition != GAME_WAITING_FOR_MAP) {
            m_pPlayer = nullptr;
            // The windows the event keeps (its talk and choices) take theirs first.
            if (g_pWindowMgr) g_pWindowMgr->ProcessInput();
            const bool ctrl = Held(plat::VK_CONTROL);
            CInputEvent* event = input->GetFirstEvent();
            for (int32_t n = input->GetEventCount(); event && n > 0; --n) {
                bool consume = false;
                if (event->m_kind == INPUT_KEY) {
                    if (event->m_code == 'S' && ctrl) {
                        if (g_pDirectX) g_pDirectX->SaveScreenshot();
                        consume = true;
                    }
                } else if (event->m_kind == INPUT_MOUSE) {
                    if (event->m_code == MOUSE_LUP || event->m_code == MOUSE_RUP) ClearCursorPointedObject();
                    consume = event->m_code <= MOUSE_RUP || event->m_code == MOUSE_LDBLCLICK;
                }
                event = consume ? input->RemoveEvent(event) : input->GetNextEvent(event);
            }
        }
        RebuildFrameRateLine();
        return true;
    }
    if (m_albumMode != 0) return true;
    if (m_telescope) {
        // The telescope view takes the input while it lasts.
        if (CBaseWindow* telescope = m_windows.Get(gamewin::kTelescope))
            telescope->ProcessInput();
        else
            StartScreenFade();
        return true;
    }
    if (input && IsWorldReady() && g_pCharMgr && g_pCharMgr->GetPlayer()) {
        m_pPlayer = g_pCharMgr->GetPlayer();
        // The windows first, topmost down: each takes the events it answers,
        // and the field gets what they leave. A press over a window is not
        // the field's even when the window lets it pass.
        bool overWindow = false;
        if (g_pWindowMgr) {
            g_pWindowMgr->ProcessInput();
            overWindow = g_pWindowMgr->IsMouseOverWindow();
        }
        const bool ctrl = Held(plat::VK_CONTROL), alt = Held(plat::VK_MENU), shift = Held(plat::VK_SHIFT);
        CInputEvent* event = input->GetFirstEvent();
        for (int32_t n = input->GetEventCount(); event && n > 0; --n) {
            bool consume = false;
            if (event->m_kind == INPUT_KEY) {
                const int32_t command = FindKeyBinding(ctrl, alt, shift, event->m_code);
                if (command >= 0 && command != 1)
                    consume = RunHotKey(command, ctrl);
                else
                    consume = RunPlainKey(event->m_code);
            } else if (event->m_kind == INPUT_MOUSE && overWindow &&
                       (event->m_code == MOUSE_LDOWN || event->m_code == MOUSE_RDOWN ||
                        event->m_code == MOUSE_LDBLCLICK)) {
                consume = true;
            } else if (event->m_kind == INPUT_MOUSE) {
                switch (event->m_code) {
                    case MOUSE_LDOWN:
                        HandleGameInput(event->m_x, event->m_y, true);
                        if (m_actionMode == 0 && !m_actionA) {
                            if (m_pointedKind == -1) {
                                StartMoveHold(false);
                            } else if (ctrl && g_pCharMgr) {
                                CChar* target = g_pCharMgr->GetChar(uint32_t(m_pointedId));
                                CCharData* data = target ? target->GetData() : nullptr;
                                if (target && CanPlayerAttack(target) &&
                                    !(data && data->m_motion == MOTION_DEAD))
                                    QueueAttack(target, true);
                            }
                        }
                        consume = true;
                        break;
                    case MOUSE_RDOWN:
                        consume = HandleRightClick(event->m_x, event->m_y);
                        break;
                    case MOUSE_LDBLCLICK:
                        consume = HandleGameInput(event->m_x, event->m_y, true);
                        break;
                    case MOUSE_LUP:
                    case MOUSE_RUP: {
                        ICursorObject* cursor = WindowCursor();
                        if (m_actionMode == 0 && !(cursor && cursor->GetHeldObject())) ClearHoldFlags();
                        ClearCursorPointedObject();
                        consume = true;
                        break;
                    }
                    default:
                        break;
                }
            }
            event = consume ? input->RemoveEvent(event) : input->GetNextEvent(event);
        }
    }
    RebuildFrameRateLine();
    return true;
}
