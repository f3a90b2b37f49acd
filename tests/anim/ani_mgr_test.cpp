#include "anim/ani_mgr.h"

#include <gtest/gtest.h>

#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "anim/ani_services.h"
#include "anim/anim_startup.h"
#include "anim/obj_ani.h"
#include "core/draw_object.h"
#include "core/global_objects.h"
#include "platform/message_box.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

TEST(AniMgrTest, NumbersFromMaxObjAniOnAreRefusedWithTheErrorBox) {
    AniWorld world;
    world.Write(9998, OneLayer({Image(0)}));
    EXPECT_EQ(world.Mgr().CreateNewObjAni(9999, nullptr), nullptr);
    ASSERT_EQ(world.Boxes().size(), 1u);
    EXPECT_EQ(world.Boxes()[0].caption, "Z5MessageBox");
    EXPECT_EQ(world.LastBoxText(), "CAniMgr::CreateNewObjAni() Error, dwIndex[9999]>=MAX_OBJANI[9999]");
    CObjAni* last = world.Mgr().CreateNewObjAni(9998, nullptr);
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last->m_name, "9998");
}

TEST(AniMgrTest, RequestsShareOneAnimationUntilTheLastRelease) {
    AniWorld world;
    world.Write(12, OneLayer({Image(0)}));
    CObjAni* a = world.Mgr().CreateNewObjAni(12, nullptr);
    CObjAni* b = world.Mgr().CreateNewObjAni(12, nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->m_refCount, 2);
    EXPECT_STREQ(a->m_name, "0012");
    EXPECT_EQ(world.Mgr().ChildCount(), 1);
    world.Mgr().ReleaseObjAni(a->GetId());
    EXPECT_EQ(world.Mgr().GetSlot(12), a);
    world.Mgr().ReleaseObjAni(a->GetId());
    EXPECT_EQ(world.Mgr().GetSlot(12), nullptr);
    EXPECT_EQ(world.Mgr().ChildCount(), 0);
}

TEST(AniMgrTest, ResidentAnimationsStayUntilReleaseAll) {
    AniWorld world;
    world.Write(3, OneLayer({Image(0)}));
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(3));
    object.SetAniFlag(1);
    CObjAni* ani = object.GetAni();
    object.Release();
    EXPECT_EQ(ani->m_refCount, 0);
    EXPECT_EQ(world.Mgr().GetSlot(3), ani);
    world.Mgr().ReleaseAll();
    EXPECT_EQ(world.Mgr().GetSlot(3), nullptr);
    EXPECT_EQ(world.Mgr().ChildCount(), 0);
}

TEST(AniMgrTest, ReleaseAllLeavesHoldersWithoutAnAnimation) {
    AniWorld world;
    world.Write(3, OneLayer({Image(0)}));
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(3));
    object.SetMotion(0);
    object.Play(false);
    world.Mgr().ReleaseAll();
    EXPECT_EQ(object.GetAni(), nullptr);
    EXPECT_TRUE(object.Update());
    EXPECT_TRUE(object.Draw());
}

TEST(AniMgrTest, MissingAndMalformedFilesAreNotCached) {
    AniWorld world;
    EXPECT_EQ(world.Mgr().CreateNewObjAni(5, nullptr), nullptr);
    EXPECT_EQ(world.Mgr().ChildCount(), 0);
    ASSERT_EQ(world.Boxes().size(), 1u);  // the file layer's Retry/Cancel, answered Cancel
    EXPECT_EQ(world.Boxes()[0].type, plat::MB_RETRYCANCEL);
    world.WriteBytes(5, {14, 1, 0});  // short
    EXPECT_EQ(world.Mgr().CreateNewObjAni(5, nullptr), nullptr);
    EXPECT_EQ(world.Boxes().size(), 2u);
    EXPECT_NE(world.LastBoxText().find("CObjAni::LoadAniFile() Error, short read"), std::string::npos);
    world.Write(5, OneLayer({Image(0)}));
    EXPECT_NE(world.Mgr().CreateNewObjAni(5, nullptr), nullptr);
}

TEST(AniMgrTest, ChildAnimationsLoadWithTheirParentAndGoWithIt) {
    AniWorld world;
    world.Write(1, OneLayer({Child(0, 2), Image(1)}));
    world.Write(2, OneLayer({Image(0), Hold(9)}));
    CObjAni* parent = world.Mgr().CreateNewObjAni(1, nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_NE(world.Mgr().GetSlot(2), nullptr);
    EXPECT_EQ(world.Mgr().GetSlot(2)->m_refCount, 1);
    // The child node lasts as long as the child's longest layer (end node at frame 11).
    CAniNode* child = parent->m_motions[0].m_layers[1][0].m_slots[0];
    EXPECT_EQ(child->GetDuration(), 12u * 33);
    world.Mgr().ReleaseObjAni(parent->GetId());
    EXPECT_EQ(world.Mgr().GetSlot(1), nullptr);
    EXPECT_EQ(world.Mgr().GetSlot(2), nullptr);
}

TEST(AniMgrTest, ChildrenLeadingBackToALoadingAnimationRefuseTheChainOnce) {
    AniWorld world;
    world.Write(1, OneLayer({Child(0, 2)}));
    world.Write(2, OneLayer({Image(0), Child(1, 3)}));
    world.Write(3, OneLayer({Child(0, 1)}));
    world.Write(4, OneLayer({Child(0, 4)}));
    world.Write(6, OneLayer({Image(0)}));
    for (uint32_t number : {1u, 4u}) {
        SCOPED_TRACE(number);
        const size_t before = world.Boxes().size();
        EXPECT_EQ(world.Mgr().CreateNewObjAni(number, nullptr), nullptr);
        EXPECT_EQ(world.Boxes().size(), before + 1);
        EXPECT_NE(world.LastBoxText().find("contains itself"), std::string::npos);
        EXPECT_EQ(world.Mgr().ChildCount(), 0);
        EXPECT_FALSE(world.Mgr().LoopFound());
    }
    // Loading goes on normally afterwards.
    EXPECT_NE(world.Mgr().CreateNewObjAni(6, nullptr), nullptr);
}

TEST(AniMgrTest, StartUpMakesTheGlobalManagerAndDrawableObjectsUseIt) {
    plat::ScopedMessageBoxRecorder boxes;
    qmtest::TempDir dir;
    const std::string oldFolder = g_config.m_folders[FOLDER_ANIMATION];
    g_config.m_folders[FOLDER_ANIMATION] = dir.Path();
    dir.WriteFile("0007.z5a", WriteAniFile(OneLayer({Image(0)})));
    InstallAnimGlobals();
    ASSERT_TRUE(CreateGlobal(GlobalSlot::AniMgr));
    ASSERT_NE(g_pAniMgr, nullptr);
    EXPECT_TRUE(g_pAniMgr->IsReady());
    {
        CDrawObject drawable;
        ASSERT_TRUE(drawable.CreateNamedWithAni(DRAW_TYPE_NO_UNDERLAY, "x", 7, false));
        CAniObject* object = drawable.GetAniObject();
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->m_underlayMode, ANI_UNDERLAY_OFF_MODE);
        object->SetScreenPosition(4, 5, 0);
        EXPECT_EQ(drawable.GetX(), 4);
        EXPECT_EQ(drawable.GetLayer(), 5);
        EXPECT_EQ(g_pAniMgr->GetSlot(7)->m_refCount, 1);
        EXPECT_FALSE(drawable.CreateWithAni(1, 0, 8, false));  // no file 8
    }
    EXPECT_EQ(g_pAniMgr->GetSlot(7), nullptr);
    DestroyGlobal(GlobalSlot::AniMgr);
    EXPECT_EQ(g_pAniMgr, nullptr);
    ClearGlobalFactories();
    SetAniNameLookup(nullptr);
    g_config.m_folders[FOLDER_ANIMATION] = oldFolder;
}
