#include "scenes/title_scene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "net/game_session.h"
#include "tests/scenes/scene_fixture.h"
#include "tests/scenes/scene_windows.h"
#include "tests/ui/test_windows.h"
#include "ui/window_mgr.h"

namespace {

using scenetest::LastTitleWindow;
using scenetest::SceneFixture;

class RecordingMusic : public ISceneMusic {
public:
    bool PlayMusicList(const char* name) override {
        m_played.emplace_back(name);
        return true;
    }
    void FadeOutMusic() override { ++m_fadeOuts; }
    std::vector<std::string> m_played;
    int m_fadeOuts = 0;
};

class TitleSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        scenetest::RegisterTestWindows();
        m_useServer = g_config.m_useServer;
        m_sound = g_config.m_sound;
        g_config.m_useServer = false;
        g_config.m_sound = true;
        std::remove(INTRO_MOVIE_FILE);
        m_f.UseFades();
        m_f.RecordKinds({SCENE_OFFLINE, SCENE_CONNECT, SCENE_INTRO_MOVIE});
        m_scene = m_f.Add(new CTitleScene);
        m_title = LastTitleWindow();
        ASSERT_NE(m_title, nullptr);
    }
    void TearDown() override {
        std::remove(INTRO_MOVIE_FILE);
        g_config.m_useServer = m_useServer;
        g_config.m_sound = m_sound;
    }

    RecordingMusic m_music;
    ScopedSceneMusic m_musicScope{m_music};
    SceneFixture m_f;
    CTitleScene* m_scene = nullptr;
    scenetest::TestTitleWindow* m_title = nullptr;
    bool m_useServer = false, m_sound = true;
};

TEST(TitleSceneChoices, EachChoiceLeavesOnlyOnceItsFadeOutHasFinished) {
    scenetest::RegisterTestWindows();
    RecordingMusic music;
    ScopedSceneMusic musicScope(music);
    const bool useServer = g_config.m_useServer;
    g_config.m_useServer = false;
    struct Case {
        int32_t choice;
        bool movieThere;
        uint32_t next;  // -1: the program ends
    } cases[] = {
        {TITLE_CHOICE_START, false, SCENE_CONNECT},  // without a server: straight to the connect scene
        {TITLE_CHOICE_OFFLINE, false, SCENE_OFFLINE},
        {TITLE_CHOICE_INTRO, true, SCENE_INTRO_MOVIE},
        {TITLE_CHOICE_EXIT, false, uint32_t(-1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        SceneFixture f;
        f.UseFades();
        f.RecordKinds({SCENE_OFFLINE, SCENE_CONNECT, SCENE_INTRO_MOVIE});
        if (c.movieThere) std::fclose(std::fopen(INTRO_MOVIE_FILE, "wb"));
        f.Add(new CTitleScene);
        f.RunFor(1200);  // the fade-in is over
        const int fadeOutsBefore = music.m_fadeOuts;
        LastTitleWindow()->SetChoice(c.choice);
        f.RunFor(990, 10);
        EXPECT_EQ(f.SceneKind(), SCENE_TITLE) << "the fade-out still runs";
        EXPECT_FALSE(g_quit);
        EXPECT_EQ(music.m_fadeOuts, fadeOutsBefore + 1) << "the music fades with the screen";
        f.RunFor(50, 10);
        if (c.next == uint32_t(-1)) {
            EXPECT_TRUE(g_quit);
            EXPECT_TRUE(f.Made().empty());
        } else {
            EXPECT_EQ(f.Made(), std::vector<uint32_t>{c.next});
            EXPECT_EQ(f.SceneKind(), c.next);
        }
        EXPECT_FALSE(f.Cursor()->IsDrawOn());
        std::remove(INTRO_MOVIE_FILE);
        g_quit = false;
    }
    g_config.m_useServer = useServer;
    ASSERT_FALSE(music.m_played.empty());
    EXPECT_EQ(music.m_played.front(), TITLE_MUSIC);
}

TEST_F(TitleSceneTest, TheIntroWithoutItsMovieShowsTheMessageAndStays) {
    m_f.RunFor(1200);
    m_title->SetChoice(TITLE_CHOICE_INTRO);
    m_f.Frame();
    EXPECT_NE(m_f.m_windows.FindWindowByName(MESSAGE_BOX_NAME), nullptr);
    EXPECT_EQ(m_title->GetChoice(), TITLE_CHOICE_NONE);
    m_f.RunFor(3000);
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    EXPECT_TRUE(m_f.Made().empty());
}

TEST_F(TitleSceneTest, ASecondChoiceDuringTheFadeOutIsIgnored) {
    m_f.RunFor(1200);
    m_title->SetChoice(TITLE_CHOICE_OFFLINE);
    m_f.RunFor(500);
    m_title->SetChoice(TITLE_CHOICE_EXIT);
    m_f.Frame();
    m_title->SetChoice(TITLE_CHOICE_START);
    m_f.Frame();
    EXPECT_EQ(m_title->GetChoice(), TITLE_CHOICE_NONE) << "a start during the fade-out is taken back";
    m_f.RunFor(1000);
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_OFFLINE});
    EXPECT_FALSE(g_quit);
}

TEST_F(TitleSceneTest, AServerStartWaitsForTheLogInFlow) {
    g_config.m_useServer = true;
    m_f.RunFor(1200);
    m_title->SetChoice(TITLE_CHOICE_START);
    m_f.Frame();
    EXPECT_EQ(m_title->m_loginFlowsOpened, 1);
    EXPECT_TRUE(m_scene->IsWaiting());
    m_f.RunFor(3000);
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE) << "it waits while the log-in flow is open";

    // Leaving the flow from its first window: back to the choices.
    GameSession().m_loginFlow = 5;
    m_title->m_closed = true;
    m_f.Frame();
    EXPECT_FALSE(m_scene->IsWaiting());
    EXPECT_EQ(m_scene->GetPendingAction(), CTitleScene::ACTION_NONE);
    EXPECT_EQ(GameSession().m_loginFlow, 0);

    // Again, and logged in this time: the fade-out to the connect scene.
    m_title->SetChoice(TITLE_CHOICE_START);
    m_f.Frame();
    EXPECT_EQ(m_title->m_loginFlowsOpened, 2);
    m_title->m_loginResult = 1;
    m_f.Frame();
    EXPECT_EQ(m_title->m_loginResult, -1);
    m_f.RunFor(1100);
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_CONNECT});
}

TEST_F(TitleSceneTest, LeavingClosesTheTitleWindow) {
    CBaseWindow* window = m_scene->GetTitleWindow();
    ASSERT_NE(m_f.m_windows.HasWindow(window), nullptr);
    m_title->SetChoice(TITLE_CHOICE_OFFLINE);
    m_f.RunFor(1100);
    EXPECT_FALSE(window->IsDrawOn());
    m_f.m_windows.Update();  // the next scene's window update deletes it
    EXPECT_EQ(LastTitleWindow(), nullptr);
}

}  // namespace

TEST_F(TitleSceneTest, AWindowOfTheLastSceneClosingLateLeavesTheKeyboardWithTheTitle) {
    // A character's window of the scene before, closed one frame late:
    // its removal renumbers the windows, which takes every active flag.
    auto* late = new uitest::TestWindow("CHAR_MSGWIN");
    m_f.m_windows.AddChild(late);
    m_f.m_windows.CloseWindow(late);
    m_f.Frame();
    EXPECT_TRUE(m_title->IsActiveFlag());
    // A message box over the title keeps the keyboard.
    auto* box = new uitest::TestWindow(MESSAGE_BOX_NAME);
    m_f.m_windows.AddChildBack(box);
    box->SetActive(true, false);
    m_f.Frame();
    EXPECT_TRUE(box->IsActiveFlag());
    EXPECT_FALSE(m_title->IsActiveFlag());
}
