#include "platform/draw_device.h"

#include <cstring>

#include "platform/display.h"

namespace plat {

PixelFormatDesc DescribeFormat(raster::PixelFormat format) {
    PixelFormatDesc d;
    raster::PixelMasks m = raster::MasksOf(format);
    d.flags = kPfRgb | (m.alpha ? uint32_t(kPfAlphaPixels) : 0u);
    d.bitCount = 16;
    d.redMask = m.red;
    d.greenMask = m.green;
    d.blueMask = m.blue;
    d.alphaMask = m.alpha;
    return d;
}

bool LayoutOf(const PixelFormatDesc& desc, raster::PixelFormat* out) {
    using raster::PixelFormat;
    if (desc.bitCount != 16) return false;
    for (PixelFormat f :
         {PixelFormat::kRgb565, PixelFormat::kRgb555, PixelFormat::kBgr565, PixelFormat::kArgb4444}) {
        raster::PixelMasks m = raster::MasksOf(f);
        if (m.red == desc.redMask && m.green == desc.greenMask && m.blue == desc.blueMask &&
            m.alpha == ((desc.flags & kPfAlphaPixels) ? desc.alphaMask : 0u)) {
            *out = f;
            return true;
        }
    }
    return false;
}

namespace {
DrawMachine& MachineSlot() {
    static DrawMachine machine;
    return machine;
}
}  // namespace

DrawMachine& Machine() {
    return MachineSlot();
}
void ResetMachine() {
    MachineSlot() = DrawMachine{};
}

std::unique_ptr<DrawDevice> DrawDevice::Create(const uint8_t guid[16]) {
    for (const DriverInfo& d : Machine().drivers)
        if (std::memcmp(d.guid, guid, 16) == 0) return std::make_unique<DrawDevice>();
    return nullptr;
}

void DrawDevice::InjectFault(FaultPoint point, HResult code, int count) {
    for (int i = 0; i < count; ++i) m_faults[point].push_back(code);
}

bool DrawDevice::TakeFault(FaultPoint point, HResult* code) {
    auto it = m_faults.find(point);
    if (it == m_faults.end() || it->second.empty()) return false;
    *code = it->second.front();
    it->second.pop_front();
    return true;
}

HResult DrawDevice::SetCooperativeLevel(void* window, uint32_t flags) {
    m_window = window;
    m_fullScreen = (flags & kCoopFullScreen) != 0;
    return kOk;
}

HResult DrawDevice::SetDisplayMode(int width, int height, int bits, int refreshRate) {
    HResult fault;
    if (TakeFault(FaultPoint::kSetDisplayMode, &fault)) return fault;
    if (width <= 0 || height <= 0 || bits != 16) return dderr::kUnsupportedMode;
    if (refreshRate != 0 && !Machine().refreshRatesSupported) return dderr::kUnsupportedMode;
    m_modeWidth = width;
    m_modeHeight = height;
    m_modeBits = bits;
    return GetDisplay().Open(width, height, true) ? kOk : dderr::kUnsupportedMode;
}

HResult DrawDevice::GetDisplayMode(int* width, int* height, int* bits, PixelFormatDesc* format) const {
    const DrawMachine& m = Machine();
    bool modeSet = m_fullScreen && m_modeWidth > 0;
    if (width) *width = modeSet ? m_modeWidth : m.desktopWidth;
    if (height) *height = modeSet ? m_modeHeight : m.desktopHeight;
    if (bits) *bits = m.reportedBits ? m.reportedBits : int(m.desktopFormat.bitCount);
    if (format) *format = m.desktopFormat;
    return kOk;
}

void DrawDevice::SetClientSize(int width, int height) {
    m_clientWidth = width;
    m_clientHeight = height;
    if (!m_fullScreen && width > 0 && height > 0) GetDisplay().Open(width, height, false);
}

HResult DrawDevice::CreateSurface(const SurfaceDesc& desc, SurfacePtr* out) {
    *out = nullptr;
    HResult fault;
    if (TakeFault(FaultPoint::kCreateSurface, &fault)) return fault;
    auto s = std::make_shared<DrawSurface>();
    s->m_caps = (desc.flags & kDescCaps) ? desc.caps : 0;
    int w = 0, h = 0;
    PixelFormatDesc format = Machine().desktopFormat;
    if (s->m_caps & kCapsPrimarySurface) {
        if (!m_primary.expired()) return dderr::kPrimarySurfaceAlreadyExists;
        if (m_fullScreen) {
            w = m_modeWidth;
            h = m_modeHeight;
        } else {
            w = m_clientWidth > 0 ? m_clientWidth : Machine().desktopWidth;
            h = m_clientHeight > 0 ? m_clientHeight : Machine().desktopHeight;
        }
    } else {
        if (!(desc.flags & kDescWidth) || !(desc.flags & kDescHeight)) return kErrInvalidArg;
        w = desc.width;
        h = desc.height;
        if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return kErrInvalidArg;
        if (desc.flags & kDescPixelFormat) format = desc.pixelFormat;
    }
    raster::PixelFormat layout;
    if (s->m_caps & kCapsZBuffer) {
        // Depth surfaces keep 16-bit values; the layout is only a container.
        layout = raster::PixelFormat::kRgb565;
    } else if (!LayoutOf(format, &layout)) {
        // A desktop with an unknown layout still gets 5-6-5 buffers.
        if (desc.flags & kDescPixelFormat) return dderr::kInvalidPixelFormat;
        layout = raster::PixelFormat::kRgb565;
    }
    s->m_format = format;
    s->m_pixels.Reset(w, h, layout);
    if ((s->m_caps & kCapsPrimarySurface) && (s->m_caps & kCapsFlip) && desc.backBufferCount > 0) {
        auto back = std::make_shared<DrawSurface>();
        back->m_caps = kCapsBackBuffer | kCapsVideoMemory | kCaps3DDevice;
        back->m_format = format;
        back->m_pixels.Reset(w, h, layout);
        s->m_attached = back;
    }
    if (s->m_caps & kCapsPrimarySurface) m_primary = s;
    *out = s;
    return kOk;
}

HResult DrawDevice::GetAttachedSurface(const SurfacePtr& surface, uint32_t caps, SurfacePtr* out) {
    *out = nullptr;
    if (!surface || !surface->m_attached) return kErrInvalidArg;
    if ((caps & kCapsBackBuffer) == 0) return kErrInvalidArg;
    *out = surface->m_attached;
    return kOk;
}

HResult DrawDevice::AddAttachedSurface(const SurfacePtr& surface, const SurfacePtr& zbuffer) {
    if (!surface || !zbuffer) return kErrInvalidArg;
    surface->m_zbuffer = zbuffer;
    return kOk;
}

HResult DrawDevice::SetClipWindow(const SurfacePtr& primary, void* window) {
    if (!primary) return kErrInvalidArg;
    m_window = window;
    return kOk;
}

void DrawDevice::PresentPrimary(DrawSurface* primary) {
    ++m_primaryBlits;
    GetDisplay().Present(primary->m_pixels);
}

HResult DrawDevice::Blt(DrawSurface* dst, const raster::Rect* dstRect, DrawSurface* src,
                        const raster::Rect* srcRect, uint32_t flags, uint16_t fill) {
    if (!dst) return kErrInvalidArg;
    HResult fault;
    if (TakeFault(dst->IsPrimary() ? FaultPoint::kBltToPrimary : FaultPoint::kBlt, &fault)) return fault;
    if (dst->m_lost || (src && src->m_lost)) return dderr::kSurfaceLost;
    if (dst->m_locked || (src && src->m_locked)) return dderr::kWasStillDrawing;
    raster::Rect dr = dstRect ? *dstRect : dst->m_pixels.Bounds();
    if (flags & kBltColorFill) {
        raster::Fill(dst->m_pixels, dr, fill);
    } else {
        if (!src) return kErrInvalidArg;
        raster::Rect sr = srcRect ? *srcRect : src->m_pixels.Bounds();
        if (sr.Empty() || dr.Empty()) return kErrInvalidArg;
        raster::Blit(dst->m_pixels, dr, src->m_pixels, sr,
                     (flags & kBltKeySrc) ? uint32_t(raster::kBlitSourceKey) : 0u);
    }
    if (dst->IsPrimary()) PresentPrimary(dst);
    return kOk;
}

HResult DrawDevice::BltFast(DrawSurface* dst, int x, int y, DrawSurface* src, const raster::Rect* srcRect,
                            uint32_t flags) {
    if (!src) return kErrInvalidArg;
    raster::Rect sr = srcRect ? *srcRect : src->m_pixels.Bounds();
    raster::Rect dr{x, y, x + sr.Width(), y + sr.Height()};
    (void)flags;
    return Blt(dst, &dr, src, &sr, 0);
}

HResult DrawDevice::Lock(DrawSurface* surface, LockInfo* out) {
    if (!surface || !out) return kErrInvalidArg;
    HResult fault;
    if (TakeFault(FaultPoint::kLock, &fault)) return fault;
    if (surface->m_lost) return dderr::kSurfaceLost;
    if (surface->m_locked) return dderr::kWasStillDrawing;
    surface->m_locked = true;
    out->bits = surface->m_pixels.Bits();
    out->pitch = surface->m_pixels.Pitch();
    out->width = surface->m_pixels.Width();
    out->height = surface->m_pixels.Height();
    return kOk;
}

HResult DrawDevice::Unlock(DrawSurface* surface) {
    if (!surface || !surface->m_locked) return kErrInvalidArg;
    surface->m_locked = false;
    return kOk;
}

HResult DrawDevice::IsLost(const DrawSurface* surface) const {
    return surface && surface->m_lost ? dderr::kSurfaceLost : kOk;
}

HResult DrawDevice::Restore(DrawSurface* surface) {
    if (!surface) return kErrInvalidArg;
    ++m_restores;
    surface->m_lost = false;
    return kOk;
}

HResult DrawDevice::SetColorKey(DrawSurface* surface, uint32_t flags, const uint32_t* key) {
    if (!surface) return kErrInvalidArg;
    (void)flags;
    if (!key)
        surface->m_pixels.ClearColorKey();
    else
        surface->m_pixels.SetColorKey(uint16_t(key[0]), uint16_t(key[1]));
    return kOk;
}

std::vector<PixelFormatDesc> DrawDevice::EnumZBufferFormats(Device3DKind kind, HResult* result) {
    (void)kind;
    HResult fault;
    if (TakeFault(FaultPoint::kEnumZBuffer, &fault)) {
        *result = fault;
        return {};
    }
    *result = kOk;
    if (!Machine().zBufferFormat) return {};
    PixelFormatDesc z;
    z.flags = kPfZBuffer;
    z.bitCount = 16;
    return {z};
}

HResult DrawDevice::CreateDevice3D(Device3DKind kind, const SurfacePtr& target,
                                   std::unique_ptr<raster::Device3D>* out) {
    (void)kind;
    HResult fault;
    if (TakeFault(FaultPoint::kCreateDevice3D, &fault)) return fault;
    if (!target) return kErrInvalidArg;
    auto dev = std::make_unique<raster::Device3D>();
    dev->SetRenderTarget(&target->m_pixels);
    *out = std::move(dev);
    return kOk;
}

}  // namespace plat
