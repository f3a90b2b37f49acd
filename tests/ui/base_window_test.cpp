#include "ui/base_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/display_settings.h"
#include "platform/keyboard.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/window_mgr.h"

using uitest::Log;
using uitest::TestWindow;

namespace {

TEST(BaseWindowTest, StartsWithTheValuesOfCreate) {
    CBaseWindow w;
    EXPECT_EQ(w.GetControlType(), CONTROL_WINDOW);
    EXPECT_EQ(w.GetStateValue(), WINDOW_STATE_FREE);
    EXPECT_EQ(w.GetLayer(), 5);
    EXPECT_EQ(w.GetPressedButton(), -1);
    EXPECT_EQ(w.GetToolTipParam(), WINDOW_TOOLTIP_PARAM);
    EXPECT_TRUE(w.AcceptsMouse());
    EXPECT_EQ(w.m_doubleClickAsClick, 1);
    EXPECT_TRUE(w.IsDrawOn() && w.IsUpdateOn() && w.IsInputOn());
    EXPECT_EQ(w.Children()->Count(), 0);
    w.SetStateValue(WINDOW_STATE_DETACHED);
    EXPECT_EQ(w.GetStateValue(), WINDOW_STATE_DETACHED);
}

// A double-click on a window with the default flag is a press and a release;
// with the flag clear it is a double-click.
TEST(BaseWindowTest, DoubleClickAsPressAndRelease) {
    struct Case {
        uint8_t asClick;
        Log expected;
        uint8_t doubleClicked;
    } cases[] = {
        {1, {"W:down 0", "W:up 0", "W:click 0", "W:down 0", "W:up 0"}, 0},
        {0, {"W:down 0", "W:up 0", "W:click 0", "W:dblclick 0"}, 1},
    };
    for (const Case& c : cases) {
        qmtest::WindowDriver driver;
        Log log;
        auto* w = driver.Add(new TestWindow("W", 0, 0, 100, 100, &log));
        w->m_doubleClickAsClick = c.asClick;
        driver.DoubleClick(0, 20, 20);
        driver.Frame();
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(w->m_doubleClicked[0], c.doubleClicked);
        EXPECT_EQ(w->m_clicked[0], 1);
        EXPECT_EQ(w->m_pressed[0], 1);
    }
}

TEST(BaseWindowTest, AConsumedEventIsNotSeenBelow) {
    qmtest::WindowDriver driver;
    Log log;
    driver.Add(new TestWindow("LOW", 0, 0, 100, 100, &log));
    auto* high = driver.Add(new TestWindow("HIGH", 50, 50, 100, 100, &log));
    high->m_consumeKey = 'A';
    driver.Click(0, 60, 60);  // where both are
    driver.Key(30, 'A');
    driver.Key(48, 'B');
    driver.Frame();
    // The press and the click stop at the top window, the release (never
    // consumed) and the key it leaves go on down.
    EXPECT_EQ(log, (Log{"HIGH:down 0", "HIGH:up 0", "HIGH:click 0", "HIGH:key 65", "HIGH:key 66", "LOW:up 0",
                        "LOW:key 66"}));
}

TEST(BaseWindowTest, OneActiveWindowAfterAClick) {
    qmtest::WindowDriver driver;
    auto* a = driver.Add(new TestWindow("A", 0, 0));
    auto* b = driver.Add(new TestWindow("B", 200, 0));
    auto* c = driver.Add(new TestWindow("C", 400, 0));
    c->SetActive(true, false);
    b->SetAcceptsMouse(false);
    for (auto [x, expected] : {std::pair<int32_t, CBaseWindow*>{20, a}, {420, c}, {220, nullptr}}) {
        driver.Click(0, x, 20);
        driver.Frame();
        SCOPED_TRACE(x);
        for (CBaseWindow* w :
             {static_cast<CBaseWindow*>(a), static_cast<CBaseWindow*>(b), static_cast<CBaseWindow*>(c)})
            EXPECT_EQ(w->IsActiveFlag(), w == expected) << w->GetName();
    }
    EXPECT_EQ(driver.Mgr().TopLevelWindows().back(), c);  // the last one activated is on top
}

// A control that forwards its input: its parent's handler sees each event
// first, with the control named, and passes it on.
TEST(BaseWindowTest, ForwardedEventsReachTheParentFirst) {
    qmtest::WindowDriver driver;
    Log log;
    auto* parent = driver.Add(new TestWindow("PARENT", 0, 0, 200, 200, &log));
    auto* control = new TestWindow("CONTROL", 10, 10, 50, 20, &log);
    control->m_forwardToParent = 1;
    parent->AddChild(control);
    driver.Press(0, 20, 15);
    driver.Wheel(20, 15, -1);
    driver.Frame();
    // The wheel is not consumed, so the parent then sees it for itself.
    EXPECT_EQ(log, (Log{"PARENT:down 0 [CONTROL]", "CONTROL:down 0", "PARENT:wheel -1 [CONTROL]",
                        "CONTROL:wheel -1", "PARENT:wheel -1"}));
    EXPECT_EQ(control->m_pressed[0], 1);
    EXPECT_EQ(parent->m_pressed[0], 0);
    EXPECT_TRUE(parent->IsActive());
}

// A control that takes its window away at once, from a handler or from its
// own update or drawing (a scene change closing the message boxes, say): the
// window's phase ends there, and the windows below go on.
TEST(BaseWindowTest, AControlThatRemovesItsWindowEndsThatWindowsPhase) {
    enum class When { kPress, kUpdate, kDraw };
    struct Remover : TestWindow {
        explicit Remover(When when) : TestWindow("REMOVER", 10, 10, 50, 50), m_when(when) {}
        bool OnMouseDown(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
            if (m_when != When::kPress) return TestWindow::OnMouseDown(b, x, y, c);
            g_pWindowMgr->RemoveWindow(GetParent());  // this control goes with it
            return true;
        }
        bool Update() override {
            if (m_when != When::kUpdate) return TestWindow::Update();
            g_pWindowMgr->RemoveWindow(GetParent());
            return true;
        }
        bool Draw() override {
            if (m_when != When::kDraw) return TestWindow::Draw();
            g_pWindowMgr->RemoveWindow(GetParent());
            return true;
        }
        When m_when;
    };
    for (When when : {When::kPress, When::kUpdate, When::kDraw}) {
        SCOPED_TRACE(int(when));
        qmtest::WindowDriver driver;
        driver.UseCursor();
        driver.DrawFrames(true);
        Log log;
        driver.Add(new TestWindow("BELOW", 0, 0, 200, 200, &log));
        auto* window = driver.Add(new TestWindow("WINDOW", 0, 0, 200, 200));
        window->AddChild(new Remover(when));
        CWeakRef ref(window);
        if (when == When::kPress) driver.Press(0, 20, 20);
        driver.Frame();
        EXPECT_FALSE(ref);
        EXPECT_EQ(driver.Mgr().ChildCount(), 1);
        // The press the control left goes on to the window below.
        EXPECT_EQ(log, when == When::kPress ? Log{"BELOW:down 0"} : Log{});
        driver.Frame();
    }
}

TEST(BaseWindowTest, ChildrenTakeInputLastAddedFirst) {
    qmtest::WindowDriver driver;
    Log log;
    auto* parent = driver.Add(new TestWindow("PARENT", 0, 0, 200, 200, &log));
    parent->AddChild(new TestWindow("FIRST", 0, 0, 50, 50, &log));
    parent->AddChild(new TestWindow("SECOND", 0, 0, 50, 50, &log));
    driver.Press(0, 10, 10);
    driver.Frame();
    EXPECT_EQ(log, (Log{"SECOND:down 0"}));
}

// While the cursor holds the window being dragged, the window accepts every
// point, so the drag goes on when the mouse leaves it; a locked axis stays.
TEST(BaseWindowTest, DragWithALockedAxisGoesOnOutsideTheWindow) {
    struct Case {
        uint8_t lockVertical, lockHorizontal;
        int32_t x2, y2, x3, y3;
    } cases[] = {
        {1, 0, 190, 100, 250, 100},
        {0, 1, 100, 290, 100, 390},
        {0, 0, 190, 290, 250, 390},
    };
    for (const Case& c : cases) {
        qmtest::WindowDriver driver;
        driver.UseCursor();
        auto* w = driver.Add(new TestWindow("W", 100, 100, 50, 50));
        w->m_draggable = 1;
        w->m_lockVertical = c.lockVertical;
        w->m_lockHorizontal = c.lockHorizontal;
        driver.Press(0, 110, 110);
        driver.Frame();
        driver.MoveTo(200, 300);
        driver.Frame();
        EXPECT_EQ(driver.Cursor().GetHeldObject(), w);
        EXPECT_EQ(w->GetX(), c.x2);
        EXPECT_EQ(w->GetY(), c.y2);
        driver.MoveTo(260, 400);  // outside the window's rectangle
        driver.Frame();
        EXPECT_EQ(w->GetX(), c.x3);
        EXPECT_EQ(w->GetY(), c.y3);
        // The release ends the drag; moving on moves nothing.
        driver.Release(0, 260, 400);
        driver.MoveTo(300, 450);
        driver.Frame();
        EXPECT_EQ(driver.Cursor().m_drops, 1);
        EXPECT_EQ(w->GetX(), c.x3);
        EXPECT_EQ(w->GetY(), c.y3);
    }
}

// Once the button is up, the window the cursor still points at takes only
// its own points: a press elsewhere, held over a few frames, is not its
// press, and the mouse away from it is not over a window. The same for a
// window hidden while pressed (it never sees the release) and shown again.
TEST(BaseWindowTest, AWindowLetGoTakesOnlyItsOwnPoints) {
    enum class Case { kClicked, kDragged, kHiddenWhilePressed };
    for (Case c : {Case::kClicked, Case::kDragged, Case::kHiddenWhilePressed}) {
        SCOPED_TRACE(int(c));
        qmtest::WindowDriver driver;
        driver.UseCursor();
        auto* w = driver.Add(new TestWindow("W", 100, 100, 50, 50));
        w->m_draggable = 1;
        driver.Press(0, 110, 110);
        driver.Frame();
        if (c == Case::kDragged) {
            driver.MoveTo(130, 130);
            driver.Frame();
            ASSERT_EQ(driver.Cursor().GetHeldObject(), w);
        }
        if (c == Case::kHiddenWhilePressed) w->Hide();
        driver.Release(0, 130, 130);
        driver.Frame();
        if (c == Case::kHiddenWhilePressed) {
            w->Show();
            w->SetActive(true, false);
            driver.MoveTo(120, 120);
            driver.Frame();
        }
        w->m_pressed[0] = w->m_clicked[0] = 0;
        driver.MoveTo(400, 400);
        driver.Frame();
        EXPECT_FALSE(driver.Mgr().IsMouseOverWindow());
        EXPECT_FALSE(driver.Cursor().m_overWindow);
        driver.Press(0, 500, 400);
        driver.Frame(2);
        driver.Release(0, 500, 400);
        driver.Frame();
        EXPECT_EQ(w->m_pressed[0], 0);
        EXPECT_EQ(w->m_clicked[0], 0);
        EXPECT_EQ(w->GetX(), c == Case::kDragged ? 120 : 100);
    }
}

TEST(BaseWindowTest, KeepOnScreenHoldsTheWindowInside) {
    GetDisplaySettings().screenWidth = 800;
    GetDisplaySettings().screenHeight = 600;
    struct Case {
        int32_t x, y, expectX, expectY;
    } cases[] = {
        {9, 300, 0, 300},     {10, 300, 10, 300}, {-40, 300, 0, 300},   {690, 300, 690, 300},
        {691, 300, 700, 300}, {300, 9, 300, 0},   {300, 491, 300, 500}, {300, 490, 300, 490},
    };
    TestWindow w("W", 0, 0, 100, 100);
    w.m_keepOnScreen = 1;
    for (const Case& c : cases) {
        w.SetPosition(c.x, c.y);
        EXPECT_EQ(w.GetX(), c.expectX) << c.x << "," << c.y;
        EXPECT_EQ(w.GetY(), c.expectY) << c.x << "," << c.y;
        EXPECT_EQ(w.GetRect().left, c.expectX);
    }
    w.m_keepOnScreen = 0;
    w.SetPosition(-40, 900);
    EXPECT_EQ(w.GetX(), -40);
}

// Open activates; a window that is not free, or is hidden, becomes free and
// is shown; an open window is not shown again.
TEST(BaseWindowTest, OpenShowsOnlyWhatIsNotOpen) {
    struct Case {
        int32_t state;
        bool hidden;
        int shows;
    } cases[] = {{WINDOW_STATE_FREE, false, 0},
                 {WINDOW_STATE_FREE, true, 1},
                 {WINDOW_STATE_DOCKED, false, 1},
                 {WINDOW_STATE_DETACHED, true, 1}};
    for (const Case& c : cases) {
        qmtest::WindowDriver driver;
        driver.Add(new TestWindow("OTHER"));
        auto* w = driver.Add(new TestWindow("W"));
        driver.Mgr().BringToFront(driver.Mgr().FindWindowByName("OTHER"));
        w->SetStateValue(c.state);
        if (c.hidden) w->Hide();
        w->m_shows = 0;
        w->Open();
        EXPECT_EQ(w->m_shows, c.shows) << c.state << c.hidden;
        EXPECT_EQ(w->GetStateValue(), WINDOW_STATE_FREE);
        EXPECT_TRUE(w->IsDrawOn());
        EXPECT_TRUE(w->IsActiveFlag());
        EXPECT_EQ(driver.Mgr().TopLevelWindows().back(), w);
    }
}

TEST(BaseWindowTest, ToolTipKeepsAtMost256BytesCutBetweenCharacters) {
    CBaseWindow w;
    std::string text(300, 'a');
    w.SetToolTip(true, text.c_str(), 7);
    EXPECT_EQ(std::string(w.GetToolTip()), std::string(256, 'a'));
    EXPECT_EQ(w.GetToolTipParam(), 7u);
    // A double-byte character across the limit is left out whole.
    std::string dbcs = std::string(255, 'b') + "\x82\xA0" + "c";
    w.SetToolTip(false, dbcs.c_str(), 9);
    EXPECT_EQ(std::string(w.GetToolTip()), std::string(255, 'b'));
    EXPECT_FALSE(w.IsToolTipOn());
    EXPECT_EQ(w.GetToolTipParam(), 7u);  // kept unless enabled
    w.SetToolTip(true, nullptr, 1);      // no text: nothing changes
    EXPECT_FALSE(w.IsToolTipOn());
}

TEST(BaseWindowTest, TreeFlagsAndActivationFollowTheParents) {
    qmtest::WindowDriver driver;
    auto* parent = driver.Add(new TestWindow("PARENT"));
    auto* child = new TestWindow("CHILD");
    auto* grandchild = new TestWindow("GRANDCHILD");
    parent->AddChild(child);
    child->AddChild(grandchild);
    EXPECT_TRUE(grandchild->IsChildOf(parent));
    EXPECT_FALSE(parent->IsChildOf(grandchild));
    EXPECT_FALSE(grandchild->IsChildOf(grandchild));
    // No loops in the parent chain.
    EXPECT_FALSE(grandchild->AddChild(parent));
    EXPECT_FALSE(grandchild->AddChild(grandchild));
    EXPECT_EQ(parent->GetParent(), nullptr);
    EXPECT_TRUE(grandchild->IsVisibleInTree());
    child->SetUpdateOn(false);
    EXPECT_FALSE(grandchild->IsUpdatingInTree());
    EXPECT_TRUE(grandchild->IsInputEnabledInTree());
    parent->SetInputOn(false);
    EXPECT_FALSE(grandchild->IsInputEnabledInTree());

    driver.Add(new TestWindow("OTHER"));
    grandchild->SetActive(true, false);
    EXPECT_TRUE(child->IsActiveFlag());
    EXPECT_TRUE(parent->IsActiveFlag());
    EXPECT_EQ(driver.Mgr().TopLevelWindows().back(), parent);
    grandchild->SetInputOn(false);
    parent->SetActive(false, false);
    EXPECT_FALSE(child->IsActiveFlag());      // children that take input go inactive too
    EXPECT_TRUE(grandchild->IsActiveFlag());  // one that takes none is left alone
    child->RemoveChild(grandchild);
    EXPECT_EQ(grandchild->GetParent(), nullptr);
    delete grandchild;
}

}  // namespace
