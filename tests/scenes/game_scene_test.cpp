// The game scene on a fake clock with a test fade, a recording session over
// scripted sockets, recorded scene makers and test window classes: the
// transitions, the first elapsed time, the system window's choice, the game
// request's answer, the scene messages and the queued-action block.
#include "scenes/game_scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/main_mgr.h"
#include "core/message.h"
#include "data/item_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "net/handlers/scene_records.h"
#include "net/handlers/window_records.h"
#include "platform/socket.h"
#include "scenes/game_actions.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/game_scene_windows.h"
#include "ui/message_box.h"
#include "ui/tooltip_window.h"
#include "world/cursor.h"

namespace {

class TestFade : public IScreenFade {
public:
    explicit TestFade(plat::IClock& clock) : m_clock(clock) {}
    void Start(int32_t direction, uint32_t, uint32_t durationMs) override {
        m_direction = direction;
        m_end = m_clock.Milliseconds() + durationMs;
        m_running = true;
    }
    void Update() override {
        if (m_running && int32_t(m_clock.Milliseconds() - m_end) >= 0) m_running = false;
    }
    bool IsFinished() override { return !m_running; }
    int32_t GetDirection() override { return m_direction; }

private:
    plat::IClock& m_clock;
    uint32_t m_end = 0;
    int32_t m_direction = FADE_IN;
    bool m_running = false;
};

class TestFadeMaker : public IScreenFadeMaker {
public:
    explicit TestFadeMaker(plat::IClock& clock) : m_clock(clock) {}
    std::unique_ptr<IScreenFade> MakeScreenFade() override { return std::make_unique<TestFade>(m_clock); }
    plat::IClock& m_clock;
};

// A scene with a world it is told about.
class TestGameScene : public CGameScene {
public:
    bool worldReady = true;
    bool mapReady = true;
    bool mapNotify = false;
    using CGameScene::m_actionA;
    using CGameScene::m_attack;
    using CGameScene::m_charAction;
    using CGameScene::m_leftHold;
    using CGameScene::m_pickUp;
    using CGameScene::m_skillOnChar;

protected:
    bool IsWorldReady() override { return worldReady; }
    bool IsMapReady() override { return mapReady; }
    bool TakeMapNotify() override {
        const bool was = mapNotify;
        mapNotify = false;
        return was;
    }
};

class SystemWindow : public uitest::TestWindow, public ISystemWindowChoice {
public:
    SystemWindow() : TestWindow("SYSTEM_WINDOW") {}
    int32_t GetChoice() override { return choice; }
    void SetChoice(int32_t c) override { choice = c; }
    void SetGameOverMode(bool on) override { gameOver = on; }
    bool IsGameOverMode() override { return gameOver; }
    int32_t choice = -1;
    bool gameOver = true;
};

std::vector<uint32_t> g_madeScenes;

class GameSceneTest : public ::testing::Test {
protected:
    GameSceneTest() {
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_options = COptions{};
        g_quit = false;
        GameSession().Reset();
        g_madeScenes.clear();
        g_pMainMgr = &m_main;
        ClearWindowClasses();
        RegisterWindowClass("SYSTEM_WINDOW", [] { return static_cast<CBaseWindow*>(new SystemWindow); });
    }
    ~GameSceneTest() override {
        m_main.DeleteAllChildren();
        m_driver.Mgr().DeleteAllChildren();
        g_pMainMgr = nullptr;
        ClearWindowClasses();
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        g_quit = false;
        g_config.m_useServer = false;
        plat::WSACleanup();
    }

    void Connect() {
        if (!g_connection) g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(g_connection->IsConnected());
    }

    TestGameScene* MakeScene() {
        auto* scene = new TestGameScene;
        m_main.AddChild(scene);
        return scene;
    }

    // One frame in the main manager's order, the clock moved first.
    void Frame(TestGameScene* scene, uint32_t ms = 33) {
        m_driver.Clock().Advance(ms);
        scene->ProcessMessages();
        scene->ProcessInput();
        scene->Update();
        scene->Draw();
    }

    std::vector<std::vector<uint8_t>> Sent() {
        std::vector<std::vector<uint8_t>> out;
        for (size_t i = 0; i < GameSession().QueuedMessages(); ++i)
            out.push_back(GameSession().QueuedMessage(i));
        return out;
    }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::WindowDriver m_driver;
    CMainMgr m_main;
    ScopedSceneFactory m_connect{SCENE_CONNECT, [] {
                                     g_madeScenes.push_back(SCENE_CONNECT);
                                     return nullptr;
                                 }};
    ScopedSceneFactory m_title{SCENE_TITLE, [] {
                                   g_madeScenes.push_back(SCENE_TITLE);
                                   return nullptr;
                               }};
};

TEST_F(GameSceneTest, EnteringSetsTheInGameFlagAndFadesInOnTheFirstDrawnFrame) {
    TestFadeMaker fades(m_driver.Clock());
    ScopedScreenFadeMaker scoped(fades);
    TestGameScene* scene = MakeScene();
    EXPECT_EQ(GameSession().m_inGame, 1);
    EXPECT_EQ(scene->GetKindId(), SCENE_GAME);
    EXPECT_EQ(scene->GetTransitionState(), GAME_MAP_READY);
    Frame(scene);  // the draw starts the 1,000 ms fade-in
    EXPECT_EQ(scene->GetTransitionState(), GAME_MAP_READY);
    Frame(scene, 999);
    EXPECT_EQ(scene->GetTransitionState(), GAME_MAP_READY);
    Frame(scene, 1);
    EXPECT_EQ(scene->GetTransitionState(), GAME_PLAYING);
}

TEST_F(GameSceneTest, LeavingClosesTheConnectionAndAsksForTheNextScene) {
    struct Case {
        bool withFade;
        bool toTitle;
    };
    for (const Case& c : {Case{true, false}, Case{true, true}, Case{false, false}, Case{false, true}}) {
        SCOPED_TRACE(std::to_string(c.withFade) + std::to_string(c.toTitle));
        g_madeScenes.clear();
        Connect();
        TestFadeMaker fades(m_driver.Clock());
        std::unique_ptr<ScopedScreenFadeMaker> scoped;
        if (c.withFade) scoped = std::make_unique<ScopedScreenFadeMaker>(fades);
        TestGameScene* scene = MakeScene();
        scene->SetTransitionState(GAME_PLAYING);
        if (c.toTitle)
            scene->LeaveToTitleScene();
        else
            scene->LeaveToConnectScene();
        EXPECT_EQ(scene->GetTransitionState(), c.toTitle ? GAME_LEAVING_TO_TITLE : GAME_LEAVING_TO_CONNECT);
        if (c.withFade) {
            scene->StepTransition();  // the clock has not moved: the fade-out runs
            EXPECT_TRUE(g_madeScenes.empty());
            EXPECT_TRUE(g_connection->IsConnected());
            m_driver.Clock().Advance(1000);
        }
        // Without a fade the step completes with the clock unmoved.
        scene->StepTransition();
        EXPECT_FALSE(g_connection->IsConnected());
        EXPECT_EQ(g_madeScenes, std::vector<uint32_t>{c.toTitle ? SCENE_TITLE : SCENE_CONNECT});
        EXPECT_TRUE(scene->HasLeft());
        scene->StepTransition();  // once only
        EXPECT_EQ(g_madeScenes.size(), 1u);
        m_main.ApplyPendingChildren();  // the scene is removed and deleted
        EXPECT_EQ(m_main.FindChildByKind(SCENE_GAME), nullptr);
    }
}

TEST_F(GameSceneTest, WaitingForTheMapThenMapReadySendsRequest57OnceWithTheNotifyFlag) {
    Connect();
    g_config.m_useServer = true;
    TestGameScene* scene = MakeScene();
    scene->SetTransitionState(GAME_PLAYING);
    scene->OnMapChange(false);
    EXPECT_EQ(scene->GetTransitionState(), GAME_WAITING_FOR_MAP);
    scene->mapReady = false;
    scene->StepTransition();
    scene->StepTransition();
    EXPECT_EQ(scene->GetTransitionState(), GAME_WAITING_FOR_MAP);  // waits for the map
    scene->mapReady = true;
    scene->mapNotify = true;
    scene->StepTransition();
    EXPECT_EQ(scene->GetTransitionState(), GAME_MAP_READY);
    scene->StepTransition();  // no fade started yet: the draw starts it
    EXPECT_EQ(scene->GetTransitionState(), GAME_MAP_READY);
    const size_t before = GameSession().QueuedMessages();
    Frame(scene);  // the draw starts the fade-in (none to wait for here)
    Frame(scene);
    EXPECT_EQ(scene->GetTransitionState(), GAME_PLAYING);
    Frame(scene);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), before + 1);
    EXPECT_EQ(sent.back(), std::vector<uint8_t>{57});
}

TEST_F(GameSceneTest, AMapChangeDropsTheQueuedActionsClosesTheFightNoticeAndNeverStopsALeave) {
    TestGameScene* scene = MakeScene();
    Frame(scene);
    Frame(scene);
    ASSERT_EQ(scene->GetTransitionState(), GAME_PLAYING);
    scene->QueuePickUp(4);
    CBaseWindow* notice = m_driver.Add(new uitest::TestWindow("FightClubNoticeWin"));
    CWeakRef noticeRef;
    noticeRef.Assign(notice);
    scene->OnMapChange(false);  // neither map a fight-club map: the notice stays
    EXPECT_FALSE(scene->HasQueuedAction());
    EXPECT_NE(noticeRef.GetAs<CBaseWindow>(), nullptr);
    EXPECT_TRUE(notice->IsVisibleInTree());
    scene->OnMapChange(true);
    m_driver.Mgr().Update();
    EXPECT_TRUE(noticeRef.GetAs<CBaseWindow>() == nullptr || !notice->IsVisibleInTree());

    // Leaving: a map change in the fade-out does not take the leave back.
    scene->SetTransitionState(GAME_PLAYING);
    scene->LeaveToTitleScene();
    scene->OnMapChange(false);
    EXPECT_EQ(scene->GetTransitionState(), GAME_LEAVING_TO_TITLE);
    Frame(scene);
    EXPECT_EQ(g_madeScenes, std::vector<uint32_t>{SCENE_TITLE});
}

// A map change puts down what the cursor held (its drag ends); leaving the
// field deletes the animation players' entries.
TEST_F(GameSceneTest, AMapChangePutsDownTheHeldObjectAndLeavingEndsTheAnimationPlayers) {
    CCursor cursor;
    cursor.Create();
    m_driver.Mgr().SetCursorObject(&cursor);
    CAniPlayMgr players;
    g_pAniPlayMgr = &players;
    struct Dragged : CDragObject {
        int ends = 0;
        bool EndDrag() override {
            ++ends;
            return true;
        }
    } held;
    TestGameScene* scene = MakeScene();
    Frame(scene);
    cursor.SetPointedObject(&held);
    scene->OnMapChange(false);
    EXPECT_EQ(cursor.GetHeldObject(), nullptr);
    EXPECT_EQ(held.ends, 1);

    players.Add(new CAniObject, 1, 0);
    ASSERT_EQ(players.GetCount(), 1u);
    scene->Release();
    EXPECT_EQ(players.GetCount(), 0u);
    g_pAniPlayMgr = nullptr;
    m_driver.Mgr().SetCursorObject(nullptr);
}

TEST_F(GameSceneTest, MessagesForWindowsNotYetInTheProgramAreDroppedUnread) {
    TestGameScene* scene = MakeScene();
    for (uint32_t id : {14u, 15u, 16u, 22u, 88u, 96u, 105u, 106u, 107u, 108u, 109u, 110u, 111u, 112u, 113u}) {
        auto line = std::make_unique<CChatLineMsg>();
        std::snprintf(line->m_text, sizeof line->m_text, "%s", "not for the notice line");
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, id, std::move(line), nullptr);
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, id, nullptr, nullptr);
    }
    scene->ProcessMessages();
    EXPECT_EQ(scene->GetPort()->Count(), 0);
    EXPECT_STREQ(scene->Overlays().GetNoticeText(), "");
    EXPECT_TRUE(Sent().empty());
}

// The web page and warp windows as the scene sees them: what reached them.
struct PageWindow : uitest::TestWindow, IWebPageView {
    PageWindow() : TestWindow("WebWindow") {}
    bool OpenPage() override { return calls.emplace_back("page"), true; }
    bool OpenNotice() override { return calls.emplace_back("notice"), true; }
    bool OpenUrl(const char* url) override { return calls.emplace_back(std::string("url ") + url), true; }
    void SetPageAddress(uint8_t length, const char* text) override {
        calls.push_back("address " + std::string(text, length));
    }
    void OpenBoard(uint8_t kind, uint8_t length1, const char* text1, uint8_t length2,
                   const char* text2) override {
        calls.push_back("board " + std::to_string(kind) + " " + std::string(text1, length1) + " " +
                        std::string(text2, length2));
    }
    bool IsPageOpen() const override { return false; }
    void ClosePage() override {}
    std::vector<std::string> calls;
};
struct WarpList : uitest::TestWindow, IWarpView {
    WarpList() : TestWindow("WarpPointWin") {}
    void Open(const uint32_t masks[6]) override { opened.assign(masks, masks + 6); }
    std::vector<uint32_t> opened;
};

TEST_F(GameSceneTest, PageAndWarpRecordsAndHotKeyZeroReachTheirWindows) {
    RegisterWindowClass("WebWindow", [] { return static_cast<CBaseWindow*>(new PageWindow); });
    RegisterWindowClass("WarpWindow", [] { return static_cast<CBaseWindow*>(new WarpList); });
    TestGameScene* scene = MakeScene();
    auto* page = dynamic_cast<PageWindow*>(scene->Windows().Get("WebWindow"));
    auto* warp = dynamic_cast<WarpList*>(scene->Windows().Get("WarpWindow"));
    ASSERT_NE(page, nullptr);
    ASSERT_NE(warp, nullptr);
    auto post = [scene](uint32_t id, std::unique_ptr<CMsgPayload> record) {
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, id, std::move(record), nullptr);
    };
    auto old = std::make_unique<COldNoticeMsg>();
    old->Set("http://a/page");
    post(MSG_OLD_NOTICE, std::move(old));
    auto notice = std::make_unique<CNoticeMsg>();
    notice->Set(5, "http://b", "x=1");
    post(MSG_NOTICE, std::move(notice));
    auto named = std::make_unique<COpenWebPageMsg>();
    named->m_address = "http://c";
    post(MSG_OPEN_WEB_PAGE, std::move(named));
    auto values = std::make_unique<CSixValuesMsg>();
    const uint32_t masks[6] = {0x3F, 0, 0, 0, 0, 0x80000000u};
    values->Set(masks);
    post(MSG_SIX_VALUES, std::move(values));
    scene->ProcessMessages();
    EXPECT_TRUE(scene->RunHotKey(0, false));
    EXPECT_EQ(page->calls, (std::vector<std::string>{"address http://a/page", "board 5 http://b x=1",
                                                     "url http://c", "page"}));
    EXPECT_EQ(warp->opened, std::vector<uint32_t>(masks, masks + 6));
}

// The event panel as the scene drives it: each call written down.
class RecordingPanel : public uitest::TestWindow, public IEventPanel {
public:
    RecordingPanel() : TestWindow("EventPanelWindow") {}
    bool OpenPanel(uint32_t eventId, uint8_t readyCount, const uint32_t* readyIds, uint8_t valueCount,
                   const uint8_t* values) override {
        std::string call = "open " + std::to_string(eventId) + " ids";
        for (uint8_t i = 0; i < readyCount; ++i) call += " " + std::to_string(readyIds[i]);
        call += " values";
        for (uint8_t i = 0; i < valueCount; ++i) call += " " + std::to_string(values[i]);
        s_calls.push_back(call);
        return true;
    }
    bool ClosePanel() override {
        s_calls.push_back("close");
        return true;
    }
    bool SetMemberAnswer(uint32_t charId, uint8_t answer) override {
        s_calls.push_back("answer " + std::to_string(charId) + " " + std::to_string(answer));
        return true;
    }
    void SetHighlight(uint8_t flag) override { s_calls.push_back("highlight " + std::to_string(flag)); }
    static inline std::vector<std::string> s_calls;
};

TEST_F(GameSceneTest, TheEventPanelTakesItsFourMessages) {
    RecordingPanel::s_calls.clear();
    RegisterWindowClass("EventPanelWindow", [] { return static_cast<CBaseWindow*>(new RecordingPanel); });
    TestGameScene* scene = MakeScene();
    CMsgPort* port = scene->GetPort();
    auto ids = std::make_unique<CIdListMsg>();
    const uint32_t ready[] = {7, 9};
    const uint8_t values[] = {4};
    ids->Set(31, 2, ready, 1, values);
    port->PostToPort(0, port, 0, MSG_ID_LIST, std::move(ids), nullptr);
    auto pair = std::make_unique<CScenePairMsg>();
    pair->Set(9, 1);
    port->PostToPort(0, port, 0, MSG_SCENE_PAIR, std::move(pair), nullptr);
    auto highlight = std::make_unique<CSceneByteMsg>(MSG_SCENE_BYTE);
    highlight->Set(1);
    port->PostToPort(0, port, 0, MSG_SCENE_BYTE, std::move(highlight), nullptr);
    port->PostToPort(0, port, 0, MSG_SCENE_SIGNAL_99, std::make_unique<CSceneByteMsg>(MSG_SCENE_SIGNAL_99),
                     nullptr);
    // A record of another type for the panel's ids is let go.
    port->PostToPort(0, port, 0, MSG_SCENE_PAIR, std::make_unique<CChatLineMsg>(), nullptr);
    scene->ProcessMessages();
    EXPECT_EQ(RecordingPanel::s_calls,
              (std::vector<std::string>{"open 31 ids 7 9 values 4", "answer 9 1", "highlight 1", "close"}));
}

// A bag that counts its frames.
struct CountingBag : CSlotObjectMgr {
    bool Update() override {
        ++updates;
        return CSlotObjectMgr::Update();
    }
    int updates = 0;
};

TEST_F(GameSceneTest, FirstUpdateUsesTwentyMillisecondsAndTheBagsStepEachFrame) {
    CItemTableMgr items;
    g_pItemTableMgr = &items;
    auto* bag = new CountingBag;
    items.SetContainer(0, bag);
    TestGameScene* scene = MakeScene();
    Frame(scene, 500);
    EXPECT_EQ(bag->updates, 1);
    EXPECT_EQ(scene->GetLastElapsed(), GAME_FIRST_ELAPSED_MS);
    Frame(scene, 45);
    EXPECT_EQ(scene->GetLastElapsed(), 45u);
    // Nothing moves while the world is not ready.
    scene->worldReady = false;
    const uint32_t frames = scene->GetFrameCounter();
    Frame(scene, 10);
    EXPECT_EQ(scene->GetFrameCounter(), frames);
    EXPECT_EQ(bag->updates, 2);
    g_pItemTableMgr = nullptr;
}

TEST_F(GameSceneTest, RunningSkillUsesStepEachFrameAndFinishedOnesGo) {
    struct CountedUse : CSkillUse {
        bool Update() override {
            if (++m_updates == 2) m_finished = 1;
            return true;
        }
        int m_updates = 0;
    };
    CSkillTableMgr skills;
    g_pSkillTableMgr = &skills;
    auto* use = new CountedUse;
    skills.AddChild(use);
    TestGameScene* scene = MakeScene();
    Frame(scene);
    EXPECT_EQ(use->m_updates, 1);
    Frame(scene);  // finished in its second update
    Frame(scene);  // and deleted by the next
    EXPECT_EQ(skills.ChildCount(), 0);
    g_pSkillTableMgr = nullptr;
}

TEST_F(GameSceneTest, TheScriptsRunAndDrawEveryFrameAndAreReleasedWhenTheSceneGoes) {
    struct Scripts : ISceneScripts {
        void UpdateScripts() override { ++updates; }
        void DrawScripts() override { ++draws; }
        void ResetScripts() override { ++resets; }
        int updates = 0, draws = 0, resets = 0;
    } scripts;
    ScopedSceneScripts scoped(scripts);
    TestGameScene* scene = MakeScene();
    Frame(scene);
    EXPECT_EQ(scripts.draws, 1);
    scene->worldReady = false;  // they run while the world is not ready too
    Frame(scene);
    EXPECT_EQ(scripts.updates, 2);
    EXPECT_EQ(scripts.resets, 0);
    scene->Release();
    EXPECT_EQ(scripts.resets, 1);
}

TEST_F(GameSceneTest, SystemWindowChoiceIsTakenOnceAfterTheWindowHides) {
    TestGameScene* scene = MakeScene();
    auto* system = dynamic_cast<SystemWindow*>(scene->Windows().Get("SYSTEM_WINDOW"));
    ASSERT_NE(system, nullptr);
    Frame(scene);
    system->Show();
    system->choice = 1;
    Frame(scene);
    EXPECT_EQ(system->choice, 1);  // still shown: not yet
    EXPECT_EQ(scene->GetTransitionState(), GAME_PLAYING);
    system->Hide();
    Frame(scene);
    EXPECT_EQ(system->choice, -1);
    EXPECT_FALSE(system->gameOver);
    EXPECT_EQ(scene->GetTransitionState(), GAME_LEAVING_TO_CONNECT);

    // A choice outside 0-3 stays as it is.
    system->choice = 7;
    Frame(scene);
    EXPECT_EQ(system->choice, 7);
    // 3 saves the layout and quits.
    system->choice = 3;
    Frame(scene);
    EXPECT_TRUE(g_quit);
    EXPECT_EQ(system->choice, -1);
}

TEST_F(GameSceneTest, TheTelescopeViewTakesTheScreenAndInputOnlyWhenItsWindowExists) {
    {
        TestGameScene* scene = MakeScene();  // no telescope window
        scene->OpenTelescope();
        EXPECT_FALSE(scene->IsTelescopeOn());  // the field goes on
        m_main.DeleteAllChildren();
    }
    RegisterWindowClass("Telescope_View_Window", [] {
        return static_cast<CBaseWindow*>(new uitest::TestWindow("Telescope_View_Window"));
    });
    TestGameScene* scene = MakeScene();
    auto* telescope = dynamic_cast<uitest::TestWindow*>(scene->Windows().Get("Telescope_View_Window"));
    ASSERT_NE(telescope, nullptr);
    scene->OpenTelescope();
    EXPECT_TRUE(scene->IsTelescopeOn());
    EXPECT_TRUE(telescope->IsVisibleInTree());
    const int inputs = telescope->m_inputs, draws = telescope->m_draws;
    Frame(scene);
    EXPECT_EQ(telescope->m_inputs, inputs + 1);
    EXPECT_EQ(telescope->m_draws, draws + 1);
    scene->StartScreenFade();
    EXPECT_FALSE(scene->IsTelescopeOn());
}

TEST_F(GameSceneTest, GameRequestAnswerAndQuitBox) {
    Connect();
    TestGameScene* scene = MakeScene();
    scene->ShowGameRequest(0x01020304);
    CMessageBox* box = scene->Windows().GetRequestBox();
    ASSERT_NE(box, nullptr);
    const size_t before = GameSession().QueuedMessages();
    for (uint32_t answer : {1u, 0u})
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, GAME_MSG_BOX_ANSWER, nullptr,
                                     std::make_unique<CMsgWord>(GAME_SCENE_REQUEST_BOX), answer);
    scene->ProcessMessages();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), before + 2);
    EXPECT_EQ(sent[before], (std::vector<uint8_t>{78, 1, 1, 1, 2, 3, 4, 1}));
    EXPECT_EQ(sent[before + 1], (std::vector<uint8_t>{78, 1, 1, 1, 2, 3, 4, 0}));
    EXPECT_FALSE(g_quit);
    scene->GetPort()->PostToPort(0, scene->GetPort(), 0, GAME_MSG_BOX_ANSWER, nullptr,
                                 std::make_unique<CMsgWord>(GAME_SCENE_QUIT_BOX), 1);
    scene->ProcessMessages();
    EXPECT_TRUE(g_quit);
}

TEST_F(GameSceneTest, ChatLinesGoToTheNoticeLineOrTheItemNotices) {
    RegisterWindowClass("TOOLTIPSTACKWIN", [] { return static_cast<CBaseWindow*>(new CToolTipStackWindow); });
    TestGameScene* scene = MakeScene();
    auto post = [&](uint32_t kind, const char* text) {
        auto line = std::make_unique<CChatLineMsg>();
        line->Set(kind, text);
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, GAME_MSG_CHAT_LINE, std::move(line), nullptr);
    };
    post(4, "server notice");
    post(GAME_CHAT_KIND_AUTO_GET, "got an apple");
    post(99, nullptr);
    scene->GetPort()->PostToPort(0, scene->GetPort(), 0, 1234, nullptr, nullptr);  // unknown: dropped
    scene->ProcessMessages();
    EXPECT_EQ(scene->GetPort()->Count(), 0);
    EXPECT_STREQ(scene->Overlays().GetNoticeText(), "");  // the kind-99 line replaced it
    auto* stack = dynamic_cast<CToolTipStackWindow*>(scene->Windows().Get("TOOLTIPSTACKWIN"));
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->GetNoticeCount(), 1);
    post(4, "second");
    scene->ProcessMessages();
    EXPECT_STREQ(scene->Overlays().GetNoticeText(), "second");
    EXPECT_EQ(scene->Overlays().GetNoticeKind(), 4);
}

TEST_F(GameSceneTest, FightNoticeMessagesDriveTheBoard) {
    TestGameScene* scene = MakeScene();
    auto post = [&](uint32_t id, uint8_t which, uint16_t first, uint16_t second, uint8_t phase) {
        auto notice = std::make_unique<CFightNoticeMsg>(id);
        notice->m_which = which;
        notice->m_first = first;
        notice->m_second = second;
        notice->m_phase = phase;
        scene->GetPort()->PostToPort(0, scene->GetPort(), 0, id, std::move(notice), nullptr);
        scene->ProcessMessages();
    };
    post(MSG_FIGHT_NOTICE_START, 0, 0, 0, 0);
    EXPECT_TRUE(scene->Overlays().IsBannerActive());
    post(MSG_FIGHT_NOTICE_END, 0, 0, 0, 0);
    EXPECT_TRUE(scene->Overlays().IsBoardShown());
    post(MSG_FIGHT_NOTICE_VALUE, 1, 0, 7, 0);
    EXPECT_EQ(scene->Overlays().GetScore(1), 7);
    EXPECT_EQ(scene->Overlays().GetScore(0), 0);
    post(MSG_FIGHT_NOTICE_PHASE, 2, 3, 9, 2);
    EXPECT_FALSE(scene->Overlays().IsBoardShown());
}

TEST_F(GameSceneTest, EachSetterClearsTheRestAndAimingKeepsTheCharacterActions) {
    CCursor cursor;  // shows the aiming mode
    cursor.Create();
    g_pCursor = &cursor;
    TestGameScene* scene = MakeScene();
    scene->QueuePickUp(5);
    EXPECT_TRUE(scene->m_pickUp);
    scene->QueueAttack(nullptr, true);
    EXPECT_FALSE(scene->m_pickUp);
    EXPECT_TRUE(scene->m_attack[0]);
    EXPECT_TRUE(scene->HasQueuedTarget());
    scene->QueueActionA(9);
    EXPECT_FALSE(scene->m_attack[0]);
    EXPECT_TRUE(scene->m_actionA);
    scene->StartMoveHold(true);  // a repeat changes nothing
    EXPECT_TRUE(scene->m_actionA);
    scene->StartMoveHold(false);
    EXPECT_FALSE(scene->m_actionA);
    EXPECT_TRUE(scene->m_leftHold);

    scene->QueueSkillOnCharacter(nullptr, 12);
    scene->BeginSkillAiming(40);
    EXPECT_EQ(scene->GetActionMode(), 2);
    EXPECT_EQ(cursor.GetMode(), 2u);
    EXPECT_TRUE(scene->m_skillOnChar);
    scene->QueueCharacterAction(nullptr);
    EXPECT_FALSE(scene->m_skillOnChar);
    scene->QueuePickUp(1);
    scene->BeginItemAiming(3, 1, 0, 0);
    EXPECT_EQ(scene->GetActionMode(), 1);
    EXPECT_EQ(cursor.GetMode(), 1u);
    EXPECT_FALSE(scene->m_pickUp);
    scene->EndAiming();
    EXPECT_EQ(scene->GetActionMode(), 0);
    EXPECT_EQ(cursor.GetMode(), 0u);
    m_main.DeleteAllChildren();
    g_pCursor = nullptr;
}

TEST(FieldActionsTest, ItemUseTargetsByFlagsAndKinds) {
    struct Case {
        uint8_t flags;
        int32_t kind;
        bool place;
        bool allowed;
    };
    for (const Case& c : {
             Case{ITEM_USE_ON_PLACE | ITEM_USE_NEVER, -1, true, true},   // a place the map accepts
             Case{ITEM_USE_ON_PLACE | ITEM_USE_NEVER, 0, false, false},  // never on a character
             Case{ITEM_USE_ON_PLACE, -1, false, false},                  // the map refuses the tile
             Case{ITEM_USE_ON_PLAYER, 0, false, true}, Case{ITEM_USE_ON_PLAYER, 1, false, false},
             Case{ITEM_USE_ON_NPC, 1, false, true}, Case{ITEM_USE_ON_MONSTER, 2, false, true},
             Case{ITEM_USE_ON_MONSTER, 6, false, false}, Case{ITEM_USE_ON_MAP_OBJECT, 6, false, true},
             Case{0, 3, false, true},                                // pets and other kinds
             Case{0, 5, false, true}, Case{0xFF, -1, false, false},  // no target, no place
         })
        EXPECT_EQ(CanUseItemOnKind(c.flags, c.kind, c.place), c.allowed) << int(c.flags) << " " << c.kind;
    EXPECT_FALSE(CanUseItemOn(nullptr, 0, false));  // no item: no flags
    for (auto [kind, effect] :
         {std::pair{0, 424u}, {1, 424u}, {2, 427u}, {3, 427u}, {4, 425u}, {5, 0u}, {-1, 0u}})
        EXPECT_EQ(UiSoundEffect(kind), effect) << kind;
}

}  // namespace
