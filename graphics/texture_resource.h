// A texture as an entry of the texture cache, made blank, from picture files,
// from raw 16-bit pixels in a stream, from a surface rectangle or from a
// loaded picture.
#pragma once
#include <cstdint>
#include <string>

#include "core/resource_cache.h"
#include "platform/draw_device.h"

class CSurfaceResource;
class CFileResource;
class CDib;

class CTextureResource : public CCachedResource {
public:
    CTextureResource();
    ~CTextureResource() override;

    bool Create() override;
    bool Release() override { return true; }

    // Returns the texture's id (its cache id once added; 1 before), 0 on failure.
    uint32_t CreateSurface(uint32_t switches, int32_t width, int32_t height, int32_t format);
    bool Lock(plat::LockInfo* desc);
    bool Unlock();
    plat::HResult Fill(uint32_t colour);
    plat::HResult BltToSurface(CSurfaceResource* dest, int32_t x, int32_t y, uint32_t width, uint32_t height);
    static void ColorKeyToAlpha(plat::DrawSurface* surface, uint8_t red, uint8_t green, uint8_t blue,
                                uint8_t alpha);
    uint32_t LoadFromImageFile(const char* name, uint32_t switches, int32_t width, int32_t height,
                               int32_t firstRow, int32_t lastRow, uint16_t unused = 0);
    uint32_t CreateFromSurface(CSurfaceResource* source, int32_t x, int32_t y, uint32_t switches,
                               int32_t width, int32_t height);
    bool CopyFromSurface(CSurfaceResource* source, int32_t x, int32_t y, int32_t width, int32_t height);
    uint32_t LoadFromData(CFileResource* stream, uint32_t switches, int32_t width, int32_t height,
                          const plat::raster::Rect& rect);
    uint32_t CreateFromDib(CDib* picture, uint32_t switches, int32_t width, int32_t height,
                           const plat::raster::Rect& rect, uint8_t bottomUp);

    bool Restore() override;
    bool Discard() override;
    int32_t GetSize() override { return int32_t(m_size); }
    bool IsDiscarded() override { return m_discarded; }

    plat::DrawSurface* Surface() const { return m_surface.get(); }
    const plat::SurfacePtr& SurfacePtr() const { return m_surface; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    const std::string& GetFileName() const { return m_fileName; }
    bool HasAlpha() const { return m_alpha; }
    bool IsLoaded() const { return m_loaded; }

    uint32_t m_addressU = 1, m_addressV = 1;
    int32_t m_firstRow = -1, m_lastRow = -1;
    int32_t m_tileUses = 0;

private:
    void ReleaseSurface();

    plat::SurfacePtr m_surface;
    uint32_t m_size = 0;
    bool m_discarded = false;
    int32_t m_width = 0, m_height = 0;
    bool m_loaded = false;
    std::string m_fileName;
    bool m_alpha = false;
    bool m_locked = false;
    plat::LockInfo m_lockDesc;
    // The source colour key the surface had when it was discarded.
    bool m_keptKey = false;
    uint16_t m_keptKeyLow = 0, m_keptKeyHigh = 0;
};
