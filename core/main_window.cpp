#include "core/main_window.h"

#include <cstdio>

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"

bool g_textFocus = false;
bool g_keyboardClickMode = false;
bool g_disconnectNotice = false;
IEditControl* g_pEditControl = nullptr;

std::string MainWindowTitle() {
    char version[64];
    snprintf(version, sizeof(version), "Quillmarrow Client Version %1.2f",
             double(g_config.m_clientVersion) / 100.0);
    char title[128];
    snprintf(title, sizeof(title), "%s ,%s ,for %s", version, "Release", "Japan");
    return title;
}

plat::WindowHandle CreateMainWindow(int width, int height, bool fullScreen) {
    if (!plat::RegisterClass({MAIN_WINDOW_CLASS, MainWndProc, true})) {
        plat::MessageBox("RegisterClass() Error", "");
        return nullptr;
    }
    int screenWidth = 0, screenHeight = 0;
    plat::GetScreenSize(&screenWidth, &screenHeight);
    plat::WindowDesc desc;
    desc.className = MAIN_WINDOW_CLASS;
    desc.title = MainWindowTitle();
    desc.width = width;
    desc.height = height;
    desc.fullscreen = fullScreen;
    desc.x = (screenWidth - width) / 2;
    desc.y = (screenHeight - height) / 2;
    plat::WindowHandle window = plat::CreateWindow(desc);
    if (!window) return nullptr;
    plat::ShowCursor(false);  // the game draws its own cursor
    return window;
}

namespace {

bool IsKeyIn(uint8_t key, uint8_t first, uint8_t last) {
    return key >= first && key <= last;
}

// Keypad keys without NumLock arrive as navigation keys without the extended
// bit: they become the keypad digits.
uint8_t KeypadDigit(uint8_t key) {
    switch (key) {
        case plat::VK_INSERT:
            return plat::VK_NUMPAD0;
        case plat::VK_END:
            return plat::VK_NUMPAD0 + 1;
        case plat::VK_DOWN:
            return plat::VK_NUMPAD0 + 2;
        case plat::VK_NEXT:
            return plat::VK_NUMPAD0 + 3;
        case plat::VK_LEFT:
            return plat::VK_NUMPAD0 + 4;
        case plat::VK_CLEAR:
            return plat::VK_NUMPAD0 + 5;
        case plat::VK_RIGHT:
            return plat::VK_NUMPAD0 + 6;
        case plat::VK_HOME:
            return plat::VK_NUMPAD0 + 7;
        case plat::VK_UP:
            return plat::VK_NUMPAD0 + 8;
        case plat::VK_PRIOR:
            return plat::VK_NUMPAD0 + 9;
        default:
            return key;
    }
}

void OnKeyDown(plat::WParam wParam, plat::LParam lParam) {
    CInputMgr* input = g_pInputMgr;
    uint32_t bits = uint32_t(lParam);
    uint8_t key = plat::ScanCodeToVirtualKey(uint8_t(bits >> 16), uint8_t(wParam));
    if (!input) return;
    bool ctrl = plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000;
    bool repeat = bits & (1u << 30);
    bool extended = bits & (1u << 24);

    if (!extended && (!g_textFocus || ctrl)) key = KeypadDigit(key);
    bool arrow = key == plat::VK_LEFT || key == plat::VK_RIGHT;
    if (!g_keyboardClickMode && arrow) input->PostKeyDown(key, repeat);
    if (IsKeyIn(key, plat::VK_F1, plat::VK_F12) || key == plat::VK_UP || key == plat::VK_DOWN ||
        key == plat::VK_ESCAPE || key == plat::VK_NEXT || key == plat::VK_PRIOR || key == plat::VK_RETURN ||
        key == plat::VK_TAB || IsKeyIn(key, plat::VK_NUMPAD0, plat::VK_NUMPAD9))
        input->PostKeyDown(key, repeat);
    // While a text control has the focus the rest reaches the engine only with Ctrl.
    if (g_textFocus && !ctrl) return;
    if (key == plat::VK_OEM_2) key = plat::VK_DIVIDE;

    if (g_keyboardClickMode && arrow) {
        uint32_t now = plat::timeGetTime();
        if (!input->m_keyboardClick) {
            input->m_keyboardClick = 1;
            input->m_keyboardClickTime = now;
        }
        if (key == plat::VK_LEFT) {
            if (now - input->m_keyboardClickTime <= KEYBOARD_CLICK_MS) {
                if (!input->IsButtonHeld(0)) {
                    input->MouseDown(0, input->m_mouseX, input->m_mouseY);
                    input->MouseUp(0, input->m_mouseX, input->m_mouseY);
                }
                return;
            }
        } else {
            if (!input->IsButtonHeld(1)) input->MouseDown(1, input->m_mouseX, input->m_mouseY);
            return;
        }
    }
    if (IsKeyIn(key, 'A', 'Z') || IsKeyIn(key, '0', '9') || key == plat::VK_BACK || key == plat::VK_INSERT ||
        key == plat::VK_DIVIDE || key == plat::VK_OEM_MINUS || key == plat::VK_DELETE)
        input->PostKeyDown(key, repeat);
}

void OnKeyUp(plat::WParam wParam) {
    CInputMgr* input = g_pInputMgr;
    if (!input || g_textFocus) return;
    uint8_t key = uint8_t(wParam);
    input->KeyUp(key);
    if (key != plat::VK_LEFT && key != plat::VK_RIGHT) return;
    input->m_keyboardClick = 0;
    if (g_keyboardClickMode) input->MouseUp(key == plat::VK_LEFT ? 0 : 1, input->m_mouseX, input->m_mouseY);
}

void OnActivated(bool restore) {
    IActivationListener* listener = GetActivationListener();
    if (!listener || !listener->HasMapState()) return;
    if (restore && g_config.m_fullScreen) plat::ShowWindow(g_hMainWnd, plat::SW_RESTORE);
    listener->ResetMapState();
}

void OnSocketNotify(plat::WParam wParam, plat::LParam lParam) {
    ISocketEvents* socket = GetSocketEvents();
    // wParam names the socket; a late notice of a replaced one is no news of
    // the connection in use.
    if (socket && socket->IsStaleSocket(wParam)) return;
    switch (plat::LoWord(uintptr_t(lParam))) {
        case FD_READ:
            if (socket) socket->MarkReadable();
            break;
        case FD_WRITE:
            if (socket) socket->MarkWritable();
            break;
        case FD_CLOSE:
            if (IDisconnectNotice* notice = GetDisconnectNotice(); g_disconnectNotice && g_pMainMgr && notice)
                notice->Show();
            g_disconnectNotice = false;
            if (socket && socket->IsConnectionOpen()) socket->CloseConnection();
            break;
        default:
            break;
    }
}

// Mouse positions are signed 16-bit words: a drag past the left or top edge
// reads negative and clamps to 0.
int32_t MouseX(plat::LParam lParam) {
    return int16_t(plat::LoWord(uintptr_t(lParam)));
}
int32_t MouseY(plat::LParam lParam) {
    return int16_t(plat::HiWord(uintptr_t(lParam)));
}

}  // namespace

plat::LResult MainWndProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                          plat::LParam lParam) {
    CInputMgr* input = g_pInputMgr;
    switch (message) {
        case plat::WM_CREATE:
            g_active = true;
            break;
        case plat::WM_DESTROY:
            plat::PostQuitMessage(1);
            break;
        case plat::WM_MOVE:
            if (IFrameDisplay* display = GetFrameDisplay()) display->OnWindowMoved();
            break;
        case plat::WM_ACTIVATE: {
            uint16_t state = plat::LoWord(wParam);
            g_active = state == plat::WA_ACTIVE || state == plat::WA_CLICKACTIVE;
            if (g_active) OnActivated(true);
            break;
        }
        case plat::WM_SHOWWINDOW:
            g_active = wParam != 0;
            break;
        case plat::WM_ACTIVATEAPP:
            g_active = wParam != 0;
            if (g_active) OnActivated(false);
            break;
        case plat::WM_KEYDOWN:
            OnKeyDown(wParam, lParam);
            break;
        case plat::WM_KEYUP:
            OnKeyUp(wParam);
            break;
        case plat::WM_SYSKEYDOWN:
            if (input && (uint32_t(lParam) & (1u << 29))) input->PostKeyDown(uint8_t(wParam), false);
            break;
        case plat::WM_MOUSEMOVE:
            if (input) input->MouseMove(MouseX(lParam), MouseY(lParam));
            break;
        case plat::WM_LBUTTONDOWN:
        case plat::WM_RBUTTONDOWN:
            if (input)
                input->MouseDown(message == plat::WM_LBUTTONDOWN ? 0 : 1, MouseX(lParam), MouseY(lParam));
            break;
        case plat::WM_LBUTTONUP:
        case plat::WM_RBUTTONUP:
            if (input) {
                input->MouseUp(message == plat::WM_LBUTTONUP ? 0 : 1, MouseX(lParam), MouseY(lParam));
                input->m_keyboardClick = 0;
            }
            break;
        case plat::WM_LBUTTONDBLCLK:
        case plat::WM_RBUTTONDBLCLK:
            if (input)
                input->MouseDoubleClick(message == plat::WM_LBUTTONDBLCLK ? 0 : 1, MouseX(lParam),
                                        MouseY(lParam));
            break;
        case plat::WM_MOUSEWHEEL:
            if (input) input->MouseWheel(MouseX(lParam), MouseY(lParam), int16_t(plat::HiWord(wParam)));
            break;
        default:
            if (message == WM_SOCKET_NOTIFY) OnSocketNotify(wParam, lParam);
            break;
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

namespace {

template <uint8_t Key>
int PostHotkey(int arg) {
    if (arg == 1 && g_pInputMgr) g_pInputMgr->PostKeyDown(Key, false);
    return 1;
}

// Up and Down move through the IME's candidates while it composes, and
// between the lines of a multi-line control.
template <uint8_t Key>
int PostArrowHotkey(int arg) {
    if (g_pEditControl && (g_pEditControl->IsComposing() || g_pEditControl->IsMultiLine())) return 1;
    return PostHotkey<Key>(arg);
}

}  // namespace

const CHotkey g_hotkeys[HOTKEY_COUNT] = {
    {plat::VK_RETURN, PostHotkey<plat::VK_RETURN>},
    {plat::VK_TAB, PostHotkey<plat::VK_TAB>},
    {plat::VK_F1, PostHotkey<plat::VK_F1>},
    {plat::VK_F1 + 1, PostHotkey<plat::VK_F1 + 1>},
    {plat::VK_F1 + 2, PostHotkey<plat::VK_F1 + 2>},
    {plat::VK_F1 + 3, PostHotkey<plat::VK_F1 + 3>},
    {plat::VK_F1 + 4, PostHotkey<plat::VK_F1 + 4>},
    {plat::VK_F1 + 5, PostHotkey<plat::VK_F1 + 5>},
    {plat::VK_F1 + 6, PostHotkey<plat::VK_F1 + 6>},
    {plat::VK_F1 + 7, PostHotkey<plat::VK_F1 + 7>},
    {plat::VK_F1 + 8, PostHotkey<plat::VK_F1 + 8>},
    {plat::VK_F1 + 9, PostHotkey<plat::VK_F1 + 9>},
    {plat::VK_F11, PostHotkey<plat::VK_F11>},
    {plat::VK_F12, PostHotkey<plat::VK_F12>},
    {plat::VK_UP, PostArrowHotkey<plat::VK_UP>},
    {plat::VK_DOWN, PostArrowHotkey<plat::VK_DOWN>},
    {plat::VK_ESCAPE, PostHotkey<plat::VK_ESCAPE>},
    {plat::VK_NEXT, PostHotkey<plat::VK_NEXT>},
    {plat::VK_NUMPAD0, PostHotkey<plat::VK_NUMPAD0>},
    {plat::VK_NUMPAD0 + 1, PostHotkey<plat::VK_NUMPAD0 + 1>},
    {plat::VK_NUMPAD0 + 2, PostHotkey<plat::VK_NUMPAD0 + 2>},
    {plat::VK_NUMPAD0 + 3, PostHotkey<plat::VK_NUMPAD0 + 3>},
    {plat::VK_NUMPAD0 + 4, PostHotkey<plat::VK_NUMPAD0 + 4>},
    {plat::VK_NUMPAD0 + 5, PostHotkey<plat::VK_NUMPAD0 + 5>},
    {plat::VK_NUMPAD0 + 6, PostHotkey<plat::VK_NUMPAD0 + 6>},
    {plat::VK_NUMPAD0 + 7, PostHotkey<plat::VK_NUMPAD0 + 7>},
    {plat::VK_NUMPAD0 + 8, PostHotkey<plat::VK_NUMPAD0 + 8>},
    {plat::VK_NUMPAD0 + 9, PostHotkey<plat::VK_NUMPAD0 + 9>},
};

plat::LResult EditSubclassProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                               plat::LParam lParam) {
    if (message == plat::WM_MOUSEWHEEL) {
        if (g_pInputMgr)
            g_pInputMgr->MouseWheel(MouseX(lParam), MouseY(lParam), int16_t(plat::HiWord(wParam)));
    } else if (g_pEditControl && g_pEditControl->HandleMessage(window, message, wParam, lParam)) {
        return 1;
    }
    return g_pEditControl ? g_pEditControl->CallPreviousProc(window, message, wParam, lParam) : 0;
}
