// The club's join and make windows, the emblem picker and the grade prompt, driven through the
// window manager's input queue over the club window's test bed.
#include "windows/community/club_forms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/handlers/window_records.h"
#include "platform/keyboard.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "windows/community/club_grade_input.h"
#include "windows/community/club_mark_window.h"
#include "windows/community/club_rules.h"

namespace {

using namespace clubtest;

class ClubFormsTest : public ClubFixture {
protected:
    // Clicks the middle of a button of a dialog.
    void Press(CButton* button) {
        ASSERT_NE(button, nullptr);
        if (!button->GetImage()) button->SetImage(40, 14, "");
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
    void Post(CBaseWindow* window, std::unique_ptr<CMsgPayload> record) {
        const uint32_t id = record->m_id;
        PostMessageToPort(0, window->GetPort(), 0, id, std::move(record), nullptr);
        m_driver.Frame();
    }
    std::unique_ptr<CClubInfoMsg> JoinInfo(const std::string& name) {
        auto info = std::make_unique<CClubInfoMsg>();
        info->m_id = MSG_CLUB_JOIN_INFO;
        info->m_a = 9;
        std::strncpy(info->m_text1, name.c_str(), sizeof info->m_text1 - 1);
        std::strcpy(info->m_text2, "Birch");
        info->m_value3 = 30;
        info->m_value4 = 4;
        info->m_value12 = 27;
        return info;
    }
    void Restore() { g_config.m_clientVersion = m_version; }
    uint16_t m_version = g_config.m_clientVersion;
};

TEST_F(ClubFormsTest, JoinWindowSendsTheApplication) {
    auto* join = m_driver.Add(new CClubJoinWindow);
    EXPECT_FALSE(join->IsDrawOn());
    Post(join, JoinInfo("Pine"));
    ASSERT_TRUE(join->IsDrawOn());
    EXPECT_EQ(join->GetClubName(), "Pine");
    EXPECT_EQ(join->GetEmblem(), 27u);
    Sent();
    Press(join->GetRequestButton());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 5, Bytes{1} + Text("Pine") + Text("Me") + Bytes{4})}));
    EXPECT_FALSE(join->IsDrawOn());
    // A club name of 50 bytes goes; one of 51 does not.
    for (const size_t length : {size_t(50), size_t(51)}) {
        Post(join, JoinInfo(std::string(length, 'c')));
        Press(join->GetRequestButton());
        EXPECT_EQ(Sent().size(), length == 50 ? 1u : 0u) << length;
        EXPECT_FALSE(join->IsDrawOn());
    }
    // The close button sends nothing.
    Post(join, JoinInfo("Pine"));
    Press(join->GetCloseButton());
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(join->IsDrawOn());
}

TEST_F(ClubFormsTest, MakeWindowFoundsAClub) {
    auto* make = m_driver.Add(new CClubMakeWindow);
    EXPECT_EQ(make->GetKind(), 1);
    EXPECT_EQ(make->GetEditBox(CLUB_MAKE_MIN_LEVEL)->GetCurrentText(), std::string("1"));
    EXPECT_EQ(make->GetEditBox(CLUB_MAKE_MAX_LEVEL)->GetCurrentText(), std::string("255"));
    EXPECT_EQ(make->GetEditBox(CLUB_MAKE_INTRO)->GetMaxLength(), 200u);
    auto values = std::make_unique<CClubMakeValuesMsg>();
    values->m_a = 2;
    values->m_b = 5;
    Post(make, std::move(values));
    EXPECT_EQ(make->GetKind(), 2);
    EXPECT_EQ(make->GetOption(), 5);
    make->Show();
    make->SetActive(true, false);
    Sent();

    // An empty name asks for one and keeps what was typed.
    m_driver.Click(0, 100 + 100, 100 + 95);  // the homepage field
    m_driver.Frame();
    m_driver.Type("http://pine");
    m_driver.Frame();
    EXPECT_EQ(make->GetEditBox(CLUB_MAKE_HOMEPAGE)->GetCurrentText(), std::string("http://pine"));
    Press(make->GetOkButton());
    EXPECT_TRUE(Sent().empty());
    EXPECT_NE(m_driver.Mgr().FindWindowByName("MESSAGE_BOX"), nullptr);
    EXPECT_TRUE(make->IsDrawOn());
    EXPECT_EQ(make->GetEditBox(CLUB_MAKE_HOMEPAGE)->GetCurrentText(), std::string("http://pine"));

    // The name typed into its field; the request carries the option byte from version 191.
    struct Case {
        uint16_t version;
        Bytes head;
    } cases[] = {{191, Bytes{2, 5}}, {190, Bytes{2}}};
    for (const Case& c : cases) {
        g_config.m_clientVersion = c.version;
        make->Show();
        make->SetActive(true, false);
        m_driver.Click(0, 100 + 200, 100 + 40);
        m_driver.Frame();
        m_driver.Type("Pine");
        make->GetEditBox(CLUB_MAKE_MIN_LEVEL)->SetText("5");
        make->GetEditBox(CLUB_MAKE_MAX_LEVEL)->SetText("90");
        make->GetEditBox(CLUB_MAKE_HOMEPAGE)->SetText("http://pine");
        make->GetEditBox(CLUB_MAKE_INTRO)->SetText("Tall trees.");
        m_driver.Frame();
        Press(make->GetOkButton());
        EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(61, 1,
                                                      c.head + Text("Pine") + Bytes{0, 5, 0, 90} +
                                                          Text("http://pine") + Text("Tall trees."))}))
            << c.version;
        EXPECT_FALSE(make->IsDrawOn());
        for (int32_t f : {CLUB_MAKE_NAME, CLUB_MAKE_HOMEPAGE, CLUB_MAKE_INTRO})
            EXPECT_EQ(make->GetEditBox(f)->GetCurrentText(), std::string()) << f;
    }
    Restore();
}

TEST(ClubMarkCells, HitTest) {
    struct Case {
        int32_t x, y, cell;
    } cases[] = {{11, 33, 0},    {32, 54, 0},    {33, 54, -1},  {10, 33, -1},   {42, 33, 1},   {156, 178, 24},
                 {135, 130, 19}, {8, 40, -1},    {163, 40, -1}, {20, 186, -1},  {20, 30, -1},  {60, 60, -1},
                 {60, 70, 6},    {140, 160, 24}, {20, 100, 10}, {110, 110, 13}, {157, 100, -1}};
    for (const Case& c : cases) EXPECT_EQ(ClubMarkCellAt(c.x, c.y), c.cell) << c.x << "," << c.y;
}

TEST_F(ClubFormsTest, EmblemPickerSendsOnlyANewEmblem) {
    Join(1);  // the club holds emblem 26
    Members({Entry("Me", 1)});
    auto* marks = m_driver.Add(new CClubMarkWindow);
    EXPECT_EQ(marks->GetSheetCount(), 0u);  // no "Club_Mark#1" here
    EXPECT_EQ(marks->GetCellCount(), 0);
    struct Case {
        uint32_t chosen;
        std::vector<Bytes> sent;
    } cases[] = {{26, {}}, {0, {}}, {3, {Request(61, 4, Bytes{7, 1, 0, 0, 0, 3})}}, {3, {}}};
    for (const Case& c : cases) {
        marks->Show();
        marks->SetActive(true, false);
        marks->SetCurrentMark(c.chosen);
        Sent();
        Press(marks->GetConfirmButton());
        EXPECT_EQ(Sent(), c.sent) << c.chosen;
        EXPECT_FALSE(marks->IsDrawOn());
    }
    EXPECT_EQ(m_club->GetEmblem(), 3u);
    // Cancel keeps the club's emblem.
    marks->Show();
    marks->SetCurrentMark(9);
    Press(marks->GetCancelButton());
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(marks->IsDrawOn());
}

}  // namespace

// The grade prompt typed into and answered through the input queue: 0 or an
// empty box keeps it open, a number from 1 closes it with the result 1 (999
// too: the owner decides what it takes), Escape always closes it with 0.
TEST_F(ClubFormsTest, GradeInputAnswers) {
    auto* prompt = m_driver.Add(new CClubGradeInputWin);
    prompt->SetPosition(200, 200);
    EXPECT_EQ(prompt->GetValue(), -1);
    struct Case {
        const char* typed;
        uint8_t key;  // VK_RETURN, VK_ESCAPE or 0 for the OK button
        bool open;
        uint8_t result;
        int32_t value;
    } cases[] = {{"", 0, true, 0, 0},
                 {"0", plat::VK_RETURN, true, 0, 0},
                 {"12", 0, false, 1, 12},
                 {"999", plat::VK_RETURN, false, 1, 999},
                 {"7", plat::VK_ESCAPE, false, 0, 999},
                 {"", plat::VK_ESCAPE, false, 0, 999}};
    for (const Case& c : cases) {
        prompt->Hide();
        prompt->GetEditBox()->SetText("");
        prompt->Show();
        prompt->SetActive(true, false);
        m_driver.Frame();
        ASSERT_TRUE(prompt->GetEditBox()->IsFocused()) << c.typed;
        m_driver.Type(c.typed);
        m_driver.Frame();
        if (c.key == 0) {
            Press(prompt->GetOkButton());
        } else {
            m_driver.Key(0, c.key);
            m_driver.Frame();
        }
        EXPECT_EQ(prompt->IsDrawOn(), c.open) << c.typed << " " << int(c.key);
        EXPECT_EQ(prompt->GetResult(), c.result) << c.typed << " " << int(c.key);
        EXPECT_EQ(prompt->GetValue(), c.value) << c.typed << " " << int(c.key);
    }
    // Cancel after a confirmed number: the result is 0 again.
    prompt->Show();
    Press(prompt->GetCancelButton());
    EXPECT_FALSE(prompt->IsDrawOn());
    EXPECT_EQ(prompt->GetResult(), 0);
}
