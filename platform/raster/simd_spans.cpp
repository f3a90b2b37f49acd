#include "platform/raster/simd_spans.h"

#include <emmintrin.h>

#include "platform/raster/simd_kernels.h"

namespace plat::raster {

// In simd_spans_avx2.cpp.
void SpriteRunAvx2(const SpriteRunState& st, PixelFormat target, uint16_t* row, const uint16_t* texels,
                   int n);
void KeyedRunAvx2(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high);

namespace {

struct Sse2Lanes {
    using Reg = __m128i;
    static constexpr int kLanes = 8;
    static constexpr int kAllLanes = 0xFFFF;
    static Reg Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint16_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Reg Set1(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Add(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Mullo(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg Min(Reg a, Reg b) { return _mm_min_epi16(a, b); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg AndNot(Reg a, Reg b) { return _mm_andnot_si128(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg Xor(Reg a, Reg b) { return _mm_xor_si128(a, b); }
    static Reg CmpEq(Reg a, Reg b) { return _mm_cmpeq_epi16(a, b); }
    static Reg CmpGt(Reg a, Reg b) { return _mm_cmpgt_epi16(a, b); }
    static Reg CmpLt(Reg a, Reg b) { return _mm_cmplt_epi16(a, b); }
    static int MoveMask(Reg v) { return _mm_movemask_epi8(v); }
    template <int kBits>
    static Reg Srli(Reg v) {
        return _mm_srli_epi16(v, kBits);
    }
    template <int kBits>
    static Reg Slli(Reg v) {
        return _mm_slli_epi16(v, kBits);
    }
};

SimdLevel Detect() {
#if defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
#endif
    return SimdLevel::kSse2;
}

SimdLevel& Active() {
    static SimdLevel level = DetectedSimdLevel();
    return level;
}

// The reference: one pixel at a time.
template <bool k565>
void SpriteRunScalar(const SpriteRunState& st, uint16_t* row, const uint16_t* texels, int n) {
    const Argb& d = st.diffuse;
    for (int x = 0; x < n; ++x) {
        const uint16_t raw = texels[x];
        if (st.keyOn && raw >= st.keyLow && raw <= st.keyHigh) continue;
        const uint32_t a = Mul255(Expand4(raw >> 12), d.a);
        if ((int(a) >= st.passLow && int(a) <= st.passHigh) == st.passInverted) continue;
        uint32_t r = Mul255(Expand4((raw >> 8) & 15), d.r), g = Mul255(Expand4((raw >> 4) & 15), d.g),
                 b = Mul255(Expand4(raw & 15), d.b);
        if (st.blend) {
            const uint16_t p = row[x];
            const uint32_t ia = 255 - a;
            const uint32_t pr = k565 ? Expand5(p >> 11) : Expand5((p >> 10) & 31);
            const uint32_t pg = k565 ? Expand6((p >> 5) & 63) : Expand5((p >> 5) & 31);
            const uint32_t pb = Expand5(p & 31);
            r = Mul255(r, a) + Mul255(pr, ia);
            g = Mul255(g, a) + Mul255(pg, ia);
            b = Mul255(b, a) + Mul255(pb, ia);
            r = r > 255 ? 255 : r;
            g = g > 255 ? 255 : g;
            b = b > 255 ? 255 : b;
        }
        row[x] = k565 ? uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                      : uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
}

void KeyedRunScalar(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    for (int x = 0; x < n; ++x)
        if (src[x] < low || src[x] > high) dst[x] = src[x];
}

}  // namespace

SimdLevel DetectedSimdLevel() {
    static const SimdLevel level = Detect();
    return level;
}

SimdLevel ActiveSimdLevel() {
    return Active();
}

void SetSimdLevel(SimdLevel level) {
    Active() = level <= DetectedSimdLevel() ? level : DetectedSimdLevel();
}

void SpriteRunAt(SimdLevel level, const SpriteRunState& st, PixelFormat target, uint16_t* row,
                 const uint16_t* texels, int n) {
    if (n <= 0) return;
    // The vector forms take runs of a block of lanes or more; shorter ones go
    // to a narrower form or the scalar one.
    const SimdLevel use = level <= DetectedSimdLevel() ? level : DetectedSimdLevel();
    if (use == SimdLevel::kAvx2 && n >= 16) {
        SpriteRunAvx2(st, target, row, texels, n);
        return;
    }
    if (use != SimdLevel::kScalar && n >= 8) {
        SpriteRunBy<Sse2Lanes>(st, target, row, texels, n);
        return;
    }
    if (target == PixelFormat::kRgb565)
        SpriteRunScalar<true>(st, row, texels, n);
    else
        SpriteRunScalar<false>(st, row, texels, n);
}

void SpriteRun(const SpriteRunState& st, PixelFormat target, uint16_t* row, const uint16_t* texels, int n) {
    SpriteRunAt(Active(), st, target, row, texels, n);
}

void KeyedRunAt(SimdLevel level, uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    if (n <= 0) return;
    switch (level <= DetectedSimdLevel() ? level : DetectedSimdLevel()) {
        case SimdLevel::kAvx2:
            KeyedRunAvx2(dst, src, n, low, high);
            return;
        case SimdLevel::kSse2:
            KeyedRunLanes<Sse2Lanes>(dst, src, n, low, high);
            return;
        case SimdLevel::kScalar:
            break;
    }
    KeyedRunScalar(dst, src, n, low, high);
}

void KeyedRun(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    KeyedRunAt(Active(), dst, src, n, low, high);
}

}  // namespace plat::raster
