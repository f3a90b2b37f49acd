#include "graphics/frame_display.h"

#include <memory>

#include "core/app_state.h"
#include "core/config.h"
#include "core/resource_cache.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"

namespace {

// The frame-stretch user option.
constexpr size_t kOptionFrameStretch = 34;

std::unique_ptr<CResourceCache> g_surfaceCacheOwner, g_textureCacheOwner;
std::unique_ptr<CDirectDraw> g_directDrawOwner;
std::unique_ptr<CDirect3D> g_direct3DOwner;
CFrameDisplay g_frameDisplay;

}  // namespace

void CFrameDisplay::ClearPrimary() {
    if (g_pDirectDraw && g_pDirectDraw->GetPrimarySurface())
        g_pDirectDraw->GetPrimarySurface()->FillSurface(0, nullptr);
}

bool CFrameDisplay::IsSurfaceLost() {
    return g_pDirectDraw && g_pDirectDraw->IsSurfaceLost();
}

void CFrameDisplay::RestoreSurface() {
    if (!g_pDirectDraw) return;
    g_pDirectDraw->RestoreSurface();
    if (g_pDirect3D) g_pDirect3D->ResetDevice();
}

bool CFrameDisplay::BeginScene() {
    if (!g_pDirectDraw) return false;
    GetDisplaySettings().frameStretch = g_options.GetByte(kOptionFrameStretch) != 0;
    if (g_pDirect3D && !g_pDirect3D->Device() && !g_pDirect3D->ResetDevice()) return false;
    g_pDirectDraw->ClearRenderSurface(0);
    if (g_pDirect3D) g_pDirect3D->InitRenderStates();
    return true;
}

void CFrameDisplay::EndScene(uint8_t presentOption) {
    if (g_pDirectDraw) g_pDirectDraw->Present(presentOption != 0);
}

void CFrameDisplay::OnWindowMoved() {
    if (g_pDirectDraw) g_pDirectDraw->UpdateWindowRect(g_hMainWnd);
}

bool CreateGraphicsCaches() {
    g_surfaceCacheOwner = std::make_unique<CResourceCache>();
    g_textureCacheOwner = std::make_unique<CResourceCache>();
    g_surfaceCacheOwner->SetBudget(307300000);
    g_textureCacheOwner->SetBudget(335544320);
    g_pSurfaceCache = g_surfaceCacheOwner.get();
    g_pTextureCache = g_textureCacheOwner.get();
    g_frameHooks.m_surfaceCache = g_pSurfaceCache;
    return true;
}

void DestroyGraphicsCaches() {
    g_frameHooks.m_surfaceCache = nullptr;
    g_pSurfaceCache = nullptr;
    g_pTextureCache = nullptr;
    g_textureCacheOwner.reset();
    g_surfaceCacheOwner.reset();
}

bool CreateDisplayDevices() {
    if (!g_pSurfaceCache) CreateGraphicsCaches();
    CDisplaySettings& settings = GetDisplaySettings();
    settings.screenWidth = g_config.m_screenWidth;
    settings.screenHeight = g_config.m_screenHeight;
    settings.colorDepth = g_config.m_bpp;
    settings.refreshRate = g_config.m_refreshRate;
    settings.use3D = true;
    settings.windowAlive = true;
    g_directDrawOwner = std::make_unique<CDirectDraw>();
    g_pDirectDraw = g_directDrawOwner.get();
    if (g_pDirectDraw->CreateDirectDraw(g_hMainWnd, 0, g_config.m_fullScreen, settings.screenWidth,
                                        settings.screenHeight, settings.colorDepth,
                                        g_config.m_backSurfaceCount, 0) != plat::kOk) {
        DestroyDisplayDevices();
        return false;
    }
    g_direct3DOwner = std::make_unique<CDirect3D>();
    if (g_direct3DOwner->CreateD3DDevice(plat::Device3DKind::kHal) != plat::kOk) {
        DestroyDisplayDevices();
        return false;
    }
    g_frameHooks.m_display = &g_frameDisplay;
    return true;
}

void DestroyDisplayDevices() {
    if (g_frameHooks.m_display == &g_frameDisplay) g_frameHooks.m_display = nullptr;
    g_direct3DOwner.reset();
    g_pDirect3D = nullptr;
    if (g_pDirectDraw) GetDisplaySettings().windowAlive = g_hMainWnd != nullptr;
    g_directDrawOwner.reset();
    g_pDirectDraw = nullptr;
}
