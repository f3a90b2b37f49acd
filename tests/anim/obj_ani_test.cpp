#include "anim/obj_ani.h"

#include <gtest/gtest.h>

#include "anim/ani_node.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

namespace {

std::vector<uint32_t> Kinds(const CAniLayer& layer) {
    std::vector<uint32_t> kinds;
    for (CAniNode* n : layer.m_slots) kinds.push_back(n ? n->m_kind : 99u);
    return kinds;
}

std::vector<uint16_t> Starts(const CAniLayer& layer) {
    std::vector<uint16_t> starts;
    for (CAniNode* n : layer.m_slots) starts.push_back(n ? n->m_start : 0xFFFF);
    return starts;
}

CAniLayer& FirstLayer(CObjAni& ani, uint32_t direction = 1) {
    return ani.m_motions.at(0).m_layers[direction].at(0);
}

}  // namespace

TEST(ObjAniTest, HoldsFoldIntoTheirImageAndTheLayerIsCompacted) {
    // Five elements with two holds: 5 + 1 - 2 = 4 slots, the last the end node.
    for (uint8_t version : std::initializer_list<uint8_t>{5, 11}) {
        SCOPED_TRACE(int(version));
        CObjAni ani;
        ASSERT_TRUE(ani.Build(OneLayer({Image(0), Hold(3), Image(5), Hold(1), Sound(8, 1)}, version)));
        CAniLayer& layer = FirstLayer(ani);
        EXPECT_EQ(Kinds(layer),
                  (std::vector<uint32_t>{ANI_NODE_IMAGE, ANI_NODE_IMAGE, ANI_NODE_SOUND, ANI_NODE_END}));
        EXPECT_EQ(Starts(layer), (std::vector<uint16_t>{0, 5, 8, 9}));
        EXPECT_EQ(static_cast<CAniImageNode*>(layer.m_slots[0])->m_hold, 3);
        EXPECT_EQ(static_cast<CAniImageNode*>(layer.m_slots[1])->m_hold, 1);
        for (int32_t i = 0; i < layer.ElementCount(); ++i) EXPECT_EQ(layer.m_slots[size_t(i)]->m_position, i);
        EXPECT_EQ(static_cast<CAniEndNode*>(layer.m_slots[3])->m_pImage, layer.m_slots[1]);
        EXPECT_EQ(layer.m_endTime, 9u * 33 + 33);
    }
}

TEST(ObjAniTest, HoldAfterTheLastImagePutsTheEndNodeAtStartPlusHoldPlusTwo) {
    CObjAni ani;
    ASSERT_TRUE(ani.Build(OneLayer({Image(4), Hold(3)}, 9)));
    CAniLayer& layer = FirstLayer(ani);
    ASSERT_EQ(layer.ElementCount(), 2);
    EXPECT_EQ(layer.m_slots[1]->m_start, 4 + 3 + 2);
    EXPECT_EQ(layer.m_slots[0]->GetDuration(), 99u);
}

TEST(ObjAniTest, UnknownKindsLeaveNoEmptySlot) {
    // The end node's kind in a file is no more a node than any other kind past 17.
    for (uint8_t version : std::initializer_list<uint8_t>{9, 14}) {
        SCOPED_TRACE(int(version));
        CObjAni ani;
        ASSERT_TRUE(ani.Build(
            OneLayer({Image(0), Node(25, 0), Image(2), Node(ANI_NODE_END, 0), Node(40, 0)}, version)));
        EXPECT_EQ(Kinds(FirstLayer(ani)),
                  (std::vector<uint32_t>{ANI_NODE_IMAGE, ANI_NODE_IMAGE, ANI_NODE_END}));
        EXPECT_EQ(Starts(FirstLayer(ani)), (std::vector<uint16_t>{0, 2, 3}));
    }
}

TEST(ObjAniTest, PooledNodesComeFromTheirPools) {
    CObjAni ani;
    ASSERT_TRUE(ani.Build(OneLayer({Image(0), Image(1), Sound(2, 3)}, 11)));
    ASSERT_TRUE(ani.m_pools[ANI_NODE_IMAGE]);
    EXPECT_EQ(ani.m_pools[ANI_NODE_IMAGE]->m_cursor, 2u);
    EXPECT_EQ(FirstLayer(ani).m_slots[1], ani.m_pools[ANI_NODE_IMAGE]->At(1));
    EXPECT_EQ(FirstLayer(ani).m_slots[2], ani.m_pools[ANI_NODE_SOUND]->At(0));
}

TEST(ObjAniTest, PoolsHoldTheNodesTheFileHasWhateverItDeclares) {
    AniFile file = OneLayer({Image(0), Image(1)}, 11);
    file.pools = {{ANI_NODE_IMAGE, 0x7FFFFFFF}, {ANI_NODE_SOUND, 5}};
    AniFile read;
    ASSERT_TRUE(ReadAniFile(WriteAniFile(file), read));
    CObjAni ani;
    ASSERT_TRUE(ani.Build(read));
    EXPECT_EQ(ani.m_pools[ANI_NODE_IMAGE]->m_size, 2u);
    EXPECT_EQ(ani.m_pools[ANI_NODE_SOUND], nullptr);
}

TEST(ObjAniTest, EndTimesPassSixtyFiveSeconds) {
    CObjAni ani;
    ASSERT_TRUE(ani.Build(OneLayer({Image(2500)}, 14)));
    EXPECT_EQ(FirstLayer(ani).m_endTime, 2501u * 33 + 33);
    EXPECT_EQ(FirstLayer(ani).m_alphaTable.size(), 2502u);
}

TEST(ObjAniTest, NoMotionsMeansNoMotionRecords) {
    CObjAni ani;
    ASSERT_TRUE(ani.Build(File(14, {})));
    EXPECT_EQ(ani.MotionCount(), 0);
    EXPECT_EQ(ani.FindMotion(0), nullptr);
}

TEST(ObjAniTest, HeightExtent) {
    struct Case {
        const char* name;
        AniFile file;
        int32_t extent;
    };
    AniFileElement high = Image(0, 1, 0, ANI_IMAGE_OFFSET);
    high.y = -150;
    std::vector<Case> cases;
    cases.push_back({"version 5 main motion", OneLayer({Image(0)}, 5, 2), 100});
    cases.push_back({"version 5 other motion", OneLayer({Image(0)}, 5, 4), 0});
    cases.push_back({"height given",
                     File(14, {Motion(1, {Direction(0, {Layer({Image(0)})}, 120),
                                          Direction(3, {Layer({Image(0)})}, 80)})}),
                     120});
    cases.push_back(
        {"height not given", File(14, {Motion(0, {Direction(0, {Layer({Image(0)})}, 0xFFFF)})}), 0});
    cases.push_back(
        {"image above the anchor", File(14, {Motion(0, {Direction(0, {Layer({high})}, 30)})}), 150});
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        CObjAni ani;
        ASSERT_TRUE(ani.Build(c.file));
        EXPECT_EQ(ani.m_heightExtent, c.extent);
    }
}

TEST(ObjAniTest, RampTables) {
    // Layer 0 lasts 22 frames; layer 1 ramps it.
    AniFile file = File(14, {Motion(0, {Direction(1, {Layer({Image(0), Hold(19)}),
                                                      Layer({
                                                          Ramp(ANI_NODE_VALUE_RAMP, 1, true, 100, 250, 0),
                                                          Ramp(ANI_NODE_ALPHA_RAMP, 2, false, 50, 100, 0),
                                                          Ramp(ANI_NODE_VALUE_RAMP, 2, false, 0, 9, 0),
                                                          Ramp(ANI_NODE_ALPHA_RAMP, 30, true, 1, 0, 0),
                                                      })})})});
    CObjAni ani;
    ASSERT_TRUE(ani.Build(file));
    const CAniLayer& layer = FirstLayer(ani);
    ASSERT_EQ(layer.FrameCount(), 22u);
    // Falling alpha from frame 2 by 50 down to 100; the ramp at frame 30 lies past the end.
    std::vector<uint8_t> alpha(22, 100);
    alpha[0] = alpha[1] = 255;
    alpha[2] = 205;
    alpha[3] = 155;
    alpha[4] = 105;
    EXPECT_EQ(layer.m_alphaTable, alpha);
    // Rising value from frame 1 by 100 up to 250; then from frame 2 a step of
    // 0 writes the value found there (200) once and holds it to the end.
    std::vector<uint8_t> value(22, 200);
    value[0] = 0;
    value[1] = 100;
    EXPECT_EQ(layer.m_valueTable, value);
    EXPECT_EQ(layer.AlphaAt(1000), 100);
}

TEST(ObjAniTest, RampsClampInsteadOfWrapping) {
    AniFile file = File(14, {Motion(0, {Direction(1, {Layer({Image(0), Hold(5)}),
                                                      Layer({
                                                          Ramp(ANI_NODE_VALUE_RAMP, 0, true, 200, 255, 0),
                                                          Ramp(ANI_NODE_ALPHA_RAMP, 0, false, 200, 10, 0),
                                                      })})})});
    CObjAni ani;
    ASSERT_TRUE(ani.Build(file));
    const CAniLayer& layer = FirstLayer(ani);
    // 0 + 200 and 255 - 200 are in range; the next steps stop at the limits.
    std::vector<uint8_t> value(layer.FrameCount(), 255), alpha(layer.FrameCount(), 10);
    value[0] = 200;
    alpha[0] = 55;
    EXPECT_EQ(layer.m_valueTable, value);
    EXPECT_EQ(layer.m_alphaTable, alpha);
}

TEST(ObjAniTest, BlendNodesSetTheirTargetLayerAtLoad) {
    AniFileElement blend = Node(ANI_NODE_LAYER_BLEND, 0);
    blend.target = 1;
    blend.mode = 1;
    AniFileElement stray = blend;
    stray.target = 7;
    stray.mode = 2;
    CObjAni ani;
    ASSERT_TRUE(ani.Build(File(14, {Motion(0, {Direction(1, {Layer({blend, stray}), Layer({Image(0)})})})})));
    EXPECT_EQ(ani.m_motions[0].m_layers[1][0].m_blendMode, 0);
    EXPECT_EQ(ani.m_motions[0].m_layers[1][1].m_blendMode, 1);
}

TEST(ObjAniTest, FindPrevImageNodeStopsAtABreak) {
    CObjAni ani;
    ASSERT_TRUE(ani.Build(OneLayer({Image(0), Node(ANI_NODE_BREAK, 1), Sound(2, 1), Hold(2)}, 14)));
    CAniLayer& layer = FirstLayer(ani);
    EXPECT_EQ(ani.FindPrevImageNode(&ani.m_motions[0], 0, 3, 1), nullptr);
    EXPECT_EQ(ani.FindPrevImageNode(&ani.m_motions[0], 0, 1, 1), layer.m_slots[0]);
    // The end node found no image either.
    EXPECT_EQ(static_cast<CAniEndNode*>(layer.m_slots.back())->m_pImage, nullptr);
}
