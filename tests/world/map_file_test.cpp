// Map and path files written by qmmap, loaded as the game loads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "platform/paths.h"
#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

// A map of 14 x 13 cells (two blocks): grass everywhere, a wall in block 0,
// the grass picture placed in both blocks and a ground object in block 0.
std::string SmallMap(const std::string& extra = "") {
    return "map 3\nsize 14 13\ndef 1 kind 1 picture g.pic\ndef 2 kind 2 base 1\n"
           "def 4 kind 1 picture r.pic block\n"
           "legend . ground 1\nlegend # ground 2 blocked\ncells\n" +
           std::string("..............\n..##..........\n") + Cells(14, 11) +
           "end\nobject 1 at 192 96\nobject 1 at 1260 96\nobject 4 at 96 48\nobject 4 at 1260 48\n"
           "ground 2 at 2 2\n" +
           extra + "stage 7\ngroup properties\n  @1 table [ word ] { rows 1 3 }\nend\nend\n";
}

class MapFileTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        WritePicture("g.pic", 96, 48, 0x07E0);
        WritePicture("r.pic", 96, 96, 0x001F);
    }
    // The image-cache entries held by the map.
    int32_t Pictures() const { return m_imageCache.ChildCount(); }
};

}  // namespace

TEST_F(MapFileTest, FourteenByThirteenCellsMakeTwoBlocks) {
    WriteMap(SmallMap());
    LoadWhole(7);
    ASSERT_NE(m_map.GetMapData(), nullptr);
    EXPECT_TRUE(BoxTexts().empty());
    CMapData& data = *m_map.GetMapData();
    EXPECT_EQ(data.GetBlocksAcross(), 2);
    EXPECT_EQ(data.GetBlocksDown(), 1);
    EXPECT_EQ(data.GetBlock(1)->m_width, 1);
    EXPECT_EQ(data.GetBlock(1)->m_height, 13);
    EXPECT_EQ(m_map.GetMapFileNumber(), 3);
    // Cells and their attributes, by tile.
    EXPECT_TRUE(m_map.IsPassableAt(0, 0));
    EXPECT_FALSE(m_map.IsPassableAt(2 * 4, 1 * 4 + 3));   // the wall
    EXPECT_TRUE(m_map.IsPassableAt(13 * 4 + 3, 12 * 4));  // the last cell of block 1
    EXPECT_FALSE(m_map.IsPassableAt(14 * 4, 0));          // outside
    EXPECT_FALSE(m_map.IsPassableAt(-1, 0));
    EXPECT_EQ(data.GetCell(2, 1)->m_ground, 2);
    // The vertical origin follows the width.
    EXPECT_EQ(m_map.View().m_baseY, 13 * 24);
}

TEST_F(MapFileTest, TheOffsetTableIsReadFromTheEndWhateverLiesBeforeIt) {
    maptext::MapFiles files = WriteMap(SmallMap());
    // Bytes of no meaning between the last block and the table.
    const size_t table = files.map.size() - files.blockOffsets.size() * 4;
    files.map.insert(files.map.begin() + std::ptrdiff_t(table), 100, 0xEE);
    WriteMapBytes(files.number, files.map);
    LoadWhole(7);
    EXPECT_TRUE(BoxTexts().empty());
    ASSERT_NE(m_map.GetMapData(), nullptr);
    EXPECT_FALSE(m_map.IsPassableAt(2 * 4, 1 * 4));
    EXPECT_EQ(m_map.GetMapData()->GetBlock(1)->m_cells.size(), 13u);
}

TEST_F(MapFileTest, APictureAlreadyLoadedIsNotReadAgain) {
    WriteMap(SmallMap());
    LoadWhole(7);
    CMapData& data = *m_map.GetMapData();
    const CMapObjectDefs& defs = data.Definitions();
    // Definition 1 comes with the header and again with each block; its
    // variant 2 carries it once more: one picture. Definition 4 comes with
    // two blocks: one picture.
    EXPECT_EQ(Pictures(), 2);
    EXPECT_EQ(defs.GetUseCount(1), 1 + 2 + 1);  // header, two blocks, the variant
    EXPECT_EQ(defs.GetUseCount(4), 2);
    EXPECT_EQ(defs.GetPicture(2), defs.GetPicture(1));
    EXPECT_EQ(defs.Get(1)->m_x, 1260);  // the last record placed it
    EXPECT_EQ(defs.Get(1)->m_y, 96 - 24);
    // Dropping both blocks frees the definition only they held.
    data.DropFarBlocks(100, 100);
    EXPECT_FALSE(defs.Get(4)->m_loaded);
    EXPECT_TRUE(defs.Get(1)->m_loaded);
    EXPECT_EQ(Pictures(), 1);
}

// Damaged map files: the read-error box once, and what is left of the map.
TEST_F(MapFileTest, DamagedMapsShowOneBoxAndLeaveWhatTheyCan) {
    const maptext::MapFiles good = WriteMap(SmallMap());
    const uint32_t b0 = good.blockOffsets[0];
    const auto put16 = [](std::vector<uint8_t>& b, size_t at, uint16_t v) {
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
    };
    const auto put32 = [&](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        put16(b, at, uint16_t(v));
        put16(b, at + 2, uint16_t(v >> 16));
    };
    const size_t table = good.map.size() - 8;
    // Where a placed object's position (x, then y) lies in the file, from a start.
    const auto positionOf = [&](size_t from, int32_t x, int32_t y) {
        for (size_t at = from; at + 8 <= good.map.size(); ++at) {
            int32_t px = 0, py = 0;
            std::memcpy(&px, &good.map[at], 4);
            std::memcpy(&py, &good.map[at + 4], 4);
            if (px == x && py == y) return at;
        }
        ADD_FAILURE() << "no object at " << x << ", " << y;
        return size_t(0);
    };
    const size_t headerObject = positionOf(13, 0, 24);  // the header places its objects at (0, 24)
    const size_t blockObject = positionOf(b0, 96, 48);
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        bool mapData;      // the map keeps its map data
        bool block0Cells;  // block 0 still has its cells
    };
    const Case cases[] = {
        {"width 0", [&](auto& b) { put32(b, 1, 0); }, false, false},
        {"width 65,536", [&](auto& b) { put32(b, 1, 65536); }, false, false},
        {"an offset table beyond the data", [&](auto& b) { put32(b, 1, 65535), put32(b, 5, 65535); }, false,
         false},
        {"placed objects beyond the data", [&](auto& b) { put16(b, 11, 0xFFFF); }, false, false},
        {"cut inside the header", [&](auto& b) { b.resize(9); }, false, false},
        {"cut in the placed objects", [&](auto& b) { b.resize(20); }, false, false},
        {"block offset past the end", [&](auto& b) { put32(b, table, 0xFFFFFF00u); }, true, false},
        {"block size not its own", [&](auto& b) { put16(b, b0, 12); }, true, false},
        {"a picture origin at the 32-bit limit", [&](auto& b) { put32(b, b0 + 8, 0x80000000u); }, true,
         false},
        {"a picture edge past the 32-bit limit", [&](auto& b) { put32(b, b0 + 12, 0x80000198u); }, true,
         false},
        {"ground objects beyond the data", [&](auto& b) { put16(b, b0 + 16, 0xFFFF); }, true, false},
        {"objects beyond the data", [&](auto& b) { put16(b, b0 + 26, 0xFFFF); }, true, false},
        {"an unknown object kind", [&](auto& b) { b[b0 + 28] = 9; }, true, false},
        {"a header object at the lowest 32-bit y", [&](auto& b) { put32(b, headerObject + 4, 0x80000000u); },
         false, false},
        {"a header object far off any map", [&](auto& b) { put32(b, headerObject, 0x7FFFFFFFu); }, false,
         false},
        {"a block object at the lowest 32-bit y", [&](auto& b) { put32(b, blockObject + 4, 0x80000000u); },
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = good.map;
        c.damage(bytes);
        WriteMapBytes(good.number, bytes);
        const size_t before = m_boxes.Boxes().size();
        LoadWhole(7);
        ASSERT_EQ(m_boxes.Boxes().size(), before + 1) << (BoxTexts().empty() ? "" : BoxTexts().back());
        EXPECT_EQ(m_boxes.Boxes().back().text.rfind("Cannot Read File [", 0), 0u)
            << m_boxes.Boxes().back().text;
        EXPECT_EQ(m_map.GetMapData() != nullptr, c.mapData);
        if (CMapData* data = m_map.GetMapData()) {
            EXPECT_EQ(!data->GetBlock(0)->m_cells.empty(), c.block0Cells);
            EXPECT_TRUE(data->GetBlock(0)->m_loaded);  // empty, but loaded: the map can get ready
            EXPECT_EQ(data->GetBlock(1)->m_cells.size(), 13u);
            EXPECT_TRUE(m_map.IsReady());
            // Not read again when it is asked for again.
            data->DropFarBlocks(100, 100);
            data->RequestBlock(0);
            EXPECT_EQ(m_boxes.Boxes().size(), before + 1);
        }
        m_map.Release();
    }
}

TEST_F(MapFileTest, DamagedPathFilesLeaveNoPortals) {
    WriteMap(SmallMap("portal 12 6 : 13 6\nportal 13 6 : 12 6\n"));
    LoadWhole(7);
    ASSERT_NE(m_map.GetPathData(), nullptr);
    EXPECT_EQ(m_map.GetPathData()->GetPortalCount(), 2u);
    std::vector<uint8_t> good;
    ASSERT_TRUE(plat::ReadWholeFile(m_dir.Path() + "/0003.PPD", good));
    std::vector<uint8_t> bigBlocks = good, bigPortals = good, bigNeighbours = good;
    bigBlocks[3] = 0x40;       // a width of 16,386 blocks
    bigPortals[10] = 0xFF;     // block 0's portal count
    bigNeighbours[18] = 0xFF;  // the first portal's neighbour count
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"cut in the header", std::vector<uint8_t>(good.begin(), good.begin() + 5)},
        {"cut in a portal", std::vector<uint8_t>(good.begin(), good.end() - 3)},
        {"blocks beyond the data", bigBlocks},
        {"portals beyond the data", bigPortals},
        {"neighbours beyond the data", bigNeighbours},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPathData paths;
        const size_t before = m_boxes.Boxes().size();
        EXPECT_FALSE(paths.LoadBytes(c.bytes.data(), c.bytes.size(), "0003.PPD"));
        EXPECT_EQ(m_boxes.Boxes().size(), before + 1);
        EXPECT_EQ(paths.GetPortalCount(), 0u);
        EXPECT_EQ(paths.GetNode(0, 0), nullptr);
    }
    // A missing path file: a box with its path, no portals, the map loads on.
    std::remove((m_dir.Path() + "/0003.PPD").c_str());
    const size_t before = m_boxes.Boxes().size();
    LoadWhole(7);
    EXPECT_EQ(m_boxes.Boxes().size(), before + 1);
    EXPECT_NE(m_map.GetMapData(), nullptr);
    EXPECT_EQ(m_map.GetPathData()->GetPortalCount(), 0u);
}

TEST_F(MapFileTest, AStageWithoutAMapKeepsNoMapFile) {
    WriteStage(8, "group properties\n  @1 table [ word ] { rows 1 0 }\nend\n");
    WriteStage(9, "group properties\n  word 1\nend\n");
    // Map number 0 and no map table: (21, 2); a missing stage: (17, 1), then (21, 1).
    for (auto [stage, boxes] : {std::pair{8, 1}, {9, 1}, {10, 2}}) {
        SCOPED_TRACE(stage);
        const size_t before = m_boxes.Boxes().size();
        m_map.Create();
        m_map.LoadStage(uint16_t(stage));
        EXPECT_EQ(m_boxes.Boxes().size(), before + size_t(boxes));
        EXPECT_EQ(m_map.GetMapData(), nullptr);
        EXPECT_EQ(m_map.GetStageNumber(), stage);
        m_map.Release();
    }
}
