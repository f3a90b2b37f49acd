#include "graphics/texture_resource.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/error_box.h"
#include "data/file_resource.h"
#include "data/text_tables.h"
#include "graphics/dib.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"

using plat::HResult;
using plat::raster::Rect;

namespace {

constexpr int kAttempts = CDirectDraw::kPresentAttempts;

plat::DrawDevice* Device() {
    return g_pDirectDraw ? g_pDirectDraw->Device() : nullptr;
}

int32_t NextPow2(int32_t v) {
    int32_t p = 1;
    while (p < v && p < (1 << 14)) p <<= 1;
    return p;
}

}  // namespace

CTextureResource::CTextureResource() {
    CTextureResource::Create();
}

CTextureResource::~CTextureResource() {
    ReleaseSurface();
}

bool CTextureResource::Create() {
    m_surface.reset();
    m_size = 0;
    m_discarded = false;
    m_width = m_height = 0;
    m_firstRow = m_lastRow = -1;
    m_addressU = m_addressV = 1;
    m_loaded = false;
    m_fileName.clear();
    m_tileUses = 0;
    m_alpha = false;
    m_locked = false;
    return true;
}

void CTextureResource::ReleaseSurface() {
    if (m_surface && m_locked && Device()) Device()->Unlock(m_surface.get());
    m_locked = false;
    m_surface.reset();
}

uint32_t CTextureResource::CreateSurface(uint32_t switches, int32_t width, int32_t height, int32_t format) {
    plat::DrawDevice* device = Device();
    if (!g_pDirect3D || !g_pDirect3D->Device() || !device) return 0;
    if (width <= 0 || height <= 0) return 0;
    const plat::Device3DCaps& caps = g_pDirect3D->GetCaps();
    if (caps.textureCaps & plat::kTextureCapsPow2) {
        width = NextPow2(width);
        height = NextPow2(height);
    }
    if (caps.textureCaps & plat::kTextureCapsSquareOnly) width = height = std::max(width, height);
    const uint32_t flags = g_pDirect3D->GetFormatFlags();
    int row = 0;
    uint32_t need = 0;
    if (format == kTexX1R5G5B5)
        row = 1, need = kHasX1R5G5B5;
    else if (format == kTexR5G6B5)
        row = 2, need = kHasR5G6B5;
    else if (format == kTexA4R4G4B4)
        row = 3, need = kHasA4R4G4B4;
    if (!row) return 0;
    if (!(flags & need)) {
        ReportError("%s", GetTableText(2, row));
        return 0;
    }
    plat::SurfaceDesc desc;
    desc.flags = plat::kDescCaps | plat::kDescHeight | plat::kDescWidth | plat::kDescPixelFormat |
                 plat::kDescTextureStage;
    desc.width = width;
    desc.height = height;
    desc.pixelFormat = g_pDirect3D->GetTextureFormat(format);
    auto describe = [&](bool systemMemory) {
        if (systemMemory) {
            desc.caps = plat::kCapsTexture | plat::kCapsSystemMemory | plat::kCaps3DDevice;
            desc.caps2 = 0;
        } else {
            desc.caps = plat::kCapsTexture;
            desc.caps2 = plat::kCaps2TextureManage;
        }
    };
    const bool systemMemory = (switches & kTextureSystemMemory) != 0;
    describe(systemMemory);
    ReleaseSurface();
    HResult hr = device->CreateSurface(desc, &m_surface);
    if (hr != plat::kOk && !systemMemory) {
        // Once more as a system-memory texture; then give up.
        describe(true);
        hr = device->CreateSurface(desc, &m_surface);
    }
    if (hr != plat::kOk || !m_surface) {
        m_surface.reset();
        return 0;
    }
    m_size = uint32_t(desc.pixelFormat.bitCount / 8) * uint32_t(width) * uint32_t(height);
    m_width = width;
    m_height = height;
    m_discarded = false;
    return GetId() ? GetId() : 1;
}

bool CTextureResource::Lock(plat::LockInfo* desc) {
    plat::DrawDevice* device = Device();
    if (m_locked || !m_surface || !device) return false;
    if (!LockWaiting(device, m_surface.get(), &m_lockDesc)) return false;
    if (desc) *desc = m_lockDesc;
    m_locked = true;
    return true;
}

bool CTextureResource::Unlock() {
    if (!m_locked) return false;
    if (Device()) Device()->Unlock(m_surface.get());
    m_locked = false;
    return true;
}

HResult CTextureResource::Fill(uint32_t colour) {
    plat::DrawDevice* device = Device();
    if (!device || !m_surface) return plat::kErrInvalidArg;
    HResult hr = plat::kOk;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        hr = device->Blt(m_surface.get(), nullptr, nullptr, nullptr, plat::kBltColorFill | plat::kBltWait,
                         uint16_t(colour));
        if (hr == plat::dderr::kSurfaceLost) {
            device->Restore(m_surface.get());
            continue;
        }
        if (hr != plat::dderr::kWasStillDrawing) break;
    }
    return hr;
}

HResult CTextureResource::BltToSurface(CSurfaceResource* dest, int32_t x, int32_t y, uint32_t width,
                                       uint32_t height) {
    plat::DrawDevice* device = Device();
    if (!device || !m_surface || !dest || !dest->Surface()) return plat::kErrInvalidArg;
    Rect dr, sr;
    if (!ClipToScreen(x, y, width ? int32_t(width) : m_width, height ? int32_t(height) : m_height, m_width,
                      m_height, &dr, &sr))
        return plat::kOk;
    return BlitWaiting(device, dest->Surface(), dr, m_surface.get(), sr, 0);
}

void CTextureResource::ColorKeyToAlpha(plat::DrawSurface* surface, uint8_t red, uint8_t green, uint8_t blue,
                                       uint8_t alpha) {
    plat::DrawDevice* device = Device();
    if (!surface || !device) return;
    plat::LockInfo lock;
    if (device->Lock(surface, &lock) != plat::kOk) return;
    const plat::PixelFormatDesc& f = surface->Format();
    auto part = [](uint8_t value, uint32_t mask) {
        return uint32_t(int64_t(double(value) / 255.0 * double(mask))) & mask;
    };
    const uint32_t rgbMask = f.redMask | f.greenMask | f.blueMask;
    const uint32_t key = part(red, f.redMask) | part(green, f.greenMask) | part(blue, f.blueMask);
    const uint32_t newAlpha = part(alpha, f.alphaMask);
    for (int y = 0; y < lock.height; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(lock.bits + size_t(y) * lock.pitch);
        for (int x = 0; x < lock.width; ++x)
            if ((row[x] & rgbMask) == key) row[x] = uint16_t(key | newAlpha);
    }
    device->Unlock(surface);
}

uint32_t CTextureResource::LoadFromImageFile(const char* name, uint32_t switches, int32_t width,
                                             int32_t height, int32_t firstRow, int32_t lastRow, uint16_t) {
    if (!name) return 0;
    const char* dot = std::strrchr(name, '.');
    const bool tga = dot && std::strcmp(dot + 1, "TGA") == 0;
    CDib picture;
    if (!picture.Load(name, tga)) return 0;
    // A BMP is converted by its real form, whatever the pack switch says.
    picture.ConvertTo16(g_pDirectDraw ? g_pDirectDraw->GetTexturePixelKind() : kPixel4444);
    if (!picture.Is16Bit()) return 0;
    m_alpha = picture.HasAlpha();
    if (width == 0 || height == 0) {
        width = picture.GetWidth();
        height = picture.GetHeight();
    }
    if (!CreateSurface(switches, width, height, kTexA4R4G4B4)) return 0;
    plat::LockInfo lock;
    if (!Lock(&lock)) return 0;
    int32_t first = firstRow, last = lastRow;
    if (first == -1 && last == -1) {
        first = 0;
        last = picture.GetHeight() - 1;
    }
    // Rows beyond the picture or the texture are not copied.
    first = std::max(first, 0);
    last = std::min(last, picture.GetHeight() - 1);
    last = std::min(last, first + lock.height - 1);
    const size_t columns = size_t(std::min(picture.GetWidth(), lock.width)) * 2;
    for (int32_t r = first; r <= last; ++r)
        std::memcpy(lock.bits + size_t(r - first) * lock.pitch, picture.GetVisualRow(r), columns);
    Unlock();
    m_firstRow = firstRow == -1 && lastRow == -1 ? 0 : firstRow;
    m_lastRow = firstRow == -1 && lastRow == -1 ? picture.GetHeight() - 1 : lastRow;
    m_loaded = true;
    m_fileName = name;
    return GetId() ? GetId() : 1;
}

uint32_t CTextureResource::CreateFromSurface(CSurfaceResource* source, int32_t x, int32_t y,
                                             uint32_t switches, int32_t width, int32_t height) {
    if (!CreateSurface(switches, width, height, kTexA4R4G4B4)) return 0;
    if (!CopyFromSurface(source, x, y, width, height)) return 0;
    return GetId() ? GetId() : 1;
}

bool CTextureResource::CopyFromSurface(CSurfaceResource* source, int32_t x, int32_t y, int32_t width,
                                       int32_t height) {
    if (!source || !source->Surface() || !m_surface) return false;
    Fill(0);
    plat::LockInfo dst, src;
    if (!Lock(&dst)) return false;
    if (!source->Lock(&src)) {
        Unlock();
        return false;
    }
    // The band is cut to the source surface and to the texture.
    const Rect band =
        plat::raster::Intersect(Rect{x, y, x + width, y + height}, Rect{0, 0, src.width, src.height});
    const int rows = std::min(band.Height(), dst.height - (band.top - y));
    const int cols = std::min(band.Width(), dst.width - (band.left - x));
    for (int r = 0; r < rows && cols > 0; ++r) {
        const uint8_t* s = src.bits + size_t(band.top + r) * src.pitch + size_t(band.left) * 2;
        uint8_t* d = dst.bits + size_t(band.top - y + r) * dst.pitch + size_t(band.left - x) * 2;
        std::memcpy(d, s, size_t(cols) * 2);
    }
    source->Unlock();
    Unlock();
    m_loaded = true;
    m_fileName.clear();
    return true;
}

uint32_t CTextureResource::LoadFromData(CFileResource* stream, uint32_t switches, int32_t width,
                                        int32_t height, const Rect& rect) {
    if (!stream || rect.Empty()) return 0;
    if (!CreateSurface(switches, width, height, kTexA4R4G4B4)) return 0;
    plat::LockInfo lock;
    if (!Lock(&lock)) return 0;
    // The stream holds the rectangle's pixels row after row; what does not fit
    // the texture is read past.
    const int cols = rect.Width(), rows = rect.Height();
    std::vector<uint8_t> row(size_t(cols) * 2);
    bool ok = true;
    for (int r = 0; r < rows && ok; ++r) {
        ok = stream->ReadExact(row.data(), row.size());
        if (ok && r < lock.height)
            std::memcpy(lock.bits + size_t(r) * lock.pitch, row.data(),
                        size_t(std::min(cols, lock.width)) * 2);
    }
    Unlock();
    if (!ok) {
        ReleaseSurface();
        return 0;
    }
    m_loaded = true;
    m_fileName.clear();
    return GetId() ? GetId() : 1;
}

uint32_t CTextureResource::CreateFromDib(CDib* picture, uint32_t switches, int32_t width, int32_t height,
                                         const Rect& rect, uint8_t bottomUp) {
    if (!picture || !picture->GetPixels()) return 0;
    const int32_t pw = picture->GetWidth(), ph = picture->GetHeight();
    if (width == 0 || height == 0) {
        width = pw;
        height = ph;
    }
    if (!CreateSurface(switches, width, height, kTexA4R4G4B4)) return 0;
    Fill(0);
    plat::LockInfo lock;
    if (!Lock(&lock)) return 0;
    const uint16_t* pixels = picture->GetPixels();
    // The rectangle is cut to the picture; rows land inside the texture only.
    const Rect src = plat::raster::Intersect(rect, Rect{0, 0, pw, ph});
    const int cols = std::min(src.Width(), lock.width);
    for (int32_t r = src.top; r < src.bottom && cols > 0; ++r) {
        const int32_t offset = r - rect.top;
        const int32_t dstRow = bottomUp ? height - 1 - offset : offset;
        if (dstRow < 0 || dstRow >= lock.height) continue;
        std::memcpy(lock.bits + size_t(dstRow) * lock.pitch, pixels + size_t(r) * pw + src.left,
                    size_t(cols) * 2);
    }
    Unlock();
    m_loaded = true;
    m_fileName.clear();
    return GetId() ? GetId() : 1;
}

bool CTextureResource::Restore() {
    if (!m_discarded || !m_loaded) return false;
    ReleaseSurface();
    const std::string name = m_fileName;
    if (!LoadFromImageFile(name.c_str(), 0, m_width, m_height, m_firstRow, m_lastRow)) return false;
    // The texture comes back as it went: with the colour key it had then, or
    // none (a fixed key would drop every pixel of that value).
    if (m_surface && Device() && m_keptKey) {
        const uint32_t key[2] = {m_keptKeyLow, m_keptKeyHigh};
        Device()->SetColorKey(m_surface.get(), plat::kColorKeySrcBlt, key);
    }
    m_discarded = false;
    return true;
}

bool CTextureResource::Discard() {
    if (m_discarded) return true;
    // Only a texture loaded from a picture file can be made again; the others
    // (blank, from a stream, a surface or a picture in memory) are kept.
    if (m_fileName.empty()) return false;
    const plat::raster::Surface* pixels = m_surface ? &m_surface->Pixels() : nullptr;
    m_keptKey = pixels && pixels->HasColorKey();
    m_keptKeyLow = m_keptKey ? pixels->KeyLow() : 0;
    m_keptKeyHigh = m_keptKey ? pixels->KeyHigh() : 0;
    ReleaseSurface();
    m_discarded = true;
    return true;
}
