#include "scenes/scenes_startup.h"

#include <new>

#include "core/global_objects.h"
#include "core/main_mgr.h"
#include "scenes/start_scene.h"

namespace {

// The main manager owns the scene from here on and deletes it.
bool AddStartScene() {
    if (!g_pMainMgr) return true;
    auto* scene = new (std::nothrow) CStartScene;
    if (scene && !g_pMainMgr->AddChild(scene)) delete scene;
    return true;
}

}  // namespace

void InstallSceneGlobals() {
    AddGlobalFactory(GlobalSlot::StartObjects, AddStartScene, {});
}
