// Tooltips with their frame animation, and the notice stack.
#include "ui/tooltip_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "tests/ui/test_windows.h"
#include "tests/ui/ui_picture_fixture.h"
#include "ui/ui_services.h"

namespace {

class ToolTipTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpUi(m_fakeFont);
    }
    plat::FakeFontBackend m_fakeFont;  // 6 pixels a byte in font 0
};

TEST_F(ToolTipTest, MadeHiddenWithItsFrames) {
    CToolTipWindow tip;
    EXPECT_STREQ(tip.GetName(), "TOOLTIPBOX");
    EXPECT_FALSE(tip.IsDrawOn());
    EXPECT_FALSE(tip.IsUpdateOn());
    EXPECT_EQ(tip.GetStackNumber(), 4);
    EXPECT_EQ(tip.GetKindId(), 0u);
    ASSERT_NE(tip.GetAniObject(), nullptr);
    EXPECT_EQ(tip.GetAniObject()->GetCurrentMotionId(), 0);
    EXPECT_EQ(tip.GetAniObject()->m_direction, TOOLTIP_RIGHT_CAP);
    ASSERT_NE(tip.GetTwoLineFrame(), nullptr);
    EXPECT_EQ(tip.GetTextColor(), 0xFFFFFFu);
    // A press on it is never taken.
    tip.SetText("hello", 0xFFFFFF);
    tip.SetPosition(100, 100);
    EXPECT_TRUE(tip.OnMouseDown(0, 100, 105, nullptr));
}

TEST_F(ToolTipTest, TextWiderThanTheScreenKeepsItsEndAfterDots) {
    CToolTipWindow tip;
    tip.SetText("hello", 0x00FF00);
    EXPECT_STREQ(tip.GetFirstLine(), "hello");
    EXPECT_TRUE(tip.IsDrawOn());
    EXPECT_EQ(tip.GetTextColor(), 0x00FF00u);
    EXPECT_EQ(tip.GetStartTime(), plat::timeGetTime());
    // 800 - 50 = 750 pixels: 125 bytes, "..." and the last 122.
    const std::string text = "START" + std::string(200, 'x') + "END";
    tip.SetText(text.c_str(), 0xFFFFFF);
    EXPECT_EQ(std::string(tip.GetFirstLine()), "..." + text.substr(text.size() - 122));
    // Very long text: only its end is measured, with the same result.
    const std::string huge = std::string(20000, 'y') + text;
    tip.SetText(huge.c_str(), 0xFFFFFF);
    EXPECT_EQ(std::string(tip.GetFirstLine()), "..." + text.substr(text.size() - 122));
    // An empty text hides it and keeps the rest.
    tip.SetText("", 0x123456);
    EXPECT_FALSE(tip.IsDrawOn());
    EXPECT_FALSE(tip.IsUpdateOn());
    EXPECT_EQ(tip.GetTextColor(), 0xFFFFFFu);
    // On a wide screen a line that fits keeps at most 255 bytes, cut between characters.
    GetDisplaySettings().screenWidth = 4000;
    tip.SetText((std::string(254, 'z') + "\x82\xA0").c_str(), 0xFFFFFF);
    EXPECT_EQ(std::string(tip.GetFirstLine()), std::string(254, 'z'));
    tip.SetSecondLine((std::string(300, 's')).c_str(), nullptr);
    EXPECT_EQ(std::string(tip.GetSecondLine()), std::string(255, 's'));
    tip.SetSecondLine(nullptr, nullptr);
    EXPECT_STREQ(tip.GetSecondLine(), "");
}

TEST_F(ToolTipTest, StylesColourAndFrameMotions) {
    CToolTipWindow tip;
    struct Case {
        uint8_t style;
        uint8_t stored;
        uint32_t colour;
        int32_t oneLineMotion, twoLineMotion;  // -1: the fixture has no such motion
    } cases[] = {
        {1, 1, 0x000000, 4, 1}, {0, 0, 0xFFFFFF, 0, 0}, {7, 7, 0x000000, -1, -1}, {9, 0, 0xFFFFFF, 0, 0}};
    for (const Case& c : cases) {
        tip.SetStyle(c.style);
        EXPECT_EQ(tip.GetStyle(), c.stored) << int(c.style);
        EXPECT_EQ(tip.GetTextColor(), c.colour) << int(c.style);
        EXPECT_EQ(tip.GetAniObject()->GetCurrentMotionId(), c.oneLineMotion) << int(c.style);
        EXPECT_EQ(tip.GetTwoLineFrame()->GetCurrentMotionId(), c.twoLineMotion) << int(c.style);
    }
}

TEST_F(ToolTipTest, OneLineLayoutStaysOnTheScreen) {
    CToolTipWindow tip;
    tip.SetText(std::string(20, 'a').c_str(), 0xFFFFFF);
    struct Case {
        int32_t x, y;
        int32_t textX, textY;
    } cases[] = {
        {400, 100, 340, 107},  // centred: 3 pixels a byte left of x
        {5, 100, 4, 107},      // pushed right: the 4-pixel left cap starts at 0
        {790, 100, 676, 107},  // pushed left: the right cap ends at 800
        {400, -1, 340, 7},     // no place of its own: under the cursor (none here: y 0)
    };
    for (const Case& c : cases) {
        tip.SetPosition(c.x, c.y);
        int32_t x = 0, y = 0;
        tip.GetTextPos(&x, &y);
        EXPECT_EQ(x, c.textX) << c.x;
        EXPECT_EQ(y, c.textY) << c.x;
    }
    // Drawn: the left cap from x 0, the right cap to 4 + 120 + 4.
    tip.SetPosition(5, 100);
    ClearTarget(0);
    tip.Draw();
    EXPECT_NE(TargetAt(0, 100), 0);
    EXPECT_NE(TargetAt(127, 110), 0);
    EXPECT_EQ(TargetAt(128, 110), 0);
    tip.UpdateRect();
    EXPECT_EQ(tip.GetRect(), (WindowRect{0, 100, 128, 124}));
}

TEST_F(ToolTipTest, HidesInUpdateWithoutAFirstLine) {
    CToolTipWindow tip;
    tip.Show();
    tip.Update();
    EXPECT_FALSE(tip.IsDrawOn());
    EXPECT_FALSE(tip.IsUpdateOn());
    tip.SetText("x", 0xFFFFFF);
    tip.SetUpdateOn(false);
    tip.Update();
    EXPECT_FALSE(tip.IsDrawOn());  // not updating, not drawn
}

TEST_F(ToolTipTest, TwoLinesWithAnIconAndWithoutAMiddlePiece) {
    CToolTipWindow tip;
    tip.SetText("first line", 0xFFFFFF);
    tip.SetPosition(400, 300);
    CAniObject icon;
    ASSERT_TRUE(icon.SetAnimation(kIconsAni));
    icon.SetMotion(5);
    tip.SetSecondLine("second", &icon);
    ClearTarget(0);
    tip.Draw();
    // m = 10 bytes, W = 60; left = 400 - (60 + 8) / 2 = 366; the icon at (376, 306).
    EXPECT_NE(TargetAt(366, 300), 0);
    EXPECT_NE(TargetAt(376 + 11, 306 + 11), 0);
    EXPECT_NE(TargetAt(366 + 8 + 60 + 7, 300), 0);  // the right piece after ten middle pieces
    EXPECT_STREQ(tip.GetSecondLine(), "");          // forgotten once drawn
    // A middle piece without width: the frame still draws, without middle pieces.
    tip.SetStyle(1);
    tip.SetSecondLine("second", nullptr);
    ClearTarget(0);
    tip.Draw();
    EXPECT_NE(TargetAt(366, 300), 0);
    EXPECT_NE(TargetAt(366 + 8, 300), 0);  // the right piece follows the left one
    EXPECT_EQ(TargetAt(366 + 16, 300), 0);
}

TEST(ToolTipStackTest, TheEleventhNoticeRemovesTheOldest) {
    GetDisplaySettings() = CDisplaySettings{};
    GetDisplaySettings().screenHeight = 600;
    uitest::RecordingSound sound;
    CToolTipStackWindow stack;
    EXPECT_STREQ(stack.GetName(), "TOOLTIPSTACKWIN");
    EXPECT_EQ(stack.GetBottomY(), 480);
    EXPECT_TRUE(stack.m_drawOnTop);
    EXPECT_TRUE(stack.m_keepOpen);
    stack.AddNotice("silent");  // no sound manager: nothing plays, nothing breaks
    {
        ScopedUiSound use(sound);
        for (int i = 1; i <= 10; ++i) stack.AddNotice(("notice " + std::to_string(i)).c_str());
    }
    EXPECT_EQ(stack.GetNoticeCount(), 10);
    ASSERT_EQ(stack.Children()->Count(), 10);
    auto* oldest = static_cast<CToolTipWindow*>(*stack.Children()->begin());
    EXPECT_STREQ(oldest->GetFirstLine(), "notice 1");
    EXPECT_EQ(sound.names, std::vector<std::string>(10, "AutoGetItem"));
    EXPECT_EQ(sound.plays.front(), (uitest::RecordingSound::Play{42, -1, -1, 1}));
    auto* newest = static_cast<CToolTipWindow*>(stack.Children()->Last()->m_pData);
    EXPECT_STREQ(newest->GetFirstLine(), "notice 10");
    EXPECT_TRUE(newest->m_forwardToParent);
    EXPECT_EQ(newest->GetX(), 10);
    EXPECT_EQ(newest->GetY(), 0);
}

TEST(ToolTipStackTest, NoticesSlideDownIntoPlace) {
    GetDisplaySettings() = CDisplaySettings{};
    GetDisplaySettings().screenHeight = 600;
    CToolTipStackWindow stack;
    stack.AddNotice("old");
    for (int i = 0; i < 200; ++i) stack.SetPosition(0, 0);
    stack.AddNotice("new");
    std::vector<int32_t> ys;
    for (int i = 0; i < 200; ++i) stack.SetPosition(0, 0);
    for (CBaseWindow* notice : *stack.Children()) ys.push_back(notice->GetY());
    EXPECT_EQ(ys, (std::vector<int32_t>{480, 458}));  // at the bottom line, and 22 above it
    stack.AddNotice("newer");
    stack.SetPosition(0, 0);
    ys.clear();
    for (CBaseWindow* notice : *stack.Children()) ys.push_back(notice->GetY());
    EXPECT_EQ(ys, (std::vector<int32_t>{480, 458, 5}));
}

}  // namespace
