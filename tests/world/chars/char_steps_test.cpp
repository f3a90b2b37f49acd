// Walking, following and picking up as queued steps, started by the
// controller's events.
#include "world/chars/char_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/items/item_icon.h"

using namespace chartest;

namespace {

class CharStepsTest : public CharFixture {
protected:
    void Post(CChar* c, std::unique_ptr<CMsgPayload> payload) {
        const uint32_t id = payload->m_id;
        PostMessageTo(0, c, 0, id, MsgDataPtr(payload.release()), nullptr);
    }
    // Frames of every character until the character's steps are done.
    int RunSteps(CChar* c, std::vector<CChar*> others = {}, int limit = 1500) {
        int frames = 0;
        others.push_back(c);
        do {
            for (CChar* o : others) CharFrame(o, 33);
            ++frames;
        } while (
            (c->GetController()->Holder()->PendingCount() > 0 || c->GetData()->m_motion == MOTION_WALK) &&
            frames < limit);
        return frames;
    }
    size_t Pending(CChar* c) { return c->GetController()->Holder()->PendingCount(); }
};

TEST_F(CharStepsTest, TheServersMoveOrderWalksTheCharacterToItsTile) {
    CChar* c = MonsterAt(5, 10, 10);
    ASSERT_TRUE(c);
    CCharMoveOrder order;
    order.m_charId = 5;
    order.m_tileX = 14;
    order.m_tileY = 10;
    order.m_speed = 120;  // the local server's walkers: 0.12 map units a millisecond
    const std::vector<uint8_t> message = WriteMoveOrder(order);  // as the local server sends it
    ASSERT_EQ(message.front(), 100);
    ASSERT_TRUE(m_mgr->HandleServerUpdate(100, message.data() + 1, message.size() - 1));
    RunSteps(c);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(14, 10));
}

TEST_F(CharStepsTest, AWalkOrderGoesToItsTileAndEnds) {
    CChar* c = MonsterAt(5, 10, 10);
    ASSERT_TRUE(c);
    Post(c, std::make_unique<CCharMoveMsg>(5, 14, 10));
    RunSteps(c);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(14, 10));
    EXPECT_EQ(Pending(c), 0u);
    // The direct form walks at once, with no step queued.
    auto direct = std::make_unique<CCharMoveMsg>(5, 18, 12);
    direct->m_direct = 1;
    Post(c, std::move(direct));
    CharFrame(c, 33);
    EXPECT_EQ(c->GetData()->m_motion, MOTION_WALK);
    EXPECT_EQ(Pending(c), 0u);
    RunSteps(c);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(18, 12));
}

TEST_F(CharStepsTest, AnExplicitPointOverridesTheStepsGoal) {
    CChar* c = MonsterAt(5, 10, 10);
    CChar* target = MonsterAt(6, 30, 10);
    ASSERT_TRUE(c && target);
    // A walk to a tile and one to a character, both sent to the point instead.
    auto toTile = std::make_unique<CWalkStep>(c->GetController()->Holder(), 14, 10, 0);
    toTile->SetExplicitPoint(12.0f, 13.0f);
    c->GetController()->Holder()->AppendStep(std::move(toTile));
    RunSteps(c);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(12, 13));
    auto toChar = std::make_unique<CWalkStep>(c->GetController()->Holder(), 6, 2, 4, 0, false);
    toChar->SetExplicitPoint(9.0f, 8.0f);
    c->GetController()->Holder()->AppendStep(std::move(toChar));
    for (int k = 0; k < 200; ++k) CharFrame(c, 33);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(9, 8));
}

TEST_F(CharStepsTest, TwoCharactersOfSize15StopFourTilesApart) {
    CChar* walker = MonsterAt(5, 10, 10);
    CChar* target = MonsterAt(6, 30, 10);
    ASSERT_TRUE(walker && target);
    auto follow = std::make_unique<CCharMoveMsg>(5, 0, 0);
    follow->m_follow = 1;
    follow->m_targetId = 6;
    Post(walker, std::move(follow));
    RunSteps(walker, {target});
    EXPECT_EQ(Pending(walker), 0u);
    EXPECT_EQ(walker->GetMapPoint(), std::make_pair(26, 10));  // 1.5 + 1.5 is raised to 4 tiles
}

TEST_F(CharStepsTest, AFollowStepWhoseTargetIsGoneFinishesAtOnce) {
    CChar* walker = MonsterAt(5, 10, 10);
    CChar* target = MonsterAt(6, 40, 10);
    ASSERT_TRUE(walker && target);
    auto follow = std::make_unique<CCharMoveMsg>(5, 0, 0);
    follow->m_follow = 1;
    follow->m_targetId = 6;
    Post(walker, std::move(follow));
    CharFrame(walker, 33);
    CharFrame(walker, 33);
    ASSERT_EQ(Pending(walker), 1u);
    ASSERT_TRUE(m_mgr->RemoveCharacter(6));
    CharFrame(walker, 33);
    EXPECT_EQ(Pending(walker), 0u);
    // A walk to a character that never was ends the same way.
    auto nobody = std::make_unique<CCharMoveMsg>(5, 0, 0);
    nobody->m_follow = 1;
    nobody->m_targetId = 77;
    Post(walker, std::move(nobody));
    CharFrame(walker, 33);
    EXPECT_EQ(Pending(walker), 0u);
}

TEST_F(CharStepsTest, PickUpsAskAtOnceWhenNearAndOnArrivalWhenFar) {
    CChar* player = MakePlayer();  // at (10, 10)
    ASSERT_TRUE(player);
    // Asked by the server's object ids, not the item ids.
    CItemIconFactory icons;
    ScopedItemObjectFactory useIcons{icons};
    DropOnGround(901, 5001, "Potion", 13, 10);  // 3 tiles: near
    DropOnGround(902, 5002, "Potion", 30, 10);  // 20 tiles: far
    auto pickUp = [&](uint32_t object) {
        Post(player, std::make_unique<CCharValueMsg>(CHAR_EVENT_PICK_UP, 1, object));
    };
    auto sent = [&] {
        std::vector<std::string> out;
        for (const std::string& s : m_requests.sent)
            if (s.rfind("7 ", 0) == 0) out.push_back(s);
        return out;
    };
    pickUp(901);
    CharFrame(player, 33);
    EXPECT_EQ(sent(), (std::vector<std::string>{"7 901"}));
    EXPECT_EQ(player->GetMapPoint(), std::make_pair(10, 10)) << "near: no walk";
    EXPECT_EQ(Pending(player), 0u);

    pickUp(902);
    CharFrame(player, 33);
    EXPECT_EQ(player->GetData()->m_motion, MOTION_RUN);  // the player runs outside no-battle zones
    EXPECT_EQ(sent().size(), 1u) << "far: nothing asked before the walk";
    RunSteps(player);
    EXPECT_EQ(player->GetMapPoint(), std::make_pair(30, 10));
    EXPECT_EQ(sent(), (std::vector<std::string>{"7 901", "7 902"}));

    // Taken by someone else: the step ends without a request.
    pickUp(903);
    CharFrame(player, 33);
    EXPECT_EQ(Pending(player), 0u);
    EXPECT_EQ(sent().size(), 2u);
}

TEST_F(CharStepsTest, FollowCommandsKeepTheStepAndStopClearsIt) {
    CChar* player = MakePlayer();
    CChar* pet = MonsterAt(5, 20, 20);
    ASSERT_TRUE(player && pet);
    auto follow = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_74);
    follow->Set(1, 5);  // the pet follows the player
    Post(player, std::move(follow));
    CharFrame(player, 33);
    EXPECT_EQ(pet->GetData()->m_followFlags[0], 1);
    EXPECT_EQ(pet->GetController()->m_followSource, 1u);
    for (int i = 0; i < 40; ++i) CharFrame(pet, 33);
    EXPECT_EQ(Pending(pet), 1u) << "a follow step never ends by itself";
    auto stop = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_75);
    stop->Set(5, 0);
    Post(player, std::move(stop));
    CharFrame(player, 33);
    EXPECT_EQ(pet->GetData()->m_followFlags[0], 0);
    EXPECT_EQ(Pending(pet), 0u);
    // A missing character is looked up.
    auto missing = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_74);
    missing->Set(1, 99);
    Post(player, std::move(missing));
    CharFrame(player, 33);
    EXPECT_EQ(m_requests.sent.back(), "lookup 99");
}

}  // namespace
