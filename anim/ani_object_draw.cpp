// The animated object's drawing through the display: external pictures, the
// attached surface, and the afterimage trail (silhouettes captured into small
// textures and drawn back as fading blue quads).
#include <algorithm>

#include "anim/ani_object.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/image_resource.h"
#include "graphics/math3d.h"
#include "graphics/surface_resource.h"
#include "graphics/texture_resource.h"
#include "platform/clock.h"

namespace {
const uint16_t kQuadIndices[6] = {0, 1, 2, 2, 3, 0};
constexpr int32_t kMaxAfterimageSide = 255;
}  // namespace

void CAniObject::DrawImage() {
    CSurfaceResource* target = g_pDirect3D ? g_pDirect3D->GetRenderTarget() : nullptr;
    if (!m_pImage || !target) return;
    const int32_t x = m_screenX + m_imageOffsetX, y = m_screenY + m_imageOffsetY;
    if (m_imageMode)
        m_pImage->DrawMirrored(target, x, y, nullptr, 255);
    else
        m_pImage->Draw(target, x, y, nullptr, 255);
}

void CAniObject::ReleaseAttachedSurface() {
    if (g_pDirectDraw && m_attachedSurface) g_pDirectDraw->ReleaseSurface(m_attachedSurface);
    m_attachedSurface = 0;
}

void CAniObject::ClearTrail() {
    for (const AniAfterimage& a : m_afterimages)
        if (g_pDirect3D && a.m_texture) g_pDirect3D->ReleaseTexture(a.m_texture);
    m_afterimages.clear();
}

void CAniObject::UpdateTrail() {
    if (!m_pOwner || !g_pDirect3D) return;
    const uint32_t now = plat::timeGetTime();
    std::erase_if(m_afterimages, [&](const AniAfterimage& a) {
        if (now - a.m_time <= ANI_TRAIL_LIFETIME_MS) return false;
        if (a.m_texture) g_pDirect3D->ReleaseTexture(a.m_texture);
        return true;
    });
    if (m_trailOn && now - m_trailTime > m_trailInterval) {
        m_trailTime = now;
        CaptureAfterimage();
    }
}

bool CAniObject::CaptureAfterimage() {
    const AniRect r = m_bounds;
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w < 1 || w >= kMaxAfterimageSide || h < 1 || h >= kMaxAfterimageSide || !g_pDirect3D) return false;
    const uint32_t id = g_pDirect3D->CreateTexture(0, w, h, kTexA4R4G4B4);
    CTextureResource* texture = id ? g_pDirect3D->GetTexture(id) : nullptr;
    if (!texture) {
        if (id) g_pDirect3D->ReleaseTexture(id);
        return false;
    }
    texture->Fill(0);
    // Drawn into the texture at (-left, -top): the frames' silhouettes.
    const uint8_t wasExplicit = m_targetExplicit;
    const uint32_t oldTarget = m_explicitTarget;
    const int32_t saved[6] = {m_screenX, m_screenY, m_screenZ, m_mapX, m_mapY, m_mapZ};
    SetRenderTarget(id, m_defaultTarget);
    m_screenX -= r.left;
    m_screenY -= r.top;
    Draw();
    m_screenX = saved[0];
    m_screenY = saved[1];
    m_screenZ = saved[2];
    m_mapX = saved[3];
    m_mapY = saved[4];
    m_mapZ = saved[5];
    SetRenderTarget(wasExplicit ? oldTarget : 0, m_defaultTarget);
    AniAfterimage a;
    a.m_time = plat::timeGetTime();
    if (IAniField* field = GetAniField()) a.m_scroll = field->GetScrollPosition();
    a.m_left = r.left;
    a.m_top = r.top;
    a.m_width = w;
    a.m_height = h;
    a.m_texture = id;
    m_afterimages.push_back(a);
    return true;
}

void CAniObject::DrawTrail() {
    if (!m_pOwner || !g_pDirect3D || m_afterimages.empty()) return;
    const uint32_t now = plat::timeGetTime();
    IAniField* field = GetAniField();
    const IsoPoint scroll = field ? field->GetScrollPosition() : IsoPoint{};
    Matrix identity;
    SetIdentityMatrix(&identity);
    g_pDirect3D->SetWorldTransform(identity);
    for (const AniAfterimage& a : m_afterimages) {
        CTextureResource* texture = g_pDirect3D->GetTexture(a.m_texture);
        if (!texture) continue;
        const int32_t left = a.m_left + scroll.x - a.m_scroll.x;
        const int32_t top = a.m_top + scroll.y - a.m_scroll.y;
        const double fade = 1.0 - double(now - a.m_time) / double(ANI_TRAIL_LIFETIME_MS);
        const uint32_t alpha = uint32_t(std::clamp(fade * 255.0, 0.0, 255.0));
        const uint32_t colour = alpha << 24 | 50u << 16 | 50u << 8 | 255u;
        const float x0 = float(g_pDirect3D->ScreenToWorldX(left));
        const float x1 = float(g_pDirect3D->ScreenToWorldX(left + a.m_width));
        const float y0 = float(g_pDirect3D->ScreenToWorldY(top));
        const float y1 = float(g_pDirect3D->ScreenToWorldY(top + a.m_height));
        const plat::raster::LitVertex quad[4] = {
            {x0, y0, 0.0f, 0, colour, 0, 0.0f, 0.0f},
            {x1, y0, 0.0f, 0, colour, 0, 1.0f, 0.0f},
            {x1, y1, 0.0f, 0, colour, 0, 1.0f, 1.0f},
            {x0, y1, 0.0f, 0, colour, 0, 0.0f, 1.0f},
        };
        g_pDirect3D->SetTexture(0, texture);
        g_pDirect3D->DrawIndexed(quad, 4, kQuadIndices, 6);
    }
    g_pDirect3D->SetTexture(0, nullptr);
}
