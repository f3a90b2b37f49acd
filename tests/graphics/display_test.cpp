#include <gtest/gtest.h>

#include "graphics_fixture.h"

using plat::raster::Rect;
using plat::raster::Surface;

namespace {

uint16_t Pixel(const Surface& s, int x, int y) {
    return s.At(x, y);
}

// Fills a surface so that each pixel names its position (x + 1 in the low bits, y in the high).
void Number(CSurfaceResource* s) {
    Surface& p = s->Surface()->Pixels();
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) p.At(x, y) = uint16_t((x + 1) | (y << 10));
}

class DisplayTest : public GraphicsFixture {};

TEST_F(DisplayTest, ScanCodesMapToVirtualKeys) {
    struct Case {
        uint8_t scan, vk;
    };
    const Case cases[] = {{1, 0x1B},  {2, '1'},   {10, '9'},  {11, '0'},  {14, 0x08}, {15, 0x09},
                          {16, 'Q'},  {25, 'P'},  {28, 0x0D}, {30, 'A'},  {38, 'L'},  {44, 'Z'},
                          {50, 'M'},  {53, 0x6F}, {57, 0x20}, {59, 0x70}, {68, 0x79}, {71, 0x24},
                          {72, 0x26}, {73, 0x21}, {75, 0x25}, {76, 0x0C}, {77, 0x27}, {79, 0x23},
                          {80, 0x28}, {81, 0x22}, {82, 0x2D}, {83, 0x2E}, {87, 0x7A}, {88, 0x7B}};
    for (const Case& c : cases)
        EXPECT_EQ(CDirectDraw::ScanCodeToVirtualKey(c.scan, 0xEE), c.vk) << int(c.scan);
    for (uint8_t fallbackCode : std::initializer_list<uint8_t>{0, 12, 29, 89, 200, 255})
        EXPECT_EQ(CDirectDraw::ScanCodeToVirtualKey(fallbackCode, 0xEE), 0xEE) << int(fallbackCode);
}

TEST_F(DisplayTest, PixelKindFollowsTheRedMask) {
    struct Case {
        plat::raster::PixelFormat format;
        uint32_t redMask;
        int kind;
    };
    const Case cases[] = {{plat::raster::PixelFormat::kRgb555, 0x7C00, kPixel555},
                          {plat::raster::PixelFormat::kRgb565, 0xF800, kPixel565},
                          {plat::raster::PixelFormat::kBgr565, 0x001F, kPixel565RedLow},
                          {plat::raster::PixelFormat::kRgb565, 0x00F0, kPixel565}};  // unknown: kind 2
    for (const Case& c : cases) {
        plat::Machine().desktopFormat = plat::DescribeFormat(c.format);
        plat::Machine().desktopFormat.redMask = c.redMask;
        ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
        EXPECT_EQ(m_dd->GetPixelKind(), c.kind);
        EXPECT_EQ(m_dd->GetTexturePixelKind(), c.kind);
        m_dd.reset();
    }
}

TEST_F(DisplayTest, FullScreenBringUpRetriesTheDefaultRefreshRate) {
    plat::Machine().refreshRatesSupported = false;
    GetDisplaySettings().refreshRate = 75;
    ASSERT_EQ(BringUp(1024, 768, true), plat::kOk);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_NE(m_dd->GetBackSurface(), nullptr);
    ASSERT_NE(m_dd->GetMarginSurface(), nullptr);
    EXPECT_EQ(m_dd->GetMarginSurface()->GetWidth(), 1124);
    EXPECT_TRUE(m_display->FullScreen());
}

TEST_F(DisplayTest, BringUpFailuresShowTheirBoxes) {
    plat::Machine().reportedBits = 32;
    EXPECT_EQ(BringUp(800, 600, true), plat::kErrFail);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].text.find("[16]"), std::string::npos);
    m_dd.reset();
    m_boxes.Clear();
    plat::ResetMachine();
    plat::Machine().drivers.clear();
    EXPECT_EQ(BringUp(800, 600, false), plat::kErrFail);
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
}

TEST_F(DisplayTest, CreateSurfaceGivesNoIdForASurfaceThatWasNotMade) {
    ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
    m_dd->Device()->InjectFault(plat::FaultPoint::kCreateSurface, plat::dderr::kOutOfVideoMemory);
    const int32_t entries = m_surfaceCache->ChildCount();
    EXPECT_EQ(m_dd->CreateSurface(64, 64, 0), 0u);
    EXPECT_EQ(m_surfaceCache->ChildCount(), entries);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].text.find("[DDERR_OUTOFVIDEOMEMORY]"), std::string::npos);
    // An unsupported mode in video memory falls back to system memory.
    m_dd->Device()->InjectFault(plat::FaultPoint::kCreateSurface, plat::dderr::kUnsupportedMode);
    const uint32_t id = m_dd->CreateSurface(64, 64, plat::kCapsVideoMemory);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(m_dd->GetSurface(id)->GetCaps() & plat::kCapsSystemMemory);
    EXPECT_EQ(SurfaceErrorText(plat::kErrInvalidArg, "x"), "x [DDERR_INVALIDPARAMS]");
    EXPECT_EQ(SurfaceErrorText(plat::kErrFail, "x"), "");
}

TEST_F(DisplayTest, ReleaseAndDestroySurfaces) {
    ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
    const uint32_t id = m_dd->CreateSurface(10, 10, 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(m_dd->GetSurface(id)->GetSize(), 200);
    m_surfaceCache->AcquireEntry(id);
    m_surfaceCache->AcquireEntry(id);
    EXPECT_FALSE(m_dd->ReleaseSurface(id));  // used twice: one use left
    EXPECT_NE(m_dd->GetSurface(id), nullptr);
    EXPECT_TRUE(m_dd->ReleaseSurface(id));
    EXPECT_EQ(m_dd->GetSurface(id), nullptr);
    EXPECT_FALSE(m_dd->ReleaseSurface(id));
    const uint32_t other = m_dd->CreateSurface(10, 10, 0);
    m_surfaceCache->AcquireEntry(other);
    EXPECT_TRUE(m_dd->DestroySurface(other));
    EXPECT_FALSE(m_dd->DestroySurface(other));
}

TEST_F(DisplayTest, BltToClipsToTheScreen) {
    for (auto format : {plat::raster::PixelFormat::kRgb555, plat::raster::PixelFormat::kRgb565}) {
        plat::Machine().desktopFormat = plat::DescribeFormat(format);
        ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
        CSurfaceResource* src = m_dd->GetSurface(m_dd->CreateSurface(100, 20, 0));
        CSurfaceResource* dst = m_dd->GetSurface(m_dd->CreateSurface(800, 600, 0));
        Number(src);
        EXPECT_EQ(src->BltTo(dst, -10, 5, 0, 0), plat::kOk);
        const Surface& d = dst->Surface()->Pixels();
        for (int x = 0; x < 90; ++x) ASSERT_EQ(Pixel(d, x, 5) & 0x3FF, x + 11) << x;  // columns 10-99
        EXPECT_EQ(Pixel(d, 90, 5), 0);
        EXPECT_EQ(Pixel(d, 0, 4), 0);
        // Wholly off the screen: nothing, result 0.
        dst->FillSurface(0, nullptr);
        EXPECT_EQ(src->BltTo(dst, 800, 0, 0, 0), plat::kOk);
        EXPECT_EQ(src->BltTo(dst, -100, 0, 0, 0), plat::kOk);
        EXPECT_EQ(Pixel(d, 0, 0), 0);
        EXPECT_EQ(Pixel(d, 799, 0), 0);
        // Cut at the right and bottom edges.
        src->BltTo(dst, 790, 590, 0, 0);
        EXPECT_EQ(Pixel(d, 799, 599) & 0x3FF, 10);
        // A part of the source only.
        dst->FillSurface(0, nullptr);
        src->BltTo(dst, 0, 0, 5, 2);
        EXPECT_EQ(Pixel(d, 4, 1) & 0x3FF, 5);
        EXPECT_EQ(Pixel(d, 5, 1), 0);
        EXPECT_EQ(Pixel(d, 0, 2), 0);
        m_dd.reset();
    }
}

TEST_F(DisplayTest, KeyedAndClippedBlits) {
    for (auto format : {plat::raster::PixelFormat::kRgb555, plat::raster::PixelFormat::kRgb565}) {
        plat::Machine().desktopFormat = plat::DescribeFormat(format);
        ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
        CSurfaceResource* src = m_dd->GetSurface(m_dd->CreateSurface(4, 1, 0));
        CSurfaceResource* dst = m_dd->GetSurface(m_dd->CreateSurface(16, 16, 0));
        Surface& s = src->Surface()->Pixels();
        s.At(0, 0) = 0x001F;
        s.At(1, 0) = 0x1234;
        s.At(2, 0) = 0x001F;
        s.At(3, 0) = 0x0042;
        // The key is made of three bytes, lowest first: 0x00001F.
        src->SetColorKey(0x1F, 0, 0, plat::kColorKeySrcBlt);
        dst->FillSurface(0x7777, nullptr);
        src->BltKeyedTo(dst, 2, 3, 0, 0);
        const Surface& d = dst->Surface()->Pixels();
        EXPECT_EQ(Pixel(d, 2, 3), 0x7777);
        EXPECT_EQ(Pixel(d, 3, 3), 0x1234);
        EXPECT_EQ(Pixel(d, 5, 3), 0x0042);
        src->ClearColorKey();
        src->BltKeyedTo(dst, 2, 4, 0, 0);
        EXPECT_EQ(Pixel(d, 2, 4), 0x001F);
        // Clipped to a rectangle; the offset point moves the part read.
        dst->FillSurface(0, nullptr);
        const Rect clip{3, 0, 5, 16};
        src->BltToClipped(dst, 2, 0, &clip, SurfacePoint{});
        EXPECT_EQ(Pixel(d, 2, 0), 0);
        EXPECT_EQ(Pixel(d, 3, 0), 0x1234);
        EXPECT_EQ(Pixel(d, 4, 0), 0x001F);
        EXPECT_EQ(Pixel(d, 5, 0), 0);
        src->BltToClipped(dst, 2, 1, &clip, SurfacePoint{-1, 0});
        EXPECT_EQ(Pixel(d, 3, 1), 0x001F);
        EXPECT_EQ(Pixel(d, 4, 1), 0x0042);
        m_dd.reset();
    }
}

TEST_F(DisplayTest, SetBrightnessGivesTheTintAlpha) {
    ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
    CSurfaceResource* primary = m_dd->GetPrimarySurface();
    struct Case {
        float level;
        uint8_t alpha;
    };
    // Levels outside 0..100 are clamped.
    const Case cases[] = {{100, 0}, {50, 127}, {0, 254}, {-10, 254}, {150, 0}, {75, 63}};
    for (const Case& c : cases) {
        primary->SetScreenTint(9, 9, 9, 9);
        EXPECT_TRUE(primary->SetBrightness(c.level));
        EXPECT_EQ(primary->TintAlpha(), c.alpha) << c.level;
        EXPECT_EQ(primary->TintRed(), 0);
    }
}

TEST_F(DisplayTest, WindowedPresentShowsTheRenderTarget) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    Number(m_d3d->GetRenderTarget());
    EXPECT_EQ(m_dd->Present(false), plat::kOk);
    ASSERT_NE(m_display->LastFrame(), nullptr);
    const Surface& shown = *m_display->LastFrame();
    EXPECT_EQ(shown.Width(), 800);
    EXPECT_EQ(Pixel(shown, 123, 45), Pixel(Target(), 123, 45));
}

TEST_F(DisplayTest, The800x600SwitchPresentsOnlyThatPartStretched) {
    for (bool fullScreen : {false, true}) {
        ASSERT_EQ(BringUp(1024, 768, fullScreen), plat::kOk);
        Number(m_d3d->GetRenderTarget());
        m_dd->m_window800x600 = true;
        ASSERT_EQ(m_dd->Present(true), plat::kOk);
        const Surface& shown = *m_display->LastFrame();
        ASSERT_EQ(shown.Width(), 1024);
        // The destination's last pixel shows the source's (799, 599); nothing beyond 800 is shown.
        EXPECT_EQ(Pixel(shown, 1023, 767), Pixel(Target(), 799, 599)) << fullScreen;
        EXPECT_EQ(Pixel(shown, 0, 0), Pixel(Target(), 0, 0));
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(DisplayTest, ChildWindowLeavesItsHole) {
    struct Case {
        int width, height;
        uint8_t option;
        Rect hole;
    };
    const Case cases[] = {{800, 600, 0, {95, 43, 705, 463}},
                          {1024, 768, 0, {205, 120, 815, 540}},
                          {1024, 768, 1, {100, 45, 900, 645}}};
    for (const Case& c : cases) {
        GetDisplaySettings().screenWidth = c.width;
        ASSERT_EQ(BringUp(c.width, c.height, false), plat::kOk);
        m_dd->GetPrimarySurface()->FillSurface(0x0001, nullptr);
        Number(m_d3d->GetRenderTarget());
        m_dd->SetChildWindow(reinterpret_cast<void*>(1), c.option);
        ASSERT_EQ(m_dd->Present(false), plat::kOk);
        const Surface& shown = *m_display->LastFrame();
        const Rect& h = c.hole;
        EXPECT_EQ(Pixel(shown, h.left, h.top), 0x0001);
        EXPECT_EQ(Pixel(shown, h.right - 1, h.bottom - 1), 0x0001);
        EXPECT_EQ(Pixel(shown, h.left - 1, h.top), Pixel(Target(), h.left - 1, h.top));
        EXPECT_EQ(Pixel(shown, h.right, h.bottom - 1), Pixel(Target(), h.right, h.bottom - 1));
        EXPECT_EQ(Pixel(shown, h.left, h.top - 1), Pixel(Target(), h.left, h.top - 1));
        EXPECT_EQ(Pixel(shown, h.left, h.bottom), Pixel(Target(), h.left, h.bottom));
        // With the frame-stretch option or the 800 x 600 switch nothing is presented.
        const int before = m_display->PresentCount();
        GetDisplaySettings().frameStretch = true;
        EXPECT_EQ(m_dd->Present(false), plat::kOk);
        GetDisplaySettings().frameStretch = false;
        m_dd->m_window800x600 = true;
        EXPECT_EQ(m_dd->Present(false), plat::kOk);
        EXPECT_EQ(m_display->PresentCount(), before);
        m_dd->SetChildWindow(nullptr, 0);
        EXPECT_FALSE(m_dd->m_childWindowShown);
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(DisplayTest, LostPrimaryIsRestoredOnceAndTheNextFramePresents) {
    for (bool fullScreen : {false, true}) {
        ASSERT_EQ(BringUp(800, 600, fullScreen), plat::kOk);
        plat::DrawDevice* dev = m_dd->Device();
        dev->MarkLost(m_dd->GetPrimarySurface()->Surface());
        EXPECT_TRUE(m_dd->IsSurfaceLost());
        const int shown = m_display->PresentCount();
        EXPECT_EQ(m_dd->Present(true), plat::dderr::kSurfaceLost);
        EXPECT_EQ(dev->RestoreCount(), 1);
        EXPECT_FALSE(m_dd->IsSurfaceLost());
        EXPECT_EQ(m_display->PresentCount(), shown);
        EXPECT_EQ(m_dd->Present(true), plat::kOk);
        EXPECT_EQ(m_display->PresentCount(), shown + 1);
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(DisplayTest, APersistentlyFailingPresentSkipsTheFrame) {
    for (bool fullScreen : {false, true}) {
        ASSERT_EQ(BringUp(800, 600, fullScreen), plat::kOk);
        plat::DrawDevice* dev = m_dd->Device();
        // Still drawing a few times: presented in the end.
        dev->InjectFault(plat::FaultPoint::kBltToPrimary, plat::dderr::kWasStillDrawing, 2);
        EXPECT_EQ(m_dd->Present(!fullScreen), plat::kOk);
        // Failing for good: a bounded number of tries, then the frame is skipped.
        dev->InjectFault(plat::FaultPoint::kBltToPrimary, plat::dderr::kWasStillDrawing, 1000);
        EXPECT_EQ(m_dd->Present(!fullScreen), plat::dderr::kWasStillDrawing);
        EXPECT_EQ(m_dd->Present(false), plat::dderr::kWasStillDrawing);
        m_d3d.reset();
        m_dd.reset();
    }
}

TEST_F(DisplayTest, FrameStretchGoesThroughTheMarginSurface) {
    ASSERT_EQ(BringUp(800, 600, true), plat::kOk);
    GetDisplaySettings().frameStretch = true;
    Target().At(400, 300) = 0xFFFF;
    ASSERT_EQ(m_dd->Present(true), plat::kOk);
    const Surface& margin = m_dd->GetMarginSurface()->Surface()->Pixels();
    EXPECT_EQ(margin.Width(), 900);
    // Out to 900 x 700 and back: the middle pixel is still there.
    EXPECT_EQ(Pixel(*m_display->LastFrame(), 400, 300), 0xFFFF);
    // A lost margin surface is restored and the frame ends.
    m_dd->Device()->MarkLost(m_dd->GetMarginSurface()->Surface());
    const int shown = m_display->PresentCount();
    m_dd->Present(true);
    EXPECT_EQ(m_display->PresentCount(), shown);
    EXPECT_FALSE(m_dd->GetMarginSurface()->Surface()->Lost());
}

TEST_F(DisplayTest, ClearRenderSurfaceFillsTheFrame) {
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    EXPECT_EQ(m_dd->GetRenderSurface(), m_d3d->GetRenderTarget());
    m_dd->ClearRenderSurface(0x1234);
    EXPECT_EQ(Pixel(Target(), 799, 599), 0x1234);
}

}  // namespace
