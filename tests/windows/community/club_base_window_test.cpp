// The club window: its rules (the permission word, the member order, the
// level progress, the emblems, the level range, the notice page), how it
// takes the server's club messages, which page controls each standing sees,
// the popup entries, and the requests it sends through the input queue.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "data/data_table.h"
#include "net/handlers/window_records.h"
#include "tests/ui/test_windows.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "ui/window_messages.h"
#include "windows/community/club_dialogs.h"
#include "windows/community/club_rules.h"

namespace {

using clubtest::Bytes;
using clubtest::ClubFixture;
using clubtest::Entry;
using clubtest::Request;
using clubtest::Text;
using clubtest::operator+;

// The main tab a page lies under.
int32_t TabOfPage(int32_t page) {
    return page <= CLUB_PAGE_INTRO ? 0 : page <= CLUB_PAGE_APPLICANTS ? 1 : page == CLUB_PAGE_POWER ? 2 : 3;
}

// ---- Rules ----

TEST(ClubRules, PermissionWord) {
    struct Case {
        uint32_t mask;
        int32_t category, action;
        bool allowed;
    } cases[] = {
        {1u << 3, 9, 4, true},     {0, 9, 4, false},          {1u << 31, 0, 0, true},
        {1u << 4, 5, 37, true},    {0, 2, 0, true},           {0, 2, 6, true},
        {0, 2, 7, true},           {1u << 14, 2, 1, true},    {0, 2, 1, false},
        {1u << 8, 2, 3, true},     {1u << 1, 2, 5, true},     {0xFFFFFFFF, 2, 8, false},
        {0, 3, 0, true},           {0, 3, 2, true},           {1, 3, 1, true},
        {0, 3, 1, false},          {0xFFFFFFFF, 3, 3, false}, {0xFFFFFFFF, 1, 1, false},
        {0xFFFFFFFF, 4, 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClubActionAllowed(c.mask, c.category, c.action), c.allowed)
            << c.mask << " " << c.category << " " << c.action;
}

TEST(ClubRules, MemberOrder) {
    auto member = [](const char* name, uint32_t grade, uint32_t order) {
        ClubMember m;
        std::strcpy(m.name, name);
        m.grade = grade;
        m.order = order;
        return m;
    };
    struct Case {
        std::vector<ClubMember> in;
        std::vector<std::string> names;
        std::vector<uint32_t> orders;
    } cases[] = {
        {{}, {}, {}},
        // The master first even with a key of its own; keys 0 take 1001 + place.
        {{member("a", 3, 0), member("m", 1, 9), member("b", 3, 5), member("c", 2, 0)},
         {"m", "c", "b", "a"},
         {0, 1004, 5, 1001}},
        // Equal grade and key keep their order.
        {{member("x", 3, 7), member("y", 3, 7), member("z", 3, 7)}, {"x", "y", "z"}, {7, 7, 7}},
        // Keys compare signed: a key above 0x7FFFFFFF comes first.
        {{member("p", 3, 2), member("q", 3, 0x80000000u)}, {"q", "p"}, {0x80000000u, 2}},
    };
    for (Case& c : cases) {
        SortClubMembers(c.in);
        std::vector<std::string> names;
        std::vector<uint32_t> orders;
        for (const ClubMember& m : c.in) names.push_back(m.name), orders.push_back(m.order);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(orders, c.orders);
    }
}

TEST(ClubRules, LevelProgress) {
    qmtest::ScopedDatabase db;
    db.Write(CLUB_LEVEL_TABLE, clubtest::LevelTable());
    CDataTable levels;
    ASSERT_TRUE(levels.LoadDataTable(CLUB_LEVEL_TABLE));
    struct Case {
        uint32_t level, points;
        uint32_t percent;
        bool textSet;
        const char* text;
    } cases[] = {
        {0, 500, 0, false, ""},                                       // no level: nothing
        {4, 700, 100, true, "100%"},                                  // no next threshold
        {2, 200, 50, true, "50.0%"},                                  // 100 -> 300
        {2, 299, 99, true, "99.5%"},   {2, 300, 100, true, "99.9%"},  // at or past the next threshold
        {2, 5000, 100, true, "99.9%"}, {2, 40, 0, true, "0.0%"},      // below the level's own threshold
        {9, 10, 100, true, "100%"},                                   // past the table
    };
    for (const Case& c : cases) {
        const ClubProgress p = ComputeClubProgress(c.level, c.points, &levels);
        EXPECT_EQ(p.percent, c.percent) << c.level << " " << c.points;
        EXPECT_EQ(p.textSet, c.textSet) << c.level << " " << c.points;
        if (c.textSet) EXPECT_EQ(p.text, c.text) << c.level << " " << c.points;
    }
}

TEST(ClubRules, EmblemCells) {
    struct Case {
        uint32_t emblem, sheet;
        uint8_t motion, direction;
        const char* name;
    } cases[] = {
        {1, 1, 0, 2, "Club_Mark#1"},   {5, 1, 0, 10, "Club_Mark#1"}, {7, 1, 1, 0, "Club_Mark#1"},
        {25, 1, 4, 10, "Club_Mark#1"}, {26, 2, 0, 2, "Club_Mark#2"}, {75, 3, 4, 10, "Club_Mark#3"},
    };
    for (const Case& c : cases) {
        const ClubMarkCell cell = ClubMarkCellOf(c.emblem);
        EXPECT_EQ(cell.sheet, c.sheet) << c.emblem;
        EXPECT_EQ(cell.motion, c.motion) << c.emblem;
        EXPECT_EQ(cell.direction, c.direction) << c.emblem;
        EXPECT_EQ(ClubMarkName(c.emblem), c.name);
    }
}

TEST(ClubRules, LevelTexts) {
    struct Case {
        const char* text;
        uint16_t level;
    } cases[] = {{"1", 1},     {"255", 255}, {"999", 255}, {"1000", 255},
                 {"256", 255}, {"", 0},      {"x", 0},     {"-5", 0}};
    for (const Case& c : cases) EXPECT_EQ(ClubLevelOfText(c.text), c.level) << c.text;
}

TEST(ClubRules, ClubTexts) {
    EXPECT_EQ(ClubTextMarkup("a\r\nb\tc", true, 1024), "a</n>b</n>c");
    EXPECT_EQ(ClubTextMarkup("a\r\nb\tc", false, 1024), "a</n>b\tc");
    // A text that grows past the buffer stops below it, never in a break.
    const std::string lines(600, '\n');
    const std::string out = ClubTextMarkup(lines.c_str(), true, 1024);
    EXPECT_LE(out.size(), 1023u);
    EXPECT_EQ(out.size() % 4, 0u);
}

TEST(ClubRules, NoticePageStopsAt1023) {
    std::vector<CDatedLine> lines(6);
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i].m_date = 86400 * 1000;
        std::memset(lines[i].m_text, char('a' + i), 200);
    }
    const std::string page = FormatClubNotices(lines);
    const std::time_t when = 86400 * 1000;
    const std::tm* local = std::localtime(&when);
    char head[32];
    std::snprintf(head, sizeof head, "[%4d.%02d.%02d]</n>", local->tm_year + 1900, local->tm_mon + 1,
                  local->tm_mday);
    const std::string entry = std::string(head) + std::string(200, 'a') + "</n></n>";
    // Each entry is 224 bytes: four fit in 1,023, the fifth does not.
    ASSERT_EQ(entry.size(), 224u);
    EXPECT_EQ(page.size(), 896u);
    EXPECT_EQ(page.substr(0, entry.size()), entry);
    EXPECT_EQ(page.find('e'), std::string::npos);
}

// ---- The window and the server's messages ----

TEST_F(ClubFixture, ClubInformationAsksForTheTextsOnce) {
    Join(1);
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_MEMBER);
    EXPECT_EQ(m_club->GetClubNumber(), 7);
    EXPECT_EQ(m_club->GetEmblem(), 26u);
    EXPECT_EQ(m_club->GetProgressText(), "50.0%");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 20, {7, 3}), Request(61, 20, {7, 2}),
                                          Request(61, 20, {7, 1}), Request(61, 20, {7, 0})}));
    Join(1);
    EXPECT_TRUE(Sent().empty());
    // Grade 4: the application waits; grade 0: no club.
    Join(4);
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_APPLICANT);
    EXPECT_EQ(m_club->GetStatusLine(), "14/417");
    Join(0);
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_NONE);
}

TEST_F(ClubFixture, MemberListOfApplicantsOnly) {
    Join(1);
    Members({Entry("ann", 4), Entry("bob", 4), Entry("cid", 4)});
    EXPECT_TRUE(m_club->Members().empty());
    ASSERT_EQ(m_club->Applicants().size(), 3u);
    EXPECT_STREQ(m_club->Applicants()[1].name, "bob");
    EXPECT_EQ(m_club->Applicants()[1].level, 12u);
    EXPECT_EQ(m_club->Applicants()[1].date, ClubApplicationDate(86400 * 400));
    EXPECT_EQ(m_club->GetScrollMaximum(), -5);
    EXPECT_EQ(m_club->GetScrollTop(), 0);
}

TEST_F(ClubFixture, SixteenByteNamesAreFound) {
    Join(1);
    Members({Entry("Sixteen_bytes_ab", 2, 3), Entry("mast", 1, 0)});
    EXPECT_EQ(m_club->FindMemberKey("Sixteen_bytes_ab"), 3u);
    EXPECT_STREQ(m_club->GetMasterName(), "mast");
}

TEST_F(ClubFixture, OwnEntryFlags) {
    Join(3);
    Sent();
    const uint32_t notice = 1u << 3, vote = 1u << 5, secession = 1u << 6, applicants = 1u << 7,
                   seeApplicants = 1u << 18;
    // Flag 4 without the main interface: the window manager keeps the blink for it.
    const int32_t waiting = m_driver.Mgr().GetPort()->Count();
    Members({Entry("Me", 3, 0, notice), Entry("boss", 1, 0, 0, 0)});
    EXPECT_EQ(m_driver.Mgr().GetPort()->Count(), waiting + 1);
    EXPECT_EQ(m_driver.Mgr().GetPort()->Peek()->m_eventId, uint32_t(WM_MSG_NOTICE_BLINK));
    EXPECT_EQ(m_club->GetFlagWord(), notice);
    // With it, the main interface blinks at once.
    struct MainWindow : uitest::TestWindow, IMainInterfaceWindow {
        MainWindow() : TestWindow("Z5MAINWIN") {}
        int blinks = 0, stops = 0;
        void StartBlink() override { ++blinks; }
        void StopBlink() override { ++stops; }
        void ShakeItemButton() override {}
        bool GetInventoryButtonPosition(int32_t*, int32_t*) override { return false; }
        void SetSkillIcon(int32_t) override {}
        void SetStyle(uint8_t) override {}
        uint8_t GetStyle() override { return 4; }
        void Minimize() override {}
        void Restore() override {}
    };
    auto* main = m_driver.Add(new MainWindow);
    Members({Entry("Me", 3, 0, notice), Entry("boss", 1, 0, 0, 0)});
    EXPECT_EQ(main->blinks, 1);
    // Flag 6: the vote marker; flag 7 marks only the master's secession.
    Members({Entry("Me", 3, 0, vote | secession), Entry("boss", 1, 0, 0, 0)});
    EXPECT_TRUE(m_club->HasVoteMarker());
    EXPECT_FALSE(m_club->HasSecessionMarker());
    // Flag 8: read at once while the master is away and flag 19 is clear...
    Members({Entry("Me", 3, 0, applicants), Entry("boss", 1, 0, 0, 0)});
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 14, {7, 8})}));
    // ... blinking for one who sees the applicants.
    main->blinks = 0;
    Members({Entry("Me", 3, 0, applicants | seeApplicants), Entry("boss", 1, 0, 0, 0)});
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(main->blinks, 1);
    // The master online: read at once again.
    Members({Entry("Me", 3, 0, applicants | seeApplicants), Entry("boss", 1, 0, 0, 1)});
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 14, {7, 8})}));
    EXPECT_TRUE(m_club->IsMasterOnline());
}

TEST_F(ClubFixture, OwnGradeChangeAndFlagLock) {
    Join(3);
    Members({Entry("Me", 3, 0, 0x10), Entry("boss", 1)});
    EXPECT_EQ(m_club->GetMyGrade(), 3u);
    // Promoted: the grade follows the list and the leader tab shows.
    Members({Entry("Me", 2, 0, 0x10), Entry("boss", 1)});
    EXPECT_EQ(m_club->GetMyGrade(), 2u);
    EXPECT_TRUE(m_club->GetButton("CLUBBASE_SUBLEADERTAB_BTN")->IsDrawOn());
    // The master editing the rights: a reloaded list keeps the edit.
    Join(1);
    Members({Entry("Me", 1, 0, 0x10)});
    m_club->SetEditedFlagWord(0x810);
    m_club->SetPage(2, CLUB_PAGE_POWER);
    EXPECT_TRUE(m_club->IsFlagWordLocked());
    Members({Entry("Me", 1, 0, 0x20)});
    EXPECT_EQ(m_club->GetFlagWord(), 0x10u);
    EXPECT_EQ(m_club->GetEditedFlagWord(), 0x810u);
}

TEST_F(ClubFixture, RemovingEntries) {
    Join(1);
    Members({Entry("Me", 1), Entry("bob", 3), Entry("ann", 4)});
    m_club->SetPage(1, CLUB_PAGE_APPLICANTS);
    m_club->SetScrollTop(0);
    // The only applicant goes: the list is empty, the selection stays.
    m_club->RemoveMemberByName("ann");
    EXPECT_TRUE(m_club->Applicants().empty());
    // A member goes.
    m_club->RemoveMemberByName("bob");
    EXPECT_EQ(MemberNames(), (std::vector<std::string>{"Me"}));
    EXPECT_EQ(m_club->GetSelected(), -1);
    // An unknown name changes nothing; the player's own leaves the club.
    m_club->RemoveMemberByName("nobody");
    EXPECT_EQ(m_club->Members().size(), 1u);
    m_club->RemoveMemberByName("Me");
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_NONE);
    EXPECT_EQ(m_club->GetClubNumber(), 0);
}

TEST_F(ClubFixture, OfflinePlayerIsMasterOfTenMembers) {
    g_config.m_useServer = false;
    auto* offline = m_driver.Add(new CClubBaseWindow);
    EXPECT_EQ(offline->GetClubLevel(), 10u);
    EXPECT_TRUE(offline->IsMaster());
    offline->SetMemberList(0, 0, nullptr);
    ASSERT_EQ(offline->Members().size(), 10u);
    EXPECT_STREQ(offline->Members()[0].name, "master");
    // No club number: nothing goes out.
    offline->SetAutoRank(true, 0);
    EXPECT_TRUE(Sent().empty());
}

// ---- Pages ----

TEST_F(ClubFixture, PageControlsByStanding) {
    struct Case {
        const char* what;
        uint8_t grade;
        uint32_t flags;
        bool masterOnline;
        uint32_t permissions;
        uint8_t option;  // bit 2 dissolution, bit 1 vote (the master's)
        uint16_t count;
        int32_t page;
        std::vector<const char*> shown;
        std::vector<const char*> drawnOnly;
        std::vector<const char*> hidden;
    } cases[] = {
        {"master general",
         1,
         0,
         true,
         ~0u,
         0,
         4,
         CLUB_PAGE_GENERAL,
         {"CLUBBASE_OK_BTN", "CLUBBASE_INTRO_SUBTAB_BTN", "CLUBBASE_SUBLEADERTAB_BTN"},
         {},
         {"CLUBBASE_SECESSION_BTN", "CLUBBASE_GENERAL_SUBTAB_BTN"}},
        {"member general",
         3,
         0,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_GENERAL,
         {"CLUBBASE_SECESSION_BTN"},
         {},
         {"CLUBBASE_OK_BTN", "CLUBBASE_SUBLEADERTAB_BTN"}},
        {"flag 12 general",
         3,
         1u << 11,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_GENERAL,
         {"CLUBBASE_OK_BTN"},
         {},
         {"CLUBBASE_SECESSION_BTN"}},
        {"flag 12, master online",
         2,
         1u << 11,
         true,
         ~0u,
         0,
         4,
         CLUB_PAGE_GENERAL,
         {"CLUBBASE_SECESSION_BTN", "CLUBBASE_SUBLEADERTAB_BTN"},
         {},
         {"CLUBBASE_OK_BTN"}},
        {"member list, flag 19",
         3,
         1u << 18,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_MEMBERS,
         {"CLUBBASE_JOIN_SUBTAB_BTN"},
         {},
         {}},
        {"member list, master online",
         3,
         1u << 18,
         true,
         ~0u,
         0,
         4,
         CLUB_PAGE_MEMBERS,
         {},
         {},
         {"CLUBBASE_JOIN_SUBTAB_BTN"}},
        {"notice, master",
         1,
         0,
         true,
         ~0u,
         0,
         4,
         CLUB_PAGE_NOTICE,
         {"CLUBBASE_SEND_BTN", "CLUBBASE_LOG_SUBTAB_BTN", "CLUBBASE_DISSOLUTION_SUBTAB_BTN"},
         {},
         {}},
        {"notice, member",
         3,
         0,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_NOTICE,
         {"CLUBBASE_DISSOLUTION_SUBTAB_BTN"},
         {},
         {"CLUBBASE_SEND_BTN", "CLUBBASE_LOG_SUBTAB_BTN", "CLUBBASE_SECESSION_SUBTAB_BTN"}},
        {"notice, flag 15", 3, 1u << 14, false, ~0u, 0, 4, CLUB_PAGE_NOTICE, {"CLUBBASE_SEND_BTN"}, {}, {}},
        {"secession without 0x10",
         1,
         0,
         true,
         ~0u & ~0x10u,
         0,
         4,
         CLUB_PAGE_SECESSION,
         {},
         {"CLUBBASE_REQUEST_SECESSION_BTN"},
         {"CLUBBASE_CANCEL_SECESSION_BTN"}},
        {"secession with 0x10",
         1,
         0,
         true,
         0x10,
         0,
         4,
         CLUB_PAGE_SECESSION,
         {"CLUBBASE_REQUEST_SECESSION_BTN"},
         {"CLUBBASE_CANCEL_SECESSION_BTN"},
         {}},
        {"secession requested",
         1,
         1u << 6,
         true,
         0x10,
         0,
         4,
         CLUB_PAGE_SECESSION,
         {"CLUBBASE_CANCEL_SECESSION_BTN"},
         {"CLUBBASE_REQUEST_SECESSION_BTN"},
         {}},
        {"dissolution without 0x4",
         1,
         0,
         true,
         0,
         0,
         4,
         CLUB_PAGE_DISSOLUTION,
         {},
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN", "CLUBBASE_CANCEL_DISSOLUTION_BTN"},
         {"CLUBBASE_CLUB_DISSOLUTION_BTN"}},
        {"dissolution without 0x4, count 0",
         1,
         0,
         true,
         0,
         0,
         0,
         CLUB_PAGE_DISSOLUTION,
         {},
         {"CLUBBASE_CLUB_DISSOLUTION_BTN"},
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN"}},
        {"dissolution with 0x4",
         1,
         0,
         true,
         0x4,
         0,
         4,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN"},
         {"CLUBBASE_CANCEL_DISSOLUTION_BTN"},
         {"CLUBBASE_CLUB_DISSOLUTION_BTN"}},
        {"dissolution marked",
         1,
         0,
         true,
         0x4,
         4,
         4,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_CANCEL_DISSOLUTION_BTN", "CLUBBASE_CLUB_DISSOLUTION_BTN"},
         {},
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN"}},
        {"vote marked",
         1,
         0,
         true,
         0x4,
         2,
         4,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_CANCEL_DISSOLUTION_BTN"},
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN"},
         {}},
        {"dissolution with 0x4, count 0",
         1,
         0,
         true,
         0x4,
         0,
         0,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_CLUB_DISSOLUTION_BTN"},
         {},
         {"CLUBBASE_REQUEST_DISSOLUTION_BTN"}},
        {"member's dissolution, no vote",
         3,
         0,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_NOTICE_SUBTAB_BTN"},
         {"CLUBBASE_DISSOLUTION_OK_BTN"},
         {"CLUBBASE_LOG_SUBTAB_BTN"}},
        {"member's dissolution, vote",
         3,
         1u << 5,
         false,
         ~0u,
         0,
         4,
         CLUB_PAGE_DISSOLUTION,
         {"CLUBBASE_DISSOLUTION_OK_BTN"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CClubInfoMsg info;
        info.m_a = 7;
        info.m_mode = c.grade;
        std::strcpy(info.m_text1, "Oak");
        info.m_value4 = c.count;
        info.m_value9 = c.permissions;
        info.m_value11 = c.option;
        m_club->SetClubInfo(info);
        if (c.grade == 1)
            Members({Entry("Me", 1, 0, c.flags)});
        else
            Members({Entry("Me", c.grade, 0, c.flags), Entry("boss", 1, 0, 0, c.masterOnline)});
        m_club->SetPage(TabOfPage(c.page), c.page);
        for (const char* name : c.shown) EXPECT_TRUE(m_club->GetButton(name)->IsInputOn()) << name;
        for (const char* name : c.drawnOnly) {
            EXPECT_TRUE(m_club->GetButton(name)->IsDrawOn()) << name;
            EXPECT_FALSE(m_club->GetButton(name)->IsInputOn()) << name;
        }
        for (const char* name : c.hidden) EXPECT_FALSE(m_club->GetButton(name)->IsDrawOn()) << name;
        // Start the next case without a club.
        m_club->OnClubRemoved("Oak");
    }
}

TEST_F(ClubFixture, PopupEntriesByTargetAndBits) {
    struct Case {
        const char* what;
        uint8_t myGrade;
        uint32_t permissions;
        const char* target;
        std::vector<int> allowed;
    } cases[] = {
        {"master on a member", 1, ~0u, "cid", {0, 1, 2, 3, 4, 5, 6}},
        {"master on a sub-leader", 1, ~0u, "sub", {0, 1, 2, 3, 4, 5, 7}},
        {"master on itself", 1, ~0u, "Me", {0, 1}},
        {"no club bits", 1, 0, "cid", {0, 6}},
        {"sub-leader on a member", 2, ~0u, "cid", {0, 1, 2, 3, 4, 5}},
        {"sub-leader on the master", 2, ~0u, "boss", {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Join(c.myGrade, c.permissions);
        if (c.myGrade == 1)
            Members({Entry("Me", 1), Entry("sub", 2, 1), Entry("cid", 3, 2)});
        else
            Members({Entry("boss", 1), Entry("Me", 2, 1), Entry("cid", 3, 2)});
        m_club->Show();
        m_club->SetPage(1, CLUB_PAGE_MEMBERS);
        const auto& members = m_club->Members();
        for (size_t i = 0; i < members.size(); ++i)
            if (std::strcmp(members[i].name, c.target) == 0) {
                // Select the row through the window's own click.
                m_driver.Click(0, 100 + 60, 100 + 74 + 31 * int32_t(i) + 10);
                m_driver.Frame();
            }
        std::vector<int> allowed;
        for (int e = 0; e < CLUB_MEMBER_POPUP_ENTRIES; ++e)
            if (m_club->IsPopupEntryAllowed(e)) allowed.push_back(e);
        EXPECT_EQ(allowed, c.allowed);
        m_club->OnClubRemoved("Oak");
    }
}

// ---- Through the input queue ----

TEST_F(ClubFixture, RightClickOnAMemberAndThePopup) {
    Join(1);
    Members({Entry("Me", 1), Entry("sub", 2, 1), Entry("cid", 3, 2)});
    m_club->Show();
    ClickControl("CLUBBASE_MEMBERTAB_BTN");
    EXPECT_EQ(m_club->GetSubTab(), CLUB_PAGE_MEMBERS);
    Sent();
    // Row 2 (cid) by the right button: the popup opens at the pointer.
    const int32_t x = 100 + 60, y = 100 + 74 + 31 * 2 + 10;
    m_driver.Click(1, x, y);
    m_driver.Frame();
    ASSERT_TRUE(m_club->IsPopupOpen());
    EXPECT_EQ(m_club->GetSelected(), 2);
    // Entry 3 (unmark) lies 30 + 3 x 15 pixels under the popup's top.
    m_driver.Click(0, x + 20, y + 30 + 3 * 15 + 5);
    m_driver.Frame();
    EXPECT_FALSE(m_club->IsPopupOpen());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 9, Bytes{7} + Text("cid") + Bytes{0})}));
    // A click past the list selects nothing.
    m_driver.Click(0, x, 100 + 74 + 31 * 4 + 10);
    m_driver.Frame();
    EXPECT_EQ(m_club->GetSelected(), -1);
}

TEST_F(ClubFixture, SettingsAreClampedAndSent) {
    Join(1);
    m_club->Show();
    Sent();
    struct Case {
        const char* low;
        const char* high;
        uint8_t sentLow, sentHigh;
    } cases[] = {{"5", "999", 5, 255}, {"200", "100", 100, 200}, {"", "30", 0, 30}};
    for (const Case& c : cases) {
        m_club->GetEditBox(0)->SetText(c.low);
        m_club->GetEditBox(1)->SetText(c.high);
        ClickControl("CLUBBASE_OK_BTN");
        const Bytes body = Bytes{7, 0, c.sentLow, 0, c.sentHigh} + Text("http://oak") + Text("We grow.");
        EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 3, body)})) << c.low << " " << c.high;
    }
}

TEST_F(ClubFixture, LeavingAsksFirst) {
    Join(3);
    Members({Entry("Me", 3), Entry("boss", 1)});
    m_club->Show();
    Sent();
    ClickControl("CLUBBASE_SECESSION_BTN");
    EXPECT_TRUE(Sent().empty());
    auto* box = dynamic_cast<CMessageBox*>(m_driver.Mgr().FindWindowByName("MESSAGE_BOX", CLUB_BOX_LEAVE));
    ASSERT_NE(box, nullptr);
    box->GetOkButton()->SetImage(40, 14, "");
    box->GetOkButton()->UpdateRect();
    const WindowRect r = box->GetOkButton()->GetRect();
    m_driver.Click(0, r.left + 5, r.top + 5);
    m_driver.Frame();
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 6, Bytes{7} + Text("Oak") + Text("Me"))}));
}

TEST_F(ClubFixture, PortMessages) {
    Join(1);
    Members({Entry("Me", 1), Entry("cid", 3)});
    auto post = [this](std::unique_ptr<CMsgPayload> record) {
        const uint32_t id = record->m_id;
        PostMessageToPort(0, m_club->GetPort(), 0, id, std::move(record), nullptr);
        m_driver.Frame();
    };
    auto value = std::make_unique<CClubMemberValueMsg>();
    std::strcpy(value->m_name, "cid");
    value->m_a = 77;
    value->m_b = 250;
    value->m_c = 2;
    post(std::move(value));
    EXPECT_EQ(m_club->Members()[1].points, 77u);
    EXPECT_EQ(m_club->GetProgressText(), "75.0%");
    auto text = std::make_unique<CClubTextMsg>();
    text->m_kind = 2;
    std::strcpy(text->m_text, "one\r\ntwo");
    post(std::move(text));
    EXPECT_EQ(m_club->GetClubText(0), "one</n>two");
    auto gone = std::make_unique<CClubRemovedMsg>();
    std::strcpy(gone->m_name, "Pine");
    post(std::move(gone));
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_MEMBER);
    gone = std::make_unique<CClubRemovedMsg>();
    std::strcpy(gone->m_name, "Oak");
    post(std::move(gone));
    EXPECT_EQ(m_club->GetState(), CLUB_STATE_NONE);
    EXPECT_TRUE(m_club->Members().empty());
}

// Hidden, the window is docked (its detach button shows); the pointer resting
// on it frees it (the close button shows); the detach buttons switch modes.
TEST_F(ClubFixture, PresentationModes) {
    Join(1);
    m_club->Hide();
    EXPECT_EQ(m_club->GetStateValue(), WINDOW_STATE_DOCKED);
    m_club->Show();
    m_driver.MoveTo(700, 500);
    m_driver.Frame();
    EXPECT_EQ(m_club->GetStateValue(), WINDOW_STATE_DOCKED);
    EXPECT_TRUE(m_club->GetButton("CLUBBASE_DETACH_BUTTON")->IsDrawOn());
    ClickControl("CLUBBASE_DETACH_BUTTON");
    EXPECT_EQ(m_club->GetStateValue(), WINDOW_STATE_DETACHED);
    // Docked again by the pointer that rests on the window: free at once.
    ClickControl("CLUBBASE_DETACHED_BUTTON");
    EXPECT_EQ(m_club->GetStateValue(), WINDOW_STATE_FREE);
    EXPECT_TRUE(m_club->GetButton("CLUBBASE_CLOSE_BUTTON")->IsDrawOn());
    EXPECT_FALSE(m_club->GetButton("CLUBBASE_DETACH_BUTTON")->IsDrawOn());
}

// ---- The dialogs ----

TEST_F(ClubFixture, AutoRankSettings) {
    Join(1);
    Members({Entry("Me", 1), Entry("cid", 3, 2)});
    auto* rank = m_driver.Add(new CClubAutoRankWindow);
    rank->GetOkButton()->SetImage(40, 14, "");
    struct Case {
        std::vector<std::pair<int32_t, int32_t>> clicks;  // from the dialog's corner
        uint8_t value;
    } cases[] = {
        {{}, 4},
        {{{20, 55}, {20, 117}}, 6},  // choice 0, checked
        {{{20, 80}}, 8},             // choice 1
        {{{20, 80}, {20, 117}}, 10},
        {{{20, 80}, {20, 117}, {20, 117}}, 8},  // checked twice
    };
    for (const Case& c : cases) {
        delete rank;
        rank = m_driver.Add(new CClubAutoRankWindow);
        rank->GetOkButton()->SetImage(40, 14, "");
        rank->Show();
        rank->SetActive(true, false);
        Sent();
        for (const auto& [x, y] : c.clicks) {
            m_driver.Click(0, 100 + x, 100 + y);
            m_driver.Frame();
        }
        rank->GetOkButton()->UpdateRect();
        const WindowRect r = rank->GetOkButton()->GetRect();
        m_driver.Click(0, r.left + 3, r.top + 3);
        m_driver.Frame();
        EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 9, Bytes{7} + Text("Me") + Bytes{c.value})}))
            << int(c.value);
        EXPECT_FALSE(rank->IsDrawOn());
    }
    // A member without flag 17 sets nothing; with it, while the master is away, it does.
    Join(3);
    Members({Entry("Me", 3), Entry("boss", 1, 0, 0, 0)});
    m_club->SetAutoRank(false, 0);
    EXPECT_TRUE(Sent().empty());
    Members({Entry("Me", 3, 0, 1u << 16), Entry("boss", 1, 0, 0, 0)});
    m_club->SetAutoRank(false, 1);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 9, Bytes{7} + Text("boss") + Bytes{8})}));
}

TEST_F(ClubFixture, NicknameForTheChosenMember) {
    Join(1);
    Members({Entry("Me", 1), Entry("cid", 3, 2)});
    auto* nick = m_driver.Add(new CClubEditNickWindow);
    nick->GetOkButton()->SetImage(40, 14, "");
    m_club->Show();
    m_club->SetPage(1, CLUB_PAGE_MEMBERS);
    Sent();
    // The popup's entry 1 on the second row opens the dialog at the window.
    const int32_t x = 160, y = 100 + 74 + 31 + 10;
    m_driver.Click(1, x, y);
    m_driver.Frame();
    m_driver.Click(0, x + 20, y + 30 + 15 + 5);
    m_driver.Frame();
    ASSERT_TRUE(nick->IsDrawOn());
    EXPECT_EQ(nick->GetX(), 100);
    nick->GetEditBox()->SetText("Spark");
    nick->GetOkButton()->UpdateRect();
    const WindowRect r = nick->GetOkButton()->GetRect();
    m_driver.Click(0, r.left + 3, r.top + 3);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 7, Bytes{7} + Text("cid") + Text("Spark"))}));
    EXPECT_FALSE(nick->IsDrawOn());
    // Twenty bytes go; twenty-one do not.
    m_club->SetNickname(std::string(20, 'n').c_str());
    EXPECT_EQ(Sent().size(), 1u);
    m_club->SetNickname(std::string(21, 'n').c_str());
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
