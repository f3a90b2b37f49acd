// The front-end scenes in process, with the program's window classes and
// handlers, against two scripted servers over 127.0.0.1: the start logo, the
// title and its log-in, the connect scene with the character list, Enter and
// the entry request, then the game scene asked for once the world is there.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/globals.h"
#include "app/server_windows.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "core/main_mgr.h"
#include "net/handlers/server_windows.h"
#include "platform/keyboard.h"
#include "scenes/connect_scene.h"
#include "scenes/scene.h"
#include "scenes/start_scene.h"
#include "scenes/title_scene.h"
#include "tests/support/login_script.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/edit_box.h"
#include "ui/scene_windows.h"
#include "windows/play/char_select_window.h"
#include "windows/play/login_window.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"
#include "windows/play/title_screen.h"

namespace {

// Socket notifications reach the session as the main window passes them on.
class SessionPoster : public plat::ISocketNotifyPoster {
public:
    void Post(uint32_t, uintptr_t wParam, intptr_t lParam) override {
        GameSession().OnSocketNotify(wParam, lParam);
    }
};

// The event manager only as far as the connect scene asks it: the world's
// first event stands for the world being there.
class WorldEvents : public ISceneEvents {
public:
    bool IsVisualEventRunning() override { return false; }
    bool HasCurrentEvent() override { return m_worldReady; }
    void EndCurrentEvent() override {}
    bool IsCurrentEventDrawn() override { return false; }
    bool IsScreenBusy() override { return false; }
    bool StartVisualEvent(uint32_t) override { return false; }
    void ProcessQueuedMessages() override {}
    void Update() override {}
    void Draw() override {}
    void QueueEventObjects() override {}
    void SetEventActive(bool) override {}
    void SetControlLock(bool) override {}
    CBaseWindow* MakeEventSelectionWindow() override { return nullptr; }
    bool m_worldReady = false;
};

class SceneChainTest : public playtest::PlayWindowTest {
protected:
    SceneChainTest() {
        plat::SetSocketLayer(nullptr);  // the system's sockets
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_config.m_clientVersion = kVersion;
        g_config.m_serverPort = m_login.Port();
        g_config.m_useServer = true;
        g_config.m_fullScreen = false;
        g_options.SetU32(OPT_INTRO_SEEN, 1);
        // The program's composition root registers the window classes the
        // scenes make by identifier (its start-up factories are not run here).
        InstallGlobalFactories();
        m_oldMain = g_pMainMgr;
        g_pMainMgr = &m_main;
    }
    ~SceneChainTest() override {
        m_main.Release();
        ClearGlobalFactories();
        g_pMainMgr = m_oldMain;
        delete g_connection;
        g_connection = nullptr;
        plat::WSACleanup();
        g_config.m_useServer = false;
        g_quit = false;
    }
    // A frame of the program: window messages, input, socket notifications,
    // the session's receive pump, then the main manager's scene.
    void Frame() {
        m_driver.Clock().Advance(10);
        plat::Msg msg;
        while (plat::PeekMessage(&msg))
            if (msg.message != plat::WM_QUIT) plat::DispatchMessage(msg);
        m_driver.Input().Update();
        plat::PumpSocketNotifications();
        GameSession().ReceivePackets();
        m_main.UpdateChildren();
        m_main.ApplyPendingChildren();
        m_main.DrawChildren();
    }
    void Key(uint8_t scan, uint8_t key) {
        m_driver.Key(scan, key);
        Frame();
    }
    uint32_t SceneKind() {
        for (CMsgObject* object : m_main.Children())
            if (auto* child = dynamic_cast<CBaseObject*>(object)) return child->GetKindId();
        return uint32_t(-1);
    }
    bool RunUntilScene(uint32_t kind) {
        return qmtest::RunFramesUntil(m_frame, [&] { return SceneKind() == kind; });
    }

    static constexpr uint16_t kVersion = 189;
    qmtest::TestServer m_login, m_world;
    qmtest::FrameRunner m_frame = [this] { Frame(); };
    SessionPoster m_poster;
    plat::ScopedSocketNotifyPoster m_posterScope{m_poster};
    CWindowMgrForHandlers m_windows{m_driver.Mgr()};
    ScopedServerWindows m_windowsScope{&m_windows};
    WorldEvents m_events;
    ScopedSceneEvents m_eventsScope{m_events};
    std::vector<uint32_t> m_made;
    ScopedSceneFactory m_game{SCENE_GAME, [this]() -> CBaseObject* {
                                  m_made.push_back(SCENE_GAME);
                                  auto* scene = new CBaseObject;
                                  scene->SetKindId(SCENE_GAME);
                                  return scene;
                              }};
    CMainMgr m_main;
    CMainMgr* m_oldMain = nullptr;
};

TEST_F(SceneChainTest, FromTheStartLogoToTheGameScene) {
    ASSERT_TRUE(m_login.Listening());
    ASSERT_TRUE(m_world.Listening());
    const uint32_t local = qmtest::TestServer::Address();

    // Start logo, then the title (the intro has been seen).
    m_main.AddChild(new CStartScene);
    EXPECT_EQ(SceneKind(), SCENE_START);
    ASSERT_TRUE(RunUntilScene(SCENE_TITLE));
    auto* title = dynamic_cast<CTitleScreen*>(m_driver.Mgr().FindWindowByName(TITLE_SCREEN_WINDOW_NAME));
    ASSERT_NE(title, nullptr);

    // Start: the way in opens; the world list connects to the login server.
    title->SetChoice(TITLE_CHOICE_START);
    Frame();
    CMultiServerWindow* list = title->GetServerSelect();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(qmtest::AwaitAccept(m_login, m_frame));
    ASSERT_TRUE(qmtest::GreetAndHandOutKey(m_login, m_frame, kVersion, 7, "Key42"));
    EXPECT_EQ(qmtest::AwaitRequest(m_login, m_frame), qmtest::WorldListRequest());
    ASSERT_TRUE(m_login.SendMessage(
        qmtest::WorldListMessage({qmtest::World(7, "Lindow", local, m_world.Port(), 2)})));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [&] { return !list->IsWaitingForList(); }));

    // The world, its terms and the log-in.
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(qmtest::AwaitRequest(m_login, m_frame), qmtest::WorldEntryRequest(7));
    ASSERT_TRUE(m_login.SendMessage(qmtest::ServerChangeMessage(local, m_world.Port(), 3, "Next7")));
    ASSERT_TRUE(qmtest::AwaitAccept(m_world, m_frame));
    ASSERT_TRUE(m_world.SetCipher(3, "Next7"));
    ASSERT_TRUE(m_world.SendGreeting());
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::TicketRequest(qmtest::Ticket(3, "Next7")));
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::ServerChangeAnswer());
    ASSERT_TRUE(m_world.SendMessage(qmtest::TermsChecksumMessage(0xC0FFEE)));
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::TermsRequest());
    ASSERT_TRUE(m_world.SendMessage(qmtest::TermsTextMessage("Play fair.")));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [&] {
        CStipulationWindow* terms = title->GetTermsWindow();
        return terms && terms->IsDrawOn() && terms->GetAgreeButton()->IsInputOn();
    }));
    Key(playtest::kScanEnter, plat::VK_RETURN);
    Frame();
    CInsertAccountWindow* login = title->GetLoginWindow();
    ASSERT_NE(login, nullptr);
    login->GetAccountBox()->SetText("alice");
    login->GetPasswordBox()->SetText("secret");
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(qmtest::AwaitRequest(m_world, m_frame), qmtest::LoginRequest("alice", "secret"));
    EXPECT_EQ(SceneKind(), SCENE_TITLE) << "the title waits for the log-in";
    ASSERT_TRUE(m_world.SendMessage(qmtest::LoginResultMessage(0, "")));

    // Logged in: the connect scene, on the connection that is open.
    ASSERT_TRUE(RunUntilScene(SCENE_CONNECT));
    EXPECT_TRUE(IsServerConnected());
    auto* select = dynamic_cast<CCharSelectWindow*>(m_driver.Mgr().FindWindowByName(CHAR_SELECT_WINDOW_NAME));
    ASSERT_NE(select, nullptr);

    // The characters: the list shows and the player may choose.
    CCharListEntry hero;
    std::snprintf(hero.m_name, sizeof(hero.m_name), "Hero");
    hero.m_charId = 41;
    hero.m_value = 2000000;
    ASSERT_TRUE(m_world.SendMessage(qmtest::CharListMessage("alice", {hero})));
    ASSERT_TRUE(qmtest::RunFramesUntil(m_frame, [&] { return select->IsListReady(); }));
    Frame();
    auto* scene = dynamic_cast<CConnectScene*>(m_main.FindChildByKind(SCENE_CONNECT));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetState(), CConnectScene::STATE_SELECTING);

    // Enter: request 43 with the name; the scene waits for the world.
    Key(playtest::kScanEnter, plat::VK_RETURN);
    const qmtest::WireBytes entry = qmtest::AwaitRequest(m_world, m_frame);
    ASSERT_FALSE(entry.empty());
    EXPECT_EQ(entry[0], 43);
    EXPECT_EQ(scene->GetState(), CConnectScene::STATE_ENTERING);
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_TRUE(m_made.empty());

    // The world is there: the game scene is asked for.
    m_events.m_worldReady = true;
    ASSERT_TRUE(RunUntilScene(SCENE_GAME));
    EXPECT_EQ(m_made, std::vector<uint32_t>{SCENE_GAME});
}

}  // namespace
