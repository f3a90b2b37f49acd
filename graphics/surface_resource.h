// A display surface as an entry of the surface cache: creation with its
// fallbacks, size accounting, locking, screen-clipped and colour-keyed blits,
// fills, brightness and the screen tint, losing and restoring.
#pragma once
#include <cstdint>
#include <string>

#include "core/resource_cache.h"
#include "platform/draw_device.h"

class CDirectDraw;

struct SurfacePoint {
    int32_t x = 0, y = 0;
};

class CSurfaceResource : public CCachedResource {
public:
    explicit CSurfaceResource(CDirectDraw* owner);
    ~CSurfaceResource() override;

    // Makes the surface; null (and the error reported) on failure.
    CSurfaceResource* CreateFromDesc(const plat::SurfaceDesc& desc, void* outer = nullptr);
    bool CreateOffscreen(int32_t width, int32_t height, uint32_t caps);
    // Wraps a surface made elsewhere (the primary's back surface).
    void Wrap(const plat::SurfacePtr& surface, uint32_t size);
    // Forgets the device surface without releasing it (its owner does).
    void DropSurface() { m_surface.reset(); }

    bool Lock(plat::LockInfo* desc);
    bool Unlock();
    bool IsLocked() const { return m_locked; }
    const plat::LockInfo& LockDesc() const { return m_lockDesc; }

    plat::HResult BltTo(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width, int32_t height);
    plat::HResult BltKeyedTo(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width, int32_t height);
    plat::HResult BltToClipped(CSurfaceResource* dest, int32_t x, int32_t y, const plat::raster::Rect* clip,
                               SurfacePoint sourceOffset);
    plat::HResult BltKeyedToClipped(CSurfaceResource* dest, int32_t x, int32_t y,
                                    const plat::raster::Rect* clip, SurfacePoint sourceOffset);

    plat::HResult SetColorKey(uint8_t b0, uint8_t b1, uint8_t b2, uint32_t flags);
    void ClearColorKey();
    plat::HResult FillSurface(uint32_t colour, const plat::raster::Rect* rect);

    bool SetBrightness(float percent);
    bool SetScreenTint(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
    bool SetGammaRamp(const uint16_t* ramp);
    float GetBrightness() const { return m_brightness; }
    // Only the level, the tint left alone (a fade sets the tint itself).
    void SetBrightnessLevel(float percent) { m_brightness = percent; }
    // The screen's brightness and fades are drawn as a tint in software.
    bool HasSoftwareTint() const { return m_softwareBrightness; }
    uint8_t TintRed() const { return m_tint[0]; }
    uint8_t TintGreen() const { return m_tint[1]; }
    uint8_t TintBlue() const { return m_tint[2]; }
    uint8_t TintAlpha() const { return m_tint[3]; }

    bool LoadBitmap(const char* fileName);

    bool Restore() override;
    bool Discard() override;
    int32_t GetSize() override { return int32_t(m_size); }
    bool IsDiscarded() override { return m_discarded; }

    plat::DrawSurface* Surface() const { return m_surface.get(); }
    const plat::SurfacePtr& SurfacePtr() const { return m_surface; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    uint32_t GetCaps() const { return m_caps; }
    const plat::PixelFormatDesc& GetPixelFormat() const { return m_pixelFormat; }
    uint8_t GetOrigin() const { return m_origin; }

private:
    plat::HResult BltClippedToScreen(CSurfaceResource* dest, int32_t x, int32_t y, int32_t width,
                                     int32_t height, bool keyed);
    plat::HResult BltInside(CSurfaceResource* dest, int32_t x, int32_t y, const plat::raster::Rect& clip,
                            SurfacePoint offset, bool keyed);
    plat::HResult Blit(CSurfaceResource* dest, const plat::raster::Rect& dr, const plat::raster::Rect& sr,
                       bool keyed);

    CDirectDraw* m_owner;
    plat::SurfacePtr m_surface;
    uint32_t m_size = 0;
    bool m_discarded = false;
    int32_t m_width = 0, m_height = 0;
    uint32_t m_caps = 0;
    plat::PixelFormatDesc m_pixelFormat;
    uint8_t m_origin = 0;  // 1: filled from a picture file
    std::string m_fileName;
    bool m_locked = false;
    plat::LockInfo m_lockDesc;
    float m_brightness = 100.0f;
    bool m_softwareBrightness = false;
    uint8_t m_tint[4] = {0, 0, 0, 0};
};
