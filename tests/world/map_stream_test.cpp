// Blocks loaded and dropped around the camera's focus.
#include <gtest/gtest.h>

#include <set>

#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

constexpr int32_t kBlocks = 20;  // the map is 20 x 20 blocks

using BlockSet = std::set<std::pair<int32_t, int32_t>>;

BlockSet Square(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    BlockSet s;
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) s.emplace(x, y);
    return s;
}

float Centre(int32_t block, int32_t size) {
    return float(block * size + size / 2);
}

class MapStreamTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_oldFollow = g_cameraFollow;
        g_cameraFollow = 0;
        const int32_t cells = kBlocks * MAP_BLOCK_CELLS;
        WriteMap("map 5\nsize " + std::to_string(cells) + " " + std::to_string(cells) +
                 "\nlegend . ground 0\ncells\n" + Cells(cells, cells) +
                 "end\nstage 2\ngroup properties\n  @1 table [ word ] { rows 1 5 }\nend\nend\n");
    }
    void TearDown() override {
        g_cameraFollow = m_oldFollow;
        WorldFixture::TearDown();
    }
    // The map with a screen large enough to show every block of the window.
    void Load(int32_t window, int32_t screen = 60000) {
        GetDisplaySettings().screenWidth = screen;
        GetDisplaySettings().screenHeight = screen;
        m_map.Create();
        m_map.LoadStage(2);
        m_map.SetLoadWindow(window);
        ASSERT_NE(m_map.GetMapData(), nullptr);
    }
    void FocusOn(float x, float y) {
        m_map.GetMapData()->SetFocus(x, y);
        Step();
    }
    void FocusOnBlock(int32_t bx, int32_t by) { FocusOn(Centre(bx, MAP_BLOCK_W), Centre(by, MAP_BLOCK_H)); }
    BlockSet Listed(bool loadedOnly) {
        BlockSet s;
        CMapData& data = *m_map.GetMapData();
        for (int32_t index : data.LoadedList()) {
            const MapBlock& b = *data.GetBlock(index);
            if (!loadedOnly || b.m_loaded)
                s.emplace(b.m_firstCellX / MAP_BLOCK_CELLS, b.m_firstCellY / MAP_BLOCK_CELLS);
        }
        return s;
    }

    uint8_t m_oldFollow = 1;
};

}  // namespace

TEST_F(MapStreamTest, TheWindowKeepsAndRequestsItsSquareOfBlocks) {
    struct Case {
        int32_t window;
        BlockSet first, afterMove;  // around block (10, 10), then after moving to (13, 10)
    };
    const Case cases[] = {
        {MAP_LOAD_WINDOW, Square(8, 12, 8, 12), Square(11, 15, 8, 12)},
        // Ten: blocks -5 to +4 are requested, -5 to +5 kept.
        {MAP_EVENT_LOAD_WINDOW, Square(5, 14, 5, 14), Square(8, 17, 5, 14)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        Load(c.window);
        FocusOnBlock(10, 10);
        EXPECT_EQ(Listed(false), c.first);
        EXPECT_EQ(Listed(true), c.first);
        FocusOnBlock(13, 10);
        EXPECT_EQ(Listed(false), c.afterMove);
        EXPECT_EQ(Listed(true), c.afterMove);
        m_map.Release();
    }
}

TEST_F(MapStreamTest, AFocusOutsideTheMapCountsAsBlockMinusOne) {
    Load(MAP_EVENT_LOAD_WINDOW);
    FocusOnBlock(2, 2);
    FocusOn(-5000.0f, -5000.0f);
    // Laid around (-1, -1): blocks beyond 4 are dropped, 0 to 3 requested.
    EXPECT_EQ(Listed(false), Square(0, 4, 0, 4));
    EXPECT_EQ(Listed(true), Square(0, 4, 0, 4));
    m_map.Release();
    Load(MAP_EVENT_LOAD_WINDOW);
    FocusOn(-5000.0f, -5000.0f);
    EXPECT_EQ(Listed(false), Square(0, 3, 0, 3));
}

TEST_F(MapStreamTest, MovesWithinOneCellReadNothing) {
    Load(MAP_LOAD_WINDOW);
    FocusOnBlock(10, 10);
    const int32_t reads = m_map.GetMapData()->GetBlockReads();
    const BlockSet listed = Listed(false);
    const float x = Centre(10, MAP_BLOCK_W), y = Centre(10, MAP_BLOCK_H);
    for (auto [dx, dy] : {std::pair{10.0f, 5.0f}, {-20.0f, 10.0f}, {40.0f, -20.0f}}) {
        FocusOn(x + dx, y + dy);
        EXPECT_EQ(m_map.GetMapData()->GetBlockReads(), reads);
        EXPECT_EQ(Listed(false), listed);
    }
    // One cell on: the window is laid again (nothing new to read in the same block).
    FocusOn(x + 96.0f, y);
    EXPECT_EQ(Listed(false), listed);
}

TEST_F(MapStreamTest, BlocksOffTheScreenAreReadWhenTheyComeIntoView) {
    m_map.Create();  // the fixture's 800 x 600 screen
    m_map.LoadStage(2);
    FocusOnBlock(10, 10);
    CMapData& data = *m_map.GetMapData();
    const BlockSet listed = Listed(false), loaded = Listed(true);
    EXPECT_EQ(listed, Square(8, 12, 8, 12));
    EXPECT_LT(loaded.size(), listed.size());
    EXPECT_TRUE(loaded.count({10, 10}));
    // A requested block off the screen stays requested.
    const MapBlock& far = *data.GetBlock(8 * kBlocks + 12);
    EXPECT_FALSE(far.m_loaded);
    EXPECT_TRUE(far.m_loadRequested);
    // The map is ready: every block on the screen is in.
    Step();
    EXPECT_TRUE(m_map.IsReady());
    // Moving toward it by a cell at a time brings it in.
    for (int i = 1; i <= 13 && !far.m_loaded; ++i)
        FocusOn(Centre(10, MAP_BLOCK_W) + float(i * 96), Centre(10, MAP_BLOCK_H) - float(i * 48));
    EXPECT_TRUE(far.m_loaded);
}

TEST_F(MapStreamTest, CellsAnswerOnlyOnceTheMapIsReady) {
    Load(MAP_LOAD_WINDOW);
    m_map.GetMapData()->SetFocus(Centre(3, MAP_BLOCK_W), Centre(3, MAP_BLOCK_H));
    EXPECT_FALSE(m_map.IsReady());
    EXPECT_FALSE(m_map.IsPassableAt(3 * 52, 3 * 52));
    Step();  // placed and loaded, but checked before the step
    EXPECT_FALSE(m_map.IsReady());
    EXPECT_NE(m_map.GetMapData()->GetLoadedCell(39, 39), nullptr);
    EXPECT_EQ(m_map.GetMapData()->GetCell(39, 39), nullptr);
    Step();
    EXPECT_TRUE(m_map.IsReady());
    EXPECT_TRUE(m_map.IsPassableAt(3 * 52, 3 * 52));
}

TEST_F(MapStreamTest, TheFocusGlidesAnEighthOfTheWayUnlessFar) {
    Load(MAP_LOAD_WINDOW);
    g_cameraFollow = 1;
    const float x = Centre(5, MAP_BLOCK_W), y = Centre(5, MAP_BLOCK_H);
    FocusOn(x, y);  // from (0, 0): far, taken at once
    EXPECT_EQ(m_map.GetMapData()->GetFocusX(), x);
    FocusOn(x + 400.0f, y);
    EXPECT_FLOAT_EQ(m_map.GetMapData()->GetFocusX(), x + 50.0f);
    // The camera puts the focus in the middle of the screen, 24 pixels up.
    const IsoPoint p = m_map.MapToScreen(int32_t(x + 50.0f), int32_t(y));
    EXPECT_NEAR(p.x, m_map.GetScreenWidth() / 2, 1);
    EXPECT_NEAR(p.y, m_map.GetScreenHeight() / 2 - 24, 1);
}
