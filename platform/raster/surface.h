// Owned 16-bit pixel buffers and the 2D operations on them: clipped copies,
// nearest-neighbour stretches, source colour keys and colour fills.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/raster/pixel.h"

namespace plat::raster {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
};

Rect Intersect(const Rect& a, const Rect& b);

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, PixelFormat format);

    // Reallocates (contents cleared to 0).
    void Reset(int width, int height, PixelFormat format);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Bytes from one row to the next.
    int Pitch() const { return m_pitch; }
    PixelFormat Format() const { return m_format; }
    bool Valid() const { return m_width > 0 && m_height > 0; }
    Rect Bounds() const { return {0, 0, m_width, m_height}; }

    // Writable access forgets that the surface is uniform (and its alpha extents).
    uint16_t* Row(int y) {
        m_uniform = false;
        m_alphaExtentsValid = false;
        return reinterpret_cast<uint16_t*>(m_bytes.data() + size_t(y) * m_pitch);
    }
    const uint16_t* Row(int y) const {
        return reinterpret_cast<const uint16_t*>(m_bytes.data() + size_t(y) * m_pitch);
    }
    uint16_t& At(int x, int y) { return Row(y)[x]; }
    uint16_t At(int x, int y) const { return Row(y)[x]; }
    uint8_t* Bits() {
        m_uniform = false;
        m_alphaExtentsValid = false;
        return m_bytes.data();
    }
    const uint8_t* Bits() const { return m_bytes.data(); }

    // True while every pixel is known to hold UniformValue(): after Reset and
    // after a Fill of the whole surface, until the next writable access. (A
    // uniform texture is sampled once per triangle.)
    bool IsUniform() const { return m_uniform && Valid(); }
    uint16_t UniformValue() const { return m_uniformValue; }
    void MarkUniform(uint16_t value) {
        m_uniform = true;
        m_uniformValue = value;
    }

    // A4R4G4B4 only: for row y, the columns [first, end) from the first to the
    // last texel whose alpha is not 0 (an empty range for a wholly clear row),
    // worked out when first asked after a change.
    void AlphaExtent(int y, int& first, int& end) const {
        if (!m_alphaExtentsValid) FindAlphaExtents();
        first = m_alphaExtents[size_t(y) * 2];
        end = m_alphaExtents[size_t(y) * 2 + 1];
    }

    // Source colour key: pixels with a raw value in [low, high] are skipped by
    // keyed blits (and, for textures, dropped by the triangle rasteriser).
    void SetColorKey(uint16_t low, uint16_t high) {
        m_hasKey = true;
        m_keyLow = low;
        m_keyHigh = high;
    }
    void ClearColorKey() { m_hasKey = false; }
    bool HasColorKey() const { return m_hasKey; }
    uint16_t KeyLow() const { return m_keyLow; }
    uint16_t KeyHigh() const { return m_keyHigh; }

private:
    void FindAlphaExtents() const;

    int m_width = 0, m_height = 0, m_pitch = 0;
    PixelFormat m_format = PixelFormat::kRgb565;
    std::vector<uint8_t> m_bytes;
    bool m_hasKey = false;
    uint16_t m_keyLow = 0, m_keyHigh = 0;
    bool m_uniform = false;
    uint16_t m_uniformValue = 0;
    mutable std::vector<int32_t> m_alphaExtents;  // first and end of each row
    mutable bool m_alphaExtentsValid = false;
};

enum BlitFlags : uint32_t {
    kBlitNone = 0,
    kBlitSourceKey = 1,  // skip pixels matching the source's colour key
};

// Copies srcRect of src onto dstRect of dst. Equal sizes copy; different sizes
// stretch with nearest sampling. Both rectangles are clipped to their surfaces
// (a clipped part of one is cut from the other in proportion). Pixels are
// converted when the two layouts differ. Returns false for empty or invalid
// rectangles (nothing drawn).
bool Blit(Surface& dst, const Rect& dstRect, const Surface& src, const Rect& srcRect, uint32_t flags);

// Fills rect (clipped) of dst with a raw 16-bit value.
void Fill(Surface& dst, const Rect& rect, uint16_t value);

}  // namespace plat::raster
