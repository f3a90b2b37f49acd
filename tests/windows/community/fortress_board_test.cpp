// The fortress board: what opening asks, the records and the list of
// proclaimed clubs it takes in its port, its buttons by state and by the
// player's club, and war proclaimed through the input queue.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "net/handlers/window_records.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/message_box.h"
#include "windows/community/fortress_board_win.h"

namespace {

using namespace clubtest;

class FortressBoardTest : public ClubFixture {
protected:
    void SetUp() override {
        ClubFixture::SetUp();
        m_board = m_driver.Add(new CFortressBoardWin);
        for (const char* name : kButtons) m_board->GetButton(name)->SetImage(40, 14, "");
    }
    void Post(std::unique_ptr<CMsgPayload> record) {
        const uint32_t id = record->m_id;
        PostMessageToPort(0, m_board->GetPort(), 0, id, std::move(record), nullptr);
        m_driver.Frame();
    }
    // A board record: its kind's id, the first and second club's names.
    void Board(uint32_t id, const char* first = "", const char* second = "") {
        auto record = std::make_unique<CFortressBoardMsg>(id);
        std::strcpy(record->m_text, "North Keep");
        std::strcpy(record->m_first.m_name, first);
        record->m_first.m_flag = first[0] ? 1 : 0;
        std::strcpy(record->m_second.m_name, second);
        Post(std::move(record));
    }
    void Names(const std::vector<std::string>& names) {
        auto record = std::make_unique<CFortressNamesMsg>();
        for (const std::string& n : names) record->m_names.emplace_back(n.c_str(), n.c_str() + n.size() + 1);
        Post(std::move(record));
    }
    std::string Shown() {
        std::string out;
        for (const char* name : kButtons) out += m_board->GetButton(name)->IsDrawOn() ? '1' : '0';
        return out.substr(1);  // proclamation, cancel war, in progress
    }
    void Press(const char* name) {
        CButton* button = m_board->GetButton(name);
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
    static constexpr const char* kButtons[4] = {
        "FORTRESS_BOARD_WIN_CLOSE_BUTTON", "FORTRESS_BOARD_WIN_PROCLAMATION_BUTTON",
        "FORTRESS_BOARD_WIN_CANCEL_WAR_BUTTON", "FORTRESS_BOARD_WIN_ING_BUTTON"};
    CFortressBoardWin* m_board = nullptr;
};

TEST_F(FortressBoardTest, OpeningAsksAndRecordsSetTheState) {
    Sent();
    m_board->Show();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(72, 0), Request(72, 2)}));
    EXPECT_EQ(m_board->GetState(), FORTRESS_STATE_NONE);
    struct Case {
        uint32_t id, state;
    } cases[] = {{MSG_FORTRESS_TEXT, FORTRESS_STATE_NAME},
                 {MSG_FORTRESS_ONE_CLUB, FORTRESS_STATE_ONE_CLUB},
                 {MSG_FORTRESS_TWO_CLUBS, FORTRESS_STATE_TWO_CLUBS},
                 {MSG_FORTRESS_CLUB_VALUE, FORTRESS_STATE_WAR},
                 {MSG_FORTRESS_NAMES + 100, FORTRESS_STATE_WAR}};  // not a board record: nothing
    for (const Case& c : cases) {
        auto record = std::make_unique<CFortressBoardMsg>(c.id);
        std::strcpy(record->m_text, "North Keep");
        std::strcpy(record->m_first.m_name, "Oak");
        record->m_first.m_flag = 1;
        Post(std::move(record));
        EXPECT_EQ(m_board->GetState(), c.state) << c.id;
        EXPECT_EQ(m_board->GetFortressName(), "North Keep");
    }
    // The second club has no presence byte: it is there when it has a name.
    Board(MSG_FORTRESS_TWO_CLUBS, "Oak", "");
    EXPECT_EQ(m_board->GetClub(1).present, 0);
    Board(MSG_FORTRESS_TWO_CLUBS, "Oak", "Pine");
    EXPECT_EQ(m_board->GetClub(1).present, 1);
    // The portraits stand for the four monster rows (none here: all 0).
    EXPECT_EQ(m_board->GetPortraitId(0), 2100347u);
    EXPECT_EQ(m_board->GetPortraitId(3), 2100478u);
    ASSERT_NE(m_board->GetPortrait(2), nullptr);
    EXPECT_EQ(m_board->GetPortrait(2)->GetCurrentMotionId(), 0);
}

TEST_F(FortressBoardTest, ButtonsByStateAndClub) {
    Join(1);  // the player is the master of "Oak"
    Members({Entry("Me", 1)});
    const std::vector<std::string> eight = {"a", "b", "c", "d", "e", "f", "g", "h"};
    std::vector<std::string> eightWithOak = eight;
    eightWithOak[7] = "Oak";
    struct Case {
        const char* what;
        uint32_t id;
        const char *first, *second;
        std::vector<std::string> names;
        std::string shown;  // proclamation, cancel war, in progress
    } cases[] = {
        {"name only", MSG_FORTRESS_TEXT, "", "", {}, "100"},
        {"listed", MSG_FORTRESS_TEXT, "", "", {"Oak"}, "010"},
        {"eight others: nobody may proclaim", MSG_FORTRESS_TEXT, "", "", eight, "000"},
        {"eight with us: cancel still shown", MSG_FORTRESS_TEXT, "", "", eightWithOak, "010"},
        {"we hold it: unchanged", MSG_FORTRESS_ONE_CLUB, "Oak", "", {}, "010"},
        {"another holds it", MSG_FORTRESS_ONE_CLUB, "Pine", "", {}, "100"},
        {"we are second", MSG_FORTRESS_TWO_CLUBS, "Pine", "Oak", {}, "110"},
        {"two others, listed", MSG_FORTRESS_TWO_CLUBS, "Pine", "Elm", {"Oak"}, "010"},
        {"war", MSG_FORTRESS_CLUB_VALUE, "Pine", "Elm", {"Oak"}, "001"},
    };
    for (const Case& c : cases) {
        Board(c.id, c.first, c.second);
        Names(c.names);
        EXPECT_EQ(Shown(), c.shown) << c.what;
    }
    // A war record alone leaves the buttons until the next list.
    Board(MSG_FORTRESS_TEXT);
    Names({});
    Board(MSG_FORTRESS_CLUB_VALUE, "Pine", "Elm");
    EXPECT_EQ(Shown(), "100");
    // A ninth name is dropped.
    Names({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
    EXPECT_EQ(m_board->GetProclaimed().size(), 8u);
    EXPECT_EQ(Shown(), "001");
}

TEST_F(FortressBoardTest, ProclaimingWar) {
    Join(1);
    Members({Entry("Me", 1)});
    m_board->Show();
    m_board->SetActive(true, false);
    Board(MSG_FORTRESS_TEXT);
    Names({});
    Sent();
    // Nobody has proclaimed yet: at once.
    Press("FORTRESS_BOARD_WIN_PROCLAMATION_BUTTON");
    const std::vector<Bytes> three = {Request(72, 1), Request(72, 0), Request(72, 2)};
    EXPECT_EQ(Sent(), three);
    // With a club listed, the question first; its OK sends.
    Names({"Pine"});
    Press("FORTRESS_BOARD_WIN_PROCLAMATION_BUTTON");
    EXPECT_TRUE(Sent().empty());
    auto* box =
        dynamic_cast<CMessageBox*>(m_driver.Mgr().FindWindowByName("MESSAGE_BOX", FORTRESS_BOX_PROCLAIM));
    ASSERT_NE(box, nullptr);
    box->GetOkButton()->SetImage(40, 14, "");
    box->GetOkButton()->UpdateRect();
    const WindowRect r = box->GetOkButton()->GetRect();
    m_driver.Click(0, r.left + 5, r.top + 5);
    m_driver.Frame(2);
    EXPECT_EQ(Sent(), three);
    // Close hides the board.
    Press("FORTRESS_BOARD_WIN_CLOSE_BUTTON");
    EXPECT_FALSE(m_board->IsDrawOn());
}

}  // namespace
