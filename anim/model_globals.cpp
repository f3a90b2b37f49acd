#include "anim/model_globals.h"

#include "anim/map_model3d.h"
#include "anim/toon_object.h"
#include "core/global_objects.h"

void InstallModelGlobals() {
    SetGlobalFactory(
        GlobalSlot::MapModel3DMgr, [] { return (g_pMapModel3DMgr = new CMapModel3DMgr) != nullptr; },
        [] {
            delete g_pMapModel3DMgr;
            g_pMapModel3DMgr = nullptr;
        });
    SetGlobalFactory(
        GlobalSlot::ToonObjMgr, [] { return (g_pToonObjMgr = new CToonObjMgr) != nullptr; },
        [] {
            delete g_pToonObjMgr;
            g_pToonObjMgr = nullptr;
        });
}
