// The forms of the spans in simd_spans.h, written once over a set of 16-bit
// lane operations and made for SSE2 (simd_spans.cpp) and AVX2
// (simd_spans_avx2.cpp, built for that instruction set). Everything here has
// internal linkage, so that code built for AVX2 is never shared with callers
// built without it; for the same reason it uses no library templates.
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "platform/raster/simd_spans.h"

namespace plat::raster {

// The AVX2 forms (simd_spans_avx2.cpp).
void SpriteRunsAvx2(const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs, int count);
void KeyedRunAvx2(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high);

namespace {

// Eight 16-bit lanes.
struct Sse2Lanes {
    using Reg = __m128i;
    static constexpr int kLanes = 8;
    static constexpr int kAllLanes = 0xFFFF;
    static Reg Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint16_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    // Four lanes from a, four from b.
    static Reg LoadHalves(const uint16_t* a, const uint16_t* b) {
        return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
    }
    static void StoreHalves(uint16_t* a, uint16_t* b, Reg v) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(a), v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(b), _mm_unpackhi_epi64(v, v));
    }
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

// a * b / 255 rounded, as Mul255, on lanes of 8-bit values.
template <class V>
inline typename V::Reg Mul255Lanes(typename V::Reg a, typename V::Reg b) {
    const typename V::Reg t = V::Add(V::Mullo(a, b), V::Set1(128));
    return V::template Srli<8>(V::Add(t, V::template Srli<8>(t)));
}

// All ones in the lanes whose value, read unsigned, lies in [low, high]
// (both given with the top bit flipped).
template <class V>
inline typename V::Reg InRangeLanes(typename V::Reg v, typename V::Reg flippedLow,
                                    typename V::Reg flippedHigh) {
    const typename V::Reg s = V::Xor(v, V::Set1(int16_t(-32768)));
    return V::AndNot(V::Or(V::CmpLt(s, flippedLow), V::CmpGt(s, flippedHigh)), V::Set1(-1));
}

// Texels of alpha 0 change nothing: failing the alpha test, or blended away
// (on 5-5-5 a blend still clears the unused top bit).
inline bool ZeroAlphaHidden(const SpriteRunState& st, bool is565) {
    return (st.blend && is565) || (0 >= st.passLow && 0 <= st.passHigh) == st.passInverted;
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

// The constants of a sprite run, in lanes, and the shading of one block.
template <class V, bool k565, bool kBlend>
struct SpriteLanes {
    using R = typename V::Reg;
    R c255 = V::Set1(255), c15 = V::Set1(15), c31 = V::Set1(31), gMask = V::Set1(k565 ? 63 : 31);
    R da, dr, dg, db, passLow, passHigh, invert, keyLow, keyHigh;
    bool keyOn, zeroHidden;
    // The diffuse colour's common cases: alpha 255 (the texel's alpha as it
    // is), white (the texel's colour as it is) and black (no colour).
    bool opaqueDiffuse, whiteDiffuse, blackDiffuse;
    explicit SpriteLanes(const SpriteRunState& st)
        : da(V::Set1(st.diffuse.a)),
          dr(V::Set1(st.diffuse.r)),
          dg(V::Set1(st.diffuse.g)),
          db(V::Set1(st.diffuse.b)),
          passLow(V::Set1(int16_t(st.passLow - 1))),
          passHigh(V::Set1(int16_t(st.passHigh + 1))),
          invert(st.passInverted ? V::Set1(-1) : V::Zero()),
          keyLow(V::Set1(int16_t(st.keyLow ^ 0x8000))),
          keyHigh(V::Set1(int16_t(st.keyHigh ^ 0x8000))),
          keyOn(st.keyOn),
          zeroHidden(ZeroAlphaHidden(st, k565)),
          opaqueDiffuse(st.diffuse.a == 255),
          whiteDiffuse(st.diffuse.r == 255 && st.diffuse.g == 255 && st.diffuse.b == 255),
          blackDiffuse(st.diffuse.r == 0 && st.diffuse.g == 0 && st.diffuse.b == 0) {}

    // Mul255 of a 4-bit channel widened to 8 bits and the diffuse channel.
    static R Channel(R nibble, R diffuse, bool diffuseFull) {
        const R wide = V::Or(V::template Slli<4>(nibble), nibble);
        return diffuseFull ? wide : Mul255Lanes<V>(wide, diffuse);
    }

    // True when every texel of raw has alpha 0 and so changes nothing.
    bool Hidden(R raw) const {
        return zeroHidden && V::MoveMask(V::CmpEq(V::template Srli<12>(raw), V::Zero())) == V::kAllLanes;
    }

    // What the pixels p become under the texels raw.
    R Shade(R raw, R p) const {
        const R a = Channel(V::template Srli<12>(raw), da, opaqueDiffuse);
        R pass = V::Xor(V::And(V::CmpGt(a, passLow), V::CmpLt(a, passHigh)), invert);
        if (keyOn) pass = V::AndNot(InRangeLanes<V>(raw, keyLow, keyHigh), pass);
        R r = V::Zero(), g = V::Zero(), b = V::Zero();
        if (!blackDiffuse) {
            r = Channel(V::And(V::template Srli<8>(raw), c15), dr, whiteDiffuse);
            g = Channel(V::And(V::template Srli<4>(raw), c15), dg, whiteDiffuse);
            b = Channel(V::And(raw, c15), db, whiteDiffuse);
        }
        if constexpr (kBlend) {
            const R ia = V::Sub(c255, a);
            const R r5 = k565 ? V::template Srli<11>(p) : V::And(V::template Srli<10>(p), c31);
            const R gf = V::And(V::template Srli<5>(p), gMask);
            const R b5 = V::And(p, c31);
            const R pr = V::Or(V::template Slli<3>(r5), V::template Srli<2>(r5));
            const R pg = k565 ? V::Or(V::template Slli<2>(gf), V::template Srli<4>(gf))
                              : V::Or(V::template Slli<3>(gf), V::template Srli<2>(gf));
            const R pb = V::Or(V::template Slli<3>(b5), V::template Srli<2>(b5));
            if (blackDiffuse) {
                r = Mul255Lanes<V>(pr, ia);
                g = Mul255Lanes<V>(pg, ia);
                b = Mul255Lanes<V>(pb, ia);
            } else {
                r = V::Min(V::Add(Mul255Lanes<V>(r, a), Mul255Lanes<V>(pr, ia)), c255);
                g = V::Min(V::Add(Mul255Lanes<V>(g, a), Mul255Lanes<V>(pg, ia)), c255);
                b = V::Min(V::Add(Mul255Lanes<V>(b, a), Mul255Lanes<V>(pb, ia)), c255);
            }
        }
        const R out = k565 ? V::Or(V::Or(V::template Slli<11>(V::template Srli<3>(r)),
                                         V::template Slli<5>(V::template Srli<2>(g))),
                                   V::template Srli<3>(b))
                           : V::Or(V::Or(V::template Slli<10>(V::template Srli<3>(r)),
                                         V::template Slli<5>(V::template Srli<3>(g))),
                                   V::template Srli<3>(b));
        return V::Or(V::And(pass, out), V::AndNot(pass, p));
    }

    // A run of at least one block. The last block overlaps the one before;
    // it is shaded from the pixels as they were, so the pixels both cover
    // come out the same from either.
    void Run(uint16_t* row, const uint16_t* texels, int n) const {
        const int last = n - V::kLanes;
        const R lastRaw = V::Load(texels + last);
        const bool lastHidden = Hidden(lastRaw);
        const R lastOut = lastHidden ? lastRaw : Shade(lastRaw, V::Load(row + last));
        for (int x = 0; x < last; x += V::kLanes) {
            const R raw = V::Load(texels + x);
            if (!Hidden(raw)) V::Store(row + x, Shade(raw, V::Load(row + x)));
        }
        if (!lastHidden) V::Store(row + last, lastOut);
    }
};

// The runs, each through the widest lanes it fills: V's, then eight lanes,
// then two overlapping halves of four, then one pixel at a time.
template <class V, bool k565, bool kBlend>
void SpriteRunsLanes(const SpriteRunState& st, const SpriteRunRef* runs, int count) {
    const SpriteLanes<V, k565, kBlend> wide(st);
    const SpriteLanes<Sse2Lanes, k565, kBlend> narrow(st);
    for (int i = 0; i < count; ++i) {
        uint16_t* row = runs[i].row;
        const uint16_t* texels = runs[i].texels;
        const int n = runs[i].n;
        if (n >= V::kLanes) {
            wide.Run(row, texels, n);
        } else if (n >= Sse2Lanes::kLanes) {
            narrow.Run(row, texels, n);
        } else if (n >= 4) {
            const __m128i raw = Sse2Lanes::LoadHalves(texels, texels + n - 4);
            if (!narrow.Hidden(raw))
                Sse2Lanes::StoreHalves(row, row + n - 4,
                                       narrow.Shade(raw, Sse2Lanes::LoadHalves(row, row + n - 4)));
        } else {
            SpriteRunScalar<k565>(st, row, texels, n);
        }
    }
}

template <class V>
void SpriteRunsBy(const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs, int count) {
    const bool is565 = target == PixelFormat::kRgb565;
    if (st.blend) {
        if (is565)
            SpriteRunsLanes<V, true, true>(st, runs, count);
        else
            SpriteRunsLanes<V, false, true>(st, runs, count);
    } else {
        if (is565)
            SpriteRunsLanes<V, true, false>(st, runs, count);
        else
            SpriteRunsLanes<V, false, false>(st, runs, count);
    }
}

// One block of a keyed copy: the source lanes outside the key's range.
template <class V>
inline void KeyedBlock(uint16_t* dst, const uint16_t* src, typename V::Reg flippedLow,
                       typename V::Reg flippedHigh) {
    const typename V::Reg s = V::Load(src);
    const typename V::Reg keyed = InRangeLanes<V>(s, flippedLow, flippedHigh);
    const int mask = V::MoveMask(keyed);
    if (mask == V::kAllLanes) return;
    V::Store(dst, mask == 0 ? s : V::Or(V::And(keyed, V::Load(dst)), V::AndNot(keyed, s)));
}

// A keyed copy gives the same pixels when a part of it is done twice, so a
// run that does not fill its last block ends with a block overlapping the
// one before; runs shorter than V's block take eight lanes the same way,
// then halves of four, then one pixel at a time.
template <class V>
void KeyedRunLanes(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    using N = Sse2Lanes;
    if (n >= 4) {
        const typename N::Reg narrowLow = N::Set1(int16_t(low ^ 0x8000)),
                              narrowHigh = N::Set1(int16_t(high ^ 0x8000));
        if (n >= V::kLanes) {
            const typename V::Reg flippedLow = V::Set1(int16_t(low ^ 0x8000)),
                                  flippedHigh = V::Set1(int16_t(high ^ 0x8000));
            for (int x = 0; x + V::kLanes <= n; x += V::kLanes)
                KeyedBlock<V>(dst + x, src + x, flippedLow, flippedHigh);
            if (n % V::kLanes)
                KeyedBlock<V>(dst + n - V::kLanes, src + n - V::kLanes, flippedLow, flippedHigh);
        } else if (n >= N::kLanes) {
            KeyedBlock<N>(dst, src, narrowLow, narrowHigh);
            KeyedBlock<N>(dst + n - N::kLanes, src + n - N::kLanes, narrowLow, narrowHigh);
        } else {
            const __m128i s = N::LoadHalves(src, src + n - 4);
            const __m128i keyed = InRangeLanes<N>(s, narrowLow, narrowHigh);
            N::StoreHalves(dst, dst + n - 4,
                           N::Or(N::And(keyed, N::LoadHalves(dst, dst + n - 4)), N::AndNot(keyed, s)));
        }
        return;
    }
    for (int x = 0; x < n; ++x)
        if (src[x] < low || src[x] > high) dst[x] = src[x];
}

}  // namespace
}  // namespace plat::raster
