// The qmmap tool: text forms through the files and back, refusals, and the
// frame it renders of a small field, which is the field's golden picture.
#include <gtest/gtest.h>

#include "anim/ani_file.h"
#include "data/data_table_writer.h"
#include "data/pack_writer.h"
#include "graphics/dtx_format.h"
#include "graphics/span_image_format.h"
#include "platform/bmp_file.h"
#include "platform/paths.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/world/golden_field.h"
#include "tools/qmmap/map_render.h"
#include "tools/qmmap/qmmap_tool.h"
#include "world/map/map.h"
#include "world/map/stage_data.h"
#include "world/map/stage_text.h"

namespace {

using goldenfield::Picture;
using goldenfield::WriteField;

qmtest::ToolRun Qmmap(std::vector<std::string> args) {
    return qmtest::RunTool(RunMapTool, std::move(args));
}

// A BMP file as RGB rows, top to bottom.
qmtest::RgbImage ReadBmp(const std::string& path) {
    plat::RgbPicture picture;
    std::string error;
    qmtest::RgbImage image;
    if (!plat::ReadBmp(path, picture, error)) return image;
    image.width = picture.width;
    image.height = picture.height;
    for (uint32_t p : picture.pixels)
        image.rgb.insert(image.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    return image;
}

}  // namespace

TEST(QmmapTest, StageTextGoesThroughTheFileAndBack) {
    // A group of another kind reads nothing, but its count must fit the bytes after it.
    const std::string text =
        "group kind 7 entries 3\nend\n"
        "group properties\n  text \"0010\"\n  text 6 \"ab\"\n  sized 2 300\n  table [ word table [ byte ] ] "
        "{ rows 1 7 { rows 2 1 2 } }\n  aniref2 3 1\n  type 10 -\nend\n"
        "group lists\n  point : 1 2 3 4\n  sized 5 : - -\nend\n"
        "group areas\n  areas 1 0 0 3 3\nend\n";
    qmtest::TempDir dir;
    const std::string source = dir.WriteFile("s.txt", text), file = dir.Path() + "/0001.Z5F";
    qmtest::ToolRun r = Qmmap({"stage", source, file});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Qmmap({"dump", file});
    EXPECT_EQ(r.out, text);
    EXPECT_EQ(r.status, 1);  // the client reports the type it does not know
    EXPECT_NE(r.err.find("qmmap: "), std::string::npos);
}

TEST(QmmapTest, AStageCutShortShowsTheValuesItDidNotRead) {
    qmtest::TempDir dir;
    const std::string file = dir.Path() + "/0001.Z5F";
    ASSERT_EQ(Qmmap({"stage", dir.WriteFile("s.txt", "group lists\n  word : 1 2 3\nend\n"), file}).status, 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(file, bytes));
    bytes.resize(bytes.size() - 3);
    dir.WriteFile("0001.Z5F", bytes);
    const qmtest::ToolRun r = Qmmap({"dump", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "group lists\n  word : 1 0 ?\nend\n");  // the value cut in two reads 0
    EXPECT_NE(r.err.find("Cannot Read File ["), std::string::npos) << r.err;
}

TEST(QmmapTest, SpeechTextGoesThroughTheFileAndBack) {
    const std::string text = "scrambled 1\ntext 5 \"Hi <[NAME]>\"\ntext 6 \"\"\n";
    qmtest::TempDir dir;
    const std::string file = dir.Path() + "/0007.SPC";
    ASSERT_EQ(Qmmap({"speech", dir.WriteFile("s.txt", text), file}).status, 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[11], uint8_t('H' ^ 0x80));  // stored scrambled
    const qmtest::ToolRun r = Qmmap({"dump", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, text);
}

TEST(QmmapTest, BuildWritesTheMapPathAndStageAsTheClientReadsThem) {
    qmtest::TempDir dir;
    WriteField(dir);
    qmtest::ToolRun r = Qmmap({"build", dir.Path() + "/field.txt", dir.Path()});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"0009.Z5M.ZIP", "0009.PPD", "0009.Z5F"})
        EXPECT_TRUE(plat::FileExists(dir.Path() + "/" + name)) << name;
    r = Qmmap({"dump", dir.Path() + "/0009.Z5M.ZIP"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "header 0\nsize 8 8\ndefinitions 7\n"
        "def 1 kind 1 picture 96x48\ndef 2 kind 3 picture 96x48\ndef 3 kind 1 picture 48x72 block\n"
        "def 4 kind 2 base 3\ndef 5 kind 1 picture 40x24\n"
        "legend . ground 1\nlegend a ground 2\nlegend b ground 1 blocked\n"  // the dump's own characters
        "cells\n........\n..aa....\n..aaaa..\n...aa...\n........\n.bbbb...\n........\n........\nend\n"
        "object 3 at 96 288\n"
        "ground 3 at 1 5\nground 4 at 2 5\nground 4 at 3 5\nground 4 at 4 5\nground 5 at 5 2\nground 6 at 2 "
        "3\n");
    // Definition 6 is no animation the tool can load: the dump leaves it out.
    r = Qmmap({"build", dir.Path() + "/field.txt", dir.Path() + "/raw", "--raw"});
    EXPECT_EQ(r.status, 1);  // no such folder
    r = Qmmap({"dump", dir.Path() + "/0009.PPD"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");  // one block: no borders between blocks, no portals
}

TEST(QmmapTest, AutomaticPortalsJoinBlocksAcrossOpenBorders) {
    qmtest::TempDir dir;
    std::string rows;
    // Two blocks side by side; the border between them is open in rows 0-3 and 9-12.
    for (int y = 0; y < 13; ++y)
        rows += std::string(12, '.') + (y >= 4 && y <= 8 ? "##" : "..") + std::string(12, '.') + "\n";
    dir.WriteFile("m.txt", "map 2\nsize 26 13\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n" + rows +
                               "end\nportals auto\n");
    ASSERT_EQ(Qmmap({"build", dir.Path() + "/m.txt", dir.Path()}).status, 0);
    const qmtest::ToolRun r = Qmmap({"dump", dir.Path() + "/0002.PPD"});
    EXPECT_EQ(r.status, 0) << r.err;
    // A portal at the middle of each open run on each side, joined to the one
    // across the border; the wall parts the two runs.
    EXPECT_EQ(r.out,
              "portal 12 1 : 13 1\nportal 12 10 : 13 10\n"
              "portal 13 1 : 12 1\nportal 13 10 : 12 10\n");
}

TEST(QmmapTest, RefusesWhatTheClientWouldRefuse) {
    qmtest::TempDir dir;
    dir.WriteFile("g.pic", Picture(96, 48, 0x07E0, true));
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"size 2 2\nlegend . ground 0\ncells\n..\n.\nend\n", "cell row 1 is not 2 wide"},
        {"size 2 1\nlegend . ground 0\ncells\n.x\nend\n", "no legend for 'x'"},
        {"size 1 1\nlegend . ground 0\ncells\n.\n", "the cells have no 'end'"},
        {"size 1 1\ndef 1 kind 1\n", "needs its picture"},
        {"size 1 1\ndef 1 kind 3 picture g.pic\n", "is not a single palettised picture"},
        {"size 1 1\ndef 1 kind 1 picture none.pic\n", "cannot read the picture"},
        {"size 1 1\ndef 1 kind 0 animation 3\ndef 2 kind 2 base 1\nlegend . ground 0\ncells\n.\nend\n",
         "its base must be a picture of kind 1"},
        {"size 0 1\n", "the width must be a number from 1 to 65535"},
        {"colour red\n", "unknown line 'colour'"},
        {"size 1 1\nlegend . ground 0\ncells\n.\nend\nstage 3\ngroup properties\n  word\nend\nend\n",
         "the value must be a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const qmtest::ToolRun r = Qmmap({"build", dir.WriteFile("bad.txt", c.text), dir.Path()});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // A damaged file: what the client reads of it, and the box it would show.
    dir.WriteFile("0003.PPD", std::string("\0\0\1\0\0\0\1\0\0\0\5\0", 12));
    const qmtest::ToolRun r = Qmmap({"dump", dir.Path() + "/0003.PPD"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot Read File ["), std::string::npos) << r.err;
    // A file that is not there says so, whatever its kind.
    for (const char* name : {"/0009.Z5M.ZIP", "/0009.Z5M", "/0009.PPD", "/0009.Z5F", "/0009.SPC"}) {
        const qmtest::ToolRun missing = Qmmap({"dump", dir.Path() + name});
        EXPECT_EQ(missing.status, 1) << name;
        EXPECT_EQ(missing.err, "qmmap: cannot read " + dir.Path() + name + "\n");
    }
    EXPECT_EQ(Qmmap({}).status, 2);
    EXPECT_EQ(Qmmap({"dump", dir.Path() + "/x.txt"}).status, 2);
}

// The field drawn by CMap::Draw and the draw queue: the golden picture, and
// the frame `qmmap render` writes.
TEST(QmmapTest, RenderDrawsTheGoldenField) {
    qmtest::TempDir dir;
    WriteField(dir);
    ASSERT_EQ(Qmmap({"build", dir.Path() + "/field.txt", dir.Path()}).status, 0);
    qmmap::RenderOptions options;
    options.folder = dir.Path();
    options.stage = 9;
    options.width = 480;
    options.height = 320;
    plat::raster::Surface frame;
    std::string error;
    ASSERT_TRUE(qmmap::RenderMap(options, frame, &error)) << error;
    const qmtest::RgbImage picture = qmtest::ToRgb(frame, 480, 320);
    EXPECT_TRUE(qmtest::MatchesGolden(picture, "tests/world/golden/field_ground.png"));
    const std::string bmp = dir.Path() + "/field.bmp";
    const qmtest::ToolRun r = Qmmap({"render", dir.Path(), "9", bmp, "--size", "480", "320"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(ReadBmp(bmp), picture);
}
