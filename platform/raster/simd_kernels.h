// The vector forms of the spans in simd_spans.h, written once over a set of
// 16-bit lane operations and made for SSE2 (simd_spans.cpp) and AVX2
// (simd_spans_avx2.cpp, built for that instruction set). Everything here has
// internal linkage, so that code built for AVX2 is never shared with callers
// built without it; for the same reason it uses no library templates.
#pragma once
#include <cstdint>

#include "platform/raster/simd_spans.h"

namespace plat::raster {

// The AVX2 forms (simd_spans_avx2.cpp).
void SpriteRunAvx2(const SpriteRunState& st, PixelFormat target, uint16_t* row, const uint16_t* texels,
                   int n);
void KeyedRunAvx2(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high);

namespace {

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

// The constants of a sprite run, in lanes.
template <class V, bool k565>
struct SpriteLanes {
    using R = typename V::Reg;
    R c255 = V::Set1(255), c15 = V::Set1(15), c31 = V::Set1(31), gMask = V::Set1(k565 ? 63 : 31);
    R da, dr, dg, db, passLow, passHigh, invert, keyLow, keyHigh;
    bool keyOn;
    // Texels of alpha 0 change nothing: failing the alpha test, or blended
    // away (on 5-5-5 a blend still clears the unused top bit).
    bool zeroHidden;
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
          zeroHidden((st.blend && k565) || (0 >= st.passLow && 0 <= st.passHigh) == st.passInverted) {}

    // True when every texel of raw has alpha 0 and so changes nothing.
    bool Hidden(R raw) const {
        return zeroHidden && V::MoveMask(V::CmpEq(V::template Srli<12>(raw), V::Zero())) == V::kAllLanes;
    }

    // The pixels p become with the texels raw; pass holds the lanes drawn.
    template <bool kBlend>
    R Shade(R raw, R p, R& pass) const {
        const R an = V::template Srli<12>(raw);
        const R a = Mul255Lanes<V>(V::Or(V::template Slli<4>(an), an), da);
        pass = V::Xor(V::And(V::CmpGt(a, passLow), V::CmpLt(a, passHigh)), invert);
        if (keyOn) pass = V::AndNot(InRangeLanes<V>(raw, keyLow, keyHigh), pass);
        const R rn = V::And(V::template Srli<8>(raw), c15), gn = V::And(V::template Srli<4>(raw), c15),
                bn = V::And(raw, c15);
        R r = Mul255Lanes<V>(V::Or(V::template Slli<4>(rn), rn), dr);
        R g = Mul255Lanes<V>(V::Or(V::template Slli<4>(gn), gn), dg);
        R b = Mul255Lanes<V>(V::Or(V::template Slli<4>(bn), bn), db);
        if constexpr (kBlend) {
            const R ia = V::Sub(c255, a);
            const R r5 = k565 ? V::template Srli<11>(p) : V::And(V::template Srli<10>(p), c31);
            const R gf = V::And(V::template Srli<5>(p), gMask);
            const R b5 = V::And(p, c31);
            const R pr = V::Or(V::template Slli<3>(r5), V::template Srli<2>(r5));
            const R pg = k565 ? V::Or(V::template Slli<2>(gf), V::template Srli<4>(gf))
                              : V::Or(V::template Slli<3>(gf), V::template Srli<2>(gf));
            const R pb = V::Or(V::template Slli<3>(b5), V::template Srli<2>(b5));
            r = V::Min(V::Add(Mul255Lanes<V>(r, a), Mul255Lanes<V>(pr, ia)), c255);
            g = V::Min(V::Add(Mul255Lanes<V>(g, a), Mul255Lanes<V>(pg, ia)), c255);
            b = V::Min(V::Add(Mul255Lanes<V>(b, a), Mul255Lanes<V>(pb, ia)), c255);
        }
        const R out = k565 ? V::Or(V::Or(V::template Slli<11>(V::template Srli<3>(r)),
                                         V::template Slli<5>(V::template Srli<2>(g))),
                                   V::template Srli<3>(b))
                           : V::Or(V::Or(V::template Slli<10>(V::template Srli<3>(r)),
                                         V::template Slli<5>(V::template Srli<3>(g))),
                                   V::template Srli<3>(b));
        return V::Or(V::And(pass, out), V::AndNot(pass, p));
    }
};

// n is at least one block of lanes.
template <class V, bool k565, bool kBlend>
void SpriteRunLanes(const SpriteRunState& st, uint16_t* row, const uint16_t* texels, int n) {
    using R = typename V::Reg;
    constexpr int kLanes = V::kLanes;
    const SpriteLanes<V, k565> lanes(st);
    R pass;
    // The last block overlaps the one before; it is shaded from the pixels as
    // they were, so the pixels both cover come out the same from either.
    const int last = n - kLanes;
    const R lastRaw = V::Load(texels + last);
    const bool lastHidden = lanes.Hidden(lastRaw);
    const R lastOut = lastHidden ? lastRaw : lanes.template Shade<kBlend>(lastRaw, V::Load(row + last), pass);
    for (int x = 0; x < last; x += kLanes) {
        const R raw = V::Load(texels + x);
        if (!lanes.Hidden(raw)) V::Store(row + x, lanes.template Shade<kBlend>(raw, V::Load(row + x), pass));
    }
    if (!lastHidden) V::Store(row + last, lastOut);
}

template <class V>
void SpriteRunBy(const SpriteRunState& st, PixelFormat target, uint16_t* row, const uint16_t* texels, int n) {
    const bool is565 = target == PixelFormat::kRgb565;
    if (st.blend) {
        if (is565)
            SpriteRunLanes<V, true, true>(st, row, texels, n);
        else
            SpriteRunLanes<V, false, true>(st, row, texels, n);
    } else {
        if (is565)
            SpriteRunLanes<V, true, false>(st, row, texels, n);
        else
            SpriteRunLanes<V, false, false>(st, row, texels, n);
    }
}

template <class V>
void KeyedRunLanes(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    using R = typename V::Reg;
    constexpr int kLanes = V::kLanes;
    const R flippedLow = V::Set1(int16_t(low ^ 0x8000)), flippedHigh = V::Set1(int16_t(high ^ 0x8000));
    int x = 0;
    for (; x + kLanes <= n; x += kLanes) {
        const R s = V::Load(src + x);
        const R keyed = InRangeLanes<V>(s, flippedLow, flippedHigh);
        const int mask = V::MoveMask(keyed);
        if (mask == V::kAllLanes) continue;
        if (mask == 0) {
            V::Store(dst + x, s);
            continue;
        }
        const R d = V::Load(dst + x);
        V::Store(dst + x, V::Or(V::And(keyed, d), V::AndNot(keyed, s)));
    }
    for (; x < n; ++x)
        if (src[x] < low || src[x] > high) dst[x] = src[x];
}

}  // namespace
}  // namespace plat::raster
