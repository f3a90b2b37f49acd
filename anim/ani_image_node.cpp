// Drawing of image nodes: the sprite of a texture sheet's unit, or, without a
// sprite, the frame of the texture image's 8-bit picture blitted in software
// into the owner's drawing target; and their shadows in the underlay pass.
//
// How the owner's switches reach the blitters: flag 148 or 149 draws in grey,
// flag bit 6 of the node mirrors the frame once more and bit 7 turns it upside
// down; the owner's colour mode 1 blends the frame half with what is there,
// mode 2 makes a palettised frame glow and mode 3 washes it with the owner's
// colour (weight: the low byte of the colour value / 255).
#include <algorithm>

#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "anim/obj_ani.h"
#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "graphics/direct3d.h"
#include "graphics/image_resource.h"
#include "graphics/sprite.h"
#include "graphics/surface_resource.h"
#include "graphics/tex_image.h"
#include "graphics/texture_resource.h"

namespace {

CTexImage* TexImageOf(uint16_t number) {
    return g_pTexImageMgr ? g_pTexImageMgr->CreateNewTexImage(number) : nullptr;
}

bool DirectionMirrors(uint8_t direction) {
    return direction == 4 || direction == 6 || direction == 8;
}

// The frame is mirrored by the direction or by flag bit 6, not by both.
bool FrameMirrored(const CAniObject* owner, uint8_t flags) {
    return DirectionMirrors(owner->m_direction) != ((flags & ANI_IMAGE_SWITCH6) != 0);
}

// The 8-bit picture of the node's texture image and its frame, or null.
CImageResource* PictureOf(uint16_t texture, uint32_t unit) {
    CTexImage* image = TexImageOf(texture);
    CImageResource* picture = image ? image->GetPicture() : nullptr;
    if (!picture || unit >= uint32_t(picture->GetFrameCount())) return nullptr;
    return picture;
}

uint8_t Scale(uint8_t value, uint8_t factor) {
    return uint8_t(uint32_t(value) * factor / 255);
}

}  // namespace

void CAniImageNode::AttachSprite(CObjSprite* sprites) {
    m_pSprite = sprites ? sprites->AddSprite(m_texture, int32_t(m_unit), m_mirror != 0) : nullptr;
}

AniImageMetrics CAniImageNode::GetMetrics() {
    if (m_pSprite)
        return {m_pSprite->GetWidth(), m_pSprite->GetHeight(), m_pSprite->GetOffsetX(),
                m_pSprite->GetOffsetY()};
    AniImageMetrics m;
    CTexImage* image = TexImageOf(m_texture);
    if (!image) return m;
    const int32_t unit = int32_t(m_unit);
    if (const DtxUnit* u = image->IsSheet() ? image->GetUnit(unit) : nullptr) {
        m = {u->width, u->height, u->anchorX, u->anchorY};
    } else if (image->GetPicture() && unit >= 0 && unit < image->TotalUnits()) {
        m = {image->GetFrameWidth(unit), image->GetFrameHeight(unit), image->GetFrameValue(unit, 0),
             image->GetFrameValue(unit, 1)};
    }
    CAniObject* owner = GetOwner();
    if (owner && DirectionMirrors(owner->m_direction)) m.offsetX = -(m.offsetX + m.width);
    return m;
}

AniRect CAniImageNode::GetBounds(CAniObject* owner) {
    const AniImageMetrics m = GetMetrics();
    AniRect r;
    r.left = owner->m_screenX + owner->m_drawOffsetX + m.offsetX + m_x;
    r.top = owner->m_screenY + owner->m_drawOffsetY + m.offsetY + m_y;
    r.right = r.left + m.width * (owner->m_underlayOn ? 2 : 1);
    r.bottom = r.top + m.height;
    return r;
}

void CAniImageNode::PrepareSprite(int32_t x, int32_t y) {
    CAniObject* owner = GetOwner();
    if (!m_pSprite || !owner) return;
    if (m_flags & ANI_IMAGE_OFFSET) {
        x += m_x;
        y += m_y;
    }
    uint8_t rgb[3] = {255, 255, 255};
    if (owner->m_colorSwitch) std::copy(owner->m_drawColor, owner->m_drawColor + 3, rgb);
    if (owner->m_flag126)
        for (uint8_t& c : rgb) c = uint8_t(c / 2);
    if (!(m_color[1] == 255 && m_color[2] == 255 && m_color[3] == 255))
        for (int i = 0; i < 3; ++i) rgb[i] = Scale(rgb[i], m_color[1 + i]);
    const AniFrameLayer* record = GetRecord();
    const double layerAlpha = record ? double(std::min<uint32_t>(record->m_alpha, 255)) / 255.0 : 1.0;
    const uint32_t alpha = uint32_t(255.0 * (double(std::min<uint16_t>(owner->m_alpha, 255)) / 255.0) *
                                    layerAlpha * (double(m_color[0]) / 255.0));
    const uint32_t colour = alpha << 24 | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    const uint32_t v = record ? std::min<uint32_t>(record->m_value, 255) : 0;
    const uint32_t additive = v << 16 | v << 8 | v;
    const int32_t size[2] = {m_x2, m_y2};
    m_pSprite->SetPosition(x + owner->m_drawOffsetX, y + owner->m_drawOffsetY, owner->m_screenZ, size, colour,
                           owner->m_underlayMode, owner->m_spriteSwitch == 0, additive);
}

bool CAniImageNode::Execute(bool) {
    if (CAniObject* owner = GetOwner()) PrepareSprite(owner->m_screenX, owner->m_screenY);
    return false;
}

bool CAniImageNode::Draw() {
    CAniObject* owner = GetOwner();
    if (!owner) return true;
    if (!m_pSprite) {
        // Colour: the owner's draw colour, dimmed under flag 126, times the node's.
        uint8_t colour[4] = {255, 255, 255, 255};
        bool hasColour = false;
        if (owner->m_colorSwitch) {
            std::copy(owner->m_drawColor, owner->m_drawColor + 4, colour);
            hasColour = true;
        }
        if (owner->m_flag126) {
            for (int i = 0; i < 3; ++i) colour[i] = uint8_t(colour[i] / 2);
            hasColour = true;
        }
        if (!(m_color[1] == 255 && m_color[2] == 255 && m_color[3] == 255)) {
            for (int i = 0; i < 3; ++i) colour[i] = Scale(colour[i], m_color[1 + i]);
            hasColour = true;
        }
        int32_t x = owner->m_screenX + owner->m_drawOffsetX;
        int32_t y = owner->m_screenY + owner->m_drawOffsetY - owner->m_screenZ;
        if (m_flags & ANI_IMAGE_OFFSET) {
            x += m_x;
            y += m_y;
        }
        DrawUnit(x, y, hasColour ? colour : nullptr);
        return true;
    }
    PrepareSprite(owner->m_screenX, owner->m_screenY);
    if (!m_pSprite->IsTexImageReady() || !g_pDirect3D) return true;
    if (owner->m_targetExplicit) {
        DrawSpriteSilhouette();
        return true;
    }
    const AniFrameLayer* record = GetRecord();
    g_pDirect3D->SetBlendMode(record ? record->m_blendMode : 0);
    const plat::raster::Rect clip{owner->m_clip.left, owner->m_clip.top, owner->m_clip.right,
                                  owner->m_clip.bottom};
    m_pSprite->Draw(owner->m_flag148 || owner->m_flag149, owner->m_clipOn ? &clip : nullptr);
    g_pDirect3D->SetBlendMode(0);
    return true;
}

void CAniImageNode::DrawSpriteSilhouette() {
    CAniObject* owner = GetOwner();
    CTexImage* image = m_pSprite->GetTexImage();
    const DtxUnit* unit = image ? image->GetUnit(int32_t(m_pSprite->GetUnitIndex())) : nullptr;
    CTextureResource* texture = g_pDirect3D->GetTexture(owner->m_explicitTarget);
    if (!unit || !texture || m_pSprite->IsHidden()) return;
    plat::LockInfo lock;
    if (!texture->Lock(&lock)) return;
    const int32_t x0 = m_pSprite->GetScreenX(), y0 = m_pSprite->GetScreenY();
    for (int32_t j = 0; j < unit->height; ++j) {
        const int32_t y = y0 + j, sy = unit->y + j;
        if (y < 0 || y >= lock.height) continue;
        auto* row = reinterpret_cast<uint16_t*>(lock.bits + ptrdiff_t(y) * lock.pitch);
        for (int32_t i = 0; i < unit->width; ++i) {
            const int32_t x = x0 + (m_pSprite->IsMirrored() ? unit->width - 1 - i : i), sx = unit->x + i;
            if (x < 0 || x >= lock.width) continue;
            CTextureResource* tile =
                image->GetTile(image->m_tileColumns * (sy / DTX_TILE_SIDE) + sx / DTX_TILE_SIDE);
            if (!tile || !tile->Surface()) continue;
            // Sheet texels are A4R4G4B4: any alpha makes the silhouette opaque white.
            if (tile->Surface()->Pixels().At(sx % DTX_TILE_SIDE, sy % DTX_TILE_SIDE) & 0xF000)
                row[x] = 0xFFFF;
        }
    }
    texture->Unlock();
}

void CAniImageNode::DrawUnit(int32_t x, int32_t y, const uint8_t* colour) {
    CAniObject* owner = GetOwner();
    CImageResource* picture = owner ? PictureOf(m_texture, m_unit) : nullptr;
    if (!picture || !g_pDirect3D) return;
    const bool mirrored = FrameMirrored(owner, m_flags);
    const AniImageMetrics m = GetMetrics();
    x += m.offsetX;
    y += m.offsetY;
    picture->m_outline = owner->m_fadeBits != 0;
    picture->m_tint = colour != nullptr;
    if (colour)
        for (int i = 0; i < 3; ++i) picture->m_tintFactors[i] = float(colour[i]) / 255.0f;
    const plat::raster::Rect clipRect{owner->m_clip.left, owner->m_clip.top, owner->m_clip.right,
                                      owner->m_clip.bottom};
    const plat::raster::Rect* clip = owner->m_clipOn ? &clipRect : nullptr;
    const int32_t frame = int32_t(m_unit);
    plat::LockInfo lock;
    if (owner->m_targetExplicit) {
        // A texture target (an afterimage being captured) takes the frame's silhouette.
        CTextureResource* texture = g_pDirect3D->GetTexture(owner->m_explicitTarget);
        if (!texture || !texture->Lock(&lock)) return;
        if (mirrored)
            picture->BlitFrameSolidMirrored(frame, lock, x, y, clip);
        else
            picture->BlitFrameSolid(frame, lock, x, y, clip);
        texture->Unlock();
        return;
    }
    CSurfaceResource* target = g_pDirect3D->GetRenderTarget();
    if (!target || !target->Lock(&lock)) return;
    CImageResource::FrameDraw draw;
    draw.opacity = 255;
    draw.mirrored = mirrored;
    draw.grey = owner->m_flag148 || owner->m_flag149;
    draw.flipVertical = (m_flags & ANI_IMAGE_SWITCH7) != 0;
    draw.blendHalf = owner->m_colorMode == 1;
    draw.glow = owner->m_colorMode == 2;
    draw.wash = owner->m_colorMode == 3;
    draw.washWeight = float(owner->m_colorValue & 0xFF) / 255.0f;
    draw.washColor = owner->m_color;
    picture->DrawFrame(frame, lock, x, y, clip, draw);
    target->Unlock();
}

void CAniImageNode::DrawShadow() {
    CAniObject* owner = GetOwner();
    if (!owner || !(m_flags & ANI_IMAGE_SHADOW)) return;
    if (g_options.GetByte(ANI_OPT_CIRCLE_SHADOW) && !IsVisualEventRunning()) {
        IAniCharacters* chars = GetAniCharacters();
        const int32_t size = (owner->m_pOwner && chars) ? chars->GetShadowSize(owner->m_pOwner) : 1;
        if (g_pCharResourceMgr) g_pCharResourceMgr->DrawShadow(owner->m_screenX, owner->m_screenY, size);
        return;
    }
    if (m_pSprite) {
        m_pSprite->DrawShadow();
        return;
    }
    CImageResource* picture = PictureOf(m_texture, m_unit);
    CSurfaceResource* target = g_pDirect3D ? g_pDirect3D->GetRenderTarget() : nullptr;
    if (!picture || !target) return;
    const AniImageMetrics m = GetMetrics();
    int32_t x = owner->m_screenX + owner->m_drawOffsetX + m.offsetX;
    int32_t y = owner->m_screenY + owner->m_drawOffsetY + m.offsetY;
    if (m_flags & ANI_IMAGE_OFFSET) {
        x += m_x;
        y += m_y;
    }
    plat::LockInfo lock;
    if (!target->Lock(&lock)) return;
    picture->DrawShadow(int32_t(m_unit), lock, x, y, nullptr, FrameMirrored(owner, m_flags));
    target->Unlock();
}
