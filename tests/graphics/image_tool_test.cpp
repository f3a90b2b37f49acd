// qmimage's texture sheets drawn in text: the pixels and units read back by
// the program's own reader, and the lines it refuses.
#include "tools/qmimage/image_tool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/byte_source.h"
#include "graphics/dtx_format.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace {

qmtest::ToolRun Qmimage(std::vector<std::string> args) {
    return qmtest::RunTool(RunImageTool, std::move(args));
}

TEST(ImageToolTest, ATextSheetKeepsItsPixelsAndUnits) {
    qmtest::TempDir dir;
    const std::string text = dir.WriteFile("sheet.txt",
                                           "# a cursor\n"
                                           "size 256 256\n"
                                           "colour # FF0000\n"
                                           "colour o 00FF00\n"
                                           "pixels 10 4\n"
                                           "#o.\r\n"
                                           " #o\n"
                                           "end\n"
                                           "unit 10 4 3 2 0 -1\n");
    const qmtest::ToolRun r = Qmimage({"dtx-text", dir.Path() + "/0001.DTX", text});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(dir.Path() + "/0001.DTX", bytes));
    CMemorySource src(bytes);
    DtxHeader h;
    ASSERT_TRUE(ReadDtxHeader(src, h));
    EXPECT_EQ(h.version, 4);
    ASSERT_EQ(h.units.size(), 1u);
    EXPECT_EQ(h.units[0].x, 10);
    EXPECT_EQ(h.units[0].width, 3);
    EXPECT_EQ(h.units[0].anchorY, -1);
    // The one tile: 4-4-4-4 pixels, transparent where nothing was drawn.
    std::vector<uint16_t> tile(256 * 256);
    for (uint16_t& p : tile) ASSERT_TRUE(src.ReadU16(p));
    EXPECT_EQ(tile[4 * 256 + 10], 0xFF00);
    EXPECT_EQ(tile[4 * 256 + 11], 0xF0F0);
    EXPECT_EQ(tile[4 * 256 + 12], 0x0000);
    EXPECT_EQ(tile[5 * 256 + 10], 0x0000);
    EXPECT_EQ(tile[5 * 256 + 11], 0xFF00);
}

TEST(ImageToolTest, TextSheetsThatAreRefused) {
    qmtest::TempDir dir;
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"size 100 256\n", "whole tiles of 256"},
        {"colour # FF0000\npixels 0 0\n#\nend\n", "pixels before the size"},
        {"size 256 256\npixels 0 0\nx\nend\n", "no colour for 'x'"},
        {"size 256 256\ncolour # FF00\n", "expected: colour KEY RRGGBB"},
        {"size 256 256\ncolour # FF0000\npixels 255 0\n##\nend\n", "the pixels leave the sheet"},
        {"size 256 256\npixels 0 0\n", "the pixels have no 'end'"},
        {"size 256 256\nunit 1 2 3\n", "expected 6 or 10 numbers"},
        {"size 256 256\nunit 250 0 10 10 0 0\n", "does not lie inside the sheet"},
        {"shade 3\n", "unknown line 'shade'"},
        {"# nothing\n", "no size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const qmtest::ToolRun r =
            Qmimage({"dtx-text", dir.Path() + "/out.DTX", dir.WriteFile("bad.txt", c.text)});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Qmimage({"dtx-text", dir.Path() + "/out.DTX"}).status, 2);
}

}  // namespace
