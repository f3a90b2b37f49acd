// qmimage draw: pictures drawn from a list of shapes, read back with the BMP
// reader, and the lists it refuses.
#include <gtest/gtest.h>

#include "platform/bmp_file.h"
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
             Case{"# nothing\n", "no size"},
         }) {
        SCOPED_TRACE(c.list);
        const auto run = Draw(c.list);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
