// The event commands on a field: characters walking, playing and stopping
// motions, emoticons, the message box, the map's darkness, the event sounds
// over a fake sound service, the fades and effects with and without the
// effects service, and the movie with its page fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "anim/ani_object.h"
#include "anim/darkness_overlay.h"
#include "core/app_state.h"
#include "platform/url.h"
#include "script/event_command.h"
#include "script/event_services.h"
#include "tests/script/event_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/window_driver.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

using qmtest::EventWriter;
using qmtest::PByte;
using qmtest::PName;
using qmtest::PPoint;
using qmtest::PShort;
using qmtest::PText;
using qmtest::PTriple;

// Every code of both code tables makes a command of its kind.
TEST(EventCommandKinds, EveryCodeOfBothTablesMakesACommand) {
    for (const bool visual : {true, false})
        for (int code = 0; code < 1200; ++code) {
            const int kind = EventCommandKind(uint16_t(code), visual);
            if (kind < 0) continue;
            auto command = MakeEventCommand(kind, !visual && code == 919);
            ASSERT_TRUE(command) << (visual ? "V" : "F") << code;
            EXPECT_EQ(command->GetKind(), uint32_t(kind)) << code;
        }
}

// The lead character of a field script is the player: target kind 2.
std::vector<EventParam> Lead() {
    return {PByte(2), PShort(8, 0)};
}
std::vector<EventParam> Lead(std::vector<EventParam> more) {
    std::vector<EventParam> params = Lead();
    params.insert(params.end(), more.begin(), more.end());
    return params;
}

class EventCommandsTest : public eventtest::EventTest {
protected:
    void SetUp() override {
        EventTest::SetUp();
        m_player = MakePlayer(1);
        ASSERT_TRUE(m_player);
    }
    // The kinds of the running function's commands still running.
    std::vector<uint32_t> Running() const {
        std::vector<uint32_t> kinds;
        CEventScript* event = g_pEventMgr->GetEvent();
        if (CEventFunction* f = event ? event->Running() : nullptr)
            for (CEventCommand* c : f->Active()) kinds.push_back(c->GetKind());
        return kinds;
    }
    // A frame of the player's character, then of the manager.
    void StepAll(uint32_t ms = 33) {
        Clock().Advance(ms);
        m_player->UpdateFrame(ms, false);
        g_pEventMgr->Update();
    }
    bool IsRunning(uint32_t kind) const {
        const std::vector<uint32_t> kinds = Running();
        return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
    }

    CChar* m_player = nullptr;
};

TEST_F(EventCommandsTest, AWalkIsPostedAndEndsWhereTheCharacterStandsAtRest) {
    EventWriter w;
    w.Command(300, Lead({PTriple(0, 0, 0), PPoint(12, 14), PByte(0), PText("1000"), PByte(0)})).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    ASSERT_TRUE(IsRunning(38));
    Step();
    EXPECT_TRUE(IsRunning(38)) << "not there yet";
    m_player->GetData()->m_restMotion = 1;
    m_player->SetPosition(12 * 24, 14 * 12, 0);
    Step();
    EXPECT_FALSE(IsRunning(38));
    EXPECT_EQ(m_player->GetData()->m_motion, EVENT_REST_STATE);
    EXPECT_EQ(m_player->GetAniObject()->GetCurrentMotionId(), 1);
}

TEST_F(EventCommandsTest, AWalkThatDoesNotWaitFinishesAndASkippedOneArrivesAtOnce) {
    {
        EventWriter w;
        w.Command(300, Lead({PTriple(0, 0, 0), PPoint(5, 6), PByte(0), PText("1"), PByte(1)})).Command(3);
        ASSERT_TRUE(Start(w));
        Step(0);
        Step();
        EXPECT_FALSE(IsRunning(38));
        EXPECT_NE(m_player->m_cellX, 5) << "the walk itself is the character's";
        g_pEventMgr->StopEvent(false);
    }
    EventWriter w;
    w.Command(911).Command(300, Lead({PTriple(0, 0, 0), PPoint(7, 9), PByte(0), PText("1"), PByte(0)}));
    ASSERT_TRUE(Start(w));
    Step(0);
    g_pEventMgr->GetEvent()->RequestSkip();
    Step();
    EXPECT_EQ(m_player->m_cellX, 7);
    EXPECT_EQ(m_player->m_cellY, 9);
}

TEST_F(EventCommandsTest, PlayMotionCountsItsPlaysAndStopMotionDropsIt) {
    struct Case {
        const char* repeat;
        bool stopped;  // by a stop-motion command
        bool running;  // after a second of playing
    };
    for (const Case c : {Case{"2", false, false}, Case{"0", false, true}, Case{"0", true, false}}) {
        EventWriter w;
        w.Command(305, Lead({PTriple(0, 4, 6), PText(c.repeat), PByte(0), PByte(1)}));
        if (c.stopped) w.Command(2, {PText("3")}).Command(306, Lead());
        w.Command(3);
        ASSERT_TRUE(Start(w));
        for (int i = 0; i < 30; ++i) StepAll();
        EXPECT_EQ(IsRunning(42), c.running) << c.repeat << c.stopped;
        if (!c.running) EXPECT_EQ(m_player->GetData()->m_motion, EVENT_REST_STATE);
        g_pEventMgr->StopEvent(false);
    }
}

TEST_F(EventCommandsTest, AMissingMotionIsReportedAndFinishes) {
    qmtest::ScopedTextTables texts(
        {{16, {"", "", "", "", "", "", "", "", "", "", "", "no motion %d", "no rest %d"}}});
    EventWriter w;
    w.Command(503, Lead({PTriple(0, 5, 0), PText("1"), PByte(0), PByte(0)}))
        .Command(509, Lead({PTriple(9, 0, 0)}))
        .Command(3);
    m_folders.WriteVisual("0004.VET", w.Bytes());
    ASSERT_TRUE(g_pEventMgr->StartVisualEvent("0004.VET", "StartEvent"));
    // The visual event takes the player as its lead on its stage; without a
    // stage the lead is still found by target kind 2.
    for (int i = 0; i < 5; ++i) Step();
    const std::vector<std::string> boxes = NewBoxes();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "no motion 5"), boxes.end());
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "no rest 9"), boxes.end());
}

TEST_F(EventCommandsTest, AnUnknownEmoticonIsReportedOnACharacterButNotOnThePlayer) {
    qmtest::ScopedTextTables texts({{16, {"", "", "", "", "", "no emoticon %s"}}});
    EventWriter w;
    w.Command(905, Lead({PText("nosuch"), PByte(0)})).Command(917, {PText("nosuch"), PByte(0)}).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step();
    const std::vector<std::string> boxes = NewBoxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "no emoticon nosuch"), 1);
    EXPECT_FALSE(IsRunning(13));
    EXPECT_FALSE(IsRunning(25));
}

TEST_F(EventCommandsTest, TheMessageBoxHoldsTheFunctionUntilItIsClosed) {
    qmtest::WindowDriver windows;  // the window manager the box goes to
    m_folders.WriteSpeech(3, {{1, "Hello"}});
    EventWriter w;
    w.Command(915, {PShort(7, 1), PShort(2, 0)}).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step();
    CMessageBox* box = nullptr;
    for (auto* n = windows.Mgr().Children().First(); n != windows.Mgr().Children().End(); n = n->m_pNext)
        if (auto* b = dynamic_cast<CMessageBox*>(static_cast<CMsgObject*>(n->m_pData))) box = b;
    ASSERT_TRUE(box);
    for (int i = 0; i < 5; ++i) Step();
    EXPECT_EQ(Running(), std::vector<uint32_t>{23}) << "the next command waits";
    box->Hide();
    Step();
    Step();
    EXPECT_EQ(Running(), std::vector<uint32_t>{3});
    g_pEventMgr->StopEvent(false);
}

TEST_F(EventCommandsTest, TheDarknessColourIsAQuarterOfTheValue) {
    CDarknessOverlay overlay;
    CDarknessOverlay* before = g_pDarknessOverlay;
    g_pDarknessOverlay = &overlay;
    EventWriter w;
    w.Command(1002, {PByte(0), PText("128")}).Command(3);
    m_folders.WriteVisual("0004.VET", w.Bytes());
    ASSERT_TRUE(g_pEventMgr->StartVisualEvent("0004.VET", "StartEvent"));
    for (int i = 0; i < 3; ++i) Step();
    for (float c : overlay.m_colorFactors) EXPECT_FLOAT_EQ(c, 0.5f);
    g_pEventMgr->StopEvent(false);
    g_pDarknessOverlay = before;
}

// The event sounds as the sound service sees them.
class FakeEventSounds : public IEventSounds {
public:
    struct Sound {
        uint32_t id = 0;
        bool positioned = false, finished = false;
        uint32_t level = 0, plays = 1;
        int32_t cellX = 0, cellY = 0;
    };
    bool CanPlay() override { return m_canPlay; }
    uint32_t StartSound(uint32_t soundId, bool positioned) override {
        m_sounds[++m_next] = {soundId, positioned};
        return m_next;
    }
    void SetLevel(uint32_t handle, uint32_t level) override { m_sounds[handle].level = level; }
    void PlaceAtCell(uint32_t handle, int32_t x, int32_t y, uint32_t level) override {
        Sound& s = m_sounds[handle];
        s.cellX = x;
        s.cellY = y;
        s.level = level;
    }
    bool IsFinished(uint32_t handle) override { return m_sounds[handle].finished; }
    void Replay(uint32_t handle) override {
        m_sounds[handle].finished = false;
        ++m_sounds[handle].plays;
    }
    void ReleaseSound(uint32_t handle) override { m_sounds.erase(handle); }
    void FinishAll() {
        for (auto& [handle, s] : m_sounds) s.finished = true;
    }

    bool m_canPlay = true;
    uint32_t m_next = 0;
    std::map<uint32_t, Sound> m_sounds;
};

TEST_F(EventCommandsTest, AnEventSoundPlaysItsRepeatsAndTheCommandWaitsForIt) {
    FakeEventSounds sounds;
    ScopedEventSounds installed(sounds);
    EventWriter w;
    w.Command(803, {PShort(2, 40), PText("7"), PPoint(3, 4), PText("2"), PByte(1), PByte(0)}).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step();
    Step();
    ASSERT_EQ(sounds.m_sounds.size(), 1u);
    const FakeEventSounds::Sound& s = sounds.m_sounds.begin()->second;
    EXPECT_EQ(s.id, 40u);
    EXPECT_TRUE(s.positioned);
    EXPECT_EQ(s.cellX, 3);
    EXPECT_EQ(s.cellY, 4);
    EXPECT_EQ(s.level, 100u);
    sounds.FinishAll();
    Step();  // the first play ended: played again (no pause range)
    Step();
    ASSERT_EQ(sounds.m_sounds.size(), 1u);
    EXPECT_EQ(sounds.m_sounds.begin()->second.plays, 2u);
    EXPECT_TRUE(IsRunning(63));
    sounds.FinishAll();
    Step();  // the second of two: released, and the command ends
    Step();
    EXPECT_TRUE(sounds.m_sounds.empty());
    EXPECT_FALSE(IsRunning(63));
}

TEST_F(EventCommandsTest, ASoundNumberPlaysOnceAndLevelAndStopAct) {
    FakeEventSounds sounds;
    ScopedEventSounds installed(sounds);
    EventWriter w;
    w.Command(803, {PShort(2, 40), PText("7"), PPoint(0, 0), PText("0"), PByte(0), PByte(1)})
        .Command(803, {PShort(2, 41), PText("7"), PPoint(0, 0), PText("0"), PByte(0), PByte(1)})
        .Command(805, {PText("7"), PText("0"), PText("1000")})
        .Command(2, {PText("100")})
        .Command(804, {PText(""), PText("7")})
        .Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step(500);
    ASSERT_EQ(sounds.m_sounds.size(), 1u) << "one sound a number";
    EXPECT_EQ(sounds.m_sounds.begin()->second.id, 40u);
    Step(500);
    EventSound* sound = g_pEventMgr->GetEvent()->FindEventSound(7);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->level, 50u) << "half way";
    Step(500);
    Step();
    ASSERT_EQ(sounds.m_sounds.size(), 1u);
    EXPECT_EQ(sounds.m_sounds.begin()->second.level, 0u) << "the level reached its target";
    for (int i = 0; i < 60; ++i) Step();
    EXPECT_TRUE(sounds.m_sounds.empty()) << "stopped";
}

TEST_F(EventCommandsTest, WithoutSoundNoEventSoundIsMadeAndTheCommandFinishes) {
    FakeEventSounds sounds;
    sounds.m_canPlay = false;
    for (const bool installed : {true, false}) {
        std::unique_ptr<ScopedEventSounds> scoped;
        if (installed) scoped = std::make_unique<ScopedEventSounds>(sounds);
        EventWriter w;
        w.Command(803, {PShort(2, 40), PText("7"), PPoint(0, 0), PText("0"), PByte(0), PByte(0)}).Command(3);
        ASSERT_TRUE(Start(w));
        Step(0);
        Step();
        EXPECT_FALSE(IsRunning(63)) << installed;
        EXPECT_TRUE(sounds.m_sounds.empty());
        g_pEventMgr->StopEvent(false);
    }
}

// The full-screen effects as the service sees them.
class FakeEventEffects : public IEventEffects {
public:
    void StartFade(int fade, bool darken, const uint8_t colour[4], uint32_t) override {
        m_started.push_back(fade);
        m_darken = darken;
        std::copy(colour, colour + 4, m_colour);
        m_running[fade] = true;
    }
    void StartSurface(bool, int32_t, int32_t, double, int32_t) override { Started(EVENT_SURFACE); }
    void StartGrid(bool, int32_t, double) override { Started(EVENT_GRID); }
    void StartParticle(const int32_t[4]) override { Started(EVENT_PARTICLE); }
    void Stop(int effect) override { m_running[effect] = false; }
    bool IsFinished(int effect) override { return !m_running[effect]; }
    void ResetFades() override { m_running[EVENT_FADE_1] = m_running[EVENT_FADE_2] = false; }
    void Draw() override {}
    void Started(int effect) {
        m_started.push_back(effect);
        m_running[effect] = true;
    }

    std::vector<int> m_started;
    bool m_running[5] = {};
    bool m_darken = false;
    uint8_t m_colour[4] = {};
};

TEST_F(EventCommandsTest, FadesAndEffectsRunUntilTheServiceEndsThemAndAtOnceWithoutIt) {
    struct Case {
        EventCommandData command;
        int effect;
        bool waits;
    };
    const Case cases[] = {
        {{701, {PByte(0), PByte(2), PText("500")}}, EVENT_FADE_1, true},
        {{704, {PByte(0), PText("1"), PText("1"), PText("4"), PText("2.5")}}, EVENT_GRID, true},
        {{705, {PText("1"), PText("2"), PText("1.5"), PText("3"), PByte(0), PByte(1)}}, EVENT_SURFACE, true},
        {{705, {PText("1"), PText("2"), PText("1.5"), PText("3"), PByte(0), PByte(0)}}, EVENT_SURFACE, false},
        {{706, {PText("1"), PText("2"), PText("3"), PText("4")}}, EVENT_PARTICLE, true},
    };
    for (const Case& c : cases) {
        uint32_t kind = 0;
        for (const bool installed : {true, false}) {
            FakeEventEffects effects;
            std::unique_ptr<ScopedEventEffects> scoped;
            if (installed) scoped = std::make_unique<ScopedEventEffects>(effects);
            EventWriter w;
            w.Command(c.command.code, c.command.params).Command(3);
            ASSERT_TRUE(Start(w));
            kind = uint32_t(EventCommandKind(c.command.code, false));
            Step(0);
            Step();
            EXPECT_EQ(IsRunning(kind), installed && c.waits) << c.command.code << installed;
            if (installed) {
                EXPECT_EQ(effects.m_started, std::vector<int>{c.effect}) << c.command.code;
                effects.m_running[c.effect] = false;
                Step();
                EXPECT_FALSE(IsRunning(kind)) << c.command.code;
            }
            g_pEventMgr->StopEvent(false);
        }
    }
}

TEST_F(EventCommandsTest, FadeColourTwoIsBlueAndAFadeHoldsTheScreen) {
    FakeEventEffects effects;
    ScopedEventEffects scoped(effects);
    EventWriter w;
    w.Command(701, {PByte(1), PByte(2), PText("500")}).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step();
    const uint8_t blue[4] = {0, 0, 255, 0};
    EXPECT_TRUE(std::equal(blue, blue + 4, effects.m_colour));
    EXPECT_FALSE(effects.m_darken);
    EXPECT_TRUE(g_pEventMgr->IsScreenBusy());
    effects.m_running[EVENT_FADE_1] = false;
    EXPECT_FALSE(g_pEventMgr->IsScreenBusy());
}

TEST_F(EventCommandsTest, AGridWithoutItsValueIsReported) {
    qmtest::ScopedTextTables texts({{16, {"", "", "", "", "", "", "", "grid needs a value"}}});
    EventWriter w;
    w.Command(704, {PByte(0), PText("1"), PText("1"), PText("4"), PText("0")}).Command(3);
    ASSERT_TRUE(Start(w));
    Step(0);
    Step();
    const std::vector<std::string> boxes = NewBoxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "grid needs a value"), 1);
}

// An event movie that ends after a number of frames.
class FakeMovies : public IEventMovies {
public:
    class Movie : public IEventMovie {
    public:
        explicit Movie(FakeMovies& owner) : m_owner(owner) { ++m_owner.m_open; }
        ~Movie() override { --m_owner.m_open; }
        void Advance() override {}
        bool Draw() override { return ++m_owner.m_drawn >= m_owner.m_frames; }

    private:
        FakeMovies& m_owner;
    };
    std::unique_ptr<IEventMovie> OpenMovie(const char* path, int32_t, int32_t) override {
        m_paths.push_back(path);
        if (!m_opens) return nullptr;
        return std::make_unique<Movie>(*this);
    }
    bool m_opens = true;
    int m_frames = 3, m_drawn = 0, m_open = 0;
    std::vector<std::string> m_paths;
};

TEST_F(EventCommandsTest, AMovieHoldsTheFunctionAndTheScreenUntilItEnds) {
    FakeMovies movies;
    ScopedEventMovies scoped(movies);
    EventWriter w;
    w.Command(1100, {PText("intro.bik")}).Command(3);
    m_folders.WriteVisual("0004.VET", w.Bytes());
    ASSERT_TRUE(g_pEventMgr->StartVisualEvent("0004.VET", "StartEvent"));
    for (int i = 0; i < 3; ++i) Step();
    ASSERT_EQ(movies.m_paths.size(), 1u);
    EXPECT_NE(movies.m_paths[0].find("intro.bik"), std::string::npos);
    EXPECT_EQ(movies.m_open, 1);
    EXPECT_TRUE(g_pEventMgr->IsScreenBusy());
    EXPECT_EQ(g_darkScreen, 1);
    for (int i = 0; i < 3; ++i) {
        g_pEventMgr->Draw();
        Step();
    }
    Step();
    EXPECT_EQ(movies.m_open, 0);
    EXPECT_FALSE(g_pEventMgr->IsScreenBusy());
    EXPECT_EQ(g_darkScreen, 0);
    EXPECT_FALSE(IsRunning(76));
}

TEST_F(EventCommandsTest, AMovieThatDoesNotOpenSendsItsPageAfterThreeSeconds) {
    struct Case {
        const char* page;
        bool opened;
    };
    for (const Case c : {Case{"https://example.invalid/movie", true}, Case{"file:///etc/passwd", false}}) {
        std::vector<std::string> rows(739, "");
        rows[738] = c.page;
        qmtest::ScopedTextTables texts({{14, rows}});
        FakeMovies movies;
        movies.m_opens = false;
        ScopedEventMovies scoped(movies);
        plat::ScopedUrlRecorder urls;
        EventWriter w;
        w.Command(1100, {PText("missing.bik")}).Command(3);
        m_folders.WriteVisual("0004.VET", w.Bytes());
        ASSERT_TRUE(g_pEventMgr->StartVisualEvent("0004.VET", "StartEvent"));
        for (int i = 0; i < 3; ++i) Step();
        EXPECT_TRUE(IsRunning(76));
        EXPECT_TRUE(urls.m_urls.empty());
        Step(3000);
        Step();
        EXPECT_EQ(urls.m_urls.size(), c.opened ? 1u : 0u) << c.page;
        EXPECT_FALSE(IsRunning(76));
        EXPECT_EQ(g_darkScreen, 0);
        g_pEventMgr->StopEvent(false);
        MakePlayer(1);  // the visual event took the player as its lead
    }
}

}  // namespace
