#include "world/world_startup.h"

#include <new>

#include "anim/ani_services.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "world/map/map.h"

namespace {

bool CreateMap() {
    if (!g_pMap) g_pMap = new (std::nothrow) CMap;
    if (!g_pMap) return true;  // start-up goes on without a map
    g_pMap->Create();
    SetAniField(g_pMap);
    SetActivationListener(g_pMap);
    return true;
}

void DestroyMap() {
    if (GetAniField() == g_pMap) SetAniField(nullptr);
    if (GetActivationListener() == g_pMap) SetActivationListener(nullptr);
    delete g_pMap;
    g_pMap = nullptr;
}

}  // namespace

void InstallWorldGlobals() {
    SetGlobalFactory(GlobalSlot::Map, CreateMap, DestroyMap);
}
