// The display's software rectangles: filled and outlined on the locked Direct3D
// render target by the span blitters' rectangle routines.
#include "graphics/blitters.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/pixel_ops.h"
#include "graphics/surface_resource.h"

namespace {

template <class Draw>
void OnRenderTarget(int32_t kind, uint32_t colour, Draw draw) {
    CSurfaceResource* target = g_pDirect3D ? g_pDirect3D->GetRenderTarget() : nullptr;
    plat::LockInfo lock;
    if (!target || !target->Lock(&lock)) return;
    draw(lock, ColorToPixel(colour, kind == PIXEL_KIND_565 ? PIXEL_KIND_565 : PIXEL_KIND_555));
    target->Unlock();
}

}  // namespace

void CDirectDraw::FillRectSoftware(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    OnRenderTarget(m_pixelKind, colour, [&](const plat::LockInfo& lock, uint16_t pixel) {
        FillRectPixels(lock, x1, y1, x2, y2, pixel);
    });
}

void CDirectDraw::DrawRectOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    OnRenderTarget(m_pixelKind, colour, [&](const plat::LockInfo& lock, uint16_t pixel) {
        DrawRectOutlinePixels(lock, x1, y1, x2, y2, pixel);
    });
}

void CDirectDraw::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    OnRenderTarget(m_pixelKind, colour, [&](const plat::LockInfo& lock, uint16_t pixel) {
        DrawLinePixels(lock, x1, y1, x2, y2, pixel);
    });
}
