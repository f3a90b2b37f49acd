// What a hostile map, stage or path file can make the program allocate or
// compute: each crafted file stays under the bound its reader promises,
// measured by the heap memory the loading code asks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/alloc_meter.h"
#include "tests/world/world_fixture.h"
#include "world/map/map_data.h"
#include "world/map/path_finder.h"

using namespace worldtest;

namespace {

constexpr size_t kMiB = size_t(1) << 20;

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, uint16_t(v));
    Put16(b, at + 2, uint16_t(v >> 16));
}

// A ".Z5M" that is all header and offset table: the grid of its header,
// 65,535 definitions, no placed objects, every block at offset 0.
std::vector<uint8_t> HeaderOnlyMap(uint32_t width, uint32_t height) {
    const uint64_t blocks = uint64_t((width + 12) / 13) * ((height + 12) / 13);
    std::vector<uint8_t> bytes(13 + size_t(blocks) * 4, 0);
    Put32(bytes, 1, width);
    Put32(bytes, 5, height);
    Put16(bytes, 9, 0xFFFF);
    return bytes;
}

class DataLimitsTest : public WorldFixture {
protected:
    // Stage 5 names map 5; its path file is empty.
    void WriteStageOfMap5() {
        WriteStage(5, "group properties\n  @1 table [ word ] { rows 1 5 }\nend\n");
        m_dir.WriteFile("0005.PPD", std::vector<uint8_t>(10, 0));
    }
};

}  // namespace

// A header can declare a grid far larger than the file; blocks are made only
// as they load, so the memory stays within twice the unpacked file (the
// inflated bytes and the offset table taken from them) and a megabyte.
TEST_F(DataLimitsTest, AMapHeaderAllocatesNoMoreThanItsFile) {
    struct Case {
        uint32_t width, height;
    } cases[] = {{13000, 13000}, {65535, 65535}, {65535, 13}};
    WriteStageOfMap5();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::vector<uint8_t> bytes = HeaderOnlyMap(c.width, c.height);
        WriteMapBytes(5, bytes);
        m_map.Create();
        size_t peak = 0;
        {
            qmtest::AllocMeter meter;
            m_map.LoadStage(5);
            m_map.GetMapData()->SetFocus(float(c.width) * 48.0f, float(c.height) * 24.0f);
            Step(3);
            peak = meter.Peak();
        }
        ASSERT_NE(m_map.GetMapData(), nullptr);
        EXPECT_EQ(m_map.GetWidth(), int32_t(c.width));
        EXPECT_LE(peak, 2 * bytes.size() + kMiB) << "unpacked file: " << bytes.size() << " bytes";
        EXPECT_LE(m_map.GetMapData()->GetMadeBlockCount(), size_t(MAP_LOAD_WINDOW * MAP_LOAD_WINDOW));
        EXPECT_EQ(m_map.GetMapData()->Definitions().GetMadeCount(), 0u);
        // The blocks of the window read as damaged: nothing to walk on.
        EXPECT_FALSE(m_map.IsPassableAt(int32_t(c.width) * 2, int32_t(c.height) * 2));
        m_map.Release();
    }
}

// The unpacked size a compressed map announces is checked before anything
// is inflated: past what its bytes can inflate to, or past the largest map.
TEST_F(DataLimitsTest, AMapAnnouncingTooMuchIsRefusedBeforeItIsInflated) {
    WriteStageOfMap5();
    const std::vector<uint8_t> real = BuildCompressedFile(HeaderOnlyMap(26, 26));
    struct Case {
        const char* name;
        uint32_t announced;
    } cases[] = {{"more than its bytes can hold", 100u << 20}, {"more than the largest map", 300u << 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = real;
        file.resize(file.size() + (c.announced == (300u << 20) ? 300000 : 0), 0);
        Put32(file, 0, c.announced);
        m_dir.WriteFile("0005.Z5M.ZIP", file);
        m_map.Create();
        const size_t boxes = m_boxes.Boxes().size();
        size_t peak = 0;
        {
            qmtest::AllocMeter meter;
            m_map.LoadStage(5);
            peak = meter.Peak();
        }
        EXPECT_EQ(m_map.GetMapData(), nullptr);
        EXPECT_LE(peak, file.size() + kMiB);
        ASSERT_GT(m_boxes.Boxes().size(), boxes);
        EXPECT_NE(m_boxes.Boxes()[boxes].text.find("Cannot Uncompress File"), std::string::npos)
            << m_boxes.Boxes()[boxes].text;
        m_map.Release();
    }
}

namespace {

// Stage file bytes written by hand: numbers little-endian.
struct HandStage {
    std::vector<uint8_t> b;
    HandStage& U8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    HandStage& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    HandStage& Fill(size_t count, uint8_t v) {
        b.insert(b.end(), count, v);
        return *this;
    }
};

constexpr uint32_t kItems = 200000;

}  // namespace

// A stage file makes at most STAGE_MEMORY_PER_BYTE bytes for each of its
// bytes (and STAGE_MEMORY_BASE); what would need more is refused with the
// read-error box, within the same bound.
TEST_F(DataLimitsTest, AStageFileAllocatesWithinItsBudget) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool loads;
    };
    std::vector<Case> cases;
    // One list of values that read no bytes, as many as the bytes left.
    cases.push_back({"values that read nothing",
                     HandStage()
                         .U32(1)
                         .U8(STAGE_GROUP_LISTS)
                         .U32(1)
                         .U8(STAGE_TYPE_SIZED)
                         .U32(kItems)
                         .U8(5)
                         .Fill(kItems, 0)
                         .b,
                     true});
    cases.push_back(
        {"one-byte values",
         HandStage().U32(1).U8(STAGE_GROUP_LISTS).U32(1).U8(STAGE_TYPE_BYTE).U32(kItems).Fill(kItems, 7).b,
         true});
    cases.push_back({"one-character texts",
                     HandStage()
                         .U32(1)
                         .U8(STAGE_GROUP_LISTS)
                         .U32(1)
                         .U8(STAGE_TYPE_TEXT)
                         .U32(kItems)
                         .U32(1)
                         .Fill(kItems, 'a')
                         .b,
                     true});
    // A table of columns of one byte each, then its single row.
    cases.push_back({"columns of a byte each",
                     HandStage()
                         .U32(1)
                         .U8(STAGE_GROUP_PROPERTIES)
                         .U32(1)
                         .U8(STAGE_TYPE_TABLE)
                         .U32(kItems)
                         .Fill(kItems, STAGE_TYPE_BYTE)
                         .U32(1)
                         .Fill(kItems, 1)
                         .b,
                     false});
    // A thousand groups of an unknown kind, each naming as many entries as
    // there are bytes left: nothing is kept for them.
    HandStage unknown;
    unknown.U32(1000);
    for (int g = 0; g < 1000; ++g) unknown.U8(7).U32(uint32_t(5 * (999 - g)));
    cases.push_back({"entries of unknown group kinds", unknown.b, true});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CStageData stage;
        const size_t boxes = m_boxes.Boxes().size();
        size_t peak = 0;
        bool loaded = false;
        {
            qmtest::AllocMeter meter;
            loaded = stage.Load(c.bytes.data(), c.bytes.size(), "0009.Z5F");
            peak = meter.Peak();
        }
        EXPECT_EQ(loaded, c.loads);
        EXPECT_EQ(m_boxes.Boxes().size(), boxes + (c.loads ? 0 : 1));
        EXPECT_LE(peak, STAGE_MEMORY_PER_BYTE * c.bytes.size() + STAGE_MEMORY_BASE)
            << "file: " << c.bytes.size() << " bytes";
    }
}

// A stage or path file larger than its reader takes is refused before it
// is read: the read-error box, and nothing kept.
TEST_F(DataLimitsTest, OversizedStageAndPathFilesAreRefusedBeforeTheyAreRead) {
    std::vector<uint8_t> stage = HandStage().U32(1).U8(STAGE_GROUP_PROPERTIES).U32(1).U8(STAGE_TYPE_WORD).b;
    stage.resize(STAGE_MAX_FILE_BYTES + 1, 0);
    m_dir.WriteFile("0009.Z5F", stage);
    CStageData data;
    size_t peak = 0;
    {
        qmtest::AllocMeter meter;
        EXPECT_TRUE(LoadStageFile(data, 9, false)) << "the file is there";
        peak = meter.Peak();
    }
    EXPECT_EQ(data.GetGroupCount(), 0);
    EXPECT_LE(peak, kMiB);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0].rfind("Cannot Read File [", 0), 0u) << BoxTexts()[0];

    m_dir.WriteFile("0009.PPD", std::vector<uint8_t>(PATH_MAX_FILE_BYTES + 1, 0));
    CPathData paths;
    {
        qmtest::AllocMeter meter;
        EXPECT_TRUE(paths.Load(m_dir.Path() + "/0009.PPD"));
        peak = meter.Peak();
    }
    EXPECT_EQ(paths.GetWidth(), 0);
    EXPECT_LE(peak, kMiB);
    EXPECT_EQ(BoxTexts().size(), 2u);
}

namespace {

// A path file written by hand: blocks of portals, each with its neighbours.
struct HandPaths {
    struct Portal {
        uint16_t x, y;
        std::vector<std::pair<uint16_t, uint16_t>> neighbours;
    };
    HandPaths(uint32_t width, uint32_t height) : w(width), blocks(size_t(width) * height) {}
    void Add(uint16_t x, uint16_t y, std::vector<std::pair<uint16_t, uint16_t>> neighbours) {
        blocks[size_t(y / 13) * w + x / 13].push_back({x, y, std::move(neighbours)});
    }
    std::vector<uint8_t> Bytes() const {
        HandStage out;
        out.U8(0).U8(0).U32(w).U32(uint32_t(blocks.size() / w));
        for (const auto& block : blocks) {
            out.U32(uint32_t(block.size()));
            for (const Portal& p : block) {
                out.U8(uint8_t(p.x)).U8(uint8_t(p.x >> 8)).U8(uint8_t(p.y)).U8(uint8_t(p.y >> 8));
                out.U32(uint32_t(p.neighbours.size()));
                for (const auto& [nx, ny] : p.neighbours)
                    out.U8(uint8_t(nx)).U8(uint8_t(nx >> 8)).U8(uint8_t(ny)).U8(uint8_t(ny >> 8));
            }
        }
        return out.b;
    }
    uint32_t w;
    std::vector<std::vector<Portal>> blocks;
};

// Every cell of a block from its first one, as many as asked.
std::vector<std::pair<uint16_t, uint16_t>> CellsOfBlocks(uint32_t blockX0, uint32_t blockY0, uint32_t across,
                                                         size_t count) {
    std::vector<std::pair<uint16_t, uint16_t>> cells;
    for (uint32_t by = blockY0; cells.size() < count; ++by)
        for (uint32_t bx = blockX0; bx < blockX0 + across && cells.size() < count; ++bx)
            for (uint16_t y = 0; y < 13 && cells.size() < count; ++y)
                for (uint16_t x = 0; x < 13 && cells.size() < count; ++x)
                    cells.emplace_back(uint16_t(bx * 13 + x), uint16_t(by * 13 + y));
    return cells;
}

}  // namespace

// A block holds at most one portal a cell, and a portal reaches at most the
// portals of the 3 x 3 blocks around it: a path file beyond either is damaged.
TEST_F(DataLimitsTest, APathFileBeyondItsSizesIsDamaged) {
    struct Case {
        const char* name;
        size_t portals, neighbours;
        bool loads;
    } cases[] = {
        {"a portal in every cell, each reaching every portal around", PATH_MAX_PORTALS, PATH_MAX_NEIGHBOURS,
         true},
        {"more portals than cells", PATH_MAX_PORTALS + 1, 0, false},
        {"more neighbours than portals around", 1, PATH_MAX_NEIGHBOURS + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HandPaths paths(3, 3);
        const auto all = CellsOfBlocks(0, 0, 3, PATH_MAX_NEIGHBOURS + 1);
        for (size_t p = 0; p < c.portals; ++p)
            paths.blocks[4].push_back({uint16_t(13 + p % 13),
                                       uint16_t(13 + p / 13 % 13),
                                       {all.begin(), all.begin() + std::ptrdiff_t(c.neighbours)}});
        const std::vector<uint8_t> bytes = paths.Bytes();
        CPathData data;
        const size_t boxes = m_boxes.Boxes().size();
        EXPECT_EQ(data.LoadBytes(bytes.data(), bytes.size(), "0009.PPD"), c.loads);
        EXPECT_EQ(m_boxes.Boxes().size(), boxes + (c.loads ? 0 : 1));
        EXPECT_EQ(data.GetPortalCount(), c.loads ? c.portals : 0u);
    }
}

// Whatever the path file holds, a search takes on or gives up at most
// PATH_MAX_STEPS portals. Here the first portal reaches sixty portals, each
// of which reaches sixty more that lead nowhere: some 7,000 steps, each of
// which looked through every portal seen so far before.
TEST_F(DataLimitsTest, APathSearchStopsAfterItsStepsWhateverThePathFileHolds) {
    constexpr uint16_t kSide = 78;  // 6 x 6 blocks
    std::string rows;
    for (int y = 0; y < kSide; ++y) rows += std::string(kSide, '.') + "\n";
    rows[size_t(70) * (kSide + 1) + 70] = '#';  // the goal's cell: never reached
    WriteMap("map 9\nsize 78 78\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n" + rows +
             "end\nstage 9\ngroup properties\n  @1 table [ word ] { rows 1 9 }\nend\nend\n");
    HandPaths paths(6, 6);
    // Far from the start, in blocks (2, 0) on: sixty portals A, each with sixty B.
    const auto far = CellsOfBlocks(2, 0, 4, 60 + 60 * 60);
    std::vector<std::pair<uint16_t, uint16_t>> firstLevel(far.begin(), far.begin() + 60);
    const std::pair<uint16_t, uint16_t> nowhere{5, 5};  // a cell of block (0, 0) that is no portal
    paths.Add(1, 1, firstLevel);
    for (size_t a = 0; a < 60; ++a) {
        const auto first = far.begin() + std::ptrdiff_t(60 + 60 * a);
        paths.Add(far[a].first, far[a].second, {first, first + 60});
        for (auto b = first; b != first + 60; ++b) paths.Add(b->first, b->second, {nowhere});
    }
    m_dir.WriteFile("0009.PPD", paths.Bytes());
    LoadWhole(9);
    ASSERT_NE(m_map.GetPathData(), nullptr);
    ASSERT_EQ(m_map.GetPathData()->GetPortalCount(), 1u + 60 + 60 * 60);
    CPathFinder finder;
    EXPECT_FALSE(finder.FindPath(1 * 96 + 10, 1 * 48 + 10, 70 * 96 + 10, 70 * 48 + 10, 0));
    EXPECT_EQ(finder.SearchSteps(), PATH_MAX_STEPS);
}
