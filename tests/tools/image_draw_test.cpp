// qmimage draw: pictures drawn from a list of shapes, read back with the BMP
// reader, and the lists it refuses.
#include <gtest/gtest.h>

#include "platform/bmp_file.h"
#include "platform/font.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmimage/image_tool.h"

namespace {

class ImageDrawTest : public ::testing::Test {
protected:
    qmtest::ToolRun Draw(const std::string& list) {
        return qmtest::RunTool(RunImageTool, {"draw", Out(), m_dir.WriteFile("list.txt", list)});
    }
    std::string Out() const { return m_dir.Path() + "/out.bmp"; }
    plat::RgbPicture Drawn() {
        plat::RgbPicture pic;
        std::string error;
        EXPECT_TRUE(plat::ReadBmp(Out(), pic, error)) << error;
        return pic;
    }
    qmtest::TempDir m_dir;
};

TEST_F(ImageDrawTest, ShapesLandOnTheirPixels) {
    const auto run = Draw(
        "# a comment\n"
        "size 20 10\n"
        "fill 102030\n"
        "rect 2 1 3 2 FF0000   # clipped nowhere\n"
        "rect 18 8 5 5 00ff00\n"
        "gradient 0 5 11 2 000000 FFFFFF\n"
        "gradient 12 0 2 5 FF0000 0000FF v\n"
        "frame 14 0 6 5 0000FF 2\n");
    ASSERT_EQ(run.status, 0) << run.err;
    plat::RgbPicture pic;
    std::string error;
    ASSERT_TRUE(plat::ReadBmp(Out(), pic, error)) << error;
    ASSERT_EQ(pic.width, 20);
    ASSERT_EQ(pic.height, 10);
    struct Case {
        int x, y;
        uint32_t rgb;
    };
    for (const Case& c : {
             Case{0, 0, 0x102030}, Case{2, 1, 0xFF0000}, Case{4, 2, 0xFF0000}, Case{5, 2, 0x102030},
             Case{4, 3, 0x102030},                          // the rect's edges
             Case{19, 9, 0x00FF00}, Case{17, 9, 0x102030},  // clipped at the corner
             Case{0, 5, 0x000000}, Case{10, 6, 0xFFFFFF},
             Case{5, 5, 0x808080},                          // the gradient's ends, middle
             Case{11, 5, 0x102030},                         // past its end
             Case{12, 0, 0xFF0000}, Case{13, 4, 0x0000FF},  // top to bottom
             Case{14, 0, 0x0000FF}, Case{15, 1, 0x0000FF}, Case{16, 2, 0x102030}, Case{17, 2, 0x102030},
             Case{18, 3, 0x0000FF},  // the frame's two-pixel edge, hollow inside
         }) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(pic.pixels[size_t(c.y * pic.width + c.x)], c.rgb);
    }
}

TEST_F(ImageDrawTest, BadListsAreRefusedWithTheLine) {
    struct Case {
        const char* list;
        const char* message;
    };
    for (const Case& c : {
             Case{"rect 0 0 1 1 FFFFFF\n", "list.txt:1: 'rect' before the size"},
             Case{"size 4 4\n\nrect 0 0 1 FFFFFF\n", "list.txt:3: expected: rect X Y W H RRGGBB"},
             Case{"size 4097 4\n", "list.txt:1: expected: size W H"},
             Case{"size 0 4\n", "list.txt:1: expected: size W H"},
             Case{"size 4 4\nsize 4 4\n", "list.txt:2: a second size"},
             Case{"size 4 4\nfill 12345G\n", "list.txt:2: expected: fill RRGGBB"},
             Case{"size 4 4\ngradient 0 0 4 4 000000 FFFFFF d\n", "list.txt:2: the gradient's way"},
             Case{"size 4 4\nframe 0 0 4 4 000000 0\n", "list.txt:2: the frame's thickness"},
             Case{"size 4 4\nfill 000000 extra\n", "list.txt:2: unexpected 'extra'"},
             Case{"size 4 4\ncircle 1 1 1\n", "list.txt:2: unknown command 'circle'"},
             Case{"text 0 0 FFFFFF 12 \"a\"\n", "list.txt:1: 'text' before the size"},
             Case{"size 4 4\ntext 0 0 FFFFFF \"a\"\n", "list.txt:2: expected: text X Y RRGGBB SIZE"},
             Case{"size 4 4\ntext 0 0 FFFFFF 7 \"a\"\n", "list.txt:2: the text's size must be 8 to 64"},
             Case{"size 4 4\ntext 0 0 FFFFFF 65 \"a\"\n", "list.txt:2: the text's size must be 8 to 64"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 italic \"a\"\n", "list.txt:2: unknown text option 'italic'"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 shadow \"a\"\n", "list.txt:2: expected: text"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 words\n", "list.txt:2: unknown text option 'words'"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 \"open\n", "list.txt:2: the words go between double quotes"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 \"\"\n", "list.txt:2: no words"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 \"a\" b\n", "list.txt:2: unexpected 'b'"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 \"\xC3\x28\"\n", "list.txt:2: the words are not UTF-8"},
             Case{"size 4 4\ntext 0 0 FFFFFF 12 \"\xEC\x95\x88\"\n", "list.txt:2: the words are not UTF-8"},
             Case{"# nothing\n", "no size"},
         }) {
        SCOPED_TRACE(c.list);
        const auto run = Draw(c.list);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST_F(ImageDrawTest, TextLandsInTheFontsCellsAsCodePageCharacters) {
    // The test face: each byte a block half the cell wide less one clear
    // column, inked from row 1 to the ascent - 1 (rows 1-8 of a 12-pixel cell).
    plat::FakeFontBackend fake;
    plat::ScopedFontBackend backend(fake);
    const auto run = Draw(
        "size 64 40\n"
        "fill 000000\n"
        "text 2 0 FF0000 12 \"ab\"\n"
        "text 40 12 00FF00 12 centre shadow 0000FF \"\xE3\x81\x82\"  # one double-byte character\n"
        "text 63 26 FFFFFF 12 right \"x y\"\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const plat::RgbPicture pic = Drawn();
    ASSERT_EQ(pic.width, 64);
    struct Case {
        int x, y;
        uint32_t rgb;
    };
    for (const Case& c : {
             Case{2, 1, 0xFF0000},
             Case{6, 8, 0xFF0000},
             Case{7, 4, 0x000000},
             Case{8, 4, 0xFF0000},
             Case{12, 8, 0xFF0000},
             Case{13, 4, 0x000000},
             Case{2, 0, 0x000000},
             Case{2, 9, 0x000000},
             // two bytes, 12 pixels, centred on 40: 34-45, its shadow one right and down
             Case{34, 13, 0x00FF00},
             Case{33, 13, 0x000000},
             Case{45, 13, 0x000000},
             Case{46, 21, 0x000000},
             Case{39, 14, 0x0000FF},
             Case{44, 20, 0x00FF00},
             Case{45, 21, 0x0000FF},
             Case{34, 21, 0x000000},
             // three bytes ending at 63: 45-62, the space clear
             Case{45, 27, 0xFFFFFF},
             Case{49, 27, 0xFFFFFF},
             Case{51, 27, 0x000000},
             Case{55, 27, 0x000000},
             Case{57, 27, 0xFFFFFF},
             Case{61, 34, 0xFFFFFF},
             Case{62, 27, 0x000000},
         }) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(pic.pixels[size_t(c.y * pic.width + c.x)], c.rgb);
    }
}

TEST_F(ImageDrawTest, AWordInTheGothicFaceInksItsCellOnly) {
    ASSERT_FALSE(plat::FindGothicFontFile().empty()) << "the Gothic font is one of the set-up packages";
    const auto run = Draw(
        "size 80 30\n"
        "fill 000000\n"
        "text 10 5 FFFFFF 16 \"Quill\"\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const plat::RgbPicture pic = Drawn();
    int inside = 0, outside = 0, other = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint32_t p = pic.pixels[size_t(y * pic.width + x)];
            if (p != 0 && p != 0xFFFFFF) ++other;  // no smoothing: ink or background only
            if (p == 0xFFFFFF) ++(x >= 10 && x < 10 + 5 * 16 && y >= 5 && y < 5 + 16 ? inside : outside);
        }
    EXPECT_GT(inside, 5 * 10);  // five letters' strokes
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(other, 0);
}

}  // namespace
