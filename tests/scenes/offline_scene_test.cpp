#include "scenes/offline_scene.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "platform/keyboard.h"
#include "scenes/char_create_scene.h"
#include "tests/scenes/scene_fixture.h"
#include "tests/scenes/scene_windows.h"

namespace {

using scenetest::SceneFixture;

class OfflineSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_options = g_options;
        m_useServer = g_config.m_useServer;
        g_config.m_useServer = true;
        g_options.SetByte(OPT_SCENE_FORCED, 0);
        m_f.RecordKinds({SCENE_TITLE});
    }
    void TearDown() override {
        g_options = m_options;
        g_config.m_useServer = m_useServer;
    }

    COptions m_options;
    bool m_useServer = false;
    SceneFixture m_f;
};

TEST_F(OfflineSceneTest, WithoutAnEventManagerItGoesBackToTheTitleAtOnce) {
    m_f.Add(new COfflineScene);
    EXPECT_FALSE(g_config.m_useServer) << "no server while it runs";
    m_f.Frame();
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    EXPECT_TRUE(g_config.m_useServer) << "server mode is back";
    EXPECT_EQ(g_options.GetByte(OPT_SCENE_FORCED), 0);
}

TEST_F(OfflineSceneTest, PlaysItsEventUntilTheEventEnds) {
    ScopedSceneEvents scope(m_f.m_events);
    ScopedSceneScripts scripts(m_f.m_scripts);
    m_f.Add(new COfflineScene);
    EXPECT_EQ(g_options.GetByte(OPT_SCENE_FORCED), 1);
    m_f.RunFor(500);
    EXPECT_EQ(m_f.m_events.m_started, std::vector<uint32_t>{OFFLINE_EVENT_FILE});
    EXPECT_EQ(m_f.SceneKind(), SCENE_OFFLINE);
    EXPECT_GT(m_f.m_events.m_updates, 0);
    m_f.m_events.m_running = false;
    m_f.Frame();
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    // Leaving ends the event and frees the controls.
    EXPECT_GE(m_f.m_events.m_ended, 1);
    EXPECT_FALSE(m_f.m_events.m_active);
    EXPECT_FALSE(m_f.m_events.m_locked);
    EXPECT_EQ(m_f.m_scripts.m_resets, 1);
    EXPECT_TRUE(g_config.m_useServer);
    EXPECT_EQ(g_options.GetByte(OPT_SCENE_FORCED), 0);
}

TEST_F(OfflineSceneTest, EscapeAndTheEventsEndInOneFrameMakeOneTitle) {
    ScopedSceneEvents scope(m_f.m_events);
    m_f.Add(new COfflineScene);
    m_f.Frame();
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.m_events.m_running = false;
    m_f.Frame();
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_TITLE});
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    EXPECT_TRUE(g_config.m_useServer);
}

// A CHAR_NUM the player table does not hold counts as 0.
TEST(LocalCharacter, ACharNumberOutsideThePlayerTableCountsAsZero) {
    const int32_t saved = g_config.m_charNum;
    CCharResourceMgr* savedMgr = g_pCharResourceMgr;
    for (int32_t number : {-1, 0, 3, 1000000}) {
        g_config.m_charNum = number;
        g_pCharResourceMgr = nullptr;
        EXPECT_EQ(LocalCharResourceId(), PLAYER_ID_BASE) << number;
    }
    g_config.m_charNum = saved;
    g_pCharResourceMgr = savedMgr;
}

TEST(CharCreateScene, ADoneWindowLeadsBackToTheConnectScene) {
    scenetest::RegisterTestWindows();
    for (int32_t result : {0, 1}) {
        SCOPED_TRACE(result);
        SceneFixture f;
        f.UseFades();
        f.RecordKinds({SCENE_CONNECT});
        auto* scene = f.Add(new CCharCreateScene);
        ASSERT_NE(scenetest::LastCreateWindow(), nullptr);
        EXPECT_TRUE(f.Cursor()->IsDrawOn());
        f.RunFor(2000);
        EXPECT_EQ(f.SceneKind(), SCENE_CHAR_CREATE) << "no result yet";
        scenetest::LastCreateWindow()->m_result = result;
        f.Frame(10);
        EXPECT_FALSE(scene->Fade().IsFadeIn());
        f.RunFor(980, 10);
        EXPECT_EQ(f.SceneKind(), SCENE_CHAR_CREATE);
        f.RunFor(50, 10);
        EXPECT_EQ(f.Made(), std::vector<uint32_t>{SCENE_CONNECT});
        EXPECT_FALSE(f.Cursor()->IsDrawOn());
    }
}

}  // namespace
