// The title screen: its buttons and keys, and the way to the log-in window.
#include "windows/play/title_screen.h"

#include <gtest/gtest.h>

#include "net/handlers/login_records.h"
#include "platform/keyboard.h"
#include "tests/windows/play/play_fixture.h"
#include "windows/play/login_window.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"

using playtest::PlayWindowTest;

namespace {

class TitleScreenTest : public PlayWindowTest {
protected:
    TitleScreenTest() {
        m_title = m_driver.Add(new CTitleScreen);
        m_title->SetSize(800, 600);
        for (int i = 0; i < 4; ++i) Face(m_title->GetButton(i));
        m_title->SetActive(true, false);
    }
    CTitleScreen* m_title = nullptr;
};

TEST_F(TitleScreenTest, EachButtonStandsAtItsPointAndMakesItsChoice) {
    const struct {
        int button;
        int32_t y;
        int32_t choice;
    } cases[] = {{3, 393, TITLE_CHOICE_START},
                 {2, 416, TITLE_CHOICE_INTRO},
                 {0, 440, TITLE_CHOICE_OFFLINE},
                 {1, 463, TITLE_CHOICE_EXIT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        m_title->SetPosition(50, 70);  // the buttons keep their screen points
        EXPECT_EQ(m_title->GetButton(c.button)->GetX(), 345);
        EXPECT_EQ(m_title->GetButton(c.button)->GetY(), c.y);
        m_title->SetChoice(TITLE_CHOICE_NONE);
        m_driver.Click(0, 350, c.y + 5);
        m_driver.Frame(2);
        EXPECT_EQ(m_title->GetChoice(), c.choice);
        EXPECT_EQ(m_title->IntroChosen(), c.choice == TITLE_CHOICE_INTRO || c.button < 2);
    }
}

TEST_F(TitleScreenTest, EnterStartsAndEscapeExits) {
    Key(playtest::kScanEscape, plat::VK_ESCAPE);
    EXPECT_EQ(m_title->GetChoice(), TITLE_CHOICE_EXIT);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(m_title->GetChoice(), TITLE_CHOICE_START);
    m_title->SetActive(false, false);
    m_title->SetChoice(TITLE_CHOICE_NONE);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(m_title->GetChoice(), TITLE_CHOICE_NONE);
}

TEST_F(TitleScreenTest, TheWayInFromTheWorldListToTheLogInWindow) {
    m_title->Open(true, false);
    CMultiServerWindow* list = m_title->GetServerSelect();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsDrawOn());
    EXPECT_TRUE(IsServerConnected());
    EXPECT_TRUE(list->IsWaitingForList());

    CServerListEntry world;
    world.worldId = 7;
    std::snprintf(world.name, sizeof(world.name), "Lindow");
    GameSession().m_serverList = {world};
    PostMessageTo(0, m_title, 0, MSG_SERVER_LIST, std::make_unique<CMsgPayload>(MSG_SERVER_LIST), nullptr);
    m_driver.Frame();
    EXPECT_FALSE(list->IsWaitingForList());
    EXPECT_EQ(list->GetServerCount(), 1);

    // The world entry goes out; the server's terms come next.
    list->SelectServer();
    EXPECT_TRUE(list->IsWaiting());
    PostMessageTo(0, m_title, 0, MSG_SHOW_TERMS, std::make_unique<CMsgPayload>(MSG_SHOW_TERMS), nullptr);
    m_driver.Frame();
    CStipulationWindow* terms = m_title->GetTermsWindow();
    ASSERT_NE(terms, nullptr);
    EXPECT_TRUE(terms->IsDrawOn());
    EXPECT_FALSE(list->IsDrawOn());
    EXPECT_FALSE(terms->GetAgreeButton()->IsInputOn());  // no text yet
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(terms->GetResult(), TERMS_RESULT_NONE);
    GameSession().m_termsText = "Play fair.";
    GameSession().m_termsReady = 1;
    m_driver.Frame();
    EXPECT_TRUE(terms->GetAgreeButton()->IsInputOn());
    terms->SetActive(true, false);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    m_driver.Frame();
    EXPECT_FALSE(terms->IsDrawOn());

    CInsertAccountWindow* login = m_title->GetLoginWindow();
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(list->IsDrawOn());
    EXPECT_TRUE(login->IsDrawOn());
    EXPECT_STREQ(login->GetServerName(), "Lindow");
    EXPECT_STREQ(reinterpret_cast<const char*>(g_options.m_block + OPT_TEXT_1), "Lindow");

    // Cancelling goes back to the list on a new connection.
    login->CancelLogin();
    m_driver.Frame();
    EXPECT_FALSE(login->IsDrawOn());
    EXPECT_TRUE(list->IsDrawOn());
    EXPECT_TRUE(IsServerConnected());
}

}  // namespace
