#include "anim/model_globals.h"

#include "anim/map_model3d.h"
#include "anim/model_services.h"
#include "anim/toon_object.h"
#include "core/global_objects.h"

void InstallModelGlobals() {
    SetGlobalFactory(
        GlobalSlot::MapModel3DMgr,
        [] {
            g_pMapModel3DMgr = new CMapModel3DMgr;
            GetAniServices().meshes = &MapModelService();
            return true;
        },
        [] {
            GetAniServices().meshes = nullptr;
            delete g_pMapModel3DMgr;
            g_pMapModel3DMgr = nullptr;
        });
    SetGlobalFactory(
        GlobalSlot::ToonObjMgr,
        [] {
            g_pToonObjMgr = new CToonObjMgr;
            GetAniServices().toons = &ToonObjectService();
            return true;
        },
        [] {
            GetAniServices().toons = nullptr;
            delete g_pToonObjMgr;
            g_pToonObjMgr = nullptr;
        });
}
