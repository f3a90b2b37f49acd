// The character create window: the arrows past the types never offered, the
// variants and their values, the name and the request with its answers, and
// the hints beside the values.
#include "windows/play/char_create_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "data/char_resource_mgr.h"
#include "platform/keyboard.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/table_builder.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/message_box.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"

using playtest::PlayWindowTest;

namespace {

std::map<int, std::vector<std::string>> CreateTexts() {
    std::vector<std::string> rows(40);
    rows[20] = "Type a name";
    rows[21] = "Creating";
    return {{14, rows}};
}

// Type t, variant v: label "t.v", resource id of player row 3t + v.
qmtest::TableBuilder TypeTable(int types) {
    qmtest::TableBuilder table(uint32_t(types), 17);
    for (int v = 0; v < 3; ++v) table.Text(5 * v + 2).Text(5 * v + 4).Pair16(5 * v + 5).U32(5 * v + 6);
    for (int t = 0; t < types; ++t)
        for (int v = 0; v < 3; ++v) {
            const std::string id = std::to_string(t) + "." + std::to_string(v);
            table.Set(5 * v + 2, t, "about " + id)
                .Set(5 * v + 4, t, id)
                .Set(5 * v + 6, t, CHAR_PLAYER_BASE + 3 * t + v);
        }
    return table;
}

class CharCreateTest : public PlayWindowTest {
protected:
    CharCreateTest() {
        Connect();
        // Player rows: column 26 a u32, 27-35 u16; row r holds 1000 r + column.
        qmtest::TableBuilder players(12, 36);
        players.Text(2).U32(26);
        for (int c = 27; c <= 35; ++c) players.U16(c);
        for (int r = 0; r < 12; ++r)
            for (int c = 26; c <= 35; ++c) players.Set(c, r, 1000 * r + c);
        m_db.Write(CCharResourceMgr::PLAYER_FILE, players);
        for (int file : {int(CCharResourceMgr::MONSTER_FILE), int(CCharResourceMgr::NPC_FILE),
                         int(CCharResourceMgr::CLASS_ANI_FILE), int(CCharResourceMgr::ID_ANI_FILE),
                         int(CCharResourceMgr::LEVEL_COLOR_FILE), int(CCharResourceMgr::GROUP_FILE)})
            m_db.Write(file, qmtest::TableBuilder(0, 1));
        qmtest::TableBuilder hints(3, 2);
        hints.Text(1).Set(1, 0, "hint 0").Set(1, 1, "hint 1").Set(1, 2, "hint 2");
        m_db.Write(CCharCreateWindow::kHintTable, hints);
        m_resources = std::make_unique<CCharResourceMgr>();
        g_pCharResourceMgr = m_resources.get();
        Open(14);
    }
    ~CharCreateTest() override { g_pCharResourceMgr = nullptr; }
    void Open(int types) {
        if (m_window) m_driver.Mgr().RemoveWindow(m_window);
        m_db.Write(CCharCreateWindow::kTypeTable, TypeTable(types));
        m_window = m_driver.Add(new CCharCreateWindow);
        for (int i = 0; i < CCharCreateWindow::kButtonCount; ++i)
            Face(m_window->GetButton(CCharCreateWindow::Button(i)));
        m_driver.Frame();
    }
    void Click(CBaseWindow* control) {
        m_driver.Click(0, control->GetX() + 5, control->GetY() + 5);
        m_driver.Frame();
    }
    void ClickAt(int32_t x, int32_t y) {
        m_driver.Click(0, x, y);
        m_driver.Frame();
    }
    void Name(const char* name) { m_window->GetNameBox()->SetText(name); }
    size_t Queued() { return GameSession().QueuedMessages(); }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }

    qmtest::ScopedTextTables m_texts{CreateTexts()};
    qmtest::ScopedDatabase m_db;
    std::unique_ptr<CCharResourceMgr> m_resources;
    CCharCreateWindow* m_window = nullptr;
};

TEST_F(CharCreateTest, ArrowsSkipTheTypesNeverOffered) {
    struct Case {
        int types, from;
        bool forward;
        int to;
    };
    const Case cases[] = {
        {14, 3, true, 7},
        {14, 10, true, 0},
        {14, 7, false, 3},
        {14, 0, false, 10},
        {9, 0, false, 8},
        {9, 8, true, 0},
        {11, 0, false, 10},
        {6, 3, true, 0},    // the skip to 7 lies past a table of six:
                            // round to the first
        {20, 10, true, 0},  // fourteen types at most
    };
    for (const Case& c : cases) {
        Open(c.types);
        m_window->SetType(c.from, 2);
        Click(
            m_window->GetButton(c.forward ? CCharCreateWindow::kRightArrow : CCharCreateWindow::kLeftArrow));
        EXPECT_EQ(m_window->GetCurrentType(), c.to) << c.types << " " << c.from << " " << c.forward;
        EXPECT_EQ(m_window->GetVariant(), 0);
    }
    EXPECT_EQ(m_window->GetTypeCount(), 14);
}

TEST_F(CharCreateTest, VariantRowsSetTheResourceAndItsValues) {
    m_window->SetType(2, 2);
    EXPECT_STREQ(m_window->GetLabel(1), "2.1");
    struct Case {
        int32_t x, y;
        int variant;
    };
    // Row (y - 320) / 31 toward zero inside 136 < x < 325 and 318 < y < 412.
    for (const Case& c : {Case{200, 351, 1}, Case{200, 319, 0}, Case{324, 411, 2}, Case{136, 351, 2},
                          Case{200, 412, 2}, Case{200, 382, 2}, Case{137, 350, 0}}) {
        ClickAt(c.x, c.y);
        EXPECT_EQ(m_window->GetVariant(), c.variant) << c.x << "," << c.y;
    }
    EXPECT_EQ(m_window->GetResourceId(), CHAR_PLAYER_BASE + 6);
    for (int i = 0; i < CCharCreateWindow::kValueCount; ++i)
        EXPECT_EQ(m_window->GetValue(i), 6000u + 26 + i) << i;
    // A resource outside the player table shows zeros.
    m_window->SetType(5, 2);
    m_window->SelectVariant(2);
    EXPECT_EQ(m_window->GetResourceId(), CHAR_PLAYER_BASE + 17);
    for (int i = 0; i < CCharCreateWindow::kValueCount; ++i) EXPECT_EQ(m_window->GetValue(i), 0u) << i;
}

TEST_F(CharCreateTest, AnEmptyNameSendsNothing) {
    const size_t queued = Queued();
    const int32_t boxes = MessageBoxes();
    Click(m_window->GetButton(CCharCreateWindow::kOk));
    EXPECT_EQ(Queued(), queued);
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_FALSE(m_window->IsWaiting());
}

TEST_F(CharCreateTest, TheNameBoxTakesSixteenCharacters) {
    Name("abcdefghijklmnop");
    EXPECT_STREQ(m_window->GetNameBox()->GetCurrentText(), "abcdefghijklmnop");
    Name("abcdefghijklmnopq");
    EXPECT_STREQ(m_window->GetNameBox()->GetCurrentText(), "abcdefghijklmnop");
}

TEST_F(CharCreateTest, TheRequestCarriesTheVariantAndARefusalGivesTheControlsBack) {
    m_window->SetType(1, 2);
    m_window->SelectVariant(2);
    Name("bob");
    const size_t queued = Queued();
    Click(m_window->GetButton(CCharCreateWindow::kOk));
    ASSERT_EQ(Queued(), queued + 1);
    const uint32_t id = CHAR_PLAYER_BASE + 5;
    EXPECT_EQ(GameSession().QueuedMessage(queued),
              (std::vector<uint8_t>{44, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id),
                                    3, 'b', 'o', 'b'}));
    EXPECT_EQ(m_window->GetChosenType(), 1);
    EXPECT_TRUE(m_window->IsWaiting());
    EXPECT_FALSE(m_window->IsInputOn());
    EXPECT_FALSE(m_window->GetButton(CCharCreateWindow::kOk)->IsInputOn());
    EXPECT_TRUE(m_window->GetMessageBox()->IsDrawOn());
    GameSession().PostSessionNotice(1, 0, "taken");
    m_driver.Frame();
    EXPECT_FALSE(m_window->IsWaiting());
    EXPECT_TRUE(m_window->IsInputOn());
    EXPECT_FALSE(m_window->GetMessageBox()->IsDrawOn());
    EXPECT_TRUE(m_window->GetButton(CCharCreateWindow::kOk)->IsInputOn());
    EXPECT_EQ(m_window->GetResult(), -1);
}

TEST_F(CharCreateTest, AnUnansweredRequestEndsAfterAMinuteOrALostConnection) {
    Name("bob");
    for (const bool lost : {false, true}) {
        m_driver.SetFrameTime(0);
        Click(m_window->GetButton(CCharCreateWindow::kOk));
        ASSERT_TRUE(m_window->IsWaiting()) << lost;
        const int32_t boxes = MessageBoxes();
        EndWaitUnanswered(lost, SESSION_ANSWER_WAIT_MS, [this] { return m_window->IsWaiting(); });
        EXPECT_FALSE(m_window->IsWaiting()) << lost;
        EXPECT_EQ(MessageBoxes(), boxes + 1) << lost;
        EXPECT_TRUE(m_window->IsInputOn()) << lost;
        EXPECT_FALSE(m_window->GetMessageBox()->IsDrawOn()) << lost;
        EXPECT_TRUE(m_window->GetButton(CCharCreateWindow::kOk)->IsInputOn()) << lost;
        EXPECT_EQ(m_window->GetResult(), -1) << lost;
        Connect();
    }
}

TEST_F(CharCreateTest, AnAcceptedCreationEndsWithTheAnswerBox) {
    Name("bob");
    Click(m_window->GetButton(CCharCreateWindow::kOk));
    GameSession().PostSessionNotice(1, 1, "made");
    m_driver.Frame();
    CMessageBox* box = m_window->GetMessageBox();
    ASSERT_TRUE(box->IsDrawOn());
    EXPECT_EQ(box->GetKindId(), CHAR_CREATED_BOX_KIND);
    EXPECT_TRUE(box->GetOkButton()->IsDrawOn());
    EXPECT_FALSE(box->GetCancelButton()->IsDrawOn());
    EXPECT_STREQ(box->Text().Row(0).front().text, "made");
    Face(box->GetOkButton());
    Click(box->GetOkButton());
    m_driver.Frame();
    EXPECT_EQ(m_window->GetResult(), CHAR_CREATE_DONE);
    EXPECT_FALSE(m_window->IsInputOn());
}

TEST_F(CharCreateTest, EnterInTheNameBoxConfirmsAndBackEnds) {
    m_window->GetNameBox()->SetPosition(174, 445);
    ClickAt(180, 450);  // opens the box
    ASSERT_TRUE(m_window->GetNameBox()->IsFocused());
    Name("amy");
    const size_t queued = Queued();
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(Queued(), queued + 1);
    GameSession().PostSessionNotice(1, 0, "no");
    m_driver.Frame();
    Click(m_window->GetButton(CCharCreateWindow::kBack));
    EXPECT_EQ(m_window->GetResult(), CHAR_CREATE_DONE);
}

TEST_F(CharCreateTest, BusyIgnoresClicks) {
    m_window->SetBusy(true);
    Click(m_window->GetButton(CCharCreateWindow::kRightArrow));
    ClickAt(200, 382);
    EXPECT_EQ(m_window->GetCurrentType(), 0);
    EXPECT_EQ(m_window->GetVariant(), 0);
}

TEST_F(CharCreateTest, TheValueLinesShowTheirHints) {
    struct Case {
        int32_t y;
        int row;
    };
    // Lines of 15 pixels from y 306, toward zero: 0-2 rows 7-9, 5-11 rows 0-6.
    for (const Case& c : {Case{292, 7}, Case{291, -1}, Case{336, 9}, Case{351, -1}, Case{381, 0},
                          Case{471, 6}, Case{486, -1}})
        EXPECT_EQ(CCharCreateWindow::HintRowAt(c.y), c.row) << c.y;
    // Table 18 has three rows: row 1 shows, row 6 clears the text.
    m_driver.Cursor().m_text = "old";
    m_driver.MoveTo(500, 396);
    m_driver.Frame();
    EXPECT_EQ(m_driver.Cursor().m_text, "hint 1");
    m_driver.MoveTo(500, 471);
    m_driver.Frame();
    EXPECT_EQ(m_driver.Cursor().m_text, "");
}

TEST_F(CharCreateTest, DrawingLeavesTheCharacterOptionAsItWas) {
    std::strcpy(g_textBuffers[0], "Knight");
    g_options.SetByte(32, 0);
    m_driver.DrawFrames(true);
    m_driver.Frame(2);
    EXPECT_EQ(g_options.GetByte(32), 0);
    g_textBuffers[0][0] = '\0';
}

}  // namespace
