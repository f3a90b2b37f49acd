// The new-account window: the name rule, the request it sends, its answers
// and the box they focus, Tab, and the account handed to the log-in window.
#include "windows/play/new_account_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/keyboard.h"
#include "platform/url.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/message_box.h"
#include "windows/play/login_window.h"

using playtest::PlayWindowTest;

namespace {

class NewAccountTest : public PlayWindowTest {
protected:
    NewAccountTest() {
        Connect();
        g_config.m_mailDomain = "@example.net";
        m_login = m_driver.Add(new CInsertAccountWindow);
        m_login->OpenNewAccount();
        m_window = m_login->GetNewAccount();
    }
    ~NewAccountTest() override { g_config.m_mailDomain.clear(); }
    void Fill(const char* account, const char* repeat = "pw") {
        const char* texts[CNewAccountWindow::kBoxCount] = {account, "pw", repeat, "mail", "x5"};
        for (int i = 0; i < CNewAccountWindow::kBoxCount; ++i)
            m_window->GetBox(CNewAccountWindow::Box(i))->SetText(texts[i]);
    }
    bool Focused(CNewAccountWindow::Box box) { return m_window->GetBox(box)->IsFocused(); }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }

    CInsertAccountWindow* m_login = nullptr;
    CNewAccountWindow* m_window = nullptr;
};

TEST(AccountNameTest, OnlyAsciiLettersAndDigits) {
    EXPECT_TRUE(CheckAccountName("Alice99"));
    for (const char* name : {"", "al ice", "alice!", "al_ice", "\x82\xA0", "\xC1", "\xB1"})
        EXPECT_FALSE(CheckAccountName(name)) << name;
}

TEST_F(NewAccountTest, ARefusedNameOrAMismatchSendsNothing) {
    const size_t queued = GameSession().QueuedMessages();
    for (const char* name : {"al ice", "alice!"}) {
        SCOPED_TRACE(name);
        Fill(name);
        m_window->SubmitNewAccount();
        EXPECT_TRUE(Focused(CNewAccountWindow::kAccount));
        EXPECT_STREQ(m_window->GetMessageLine(), "14/440");
    }
    Fill("alice", "pw2");
    m_window->SubmitNewAccount();
    EXPECT_TRUE(Focused(CNewAccountWindow::kPassword));
    EXPECT_STREQ(m_window->GetMessageLine(), "14/333");
    EXPECT_EQ(GameSession().QueuedMessages(), queued);
    EXPECT_FALSE(m_window->IsWaiting());
}

TEST_F(NewAccountTest, TheCreationGoesOutInItsOrder) {
    Fill("alice");
    const size_t queued = GameSession().QueuedMessages();
    m_window->SubmitNewAccount();
    ASSERT_EQ(GameSession().QueuedMessages(), queued + 1);
    std::vector<uint8_t> expected = {2, 5, 'a', 'l', 'i', 'c', 'e', 2, 'p', 'w', 0, 16};
    for (char c : std::string("mail@example.net")) expected.push_back(uint8_t(c));
    for (uint8_t b :
         {uint8_t(2), uint8_t('x'), uint8_t('5'), uint8_t(1), uint8_t(0), uint8_t(0), uint8_t(0), uint8_t(0)})
        expected.push_back(b);
    EXPECT_EQ(GameSession().QueuedMessage(queued), expected);
    EXPECT_TRUE(m_window->IsWaiting());
}

TEST_F(NewAccountTest, RefusalsOf60And61Bytes) {
    for (size_t length : {size_t(60), size_t(61)}) {
        SCOPED_TRACE(length);
        const std::string text(length, 'r');
        Fill("alice");
        m_window->SubmitNewAccount();
        const int32_t boxes = MessageBoxes();
        GameSession().PostSessionNotice(1, 0, text.c_str());
        m_driver.Frame();
        EXPECT_FALSE(m_window->IsWaiting());
        if (length == 60) {
            EXPECT_EQ(m_window->GetMessageLine(), text);
            EXPECT_EQ(MessageBoxes(), boxes);
        } else {
            EXPECT_STREQ(m_window->GetMessageLine(), "14/329");
            EXPECT_EQ(MessageBoxes(), boxes + 1);
        }
    }
}

TEST_F(NewAccountTest, TheLoginStateNamesTheBoxAnd42EmptiesThemAll) {
    const struct {
        int32_t state;
        CNewAccountWindow::Box box;
    } cases[] = {{3, CNewAccountWindow::kAccount},   {4, CNewAccountWindow::kAccount},
                 {5, CNewAccountWindow::kPassword},  {7, CNewAccountWindow::kPassword},
                 {38, CNewAccountWindow::kMailName}, {40, CNewAccountWindow::kMailName},
                 {41, CNewAccountWindow::kMailName}, {39, CNewAccountWindow::kFifth},
                 {42, CNewAccountWindow::kAccount}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        Fill("alice");
        m_window->SubmitNewAccount();
        GameSession().m_loginResult = c.state;
        GameSession().PostSessionNotice(1, 0, "no");
        m_driver.Frame();
        EXPECT_TRUE(Focused(c.box));
        for (int box = CNewAccountWindow::kAccount; box <= CNewAccountWindow::kFifth; ++box) {
            const bool emptied = *m_window->GetBox(CNewAccountWindow::Box(box))->GetCurrentText() == '\0';
            EXPECT_EQ(emptied, c.state == 42) << box;
        }
    }
}

TEST_F(NewAccountTest, AMadeAccountReachesTheLogInWindow) {
    Fill("alice");
    m_window->SubmitNewAccount();
    GameSession().PostSessionNotice(1, 1, "");
    m_driver.Frame(2);
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_STREQ(m_login->GetAccountBox()->GetCurrentText(), "alice");
    m_login->OpenNewAccount();
    EXPECT_STREQ(m_window->GetBox(CNewAccountWindow::kAccount)->GetCurrentText(), "");
}

TEST_F(NewAccountTest, CheckAndLostConnection) {
    const size_t queued = GameSession().QueuedMessages();
    m_window->CheckAccount();
    EXPECT_EQ(GameSession().QueuedMessages(), queued);  // empty name
    Fill("alice");
    m_window->CheckAccount();
    ASSERT_TRUE(m_window->IsChecking());
    EXPECT_EQ(GameSession().QueuedMessage(queued), (std::vector<uint8_t>{4, 5, 'a', 'l', 'i', 'c', 'e'}));
    GameSession().PostSessionNotice(1, 0, "taken");
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsChecking());
    EXPECT_TRUE(Focused(CNewAccountWindow::kAccount));

    GameSession().PostSessionNotice(0, 0, nullptr);
    m_window->SubmitNewAccount();
    const int32_t boxes = MessageBoxes();
    g_connection->Close();
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsWaiting());
    EXPECT_EQ(MessageBoxes(), boxes + 1);  // the time-out box
}

TEST_F(NewAccountTest, TabRunsThroughTheBoxes) {
    for (int expected : {1, 2, 3, 4, 0}) {
        Key(playtest::kScanTab, plat::VK_TAB);
        EXPECT_TRUE(Focused(CNewAccountWindow::Box(expected))) << expected;
    }
}

TEST_F(NewAccountTest, TheSignupPageOpensOnlyAsAWebAddress) {
    plat::ScopedUrlRecorder urls;
    const struct {
        const char* page;
        bool ok;
        bool opened;
    } cases[] = {{"https://example.net/join", true, true},
                 {"https://example.net/join", false, false},
                 {"file:///etc/passwd", true, false},
                 {"", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        urls.m_urls.clear();
        g_quit = false;
        const size_t queued = GameSession().QueuedMessages();
        m_window->OpenSignupPage();
        EXPECT_EQ(GameSession().QueuedMessage(queued), (std::vector<uint8_t>{65, 1}));
        std::snprintf(GameSession().m_newAccountPage, sizeof(GameSession().m_newAccountPage), "%s", c.page);
        std::vector<CBaseWindow*> boxes;
        m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
        ASSERT_FALSE(boxes.empty());
        auto* box = static_cast<CMessageBox*>(boxes.back());
        box->SetActive(true, false);
        Key(c.ok ? playtest::kScanEnter : playtest::kScanEscape, c.ok ? plat::VK_RETURN : plat::VK_ESCAPE);
        m_driver.Frame();
        EXPECT_EQ(urls.m_urls.size(), c.opened ? 1u : 0u);
        EXPECT_EQ(g_quit, c.opened);
        m_driver.Mgr().RemoveWindow(box);
    }
    g_quit = false;
}

}  // namespace
