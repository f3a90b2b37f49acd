// The user's own character, made from its appearance message on a map built
// from a qmmap text, walks frame by frame to a tile 10 tiles away and reports
// its way to the server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/util.h"
#include "tests/world/chars/char_fixture.h"
#include "world/map/path_finder.h"

using namespace chartest;

namespace {

// 16 x 16 cells; a pond of blocked cells away from the way.
std::string PondMap() {
    std::string text = "map 3\nsize 16 16\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n";
    for (int y = 0; y < 16; ++y) text += (y >= 10 && y <= 12) ? "..........####..\n" : "................\n";
    return text + "end\n";
}

class WalkTest : public CharFixture {};

TEST_F(WalkTest, ThePlayerWalksToATileTenAwayAndReportsItsWay) {
    LoadField(PondMap());
    MakePlayer(1);  // the appearance record (56) of the user's own character at (10, 10)
    CChar* player = m_mgr->GetPlayer();
    ASSERT_TRUE(player);
    ASSERT_EQ(player->GetMapPoint(), std::make_pair(10, 10));

    // 8 tiles across and 6 down: 10 tiles away.
    ASSERT_TRUE(player->GetAction()->MoveTo(18, 16));
    const CPathFinder& path = *player->GetAction()->Path();
    ASSERT_EQ(path.Path().size(), 1u);
    const uint8_t facing = path.Path()[0].direction;

    std::vector<std::pair<int32_t, int32_t>> tiles;  // where each frame left the player
    int frames = 0;
    while (player->GetData()->m_motion != MOTION_STAND && frames < 500) {
        CharFrame(player, 33);
        tiles.push_back(player->GetMapPoint());
        ++frames;
    }
    ASSERT_EQ(player->GetMapPoint(), std::make_pair(18, 16));
    EXPECT_GT(frames, 5) << "one frame moves the player a little";

    // Every tile on the way lies on the line from the start to the goal.
    for (const auto& [x, y] : tiles) {
        const double off = std::fabs(6.0 * (x - 10) - 8.0 * (y - 10)) / 10.0;  // tiles off the line
        EXPECT_LE(off, 1.5) << x << "," << y;
    }

    // The reports: each more than 4 tiles past the last (the arrival only a
    // new tile), facing the way, sequence 0, 1, 2, ...
    std::vector<std::vector<int>> reports;
    for (const std::string& line : m_requests.sent) {
        if (line.rfind("51 ", 0) != 0) continue;
        std::istringstream in(line.substr(3));
        std::vector<int> numbers;
        for (int n; in >> n;) numbers.push_back(n);
        reports.push_back(numbers);
    }
    ASSERT_EQ(reports.size(), 2u);
    int lastX = 10, lastY = 10;
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(i);
        const int x = reports[i][0], y = reports[i][1];
        const double moved = std::hypot(double(x - lastX), double(y - lastY));
        if (i + 1 < reports.size()) {
            EXPECT_GT(moved, 4.0);
        }
        EXPECT_GT(moved, 0.0);
        EXPECT_NE(std::find(tiles.begin(), tiles.end(), std::make_pair(x, y)), tiles.end())
            << "a tile the player stood on";
        EXPECT_EQ(reports[i][2], facing);
        EXPECT_EQ(reports[i][3], int(i));
        lastX = x;
        lastY = y;
    }
    EXPECT_EQ(reports.back()[0], 18);
    EXPECT_EQ(reports.back()[1], 16);
}

}  // namespace
