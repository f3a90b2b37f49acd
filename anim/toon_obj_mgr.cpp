#include <type_traits>

#include "anim/model_support.h"
#include "anim/toon_object.h"
#include "platform/paths.h"

CToonObjMgr* g_pToonObjMgr = nullptr;

namespace {

bool ReadModelFile(const char* path, std::vector<uint8_t>& bytes) {
    return path && plat::ReadWholeFile(path, bytes);
}

void ReleaseMapTextures(std::vector<ToonMaterialMap>& maps) {
    for (ToonMaterialMap& m : maps) {
        ReleaseModelTexture(m.textureId);
        ReleaseMapTextures(m.children);
    }
}

void ReleaseDefTextures(std::vector<ToonMaterialDef>& defs) {
    for (ToonMaterialDef& d : defs) {
        ReleaseMapTextures(d.maps);
        ReleaseDefTextures(d.subs);
    }
}

// The record of a file with one more reference: the one the list holds, or
// the file loaded and added.
template <class T, class Loader>
T* AcquireRecord(CLinkedList<T>& list, const char* path, Loader&& load) {
    for (T* item : list)
        if (item->path == path) {
            ++item->refCount;
            return item;
        }
    std::vector<uint8_t> bytes;
    auto* record = new T;
    if (!ReadModelFile(path, bytes) || !load(bytes.data(), bytes.size(), *record)) {
        delete record;
        return nullptr;
    }
    record->path = path;
    record->refCount = 1;
    list.AddTail(record);
    return record;
}

template <class T>
void DropRecord(CLinkedList<T>& list, T* item) {
    if (!item || item->refCount == 0) return;
    if (--item->refCount == 0) {
        if constexpr (std::is_same_v<T, ToonMaterial>) ReleaseToonMaterialTextures(*item);
        list.RemoveAt(list.Find(item));
    }
}

}  // namespace

void ReleaseToonMaterialTextures(ToonMaterial& material) {
    ReleaseDefTextures(material.materials);
}

// ---- CToonObjMgr ----

CToonObjMgr::CToonObjMgr() {
    Init();
}

CToonObjMgr::~CToonObjMgr() {
    Shutdown();
    if (g_pToonObjMgr == this) g_pToonObjMgr = nullptr;
}

bool CToonObjMgr::Init() {
    return true;
}

ToonMesh* CToonObjMgr::AcquireMesh(const char* path) {
    return AcquireRecord(m_meshes, path, [](const uint8_t* data, size_t size, ToonMesh& mesh) {
        return LoadToonMesh(data, size, mesh);
    });
}

ToonAnim* CToonObjMgr::AcquireAnim(const char* path) {
    return AcquireRecord(m_anims, path, [](const uint8_t* data, size_t size, ToonAnim& anim) {
        return LoadToonAnim(data, size, anim);
    });
}

ToonMaterial* CToonObjMgr::AcquireMaterial(const char* path) {
    return AcquireRecord(m_materials, path, [](const uint8_t* data, size_t size, ToonMaterial& material) {
        return LoadToonMaterial(data, size, material);
    });
}

void CToonObjMgr::ReleaseMesh(ToonMesh* mesh) {
    DropRecord(m_meshes, mesh);
}
void CToonObjMgr::ReleaseAnim(ToonAnim* anim) {
    DropRecord(m_anims, anim);
}
void CToonObjMgr::ReleaseMaterial(ToonMaterial* material) {
    DropRecord(m_materials, material);
}

CToonObject* CToonObjMgr::GetObject(const char* meshPath, const char* animPath, const char* materialPath) {
    if (!meshPath || !animPath || !materialPath) return nullptr;
    for (CToonObject* o : m_objects)
        if (o->MeshPath() == meshPath && o->AnimPath() == animPath && o->MaterialPath() == materialPath) {
            ++o->m_refCount;
            return o;
        }
    // A file that cannot be had gives back the references already taken.
    ToonMesh* mesh = AcquireMesh(meshPath);
    ToonMaterial* material = mesh ? AcquireMaterial(materialPath) : nullptr;
    ToonAnim* anim = material ? AcquireAnim(animPath) : nullptr;
    if (!anim) {
        ReleaseMaterial(material);
        ReleaseMesh(mesh);
        return nullptr;
    }
    auto* object = new CToonObject(this, mesh, material, anim);
    object->m_refCount = 1;
    m_objects.AddTail(object);
    return object;
}

void CToonObjMgr::ReleaseObject(CToonObject* object) {
    if (!object) return;
    auto* node = m_objects.Find(object);
    if (!node) return;
    if (object->m_refCount > 0) --object->m_refCount;
    if (object->m_refCount > 0) return;
    ToonMesh* mesh = object->m_mesh;
    ToonAnim* anim = object->m_anim;
    ToonMaterial* material = object->m_material;
    m_objects.RemoveAt(node);
    ReleaseMesh(mesh);
    ReleaseAnim(anim);
    ReleaseMaterial(material);
}

void CToonObjMgr::Shutdown() {
    m_objects.RemoveAll();
    m_meshes.RemoveAll();
    m_anims.RemoveAll();
    for (ToonMaterial* m : m_materials) ReleaseToonMaterialTextures(*m);
    m_materials.RemoveAll();
}
