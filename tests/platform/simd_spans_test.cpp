#include "platform/raster/simd_spans.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/raster/device3d.h"
#include "platform/raster/surface.h"

using namespace plat::raster;

namespace {

// The levels this processor runs besides the scalar reference.
std::vector<SimdLevel> VectorLevels() {
    std::vector<SimdLevel> levels;
    for (SimdLevel l : {SimdLevel::kSse2, SimdLevel::kAvx2})
        if (l <= DetectedSimdLevel()) levels.push_back(l);
    return levels;
}

// Puts back the level in use when the test ends.
class SimdLevelGuard {
public:
    SimdLevelGuard() : m_saved(ActiveSimdLevel()) {}
    ~SimdLevelGuard() { SetSimdLevel(m_saved); }

private:
    SimdLevel m_saved;
};

TEST(SimdSpans, SpriteRunsAgreeWithTheScalarFormOnRandomSpans) {
    std::mt19937 rng(39);
    for (int round = 0; round < 3000; ++round) {
        SpriteRunState st;
        st.diffuse = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
        // The common diffuse colours: white, a shadow's black, opaque.
        if (round % 4 == 0) st.diffuse = {255, 255, 255, 255};
        if (round % 4 == 1) st.diffuse = {uint8_t(rng()), 0, 0, 0};
        if (round % 8 == 2) st.diffuse.a = 255;
        st.blend = round % 3 != 0;
        st.passLow = int(rng() % 300) - 20;
        st.passHigh = st.passLow + int(rng() % 280);
        st.passInverted = round % 7 == 0;
        st.keyOn = round % 2 == 0;
        st.keyLow = uint16_t(rng());
        st.keyHigh = uint16_t(st.keyLow + rng() % 3 * (rng() % 2 ? 1 : 4000));
        const PixelFormat format = round % 5 == 0 ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
        const int n = int(rng() % 70), offset = int(rng() % 9);
        std::vector<uint16_t> texels(size_t(n + offset) + 1), row(size_t(n + offset) + 8);
        for (auto& t : texels) t = uint16_t(rng());
        // Some texels carry the key itself and the edges of its range.
        for (int i = 0; i < n / 8; ++i) texels[rng() % texels.size()] = rng() % 2 ? st.keyLow : st.keyHigh;
        // Stretches of alpha 0, which the vector forms may pass over.
        if (round % 3 != 2)
            for (size_t i = rng() % texels.size(), end = i + rng() % 40; i < end && i < texels.size(); ++i)
                texels[i] &= 0x0FFF;
        for (auto& p : row) p = uint16_t(rng());
        std::vector<uint16_t> expect = row;
        const SpriteRunRef run{expect.data() + offset, texels.data() + offset, n};
        SpriteRunsAt(SimdLevel::kScalar, st, format, &run, 1);
        for (SimdLevel level : VectorLevels()) {
            std::vector<uint16_t> got = row;
            const SpriteRunRef same{got.data() + offset, texels.data() + offset, n};
            SpriteRunsAt(level, st, format, &same, 1);
            ASSERT_EQ(got, expect) << "round " << round << " level " << int(level) << " length " << n;
        }
    }
}

TEST(SimdSpans, KeyedRunsAgreeWithTheScalarFormOnRandomSpans) {
    std::mt19937 rng(40);
    for (int round = 0; round < 2000; ++round) {
        const uint16_t low = uint16_t(rng()), high = uint16_t(low + (round % 3 == 0 ? 0 : rng() % 5000));
        const int n = int(rng() % 90), offset = int(rng() % 9);
        std::vector<uint16_t> src(size_t(n + offset)), dst(size_t(n + offset) + 4);
        // Whole blocks keyed, none keyed and mixed.
        const int keyedShare = round % 4;
        for (auto& s : src)
            s = int(rng() % 4) < keyedShare ? uint16_t(low + rng() % (high - low + 1u)) : uint16_t(rng());
        for (auto& d : dst) d = uint16_t(rng());
        std::vector<uint16_t> expect = dst;
        KeyedRunAt(SimdLevel::kScalar, expect.data() + offset, src.data() + offset, n, low, high);
        for (SimdLevel level : VectorLevels()) {
            std::vector<uint16_t> got = dst;
            KeyedRunAt(level, got.data() + offset, src.data() + offset, n, low, high);
            ASSERT_EQ(got, expect) << "round " << round << " level " << int(level);
        }
    }
}

// Sprite quads whose texels land one to one on the pixels take the run path;
// at every level they draw what the general pipeline draws, clipped at the
// target's edges, on either target layout, at whole and half pixel positions.
TEST(SimdSpans, OneToOneSpriteQuadsMatchTheGeneralPipeline) {
    SimdLevelGuard guard;
    Surface tex(32, 16, PixelFormat::kArgb4444);
    std::mt19937 rng(41);
    // A figure: clear (alpha 0) margins of any width around its texels, some
    // rows wholly clear; drawn anew now and then, after it has been drawn.
    auto paint = [&] {
        for (int y = 0; y < tex.Height(); ++y) {
            const int from = int(rng() % 20), to = from + int(rng() % 20);
            for (int x = 0; x < tex.Width(); ++x)
                tex.At(x, y) = uint16_t(rng() & (x >= from && x < to && y % 5 != 2 ? 0xFFFF : 0x0FFF));
        }
        tex.SetColorKey(tex.At(5, 5), tex.At(5, 5));
    };
    std::vector<SimdLevel> levels = VectorLevels();
    levels.push_back(SimdLevel::kScalar);
    for (int round = 0; round < 160; ++round) {
        if (round % 40 == 0) paint();
        const PixelFormat format = round % 4 == 3 ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
        Surface reference(40, 30, format);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) reference.At(x, y) = uint16_t(rng());
        const float x1 = float(int(rng() % 60) - 20) + (round % 2 ? 0.5f : 0.0f);
        const float y1 = float(int(rng() % 40) - 10) + (round % 3 ? 0.0f : 0.5f);
        // The whole texture, or a part of it, or (wrapping) past its right edge.
        const int tw = 1 + int(rng() % 32), th = 1 + int(rng() % 16), tu = int(rng() % (33 - tw));
        const float u0 = float(round % 5 == 4 ? tu + 20 : tu) / 32, v0 = 0;
        const float u1 = u0 + float(tw) / 32, v1 = float(th) / 16;
        const uint32_t diffuse = round % 2 ? 0xFFFFFFFF : uint32_t(rng()) | 0x40000000;
        const ScreenVertex v[4] = {{x1, y1, 0, 1, diffuse, 0, u0, v0},
                                   {x1 + float(tw), y1, 0, 1, diffuse, 0, u1, v0},
                                   {x1 + float(tw), y1 + float(th), 0, 1, diffuse, 0, u1, v1},
                                   {x1, y1 + float(th), 0, 1, diffuse, 0, u0, v1}};
        const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
        Surface expect = reference;
        for (int pass = 0; pass <= int(levels.size()); ++pass) {
            const bool general = pass == 0;
            if (!general) SetSimdLevel(levels[size_t(pass - 1)]);
            Surface got = reference;
            Device3D dev;
            dev.SetRenderTarget(general ? &expect : &got);
            dev.SetViewport({0, 0, 40, 30, 0, 1});
            dev.SetFastPathsEnabled(!general);
            RenderState& rs = dev.State();
            rs.alphaBlend = round % 3 != 1;
            rs.srcBlend = BlendFactor::kSrcAlpha;
            rs.destBlend = BlendFactor::kInvSrcAlpha;
            rs.alphaTest = round % 4 != 0;
            rs.alphaFunc = round % 8 == 5 ? CompareFunc::kNotEqual : CompareFunc::kGreaterEqual;
            rs.alphaRef = 8;
            rs.colorKey = round % 5 != 0;
            StageState& s0 = dev.Stage(0);
            s0.texture = &tex;
            s0.colorOp = s0.alphaOp = TextureOp::kModulate;
            s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
            s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
            s0.addressU = round % 5 == 4 ? TextureAddress::kWrap : TextureAddress::kClamp;
            dev.DrawIndexed(v, 4, idx, 6);
            if (general) continue;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(got.At(x, y), expect.At(x, y))
                        << "round " << round << " level " << int(levels[size_t(pass - 1)]) << " at " << x
                        << "," << y;
        }
    }
}

}  // namespace
