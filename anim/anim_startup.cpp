#include "anim/anim_startup.h"

#include "anim/ani_mgr.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/map_model3d.h"
#include "anim/model_services.h"
#include "anim/toon_object.h"
#include "core/draw_object.h"
#include "core/global_objects.h"
#include "data/char_resource_mgr.h"

namespace {

// Animation names resolve through the play manager's table.
class CPlayMgrNames : public IAniNameLookup {
public:
    uint32_t FindAniByName(const char* name) override { return ::FindAniByName(name); }
};
CPlayMgrNames g_names;

}  // namespace

void InstallAnimGlobals() {
    SetGlobalFactory(
        GlobalSlot::AniMgr,
        [] {
            CreateAniMgr();
            SetAniObjectHooks(&AniObjectHooks());
            SetShadowSpriteFactory(&AniShadowSprites());
            return true;
        },
        [] {
            SetAniObjectHooks(nullptr);
            SetShadowSpriteFactory(nullptr);
            DestroyAniMgr();
        });
    SetAniNameLookup(&g_names);
    SetGlobalFactory(
        GlobalSlot::MapModel3DMgr,
        [] {
            g_pMapModel3DMgr = new CMapModel3DMgr;
            SetAniMeshModels(&MapModelService());
            return true;
        },
        [] {
            SetAniMeshModels(nullptr);
            delete g_pMapModel3DMgr;
            g_pMapModel3DMgr = nullptr;
        });
    SetGlobalFactory(
        GlobalSlot::ToonObjMgr,
        [] {
            g_pToonObjMgr = new CToonObjMgr;
            SetAniToonObjects(&ToonObjectService());
            return true;
        },
        [] {
            SetAniToonObjects(nullptr);
            delete g_pToonObjMgr;
            g_pToonObjMgr = nullptr;
        });
}
