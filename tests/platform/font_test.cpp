#include "platform/font.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

constexpr uint16_t kKey = 0xF81F;
constexpr uint16_t kInk = 0x07E0;

struct Canvas {
    int width, height;
    std::vector<uint16_t> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), kKey) {}
    plat::PixelBuffer Buffer() { return {pixels.data(), width * 2, width, height}; }
    uint16_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Columns that hold ink, as a string of '#' and '.' for one row.
    std::string Row(int y) const {
        std::string s;
        for (int x = 0; x < width; ++x) s += At(x, y) == kInk ? '#' : '.';
        return s;
    }
};

// "あいう" and "日本" in code page 932.
const std::string kHiragana = "\x82\xA0\x82\xA2\x82\xA4";
const std::string kNihon = "\x93\xFA\x96\x7B";

TEST(FakeFontTest, BlocksAdvanceByHalfTheCellHeight) {
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend use(fake);
    struct Case {
        int height, weight;
        std::string text;
        int width;
    } cases[] = {
        {12, 400, "ABC", 18}, {12, 400, "", 0},      {20, 400, "AB", 20},
        {12, 700, "ABC", 21}, {12, 400, kNihon, 24}, {14, 400, std::string("A\0B", 3), 21},
        {12, 400, "\x93", 6},  // a lead byte without its trail byte is one byte wide
    };
    for (const Case& c : cases) {
        plat::HFONT f = plat::CreateFontA(c.height, c.weight, false);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(plat::GetTextExtent(f, c.text.data(), c.text.size()), c.width) << c.text << " " << c.height;
        plat::DeleteObject(f);
    }
    ASSERT_EQ(fake.Opened().size(), std::size(cases));
    EXPECT_EQ(fake.Opened()[3].weight, 700);
}

TEST(FakeFontTest, DrawsBlocksBoldAndUnderline) {
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend use(fake);
    // Height 12: advance 6, ascent 9, ink on rows 1 to 8, underline on row 10.
    plat::HFONT normal = plat::CreateFontA(12, 400, false);
    Canvas a(20, 14);
    plat::TextOutA(normal, a.Buffer(), 1, 0, "A B", 3, kInk);
    EXPECT_EQ(a.Row(0), "....................");
    EXPECT_EQ(a.Row(1), ".#####.......#####..");
    EXPECT_EQ(a.Row(8), ".#####.......#####..");
    EXPECT_EQ(a.Row(9), "....................");

    plat::HFONT bold = plat::CreateFontA(12, 700, true);
    Canvas b(20, 14);
    plat::TextOutA(bold, b.Buffer(), 0, 0, "AB", 2, kInk);
    EXPECT_EQ(b.Row(4), "######.######.......");
    EXPECT_EQ(b.Row(10), "##############......");  // underline under the full advance
    EXPECT_EQ(b.Row(11), "....................");
    plat::DeleteObject(normal);
    plat::DeleteObject(bold);
}

TEST(FakeFontTest, ClipsAtTheBufferEdges) {
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend use(fake);
    plat::HFONT f = plat::CreateFontA(12, 400, true);
    Canvas c(8, 6);
    plat::TextOutA(f, c.Buffer(), -3, -2, "ABCD", 4, kInk);
    EXPECT_EQ(c.Row(0), "##.#####");
    EXPECT_EQ(c.Row(5), "##.#####");
    plat::TextOutA(f, c.Buffer(), 100, 100, "ABCD", 4, kInk);
    plat::DeleteObject(f);
}

TEST(FakeFontTest, UnavailableFaceGivesNoFont) {
    plat::FakeFontBackend fake;
    fake.SetAvailable(false);
    plat::ScopedFontBackend use(fake);
    EXPECT_EQ(plat::CreateFontA(12, 400, false), nullptr);
    EXPECT_EQ(plat::GetTextExtent(nullptr, "A", 1), 0);
}

TEST(FreeTypeFontTest, FindsIpaGothicAndHonoursTheOverride) {
    std::string file = plat::FindGothicFontFile();
    ASSERT_FALSE(file.empty());
    plat::FreeTypeFontBackend found(file);
    EXPECT_NE(found.OpenFace({12, 400, false}), nullptr) << file;

    qmtest::TempDir dir;
    plat::SetFontFileOverride(dir.Path() + "/missing.ttf");
    EXPECT_EQ(plat::FindGothicFontFile(), "");
    plat::FreeTypeFontBackend searching;
    EXPECT_EQ(searching.OpenFace({12, 400, false}), nullptr);
    plat::SetFontFileOverride(file);
    EXPECT_EQ(plat::FindGothicFontFile(), file);
    plat::SetFontFileOverride("");

    std::string junk = dir.WriteFile("junk.ttf", "not a font");
    plat::FreeTypeFontBackend broken(junk);
    EXPECT_EQ(broken.OpenFace({12, 400, false}), nullptr);
}

TEST(FreeTypeFontTest, CellHeightsWidthsAndMonoInk) {
    plat::FreeTypeFontBackend freetype;
    plat::ScopedFontBackend use(freetype);
    struct Case {
        int height, weight;
        int asciiAdvance;  // IPA Gothic is half-width for ASCII, full-width for kana
    } cases[] = {{12, 400, 6}, {14, 400, 7}, {16, 700, 9}, {20, 700, 11}};
    for (const Case& c : cases) {
        plat::HFONT f = plat::CreateFontA(c.height, c.weight, false);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Height(), c.height);
        EXPECT_GT(f->Ascent(), c.height / 2);
        EXPECT_EQ(plat::GetTextExtent(f, "Ag", 2), 2 * c.asciiAdvance);
        int bold = c.weight >= 700 ? 1 : 0;
        EXPECT_EQ(plat::GetTextExtent(f, kHiragana.data(), kHiragana.size()), 3 * (c.height + bold));

        for (const std::string& text : {std::string("Quill 42"), kHiragana + kNihon}) {
            int w = plat::GetTextExtent(f, text.data(), text.size());
            Canvas canvas(w + 4, c.height + 2);
            plat::TextOutA(f, canvas.Buffer(), 0, 0, text.data(), text.size(), kInk);
            std::set<uint16_t> seen(canvas.pixels.begin(), canvas.pixels.end());
            EXPECT_EQ(seen, (std::set<uint16_t>{kKey, kInk})) << "only key and ink, no smoothing";
            int inked = 0, lastRow = -1, lastCol = -1;
            for (int y = 0; y < canvas.height; ++y)
                for (int x = 0; x < canvas.width; ++x)
                    if (canvas.At(x, y) == kInk)
                        ++inked, lastRow = std::max(lastRow, y), lastCol = std::max(lastCol, x);
            EXPECT_GT(inked, w);
            EXPECT_LT(lastRow, c.height);
            EXPECT_LT(lastCol, w + 1);
        }
        plat::DeleteObject(f);
    }
}

TEST(FreeTypeFontTest, UnderlineLiesInTheCell) {
    plat::FreeTypeFontBackend freetype;
    plat::ScopedFontBackend use(freetype);
    plat::HFONT f = plat::CreateFontA(12, 400, true);
    ASSERT_NE(f, nullptr);
    Canvas canvas(30, 14);
    plat::TextOutA(f, canvas.Buffer(), 0, 0, "    ", 4, kInk);
    int rows = 0;
    for (int y = 0; y < canvas.height; ++y)
        if (canvas.Row(y) == std::string(24, '#') + std::string(6, '.')) {
            ++rows;
            EXPECT_GE(y, f->Ascent());
        } else {
            EXPECT_EQ(canvas.Row(y), std::string(30, '.'));
        }
    EXPECT_GE(rows, 1);
    plat::DeleteObject(f);
}

}  // namespace
