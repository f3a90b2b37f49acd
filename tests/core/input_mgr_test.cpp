#include "core/input_mgr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/config.h"
#include "platform/clock.h"
#include "platform/keyboard.h"

namespace {

class InputMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_options = COptions{};
        m_input.Init(800, 600);
    }

    // (kind, code) of every queued event.
    std::vector<std::pair<uint32_t, uint32_t>> Events() {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        for (CInputEvent* e = m_input.GetFirstEvent(); e; e = m_input.GetNextEvent(e))
            out.emplace_back(e->m_kind, e->m_code);
        return out;
    }
    std::vector<uint32_t> MouseCodes() {
        std::vector<uint32_t> out;
        for (auto& [kind, code] : Events())
            if (kind == INPUT_MOUSE) out.push_back(code);
        return out;
    }
    void Clear() {
        while (CInputEvent* e = m_input.GetFirstEvent()) m_input.RemoveEvent(e);
    }

    plat::FakeClock m_clock{10000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::FakeKeyState m_keys;
    plat::ScopedKeyState m_scopedKeys{m_keys};
    CInputMgr m_input;
};

TEST_F(InputMgrTest, AutoRepeatMergesIntoOneEventThatExpires) {
    m_input.PostKeyDown('A', false);
    for (int i = 0; i < 5; ++i) {
        m_clock.Advance(30);
        m_input.PostKeyDown('A', true);
    }
    ASSERT_EQ(m_input.GetEventCount(), 1);
    CInputEvent* e = m_input.GetFirstEvent();
    EXPECT_EQ(e->m_time, 10000u);
    EXPECT_EQ(e->m_lastTime, 10150u);
    EXPECT_TRUE(m_input.IsKeyDown('A'));
    m_clock.Advance(99);
    m_input.Update();
    EXPECT_EQ(m_input.GetEventCount(), 1);
    m_clock.Advance(1);
    m_input.Update();
    EXPECT_EQ(m_input.GetEventCount(), 0);
    m_input.KeyUp('A');
    EXPECT_FALSE(m_input.IsKeyDown('A'));
}

// A frame that takes long between queuing the input and its Update (a busy
// machine, a slow sound or network step) still shows the input to its
// windows; what they leave expires at a later frame.
TEST_F(InputMgrTest, InputQueuedInASlowFrameIsSeenBeforeItExpires) {
    m_input.PostKeyDown(plat::VK_RETURN, false);
    m_input.MouseDown(0, 40, 40);
    m_clock.Advance(150);
    m_input.Update();
    EXPECT_EQ(Events(), (std::vector<std::pair<uint32_t, uint32_t>>{{INPUT_KEY, plat::VK_RETURN},
                                                                    {INPUT_MOUSE, MOUSE_LDOWN}}));
    m_input.PostKeyDown('B', false);  // queued in the next frame, not yet seen
    m_input.Update();
    EXPECT_EQ(Events(), (std::vector<std::pair<uint32_t, uint32_t>>{{INPUT_KEY, 'B'}}));
    m_clock.Advance(100);
    m_input.Update();
    EXPECT_EQ(m_input.GetEventCount(), 0);
}

TEST_F(InputMgrTest, BackspaceAndWheelAreNeverMerged) {
    m_input.PostKeyDown(plat::VK_BACK, false);
    m_clock.Advance(10);
    m_input.PostKeyDown(plat::VK_BACK, false);
    EXPECT_EQ(m_input.GetEventCount(), 2);
    Clear();
    m_input.PostKeyDown('A', false);
    m_clock.Advance(10);
    m_input.PostKeyDown('A', false);
    EXPECT_EQ(m_input.GetEventCount(), 1);
    Clear();
    m_input.MouseWheel(0, 0, -240);
    m_input.MouseWheel(0, 0, -240);
    m_input.MouseWheel(0, 0, 100);
    ASSERT_EQ(m_input.GetEventCount(), 3);
    CInputEvent* e = m_input.GetFirstEvent();
    EXPECT_EQ(e->m_value, -2);
    EXPECT_EQ(m_input.GetNextEvent(m_input.GetNextEvent(e))->m_value, 0);
}

TEST_F(InputMgrTest, QueueIsTrimmedToTwentyOneEvents) {
    for (uint32_t code = 0; code < 21; ++code) m_input.PushInputEvent(INPUT_KEY, 10000, 100 + code, 0, 0, 0);
    ASSERT_EQ(m_input.GetEventCount(), 21);
    m_input.PushInputEvent(INPUT_KEY, 10000, 200, 0, 0, 0);
    EXPECT_EQ(m_input.GetEventCount(), 21);
    EXPECT_EQ(m_input.GetFirstEvent()->m_code, 101u);  // the oldest went first
}

TEST_F(InputMgrTest, ClickNeedsTheUpWithinTenPixels) {
    m_input.MouseDown(0, 100, 100);
    m_input.MouseUp(0, 105, 106);  // 7.8 pixels
    EXPECT_EQ(MouseCodes(), (std::vector<uint32_t>{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK}));
    Clear();
    m_clock.Advance(200);
    m_input.MouseDown(1, 100, 100);
    m_input.MouseUp(1, 110, 100);  // exactly 10
    EXPECT_EQ(MouseCodes(), (std::vector<uint32_t>{MOUSE_RDOWN, MOUSE_RUP}));
    Clear();
    m_input.MouseUp(0, 1, 1);  // no accepted down
    EXPECT_EQ(m_input.GetEventCount(), 0);
}

TEST_F(InputMgrTest, DoubleClickSwallowsTheUpAfterIt) {
    m_input.MouseDown(0, 10, 10);
    m_input.MouseUp(0, 10, 10);
    m_clock.Advance(60);
    m_input.MouseDoubleClick(0, 10, 10);
    m_input.MouseUp(0, 10, 10);
    EXPECT_EQ(MouseCodes(), (std::vector<uint32_t>{MOUSE_LDOWN, MOUSE_LUP, MOUSE_LCLICK, MOUSE_LDBLCLICK}));
    EXPECT_FALSE(m_input.IsButtonDown(0));
}

TEST_F(InputMgrTest, SmallMovesWhilePressedAreIgnoredUntilHeld) {
    m_input.MouseMove(100, 100);
    m_input.MouseDown(0, 100, 100);
    m_input.MouseMove(103, 104);  // 5 pixels: ignored
    EXPECT_EQ(m_input.m_mouseX, 100);
    EXPECT_FALSE(m_input.IsButtonHeld(0));
    m_input.MouseMove(104, 104);  // 5.66: moves and holds
    EXPECT_EQ(m_input.m_mouseX, 104);
    EXPECT_TRUE(m_input.IsButtonHeld(0));
    m_input.MouseMove(105, 104);  // held: every move counts
    EXPECT_EQ(m_input.m_mouseX, 105);
    m_input.MouseUp(0, 105, 104);
    EXPECT_FALSE(m_input.IsButtonHeld(0));
    m_input.MouseMove(106, 104);
    EXPECT_EQ(m_input.m_mouseX, 106);

    // Clamped to the client size.
    m_input.MouseMove(900, -5);
    EXPECT_EQ(m_input.m_mouseX, 800);
    EXPECT_EQ(m_input.m_mouseY, 0);
}

TEST_F(InputMgrTest, MouseMovedIsLatchedForOneFrame) {
    m_input.MouseMove(10, 10);
    EXPECT_FALSE(m_input.HasMouseMoved());  // until the frame's Update
    m_input.Update();
    EXPECT_TRUE(m_input.HasMouseMoved());
    m_input.MouseMove(10, 10);  // no change of position
    m_input.MouseDown(0, 30, 30);
    m_input.Update();
    EXPECT_FALSE(m_input.HasMouseMoved());
    m_input.MouseMove(31, 31);  // within the pressed button's dead zone
    m_input.Update();
    EXPECT_FALSE(m_input.HasMouseMoved());
}

TEST_F(InputMgrTest, ButtonHeldAfterHalfASecond) {
    m_input.MouseDown(1, 5, 5);
    m_clock.Advance(500);
    m_input.Update();
    EXPECT_FALSE(m_input.IsButtonHeld(1));
    m_clock.Advance(1);
    m_input.Update();
    EXPECT_TRUE(m_input.IsButtonHeld(1));
}

TEST_F(InputMgrTest, AutoRepeatOfTheKeyBindingIsDropped) {
    g_options.SetU32(OPT_KEY_CODE, 'K');
    g_options.SetByte(OPT_KEY_CTRL, 1);
    m_keys.SetKeyDown(plat::VK_CONTROL, true);
    m_input.PostKeyDown('K', true);
    EXPECT_EQ(m_input.GetEventCount(), 0);
    m_input.PostKeyDown('K', false);
    EXPECT_EQ(m_input.GetEventCount(), 1);
    Clear();
    m_keys.SetKeyDown(plat::VK_CONTROL, false);  // other modifiers: kept
    m_input.PostKeyDown('K', true);
    EXPECT_EQ(m_input.GetEventCount(), 1);
}

TEST_F(InputMgrTest, ClearStateKeepsTheQueue) {
    CInputMgr fresh;
    EXPECT_NE(fresh.PushInputEvent(INPUT_KEY, 1, 'Q', 0, 0, 0), nullptr);
    fresh.ClearState();
    EXPECT_EQ(fresh.GetEventCount(), 1);
    EXPECT_NE(fresh.PushInputEvent(INPUT_KEY, 1, 'W', 0, 0, 0), nullptr);
}

TEST_F(InputMgrTest, WalkingAndRemovingEvents) {
    CInputEvent* a = m_input.PushInputEvent(INPUT_KEY, 10000, 'A', 0, 0, 0);
    CInputEvent* b = m_input.PushInputEvent(INPUT_KEY, 10000, 'B', 0, 0, 0);
    CInputEvent* c = m_input.PushInputEvent(INPUT_KEY, 10000, 'C', 0, 0, 0);
    EXPECT_EQ(m_input.RemoveEvent(b), c);
    EXPECT_EQ(m_input.GetNextEvent(a), c);
    EXPECT_EQ(m_input.GetNextEvent(c), nullptr);
    EXPECT_EQ(m_input.RemoveEvent(c), nullptr);
    CInputEvent foreign;
    EXPECT_EQ(m_input.GetNextEvent(&foreign), nullptr);
    EXPECT_EQ(m_input.RemoveEvent(&foreign), nullptr);
    EXPECT_EQ(m_input.GetEventCount(), 1);
}

TEST(KeyNames, TableAndShortcuts) {
    struct Case {
        uint32_t key;
        const char* name;
    } cases[] = {
        {'A', "A"},   {'7', "7"},    {112, "F1"}, {123, "F12"},        {45, "INS"},
        {46, "DEL"},  {35, "END"},   {8, "BAK"},  {40, "DN"},          {38, "UP"},
        {37, "LEFT"}, {39, "RIGT"},  {36, "HOM"}, {34, "PGDN"},        {33, "PGUP"},
        {32, "SPAC"}, {111, "/"},    {109, "-"},  {107, "+"},          {106, "*"},
        {96, "PAD0"}, {105, "PAD9"}, {9, "TAB"},  {19, "Unknown Key"}, {255, "Unknown Key"},
    };
    for (const Case& c : cases) {
        char buffer[2];
        EXPECT_STREQ(GetKeyName(c.key, buffer), c.name) << c.key;
    }
    char out[32];
    GetShortcutName(true, false, true, 'A', out, sizeof(out));
    EXPECT_STREQ(out, "Ctrl+Shift+A");
    GetShortcutName(true, true, true, 112, out, sizeof(out));
    EXPECT_STREQ(out, "Ctrl+Alt+Shift+F1");
    GetShortcutName(false, true, false, 19, out, 8);
    EXPECT_STREQ(out, "Alt+Unk");
}

}  // namespace
