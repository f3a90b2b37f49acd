// The specialised spans of the cases the game draws most: sprites (a
// constant diffuse colour over an A4R4G4B4 texture) and shaded triangles
// (vertex colours over a point-sampled texture or none), onto 5-6-5 and
// 5-5-5 targets.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/raster/span_shading.h"

namespace plat::raster {

void BuildSpriteTables(SpriteSpan& sp, Argb diffuse, const RenderState& rs, PixelFormat target) {
    uint8_t alpha[16];
    for (int n = 0; n < 16; ++n) {
        alpha[n] = uint8_t(Mul255(n * 17u, diffuse.a));
        sp.alphaPass[n] = !rs.alphaTest || Compare<uint8_t>(rs.alphaFunc, alpha[n], rs.alphaRef);
        sp.r[n] = uint8_t(Mul255(n * 17u, diffuse.r));
        sp.g[n] = uint8_t(Mul255(n * 17u, diffuse.g));
        sp.b[n] = uint8_t(Mul255(n * 17u, diffuse.b));
    }
    sp.run.diffuse = diffuse;
    AlphaTestRange(rs, sp.run.passLow, sp.run.passHigh, sp.run.passInverted);
    const bool sixGreen = target == PixelFormat::kRgb565;
    for (int an = 0; an < 16; ++an) {
        const uint32_t a = alpha[an], ia = 255 - a;
        for (int n = 0; n < 16; ++n) {
            sp.srcR[an][n] = uint8_t(Mul255(sp.r[n], a));
            sp.srcG[an][n] = uint8_t(Mul255(sp.g[n], a));
            sp.srcB[an][n] = uint8_t(Mul255(sp.b[n], a));
        }
        for (int v = 0; v < 32; ++v) {
            sp.dstR[an][v] = uint8_t(Mul255(Expand5(v), ia));
            sp.dstB[an][v] = uint8_t(Mul255(Expand5(v), ia));
        }
        for (int v = 0; v < 64; ++v)
            sp.dstG[an][v] = uint8_t(Mul255(sixGreen ? Expand6(v) : Expand5(v & 31), ia));
    }
}

namespace {

inline int AddressFast(int t, int size, bool pow2, TextureAddress mode) {
    if (mode == TextureAddress::kClamp) return t < 0 ? 0 : (t >= size ? size - 1 : t);
    if (mode == TextureAddress::kWrap && pow2) return t & (size - 1);
    Address(t, size, mode);
    return t;
}

}  // namespace

void FlushSpriteRuns(const SpriteSpan& sp, PixelFormat target, SpriteRunBatch& batch) {
    if (batch.count > 0) SpriteRuns(sp.run, target, batch.runs, batch.count);
    batch.count = 0;
}

template <PixelFormat kTarget>
void ShadeSpanSprite(const SpriteSpan& sp, Surface& target, int y, int x0, int x1, int64_t u, int64_t v,
                     int64_t du, int64_t dv, SpriteRunBatch& batch) {
    const Surface& t = *sp.tex;
    const int tw = t.Width(), th = t.Height();
    const bool pow2u = (tw & (tw - 1)) == 0, pow2v = (th & (th - 1)) == 0;
    uint16_t* row = target.Row(y);
    const bool keyOn = sp.colorKey && t.HasColorKey();
    const uint16_t klo = t.KeyLow(), khi = t.KeyHigh();
    // Texel position times 2^32, stepped exactly as the general pipeline steps it.
    int64_t U = u * tw, dU = du * tw, V = v * th, dV = dv * th;
    const int texY = dV == 0 ? AddressFast(int(V >> 32), th, pow2v, sp.addrV) : 0;
    const uint16_t* texRow = dV == 0 ? t.Row(texY) : nullptr;
    constexpr bool k565 = kTarget == PixelFormat::kRgb565;
    if (texRow && x1 > x0) {
        // Texel by texel: the step is one texel give or take less than a
        // texel over the whole span, and the texels lie inside the row.
        constexpr int64_t kOne = int64_t(1) << 32;
        const int64_t n = x1 - x0, first = U >> 32, drift = dU - kOne;
        if (drift > -kOne / 2 && drift < kOne / 2) {
            const int64_t endFraction = (U & (kOne - 1)) + drift * (n - 1);
            if (first >= 0 && first + n <= tw && endFraction >= 0 && endFraction < kOne) {
                int64_t from = first, to = first + n;
                // Texels of alpha 0 change nothing when they fail the alpha
                // test or are blended away (on 5-5-5 a blend still clears the
                // unused top bit): the run narrows to the row's other texels.
                if (!sp.alphaPass[0] || (sp.blend && k565)) {
                    int visibleFirst = 0, visibleEnd = 0;
                    t.AlphaExtent(texY, visibleFirst, visibleEnd);
                    from = std::max<int64_t>(from, visibleFirst);
                    to = std::min<int64_t>(to, visibleEnd);
                }
                if (to > from) {
                    batch.runs[batch.count++] = {row + x0 + (from - first), texRow + from, int(to - from)};
                    // A texture drawn onto itself sees each run before the next is read.
                    if (batch.count == SpriteRunBatch::kCapacity || &t == &target)
                        FlushSpriteRuns(sp, kTarget, batch);
                }
                return;
            }
        }
    }
    if (texRow && dU == 0 && &t != &target) {
        // One texel for the whole row (a texel stretched over a quad, as the
        // darkness grid's cells are): the row is that texel repeated, drawn
        // with the triangle's other runs.
        const uint16_t raw = texRow[AddressFast(int(U >> 32), tw, pow2u, sp.addrU)];
        if (batch.repeatedCount > 0 && batch.repeatedTexel != raw) {
            FlushSpriteRuns(sp, kTarget, batch);
            batch.repeatedCount = 0;
        }
        batch.repeatedTexel = raw;
        for (int x = x0; x < x1; x += SpriteRunBatch::kRepeatWidth) {
            const int n = std::min(SpriteRunBatch::kRepeatWidth, x1 - x);
            if (batch.repeatedCount < n) {
                std::fill(batch.repeated + batch.repeatedCount, batch.repeated + n, raw);
                batch.repeatedCount = n;
            }
            batch.runs[batch.count++] = {row + x, batch.repeated, n};
            if (batch.count == SpriteRunBatch::kCapacity) FlushSpriteRuns(sp, kTarget, batch);
        }
        return;
    }
    for (int x = x0; x < x1; ++x, U += dU, V += dV) {
        const uint16_t* tr = texRow ? texRow : t.Row(AddressFast(int(V >> 32), th, pow2v, sp.addrV));
        const uint16_t raw = tr[AddressFast(int(U >> 32), tw, pow2u, sp.addrU)];
        if (keyOn && raw >= klo && raw <= khi) continue;
        const int an = raw >> 12;
        if (!sp.alphaPass[an]) continue;
        const int rn = (raw >> 8) & 15, gn = (raw >> 4) & 15, bn = raw & 15;
        uint32_t r, g, b;
        if (sp.blend) {
            const uint16_t d = row[x];
            if (k565) {
                r = sp.srcR[an][rn] + sp.dstR[an][d >> 11];
                g = sp.srcG[an][gn] + sp.dstG[an][(d >> 5) & 63];
            } else {
                r = sp.srcR[an][rn] + sp.dstR[an][(d >> 10) & 31];
                g = sp.srcG[an][gn] + sp.dstG[an][(d >> 5) & 31];
            }
            b = sp.srcB[an][bn] + sp.dstB[an][d & 31];
            r = r > 255 ? 255 : r;
            g = g > 255 ? 255 : g;
            b = b > 255 ? 255 : b;
        } else {
            r = sp.r[rn];
            g = sp.g[gn];
            b = sp.b[bn];
        }
        if (k565)
            row[x] = uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        else
            row[x] = uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
}

template void ShadeSpanSprite<PixelFormat::kRgb565>(const SpriteSpan&, Surface&, int, int, int, int64_t,
                                                    int64_t, int64_t, int64_t, SpriteRunBatch&);
template void ShadeSpanSprite<PixelFormat::kRgb555>(const SpriteSpan&, Surface&, int, int, int, int64_t,
                                                    int64_t, int64_t, int64_t, SpriteRunBatch&);

// The alpha test's passing values as a range (not equal: the failing one).
void AlphaTestRange(const RenderState& rs, int& low, int& high, bool& inverted) {
    const int ref = rs.alphaRef;
    inverted = false;
    low = 0;
    high = 255;
    if (!rs.alphaTest) return;
    switch (rs.alphaFunc) {
        case CompareFunc::kNever:
            low = 1, high = 0;
            break;
        case CompareFunc::kLess:
            high = ref - 1;
            break;
        case CompareFunc::kEqual:
            low = high = ref;
            break;
        case CompareFunc::kLessEqual:
            high = ref;
            break;
        case CompareFunc::kGreater:
            low = ref + 1;
            break;
        case CompareFunc::kNotEqual:
            low = high = ref;
            inverted = true;
            break;
        case CompareFunc::kGreaterEqual:
            low = ref;
            break;
        case CompareFunc::kAlways:
            break;
    }
}

namespace {

template <PixelFormat kTarget, bool kBlend, ShadedTexture kTex>
void ShadeSpanShaded(const ShadedSpan& sp, Surface& target, int y, int x0, int x1, SpanValues s,
                     const SpanValues& d) {
    uint16_t* row = target.Row(y);
    const Surface* t = sp.tex;
    const int tw = kTex == ShadedTexture::kConstant ? 1 : t->Width();
    const int th = kTex == ShadedTexture::kConstant ? 1 : t->Height();
    const bool pow2u = (tw & (tw - 1)) == 0, pow2v = (th & (th - 1)) == 0;
    const bool keyOn = kTex != ShadedTexture::kConstant && sp.colorKey && t->HasColorKey();
    const uint16_t klo = keyOn ? t->KeyLow() : 0, khi = keyOn ? t->KeyHigh() : 0;
    int64_t U = s.u * tw, dU = d.u * tw, V = s.v * th, dV = d.v * th;
    constexpr bool k565 = kTarget == PixelFormat::kRgb565;
    for (int x = x0; x < x1; ++x, s.a += d.a, s.r += d.r, s.g += d.g, s.b += d.b, U += dU, V += dV) {
        uint32_t a = FixedToByte(s.a), r = FixedToByte(s.r), g = FixedToByte(s.g), b = FixedToByte(s.b);
        if constexpr (kTex == ShadedTexture::kConstant) {
            if (!sp.constantWhite) {
                a = Mul255(sp.constant.a, a);
                r = Mul255(sp.constant.r, r);
                g = Mul255(sp.constant.g, g);
                b = Mul255(sp.constant.b, b);
            }
        } else {
            const uint16_t raw = t->Row(AddressFast(
                int(V >> 32), th, pow2v, sp.addrV))[AddressFast(int(U >> 32), tw, pow2u, sp.addrU)];
            if (keyOn && raw >= klo && raw <= khi) continue;
            const Argb c = kTex == ShadedTexture::k4444 ? Argb{Expand4(raw >> 12), Expand4((raw >> 8) & 15),
                                                               Expand4((raw >> 4) & 15), Expand4(raw & 15)}
                                                        : Unpack(t->Format(), raw);
            a = Mul255(c.a, a);
            r = Mul255(c.r, r);
            g = Mul255(c.g, g);
            b = Mul255(c.b, b);
        }
        if ((int(a) >= sp.passLow && int(a) <= sp.passHigh) == sp.passInverted) continue;
        if constexpr (kBlend) {
            const uint16_t p = row[x];
            const uint32_t ia = 255 - a;
            uint32_t dr, dg;
            if (k565) {
                dr = Expand5(p >> 11);
                dg = Expand6((p >> 5) & 63);
            } else {
                dr = Expand5((p >> 10) & 31);
                dg = Expand5((p >> 5) & 31);
            }
            const uint32_t db = Expand5(p & 31);
            r = std::min<uint32_t>(255, Mul255(r, a) + Mul255(dr, ia));
            g = std::min<uint32_t>(255, Mul255(g, a) + Mul255(dg, ia));
            b = std::min<uint32_t>(255, Mul255(b, a) + Mul255(db, ia));
        }
        if (k565)
            row[x] = uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        else
            row[x] = uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
}

#if defined(__SSE2__)
// a * b / 255 rounded, as Mul255, on eight 16-bit lanes of 8-bit values.
inline __m128i Mul255x8(__m128i a, __m128i b) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// A 16.16 plane along a span, eight pixels at a time, as FixedToByte reads it.
struct ChannelX8 {
    __m128i lo, hi, step;
    ChannelX8(int32_t v, int32_t d) {
        const __m128i half = _mm_set1_epi32(0x8000);
        lo = _mm_add_epi32(_mm_setr_epi32(v, v + d, v + 2 * d, v + 3 * d), half);
        hi = _mm_add_epi32(_mm_setr_epi32(v + 4 * d, v + 5 * d, v + 6 * d, v + 7 * d), half);
        step = _mm_set1_epi32(8 * d);
    }
    // The eight bytes, then on to the next eight pixels.
    __m128i Next() {
        const __m128i packed = _mm_packs_epi32(_mm_srai_epi32(lo, 16), _mm_srai_epi32(hi, 16));
        lo = _mm_add_epi32(lo, step);
        hi = _mm_add_epi32(hi, step);
        return _mm_min_epi16(_mm_max_epi16(packed, _mm_setzero_si128()), _mm_set1_epi16(255));
    }
};

// The constant-texel shaded span eight pixels at a time (the last block
// through a copy of its pixels). False, with nothing drawn, when the values
// could leave 32 bits.
template <PixelFormat kTarget, bool kBlend>
bool ShadeSpanConstantX8(const ShadedSpan& sp, uint16_t* row, int x0, int x1, const SpanValues& s,
                         const SpanValues& d) {
    const int64_t n = x1 - x0 + 8;
    auto fits = [&](int64_t v, int64_t dv) {
        constexpr int64_t kLimit = int64_t(1) << 30;
        return v > -kLimit && v < kLimit && v + dv * n > -kLimit && v + dv * n < kLimit && dv > -kLimit / 8 &&
               dv < kLimit / 8;
    };
    if (!fits(s.a, d.a) || !fits(s.r, d.r) || !fits(s.g, d.g) || !fits(s.b, d.b)) return false;
    constexpr bool k565 = kTarget == PixelFormat::kRgb565;
    const __m128i c255 = _mm_set1_epi16(255), m31 = _mm_set1_epi16(31),
                  gMask = _mm_set1_epi16(k565 ? 63 : 31);
    const __m128i ca = _mm_set1_epi16(sp.constant.a), cr = _mm_set1_epi16(sp.constant.r);
    const __m128i cg = _mm_set1_epi16(sp.constant.g), cb = _mm_set1_epi16(sp.constant.b);
    const __m128i passLow = _mm_set1_epi16(int16_t(sp.passLow - 1));
    const __m128i passHigh = _mm_set1_epi16(int16_t(sp.passHigh + 1));
    const __m128i invert = sp.passInverted ? _mm_set1_epi16(-1) : _mm_setzero_si128();
    ChannelX8 ca8(int32_t(s.a), int32_t(d.a)), cr8(int32_t(s.r), int32_t(d.r));
    ChannelX8 cg8(int32_t(s.g), int32_t(d.g)), cb8(int32_t(s.b), int32_t(d.b));
    for (int x = x0; x < x1; x += 8) {
        __m128i a = ca8.Next(), r = cr8.Next(), g = cg8.Next(), b = cb8.Next();
        if (!sp.constantWhite) {
            a = Mul255x8(ca, a);
            r = Mul255x8(cr, r);
            g = Mul255x8(cg, g);
            b = Mul255x8(cb, b);
        }
        const __m128i pass =
            _mm_xor_si128(_mm_and_si128(_mm_cmpgt_epi16(a, passLow), _mm_cmplt_epi16(a, passHigh)), invert);
        const int count = std::min(8, x1 - x);
        alignas(16) uint16_t tail[8];
        uint16_t* at = row + x;
        if (count < 8) {
            std::memcpy(tail, at, size_t(count) * 2);
            at = tail;
        }
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        if constexpr (kBlend) {
            const __m128i ia = _mm_sub_epi16(c255, a);
            const __m128i r5 = k565 ? _mm_srli_epi16(p, 11) : _mm_and_si128(_mm_srli_epi16(p, 10), m31);
            const __m128i gf = _mm_and_si128(_mm_srli_epi16(p, 5), gMask);
            const __m128i b5 = _mm_and_si128(p, m31);
            const __m128i dr = _mm_or_si128(_mm_slli_epi16(r5, 3), _mm_srli_epi16(r5, 2));
            const __m128i dg = k565 ? _mm_or_si128(_mm_slli_epi16(gf, 2), _mm_srli_epi16(gf, 4))
                                    : _mm_or_si128(_mm_slli_epi16(gf, 3), _mm_srli_epi16(gf, 2));
            const __m128i db = _mm_or_si128(_mm_slli_epi16(b5, 3), _mm_srli_epi16(b5, 2));
            r = _mm_min_epi16(_mm_add_epi16(Mul255x8(r, a), Mul255x8(dr, ia)), c255);
            g = _mm_min_epi16(_mm_add_epi16(Mul255x8(g, a), Mul255x8(dg, ia)), c255);
            b = _mm_min_epi16(_mm_add_epi16(Mul255x8(b, a), Mul255x8(db, ia)), c255);
        }
        const __m128i out = k565 ? _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_srli_epi16(r, 3), 11),
                                                             _mm_slli_epi16(_mm_srli_epi16(g, 2), 5)),
                                                _mm_srli_epi16(b, 3))
                                 : _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_srli_epi16(r, 3), 10),
                                                             _mm_slli_epi16(_mm_srli_epi16(g, 3), 5)),
                                                _mm_srli_epi16(b, 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                         _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, p)));
        if (count < 8) std::memcpy(row + x, tail, size_t(count) * 2);
    }
    return true;
}
#endif

}  // namespace

template <PixelFormat kTarget, bool kBlend>
void ShadeSpanShadedBy(const ShadedSpan& sp, Surface& target, int y, int x0, int x1, const SpanValues& s,
                       const SpanValues& d) {
#if defined(__SSE2__)
    if (!sp.tex && ShadeSpanConstantX8<kTarget, kBlend>(sp, target.Row(y), x0, x1, s, d)) return;
#endif
    if (!sp.tex)
        ShadeSpanShaded<kTarget, kBlend, ShadedTexture::kConstant>(sp, target, y, x0, x1, s, d);
    else if (sp.tex->Format() == PixelFormat::kArgb4444)
        ShadeSpanShaded<kTarget, kBlend, ShadedTexture::k4444>(sp, target, y, x0, x1, s, d);
    else
        ShadeSpanShaded<kTarget, kBlend, ShadedTexture::kOther>(sp, target, y, x0, x1, s, d);
}

template void ShadeSpanShadedBy<PixelFormat::kRgb565, true>(const ShadedSpan&, Surface&, int, int, int,
                                                            const SpanValues&, const SpanValues&);
template void ShadeSpanShadedBy<PixelFormat::kRgb555, true>(const ShadedSpan&, Surface&, int, int, int,
                                                            const SpanValues&, const SpanValues&);
template void ShadeSpanShadedBy<PixelFormat::kRgb565, false>(const ShadedSpan&, Surface&, int, int, int,
                                                             const SpanValues&, const SpanValues&);
template void ShadeSpanShadedBy<PixelFormat::kRgb555, false>(const ShadedSpan&, Surface&, int, int, int,
                                                             const SpanValues&, const SpanValues&);

}  // namespace plat::raster
