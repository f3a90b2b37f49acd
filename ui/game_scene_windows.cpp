#include "ui/game_scene_windows.h"

#include "core/main_mgr.h"

IOneToOneChat* FindOneToOneChat() {
    if (!g_pMainMgr) return nullptr;
    auto* host = dynamic_cast<IOneToOneChatHost*>(g_pMainMgr->FindChildByKind(0));
    return host ? host->GetOneToOneChat() : nullptr;
}

IGameSceneActions* FindGameSceneActions() {
    return g_pMainMgr ? dynamic_cast<IGameSceneActions*>(g_pMainMgr->FindChildByKind(0)) : nullptr;
}
