// The scroll bar with plain-face buttons as its parts, driven by scripted mouse input.
#include "ui/scroll_bar.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/keyboard.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/button.h"

using uitest::TestWindow;

namespace {

// A vertical bar from (100, 100) to (116, 300): arrows of 16 x 16 at both
// ends and a thumb 20 high, so the track is 284 - 100 - 20 - 16 = 148 long.
class ScrollBarTest : public ::testing::Test {
protected:
    static constexpr int32_t kTrack = 148;

    void SetUp() override {
        m_panel = m_driver.Add(new TestWindow("LIST", 0, 0, 400, 400));
        m_bar =
            static_cast<CScrollBar*>(m_driver.Mgr().CreateControl("LIST_SCROLLBAR", CONTROL_SCROLL_BAR, 0));
        m_panel->AddChild(m_bar);
        m_up = Part("LIST_SCROLL_BUTTON_UP", 16, 16);
        m_down = Part("LIST_SCROLL_BUTTON_DN", 16, 16);
        m_thumb = Part("LIST_SCROLL_BUTTON_DRAG", 16, 20);
        m_bar->SetParts(m_up, m_down, m_thumb);
        m_bar->SetMaximum(10);
        m_bar->SetBarRect(100, 100, 116, 300);
    }
    CButton* Part(const char* name, uint32_t w, uint32_t h) {
        auto* button = static_cast<CButton*>(m_driver.Mgr().CreateControl(name, CONTROL_BUTTON, 0));
        button->SetImage(w, h, "");
        return button;
    }
    void Press(int32_t x, int32_t y, bool ctrl = false) {
        m_driver.Keys().SetKeyDown(plat::VK_CONTROL, ctrl);
        m_driver.Click(0, x, y);
        m_driver.Frame();
        m_driver.Keys().SetKeyDown(plat::VK_CONTROL, false);
    }
    int32_t ThumbY() {
        m_driver.Frame();  // the bar places its thumb as it updates
        return m_thumb->GetY();
    }

    qmtest::WindowDriver m_driver;
    TestWindow* m_panel = nullptr;
    CScrollBar* m_bar = nullptr;
    CButton *m_up = nullptr, *m_down = nullptr, *m_thumb = nullptr;
};

TEST_F(ScrollBarTest, PartsArePlacedAlongTheBar) {
    EXPECT_EQ(m_up->GetY(), 100);
    EXPECT_EQ(m_down->GetY(), 284);
    EXPECT_EQ(m_bar->TrackLength(), kTrack);
    EXPECT_TRUE(m_up->m_forwardToParent);
    EXPECT_TRUE(m_thumb->m_draggable);
    EXPECT_EQ(m_thumb->GetParent(), m_bar);
    m_bar->UpdateRect();
    EXPECT_EQ(m_bar->GetRect(), (WindowRect{100, 100, 116, 300}));
    // Horizontal: the second arrow at the right end, the thumb level with the first.
    m_bar->SetOrientation(0);
    m_bar->SetBarRect(100, 100, 300, 116);
    EXPECT_EQ(m_down->GetX(), 284);
    EXPECT_EQ(m_down->GetY(), 100);
    EXPECT_EQ(m_thumb->GetY(), 100);
}

TEST_F(ScrollBarTest, ThumbFollowsThePosition) {
    struct Case {
        int32_t maximum;
        float position;
        int32_t thumbY;
        bool partsDrawn;
    } cases[] = {
        {10, 0, 116, true},  {10, 5, 284 - 74 - 20, true}, {10, 10, 264, true},
        {0, 0, 116, false},  // nothing to scroll: next to the first arrow, parts not drawn
        {-5, 0, 116, false},
    };
    for (const Case& c : cases) {
        m_bar->SetMaximum(c.maximum);
        m_bar->SetScrollPos(c.position);
        EXPECT_EQ(ThumbY(), c.thumbY) << c.maximum << " " << c.position;
        EXPECT_EQ(m_thumb->IsDrawOn(), c.partsDrawn);
        EXPECT_EQ(m_up->IsDrawOn(), c.partsDrawn);
    }
    EXPECT_EQ(m_bar->GetMaximum(), 0);
    EXPECT_EQ(m_bar->GetScrollPercent(), 0.0f);  // no division by a maximum of 0
}

TEST_F(ScrollBarTest, PositionStaysWithinTheMaximum) {
    m_bar->SetScrollPos(10);
    m_bar->SetMaximum(4);
    EXPECT_EQ(m_bar->GetScrollPos(), 4.0f);
    m_bar->SetScrollPos(-3);
    EXPECT_EQ(m_bar->GetScrollPos(), 0.0f);
    m_bar->SetScrollPos(NAN);
    EXPECT_EQ(m_bar->GetScrollPos(), 0.0f);
    m_bar->SetScrollPos(2.5f);
    EXPECT_EQ(m_bar->GetScrollPercent(), 62.5f);
}

TEST_F(ScrollBarTest, ArrowsStepAndCtrlJumpsToTheEnd) {
    m_bar->SetScrollPos(5);
    Press(108, 292);  // second arrow
    EXPECT_EQ(m_bar->GetScrollPos(), 6.0f);
    Press(108, 108);  // first arrow
    Press(108, 108);
    EXPECT_EQ(m_bar->GetScrollPos(), 4.0f);
    Press(108, 292, true);
    EXPECT_EQ(m_bar->GetScrollPos(), 10.0f);
    Press(108, 108, true);
    EXPECT_EQ(m_bar->GetScrollPos(), 0.0f);
    Press(108, 108);  // held at 0
    EXPECT_EQ(m_bar->GetScrollPos(), 0.0f);
    // A percentage beyond the range is kept until an arrow brings it back.
    m_bar->SetScrollPercent(150);
    EXPECT_EQ(m_bar->GetScrollPos(), 15.0f);
    EXPECT_EQ(ThumbY(), 264);  // drawn at the end
    Press(108, 108);
    EXPECT_EQ(m_bar->GetScrollPos(), 10.0f);
}

TEST_F(ScrollBarTest, APressOnTheTrackJumpsThere) {
    // d = 284 - (y + 10): a press at y 190 leaves d 84 of the 148.
    Press(108, 190);
    EXPECT_FLOAT_EQ(m_bar->GetScrollPos(), (1.0f - 84.0f / kTrack) * 10.0f);
    Press(108, 118);  // d 156 is past the track: the start
    EXPECT_FLOAT_EQ(m_bar->GetScrollPos(), 0.0f);
    Press(108, 280);  // d below 0: no jump
    EXPECT_FLOAT_EQ(m_bar->GetScrollPos(), 0.0f);
}

TEST_F(ScrollBarTest, DraggingFollowsTheMouseOnlyWhileTheButtonIsHeld) {
    m_driver.UseCursor();
    m_driver.Press(0, 108, 120);  // on the thumb
    m_driver.Frame();
    m_driver.MoveTo(108, 200);
    m_driver.Frame();
    const float dragged = (1.0f - float(284 - 210) / kTrack) * 10.0f;
    EXPECT_FLOAT_EQ(m_bar->GetScrollPos(), dragged);
    m_driver.Release(0, 108, 200);
    m_driver.Frame();
    m_driver.MoveTo(108, 130);
    m_driver.Frame();
    EXPECT_FLOAT_EQ(m_bar->GetScrollPos(), dragged);
}

TEST_F(ScrollBarTest, TheWheelScrollsOnlyLevelWithTheTrack) {
    m_bar->SetScrollPos(5);
    m_driver.MoveTo(50, 150);  // the wheel turns where the mouse is
    m_driver.Wheel(50, 150, 1);
    m_driver.Frame();
    EXPECT_EQ(m_bar->GetScrollPos(), 4.0f);
    m_driver.MoveTo(50, 350);
    m_driver.Wheel(50, 350, -1);  // over the window, below the second arrow
    m_driver.Frame();
    EXPECT_EQ(m_bar->GetScrollPos(), 4.0f);
    m_bar->SetStep(2);
    m_driver.MoveTo(50, 284);
    m_driver.Wheel(50, 284, -1);  // the band includes the second arrow's top
    m_driver.Frame();
    EXPECT_EQ(m_bar->GetScrollPos(), 6.0f);
    m_bar->SetOrientation(0);  // horizontal bars ignore the wheel
    m_driver.MoveTo(50, 150);
    m_driver.Wheel(50, 150, -1);
    m_driver.Frame();
    EXPECT_EQ(m_bar->GetScrollPos(), 6.0f);
}

TEST_F(ScrollBarTest, ATrackWithoutLengthActsAsZero) {
    // Arrows that overlap leave no track (L would be -22); the strip right of
    // the 16-pixel parts is the bar's own.
    m_bar->SetBarRect(100, 100, 140, 130);
    EXPECT_EQ(m_bar->TrackLength(), 0);
    m_bar->SetScrollPos(5);
    EXPECT_EQ(ThumbY(), 114 - 20);  // pos(second arrow) - size(thumb)
    Press(130, 100);                // d = 114 - (100 + 10) = 4, within the thumb: to the end
    EXPECT_EQ(m_bar->GetScrollPos(), 10.0f);
}

TEST(ScrollBarPartsTest, WithoutItsPartsTheThumbSitsAtTheBar) {
    qmtest::WindowDriver driver;
    CScrollBar bar;
    auto* thumb = static_cast<CButton*>(driver.Mgr().CreateControl("THUMB", CONTROL_BUTTON, 0));
    thumb->SetImage(10, 10, "");
    bar.SetParts(nullptr, nullptr, thumb);
    bar.SetBarRect(40, 50, 50, 150);
    EXPECT_EQ(thumb->GetX(), 40);
    EXPECT_EQ(thumb->GetY(), 50);
    EXPECT_EQ(bar.TrackLength(), 0);
    EXPECT_TRUE(bar.OnMouseWheel(45, 60, 1, nullptr));
}

}  // namespace
