#include "ui/items/item_world.h"

#include "ui/items/item_targets.h"
#include "ui/window_mgr.h"

namespace {
IItemWorld* g_itemWorld = nullptr;
}  // namespace

IItemWorld* SetItemWorld(IItemWorld* world) {
    IItemWorld* previous = g_itemWorld;
    g_itemWorld = world;
    return previous;
}

IItemWorld* GetItemWorld() {
    return g_itemWorld;
}

CBaseWindow* FindItemTargetWindow(const char* name) {
    return g_pWindowMgr ? g_pWindowMgr->FindWindowByName(name, 0, true) : nullptr;
}
