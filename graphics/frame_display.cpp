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
    if (!g_pDirectDraw) return;
    // The full-screen colour overlay of the primary surface (fades and screen effects).
    CSurfaceResource* primary = g_pDirectDraw->GetPrimarySurface();
    if (primary && primary->TintAlpha() && g_pDirect3D) {
        const CDisplaySettings& s = GetDisplaySettings();
        const uint32_t colour = uint32_t(primary->TintAlpha()) << 24 | uint32_t(primary->TintRed()) << 16 |
                                uint32_t(primary->TintGreen()) << 8 | primary->TintBlue();
        g_pDirect3D->FillRect(0, 0, s.screenWidth, s.screenHeight, colour);
    }
    g_pDirectDraw->Present(presentOption != 0);
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
    return true;
}

void DestroyGraphicsCaches() {
    g_pSurfaceCache = nullptr;
    g_pTextureCache = nullptr;
    g_textureCacheOwner.reset();
    g_surfaceCacheOwner.reset();
}
