// The club window drawn on the demo data (its animations and texture sheets
// built with our tools from demo/pack, the animation names of table 2, text
// table 14 and the club levels as the demo holds them) and compared with the
// stored pictures; QM_REFRESH_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/data_table_text.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_dialogs.h"

namespace {

constexpr uint16_t kBackground = 0x8410;
const std::string kPack = qmtest::SourceDir() + "/demo/pack/";

TablePlan DemoTable(const std::string& file) {
    TablePlan plan;
    std::string error;
    const std::string path = kPack + "DATABASE/" + file;
    std::vector<TableRowsText> parts;
    EXPECT_TRUE(ReadTableSource(path, parts, &error) &&
                ParseTableText(qmtest::ReadTextFile(path), parts, plan, &error))
        << file << ": " << error;
    return plan;
}

std::map<int, std::vector<std::string>> DemoTexts() {
    const TablePlan plan = DemoTable("0092.Z5D.txt");
    return {{14, plan.columns.empty() ? std::vector<std::string>{} : plan.columns[0].texts}};
}

CClubMemberRecord Entry(const char* name, uint8_t grade, uint16_t order, uint32_t resource, uint8_t online,
                        uint32_t points) {
    CClubMemberRecord r;
    std::strncpy(r.m_firstName, name, sizeof r.m_firstName - 1);
    r.m_a = grade;
    r.m_e = order;
    r.m_f = online;
    r.m_b = resource;
    r.m_k = uint16_t(10 + order);
    r.m_h = points;
    return r;
}

class ClubGoldenTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        for (const char* ani :
             {"2123", "4002", "5100", "5101", "5102", "5103", "5104", "5105", "5106", "5107", "5108"}) {
            const auto run = qmtest::RunTool(
                RunAniTool, {"write", kPack + "DAC/" + ani + ".z5a.txt", m_dir.Path() + "/" + ani + ".z5a"});
            ASSERT_EQ(run.status, 0) << ani << ": " << run.err;
        }
        for (const char* sheet : {"1510", "1511", "1923", "1940"}) {
            const std::string bmp = m_work.Path() + "/drawn.bmp";
            auto run =
                qmtest::RunTool(RunImageTool, {"draw", bmp, kPack + "TEX/" + sheet + ".DTX.ZIP.draw.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
            run = qmtest::RunTool(RunImageTool, {"dtx", m_dir.Path() + "/" + sheet + ".DTX", bmp,
                                                 kPack + "TEX/" + sheet + ".DTX.ZIP.units.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
        }
        WriteTable(CLUB_LEVEL_TABLE, DemoTable("0102.Z5D.txt"));
        StartPlay(DemoTable("0002.Z5D.txt"));
        g_config.m_useServer = true;
        Frame()->FillSurface(kBackground, nullptr);
    }
    void TearDown() override {
        g_config.m_useServer = false;
        UiPictureFixture::TearDown();
    }
    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }

    // The sample club with its master, two members and an applicant.
    void Fill(CClubBaseWindow& club) {
        CClubInfoMsg info;
        info.m_a = 1;
        info.m_mode = 1;
        std::strcpy(info.m_text1, "Lantern");
        info.m_value1 = 420;
        info.m_value4 = 4;
        info.m_value5 = 3;
        info.m_value6 = 3;
        info.m_value7 = 1;
        info.m_value8 = 60;
        std::strcpy(info.m_text3, "Founded by the river");
        std::strcpy(info.m_text4, "http://lantern.example");
        std::strcpy(info.m_text5, "We light the way.");
        info.m_value9 = 0xFFFFFFFF;
        info.m_value12 = 7;
        club.SetClubInfo(info);
        const std::vector<CClubMemberRecord> members = {
            Entry("Tester", 1, 0, 2000000, 1, 900), Entry("Ardent", 3, 0, 2000001, 1, 120),
            Entry("Birch", 2, 2, 2000004, 0, 300), Entry("Wren", 4, 0, 2000002, 1, 0)};
        club.SetMemberList(uint16_t(members.size()), 0, members.data());
    }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
    qmtest::ScopedWorkingFolder m_folder{m_work.Path()};
    qmtest::ScopedTextTables m_texts{DemoTexts()};
};

TEST_F(ClubGoldenTest, Pages) {
    struct Case {
        const char* name;
        int32_t mainTab, page;
    } cases[] = {{"demo_club_information", 0, CLUB_PAGE_GENERAL},
                 {"demo_club_members", 1, CLUB_PAGE_MEMBERS},
                 {"demo_club_applicants", 1, CLUB_PAGE_APPLICANTS}};
    for (const Case& c : cases) {
        Frame()->FillSurface(kBackground, nullptr);
        CClubBaseWindow club;
        club.Show();
        club.SetPosition(200, 150);
        Fill(club);
        club.SetPage(c.mainTab, c.page);
        club.SetPosition(200, 150);
        ASSERT_TRUE(club.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + c.name + ".png"))
            << c.name;
    }
}

// The auto-rank window with the second option chosen and the box checked.
TEST_F(ClubGoldenTest, AutoRank) {
    CClubAutoRankWindow rank;
    rank.Show();
    rank.SetPosition(300, 200);
    rank.OnControlEvent(0, 300 + 20, 200 + 80, nullptr);
    rank.OnControlEvent(0, 300 + 20, 200 + 117, nullptr);
    ASSERT_TRUE(rank.IsChecked());
    ASSERT_TRUE(rank.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_auto_rank.png"));
}

}  // namespace
