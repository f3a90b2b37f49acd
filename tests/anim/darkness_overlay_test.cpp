#include "anim/darkness_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/anim/ani_test_util.h"
#include "tests/graphics/graphics_fixture.h"

using plat::raster::Argb;
using plat::raster::PixelFormat;
using plat::raster::Surface;

namespace {

struct FakeEvents : IAniEvents {
    bool IsVisualEventRunning() override { return m_visualEvent; }
    bool IsFieldScriptRunning() override { return false; }
    bool IsInputLocked() override { return false; }
    bool m_visualEvent = false;
};

class DarknessTest : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        anitest::AniServiceSet services;
        services.characters = &m_chars;
        services.events = &m_events;
        anitest::InstallAniServices(services);
    }
    void TearDown() override {
        anitest::InstallAniServices({});
        GraphicsFixture::TearDown();
    }
    void Start(int w = 800, int h = 600) {
        ASSERT_EQ(BringUp(w, h, false), plat::kOk);
        m_d3d->InitRenderStates();
        ASSERT_TRUE(m_overlay.Init());
    }
    // Light bytes of the whole grid.
    std::vector<uint8_t> LightBytes() const {
        std::vector<uint8_t> out;
        for (int32_t r = 0; r < m_overlay.GetRows(); ++r)
            for (int32_t c = 0; c < m_overlay.GetCols(); ++c) out.push_back(m_overlay.GetColorBytes(c, r)[3]);
        return out;
    }
    // A picture of coloured bands to darken.
    void PaintFixture() {
        Surface& t = Target();
        for (int y = 0; y < t.Height(); ++y)
            for (int x = 0; x < t.Width(); ++x)
                t.At(x, y) = plat::raster::Pack(
                    PixelFormat::kRgb565, Argb{255, uint8_t(160 + (x / 40) % 4 * 30), uint8_t(200 - y / 4),
                                               uint8_t(90 + (x + y) % 7 * 20)});
    }

    anitest::FakeCharacters m_chars;
    FakeEvents m_events;
    CDarknessOverlay m_overlay;
};

TEST_F(DarknessTest, GridCoversTheScreenInCellsOf32) {
    struct Case {
        int w, h, cols, rows;
    };
    for (const Case& c : {Case{800, 600, 26, 20}, Case{1024, 768, 33, 25}}) {
        Start(c.w, c.h);
        EXPECT_EQ(m_overlay.GetCols(), c.cols) << c.w;
        EXPECT_EQ(m_overlay.GetRows(), c.rows) << c.h;
        const auto& v = m_overlay.GetVertices();
        ASSERT_EQ(v.size(), size_t(c.cols * c.rows));
        ASSERT_EQ(m_overlay.GetIndices().size(), size_t((c.cols - 1) * (c.rows - 1) * 6));
        const std::vector<uint16_t> first(m_overlay.GetIndices().begin(), m_overlay.GetIndices().begin() + 6);
        const uint16_t n = uint16_t(c.cols);
        EXPECT_EQ(first, (std::vector<uint16_t>{0, 1, n, 1, uint16_t(n + 1), n}));
        // Vertex (col, row) stands at the world point of screen point (col * 32, row * 32).
        const auto& last = v.back();
        EXPECT_EQ(m_d3d->WorldToScreenX(last.x), (c.cols - 1) * 32);
        EXPECT_EQ(m_d3d->WorldToScreenY(last.y), (c.rows - 1) * 32);
        EXPECT_EQ(m_d3d->WorldToScreenX(v[1].x), 32);
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(DarknessTest, MasksAreDarkestAtTheRimAndLitAtTheCentre) {
    Start();
    for (int32_t k = 0; k < DARK_RADIUS_COUNT; ++k) {
        const DarknessMask& m = m_overlay.GetMask(k);
        const int32_t w = 5 + 5 * k;
        ASSERT_EQ(m.m_width, w);
        ASSERT_EQ(m.m_height, w / 2);
        ASSERT_EQ(m.m_bytes.size(), size_t(w * (w / 2) * 64));
        EXPECT_EQ(m.At(w / 2, w / 4, 0, 0), 0) << k;
        for (int32_t s = 0; s < DARK_SUBDIVISION; ++s) {
            EXPECT_EQ(m.At(0, 0, s, s), 255) << k;
            EXPECT_EQ(m.At(w - 1, w / 2 - 1, s, s), 255) << k;
        }
        // Away from the centre along the row the light only falls off.
        for (int32_t cx = w / 2; cx + 1 < w; ++cx)
            EXPECT_LE(m.At(cx, w / 4, 0, 0), m.At(cx + 1, w / 4, 0, 0));
    }
    // The ellipse is half as tall as wide: a step down weighs the square root of 2 steps across.
    const DarknessMask& m = m_overlay.GetMask(15);
    const double reference = std::sqrt(323.0 * 323.0 + 2.0 * 163.0 * 163.0);
    EXPECT_NEAR(m.At(40, 21, 0, 0), 2.0 * 8.0 * std::sqrt(2.0) / reference * 255.0, 1.0);
    EXPECT_NEAR(m.At(42, 20, 0, 0), 2.0 * 16.0 / reference * 255.0, 1.0);
}

TEST_F(DarknessTest, LightIdsAreReusedAndBounded) {
    Start();
    EXPECT_EQ(m_overlay.AddLight(10, 10, 3, 0), 0);
    EXPECT_EQ(m_overlay.AddLight(20, 20, -4, 0), 1);
    EXPECT_EQ(m_overlay.AddLight(30, 30, 99, 1), 2);
    EXPECT_EQ(m_overlay.FindLight(1)->m_radius, 0);
    EXPECT_EQ(m_overlay.FindLight(2)->m_radius, 15);
    int32_t id = 1;
    m_overlay.RemoveLight(&id);
    EXPECT_EQ(id, DARK_NO_LIGHT);
    EXPECT_EQ(m_overlay.FindLight(1), nullptr);
    // Ids nobody holds, and an id removed twice, are not handed out again.
    m_overlay.RemoveLightId(1);
    m_overlay.RemoveLightId(77);
    m_overlay.RemoveLightId(DARK_NO_LIGHT);
    EXPECT_EQ(m_overlay.AddLight(0, 5, 0, 0), 1);
    EXPECT_EQ(m_overlay.AddLight(0, 5, 0, 0), 3);
    EXPECT_EQ(m_overlay.GetLightCount(), 4u);

    EXPECT_FALSE(m_overlay.SetLightPosition(DARK_NO_LIGHT, 1, 1));
    EXPECT_FALSE(m_overlay.SetLightPosition(50, 1, 1));
    EXPECT_TRUE(m_overlay.SetLightPosition(2, 300, 200));
    EXPECT_EQ(m_overlay.FindLight(2)->m_x, 300);
    EXPECT_EQ(m_overlay.FindLight(2)->m_y, 200);

    while (m_overlay.GetLightCount() < size_t(DARK_MAX_LIGHTS)) ASSERT_NE(m_overlay.AddLight(1, 1, 0, 0), -1);
    EXPECT_EQ(m_overlay.AddLight(1, 1, 0, 0), DARK_NO_LIGHT);
    EXPECT_EQ(m_overlay.GetLightCount(), size_t(DARK_MAX_LIGHTS));
}

TEST_F(DarknessTest, LevelsAreClampedAndFadeOneStepPerFrame) {
    Start();
    m_overlay.SetLevel(300);
    EXPECT_EQ(m_overlay.GetLevel(), 255);
    m_overlay.SetLevel(-20);
    EXPECT_EQ(m_overlay.GetLevel(), 0);

    CDarknessOverlay fresh;
    fresh.Init();
    fresh.FadeToLevel(120);  // from unset: at once
    EXPECT_EQ(fresh.GetLevel(), 120);
    fresh.FadeToLevel(123);
    EXPECT_EQ(fresh.GetLevel(), 120);
    for (int32_t expect : {121, 122, 123, 123}) {
        fresh.Update();
        EXPECT_EQ(fresh.GetLevel(), expect);
    }
    fresh.FadeToLevel(121);
    fresh.Update();
    EXPECT_EQ(fresh.GetLevel(), 122);
    fresh.FadeToLevel(999);
    EXPECT_EQ(fresh.GetTargetLevel(), 255);

    // A level set without a target fades out, one step a frame, and then
    // stays unset; a fade from there starts at once again.
    CDarknessOverlay alone;
    alone.Init();
    alone.SetLevel(2);
    for (int32_t expect : {1, 0, DARK_LEVEL_UNSET, DARK_LEVEL_UNSET}) {
        alone.Update();
        EXPECT_EQ(alone.GetLevel(), expect);
    }
    EXPECT_EQ(alone.GetEffectiveLevel(), 0);
    alone.FadeToLevel(40);
    EXPECT_EQ(alone.GetLevel(), 40);

    // Brightness scales the target, except during a visual event.
    fresh.SetLevel(100);
    fresh.FadeToLevel(100);
    fresh.m_brightness = 50;
    fresh.Update();
    EXPECT_EQ(fresh.GetLevel(), 99);
    m_events.m_visualEvent = true;
    fresh.Update();
    EXPECT_EQ(fresh.GetLevel(), 100);

    // Base plus current is held to 0..255; status 9 fixes it at 220.
    fresh.m_baseLevel = 200;
    EXPECT_EQ(fresh.GetEffectiveLevel(), 255);
    fresh.m_baseLevel = -300;
    EXPECT_EQ(fresh.GetEffectiveLevel(), 0);
    m_chars.status9 = true;
    EXPECT_EQ(fresh.GetEffectiveLevel(), DARK_STATUS9_LEVEL);
}

TEST_F(DarknessTest, OverlappingLightsKeepTheBrighterAtEachVertex) {
    Start();
    m_overlay.FadeToLevel(200);
    auto single = [&](int32_t x, int32_t y, int32_t radius) {
        CDarknessOverlay one;
        one.Init();
        one.FadeToLevel(200);
        one.AddLight(x, y, radius, 0);
        one.Update();
        std::vector<uint8_t> out;
        for (int32_t r = 0; r < one.GetRows(); ++r)
            for (int32_t c = 0; c < one.GetCols(); ++c) out.push_back(one.GetColorBytes(c, r)[3]);
        return out;
    };
    const std::vector<uint8_t> a = single(300, 250, 4), b = single(390, 270, 7);
    m_overlay.AddLight(300, 250, 4, 0);
    m_overlay.AddLight(390, 270, 7, 0);
    m_overlay.Update();
    const std::vector<uint8_t> both = LightBytes();
    int overlap = 0;
    for (size_t i = 0; i < both.size(); ++i) {
        ASSERT_EQ(both[i], std::max(a[i], b[i])) << i;
        overlap += a[i] > 0 && b[i] > 0;
    }
    EXPECT_GT(overlap, 4);
    // The brightest vertex sits under the light centre with the full level.
    EXPECT_GT(m_overlay.GetColorBytes(300 / 32, 250 / 32)[3], 150);
    // Vertex colours: alpha is the darkness left; with no light colour the rest is black.
    const auto& v = m_overlay.GetVertices();
    EXPECT_EQ(v[0].diffuse, 0xC8000000u);
    const uint8_t lit = m_overlay.GetColorBytes(12, 8)[3];
    EXPECT_EQ(v[size_t(8 * m_overlay.GetCols() + 12)].diffuse >> 24, uint32_t(200 - lit));

    // Lights off to the left or at (0, 0) are skipped; status 9 keeps only the player's.
    CDarknessOverlay skip;
    skip.Init();
    skip.FadeToLevel(200);
    skip.AddLight(-101, 100, 15, 0);
    skip.AddLight(0, 0, 15, 0);
    const int32_t player = skip.AddLight(400, 300, 2, 0);
    skip.AddLight(100, 100, 2, 0);
    m_chars.status9 = true;
    skip.m_playerLightId = player;
    skip.Update();
    EXPECT_GT(skip.GetColorBytes(400 / 32, 300 / 32)[3], 0);
    EXPECT_EQ(skip.GetColorBytes(100 / 32, 100 / 32)[3], 0);
    EXPECT_EQ(skip.GetColorBytes(0, 0)[3], 0);
    EXPECT_EQ(skip.GetVertices()[0].diffuse >> 24, uint32_t(DARK_STATUS9_LEVEL));
}

TEST_F(DarknessTest, FlickerTakesAtMost14AndColourFactorsTint) {
    Start();
    CDarknessOverlay steady;
    steady.Init();
    steady.FadeToLevel(180);
    steady.AddLight(320, 320, 6, 0);
    steady.Update();
    m_overlay.FadeToLevel(180);
    m_overlay.AddLight(320, 320, 6, 1);
    m_overlay.SeedFlicker(7);
    bool lower = false;
    for (int frame = 0; frame < 20; ++frame) {
        m_overlay.Update();
        for (int32_t r = 0; r < m_overlay.GetRows(); ++r)
            for (int32_t c = 0; c < m_overlay.GetCols(); ++c) {
                const int s = steady.GetColorBytes(c, r)[3], f = m_overlay.GetColorBytes(c, r)[3];
                ASSERT_LE(f, s);
                ASSERT_GE(f, std::max(s - 14, 0));
                lower |= f < s;
            }
    }
    EXPECT_TRUE(lower);

    // A reddish light: red bytes follow the light; vertex red is capped by the factor.
    steady.m_colorFactors[0] = 0.5f;
    steady.Update();
    const uint8_t* centre = steady.GetColorBytes(10, 10);
    EXPECT_EQ(centre[0], uint8_t(centre[3] * 0.5f));
    const uint32_t diffuse = steady.GetVertices()[size_t(10 * steady.GetCols() + 10)].diffuse;
    EXPECT_EQ((diffuse >> 16) & 255, uint32_t(std::min<float>(float(std::max(180 - centre[0], 0)), 127.5f)));
    EXPECT_EQ(diffuse & 0xFFFF, 0u);

    // Factors outside 0..1 are held to the byte range.
    steady.m_colorFactors[0] = 2.0f;
    steady.m_colorFactors[1] = -1.0f;
    steady.Update();
    ASSERT_GT(centre[3], 128);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 0);
    const uint32_t held = steady.GetVertices()[size_t(10 * steady.GetCols() + 10)].diffuse;
    EXPECT_EQ((held >> 16) & 255, 0u);  // 180 - 255, not below 0
    EXPECT_EQ((held >> 8) & 255, 0u);
}

TEST_F(DarknessTest, NothingIsDrawnAtLevelZeroOrWithTheSwitchOff) {
    Start();
    PaintFixture();
    const Surface before = Target();
    auto unchanged = [&] {
        for (int y = 0; y < 600; y += 7)
            for (int x = 0; x < 800; x += 5)
                if (Target().At(x, y) != before.At(x, y)) return false;
        return true;
    };
    m_overlay.m_drawSwitch = 1;
    m_overlay.SetLevel(0);
    m_overlay.Update();
    m_overlay.Draw();
    EXPECT_TRUE(unchanged());
    m_overlay.SetLevel(150);
    m_overlay.m_drawSwitch = 0;
    m_overlay.Update();
    m_overlay.Draw();
    EXPECT_TRUE(unchanged());
    // Status 9 draws even at level 0.
    m_overlay.SetLevel(0);
    m_overlay.m_drawSwitch = 1;
    m_chars.status9 = true;
    m_overlay.Update();
    m_overlay.Draw();
    EXPECT_FALSE(unchanged());
    EXPECT_EQ(m_d3d->GetBlendMode(), 0);
}

TEST_F(DarknessTest, OneLightCutsALitHoleIntoADarkenedFrame) {
    Start();
    PaintFixture();
    const Surface picture = Target();
    m_overlay.m_drawSwitch = 1;
    m_overlay.FadeToLevel(200);
    // A light on a grid vertex, radius 5 (30 cells wide, 15 tall).
    m_overlay.AddLight(384, 288, 5, 0);
    m_overlay.Update();
    m_overlay.Draw();
    ASSERT_EQ(m_dd->Present(false), plat::kOk);
    ASSERT_NE(m_display->LastFrame(), nullptr);
    const Surface& shown = *m_display->LastFrame();

    auto darkened = [&](int x, int y) {
        // Black at alpha 200 over the picture.
        const Argb p = plat::raster::Unpack(PixelFormat::kRgb565, picture.At(x, y));
        auto ch = [](uint8_t c) { return uint8_t(plat::raster::Mul255(c, 55)); };
        return plat::raster::Pack(PixelFormat::kRgb565, Argb{255, ch(p.r), ch(p.g), ch(p.b)});
    };
    // The hole: the picture itself around the centre.
    for (int y = 286; y <= 290; ++y)
        for (int x = 382; x <= 386; ++x) EXPECT_EQ(shown.At(x, y), picture.At(x, y)) << x << "," << y;
    // Outside the light's reach: fully darkened.
    for (auto [x, y] : {std::pair{5, 5}, std::pair{790, 590}, std::pair{384, 20}, std::pair{50, 288}})
        EXPECT_EQ(shown.At(x, y), darkened(x, y)) << x << "," << y;
    // In between the darkness grows outwards: the red channel never rises against the picture's.
    auto luminance = [&](const Surface& s, int x, int y) {
        const Argb c = plat::raster::Unpack(PixelFormat::kRgb565, s.At(x, y));
        return int(c.r) + c.g + c.b;
    };
    int lastRatio = 1 << 20;
    for (int x = 384; x < 800; x += 8) {
        const int ratio = luminance(shown, x, 288) * 1000 / std::max(1, luminance(picture, x, 288));
        EXPECT_LE(ratio, lastRatio + 40) << x;
        lastRatio = std::min(lastRatio, ratio);
    }
    EXPECT_LT(lastRatio, 260);
}

}  // namespace
