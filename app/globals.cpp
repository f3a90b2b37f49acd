#include "app/globals.h"

#include "anim/ani_mgr.h"
#include "core/global_objects.h"
#include "graphics/frame_display.h"

// Each layer adds its global objects here as it is built; a slot without a
// factory is skipped by start-up.
void InstallGlobalFactories() {
    SetGlobalFactory(GlobalSlot::ResourceCaches, CreateGraphicsCaches, DestroyGraphicsCaches);
    SetGlobalFactory(GlobalSlot::DirectX, CreateDisplayDevices, DestroyDisplayDevices);
    SetGlobalFactory(GlobalSlot::AniMgr, CreateAniMgr, DestroyAniMgr);
}
