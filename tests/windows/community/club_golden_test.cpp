// The club window drawn on the demo data (its animations and texture sheets
// built with our tools from demo/pack, the animation names of table 2, text
// table 14 and the club levels as the demo holds them) and compared with the
// stored pictures; QM_REFRESH_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "data/data_table_text.h"
#include "data/item_table_mgr.h"
#include "net/handlers/window_records.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"
#include "ui/edit_box.h"
#include "ui/items/item_icon.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_deposit_win.h"
#include "windows/community/club_dialogs.h"
#include "windows/community/club_forms.h"
#include "windows/community/club_grade_input.h"
#include "windows/community/club_mark_window.h"
#include "windows/community/fortress_board_win.h"

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
             {"2123", "4002", "5100", "5101", "5102", "5103", "5104", "5105", "5106", "5107", "5108",
              "5109", "5110", "5111", "5112", "5113", "5114", "5115", "3399", "4100", "4106"}) {
            const auto run = qmtest::RunTool(
                RunAniTool, {"write", kPack + "DAC/" + ani + ".z5a.txt", m_dir.Path() + "/" + ani + ".z5a"});
            ASSERT_EQ(run.status, 0) << ani << ": " << run.err;
        }
        for (const char* sheet : {"1510", "1511", "1512", "1513", "1514", "1410", "1413", "1923", "1940"}) {
            const std::string bmp = m_work.Path() + "/drawn.bmp";
            auto run =
                qmtest::RunTool(RunImageTool, {"draw", bmp, kPack + "TEX/" + sheet + ".DTX.ZIP.draw.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
            run = qmtest::RunTool(RunImageTool, {"dtx", m_dir.Path() + "/" + sheet + ".DTX", bmp,
                                                 kPack + "TEX/" + sheet + ".DTX.ZIP.units.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
        }
        WriteTable(CLUB_LEVEL_TABLE, DemoTable("0102.Z5D.txt"));
        WriteTable(FORTRESS_TABLE, DemoTable("0117.Z5D.txt"));
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

// The join window showing a club with its emblem and introduction.
TEST_F(ClubGoldenTest, Join) {
    CClubJoinWindow join;
    join.SetPosition(200, 120);
    CClubInfoMsg info;
    info.m_a = 2;
    std::strcpy(info.m_text1, "Riverside");
    std::strcpy(info.m_text2, "Heron");
    info.m_value3 = 30;
    info.m_value4 = 11;
    std::strcpy(info.m_text3, "Founded by the ford");
    std::strcpy(info.m_text4, "http://riverside.example");
    std::strcpy(info.m_text5,
                "We fish, we trade and we keep the bridge. Everyone over level five is welcome.");
    info.m_value6 = 4;
    info.m_value7 = 5;
    info.m_value8 = 80;
    info.m_value12 = 32;
    join.SetClubInfo(info);
    ASSERT_TRUE(join.IsDrawOn());
    ASSERT_TRUE(join.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_join.png"));
}

// The make window with its fields filled.
TEST_F(ClubGoldenTest, Make) {
    CClubMakeWindow make;
    make.Show();
    make.SetPosition(200, 120);
    make.GetEditBox(CLUB_MAKE_NAME)->SetText("Riverside");
    make.GetEditBox(CLUB_MAKE_MIN_LEVEL)->SetText("5");
    make.GetEditBox(CLUB_MAKE_HOMEPAGE)->SetText("http://riverside.example");
    make.GetEditBox(CLUB_MAKE_INTRO)->SetText("We keep the bridge.");
    ASSERT_TRUE(make.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_make.png"));
}

// The emblem picker over the three demo sheets: the first page with emblem 7
// framed; a click on the second page's cell in row 1, column 2 chooses 33.
TEST_F(ClubGoldenTest, Emblems) {
    CClubMarkWindow marks;
    EXPECT_EQ(marks.GetSheetCount(), 3u);
    EXPECT_EQ(marks.GetCellCount(), 25);
    marks.Show();
    marks.SetPosition(300, 150);
    marks.SetCurrentMark(7);
    ASSERT_TRUE(marks.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_emblems.png"));
    marks.SetPage(1);
    marks.OnControlEvent(0, 300 + 80, 150 + 70, nullptr);
    EXPECT_EQ(marks.GetChosen(), 33u);
    marks.OnControlEvent(0, 300 + 60, 150 + 60, nullptr);  // between the cells
    EXPECT_EQ(marks.GetChosen(), 0u);
}

// The grade prompt with a number typed.
TEST_F(ClubGoldenTest, GradeInput) {
    CClubGradeInputWin prompt;
    prompt.SetPosition(260, 240);
    prompt.Show();
    prompt.GetEditBox()->SetText("12");
    ASSERT_TRUE(prompt.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_grade_input.png"));
}

// The fortress board with a name only (state 1), two clubs (state 2) and
// one club (state 4), with three proclaimed clubs; the portraits and the
// chosen guardian's name come from the demo monster rows.
TEST_F(ClubGoldenTest, FortressBoard) {
    WriteTable(CCharResourceMgr::MONSTER_FILE, DemoTable("0009.Z5D.txt"));
    CCharResourceMgr resources;
    g_pCharResourceMgr = &resources;
    struct Restore {
        ~Restore() { g_pCharResourceMgr = nullptr; }
    } restore;
    struct Case {
        const char* name;
        uint32_t id;
    } cases[] = {{"demo_fortress_board_name", MSG_FORTRESS_TEXT},
                 {"demo_fortress_board_two_clubs", MSG_FORTRESS_TWO_CLUBS},
                 {"demo_fortress_board_one_club", MSG_FORTRESS_ONE_CLUB}};
    for (const Case& c : cases) {
        Frame()->FillSurface(kBackground, nullptr);
        CFortressBoardWin board;
        board.SetPosition(220, 80);
        board.CBaseWindow::Show();
        CFortressBoardMsg record(c.id);
        std::strcpy(record.m_text, "North Keep");
        std::strcpy(record.m_first.m_name, "Lantern");
        record.m_first.m_flag = 1;
        record.m_first.m_b1 = 12;
        record.m_first.m_b2 = 3;
        record.m_first.m_value = 7;
        record.m_first.m_b3 = 4;
        record.m_first.m_b4 = 2;
        record.m_first.m_word = 420;
        record.m_first.m_b5 = 1;
        record.m_first.m_b6 = 5;
        std::strcpy(record.m_second.m_name, "Riverside");
        record.m_second.m_b1 = 9;
        record.m_second.m_value = 32;
        record.m_second.m_b4 = 3;
        board.SetBoard(record);
        board.SetProclaimed({"Riverside", "Birchwood", "Stonegate"});
        ASSERT_TRUE(board.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + c.name + ".png"))
            << c.name;
    }
}

// The storage as a member of rank 2 ("Ardent") sees it: his own sword
// with its drop-down open, an item only the master may take (black, greyed),
// one his rank may take and one for the master and sub only; the club's
// money and three lines of its log.
class MemberDeposit : public CClubDepositWin {
protected:
    bool FindViewer(ClubDepositViewer& viewer) const override {
        viewer.grade = CLUB_GRADE_MEMBER;
        viewer.orderKey = 2;
        viewer.name = "Ardent";
        return true;
    }
};

TEST_F(ClubGoldenTest, ClubStorage) {
    WriteTable(CItemTableMgr::ITEM_TABLE_FILE, DemoTable("0007.Z5D.txt"));
    CItemIconFactory factory;
    ScopedItemObjectFactory useFactory(factory);
    CItemTableMgr items;
    CItemTableMgr* previous = std::exchange(g_pItemTableMgr, &items);
    {
        MemberDeposit deposit;
        deposit.SetPosition(220, 120);
        deposit.CBaseWindow::Show();
        struct Stored {
            uint8_t slot;
            uint32_t id, count;
            const char* depositor;
            int32_t limit;
        } stored[] = {{1, 41001, 1, "Ardent", -2},
                      {2, 41006, 12, "Tester", 0},
                      {3, 51001, 5, "Birch", 3},
                      {4, 51002, 1, "Tester", -1}};
        for (const Stored& s : stored)
            deposit.AddItem(s.slot, s.id, s.count, nullptr, nullptr, CItemRecord(), s.depositor, s.limit, 0,
                            s.slot);
        ASSERT_EQ(deposit.Entries().size(), 4u);
        deposit.SetClubMoney(1234567);
        std::vector<CDatedLine> log(3);
        const char* lines[3] = {"Ardent put in an Oak Sword", "Tester put in 12 Red Potions",
                                "Birch took out 300 gold"};
        for (int i = 0; i < 3; ++i) {
            log[size_t(i)].m_date = 1767225600 + 86400 * uint32_t(i);
            std::strcpy(log[size_t(i)].m_text, lines[i]);
        }
        deposit.FormatDepositLogLine(log);
        deposit.OpenMenu(0);
        Frame()->FillSurface(kBackground, nullptr);
        ASSERT_TRUE(deposit.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_club_storage.png"));
    }
    g_pItemTableMgr = previous;
}

}  // namespace
