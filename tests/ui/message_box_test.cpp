// The message box driven by scripted keys and clicks: answers by mouse and
// key, notify messages, server boxes, layout, resizing, scrolling, links, the
// trade notices and the connection-lost box.
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "graphics/display_settings.h"
#include "platform/keyboard.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/ui_requests.h"

using uitest::GiveFaces;
using uitest::TestWindow;

namespace {

constexpr uint8_t kScanEnter = 0x1C, kScanEscape = 0x01;
constexpr int32_t kBackgroundHeight = 20;

struct RecordingRequests : IUiRequests {
    void SendMessageBoxReply(uint32_t boxId, const char* answer) override {
        replies.emplace_back(boxId, answer);
    }
    void SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) override {
        drops.push_back({slot, count, value});
    }
    std::vector<std::pair<uint32_t, std::string>> replies;
    struct Drop {
        uint8_t slot;
        uint16_t count;
        uint32_t value;
        bool operator==(const Drop&) const = default;
    };
    std::vector<Drop> drops;
};

std::string Rows(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += (i ? "</n>row " : "row ") + std::to_string(i);
    return text;
}

class MessageBoxTest : public ::testing::Test {
protected:
    MessageBoxTest() {
        GetDisplaySettings() = CDisplaySettings{};
        m_owner = m_driver.Add(new TestWindow("OWNER", 0, 0, 10, 10));
        m_driver.UseCursor();
    }
    CMessageBox* Open(const char* text, bool ok, bool cancel, bool autoClose) {
        auto* box = new CMessageBox(text, ok, cancel, autoClose, 0);
        GiveFaces(box, kBackgroundHeight);
        box->SetPosition(100, 100);
        m_driver.Add(box);
        box->SetActive(true, false);
        return box;
    }
    void Key(uint8_t scan, uint8_t key) {
        m_driver.Key(scan, key);
        m_driver.Frame();
    }
    void ClickOn(CBaseWindow* control) {
        control->UpdateRect();
        m_driver.Click(0, control->GetRect().left + 2, control->GetRect().top + 2);
        m_driver.Frame();
    }
    // The answers the owner received: (parameter word, extra).
    std::vector<std::pair<uint32_t, uint32_t>> Answers(uint32_t sender) {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        while (CMsg* msg = m_owner->GetPort()->Pop()) {
            EXPECT_EQ(msg->m_eventId, MESSAGE_BOX_ANSWER);
            EXPECT_EQ(msg->m_senderId, sender);
            auto* word = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
            out.emplace_back(word ? word->m_value : 9999u, msg->m_extra);
            delete msg;
        }
        return out;
    }

    qmtest::WindowDriver m_driver;
    TestWindow* m_owner = nullptr;
};

TEST_F(MessageBoxTest, MadeWithItsPartsAndLaidOut) {
    CMessageBox* box = Open("hello", true, true, false);
    EXPECT_STREQ(box->GetName(), "MESSAGE_BOX");
    EXPECT_STREQ(box->GetScrollBar()->GetName(), "MSG_BOX_SCROLLBAR");
    EXPECT_STREQ(box->GetGrip()->GetName(), "MESSAGEBOX_DOWN_BTN");
    EXPECT_STREQ(box->GetOkButton()->GetName(), "MESSAGEBOX_OK_BTN");
    EXPECT_STREQ(box->GetCancelButton()->GetName(), "MESSAGEBOX_CANCEL_BTN");
    EXPECT_EQ(box->GetResult(), MESSAGE_BOX_RESULT_NONE);
    EXPECT_EQ(box->GetVisibleRows(), 3);
    // Grip under three rows and the buttons' strip; the buttons just above it.
    EXPECT_EQ(box->GetGripY(), 100 + kBackgroundHeight + 3 * 14 + 18);
    EXPECT_EQ(box->GetOkButton()->GetX(), 231);
    EXPECT_EQ(box->GetCancelButton()->GetX(), 276);
    EXPECT_EQ(box->GetOkButton()->GetY(), box->GetGripY() - 17);
    EXPECT_EQ(box->GetScrollBar()->GetX(), 324);
    box->UpdateRect();
    EXPECT_EQ(box->GetRect(), (WindowRect{100, 100, 340, box->GetGripY() + 8}));
    box->SetButtons(true, false, 0);  // OK alone sits on the right
    EXPECT_EQ(box->GetOkButton()->GetX(), 276);
    box->SetButtons(false, false, 0);
    EXPECT_EQ(box->GetGripY(), 100 + kBackgroundHeight + 3 * 14 + 4);
    // A box whose grip would leave the screen sits on the screen's bottom edge.
    box->SetPosition(100, 590);
    EXPECT_EQ(box->GetGripY() + 8, 600);
    EXPECT_EQ(box->GetY(), 600 - 8 - (kBackgroundHeight + 3 * 14 + 4));
    uint32_t a = 1, b = 1;
    box->GetResultTargets(&a, nullptr);
    box->SetUserWords(5, 6);
    box->GetResultTargets(nullptr, &b);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 6u);
}

TEST_F(MessageBoxTest, KeysAnswerAndCloseByTheButtonsShown) {
    struct Case {
        bool cancel;
        uint8_t scan, key;
        int32_t result;
        bool open;
    } cases[] = {
        {false, kScanEnter, plat::VK_RETURN, 1, false},  // OK alone: both keys close
        {false, kScanEscape, plat::VK_ESCAPE, 1, false},
        {true, kScanEnter, plat::VK_RETURN, 1, true},  // OK and CANCEL, no auto-close
        {true, kScanEscape, plat::VK_ESCAPE, 0, false},
    };
    for (const Case& c : cases) {
        CMessageBox* box = Open("question", true, c.cancel, false);
        Key(c.scan, c.key);
        EXPECT_EQ(box->GetResult(), c.result) << int(c.key) << c.cancel;
        EXPECT_EQ(box->IsDrawOn(), c.open) << int(c.key) << c.cancel;
        m_driver.Mgr().RemoveWindow(box);
    }
}

TEST_F(MessageBoxTest, MouseAnswersNotifyTheirTargetsEachTime) {
    CMessageBox* box = Open("question", true, true, false);
    box->SetKindId(31);
    box->SetOkNotify(true, m_owner->GetPort(), 70);
    box->SetCancelNotify(true, m_owner->GetPort(), 71);
    ClickOn(box->GetOkButton());
    EXPECT_EQ(box->GetResult(), 1);
    EXPECT_TRUE(box->IsDrawOn());  // stays until its owner closes it
    box->SetResult(MESSAGE_BOX_RESULT_NONE);
    ClickOn(box->GetCancelButton());
    ClickOn(box->GetOkButton());
    EXPECT_EQ(Answers(31), (std::vector<std::pair<uint32_t, uint32_t>>{{70, 1}, {71, 0}, {70, 1}}));
    // Hide-on-answer closes it; a target that is off posts nothing.
    box->SetOkNotify(false, m_owner->GetPort(), 70);
    box->SetHideOnAnswer(true);
    ClickOn(box->GetOkButton());
    EXPECT_FALSE(box->IsDrawOn());
    EXPECT_TRUE(Answers(31).empty());
}

TEST_F(MessageBoxTest, AServerBoxAnswersTheServer) {
    RecordingRequests requests;
    ScopedUiRequests use(requests);
    CMessageBox* box = Open("server asks", true, true, true);
    box->SetOkNotify(true, m_owner->GetPort(), 1);
    EXPECT_TRUE(box->SetReplyId(4001));
    EXPECT_TRUE(box->SetTexts("yes please", "no thanks"));
    EXPECT_FALSE(box->SetTexts(nullptr, "other"));  // keeps the two it has
    ClickOn(box->GetCancelButton());
    EXPECT_FALSE(box->IsDrawOn());
    EXPECT_EQ(requests.replies, (std::vector<std::pair<uint32_t, std::string>>{{4001, "no thanks"}}));
    EXPECT_TRUE(Answers(0).empty());  // the server's answer instead of the port's
}

TEST_F(MessageBoxTest, TheGripResizesByWholeRowsWithinItsLimits) {
    CMessageBox* box = Open(Rows(10).c_str(), true, false, false);
    EXPECT_EQ(box->GetTextRows(), 10);
    CButton* grip = box->GetGrip();
    auto drag = [&](int32_t dy) {
        const int32_t x = grip->GetX() + 5, y = grip->GetY() + 2;
        m_driver.Press(0, x, y);
        m_driver.Frame();
        m_driver.MoveTo(x, y + dy);
        m_driver.Frame();
        m_driver.Release(0, x, y + dy);
        m_driver.Frame();
    };
    drag(5 * 14);
    EXPECT_EQ(box->GetVisibleRows(), 8);
    drag(-200);  // above the minimum: snaps back to three rows
    EXPECT_EQ(box->GetVisibleRows(), 3);
    EXPECT_EQ(box->GetGripY(), 100 + kBackgroundHeight + 3 * 14 + 18);
    drag(400);  // below the text: stops at its ten rows
    EXPECT_EQ(box->GetVisibleRows(), 10);
    EXPECT_EQ(box->GetGripY(), 100 + kBackgroundHeight + 10 * 14 + 18);
}

TEST_F(MessageBoxTest, ScrollingShowsTheLastRowsAndNoFurther) {
    CMessageBox* box = Open(Rows(10).c_str(), true, false, false);
    m_driver.Frame();
    EXPECT_EQ(box->GetScrollBar()->GetMaximum(), 7);
    for (float percent : {100.0f, 150.0f, 1e9f}) {
        box->GetScrollBar()->SetScrollPercent(percent);
        m_driver.Frame();
        int32_t first = -1, count = -1;
        box->GetDrawnRows(&first, &count);
        EXPECT_EQ(first, 7) << percent;
        EXPECT_EQ(count, 3) << percent;
    }
    box->GetScrollBar()->SetScrollPercent(0.0f);
    m_driver.Frame();
    EXPECT_EQ(box->GetFirstRow(), 0);
    // A text of more rows than the grid holds shows no row past the last.
    box->ClearText();
    box->AddText(Rows(60).c_str(), kRichWhite);
    box->GetScrollBar()->SetScrollPercent(100.0f);
    m_driver.Frame();
    int32_t first = -1, count = -1;
    box->GetDrawnRows(&first, &count);
    EXPECT_EQ(first + count, 40);
}

TEST_F(MessageBoxTest, LinkedWindowsOpenAtThePointerAndCloseWithTheBox) {
    CMessageBox* box = Open(nullptr, true, false, false);
    auto* first = m_driver.Add(new TestWindow("LINK_A", 0, 0, 50, 50));
    auto* second = m_driver.Add(new TestWindow("LINK_B", 0, 0, 50, 50));
    second->Show();
    box->AddText("item", kRichWhite, first);
    box->AddText("other", kRichWhite, second, 1);
    first->Hide();
    // The run "item" sits at (110, text top) for four 6-pixel columns.
    const int32_t top = 100 + kBackgroundHeight + 4;
    m_driver.Click(1, 115, top + 3);  // the right button opens nothing
    m_driver.Frame();
    EXPECT_FALSE(first->IsDrawOn());
    EXPECT_TRUE(second->IsDrawOn());
    m_driver.Click(0, 115, top + 3);
    m_driver.Frame();
    EXPECT_TRUE(first->IsDrawOn());
    EXPECT_FALSE(second->IsDrawOn());
    EXPECT_EQ(first->GetX(), 115);
    m_driver.Mgr().RemoveWindow(second);  // a linked window that went is skipped
    box->Hide();
    EXPECT_FALSE(first->IsDrawOn());
}

TEST_F(MessageBoxTest, ClosingMessageBoxesSparesAKeptOne) {
    CMessageBoxFlags flags;
    ScopedMessageBoxState use(flags);
    CMessageBox* kept = Open("kept", true, false, false);
    kept->SetKept(true);
    Open("plain", true, false, false);
    m_driver.Mgr().CloseMessageBoxes();
    std::vector<CBaseWindow*> boxes;
    EXPECT_EQ(m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes), 1);
    EXPECT_EQ(boxes.front(), kept);
    // An auto-close box that stops updating is closed by the manager.
    CMessageBox* answered = Open("auto", true, false, true);
    Key(kScanEnter, plat::VK_RETURN);
    m_driver.Frame(2);
    EXPECT_EQ(m_driver.Mgr().HasWindow(answered), nullptr);
}

TEST_F(MessageBoxTest, TradeNoticesShowTheirRowsButtonsAndSounds) {
    std::vector<std::string> rows(80);
    for (int i = 0; i < 80; ++i) rows[size_t(i)] = "t" + std::to_string(i);
    rows[59] = "pay %u?";
    rows[75] = "made %s";
    qmtest::ScopedTextTables tables({{14, rows}});
    uitest::RecordingSound sound;
    ScopedUiSound useSound(sound);
    struct Case {
        TradeNotice notice;
        uint32_t value;
        const char* text;
        bool cancel;
        uint32_t boxId;
        const char* sound;
    } cases[] = {
        {TradeNotice::kPlain1, 0, "t58", false, 30, nullptr},
        {TradeNotice::kQuestion, 1200, "pay 1200?", true, 3, nullptr},
        {TradeNotice::kDealDone, 0, "t60", false, 6, "DealSuccess"},
        {TradeNotice::kDealRefused, 0, "t62", false, 5, "DealFailed"},
        {TradeNotice::kGraded, 9, "t66", false, 30, nullptr},
        {TradeNotice::kGraded, 10, "t67", false, 30, nullptr},
        {TradeNotice::kGraded, 89, "t71", false, 30, nullptr},
        {TradeNotice::kGraded, 100, "t72", false, 30, nullptr},
        {TradeNotice::kGraded, 129, "t73", false, 30, nullptr},
        {TradeNotice::kMixFailed, 0, "t74", false, 30, "MixFailed"},
        {TradeNotice::kMixSucceeded, 123, "t76", false, 30, "MixSuccess"},  // no such item
        {TradeNotice::kPlain2, 0, "t63", false, 30, nullptr},
        {TradeNotice::kPlain4, 0, "t78", false, 30, nullptr},
        {TradeNotice::kQuestion2, 7, "t79", true, 7, nullptr},
    };
    CMessageBox* box = Open(nullptr, false, false, false);
    for (const Case& c : cases) {
        sound.names.clear();
        box->Hide();
        ASSERT_TRUE(box->ShowTradeNotice(c.notice, c.value)) << c.text;
        const auto& runs = box->Text().Row(0);
        ASSERT_EQ(runs.size(), 1u) << c.text;
        EXPECT_STREQ(runs.front().text, c.text);
        EXPECT_TRUE(box->IsDrawOn() && box->IsActiveFlag()) << c.text;
        EXPECT_TRUE(box->GetOkButton()->IsDrawOn());
        EXPECT_EQ(box->GetCancelButton()->IsDrawOn(), c.cancel) << c.text;
        EXPECT_EQ(box->GetKindId(), c.boxId) << c.text;
        EXPECT_EQ(sound.names, c.sound ? std::vector<std::string>{c.sound} : std::vector<std::string>{})
            << c.text;
    }
    // Centred: half the screen minus half the box, each taken apart.
    box->UpdateRect();
    EXPECT_EQ(box->GetX(), 400 - 240 / 2);
    EXPECT_EQ(box->GetY(), 300 - kBackgroundHeight / 2) << "by the picture, not the rows below it";
    // Graded values without a notice show nothing.
    box->Hide();
    for (uint32_t value : {101u, 127u, 130u, 255u})
        EXPECT_FALSE(box->ShowTradeNotice(TradeNotice::kGraded, value));
    EXPECT_FALSE(box->IsDrawOn());
}

TEST_F(MessageBoxTest, ALostConnectionShowsOneBox) {
    qmtest::ScopedTextTables tables({{0, {"", "", "", "", "", "", "", "", "", "", "connection lost"}}});
    CDisconnectNotice notice;
    notice.Show();
    notice.Show();  // the second report of the same loss
    std::vector<CBaseWindow*> boxes;
    ASSERT_EQ(m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes), 1);
    CMessageBox* box = notice.GetBox();
    EXPECT_EQ(boxes.front(), box);
    EXPECT_STREQ(box->Text().Row(0).front().text, "connection lost");
    EXPECT_EQ(box->GetKindId(), MESSAGE_BOX_DISCONNECT_KIND);
    EXPECT_TRUE(box->GetOkButton()->IsDrawOn());
    EXPECT_FALSE(box->GetCancelButton()->IsDrawOn());
    EXPECT_TRUE(box->IsDrawOn());
    // Once answered, a later loss shows a box again.
    box->SetActive(true, false);
    Key(kScanEnter, plat::VK_RETURN);
    notice.Show();
    EXPECT_EQ(m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes), 2);
}

TEST(AutoHideMessageBoxTest, LetsClicksPassAndKeepsItsText) {
    CAutoHideMessageBox box("gone soon");
    EXPECT_STREQ(box.GetName(), "AUTOHIDE_MESSAGE_BOX");
    EXPECT_STREQ(box.GetText(), "gone soon");
    EXPECT_TRUE(box.OnControlEvent(0, 1, 1, nullptr));
    CMessageBox plain;  // the all-zero box: no text, no buttons shown
    EXPECT_EQ(plain.Text().RowsUsed(), 0);
    EXPECT_FALSE(plain.GetOkButton()->IsDrawOn());
    EXPECT_FALSE(plain.GetCancelButton()->IsDrawOn());
}

}  // namespace
