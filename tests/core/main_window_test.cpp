#include "core/main_window.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window_scripted.h"

namespace {

using plat::MakeKeyLParam;

class MainWndProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_options = COptions{};
        g_config = CConfig{};
        g_textFocus = false;
        g_keyboardClickMode = false;
        g_disconnectNotice = false;
        m_input.Init(800, 600);
        g_pInputMgr = &m_input;
    }
    void TearDown() override {
        g_pInputMgr = nullptr;
        g_pEditControl = nullptr;
    }

    void KeyDown(uint8_t scan, uint8_t vk, bool extended = false, bool repeat = false) {
        MainWndProc(nullptr, plat::WM_KEYDOWN, vk, MakeKeyLParam(scan, extended, repeat, false));
    }
    void KeyUp(uint8_t scan, uint8_t vk) {
        MainWndProc(nullptr, plat::WM_KEYUP, vk, MakeKeyLParam(scan, false, false, true));
    }
    // Codes of the queued events of the kind, and empties the queue.
    std::vector<uint32_t> Take(uint32_t kind) {
        std::vector<uint32_t> out;
        while (CInputEvent* e = m_input.GetFirstEvent()) {
            if (e->m_kind == kind) out.push_back(e->m_code);
            m_input.RemoveEvent(e);
        }
        m_clock.Advance(1000);  // no merging with what comes next
        return out;
    }

    plat::FakeClock m_clock{50000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::FakeKeyState m_keys;
    plat::ScopedKeyState m_scopedKeys{m_keys};
    CInputMgr m_input;
};

using Codes = std::vector<uint32_t>;

TEST_F(MainWndProcTest, KeysComeFromTheScanCode) {
    KeyDown(30, 'Q');  // scan 30 is A whatever the layout says
    EXPECT_EQ(Take(INPUT_KEY), Codes{'A'});
    KeyDown(12, plat::VK_OEM_MINUS);  // not in the table: the window's key, 0-255
    EXPECT_EQ(Take(INPUT_KEY), Codes{plat::VK_OEM_MINUS});
    KeyDown(0, plat::VK_OEM_2);  // '/' becomes keypad divide
    EXPECT_EQ(Take(INPUT_KEY), Codes{plat::VK_DIVIDE});
    KeyDown(41, plat::VK_OEM_3);  // other keys are not posted
    EXPECT_EQ(Take(INPUT_KEY), Codes{});
    g_pInputMgr = nullptr;
    KeyDown(30, 'A');  // no input manager: nothing happens
}

TEST_F(MainWndProcTest, TextFocusLetsOnlyControlKeysThrough) {
    g_textFocus = true;
    struct Case {
        uint8_t scan;
        uint8_t vk;
        bool extended;
        Codes expected;
    } cases[] = {
        {30, 'A', false, {}},
        {28, plat::VK_RETURN, false, {plat::VK_RETURN}},
        {15, plat::VK_TAB, false, {plat::VK_TAB}},
        {59, plat::VK_F1, false, {plat::VK_F1}},
        {1, plat::VK_ESCAPE, false, {plat::VK_ESCAPE}},
        {72, plat::VK_UP, true, {plat::VK_UP}},
        {75, plat::VK_LEFT, false, {plat::VK_LEFT}},  // keypad 4 stays Left while typing
        {71, plat::VK_HOME, false, {}},
        {14, plat::VK_BACK, false, {}},
    };
    for (const Case& c : cases) {
        KeyDown(c.scan, c.vk, c.extended);
        EXPECT_EQ(Take(INPUT_KEY), c.expected) << int(c.scan);
    }
    m_keys.SetKeyDown(plat::VK_CONTROL, true);
    KeyDown(30, 'A');
    EXPECT_EQ(Take(INPUT_KEY), Codes{'A'});
    KeyDown(75, plat::VK_LEFT);  // with Ctrl the keypad maps again
    EXPECT_EQ(Take(INPUT_KEY), Codes{plat::VK_NUMPAD0 + 4});
    // Key ups are not tracked while typing.
    m_keys.SetKeyDown(plat::VK_CONTROL, false);
    EXPECT_TRUE(m_input.IsKeyDown('A'));
    KeyUp(30, 'A');
    EXPECT_TRUE(m_input.IsKeyDown('A'));
    g_textFocus = false;
    KeyUp(30, 'A');
    EXPECT_FALSE(m_input.IsKeyDown('A'));
}

TEST_F(MainWndProcTest, KeypadWithoutExtendedBitGivesDigits) {
    struct Case {
        uint8_t scan;
        uint8_t vk;
        uint32_t digit;
    } cases[] = {
        {82, plat::VK_INSERT, 0}, {79, plat::VK_END, 1},   {80, plat::VK_DOWN, 2},  {81, plat::VK_NEXT, 3},
        {75, plat::VK_LEFT, 4},   {76, plat::VK_CLEAR, 5}, {77, plat::VK_RIGHT, 6}, {71, plat::VK_HOME, 7},
        {72, plat::VK_UP, 8},     {73, plat::VK_PRIOR, 9},
    };
    for (const Case& c : cases) {
        KeyDown(c.scan, c.vk);
        EXPECT_EQ(Take(INPUT_KEY), Codes{plat::VK_NUMPAD0 + c.digit}) << int(c.scan);
        KeyDown(c.scan, c.vk, true);  // the dedicated keys keep their meaning
        Codes got = Take(INPUT_KEY);
        // Clear, Home and End are not keys the engine takes.
        if (c.vk == plat::VK_CLEAR || c.vk == plat::VK_HOME || c.vk == plat::VK_END)
            EXPECT_EQ(got, Codes{}) << int(c.scan);
        else
            EXPECT_EQ(got, Codes{c.vk}) << int(c.scan);
    }
}

TEST_F(MainWndProcTest, KeyboardClickMode) {
    g_keyboardClickMode = true;
    MainWndProc(nullptr, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(40, 50));
    KeyDown(75, plat::VK_LEFT, true);
    EXPECT_EQ(Take(INPUT_MOUSE), (Codes{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK}));
    // Auto-repeat keeps clicking for 15 seconds of holding...
    m_clock.Advance(13000);
    KeyDown(75, plat::VK_LEFT, true, true);
    EXPECT_EQ(Take(INPUT_MOUSE), (Codes{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK}));
    // ...and no longer after that.
    m_clock.Advance(2000);
    KeyDown(75, plat::VK_LEFT, true, true);
    EXPECT_EQ(Take(INPUT_MOUSE), Codes{});
    EXPECT_EQ(Take(INPUT_KEY), Codes{});
    KeyUp(75, plat::VK_LEFT);
    EXPECT_EQ(m_input.m_keyboardClick, 0);
    KeyDown(75, plat::VK_LEFT, true);  // released: clicks again
    EXPECT_EQ(Take(INPUT_MOUSE), (Codes{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK}));

    KeyDown(77, plat::VK_RIGHT, true);
    EXPECT_EQ(Take(INPUT_MOUSE), Codes{MOUSE_RDOWN});
    KeyUp(77, plat::VK_RIGHT);
    EXPECT_EQ(Take(INPUT_MOUSE), (Codes{MOUSE_RUP, MOUSE_RCLICK}));

    g_keyboardClickMode = false;
    KeyDown(77, plat::VK_RIGHT, true);
    EXPECT_EQ(Take(INPUT_KEY), Codes{plat::VK_RIGHT});
    EXPECT_EQ(Take(INPUT_MOUSE), Codes{});
}

TEST_F(MainWndProcTest, AltKeysAndMouseMessages) {
    MainWndProc(nullptr, plat::WM_SYSKEYDOWN, 'X', MakeKeyLParam(45, false, false, false, true));
    MainWndProc(nullptr, plat::WM_SYSKEYDOWN, plat::VK_F10, MakeKeyLParam(68, false, false, false, false));
    EXPECT_EQ(Take(INPUT_KEY), Codes{'X'});

    MainWndProc(nullptr, plat::WM_LBUTTONDOWN, 0, plat::MakeLParam(10, 20));
    MainWndProc(nullptr, plat::WM_LBUTTONUP, 0, plat::MakeLParam(12, 20));
    MainWndProc(nullptr, plat::WM_RBUTTONDBLCLK, 0, plat::MakeLParam(12, 20));
    MainWndProc(nullptr, plat::WM_MOUSEWHEEL, plat::WParam(uint16_t(-240)) << 16, plat::MakeLParam(1, 1));
    EXPECT_EQ(Take(INPUT_MOUSE), (Codes{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK, MOUSE_RDBLCLICK, MOUSE_WHEEL}));
    // A drag past the left edge reads negative and stops at 0.
    MainWndProc(nullptr, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(-3, 700));
    EXPECT_EQ(m_input.m_mouseX, 0);
    EXPECT_EQ(m_input.m_mouseY, 600);
}

TEST_F(MainWndProcTest, ActivationFlags) {
    struct Listener : IActivationListener {
        bool HasMapState() override { return true; }
        void ResetMapState() override { ++resets; }
        int resets = 0;
    } listener;
    ScopedActivationListener scopedActivationListener(listener);
    MainWndProc(nullptr, plat::WM_CREATE, 0, 0);
    EXPECT_TRUE(g_active);
    MainWndProc(nullptr, plat::WM_ACTIVATE, plat::WA_INACTIVE, 0);
    EXPECT_FALSE(g_active);
    MainWndProc(nullptr, plat::WM_ACTIVATE, plat::WA_CLICKACTIVE, 0);
    EXPECT_TRUE(g_active);
    // Minimised: the high word says so, the low word is the state.
    MainWndProc(nullptr, plat::WM_ACTIVATE, plat::WA_INACTIVE | 0x10000u, 0);
    EXPECT_FALSE(g_active);
    MainWndProc(nullptr, plat::WM_SHOWWINDOW, 1, 0);
    EXPECT_TRUE(g_active);
    MainWndProc(nullptr, plat::WM_SHOWWINDOW, 0, 0);
    EXPECT_FALSE(g_active);
    MainWndProc(nullptr, plat::WM_ACTIVATEAPP, 1, 0);
    EXPECT_TRUE(g_active);
    EXPECT_EQ(listener.resets, 2);
}

TEST_F(MainWndProcTest, SocketNotifications) {
    struct Socket : ISocketEvents {
        bool IsStaleSocket(plat::WParam s) override { return s != current; }
        void MarkReadable() override { ++readable; }
        void MarkWritable() override { ++writable; }
        bool IsConnectionOpen() override { return open; }
        void CloseConnection() override {
            ++closed;
            open = false;
        }
        int readable = 0, writable = 0, closed = 0;
        bool open = true;
        plat::WParam current = 7;
    } socket;
    struct Notice : IDisconnectNotice {
        void Show() override { ++shown; }
        int shown = 0;
    } notice;
    ScopedSocketEvents scopedSocketEvents(socket);
    ScopedDisconnectNotice scopedDisconnectNotice(notice);
    uint32_t message = WM_SOCKET_NOTIFY;
    EXPECT_EQ(message, 1124u);
    MainWndProc(nullptr, message, 7, FD_READ);
    MainWndProc(nullptr, message, 7, FD_WRITE);
    EXPECT_EQ(socket.readable, 1);
    EXPECT_EQ(socket.writable, 1);

    CMainMgr* saved = g_pMainMgr;
    g_pMainMgr = reinterpret_cast<CMainMgr*>(&socket);  // only tested for presence
    g_disconnectNotice = true;
    // Late notices of a socket that has been replaced change nothing.
    for (uint16_t event : {FD_READ, FD_WRITE, FD_CLOSE}) MainWndProc(nullptr, message, 3, event);
    EXPECT_EQ(socket.readable + socket.writable, 2);
    EXPECT_EQ(socket.closed, 0);
    EXPECT_EQ(notice.shown, 0);
    EXPECT_TRUE(g_disconnectNotice);

    MainWndProc(nullptr, message, 7, FD_CLOSE);
    MainWndProc(nullptr, message, 7, FD_CLOSE);
    g_pMainMgr = saved;
    EXPECT_EQ(notice.shown, 1);
    EXPECT_EQ(socket.closed, 1);
    EXPECT_FALSE(g_disconnectNotice);
}

TEST_F(MainWndProcTest, HotkeysPostTheirKeys) {
    ASSERT_EQ(HOTKEY_COUNT, 28);
    for (const CHotkey& hotkey : g_hotkeys) {
        EXPECT_EQ(hotkey.m_callback(0), 1);
        EXPECT_EQ(Take(INPUT_KEY), Codes{}) << int(hotkey.m_key);
        EXPECT_EQ(hotkey.m_callback(1), 1);
        EXPECT_EQ(Take(INPUT_KEY), Codes{hotkey.m_key}) << int(hotkey.m_key);
    }
    struct Edit : IEditControl {
        bool IsComposing() override { return composing; }
        bool IsMultiLine() override { return multiLine; }
        bool HandleMessage(plat::WindowHandle, uint32_t message, plat::WParam, plat::LParam) override {
            return message == plat::WM_CHAR;
        }
        plat::LResult CallPreviousProc(plat::WindowHandle, uint32_t, plat::WParam, plat::LParam) override {
            return 7;
        }
        bool composing = false, multiLine = false;
    } edit;
    g_pEditControl = &edit;
    // Up and Down move through the IME's candidates while it composes, and
    // between the lines of a multi-line control.
    for (auto [composing, multiLine] : {std::pair{false, false}, {true, false}, {false, true}}) {
        edit.composing = composing;
        edit.multiLine = multiLine;
        const bool arrowsPass = !composing && !multiLine;
        for (const CHotkey& hotkey : g_hotkeys) {
            hotkey.m_callback(1);
            bool arrow = hotkey.m_key == plat::VK_UP || hotkey.m_key == plat::VK_DOWN;
            EXPECT_EQ(Take(INPUT_KEY), arrow && !arrowsPass ? Codes{} : Codes{hotkey.m_key})
                << int(hotkey.m_key) << " composing " << composing << " multi-line " << multiLine;
        }
    }
    EXPECT_EQ(EditSubclassProc(nullptr, plat::WM_CHAR, 'a', 0), 1);
    EXPECT_EQ(EditSubclassProc(nullptr, plat::WM_KEYDOWN, 'a', 0), 7);
    EXPECT_EQ(EditSubclassProc(nullptr, plat::WM_MOUSEWHEEL, plat::WParam(120) << 16, 0), 7);
    EXPECT_EQ(Take(INPUT_MOUSE), Codes{MOUSE_WHEEL});
}

TEST_F(MainWndProcTest, CreateMainWindowCentresAndHidesTheCursor) {
    plat::ResetMessageQueue();
    plat::ScriptedWindowSystem system;
    plat::ScopedWindowSystem scoped(system);
    g_config.m_clientVersion = 103;
    plat::WindowHandle window = CreateMainWindow(800, 600, false);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(system.m_created.size(), 1u);
    const plat::WindowDesc& desc = system.m_created[0];
    EXPECT_EQ(desc.className, "Z5MainWindow");
    EXPECT_EQ(desc.title, "Quillmarrow Client Version 1.03 ,Release ,for Japan");
    EXPECT_EQ(desc.x, 112);
    EXPECT_EQ(desc.y, 84);
    EXPECT_EQ(desc.width, 800);
    EXPECT_FALSE(desc.fullscreen);
    EXPECT_FALSE(system.m_cursorShown);
    EXPECT_TRUE(system.m_registered[0].doubleClicks);
    EXPECT_TRUE(g_active);  // WM_CREATE

    // Closing the window ends the loop: WM_DESTROY posts the quit.
    plat::DestroyWindow(window);
    plat::Msg msg;
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_QUIT);
    EXPECT_EQ(msg.wParam, 1u);
    plat::ResetMessageQueue();
}

}  // namespace
