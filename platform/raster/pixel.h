// 16-bit pixel layouts of the software renderer and their conversions to and
// from 8-bit channels.
#pragma once
#include <cstdint>

namespace plat::raster {

enum class PixelFormat : uint8_t {
    kRgb555,    // X1R5G5B5: red 0x7C00, green 0x03E0, blue 0x001F
    kRgb565,    // R5G6B5: red 0xF800, green 0x07E0, blue 0x001F
    kBgr565,    // 5-6-5 with red in the low bits: red 0x001F, blue 0xF800
    kArgb4444,  // A4R4G4B4: alpha 0xF000
};

struct PixelMasks {
    uint32_t red, green, blue, alpha;
};

PixelMasks MasksOf(PixelFormat format);
bool HasAlpha(PixelFormat format);

// One colour with 8-bit channels.
struct Argb {
    uint8_t a, r, g, b;
};

inline uint8_t Expand5(uint32_t v) {
    return uint8_t((v << 3) | (v >> 2));
}
inline uint8_t Expand6(uint32_t v) {
    return uint8_t((v << 2) | (v >> 4));
}
inline uint8_t Expand4(uint32_t v) {
    return uint8_t(v * 17);
}

inline Argb Unpack(PixelFormat f, uint16_t p) {
    switch (f) {
        case PixelFormat::kRgb555:
            return {255, Expand5((p >> 10) & 31), Expand5((p >> 5) & 31), Expand5(p & 31)};
        case PixelFormat::kRgb565:
            return {255, Expand5(p >> 11), Expand6((p >> 5) & 63), Expand5(p & 31)};
        case PixelFormat::kBgr565:
            return {255, Expand5(p & 31), Expand6((p >> 5) & 63), Expand5(p >> 11)};
        case PixelFormat::kArgb4444:
            return {Expand4(p >> 12), Expand4((p >> 8) & 15), Expand4((p >> 4) & 15), Expand4(p & 15)};
    }
    return {};
}

// Channels are truncated to the layout's bits.
inline uint16_t Pack(PixelFormat f, Argb c) {
    switch (f) {
        case PixelFormat::kRgb555:
            return uint16_t(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
        case PixelFormat::kRgb565:
            return uint16_t(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
        case PixelFormat::kBgr565:
            return uint16_t(((c.b >> 3) << 11) | ((c.g >> 2) << 5) | (c.r >> 3));
        case PixelFormat::kArgb4444:
            return uint16_t(((c.a >> 4) << 12) | ((c.r >> 4) << 8) | ((c.g >> 4) << 4) | (c.b >> 4));
    }
    return 0;
}

inline Argb FromArgb32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
inline uint32_t ToArgb32(Argb c) {
    return (uint32_t(c.a) << 24) | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
}

// Any 16-bit layout to R5G6B5 (what the presenter shows).
inline uint16_t ToRgb565(PixelFormat f, uint16_t p) {
    switch (f) {
        case PixelFormat::kRgb565:
            return p;
        case PixelFormat::kRgb555:
            return uint16_t(((p & 0x7FE0) << 1) | ((p >> 4) & 0x20) | (p & 0x1F));
        case PixelFormat::kBgr565:
            return uint16_t((p >> 11) | (p & 0x07E0) | (p << 11));
        case PixelFormat::kArgb4444:
            return Pack(PixelFormat::kRgb565, Unpack(f, p));
    }
    return 0;
}

// a * b / 255, rounded to nearest, for 8-bit channels.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

}  // namespace plat::raster
