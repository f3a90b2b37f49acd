#include "graphics/image_resource.h"

#include <gtest/gtest.h>

#include "core/config.h"
#include "data/file_resource.h"
#include "graphics/pixel_ops.h"
#include "picture_fixture.h"
#include "platform/clock.h"
#include "tests/support/data_fixtures.h"

namespace {

constexpr uint16_t kKey = 0xF81F;

class ImageTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        BringUpPictures();
    }

    // The locked render target, for the frame blitters.
    plat::LockInfo LockTarget() {
        plat::LockInfo lock;
        EXPECT_TRUE(m_d3d->GetRenderTarget()->Lock(&lock));
        return lock;
    }
    void UnlockTarget() { m_d3d->GetRenderTarget()->Unlock(); }
};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ImageTest, PalettisedAndSixteenBitPicturesReadInTurnFromOneStream) {
    std::vector<uint16_t> palette(256, 0);
    palette[1] = 0xF800;
    palette[2] = 0x001F;
    const std::vector<uint8_t> indices = {1, 0, 2};
    const std::vector<uint16_t> pixels = {0x07E0, kKey, 0x1234};
    const auto bytes =
        Concat(WriteSpanPicture(MakeIndexedSpanPicture(indices.data(), 3, 1, 0, palette), true),
               WriteSpanPicture(MakeSpanPicture(pixels.data(), 3, 1, kKey), false));
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageFileResource* indexed = m_images.CreateImage(&stream);
    CImageFileResource* direct = m_images.CreateImageEx(&stream);
    ASSERT_TRUE(indexed && direct);
    EXPECT_EQ(stream.GetRemaining(), 0u);
    EXPECT_EQ(indexed->GetKind(), PIXEL_KIND_INDEXED);
    EXPECT_EQ(direct->GetKind(), PIXEL_KIND_565);
    EXPECT_EQ(m_imageCache->ChildCount(), 2);
    EXPECT_EQ(m_imageCache->GetBytesHeld(), 0u);  // plain children: not counted

    ClearTarget(0x4208);
    indexed->m_originX = 5;
    ASSERT_TRUE(indexed->Draw(m_d3d->GetRenderTarget(), 10, 20, nullptr, 255));
    ASSERT_TRUE(direct->Draw(m_d3d->GetRenderTarget(), 10, 30, nullptr, 255));
    EXPECT_EQ(TargetAt(15, 20), 0xF800);
    EXPECT_EQ(TargetAt(16, 20), 0x4208);  // index 0 is not in a run
    EXPECT_EQ(TargetAt(17, 20), 0x001F);
    EXPECT_EQ(TargetAt(10, 30), 0x07E0);
    EXPECT_EQ(TargetAt(11, 30), 0x4208);
    EXPECT_EQ(TargetAt(12, 30), 0x1234);
    EXPECT_FALSE(m_d3d->GetRenderTarget()->IsLocked());
}

TEST_F(ImageTest, CorruptPictureIsRefusedWithItsBox) {
    qmtest::ScopedTextTables texts({{9, {"", "", "", "", "", "no memory", "bad picture"}}});
    const std::vector<uint16_t> pixels = {0x07E0, 0x1234};
    auto bytes = WriteSpanPicture(MakeSpanPicture(pixels.data(), 2, 1, kKey), false);
    bytes.resize(bytes.size() - 1);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    EXPECT_EQ(m_images.CreateImageEx(&stream), nullptr);
    EXPECT_EQ(m_images.CreateImage(nullptr), nullptr);  // no stream: nothing was read
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "bad picture");
    EXPECT_EQ(m_boxes.Boxes()[1].text, "bad picture");
    EXPECT_EQ(m_imageCache->ChildCount(), 0);
}

TEST_F(ImageTest, MirroredDrawFollowsTheRulesOfDraw) {
    // Last pixel transparent, tint on: mirrored gives the same tinted pixels reversed.
    const std::vector<uint16_t> pixels = {(20 << 11) | (40 << 5) | 10, (2 << 11) | (4 << 5) | 1, kKey};
    SpanPicture pic;
    pic.width = 4;
    pic.height = 1;
    pic.spans = {{0, 0, 3}};
    pic.pixels = pixels;
    pic.dataSize = 6;
    const auto bytes = WriteSpanPicture(pic, false);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageFileResource* image = m_images.CreateImageEx(&stream);
    ASSERT_TRUE(image);
    image->m_tint = true;
    image->m_tintFactors[0] = 2.0f;
    image->m_tintFactors[1] = 0.5f;
    image->m_tintFactors[2] = 1.0f;
    ClearTarget(0);
    image->Draw(m_d3d->GetRenderTarget(), 0, 0, nullptr, 255);
    image->DrawMirrored(m_d3d->GetRenderTarget(), 0, 1, nullptr, 255);
    const uint16_t a = (31 << 11) | (20 << 5) | 10, b = (4 << 11) | (2 << 5) | 1;
    EXPECT_EQ(TargetAt(0, 0), a);
    EXPECT_EQ(TargetAt(1, 0), b);
    EXPECT_EQ(TargetAt(2, 0), 0);  // the transparent last pixel
    EXPECT_EQ(TargetAt(0, 1), 0);
    EXPECT_EQ(TargetAt(1, 1), 0);  // mirrored: the transparent pixel lands here and stays out
    EXPECT_EQ(TargetAt(2, 1), b);
    EXPECT_EQ(TargetAt(3, 1), a);
}

TEST_F(ImageTest, ReleaseImageDropsOneUseAndTheLastRemovesIt) {
    const std::vector<uint16_t> pixels = {0x07E0};
    const auto bytes = WriteSpanPicture(MakeSpanPicture(pixels.data(), 1, 1, kKey), false);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageFileResource* image = m_images.CreateImageEx(&stream);
    ASSERT_TRUE(image);
    const uint32_t id = image->GetId();
    m_imageCache->AcquireEntry(id);
    m_imageCache->AcquireEntry(id);
    EXPECT_TRUE(ReleaseImage(id));
    EXPECT_EQ(m_imageCache->FindChild(id), image);
    EXPECT_TRUE(ReleaseImage(id));
    EXPECT_EQ(m_imageCache->FindChild(id), nullptr);
    EXPECT_TRUE(ReleaseImage(id));  // unknown now: nothing happens
    EXPECT_TRUE(ReleaseAllImages());
    g_pImageCache = nullptr;
    EXPECT_FALSE(ReleaseAllImages());
    g_pImageCache = m_imageCache.get();
}

TEST_F(ImageTest, StreamPicturesAreNeverDiscardedFilePicturesComeBack) {
    const std::vector<uint16_t> pixels = {0x07E0, 0x001F};
    const auto bytes = WriteSpanPicture(MakeSpanPicture(pixels.data(), 2, 1, kKey), false);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageFileResource* fromStream = m_images.CreateImageEx(&stream);
    ASSERT_TRUE(fromStream);
    EXPECT_FALSE(fromStream->Discard());
    EXPECT_FALSE(fromStream->IsDiscarded());

    const std::string path = m_dir.WriteFile("pic.img", std::string(bytes.begin(), bytes.end()));
    CImageFileResource fromFile(path.c_str(), PIXEL_KIND_565);
    ASSERT_TRUE(fromFile.IsLoaded());
    EXPECT_EQ(fromFile.GetSize(), int32_t(bytes.size()));
    EXPECT_TRUE(fromFile.Discard());
    EXPECT_TRUE(fromFile.Picture().spans.empty());
    EXPECT_TRUE(fromFile.Restore());
    EXPECT_FALSE(fromFile.IsDiscarded());
    EXPECT_EQ(fromFile.Picture().spans.size(), 1u);
}

TEST_F(ImageTest, TransparentColourFollowsTheDisplayKind) {
    EXPECT_EQ(m_images.GetTransparentColor(), 0xF81F);
    m_images.Release();
    m_d3d.reset();
    m_dd.reset();
    plat::Machine().desktopFormat = plat::DescribeFormat(plat::raster::PixelFormat::kRgb555);
    ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
    ASSERT_EQ(m_dd->GetPixelKind(), 1);
    m_images.Init();
    EXPECT_EQ(m_images.GetTransparentColor(), 0x7C1F);
}

FramePicture OneFrame(std::vector<uint16_t> pixels, int32_t width) {
    FramePicture p;
    AddFrame(p, pixels.data(), width, int32_t(pixels.size()) / width, kKey);
    return p;
}

TEST_F(ImageTest, BadFrameIndexIsReportedAndDrawsNothing) {
    qmtest::ScopedTextTables texts({{9, {"frame %d of %d in %s", "shadow %d/%d %s", "mirrored %d/%d %s"}}});
    const auto bytes = WriteFramePicture(OneFrame({0x1234, 0x4321}, 2));
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageResource image;
    ASSERT_TRUE(image.Load(&stream, PIXEL_KIND_565, false));
    ClearTarget(0);
    plat::LockInfo lock = LockTarget();
    image.BlitFrame(1, m_d3d->GetRenderTarget(), 0, 0, nullptr, 255, false, false, false, nullptr, false,
                    false, 0, nullptr);
    EXPECT_FALSE(image.BlitFrameShadow(-1, m_d3d->GetRenderTarget(), 0, 0, nullptr, 255));
    image.BlitFrameMirrored(0, m_d3d->GetRenderTarget(), 0, 0, nullptr, 255, false, false, false, nullptr,
                            false, false, 0, nullptr);
    UnlockTarget();
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "Z5MessageBox");
    EXPECT_EQ(m_boxes.Boxes()[0].text, "frame 1 of 1 in ");
    EXPECT_EQ(m_boxes.Boxes()[1].text, "shadow -1/1 ");
    EXPECT_EQ(TargetAt(0, 0), 0x4321);  // the good mirrored frame drew
    EXPECT_EQ(TargetAt(1, 0), 0x1234);
    EXPECT_EQ(image.GetFrameWidth(1), 0);
    EXPECT_EQ(image.GetFrameHeight(-1), 0);
    EXPECT_EQ(image.GetFrameValue(5, 0), 0);
    EXPECT_EQ(image.GetFrameWidth(0), 2);
    (void)lock;
}

TEST_F(ImageTest, GlowFollowsTheClock) {
    FramePicture p;
    p.palette.assign(256, 0);
    p.palette[1] = (16 << 11) | (32 << 5) | 16;
    const std::vector<uint8_t> grid = {1};
    AddIndexedFrame(p, grid.data(), 1, 1, 0);
    const auto bytes = WriteFramePicture(p);
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageResource image;
    ASSERT_TRUE(image.Load(&stream, PIXEL_KIND_565, true));
    plat::FakeClock clock;
    plat::ScopedClock useClock(clock);
    // f = (0.59 * 16 + 0.1 * 16 + 0.3 * 16 + 0.01) * 0.0625 * phase.
    const struct {
        uint32_t ms;
        uint16_t want;
    } cases[] = {{0, (15 << 11) | (31 << 5) | 15},
                 {1000, (31 << 11) | (63 << 5) | 31},
                 {2000, (15 << 11) | (31 << 5) | 15}};
    for (const auto& c : cases) {
        clock.SetMilliseconds(c.ms);
        ClearTarget(0);
        LockTarget();
        image.BlitFrame(0, m_d3d->GetRenderTarget(), 3, 3, nullptr, 255, false, false, false, nullptr, true,
                        false, 0, nullptr);
        UnlockTarget();
        EXPECT_EQ(TargetAt(3, 3), c.want) << c.ms;
    }
}

// A 6 x 5 block whose bottom row is 4: shadow rows 2 to 4.
std::vector<uint16_t> Block() {
    return std::vector<uint16_t>(6 * 5, 0x1234);
}

TEST_F(ImageTest, HardAndSoftShadows) {
    const auto bytes = WriteFramePicture(OneFrame(Block(), 6));
    CFileResource stream;
    ASSERT_TRUE(stream.OpenMemory(bytes.data(), uint32_t(bytes.size())));
    CImageResource image;
    ASSERT_TRUE(image.Load(&stream, PIXEL_KIND_565, false));
    const uint8_t oldMode = g_options.GetByte(31);

    g_options.SetByte(31, 0);
    ClearTarget(0xFFFF);
    LockTarget();
    EXPECT_TRUE(image.BlitFrameShadow(0, m_d3d->GetRenderTarget(), 100, 100, nullptr, 255));
    UnlockTarget();
    // Row 4 casts on row 104 at x 100..104 (the run's last pixel casts none); row 2 on row 103, one right.
    EXPECT_EQ(TargetAt(100, 104), 0);
    EXPECT_EQ(TargetAt(104, 104), 0);
    EXPECT_EQ(TargetAt(105, 104), 0xFFFF);
    EXPECT_EQ(TargetAt(100, 103), 0xFFFF);
    EXPECT_EQ(TargetAt(101, 103), 0);
    EXPECT_EQ(TargetAt(102, 102), 0);
    EXPECT_EQ(TargetAt(101, 102), 0xFFFF);

    g_options.SetByte(31, 1);
    ClearTarget(0xFFFF);
    LockTarget();
    EXPECT_TRUE(image.BlitFrameShadow(0, m_d3d->GetRenderTarget(), 100, 100, nullptr, 255));
    UnlockTarget();
    // The same silhouette through the work texture, half-transparent black.
    const uint16_t half = TargetAt(100, 104);
    EXPECT_NE(half, 0xFFFF);
    EXPECT_NE(half, 0);
    EXPECT_NEAR(half >> 11, 15, 1);
    EXPECT_EQ(TargetAt(101, 103), half);
    EXPECT_EQ(TargetAt(100, 103), 0xFFFF);
    EXPECT_EQ(TargetAt(105, 104), 0xFFFF);
    EXPECT_EQ(TargetAt(100, 105), 0xFFFF);
    g_options.SetByte(31, oldMode);
}

TEST_F(ImageTest, DisplayRectanglesInSoftware) {
    ClearTarget(0);
    m_dd->FillRectSoftware(-5, 10, 20, 12, 0xFF0000);
    EXPECT_EQ(TargetAt(0, 10), 0xF800);
    EXPECT_EQ(TargetAt(19, 11), 0xF800);
    EXPECT_EQ(TargetAt(20, 11), 0);
    EXPECT_EQ(TargetAt(0, 12), 0);
    m_dd->DrawRectOutline(30, 30, 900, 40, 0x00FF00);  // the right edge stops at the screen's last column
    EXPECT_EQ(TargetAt(30, 30), 0x07E0);
    EXPECT_EQ(TargetAt(799, 40), 0x07E0);
    EXPECT_EQ(TargetAt(31, 35), 0);
    EXPECT_EQ(TargetAt(799, 35), 0x07E0);
    EXPECT_FALSE(m_d3d->GetRenderTarget()->IsLocked());
}

}  // namespace
