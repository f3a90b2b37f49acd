// The action object's motions frame by frame, and the status objects a
// character carries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/world/chars/char_fixture.h"

using namespace chartest;

namespace {

class CharMotionTest : public CharFixture {
protected:
    void Frame(CChar* c, uint32_t ms = 40) { CharFrame(c, ms); }
    // A monster standing at tile (8, 8), its rest animation finished.
    CChar* Standing(uint32_t id) {
        CChar* c = Make(CHAR_KIND_MONSTER, id, CHAR_MONSTER_BASE);
        if (!c) return nullptr;
        c->SetPosition(8 * 24, 8 * 12, 0);
        c->GetData()->SetMotion(MOTION_STAND);
        Frame(c, 200);
        return c;
    }
};

TEST_F(CharMotionTest, OneShotMotionsReturnToRestWhenTheirAnimationEnds) {
    struct Case {
        const char* name;
        std::function<void(CChar*)> start;
        uint32_t motion;      // right after the start
        uint8_t hiddenAfter;  // once back at rest
    };
    const Case cases[] = {
        {"hit", [](CChar* c) { c->GetAction()->TakeHit(); }, MOTION_HIT, 0},
        {"vanish", [](CChar* c) { c->GetAction()->Vanish(); }, MOTION_VANISH, 1},
        {"appear",
         [](CChar* c) {
             c->GetData()->m_hiddenMark = 1;
             c->GetAction()->Appear();
             EXPECT_EQ(c->GetData()->m_hiddenMark, 0) << "shown as it starts";
         },
         MOTION_APPEAR, 0},
        {"motion 18",
         [](CChar* c) {
             c->GetData()->m_hiddenMark = 1;
             c->GetAction()->PlayMotion18(true);
         },
         MOTION_ONCE_18, 0},
        {"timed 0 ms", [](CChar* c) { c->GetAction()->PlayTimedMotion(0); }, MOTION_TIMED, 0},
    };
    uint32_t id = 10;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        CChar* c = Standing(++id);
        ASSERT_TRUE(c);
        k.start(c);
        EXPECT_EQ(c->GetData()->m_motion, k.motion);
        int frames = 0;
        while (c->GetData()->m_motion == k.motion && frames < 20) {
            Frame(c);
            ++frames;
        }
        EXPECT_EQ(c->GetData()->m_motion, MOTION_STAND);
        EXPECT_LE(frames, 4);
        EXPECT_EQ(c->GetData()->m_hiddenMark, k.hiddenAfter);
    }
}

TEST_F(CharMotionTest, TimedMotionsEndOnceMoreThanTheirDurationHasPassed) {
    CChar* c = Standing(5);
    ASSERT_TRUE(c);
    c->GetAction()->PlayTimedMotion(500);
    Frame(c, 300);
    Frame(c, 200);  // exactly 500 ms: not more than the duration
    EXPECT_EQ(c->GetData()->m_motion, MOTION_TIMED);
    Frame(c, 1);
    EXPECT_EQ(c->GetData()->m_motion, MOTION_STAND);
}

TEST_F(CharMotionTest, HitsAreIgnoredInTheMotionsThatHoldTheCharacter) {
    CChar* c = Standing(5);
    ASSERT_TRUE(c);
    for (uint32_t motion : {uint32_t(MOTION_SKILL), 4u, uint32_t(MOTION_PUSHED), uint32_t(MOTION_HELD_DOWN),
                            uint32_t(MOTION_LYING)}) {
        SCOPED_TRACE(motion);
        c->GetData()->SetMotion(motion);
        c->GetAction()->TakeHit();
        EXPECT_EQ(c->GetData()->m_motion, motion);
    }
    // Vanishing while hidden and appearing while shown do nothing.
    c->GetData()->SetMotion(MOTION_STAND);
    c->GetData()->m_hiddenMark = 1;
    c->GetAction()->Vanish();
    EXPECT_EQ(c->GetData()->m_motion, MOTION_STAND);
    c->GetData()->m_hiddenMark = 0;
    c->GetAction()->Appear();
    EXPECT_EQ(c->GetData()->m_motion, MOTION_STAND);
}

TEST_F(CharMotionTest, DeadMonstersDisappearAndDeadPlayersStay) {
    CChar* monster = Standing(5);
    CChar* player = MakePlayer();
    ASSERT_TRUE(monster && player);
    for (CChar* c : {monster, player}) {
        c->GetAction()->Die();
        EXPECT_EQ(c->GetData()->m_motion, MOTION_DEAD);
    }
    for (int i = 0; i < 10; ++i) {
        Frame(monster);
        Frame(player);
    }
    EXPECT_EQ(monster->GetData()->m_hiddenMark, 1);
    EXPECT_EQ(player->GetData()->m_hiddenMark, 0);
    EXPECT_EQ(player->GetData()->m_motion, MOTION_DEAD);
}

TEST_F(CharMotionTest, TheRestAnimationReplaysRarelyExceptForNpcsThatAlwaysReplay) {
    std::srand(7);
    CChar* monster = Standing(5);
    CChar* npc = Make(CHAR_KIND_NPC, 6);  // column 10 of its row is 0
    ASSERT_TRUE(monster && npc);
    npc->SetPosition(4 * 24, 4 * 12, 0);
    npc->GetData()->SetMotion(MOTION_STAND);
    int replays[2] = {0, 0};
    for (int i = 0; i < 2000; ++i) {
        CChar* both[2] = {monster, npc};
        for (int k = 0; k < 2; ++k) {
            both[k]->GetAniObject()->m_stopped = 1;
            both[k]->GetAction()->Idle();
            replays[k] += both[k]->GetAniObject()->m_stopped == 0;
        }
    }
    EXPECT_GE(replays[0], 5);
    EXPECT_LE(replays[0], 40);  // one chance in a hundred a frame
    EXPECT_EQ(replays[1], 2000);
}

// Records, as it is deleted, whether its character still held it.
struct StatusObject : CCharStatusObject {
    StatusObject(uint32_t id, CCharData* data, int list, std::vector<std::string>* log)
        : CCharStatusObject(id), m_data(data), m_list(list), m_log(log) {}
    ~StatusObject() override {
        const bool held =
            m_data->FindAttachedById(m_statusId) == this || m_data->ShownAttached(m_list) == this;
        m_log->push_back(std::to_string(m_statusId) + (held ? " deleted while held" : " deleted"));
    }
    bool Show() override {
        m_log->push_back(std::to_string(m_statusId) + " shown");
        return true;
    }
    bool Update() override { return !m_ended; }
    CCharData* m_data;
    int m_list;
    std::vector<std::string>* m_log;
    bool m_ended = false;
};

TEST_F(CharMotionTest, AnEndedStatusObjectLeavesItsListBeforeItIsDeleted) {
    CChar* c = Standing(5);
    ASSERT_TRUE(c);
    CCharData* data = c->GetData();
    std::vector<std::string> log;
    StatusObject* objects[3];
    for (uint32_t i = 0; i < 3; ++i) {
        auto object = std::make_unique<StatusObject>(100 + i, data, 2, &log);
        objects[i] = object.get();
        ASSERT_TRUE(data->AttachStatusObject(2, std::move(object)));
    }
    EXPECT_FALSE(data->AttachStatusObject(7, std::make_unique<StatusObject>(9, data, 7, &log)));
    EXPECT_EQ(data->ShownAttached(2), objects[0]);
    EXPECT_EQ(data->FindAttachedById(101), objects[1]);
    objects[0]->m_ended = true;
    Frame(c);
    EXPECT_EQ(data->ShownAttached(2), objects[1]);
    EXPECT_EQ(data->AttachedCount(2), 2u);
    objects[1]->m_ended = true;
    objects[2]->m_ended = true;
    Frame(c);
    Frame(c);
    EXPECT_EQ(data->ShownAttached(2), nullptr);
    EXPECT_EQ(data->FindAttachedById(102), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"100 shown", "9 deleted", "101 shown", "100 deleted",
                                             "102 shown", "101 deleted", "102 deleted"}));
}

}  // namespace
