#include "data/game_hooks.h"

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
