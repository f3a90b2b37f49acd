#include "anim/model_services.h"

#include "anim/map_model3d.h"
#include "anim/toon_object.h"

namespace {

constexpr char kShadeTexture[] = "ToonShade.BMP";

}  // namespace

IAniToonObject* CToonObjectService::GetObject(const char* meshPath, const char* aniPath,
                                              const char* matPath) {
    if (!g_pToonObjMgr) return nullptr;
    CToonObject* object = g_pToonObjMgr->GetObject(meshPath, aniPath, matPath);
    if (object) object->SetShadeTexture(kShadeTexture);
    return object;
}

void CToonObjectService::ReleaseObject(IAniToonObject* object) {
    // Every object this service hands out is a CToonObject.
    if (g_pToonObjMgr && object) g_pToonObjMgr->ReleaseObject(static_cast<CToonObject*>(object));
}

IAniMeshModel* CMapModelService::AddModel(const char* name) {
    if (!g_pMapModel3DMgr || !name) return nullptr;
    MapModelEntry* entry = g_pMapModel3DMgr->AddModel(name);
    if (!entry) return nullptr;
    if (!entry->model || !entry->model->Mesh()) {
        if (entry->useCount < 1) g_pMapModel3DMgr->RemoveModel(name);
        return nullptr;
    }
    ++entry->useCount;
    return entry;
}

void CMapModelService::ReleaseModel(const char* name) {
    if (g_pMapModel3DMgr) g_pMapModel3DMgr->ReleaseModel(name);
}

CToonObjectService& ToonObjectService() {
    static CToonObjectService service;
    return service;
}

CMapModelService& MapModelService() {
    static CMapModelService service;
    return service;
}
