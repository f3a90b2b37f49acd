// The main window and the one message queue of the program. Native events
// (SDL in the program, a script in tests) become window messages with the
// numbering and parameter layout the game's window procedure expects; the
// game takes them with PeekMessage and hands them to its procedure with
// DispatchMessage.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace plat {

struct NativeWindowTag;
using WindowHandle = NativeWindowTag*;  // null = no window
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;
using WindowProc = LResult (*)(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// Message numbers.
enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_KEYLAST = 0x0108,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
};

// WM_ACTIVATE states (low word of wParam).
enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
// Mouse message key flags (low word of wParam).
enum : uint32_t {
    MK_LBUTTON = 0x01,
    MK_RBUTTON = 0x02,
    MK_SHIFT = 0x04,
    MK_CONTROL = 0x08,
    MK_MBUTTON = 0x10
};
// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9 };
// One notch of the mouse wheel.
constexpr int WHEEL_DELTA = 120;

struct Msg {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    uint32_t time = 0;  // timeGetTime when posted
};

// Parameter packing of the messages above.
constexpr LParam MakeLParam(int low, int high) {
    return LParam(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr uint16_t LoWord(uintptr_t v) {
    return uint16_t(v & 0xFFFF);
}
constexpr uint16_t HiWord(uintptr_t v) {
    return uint16_t((v >> 16) & 0xFFFF);
}
// lParam of a key message: repeat count 1, the scan code, the extended bit (24),
// the Alt bit (29), the previous-state bit (30, set on auto-repeat and on key
// up) and the transition bit (31, set on key up).
constexpr LParam MakeKeyLParam(uint8_t scanCode, bool extended, bool repeat, bool keyUp, bool alt = false) {
    uint32_t v = 1u | (uint32_t(scanCode) << 16);
    if (extended) v |= 1u << 24;
    if (alt) v |= 1u << 29;
    if (repeat || keyUp) v |= 1u << 30;
    if (keyUp) v |= 1u << 31;
    return LParam(v);
}

// ---- Window classes and the main window ----

struct WindowClass {
    std::string name;
    WindowProc proc = nullptr;
    bool doubleClicks = false;  // double clicks arrive as ...DBLCLK messages
};
// Registers a class; false when the name is empty, the procedure missing or
// the window system refuses.
bool RegisterClass(const WindowClass& windowClass);

struct WindowDesc {
    std::string className;
    std::string title;          // in the game's code page
    int x = 0, y = 0;           // screen position of the client area
    int width = 0, height = 0;  // client size
    bool fullscreen = false;
    bool visible = true;
};
// Creates the one main window of a registered class. Its procedure receives
// WM_CREATE (and WM_SHOWWINDOW when visible) before this returns. Null when
// the class is unknown, a main window exists already or the system fails.
WindowHandle CreateWindow(const WindowDesc& desc);
// Sends WM_DESTROY to the window's procedure, then closes the native window.
void DestroyWindow(WindowHandle window);
WindowHandle GetMainWindow();
// The procedure of a window (the main window or an edit control) becomes
// proc; returns the previous one (null, changing nothing, for a window that
// does not exist or a null proc).
WindowProc SetWindowProc(WindowHandle window, WindowProc proc);
LResult CallWindowProc(WindowProc proc, WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
bool ShowWindow(WindowHandle window, int command);
// Shows or hides the system's mouse cursor over the window.
void ShowCursor(bool show);
// Moves the mouse pointer to a point of the main window's client area.
void SetCursorPos(int x, int y);
// Size of the primary screen in pixels.
void GetScreenSize(int* width, int* height);

// ---- The message queue ----

// Takes the oldest waiting message (removing it). Once after every time it has
// returned false (once per frame of the game's loop) it first runs the pump
// hooks and collects the window system's events. WM_QUIT comes when a quit
// has been asked for and nothing else waits. False: nothing waits.
bool PeekMessage(Msg* msg);
// Calls the procedure of the message's window; messages without a window
// are dropped. The key, character and wheel messages of the main window go
// to the window with the keyboard focus (platform/edit_control.h). Returns
// the procedure's result.
LResult DispatchMessage(const Msg& msg);
// Calls the window's procedure at once (the main window or an edit control).
LResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Appends a message for the main window. Safe from any thread.
bool PostMessage(uint32_t message, WParam wParam, LParam lParam);
bool PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Asks for WM_QUIT with the exit code as its wParam.
void PostQuitMessage(int exitCode);
// A message number for a name, the same for the same name, from 0xC000 up;
// 0 for an empty name.
uint32_t RegisterWindowMessage(std::string_view name);
// What the system does with a message the procedure passes on: WM_CLOSE
// destroys the window, Alt+F4 closes it; everything else gives 0.
LResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// Functions run each time the pump collects events (before the window
// system's events), e.g. to poll sockets and post their notifications.
// A hook should post only on a change of state, or the game never gets a frame.
int AddPumpHook(std::function<void()> hook);
void RemovePumpHook(int id);
// The hooks installed now.
size_t PumpHookCount();

// After this many more frames (times PeekMessage found nothing), the main
// window is asked to close as if the user had closed it; 0 cancels.
// The program also takes the count from the environment variable
// QM_QUIT_AFTER_FRAMES when its window is made.
void CloseAfterFrames(uint32_t frames);
// Number of times PeekMessage has found nothing (frames run).
uint64_t FrameCount();

// Forgets the queue, the pending quit, the hooks, the classes, the edit
// controls, the focus and the frame count; the main window must be gone (tests).
void ResetMessageQueue();

// ---- What the window systems report ----

// The modifier keys held with a key.
struct KeyModifiers {
    bool shift = false, ctrl = false, alt = false, numLock = false;
};
// A key of the physical keyboard, named by its USB HID usage id (the
// numbering SDL's scancodes follow), pressed or released: its key message
// (the system one with Alt or for F10) and, for a press, the character the
// key itself makes (Backspace, Tab, Enter, Escape, and Ctrl with a letter its
// control character); other characters come as text input. The keypad's
// digits are its navigation keys without NumLock. False, posting nothing, for
// a key the keyboard table does not know.
bool PostKeyEvent(int hidUsage, bool up, bool repeat, KeyModifiers modifiers);

// ---- The window system behind it ----

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    virtual bool Register(const WindowClass& windowClass) = 0;
    virtual bool CreateNativeWindow(const WindowDesc& desc) = 0;
    virtual void DestroyNativeWindow() = 0;
    virtual void ShowNativeWindow(int command) = 0;
    virtual void ShowCursor(bool show) = 0;
    // Warps the pointer to a point of the main window (systems without a pointer ignore it).
    virtual void WarpCursor(int x, int y) { (void)x, (void)y; }
    virtual void GetScreenSize(int* width, int* height) = 0;
    // Turns waiting native events into messages (PostMessage).
    virtual void PollEvents() = 0;
    // The system's text input (its input method) on and off, and the
    // rectangle (window pixels) its own window is placed at.
    virtual void StartTextInput() {}
    virtual void StopTextInput() {}
    virtual void SetTextInputRect(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
    // The clipboard's text as UTF-8.
    virtual std::string GetClipboard() { return {}; }
    virtual bool SetClipboard(const std::string& /*utf8*/) { return false; }
};

// The window system in use: SDL unless a test installed another.
IWindowSystem& WindowSystem();
void SetWindowSystem(IWindowSystem* system);  // null restores SDL

class ScopedWindowSystem {
public:
    explicit ScopedWindowSystem(IWindowSystem& system) { SetWindowSystem(&system); }
    ~ScopedWindowSystem() { SetWindowSystem(nullptr); }
    ScopedWindowSystem(const ScopedWindowSystem&) = delete;
    ScopedWindowSystem& operator=(const ScopedWindowSystem&) = delete;
};

}  // namespace plat
