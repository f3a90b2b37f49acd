// The number input window over the text input manager, driven by scripted
// keys and clicks and a fake clock.
#include "ui/number_input_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "tests/ui/test_windows.h"
#include "tests/ui/text_entry_fixture.h"
#include "ui/button.h"
#include "ui/edit_box.h"

using uitest::TestWindow;

namespace {

constexpr uint8_t kScanEnter = 0x1C, kScanEscape = 0x01;
constexpr uint32_t kParameter = 77, kKind = 9;

// The window at (100, 100), its buttons given plain faces (the left arrow at
// (103, 111), the right at (210, 111), OK at (227, 111)), opened for the
// owner's port. Presses on it come with the window pinned under the cursor,
// as the game's cursor does (else a press hides it as any hide-on-click window).
class NumberInputTest : public TextEntryTest {
protected:
    NumberInputTest() {
        m_owner = m_driver.Add(new TestWindow("OWNER", 0, 0, 10, 10));
        m_window = m_driver.Add(new CNumberInputWindow);
        m_window->SetKindId(kKind);
        for (CButton* button : {m_window->GetLeftArrow(), m_window->GetRightArrow(), m_window->GetOkButton()})
            button->SetImage(12, 12, "");
        m_window->SetPosition(100, 100);
        m_window->SetNotify(1, m_owner->GetPort(), kParameter);
        m_window->SetActive(true, false);
        Box()->SetActive(true, false);
        m_driver.UseCursor();
    }
    void Press(int32_t x, int32_t y) {
        m_driver.Cursor().m_held.Assign(m_window);
        m_driver.Press(0, x, y);
    }
    void Click(int32_t x, int32_t y) {
        Press(x, y);
        m_driver.Release(0, x, y);
        m_driver.Frame();
    }
    CEditBox* Box() { return m_window->GetEditBox(); }
    std::string Native() { return plat::GetWindowText(Ime().GetWindow()); }
    // Types the digits over the box's text and presses Enter in the same frame.
    void Enter(const std::string& digits) {
        Ime().SetSelection(0, -1);
        m_driver.Chars(digits);
        m_driver.Key(kScanEnter, plat::VK_RETURN);
        m_driver.Frame();
    }
    // The outcomes the owner received: their extra words.
    std::vector<uint32_t> Outcomes() {
        std::vector<uint32_t> extras;
        while (CMsg* msg = m_owner->GetPort()->Pop()) {
            EXPECT_EQ(msg->m_eventId, NUMBER_INPUT_OUTCOME);
            EXPECT_EQ(msg->m_senderId, kKind);
            EXPECT_EQ(msg->m_pPayload, nullptr);
            auto* word = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
            EXPECT_TRUE(word && word->m_value == kParameter);
            extras.push_back(msg->m_extra);
            delete msg;
        }
        return extras;
    }

    TestWindow* m_owner = nullptr;
    CNumberInputWindow* m_window = nullptr;
};

TEST_F(NumberInputTest, MadeWithItsControls) {
    EXPECT_STREQ(m_window->GetName(), "NUMBER_EDIT_CONTROL");
    EXPECT_STREQ(m_window->GetOkButton()->GetName(), "NUMBER_EDIT_CONTROL_OK_BTN");
    EXPECT_STREQ(m_window->GetLeftArrow()->GetName(), "CHAR_INFO_WND_LEFT_ARROW_BUTTON");
    EXPECT_STREQ(m_window->GetRightArrow()->GetName(), "CHAR_INFO_WND_RIGHT_ARROW_BUTTON");
    EXPECT_TRUE(m_window->GetLeftArrow()->IsToolTipOn());
    EXPECT_TRUE(m_window->m_draggable && m_window->m_hideOnClick && m_window->m_pickable &&
                m_window->m_fixedOrder);
    EXPECT_TRUE(Box()->IsNumeric());
    EXPECT_EQ(Box()->GetMaxLength(), NUMBER_INPUT_MAX_DIGITS);
    EXPECT_EQ(Box()->GetParent(), m_window);
    EXPECT_EQ(m_window->GetRightArrow()->GetX(), 210);
    Box()->UpdateRect();
    EXPECT_EQ(Box()->GetRect(), (WindowRect{117, 108, 208, 127}));
    EXPECT_EQ(m_window->GetMaximum(), 255u);
    m_window->SetPosition(-5, -9);  // never off the top left
    EXPECT_EQ(m_window->GetX(), 0);
    EXPECT_EQ(m_window->GetLeftArrow()->GetY(), 11);
}

TEST_F(NumberInputTest, EnterTakesAValueWithinTheRange) {
    m_window->SetRange(20, 1);
    struct Case {
        std::string typed;
        std::string shown;
        bool open;
    } cases[] = {{"25", "20", true}, {"0", "1", true}, {"7", "7", false}};
    for (const Case& c : cases) {
        Enter(c.typed);
        EXPECT_EQ(Native(), c.shown) << c.typed;
        EXPECT_EQ(m_window->IsDrawOn(), c.open) << c.typed;
    }
    EXPECT_EQ(m_window->GetValue(), 7u);
    EXPECT_EQ(m_window->GetResult(), 1);
    EXPECT_EQ(Outcomes(), std::vector<uint32_t>{1});
    EXPECT_FALSE(Box()->IsActiveFlag());
    EXPECT_FALSE(System().m_textInput);
}

TEST_F(NumberInputTest, EscapeCancels) {
    m_driver.Chars("12");
    m_driver.Key(kScanEscape, plat::VK_ESCAPE);
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_EQ(m_window->GetResult(), 0);
    EXPECT_EQ(Outcomes(), std::vector<uint32_t>{0});
    // Shown again, the box takes the keyboard again.
    m_window->Show();
    EXPECT_TRUE(Box()->IsActiveFlag());
    EXPECT_TRUE(System().m_textInput);
    m_window->SetNotify(0, m_owner->GetPort(), kParameter);  // no notice asked for
    m_driver.Key(kScanEscape, plat::VK_ESCAPE);
    m_driver.Frame();
    EXPECT_TRUE(Outcomes().empty());
}

TEST_F(NumberInputTest, ArrowsStepWithinTheRange) {
    m_window->SetRange(5, 0);
    struct Case {
        uint32_t start;
        int32_t arrowX;
        const char* shown;
    } cases[] = {{1, 105, ""},  // 0 reads as an empty box; below it the value does not wrap round
                 {0, 105, ""},
                 {3, 105, "2"},
                 {3, 212, "4"},
                 {5, 212, "5"}};
    for (const Case& c : cases) {
        m_window->SetNumber(c.start, false);
        Click(c.arrowX, 115);
        EXPECT_STREQ(Box()->GetCurrentText(), c.shown) << c.start << " " << c.arrowX;
        EXPECT_EQ(m_edit.GetCaret(), int32_t(std::string(c.shown).size()));  // at the end
    }
    // OK takes the value.
    Click(229, 115);
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_EQ(m_window->GetValue(), 5u);
    EXPECT_EQ(Outcomes(), std::vector<uint32_t>{1});
}

TEST_F(NumberInputTest, RepeatIntervalsShortenWhileHeld) {
    struct Case {
        uint32_t held;
        int32_t interval;
    } cases[] = {{0, 700},    {1999, 700}, {2000, 500}, {2999, 500}, {3000, 300},
                 {3999, 300}, {4000, 10},  {5000, 10},  {60000, 10}, {4294967295u, 10}};
    for (const Case& c : cases) EXPECT_EQ(CNumberInputWindow::RepeatInterval(c.held), c.interval) << c.held;
}

// Held on the right arrow with the mouse moving over it, frame by frame of 10 ms.
TEST_F(NumberInputTest, AHeldArrowRepeatsFasterAndFaster) {
    m_window->SetRange(100000, 0);
    m_window->SetNumber(0, false);
    m_driver.SetFrameTime(10);
    Press(212, 115);
    m_driver.Frame();
    std::vector<uint32_t> stepTimes;
    uint32_t last = 0;
    const uint32_t start = plat::timeGetTime();
    for (int frame = 0; frame < 500; ++frame) {
        m_driver.MoveTo(212 + frame % 2, 115);
        m_driver.Frame();
        const uint32_t value = uint32_t(Box()->GetNumber());
        if (value != last) stepTimes.push_back(plat::timeGetTime() - start);
        last = value;
    }
    ASSERT_GE(stepTimes.size(), 6u);
    std::vector<uint32_t> gaps;
    for (size_t i = 1; i < stepTimes.size(); ++i) gaps.push_back(stepTimes[i] - stepTimes[i - 1]);
    // 700 ms apart in the first two seconds, 500 in the third, 300 in the
    // fourth (each passed by one frame), then every other frame.
    EXPECT_EQ(stepTimes.front(), 710u);
    EXPECT_EQ(gaps[0], 710u);
    for (size_t i = 0; i < gaps.size(); ++i) {
        const uint32_t at = stepTimes[i];
        const uint32_t next = stepTimes[i + 1];
        if (at < 2000 && next >= 2000) continue;  // a step across a change of pace
        if (at / 1000 != next / 1000 && next <= 4000) continue;
        const uint32_t expected = at < 2000 ? 710 : at < 3000 ? 510 : at < 4000 ? 310 : 20;
        EXPECT_EQ(gaps[i], expected) << "after the step at " << at;
    }
    EXPECT_GE(stepTimes.back(), 4900u);  // still stepping at the end
    // Let go: no more steps.
    m_driver.Release(0, 212, 115);
    m_driver.Frame();
    const int32_t held = Box()->GetNumber();
    m_driver.MoveTo(213, 115);
    m_driver.Frame(5);
    EXPECT_EQ(Box()->GetNumber(), held);
}

}  // namespace
