#include "graphics/blitters.h"

#include <gtest/gtest.h>

#include "graphics/pixel_ops.h"

namespace {

constexpr uint16_t kKey = 0xF81F;
constexpr uint16_t kBg = 0x1111;

// A locked 16-bit destination with a pitch wider than its width.
struct Canvas {
    int32_t w, h, stride;
    std::vector<uint16_t> px;
    Canvas(int32_t width, int32_t height, uint16_t fill = kBg)
        : w(width), h(height), stride(width + 3), px(size_t(stride) * height, fill) {}
    PixelTarget Target() { return {reinterpret_cast<uint8_t*>(px.data()), stride * 2, w, h}; }
    uint16_t At(int32_t x, int32_t y) const { return px[size_t(y) * stride + x]; }
    std::vector<uint16_t> Row(int32_t y, int32_t x0, int32_t n) const {
        return {px.begin() + y * stride + x0, px.begin() + y * stride + x0 + n};
    }
    ClipRect Clip(const ClipRect* c = nullptr) { return MakeClipRect(c, Target(), 800, 600); }
};

SpanPicture OneRun(std::vector<uint16_t> pixels, int32_t width = 0) {
    SpanPicture p;
    p.width = width ? width : int32_t(pixels.size());
    p.height = 1;
    p.spans = {{0, 0, int32_t(pixels.size())}};
    p.pixels = pixels;
    p.dataSize = uint32_t(pixels.size() * 2);
    return p;
}

std::vector<int32_t> Sides(const ClipRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TEST(BlitterTest, ClipRectangleIsLimitedToTheScreenAndTheDestination) {
    Canvas c(50, 40);
    ClipRect wide{-5, -3, 1000, 1000};
    EXPECT_EQ(Sides(c.Clip(&wide)), (std::vector<int32_t>{0, 0, 50, 40}));
    EXPECT_EQ(Sides(c.Clip()), (std::vector<int32_t>{0, 0, 50, 40}));
    EXPECT_EQ(Sides(MakeClipRect(&wide, c.Target(), 30, 20)), (std::vector<int32_t>{0, 0, 30, 20}));
}

TEST(BlitterTest, RunCutAtTheLeftEdgeStartsFromItsSixthPixel) {
    Canvas c(20, 2);
    auto pic = OneRun({1, 2, 3, 4, 5, 6, 7, 8});
    ClipRect clip{5, 0, 20, 2};
    BlitSpans(c.Target(), c.Clip(&clip), ViewOf(pic), 0, 0, SpanStyle{});
    EXPECT_EQ(c.Row(0, 4, 5), (std::vector<uint16_t>{kBg, 6, 7, 8, kBg}));
}

TEST(BlitterTest, RunCutAtTheRightEdgeAndRowsOutsideAreSkipped) {
    Canvas c(6, 3);
    SpanPicture pic;
    pic.width = 4;
    pic.height = 3;
    pic.spans = {{0, 0, 4}, {0, 2, 4}};
    pic.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    pic.dataSize = 16;
    ClipRect clip{0, 0, 5, 2};
    BlitSpans(c.Target(), c.Clip(&clip), ViewOf(pic), 2, 0, SpanStyle{});
    EXPECT_EQ(c.Row(0, 0, 6), (std::vector<uint16_t>{kBg, kBg, 1, 2, 3, kBg}));
    EXPECT_EQ(c.Row(2, 0, 6), std::vector<uint16_t>(6, kBg));
}

// Runs of every length up to past the block sizes land pixel for pixel, the
// last one left out when transparent, and nothing beside them is touched.
TEST(BlitterTest, RunsOfEveryLengthCopyExactly) {
    for (int32_t n = 1; n <= 40; ++n) {
        Canvas c(48, 2);
        std::vector<uint16_t> pixels;
        for (int32_t i = 0; i < n; ++i) pixels.push_back(uint16_t(100 + i));
        if (n % 3 == 0) pixels.back() = kKey;
        auto pic = OneRun(pixels);
        BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 3, 1, SpanStyle{});
        std::vector<uint16_t> expect(48, kBg);
        for (int32_t i = 0; i < n; ++i)
            expect[size_t(3 + i)] = pixels[size_t(i)] == kKey ? kBg : pixels[size_t(i)];
        EXPECT_EQ(c.Row(1, 0, 48), expect) << n;
        EXPECT_EQ(c.Row(0, 0, 48), std::vector<uint16_t>(48, kBg)) << n;
    }
}

// A damaged picture whose runs stray outside its own box, drawn where the
// box is wholly inside the clip: the strays are cut at the clip rectangle.
TEST(BlitterTest, RunsOutsideThePictureBoxAreClipped) {
    Canvas c(10, 4);
    SpanPicture pic;
    pic.width = 2;
    pic.height = 2;
    pic.spans = {{0, 0, 2}, {1, 1, 12}, {0, -5, 2}, {-4, 1, 6}};
    for (uint16_t i = 1; i <= 22; ++i) pic.pixels.push_back(i);
    pic.dataSize = uint32_t(pic.pixels.size() * 2);
    ClipRect clip{1, 0, 9, 4};
    BlitSpans(c.Target(), c.Clip(&clip), ViewOf(pic), 2, 1, SpanStyle{});
    EXPECT_EQ(c.Row(1, 0, 10), (std::vector<uint16_t>{kBg, kBg, 1, 2, kBg, kBg, kBg, kBg, kBg, kBg}));
    // Row 2: the long run from column 3 to the clip's edge, then the one from
    // column -2 over it from column 1.
    EXPECT_EQ(c.Row(2, 0, 10), (std::vector<uint16_t>{kBg, 20, 21, 22, 4, 5, 6, 7, 8, kBg}));
    EXPECT_EQ(c.Row(0, 0, 10), std::vector<uint16_t>(10, kBg));
    EXPECT_EQ(c.Row(3, 0, 10), std::vector<uint16_t>(10, kBg));
}

TEST(BlitterTest, LastPixelInTheTransparentColourIsNotDrawn) {
    for (bool mirrored : {false, true}) {
        Canvas c(6, 1);
        auto pic = OneRun({1, 2, kKey});
        SpanStyle s;
        s.mirrored = mirrored;
        BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 0, 0, s);
        EXPECT_EQ(c.Row(0, 0, 3),
                  mirrored ? (std::vector<uint16_t>{kBg, 2, 1}) : (std::vector<uint16_t>{1, 2, kBg}));
    }
}

TEST(BlitterTest, MirroredRunLandsAtTheOtherSideReversed) {
    Canvas c(12, 1);
    auto pic = OneRun({1, 2, 3}, 10);
    SpanStyle s;
    s.mirrored = true;
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 0, 0, s);
    EXPECT_EQ(c.Row(0, 6, 5), (std::vector<uint16_t>{kBg, 3, 2, 1, kBg}));
}

TEST(BlitterTest, VerticalFlipTurnsRowsAroundTheMiddle) {
    Canvas c(2, 5);
    SpanPicture pic;
    pic.width = 1;
    pic.height = 4;
    pic.spans = {{0, 0, 1}, {0, 3, 1}};
    pic.pixels = {7, 9};
    SpanStyle s;
    s.flipVertical = true;
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 0, 0, s);
    EXPECT_EQ(c.At(0, 4), 7);  // row 0 goes to (4 / 2) * 2 - 0
    EXPECT_EQ(c.At(0, 1), 9);
    EXPECT_EQ(c.At(0, 0), kBg);
}

TEST(BlitterTest, PixelRulesTable) {
    struct Case {
        const char* what;
        SpanStyle style;
        uint16_t src, dst, want;
    };
    auto style = [](auto set) {
        SpanStyle s;
        set(s);
        return s;
    };
    const Case cases[] = {
        {"half blend white over black", style([](SpanStyle& s) { s.blendHalf = true; }), 0xFFFF, 0x0000,
         0x7BEF},
        {"grey 5-6-5", style([](SpanStyle& s) { s.grey = true; }), 0xF800, kBg,
         (3 << 11) | (6 << 5) | 3},  // 0.1 x 31
        {"grey 5-6-5 white", style([](SpanStyle& s) { s.grey = true; }), 0xFFFF, kBg,
         (30 << 11) | (60 << 5) | 30},
        {"grey 5-5-5", style([](SpanStyle& s) { s.grey = true, s.kind = PIXEL_KIND_555; }), 0x001F, kBg,
         (9 << 10) | (9 << 5) | 9},
        {"grey 5-5-5 green", style([](SpanStyle& s) { s.grey = true, s.kind = PIXEL_KIND_555; }), 0x03E0, kBg,
         (18 << 10) | (18 << 5) | 18},
        {"grey leaves other kinds alone",
         style([](SpanStyle& s) { s.grey = true, s.kind = PIXEL_KIND_4444; }), 0x1234, kBg, kBg},
        {"tint saturates instead of wrapping", style([](SpanStyle& s) {
             s.tint = true, s.tintFactors[0] = 3, s.tintFactors[1] = 0.5f, s.tintFactors[2] = 2;
         }),
         (20 << 11) | (40 << 5) | 10, kBg, (31 << 11) | (20 << 5) | 20},
        {"highlight limits each channel", style([](SpanStyle& s) { s.highlight = true; }),
         (25 << 11) | (50 << 5) | 3, kBg, (31 << 11) | (60 << 5) | 13},
        {"opacity blends", style([](SpanStyle& s) { s.opacity = 51; }), 0xFFFF, 0x0000,
         (6 << 11) | (12 << 5) | 6},
        {"opacity 0 draws nothing", style([](SpanStyle& s) { s.opacity = 0; }), 0xFFFF, 0x0000, 0x0000},
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 1, c.dst);
        auto pic = OneRun({c.src, c.src, 0x0042});
        BlitSpans(canvas.Target(), canvas.Clip(), ViewOf(pic), 0, 0, c.style);
        EXPECT_EQ(canvas.At(0, 0), c.want) << c.what;
        EXPECT_EQ(canvas.At(1, 0), c.want) << c.what;
    }
}

TEST(BlitterTest, HalfBlendNeverWritesTheLastPixel) {
    Canvas c(3, 1, 0);
    auto pic = OneRun({0xFFFF, 0xFFFF, 0xFFFF});
    SpanStyle s;
    s.blendHalf = true;
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 0, 0, s);
    EXPECT_EQ(c.Row(0, 0, 3), (std::vector<uint16_t>{0x7BEF, 0x7BEF, 0}));
}

TEST(BlitterTest, OutlineLeavesAWhiteHalo) {
    Canvas c(6, 4, 0);
    SpanPicture pic = OneRun({5, 6});
    SpanStyle s;
    s.outline = true;
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 2, 1, s);
    EXPECT_EQ(c.Row(0, 0, 6), (std::vector<uint16_t>{0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0}));
    EXPECT_EQ(c.Row(1, 0, 6), (std::vector<uint16_t>{0, 0xFFFF, 5, 6, 0xFFFF, 0}));
    EXPECT_EQ(c.Row(2, 0, 6), (std::vector<uint16_t>{0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0}));
    EXPECT_EQ(c.Row(3, 0, 6), std::vector<uint16_t>(6, 0));
}

TEST(BlitterTest, NothingIsDrawnWithoutMemoryOrWhollyOutside) {
    Canvas c(4, 4);
    auto pic = OneRun({1, 2});
    PixelTarget none{nullptr, 8, 4, 4};
    BlitSpans(none, c.Clip(), ViewOf(pic), 0, 0, SpanStyle{});
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 4, 0, SpanStyle{});
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), -3, 0, SpanStyle{});
    BlitSpans(c.Target(), c.Clip(), ViewOf(pic), 0, -2, SpanStyle{});
    for (uint16_t p : c.px) EXPECT_EQ(p, kBg);
}

TEST(BlitterTest, FillSpanFillsExactlyTheClippedRectangle) {
    struct Case {
        int32_t x, y, length, rows;
        ClipRect want;  // the filled area; empty when right <= left
    } cases[] = {
        {2, 1, 3, 2, {2, 1, 5, 3}}, {-2, -1, 5, 3, {1, 1, 3, 2}}, {6, 3, 10, 10, {6, 3, 8, 5}},
        {8, 0, 3, 3, {0, 0, 0, 0}}, {0, 5, 3, 3, {0, 0, 0, 0}},   {3, 2, 0, 2, {0, 0, 0, 0}},
    };
    for (const Case& k : cases) {
        Canvas c(10, 6, 0);
        ClipRect clip{1, 1, 8, 5};
        FillSpan(c.px.data(), c.stride, clip, k.x, k.y, k.length, k.rows, 0xABCD);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 10; ++x) {
                bool in = x >= k.want.left && x < k.want.right && y >= k.want.top && y < k.want.bottom;
                EXPECT_EQ(c.At(x, y), in ? 0xABCD : 0) << k.x << "," << k.y << " at " << x << "," << y;
            }
    }
}

TEST(BlitterTest, SolidDrawsTheSilhouetteInWhite) {
    Canvas c(5, 1, 0);
    auto pic = OneRun({1, kKey, 3}, 4);
    BlitSpansSolid(c.Target(), c.Clip(), ViewOf(pic), 0, 0, true);
    EXPECT_EQ(c.Row(0, 0, 5), (std::vector<uint16_t>{0, 0xFFFF, 0xFFFF, 0xFFFF, 0}));
}

TEST(BlitterTest, GlowPhaseRisesAndFallsEveryTwoSeconds) {
    EXPECT_FLOAT_EQ(GlowPhase(0), 1.0f);
    EXPECT_FLOAT_EQ(GlowPhase(500), 1.5f);
    EXPECT_FLOAT_EQ(GlowPhase(1000), 2.0f);
    EXPECT_FLOAT_EQ(GlowPhase(1500), 1.5f);
    EXPECT_FLOAT_EQ(GlowPhase(2000), 1.0f);
    EXPECT_FLOAT_EQ(GlowPhase(7000), 2.0f);
}

TEST(BlitterTest, IndexedPaletteGlowTintAndGrey) {
    std::vector<uint16_t> pal(256, 0);
    pal[1] = (16 << 11) | (32 << 5) | 16;
    pal[2] = 0xFFFF;
    uint16_t out[256];
    const float ones[3] = {1, 1, 1};
    // Glow: f = (0.59 * 16 + 0.1 * 16 + 0.3 * 16 + 0.01) * 0.0625 * p.
    PrepareIndexedPalette(pal.data(), out, PIXEL_KIND_565, true, 1.0f, false, ones, false);
    EXPECT_EQ(out[1], (15 << 11) | (31 << 5) | 15);  // f = 0.9912
    PrepareIndexedPalette(pal.data(), out, PIXEL_KIND_565, true, 2.0f, false, ones, false);
    EXPECT_EQ(out[1], (31 << 11) | (63 << 5) | 31);  // f = 1.98, limited
    EXPECT_EQ(out[2], 0xFFFF);
    const float half[3] = {0.5f, 0.5f, 0.5f};
    PrepareIndexedPalette(pal.data(), out, PIXEL_KIND_565, false, 1.0f, true, half, true);
    EXPECT_EQ(out[1], GreyPixel((8 << 11) | (16 << 5) | 8, PIXEL_KIND_565));
    EXPECT_EQ(out[0], 0);
}

TEST(BlitterTest, IndexedRunsWriteEveryIndexAndWashMixesTheColour) {
    std::vector<uint16_t> pal(256, 0);
    pal[0] = 0x0001;
    pal[3] = 0xF800;
    SpanPicture pic;
    pic.width = 3;
    pic.height = 1;
    pic.spans = {{0, 0, 3}};
    pic.palette = pal;
    pic.pixels = {0x0300, 0x0003};  // indices 0, 3, 3
    Canvas c(3, 1);
    BlitSpansIndexed(c.Target(), c.Clip(), ViewOf(pic), 0, 0, pal.data(), IndexedStyle{});
    EXPECT_EQ(c.Row(0, 0, 3), (std::vector<uint16_t>{0x0001, 0xF800, 0xF800}));

    // Weight 1 keeps the palette colour; weight 0 at time 0 gives sin(0), sin(1), sin(2) of white.
    IndexedStyle wash;
    wash.wash = true;
    wash.washWeight = 1.0f;
    BlitSpansIndexed(c.Target(), c.Clip(), ViewOf(pic), 0, 0, pal.data(), wash);
    EXPECT_EQ(c.Row(0, 0, 3), (std::vector<uint16_t>{0x0001, 0xF800, 0xF800}));
    wash.washWeight = 0.0f;
    BlitSpansIndexed(c.Target(), c.Clip(), ViewOf(pic), 0, 0, pal.data(), wash);
    EXPECT_EQ(c.At(0, 0), 0);
    EXPECT_EQ(c.At(1, 0), (26 << 11) | (53 << 5) | 26);  // trunc(0.841 * 31), trunc(0.841 * 63)
    EXPECT_EQ(c.At(2, 0), (28 << 11) | (57 << 5) | 28);  // sin 2 = 0.909
}

// A frame 5 wide and 9 tall whose bottom row is 8.
SpanPicture ShadowFrame(std::vector<SpanRun> runs) {
    SpanPicture p;
    p.width = 5;
    p.height = 9;
    p.spans = std::move(runs);
    size_t n = 0;
    for (auto& r : p.spans) n += size_t(r.length);
    p.pixels.assign(n, 0x1234);
    return p;
}

TEST(BlitterTest, HardShadowIsHalfHeightAndLeansRight) {
    // Row 8 (bottom) casts on row 8 without lean; row 4 two rows higher and two pixels right;
    // row 5 (odd) casts nothing. The last pixel of each run casts no shadow.
    auto pic = ShadowFrame({{0, 4, 3}, {1, 5, 4}, {0, 8, 4}});
    Canvas c(12, 12, kBg);
    BlitHardShadow(c.Target(), c.Clip(), ViewOf(pic), 1, 1, false);
    EXPECT_EQ(c.Row(9, 0, 6), (std::vector<uint16_t>{kBg, 0, 0, 0, kBg, kBg}));
    EXPECT_EQ(c.Row(7, 0, 6), (std::vector<uint16_t>{kBg, kBg, kBg, 0, 0, kBg}));
    int dark = 0;
    for (uint16_t p : c.px) dark += p == 0;
    EXPECT_EQ(dark, 5);

    Canvas m(12, 12, kBg);
    BlitHardShadow(m.Target(), m.Clip(), ViewOf(pic), 1, 1, true);
    EXPECT_EQ(m.Row(9, 0, 6), (std::vector<uint16_t>{kBg, kBg, 0, 0, 0, kBg}));              // s = 5 - 0 - 4
    EXPECT_EQ(m.Row(7, 0, 8), (std::vector<uint16_t>{kBg, kBg, kBg, kBg, kBg, 0, 0, kBg}));  // s = 2 + 2
}

TEST(BlitterTest, OddRowsCastNoShadow) {
    auto pic = ShadowFrame({{0, 3, 3}, {0, 7, 4}});
    Canvas c(12, 12, kBg);
    BlitHardShadow(c.Target(), c.Clip(), ViewOf(pic), 0, 0, false);
    for (uint16_t p : c.px) EXPECT_EQ(p, kBg);
    SoftShadowQuad quad;
    Canvas work(128, 128, 0x5555);
    EXPECT_FALSE(RenderSoftShadow(work.Target(), 128, work.Clip(), ViewOf(pic), 0, 0, false, quad));
    EXPECT_EQ(work.At(0, 0), 0x5555);
}

TEST(BlitterTest, SoftShadowDrawsIntoTheWorkTextureAndGivesItsQuad) {
    auto pic = ShadowFrame({{0, 4, 3}, {0, 8, 4}});
    Canvas work(128, 128, 0x5555);
    SoftShadowQuad q;
    ASSERT_TRUE(RenderSoftShadow(work.Target(), 128, work.Clip(), ViewOf(pic), 10, 10, false, q));
    // Shadow runs: (s 2, t 6, length 3) and (s 0, t 8, length 4).
    EXPECT_EQ(q.minS, 0);
    EXPECT_EQ(q.maxS, 5);
    EXPECT_EQ(q.minT, 6);
    EXPECT_EQ(q.maxT, 9);
    EXPECT_FLOAT_EQ(q.u, 5.0f / 128);
    EXPECT_FLOAT_EQ(q.v, 3.0f / 128);
    EXPECT_EQ(work.Row(0, 0, 6), (std::vector<uint16_t>{0, 0, 0xFFFF, 0xFFFF, 0, 0}));
    EXPECT_EQ(work.Row(2, 0, 6), (std::vector<uint16_t>{0xFFFF, 0xFFFF, 0xFFFF, 0, 0, 0}));
    EXPECT_EQ(work.At(0, 1), 0);
    EXPECT_EQ(work.At(127, 127), 0);
}

TEST(BlitterTest, LargeSoftShadowIsScaledIntoTheWorkTexture) {
    // 300 wide and 400 tall: the shadow (about 500 x 200) is scaled down; nothing lands outside.
    SpanPicture p;
    p.width = 300;
    p.height = 400;
    for (int32_t y = 0; y < 400; ++y) p.spans.push_back({0, y, 300});
    p.pixels.assign(300 * 400, 0x1234);
    Canvas work(128, 130, 0x5555);  // two spare rows catch any write below the texture
    SoftShadowQuad q;
    ClipRect big{0, 0, 4000, 4000};
    ASSERT_TRUE(RenderSoftShadow(work.Target(), 128, MakeClipRect(&big, work.Target(), 4000, 4000), ViewOf(p),
                                 0, 0, false, q));
    EXPECT_FLOAT_EQ(q.u, 1.0f);
    EXPECT_FLOAT_EQ(q.v, 1.0f);
    for (int32_t x = 0; x < 128; ++x) EXPECT_EQ(work.At(x, 128), 0x5555);
    for (int32_t y = 0; y < 130; ++y)
        for (int32_t x = 128; x < work.stride; ++x) EXPECT_EQ(work.px[size_t(y) * work.stride + x], 0x5555);
}

TEST(BlitterTest, RectanglesFillAndOutline) {
    Canvas c(8, 6, 0);
    FillRectPixels(c.Target(), -2, 1, 3, 3, 7);
    EXPECT_EQ(c.Row(1, 0, 4), (std::vector<uint16_t>{7, 7, 7, 0}));
    EXPECT_EQ(c.Row(2, 0, 4), (std::vector<uint16_t>{7, 7, 7, 0}));
    EXPECT_EQ(c.Row(3, 0, 4), (std::vector<uint16_t>{0, 0, 0, 0}));

    Canvas o(8, 6, 0);
    DrawRectOutlinePixels(o.Target(), 1, 1, 20, 4, 9);  // right edge becomes 7
    EXPECT_EQ(o.Row(1, 0, 8), (std::vector<uint16_t>{0, 9, 9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(o.Row(2, 0, 8), (std::vector<uint16_t>{0, 9, 0, 0, 0, 0, 0, 9}));
    EXPECT_EQ(o.Row(4, 0, 8), (std::vector<uint16_t>{0, 9, 9, 9, 9, 9, 9, 9}));

    Canvas e(8, 6, 0);
    FillRectPixels(e.Target(), 3, 3, 3, 5, 7);  // no width
    DrawRectOutlinePixels(e.Target(), 4, 2, 2, 5, 7);
    for (uint16_t p : e.px) EXPECT_EQ(p, 0);
}

}  // namespace
