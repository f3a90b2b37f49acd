// A sample of every font in every style drawn with the real font into one
// frame and compared with the stored picture. QM_REFRESH_GOLDEN=1 rewrites it.
#include <gtest/gtest.h>

#include <string>

#include "tests/graphics/text_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kWidth = 760, kHeight = 292;
const uint32_t kStyles[] = {1, 2, 4, 8, 12};

class TextGoldenTest : public TextFixture {};

TEST_F(TextGoldenTest, PngFilesRoundTrip) {
    qmtest::TempDir dir;
    qmtest::RgbImage image{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}};
    ASSERT_TRUE(qmtest::WritePng(dir.Path() + "/a.png", image));
    qmtest::RgbImage back;
    ASSERT_TRUE(qmtest::ReadPng(dir.Path() + "/a.png", &back));
    EXPECT_EQ(back, image);
    EXPECT_FALSE(qmtest::ReadPng(dir.WriteFile("b.png", "\x89PNG\r\n\x1a\n junk"), &back));
}

TEST_F(TextGoldenTest, EveryFontInEveryStyle) {
    plat::FreeTypeFontBackend freetype;
    BringUpText(freetype);
    CSurfaceResource* frame = MakeTarget(kWidth, kHeight);
    frame->FillSurface(0x8410, nullptr);  // mid grey, so that the black passes show
    // "Aa1" and "あ日本" in code page 932.
    const std::string sample = "Aa1 \x82\xA0\x93\xFA\x96\x7B";
    for (int k = 0; k < 12; ++k)
        for (int c = 0; c < 5; ++c) {
            uint32_t style = kStyles[c] | (k >= 6 ? 16 : 0);
            ASSERT_TRUE(m_renderer->DrawString(frame, 6 + c * 150, 4 + k * 24, sample.c_str(), k % 6,
                                               0x40C0FF, style, true));
        }
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::ToRgb(Pixels(frame), kWidth, kHeight),
                                      "tests/graphics/golden/text_styles.png"));
}

}  // namespace
