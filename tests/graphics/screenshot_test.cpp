#include "graphics/screenshot.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <set>

#include "graphics/pixel_ops.h"
#include "picture_helpers.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ScreenshotTest, NameFromTheLocalTimeWithoutPadding) {
    plat::LocalTime t{2007, 3, 3, 14, 5, 9};
    std::set<std::string> taken;
    auto exists = [&](const std::string& p) { return taken.count(p) != 0; };
    std::string first = ScreenshotPath("ScreenShot", t, exists);
    EXPECT_EQ(first, "./ScreenShot/ZIDE_2007_3_3_14_5_9.jpg");
    taken.insert(first);
    std::string second = ScreenshotPath("ScreenShot", t, exists);
    EXPECT_EQ(second, "./ScreenShot/ZIDE_2007_3_3_14_5_9-2.jpg");
    taken.insert(second);
    EXPECT_EQ(ScreenshotPath("ScreenShot", t, exists), "./ScreenShot/ZIDE_2007_3_3_14_5_9-3.jpg");
}

TEST(ScreenshotTest, QualityDefaultsAndLimits) {
    const int cases[][2] = {{0, 75}, {1, 1}, {90, 90}, {100, 100}, {101, 100}, {-5, 1}};
    for (auto& c : cases) EXPECT_EQ(ScreenshotQuality(c[0]), c[1]) << c[0];
}

// A 5 x 2 screen: top row red, green, blue, white, black; bottom row grey.
struct Screen {
    std::vector<uint16_t> px;
    PixelTarget target;
    Screen(int kind) : px(2 * 8, 0) {  // pitch of 8 pixels
        const uint32_t colours[5] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000};
        for (int x = 0; x < 5; ++x) {
            px[x] = ColorToPixel(colours[x], kind);
            px[8 + x] = ColorToPixel(0x808080, kind);
        }
        target = {reinterpret_cast<uint8_t*>(px.data()), 16, 5, 2};
    }
};

TEST(ScreenshotTest, BottomUpBgrBufferOfKindsOneAndTwo) {
    for (int kind : {PIXEL_KIND_555, PIXEL_KIND_565, PIXEL_KIND_BGR565}) {
        Screen s(kind);
        std::vector<uint8_t> bgr;
        int pad = -1;
        ASSERT_TRUE(ScreenToBgrBottomUp(s.target, kind, bgr, pad));
        EXPECT_EQ(pad, 1);  // 15 bytes a row, padded to 16
        ASSERT_EQ(bgr.size(), 32u);
        // The top screen row is the buffer's last row.
        const uint8_t* top = bgr.data() + 16;
        const uint8_t gFull = kind == PIXEL_KIND_555 ? 0xF8 : 0xFC;
        EXPECT_EQ(std::vector<uint8_t>(top, top + 15),
                  (std::vector<uint8_t>{0, 0, 0xF8, 0, gFull, 0, 0xF8, 0, 0, 0xF8, gFull, 0xF8, 0, 0, 0}))
            << kind;
        EXPECT_EQ(bgr[0], 0x80);
        EXPECT_EQ(bgr[1], 0x80);
        EXPECT_EQ(bgr[2], 0x80);
    }
}

TEST(ScreenshotTest, JpegDecodesBackToTheScreenTopDown) {
    qmtest::TempDir dir;
    // Large flat areas so that the lossy code keeps the colours close.
    std::vector<uint16_t> px(64 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) px[y * 64 + x] = y < 16 ? (x < 32 ? 0xF800 : 0x001F) : 0x07E0;
    PixelTarget t{reinterpret_cast<uint8_t*>(px.data()), 128, 64, 32};
    std::vector<uint8_t> bgr;
    int pad = 0;
    ASSERT_TRUE(ScreenToBgrBottomUp(t, PIXEL_KIND_565, bgr, pad));
    const std::string path = dir.Path() + "/shot.jpg";
    ASSERT_TRUE(WriteJpegBgrBottomUp(path, bgr.data(), 64, 32, pad, 95));
    qmtest::DecodedJpeg d;
    ASSERT_TRUE(qmtest::DecodeJpeg(path, d));
    EXPECT_EQ(d.width, 64);
    EXPECT_EQ(d.height, 32);
    auto near = [&](int x, int y, int r, int g, int b) {
        const uint8_t* p = d.rgb.data() + (size_t(y) * 64 + x) * 3;
        EXPECT_NEAR(p[0], r, 12) << x << "," << y;
        EXPECT_NEAR(p[1], g, 12) << x << "," << y;
        EXPECT_NEAR(p[2], b, 12) << x << "," << y;
    };
    near(8, 4, 248, 0, 0);
    near(56, 4, 0, 0, 248);
    near(32, 28, 0, 252, 0);
}

TEST(ScreenshotTest, AFailedWriteIsReported) {
    std::vector<uint8_t> bgr(12, 0);
    EXPECT_FALSE(WriteJpegBgrBottomUp("/nonexistent-folder/x/shot.jpg", bgr.data(), 2, 2, 2, 75));
    EXPECT_FALSE(WriteJpegBgrBottomUp("/tmp/unused.jpg", nullptr, 2, 2, 2, 75));
}

}  // namespace
