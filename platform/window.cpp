#include "platform/window.h"

#include <deque>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/edit_control.h"
#include "platform/keyboard.h"
#include "platform/window_native.h"

namespace plat {

namespace {

std::mutex g_queueMutex;
std::deque<Msg> g_queue;
bool g_quitPending = false;
int g_quitCode = 0;

bool g_collected = false;  // events collected since the last frame
uint64_t g_frames = 0;
uint64_t g_closeAtFrame = 0;  // 0 = never

std::vector<std::pair<int, std::function<void()>>> g_hooks;
int g_nextHookId = 1;

std::map<std::string, WindowClass> g_classes;
std::map<std::string, uint32_t, std::less<>> g_registeredMessages;
uint32_t g_nextRegisteredMessage = 0xC000;

WindowHandle g_mainWindow = nullptr;
WindowProc g_mainProc = nullptr;
uintptr_t g_windowSerial = 0;

IWindowSystem* g_system = nullptr;

void Enqueue(const Msg& msg) {
    std::lock_guard<std::mutex> lock(g_queueMutex);
    g_queue.push_back(msg);
}

// The messages that go to the window with the keyboard focus.
bool IsFocusMessage(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_MOUSEWHEEL;
}

}  // namespace

WindowHandle detail::NewWindowHandle() {
    return reinterpret_cast<WindowHandle>(++g_windowSerial);
}

IWindowSystem& WindowSystem() {
    return g_system ? *g_system : detail::SdlWindowSystem();
}
void SetWindowSystem(IWindowSystem* system) {
    g_system = system;
}

bool RegisterClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || !windowClass.proc) return false;
    if (!WindowSystem().Register(windowClass)) return false;
    g_classes[windowClass.name] = windowClass;
    return true;
}

WindowHandle CreateWindow(const WindowDesc& desc) {
    auto it = g_classes.find(desc.className);
    if (it == g_classes.end() || g_mainWindow) return nullptr;
    if (!WindowSystem().CreateNativeWindow(desc)) return nullptr;
    g_mainWindow = detail::NewWindowHandle();
    g_mainProc = it->second.proc;
    WindowHandle window = g_mainWindow;
    if (SendMessage(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (desc.visible && g_mainWindow == window) SendMessage(window, WM_SHOWWINDOW, 1, 0);
    return g_mainWindow == window ? window : nullptr;
}

void DestroyWindow(WindowHandle window) {
    if (window && IsEditControl(window)) {
        detail::DestroyEditControl(window);
        return;
    }
    if (!window || window != g_mainWindow) return;
    detail::DestroyAllEditControls();
    SendMessage(window, WM_DESTROY, 0, 0);
    WindowSystem().DestroyNativeWindow();
    g_mainWindow = nullptr;
    g_mainProc = nullptr;
}

WindowHandle GetMainWindow() {
    return g_mainWindow;
}

WindowProc SetWindowProc(WindowHandle window, WindowProc proc) {
    if (!window || !proc) return nullptr;
    if (window == g_mainWindow) return std::exchange(g_mainProc, proc);
    return detail::SetEditControlProc(window, proc);
}

LResult CallWindowProc(WindowProc proc, WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}

bool ShowWindow(WindowHandle window, int command) {
    if (!window || window != g_mainWindow) return false;
    WindowSystem().ShowNativeWindow(command);
    return true;
}

void ShowCursor(bool show) {
    WindowSystem().ShowCursor(show);
}

void SetCursorPos(int x, int y) {
    WindowSystem().WarpCursor(x, y);
}

void GetScreenSize(int* width, int* height) {
    int w = 0, h = 0;
    WindowSystem().GetScreenSize(&w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

bool PeekMessage(Msg* msg) {
    if (!g_collected) {
        g_collected = true;
        if (g_closeAtFrame != 0 && g_frames >= g_closeAtFrame) {
            g_closeAtFrame = 0;
            if (g_mainWindow) PostMessage(g_mainWindow, WM_CLOSE, 0, 0);
        }
        auto hooks = g_hooks;  // a hook may add or remove hooks
        for (auto& hook : hooks) hook.second();
        WindowSystem().PollEvents();
    }
    {
        std::lock_guard<std::mutex> lock(g_queueMutex);
        if (!g_queue.empty()) {
            if (msg) *msg = g_queue.front();
            g_queue.pop_front();
            return true;
        }
        if (g_quitPending) {
            g_quitPending = false;
            if (msg) *msg = Msg{nullptr, WM_QUIT, WParam(g_quitCode), 0, timeGetTime()};
            return true;
        }
    }
    g_collected = false;
    ++g_frames;
    return false;
}

LResult DispatchMessage(const Msg& msg) {
    WindowHandle target = msg.window;
    if (target && target == g_mainWindow && IsFocusMessage(msg.message)) target = GetFocus();
    return SendMessage(target, msg.message, msg.wParam, msg.lParam);
}

LResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (!window) return 0;
    if (window == g_mainWindow) return g_mainProc ? g_mainProc(window, message, wParam, lParam) : 0;
    WindowProc proc = detail::EditControlProc(window);
    return proc ? proc(window, message, wParam, lParam) : 0;
}

bool PostMessage(uint32_t message, WParam wParam, LParam lParam) {
    return PostMessage(g_mainWindow, message, wParam, lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    Enqueue(Msg{window, message, wParam, lParam, timeGetTime()});
    return true;
}

void PostQuitMessage(int exitCode) {
    std::lock_guard<std::mutex> lock(g_queueMutex);
    g_quitPending = true;
    g_quitCode = exitCode;
}

uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty()) return 0;
    auto it = g_registeredMessages.find(name);
    if (it != g_registeredMessages.end()) return it->second;
    if (g_nextRegisteredMessage > 0xFFFF) return 0;
    uint32_t id = g_nextRegisteredMessage++;
    g_registeredMessages.emplace(std::string(name), id);
    return id;
}

LResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            break;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (uint32_t(lParam) & (1u << 29))) PostMessage(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
    return 0;
}

bool PostKeyEvent(int hidUsage, bool up, bool repeat, KeyModifiers modifiers) {
    // Keypad keys 1-9, 0 and '.' (HID usages 89-99) with NumLock off.
    static constexpr uint8_t kPadNavigation[11] = {VK_END,  VK_DOWN, VK_NEXT,  VK_LEFT,   VK_CLEAR, VK_RIGHT,
                                                   VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT, VK_DELETE};
    PcKey key = PcKeyFromHidUsage(hidUsage);
    if (key.virtualKey == 0) return false;
    if (hidUsage >= 89 && hidUsage <= 99 && !modifiers.numLock)
        key.virtualKey = kPadNavigation[hidUsage - 89];
    const bool alt = modifiers.alt || key.virtualKey == VK_MENU;
    const bool system = alt || key.virtualKey == VK_F10;
    const uint32_t message = system ? (up ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (up ? WM_KEYUP : WM_KEYDOWN);
    PostMessage(message, key.virtualKey, MakeKeyLParam(key.scanCode, key.extended, repeat, up, alt));
    if (up || system) return true;
    // Ctrl with a letter makes its control character (Ctrl+A is 1).
    if (modifiers.ctrl && key.virtualKey >= VK_A && key.virtualKey <= VK_Z) {
        PostMessage(WM_CHAR, WParam(key.virtualKey - VK_A + 1), 1);
        return true;
    }
    switch (key.virtualKey) {
        case VK_BACK:
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE:
            PostMessage(WM_CHAR, key.virtualKey, 1);
            break;
        default:
            break;
    }
    return true;
}

int AddPumpHook(std::function<void()> hook) {
    int id = g_nextHookId++;
    g_hooks.emplace_back(id, std::move(hook));
    return id;
}

void RemovePumpHook(int id) {
    for (auto it = g_hooks.begin(); it != g_hooks.end(); ++it) {
        if (it->first == id) {
            g_hooks.erase(it);
            return;
        }
    }
}

size_t PumpHookCount() {
    return g_hooks.size();
}

void CloseAfterFrames(uint32_t frames) {
    g_closeAtFrame = frames ? g_frames + frames : 0;
}

uint64_t FrameCount() {
    return g_frames;
}

void ResetMessageQueue() {
    {
        std::lock_guard<std::mutex> lock(g_queueMutex);
        g_queue.clear();
        g_quitPending = false;
        g_quitCode = 0;
    }
    g_collected = false;
    g_frames = 0;
    g_closeAtFrame = 0;
    g_hooks.clear();
    g_classes.clear();
    detail::ForgetEditControls();
}

}  // namespace plat
