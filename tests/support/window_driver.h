// Drives windows the way the program does, frame by frame: scripted window
// messages (plat::ScriptedWindowSystem) reach the main window procedure, which
// feeds the input manager; each frame then runs the input manager's update
// and the window manager's input, update and (when asked) draw phases.
//
//     qmtest::WindowDriver driver;
//     auto* w = driver.Add(new MyWindow);   // owned by the manager
//     driver.Click(0, 120, 40);             // press and release, delivered next frame
//     driver.Frame();
//
// The driver owns the manager (installed as g_pWindowMgr), the input manager
// (g_pInputMgr), a fake clock that advances a frame's time before every frame
// (100 ms by default, so that no input event outlives its frame), and a fake
// cursor that tests may hand to the manager with UseCursor().
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/input_mgr.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window_scripted.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

class CBaseWindow;

namespace qmtest {

// A cursor object that holds what it is given and records the rest.
class FakeCursor : public ICursorObject {
public:
    void ResetWindowState(int32_t mouseX, int32_t mouseY) override;
    CDragObject* GetHeldObject() override { return m_held.GetAs<CDragObject>(); }
    void SetPointedObject(CDragObject* object) override;
    bool IsOverWindow() override { return m_overWindow; }
    void SetOverWindow(bool over) override { m_overWindow = over; }
    int32_t GetWindowLayer() override { return m_windowLayer; }
    void SetWindowLayer(int32_t layer) override { m_windowLayer = layer; }
    void SetShapeIndex(int32_t shape) override { m_shape = shape; }
    void SetText(const char* text, uint32_t colour) override;
    void ClearToolTip() override { m_toolTip.clear(); }

    CWeakRef m_held;
    bool m_overWindow = false;
    int32_t m_windowLayer = -1;
    int32_t m_shape = -1;
    std::string m_text;
    uint32_t m_textColour = 0;
    std::string m_toolTip;
    int32_t m_mouseX = 0, m_mouseY = 0;
    int m_drops = 0;  // SetPointedObject(null) calls that ended a hold
};

class WindowDriver {
public:
    explicit WindowDriver(int width = 800, int height = 600);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    CWindowMgr& Mgr() { return m_mgr; }
    CInputMgr& Input() { return m_input; }
    FakeCursor& Cursor() { return m_cursor; }
    plat::FakeClock& Clock() { return m_clock; }
    plat::FakeKeyState& Keys() { return m_keys; }
    // The window system: typed text, compositions, the clipboard, text input.
    plat::ScriptedWindowSystem& System() { return m_system; }
    // Hands the fake cursor to the manager.
    void UseCursor() { m_mgr.SetCursorObject(&m_cursor); }
    // The manager's draw phase runs in every frame from now on (needs a display).
    void DrawFrames(bool on) { m_draw = on; }
    void SetFrameTime(uint32_t ms) { m_frameMs = ms; }

    // Adds a window at the top of the manager (AddChildBack) and returns it.
    template <class W>
    W* Add(W* window) {
        m_mgr.AddChildBack(window);
        return window;
    }

    // Window messages delivered at the start of the next frame.
    void MoveTo(int32_t x, int32_t y);
    void Press(int button, int32_t x, int32_t y);
    void Release(int button, int32_t x, int32_t y);
    // Press and release at one point.
    void Click(int button, int32_t x, int32_t y);
    // What the system sends for a double-click: press, release, double-click, release.
    void DoubleClick(int button, int32_t x, int32_t y);
    void Wheel(int32_t x, int32_t y, int notches);
    // A key by its scan code and virtual key.
    void Key(uint8_t scanCode, uint8_t virtualKey, bool extended = false);
    // A key going up.
    void KeyUp(uint8_t scanCode, uint8_t virtualKey, bool extended = false);
    // Characters as the system sends them: one WM_CHAR a byte of the code page text.
    void Chars(const std::string& codePageText);
    // Text typed as the system's text input delivers it (UTF-8).
    void Type(const std::string& utf8);
    // The input method composes (UTF-8; empty ends it), the cursor after `cursor` characters.
    void Compose(const std::string& utf8, int32_t cursor);

    // Runs frames: the clock moves on, the scripted messages are dispatched
    // to the main window procedure, then the input update and the phases.
    void Frame(int count = 1);
    // The clock moves on and the scripted messages reach the main window
    // procedure, nothing more: the program's own frame (a scene under
    // CMainMgr::UpdateChildren) takes it from the input manager on.
    void Deliver();
    uint64_t FrameNumber() const;

private:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

    plat::FakeClock m_clock{100000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::FakeKeyState m_keys;
    plat::ScopedKeyState m_scopedKeys{m_keys};
    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scopedSystem{m_system};
    CInputMgr m_input;
    CWindowMgr m_mgr;
    FakeCursor m_cursor;
    CInputMgr* m_oldInput;
    CWindowMgr* m_oldMgr;
    uint32_t m_frameMs = 100;
    bool m_draw = false;
};

}  // namespace qmtest
