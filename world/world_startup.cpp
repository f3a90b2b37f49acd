#include "world/world_startup.h"

#include <new>

#include "anim/ani_services.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/main_mgr.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_world.h"
#include "world/cursor.h"
#include "world/map/map.h"
#include "world/map/map_services.h"

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

bool CreateCharMgr() {
    if (!g_pCharMgr) g_pCharMgr = new (std::nothrow) CCharMgr;
    if (!g_pCharMgr) return true;  // start-up goes on without characters
    SetMapCharacters(&MapCharacters());
    SetAniCharacters(&AniCharacters());
    return true;
}

void DestroyCharMgr() {
    if (GetMapCharacters() == &MapCharacters()) SetMapCharacters(nullptr);
    if (GetAniCharacters() == &AniCharacters()) SetAniCharacters(nullptr);
    delete g_pCharMgr;
    g_pCharMgr = nullptr;
}

// The cursor is the main manager's first start object (the main manager
// deletes it; its destructor takes back what it installed).
bool CreateCursor() {
    if (!g_pMainMgr || g_pCursor) return true;
    auto* cursor = new (std::nothrow) CCursor;
    if (!cursor) return true;
    cursor->Create();
    if (!g_pMainMgr->AddChild(cursor)) {
        delete cursor;
        return true;
    }
    g_pCursor = cursor;
    SetCursorHooks(cursor);
    if (g_pWindowMgr) g_pWindowMgr->SetCursorObject(cursor);
    return true;
}

}  // namespace

void UninstallCursor(CCursor* cursor) {
    if (!cursor) return;
    if (GetCursorHooks() == cursor) SetCursorHooks(nullptr);
    if (g_pWindowMgr && g_pWindowMgr->GetCursorObject() == cursor) g_pWindowMgr->SetCursorObject(nullptr);
    if (g_pCursor == cursor) g_pCursor = nullptr;
}

void InstallWorldGlobals() {
    SetGlobalFactory(GlobalSlot::Map, CreateMap, DestroyMap);
    SetGlobalFactory(GlobalSlot::CharMgr, CreateCharMgr, DestroyCharMgr);
    AddGlobalFactory(GlobalSlot::StartObjects, CreateCursor, {});
}
