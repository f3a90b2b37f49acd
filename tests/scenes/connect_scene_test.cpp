#include "scenes/connect_scene.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/config.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "platform/socket.h"
#include "tests/scenes/scene_fixture.h"
#include "tests/scenes/scene_windows.h"
#include "ui/tooltip_window.h"
#include "ui/window_mgr.h"

namespace {

using scenetest::LastSelectWindow;
using scenetest::SceneFixture;
using scenetest::TestSelectWindow;

class ConnectSceneTest : public ::testing::Test, public plat::ISocketNotifyPoster {
protected:
    void SetUp() override {
        ASSERT_EQ(plat::WSAStartup(plat::MakeWord(2, 2), nullptr), 0);
        plat::SetSocketNotifyPoster(this);
        scenetest::RegisterTestWindows();
        GameSession().Reset();
        GameSession().PostSessionNotice(0, 0, nullptr);
        m_f.RecordKinds({SCENE_GAME, SCENE_CHAR_CREATE, SCENE_TITLE});
    }
    void TearDown() override {
        if (g_connection) g_connection->Close();
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        GameSession().PostSessionNotice(0, 0, nullptr);
        plat::SetSocketNotifyPoster(nullptr);
        plat::WSACleanup();
    }
    // The socket notifications are the session's business, not the scene's:
    // they wait here until PumpSockets hands them to it.
    void Post(uint32_t, uintptr_t wParam, intptr_t lParam) override {
        m_notices.emplace_back(wParam, lParam);
    }
    void PumpSockets() {
        plat::PumpSocketNotifications();
        for (const auto& [wParam, lParam] : std::exchange(m_notices, {}))
            GameSession().OnSocketNotify(wParam, lParam);
    }
    // The scene, its first frame run (connected, the fade-in started).
    void Start(bool fades = true) {
        if (fades) m_f.UseFades();
        m_scene = m_f.Add(new CConnectScene);
        m_f.Frame();
        m_select = LastSelectWindow();
        ASSERT_NE(m_select, nullptr);
    }
    // The scene over a connect held under way for ten frames: still waiting,
    // nothing refused. Returns the socket.
    plat::SOCKET StartHeld() {
        m_sockets.HoldNextConnects(1);
        Start();
        for (int frame = 0; frame < 10; ++frame) {
            PumpSockets();
            m_f.Frame();
        }
        EXPECT_TRUE(IsServerConnecting());
        EXPECT_FALSE(m_scene->HasConnectFailed());
        EXPECT_FALSE(m_select->m_backOnly);
        EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_WAITING);
        return g_connection ? g_connection->Socket() : plat::INVALID_SOCKET;
    }
    // The list arrives and the fade-in is over: choosing.
    void ReachSelecting() {
        m_select->m_ready = true;
        m_f.RunFor(1100);
        ASSERT_EQ(m_scene->GetState(), CConnectScene::STATE_SELECTING);
        ASSERT_FALSE(m_scene->HasConnectFailed());
    }
    void Enter() {
        m_select->m_action = CHAR_SELECT_ENTER;
        m_f.Frame();
        ASSERT_EQ(m_scene->GetState(), CConnectScene::STATE_ENTERING);
    }

    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    SceneFixture m_f;
    scenetest::TestEvents m_events;
    CConnectScene* m_scene = nullptr;
    TestSelectWindow* m_select = nullptr;
    std::vector<std::pair<uintptr_t, intptr_t>> m_notices;
};

TEST_F(ConnectSceneTest, ConnectsWithTheCommandLineAccountThenChoosingStartsWithTheList) {
    g_config.m_accountId = "account";
    g_config.m_password = "secret";
    Start();
    CGameSession& session = GameSession();
    EXPECT_TRUE(IsServerConnected());
    EXPECT_STREQ(session.m_account, "account");
    EXPECT_STREQ(session.m_loginKey, "secret");
    EXPECT_EQ(session.m_launcherLogin, 1);
    EXPECT_EQ(session.m_loginFlow, 1);
    EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_WAITING);
    EXPECT_FALSE(m_select->m_buttons) << "no choosing before the list";
    SetConnectStatusText("waiting");
    m_f.Frame();
    EXPECT_STREQ(m_scene->GetStatusWindow()->GetFirstLine(), "waiting");
    ReachSelecting();
    EXPECT_TRUE(m_select->m_buttons);
    EXPECT_STREQ(ConnectStatusText, "");
    g_config.m_accountId.clear();
    g_config.m_password.clear();
}

TEST_F(ConnectSceneTest, ARemovedSelectWindowComesBack) {
    Start();
    ASSERT_TRUE(m_f.m_windows.RemoveWindow(m_select));
    EXPECT_EQ(m_scene->GetSelectWindow(), nullptr);
    m_f.Frame();
    ASSERT_NE(LastSelectWindow(), nullptr);
    EXPECT_EQ(m_scene->GetSelectWindow(), LastSelectWindow());
}

// Back and create start the fade-out and change the scene once it has finished.
TEST_F(ConnectSceneTest, BackAndCreateWaitForTheFadeOut) {
    struct Case {
        int32_t action;
        uint32_t next;
    } cases[] = {{CHAR_SELECT_BACK, SCENE_TITLE}, {CHAR_SELECT_CREATE, SCENE_CHAR_CREATE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        SceneFixture f;
        f.UseFades();
        f.RecordKinds({SCENE_CHAR_CREATE, SCENE_TITLE});
        auto* scene = f.Add(new CConnectScene);
        f.Frame();
        TestSelectWindow* select = LastSelectWindow();
        select->m_ready = true;
        auto list = std::make_unique<CCharListMsg>();
        list->SetAccount("carried");
        select->m_list = std::move(list);
        // Chosen as the list comes, while the fade-in runs: the fade-out
        // starts as soon as the scene is choosing.
        select->m_action = c.action;
        f.RunFor(20, 10);
        EXPECT_FALSE(scene->Fade().IsFadeIn()) << "the fade-out runs";
        f.RunFor(970, 10);
        EXPECT_EQ(f.SceneKind(), SCENE_CONNECT);
        f.RunFor(100, 10);
        EXPECT_EQ(f.Made(), std::vector<uint32_t>{c.next});
        EXPECT_FALSE(select->m_ready);
        if (c.next == SCENE_CHAR_CREATE) {
            ASSERT_NE(GameSession().m_charList, nullptr) << "the list goes on for the next select window";
            EXPECT_STREQ(GameSession().m_charList->Account(), "carried");
        }
        GameSession().Reset();
    }
}

TEST_F(ConnectSceneTest, ARefusedEntryReturnsToChoosing) {
    Start();
    ReachSelecting();
    Enter();
    EXPECT_FALSE(m_select->m_buttons);
    CGameSession& session = GameSession();
    session.m_noticeFlag = 1;
    session.m_noticeValue = 0;
    m_f.Frame();
    EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_SELECTING);
    EXPECT_TRUE(m_select->m_buttons);
    EXPECT_EQ(m_select->m_action, CHAR_SELECT_NONE) << "the refused choice is not taken again";
    m_f.RunFor(200);
    EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_SELECTING);
}

TEST_F(ConnectSceneTest, TheReadyWorldLeadsToTheGameScene) {
    ScopedSceneEvents events(m_events);
    Start();
    ReachSelecting();
    auto list = std::make_unique<CCharListMsg>();
    m_select->m_list = std::move(list);
    GameSession().m_charList = std::make_unique<CCharListMsg>();
    Enter();
    m_f.RunFor(2000);
    EXPECT_TRUE(m_f.Made().empty()) << "no world yet";
    m_events.m_current = true;  // the world's first event stands for it being ready
    m_f.Frame();
    EXPECT_EQ(m_f.SceneKind(), SCENE_CONNECT) << "the fade-out runs";
    m_f.RunFor(1100);
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_GAME});
    EXPECT_EQ(m_f.SceneKind(), SCENE_GAME);
    EXPECT_EQ(m_select->m_list, nullptr) << "the carried list is dropped";
    EXPECT_EQ(GameSession().m_charList, nullptr);
}

TEST_F(ConnectSceneTest, ARefusedConnectOffersTheWayBackOnly) {
    m_sockets.FailNextConnects(1);
    SetConnectStatusText("refused");
    Start(false);
    PumpSockets();
    m_f.Frame();
    EXPECT_FALSE(IsServerConnected());
    EXPECT_TRUE(m_select->m_backOnly);
    EXPECT_TRUE(m_scene->HasConnectFailed());
    EXPECT_STREQ(m_scene->GetStatusWindow()->GetFirstLine(), "refused") << "the status stays";
    // Enter cannot be chosen; Back works.
    m_select->m_action = CHAR_SELECT_ENTER;
    m_f.Frame();
    EXPECT_NE(m_scene->GetState(), CConnectScene::STATE_ENTERING);
    m_select->m_action = CHAR_SELECT_BACK;
    m_f.Frame();
    m_f.Frame();
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_TITLE});
}

// A connect takes its time on a real network: while it is under way the
// scene waits with every choice to come, as it does when the connect ends
// well; one that fails late leaves the way back only.
TEST_F(ConnectSceneTest, AConnectUnderWayIsAwaitedNotTakenForARefusal) {
    const plat::SOCKET socket = StartHeld();
    m_sockets.CompleteConnect(socket);
    PumpSockets();
    EXPECT_TRUE(IsServerConnected());
    ReachSelecting();
    EXPECT_FALSE(m_select->m_backOnly);
}

TEST_F(ConnectSceneTest, AConnectRefusedLateOffersTheWayBackOnly) {
    const plat::SOCKET socket = StartHeld();
    m_sockets.FailConnect(socket);
    PumpSockets();
    m_f.Frame();
    EXPECT_TRUE(m_scene->HasConnectFailed());
    EXPECT_TRUE(m_select->m_backOnly);
}

TEST_F(ConnectSceneTest, TheWorldIsAwaitedSixtySecondsAtMost) {
    Start();
    ReachSelecting();
    Enter();
    const int messages = m_select->m_messages;
    m_f.RunFor(59000, 1000);
    m_f.Frame(990);
    EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_ENTERING);
    m_f.Frame(10);
    EXPECT_EQ(m_scene->GetState(), CConnectScene::STATE_SELECTING);
    EXPECT_TRUE(m_select->m_buttons);
    EXPECT_EQ(m_select->m_action, CHAR_SELECT_NONE);
    EXPECT_EQ(m_select->m_messages, messages + 1);
    EXPECT_EQ(m_select->m_message, GetTableText(14, 278));
    EXPECT_TRUE(m_f.Made().empty());
}

}  // namespace
