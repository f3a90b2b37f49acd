// The main window: its creation, its window procedure (activation, keyboard
// and mouse input for the input manager, the connection's notifications), the
// hotkey callbacks of the text-input control and its subclass procedure.
#pragma once
#include <cstdint>
#include <string>

#include "platform/window.h"

constexpr const char* MAIN_WINDOW_CLASS = "Z5MainWindow";
// How long Left acts as a mouse button while held in keyboard-click mode.
constexpr uint32_t KEYBOARD_CLICK_MS = 15000;

extern bool g_textFocus;          // a text-input control has the keyboard focus
extern bool g_keyboardClickMode;  // Left and Right act as mouse buttons (game scene)
extern bool g_disconnectNotice;   // a lost connection shows a message box

// "Quillmarrow Client Version 1.03 ,Release ,for Japan"
std::string MainWindowTitle();
// Registers the class and creates the window centred on the screen with the
// system cursor hidden; null (after a message box when the class could not be
// registered) on failure.
plat::WindowHandle CreateMainWindow(int width, int height, bool fullScreen);
plat::LResult MainWndProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                          plat::LParam lParam);

// The hotkeys the text-input control registers: each callback posts its key
// to the input manager when called with 1; all return 1. Up and Down post
// nothing while the control composes or takes several lines.
struct CHotkey {
    uint8_t m_key;
    int (*m_callback)(int);
};
constexpr int HOTKEY_COUNT = 28;
extern const CHotkey g_hotkeys[HOTKEY_COUNT];

// The procedure put on the text-input control: the wheel goes to the input
// manager (and on), other messages are offered to the control's own handler
// first; what it leaves goes to the control's earlier procedure.
plat::LResult EditSubclassProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                               plat::LParam lParam);

// The text-input control's side of the hotkeys and the subclass procedure.
class IEditControl {
public:
    virtual ~IEditControl() = default;
    // An IME composition is in progress.
    virtual bool IsComposing() = 0;
    // The control takes several lines (Up and Down then move between them).
    virtual bool IsMultiLine() = 0;
    // The control's message handler; true when it consumed the message.
    virtual bool HandleMessage(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                               plat::LParam lParam) = 0;
    // The procedure the control had before it was subclassed.
    virtual plat::LResult CallPreviousProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                                           plat::LParam lParam) = 0;
};
extern IEditControl* g_pEditControl;
