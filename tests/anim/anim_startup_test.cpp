#include "anim/anim_startup.h"

#include <gtest/gtest.h>

#include "anim/map_model3d.h"
#include "anim/model_services.h"
#include "anim/toon_object.h"
#include "core/global_objects.h"

namespace {

TEST(AnimStartup, ModelManagersMadeAndDeletedInTheirSlots) {
    ClearGlobalFactories();
    InstallAnimGlobals();
    ASSERT_TRUE(HasGlobalFactory(GlobalSlot::MapModel3DMgr));
    ASSERT_TRUE(HasGlobalFactory(GlobalSlot::ToonObjMgr));
    EXPECT_TRUE(CreateGlobal(GlobalSlot::MapModel3DMgr));
    EXPECT_TRUE(CreateGlobal(GlobalSlot::ToonObjMgr));
    EXPECT_NE(g_pMapModel3DMgr, nullptr);
    EXPECT_NE(g_pToonObjMgr, nullptr);
    EXPECT_EQ(GetAniToonObjects(), &ToonObjectService());
    EXPECT_EQ(GetAniMeshModels(), &MapModelService());
    // Shutdown deletes the toon cache before the device set and the model manager after it.
    int toon = -1, devices = -1, models = -1;
    for (int i = 0; i < kShutdownOrderCount; ++i) {
        if (kShutdownOrder[i] == GlobalSlot::ToonObjMgr) toon = i;
        if (kShutdownOrder[i] == GlobalSlot::DirectX) devices = i;
        if (kShutdownOrder[i] == GlobalSlot::MapModel3DMgr) models = i;
    }
    EXPECT_LT(toon, devices);
    EXPECT_LT(devices, models);
    // Each service goes with its manager: the animations, deleted between the
    // two, never reach a deleted cache through them.
    DestroyGlobal(GlobalSlot::ToonObjMgr);
    EXPECT_EQ(GetAniToonObjects(), nullptr);
    EXPECT_EQ(GetAniMeshModels(), &MapModelService());
    DestroyGlobal(GlobalSlot::MapModel3DMgr);
    EXPECT_EQ(GetAniMeshModels(), nullptr);
    EXPECT_EQ(g_pMapModel3DMgr, nullptr);
    EXPECT_EQ(g_pToonObjMgr, nullptr);
    ClearGlobalFactories();
    SetAniNameLookup(nullptr);
}

}  // namespace
