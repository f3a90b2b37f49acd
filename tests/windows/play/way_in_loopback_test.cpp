// The whole way in over 127.0.0.1 with the system's sockets: the title screen
// and its windows, the program's session and handlers, against two scripted
// servers (the login server and the world's server).
#include <gtest/gtest.h>

#include <string>

#include "core/config.h"
#include "net/handlers/server_windows.h"
#include "platform/keyboard.h"
#include "tests/support/login_script.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/edit_box.h"
#include "windows/play/login_window.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"
#include "windows/play/title_screen.h"

namespace {

// The window manager as the handlers reach it: windows found by identifier.
class DriverWindows : public IServerWindows {
public:
    explicit DriverWindows(CWindowMgr& mgr) : m_mgr(mgr) {}
    CMsgObject* FindWindowByName(const char* name) override { return m_mgr.FindWindowByName(name); }
    CMsgPort* GetManagerPort() override { return nullptr; }
    void PostToAllWindows(uint32_t) override {}
    CMsgObject* FindAnyWindowByName(const char* name) override {
        return m_mgr.FindWindowByName(name, 0, false);
    }
    bool IsWindowVisible(const char*) override { return false; }
    bool ShowWindow(const char*) override { return false; }
    bool HideWindow(const char*) override { return false; }
    bool OpenWindow(const char*) override { return false; }
    bool CenterWindow(const char*) override { return false; }
    bool CreateWindow(const char*, bool) override { return false; }

private:
    CWindowMgr& m_mgr;
};

class WayInLoopbackTest : public playtest::PlayWindowTest {
protected:
    WayInLoopbackTest() {
        // The system's sockets instead of the scripted ones.
        plat::SetSocketLayer(nullptr);
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_config.m_clientVersion = kVersion;
        g_config.m_serverPort = m_login.Port();
        m_driver.SetFrameTime(10);
        m_title = m_driver.Add(new CTitleScreen);
        m_title->SetSize(800, 600);
        m_title->SetActive(true, false);
    }
    ~WayInLoopbackTest() override {
        delete g_connection;
        g_connection = nullptr;
        plat::WSACleanup();
    }
    // A frame of the program: socket notifications, the session's receive
    // pump, then the windows.
    void Frame() {
        plat::PumpSocketNotifications();
        GameSession().ReceivePackets();
        m_driver.Frame();
    }
    void Key(uint8_t scan, uint8_t key) {
        m_driver.Key(scan, key);
        Frame();
    }

    static constexpr uint16_t kVersion = 189;
    qmtest::TestServer m_login, m_world;
    qmtest::FrameRunner m_frame = [this] { Frame(); };
    playtest::SessionPoster m_poster;
    plat::ScopedSocketNotifyPoster m_posterScope{m_poster};
    DriverWindows m_windows{m_driver.Mgr()};
    ScopedServerWindows m_windowsScope{&m_windows};
    CTitleScreen* m_title = nullptr;
};

TEST_F(WayInLoopbackTest, FromTheTitleToAnAcceptedLogIn) {
    ASSERT_TRUE(m_login.Listening());
    ASSERT_TRUE(m_world.Listening());
    const uint32_t local = qmtest::TestServer::Address();

    // Title: the world list opens and connects to the login server; the
    // connect returns at once and completes across frames.
    m_title->Open(true, false);
    CMultiServerWindow* list = m_title->GetServerSelect();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsDrawOn());
    EXPECT_TRUE(list->IsWaitingForList());
    ASSERT_TRUE(qmtest::AwaitAccept(m_login, m_frame));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [] { return IsServerConnected(); }));

    // Greeting, first request, key; the world list is asked for under the key.
    ASSERT_TRUE(qmtest::GreetAndHandOutKey(m_login, m_frame, kVersion, 7, "Key42"));
    EXPECT_EQ(qmtest::AwaitRequest(m_login, m_frame), qmtest::WorldListRequest());
    EXPECT_STREQ(ConnectStatusText, "Connected To Login Server");
    ASSERT_TRUE(m_login.SendMessage(qmtest::WorldListMessage(
        {qmtest::World(7, "Lindow", local, m_world.Port(), 2), qmtest::World(9, "Aster", local, 1, 4)})));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [&] { return !list->IsWaitingForList(); }));
    EXPECT_EQ(list->GetServerCount(), 2);
    EXPECT_EQ(list->GetSelectedRow(), 0);

    // Select: request 87 for the world at the login server, then the move to
    // the world's server. The wait goes on while that connect is pending.
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_TRUE(list->IsWaiting());
    EXPECT_EQ(qmtest::AwaitRequest(m_login, m_frame), qmtest::WorldEntryRequest(7));
    EXPECT_EQ(g_config.m_serverPort, m_world.Port());
    ASSERT_TRUE(m_login.SendMessage(qmtest::ServerChangeMessage(local, m_world.Port(), 3, "Next7")));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [] { return IsServerConnecting() || IsServerConnected(); }));
    EXPECT_TRUE(m_login.WaitClientClosed());
    EXPECT_TRUE(list->IsWaiting());
    EXPECT_STREQ(list->GetMessageLine(), "");
    ASSERT_TRUE(qmtest::AwaitAccept(m_world, m_frame));
    ASSERT_TRUE(m_world.SetCipher(3, "Next7"));
    ASSERT_TRUE(m_world.SendGreeting());
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::TicketRequest(qmtest::Ticket(3, "Next7")));
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::ServerChangeAnswer());
    EXPECT_TRUE(list->IsWaiting());

    // Terms: a checksum the client does not have brings the request for the
    // text; the text shows in the terms window, the world list goes.
    ASSERT_TRUE(m_world.SendMessage(qmtest::TermsChecksumMessage(0xC0FFEE)));
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::TermsRequest());
    ASSERT_TRUE(m_world.SendMessage(qmtest::TermsTextMessage("Play fair.")));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [&] {
        CStipulationWindow* terms = m_title->GetTermsWindow();
        return terms && terms->IsDrawOn() && terms->GetAgreeButton()->IsInputOn();
    }));
    EXPECT_EQ(GameSession().m_termsText, "Play fair.");
    EXPECT_FALSE(list->IsDrawOn());

    // Agree: the log-in window for the world chosen.
    Key(playtest::kScanEnter, plat::VK_RETURN);
    Frame();
    EXPECT_FALSE(m_title->GetTermsWindow()->IsDrawOn());
    CInsertAccountWindow* login = m_title->GetLoginWindow();
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->IsDrawOn());
    EXPECT_STREQ(login->GetServerName(), "Lindow");

    // Log-in: request 3 with the account and password, accepted.
    login->GetAccountBox()->SetText("alice");
    login->GetPasswordBox()->SetText("secret");
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_TRUE(login->IsWaiting());
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::LoginRequest("alice", "secret"));
    ASSERT_TRUE(m_world.SendMessage(qmtest::LoginResultMessage(0, "")));
    ASSERT_TRUE(
        qmtest::RunFramesUntil(m_frame, [&] { return login->GetResult() == LOGIN_RESULT_LOGGED_IN; }));
    EXPECT_FALSE(login->IsWaiting());
    Frame();
    EXPECT_FALSE(login->IsDrawOn());

    // The characters follow; without a character window the session keeps them.
    CCharListEntry hero;
    std::snprintf(hero.m_name, sizeof(hero.m_name), "Hero");
    hero.m_charId = 41;
    hero.m_mask = 0x0002;
    hero.m_optional[1] = 77;
    ASSERT_TRUE(m_world.SendMessage(qmtest::CharListMessage("alice", {hero})));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [] { return GameSession().m_charList != nullptr; }));
    ASSERT_EQ(GameSession().m_charList->Count(), 1u);
    EXPECT_STREQ(GameSession().m_charList->Entry(0).m_name, "Hero");
    EXPECT_EQ(GameSession().m_charList->Entry(0).m_optional[1], 77);
    EXPECT_EQ(GameSession().m_charList->Entry(0).m_charId, 41u);
}

}  // namespace
