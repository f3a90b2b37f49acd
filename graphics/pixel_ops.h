// 16-bit pixel kinds and the per-pixel colour arithmetic of the images and
// blitters. Pixel kinds are those the display reports: 1 = 5-5-5, 2 = 5-6-5,
// 3 = 5-6-5 with red in the low bits; loaders also know 4 (4-4-4-4 with a
// given alpha) and 6 (8-bit palette indices). Files store 5-6-5.
#pragma once
#include <algorithm>
#include <cstdint>

#include "core/util.h"

enum : int {
    PIXEL_KIND_555 = 1,
    PIXEL_KIND_565 = 2,
    PIXEL_KIND_BGR565 = 3,
    PIXEL_KIND_4444 = 4,
    PIXEL_KIND_INDEXED = 6,
};

// The colour that spans never draw, in the display's format.
inline uint16_t TransparentColorForKind(int displayKind) {
    return displayKind == PIXEL_KIND_565 ? 0xF81F : 0x7C1F;
}

inline uint16_t Pixel565To555(uint16_t c) {
    return uint16_t(((c >> 1) & 0x7FE0) | (c & 0x1F));
}
inline uint16_t Pixel565ToBgr565(uint16_t c) {
    return uint16_t((c & 0x07E0) | (c >> 11) | ((c & 0x1F) << 11));
}
// Red bits 12-15 to 8-11, green 7-10 to 4-7, blue 1-4 to 0-3, the alpha byte ORed in above.
inline uint16_t Pixel565To4444(uint16_t p, uint8_t alpha) {
    return uint16_t(((((p >> 2) & 0x01E0) | (p & 0x001E)) >> 1) | ((p >> 4) & 0x0F00) | (alpha << 8));
}

// A stored 5-6-5 pixel in the layout of a 16-bit loader kind.
inline uint16_t ConvertStoredPixel(uint16_t p, int kind, uint8_t alpha) {
    switch (kind) {
        case PIXEL_KIND_555:
            return Pixel565To555(p);
        case PIXEL_KIND_BGR565:
            return Pixel565ToBgr565(p);
        case PIXEL_KIND_4444:
            return Pixel565To4444(p, alpha);
        default:
            return p;
    }
}

// A stored 5-6-5 palette entry in the display's format.
inline uint16_t ConvertPaletteEntry(uint16_t c, int displayKind) {
    if (displayKind == PIXEL_KIND_555) return Rgb565To555(c);
    if (displayKind == PIXEL_KIND_BGR565) return Pixel565ToBgr565(c);
    return c;
}

// Converts n stored pixels in place, two per 32-bit word where the layout allows.
void ConvertStoredPixels(uint16_t* pixels, size_t n, int kind, uint8_t alpha);

// One pixel split into its channels. Kinds 1, 2 and 3 have colour arithmetic;
// any other kind is left alone by every colour operation.
struct PixelChannels {
    int r, g, b;
    int gMax;       // 31 for 5-5-5, 63 for 5-6-5
    uint16_t keep;  // bits outside the channels (the unused top bit of 5-5-5)
};

inline bool HasColorArithmetic(int kind) {
    return kind == PIXEL_KIND_555 || kind == PIXEL_KIND_565 || kind == PIXEL_KIND_BGR565;
}

inline PixelChannels SplitPixel(uint16_t p, int kind) {
    switch (kind) {
        case PIXEL_KIND_555:
            return {(p >> 10) & 31, (p >> 5) & 31, p & 31, 31, uint16_t(p & 0x8000)};
        case PIXEL_KIND_BGR565:
            return {p & 31, (p >> 5) & 63, p >> 11, 63, 0};
        default:
            return {p >> 11, (p >> 5) & 63, p & 31, 63, 0};
    }
}

inline uint16_t JoinPixel(const PixelChannels& c, int kind) {
    switch (kind) {
        case PIXEL_KIND_555:
            return uint16_t(c.keep | (c.r << 10) | (c.g << 5) | c.b);
        case PIXEL_KIND_BGR565:
            return uint16_t((c.b << 11) | (c.g << 5) | c.r);
        default:
            return uint16_t((c.r << 11) | (c.g << 5) | c.b);
    }
}

// Green reduced to 5 bits, the weight base of grey and glow.
inline int Green5(const PixelChannels& c) {
    return c.gMax == 63 ? c.g >> 1 : c.g;
}

// Grey level of the pixel's channels, green doubled in 5-6-5.
inline uint16_t GreyPixel(uint16_t p, int kind) {
    if (kind == PIXEL_KIND_555) return GreyPixel555(p);
    return HasColorArithmetic(kind) ? GreyPixel565(p) : p;
}

inline int SaturateChannel(float v, int max) {
    if (!(v > 0.0f)) return 0;  // negative factors and NaN give 0
    int i = v >= float(max) ? max : int(v);
    return i;
}

// Channels multiplied by the tint factors, each limited to its field.
inline uint16_t TintPixel(uint16_t p, int kind, const float tint[3]) {
    if (!HasColorArithmetic(kind)) return p;
    PixelChannels c = SplitPixel(p, kind);
    c.r = SaturateChannel(float(c.r) * tint[0], 31);
    c.g = SaturateChannel(float(c.g) * tint[1], c.gMax);
    c.b = SaturateChannel(float(c.b) * tint[2], 31);
    return JoinPixel(c, kind);
}

// Brightened by 10 per channel, limited to the field.
inline uint16_t HighlightPixel(uint16_t p, int kind) {
    if (!HasColorArithmetic(kind)) return p;
    PixelChannels c = SplitPixel(p, kind);
    c.r = std::min(c.r + 10, 31);
    c.g = std::min(c.g + 10, c.gMax);
    c.b = std::min(c.b + 10, 31);
    return JoinPixel(c, kind);
}

// Per-channel average of two pixels.
inline uint16_t BlendHalfPixel(uint16_t a, uint16_t b, int kind) {
    if (!HasColorArithmetic(kind)) return a;
    PixelChannels x = SplitPixel(a, kind), y = SplitPixel(b, kind);
    x.r = (x.r + y.r) >> 1;
    x.g = (x.g + y.g) >> 1;
    x.b = (x.b + y.b) >> 1;
    return JoinPixel(x, kind);
}

// Source over destination with an opacity of 0 to 255.
inline uint16_t BlendPixel(uint16_t src, uint16_t dst, int kind, int opacity) {
    if (!HasColorArithmetic(kind)) return opacity >= 128 ? src : dst;
    PixelChannels s = SplitPixel(src, kind), d = SplitPixel(dst, kind);
    s.r = (s.r * opacity + d.r * (255 - opacity)) / 255;
    s.g = (s.g * opacity + d.g * (255 - opacity)) / 255;
    s.b = (s.b * opacity + d.b * (255 - opacity)) / 255;
    return JoinPixel(s, kind);
}

// 0x00RRGGBB to the display's 16-bit layout.
inline uint16_t ColorToPixel(uint32_t rgb, int kind) {
    if (kind == PIXEL_KIND_555) return Rgb888To555(rgb);
    if (kind == PIXEL_KIND_BGR565) return Pixel565ToBgr565(Rgb888To565(rgb));
    return Rgb888To565(rgb);
}
