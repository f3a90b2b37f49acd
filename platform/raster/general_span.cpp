// The general span: every pixel through both texture stages, the alpha,
// depth and colour-key tests, specular and the blend, as the render state
// says.
#include <algorithm>
#include <cmath>

#include "platform/raster/span_shading.h"

namespace plat::raster {

namespace {

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

}  // namespace

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

}  // namespace plat::raster
