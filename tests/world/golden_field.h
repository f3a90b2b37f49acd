// The golden field the map pictures are drawn on: grass and sand ground, a
// wall of pictures on blocked cells, a rock picture and an animated lantern
// (animation 40 on texture 1), stage 9 of map 9 in "field.txt" for qmmap.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "anim/ani_file.h"
#include "data/data_table_writer.h"
#include "data/pack_writer.h"
#include "graphics/dtx_format.h"
#include "graphics/span_image_format.h"
#include "tests/support/temp_dir.h"

namespace goldenfield {

// A picture of w x h: the diamond that touches the middle of each side in
// one colour, the corners transparent; a full rectangle when not diamond.
inline std::vector<uint8_t> Picture(int32_t w, int32_t h, uint16_t colour, bool diamond,
                                    bool palettised = false) {
    std::vector<uint16_t> grid(size_t(w) * size_t(h), colour);
    if (diamond)
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (std::abs(2 * x + 1 - w) * h + std::abs(2 * y + 1 - h) * w > w * h)
                    grid[size_t(y * w + x)] = 0xF81F;
    if (!palettised) return WriteSpanPicture(MakeSpanPicture(grid.data(), w, h, 0xF81F), false);
    std::vector<uint8_t> indices(grid.size());
    for (size_t i = 0; i < grid.size(); ++i) indices[i] = grid[i] == 0xF81F ? 0 : 1;
    std::vector<uint16_t> palette(256, 0);
    palette[1] = colour;
    return WriteSpanPicture(MakeIndexedSpanPicture(indices.data(), w, h, 0, palette), true);
}

// The golden field: grass and sand ground, a wall of pictures on blocked
// cells, a rock picture and an animated lantern (animation 40 on texture 1).
inline void WriteField(qmtest::TempDir& dir, const std::string& stageProperties = "") {
    dir.WriteFile("grass.pic", Picture(96, 48, 0x3DE7, true));
    dir.WriteFile("sand.pic", Picture(96, 48, 0xCD6C, true, true));
    dir.WriteFile("wall.pic", Picture(48, 72, 0x8410, false));
    dir.WriteFile("rock.pic", Picture(40, 24, 0x9A65, true));
    std::vector<uint16_t> sheet(256 * 256, 0xF81F);  // one tile of the texture sheet
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 12; ++x) sheet[size_t(y * 256 + x)] = y < 8 ? 0xFFE0 : 0x6B4D;
    DtxUnit unit;
    unit.width = 12;
    unit.height = 30;
    unit.anchorX = -6;  // standing on the object's point
    unit.anchorY = -30;
    SetUnitTexCoords(unit);
    // The game reads compressed textures, as the map file.
    dir.WriteFile("0001.DTX.ZIP", BuildCompressedFile(WriteDtxSheet(4, {unit}, 256, 256,
                                                                    SheetToTiles(sheet.data(), 256, 256))));
    AniFileElement image;
    image.kind = ANI_NODE_IMAGE;
    image.texture = 1;
    AniFileElement hold;
    hold.kind = ANI_NODE_HOLD;
    hold.hold = 30;
    AniFile lantern;
    lantern.version = ANI_LATEST_VERSION;
    lantern.motions = {AniFileMotion{0, {AniFileDirection{2, 100, 0, {AniFileLayer{{image, hold}}}}}}};
    DeclarePools(lantern);
    dir.WriteFile("0040.z5a", WriteAniFile(lantern));
    // What every map makes: the banner's animation and the stage kind table.
    AniFile banner;
    banner.version = ANI_LATEST_VERSION;
    banner.motions = {AniFileMotion{0, {AniFileDirection{2, 100, 0, {AniFileLayer{{hold}}}}}}};
    DeclarePools(banner);
    dir.WriteFile("1427.z5a", WriteAniFile(banner));
    TablePlan kinds;
    kinds.columns.resize(8);
    dir.WriteFile("0073.Z5D", WriteDataTable(kinds));
    dir.WriteFile("field.txt",
                  "map 9\n"
                  "size 8 8\n"
                  "def 1 kind 1 picture grass.pic\n"
                  "def 2 kind 3 picture sand.pic\n"
                  "def 3 kind 1 picture wall.pic block\n"
                  "def 4 kind 2 base 3\n"
                  "def 5 kind 1 picture rock.pic\n"
                  "def 6 kind 0 animation 40 motion 0 facing 2\n"
                  "legend . ground 1\n"
                  "legend : ground 2\n"
                  "legend # ground 1 blocked\n"
                  "cells\n"
                  "........\n"
                  "..::....\n"
                  "..::::..\n"
                  "...::...\n"
                  "........\n"
                  ".####...\n"
                  "........\n"
                  "........\n"
                  "end\n"
                  "object 3 at 96 288\n"
                  "ground 3 at 1 5\nground 4 at 2 5\nground 4 at 3 5\nground 4 at 4 5\n"
                  "ground 5 at 5 2\n"
                  "ground 6 at 2 3\n"
                  "portals auto\n"
                  "stage 9\n"
                  "group properties\n"
                  "  @1 table [ word ] { rows 1 9 }\n" +
                      stageProperties +
                      "end\n"
                      "end\n");
}

}  // namespace goldenfield
