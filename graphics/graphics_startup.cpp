#include "graphics/graphics_startup.h"

#include "core/app_state.h"
#include "core/error_box.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/resource_cache.h"
#include "graphics/device_set.h"
#include "graphics/direct_draw.h"
#include "graphics/frame_display.h"
#include "graphics/image_mgr.h"
#include "graphics/sprite.h"
#include "graphics/surface_resource.h"
#include "graphics/tex_image.h"
#include "platform/window.h"

namespace {

// Delivers the message queue of a resource cache every frame while it exists.
class CCacheQueue : public IFrameClient {
public:
    explicit CCacheQueue(CResourceCache*& cache) : m_cache(cache) {}
    void OnFrame() override {
        if (m_cache) m_cache->GetMsgQueue()->DispatchMessages();
    }

private:
    CResourceCache*& m_cache;
};

// The display and the main window as the error box needs them.
class CDisplayErrorBoxHost : public IErrorBoxHost {
public:
    void RestoreBrightness() override {
        if (g_pDirectDraw && g_pDirectDraw->GetPrimarySurface())
            g_pDirectDraw->GetPrimarySurface()->SetBrightness(100);
    }
    bool IsFullScreen() override { return g_pDirectDraw && g_pDirectDraw->IsFullScreen(); }
    void MinimizeMainWindow() override {
        if (g_hMainWnd) plat::ShowWindow(g_hMainWnd, plat::SW_MINIMIZE);
    }
};

CCacheQueue g_surfaceCacheQueue(g_pSurfaceCache);
CCacheQueue g_soundCacheQueue(g_pSoundCache);
CFrameDisplay g_display;
CDisplayErrorBoxHost g_errorBoxHost;

bool StartResourceCaches() {
    CreateResourceCaches();
    SetSurfaceCacheFrameClient(&g_surfaceCacheQueue);
    SetSoundCacheFrameClient(&g_soundCacheQueue);
    return true;
}

void StopResourceCaches() {
    SetSurfaceCacheFrameClient(nullptr);
    SetSoundCacheFrameClient(nullptr);
    DeleteResourceCaches();
}

template <class T>
void Delete(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

void InstallGraphicsGlobals() {
    SetGlobalFactory(GlobalSlot::ResourceCaches, StartResourceCaches, StopResourceCaches);
    SetGlobalFactory(GlobalSlot::DirectX, StartDirectX, StopDirectX);
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

bool StartDirectX() {
    if (!InitDirectX()) return false;
    // The device set makes the caches when their slot has not.
    SetSurfaceCacheFrameClient(&g_surfaceCacheQueue);
    SetSoundCacheFrameClient(&g_soundCacheQueue);
    SetFrameDisplay(&g_display);
    SetErrorBoxHost(&g_errorBoxHost);
    return true;
}

void StopDirectX() {
    SetFrameDisplay(nullptr);
    SetErrorBoxHost(nullptr);
    ReleaseDirectX();
}
