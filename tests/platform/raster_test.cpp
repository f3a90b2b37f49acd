#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "platform/raster/device3d.h"
#include "platform/raster/span_shading.h"
#include "platform/raster/surface.h"

using namespace plat::raster;

namespace {

// A source whose pixel value is its column number, so copies show which columns landed.
Surface ColumnNumbers(int w, int h, PixelFormat f) {
    Surface s(w, h, f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.At(x, y) = uint16_t(x + 1);
    return s;
}

TEST(RasterBlit, ClipsBothRectanglesTogether) {
    for (PixelFormat f : {PixelFormat::kRgb555, PixelFormat::kRgb565}) {
        Surface dst(50, 4, f);
        Surface src = ColumnNumbers(100, 4, f);
        ASSERT_TRUE(Blit(dst, Rect{-10, 0, 90, 4}, src, Rect{0, 0, 100, 4}, kBlitNone));
        for (int x = 0; x < 50; ++x) EXPECT_EQ(dst.At(x, 2), x + 11) << x;  // column 10 at x 0
        Surface dst2(50, 4, f);
        EXPECT_FALSE(Blit(dst2, Rect{50, 0, 150, 4}, src, Rect{0, 0, 100, 4}, kBlitNone));
        EXPECT_EQ(dst2.At(49, 0), 0);
    }
}

TEST(RasterBlit, SourceColourKeySkipsKeyedPixels) {
    for (PixelFormat f : {PixelFormat::kRgb555, PixelFormat::kRgb565}) {
        Surface src(21, 3, f), dst(21, 3, f);
        for (int x = 0; x < 21; ++x)
            for (int y = 0; y < 3; ++y) src.At(x, y) = (x % 3 == 0) ? 0xF81F : uint16_t(x);
        Fill(dst, dst.Bounds(), 0x1234);
        src.SetColorKey(0xF81F, 0xF81F);
        Blit(dst, dst.Bounds(), src, src.Bounds(), kBlitSourceKey);
        for (int x = 0; x < 21; ++x) EXPECT_EQ(dst.At(x, 1), (x % 3 == 0) ? 0x1234 : x) << x;
        // Without the flag the key is ignored.
        Blit(dst, dst.Bounds(), src, src.Bounds(), kBlitNone);
        EXPECT_EQ(dst.At(0, 0), 0xF81F);
    }
}

TEST(RasterBlit, StretchSamplesNearestAndKeys) {
    for (PixelFormat f : {PixelFormat::kRgb555, PixelFormat::kRgb565}) {
        Surface src = ColumnNumbers(4, 2, f), dst(8, 4, f);
        Blit(dst, dst.Bounds(), src, src.Bounds(), kBlitNone);
        const int expect[8] = {1, 1, 2, 2, 3, 3, 4, 4};
        for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.At(x, 3), expect[x]);
        // Shrinking takes the pixel under each destination centre.
        Surface small(2, 1, f);
        Blit(small, small.Bounds(), src, src.Bounds(), kBlitNone);
        EXPECT_EQ(small.At(0, 0), 2);
        EXPECT_EQ(small.At(1, 0), 4);
        src.SetColorKey(2, 2);
        Fill(dst, dst.Bounds(), 0);
        Blit(dst, Rect{-2, 0, 6, 4}, src, src.Bounds(), kBlitSourceKey);  // clipped on the left
        EXPECT_EQ(dst.At(0, 0), 0);                                       // was column 2, keyed
        EXPECT_EQ(dst.At(2, 0), 3);
    }
}

TEST(RasterBlit, ConvertsBetweenLayouts) {
    Surface src(1, 1, PixelFormat::kRgb565), dst(1, 1, PixelFormat::kRgb555);
    src.At(0, 0) = 0xF800;  // red
    Blit(dst, dst.Bounds(), src, src.Bounds(), kBlitNone);
    EXPECT_EQ(dst.At(0, 0), 0x7C00);
    EXPECT_EQ(ToRgb565(PixelFormat::kBgr565, 0x001F), 0xF800);
    EXPECT_EQ(ToRgb565(PixelFormat::kRgb555, 0x7FFF), 0xFFFF);
}

// Device drawing onto a 5-6-5 target with pixel-space screen vertices.
struct DeviceFixture : ::testing::Test {
    Surface target{40, 30, PixelFormat::kRgb565};
    Device3D dev;
    void SetUp() override {
        dev.SetRenderTarget(&target);
        dev.SetViewport({0, 0, 40, 30, 0, 1});
        dev.State().cull = CullMode::kCounterClockwise;
    }
    void Quad(float x1, float y1, float x2, float y2, uint32_t diffuse, float u0 = 0, float v0 = 0,
              float u1 = 1, float v1 = 1, uint32_t specular = 0, float z = 0) {
        ScreenVertex v[4] = {{x1, y1, z, 1, diffuse, specular, u0, v0},
                             {x2, y1, z, 1, diffuse, specular, u1, v0},
                             {x2, y2, z, 1, diffuse, specular, u1, v1},
                             {x1, y2, z, 1, diffuse, specular, u0, v1}};
        const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
        dev.DrawIndexed(v, 4, idx, 6);
    }
    int Covered(uint16_t background) {
        int n = 0;
        for (int y = 0; y < target.Height(); ++y)
            for (int x = 0; x < target.Width(); ++x) n += target.At(x, y) != background;
        return n;
    }
};

TEST_F(DeviceFixture, AlignedQuadCoversExactlyTheNamedPixels) {
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    Quad(10, 10, 20, 20, 0xFFFFFFFF);
    EXPECT_EQ(Covered(0), 100);
    EXPECT_EQ(target.At(10, 10), 0xFFFF);
    EXPECT_EQ(target.At(19, 19), 0xFFFF);
    EXPECT_EQ(target.At(20, 15), 0);
    EXPECT_EQ(target.At(15, 20), 0);
    EXPECT_EQ(target.At(9, 15), 0);
    // Half-pixel positions cover the pixels whose centres lie inside.
    Fill(target, target.Bounds(), 0);
    Quad(2.5f, 2.5f, 5.5f, 4.5f, 0xFFFFFFFF);
    EXPECT_EQ(Covered(0), 6);
    EXPECT_EQ(target.At(3, 3), 0xFFFF);
    // Two quads sharing an edge never overlap nor leave a gap.
    Fill(target, target.Bounds(), 0);
    dev.State().alphaBlend = true;
    dev.State().srcBlend = BlendFactor::kOne;
    dev.State().destBlend = BlendFactor::kOne;
    Quad(0.3f, 0.7f, 7.6f, 9.2f, 0xFF000800);
    Quad(7.6f, 0.7f, 13.1f, 9.2f, 0xFF000800);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_TRUE(target.At(x, y) == 0 || target.At(x, y) == 0x0040) << x << "," << y;
}

TEST_F(DeviceFixture, CullingByWinding) {
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    Quad(20, 10, 10, 20, 0xFFFFFFFF);  // x reversed: counter-clockwise, culled
    Quad(10, 20, 20, 10, 0xFFFFFFFF);  // y reversed
    EXPECT_EQ(Covered(0), 0);
    Quad(20, 20, 10, 10, 0xFFFFFFFF);  // both reversed is the same quad turned round
    EXPECT_EQ(Covered(0), 100);
    Fill(target, target.Bounds(), 0);
    dev.State().cull = CullMode::kClockwise;
    Quad(10, 10, 20, 20, 0xFFFFFFFF);
    EXPECT_EQ(Covered(0), 0);
    dev.State().cull = CullMode::kNone;
    Quad(20, 10, 10, 20, 0xFFFFFFFF);
    EXPECT_EQ(Covered(0), 100);
}

TEST_F(DeviceFixture, BlendFactorsOnAKnownDestination) {
    // Destination (128, 64, 32) exactly representable in 5-6-5 after expansion? Use a raw value.
    const uint16_t dstRaw = Pack(PixelFormat::kRgb565, Argb{255, 132, 65, 33});
    const Argb d = Unpack(PixelFormat::kRgb565, dstRaw);
    struct Case {
        BlendFactor src, dst;
        uint32_t colour;
        Argb expect;
    };
    const uint32_t col = 0x80FF8000;  // alpha 128, red 255, green 128
    auto mix = [](uint32_t s, uint32_t sf, uint32_t dd, uint32_t df) {
        return uint8_t(std::min<uint32_t>(255, Mul255(s, sf) + Mul255(dd, df)));
    };
    const Case cases[] = {
        {BlendFactor::kSrcAlpha,
         BlendFactor::kInvSrcAlpha,
         col,
         {255, mix(255, 128, d.r, 127), mix(128, 128, d.g, 127), mix(0, 128, d.b, 127)}},
        {BlendFactor::kSrcAlpha, BlendFactor::kOne, col, {255, 255, mix(128, 128, d.g, 255), d.b}},
        {BlendFactor::kSrcAlpha,
         BlendFactor::kDestColor,
         col,
         {255, mix(255, 128, d.r, d.r), mix(128, 128, d.g, d.g), mix(0, 128, d.b, d.b)}},
        {BlendFactor::kOne, BlendFactor::kOne, col, {255, 255, mix(128, 255, d.g, 255), d.b}},
        {BlendFactor::kBothSrcAlpha,
         BlendFactor::kBothSrcAlpha,
         col,
         {255, mix(255, 128, d.r, 127), mix(128, 128, d.g, 127), mix(0, 128, d.b, 127)}},
        {BlendFactor::kZero,
         BlendFactor::kSrcColor,
         col,
         {255, mix(0, 0, d.r, 255), mix(0, 0, d.g, 128), mix(0, 0, d.b, 0)}},
    };
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    dev.Stage(0).alphaOp = TextureOp::kSelectArg1;
    dev.Stage(0).alphaArg1 = TextureArg::kDiffuse;
    dev.State().alphaBlend = true;
    for (const Case& c : cases) {
        Fill(target, target.Bounds(), dstRaw);
        dev.State().srcBlend = c.src;
        dev.State().destBlend = c.dst;
        Quad(0, 0, 2, 2, c.colour);
        EXPECT_EQ(target.At(1, 1), Pack(PixelFormat::kRgb565, c.expect)) << int(c.src) << "/" << int(c.dst);
    }
    // Hand-checked value for the normal mode: red 255*128/255 + 132*127/255 = 128 + 66 = 194 -> 0xC0.
    Fill(target, target.Bounds(), dstRaw);
    dev.State().srcBlend = BlendFactor::kSrcAlpha;
    dev.State().destBlend = BlendFactor::kInvSrcAlpha;
    Quad(0, 0, 2, 2, col);
    EXPECT_EQ(target.At(0, 0) >> 11, 194 >> 3);
}

TEST_F(DeviceFixture, AlphaTestDropsPixelsBelowTheReference) {
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    dev.Stage(0).alphaOp = TextureOp::kSelectArg1;
    dev.Stage(0).alphaArg1 = TextureArg::kDiffuse;
    dev.State().alphaTest = true;
    dev.State().alphaFunc = CompareFunc::kGreaterEqual;
    dev.State().alphaRef = 8;
    Quad(0, 0, 2, 2, 0x07FFFFFF);
    Quad(4, 0, 6, 2, 0x08FFFFFF);
    EXPECT_EQ(target.At(0, 0), 0);
    EXPECT_EQ(target.At(4, 0), 0xFFFF);
}

Surface Texture4444(int w, int h, uint32_t seed) {
    Surface t(w, h, PixelFormat::kArgb4444);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) t.At(x, y) = uint16_t(rng());
    return t;
}

TEST_F(DeviceFixture, TexturedQuadMapsTexelsOneToOne) {
    Surface tex = Texture4444(8, 8, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tex.At(x, y) |= 0xF000;  // opaque
    auto& s0 = dev.Stage(0);
    s0.texture = &tex;
    s0.colorOp = TextureOp::kModulate;
    s0.colorArg1 = TextureArg::kTexture;
    s0.colorArg2 = TextureArg::kDiffuse;
    s0.alphaOp = TextureOp::kModulate;
    s0.alphaArg1 = TextureArg::kTexture;
    s0.alphaArg2 = TextureArg::kDiffuse;
    // The sprite convention: corners half a pixel before the first pixel centre.
    Quad(4.5f, 2.5f, 12.5f, 10.5f, 0xFFFFFFFF);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(target.At(5 + x, 3 + y), ToRgb565(PixelFormat::kArgb4444, tex.At(x, y)))
                << x << "," << y;
}

TEST_F(DeviceFixture, TextureColourKeyAndAddressModes) {
    Surface tex(2, 1, PixelFormat::kArgb4444);
    tex.At(0, 0) = 0xFF00;  // red
    tex.At(1, 0) = 0x8000;  // keyed
    tex.SetColorKey(0x8000, 0x8000);
    auto& s0 = dev.Stage(0);
    s0.texture = &tex;
    s0.colorOp = TextureOp::kSelectArg1;
    s0.colorArg1 = TextureArg::kTexture;
    s0.alphaOp = TextureOp::kSelectArg1;
    s0.alphaArg1 = TextureArg::kTexture;
    dev.State().colorKey = true;
    Fill(target, target.Bounds(), 0x001F);
    Quad(0, 0, 2, 1, 0xFFFFFFFF);
    EXPECT_EQ(target.At(0, 0), 0xF800);
    EXPECT_EQ(target.At(1, 0), 0x001F);  // dropped
    dev.State().colorKey = false;
    tex.At(1, 0) = 0xF00F;  // blue
    struct Case {
        TextureAddress mode;
        uint16_t expect[4];  // pixels for u from 0 to 2 over 4 pixels
    };
    const Case cases[] = {
        {TextureAddress::kWrap, {0xF800, 0x001F, 0xF800, 0x001F}},
        {TextureAddress::kMirror, {0xF800, 0x001F, 0x001F, 0xF800}},
        {TextureAddress::kClamp, {0xF800, 0x001F, 0x001F, 0x001F}},
        {TextureAddress::kBorder, {0xF800, 0x001F, 0x07E0, 0x07E0}},
    };
    s0.borderColor = 0xFF00FF00;
    for (const Case& c : cases) {
        s0.addressU = c.mode;
        Quad(0, 2, 4, 3, 0xFFFFFFFF, 0, 0, 2, 1);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(target.At(x, 2), c.expect[x]) << int(c.mode) << " " << x;
    }
}

TEST_F(DeviceFixture, BilinearFilterAveragesNeighbours) {
    Surface tex(2, 1, PixelFormat::kArgb4444);
    tex.At(0, 0) = 0xF000;  // black
    tex.At(1, 0) = 0xFFFF;  // white
    auto& s0 = dev.Stage(0);
    s0.texture = &tex;
    s0.colorOp = TextureOp::kSelectArg1;
    s0.colorArg1 = TextureArg::kTexture;
    s0.magFilter = s0.minFilter = TextureFilter::kLinear;
    s0.addressU = TextureAddress::kClamp;
    // Sample exactly halfway between the two texel centres.
    Quad(0, 0, 1, 1, 0xFFFFFFFF, 0.5f, 0, 0.5f, 1);
    Argb c = Unpack(PixelFormat::kRgb565, target.At(0, 0));
    EXPECT_NEAR(c.r, 128, 8);
    EXPECT_NEAR(c.g, 128, 8);
}

TEST_F(DeviceFixture, GreyDotProductStagesGiveEqualChannels) {
    Surface tex = Texture4444(4, 4, 7);
    auto& s0 = dev.Stage(0);
    auto& s1 = dev.Stage(1);
    s0.texture = &tex;
    s0.colorOp = TextureOp::kAddSigned;
    s0.colorArg1 = TextureArg::kTexture;
    s0.colorArg2 = TextureArg::kDiffuse;
    s0.alphaOp = TextureOp::kModulate;
    s0.alphaArg1 = TextureArg::kTexture;
    s0.alphaArg2 = TextureArg::kDiffuse;
    s1.colorOp = TextureOp::kDotProduct3;
    s1.colorArg1 = TextureArg::kCurrent;
    s1.colorArg2 = TextureArg::kTextureFactor;
    s1.alphaOp = TextureOp::kSelectArg1;
    s1.alphaArg1 = TextureArg::kCurrent;
    dev.State().textureFactor = 0xFFA5CA8D;
    Surface target888(4, 4, PixelFormat::kArgb4444);
    dev.SetRenderTarget(&target888);
    Quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFF808080);
    int distinct = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            Argb c = Unpack(PixelFormat::kArgb4444, target888.At(x, y));
            EXPECT_EQ(c.r, c.g);
            EXPECT_EQ(c.g, c.b);
            distinct += c.r != 0;
        }
    EXPECT_GT(distinct, 0);
}

TEST_F(DeviceFixture, SpecularIsAddedWhenEnabled) {
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    dev.State().specular = true;
    Quad(0, 0, 1, 1, 0xFF400000, 0, 0, 1, 1, 0x00400000);
    EXPECT_EQ(target.At(0, 0) >> 11, 0x80 >> 3);
    dev.State().specular = false;
    Quad(0, 0, 1, 1, 0xFF400000, 0, 0, 1, 1, 0x00400000);
    EXPECT_EQ(target.At(0, 0) >> 11, 0x40 >> 3);
}

TEST_F(DeviceFixture, SpriteSpansMatchTheGeneralPipeline) {
    Surface tex = Texture4444(16, 16, 3);
    tex.SetColorKey(tex.At(3, 3), tex.At(3, 3));
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        Surface a(40, 30, PixelFormat::kRgb565), b(40, 30, PixelFormat::kRgb565);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) a.At(x, y) = b.At(x, y) = uint16_t(rng());
        auto& s0 = dev.Stage(0);
        s0.texture = &tex;
        s0.colorOp = s0.alphaOp = TextureOp::kModulate;
        s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
        s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
        s0.addressU = (round & 1) ? TextureAddress::kClamp : TextureAddress::kWrap;
        dev.State().alphaBlend = round % 3 != 0;
        dev.State().srcBlend = BlendFactor::kSrcAlpha;
        dev.State().destBlend = BlendFactor::kInvSrcAlpha;
        dev.State().alphaTest = round % 4 != 0;
        dev.State().alphaFunc = CompareFunc::kGreaterEqual;
        dev.State().alphaRef = 8;
        dev.State().colorKey = round % 5 != 0;
        uint32_t diffuse = uint32_t(rng()) | 0x40000000;
        float x1 = float(rng() % 300) / 10 - 3, y1 = float(rng() % 200) / 10 - 3;
        float x2 = x1 + float(rng() % 300) / 10 + 1, y2 = y1 + float(rng() % 200) / 10 + 1;
        // Some rounds stretch one column of texels across the quad (each row
        // one texel, changing from row to row) or one texel over all of it.
        const int stretch = round % 4;
        const float u0 = stretch >= 2 ? 0.37f : -0.3f, u1 = stretch >= 2 ? 0.37f : 1.7f;
        const float v0 = stretch == 3 ? 0.61f : 0.1f, v1 = stretch == 3 ? 0.61f : 1.2f;
        for (bool fast : {true, false}) {
            dev.SetRenderTarget(fast ? &a : &b);
            dev.SetFastPathsEnabled(fast);
            Quad(x1, y1, x2, y2, diffuse, u0, v0, u1, v1);
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << round << ": " << x << "," << y;
    }
}

TEST_F(DeviceFixture, VertexColoursAreInterpolatedAcrossTheTriangle) {
    // Black alpha rising from 0 at the left edge to 255 at the right darkens a
    // white target in a ramp; the colour follows the plane through the vertices.
    auto& s0 = dev.Stage(0);
    s0.colorOp = s0.alphaOp = TextureOp::kModulate;
    s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
    s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
    dev.State().alphaBlend = true;
    dev.State().srcBlend = dev.State().destBlend = BlendFactor::kBothSrcAlpha;
    for (bool fast : {true, false}) {
        dev.SetFastPathsEnabled(fast);
        Fill(target, target.Bounds(), 0xFFFF);
        ScreenVertex v[4] = {{0, 0, 0, 1, 0x00000000, 0, 0, 0},
                             {32, 0, 0, 1, 0xFF000000, 0, 0, 0},
                             {32, 4, 0, 1, 0xFF000000, 0, 0, 0},
                             {0, 4, 0, 1, 0x00000000, 0, 0, 0}};
        const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
        dev.DrawIndexed(v, 4, idx, 6);
        for (int x = 0; x < 32; ++x) {
            // Pixel centre x has alpha 255 * x / 32; the white shows through (255 - alpha).
            const uint32_t alpha = (255u * uint32_t(x) * 65536u / 32u + 0x8000u) >> 16;
            const uint32_t red = Mul255(255, 255 - alpha);
            EXPECT_EQ(target.At(x, 2) >> 11, red >> 3) << fast << " " << x;
        }
        EXPECT_EQ(target.At(32, 2), 0xFFFF);
    }
}

TEST(RasterSurface, UniformWhileWhollyFilled) {
    Surface s(8, 4, PixelFormat::kArgb4444);
    EXPECT_TRUE(s.IsUniform());
    EXPECT_EQ(s.UniformValue(), 0);
    Fill(s, s.Bounds(), 0xFFFF);
    EXPECT_TRUE(s.IsUniform());
    EXPECT_EQ(s.UniformValue(), 0xFFFF);
    Fill(s, Rect{0, 0, 2, 2}, 0x1234);  // partly
    EXPECT_FALSE(s.IsUniform());
    Fill(s, Rect{-5, -5, 50, 50}, 0x0F0F);  // more than the whole
    EXPECT_TRUE(s.IsUniform());
    s.At(3, 3) = 0x0F0F;  // any writable access, even of the same value
    EXPECT_FALSE(s.IsUniform());
    Fill(s, s.Bounds(), 0);
    s.Bits();
    EXPECT_FALSE(s.IsUniform());
}

TEST_F(DeviceFixture, ShadedSpansMatchTheGeneralPipeline) {
    // Vertex colours varying across triangles of every size, modulated by no
    // texture, a uniform one, an A4R4G4B4 one or a 5-6-5 one, copied or blended
    // under each alpha test onto both 16-bit target layouts.
    Surface tex4444 = Texture4444(16, 8, 9);
    tex4444.SetColorKey(tex4444.At(2, 2), tex4444.At(2, 2));
    Surface tex565(8, 8, PixelFormat::kRgb565);
    std::mt19937 rng(11);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tex565.At(x, y) = uint16_t(rng());
    Surface white(64, 64, PixelFormat::kArgb4444), tinted(4, 4, PixelFormat::kArgb4444);
    Fill(white, white.Bounds(), 0xFFFF);
    Fill(tinted, tinted.Bounds(), 0x8C4F);
    Surface keyed(4, 4, PixelFormat::kArgb4444);
    Fill(keyed, keyed.Bounds(), 0x1234);
    keyed.SetColorKey(0x1234, 0x1234);
    const Surface* textures[] = {nullptr, &white, &tinted, &keyed, &tex4444, &tex565};
    const CompareFunc funcs[] = {CompareFunc::kGreaterEqual, CompareFunc::kLess,    CompareFunc::kNotEqual,
                                 CompareFunc::kAlways,       CompareFunc::kGreater, CompareFunc::kEqual,
                                 CompareFunc::kLessEqual,    CompareFunc::kNever};
    for (int round = 0; round < 160; ++round) {
        const PixelFormat format = (round & 1) ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
        Surface a(40, 30, format), b(40, 30, format);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) a.At(x, y) = b.At(x, y) = uint16_t(rng());
        auto& s0 = dev.Stage(0);
        s0.texture = textures[round % 6];
        s0.colorOp = s0.alphaOp = TextureOp::kModulate;
        s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
        s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
        s0.addressU = (round & 2) ? TextureAddress::kClamp : TextureAddress::kWrap;
        s0.addressV = (round & 4) ? TextureAddress::kMirror : TextureAddress::kWrap;
        dev.State().alphaBlend = round % 3 != 0;
        const bool both = (round & 8) != 0;
        dev.State().srcBlend = both ? BlendFactor::kBothSrcAlpha : BlendFactor::kSrcAlpha;
        dev.State().destBlend = both ? BlendFactor::kBothSrcAlpha : BlendFactor::kInvSrcAlpha;
        dev.State().alphaTest = round % 5 != 0;
        dev.State().alphaFunc = funcs[(round / 5) % 8];
        dev.State().alphaRef = uint8_t(rng());
        dev.State().colorKey = round % 7 != 0;
        dev.State().specular = (round & 16) != 0;
        ScreenVertex v[3];
        for (auto& vert : v) {
            vert = {float(rng() % 500) / 10 - 5, float(rng() % 380) / 10 - 4, 0, 1, uint32_t(rng()), 0,
                    float(rng() % 40) / 10 - 1,  float(rng() % 40) / 10 - 1};
        }
        const uint16_t idx[6] = {0, 1, 2, 0, 2, 1};  // both windings: one is culled
        for (bool fast : {true, false}) {
            dev.SetRenderTarget(fast ? &a : &b);
            dev.SetFastPathsEnabled(fast);
            dev.DrawIndexed(v, 3, idx, 6);
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << round << ": " << x << "," << y;
    }
}

TEST_F(DeviceFixture, TransformedVerticesGoThroughTheViewport) {
    // Identity transforms: clip space (-1..1) maps onto the 40 x 30 viewport.
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    LitVertex v[4] = {{-1, 1, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                      {0, 1, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                      {0, 0, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                      {-1, 0, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    EXPECT_EQ(dev.DrawIndexed(v, 4, idx, 6), 2);
    EXPECT_EQ(Covered(0), 20 * 15);
    EXPECT_EQ(target.At(19, 14), 0xFFFF);
    const uint16_t bad[3] = {0, 1, 9};
    EXPECT_EQ(dev.DrawIndexed(v, 4, bad, 3), 0);
}

// A solid quad at depth z.
struct DepthFixture : DeviceFixture {
    Surface depth{40, 30, PixelFormat::kRgb565};
    void SetUp() override {
        DeviceFixture::SetUp();
        dev.SetDepthBuffer(&depth);
        dev.Stage(0).colorOp = TextureOp::kSelectArg1;
        dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
        dev.Stage(0).alphaOp = TextureOp::kSelectArg1;
        dev.Stage(0).alphaArg1 = TextureArg::kDiffuse;
        dev.Clear(kClearZBuffer, 0, 1.0f);
    }
    void Solid(float x1, float x2, float z, uint32_t colour) {
        Quad(x1, 0, x2, 10, colour, 0, 0, 1, 1, 0, z);
    }
};

TEST_F(DepthFixture, TheNearerSurfaceWinsInEitherOrder) {
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    struct Case {
        bool zEnable, zWrite, nearFirst;
        uint16_t expect;  // the overlapped pixel
    };
    const Case cases[] = {
        {true, true, true, 0xF800},   // far quad fails the test
        {true, true, false, 0xF800},  // near quad overwrites
        {false, true, true, 0x001F},  // no test: the last one drawn
        {true, false, true, 0x001F},  // nothing written: the far quad passes against the cleared depth
    };
    for (const Case& c : cases) {
        Fill(target, target.Bounds(), 0);
        dev.Clear(kClearZBuffer, 0, 1.0f);
        dev.State().zEnable = c.zEnable;
        dev.State().zWrite = c.zWrite;
        if (c.nearFirst) {
            Solid(0, 10, 0.25f, red);
            Solid(5, 15, 0.75f, blue);
        } else {
            Solid(5, 15, 0.75f, blue);
            Solid(0, 10, 0.25f, red);
        }
        EXPECT_EQ(target.At(7, 5), c.expect) << c.zEnable << c.zWrite << c.nearFirst;
        EXPECT_EQ(target.At(12, 5), 0x001F);  // blue alone
        EXPECT_EQ(target.At(2, 5), 0xF800);   // red alone
    }
    // A depth buffer cleared to the near plane lets only depth 0 through (less or equal).
    dev.State().zEnable = dev.State().zWrite = true;
    Fill(target, target.Bounds(), 0);
    dev.Clear(kClearZBuffer, 0, 0.0f);
    Solid(0, 10, 0.5f, red);
    EXPECT_EQ(Covered(0), 0);
    Solid(0, 10, 0.0f, red);
    EXPECT_EQ(Covered(0), 100);
    // A depth buffer of another size is not used.
    Surface small(4, 4, PixelFormat::kRgb565);
    Fill(small, small.Bounds(), 0);
    dev.SetDepthBuffer(&small);
    Fill(target, target.Bounds(), 0);
    Solid(0, 10, 0.5f, red);
    EXPECT_EQ(Covered(0), 100);
}

TEST_F(DepthFixture, DepthIsInterpolatedAcrossATriangle) {
    dev.State().zEnable = true;
    // A quad whose depth runs from 0 on the left to 1 on the right, crossed by a flat one at 0.5.
    ScreenVertex v[4] = {{0, 0, 0, 1, 0xFFFF0000, 0, 0, 0},
                         {20, 0, 1, 1, 0xFFFF0000, 0, 0, 0},
                         {20, 10, 1, 1, 0xFFFF0000, 0, 0, 0},
                         {0, 10, 0, 1, 0xFFFF0000, 0, 0, 0}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    dev.DrawIndexed(v, 4, idx, 6);
    Solid(0, 20, 0.5f, 0xFF0000FF);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(target.At(x, 5), x < 10 ? 0xF800 : 0x001F) << x;
}

TEST_F(DepthFixture, DroppedPixelsWriteNoDepth) {
    dev.State().zEnable = true;
    dev.State().alphaTest = true;
    dev.State().alphaFunc = CompareFunc::kGreaterEqual;
    dev.State().alphaRef = 8;
    Solid(0, 10, 0.1f, 0x04FF0000);  // fails the alpha test
    Solid(0, 10, 0.9f, 0xFF0000FF);
    EXPECT_EQ(target.At(5, 5), 0x001F);
}

TEST_F(DepthFixture, SpriteQuadsHonourTheDepthTest) {
    // A quad the sprite span would take draws nothing behind a nearer depth.
    Surface tex = Texture4444(8, 8, 2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tex.At(x, y) |= 0xF000;
    auto& s0 = dev.Stage(0);
    s0.texture = &tex;
    s0.colorOp = s0.alphaOp = TextureOp::kModulate;
    s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
    s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
    dev.State().alphaBlend = true;
    dev.State().srcBlend = BlendFactor::kSrcAlpha;
    dev.State().destBlend = BlendFactor::kInvSrcAlpha;
    dev.State().zEnable = true;
    dev.Clear(kClearZBuffer, 0, 0.2f);
    Quad(0, 0, 8, 8, 0xFFFFFFFF, 0, 0, 1, 1, 0, 0.5f);
    EXPECT_EQ(Covered(0), 0);
    dev.State().zEnable = false;
    Quad(0, 0, 8, 8, 0xFFFFFFFF, 0, 0, 1, 1, 0, 0.5f);
    EXPECT_EQ(Covered(0), 64);
    // The same with colours across the quad (the shaded span's case).
    Fill(target, target.Bounds(), 0);
    dev.State().zEnable = true;
    ScreenVertex v[4] = {{10, 0, 0.5f, 1, 0xFFFF0000, 0, 0, 0},
                         {18, 0, 0.5f, 1, 0xFF00FF00, 0, 1, 0},
                         {18, 8, 0.5f, 1, 0xFF0000FF, 0, 1, 1},
                         {10, 8, 0.5f, 1, 0xFFFFFFFF, 0, 0, 1}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    dev.DrawIndexed(v, 4, idx, 6);
    EXPECT_EQ(Covered(0), 0);
    dev.State().zEnable = false;
    dev.DrawIndexed(v, 4, idx, 6);
    EXPECT_EQ(Covered(0), 64);
}

TEST_F(DeviceFixture, SecondStageSamplesItsOwnCoordinates) {
    // Stage 0: a white texture; stage 1: a 1 x 4 ramp, clamped in v, sampled by
    // the second coordinate pair and modulating stage 0.
    Surface white(2, 2, PixelFormat::kArgb4444);
    Fill(white, white.Bounds(), 0xFFFF);
    Surface ramp(1, 4, PixelFormat::kArgb4444);
    const uint16_t shades[4] = {0xFFFF, 0xFAAA, 0xF555, 0xF000};
    for (int y = 0; y < 4; ++y) ramp.At(0, y) = shades[y];
    auto& s0 = dev.Stage(0);
    auto& s1 = dev.Stage(1);
    s0.texture = &white;
    s0.colorOp = s0.alphaOp = TextureOp::kModulate;
    s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
    s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
    s1.texture = &ramp;
    s1.texCoordIndex = 1;
    s1.addressV = TextureAddress::kClamp;
    s1.colorOp = s1.alphaOp = TextureOp::kModulate;
    s1.colorArg1 = s1.alphaArg1 = TextureArg::kTexture;
    s1.colorArg2 = s1.alphaArg2 = TextureArg::kCurrent;
    dev.State().cull = CullMode::kNone;
    // Clip space over the whole 40 x 30 viewport; the first pair is constant,
    // the second runs v from -0.5 to 1.5 down the quad.
    LitVertex2 v[4] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0.1f, 0.1f, 0.5f, -0.5f},
                       {1, 1, 0.5f, 0xFFFFFFFF, 0, 0.1f, 0.1f, 0.5f, -0.5f},
                       {1, -1, 0.5f, 0xFFFFFFFF, 0, 0.1f, 0.1f, 0.5f, 1.5f},
                       {-1, -1, 0.5f, 0xFFFFFFFF, 0, 0.1f, 0.1f, 0.5f, 1.5f}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    EXPECT_EQ(dev.DrawIndexed(v, 4, idx, 6), 2);
    EXPECT_EQ(target.At(20, 1), 0xFFFF);  // v below 0: clamped to the first texel
    EXPECT_EQ(target.At(20, 28), 0);      // v above 1: clamped to the last (black)
    // v = 0.375 at row 11.25 .. rows 12-13 sample texel 1 (0xAA)
    EXPECT_EQ(target.At(20, 13), Pack(PixelFormat::kRgb565, Argb{255, 0xAA, 0xAA, 0xAA}));
    // The same quad with one pair: both stages sample it (v = 0.1: first texel).
    LitVertex one[4];
    for (int i = 0; i < 4; ++i) one[i] = {v[i].x, v[i].y, v[i].z, 0, v[i].diffuse, 0, v[i].tu, v[i].tv};
    dev.DrawIndexed(one, 4, idx, 6);
    EXPECT_EQ(target.At(20, 28), 0xFFFF);
}

TEST_F(DeviceFixture, TrianglesWithUnusableAttributesAreLeftOut) {
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float z, u, v;
    };
    for (const Case& c : {Case{nan, 0, 0}, Case{0, inf, 0}, Case{0, 0, 1e30f}, Case{-inf, 0, 0}}) {
        Quad(0, 0, 10, 10, 0xFFFFFFFF, c.u, c.v, 1, 1, 0, c.z);
        EXPECT_EQ(Covered(0), 0) << c.z << " " << c.u << " " << c.v;
    }
    Quad(0, 0, 10, 10, 0xFFFFFFFF, -1000, 0, 1000, 1, 0, 0.5f);  // large but usable
    EXPECT_EQ(Covered(0), 100);
}

TEST_F(DeviceFixture, EventLogRecordsDrawsAndClears) {
    std::vector<DeviceEvent> log;
    dev.SetEventLog(&log);
    dev.State().cull = CullMode::kClockwise;
    dev.Stage(0).colorOp = TextureOp::kSelectArg1;
    dev.Stage(0).colorArg1 = TextureArg::kDiffuse;
    Quad(0, 0, 4, 4, 0xFFFFFFFF);
    dev.Clear(kClearTarget | kClearZBuffer, 0, 1.0f);
    dev.SetEventLog(nullptr);
    Quad(0, 0, 4, 4, 0xFFFFFFFF);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, DeviceEvent::Kind::kDraw);
    EXPECT_EQ(log[0].indexCount, 6);
    EXPECT_EQ(log[0].drawn, 2);
    EXPECT_EQ(log[0].state.cull, CullMode::kClockwise);
    EXPECT_EQ(log[1].kind, DeviceEvent::Kind::kClear);
    EXPECT_EQ(log[1].clearFlags, kClearTarget | kClearZBuffer);
}

// The triangle's edges step their bound from row to row; it must be the
// floor that dividing afresh on each row gives, either sign, any step.
TEST(RasterEdges, FloorWalkMatchesDividingEachRow) {
    std::mt19937_64 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const int64_t d = 1 + int64_t(rng() % (round % 2 ? 300 : (1u << 24)));
        const int64_t n0 = int64_t(rng() % (1ull << 40)) - (int64_t(1) << 39);
        const int64_t step = int64_t(rng() % (1ull << 26)) - (int64_t(1) << 25);
        FloorWalk walk(n0, step, d);
        for (int64_t k = 0; k < 300; ++k, walk.Next()) {
            const int64_t n = n0 + k * step;
            const int64_t expect = n >= 0 ? n / d : -((-n + d - 1) / d);
            ASSERT_EQ(walk.Value(), expect) << n0 << " + " << k << " * " << step << " over " << d;
        }
    }
}

}  // namespace
