// The fight club's windows: the manager's requests and the club request's
// lock, the waiting windows' leave confirmation, minimizing and club list,
// the start notice's count and skill hold, and the member picker's limit,
// filters and orders. Clicks go through the input
// queue; the server's records reach the windows through their ports.
#include "windows/community/fight_club_windows.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/message.h"
#include "net/handlers/window_records.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/message_box.h"
#include "windows/community/fight_club_config.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

using clubtest::Bytes;
using clubtest::Entry;
using clubtest::operator+;

constexpr uint32_t kNpc = 0x01020304;

Bytes Npc(uint32_t id) {
    return Bytes{uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id)};
}

// A waiting window with a frame of its own size, for the clicks on it.
class SizedWaitWin : public CFightClubWaitWin {
public:
    bool UpdateRect() override {
        m_rect = WindowRect{m_x, m_y, m_x + 150, m_y + (IsMinimized() ? 30 : 160)};
        return true;
    }
};

class FightClubFixture : public clubtest::ClubFixture {
protected:
    template <class W>
    W* Add() {
        auto* window = m_driver.Add(new W);
        window->SetPosition(200, 150);
        window->Show();
        return window;
    }
    void Post(CBaseWindow* window, std::unique_ptr<CMsgPayload> record) {
        const uint32_t id = record->m_id;
        ASSERT_TRUE(PostMessageTo(0, window, 0, id, std::move(record), nullptr));
        m_driver.Frame();
    }
    void Wait(CBaseWindow* window, uint8_t mode, uint32_t p, uint32_t q, uint32_t npc = kNpc) {
        auto values = std::make_unique<CWindowValuesMsg>(MSG_FIGHT_WAIT_VALUES);
        values->m_values[0] = npc;
        values->m_a = mode;
        values->m_values[1] = p;
        values->m_values[2] = q;
        Post(window, std::move(values));
    }
    void ClickChild(CBaseWindow* window, const char* name) {
        CBaseWindow* control = nullptr;
        for (CBaseWindow* child : *window->Children())
            if (std::strcmp(child->GetName(), name) == 0) control = child;
        ASSERT_NE(control, nullptr) << name;
        auto* button = dynamic_cast<CButton*>(control);
        if (button && !button->GetImage()) button->SetImage(14, 14, "");
        control->UpdateRect();
        const WindowRect r = control->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
    // Answers the open confirmation box of this id.
    void Answer(uint32_t boxId, bool ok) {
        auto* box = dynamic_cast<CMessageBox*>(m_driver.Mgr().FindWindowByName("MESSAGE_BOX", boxId));
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->IsVisibleInTree());
        CButton* button = ok ? box->GetOkButton() : box->GetCancelButton();
        button->SetImage(40, 14, "");
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        m_driver.Click(0, r.left + 5, r.top + 5);
        m_driver.Frame(2);
        m_driver.Mgr().RemoveWindow(box);  // answered boxes stay hidden; the next one is new
    }
};

TEST_F(FightClubFixture, SingleWaitLeavesOnceAndThenOnlyHides) {
    auto* wait = Add<CFightClubWaitWin>();
    Wait(wait, 0, 3, 5);
    EXPECT_EQ(wait->GetP(), 3);
    EXPECT_EQ(wait->GetQ(), 5);
    Sent();
    ClickChild(wait, "FightClub_WaitWin_CLOSE_BUTTON");
    EXPECT_TRUE(Sent().empty());  // asked first
    Answer(FIGHT_WAIT_BOX, false);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(wait->IsVisibleInTree());
    ClickChild(wait, "FightClub_WaitWin_CLOSE_BUTTON");
    Answer(FIGHT_WAIT_BOX, true);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Bytes{5} + Npc(kNpc) + Bytes{9, 3, 0}}));
    EXPECT_FALSE(wait->IsVisibleInTree());
    EXPECT_EQ(wait->GetNpcId(), 0u);
    // The NPC id is gone: leaving again sends nothing but still hides.
    wait->Show();
    ClickChild(wait, "FightClub_WaitWin_CLOSE_BUTTON");
    Answer(FIGHT_WAIT_BOX, true);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(wait->IsVisibleInTree());
}

TEST_F(FightClubFixture, MinimizeHidesTheButtonsAndADoubleClickRestores) {
    auto* wait = Add<SizedWaitWin>();
    ClickChild(wait, "FightClub_WaitWin_MINIMIZE_BUTTON");
    ASSERT_TRUE(wait->IsMinimized());
    for (CBaseWindow* child : *wait->Children()) EXPECT_FALSE(child->IsInputOn()) << child->GetName();
    m_driver.DoubleClick(0, 200 + 40, 150 + 40);
    m_driver.Frame();
    EXPECT_FALSE(wait->IsMinimized());
    for (CBaseWindow* child : *wait->Children()) EXPECT_TRUE(child->IsInputOn()) << child->GetName();
    // Shown again after hiding, a minimized window comes back whole.
    wait->SetMinimized(true);
    wait->Hide();
    wait->Show();
    EXPECT_FALSE(wait->IsMinimized());
}

TEST_F(FightClubFixture, ClubWaitListsEachMemberOnceAndEmptiesOnLeaving) {
    auto* wait = Add<CFightClubCVCWaitWin>();
    Wait(wait, 1, 2, 9);
    auto entry = [&](const char* name, uint32_t flags, uint16_t level) {
        auto record = std::make_unique<CCvcEntryMsg>();
        std::strcpy(record->m_name, name);
        record->m_flags = flags;
        record->m_value = level;
        Post(wait, std::move(record));
    };
    entry("ann", 0x400, 10);
    entry("bo", 0x401, 12);
    entry("ann", 0x400, 99);  // listed already: kept as it was
    entry("cy", 0x1, 5);      // not waiting, not listed: nothing
    ASSERT_EQ(wait->Entries().size(), 2u);
    EXPECT_EQ(wait->Entries()[0].name, "ann");
    EXPECT_EQ(wait->Entries()[0].level, 10);
    entry("bo", 0, 12);
    ASSERT_EQ(wait->Entries().size(), 1u);
    Sent();
    ClickChild(wait, "FightClubCVCWaitWin_CLOSE_BUTTON");
    Answer(FIGHT_CVC_WAIT_BOX, true);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Bytes{5} + Npc(kNpc) + Bytes{9, 3, 1}}));
    EXPECT_TRUE(wait->Entries().empty());
    EXPECT_FALSE(wait->IsVisibleInTree());
}

TEST_F(FightClubFixture, ManagerSingleRequestAndTheClubRequestLock) {
    auto* manager = Add<CFightClubManager>();
    manager->SetNpcId(kNpc);
    CBaseWindow* cvc = nullptr;
    for (CBaseWindow* child : *manager->Children())
        if (std::strcmp(child->GetName(), "FightClub_Manager_ReqCVC_BUTTON") == 0) cvc = child;
    ASSERT_NE(cvc, nullptr);
    m_driver.Frame();
    EXPECT_TRUE(cvc->IsDrawOn());
    EXPECT_FALSE(cvc->IsInputOn());  // drawn, but locked until the player is the master
    // The club's refresh names the master from the club window (the one the
    // player's window set made).
    CClubBaseWindow* club = FindClubBaseWindow();
    ASSERT_NE(club, nullptr);
    auto members = [&](std::vector<CClubMemberRecord> entries) {
        club->SetMemberList(uint16_t(entries.size()), 0, entries.data());
        Post(manager, std::make_unique<CSignalMsg>(MSG_FIGHT_MANAGER_REFRESH));
    };
    members({Entry("Me", 1), Entry("ann", 3)});
    EXPECT_EQ(manager->GetClubMaster(), "Me");
    EXPECT_TRUE(manager->CvcAllowed());
    EXPECT_TRUE(cvc->IsInputOn());
    manager->SetCvcLocked(1);
    m_driver.Frame();
    EXPECT_FALSE(cvc->IsInputOn());
    members({Entry("Me", 3), Entry("ann", 1)});
    EXPECT_FALSE(manager->CvcAllowed());
    Sent();
    ClickChild(manager, "FightClub_Manager_ReqPVP_BUTTON");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Bytes{5} + Npc(kNpc) + Bytes{9, 2, 0}}));
    EXPECT_FALSE(manager->IsVisibleInTree());
}

TEST(FightClubNotice, CountSegments) {
    struct Case {
        uint8_t finished;
        int32_t motion;
        uint8_t direction;
        bool last;
    } cases[] = {{10, 2, 12, false}, {12, 2, 14, false}, {14, 2, 0, false}, {0, 2, 2, false},
                 {2, 1, 1, true},    {1, -1, 0, false},  {6, -1, 0, false}};
    for (const Case& c : cases) {
        const FightNoticeSegment next = NextFightNoticeSegment(c.finished);
        EXPECT_EQ(next.motion, c.motion) << int(c.finished);
        if (c.motion < 0) continue;
        EXPECT_EQ(next.direction, c.direction) << int(c.finished);
        EXPECT_EQ(next.last, c.last) << int(c.finished);
    }
}

TEST_F(FightClubFixture, NoticeHoldsSkillsUntilReleased) {
    auto* notice = Add<CFightClubNoticeWin>();
    notice->Reset();
    EXPECT_EQ(g_pCharMgr->m_fightClubMatch, 1);
    notice->Start();
    EXPECT_EQ(notice->GetState(), 1);
    EXPECT_EQ(g_pCharMgr->m_fightClubMatch, 1);  // the count keeps the hold
    g_pCharMgr->m_fightClubMatch = 0;
    notice->Reset();  // mid-count: the still picture and the hold again
    EXPECT_EQ(notice->GetState(), 0);
    EXPECT_EQ(g_pCharMgr->m_fightClubMatch, 1);
    m_driver.Mgr().DeleteAllChildren();
    EXPECT_EQ(g_pCharMgr->m_fightClubMatch, 0);
}

}  // namespace

// ---- The member picker of a club entry ----

namespace {

// A picker with a frame of its own size, for the clicks on its rows.
class SizedPicker : public CFightClubConfig {
public:
    bool UpdateRect() override {
        m_rect = WindowRect{m_x, m_y, m_x + 330, m_y + 270};
        return true;
    }
};

constexpr uint32_t kPlayerId = 2000000;  // character type 0
constexpr uint16_t kHere = 0;

class PickerFixture : public FightClubFixture {
protected:
    void SetUp() override {
        FightClubFixture::SetUp();
        g_pMap = nullptr;  // the player stands on no map: map number 0
        m_picker = Add<SizedPicker>();
        m_picker->OpenFor(kNpc);
        m_picker->SetPosition(200, 150);
    }
    // A club member's record as the club messages post it.
    void Member(const char* name, uint8_t grade, uint16_t level, uint16_t key, uint32_t score,
                uint16_t map = kHere, bool online = true, uint32_t flags = 0, uint32_t type = 0) {
        auto record = std::make_unique<CFightConfigMemberMsg>();
        std::strcpy(record->m_name, name);
        record->m_kind = grade;
        record->m_a = kPlayerId + type;
        record->m_b = level;
        record->m_c = key;
        record->m_d = score;
        record->m_e = map;
        record->m_flag = online;
        record->m_flags = flags;
        Post(m_picker, std::move(record));
    }
    void Limit(uint32_t limit) {
        auto value = std::make_unique<CWindowValueMsg>(MSG_FIGHT_CONFIG_VALUE);
        value->m_value = limit;
        Post(m_picker, std::move(value));
    }
    void ClickRow(int32_t row) {
        m_driver.Click(0, 200 + 150, 150 + 80 + 30 * row + 10);
        m_driver.Frame();
    }
    std::vector<std::string> Chosen() const {
        std::vector<std::string> names;
        for (const auto& m : m_picker->Members())
            if (m.selected) names.push_back(m.name);
        return names;
    }
    std::vector<std::string> ShownNames() const {
        std::vector<std::string> names;
        for (size_t i : m_picker->Shown()) names.push_back(m_picker->Members()[i].name);
        return names;
    }
    CMessageBox* Notice() {
        return dynamic_cast<CMessageBox*>(m_driver.Mgr().FindWindowByName("MESSAGE_BOX", FIGHT_CONFIG_BOX));
    }
    // The master and five members, listed in this order (sort order 3).
    void Team() {
        Member("Me", 1, 30, 0, 10);
        const char* names[] = {"ann", "bo", "cy", "dee", "eve"};
        for (uint16_t i = 0; i < 5; ++i) Member(names[i], 3, 20, uint16_t(1 + i), 5);
    }

    SizedPicker* m_picker = nullptr;
};

TEST_F(PickerFixture, TheLimitHoldsForClicksAndSelectAllAndOkSendsTheChosen) {
    Team();
    Member("zed", 4, 50, 9, 9);  // an applicant is no member
    ASSERT_EQ(ShownNames(), (std::vector<std::string>{"Me", "ann", "bo", "cy", "dee", "eve"}));
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me"}));
    ClickRow(0);  // the master stays chosen
    for (int row = 1; row <= 3; ++row) ClickRow(row);
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me", "ann", "bo", "cy"}));
    EXPECT_EQ(Notice(), nullptr);
    ClickRow(4);  // a fifth of four
    EXPECT_EQ(Chosen().size(), 4u);
    ASSERT_NE(Notice(), nullptr);
    EXPECT_TRUE(Notice()->IsVisibleInTree());
    m_driver.Mgr().RemoveWindow(Notice());
    ClickRow(2);  // a second click takes the choice back
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me", "ann", "cy"}));

    Limit(2);
    ClickChild(m_picker, "FightClub_Config_SELALL_BUTTON");
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me", "ann"}));
    ClickChild(m_picker, "FightClub_Config_DESELALL_BUTTON");
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me"}));
    Limit(0);
    ClickChild(m_picker, "FightClub_Config_SELALL_BUTTON");
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me"}));

    ClickRow(1);
    Sent();
    ClickChild(m_picker, "FightClub_Config_OK_BUTTON");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Bytes{5} + Npc(kNpc) +
                                          Bytes{9, 2, 1, 0, 2, 2, 'M', 'e', 3, 'a', 'n', 'n'}}));
    EXPECT_FALSE(m_picker->IsVisibleInTree());
}

TEST_F(PickerFixture, ATeamTooLongForOneRequestIsRefusedWhole) {
    Limit(0);
    Member("Me", 1, 30, 0, 10);
    // 10 bytes of head, 3 for the master and 19 a member: 13 members make 260 bytes.
    for (int i = 0; i < 13; ++i) {
        const std::string name = "member-of-club-" + std::to_string(100 + i);
        Member(name.c_str(), 3, 20, uint16_t(1 + i), 5);
    }
    for (size_t i = 1; i <= 13; ++i) ASSERT_TRUE(m_picker->ToggleShown(i));
    ASSERT_EQ(m_picker->SelectedCount(), 14);
    Sent();
    ClickChild(m_picker, "FightClub_Config_OK_BUTTON");
    EXPECT_TRUE(Sent().empty());
    ASSERT_NE(Notice(), nullptr);
    EXPECT_TRUE(m_picker->IsVisibleInTree());
    // One name fewer fits (241 bytes).
    m_picker->ToggleShown(1);
    ClickChild(m_picker, "FightClub_Config_OK_BUTTON");
    ASSERT_EQ(Sent().size(), 1u);
}

TEST_F(PickerFixture, AvailabilityByMapOnlineAndBusyAndTheFilter) {
    struct Case {
        const char* name;
        uint16_t map;
        bool online;
        uint32_t flags;
        uint8_t grade;
        bool available;
    } cases[] = {
        {"here", kHere, true, 0x1, 3, true},   {"away", 7, true, 0, 3, false},
        {"asleep", kHere, false, 0, 3, false}, {"busy", kHere, true, 0x200, 3, false},
        {"Me", 7, false, 0x200, 1, true},  // the master always goes
    };
    for (const Case& c : cases) Member(c.name, c.grade, 10, 1, 1, c.map, c.online, c.flags);
    for (const Case& c : cases) {
        auto m = std::find_if(m_picker->Members().begin(), m_picker->Members().end(),
                              [&](const CFightClubConfig::Member& m) { return m.name == c.name; });
        ASSERT_NE(m, m_picker->Members().end());
        EXPECT_EQ(m->available != 0, c.available) << c.name;
    }
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Me", "here"}));
    // A chosen member who walks away loses the choice and leaves the list.
    ClickRow(1);
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me", "here"}));
    Member("here", 3, 10, 1, 1, 7);
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me"}));
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Me"}));
    ClickChild(m_picker, "FightClub_Config_SHOWALLMEMBER_BUTTON");
    EXPECT_FALSE(m_picker->IsAvailableOnly());
    EXPECT_EQ(m_picker->Shown().size(), 5u);
    ClickRow(1);  // an unavailable member cannot be chosen
    EXPECT_EQ(Chosen(), (std::vector<std::string>{"Me"}));
}

TEST_F(PickerFixture, TheFourSortOrders) {
    // name, level, order key, score, type
    Member("lo", 3, 10, 2, 900, kHere, true, 0, 5);
    Member("hi", 3, 60, 3, 100, kHere, true, 0, 1);
    Member("Me", 1, 20, 9, 50, kHere, true, 0, 3);
    Member("mid", 3, 20, 1, 500, kHere, true, 0, 0);
    const std::vector<std::string> orders[4] = {
        {"hi", "Me", "mid", "lo"},  // level, then the master first
        {"lo", "mid", "hi", "Me"},  // score
        {"mid", "hi", "Me", "lo"},  // type
        {"Me", "mid", "lo", "hi"},  // the master, then the order key
    };
    for (int mode = 0; mode < 4; ++mode) {
        m_picker->SetSortMode(mode);
        EXPECT_EQ(ShownNames(), orders[mode]) << mode;
    }
}

}  // namespace
