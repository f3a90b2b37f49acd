// The fight club's windows: the manager's requests and the club request's
// lock, the waiting windows' leave confirmation, minimizing and club list,
// and the start notice's count and skill hold. Clicks go through the input
// queue; the server's records reach the windows through their ports.
#include "windows/community/fight_club_windows.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/message.h"
#include "net/handlers/window_records.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/message_box.h"
#include "world/chars/char_mgr.h"

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
