#include "graphics/blitters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t kWhite = 0xFFFF;

// One run's visible part.
struct VisibleRun {
    int32_t runX;        // screen column of the run's left end (before clipping)
    int32_t destX;       // leftmost visible column
    int32_t destY;       // screen row
    int32_t count;       // visible pixels
    int32_t storeStart;  // stored index of the first visible pixel (in stored order)
    int32_t length;      // the whole run
    size_t pixelIndex;   // index of the run's first pixel in the view's pixels
};

bool WhollyOutside(const ClipRect& clip, const SpanImageView& image, int32_t x, int32_t y) {
    return x >= clip.right || int64_t(x) + image.width < clip.left || y >= clip.bottom ||
           int64_t(y) + image.height < clip.top;
}

// Calls fn for every run that shows inside the clip rectangle, in run order.
template <class Fn>
void ForEachVisibleRun(const ClipRect& clip, const SpanImageView& image, int32_t x, int32_t y, bool mirrored,
                       bool flip, Fn&& fn) {
    const int64_t flipBase = int64_t(y) + (image.height / 2) * 2;
    size_t at = 0;
    for (size_t i = 0; i < image.runCount; ++i) {
        const SpanRun& r = image.runs[i];
        const size_t runAt = at;
        if (r.length <= 0) continue;
        at += size_t(r.length);
        const int64_t rowY = flip ? flipBase - r.y : int64_t(y) + r.y;
        if (rowY < clip.top || rowY >= clip.bottom) continue;
        const int64_t x0 = mirrored ? int64_t(x) + image.width - r.x - r.length : int64_t(x) + r.x;
        if (x0 >= clip.right) continue;
        const int64_t a = std::max<int64_t>(x0, clip.left), b = std::min<int64_t>(x0 + r.length, clip.right);
        if (b <= a) continue;
        const int32_t k0 = int32_t(a - x0), k1 = int32_t(b - x0);
        fn(VisibleRun{int32_t(x0), int32_t(a), int32_t(rowY), k1 - k0, mirrored ? r.length - k1 : k0,
                      r.length, runAt});
    }
}

void DrawOutline(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                 int32_t y, bool mirrored, bool flip) {
    ForEachVisibleRun(clip, image, x, y, mirrored, flip, [&](const VisibleRun& v) {
        FillSpan(PixelRow(target, 0), target.pitch / 2, clip, v.runX - 1, v.destY - 1, v.length + 2, 3,
                 kWhite);
    });
}

// Writes a visible run: destination pixel i shows stored pixel i (mirrored: n - 1 - i).
// op(source, destination) gives the pixel to write. The last stored pixel is
// left out when it is the transparent colour, or always when skipLast is set.
template <class Op>
void ApplyRun(uint16_t* dst, const uint16_t* src, int32_t n, bool mirrored, uint16_t transparent,
              bool skipLast, Op op) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t j = mirrored ? n - 1 - i : i;
        const uint16_t s = src[j];
        if (j == n - 1 && (skipLast || s == transparent)) continue;
        dst[i] = op(s, dst[i]);
    }
}

// Copies n pixels between buffers apart; short runs (the usual case) go in
// a few overlapping block moves instead of a library call.
void CopyPixels(uint16_t* dst, const uint16_t* src, int32_t n) {
    if (n > 32) {
        std::memcpy(dst, src, size_t(n) * 2);
    } else if (n >= 8) {
        for (int32_t i = 0; i + 8 < n; i += 8) std::memcpy(dst + i, src + i, 16);
        std::memcpy(dst + n - 8, src + n - 8, 16);
    } else if (n >= 4) {
        std::memcpy(dst, src, 8);
        std::memcpy(dst + n - 4, src + n - 4, 8);
    } else if (n >= 2) {
        std::memcpy(dst, src, 4);
        std::memcpy(dst + n - 2, src + n - 2, 4);
    } else if (n == 1) {
        dst[0] = src[0];
    }
}

inline void CopyRun(uint16_t* dst, const uint16_t* src, int32_t n, bool mirrored, uint16_t transparent) {
    if (!mirrored) {
        CopyPixels(dst, src, n - 1);
        if (src[n - 1] != transparent) dst[n - 1] = src[n - 1];
        return;
    }
    for (int32_t i = 1; i < n; ++i) dst[i] = src[n - 1 - i];
    if (src[n - 1] != transparent) dst[0] = src[n - 1];
}

// The plain copy of a picture whose box lies inside the clip rectangle: a
// run inside the box needs no clipping (a run outside it, from a damaged
// file, is clipped as any other).
void CopyRunsInside(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                    int32_t y, uint16_t transparent) {
    const uint16_t* pixels = reinterpret_cast<const uint16_t*>(image.pixels);
    size_t at = 0;
    for (size_t i = 0; i < image.runCount; ++i) {
        const SpanRun& r = image.runs[i];
        if (r.length <= 0) continue;
        const uint16_t* src = pixels + at;
        at += size_t(r.length);
        if (r.y >= 0 && r.y < image.height && r.x >= 0 && r.length <= image.width - r.x) {
            CopyRun(PixelRow(target, y + r.y) + x + r.x, src, r.length, false, transparent);
            continue;
        }
        const int64_t rowY = int64_t(y) + r.y, x0 = int64_t(x) + r.x;
        if (rowY < clip.top || rowY >= clip.bottom || x0 >= clip.right) continue;
        const int64_t a = std::max<int64_t>(x0, clip.left), b = std::min<int64_t>(x0 + r.length, clip.right);
        if (b > a)
            CopyRun(PixelRow(target, int32_t(rowY)) + a, src + (a - x0), int32_t(b - a), false, transparent);
    }
}

}  // namespace

ClipRect MakeClipRect(const ClipRect* clip, const PixelTarget& target, int32_t screenWidth,
                      int32_t screenHeight) {
    ClipRect c = clip ? *clip : ClipRect{0, 0, target.width, target.height};
    c.left = std::max(c.left, 0);
    c.top = std::max(c.top, 0);
    c.right = std::min({c.right, screenWidth, target.width});
    c.bottom = std::min({c.bottom, screenHeight, target.height});
    return c;
}

SpanImageView ViewOf(const SpanPicture& picture) {
    SpanImageView v;
    v.width = picture.width;
    v.height = picture.height;
    v.runs = picture.spans.data();
    v.runCount = picture.spans.size();
    v.pixels = picture.PixelBytes();
    v.indexed = !picture.palette.empty();
    return v;
}

SpanImageView ViewOf(const FramePicture& picture, size_t frame) {
    const FrameRecord& f = picture.frames[frame];
    SpanImageView v;
    v.width = f.width;
    v.height = f.height;
    v.runs = f.spans.data();
    v.runCount = f.spans.size();
    v.pixels = picture.PixelBytes() + f.dataOffset;
    v.indexed = picture.Palettised();
    return v;
}

void BlitSpans(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
               int32_t y, const SpanStyle& style) {
    if (!target.bits || image.runCount == 0 || image.indexed || WhollyOutside(clip, image, x, y)) return;
    if (style.outline) DrawOutline(target, clip, image, x, y, style.mirrored, style.flipVertical);
    const uint16_t* pixels = reinterpret_cast<const uint16_t*>(image.pixels);
    const int kind = style.kind;
    const uint16_t t = style.transparent;
    if (!style.grey && !style.highlight && !style.tint && !style.blendHalf && style.opacity >= 255) {
        // The plain copy, the most common, without the choice for every run.
        if (!style.mirrored && !style.flipVertical && x >= clip.left && y >= clip.top &&
            int64_t(x) + image.width <= clip.right && int64_t(y) + image.height <= clip.bottom) {
            CopyRunsInside(target, clip, image, x, y, t);
            return;
        }
        ForEachVisibleRun(clip, image, x, y, style.mirrored, style.flipVertical, [&](const VisibleRun& v) {
            CopyRun(PixelRow(target, v.destY) + v.destX, pixels + v.pixelIndex + v.storeStart, v.count,
                    style.mirrored, t);
        });
        return;
    }
    ForEachVisibleRun(clip, image, x, y, style.mirrored, style.flipVertical, [&](const VisibleRun& v) {
        uint16_t* dst = PixelRow(target, v.destY) + v.destX;
        const uint16_t* src = pixels + v.pixelIndex + v.storeStart;
        const bool m = style.mirrored;
        if (style.grey) {
            if (HasColorArithmetic(kind))
                ApplyRun(dst, src, v.count, m, t, false,
                         [&](uint16_t s, uint16_t) { return GreyPixel(s, kind); });
        } else if (style.highlight) {
            ApplyRun(dst, src, v.count, m, t, false, [&](uint16_t s, uint16_t) {
                uint16_t p = HighlightPixel(s, kind);
                return style.tint ? TintPixel(p, kind, style.tintFactors) : p;
            });
        } else if (style.tint) {
            ApplyRun(dst, src, v.count, m, t, false,
                     [&](uint16_t s, uint16_t) { return TintPixel(s, kind, style.tintFactors); });
        } else if (style.blendHalf) {
            ApplyRun(dst, src, v.count, m, t, true,
                     [&](uint16_t s, uint16_t d) { return BlendHalfPixel(s, d, kind); });
        } else if (style.opacity >= 255) {
            CopyRun(dst, src, v.count, m, t);
        } else if (style.opacity > 0) {
            ApplyRun(dst, src, v.count, m, t, false,
                     [&](uint16_t s, uint16_t d) { return BlendPixel(s, d, kind, style.opacity); });
        }
    });
}

float GlowPhase(uint32_t ms) {
    float p = float(ms % 2000) * 0.001f + 1.0f;
    return p > 2.0f ? 4.0f - p : p;
}

void PrepareIndexedPalette(const uint16_t* source, uint16_t* out, int kind, bool glow, float phase, bool tint,
                           const float tintFactors[3], bool grey) {
    std::memcpy(out, source, 256 * sizeof(uint16_t));
    if (!HasColorArithmetic(kind)) return;
    for (int i = 0; i < 256; ++i) {
        uint16_t p = out[i];
        if (glow) {
            PixelChannels c = SplitPixel(p, kind);
            const float f =
                (0.59f * float(Green5(c)) + 0.1f * float(c.r) + 0.3f * float(c.b) + 0.01f) * 0.0625f * phase;
            c.r = SaturateChannel(float(c.r) * f, 31);
            c.g = SaturateChannel(float(c.g) * f, c.gMax);
            c.b = SaturateChannel(float(c.b) * f, 31);
            p = JoinPixel(c, kind);
        }
        if (tint) p = TintPixel(p, kind, tintFactors);
        if (grey) p = GreyPixel(p, kind);
        out[i] = p;
    }
}

void BlitSpansIndexed(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                      int32_t y, const uint16_t* palette, const IndexedStyle& style) {
    if (!target.bits || image.runCount == 0 || !image.indexed || !palette || WhollyOutside(clip, image, x, y))
        return;
    if (style.outline) DrawOutline(target, clip, image, x, y, style.mirrored, style.flipVertical);
    const bool m = style.mirrored;
    if (!style.wash) {
        ForEachVisibleRun(clip, image, x, y, m, style.flipVertical, [&](const VisibleRun& v) {
            uint16_t* dst = PixelRow(target, v.destY) + v.destX;
            const uint8_t* src = image.pixels + v.pixelIndex + v.storeStart;
            for (int32_t i = 0; i < v.count; ++i) dst[i] = palette[src[m ? v.count - 1 - i : i]];
        });
        return;
    }
    const int kind = HasColorArithmetic(style.kind) ? style.kind : PIXEL_KIND_565;
    const int gMax = kind == PIXEL_KIND_555 ? 31 : 63;
    float rw = 31.0f, gw = float(gMax), bw = 31.0f;
    if (style.washColor) {
        rw = style.washColor[0] / 255.0f * 31.0f;
        gw = style.washColor[1] / 255.0f * float(gMax);
        bw = style.washColor[2] / 255.0f * 31.0f;
    }
    const float a = style.washWeight == -1.0f ? 0.5f * style.glowPhase : style.washWeight;
    float theta = float(style.timeMs) * 0.01f;
    ForEachVisibleRun(clip, image, x, y, m, style.flipVertical, [&](const VisibleRun& v) {
        uint16_t* dst = PixelRow(target, v.destY) + v.destX;
        const uint8_t* src = image.pixels + v.pixelIndex + v.storeStart;
        for (int32_t i = 0; i < v.count; ++i) {
            PixelChannels c = SplitPixel(palette[src[m ? v.count - 1 - i : i]], kind);
            const float s = std::sin(theta);
            const int wr = int(s * rw) & 31, wg = int(s * gw) & gMax, wb = int(s * bw) & 31;
            c.r = SaturateChannel(float(wr) * (1.0f - a) + float(c.r) * a, 31);
            c.g = SaturateChannel(float(wg) * (1.0f - a) + float(c.g) * a, c.gMax);
            c.b = SaturateChannel(float(wb) * (1.0f - a) + float(c.b) * a, 31);
            dst[i] = JoinPixel(c, kind);
            theta += 1.0f;
        }
    });
}

bool FillSpan(uint16_t* pixels, int32_t pixelsPerRow, const ClipRect& clip, int32_t x, int32_t y,
              int32_t length, int32_t rows, uint16_t colour) {
    const int64_t x0 = std::max<int64_t>(x, clip.left),
                  x1 = std::min<int64_t>(int64_t(x) + length, clip.right);
    const int64_t y0 = std::max<int64_t>(y, clip.top), y1 = std::min<int64_t>(int64_t(y) + rows, clip.bottom);
    if (!pixels || x1 <= x0 || y1 <= y0) return true;
    for (int64_t row = y0; row < y1; ++row) std::fill_n(pixels + row * pixelsPerRow + x0, x1 - x0, colour);
    return true;
}

void BlitSpansSolid(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                    int32_t y, bool mirrored) {
    if (!target.bits || image.runCount == 0 || WhollyOutside(clip, image, x, y)) return;
    ForEachVisibleRun(clip, image, x, y, mirrored, false, [&](const VisibleRun& v) {
        std::fill_n(PixelRow(target, v.destY) + v.destX, v.count, kWhite);
    });
}

namespace {

// One run's shadow: row t and column s relative to the drawing position.
struct ShadowRun {
    int32_t s, t, length;
};

template <class Fn>
void ForEachShadowRun(const SpanImageView& image, bool mirrored, Fn&& fn) {
    if (image.runCount == 0) return;
    const int32_t bottom = image.runs[image.runCount - 1].y;
    for (size_t i = 0; i < image.runCount; ++i) {
        const SpanRun& r = image.runs[i];
        if ((r.y & 1) || r.length <= 0) continue;
        const int32_t t = (r.y + bottom) / 2;
        const int32_t s = (mirrored ? image.width - r.x - r.length : r.x) + (bottom - t);
        fn(ShadowRun{s, t, r.length});
    }
}

// A shadow run clipped to the screen: n pixels from (X, Y), c its shadow column after the left cut.
struct ClippedShadow {
    int32_t X, Y, c, n;
};

bool ClipShadowRun(const ClipRect& clip, int32_t x, int32_t y, const ShadowRun& r, ClippedShadow& out) {
    int64_t X = int64_t(x) + r.s, Y = int64_t(y) + r.t;
    if (X >= clip.right || Y >= clip.bottom || Y < clip.top) return false;
    int64_t len = r.length, c = r.s;
    if (X + len >= clip.right) len = clip.right - X;
    if (X < clip.left) {
        const int64_t drop = clip.left - X;
        if (drop > len) return false;
        len -= drop;
        c += drop;
        X = clip.left;
    }
    const int64_t n = len - 1;  // the run's last pixel casts no shadow
    if (n <= 0) return false;
    out = {int32_t(X), int32_t(Y), int32_t(c), int32_t(n)};
    return true;
}

}  // namespace

void BlitHardShadow(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                    int32_t y, bool mirrored) {
    if (!target.bits) return;
    ForEachShadowRun(image, mirrored, [&](const ShadowRun& r) {
        ClippedShadow c;
        if (ClipShadowRun(clip, x, y, r, c)) std::fill_n(PixelRow(target, c.Y) + c.X, c.n, uint16_t(0));
    });
}

bool RenderSoftShadow(const PixelTarget& work, int32_t side, const ClipRect& clip, const SpanImageView& image,
                      int32_t x, int32_t y, bool mirrored, SoftShadowQuad& quad) {
    int32_t minS = 10000, maxS = -10000, minT = 10000, maxT = -10000;
    ForEachShadowRun(image, mirrored, [&](const ShadowRun& r) {
        minS = std::min(minS, r.s);
        maxS = std::max(maxS, r.s + r.length);
        minT = std::min(minT, r.t);
        maxT = std::max(maxT, r.t + 1);
    });
    const int32_t w = maxS - minS, h = maxT - minT;
    if (w <= 0 || h <= 0 || !work.bits || side <= 0) return false;
    const float kx = std::min(float(side) / float(w), 1.0f), ky = std::min(float(side) / float(h), 1.0f);
    const int32_t cols = std::min(side, work.width), rows = std::min(side, work.height);
    for (int32_t row = 0; row < rows; ++row) std::fill_n(PixelRow(work, row), cols, uint16_t(0));
    ForEachShadowRun(image, mirrored, [&](const ShadowRun& r) {
        ClippedShadow c;
        if (!ClipShadowRun(clip, x, y, r, c)) return;
        const int32_t row = int32_t(float(r.t - minT) * ky);
        const int32_t col = int32_t(float(c.c - minS) * kx);
        if (row < 0 || row >= rows || col < 0 || col >= cols) return;
        const int32_t n = std::min(int32_t(float(c.n) * kx), cols - col);
        std::fill_n(PixelRow(work, row) + col, n, kWhite);
    });
    quad = {minS, maxS, minT, maxT, float(w) * kx / float(side), float(h) * ky / float(side)};
    return true;
}

namespace {

bool LimitRect(const PixelTarget& t, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) {
    if (!t.bits) return false;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    if (x2 >= t.width) x2 = t.width - 1;
    if (y2 >= t.height) y2 = t.height - 1;
    return x2 - x1 > 0 && y2 - y1 > 0;
}

}  // namespace

void FillRectPixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    uint16_t colour) {
    if (!LimitRect(target, x1, y1, x2, y2)) return;
    for (int32_t row = y1; row < y2; ++row) std::fill_n(PixelRow(target, row) + x1, x2 - x1, colour);
}

void DrawRectOutlinePixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint16_t colour) {
    if (!LimitRect(target, x1, y1, x2, y2)) return;
    std::fill_n(PixelRow(target, y1) + x1, x2 - x1 + 1, colour);
    std::fill_n(PixelRow(target, y2) + x1, x2 - x1 + 1, colour);
    for (int32_t row = y1; row <= y2; ++row) {
        PixelRow(target, row)[x1] = colour;
        PixelRow(target, row)[x2] = colour;
    }
}

void DrawLinePixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    uint16_t colour) {
    if (!target.bits || target.width <= 0 || target.height <= 0) return;
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    // The point of step k: the major axis moves one pixel, the minor one is rounded.
    const auto minor = [&](int64_t k, int64_t start, int64_t delta) {
        const int64_t num = 2 * k * delta + steps;
        const int64_t den = 2 * steps;
        return start + (num >= 0 ? num / den : -((-num + den - 1) / den));
    };
    // Only the steps whose major coordinate lies on the target are walked.
    const int64_t start = xMajor ? x1 : y1, limit = xMajor ? target.width : target.height;
    const int64_t dir = (xMajor ? dx : dy) >= 0 ? 1 : -1;
    int64_t k0 = 0, k1 = steps;
    if (steps > 0) {
        const int64_t a = dir > 0 ? -start : start - (limit - 1);
        const int64_t b = dir > 0 ? limit - 1 - start : start;
        k0 = std::max<int64_t>(k0, a);
        k1 = std::min<int64_t>(k1, b);
    }
    for (int64_t k = k0; k <= k1; ++k) {
        const int64_t x = steps == 0 ? x1 : xMajor ? x1 + dir * k : minor(k, x1, dx);
        const int64_t y = steps == 0 ? y1 : xMajor ? minor(k, y1, dy) : y1 + dir * k;
        if (x >= 0 && y >= 0 && x < target.width && y < target.height)
            PixelRow(target, int32_t(y))[x] = colour;
    }
}
