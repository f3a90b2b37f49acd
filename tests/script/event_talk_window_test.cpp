// The event talk window driven through the input queue: Enter shows a page
// still typing whole and, on a complete page, reads on; the pages of a long
// line; a page left alone reads on by itself; boxes at one anchor stand side
// by side.
#include "script/event_talk_window.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard.h"
#include "tests/support/window_driver.h"

namespace {

constexpr uint8_t kEnterScan = 0x1C;

// A text of n laid-out lines in the columns.
std::string Lines(int n, int columns) {
    std::string text;
    for (int i = 0; i < n; ++i) text += std::string(size_t(columns - 2), 'a' + char(i)) + " ";
    return text;
}

class TalkWindowTest : public ::testing::Test {
protected:
    void Enter() {
        m_driver.Key(kEnterScan, plat::VK_RETURN);
        m_driver.Frame();
    }
    qmtest::WindowDriver m_driver;
    CEventTalkWindow* m_talk = m_driver.Add(new CEventTalkWindow);
};

TEST_F(TalkWindowTest, PagesAdvanceWithEnter) {
    struct Case {
        uint32_t mode;
        int lines;
        int advances;  // complete pages read on before the line is done
    };
    for (const Case c : {Case{0, 4, 1}, Case{2, 7, 3}}) {
        ASSERT_TRUE(m_talk->AddLine(0, c.mode, nullptr, "Elder",
                                    Lines(c.lines, c.mode == 0 ? 90 : 38).c_str(), 0, 0));
        m_driver.Frame();
        EXPECT_TRUE(m_talk->IsDrawOn());
        for (int page = 0; page < c.advances; ++page) {
            Enter();  // the typing page whole
            EXPECT_FALSE(m_talk->IsLineDone(nullptr)) << c.mode << " page " << page;
            Enter();  // reads on
            const bool done = m_talk->IsLineDone(nullptr);
            EXPECT_EQ(done, page == c.advances - 1) << c.mode << " page " << page;
        }
        m_talk->ClearLines();
        m_driver.Frame();
        EXPECT_FALSE(m_talk->IsDrawOn());
    }
}

TEST_F(TalkWindowTest, ACompletePageLeftAloneReadsOn) {
    ASSERT_TRUE(m_talk->AddLine(0, 0, nullptr, "", "A short line.", 0, 0));
    Enter();
    EXPECT_FALSE(m_talk->IsLineDone(nullptr));
    m_driver.SetFrameTime(5000);
    m_driver.Frame(2);
    EXPECT_FALSE(m_talk->IsLineDone(nullptr));
    m_driver.Frame(1);
    EXPECT_TRUE(m_talk->IsLineDone(nullptr));
}

TEST_F(TalkWindowTest, TheSeventeenthLineAndEmptyTextsAreRefused) {
    EXPECT_FALSE(m_talk->AddLine(0, 0, nullptr, "", "", 0, 0));
    for (int i = 0; i < EVENT_TALK_LINES; ++i) EXPECT_TRUE(m_talk->AddLine(0, 3, nullptr, "", "x", 0, 0));
    EXPECT_FALSE(m_talk->AddLine(0, 3, nullptr, "", "x", 0, 0));
}

TEST_F(TalkWindowTest, BoxesAtOneAnchorStandSideBySide) {
    ASSERT_TRUE(m_talk->AddLine(0, 3, nullptr, "", "first", 0, 0));
    ASSERT_TRUE(m_talk->AddLine(0, 3, nullptr, "", "second", 0, 0));
    EXPECT_EQ(m_talk->Line(0).y, m_talk->Line(1).y);
    EXPECT_EQ(std::abs(m_talk->Line(1).x - m_talk->Line(0).x), 159 + 10);
}

TEST_F(TalkWindowTest, ANoticeClosesOnlyForItsOwner) {
    m_talk->SetNotice("Hear ye", 0, 7, 0);
    m_talk->SetNotice(nullptr, 0, 8, 0);
    EXPECT_EQ(m_talk->NoticeState(), 1);
    m_talk->SetNotice(nullptr, 0, 7, 0);
    EXPECT_EQ(m_talk->NoticeState(), 2);
}

}  // namespace
