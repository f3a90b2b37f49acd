#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/data_table.h"
#include "data/data_table_writer.h"
#include "data/file_resource.h"
#include "graphics/dib.h"
#include "graphics_fixture.h"
#include "tests/support/temp_dir.h"

using plat::raster::Argb;
using plat::raster::PixelFormat;
using plat::raster::Rect;

namespace {

class Direct3DTest : public GraphicsFixture {};

uint16_t Blend565(uint16_t dst, uint32_t argb) {
    // Alpha blending of a colour over a 5-6-5 pixel, channel by channel, rounded.
    const Argb d = plat::raster::Unpack(PixelFormat::kRgb565, dst), s = plat::raster::FromArgb32(argb);
    auto mix = [&](uint32_t sc, uint32_t dc) {
        return uint8_t(
            std::min<uint32_t>(255, plat::raster::Mul255(sc, s.a) + plat::raster::Mul255(dc, 255 - s.a)));
    };
    return plat::raster::Pack(PixelFormat::kRgb565, Argb{255, mix(s.r, d.r), mix(s.g, d.g), mix(s.b, d.b)});
}

// Draws the whole stage-0 texture, white-lit, onto the screen square (0, 0)-(size, size).
int DrawTexturedSquare(CDirect3D& d3d, int size) {
    const float x0 = float(d3d.ScreenToWorldX(0)), y0 = float(d3d.ScreenToWorldY(0));
    const float x1 = float(d3d.ScreenToWorldX(size)), y1 = float(d3d.ScreenToWorldY(size));
    const plat::raster::LitVertex v[4] = {{x0, y0, 0, 0, 0xFFFFFFFF, 0, 0, 0},
                                          {x1, y0, 0, 0, 0xFFFFFFFF, 0, 1, 0},
                                          {x1, y1, 0, 0, 0xFFFFFFFF, 0, 1, 1},
                                          {x0, y1, 0, 0, 0xFFFFFFFF, 0, 0, 1}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    return d3d.DrawIndexed(v, 4, idx, 6);
}

TEST_F(Direct3DTest, ScreenWorldConversions) {
    struct Case {
        int w, h;
        float vw, vh;
    };
    for (const Case& c : {Case{800, 600, 10.0f, 7.5f}, Case{1024, 768, 12.8f, 9.6f}}) {
        ASSERT_EQ(BringUp(c.w, c.h, false), plat::kOk);
        EXPECT_FLOAT_EQ(m_d3d->GetViewWidth(), c.vw);
        EXPECT_FLOAT_EQ(m_d3d->GetViewHeight(), c.vh);
        for (int x : {0, 1, 400, c.w / 2, c.w - 1})
            EXPECT_EQ(m_d3d->WorldToScreenX(float(m_d3d->ScreenToWorldX(x))), x);
        for (int y : {0, 1, 300, c.h - 1})
            EXPECT_EQ(m_d3d->WorldToScreenY(float(m_d3d->ScreenToWorldY(y))), y);
        EXPECT_NEAR(m_d3d->ScreenToWorldY(0), c.vh * 0.5 + 0.5 / (float(c.h) / c.vh), 1e-6);
        m_d3d.reset();
        m_dd.reset();
    }
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    EXPECT_NEAR(m_d3d->ScreenToWorldX(400), -0.00625, 1e-12);
    EXPECT_EQ(m_d3d->WorldToScreenX(-0.00625f), 400);
}

TEST_F(Direct3DTest, FillRectCoversExactlyItsPixels) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const uint16_t background = 0x39E7;
    plat::raster::Fill(Target(), Target().Bounds(), background);
    const uint32_t colour = 0x80FF4020;
    m_d3d->FillRect(10, 10, 20, 20, colour);
    const uint16_t blended = Blend565(background, colour);
    ASSERT_NE(blended, background);
    int covered = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
            ASSERT_EQ(Target().At(x, y), inside ? blended : background) << x << "," << y;
            covered += inside;
        }
    EXPECT_EQ(covered, 100);
    // One pair of corners reversed winds the quad the other way: culled.
    plat::raster::Fill(Target(), Target().Bounds(), background);
    m_d3d->FillRect(20, 10, 10, 20, colour);
    m_d3d->FillRect(10, 20, 20, 10, colour);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(Target().At(x, y), background);
    // The same at 1024 x 768.
    m_d3d.reset();
    m_dd.reset();
    ASSERT_EQ(BringUp(1024, 768, true), plat::kOk);
    m_d3d->FillRect(1000, 700, 1024, 768, 0xFFFFFFFF);
    EXPECT_EQ(Target().At(1000, 700), 0xFFFF);
    EXPECT_EQ(Target().At(1023, 767), 0xFFFF);
    EXPECT_EQ(Target().At(999, 700), 0);
    EXPECT_EQ(Target().At(1000, 699), 0);
}

TEST_F(Direct3DTest, AnIndexListPastItsVerticesIsRefusedWhole) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    m_d3d->SetTexture(0, m_d3d->GetWhiteTexture());
    const float x0 = float(m_d3d->ScreenToWorldX(0)), y0 = float(m_d3d->ScreenToWorldY(0));
    const float x1 = float(m_d3d->ScreenToWorldX(8)), y1 = float(m_d3d->ScreenToWorldY(8));
    const plat::raster::LitVertex v[4] = {{x0, y0, 0, 0, 0xFFFF0000, 0, 0, 0},
                                          {x1, y0, 0, 0, 0xFFFF0000, 0, 1, 0},
                                          {x1, y1, 0, 0, 0xFFFF0000, 0, 1, 1},
                                          {x0, y1, 0, 0, 0xFFFF0000, 0, 0, 1}};
    const uint16_t good[6] = {0, 1, 2, 2, 3, 0}, past[6] = {0, 1, 2, 2, 4, 0},
                   far[6] = {0, 1, 2, 2, 3, 60000};
    struct Case {
        const char* what;
        const plat::raster::LitVertex* vertices;
        int count;
        const uint16_t* indices;
        plat::HResult result;
    } cases[] = {
        {"one index past the last vertex", v, 4, past, plat::kErrInvalidArg},
        {"an index far beyond", v, 4, far, plat::kErrInvalidArg},
        {"fewer vertices than the list uses", v, 3, good, plat::kErrInvalidArg},
        {"no vertices", nullptr, 4, good, plat::kErrInvalidArg},
        {"no indices", v, 4, nullptr, plat::kErrInvalidArg},
        {"a good list", v, 4, good, plat::kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::raster::Fill(Target(), Target().Bounds(), 0);
        EXPECT_EQ(m_d3d->DrawIndexedPrimitive(c.vertices, c.count, c.indices, 6), c.result);
        // A refused list draws not even its good triangle.
        EXPECT_EQ(Target().At(6, 1) != 0, c.result == plat::kOk);
    }
}

TEST_F(Direct3DTest, TheFontLayerDrawsIntoTheRenderTargetThroughItsDC) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    plat::FakeFontBackend fonts;
    plat::ScopedFontBackend useFonts(fonts);
    plat::HFONT font = plat::CreateFontA(12, 400, false);
    ASSERT_NE(font, nullptr);
    plat::raster::Fill(Target(), Target().Bounds(), 0);

    CRenderTargetDC dc;
    ASSERT_EQ(m_d3d->GetRenderTargetDC(&dc), plat::kOk);
    EXPECT_EQ(dc.pixels.width, 800);
    EXPECT_EQ(dc.pixels.height, 600);
    EXPECT_EQ(dc.format, Target().Format());
    CRenderTargetDC second;
    EXPECT_EQ(m_d3d->GetRenderTargetDC(&second), plat::dderr::kSurfaceBusy) << "one context at a time";
    EXPECT_EQ(second.pixels.pixels, nullptr);
    const uint16_t white = plat::raster::Pack(dc.format, Argb{255, 255, 255, 255});
    plat::TextOutA(font, dc.pixels, 100, 50, "ab", 2, white);
    EXPECT_EQ(m_d3d->ReleaseRenderTargetDC(second), plat::kErrInvalidArg);
    EXPECT_EQ(m_d3d->ReleaseRenderTargetDC(dc), plat::kOk);
    EXPECT_EQ(m_d3d->ReleaseRenderTargetDC(dc), plat::kErrInvalidArg) << "given back already";

    // The blocks of the fake font, on the frame at the text's position.
    EXPECT_EQ(Target().At(100, 51), white);
    EXPECT_EQ(Target().At(99, 51), 0);
    EXPECT_EQ(Target().At(100, 49), 0);
    // The target is free again for the frame's other drawing.
    plat::LockInfo lock;
    EXPECT_TRUE(m_d3d->GetRenderTarget()->Lock(&lock));
    m_d3d->GetRenderTarget()->Unlock();

    // A lost target gives no context.
    g_pDirectDraw->Device()->MarkLost(m_d3d->GetRenderTarget()->Surface());
    EXPECT_EQ(m_d3d->GetRenderTargetDC(&dc), plat::dderr::kSurfaceLost);
    plat::DeleteObject(font);
}

TEST_F(Direct3DTest, FillRectAlphaTestDropsNearlyTransparentColours) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    m_d3d->FillRect(0, 0, 4, 4, 0x07FFFFFF);
    EXPECT_EQ(Target().At(1, 1), 0);
    m_d3d->FillRect(0, 0, 4, 4, 0x08FFFFFF);
    EXPECT_NE(Target().At(1, 1), 0);
}

TEST_F(Direct3DTest, BlendModesOnAKnownDestination) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const uint16_t dst = plat::raster::Pack(PixelFormat::kRgb565, Argb{255, 100, 100, 100});
    const Argb d = plat::raster::Unpack(PixelFormat::kRgb565, dst);
    const uint32_t colour = 0x80C04000;  // alpha 128
    auto m = [](uint32_t a, uint32_t b) { return plat::raster::Mul255(a, b); };
    auto sat = [](uint32_t v) { return uint8_t(std::min<uint32_t>(v, 255)); };
    struct Case {
        uint8_t mode;
        Argb expect;
    };
    const Case cases[] = {
        {0, {255, sat(m(0xC0, 128) + m(d.r, 127)), sat(m(0x40, 128) + m(d.g, 127)), sat(m(d.b, 127))}},
        {1, {255, sat(m(0xC0, 128) + d.r), sat(m(0x40, 128) + d.g), d.b}},
        {2, {255, sat(m(0xC0, 128) + m(d.r, d.r)), sat(m(0x40, 128) + m(d.g, d.g)), sat(m(d.b, d.b))}},
        {3, {255, sat(0xC0 + d.r), sat(0x40 + d.g), d.b}},
        {4, {255, sat(m(0xC0, 128) + m(d.r, 127)), sat(m(0x40, 128) + m(d.g, 127)), sat(m(d.b, 127))}},
    };
    const plat::raster::LitVertex quad[4] = {};
    (void)quad;
    for (const Case& c : cases) {
        plat::raster::Fill(Target(), Target().Bounds(), dst);
        m_d3d->SetBlendMode(c.mode);
        EXPECT_EQ(m_d3d->GetBlendMode(), c.mode);
        // The quad of FillRect, drawn with the mode in force.
        const float x0 = float(m_d3d->ScreenToWorldX(0) + 0.5 / 80),
                    y0 = float(m_d3d->ScreenToWorldY(0) - 0.5 / 80);
        const float x1 = x0 + 4 / 80.0f, y1 = y0 - 4 / 80.0f;
        const plat::raster::LitVertex v[4] = {{x0, y0, 0, 0, colour, 0, 0, 0},
                                              {x1, y0, 0, 0, colour, 0, 0, 0},
                                              {x1, y1, 0, 0, colour, 0, 0, 0},
                                              {x0, y1, 0, 0, colour, 0, 0, 0}};
        const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
        m_d3d->SetTexture(0, m_d3d->GetWhiteTexture());
        ASSERT_EQ(m_d3d->DrawIndexed(v, 4, idx, 6), 2);
        EXPECT_EQ(Target().At(1, 1), plat::raster::Pack(PixelFormat::kRgb565, c.expect)) << int(c.mode);
    }
}

TEST_F(Direct3DTest, BlendModeCacheSkipsRepeatsAndKeepsStatesForUnknownModes) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    auto& st = m_d3d->Device()->State();
    m_d3d->SetBlendMode(2);
    EXPECT_EQ(st.destBlend, plat::raster::BlendFactor::kDestColor);
    m_d3d->SetBlendMode(7);
    EXPECT_EQ(m_d3d->GetBlendMode(), 7);
    EXPECT_EQ(st.destBlend, plat::raster::BlendFactor::kDestColor);
    st.destBlend = plat::raster::BlendFactor::kZero;  // changed behind the cache's back
    m_d3d->SetBlendMode(7);
    EXPECT_EQ(st.destBlend, plat::raster::BlendFactor::kZero);
    m_d3d->SetBlendMode(2);
    EXPECT_EQ(st.destBlend, plat::raster::BlendFactor::kDestColor);
    m_d3d->InitRenderStates();
    EXPECT_EQ(m_d3d->GetBlendMode(), 0);
    EXPECT_EQ(st.destBlend, plat::raster::BlendFactor::kInvSrcAlpha);
    EXPECT_FLOAT_EQ(m_d3d->m_texelOffsetX, 0.5f);
}

TEST_F(Direct3DTest, GreyStagesNeedTheDotProductCap) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const uint32_t id = m_d3d->CreateTexture(0, 4, 4, kTexA4R4G4B4);
    CTextureResource* tex = m_d3d->GetTexture(id);
    auto& px = tex->Surface()->Pixels();
    const uint16_t colours[4] = {0xFF00, 0xF0F0, 0xF00F, 0xF963};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) px.At(x, y) = colours[(x + y) % 4];
    m_d3d->SetGrayscaleStages();
    m_d3d->SetTexture(0, tex);
    DrawTexturedSquare(*m_d3d, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const Argb c = plat::raster::Unpack(PixelFormat::kRgb565, Target().At(x, y));
            EXPECT_EQ(c.r >> 3, c.g >> 3) << x << "," << y;  // green keeps one more bit
            EXPECT_EQ(c.r, c.b);
            EXPECT_NE(c.r, 0);
        }
    m_d3d->SetStageModulate(0);
    m_d3d->DisableStage(1);
    m_d3d.reset();
    m_dd.reset();
    plat::Machine().caps3D.textureOpCaps = 0;
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    m_d3d->SetGrayscaleStages();
    EXPECT_EQ(m_d3d->Device()->Stage(0).colorOp, plat::raster::TextureOp::kModulate);
    EXPECT_EQ(m_d3d->Device()->Stage(1).colorOp, plat::raster::TextureOp::kDisable);
}

TEST_F(Direct3DTest, DeviceBringUpFailures) {
    plat::Machine().textureFormats = {plat::DescribeFormat(PixelFormat::kRgb565)};
    EXPECT_EQ(BringUp(800, 600, false), plat::kErrFail);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    m_d3d.reset();
    m_dd.reset();
    plat::ResetMachine();
    plat::Machine().zBufferFormat = false;
    EXPECT_EQ(BringUp(800, 600, false), plat::kErrFail);
    m_d3d.reset();
    m_dd.reset();
    plat::ResetMachine();
    plat::Machine().reportedBits = 8;
    GetDisplaySettings().colorDepth = 16;
    ASSERT_NE(BringUp(800, 600, false), plat::kOk);  // the display's own test fails first
}

TEST_F(Direct3DTest, ResetDeviceChecksItsResult) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    EXPECT_TRUE(m_d3d->ResetDevice());
    EXPECT_NE(m_d3d->GetRenderTarget(), nullptr);
    EXPECT_NE(m_d3d->GetWhiteTexture(), nullptr);
    // Both the hardware and the software device refuse: nothing released stays in use.
    m_dd->Device()->InjectFault(plat::FaultPoint::kCreateDevice3D, plat::kErrFail, 2);
    EXPECT_FALSE(m_d3d->ResetDevice());
    EXPECT_EQ(m_d3d->GetRenderTarget(), nullptr);
    EXPECT_EQ(m_d3d->Device(), nullptr);
    m_d3d->FillRect(0, 0, 10, 10, 0xFFFFFFFF);  // draws nothing, and does not crash
    EXPECT_EQ(m_dd->GetRenderSurface(), nullptr);
    EXPECT_TRUE(m_d3d->ResetDevice());
}

TEST_F(Direct3DTest, RenderTargetOutlivesAnOverBudgetSurfaceCache) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    // Nobody but the Direct3D layer holds its surfaces: the cache must not drop them.
    m_surfaceCache->SetBudget(0);
    ASSERT_NE(m_d3d->GetRenderTarget()->Surface(), nullptr);
    m_d3d->FillRect(0, 0, 10, 10, 0xFFFFFFFF);
    ASSERT_EQ(m_dd->Present(false), plat::kOk);
    EXPECT_EQ(m_display->LastFrame()->At(5, 5), 0xFFFF);
    EXPECT_TRUE(m_d3d->ResetDevice());  // releases what it made and makes it again
    m_d3d.reset();
    EXPECT_EQ(m_surfaceCache->ChildCount(), 2);  // the display's primary and margin surfaces
}

TEST_F(Direct3DTest, ABoundTextureStaysValidAfterItsRelease) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const uint32_t id = m_d3d->CreateTexture(0, 4, 4, kTexA4R4G4B4);
    m_d3d->GetTexture(id)->Fill(0xF0F0);
    m_d3d->SetTexture(0, m_d3d->GetTexture(id));
    ASSERT_TRUE(m_d3d->ReleaseTexture(id));
    // The device still draws with the texture it was given, as the hardware would.
    ASSERT_EQ(DrawTexturedSquare(*m_d3d, 4), 2);
    EXPECT_EQ(Target().At(1, 1), 0x07E0);
}

TEST_F(Direct3DTest, TextureSizesFollowTheDeviceCaps) {
    struct Case {
        uint32_t caps;
        int w, h;
    };
    for (const Case& c : {Case{0, 300, 20}, Case{plat::kTextureCapsPow2, 512, 32},
                          Case{plat::kTextureCapsPow2 | plat::kTextureCapsSquareOnly, 512, 512}}) {
        plat::Machine().caps3D.textureCaps = c.caps;
        ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
        CTextureResource* t = m_d3d->GetTexture(m_d3d->CreateTexture(0, 300, 20, kTexA4R4G4B4));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->GetWidth(), c.w);
        EXPECT_EQ(t->GetHeight(), c.h);
        EXPECT_EQ(t->GetSize(), 2 * c.w * c.h);
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(Direct3DTest, TextureCreationFailures) {
    plat::Machine().textureFormats = {plat::DescribeFormat(PixelFormat::kArgb4444)};
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    EXPECT_EQ(m_d3d->CreateTexture(0, 8, 8, kTexR5G6B5), 0u);  // format missing: error box
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    // Video memory refuses: once more in system memory.
    m_dd->Device()->InjectFault(plat::FaultPoint::kCreateSurface, plat::dderr::kOutOfVideoMemory, 1);
    const uint32_t id = m_d3d->CreateTexture(0, 8, 8, kTexA4R4G4B4);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(m_d3d->GetTexture(id)->Surface()->Caps() & plat::kCapsSystemMemory);
    // Failing twice: no texture, no endless retry.
    m_dd->Device()->InjectFault(plat::FaultPoint::kCreateSurface, plat::dderr::kOutOfVideoMemory, 100);
    EXPECT_EQ(m_d3d->CreateTexture(0, 8, 8, kTexA4R4G4B4), 0u);
}

TEST_F(Direct3DTest, DrawingCanGoIntoATexture) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    plat::raster::Fill(Target(), Target().Bounds(), 0x0841);
    CSurfaceResource* screen = m_d3d->GetRenderTarget();
    CTextureResource* texture = m_d3d->GetTexture(m_d3d->CreateTexture(0, 254, 254, kTexR5G6B5));
    ASSERT_NE(texture, nullptr);
    const plat::raster::Surface& pixels = texture->Surface()->Pixels();
    ASSERT_EQ(pixels.Width(), 254);

    ASSERT_TRUE(m_d3d->BeginRenderToTexture(texture));
    EXPECT_TRUE(m_d3d->IsRenderingToTexture());
    EXPECT_FALSE(m_d3d->BeginRenderToTexture(texture));  // one at a time
    // Both the Direct3D draws and the display's render surface lead to the texture.
    EXPECT_EQ(&g_pDirectDraw->GetRenderSurface()->Surface()->Pixels(), &pixels);
    m_d3d->FillRect(10, 20, 30, 25, 0xFFFF0000);
    m_d3d->FillRect(240, 240, 300, 300, 0xFF00FF00);  // the part beyond the texture is clipped
    m_d3d->EndRenderToTexture();
    EXPECT_FALSE(m_d3d->IsRenderingToTexture());
    EXPECT_EQ(m_d3d->GetRenderTarget(), screen);

    int red = 0, green = 0;
    for (int y = 0; y < 254; ++y)
        for (int x = 0; x < 254; ++x) {
            red += pixels.At(x, y) == 0xF800;
            green += pixels.At(x, y) == 0x07E0;
        }
    EXPECT_EQ(red, 20 * 5);
    EXPECT_EQ(pixels.At(10, 20), 0xF800);
    EXPECT_EQ(green, 14 * 14);
    for (int y = 0; y < 600; y += 3)
        for (int x = 0; x < 800; x += 3) ASSERT_EQ(Target().At(x, y), 0x0841);
    // Back on the screen.
    m_d3d->FillRect(10, 20, 30, 25, 0xFFFF0000);
    EXPECT_EQ(Target().At(10, 20), 0xF800);
    EXPECT_FALSE(m_d3d->BeginRenderToTexture(nullptr));
}

class TextureFileTest : public GraphicsFixture {
protected:
    std::string WriteTga(const std::string& name, int w, int h, uint32_t argb) {
        std::vector<unsigned char> b = {0, 0, 2, 0,          0, 0,          0, 0,  0,
                                        0, 0, 0, uint8_t(w), 0, uint8_t(h), 0, 32, 0};
        for (int i = 0; i < w * h; ++i)
            for (int k = 0; k < 4; ++k) b.push_back(uint8_t(argb >> (8 * k)));
        return m_dir.WriteFile(name, b);
    }
    qmtest::TempDir m_dir;
};

TEST_F(TextureFileTest, LoadTextureSharesByNameAndCountsUses) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const std::string path = WriteTga("fire.TGA", 4, 2, 0x80FF0000);
    const uint32_t a = m_d3d->LoadTexture(path.c_str(), 0, 0, 0, -1, -1);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(m_d3d->LoadTexture(path.c_str(), 0, 0, 0, -1, -1), a);
    CTextureResource* t = m_d3d->GetTexture(a);
    EXPECT_EQ(t->GetUseCount(), 2);
    EXPECT_TRUE(t->HasAlpha());
    EXPECT_EQ(t->Surface()->Pixels().At(3, 1), 0x8F00);
    EXPECT_EQ(t->m_firstRow, 0);
    EXPECT_EQ(t->m_lastRow, 1);
    EXPECT_TRUE(m_d3d->ReleaseTexture(a));
    EXPECT_NE(m_d3d->GetTexture(a), nullptr);
    EXPECT_TRUE(m_d3d->ReleaseTexture(a));
    EXPECT_EQ(m_d3d->GetTexture(a), nullptr);
    EXPECT_FALSE(m_d3d->ReleaseTexture(a));
    // A missing file gives no texture (and the picture box).
    EXPECT_EQ(m_d3d->LoadTexture((m_dir.Path() + "/none.TGA").c_str(), 0, 0, 0, -1, -1), 0u);
    ASSERT_FALSE(m_boxes.Boxes().empty());
    EXPECT_NE(m_boxes.Boxes().back().text.find("none.TGA]"), std::string::npos);
}

TEST_F(TextureFileTest, AnEmptyNameSharesNoTexture) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const uint32_t blank = m_d3d->CreateTexture(0, 4, 4, kTexA4R4G4B4);  // no file name
    EXPECT_EQ(m_d3d->LoadTexture("", 0, 0, 0, -1, -1), 0u);
    EXPECT_EQ(m_d3d->FindTextureByName(""), nullptr);
    EXPECT_EQ(m_d3d->GetTexture(blank)->GetUseCount(), 0);
}

TEST_F(TextureFileTest, RowBandsAndClipping) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    const std::string path = WriteTga("band.TGA", 4, 8, 0xFF00FF00);
    CTextureResource t;
    // Rows 2..5 into a 4 x 4 texture; a band reaching past the picture is cut.
    ASSERT_NE(t.LoadFromImageFile(path.c_str(), 0, 4, 4, 2, 5), 0u);
    EXPECT_EQ(t.Surface()->Pixels().At(0, 3), 0xF0F0);
    CTextureResource small;
    ASSERT_NE(small.LoadFromImageFile(path.c_str(), 0, 2, 2, 0, 100),
              0u);  // texture smaller than the picture
    EXPECT_EQ(small.Surface()->Pixels().At(1, 1), 0xF0F0);
}

TEST_F(TextureFileTest, StreamTexturesAreCheckedAndNeverDiscarded) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    std::vector<uint16_t> pixels(4 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint16_t(0xF000 + i);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(pixels.data(), uint32_t(pixels.size() * 2)));
    const uint32_t id = m_d3d->CreateTextureFromData(&stream, 0, 4, 4, Rect{0, 0, 4, 4});
    ASSERT_NE(id, 0u);
    CTextureResource* t = m_d3d->GetTexture(id);
    EXPECT_EQ(t->Surface()->Pixels().At(3, 2), 0xF000 + 11);
    // Over budget with nobody using it: kept, as it cannot be made again.
    m_textureCache->SetBudget(0);
    EXPECT_FALSE(t->IsDiscarded());
    EXPECT_NE(m_d3d->GetTexture(id)->Surface(), nullptr);
    // A short stream gives no texture.
    CFileResource shortStream;
    ASSERT_TRUE(shortStream.OpenMemory(pixels.data(), 10));
    EXPECT_EQ(m_d3d->CreateTextureFromData(&shortStream, 0, 4, 4, Rect{0, 0, 4, 4}), 0u);
    // A rectangle wider than the texture is read past, not written past.
    CFileResource wide;
    ASSERT_TRUE(wide.OpenMemory(pixels.data(), uint32_t(pixels.size() * 2)));
    EXPECT_NE(m_d3d->CreateTextureFromData(&wide, 0, 2, 2, Rect{0, 0, 8, 2}), 0u);
}

TEST_F(TextureFileTest, FileTexturesAreDiscardedAndRestoredAsTheyWere) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    // Half-transparent black: 0x8000 in the texture's A4R4G4B4.
    const std::string path = WriteTga("re.TGA", 2, 2, 0x88000000);
    const uint32_t id = m_d3d->LoadTexture(path.c_str(), 0, 0, 0, -1, -1);
    auto drawn = [&] {
        plat::raster::Fill(Target(), Target().Bounds(), 0xFFFF);
        m_d3d->SetTexture(0, m_d3d->GetTexture(id));
        DrawTexturedSquare(*m_d3d, 8);
        return Target().At(4, 4);
    };
    ASSERT_EQ(m_d3d->GetTexture(id)->Surface()->Pixels().At(1, 1), 0x8000);
    const uint16_t before = drawn();
    EXPECT_NE(before, 0xFFFF);
    m_textureCache->ReleaseEntry(id);
    m_textureCache->SetBudget(0);
    CTextureResource* t = static_cast<CTextureResource*>(m_textureCache->FindChild(id));
    EXPECT_TRUE(t->IsDiscarded());
    EXPECT_EQ(drawn(), before) << "restored by its next use, the 0x8000 pixels still drawn";
    ASSERT_NE(t->Surface(), nullptr);
    EXPECT_FALSE(t->Surface()->Pixels().HasColorKey());

    // A colour key the texture had goes with it through a discard.
    t->Surface()->Pixels().SetColorKey(0x8000, 0x8000);
    EXPECT_TRUE(t->Discard());
    EXPECT_TRUE(t->Restore());
    ASSERT_TRUE(t->Surface()->Pixels().HasColorKey());
    EXPECT_EQ(t->Surface()->Pixels().KeyLow(), 0x8000);
    EXPECT_EQ(drawn(), 0xFFFF);
}

TEST_F(TextureFileTest, CopiesFromSurfacesAndPicturesAreClipped) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    CSurfaceResource* s = m_dd->GetSurface(m_dd->CreateSurface(4, 4, 0));
    s->FillSurface(0x1234, nullptr);
    CTextureResource t;
    // A band hanging off the surface's corner copies what exists.
    ASSERT_NE(t.CreateFromSurface(s, 2, 2, 0, 4, 4), 0u);
    EXPECT_EQ(t.Surface()->Pixels().At(0, 0), 0x1234);
    EXPECT_EQ(t.Surface()->Pixels().At(1, 1), 0x1234);
    EXPECT_EQ(t.Surface()->Pixels().At(2, 2), 0);
    CDib pic;
    const std::vector<unsigned char> raw = {2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0};
    ASSERT_TRUE(pic.LoadFromMemory(raw.data(), raw.size(), false, true));
    CTextureResource fromDib;
    ASSERT_NE(fromDib.CreateFromDib(&pic, 0, 2, 2, Rect{0, 0, 10, 10}, 1),
              0u);                                       // rectangle cut to the picture
    EXPECT_EQ(fromDib.Surface()->Pixels().At(0, 1), 1);  // bottom-up
    EXPECT_EQ(fromDib.Surface()->Pixels().At(1, 0), 4);
}

TEST_F(TextureFileTest, ColorKeyToAlphaClearsMagenta) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    CTextureResource* t = m_d3d->GetTexture(m_d3d->CreateTexture(0, 2, 1, kTexA4R4G4B4));
    t->Surface()->Pixels().At(0, 0) = 0xFF0F;
    t->Surface()->Pixels().At(1, 0) = 0xFF00;
    CTextureResource::ColorKeyToAlpha(t->Surface(), 255, 0, 255, 0);
    EXPECT_EQ(t->Surface()->Pixels().At(0, 0), 0x0F0F);
    EXPECT_EQ(t->Surface()->Pixels().At(1, 0), 0xFF00);
}

TEST_F(TextureFileTest, AddressModesComeFromTable127) {
    TablePlan layout;
    layout.rows = 4;
    ColumnPlan name;
    name.type = kColText;
    name.width = 32;
    name.texts = {"Water.TGA", "", "sky.bmp", "WATER.tga"};
    ColumnPlan u, v;
    u.type = v.type = kColByte;
    u.values = {{1}, {2}, {2}, {3}};
    v.values = {{2}, {2}, {0}, {1}};
    layout.columns = {name, u, v};
    std::string error;
    const std::vector<uint8_t> bytes = WriteDataTable(layout, &error);
    ASSERT_FALSE(bytes.empty()) << error;
    m_dir.WriteFile("0127.Z5D", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    SetDatabaseFolder(m_dir.Path());
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    struct Case {
        const char* name;
        uint32_t u, v;
    };
    // Rows: Water.TGA (mirror, clamp), replaced by WATER.tga (border, mirror); sky.bmp (clamp, wrap).
    const Case cases[] = {
        {"Effect\\water.tga", 4, 2}, {"a/b/SKY.BMP", 3, 1}, {"nothing.bmp", 1, 1}, {"", 1, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(m_d3d->GetAddressMode(c.name, 0), c.u) << c.name;
        EXPECT_EQ(m_d3d->GetAddressMode(c.name, 1), c.v) << c.name;
    }
    CDataTable table;
    ASSERT_TRUE(table.LoadDataTable(127));
    EXPECT_EQ(GetTableEntryByte(&table, 1, 3), 3);
    EXPECT_EQ(GetTableEntryByte(&table, 1, 4), 0);
    EXPECT_EQ(GetTableEntryByte(&table, 1, -1), 0);
    EXPECT_EQ(GetTableEntryByte(nullptr, 1, 0), 0);
    SetDatabaseFolder("");
}

}  // namespace
