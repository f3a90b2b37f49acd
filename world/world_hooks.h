// The game world's side of the hooks the lower layers call (data/game_hooks.h):
// one object, installed while the map exists, answering through the global map.
#pragma once
#include "data/game_hooks.h"

class CWorldHooks : public IGameWorldHooks {
public:
    bool HasMap() override;
    bool IsWalkable(int32_t x, int32_t y) override;

    bool HandleMapMessage(const CMsgPayload& msg) override;
    bool HasMapData() override;
    void SetFieldValue(uint32_t value) override;
    std::pair<int32_t, int32_t> TileToScreen(int32_t tileX, int32_t tileY) override;
    std::pair<int32_t, int32_t> ScreenToTile(int32_t x, int32_t y) override;
    bool IsPassableAt(int32_t tileX, int32_t tileY) override;
};

// The world's hooks object.
CWorldHooks& WorldHooks();
