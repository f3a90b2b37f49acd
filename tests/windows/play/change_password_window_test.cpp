// The password change: the request it sends, the check of the repeated
// password, Tab between the boxes, and its answers.
#include "windows/play/change_password_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/keyboard.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/message_box.h"
#include "windows/play/login_window.h"

using playtest::PlayWindowTest;

namespace {

class ChangePasswordTest : public PlayWindowTest {
protected:
    ChangePasswordTest() {
        Connect();
        m_login = m_driver.Add(new CInsertAccountWindow);
        m_login->OpenChangePassword();
        m_window = m_login->GetChangePassword();
    }
    void Fill(const char* repeat) {
        m_window->GetBox(CChangePasswordWindow::kAccount)->SetText("alice");
        m_window->GetBox(CChangePasswordWindow::kPassword)->SetText("old");
        m_window->GetBox(CChangePasswordWindow::kNewPassword)->SetText("new1");
        m_window->GetBox(CChangePasswordWindow::kRepeat)->SetText(repeat);
    }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }

    CInsertAccountWindow* m_login = nullptr;
    CChangePasswordWindow* m_window = nullptr;
};

TEST_F(ChangePasswordTest, AMismatchShowsABoxAndSendsNothing) {
    Fill("new2");
    const size_t queued = GameSession().QueuedMessages();
    const int32_t boxes = MessageBoxes();
    m_window->Submit();
    EXPECT_EQ(GameSession().QueuedMessages(), queued);
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_FALSE(m_window->IsWaiting());
}

TEST_F(ChangePasswordTest, TheChangeGoesOutWithTheThreeTexts) {
    Fill("new1");
    const size_t queued = GameSession().QueuedMessages();
    m_window->Submit();
    ASSERT_EQ(GameSession().QueuedMessages(), queued + 1);
    EXPECT_EQ(
        GameSession().QueuedMessage(queued),
        (std::vector<uint8_t>{38, 5, 'a', 'l', 'i', 'c', 'e', 3, 'o', 'l', 'd', 4, 'n', 'e', 'w', '1'}));
    EXPECT_TRUE(m_window->IsWaiting());
    EXPECT_FALSE(m_window->GetConfirmButton()->IsInputOn());
}

TEST_F(ChangePasswordTest, TabCyclesThroughTheFourBoxes) {
    ASSERT_TRUE(m_window->GetBox(CChangePasswordWindow::kAccount)->IsFocused());
    for (int expected : {1, 2, 3, 0}) {
        Key(playtest::kScanTab, plat::VK_TAB);
        EXPECT_TRUE(m_window->GetBox(CChangePasswordWindow::Box(expected))->IsFocused()) << expected;
    }
}

TEST_F(ChangePasswordTest, AnAcceptedChangeReopenedStaysOpen) {
    Fill("new1");
    m_window->Submit();
    GameSession().PostSessionNotice(1, 1, "");
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_FALSE(m_window->IsWaiting());
    m_login->OpenChangePassword();
    m_driver.Frame(2);
    EXPECT_TRUE(m_window->IsDrawOn());
    EXPECT_STREQ(m_window->GetBox(CChangePasswordWindow::kAccount)->GetCurrentText(), "");
}

TEST_F(ChangePasswordTest, ARefusalOrALostConnectionEndsTheWait) {
    Fill("new1");
    m_window->Submit();
    GameSession().PostSessionNotice(1, 0, "no");
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsWaiting());
    EXPECT_TRUE(m_window->IsDrawOn());
    EXPECT_TRUE(m_window->GetConfirmButton()->IsInputOn());

    GameSession().PostSessionNotice(0, 0, nullptr);
    m_window->Submit();
    const int32_t boxes = MessageBoxes();
    g_connection->Close();
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsWaiting());
    EXPECT_EQ(MessageBoxes(), boxes + 1);  // the time-out box
}

}  // namespace
