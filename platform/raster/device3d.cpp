#include "platform/raster/device3d.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plat::raster {

namespace {

constexpr int kSubBits = 8;
constexpr int64_t kSubOne = int64_t(1) << kSubBits;
// Positions beyond this many pixels from the origin are not rasterised.
constexpr float kGuardBand = 32768.0f;
// Largest texture coordinate or depth the fixed-point span arithmetic takes.
constexpr float kCoordLimit = 32768.0f;

Matrix4 IdentityMatrix() {
    Matrix4 m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += double(a.m[i][k]) * b.m[k][j];
            r.m[i][j] = float(s);
        }
    return r;
}

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

struct Texel {
    Argb c;
    bool keyed;
};

inline Texel FetchTexel(const StageState& st, int x, int y, bool colorKey) {
    const Surface& t = *st.texture;
    bool inX = Address(x, t.Width(), st.addressU);
    bool inY = Address(y, t.Height(), st.addressV);
    if (!inX || !inY) return {FromArgb32(st.borderColor), false};
    uint16_t raw = t.At(x, y);
    if (colorKey && t.HasColorKey() && raw >= t.KeyLow() && raw <= t.KeyHigh()) return {{0, 0, 0, 0}, true};
    return {Unpack(t.Format(), raw), false};
}

// Texel coordinate with 8 fractional bits from a 32-bit-fraction normalised coordinate.
inline int64_t ToTexel8(int64_t n, int size) {
    return (n * size) >> 24;
}

inline int FloorShift8(int64_t v) {
    return int(v >> 8);
}

Texel Sample(const StageState& st, int64_t u, int64_t v, bool colorKey) {
    if (!st.texture || !st.texture->Valid()) return {{255, 255, 255, 255}, false};
    const Surface& t = *st.texture;
    if (st.magFilter == TextureFilter::kPoint && st.minFilter == TextureFilter::kPoint) {
        int x = FloorShift8(ToTexel8(u, t.Width()));
        int y = FloorShift8(ToTexel8(v, t.Height()));
        return FetchTexel(st, x, y, colorKey);
    }
    // Bilinear: texel centres at half-texel positions, keyed texels count as transparent black.
    int64_t tu = ToTexel8(u, t.Width()) - 128;
    int64_t tv = ToTexel8(v, t.Height()) - 128;
    int x0 = FloorShift8(tu), y0 = FloorShift8(tv);
    uint32_t fx = uint32_t(tu & 255), fy = uint32_t(tv & 255);
    Texel t00 = FetchTexel(st, x0, y0, colorKey), t10 = FetchTexel(st, x0 + 1, y0, colorKey);
    Texel t01 = FetchTexel(st, x0, y0 + 1, colorKey), t11 = FetchTexel(st, x0 + 1, y0 + 1, colorKey);
    auto lerp2 = [&](uint8_t c00, uint8_t c10, uint8_t c01, uint8_t c11) {
        uint32_t top = c00 * (256 - fx) + c10 * fx;
        uint32_t bot = c01 * (256 - fx) + c11 * fx;
        return uint8_t((top * (256 - fy) + bot * fy + 32768) >> 16);
    };
    Texel r;
    r.c.a = lerp2(t00.c.a, t10.c.a, t01.c.a, t11.c.a);
    r.c.r = lerp2(t00.c.r, t10.c.r, t01.c.r, t11.c.r);
    r.c.g = lerp2(t00.c.g, t10.c.g, t01.c.g, t11.c.g);
    r.c.b = lerp2(t00.c.b, t10.c.b, t01.c.b, t11.c.b);
    r.keyed = false;
    return r;
}

inline uint8_t Op(TextureOp op, uint8_t x, uint8_t y) {
    switch (op) {
        case TextureOp::kSelectArg1:
            return x;
        case TextureOp::kSelectArg2:
            return y;
        case TextureOp::kModulate:
            return uint8_t(Mul255(x, y));
        case TextureOp::kModulate2x:
            return Clamp255(int(Mul255(x, y)) * 2);
        case TextureOp::kAdd:
            return Clamp255(int(x) + y);
        case TextureOp::kAddSigned:
            return Clamp255(int(x) + y - 128);
        default:
            return x;
    }
}

inline uint8_t Dot3(Argb x, Argb y) {
    int s = (2 * x.r - 255) * (2 * y.r - 255) + (2 * x.g - 255) * (2 * y.g - 255) +
            (2 * x.b - 255) * (2 * y.b - 255);
    return Clamp255((s + (s >= 0 ? 127 : -127)) / 255);
}

inline Argb BlendFactorOf(BlendFactor f, Argb s, Argb d, bool forSource) {
    switch (f) {
        case BlendFactor::kZero:
            return {0, 0, 0, 0};
        case BlendFactor::kOne:
            return {255, 255, 255, 255};
        case BlendFactor::kSrcColor:
            return s;
        case BlendFactor::kInvSrcColor:
            return {uint8_t(255 - s.a), uint8_t(255 - s.r), uint8_t(255 - s.g), uint8_t(255 - s.b)};
        case BlendFactor::kSrcAlpha:
            return {s.a, s.a, s.a, s.a};
        case BlendFactor::kInvSrcAlpha: {
            uint8_t i = uint8_t(255 - s.a);
            return {i, i, i, i};
        }
        case BlendFactor::kDestAlpha:
            return {d.a, d.a, d.a, d.a};
        case BlendFactor::kInvDestAlpha: {
            uint8_t i = uint8_t(255 - d.a);
            return {i, i, i, i};
        }
        case BlendFactor::kDestColor:
            return d;
        case BlendFactor::kInvDestColor:
            return {uint8_t(255 - d.a), uint8_t(255 - d.r), uint8_t(255 - d.g), uint8_t(255 - d.b)};
        case BlendFactor::kSrcAlphaSat: {
            uint8_t f2 = std::min<uint8_t>(s.a, uint8_t(255 - d.a));
            return {255, f2, f2, f2};
        }
        case BlendFactor::kBothSrcAlpha: {
            uint8_t v = forSource ? s.a : uint8_t(255 - s.a);
            return {v, v, v, v};
        }
        case BlendFactor::kBothInvSrcAlpha: {
            uint8_t v = forSource ? uint8_t(255 - s.a) : s.a;
            return {v, v, v, v};
        }
    }
    return {255, 255, 255, 255};
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

void ShadeSpanGeneral(const TriangleContext& ctx, int y, int x0, int x1, SpanValues s, const SpanValues& d) {
    const RenderState& rs = *ctx.state;
    const StageState* st = ctx.stages;
    const PixelFormat fmt = ctx.target->Format();
    const Argb tfactor = FromArgb32(rs.textureFactor);
    uint16_t* row = ctx.target->Row(y);
    uint16_t* depthRow = ctx.depth ? ctx.depth->Row(y) : nullptr;
    for (int x = x0; x < x1; ++x, Step(s, d)) {
        uint16_t depth = 0;
        if (depthRow) {
            depth = DepthOf(s.z);
            if (!Compare(rs.zFunc, depth, depthRow[x])) continue;
        }
        const Argb diffuse{FixedToByte(s.a), FixedToByte(s.r), FixedToByte(s.g), FixedToByte(s.b)};
        const Argb layout{0, FixedToByte(s.sr), FixedToByte(s.sg), FixedToByte(s.sb)};
        Argb cur = diffuse;
        bool drop = false;
        for (int i = 0; i < Device3D::kMaxStages; ++i) {
            const StageState& stage = st[i];
            if (stage.colorOp == TextureOp::kDisable) break;
            Texel tex{{255, 255, 255, 255}, false};
            auto uses = [&](TextureArg a) { return a == TextureArg::kTexture; };
            if (uses(stage.colorArg1) || uses(stage.colorArg2) ||
                (stage.alphaOp != TextureOp::kDisable && (uses(stage.alphaArg1) || uses(stage.alphaArg2)))) {
                tex = stage.texCoordIndex ? Sample(stage, s.u2, s.v2, rs.colorKey)
                                          : Sample(stage, s.u, s.v, rs.colorKey);
                if (tex.keyed) {
                    drop = true;
                    break;
                }
            }
            auto arg = [&](TextureArg a) -> Argb {
                switch (a) {
                    case TextureArg::kDiffuse:
                        return diffuse;
                    case TextureArg::kCurrent:
                        return cur;
                    case TextureArg::kTexture:
                        return tex.c;
                    case TextureArg::kTextureFactor:
                        return tfactor;
                    case TextureArg::kSpecular:
                        return layout;
                }
                return cur;
            };
            Argb c1 = arg(stage.colorArg1), c2 = arg(stage.colorArg2);
            Argb out;
            if (stage.colorOp == TextureOp::kDotProduct3) {
                uint8_t g = Dot3(c1, c2);
                out.r = out.g = out.b = g;
            } else {
                out.r = Op(stage.colorOp, c1.r, c2.r);
                out.g = Op(stage.colorOp, c1.g, c2.g);
                out.b = Op(stage.colorOp, c1.b, c2.b);
            }
            if (stage.alphaOp == TextureOp::kDisable) {
                out.a = cur.a;
            } else {
                Argb a1 = arg(stage.alphaArg1), a2 = arg(stage.alphaArg2);
                out.a = Op(stage.alphaOp == TextureOp::kDotProduct3 ? TextureOp::kSelectArg1 : stage.alphaOp,
                           a1.a, a2.a);
            }
            cur = out;
        }
        if (drop) continue;
        if (rs.specular) {
            cur.r = Clamp255(cur.r + layout.r);
            cur.g = Clamp255(cur.g + layout.g);
            cur.b = Clamp255(cur.b + layout.b);
        }
        if (rs.alphaTest && !Compare(rs.alphaFunc, cur.a, rs.alphaRef)) continue;
        if (depthRow && rs.zWrite) depthRow[x] = depth;
        if (rs.alphaBlend) {
            Argb dst = Unpack(fmt, row[x]);
            Argb sf = BlendFactorOf(rs.srcBlend, cur, dst, true);
            Argb df = BlendFactorOf(rs.destBlend, cur, dst, false);
            cur.a = Clamp255(int(Mul255(cur.a, sf.a) + Mul255(dst.a, df.a)));
            cur.r = Clamp255(int(Mul255(cur.r, sf.r) + Mul255(dst.r, df.r)));
            cur.g = Clamp255(int(Mul255(cur.g, sf.g) + Mul255(dst.g, df.g)));
            cur.b = Clamp255(int(Mul255(cur.b, sf.b) + Mul255(dst.b, df.b)));
        }
        row[x] = Pack(fmt, cur);
    }
}

// The sprite case: one A4R4G4B4 texture, point sampled, modulated by a constant
// diffuse colour, alpha-blended (or copied) onto a 5-6-5 or 5-5-5 target.
// Gives exactly what ShadeSpanGeneral gives for the same state; the colour
// arithmetic is looked up in tables made for the triangle's diffuse colour.
}  // namespace

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
};

namespace {

void BuildSpriteTables(SpriteSpan& sp, Argb diffuse, const RenderState& rs, PixelFormat target) {
    uint8_t alpha[16];
    for (int n = 0; n < 16; ++n) {
        alpha[n] = uint8_t(Mul255(n * 17u, diffuse.a));
        sp.alphaPass[n] = !rs.alphaTest || Compare<uint8_t>(rs.alphaFunc, alpha[n], rs.alphaRef);
        sp.r[n] = uint8_t(Mul255(n * 17u, diffuse.r));
        sp.g[n] = uint8_t(Mul255(n * 17u, diffuse.g));
        sp.b[n] = uint8_t(Mul255(n * 17u, diffuse.b));
    }
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

inline int AddressFast(int t, int size, bool pow2, TextureAddress mode) {
    if (mode == TextureAddress::kClamp) return t < 0 ? 0 : (t >= size ? size - 1 : t);
    if (mode == TextureAddress::kWrap && pow2) return t & (size - 1);
    Address(t, size, mode);
    return t;
}

template <PixelFormat kTarget>
void ShadeSpanSprite(const SpriteSpan& sp, Surface& target, int y, int x0, int x1, int64_t u, int64_t v,
                     int64_t du, int64_t dv) {
    const Surface& t = *sp.tex;
    const int tw = t.Width(), th = t.Height();
    const bool pow2u = (tw & (tw - 1)) == 0, pow2v = (th & (th - 1)) == 0;
    uint16_t* row = target.Row(y);
    const bool keyOn = sp.colorKey && t.HasColorKey();
    const uint16_t klo = t.KeyLow(), khi = t.KeyHigh();
    // Texel position times 2^32, stepped exactly as the general pipeline steps it.
    int64_t U = u * tw, dU = du * tw, V = v * th, dV = dv * th;
    const uint16_t* texRow = dV == 0 ? t.Row(AddressFast(int(V >> 32), th, pow2v, sp.addrV)) : nullptr;
    constexpr bool k565 = kTarget == PixelFormat::kRgb565;
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

bool ModulatesTextureAndDiffuse(TextureOp op, TextureArg a1, TextureArg a2) {
    return op == TextureOp::kModulate &&
           ((a1 == TextureArg::kTexture && (a2 == TextureArg::kDiffuse || a2 == TextureArg::kCurrent)) ||
            (a2 == TextureArg::kTexture && (a1 == TextureArg::kDiffuse || a1 == TextureArg::kCurrent)));
}

}  // namespace

Device3D::~Device3D() = default;

Device3D::Device3D() {
    static_assert(sizeof(LitVertex) == 32, "lit vertices are 32 bytes");
    for (auto& t : m_transforms) t = IdentityMatrix();
}

void Device3D::SetTransform(TransformKind kind, const Matrix4& m) {
    m_transforms[int(kind)] = m;
}

namespace {

inline void SecondPair(const LitVertex& v, float& u2, float& v2) {
    u2 = v.tu;
    v2 = v.tv;
}
inline void SecondPair(const LitVertex2& v, float& u2, float& v2) {
    u2 = v.tu2;
    v2 = v.tv2;
}

}  // namespace

template <class V>
int Device3D::DrawTransformed(const V* vertices, int vertexCount, const uint16_t* indices, int indexCount) {
    if (!m_target || !m_target->Valid() || !vertices || !indices) return 0;
    const Matrix4 wvp = Multiply(Multiply(m_transforms[0], m_transforms[1]), m_transforms[2]);
    const Viewport& vp = m_viewport;
    int drawn = 0;
    for (int i = 0; i + 2 < indexCount; i += 3) {
        SetupVertex sv[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            int idx = indices[i + k];
            if (idx >= vertexCount) {
                ok = false;
                break;
            }
            const V& lv = vertices[idx];
            double p[4];
            for (int c = 0; c < 4; ++c)
                p[c] = double(lv.x) * wvp.m[0][c] + double(lv.y) * wvp.m[1][c] + double(lv.z) * wvp.m[2][c] +
                       wvp.m[3][c];
            // Triangles reaching behind the eye are left out (no clipping).
            if (p[3] <= 1e-6) {
                ok = false;
                break;
            }
            double nx = p[0] / p[3], ny = p[1] / p[3], nz = p[2] / p[3];
            Argb d = FromArgb32(lv.diffuse), s = FromArgb32(lv.specular);
            SetupVertex& o = sv[k];
            o.x = float(vp.x + (nx + 1.0) * 0.5 * vp.width);
            o.y = float(vp.y + (1.0 - ny) * 0.5 * vp.height);
            o.z = float(vp.minZ + nz * (vp.maxZ - vp.minZ));
            o.a = d.a;
            o.r = d.r;
            o.g = d.g;
            o.b = d.b;
            o.sr = s.r;
            o.sg = s.g;
            o.sb = s.b;
            o.u = lv.tu;
            o.v = lv.tv;
            SecondPair(lv, o.u2, o.v2);
        }
        if (!ok) continue;
        DrawTriangle(sv[0], sv[1], sv[2]);
        ++drawn;
    }
    Log(DeviceEvent::Kind::kDraw, vertexCount, indexCount, drawn, 0);
    return drawn;
}

int Device3D::DrawIndexed(const LitVertex* vertices, int vertexCount, const uint16_t* indices,
                          int indexCount) {
    return DrawTransformed(vertices, vertexCount, indices, indexCount);
}

int Device3D::DrawIndexed(const LitVertex2* vertices, int vertexCount, const uint16_t* indices,
                          int indexCount) {
    return DrawTransformed(vertices, vertexCount, indices, indexCount);
}

int Device3D::DrawIndexed(const ScreenVertex* vertices, int vertexCount, const uint16_t* indices,
                          int indexCount) {
    if (!m_target || !m_target->Valid() || !vertices || !indices) return 0;
    int drawn = 0;
    for (int i = 0; i + 2 < indexCount; i += 3) {
        SetupVertex sv[3];
        bool ok = true;
        for (int k = 0; k < 3; ++k) {
            int idx = indices[i + k];
            if (idx >= vertexCount) {
                ok = false;
                break;
            }
            const ScreenVertex& v = vertices[idx];
            Argb d = FromArgb32(v.diffuse), s = FromArgb32(v.specular);
            sv[k] = {v.sx,       v.sy,       v.sz,       float(d.a), float(d.r), float(d.g), float(d.b),
                     float(s.r), float(s.g), float(s.b), v.tu,       v.tv,       v.tu,       v.tv};
        }
        if (!ok) continue;
        DrawTriangle(sv[0], sv[1], sv[2]);
        ++drawn;
    }
    Log(DeviceEvent::Kind::kDraw, vertexCount, indexCount, drawn, 0);
    return drawn;
}

bool Device3D::DepthUsable() const {
    return m_depth && m_target && m_depth->Width() == m_target->Width() &&
           m_depth->Height() == m_target->Height();
}

void Device3D::Clear(uint32_t flags, uint32_t colour, float z) {
    const Rect area{m_viewport.x, m_viewport.y, m_viewport.x + m_viewport.width,
                    m_viewport.y + m_viewport.height};
    if ((flags & kClearTarget) && m_target && m_target->Valid()) {
        const Argb c = FromArgb32(colour);
        Fill(*m_target, Intersect(area, m_target->Bounds()), Pack(m_target->Format(), c));
    }
    if ((flags & kClearZBuffer) && m_depth && m_depth->Valid()) {
        const float zc = std::isfinite(z) ? std::clamp(z, 0.0f, 1.0f) : 1.0f;
        Fill(*m_depth, Intersect(area, m_depth->Bounds()), uint16_t(std::lround(double(zc) * 65535.0)));
    }
    Log(DeviceEvent::Kind::kClear, 0, 0, 0, flags);
}

void Device3D::Log(DeviceEvent::Kind kind, int vertexCount, int indexCount, int drawn, uint32_t clearFlags) {
    if (!m_log) return;
    DeviceEvent e;
    e.kind = kind;
    e.vertexCount = vertexCount;
    e.indexCount = indexCount;
    e.drawn = drawn;
    e.state = m_state;
    for (int i = 0; i < kMaxStages; ++i) {
        e.textures[i] = m_stages[i].texture;
        e.stageOps[i] = m_stages[i].colorOp;
    }
    e.world = m_transforms[int(TransformKind::kWorld)];
    e.clearFlags = clearFlags;
    m_log->push_back(e);
}

void Device3D::DrawTriangle(const SetupVertex& v0in, const SetupVertex& v1in, const SetupVertex& v2in) {
    const SetupVertex* v[3] = {&v0in, &v1in, &v2in};
    // Positions beyond the guard band, and depths or texture coordinates that
    // are not finite or absurdly large, leave the triangle out.
    auto sane = [](float f, float limit) { return std::isfinite(f) && std::fabs(f) <= limit; };
    for (auto* p : v)
        if (!sane(p->x, kGuardBand) || !sane(p->y, kGuardBand) || !sane(p->z, kCoordLimit) ||
            !sane(p->u, kCoordLimit) || !sane(p->v, kCoordLimit) || !sane(p->u2, kCoordLimit) ||
            !sane(p->v2, kCoordLimit))
            return;
    int64_t X[3], Y[3];
    for (int k = 0; k < 3; ++k) {
        X[k] = std::llround(double(v[k]->x) * kSubOne);
        Y[k] = std::llround(double(v[k]->y) * kSubOne);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0) return;
    // area > 0: clockwise on the screen (y grows downwards).
    if (m_state.cull == CullMode::kCounterClockwise && area < 0) return;
    if (m_state.cull == CullMode::kClockwise && area > 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }

    // Edge k runs from vertex k to vertex k+1; inside is E >= bias.
    struct Edge {
        int64_t A, B, C, bias;
    } e[3];
    for (int k = 0; k < 3; ++k) {
        int a = k, b = (k + 1) % 3;
        int64_t dx = X[b] - X[a], dy = Y[b] - Y[a];
        e[k].A = -dy;
        e[k].B = dx;
        e[k].C = dy * X[a] - dx * Y[a];
        bool top = dy == 0 && dx > 0;
        bool left = dy < 0;
        e[k].bias = (top || left) ? 0 : 1;
    }

    const Rect clip = Intersect(
        m_target->Bounds(),
        Rect{m_viewport.x, m_viewport.y, m_viewport.x + m_viewport.width, m_viewport.y + m_viewport.height});
    if (clip.Empty()) return;
    int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    int y0 = int(std::max<int64_t>(clip.top, (minY + kSubOne - 1) >> kSubBits));
    int y1 = int(std::min<int64_t>(clip.bottom - 1, maxY >> kSubBits));
    if (y0 > y1) return;

    // Attribute planes: value = base + dx * (x - x0) + dy * (y - y0), in pixels.
    const double fx0 = double(X[0]) / kSubOne, fy0 = double(Y[0]) / kSubOne;
    const double e1x = double(X[1] - X[0]) / kSubOne, e1y = double(Y[1] - Y[0]) / kSubOne;
    const double e2x = double(X[2] - X[0]) / kSubOne, e2y = double(Y[2] - Y[0]) / kSubOne;
    const double inv = 1.0 / (e1x * e2y - e2x * e1y);
    auto plane = [&](float a0, float a1, float a2, double scale, double& base, double& ddx, double& ddy) {
        double d1 = (double(a1) - a0) * scale, d2 = (double(a2) - a0) * scale;
        ddx = (d1 * e2y - d2 * e1y) * inv;
        ddy = (d2 * e1x - d1 * e2x) * inv;
        base = double(a0) * scale;
    };
    constexpr double kColorScale = 65536.0;
    constexpr double kCoordScale = 4294967296.0;
    constexpr double kDepthScale = 65535.0 * 65536.0;
    double base[kSpanValueCount], ddx[kSpanValueCount], ddy[kSpanValueCount];
    plane(v[0]->a, v[1]->a, v[2]->a, kColorScale, base[0], ddx[0], ddy[0]);
    plane(v[0]->r, v[1]->r, v[2]->r, kColorScale, base[1], ddx[1], ddy[1]);
    plane(v[0]->g, v[1]->g, v[2]->g, kColorScale, base[2], ddx[2], ddy[2]);
    plane(v[0]->b, v[1]->b, v[2]->b, kColorScale, base[3], ddx[3], ddy[3]);
    plane(v[0]->sr, v[1]->sr, v[2]->sr, kColorScale, base[4], ddx[4], ddy[4]);
    plane(v[0]->sg, v[1]->sg, v[2]->sg, kColorScale, base[5], ddx[5], ddy[5]);
    plane(v[0]->sb, v[1]->sb, v[2]->sb, kColorScale, base[6], ddx[6], ddy[6]);
    plane(v[0]->u, v[1]->u, v[2]->u, kCoordScale, base[7], ddx[7], ddy[7]);
    plane(v[0]->v, v[1]->v, v[2]->v, kCoordScale, base[8], ddx[8], ddy[8]);
    plane(v[0]->z, v[1]->z, v[2]->z, kDepthScale, base[9], ddx[9], ddy[9]);
    plane(v[0]->u2, v[1]->u2, v[2]->u2, kCoordScale, base[10], ddx[10], ddy[10]);
    plane(v[0]->v2, v[1]->v2, v[2]->v2, kCoordScale, base[11], ddx[11], ddy[11]);
    auto at = [&](int i, double px, double py) {
        return int64_t(std::llround(base[i] + ddx[i] * (px - fx0) + ddy[i] * (py - fy0)));
    };
    SpanValues step;
    for (int i = 0; i < kSpanValueCount; ++i) *SpanValuePointers(step, i) = int64_t(std::llround(ddx[i]));
    Surface* depth = m_state.zEnable && DepthUsable() ? m_depth : nullptr;

    // Choose the span shader once for the triangle.
    const StageState& s0 = m_stages[0];
    const RenderState& rs = m_state;
    bool sprite =
        m_fastPaths && !depth && s0.texCoordIndex == 0 && s0.texture && s0.texture->Valid() &&
        s0.texture->Format() == PixelFormat::kArgb4444 &&
        (m_target->Format() == PixelFormat::kRgb565 || m_target->Format() == PixelFormat::kRgb555) &&
        ModulatesTextureAndDiffuse(s0.colorOp, s0.colorArg1, s0.colorArg2) &&
        ModulatesTextureAndDiffuse(s0.alphaOp, s0.alphaArg1, s0.alphaArg2) &&
        m_stages[1].colorOp == TextureOp::kDisable && s0.magFilter == TextureFilter::kPoint &&
        s0.minFilter == TextureFilter::kPoint && s0.addressU != TextureAddress::kBorder &&
        s0.addressV != TextureAddress::kBorder &&
        (!rs.alphaBlend ||
         (rs.srcBlend == BlendFactor::kSrcAlpha && rs.destBlend == BlendFactor::kInvSrcAlpha)) &&
        ddx[0] == 0 && ddy[0] == 0 && ddx[1] == 0 && ddy[1] == 0 && ddx[2] == 0 && ddy[2] == 0 &&
        ddx[3] == 0 && ddy[3] == 0 &&
        (!rs.specular || (v[0]->sr == 0 && v[0]->sg == 0 && v[0]->sb == 0 && ddx[4] == 0 && ddy[4] == 0 &&
                          ddx[5] == 0 && ddy[5] == 0 && ddx[6] == 0 && ddy[6] == 0));
    if (sprite) {
        const Argb diffuse{FixedToByte(int64_t(base[0])), FixedToByte(int64_t(base[1])),
                           FixedToByte(int64_t(base[2])), FixedToByte(int64_t(base[3]))};
        if (!m_sprite) m_sprite = std::make_unique<SpriteSpan>();
        SpriteSpan& sp = *m_sprite;
        const uint32_t key = ToArgb32(diffuse);
        const uint32_t stateKey = uint32_t(rs.alphaTest) | uint32_t(rs.alphaFunc) << 1 |
                                  uint32_t(rs.alphaRef) << 8 | uint32_t(m_target->Format()) << 16;
        if (!m_spriteValid || key != m_spriteDiffuse || stateKey != m_spriteState) {
            BuildSpriteTables(sp, diffuse, rs, m_target->Format());
            m_spriteDiffuse = key;
            m_spriteState = stateKey;
            m_spriteValid = true;
        }
        sp.tex = s0.texture;
        sp.addrU = s0.addressU;
        sp.addrV = s0.addressV;
        sp.blend = rs.alphaBlend;
        sp.colorKey = rs.colorKey;
    }
    // Shaded: the same stage set-up with any colours across the triangle.
    const bool texturedOk =
        !s0.texture || !s0.texture->Valid() ||
        (s0.magFilter == TextureFilter::kPoint && s0.minFilter == TextureFilter::kPoint &&
         s0.addressU != TextureAddress::kBorder && s0.addressV != TextureAddress::kBorder);
    const bool normalBlend =
        (rs.srcBlend == BlendFactor::kSrcAlpha && rs.destBlend == BlendFactor::kInvSrcAlpha) ||
        (rs.srcBlend == BlendFactor::kBothSrcAlpha &&
         (rs.destBlend == BlendFactor::kBothSrcAlpha || rs.destBlend == BlendFactor::kInvSrcAlpha));
    const bool shaded =
        !sprite && m_fastPaths && !depth && s0.texCoordIndex == 0 &&
        (m_target->Format() == PixelFormat::kRgb565 || m_target->Format() == PixelFormat::kRgb555) &&
        ModulatesTextureAndDiffuse(s0.colorOp, s0.colorArg1, s0.colorArg2) &&
        ModulatesTextureAndDiffuse(s0.alphaOp, s0.alphaArg1, s0.alphaArg2) &&
        m_stages[1].colorOp == TextureOp::kDisable && texturedOk && (!rs.alphaBlend || normalBlend) &&
        (!rs.specular || (v[0]->sr == 0 && v[0]->sg == 0 && v[0]->sb == 0 && ddx[4] == 0 && ddy[4] == 0 &&
                          ddx[5] == 0 && ddy[5] == 0 && ddx[6] == 0 && ddy[6] == 0));
    ShadedSpan shadedSpan{};
    if (shaded) {
        const Surface* tex = s0.texture && s0.texture->Valid() ? s0.texture : nullptr;
        shadedSpan.tex = tex;
        shadedSpan.constant = {255, 255, 255, 255};
        if (tex && tex->IsUniform()) {
            const uint16_t raw = tex->UniformValue();
            // A uniform texture whose one value is keyed hides the whole triangle.
            if (rs.colorKey && tex->HasColorKey() && raw >= tex->KeyLow() && raw <= tex->KeyHigh()) return;
            shadedSpan.constant = Unpack(tex->Format(), raw);
            shadedSpan.tex = nullptr;
        }
        const Argb& c = shadedSpan.constant;
        shadedSpan.constantWhite = c.a == 255 && c.r == 255 && c.g == 255 && c.b == 255;
        shadedSpan.addrU = s0.addressU;
        shadedSpan.addrV = s0.addressV;
        shadedSpan.colorKey = rs.colorKey;
        AlphaTestRange(rs, shadedSpan.passLow, shadedSpan.passHigh, shadedSpan.passInverted);
    }
    const TriangleContext ctx{m_target, depth, &m_state, m_stages};

    for (int py = y0; py <= y1; ++py) {
        const int64_t Py = int64_t(py) << kSubBits;
        int64_t xmin = clip.left, xmax = clip.right - 1;
        for (const Edge& ed : e) {
            const int64_t K = ed.B * Py + ed.C;
            const int64_t need = ed.bias - K;  // A * X >= need, X = px << kSubBits
            const int64_t a = ed.A << kSubBits;
            if (a > 0) {
                // px >= ceil(need / a)
                int64_t q = need >= 0 ? (need + a - 1) / a : -((-need) / a);
                xmin = std::max(xmin, q);
            } else if (a < 0) {
                // px <= floor(need / a) = floor(-need / -a)
                int64_t n = -need, d = -a;
                int64_t q = n >= 0 ? n / d : -((-n + d - 1) / d);
                xmax = std::min(xmax, q);
            } else if (need > 0) {
                xmax = xmin - 1;
            }
        }
        if (xmin > xmax) continue;
        const int x0 = int(xmin), x1 = int(xmax) + 1;
        SpanValues s;
        for (int i = 0; i < kSpanValueCount; ++i) *SpanValuePointers(s, i) = at(i, x0, py);
        if (sprite) {
            if (m_target->Format() == PixelFormat::kRgb565)
                ShadeSpanSprite<PixelFormat::kRgb565>(*m_sprite, *m_target, py, x0, x1, s.u, s.v, step.u,
                                                      step.v);
            else
                ShadeSpanSprite<PixelFormat::kRgb555>(*m_sprite, *m_target, py, x0, x1, s.u, s.v, step.u,
                                                      step.v);
        } else if (shaded) {
            const bool is565 = m_target->Format() == PixelFormat::kRgb565;
            if (rs.alphaBlend) {
                if (is565)
                    ShadeSpanShadedBy<PixelFormat::kRgb565, true>(shadedSpan, *m_target, py, x0, x1, s, step);
                else
                    ShadeSpanShadedBy<PixelFormat::kRgb555, true>(shadedSpan, *m_target, py, x0, x1, s, step);
            } else {
                if (is565)
                    ShadeSpanShadedBy<PixelFormat::kRgb565, false>(shadedSpan, *m_target, py, x0, x1, s,
                                                                   step);
                else
                    ShadeSpanShadedBy<PixelFormat::kRgb555, false>(shadedSpan, *m_target, py, x0, x1, s,
                                                                   step);
            }
        } else {
            ShadeSpanGeneral(ctx, py, x0, x1, s, step);
        }
    }
}

}  // namespace plat::raster
