#include "app/world_hooks.h"

#include "data/game_hooks.h"
#include "sound/sound_mgr.h"

namespace {

class CProgramWorldHooks : public IGameWorldHooks {
public:
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
