#include "platform/raster/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/raster/simd_spans.h"

namespace plat::raster {

PixelMasks MasksOf(PixelFormat format) {
    switch (format) {
        case PixelFormat::kRgb555:
            return {0x7C00, 0x03E0, 0x001F, 0};
        case PixelFormat::kRgb565:
            return {0xF800, 0x07E0, 0x001F, 0};
        case PixelFormat::kBgr565:
            return {0x001F, 0x07E0, 0xF800, 0};
        case PixelFormat::kArgb4444:
            return {0x0F00, 0x00F0, 0x000F, 0xF000};
    }
    return {};
}

bool HasAlpha(PixelFormat format) {
    return format == PixelFormat::kArgb4444;
}

Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.Empty()) return {};
    return r;
}

Surface::Surface(int width, int height, PixelFormat format) {
    Reset(width, height, format);
}

void Surface::Reset(int width, int height, PixelFormat format) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_format = format;
    // Rows start on 4-byte boundaries, as a locked surface of odd width would.
    m_pitch = (m_width * 2 + 3) & ~3;
    m_bytes.assign(size_t(m_pitch) * m_height, 0);
    m_hasKey = false;
    m_alphaExtentsValid = false;
    MarkUniform(0);
}

void Surface::FindAlphaExtents() const {
    m_alphaExtents.assign(size_t(m_height) * 2, 0);
    for (int r = 0; r < m_height; ++r) {
        const uint16_t* p = Row(r);
        int a = 0, b = m_width;
        while (a < b && p[a] < 0x1000) ++a;
        while (b > a && p[b - 1] < 0x1000) --b;
        m_alphaExtents[size_t(r) * 2] = a;
        m_alphaExtents[size_t(r) * 2 + 1] = b;
    }
    m_alphaExtentsValid = true;
}

namespace {

inline bool Keyed(uint16_t p, uint16_t lo, uint16_t hi) {
    return p >= lo && p <= hi;
}

}  // namespace

bool Blit(Surface& dst, const Rect& dstRect, const Surface& src, const Rect& srcRect, uint32_t flags) {
    if (!dst.Valid() || !src.Valid() || dstRect.Empty() || srcRect.Empty()) return false;
    const bool keyed = (flags & kBlitSourceKey) && src.HasColorKey();
    const uint16_t lo = src.KeyLow(), hi = src.KeyHigh();
    const bool convert = dst.Format() != src.Format();
    const bool overlap = &dst == &src;

    if (dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height()) {
        // Same size: clip both rectangles together.
        int dx = dstRect.left, dy = dstRect.top, sx = srcRect.left, sy = srcRect.top;
        int w = srcRect.Width(), h = srcRect.Height();
        auto clip = [&](int& a, int& b, int& len, int aMax, int bMax) {
            if (a < 0) {
                b -= a;
                len += a;
                a = 0;
            }
            if (b < 0) {
                a -= b;
                len += b;
                b = 0;
            }
            len = std::min({len, aMax - a, bMax - b});
        };
        clip(dx, sx, w, dst.Width(), src.Width());
        clip(dy, sy, h, dst.Height(), src.Height());
        if (w <= 0 || h <= 0) return false;
        // Copying within one surface goes bottom-up when the rows overlap that way.
        const bool backwards = overlap && dy > sy;
        for (int j = 0; j < h; ++j) {
            int row = backwards ? h - 1 - j : j;
            uint16_t* d = dst.Row(dy + row) + dx;
            const uint16_t* s = src.Row(sy + row) + sx;
            if (!convert) {
                if (keyed)
                    KeyedRun(d, s, w, lo, hi);
                else
                    std::memmove(d, s, size_t(w) * 2);
            } else {
                for (int i = 0; i < w; ++i)
                    if (!keyed || !Keyed(s[i], lo, hi)) d[i] = Pack(dst.Format(), Unpack(src.Format(), s[i]));
            }
        }
        return true;
    }

    // Stretch with nearest sampling; source positions come from the unclipped rectangles.
    Rect dr = Intersect(dstRect, dst.Bounds());
    if (dr.Empty()) return false;
    const int64_t dw = dstRect.Width(), dh = dstRect.Height();
    const int64_t sw = srcRect.Width(), sh = srcRect.Height();
    std::vector<uint16_t> temp;
    for (int y = dr.top; y < dr.bottom; ++y) {
        int sy = srcRect.top + int(((2 * (y - dstRect.top) + 1) * sh) / (2 * dh));
        if (sy < 0 || sy >= src.Height()) continue;
        const uint16_t* s = src.Row(sy);
        if (overlap) {
            temp.assign(s, s + src.Width());
            s = temp.data();
        }
        uint16_t* d = dst.Row(y);
        for (int x = dr.left; x < dr.right; ++x) {
            int sx = srcRect.left + int(((2 * (x - dstRect.left) + 1) * sw) / (2 * dw));
            if (sx < 0 || sx >= src.Width()) continue;
            uint16_t p = s[sx];
            if (keyed && Keyed(p, lo, hi)) continue;
            d[x] = convert ? Pack(dst.Format(), Unpack(src.Format(), p)) : p;
        }
    }
    return true;
}

void Fill(Surface& dst, const Rect& rect, uint16_t value) {
    Rect r = Intersect(rect, dst.Bounds());
    if (r.Empty()) return;
    for (int y = r.top; y < r.bottom; ++y) std::fill_n(dst.Row(y) + r.left, r.Width(), value);
    if (r.left == 0 && r.top == 0 && r.right == dst.Width() && r.bottom == dst.Height())
        dst.MarkUniform(value);
}

}  // namespace plat::raster
