#include "data/game_hooks.h"

#include "core/error_box.h"

namespace {
IGameWorldHooks g_noWorld;
IGameWorldHooks* g_world = nullptr;
}  // namespace

void SetGameWorldHooks(IGameWorldHooks* hooks) {
    g_world = hooks;
}

IGameWorldHooks* GetGameWorldHooks() {
    return g_world;
}

IGameWorldHooks& GameWorld() {
    return g_world ? *g_world : g_noWorld;
}

bool CheckCharStatus(const uint32_t words[4], int32_t id) {
    if (id < 1 || id > 128) {
        ReportError("CCharMgr::CheckCharStatus, Status ID Error : %d", id);
        return false;
    }
    const uint32_t bit = uint32_t(id - 1);
    return words && ((words[bit / 32] >> (bit % 32)) & 1u) != 0;
}
