#include "graphics/image_resource.h"

#include <algorithm>

#include "core/config.h"
#include "core/error_box.h"
#include "data/file_resource.h"
#include "data/file_source.h"
#include "data/pack_archive.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/image_mgr.h"
#include "graphics/math3d.h"
#include "graphics/pixel_ops.h"
#include "graphics/surface_resource.h"
#include "graphics/texture_resource.h"
#include "platform/clock.h"

namespace {

// Byte of the user options that chooses the soft shadow (1, the default) over the hard one.
constexpr size_t kOptionSoftShadow = 31;

// Rows of text table 9 with the frame blitters' error messages.
enum : int32_t {
    kRowBlitFrame = 0,
    kRowShadow = 1,
    kRowMirrored = 2,
    kRowShadowMirrored = 3,
    kRowIndexed = 4,
};

}  // namespace

int32_t GetDisplayPixelKind() {
    return g_pDirectDraw ? g_pDirectDraw->GetPixelKind() : PIXEL_KIND_565;
}

uint16_t GetTransparentColor() {
    return g_pImageMgr ? g_pImageMgr->GetTransparentColor() : TransparentColorForKind(GetDisplayPixelKind());
}

ClipRect FormClipRect(const plat::raster::Rect* clip, const PixelTarget& target) {
    const CDisplaySettings& s = GetDisplaySettings();
    if (!clip) return MakeClipRect(nullptr, target, s.screenWidth, s.screenHeight);
    const ClipRect c{clip->left, clip->top, clip->right, clip->bottom};
    return MakeClipRect(&c, target, s.screenWidth, s.screenHeight);
}

// ---- CImageFileResource ----

CImageFileResource::CImageFileResource(const char* fileName, int32_t kind) : m_kind(kind) {
    if (fileName) LoadFromFile(fileName, kind, 128);
}

CImageFileResource::~CImageFileResource() {
    Free();
    if (m_surfaceId && g_pDirectDraw) g_pDirectDraw->DestroySurface(m_surfaceId);
    m_surfaceId = 0;
}

void CImageFileResource::Free() {
    m_picture.spans.clear();
    m_picture.spans.shrink_to_fit();
    m_picture.pixels.clear();
    m_picture.pixels.shrink_to_fit();
    m_picture.dataSize = 0;
}

bool CImageFileResource::LoadFromFile(const char* fileName, int32_t kind, uint8_t alpha) {
    m_fileName = fileName ? fileName : "";
    CFileResource file;
    if (!fileName || !file.OpenFile(fileName, kFileStream, "rb", g_bUsePackFile, g_pPackFile)) {
        m_picture.Clear();
        m_kind = kind;
        m_size = 0;
        m_loaded = false;
        return false;
    }
    const bool ok = LoadImage(&file, kind, alpha);
    file.CloseFile();
    return ok;
}

bool CImageFileResource::LoadImage(CFileResource* stream, int32_t kind, uint8_t alpha) {
    if (!stream) {
        // No stream reads as no data: the picture is refused, not kept as it was.
        CMemorySource nothing(nullptr, 0);
        return LoadImage(nothing, kind, alpha);
    }
    CFileSource source(*stream);
    return LoadImage(source, kind, alpha);
}

bool CImageFileResource::LoadImage(CByteSource& source, int32_t kind, uint8_t alpha) {
    m_kind = kind;
    m_loaded = ReadSpanPicture(source, kind, alpha, GetDisplayPixelKind(), m_picture);
    m_size = m_picture.bytesRead;
    return m_loaded;
}

bool CImageFileResource::Restore() {
    if (m_discarded) {
        // Reloaded as it was loaded: a palettised picture stays palettised.
        LoadFromFile(m_fileName.c_str(), m_kind, 128);
        m_discarded = false;
    }
    return true;
}

bool CImageFileResource::Discard() {
    if (m_discarded || m_fileName.empty()) return false;
    Free();
    m_discarded = true;
    return true;
}

bool CImageFileResource::DrawLocked(CSurfaceResource* surface, int32_t x, int32_t y,
                                    const plat::raster::Rect* clip, int32_t opacity, bool mirrored) {
    if (m_picture.spans.empty() || !surface) return true;
    plat::LockInfo lock;
    if (!surface->Lock(&lock)) return true;
    DrawTo(lock, x, y, clip, opacity, mirrored);
    surface->Unlock();
    return true;
}

bool CImageFileResource::Draw(CSurfaceResource* surface, int32_t x, int32_t y, const plat::raster::Rect* clip,
                              int32_t opacity) {
    return DrawLocked(surface, x, y, clip, opacity, false);
}

bool CImageFileResource::DrawMirrored(CSurfaceResource* surface, int32_t x, int32_t y,
                                      const plat::raster::Rect* clip, int32_t opacity) {
    return DrawLocked(surface, x, y, clip, opacity, true);
}

bool CImageFileResource::DrawTo(const plat::LockInfo& lock, int32_t x, int32_t y,
                                const plat::raster::Rect* clip, int32_t opacity, bool mirrored) {
    if (m_picture.spans.empty()) return true;
    const PixelTarget target = TargetOf(lock);
    const ClipRect c = FormClipRect(clip, target);
    x += m_originX;
    y += m_originY;
    const SpanImageView view = ViewOf(m_picture);
    if (view.indexed) {
        IndexedStyle style;
        style.mirrored = mirrored;
        BlitSpansIndexed(target, c, view, x, y, m_picture.palette.data(), style);
        return true;
    }
    SpanStyle style;
    style.kind = m_kind;
    style.transparent = GetTransparentColor();
    style.opacity = opacity;
    style.mirrored = mirrored;
    style.highlight = m_highlight;
    style.tint = m_tint;
    std::copy(m_tintFactors, m_tintFactors + 3, style.tintFactors);
    BlitSpans(target, c, view, x, y, style);
    return true;
}

// ---- CImageResource ----

CImageResource::CImageResource() = default;
CImageResource::~CImageResource() = default;

bool CImageResource::Load(CFileResource* stream, int32_t kind, bool palettised) {
    if (!stream) return false;
    CFileSource source(*stream);
    return Load(source, kind, palettised);
}

bool CImageResource::Load(CByteSource& source, int32_t kind, bool palettised) {
    m_fileName = source.Name();
    m_kind = kind;
    return ReadFramePicture(source, kind, palettised, GetDisplayPixelKind(), m_picture);
}

int32_t CImageResource::GetFrameWidth(int32_t frame) const {
    return frame >= 0 && frame < GetFrameCount() ? m_picture.frames[size_t(frame)].width : 0;
}

int32_t CImageResource::GetFrameHeight(int32_t frame) const {
    return frame >= 0 && frame < GetFrameCount() ? m_picture.frames[size_t(frame)].height : 0;
}

int16_t CImageResource::GetFrameValue(int32_t frame, int32_t which) const {
    if (frame < 0 || frame >= GetFrameCount() || which < 0 || which > 3) return 0;
    return m_picture.frames[size_t(frame)].HeadValue(which);
}

bool CImageResource::CheckFrame(int32_t frame, int32_t row) const {
    if (frame >= 0 && frame < GetFrameCount()) return true;
    const char* format = GetTableText(9, row);
    if (!format || !*format) format = "CImageResource frame error, iIndex[%d] TotalFrame[%d] [%s]";
    ReportError("%s", FormatTableText(format, {frame, GetFrameCount(), m_fileName}).c_str());
    return false;
}

namespace {

CImageResource::FrameDraw MakeFrameDraw(int32_t opacity, bool blendHalf, bool grey, bool flipVertical,
                                        const uint16_t* palette, bool glow, bool wash, float washWeight,
                                        const uint8_t* washColor, bool mirrored) {
    CImageResource::FrameDraw d;
    d.opacity = opacity;
    d.blendHalf = blendHalf;
    d.grey = grey;
    d.flipVertical = flipVertical;
    d.palette = palette;
    d.glow = glow;
    d.wash = wash;
    d.washWeight = washWeight;
    d.washColor = washColor;
    d.mirrored = mirrored;
    return d;
}

// The lock a caller holds on a surface; empty when it is not locked.
plat::LockInfo LockOf(CSurfaceResource* surface) {
    return surface && surface->IsLocked() ? surface->LockDesc() : plat::LockInfo{};
}

}  // namespace

void CImageResource::BlitFrame(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                               const plat::raster::Rect* clip, int32_t opacity, bool blendHalf, bool grey,
                               bool flipVertical, const uint16_t* palette, bool glow, bool wash,
                               float washWeight, const uint8_t* washColor) {
    const FrameDraw d = MakeFrameDraw(opacity, blendHalf, grey, flipVertical, palette, glow, wash, washWeight,
                                      washColor, false);
    if (!CheckFrame(frame, IsPalettised() ? kRowIndexed : kRowBlitFrame)) return;
    DrawFrameUnchecked(frame, TargetOf(LockOf(dest)), x, y, clip, d);
}

void CImageResource::BlitFrameMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                       const plat::raster::Rect* clip, int32_t opacity, bool blendHalf,
                                       bool grey, bool flipVertical, const uint16_t* palette, bool glow,
                                       bool wash, float washWeight, const uint8_t* washColor) {
    const FrameDraw d = MakeFrameDraw(opacity, blendHalf, grey, flipVertical, palette, glow, wash, washWeight,
                                      washColor, true);
    if (!CheckFrame(frame, kRowMirrored)) return;
    DrawFrameUnchecked(frame, TargetOf(LockOf(dest)), x, y, clip, d);
}

void CImageResource::BlitFrameIndexed(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                      const plat::raster::Rect* clip, int32_t opacity, bool blendHalf,
                                      bool grey, bool flipVertical, const uint16_t* palette, bool glow,
                                      bool wash, float washWeight, const uint8_t* washColor) {
    BlitFrame(frame, dest, x, y, clip, opacity, blendHalf, grey, flipVertical, palette, glow, wash,
              washWeight, washColor);
}

void CImageResource::BlitFrameIndexedMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                              const plat::raster::Rect* clip, int32_t opacity, bool blendHalf,
                                              bool grey, bool flipVertical, const uint16_t* palette,
                                              bool glow, bool wash, float washWeight,
                                              const uint8_t* washColor) {
    BlitFrameMirrored(frame, dest, x, y, clip, opacity, blendHalf, grey, flipVertical, palette, glow, wash,
                      washWeight, washColor);
}

bool CImageResource::DrawFrame(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                               const plat::raster::Rect* clip, const FrameDraw& draw) {
    const int32_t row = draw.mirrored ? kRowMirrored : IsPalettised() ? kRowIndexed : kRowBlitFrame;
    if (!CheckFrame(frame, row)) return false;
    DrawFrameUnchecked(frame, TargetOf(dest), x, y, clip, draw);
    return true;
}

void CImageResource::DrawFrameUnchecked(int32_t frame, const PixelTarget& target, int32_t x, int32_t y,
                                        const plat::raster::Rect* clip, const FrameDraw& d) {
    const SpanImageView view = ViewOf(m_picture, size_t(frame));
    if (view.runCount == 0 || !target.bits) return;
    const ClipRect c = FormClipRect(clip, target);
    if (view.indexed) {
        const int32_t kind = HasColorArithmetic(m_kind) ? m_kind : GetDisplayPixelKind();
        const uint32_t now = plat::timeGetTime();
        IndexedStyle style;
        style.kind = kind;
        style.mirrored = d.mirrored;
        style.flipVertical = d.flipVertical;
        style.outline = m_outline;
        style.wash = d.wash;
        style.washWeight = d.washWeight;
        style.glowPhase = GlowPhase(now);
        style.washColor = d.washColor;
        style.timeMs = now;
        uint16_t working[256];
        PrepareIndexedPalette(d.palette ? d.palette : m_picture.palette.data(), working, kind, d.glow,
                              style.glowPhase, m_tint, m_tintFactors, d.grey);
        BlitSpansIndexed(target, c, view, x, y, working, style);
        return;
    }
    SpanStyle style;
    style.kind = m_kind;
    style.transparent = GetTransparentColor();
    style.opacity = d.opacity;
    style.mirrored = d.mirrored;
    style.flipVertical = d.flipVertical;
    style.outline = m_outline;
    style.grey = d.grey;
    style.tint = m_tint;
    std::copy(m_tintFactors, m_tintFactors + 3, style.tintFactors);
    style.blendHalf = d.blendHalf;
    BlitSpans(target, c, view, x, y, style);
}

bool CImageResource::BlitFrameSolid(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                                    const plat::raster::Rect* clip) {
    if (!CheckFrame(frame, kRowBlitFrame)) return false;
    const PixelTarget target = TargetOf(dest);
    BlitSpansSolid(target, FormClipRect(clip, target), ViewOf(m_picture, size_t(frame)), x, y, false);
    return true;
}

bool CImageResource::BlitFrameSolidMirrored(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                                            const plat::raster::Rect* clip) {
    if (!CheckFrame(frame, kRowMirrored)) return false;
    const PixelTarget target = TargetOf(dest);
    BlitSpansSolid(target, FormClipRect(clip, target), ViewOf(m_picture, size_t(frame)), x, y, true);
    return true;
}

bool CImageResource::BlitFrameShadow(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                     const plat::raster::Rect* clip, int32_t /*opacity*/) {
    return DrawShadow(frame, LockOf(dest), x, y, clip, false);
}

bool CImageResource::BlitFrameShadowMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                             const plat::raster::Rect* clip, int32_t /*opacity*/) {
    return DrawShadow(frame, LockOf(dest), x, y, clip, true);
}

bool CImageResource::DrawShadow(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                                const plat::raster::Rect* clip, bool mirrored) {
    if (!CheckFrame(frame, mirrored ? kRowShadowMirrored : kRowShadow)) return false;
    const SpanImageView view = ViewOf(m_picture, size_t(frame));
    const PixelTarget target = TargetOf(dest);
    if (view.runCount == 0 || !target.bits) return true;
    const ClipRect c = FormClipRect(clip, target);
    // The soft shadow needs the image manager's work texture and the 3D device;
    // without them the shadow is drawn hard.
    if (g_options.GetByte(kOptionSoftShadow) && DrawSoftShadow(frame, x, y, clip, target, mirrored))
        return true;
    BlitHardShadow(target, c, view, x, y, mirrored);
    return true;
}

bool CImageResource::DrawSoftShadow(int32_t frame, int32_t x, int32_t y, const plat::raster::Rect* clip,
                                    const PixelTarget& target, bool mirrored) {
    CTextureResource* work = g_pImageMgr ? g_pImageMgr->GetWorkTexture() : nullptr;
    CDirect3D* d3d = g_pDirect3D;
    if (!work || !d3d) return false;
    plat::LockInfo lock;
    if (!work->Lock(&lock)) return false;
    const int32_t side = g_pImageMgr->GetWorkTextureSide();
    SoftShadowQuad q;
    const bool any = RenderSoftShadow(TargetOf(lock), side, FormClipRect(clip, target),
                                      ViewOf(m_picture, size_t(frame)), x, y, mirrored, q);
    work->Unlock();
    if (!any) return true;
    plat::raster::LitVertex v[4];
    std::copy(g_pImageMgr->m_vertices, g_pImageMgr->m_vertices + 4, v);
    const int32_t xs[4] = {x + q.minS, x + q.maxS, x + q.maxS, x + q.minS};
    const int32_t ys[4] = {y + q.minT, y + q.minT, y + q.maxT, y + q.maxT};
    const float us[4] = {0.0f, q.u, q.u, 0.0f}, vs[4] = {0.0f, 0.0f, q.v, q.v};
    for (int i = 0; i < 4; ++i) {
        v[i].x = float(d3d->ScreenToWorldX(xs[i]));
        v[i].y = float(d3d->ScreenToWorldY(ys[i]));
        v[i].tu = us[i];
        v[i].tv = vs[i];
    }
    static const uint16_t kIndices[6] = {0, 1, 2, 2, 3, 0};
    Matrix identity;
    SetIdentityMatrix(&identity);
    d3d->SetWorldTransform(identity);
    d3d->SetTexture(0, work);
    d3d->SetTextureFilter(g_config.m_bilinearFiltering);
    d3d->DrawIndexed(v, 4, kIndices, 6);
    d3d->SetTextureFilter(false);
    return true;
}
