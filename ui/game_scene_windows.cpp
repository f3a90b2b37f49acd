#include "ui/game_scene_windows.h"

#include "core/main_mgr.h"

IGameSceneActions* FindGameSceneActions() {
    return g_pMainMgr ? dynamic_cast<IGameSceneActions*>(g_pMainMgr->FindChildByKind(0)) : nullptr;
}
