#include "scenes/intro_movie_scene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "core/config.h"
#include "platform/keyboard.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using scenetest::SceneFixture;

// A movie of a number of frames.
class TestMovies : public ISceneMovies {
public:
    class Movie : public ISceneMovie {
    public:
        explicit Movie(TestMovies& owner) : m_owner(owner) {}
        bool RenderFrame() override { return ++m_owner.m_rendered < m_owner.m_frames; }
        TestMovies& m_owner;
    };
    std::unique_ptr<ISceneMovie> OpenMovie(const char* path, int32_t, int32_t) override {
        m_opened.emplace_back(path);
        if (m_frames == 0) return nullptr;
        return std::make_unique<Movie>(*this);
    }
    int m_frames = 0, m_rendered = 0;
    std::vector<std::string> m_opened;
};

class IntroMovieSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = g_options;
        std::remove(OPTIONS_FILE_NAME);
        g_options.SetU32(OPT_INTRO_SEEN, 0);
        g_options.SetByte(OPT_SCENE_FORCED, 7);
        m_f.RecordKinds({SCENE_TITLE});
    }
    void TearDown() override {
        g_options = m_saved;
        std::remove(OPTIONS_FILE_NAME);
    }
    // The intro-seen value the options file holds.
    static uint32_t SavedIntroSeen() {
        std::ifstream in(OPTIONS_FILE_NAME, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t at = 4 + OPT_INTRO_SEEN;  // after the version
        return bytes.size() >= at + 4 ? LoadU32Le(bytes.data() + at) : 0xFFFFFFFF;
    }

    COptions m_saved;
    TestMovies m_movies;
    ScopedSceneMovies m_moviesScope{m_movies};
    SceneFixture m_f;
};

TEST_F(IntroMovieSceneTest, WithoutAMovieTheTitleComesNextFrameAndTheIntroCountsAsSeen) {
    m_f.Add(new CIntroMovieScene);
    EXPECT_EQ(g_options.GetU32(OPT_INTRO_SEEN), 1u);
    EXPECT_EQ(SavedIntroSeen(), 1u) << "saved at once";
    EXPECT_EQ(g_options.GetByte(OPT_SCENE_FORCED), 1) << "forced while the scene runs";
    m_f.Frame();
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    EXPECT_EQ(m_movies.m_opened, std::vector<std::string>{"Quill.AVI"});
    EXPECT_EQ(g_options.GetByte(OPT_SCENE_FORCED), 7) << "restored when it goes";
}

TEST_F(IntroMovieSceneTest, TheMoviePlaysToItsEndThenTheTitle) {
    m_movies.m_frames = 5;
    m_f.Add(new CIntroMovieScene);
    for (int i = 0; i < 5; ++i) {
        m_f.Frame();
        EXPECT_EQ(m_f.SceneKind(), SCENE_INTRO_MOVIE);
    }
    EXPECT_EQ(m_movies.m_rendered, 5);
    m_f.Frame();  // the last frame's hand-over takes effect
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
    EXPECT_EQ(m_f.Made().size(), 1u);
}

// The movie ends in one frame's drawing and two Escapes come before the
// hand-over takes effect: one title.
TEST_F(IntroMovieSceneTest, SeveralEscapesMakeOneTitle) {
    m_movies.m_frames = 1;
    m_f.Add(new CIntroMovieScene);
    m_f.Frame();
    EXPECT_EQ(m_movies.m_rendered, 1);
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.Frame(1);
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_TITLE});
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
}

TEST_F(IntroMovieSceneTest, EscapeLeavesForTheTitle) {
    m_movies.m_frames = 100;
    m_f.Add(new CIntroMovieScene);
    m_f.Frame();
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.PressKey(plat::VK_ESCAPE);
    m_f.Frame(1);
    EXPECT_EQ(m_f.Made(), std::vector<uint32_t>{SCENE_TITLE});
    EXPECT_EQ(m_f.SceneKind(), SCENE_TITLE);
}

}  // namespace
