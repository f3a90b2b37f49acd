#include "platform/raster/device3d.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/raster/span_shading.h"

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

// std::llround, without a library call for the magnitudes the planes take
// (below 2^52, where v minus its integer part is exact).
inline int64_t RoundHalfAway(double v) {
    if (!(std::fabs(v) < 4503599627370496.0)) return std::llround(v);
    const int64_t t = int64_t(v);
    const double f = v - double(t);
    // Without branches: the fractions are as good as random.
    return t + int64_t(f >= 0.5) - int64_t(f <= -0.5);
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
        return RoundHalfAway(base[i] + ddx[i] * (px - fx0) + ddy[i] * (py - fy0));
    };
    SpanValues step;
    for (int i = 0; i < kSpanValueCount; ++i) *SpanValuePointers(step, i) = RoundHalfAway(ddx[i]);
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
        sp.run.blend = rs.alphaBlend;
        sp.run.keyOn = rs.colorKey && s0.texture->HasColorKey();
        sp.run.keyLow = s0.texture->KeyLow();
        sp.run.keyHigh = s0.texture->KeyHigh();
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
    // The values the span reads: the sprite span only the texture
    // coordinates, the shaded one the colours as well, the general one all.
    static constexpr int kShadedValues[] = {0, 1, 2, 3, 7, 8};
    static constexpr int kAllValues[kSpanValueCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const int* used = shaded ? kShadedValues : kAllValues;
    const int usedCount = shaded ? 6 : kSpanValueCount;
    SpanValues s{};  // the values no span reads stay 0
    SpriteRunBatch runs;

    // Narrows [xmin, xmax] to the columns of row Py inside the edge.
    auto bound = [](const Edge& ed, int64_t Py, int64_t& xmin, int64_t& xmax) {
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
    };
    // A vertical edge bounds every row alike; a horizontal one takes a row
    // whole or not at all; a sloping one moves its bound from row to row by
    // a step worked out once: px >= ceil(need / a) = -floor(-need / a) for
    // a > 0, px <= floor(-need / -a) for a < 0, -need growing by B per row.
    int64_t rowMin = clip.left, rowMax = clip.right - 1;
    Edge flat[3];
    int flatCount = 0;
    FloorWalk walks[3];
    bool walkBoundsLeft[3];
    int walkCount = 0;
    for (const Edge& ed : e) {
        if (ed.B == 0) {
            bound(ed, 0, rowMin, rowMax);
        } else if (ed.A == 0) {
            flat[flatCount++] = ed;
        } else {
            const int64_t a = ed.A << kSubBits;
            walkBoundsLeft[walkCount] = a > 0;
            walks[walkCount++] = FloorWalk(ed.B * (int64_t(y0) << kSubBits) + ed.C - ed.bias,
                                           ed.B << kSubBits, a > 0 ? a : -a);
        }
    }
    if (rowMin > rowMax) return;

    for (int py = y0; py <= y1; ++py) {
        const int64_t Py = int64_t(py) << kSubBits;
        int64_t xmin = rowMin, xmax = rowMax;
        for (int k = 0; k < flatCount; ++k) bound(flat[k], Py, xmin, xmax);
        for (int k = 0; k < walkCount; ++k) {
            if (walkBoundsLeft[k])
                xmin = std::max(xmin, -walks[k].Value());
            else
                xmax = std::min(xmax, walks[k].Value());
            walks[k].Next();
        }
        if (xmin > xmax) continue;
        const int x0 = int(xmin), x1 = int(xmax) + 1;
        if (sprite) {
            s.u = at(7, x0, py);
            s.v = at(8, x0, py);
        } else {
            for (int k = 0; k < usedCount; ++k) *SpanValuePointers(s, used[k]) = at(used[k], x0, py);
        }
        if (sprite) {
            if (m_target->Format() == PixelFormat::kRgb565)
                ShadeSpanSprite<PixelFormat::kRgb565>(*m_sprite, *m_target, py, x0, x1, s.u, s.v, step.u,
                                                      step.v, runs);
            else
                ShadeSpanSprite<PixelFormat::kRgb555>(*m_sprite, *m_target, py, x0, x1, s.u, s.v, step.u,
                                                      step.v, runs);
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
    if (sprite) FlushSpriteRuns(*m_sprite, m_target->Format(), runs);
}

}  // namespace plat::raster
