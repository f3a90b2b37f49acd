#include "scenes/start_scene.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/config.h"
#include "platform/keyboard.h"
#include "scenes/intro_movie_scene.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using scenetest::SceneFixture;

class StartSceneTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = g_options; }
    void TearDown() override { g_options = m_saved; }
    COptions m_saved;
};

// The logo fades in (1 s), holds (2 s) and fades out (1 s) whatever the
// input, then the intro movie follows while it has never played, else the title.
TEST_F(StartSceneTest, ShowsTheLogoForItsWholeTimeThenPicksTheNextScene) {
    struct Case {
        uint32_t introSeen;
        bool fades;
        uint32_t next;
        uint32_t shownMs;  // how long the logo stays at least
    } cases[] = {
        {0, true, SCENE_INTRO_MOVIE, 4000},
        {1, true, SCENE_TITLE, 4000},
        {7, true, SCENE_TITLE, 4000},
        // Without a fade the fades take no time; the hold stays.
        {0, false, SCENE_INTRO_MOVIE, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "intro seen " << c.introSeen << ", fades " << c.fades);
        SceneFixture f;
        if (c.fades) f.UseFades();
        f.RecordKinds({SCENE_INTRO_MOVIE, SCENE_TITLE});
        g_options.SetU32(OPT_INTRO_SEEN, c.introSeen);
        f.Add(new CStartScene);
        uint32_t elapsed = 0;
        while (elapsed + 10 < c.shownMs) {
            // Keys and clicks do not shorten the logo.
            f.PressKey(plat::VK_ESCAPE);
            f.PressKey(plat::VK_RETURN);
            f.m_input.MouseDown(0, 10, 10);
            f.Frame(10);
            elapsed += 10;
            ASSERT_EQ(f.SceneKind(), SCENE_START) << "at " << elapsed << " ms";
        }
        f.RunFor(100, 10);
        EXPECT_EQ(f.SceneKind(), c.next);
        EXPECT_EQ(f.Made(), std::vector<uint32_t>{c.next}) << "one scene follows";
        EXPECT_FALSE(f.Cursor()->IsDrawOn()) << "the cursor is hidden for the next scene";
    }
}

}  // namespace

namespace {

class CountedScene : public CBaseObject {
public:
    explicit CountedScene(int* deleted) : m_deleted(deleted) { SetKindId(SCENE_TITLE); }
    ~CountedScene() override { ++*m_deleted; }
    int* m_deleted;
};

// The main manager takes one pending scene of a kind: a second one made by
// a leaving scene is deleted, and the scene still leaves.
TEST(SceneSwitch, ANewSceneTheMainManagerRefusesIsDeleted) {
    const COptions saved = g_options;
    SceneFixture f;
    int deleted = 0;
    ScopedSceneFactory title(SCENE_TITLE,
                             [&deleted]() -> CBaseObject* { return new CountedScene(&deleted); });
    auto* pending = new scenetest::RecordedScene(SCENE_TITLE);
    // The intro movie scene, without a movie, leaves for the title in its first frame.
    f.Add(new CIntroMovieScene);
    ASSERT_TRUE(f.m_main.ScheduleAddChild(pending));
    f.Frame();
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(f.Scene(), pending);
    g_options = saved;
    std::remove(OPTIONS_FILE_NAME);
}

}  // namespace
