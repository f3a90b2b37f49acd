#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "graphics/display_settings.h"
#include "tests/anim/ani_test_util.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/button.h"
#include "ui/static_text.h"
#include "ui/window_mgr.h"

using uitest::TestWindow;

namespace {

// ---- Label ----

TEST(StaticTextTest, LineHeightsAndFontsBySizeIndex) {
    const uint32_t heights[] = {13, 13, 15, 15, 17, 21, 0, 0};
    CStaticText label;
    for (uint8_t index = 0; index < 8; ++index) {
        label.SetFontSize(index);
        EXPECT_EQ(label.GetLineHeight(), heights[index]) << int(index);
    }
    label.SetFontSize(6);
    label.SetText("text");
    EXPECT_EQ(label.MeasureText(), 0);
    EXPECT_EQ(label.GetFont(), nullptr);
}

TEST(StaticTextTest, RectangleIsEightPixelsAByteAndEightHigh) {
    CStaticText label;
    label.SetPosition(30, 40);
    label.UpdateRect();
    EXPECT_EQ(label.GetRect(), (WindowRect{30, 40, 30, 48}));  // empty: 0 wide, 8 high
    label.SetText("abc");
    label.UpdateRect();
    EXPECT_EQ(label.GetRect(), (WindowRect{30, 40, 54, 48}));
}

TEST(StaticTextTest, TextKeepsAtMost255BytesCutBetweenCharacters) {
    CStaticText label;
    label.SetText(std::string(300, 'x').c_str());
    EXPECT_EQ(std::string(label.GetText()), std::string(255, 'x'));
    label.SetText((std::string(254, 'x') + "\x93\xFA").c_str());
    EXPECT_EQ(std::string(label.GetText()), std::string(254, 'x'));
    label.SetText(nullptr);
    EXPECT_STREQ(label.GetText(), "");
}

TEST(StaticTextTest, StyleSwitchesMakeTheRendererFlags) {
    struct Case {
        bool second, bold, shadow, outline;
        uint32_t flags;
    } cases[] = {{0, 0, 0, 0, 1}, {1, 0, 0, 0, 17}, {0, 1, 0, 0, 5},
                 {0, 0, 1, 0, 3}, {0, 0, 0, 1, 9},  {1, 1, 1, 1, 31}};
    for (const Case& c : cases) {
        CStaticText label;
        label.SetTextOption(c.second);
        label.SetStyleSwitch(TEXT_SWITCH_BOLD, c.bold);
        label.SetStyleSwitch(TEXT_SWITCH_SHADOW, c.shadow);
        label.SetStyleSwitch(TEXT_SWITCH_OUTLINE, c.outline);
        EXPECT_EQ(label.StyleFlags(), c.flags);
    }
}

TEST(StaticTextTest, ALabelOnlyDraws) {
    qmtest::WindowDriver driver;
    CBaseWindow* label = driver.Mgr().CreateControl("LABEL", CONTROL_STATIC_TEXT, 0);
    EXPECT_TRUE(label->IsDrawOn());
    EXPECT_FALSE(label->IsUpdateOn());
    EXPECT_FALSE(label->IsInputOn());
}

// ---- Button ----

// A button on a window that holds it as a control.
class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetDisplaySettings() = CDisplaySettings{};
        m_window = m_driver.Add(new TestWindow("PANEL", 0, 0, 800, 600));
        m_button = static_cast<CButton*>(m_driver.Mgr().CreateControl("PANEL_BUTTON", CONTROL_BUTTON, 0));
        m_window->AddChild(m_button);
        m_button->SetImage(60, 20, "OK");
        m_button->SetPosition(300, 200);
    }
    // A hidden window to link.
    TestWindow* Linked(uint32_t w = 100, uint32_t h = 150) {
        auto* linked = m_driver.Add(new TestWindow("LINKED", 0, 0, w, h));
        linked->Hide();
        return linked;
    }

    qmtest::WindowDriver m_driver;
    TestWindow* m_window = nullptr;
    CButton* m_button = nullptr;
};

// The main interface, which learns of the windows that buttons open.
struct MainInterface : TestWindow, IMainPanelHost {
    MainInterface() : TestWindow("Z5MAINWIN", 0, 0, 1, 1) { SetAcceptsMouse(false); }
    bool IsMainPanelWindow(CBaseWindow* window) override {
        told.push_back(window);
        return true;
    }
    std::vector<CBaseWindow*> told;
};

TEST_F(ButtonTest, HoverWhileTheMouseIsOverItAndNoWindowAboveHasIt) {
    m_driver.MoveTo(310, 210);
    m_driver.Frame();
    EXPECT_EQ(m_button->GetState(), BUTTON_HOVER);
    m_driver.MoveTo(10, 10);
    m_driver.Frame();
    EXPECT_EQ(m_button->GetState(), BUTTON_NORMAL);
    m_driver.Add(new TestWindow("ABOVE", 280, 190, 100, 100));
    m_driver.MoveTo(310, 210);
    m_driver.Frame();
    EXPECT_EQ(m_button->GetState(), BUTTON_NORMAL);
}

TEST_F(ButtonTest, AReleaseOutsideLeavesStateOneAndDoesNothingElse) {
    auto* main = m_driver.Add(new MainInterface);
    TestWindow* linked = Linked();
    m_button->SetLinkedWindow(0, linked, BUTTON_LINK_TOGGLE, 0);
    m_driver.Press(0, 310, 210);
    m_driver.Frame();
    EXPECT_EQ(m_button->GetState(), BUTTON_PRESSED);
    EXPECT_EQ(m_button->m_pressed[0], 1);
    m_driver.MoveTo(500, 500);
    m_driver.Release(0, 500, 500);
    m_driver.Frame();
    EXPECT_EQ(m_button->GetState(), BUTTON_NORMAL);
    EXPECT_EQ(m_button->GetPressedButton(), -1);
    EXPECT_FALSE(linked->IsDrawOn());
    EXPECT_TRUE(main->told.empty());
}

TEST_F(ButtonTest, HiddenAndShownAgainItIsNormal) {
    for (int32_t state : {BUTTON_PRESSED, BUTTON_HOVER}) {
        m_button->SetState(state);
        m_button->Hide();
        m_button->Show();
        EXPECT_EQ(m_button->GetState(), BUTTON_NORMAL);
    }
}

// Link flag 4: a click shows the linked window left of the button, held
// inside the screen's height, or hides it when it is shown.
TEST_F(ButtonTest, ClickTogglesTheLinkedWindowBesideTheButton) {
    auto* main = m_driver.Add(new MainInterface);
    struct Case {
        int32_t buttonY;
        int32_t expectY;
    } cases[] = {{200, 200}, {450, 450}, {451, 451 + 20 - 150}, {580, 580 + 20 - 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttonY);
        TestWindow* linked = Linked();
        m_button->SetLinkedWindow(0, linked, BUTTON_LINK_TOGGLE, 0);
        m_button->SetPosition(300, c.buttonY);
        main->told.clear();
        m_driver.Click(0, 310, c.buttonY + 5);
        m_driver.Frame();
        EXPECT_TRUE(linked->IsDrawOn());
        EXPECT_EQ(linked->GetX(), 200);
        EXPECT_EQ(linked->GetY(), c.expectY);
        EXPECT_TRUE(linked->IsActiveFlag());
        EXPECT_EQ(main->told, std::vector<CBaseWindow*>{linked});
        m_driver.Click(0, 310, c.buttonY + 5);
        m_driver.Frame();
        EXPECT_FALSE(linked->IsDrawOn());
        m_driver.Mgr().RemoveWindow(linked);
    }
}

TEST_F(ButtonTest, ALinkedWindowThatWentIsForgotten) {
    m_button->SetLinkedWindow(1, Linked(), BUTTON_LINK_TOGGLE | BUTTON_LINK_FOLLOW, 0);
    m_driver.Mgr().RemoveWindow(m_driver.Mgr().FindWindowByName("LINKED"));
    EXPECT_EQ(m_button->GetLinkedWindow(), nullptr);
    m_driver.Click(0, 310, 205);
    m_driver.Frame();
    m_button->SetPosition(10, 10);
    m_button->RefreshLinkedWindow();
    EXPECT_EQ(m_button->GetState(), BUTTON_HOVER);  // released, with the mouse still over it
}

// Link flag 2: a press released where it was made tells the main interface;
// one that moved more than 2 pixels across or 3 down does not.
TEST_F(ButtonTest, AStillPressTellsTheMainInterface) {
    auto* main = m_driver.Add(new MainInterface);
    TestWindow* linked = Linked();
    m_button->SetLinkedWindow(0, linked, BUTTON_LINK_FOLLOW, 0);
    struct Case {
        int32_t dx, dy;
        bool told;
    } cases[] = {{0, 0, true}, {2, 3, true}, {-2, -3, true}, {3, 0, false}, {0, 4, false}};
    for (const Case& c : cases) {
        main->told.clear();
        m_driver.Press(0, 320, 205);
        m_driver.Frame();
        m_driver.Release(0, 320 + c.dx, 205 + c.dy);
        m_driver.Frame();
        EXPECT_EQ(main->told.size(), c.told ? 1u : 0u) << c.dx << "," << c.dy;
        EXPECT_FALSE(linked->IsDrawOn());
    }
}

// State value 4: the linked window opens while the mouse is over the active
// button, level with it unless its bottom would reach y 385.
TEST_F(ButtonTest, HoverOpenedWindowsBelow385AreBottomAligned) {
    struct Case {
        int32_t buttonY, expectY;
    } cases[] = {{234, 234}, {235, 235 + 20 - 150}, {100, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttonY);
        TestWindow* linked = Linked();
        linked->SetStateValue(WINDOW_STATE_DETACHED);
        m_button->SetLinkedWindow(1, linked, BUTTON_LINK_FOLLOW, 0);
        m_button->SetPosition(300, c.buttonY);
        m_window->SetActive(true, false);
        m_driver.MoveTo(310, c.buttonY + 5);
        m_driver.Frame();
        EXPECT_TRUE(linked->IsDrawOn());
        EXPECT_EQ(linked->GetX(), 200);
        EXPECT_EQ(linked->GetY(), c.expectY);
        // Moving the button moves the window along.
        m_button->SetPosition(320, c.buttonY);
        EXPECT_EQ(linked->GetX(), 220);
        EXPECT_EQ(linked->GetY(), c.buttonY);
        m_driver.Mgr().RemoveWindow(linked);
        m_driver.MoveTo(700, 10);
        m_driver.Frame();
    }
}

// State value 2: a hover menu, open while the mouse is over the button or
// over the menu, closed otherwise.
TEST_F(ButtonTest, HoverMenuFollowsTheMouse) {
    TestWindow* menu = Linked(100, 50);
    menu->SetStateValue(WINDOW_STATE_DOCKED);
    m_button->SetLinkedWindow(1, menu, BUTTON_LINK_FOLLOW, 0);
    m_window->SetActive(true, false);
    m_driver.MoveTo(310, 205);
    m_driver.Frame();
    EXPECT_TRUE(menu->IsDrawOn());
    EXPECT_EQ(menu->GetX(), 200);
    EXPECT_EQ(menu->GetY(), 200);
    m_driver.MoveTo(250, 230);  // over the menu, which is active now
    m_driver.Frame();
    EXPECT_TRUE(menu->IsDrawOn());
    m_driver.MoveTo(700, 500);
    m_driver.Frame();
    EXPECT_FALSE(menu->IsDrawOn());
    EXPECT_FALSE(menu->IsActiveFlag());
}

// A window that closes at once when its button, forwarding to it, is pressed.
TEST(ButtonRemovalTest, AButtonWhosePressRemovesItsWindowStopsThere) {
    struct Closing : TestWindow {
        Closing() : TestWindow("CLOSING", 0, 0, 200, 200) {}
        bool OnMouseDown(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
            if (!c) return TestWindow::OnMouseDown(b, x, y, c);
            g_pWindowMgr->RemoveWindow(this);
            return false;
        }
    };
    qmtest::WindowDriver driver;
    auto* window = driver.Add(new Closing);
    auto* button = static_cast<CButton*>(driver.Mgr().CreateControl("CLOSING_BUTTON", CONTROL_BUTTON, 0));
    window->AddChild(button);
    button->SetImage(50, 20, "X");
    button->SetPosition(10, 10);
    button->m_forwardToParent = 1;
    CWeakRef ref(window);
    driver.Press(0, 20, 15);
    driver.Frame();
    EXPECT_FALSE(ref);
    EXPECT_EQ(driver.Mgr().ChildCount(), 0);
}

TEST_F(ButtonTest, PressShowsStateFourForOneDrawAndUpdate) {
    struct Watcher : CButton {
        std::vector<int32_t> seen;
        bool Update() override {
            seen.push_back(GetState());
            return CButton::Update();
        }
    } button;
    button.Press();
    EXPECT_EQ(button.seen, std::vector<int32_t>{BUTTON_PRESSED});
    EXPECT_EQ(button.GetState(), BUTTON_NORMAL);
}

TEST_F(ButtonTest, PlainFaceSizeAndCaption) {
    EXPECT_EQ(m_button->GetWidth(), 60);
    EXPECT_EQ(m_button->GetHeight(), 20);
    m_button->UpdateRect();
    EXPECT_EQ(m_button->GetRect(), (WindowRect{300, 200, 360, 220}));
    m_button->SetImage(10, 10, std::string(400, 'c').c_str());
    EXPECT_EQ(std::string(m_button->GetCaption()).size(), 255u);
    CButton bare;
    bare.UpdateRect();
    EXPECT_FALSE(bare.HitTest(0, 0));  // nothing to show, nothing to hit
    EXPECT_EQ(bare.GetWidth(), 0);
}

// Motion 0 shows each state in a direction of its own; animation 2 has no
// disabled direction.
AniFile ButtonAnimation(bool withDisabled) {
    using namespace anitest;
    std::vector<AniFileDirection> directions;
    for (int d : {0, 2, 12, 14})
        if (d != 12 || withDisabled) directions.push_back(Direction(uint8_t(d), {Layer({Hold(10)})}));
    return File(ANI_LATEST_VERSION, {Motion(0, directions), Motion(1, {Direction(2, {Layer({Hold(10)})})})});
}

TEST(ButtonImageTest, EachStateShowsItsDirection) {
    anitest::AniWorld world;
    world.Write(1, ButtonAnimation(true));
    CButton button;
    ASSERT_TRUE(button.LoadImage(1, 0));
    CAniObject* image = button.GetImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_direction, 2);
    struct Case {
        int32_t state;
        uint8_t direction;
    } cases[] = {{BUTTON_HOVER, 0}, {BUTTON_PRESSED, 14}, {BUTTON_NORMAL, 2}};
    for (const Case& c : cases) {
        button.SetState(c.state);
        button.Draw();
        EXPECT_EQ(image->m_direction, c.direction) << c.state;
        EXPECT_EQ(CButton::StateDirection(c.state), c.direction);
    }
    EXPECT_EQ(CButton::StateDirection(BUTTON_DISABLED), 12);
    // A button that does not update draws disabled, and normal again once it does.
    button.SetUpdateOn(false);
    button.Draw();
    EXPECT_EQ(button.GetState(), BUTTON_DISABLED);
    EXPECT_EQ(image->m_direction, 12);
    button.SetUpdateOn(true);
    button.Draw();
    EXPECT_EQ(button.GetState(), BUTTON_NORMAL);
    EXPECT_EQ(image->m_direction, 2);
    // The same animation again keeps the image.
    ASSERT_TRUE(button.LoadImage(1, 0));
    EXPECT_EQ(button.GetImage(), image);
}

TEST(ButtonImageTest, WithoutADisabledDirectionMotionOneShows) {
    anitest::AniWorld world;
    world.Write(2, ButtonAnimation(false));
    CButton button;
    ASSERT_TRUE(button.LoadImage(2, 0));
    button.SetUpdateOn(false);
    button.Draw();
    EXPECT_EQ(button.GetImage()->GetCurrentMotionId(), 1);
    EXPECT_EQ(button.GetImage()->m_direction, 2);
    button.Draw();  // still disabled: it stays so
    EXPECT_EQ(button.GetImage()->GetCurrentMotionId(), 1);
    // Enabled again, the button shows its own motion, not motion 1.
    button.SetUpdateOn(true);
    for (int32_t state : {BUTTON_NORMAL, BUTTON_HOVER}) {
        button.SetState(state);
        button.Draw();
        EXPECT_EQ(button.GetImage()->GetCurrentMotionId(), 0) << state;
        EXPECT_EQ(button.GetImage()->m_direction, CButton::StateDirection(state)) << state;
    }
}

TEST(ButtonImageTest, AnAnimationThatCannotBeHadLeavesNoImage) {
    anitest::AniWorld world;
    CButton button;
    EXPECT_FALSE(button.LoadImage(77, 0));
    EXPECT_EQ(button.GetImage(), nullptr);
    EXPECT_TRUE(button.Draw());
}

}  // namespace
