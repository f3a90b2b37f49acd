#include "world/map/map_backdrop.h"

#include <algorithm>
#include <cstring>

#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/image_resource.h"
#include "graphics/surface_resource.h"
#include "world/map/map.h"
#include "world/map/map_data.h"

namespace {

// The cells drawn around the focus cell.
constexpr int32_t kColumnsBefore = 20, kColumnsAfter = 30;
constexpr int32_t kRowsBefore = 24, kRowsAfter = 34;
constexpr uint32_t kBackdropCaps = 0x4000;

}  // namespace

CMapBackdrop::CMapBackdrop(CMapData* data) : m_pData(data) {}

CMapBackdrop::~CMapBackdrop() {
    CMapBackdrop::Release();
}

bool CMapBackdrop::Release() {
    if (m_surfaceId && g_pDirectDraw) g_pDirectDraw->ReleaseSurface(m_surfaceId);
    m_surfaceId = 0;
    m_fullRedraws = 0;
    return true;
}

CSurfaceResource* CMapBackdrop::GetSurface() const {
    return m_surfaceId && g_pDirectDraw ? g_pDirectDraw->GetSurface(m_surfaceId) : nullptr;
}

bool CMapBackdrop::MakeSurface() {
    const CMap* map = m_pData->GetMap();
    if (!g_pDirectDraw || !g_pSurfaceCache) return false;
    m_surfaceWidth = map->GetScreenWidth();
    m_surfaceHeight = map->GetScreenHeight();
    m_surfaceId = g_pDirectDraw->CreateSurface(m_surfaceWidth, m_surfaceHeight, kBackdropCaps);
    // Held, so that the cache never discards the ground.
    if (m_surfaceId) g_pSurfaceCache->AcquireEntry(m_surfaceId);
    m_fullRedraws = 0;
    return m_surfaceId != 0;
}

void CMapBackdrop::SetFocus(float x, float y) {
    if (!m_redraw) {
        m_drawnX = m_focusX;
        m_drawnY = m_focusY;
    }
    m_focusX = x;
    m_focusY = y;
    m_redraw = 1;
}

void CMapBackdrop::DrawGround(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CSurfaceResource* surface = GetSurface();
    const CMap* map = m_pData->GetMap();
    if (!surface || right <= left || bottom <= top) return;
    const plat::raster::Rect clip{left, top, right, bottom};
    surface->FillSurface(0, &clip);
    const int32_t focusCellX = int32_t(m_pData->GetFocusX()) / MAP_CELL_W;
    const int32_t focusCellY = int32_t(m_pData->GetFocusY()) / MAP_CELL_H;
    const CMapObjectDefs& defs = m_pData->Definitions();
    for (int32_t cy = focusCellY - kRowsBefore; cy <= focusCellY + kRowsAfter; ++cy)
        for (int32_t cx = focusCellX - kColumnsBefore; cx <= focusCellX + kColumnsAfter; ++cx) {
            const MapCell* cell = m_pData->GetLoadedCell(cx, cy);
            if (!cell || cell->m_ground == 0) continue;
            // A ground word that names no definition draws nothing.
            CImageFileResource* picture = defs.GetPicture(cell->m_ground);
            if (!picture) continue;
            const IsoPoint p = map->MapToScreen(cx * MAP_CELL_W, cy * MAP_CELL_H);
            const int32_t x = p.x - map->View().m_viewX;
            const int32_t y = p.y - map->View().m_viewY - MAP_CELL_H / 2;
            const int32_t px = x + picture->m_originX, py = y + picture->m_originY;
            if (px >= right || py >= bottom || px + picture->GetWidth() <= left ||
                py + picture->GetHeight() <= top)
                continue;
            picture->Draw(surface, x, y, &clip, 255);
        }
}

void CMapBackdrop::FullRedraw() {
    DrawGround(0, 0, m_surfaceWidth, m_surfaceHeight);
    const CIsoView& view = m_pData->GetMap()->View();
    m_drawnCameraX = view.m_cameraX;
    m_drawnCameraY = view.m_cameraY;
    m_drawnX = m_focusX;
    m_drawnY = m_focusY;
}

void CMapBackdrop::IncrementalRedraw() {
    const CIsoView& view = m_pData->GetMap()->View();
    const int32_t sx = m_drawnCameraX - view.m_cameraX, sy = m_drawnCameraY - view.m_cameraY;
    const int32_t w = m_surfaceWidth, h = m_surfaceHeight;
    if (sx == 0 && sy == 0) return;
    if (std::abs(sx) >= w || std::abs(sy) >= h) {
        FullRedraw();
        return;
    }
    // Move what stays on the surface, then draw the strips the move uncovered.
    CSurfaceResource* surface = GetSurface();
    plat::LockInfo lock;
    if (!surface || !surface->Lock(&lock)) return;
    const size_t rowBytes = size_t(w - std::abs(sx)) * 2;
    const int32_t fromX = sx > 0 ? 0 : -sx, toX = sx > 0 ? sx : 0;
    if (sy > 0) {
        for (int32_t y = h - 1; y >= sy; --y)
            std::memmove(lock.bits + y * lock.pitch + toX * 2, lock.bits + (y - sy) * lock.pitch + fromX * 2,
                         rowBytes);
    } else {
        for (int32_t y = 0; y < h + sy; ++y)
            std::memmove(lock.bits + y * lock.pitch + toX * 2, lock.bits + (y - sy) * lock.pitch + fromX * 2,
                         rowBytes);
    }
    surface->Unlock();
    if (sy > 0) DrawGround(0, 0, w, sy);
    if (sy < 0) DrawGround(0, h + sy, w, h);
    const int32_t top = std::max(0, sy), bottom = std::min(h, h + sy);
    if (sx > 0) DrawGround(0, top, sx, bottom);
    if (sx < 0) DrawGround(w + sx, top, w, bottom);
    m_drawnCameraX = view.m_cameraX;
    m_drawnCameraY = view.m_cameraY;
}

bool CMapBackdrop::Draw() {
    CMap* map = m_pData->GetMap();
    if (!m_surfaceId && !MakeSurface()) return true;
    CSurfaceResource* surface = GetSurface();
    if (!surface) return true;
    plat::DrawDevice* device = g_pDirectDraw->Device();
    if (device && surface->Surface() && device->IsLost(surface->Surface()) == plat::dderr::kSurfaceLost) {
        device->Restore(surface->Surface());
        m_fullRedraws = 0;
    }
    // Another display size: a new surface, drawn from the next frame on.
    if (map->GetScreenWidth() != m_surfaceWidth || map->GetScreenHeight() != m_surfaceHeight) {
        Release();
        MakeSurface();
        return true;
    }
    if (m_fullRedraws < 2 || map->GetFadeFactor() > 0.0f) {
        FullRedraw();
        ++m_fullRedraws;
        if (m_fullRedraws == 1 && !m_pData->IsWindowLoaded()) m_fullRedraws = 0;
        m_redraw = 0;
    } else if (m_redraw) {
        IncrementalRedraw();
        m_redraw = 0;
    }
    CSurfaceResource* target = g_pDirectDraw->GetRenderSurface();
    if (target)
        surface->BltTo(target, map->View().m_viewX, map->View().m_viewY, m_surfaceWidth, m_surfaceHeight);
    return true;
}
