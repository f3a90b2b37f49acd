// The span routines of the software device: what the general pipeline and
// the specialised spans share, and the entry points the triangle set-up in
// device3d.cpp calls. Every specialised span gives exactly what the general
// one gives for the same state.
#pragma once
#include <algorithm>
#include <cstdint>

#include "platform/raster/device3d.h"
#include "platform/raster/simd_spans.h"

namespace plat::raster {

inline uint8_t Clamp255(int v) {
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline uint8_t FixedToByte(int64_t f) {
    return Clamp255(int((f + 0x8000) >> 16));
}

// Interpolated values along a span, all 16.16 fixed point (depth in units of
// the 16-bit depth buffer) except the texture coordinates, which keep 32
// fractional bits of the normalised coordinate.
struct SpanValues {
    int64_t a, r, g, b, sr, sg, sb;
    int64_t u, v;
    int64_t z;
    int64_t u2, v2;
};
constexpr int kSpanValueCount = 12;

inline int64_t* SpanValuePointers(SpanValues& s, int i) {
    int64_t* p[kSpanValueCount] = {&s.a,  &s.r, &s.g, &s.b, &s.sr, &s.sg,
                                   &s.sb, &s.u, &s.v, &s.z, &s.u2, &s.v2};
    return p[i];
}

inline void Step(SpanValues& s, const SpanValues& d) {
    s.a += d.a;
    s.r += d.r;
    s.g += d.g;
    s.b += d.b;
    s.sr += d.sr;
    s.sg += d.sg;
    s.sb += d.sb;
    s.u += d.u;
    s.v += d.v;
    s.z += d.z;
    s.u2 += d.u2;
    s.v2 += d.v2;
}

// floor(n / d) for d > 0.
inline int64_t FloorDiv(int64_t n, int64_t d) {
    const int64_t q = n / d;
    return q - int64_t(n % d != 0 && n < 0);
}

// floor((n0 + k * step) / d) for k = 0, 1, 2, ..., stepping without dividing
// after the first (d > 0).
class FloorWalk {
public:
    FloorWalk() = default;
    FloorWalk(int64_t n0, int64_t step, int64_t d)
        : m_value(FloorDiv(n0, d)), m_d(d), m_stepValue(FloorDiv(step, d)) {
        m_rest = n0 - m_value * d;
        m_stepRest = step - m_stepValue * d;
    }
    int64_t Value() const { return m_value; }
    void Next() {
        m_value += m_stepValue;
        m_rest += m_stepRest;
        if (m_rest >= m_d) {
            m_rest -= m_d;
            ++m_value;
        }
    }

private:
    int64_t m_value = 0, m_rest = 0, m_d = 1, m_stepValue = 0, m_stepRest = 0;
};

inline uint16_t DepthOf(int64_t z) {
    const int64_t d = (z + 0x8000) >> 16;
    return uint16_t(d < 0 ? 0 : (d > 65535 ? 65535 : d));
}

// Maps an integer texel coordinate into the texture by the address mode;
// returns false for a border texel.
inline bool Address(int& t, int size, TextureAddress mode) {
    switch (mode) {
        case TextureAddress::kWrap:
            t %= size;
            if (t < 0) t += size;
            return true;
        case TextureAddress::kMirror: {
            int period = size * 2;
            t %= period;
            if (t < 0) t += period;
            if (t >= size) t = period - 1 - t;
            return true;
        }
        case TextureAddress::kClamp:
            t = std::clamp(t, 0, size - 1);
            return true;
        case TextureAddress::kBorder:
            return t >= 0 && t < size;
    }
    return true;
}

template <class T>
inline bool Compare(CompareFunc f, T value, T ref) {
    switch (f) {
        case CompareFunc::kNever:
            return false;
        case CompareFunc::kLess:
            return value < ref;
        case CompareFunc::kEqual:
            return value == ref;
        case CompareFunc::kLessEqual:
            return value <= ref;
        case CompareFunc::kGreater:
            return value > ref;
        case CompareFunc::kNotEqual:
            return value != ref;
        case CompareFunc::kGreaterEqual:
            return value >= ref;
        case CompareFunc::kAlways:
            return true;
    }
    return true;
}

// Everything a span needs, fixed for one triangle.
struct TriangleContext {
    Surface* target;
    Surface* depth;  // null unless the depth test is on
    const RenderState* state;
    const StageState* stages;
};

// The general pipeline, pixel by pixel: both stages, the tests and the blend.
void ShadeSpanGeneral(const TriangleContext& ctx, int y, int x0, int x1, SpanValues s, const SpanValues& d);

// The sprite case: one A4R4G4B4 texture, point sampled, modulated by a constant
// diffuse colour, alpha-blended (or copied) onto a 5-6-5 or 5-5-5 target.
// Gives exactly what ShadeSpanGeneral gives for the same state; the colour
// arithmetic is looked up in tables made for the triangle's diffuse colour.
struct SpriteSpan {
    const Surface* tex;
    TextureAddress addrU, addrV;
    bool blend, colorKey;
    bool alphaPass[16];
    uint8_t r[16], g[16], b[16];
    // Blend terms by texel alpha nibble: source channel (by colour nibble) and
    // destination channel (by the target's 5- or 6-bit field).
    uint8_t srcR[16][16], srcG[16][16], srcB[16][16];
    uint8_t dstR[16][32], dstG[16][64], dstB[16][32];
    // The same for a run of texels that maps one to one onto the pixels.
    SpriteRunState run;
};

// The tables of the sprite span for one triangle's diffuse colour.
void BuildSpriteTables(SpriteSpan& sp, Argb diffuse, const RenderState& rs, PixelFormat target);

// The runs of a triangle's rows whose texels land one to one on the pixels,
// gathered and drawn together (the rows of a triangle never overlap).
struct SpriteRunBatch {
    static constexpr int kCapacity = 64;
    static constexpr int kRepeatWidth = 1024;
    SpriteRunRef runs[kCapacity];
    int count = 0;
    // One texel repeated, for rows that stretch a single texel: runs waiting
    // in the batch may point into it. Its first repeatedCount entries hold it.
    uint16_t repeated[kRepeatWidth];
    int repeatedCount = 0;
    uint16_t repeatedTexel = 0;
};
void FlushSpriteRuns(const SpriteSpan& sp, PixelFormat target, SpriteRunBatch& batch);

// Made for the 5-6-5 and 5-5-5 targets. A row whose texels land one to one
// goes into the batch; the caller flushes it at the end of the triangle.
template <PixelFormat kTarget>
void ShadeSpanSprite(const SpriteSpan& sp, Surface& target, int y, int x0, int x1, int64_t u, int64_t v,
                     int64_t du, int64_t dv, SpriteRunBatch& batch);

// The shaded case: vertex colours interpolated across the triangle and
// modulated by a point-sampled texture, then copied or blended source alpha
// over its inverse onto a 5-6-5 or 5-5-5 target. A missing or uniform texture
// is one texel for the whole triangle. Gives exactly what ShadeSpanGeneral
// gives for the same state.
enum class ShadedTexture : uint8_t { kConstant, k4444, kOther };

struct ShadedSpan {
    const Surface* tex;  // kConstant: unused
    Argb constant;       // kConstant: the one texel
    bool constantWhite;  // kConstant: modulating changes nothing
    TextureAddress addrU, addrV;
    bool colorKey;
    // The alpha test as a range of passing values, or of failing ones when inverted.
    int passLow, passHigh;
    bool passInverted;
};

// The alpha test's passing values as a range (not equal: the failing one).
void AlphaTestRange(const RenderState& rs, int& low, int& high, bool& inverted);
// Made for the 5-6-5 and 5-5-5 targets, blended and copied.
template <PixelFormat kTarget, bool kBlend>
void ShadeSpanShadedBy(const ShadedSpan& sp, Surface& target, int y, int x0, int x1, const SpanValues& s,
                       const SpanValues& d);

}  // namespace plat::raster
