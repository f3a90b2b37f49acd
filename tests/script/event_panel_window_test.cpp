// The event panel with the player's team: the rows its opening makes from
// the team list and the ready ids, the members' answers, and START and
// CLOSE clicked through the input queue with the requests they send.
#include "script/event_panel_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/session_capture.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/button.h"
#include "world/chars/char_controller.h"

namespace {

using Bytes = std::vector<uint8_t>;

class PanelTest : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        m_session = std::make_unique<qmtest::SessionCapture>();
        m_driver.UseCursor();
        m_player = MakePlayer(1);
        ASSERT_NE(m_player, nullptr);
        ASSERT_NE(Other(2, "Ann"), nullptr);
        m_panel = m_driver.Add(new CEventPanelWindow);
        for (CButton* b : {m_panel->GetCloseButton(), m_panel->GetStartButton()}) b->SetImage(40, 14, "");
    }
    void TearDown() override {
        m_driver.Mgr().DeleteAllChildren();
        m_session.reset();
        CharFixture::TearDown();
    }

    // Another player on the field.
    CChar* Other(uint32_t id, const char* name) {
        CCharCreateFields f;
        f.m_charId = id;
        f.m_resourceId = chartest::kPlayerRes + 1;
        f.m_tileX = 5;
        f.m_tileY = 5;
        CopyRecordText(f.m_name, name);
        CCharCreateMsg msg;
        msg.Set(f);
        return m_mgr->AddOrUpdateChar(msg);
    }
    // The player's team list, in order; state 3 marks a member who is away.
    void Team(const std::vector<std::pair<const char*, uint8_t>>& members) {
        CTeam& team = m_player->GetData()->Party();
        team.Clear();
        for (const auto& [name, state] : members) {
            CTeamMember fields;
            CopyRecordText(fields.m_name, name);
            fields.m_state = state;
            team.AddOrUpdateMember(fields, "Me");
        }
    }
    std::vector<uint32_t> States() const {
        std::vector<uint32_t> out;
        for (uint32_t i = 0; i < m_panel->GetMemberCount(); ++i) out.push_back(m_panel->GetRow(int(i)).state);
        return out;
    }
    void ClickOn(CButton* button) {
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
    std::vector<Bytes> Sent() { return m_session->Sent(); }

    std::unique_ptr<qmtest::SessionCapture> m_session;
    uitest::RecordingSound m_uiSound;
    ScopedUiSound m_scopedUiSound{m_uiSound};
    qmtest::WindowDriver m_driver;
    CChar* m_player = nullptr;
    CEventPanelWindow* m_panel = nullptr;
};

TEST_F(PanelTest, OpeningListsTheTeamWithWhoIsReady) {
    const uint32_t W = EVENT_MEMBER_WAITING, R = EVENT_MEMBER_READY, O = EVENT_MEMBER_OFFLINE;
    const struct {
        const char* name;
        const char* leader;
        std::vector<uint32_t> ready;
        std::vector<uint32_t> states;  // Me or the leader first, Ann, Bob, Cat (away)
    } cases[] = {
        {"Ann ready", "Me", {2}, {R, R, W, O}},
        // The player's own row is ready; an id outside the team changes no row.
        {"a stranger ready", "Me", {99}, {R, W, W, O}},
        // Two ready, or one while the player does not lead: everyone is ready.
        {"two ready", "Me", {2, 99}, {R, R, R, R}},
        {"one ready, led by Ann", "Ann", {99}, {R, R, R, R}},
        {"none ready", "Me", {}, {W, W, W, O}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.leader) == "Me")
            Team({{"Me", 1}, {"Ann", 1}, {"Bob", 1}, {"Cat", 3}});
        else
            Team({{"Ann", 1}, {"Me", 1}, {"Bob", 1}, {"Cat", 3}});
        const uint8_t values[] = {5, 6};
        ASSERT_TRUE(m_panel->OpenPanel(31, uint8_t(c.ready.size()), c.ready.data(), 2, values));
        std::vector<uint32_t> states = c.states;
        if (std::string(c.leader) == "Ann") std::swap(states[0], states[1]);
        EXPECT_EQ(States(), states);
        EXPECT_EQ(m_panel->IsLeader(), std::string(c.leader) == "Me");
        EXPECT_TRUE(m_panel->IsDrawOn());
        EXPECT_EQ(m_panel->GetEventId(), 31u);
        EXPECT_EQ(m_panel->GetValueCount(), 2u);
        EXPECT_EQ(m_panel->GetValue(1), 6u);
        m_panel->ClosePanel();
        EXPECT_FALSE(m_panel->IsDrawOn());
    }
}

TEST_F(PanelTest, TheListShowsTheReadyOnTheLeftAndTheOthersOnTheRight) {
    Team({{"Me", 1}, {"Ann", 1}, {"Bob", 1}, {"Cat", 3}});
    const uint32_t ann = 2;
    ASSERT_TRUE(m_panel->OpenPanel(31, 1, &ann, 0, nullptr));
    ASSERT_EQ(m_panel->GetX(), 100);
    const struct {
        int32_t x, y;
        int32_t row;
    } points[] = {
        {10, 80, 0},    // the first ready slot: Me
        {10, 112, 1},   // the second: Ann
        {150, 80, -1},  // the second column holds no one yet
        {280, 80, 2},   // the others: Bob, then Cat
        {280, 112, 3}, {280, 143, -1}, {4, 80, -1}, {10, 77, -1}, {10, 295, -1}, {411, 80, -1},
    };
    for (const auto& p : points) EXPECT_EQ(m_panel->RowAt(100 + p.x, 100 + p.y), p.row) << p.x << "," << p.y;
}

TEST_F(PanelTest, MembersAnswer) {
    Team({{"Me", 1}, {"Ann", 1}, {"Bob", 1}});
    ASSERT_TRUE(m_panel->OpenPanel(31, 0, nullptr, 0, nullptr));
    EXPECT_TRUE(m_panel->SetMemberAnswer(2, 1));
    EXPECT_EQ(m_panel->GetRow(1).state, EVENT_MEMBER_READY);
    EXPECT_TRUE(m_panel->SetMemberAnswer(2, 0));
    EXPECT_EQ(m_panel->GetRow(1).state, EVENT_MEMBER_WAITING);
    // Bob is not on the field: his answer is ignored.
    EXPECT_FALSE(m_panel->SetMemberAnswer(3, 1));
    EXPECT_EQ(m_panel->GetRow(2).state, EVENT_MEMBER_WAITING);
}

TEST_F(PanelTest, StartIsTheLeadersOnceAllowedAndCloseDeclines) {
    const struct {
        const char* name;
        bool leads;
    } cases[] = {{"leader", true}, {"member", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Team(c.leads ? std::vector<std::pair<const char*, uint8_t>>{{"Me", 1}, {"Ann", 1}}
                     : std::vector<std::pair<const char*, uint8_t>>{{"Ann", 1}, {"Me", 1}});
        ASSERT_TRUE(m_panel->OpenPanel(31, 0, nullptr, 0, nullptr));
        m_driver.Frame();
        EXPECT_FALSE(m_panel->GetStartButton()->IsDrawOn());  // not allowed yet
        m_panel->SetHighlight(1);
        m_driver.Frame();
        EXPECT_EQ(m_panel->GetStartButton()->IsDrawOn(), c.leads);
        m_uiSound.plays.clear();
        ClickOn(m_panel->GetStartButton());
        if (c.leads) {
            EXPECT_EQ(Sent(), (std::vector<Bytes>{{39, 1}}));
            ASSERT_EQ(m_uiSound.plays.size(), 1u);
            EXPECT_EQ(m_uiSound.plays[0].id, 77);
            EXPECT_TRUE(m_panel->IsDrawOn());  // open until the server closes it
        } else {
            EXPECT_TRUE(Sent().empty());
            EXPECT_TRUE(m_uiSound.plays.empty());
        }
        ClickOn(m_panel->GetCloseButton());
        EXPECT_EQ(Sent(), (std::vector<Bytes>{{39, 0}}));
        EXPECT_FALSE(m_panel->IsDrawOn());
        m_panel->SetHighlight(0);
    }
    // CLOSE declines with an empty team list too.
    Team({});
    ASSERT_TRUE(m_panel->OpenPanel(31, 0, nullptr, 0, nullptr));
    EXPECT_EQ(m_panel->GetMemberCount(), 0u);
    m_driver.Frame();
    ClickOn(m_panel->GetCloseButton());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{39, 0}}));
}

TEST_F(PanelTest, WithoutAPlayerThePanelStaysHidden) {
    m_mgr->SetPlayerChar(nullptr);
    EXPECT_FALSE(m_panel->OpenPanel(31, 0, nullptr, 0, nullptr));
    EXPECT_FALSE(m_panel->IsDrawOn());
}

}  // namespace
