// The natives on play entries, flights, characters and plain values: each
// finds only its own runner's entries and live characters, finishes at once
// with its failure result on anything else, and waits only where it says so.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "script/script_effects.h"
#include "script/script_natives.h"
#include "tests/script/script_fixture.h"

namespace {

using qmtest::ScriptExpr;
using qmtest::ScriptWriter;
using scripttest::kLongAni;
using scripttest::kShortAni;

// The emitters and ambient groups, recorded.
struct FakeScriptEffects : IScriptEffects {
    std::vector<std::string> log;
    static std::string Join(const double* v, size_t n) {
        std::string out;
        for (size_t i = 0; i < n; ++i) out += (i ? " " : "") + std::to_string(int(v[i]));
        return out;
    }
    bool ReplaceEmitter(CAniObject*, const double values[8]) override {
        log.push_back("emitter " + Join(values, 8));
        return true;
    }
    bool RemoveEmitter(CAniObject*) override {
        log.push_back("remove");
        return true;
    }
    bool ReplaceWithTrail(CAniObject*, double a, double b) override {
        const double v[2] = {a, b};
        log.push_back("trail " + Join(v, 2));
        return true;
    }
    bool SetEmitterValues(CAniObject*, const double* values, size_t count) override {
        log.push_back("values " + Join(values, count));
        return true;
    }
    uint32_t CreateAmbientGroup() override { return 31; }
    uint32_t CreateAmbientEntry(uint32_t group, const double values[10]) override {
        log.push_back("entry " + std::to_string(group) + ": " + Join(values, 10));
        return 32;
    }
    bool AddAmbientObject(uint32_t group, uint32_t entry, CAniObject* object) override {
        log.push_back("object " + std::to_string(group) + " " + std::to_string(entry));
        delete object;
        return true;
    }
    bool IsAmbientGroupLive(uint32_t group) override { return group == 31; }
    bool RemoveAmbientEntry(uint32_t group, uint32_t entry) override { return group == 31 && entry == 32; }
};

class NativesTest : public scripttest::ScriptWorldTest {
protected:
    void SetUp() override {
        ScriptWorldTest::SetUp();
        m_player = MakePlayer();
        m_monster = MonsterAt(5, 2, 3);
        ASSERT_TRUE(m_player && m_monster);
        m_runner = Idle();
        ASSERT_TRUE(m_runner);
    }
    // A new entry of the runner (native 0), placed at the map point.
    uint32_t NewEntry(CScriptRunner* runner, uint32_t animation, int32_t x = 0, int32_t y = 0) {
        const double handle = CallNative(runner, 0, {double(animation)}).result;
        CallNative(runner, 10, {double(x), double(y), 0, handle});
        return uint32_t(handle);
    }
    CAniObject* ObjectOf(uint32_t handle) {
        CAniPlayEntry* e = m_play.FindEntryByHandle(handle, false);
        return e ? e->m_pObject : nullptr;
    }

    CChar* m_player = nullptr;
    CChar* m_monster = nullptr;
    CScriptRunner* m_runner = nullptr;
};

TEST_F(NativesTest, NativeZeroMakesAnEntryUnderTheRunnersSerial) {
    const uint32_t handle = uint32_t(CallNative(m_runner, 0, {double(kShortAni)}).result);
    CAniPlayEntry* e = m_play.FindEntryByHandle(handle, true);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_userValue, m_runner->GetSerial());
    EXPECT_EQ(e->m_pObject->GetCurrentMotionId(), 0);
    EXPECT_EQ(e->m_pObject->m_direction, 2);
    EXPECT_EQ(e->m_pObject->m_stopped, 1);
    EXPECT_EQ(e->m_pObject->m_hideable, 1);
    EXPECT_EQ(e->m_pObject->m_pOwner, nullptr);  // the runner has no owner
    EXPECT_EQ(e->m_repeat, 1);
    EXPECT_EQ(e->m_autoRemove, 0);
    // It lives on after its plays until the script or the runner's stop removes it.
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(m_play.FindEntryByHandle(handle, true), e);

    m_runner->SetOwnerChar(m_monster);
    const uint32_t owned = uint32_t(CallNative(m_runner, 0, {double(kShortAni)}).result);
    EXPECT_NE(owned, handle);
    EXPECT_EQ(ObjectOf(owned)->m_pOwner, m_monster);
    // Without the play manager nothing is made.
    g_pAniPlayMgr = nullptr;
    EXPECT_EQ(CallNative(m_runner, 0, {double(kShortAni)}).result, 0.0);
    g_pAniPlayMgr = &m_play;
}

TEST_F(NativesTest, EntryNativesFindOnlyTheirRunnersListedEntries) {
    FakeScriptEffects effects;
    ScopedScriptEffects scopedEffects(effects);
    CScriptRunner* other = Idle("other");
    CScriptRunner* stopped = Idle("stopped");
    const uint32_t foreign = NewEntry(other, kLongAni);
    const uint32_t orphan = NewEntry(stopped, kLongAni);
    g_pScriptMgr->StopScript(stopped, false);
    CAniPlayEntry* plain = m_play.AddAtMapPosition(new CAniObject(), 0, 0, 0, 1, 1, 1, 0);
    const double player = m_player->GetCharId();
    // Each native with its arguments; the handle goes where H stands.
    constexpr double H = -12345;
    struct Case {
        uint32_t id;
        std::vector<double> args;
        double failure;
    };
    const Case cases[] = {
        {1, {H}, 0},           {2, {1, H}, 0},         {3, {4, H}, 0},
        {4, {7, H}, 0},        {5, {player, 7, H}, 0}, {6, {H}, 0},
        {7, {H}, 0},           {8, {1, H, 1, 0}, 0},   {9, {player, H, 1}, 0},
        {10, {1, 2, 3, H}, 0}, {11, {1, 2, 3, H}, 0},  {12, {H, 1, 2}, 0},
        {13, {H}, 0},          {14, {H, 1, 2}, 0},     {15, {H, 1, 2}, 0},
        {16, {H, 1, 2, 3}, 0}, {17, {H}, 0},           {18, {H}, 0},
        {19, {H}, 0},          {20, {H}, 1},           {45, {H, 2}, 0},
        {46, {H}, 0},          {48, {7, H}, 0},
    };
    for (const Case& c : cases) {
        for (uint32_t handle : {0u, 999999u, foreign, orphan, plain->m_handle}) {
            SCOPED_TRACE(std::to_string(c.id) + " on " + std::to_string(handle));
            std::vector<double> args = c.args;
            for (double& a : args)
                if (a == H) a = handle;
            const Answer a = CallNative(m_runner, c.id, args);
            EXPECT_EQ(a.result, c.failure);
            EXPECT_TRUE(a.done);
        }
    }
    EXPECT_TRUE(effects.log.empty());
    EXPECT_TRUE(m_sound.effects.empty());
    EXPECT_EQ(ObjectOf(foreign)->m_layer, 5);
    EXPECT_NE(ObjectOf(orphan), nullptr);
    EXPECT_EQ(m_play.FindEntryByHandle(plain->m_handle, false), plain);
}

TEST_F(NativesTest, EntryNativesOnTheRunnersOwnEntry) {
    const uint32_t h = NewEntry(m_runner, kLongAni, 48, 24);
    const double hd = h;
    CAniObject* o = ObjectOf(h);
    ASSERT_TRUE(o);
    EXPECT_EQ(CallNative(m_runner, 17, {hd}).result, 48.0);
    EXPECT_EQ(CallNative(m_runner, 18, {hd}).result, 24.0);
    EXPECT_EQ(CallNative(m_runner, 19, {hd}).result, 0.0);
    EXPECT_EQ(CallNative(m_runner, 4, {9, hd}).result, 1.0);
    EXPECT_EQ(o->m_layer, 9);
    EXPECT_EQ(CallNative(m_runner, 3, {6, hd}).result, 1.0);
    EXPECT_EQ(o->m_direction, 6);
    EXPECT_EQ(CallNative(m_runner, 7, {hd}).result, 1.0);
    EXPECT_EQ(o->m_stopped, 0);
    EXPECT_EQ(CallNative(m_runner, 6, {hd}).result, 1.0);
    EXPECT_EQ(o->m_stopped, 1);
    EXPECT_EQ(CallNative(m_runner, 5, {double(m_monster->GetCharId()), 3, hd}).result, 1.0);
    EXPECT_EQ(o->m_layer, 3);
    EXPECT_EQ(m_monster->DrawList(), std::vector<CAniObject*>{o});
    EXPECT_EQ(CallNative(m_runner, 5, {424242, 3, hd}).result, 0.0);
    EXPECT_EQ(CallNative(m_runner, 10, {240, 120, 6, hd}).result, 1.0);  // leaves the character
    EXPECT_TRUE(m_monster->DrawList().empty());
    EXPECT_EQ(o->m_mapX, 240);
    EXPECT_EQ(o->m_mapZ, 6);
    EXPECT_EQ(CallNative(m_runner, 48, {7, hd}).result, 1.0);
    EXPECT_EQ(m_sound.effects, std::vector<uint32_t>{7});
    EXPECT_EQ(CallNative(m_runner, 46, {hd}).result, 1.0);
    EXPECT_EQ(CallNative(m_runner, 1, {hd}).result, 1.0);
    EXPECT_EQ(ObjectOf(h), nullptr);
    EXPECT_EQ(CallNative(m_runner, 1, {hd}).result, 0.0);
}

TEST_F(NativesTest, NativeEightWaitsWhilePlayingOnlyWhenAskedAndNeverForEndlessPlays) {
    struct Case {
        double repeat, wait;
        bool waits;
        int32_t entryRepeat;
    };
    for (const Case& c : {Case{1, 1, true, 1}, Case{2, 0, false, 2}, Case{0, 1, false, PLAY_FOREVER},
                          Case{-3, 1, false, PLAY_FOREVER}}) {
        SCOPED_TRACE(c.repeat);
        const uint32_t h = NewEntry(m_runner, kShortAni);
        const Answer a = CallNative(m_runner, 8, {c.repeat, double(h), c.wait, 1});
        EXPECT_EQ(a.result, 1.0);
        EXPECT_EQ(a.done, !c.waits);
        CAniPlayEntry* e = m_play.FindEntryByHandle(h, true);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->m_repeat, c.entryRepeat);
        EXPECT_EQ(e->m_autoRemove, 1);
        EXPECT_EQ(e->m_pObject->m_stopped, 0);
    }
    // Through a script: the wait ends once the object has played out.
    ScriptWriter w;
    w.Entry({qmtest::Set(0, ScriptExpr::Native(0, {double(kShortAni)})),
             qmtest::Do(ScriptExpr::Native(8, {1, ScriptExpr::Var(0), 1, 0})), qmtest::WaitNatives(),
             qmtest::Set(1, ScriptExpr::Native(20, {ScriptExpr::Var(0)}))});
    CScriptRunner* runner = Run(w, "play");
    int frames = 0;
    while (runner->IsRunning() && frames < 30) {
        Frame();
        ++frames;
    }
    EXPECT_GE(frames, 3);
    EXPECT_LT(frames, 30);
    EXPECT_EQ(runner->GetVariable(1), 1.0);
}

TEST_F(NativesTest, NativeNinePlacesAtOrFollowsACharacterForExactModesOnly) {
    const uint32_t h = NewEntry(m_runner, kLongAni);
    const double monster = m_monster->GetCharId();
    for (double mode : {0.5, 2.0, -1.0})
        EXPECT_EQ(CallNative(m_runner, 9, {monster, double(h), mode}).result, 0.0);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 0);
    m_monster->m_z = 5;
    EXPECT_EQ(CallNative(m_runner, 9, {monster, double(h), 1.0}).result, 1.0);
    EXPECT_EQ(ObjectOf(h)->m_mapX, m_monster->m_x);
    EXPECT_EQ(ObjectOf(h)->m_mapZ, 5);
    EXPECT_EQ(CallNative(m_runner, 9, {monster, double(h), 0.0}).result, 1.0);
    EXPECT_EQ(ObjectOf(h)->m_mapZ, 0);
    EXPECT_EQ(CallNative(m_runner, 11, {24, 12, 0, double(h)}).result, 1.0);
    m_monster->SetPosition(240, 120, 0);
    Frame();
    EXPECT_EQ(ObjectOf(h)->m_mapX, 264);
    EXPECT_EQ(ObjectOf(h)->m_mapY, 132);
    EXPECT_EQ(CallNative(m_runner, 9, {424242, double(h), 1.0}).result, 0.0);
}

TEST_F(NativesTest, FlightsMoveByTheTimeGoneAndArrivalEndsTheWait) {
    const double monster = m_monster->GetCharId();
    m_monster->SetPosition(480, 0, 0);
    // 24: straight to a point at 264 units a second.
    uint32_t h = NewEntry(m_runner, kLongAni, 0, 6);
    const std::vector<double> toPoint = {264, 6, 0, double(h), 264, 0};
    Answer a = CallNative(m_runner, 24, toPoint);
    EXPECT_EQ(a.result, 1.0);
    EXPECT_FALSE(a.done);
    Clock().Advance(500);
    EXPECT_FALSE(CallNative(m_runner, 24, toPoint, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 132);
    EXPECT_EQ(ObjectOf(h)->m_tile1, (IsoPoint{5, 0}));  // its depth follows
    Clock().Advance(500);
    EXPECT_TRUE(CallNative(m_runner, 24, toPoint, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 264);

    // 21 then 22: toward the character; without the stop flag one step only.
    h = NewEntry(m_runner, kLongAni);
    EXPECT_EQ(CallNative(m_runner, 22, {monster, double(h), 0, 1}).result, 0.0);  // no flight yet
    EXPECT_EQ(CallNative(m_runner, 21, {monster, double(h), 480, 0, 0}).result, 1.0);
    a = CallNative(m_runner, 22, {monster, double(h), 0, 1});
    EXPECT_FALSE(a.done);
    Clock().Advance(250);
    EXPECT_FALSE(CallNative(m_runner, 22, {monster, double(h), 0, 1}, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 120);
    Clock().Advance(750);
    EXPECT_TRUE(CallNative(m_runner, 22, {monster, double(h), 0, 1}, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 480);
    EXPECT_TRUE(CallNative(m_runner, 22, {monster, double(h), 0, 0}).done);

    // 25 then 26: a curve over 1,000 ms toward the character, control point
    // halfway at height 100 moved by (0, 40).
    h = NewEntry(m_runner, kLongAni);
    EXPECT_EQ(CallNative(m_runner, 25, {monster, double(h), 1000, 100}).result, 1.0);
    EXPECT_FALSE(CallNative(m_runner, 26, {0, 40, double(h)}).done);
    Clock().Advance(500);
    EXPECT_FALSE(CallNative(m_runner, 26, {0, 40, double(h)}, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 240);  // 0.25 * 0 + 0.5 * 240 + 0.25 * 480
    EXPECT_EQ(ObjectOf(h)->m_mapY, 20);   // 0.5 * 40
    EXPECT_EQ(ObjectOf(h)->m_mapZ, 50);   // 0.5 * 100
    Clock().Advance(500);
    EXPECT_TRUE(CallNative(m_runner, 26, {0, 40, double(h)}, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 480);

    // 27 then 28: a curve to a point, its control point raised by 20.
    h = NewEntry(m_runner, kLongAni, 0, 120);
    EXPECT_EQ(CallNative(m_runner, 27, {240, 120, 0, double(h), 400, 60}).result, 1.0);
    Clock().Advance(200);
    EXPECT_FALSE(CallNative(m_runner, 28, {0, 20, 0, double(h)}).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 120);
    EXPECT_EQ(ObjectOf(h)->m_mapZ, 40);  // 0.5 * (60 + 20)
    Clock().Advance(200);
    EXPECT_TRUE(CallNative(m_runner, 28, {0, 20, 0, double(h)}, false).done);
    EXPECT_EQ(ObjectOf(h)->m_mapX, 240);
    EXPECT_EQ(ObjectOf(h)->m_mapY, 120);

    // A flight whose entry has gone ends the wait.
    EXPECT_EQ(CallNative(m_runner, 1, {double(h)}).result, 1.0);
    EXPECT_TRUE(CallNative(m_runner, 28, {0, 20, 0, double(h)}, false).done);
    EXPECT_TRUE(CallNative(m_runner, 24, {0, 0, 0, double(h), 10, 0}, false).done);
}

TEST_F(NativesTest, CharacterNativesOnAMissingCharacterFinishAtOnce) {
    constexpr double kNobody = 424242;
    struct Case {
        uint32_t id;
        std::vector<double> args;
        double result;
    };
    const Case cases[] = {{29, {kNobody, 1, 1}, 0}, {30, {kNobody}, 0},       {31, {kNobody}, 1},
                          {32, {kNobody, 4}, 0},    {33, {kNobody, 0, 0}, 0}, {34, {kNobody, 5}, 0},
                          {34, {5, kNobody}, 0},    {36, {kNobody, 1}, 0},    {37, {kNobody}, 0},
                          {39, {kNobody}, 0},       {40, {kNobody}, 0},       {41, {kNobody, 1}, 0},
                          {67, {kNobody}, 0},       {68, {kNobody}, 0},       {69, {kNobody}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const Answer a = CallNative(m_runner, c.id, c.args);
        EXPECT_EQ(a.result, c.result);
        EXPECT_TRUE(a.done);
    }
    // 66 only looks the character up: the result register stays.
    EXPECT_EQ(CallNative(m_runner, 66, {5}).result, -1.0);
}

TEST_F(NativesTest, TurningTheUsersOwnCharacterTellsTheServerWhenConnected) {
    const double player = m_player->GetCharId(), monster = m_monster->GetCharId();
    GameSession().Reset();
    EXPECT_EQ(CallNative(m_runner, 32, {player, 4}).result, 1.0);  // no connection: nothing sent
    EXPECT_EQ(m_player->m_direction, 4);
    EXPECT_EQ(GameSession().QueuedMessages(), 0u);

    plat::ScriptedSockets sockets;
    plat::ScopedSockets scopedSockets(sockets);
    plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
    g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
    g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
    ASSERT_TRUE(GameSession().CanQueue()) << ::testing::PrintToString(sockets.Calls());
    EXPECT_EQ(CallNative(m_runner, 32, {monster, 6}).result, 1.0);  // another character: nothing sent
    EXPECT_EQ(m_monster->m_direction, 6);
    EXPECT_EQ(GameSession().QueuedMessages(), 0u);
    EXPECT_EQ(CallNative(m_runner, 32, {player, 12}).result, 1.0);
    EXPECT_EQ(CallNative(m_runner, 33, {player, m_player->m_x + 240.0, double(m_player->m_y)}).result, 1.0);
    EXPECT_EQ(m_player->m_direction, 4);  // toward +x
    EXPECT_EQ(CallNative(m_runner, 34, {monster, player}).result, 1.0);
    ASSERT_EQ(GameSession().QueuedMessages(), 2u);
    EXPECT_EQ(GameSession().QueuedMessage(0), (std::vector<uint8_t>{17, 6}));
    EXPECT_EQ(GameSession().QueuedMessage(1), (std::vector<uint8_t>{17, 2}));
    delete g_connection;
    g_connection = nullptr;
    GameSession().Reset();
    plat::WSACleanup();
}

TEST_F(NativesTest, HitNativesWaitForTheirCounterAndCountItOff) {
    const double monster = m_monster->GetCharId();
    CCharController* controller = m_monster->GetController();
    CAniObject* body = m_monster->GetAniObject();
    struct Case {
        uint32_t id;
        int32_t CCharController::*counter;
    };
    for (const Case& c :
         {Case{39, &CCharController::m_firstHits}, Case{40, &CCharController::m_secondHits}}) {
        SCOPED_TRACE(c.id);
        body->Play(true);
        const Answer first = CallNative(m_runner, c.id, {monster});
        EXPECT_EQ(first.result, 1.0);
        EXPECT_FALSE(first.done);
        EXPECT_FALSE(CallNative(m_runner, c.id, {monster}, false).done);
        controller->*c.counter = 2;
        EXPECT_TRUE(CallNative(m_runner, c.id, {monster}, false).done);
        EXPECT_EQ(controller->*c.counter, 0);
        // The motion's end ends the wait too.
        body->Stop();
        EXPECT_TRUE(CallNative(m_runner, c.id, {monster}, false).done);
    }
    // 41 waits while the motion plays.
    body->SetMotion(1);
    body->Play(true);
    EXPECT_FALSE(CallNative(m_runner, 41, {monster, 1}).done);
    EXPECT_FALSE(CallNative(m_runner, 41, {monster, 1}, false).done);
    body->SetMotion(2);
    EXPECT_TRUE(CallNative(m_runner, 41, {monster, 1}, false).done);
    // 29 plays a motion once and waits until it has played.
    const Answer play = CallNative(m_runner, 29, {monster, 3, 1});
    EXPECT_FALSE(play.done);
    EXPECT_EQ(body->GetCurrentMotionId(), 3);
    EXPECT_EQ(CallNative(m_runner, 31, {monster}).result, 0.0);
    body->Stop();
    EXPECT_TRUE(CallNative(m_runner, 29, {monster, 3, 1}, false).done);
    EXPECT_EQ(CallNative(m_runner, 31, {monster}).result, 1.0);
}

TEST_F(NativesTest, ValueNativesFinishAtOnce) {
    std::srand(7);
    const int expectedRandom = (std::srand(7), std::rand());
    std::srand(7);
    const double pi = 3.14159265358979323846;
    struct Case {
        uint32_t id;
        std::vector<double> args;
        double result;
    };
    const Case cases[] = {
        {44, {}, 1},
        {47, {}, 1},
        {73, {}, double(Clock().Milliseconds())},
        {74, {}, double(expectedRandom)},
        {75, {pi}, -1},
        {76, {pi / 2}, 1},
        {77, {16}, 4},
        {77, {-4}, 0},
        {78, {0, 0, 0, 10}, 90},
        {38, {0, 0, 10}, 4},  // the missing fourth argument reads 0: toward +x
        {68, {5}, 48},
        {69, {5}, 36},
        {67, {double(m_player->GetCharId())}, 0},
        // Nothing is named for them: 0.
        {23, {1}, 0},
        {35, {5, 1}, 0},
        {42, {5}, 0},
        {43, {5}, 0},
        {54, {1, 5}, 0},
        {55, {1, 5, 2}, 0},
        {56, {1, 5, 2}, 0},
        {57, {1, 5, 2}, 0},
        {58, {}, 0},
        {59, {1, 5}, 0},
        {60, {1, 5}, 0},
        {61, {1, 5}, 0},
        {62, {3000000, 5}, 0},
        {63, {5, 1, 3000000}, 0},
        {64, {5}, 0},
        {65, {}, 0},
        {70, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const Answer a = CallNative(m_runner, c.id, c.args);
        EXPECT_NEAR(a.result, c.result, 1e-6);
        EXPECT_TRUE(a.done);
    }
    EXPECT_EQ(GetNative(m_runner->GetScript(), 79), nullptr);
}

TEST_F(NativesTest, EmittersAndAmbientGroupsGoThroughTheEffectsWhenThereAreAny) {
    const uint32_t h = NewEntry(m_runner, kLongAni);
    const double hd = h;
    struct Case {
        uint32_t id;
        std::vector<double> args;
        double result;  // with the effects
    };
    const Case cases[] = {
        {12, {hd, 1, 2, 3, 4, 5, 6, 7, 8}, 1},
        {13, {hd}, 1},
        {14, {hd, 5, 6}, 1},
        {15, {hd, 7, 8}, 1},
        {16, {hd, 7, 8, 9}, 1},
        {49, {}, 31},
        {50, {31, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 32},
        {51, {31, 32, double(kShortAni), 0, 1}, 1},
        {52, {31}, 1},
        {52, {30}, 0},
        {53, {31, 32}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(CallNative(m_runner, c.id, c.args).result, 0.0);  // without the effects
    }
    FakeScriptEffects effects;
    ScopedScriptEffects scoped(effects);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(CallNative(m_runner, c.id, c.args).result, c.result);
    }
    EXPECT_EQ(effects.log,
              (std::vector<std::string>{"emitter 1 2 3 4 5 6 7 8", "remove", "trail 5 6", "values 7 8",
                                        "values 7 8 9", "entry 31: 1 2 3 4 5 6 7 8 9 10", "object 31 32"}));
}

}  // namespace
