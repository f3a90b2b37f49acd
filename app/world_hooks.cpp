#include "app/world_hooks.h"

#include "core/message.h"
#include "data/game_hooks.h"
#include "sound/sound_mgr.h"
#include "world/map/map.h"

namespace {

class CProgramWorldHooks : public IGameWorldHooks {
public:
    // The map, while it exists.
    bool HasMap() override { return g_pMap != nullptr; }
    bool IsWalkable(int32_t x, int32_t y) override { return g_pMap && g_pMap->IsPassable(x, y); }
    bool HandleMapMessage(const CMsgPayload& msg) override {
        if (!g_pMap) return false;
        g_pMap->HandleMessage(msg);
        return true;
    }
    bool HasMapData() override { return g_pMap && g_pMap->GetMapData(); }
    void SetFieldValue(uint32_t value) override {
        if (g_pMap) g_pMap->m_fieldValue = value;
    }
    std::pair<int32_t, int32_t> TileToScreen(int32_t tileX, int32_t tileY) override {
        if (!g_pMap) return {0, 0};
        const IsoPoint p = g_pMap->TileToScreen(tileX, tileY);
        return {p.x, p.y};
    }
    std::pair<int32_t, int32_t> ScreenToTile(int32_t x, int32_t y) override {
        if (!g_pMap) return {-1, -1};
        const IsoPoint p = g_pMap->ScreenToTile(x, y);
        return {p.x, p.y};
    }
    bool IsPassableAt(int32_t tileX, int32_t tileY) override {
        return g_pMap && g_pMap->IsPassableAt(tileX, tileY);
    }

    // The sound manager, while it exists.
    bool HasSoundMgr() override { return g_pSoundMgr != nullptr; }
    void PlaySoundEffect(uint16_t soundId, int32_t x, int32_t y) override {
        if (g_pSoundMgr) g_pSoundMgr->PlaySoundEffect(soundId, x, y, 1);
    }
};

CProgramWorldHooks g_programWorld;

}  // namespace

void InstallGameWorldHooks() {
    SetGameWorldHooks(&g_programWorld);
}
