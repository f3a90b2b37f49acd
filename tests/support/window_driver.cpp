#include "tests/support/window_driver.h"

#include "core/main_window.h"
#include "platform/window.h"

namespace qmtest {

void FakeCursor::ResetWindowState(int32_t mouseX, int32_t mouseY) {
    m_overWindow = false;
    m_windowLayer = -1;
    m_text.clear();
    m_textColour = 0xFFFFFF;
    m_mouseX = mouseX;
    m_mouseY = mouseY;
}

void FakeCursor::SetPointedObject(CDragObject* object) {
    if (object) {
        if (!m_held) m_held.Assign(object);
        return;
    }
    if (CDragObject* held = GetHeldObject()) {
        held->EndDrag();
        ++m_drops;
    }
    m_held.Assign(nullptr);
}

void FakeCursor::SetText(const char* text, uint32_t colour) {
    m_text = text ? text : "";
    m_textColour = colour;
}

WindowDriver::WindowDriver(int width, int height) : m_oldInput(g_pInputMgr), m_oldMgr(g_pWindowMgr) {
    plat::ResetMessageQueue();
    m_input.Init(width, height);
    g_pInputMgr = &m_input;
    g_pWindowMgr = &m_mgr;
    CreateMainWindow(width, height, false);
}

WindowDriver::~WindowDriver() {
    // The windows go while the manager is still the one they know.
    m_mgr.Release();
    plat::DestroyWindow(plat::GetMainWindow());
    plat::ResetMessageQueue();
    g_pWindowMgr = m_oldMgr;
    g_pInputMgr = m_oldInput;
}

void WindowDriver::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    m_system.PostAtFrame(plat::FrameCount(), message, wParam, lParam);
}

void WindowDriver::MoveTo(int32_t x, int32_t y) {
    Post(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(x, y));
}

void WindowDriver::Press(int button, int32_t x, int32_t y) {
    Post(button == 0 ? plat::WM_LBUTTONDOWN : plat::WM_RBUTTONDOWN, 0, plat::MakeLParam(x, y));
}

void WindowDriver::Release(int button, int32_t x, int32_t y) {
    Post(button == 0 ? plat::WM_LBUTTONUP : plat::WM_RBUTTONUP, 0, plat::MakeLParam(x, y));
}

void WindowDriver::Click(int button, int32_t x, int32_t y) {
    Press(button, x, y);
    Release(button, x, y);
}

void WindowDriver::DoubleClick(int button, int32_t x, int32_t y) {
    Click(button, x, y);
    Post(button == 0 ? plat::WM_LBUTTONDBLCLK : plat::WM_RBUTTONDBLCLK, 0, plat::MakeLParam(x, y));
    Release(button, x, y);
}

void WindowDriver::Wheel(int32_t x, int32_t y, int notches) {
    Post(plat::WM_MOUSEWHEEL, uintptr_t(uint32_t(uint16_t(int16_t(notches * plat::WHEEL_DELTA))) << 16),
         plat::MakeLParam(x, y));
}

void WindowDriver::Key(uint8_t scanCode, uint8_t virtualKey, bool extended) {
    Post(plat::WM_KEYDOWN, virtualKey, plat::MakeKeyLParam(scanCode, extended, false, false));
}

void WindowDriver::KeyUp(uint8_t scanCode, uint8_t virtualKey, bool extended) {
    Post(plat::WM_KEYUP, virtualKey, plat::MakeKeyLParam(scanCode, extended, false, true));
}

void WindowDriver::Chars(const std::string& codePageText) {
    for (char c : codePageText) Post(plat::WM_CHAR, uint8_t(c), 1);
}

void WindowDriver::Type(const std::string& utf8) {
    m_system.TypeAtFrame(plat::FrameCount(), utf8);
}

void WindowDriver::Compose(const std::string& utf8, int32_t cursor) {
    m_system.ComposeAtFrame(plat::FrameCount(), utf8, cursor);
}

void WindowDriver::Deliver() {
    m_clock.Advance(m_frameMs);
    plat::Msg msg;
    while (plat::PeekMessage(&msg))
        if (msg.message != plat::WM_QUIT) plat::DispatchMessage(msg);
}

void WindowDriver::Frame(int count) {
    for (int i = 0; i < count; ++i) {
        Deliver();
        m_input.Update();
        m_mgr.ProcessInput();
        m_mgr.Update();
        if (m_draw) m_mgr.Draw();
    }
}

uint64_t WindowDriver::FrameNumber() const {
    return plat::FrameCount();
}

}  // namespace qmtest
