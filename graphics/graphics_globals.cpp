#include "graphics/graphics_globals.h"

#include "core/global_objects.h"
#include "graphics/device_set.h"
#include "graphics/image_mgr.h"
#include "graphics/sprite.h"
#include "graphics/tex_image.h"

namespace {

template <class T>
void Delete(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

void InstallGraphicsGlobals() {
    SetGlobalFactory(GlobalSlot::ResourceCaches, CreateResourceCaches, DeleteResourceCaches);
    SetGlobalFactory(GlobalSlot::DirectX, InitDirectX, ReleaseDirectX);
    SetGlobalFactory(
        GlobalSlot::TexImageMgr, [] { return (g_pTexImageMgr = new CTexImageMgr) != nullptr; },
        [] { Delete(g_pTexImageMgr); });
    SetGlobalFactory(
        GlobalSlot::ObjSpriteMgr, [] { return (g_pObjSpriteMgr = new CObjSpriteMgr) != nullptr; },
        [] { Delete(g_pObjSpriteMgr); });
    SetGlobalFactory(
        GlobalSlot::ImageMgr,
        [] {
            g_pImageMgr = new CImageMgr;
            return g_pImageMgr->Init();
        },
        [] { Delete(g_pImageMgr); });
}
