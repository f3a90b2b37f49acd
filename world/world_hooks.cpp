#include "world/world_hooks.h"

#include "core/message.h"
#include "world/map/map.h"

CWorldHooks& WorldHooks() {
    static CWorldHooks hooks;
    return hooks;
}

bool CWorldHooks::HasMap() {
    return g_pMap != nullptr;
}

bool CWorldHooks::IsWalkable(int32_t x, int32_t y) {
    return g_pMap && g_pMap->IsPassable(x, y);
}

bool CWorldHooks::HandleMapMessage(const CMsgPayload& msg) {
    if (!g_pMap) return false;
    g_pMap->HandleMessage(msg);
    return true;
}

bool CWorldHooks::HasMapData() {
    return g_pMap && g_pMap->GetMapData();
}

void CWorldHooks::SetFieldValue(uint32_t value) {
    if (g_pMap) g_pMap->m_fieldValue = value;
}

std::pair<int32_t, int32_t> CWorldHooks::TileToScreen(int32_t tileX, int32_t tileY) {
    if (!g_pMap) return {0, 0};
    const IsoPoint p = g_pMap->TileToScreen(tileX, tileY);
    return {p.x, p.y};
}

std::pair<int32_t, int32_t> CWorldHooks::ScreenToTile(int32_t x, int32_t y) {
    if (!g_pMap) return {-1, -1};
    const IsoPoint p = g_pMap->ScreenToTile(x, y);
    return {p.x, p.y};
}

bool CWorldHooks::IsPassableAt(int32_t tileX, int32_t tileY) {
    return g_pMap && g_pMap->IsPassableAt(tileX, tileY);
}
