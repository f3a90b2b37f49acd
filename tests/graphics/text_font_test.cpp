#include "graphics/text_font.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "tests/graphics/text_fixture.h"

namespace {

// "あいう" in code page 932.
const std::string kHiragana = "\x82\xA0\x82\xA2\x82\xA4";

TEST(CreateFontsTest, TwelveFontsAndTheirTwins) {
    plat::FakeFontBackend fake;
    FontsOn fonts(fake);
    ASSERT_TRUE(fonts.Ok());
    ASSERT_EQ(fake.Opened().size(), 12u);
    const int heights[6] = {12, 12, 14, 14, 16, 20};
    const int rows[6] = {14, 14, 16, 16, 18, 22};
    for (int k = 0; k < 12; ++k) {
        const plat::FontPlan& layout = fake.Opened()[size_t(k)];
        EXPECT_EQ(layout.height, heights[k % 6]) << k;
        EXPECT_EQ(layout.weight, k % 6 >= 4 ? 700 : 400) << k;
        EXPECT_EQ(layout.underline, k >= 6) << k;
        ASSERT_NE(GetFontHandle(k), nullptr);
        EXPECT_EQ(FindTextFont(GetFontHandle(k))->RowHeight(), rows[k % 6]);
    }
    EXPECT_EQ(GetTextFont(0, 1), FindTextFont(GetFontHandle(0)));
    EXPECT_EQ(GetTextFont(5, 16 | 4), FindTextFont(GetFontHandle(11)));
    EXPECT_EQ(GetTextFont(3, 2), FindTextFont(GetFontHandle(3)));
    EXPECT_EQ(GetTextFont(6, 0), nullptr);
    EXPECT_EQ(GetTextFont(-1, 0), nullptr);
}

TEST(CreateFontsTest, MissingFaceShowsTheBoxAndMakesNothing) {
    plat::FakeFontBackend fake;
    fake.SetAvailable(false);
    plat::ScopedMessageBoxRecorder boxes;
    FontsOn fonts(fake);
    EXPECT_FALSE(fonts.Ok());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Create Font Failed");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Font Init Error");
    EXPECT_EQ(GetFontHandle(0), nullptr);
    EXPECT_EQ(GetTextFont(0, 0), nullptr);
}

TEST(CreateFontsTest, MissingFontFileFailsWithTheBox) {
    plat::FreeTypeFontBackend freetype;
    plat::SetFontFileOverride("/nonexistent/fonts/ipag.ttf");
    plat::ScopedMessageBoxRecorder boxes;
    {
        FontsOn fonts(freetype);
        EXPECT_FALSE(fonts.Ok());
    }
    plat::SetFontFileOverride("");
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(TextFontTest, WidthsAreCachedAndSweptAfterAMinute) {
    plat::FakeClock clock(5000);
    plat::ScopedClock useClock(clock);
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend use(fake);
    plat::HFONT handle = plat::CreateFontA(12, 400, false);
    {
        CTextFont font(handle, 14);
        EXPECT_EQ(font.GetTextWidth("ABC", 3), 18);
        EXPECT_EQ(font.GetTextWidth("ABCDEF", 2), 12);
        EXPECT_EQ(font.GetTextWidth("", 0), 0);
        EXPECT_EQ(font.GetTextWidth(nullptr, 4), 0);
        EXPECT_EQ(font.Atlas().WidthCount(), 2u);
        EXPECT_EQ(font.GetTextWidth("ABC", 3), 18);
        EXPECT_EQ(font.Atlas().WidthCount(), 2u);
    }
    plat::DeleteObject(handle);
}

TEST(TextFontTest, FitsLongTextsBehindAnEllipsis) {
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend use(fake);
    plat::HFONT handle = plat::CreateFontA(12, 400, false);
    CTextFont font(handle, 14);  // six pixels a byte
    EXPECT_EQ(FitTextWithEllipsis(font, "short", 30), "short");
    EXPECT_EQ(FitTextWithEllipsis(font, "0123456789", 60), "0123456789");
    EXPECT_EQ(FitTextWithEllipsis(font, "0123456789", 59), "...456789");
    EXPECT_EQ(FitTextWithEllipsis(font, ("AB" + kHiragana).c_str(), 47), "..." + kHiragana.substr(2));
    EXPECT_EQ(FitTextWithEllipsis(font, "0123456789", 10), "...");
    EXPECT_EQ(FitTextWithEllipsis(font, "", 10), "");
    plat::DeleteObject(handle);
}

TEST(TextFontTest, RealFontWidthsOfFontsZeroAndFive) {
    plat::FreeTypeFontBackend freetype;
    FontsOn fonts(freetype);
    ASSERT_TRUE(fonts.Ok());
    CTextFont* small = GetTextFont(0, 0);
    CTextFont* large = GetTextFont(5, 0);
    ASSERT_TRUE(small && large);
    // Half-width ASCII, full-width kana; font 5 is bold (one pixel more a character).
    EXPECT_EQ(small->GetTextWidth("Quill", 5), 30);
    EXPECT_EQ(small->GetTextWidth(kHiragana.data(), int32_t(kHiragana.size())), 36);
    EXPECT_EQ(large->GetTextWidth("Quill", 5), 55);
    EXPECT_EQ(large->GetTextWidth(kHiragana.data(), int32_t(kHiragana.size())), 63);
    EXPECT_EQ(GetTextFont(5, 16)->GetTextWidth("Quill", 5), 55);
}

}  // namespace
