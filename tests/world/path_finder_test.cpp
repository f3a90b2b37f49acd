// Paths over small maps written by qmmap.
#include "world/map/path_finder.h"

#include <gtest/gtest.h>

#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

// A cell's point, and a point a little inside the cell.
std::pair<float, float> At(int32_t cx, int32_t cy) {
    return {float(cx * MAP_CELL_W), float(cy * MAP_CELL_H)};
}
std::pair<float, float> In(int32_t cx, int32_t cy) {
    return {float(cx * MAP_CELL_W + 10), float(cy * MAP_CELL_H + 10)};
}

// One block, a wall down column 6 from row 0 to row 9 (rows 10-12 are open).
std::string WallRows() {
    std::string rows;
    for (int y = 0; y < 13; ++y) rows += y < 10 ? "......#......\n" : ".............\n";
    return rows;
}

class PathFinderTest : public WorldFixture {
protected:
    void Load(const std::string& rows, int32_t w, int32_t h, const std::string& portals) {
        WriteMap("map 3\nsize " + std::to_string(w) + " " + std::to_string(h) +
                 "\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n" + rows + "end\n" + portals +
                 "stage 1\ngroup properties\n  @1 table [ word ] { rows 1 3 }\nend\nend\n");
        LoadWhole(1);
        ASSERT_NE(m_map.GetMapData(), nullptr);
    }
    std::vector<std::pair<float, float>> Points() const {
        std::vector<std::pair<float, float>> out;
        for (const PathWaypoint& w : m_finder.Path()) out.emplace_back(w.x, w.y);
        return out;
    }
    bool Find(std::pair<float, float> from, std::pair<float, float> to) {
        return m_finder.FindPath(from.first, from.second, int32_t(to.first), int32_t(to.second), 0);
    }
    CPathFinder m_finder;
};

}  // namespace

TEST_F(PathFinderTest, StraightWalksNeedNoPortals) {
    Load(WallRows(), 13, 13, "");
    // The start itself is the goal: the path is the goal alone.
    ASSERT_TRUE(Find(In(2, 5), In(2, 5)));
    EXPECT_EQ(Points(), (std::vector{In(2, 5)}));
    // A clear line: one waypoint, facing from the start (x halved).
    ASSERT_TRUE(Find(In(2, 5), In(2, 11)));
    ASSERT_EQ(Points(), (std::vector{In(2, 11)}));
    EXPECT_EQ(m_finder.Path()[0].direction, 8);  // straight down the screen's y
    ASSERT_TRUE(Find(In(2, 11), In(10, 11)));
    EXPECT_EQ(m_finder.Path().size(), 1u);
    // Without path data nothing leads through the wall.
    EXPECT_FALSE(Find(In(2, 5), In(8, 5)));
    EXPECT_TRUE(m_finder.Path().empty());
}

// F is the best first portal; from F the dead end E scores better than G and
// is closed; G leads on to H, K and the goal; the shortcut pass then drops G.
TEST_F(PathFinderTest, PortalsLeadAroundAWall) {
    Load(WallRows(), 13, 13,
         "portal 3 9 : 7 7  4 12\n"  // F: E and G
         "portal 7 7 :\n"            // E: a dead end beyond the wall
         "portal 4 12 : 8 11\n"      // G
         "portal 8 11 : 8 6\n"       // H
         "portal 8 6 : 8 11\n");     // K, next to the goal
    ASSERT_TRUE(Find(In(2, 5), In(8, 5)));
    EXPECT_EQ(Points(), (std::vector{At(3, 9), At(8, 11), At(8, 6), In(8, 5)}));
    EXPECT_TRUE(m_finder.Closed().empty());  // deleted after the search
    // Every step of it is a clear straight walk.
    auto from = In(2, 5);
    for (const auto& p : Points()) {
        EXPECT_TRUE(IsStraightWalkClear(m_map, from.first, from.second, p.first, p.second));
        from = p;
    }
}

TEST_F(PathFinderTest, NoPathAndBlockedGoals) {
    std::string rows = WallRows();
    rows[size_t(5 * 14 + 9)] = '#';  // cell (9, 5): a blocked goal
    Load(rows, 13, 13, "portal 3 9 : 4 12\nportal 4 12 : 8 11\nportal 8 11 : 8 6\nportal 8 6 :\n");
    EXPECT_TRUE(Find(In(2, 5), In(8, 5)));
    EXPECT_FALSE(Find(In(2, 5), In(9, 5)));
    // The dead end is the only way on: the search fails once it is closed.
    m_map.Release();
    Load(WallRows(), 13, 13, "portal 3 9 : 7 7\nportal 7 7 :\n");
    EXPECT_FALSE(Find(In(2, 5), In(8, 5)));
}

// Through an exact corner both cells beside it must be open.
TEST_F(PathFinderTest, AStraightWalkDoesNotSqueezeThroughACorner) {
    struct Case {
        const char* rows;
        bool clear;
    };
    const Case cases[] = {
        {"...\n...\n...\n", true},
        {".#.\n...\n...\n", false},  // (1, 0) blocked
        {"...\n#..\n...\n", false},  // (0, 1) blocked
        {"..#\n...\n#..\n", true},   // cells off the line do not matter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        Load(c.rows, 3, 3, "");
        // (48, 24) to (144, 72) passes exactly through the corner (96, 48).
        EXPECT_EQ(IsStraightWalkClear(m_map, 48, 24, 144, 72), c.clear);
        EXPECT_EQ(IsStraightWalkClear(m_map, 144, 72, 48, 24), c.clear);
        m_map.Release();
    }
}

TEST_F(PathFinderTest, LongWalksAndLongPathsFail) {
    // 500 cells in a row: a straight walk across all of them crosses 499
    // borders and passes; one more border fails.
    Load(Cells(501, 2), 501, 2, "");
    EXPECT_TRUE(IsStraightWalkClear(m_map, 10, 10, 499 * 96 + 10, 10));
    EXPECT_FALSE(IsStraightWalkClear(m_map, 10, 10, 500 * 96 + 10, 10));
    m_map.Release();
    // A chain of portals around a wall: short enough, and too long (over 20 waypoints).
    for (auto [links, found] : {std::pair{8, true}, {25, false}}) {
        SCOPED_TRACE(links);
        std::string rows;
        for (int y = 0; y < 26; ++y)
            rows += std::string(12, '.') + (y < 25 ? "#" : ".") + std::string(13, '.') + "\n";
        std::string portals;
        // Down the left of the wall, one portal a row, each leading to the next.
        const int first = 25 - links;
        for (int k = 0; k < links; ++k) {
            const int y = first + k;
            portals += "portal 11 " + std::to_string(y) + " : " +
                       (k + 1 < links ? "11 " + std::to_string(y + 1) : "14 25") + "\n";
        }
        portals += "portal 14 25 : 14 1\nportal 14 1 :\n";
        Load(rows, 26, 26, portals);
        EXPECT_EQ(Find(In(10, first), In(14, 0)), found);
        m_map.Release();
    }
}

TEST_F(PathFinderTest, AdvanceWalksTheWaypointsCarryingTheRestOfAStep) {
    Load(WallRows(), 13, 13, "");
    // A straight path of 192 units to the right (96 after halving x).
    ASSERT_TRUE(Find(At(1, 11), At(3, 11)));
    float x = 0, y = 0;
    uint8_t direction = 0;
    // Speed 0 hands out the current position and the waypoint's direction.
    ASSERT_TRUE(m_finder.Advance(0.0f, &x, &y, &direction));
    EXPECT_EQ(std::make_pair(x, y), At(1, 11));
    EXPECT_EQ(direction, m_finder.Path()[0].direction);
    EXPECT_EQ(direction, 4);
    ASSERT_TRUE(m_finder.Advance(5.0f, &x, &y, &direction));  // 50 halved units: 100 along x
    EXPECT_NEAR(x, 96 + 100, 0.01);
    EXPECT_NEAR(y, 11 * 48, 0.01);
    // The rest of the way is 46: a step of 60 reaches the end; the path is used up.
    EXPECT_FALSE(m_finder.Advance(6.0f, &x, &y, &direction));
    EXPECT_EQ(std::make_pair(x, y), At(3, 11));
    EXPECT_FALSE(m_finder.Advance(1.0f, &x, &y, &direction));
    EXPECT_EQ(direction, PATH_NO_DIRECTION);

    // Two waypoints: what is left of a step past the first goes on to the second.
    m_map.Release();
    Load(WallRows(), 13, 13, "portal 5 11 : 7 11\nportal 7 11 : 7 6\nportal 7 6 :\n");
    ASSERT_TRUE(Find(At(5, 5), At(7, 5)));
    ASSERT_GE(m_finder.Path().size(), 2u);
    const PathWaypoint first = m_finder.Path()[0], second = m_finder.Path()[1];
    const float toFirst = GetDistance(At(5, 5).first / 2, At(5, 5).second, first.x / 2, first.y);
    ASSERT_TRUE(m_finder.Advance((toFirst + 10.0f) / 10.0f, &x, &y, &direction));
    EXPECT_EQ(direction, second.direction);
    EXPECT_NEAR(GetDistance(first.x / 2, first.y, x / 2, y), 10.0f, 0.05f);
}

TEST_F(PathFinderTest, PointsAtADistanceFromTheEnd) {
    Load(WallRows(), 13, 13, "");
    EXPECT_EQ(m_finder.GetPointAtDistance(10).x, -1.0f);
    ASSERT_TRUE(Find(At(0, 11), At(10, 11)));  // 960 units along x
    const FPoint p = m_finder.GetPointAtDistance(100);
    EXPECT_NEAR(p.x, 860, 2);
    EXPECT_NEAR(p.y, 11 * 48, 0.01);
    const FPoint end = m_finder.GetPointAtDistance(0);
    EXPECT_NEAR(end.x, 960, 0.01);
    EXPECT_EQ(m_finder.GetPointAtDistance(2000).x, -1.0f);
}

// The curve pass: where the path turns, a cell-by-cell way is walked between
// the two waypoints and the whole path becomes curves ending at the goal. A
// way of more than a hundred cells is not found and the turn is curved as it
// stands.
TEST_F(PathFinderTest, CurvesFollowTheCellsOfATurnUnlessTheyAreTooFar) {
    // 140 x 26 cells; a wall down column 70 over rows 0-20.
    std::string rows;
    for (int y = 0; y < 26; ++y) {
        std::string row(140, '.');
        if (y <= 20) row[70] = '#';
        rows += row + "\n";
    }
    struct Case {
        int32_t portalX;  // the portal beside the goal, one cell left of it
        bool cellByCell;
    };
    for (const Case c : {Case{79, true}, Case{130, false}}) {
        SCOPED_TRACE(c.portalX);
        Load(rows, 140, 26,
             "portal 10 22 : " + std::to_string(c.portalX) + " 22\nportal " + std::to_string(c.portalX) +
                 " 22 :\n");
        const auto goal = At(c.portalX + 1, 23);
        // Without curves: the first portal, the one beside the goal, the goal.
        ASSERT_TRUE(Find(In(5, 2), goal));
        ASSERT_EQ(Points(), (std::vector{At(10, 22), At(c.portalX, 22), goal}));
        m_finder.m_finderFlag = 1;
        ASSERT_TRUE(Find(In(5, 2), goal));
        const std::vector<std::pair<float, float>> points = Points();
        EXPECT_EQ(points.front(), At(10, 22));
        EXPECT_EQ(points.back(), goal);
        // Ten points for each group of three waypoints, and the goal: with the
        // way found its cells are waypoints too; without, the three alone.
        if (c.cellByCell) {
            EXPECT_GT(points.size(), 11u);
        } else {
            EXPECT_EQ(points.size(), 11u);
        }
        m_finder.m_finderFlag = 0;
        m_map.Release();
    }
}
