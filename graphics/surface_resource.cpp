#include "graphics/surface_resource.h"

#include <algorithm>
#include <cstring>

#include "core/error_box.h"
#include "data/text_tables.h"
#include "graphics/dib.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"

using plat::HResult;
using plat::raster::Rect;

CSurfaceResource::CSurfaceResource(CDirectDraw* owner) : m_owner(owner) {}

CSurfaceResource::~CSurfaceResource() {
    if (m_surface && m_locked && m_owner && m_owner->Device()) m_owner->Device()->Unlock(m_surface.get());
}

CSurfaceResource* CSurfaceResource::CreateFromDesc(const plat::SurfaceDesc& descIn, void*) {
    plat::DrawDevice* device = m_owner ? m_owner->Device() : nullptr;
    if (!device) return nullptr;
    plat::SurfaceDesc desc = descIn;
    HResult hr;
    for (;;) {
        hr = device->CreateSurface(desc, &m_surface);
        if (hr != plat::dderr::kUnsupportedMode || (desc.caps & plat::kCapsSystemMemory)) break;
        desc.caps = (desc.caps & ~plat::kCapsVideoMemory) | plat::kCapsSystemMemory;
        desc.caps2 &= ~plat::kCaps2TextureManage;
    }
    if (hr != plat::kOk || !m_surface) {
        m_surface.reset();
        std::string text = SurfaceErrorText(hr, GetTableText(3, 0));
        if (!text.empty()) ReportError("%s", text.c_str());
        return nullptr;
    }
    const CDisplaySettings& settings = GetDisplaySettings();
    if (desc.flags & plat::kDescHeight) {
        m_width = desc.width;
        m_height = desc.height;
    } else {
        m_width = settings.screenWidth;
        m_height = settings.screenHeight;
    }
    // The device's own size wins where the two differ (the primary follows the window).
    m_width = m_surface->Pixels().Width();
    m_height = m_surface->Pixels().Height();
    m_size = uint32_t(settings.colorDepth / 8) * uint32_t(m_width) * uint32_t(m_height);
    m_caps = desc.caps;
    m_pixelFormat = m_surface->Format();
    m_softwareBrightness = true;
    m_discarded = false;
    return this;
}

bool CSurfaceResource::CreateOffscreen(int32_t width, int32_t height, uint32_t caps) {
    plat::SurfaceDesc desc;
    desc.flags = plat::kDescCaps | plat::kDescHeight | plat::kDescWidth;
    desc.width = width;
    desc.height = height;
    desc.caps = caps | plat::kCapsOffscreenPlain;
    return CreateFromDesc(desc) != nullptr;
}

void CSurfaceResource::Wrap(const plat::SurfacePtr& surface, uint32_t size) {
    m_surface = surface;
    m_size = size;
    if (surface) {
        m_width = surface->Pixels().Width();
        m_height = surface->Pixels().Height();
        m_caps = surface->Caps();
        m_pixelFormat = surface->Format();
    }
    m_softwareBrightness = true;
}

bool CSurfaceResource::Lock(plat::LockInfo* desc) {
    if (m_locked || !m_surface || !m_owner || !m_owner->Device()) return false;
    if (!LockWaiting(m_owner->Device(), m_surface.get(), &m_lockDesc)) return false;
    if (desc) *desc = m_lockDesc;
    m_locked = true;
    return true;
}

bool CSurfaceResource::Unlock() {
    if (!m_locked) return false;
    m_owner->Device()->Unlock(m_surface.get());
    m_locked = false;
    return true;
}

HResult CSurfaceResource::Blit(CSurfaceResource* dest, const Rect& dr, const Rect& sr, bool keyed) {
    plat::DrawDevice* device = m_owner ? m_owner->Device() : nullptr;
    if (!device || !m_surface || !dest || !dest->m_surface) return plat::kErrInvalidArg;
    return BlitWaiting(device, dest->m_surface.get(), dr, m_surface.get(), sr, keyed ? plat::kBltKeySrc : 0u);
}

HResult CSurfaceResource::BltClippedToScreen(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width,
                                             int32_t height, bool keyed) {
    Rect dr, sr;
    if (!ClipToScreen(x, y, width ? width : m_width, height ? height : m_height, m_width, m_height, &dr, &sr))
        return plat::kOk;
    return Blit(dest, dr, sr, keyed);
}

HResult CSurfaceResource::BltTo(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width, int32_t height) {
    return BltClippedToScreen(dest, x, y, width, height, false);
}

HResult CSurfaceResource::BltKeyedTo(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width,
                                     int32_t height) {
    return BltClippedToScreen(dest, x, y, width, height, true);
}

HResult CSurfaceResource::BltInside(CSurfaceResource* dest, int32_t x, int32_t y, const Rect& clip,
                                    SurfacePoint offset, bool keyed) {
    // The whole surface at (x, y), cut to the clip rectangle; the offset moves
    // the part of the source that is read.
    const int sx0 = -offset.x, sy0 = -offset.y;
    Rect dr = plat::raster::Intersect(Rect{x, y, x + m_width, y + m_height}, clip);
    if (dr.Empty()) return plat::kOk;
    Rect sr{dr.left - x + sx0, dr.top - y + sy0, dr.right - x + sx0, dr.bottom - y + sy0};
    // Keep the source inside the surface, cutting the destination alike.
    if (sr.left < 0) {
        dr.left -= sr.left;
        sr.left = 0;
    }
    if (sr.top < 0) {
        dr.top -= sr.top;
        sr.top = 0;
    }
    if (sr.right > m_width) {
        dr.right -= sr.right - m_width;
        sr.right = m_width;
    }
    if (sr.bottom > m_height) {
        dr.bottom -= sr.bottom - m_height;
        sr.bottom = m_height;
    }
    if (sr.Empty() || dr.Empty()) return plat::kOk;
    return Blit(dest, dr, sr, keyed);
}

HResult CSurfaceResource::BltToClipped(CSurfaceResource* dest, int32_t x, int32_t y, const Rect* clip,
                                       SurfacePoint sourceOffset) {
    if (!clip) return BltTo(dest, x, y, 0, 0);
    return BltInside(dest, x, y, *clip, sourceOffset, false);
}

HResult CSurfaceResource::BltKeyedToClipped(CSurfaceResource* dest, int32_t x, int32_t y, const Rect* clip,
                                            SurfacePoint sourceOffset) {
    if (!clip) return BltKeyedTo(dest, x, y, 0, 0);
    return BltInside(dest, x, y, *clip, sourceOffset, true);
}

HResult CSurfaceResource::SetColorKey(uint8_t b0, uint8_t b1, uint8_t b2, uint32_t flags) {
    if (!m_surface || !m_owner || !m_owner->Device()) return plat::kErrInvalidArg;
    const uint32_t value = uint32_t(b0) | uint32_t(b1) << 8 | uint32_t(b2) << 16;
    const uint32_t key[2] = {value, value};
    return m_owner->Device()->SetColorKey(m_surface.get(), flags, key);
}

void CSurfaceResource::ClearColorKey() {
    if (m_surface && m_owner && m_owner->Device())
        m_owner->Device()->SetColorKey(m_surface.get(), plat::kColorKeySrcBlt, nullptr);
}

HResult CSurfaceResource::FillSurface(uint32_t colour, const Rect* rect) {
    plat::DrawDevice* device = m_owner ? m_owner->Device() : nullptr;
    if (!device || !m_surface) return plat::kOk;
    for (int attempt = 0; attempt < CDirectDraw::kPresentAttempts; ++attempt) {
        HResult hr = device->Blt(m_surface.get(), rect, nullptr, nullptr,
                                 plat::kBltColorFill | plat::kBltWait, uint16_t(colour));
        if (hr == plat::dderr::kWasStillDrawing) continue;
        if (hr == plat::dderr::kSurfaceLost) device->Restore(m_surface.get());
        break;
    }
    return plat::kOk;
}

bool CSurfaceResource::SetBrightness(float percent) {
    percent = std::clamp(percent, 0.0f, 100.0f);
    m_brightness = percent;
    if (m_softwareBrightness) {
        m_tint[0] = m_tint[1] = m_tint[2] = 0;
        const float scale = 2.55f;
        m_tint[3] = uint8_t(int32_t((100.0 - double(percent)) * double(scale)));
    }
    return true;
}

bool CSurfaceResource::SetScreenTint(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    m_tint[0] = red;
    m_tint[1] = green;
    m_tint[2] = blue;
    m_tint[3] = alpha;
    return true;
}

bool CSurfaceResource::SetGammaRamp(const uint16_t*) {
    return true;
}

bool CSurfaceResource::LoadBitmap(const char* fileName) {
    if (!fileName || !m_surface) return false;
    CDib dib;
    if (!dib.Load(fileName, false)) return false;
    dib.ConvertTo16(m_owner ? m_owner->GetPixelKind() : kPixel565);
    if (!dib.Is16Bit() || dib.GetWidth() > m_width || dib.GetHeight() > m_height) return false;
    plat::LockInfo lock;
    if (!Lock(&lock)) return false;
    for (int32_t r = 0; r < dib.GetHeight(); ++r)
        std::memcpy(lock.bits + size_t(r) * lock.pitch, dib.GetVisualRow(r), size_t(dib.GetWidth()) * 2);
    Unlock();
    m_fileName = fileName;
    m_origin = 1;
    return true;
}

bool CSurfaceResource::Restore() {
    if (!m_discarded) return false;
    // An empty surface comes back blank (its owner redraws it); a picture is loaded again.
    if (!CreateOffscreen(m_width, m_height, m_caps & ~plat::kCapsOffscreenPlain)) return false;
    if (m_origin == 1) {
        std::string name = m_fileName;
        LoadBitmap(name.c_str());
    }
    m_discarded = false;
    return true;
}

bool CSurfaceResource::Discard() {
    if (m_discarded) return true;
    if (m_locked) Unlock();
    m_surface.reset();
    m_discarded = true;
    return true;
}
