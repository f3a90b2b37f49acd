// The toon-shaded objects and the map-object models as the services the
// animations' toon and mesh nodes use (installed with their managers).
#pragma once
#include "anim/ani_services.h"

// Toon objects from g_pToonObjMgr, each with the shading ramp "ToonShade.BMP".
class CToonObjectService : public IAniToonObjects {
public:
    IAniToonObject* GetObject(const char* meshPath, const char* aniPath, const char* matPath) override;
    void ReleaseObject(IAniToonObject* object) override;
};

// Map-object models from g_pMapModel3DMgr: a model without a mesh is not
// handed out; each one handed out carries one more use.
class CMapModelService : public IAniMeshModels {
public:
    IAniMeshModel* AddModel(const char* name) override;
    void ReleaseModel(const char* name) override;
};

CToonObjectService& ToonObjectService();
CMapModelService& MapModelService();
