// The global map in its start-up slot, and the services it installs.
#include <new>

#include "anim/ani_services.h"
#include "core/frame_hooks.h"
#include "world/map/map.h"
#include "world/world_hooks.h"

bool CreateMap() {
    if (!g_pMap) g_pMap = new (std::nothrow) CMap;
    if (!g_pMap) return true;  // start-up goes on without a map
    g_pMap->Create();
    GetAniServices().field = g_pMap;
    g_frameHooks.m_activation = g_pMap;
    SetGameWorldHooks(&WorldHooks());
    return true;
}

void DestroyMap() {
    SetGameWorldHooks(nullptr);
    if (GetAniServices().field == g_pMap) GetAniServices().field = nullptr;
    if (g_frameHooks.m_activation == g_pMap) g_frameHooks.m_activation = nullptr;
    delete g_pMap;
    g_pMap = nullptr;
}
