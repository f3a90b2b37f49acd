// Placing, walking, stopping and reporting on an open 16 x 16 map (64 x 64
// tiles), and the points characters choose to walk to.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/world/chars/char_fixture.h"
#include "world/map/map_data.h"
#include "world/map/path_finder.h"
#include "world/map/stage_text.h"

using namespace chartest;

namespace {

class CharMovementTest : public CharFixture {
protected:
    void Frame(CChar* c, uint32_t ms = 33) { CharFrame(c, ms); }
    // Frames until the character stands again; the frame count.
    int WalkOut(CChar* c, int limit = 2000) {
        int frames = 0;
        while ((c->GetData()->m_motion == MOTION_WALK || c->GetData()->m_motion == MOTION_RUN) &&
               frames < limit) {
            Frame(c);
            ++frames;
        }
        return frames;
    }
    // The recorded requests starting with the prefix, split into numbers.
    std::vector<std::vector<int>> Sent(const std::string& prefix) const {
        std::vector<std::vector<int>> out;
        for (const std::string& line : m_requests.sent) {
            if (line.rfind(prefix + " ", 0) != 0) continue;
            std::istringstream in(line.substr(prefix.size() + 1));
            std::vector<int> numbers;
            for (int n; in >> n;) numbers.push_back(n);
            out.push_back(numbers);
        }
        return out;
    }
};

TEST_F(CharMovementTest, ALongFrameStepsNoFartherThanEight) {
    // Speed 0.1: 300 ms and 80 ms both give a step of 8.0; 60 ms gives 6.0.
    const uint32_t frames[3] = {300, 80, 60};
    int32_t walked[3] = {};
    for (int i = 0; i < 3; ++i) {
        CChar* c = MonsterAt(uint32_t(20 + i), 2, 10 + 4 * i);
        ASSERT_TRUE(c);
        ASSERT_TRUE(c->GetAction()->MoveTo(60, 10 + 4 * i, 0.1f));
        EXPECT_EQ(c->GetData()->m_motion, MOTION_WALK);
        Frame(c, frames[i]);
        walked[i] = c->m_x - 2 * 24;
    }
    EXPECT_GT(walked[1], 0);
    EXPECT_EQ(walked[0], walked[1]);
    EXPECT_LT(walked[2], walked[1]);
}

TEST_F(CharMovementTest, TheOwnCharacterReportsPastFourTilesAndNeverTheSameTileTwice) {
    CChar* player = MakePlayer();  // at (10, 10), the tile the server gave
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->GetAction()->MoveTo(40, 10));
    WalkOut(player);
    EXPECT_EQ(player->GetMapPoint(), std::make_pair(40, 10));
    const auto reports = Sent("51");
    ASSERT_GE(reports.size(), 6u);
    int lastX = 10, sequence = 0;
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(i);
        const int x = reports[i][0];
        EXPECT_EQ(reports[i][1], 10);
        EXPECT_EQ(reports[i][3], sequence++);
        if (i + 1 < reports.size())
            EXPECT_GT(x - lastX, 4);  // on the way: past four tiles
        else
            EXPECT_NE(x, lastX);  // the arrival: only a new tile
        lastX = x;
    }
    EXPECT_EQ(reports.back()[0], 40);
    // Stopping on the reported tile does not report it again.
    player->GetAction()->Stop(true);
    EXPECT_EQ(Sent("51").size(), reports.size());
}

TEST_F(CharMovementTest, OtherReportingCharactersReportPastEightTiles) {
    MakePlayer();
    CChar* pet = MonsterAt(30, 5, 20);
    ASSERT_TRUE(pet);
    pet->m_reportFlag = 1;
    pet->GetAction()->SetReportedTile(5, 20);
    ASSERT_TRUE(pet->GetAction()->MoveTo(45, 20));
    WalkOut(pet);
    const auto reports = Sent("33");
    ASSERT_GE(reports.size(), 3u);
    int lastX = 5;
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i][0], 30);
        EXPECT_GT(reports[i][1] - lastX, 8);
        lastX = reports[i][1];
    }
    EXPECT_EQ(reports.back()[1], 45);
    EXPECT_TRUE(Sent("51").empty());
}

TEST_F(CharMovementTest, TheSequenceWrapsAfter127AndEqualTilesAreNotReported) {
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    CCharAction* action = player->GetAction();
    action->m_reportSeq = 126;
    action->ReportTile(11, 10);
    action->ReportTile(11, 10);
    action->ReportTile(12, 10);
    action->ReportTile(13, 10);
    EXPECT_EQ(Sent("51"), (std::vector<std::vector<int>>{{11, 10, player->m_direction, 126},
                                                         {12, 10, player->m_direction, 127},
                                                         {13, 10, player->m_direction, 0}}));
    // None during a visual event.
    m_events.visualEvent = true;
    action->ReportTile(20, 10);
    EXPECT_EQ(Sent("51").size(), 3u);
}

TEST_F(CharMovementTest, StopTakesTheNearestCornerAndTheFirstOfEqualOnes) {
    CChar* c = MonsterAt(5, 5, 5);
    ASSERT_TRUE(c);
    struct Case {
        int32_t x, y;  // in tile (5, 5): corners (120, 60), (144, 60), (120, 72), (144, 72)
        int32_t cx, cy;
    };
    for (const Case& k : {Case{132, 60, 120, 60}, Case{120, 66, 120, 60}, Case{132, 66, 120, 60},
                          Case{140, 70, 144, 72}, Case{134, 61, 144, 60}, Case{132, 70, 120, 72}}) {
        SCOPED_TRACE(std::to_string(k.x) + "," + std::to_string(k.y));
        c->SetPosition(k.x, k.y, 0);
        c->GetAction()->Stop(false);
        EXPECT_EQ(c->m_x, k.cx);
        EXPECT_EQ(c->m_y, k.cy);
    }
}

TEST_F(CharMovementTest, MovingOntoTheOwnTileOrWithoutAMapChangesNothing) {
    CChar* c = MonsterAt(5, 10, 10);
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->GetAction()->MoveTo(10, 10));
    EXPECT_EQ(c->GetData()->m_motion, MOTION_STAND);
    // Dead, held or lying characters do not set off.
    for (uint32_t motion : {uint32_t(MOTION_HELD_DOWN), uint32_t(MOTION_LYING)}) {
        c->GetData()->SetMotion(motion);
        EXPECT_FALSE(c->GetAction()->MoveTo(20, 10));
        EXPECT_EQ(c->GetData()->m_motion, motion);
    }
    // Without a loaded map nothing is placed.
    g_pMap = nullptr;
    c->SetPosition(0, 0, 0);
    EXPECT_EQ(c->GetMapPoint(), std::make_pair(10, 10));
    g_pMap = &m_field;
}

TEST_F(CharMovementTest, CellsKnowWhoStandsAndWhoIsComing) {
    CChar* c = MonsterAt(5, 10, 10);
    ASSERT_TRUE(c);
    CMapData* grid = m_field.GetMapData();
    EXPECT_EQ(grid->GetCell(2, 2)->m_occupants[1], 5u);
    c->SetPosition(30 * 24, 10 * 12, 0);
    EXPECT_EQ(grid->GetCell(2, 2)->m_occupants[1], 0u);
    EXPECT_EQ(grid->GetCell(7, 2)->m_occupants[1], 5u);
    c->GetAction()->HoldCell(41, 21);
    EXPECT_EQ(grid->GetCell(10, 5)->m_occupants[0], 5u);
    EXPECT_TRUE(Sent("33/1").empty()) << "only reporting characters ask the server";
    c->GetAction()->Stop(false);
    EXPECT_EQ(grid->GetCell(10, 5)->m_occupants[0], 0u);
    // A reporting character asks to be moved.
    c->m_reportFlag = 1;
    c->GetAction()->HoldCell(41, 21);
    EXPECT_EQ(Sent("33/1"), (std::vector<std::vector<int>>{{5, 41, 21}}));
}

TEST_F(CharMovementTest, FreeSpotsAreTheNearestPassableCellOfTheFirstSquareThatHasOne) {
    // Cell (5, 5) blocked: the spot is cell (5, 4), the first of the nearest.
    std::string text = OpenField(12, 12);
    text.replace(text.find("cells\n") + 6 + 5 * 13 + 5, 1, "#");
    LoadField(text);
    CChar* c = MonsterAt(5, 2, 2);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->GetController()->FindFreeSpot(21, 22), (IsoPoint{20, 16}));
    EXPECT_EQ(c->GetController()->FindFreeSpot(8, 8), (IsoPoint{8, 8}));
    // Nothing passable within the hundred squares.
    std::string blocked = OpenField(4, 4);
    for (size_t i = blocked.find("cells\n"); i < blocked.size(); ++i)
        if (blocked[i] == '.') blocked[i] = '#';
    LoadField(blocked);
    EXPECT_EQ(c->GetController()->FindFreeSpot(8, 8), (IsoPoint{-4, -4}));
}

TEST_F(CharMovementTest, AWarpPlacesAtOnceAndTheSpriteSlidesThere) {
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    const size_t before = m_play.GetCount();
    player->GetAction()->WarpToCell(15, 12);
    EXPECT_EQ(player->GetMapPoint(), std::make_pair(15, 12));
    EXPECT_EQ(m_play.GetCount(), before + 1) << "the dust at the old tile";
    EXPECT_EQ(Sent("51").size(), 1u);
    EXPECT_EQ(Sent("51")[0][0], 15);
    CAniObject* ani = player->GetAniObject();
    EXPECT_EQ(ani->m_mapX, 10 * 24);  // the sprite starts at the old place
    EXPECT_EQ(ani->m_mapY, 10 * 12);
    std::vector<int32_t> xs;
    for (int i = 0; i < 10; ++i) {
        Frame(player);
        xs.push_back(ani->m_mapX);
    }
    EXPECT_EQ(xs.front(), 15 * 24 - 60);
    EXPECT_EQ(xs.back(), 15 * 24);
    EXPECT_TRUE(std::is_sorted(xs.begin(), xs.end()));
}

TEST_F(CharMovementTest, SpeedFollowsTheEventAndTheSpeedStatuses) {
    CChar* c = MonsterAt(5, 10, 10);
    ASSERT_TRUE(c);
    CCharData* data = c->GetData();
    data->m_curSpeed = 0.006f;
    data->m_speedFactor = 2.0f;
    data->m_motion = MOTION_WALK;
    EXPECT_FLOAT_EQ(data->GetMoveSpeed(), 0.012f);
    data->m_status[0] = 1u << 15;  // status 16: faster
    EXPECT_FLOAT_EQ(data->GetMoveSpeed(), 0.016f);
    data->m_status[0] = 1u << 16;  // status 17: slower, never below 0
    data->m_curSpeed = 0.001f;
    EXPECT_FLOAT_EQ(data->GetMoveSpeed(), 0.0f);
    data->m_eventSpeed = 0.05f;
    m_events.visualEvent = true;
    EXPECT_FLOAT_EQ(data->GetMoveSpeed(), 0.05f);
}

TEST_F(CharMovementTest, RunningLeavesFootstepsOnMarkedGroundHalfTheTimeWhileTheOptionIsOn) {
    // Row 2 of cells is grass (attribute bit 9), the stage's kind 1.
    std::string text = OpenField(16, 16);
    const size_t row2 = text.find("cells\n") + 6 + 2 * 17;
    text.replace(row2, 16, std::string(16, 'g'));
    text.insert(text.find("cells\n"), "legend g ground 0 attr 512\n");
    LoadField(text);
    std::vector<uint8_t> stage;
    std::string error;
    ASSERT_TRUE(maptext::BuildStageText("group properties\n  @7 byte 1\nend\n", stage, &error)) << error;
    auto stageData = std::make_unique<CStageData>();
    ASSERT_TRUE(stageData->Load(stage.data(), stage.size(), "stage"));
    m_field.AdoptStage(std::move(stageData));
    qmtest::TableBuilder names(1, 2);
    names.Text(0).U32(1).Set(0, 0, "MoveEffect_Grass").Set(1, 0, 596);
    m_db.Write(PLAY_NAME_TABLE_FILE, names);
    ASSERT_TRUE(m_play.Init());
    const COptions saved = g_options;
    std::srand(3);

    auto steps = [&](bool option, int32_t tileY) {
        g_options.SetByte(OPT_FOOTSTEPS, option ? 1 : 0);
        CChar* c = MonsterAt(40 + uint32_t(tileY), 2, tileY);
        c->GetData()->m_runFlag = 1;
        const size_t before = m_play.GetCount();
        EXPECT_TRUE(c->GetAction()->MoveTo(60, tileY));
        EXPECT_EQ(c->GetData()->m_motion, MOTION_RUN);
        int frames = 0;
        for (; frames < 40; ++frames) Frame(c);
        return m_play.GetCount() - before;
    };
    const size_t onGrass = steps(true, 10);  // cell row 2
    EXPECT_GT(onGrass, 0u);
    EXPECT_LT(onGrass, 10u);  // 40 frames of 33 ms: ten chances, one in two taken
    EXPECT_EQ(steps(false, 11), 0u);
    EXPECT_EQ(steps(true, 30), 0u);  // plain ground
    g_options = saved;
}

}  // namespace
