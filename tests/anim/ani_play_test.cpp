// Playing animations: which element is current when, what the nodes do when
// they become current, and how an object ends or loops.
#include <gtest/gtest.h>

#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "anim/obj_ani.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

namespace {

// An object showing animation 1 (written from the file), motion 0, direction 1, playing.
struct Player {
    AniWorld world;
    CAniObject object;
    uint32_t t0 = 0;

    explicit Player(const AniFile& file, float scale = 1.0f, bool loop = false) {
        world.Write(1, file);
        EXPECT_TRUE(object.SetAnimation(1));
        object.SetMotion(0);
        object.SetScale(scale);
        object.Play(loop);
        t0 = world.Clock().Milliseconds();
    }
    // Moves the clock to t0 + t and runs one update; the step element of layer k.
    int32_t At(uint32_t t, int32_t k = 0) {
        world.Clock().SetMilliseconds(t0 + t);
        object.Update();
        return object.GetLayerRecord(k)->m_stepCurrent;
    }
};

}  // namespace

TEST(AniPlayTest, CurrentElementTimelineAtTimeScales) {
    // Image at 0 held 2 frames (66 ms), image at frame 4, end node at frame 5.
    const AniFile file = OneLayer({Image(0), Hold(2), Image(4)});
    struct Step {
        uint32_t t;
        int32_t element;
    };
    struct Case {
        float scale;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {1.0f, {{0, 0}, {66, 0}, {67, 0}, {131, 0}, {132, 1}, {165, 1}, {166, 2}, {198, 2}, {1000, 2}}},
        {2.0f, {{0, 0}, {132, 0}, {263, 0}, {264, 1}, {330, 1}, {331, 2}, {2000, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        Player p(file, c.scale);
        for (const Step& s : c.steps) EXPECT_EQ(p.At(s.t), s.element) << "t " << s.t;
    }
}

TEST(AniPlayTest, NothingIsCurrentBeforeTheFirstElementStarts) {
    Player p(OneLayer({Image(3)}));
    EXPECT_EQ(p.At(0), -1);
    EXPECT_EQ(p.At(98), -1);
    EXPECT_EQ(p.At(99), 0);
}

TEST(AniPlayTest, TheEndNodeEndsTheLayerAndTheObjectStops) {
    Player p(OneLayer({Image(0)}));
    p.world.Write(2, OneLayer({Image(0), Hold(50)}));
    CAniObject child;
    ASSERT_TRUE(child.SetAnimation(2));
    child.AttachToParent(&p.object, 1);
    p.object.Play(false);
    p.At(10);
    EXPECT_EQ(p.object.GetLayerRecord(0)->m_done, 0);
    EXPECT_EQ(p.object.m_stopped, 0);
    EXPECT_EQ(p.At(40), 1);  // the end node at frame 1
    EXPECT_EQ(p.object.GetLayerRecord(0)->m_done, 1);
    EXPECT_EQ(p.object.m_stopped, 1);
    EXPECT_EQ(child.m_stopped, 1);
    // A stopped object stays on its last element.
    EXPECT_EQ(p.At(5000), 1);
}

TEST(AniPlayTest, ALoopingObjectRestartsFromTheFirstFrame) {
    Player p(OneLayer({Image(0), Image(1)}), 1.0f, true);
    // At 70 ms the end node is current: the layer is done and the object
    // restarts with a new start time, before its first element again.
    EXPECT_EQ(p.At(70), -1);
    EXPECT_EQ(p.object.m_startTime, p.t0 + 70);
    EXPECT_EQ(p.object.GetLayerRecord(0)->m_done, 0);
    EXPECT_EQ(p.object.m_stopped, 0);
    EXPECT_EQ(p.At(80), 0);
}

TEST(AniPlayTest, ASoundPlaysOncePerPass) {
    FakeSound sound;
    AniServiceSet services;
    services.sound = &sound;
    ScopedServices scoped(services);
    // Image, sound at frame 2 (positional), image at frame 3 held 5 frames, end at frame 10.
    Player p(OneLayer({Image(0), Sound(2, 77, true), Image(3), Hold(5)}), 1.0f, true);
    p.object.SetScreenPosition(40, 50, 0);
    EXPECT_EQ(p.At(70), 1);
    ASSERT_EQ(sound.plays.size(), 1u);
    EXPECT_EQ(sound.plays[0].id, 77u);
    EXPECT_EQ(sound.plays[0].x, 40);
    EXPECT_EQ(sound.plays[0].y, 50);
    // Moving on executes the sound again with the catch-up flag: the guard holds.
    EXPECT_EQ(p.At(120), 2);
    EXPECT_EQ(sound.plays.size(), 1u);
    // The next pass starts at 340; an update that skips past the sound still plays it once.
    EXPECT_EQ(p.At(340), -1);  // the end node: the next pass begins
    EXPECT_EQ(p.At(340 + 120), 2);
    EXPECT_EQ(sound.plays.size(), 2u);
    EXPECT_EQ(p.At(340 + 150), 2);
    EXPECT_EQ(sound.plays.size(), 2u);
}

TEST(AniPlayTest, CharacterCountersAndRatio) {
    FakeCharacters chars;
    AniServiceSet services;
    services.characters = &chars;
    ScopedServices scoped(services);
    CChar* me = reinterpret_cast<CChar*>(0x1000);
    chars.ids[me] = 321;
    AniFileElement percent = Node(ANI_NODE_OWNER_PERCENT, 2);
    percent.mode = 40;
    Player p(OneLayer(
        {Node(ANI_NODE_TARGET_COUNT, 0), Node(ANI_NODE_OWNER_COUNT, 1), percent, Image(3), Hold(3)}));
    p.object.SetOwner(me);
    p.At(0);
    p.At(10);
    EXPECT_EQ(chars.secondHits[321], 1);
    p.At(80);  // skips the owner count and lands on the percent node
    EXPECT_EQ(chars.firstHits[me], 1);
    EXPECT_FLOAT_EQ(chars.ratios[me], 0.4f);
    p.At(140);
    EXPECT_EQ(chars.secondHits[321], 1);
    EXPECT_EQ(chars.firstHits[me], 1);
}

TEST(AniPlayTest, LayerSwitchModes) {
    auto switchNode = [](uint16_t start, uint8_t mode) {
        AniFileElement e = Node(ANI_NODE_LAYER_SWITCH, start);
        e.target = 1;
        e.mode = mode;
        return e;
    };
    Player p(File(14, {Motion(0, {Direction(1, {Layer({switchNode(0, 0), switchNode(1, 1), switchNode(2, 2),
                                                       switchNode(3, 3), Image(4)}),
                                                Layer({Image(0), Hold(9)})})})}));
    CAniLayer& target = p.object.GetCurrentMotionRecord()->m_layers[1][1];
    EXPECT_EQ(p.At(0), 0);
    EXPECT_EQ(target.m_switch, 1);
    EXPECT_EQ(p.At(66), 1);
    EXPECT_EQ(p.At(99), 2);
    EXPECT_EQ(target.m_switch, 1);  // modes 1 and 2 change nothing
    EXPECT_EQ(p.At(132), 3);
    EXPECT_EQ(target.m_switch, 0);
}

TEST(AniPlayTest, SkippedRampsLeaveTheirLimitAndCurrentOnesStartARamp) {
    Player p(
        File(14, {Motion(0, {Direction(1, {Layer({Ramp(ANI_NODE_ALPHA_RAMP, 0, false, 10, 60, 1),
                                                  Ramp(ANI_NODE_VALUE_RAMP, 1, true, 5, 90, 1), Image(2)}),
                                           Layer({Image(0), Hold(9)})})})}));
    p.At(40);  // the value ramp is current, the alpha ramp was skipped
    EXPECT_EQ(p.object.GetLayerRecord(0)->m_alpha, 60u);
    const AniRamp& ramp = p.object.GetLayerRecord(1)->m_valueRamp;
    EXPECT_EQ(ramp.m_step, 5);
    EXPECT_EQ(ramp.m_limit, 90u);
    EXPECT_EQ(ramp.m_startTime, p.t0 + 40);
}

TEST(AniPlayTest, OrderNodesMoveTheOwnerAmongItsParentsChildren) {
    for (uint8_t code : std::initializer_list<uint8_t>{0, 1}) {
        SCOPED_TRACE(int(code));
        AniWorld world;
        AniFileElement order = Node(ANI_NODE_ORDER, 0);
        order.mode = code;
        world.Write(1, OneLayer({Image(0), Hold(20)}));
        world.Write(2, OneLayer({order, Image(1), Hold(20)}));
        CAniObject parent, child;
        ASSERT_TRUE(parent.SetAnimation(1));
        ASSERT_TRUE(child.SetAnimation(2));
        parent.SetMotion(0);
        child.AttachToParent(&parent, 0);
        parent.Play(false);
        parent.Update();
        EXPECT_EQ(child.m_priority, code == 0 ? 4 : -4);
        const std::vector<CAniObject*> entries = parent.Entries();
        EXPECT_EQ(entries, code == 0 ? (std::vector<CAniObject*>{&parent, &child})
                                     : (std::vector<CAniObject*>{&child, &parent}));
    }
}

TEST(AniPlayTest, ChildNodesPlayTheirAnimationFromTheNodesStart) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0), Child(2, 2), Image(8)}));
    world.Write(2, OneLayer({Image(0), Image(1), Image(2)}));
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.Play(false);
    const uint32_t t0 = world.Clock().Milliseconds();
    world.Clock().SetMilliseconds(t0 + 66 + 40);
    object.Update();
    auto* node = static_cast<CAniChildNode*>(object.GetCurrentMotionRecord()->m_layers[1][0].m_slots[1]);
    ASSERT_NE(node->m_pChild, nullptr);
    EXPECT_EQ(node->m_pChild->m_startTime, t0 + 66);
    EXPECT_EQ(node->m_pChild->GetLayerRecord(0)->m_stepCurrent, 1);
}

TEST(AniPlayTest, ToonFacing) {
    CAniToonNode node;
    CAniObject owner;
    owner.m_direction = 6;
    EXPECT_FLOAT_EQ(node.FacingAngle(&owner), -90.0f);
    node.m_facing = 3;  // faces direction 14 whatever the owner's direction
    EXPECT_FLOAT_EQ(node.FacingAngle(&owner), 90.0f);
    owner.m_angleSet = 1;
    owner.m_angle = 33.0f;
    EXPECT_FLOAT_EQ(node.FacingAngle(&owner), 33.0f);
}

TEST(AniPlayTest, MeshFramePeriodZeroCountsAsOneFrame) {
    plat::FakeClock clock(5000);
    plat::ScopedClock scoped(clock);
    CAniMeshNode node;
    node.m_start = 1;
    CAniObject owner;
    owner.m_startTime = 5000 - 33 - 99;
    owner.m_frame3DPeriod = 0;
    EXPECT_EQ(node.CurrentFrame(&owner), 2);
    owner.m_frame3DPeriod = 11;
    EXPECT_EQ(node.CurrentFrame(&owner), 8);
}
