// The club storage: who may manage and take each item, the five orders,
// the drop-down's requests and the grade prompt through the input queue,
// money in and out, the log and its scroll bar, the server's records in
// its port, playing offline, and closing at the NPC.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/item_table_mgr.h"
#include "net/handlers/window_records.h"
#include "platform/keyboard.h"
#include "tests/ui/items/item_fixture.h"
#include "tests/windows/community/club_fixture.h"
#include "ui/edit_box.h"
#include "ui/items/item_icon.h"
#include "ui/number_input_window.h"
#include "ui/scroll_bar.h"
#include "windows/community/club_deposit_win.h"
#include "windows/community/club_grade_input.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

using namespace clubtest;
using itemtest::Row;

// A storage request at NPC 9: function 7 with kind 1, or 10 for the own club.
Bytes Storage(uint8_t action, const Bytes& rest = {}, bool own = false) {
    Bytes out = {5, 0, 0, 0, 9};
    if (own)
        out.push_back(10);
    else
        out.insert(out.end(), {7, 1});
    out.push_back(action);
    return out + rest;
}

Bytes U32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

TEST(ClubDepositRules, PermissionsByStandingDepositorAndLimit) {
    struct Case {
        const char* what;
        bool master;
        uint32_t grade, key;
        const char* depositor;
        int32_t limit;
        uint8_t own, takeable;
    } cases[] = {{"the master manages all", true, 1, 0, "Ann", 0, 1, 1},
                 {"the depositor manages his", false, 3, 0, "Me", 0, 1, 1},
                 {"every member", false, 3, 0, "Ann", -2, 0, 1},
                 {"master and grade 2: grade 2", false, 2, 0, "Ann", -1, 0, 1},
                 {"master and grade 2: grade 3", false, 3, 1, "Ann", -1, 0, 0},
                 {"master only: grade 2", false, 2, 1, "Ann", 0, 0, 0},
                 {"a key within the limit", false, 3, 3, "Ann", 3, 0, 1},
                 {"a key above the limit", false, 3, 4, "Ann", 3, 0, 0},
                 {"no key", false, 3, 0, "Ann", 3, 0, 0},
                 {"grade 2 under any limit", false, 2, 0, "Ann", 3, 0, 1}};
    for (const Case& c : cases) {
        ClubDepositViewer viewer;
        viewer.master = c.master;
        viewer.grade = c.grade;
        viewer.orderKey = c.key;
        viewer.name = "Me";
        uint8_t own = 9, takeable = 9;
        ClubDepositPermissions(viewer, c.depositor, c.limit, &own, &takeable);
        EXPECT_EQ(own, c.own) << c.what;
        EXPECT_EQ(takeable, c.takeable) << c.what;
    }
}

TEST(ClubDepositRules, LimitTextsAndTheLog) {
    EXPECT_EQ(ClubDepositLimitRow(-2), 444);
    EXPECT_EQ(ClubDepositLimitRow(-1), 570);
    EXPECT_EQ(ClubDepositLimitRow(0), 442);
    EXPECT_EQ(ClubDepositLimitRow(7), 445);
    std::vector<CDatedLine> lines(2);
    std::strcpy(lines[0].m_text, "Ann put in a Sword");
    std::strcpy(lines[1].m_text, "Bo took out 20 gold");
    const std::string log = FormatDepositLog(lines);
    // Each line dated, ended by the rich text's line break.
    EXPECT_EQ(std::count(log.begin(), log.end(), '['), 2);
    EXPECT_NE(log.find("]Ann put in a Sword\\n["), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\\n");
    EXPECT_EQ(FormatDepositLog({}), "");
}

class ClubDepositTest : public ClubFixture {
protected:
    void SetUp() override {
        ClubFixture::SetUp();
        qmtest::TableBuilder items = itemtest::ItemTable();
        items.U8(ITEM_COL_SORT_2).U32(ITEM_COL_LIST_SORT);
        // Second keys and list keys: Potion 2/30, Scroll 1/10, Bomb 3/20, Fragile 2/40.
        const int rows[4] = {itemtest::kPotion, itemtest::kScroll, itemtest::kBomb, itemtest::kFragile};
        const int second[4] = {2, 1, 3, 2}, list[4] = {30, 10, 20, 40};
        for (int i = 0; i < 4; ++i)
            items.Set(ITEM_COL_SORT_2, rows[i], second[i]).Set(ITEM_COL_LIST_SORT, rows[i], list[i]);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        m_previousTables = g_pItemTableMgr;
        g_pItemTableMgr = new CItemTableMgr;
        m_driver.DrawFrames(true);
        m_deposit = m_driver.Add(new CClubDepositWin);
        m_deposit->SetPosition(200, 100);
        m_deposit->Show();
        m_deposit->SetNpcId(9);
        Sent();
    }
    void TearDown() override {
        m_driver.Mgr().DeleteAllChildren();
        delete g_pItemTableMgr;
        g_pItemTableMgr = m_previousTables;
        ClubFixture::TearDown();
    }
    // The player's club and grade; what joining asked for is dropped.
    void JoinAs(uint8_t grade) {
        Join(grade);
        Sent();
    }
    void Item(uint8_t slot, Row row, const char* depositor, int32_t limit = -2, uint32_t b = 0) {
        m_deposit->AddItem(slot, itemtest::kIds[row], 3, nullptr, nullptr, CItemRecord(), depositor, limit, 0,
                           b);
    }
    std::vector<std::string> Order() const {
        std::vector<std::string> out;
        for (const auto& e : m_deposit->Entries()) out.push_back(e->icon->GetName());
        return out;
    }
    void ClickAt(int32_t x, int32_t y, uint32_t button = 0) {
        m_driver.Click(button, x, y);
        m_driver.Frame();
    }
    void Press(CButton* button) {
        ASSERT_NE(button, nullptr);
        if (!button->GetImage()) button->SetImage(20, 14, "");
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    CItemIconFactory m_factory;
    ScopedItemObjectFactory m_useFactory{m_factory};
    CItemTableMgr* m_previousTables = nullptr;
    CClubDepositWin* m_deposit = nullptr;
};

TEST_F(ClubDepositTest, AMemberManagesHisOwnItemsAndTakesWhatTheLimitAllows) {
    JoinAs(3);
    Members({Entry("Elder", 1), Entry("Me", 3, 4)});
    Item(1, itemtest::kPotion, "Elder", 0);  // master only
    Item(2, itemtest::kScroll, "Me", 0);     // his own
    Item(3, itemtest::kBomb, "Elder", 5);    // key 4 within 5
    ASSERT_EQ(m_deposit->Entries().size(), 3u);
    for (const auto& e : m_deposit->Entries()) {
        const std::string name = e->icon->GetName();
        EXPECT_EQ(e->own, name == "Scroll" ? 1 : 0) << name;
        EXPECT_EQ(e->takeable, name == "Potion" ? 0 : 1) << name;
        EXPECT_EQ(e->icon->IsDisabled(), name == "Potion") << name;
    }
    // Only the row of his own item offers the drop-down.
    m_driver.Frame();
    for (int32_t row = 0; row < 3; ++row) {
        const bool own = m_deposit->Entries()[size_t(row)]->own != 0;
        EXPECT_EQ(m_deposit->GetDropDownButton(row)->IsDrawOn(), own) << row;
    }
    EXPECT_FALSE(m_deposit->GetDropDownButton(3)->IsDrawOn());
}

TEST_F(ClubDepositTest, TheFiveOrdersAndTheListScrollBar) {
    JoinAs(1);
    EXPECT_EQ(m_deposit->GetItemScrollBar()->GetMaximum(), 0);
    Item(1, itemtest::kPotion, "Me", -2, 5);
    Item(2, itemtest::kSword, "Me", -2, 5);
    Item(3, itemtest::kScroll, "Me", -2, 1);
    Item(4, itemtest::kBomb, "Me", -2, 9);
    Item(5, itemtest::kFragile, "Me", -2, 5);
    // Sort mode 2 (the first): the second value, equal ones in their order of arrival.
    EXPECT_EQ(m_deposit->GetSortMode(), CLUB_DEPOSIT_DEFAULT_SORT);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Scroll", "Potion", "Sword", "Fragile", "Bomb"}));
    struct Case {
        uint8_t mode;
        std::vector<std::string> order;
    } cases[] = {
        // Worn items first, then the second key down.
        {0, {"Sword", "Bomb", "Potion", "Fragile", "Scroll"}},
        // Worn items last, the second key up.
        {1, {"Scroll", "Potion", "Fragile", "Bomb", "Sword"}},
        // The list key up and down (the sword has none).
        {3, {"Sword", "Scroll", "Bomb", "Potion", "Fragile"}},
        {4, {"Fragile", "Potion", "Bomb", "Scroll", "Sword"}},
    };
    for (const Case& c : cases) {
        Press(m_deposit->GetSortButton(c.mode));
        EXPECT_EQ(Order(), c.order) << int(c.mode);
    }
    // Buttons 3 and 4 take turns in their place.
    EXPECT_TRUE(m_deposit->GetSortButton(3)->IsDrawOn());
    EXPECT_FALSE(m_deposit->GetSortButton(4)->IsDrawOn());
    // Two more make eight: two rows to scroll; a removal and a clear bring it back.
    Item(6, itemtest::kMap, "Me");
    Item(7, itemtest::kGuarded, "Me");
    Item(8, itemtest::kCursed, "Me");
    EXPECT_EQ(m_deposit->GetItemScrollBar()->GetMaximum(), 2);
    m_deposit->RemoveItem(8, -1);
    m_deposit->RemoveItem(7, 2);  // 3 less 2 leaves one
    EXPECT_EQ(m_deposit->GetItemScrollBar()->GetMaximum(), 1);
    m_deposit->RemoveItem(7, 1);
    m_deposit->RemoveItem(42, -1);  // no such slot
    EXPECT_EQ(m_deposit->Entries().size(), 6u);
    m_deposit->ClearItems();
    EXPECT_EQ(m_deposit->GetItemScrollBar()->GetMaximum(), 0);
}

TEST_F(ClubDepositTest, TheDropDownSetsWhoMayTakeTheItemOut) {
    JoinAs(1);
    Item(4, itemtest::kPotion, "Ann", 0);
    m_driver.Frame();
    CButton* drop = m_deposit->GetDropDownButton(0);
    ASSERT_TRUE(drop->IsDrawOn());
    // Entry k of the menu under row 0 lies at (266, 68 + 16k) of the window.
    auto choose = [&](int32_t k) {
        Press(drop);
        EXPECT_TRUE(m_deposit->IsMenuOpen());
        m_driver.MoveTo(200 + 280, 100 + 70 + 16 * k);
        m_driver.Frame();
        EXPECT_EQ(m_deposit->GetMenuChoice(), k);
        ClickAt(200 + 280, 100 + 70 + 16 * k);
        EXPECT_FALSE(m_deposit->IsMenuOpen());
    };
    choose(0);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(8, {4, 0, 0, 0})}));
    choose(1);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(8, {4, 0, 0xFF, 0xFF})}));
    choose(3);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(8, {4, 1, 0, 0})}));
    // A click away from the entries closes the menu and sends nothing.
    Press(drop);
    ClickAt(200 + 40, 100 + 300);
    EXPECT_FALSE(m_deposit->IsMenuOpen());
    EXPECT_TRUE(Sent().empty());

    // The grade prompt: 255 and more send nothing, 1-254 set the limit, Cancel nothing.
    CClubGradeInputWin* grade = m_deposit->GetGradeInput();
    struct Case {
        const char* typed;
        bool ok;
        std::vector<Bytes> sent;
    } cases[] = {{"255", true, {}}, {"254", true, {Storage(8, {4, 0, 0, 254})}}, {"7", false, {}}};
    for (const Case& c : cases) {
        choose(2);
        ASSERT_TRUE(grade->IsDrawOn()) << c.typed;
        EXPECT_TRUE(m_deposit->IsWaitingForGrade());
        grade->GetEditBox()->SetText(c.typed);
        m_driver.Key(0, c.ok ? plat::VK_RETURN : plat::VK_ESCAPE);
        m_driver.Frame();
        EXPECT_FALSE(grade->IsDrawOn()) << c.typed;
        EXPECT_FALSE(m_deposit->IsWaitingForGrade());
        EXPECT_EQ(Sent(), c.sent) << c.typed;
    }
}

TEST_F(ClubDepositTest, MoneyGoesInAndOutOnlyWhenThereIsSome) {
    JoinAs(1);
    CNumberInputWindow* input = m_deposit->GetMoneyInput();
    // Nothing carried and nothing stored: neither button opens the input.
    Press(m_deposit->GetMoneyButton(false));
    Press(m_deposit->GetMoneyButton(true));
    EXPECT_FALSE(input->IsDrawOn());
    m_deposit->SetClubMoney(1500);
    Press(m_deposit->GetMoneyButton(true));
    ASSERT_TRUE(input->IsDrawOn());
    EXPECT_EQ(input->GetMaximum(), 1500u);
    EXPECT_EQ(input->GetMinimum(), 1);
    EXPECT_STREQ(input->GetEditBox()->GetCurrentText(), "1");
    input->GetEditBox()->SetText("20");
    m_driver.Key(0, plat::VK_RETURN);
    m_driver.Frame(2);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(7, U32(20))}));
    EXPECT_FALSE(input->IsDrawOn());
    // The carried money is the limit of what goes in.
    g_pCharMgr->GetPlayer()->GetData()->m_values[VALUE_MONEY] = 70;
    Press(m_deposit->GetMoneyButton(false));
    ASSERT_TRUE(input->IsDrawOn());
    EXPECT_EQ(input->GetMaximum(), 70u);
    m_driver.Key(0, plat::VK_RETURN);
    m_driver.Frame(2);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(6, U32(1))}));
}

TEST_F(ClubDepositTest, TheServersRecordsAndTheOwnClubsFunction) {
    JoinAs(1);
    auto post = [&](std::unique_ptr<CMsgPayload> record) {
        const uint32_t id = record->m_id;
        PostMessageToPort(0, m_deposit->GetPort(), 0, id, std::move(record), nullptr);
        m_driver.Frame();
    };
    auto item = std::make_unique<CClubDepositItemMsg>(MSG_CLUB_DEPOSIT_ITEM);
    item->m_slot = 3;
    item->m_itemId = itemtest::kIds[itemtest::kPotion];
    item->m_count = 12;
    std::strcpy(item->m_depositor, "Ann");
    item->m_gradeLimit = 2;
    post(std::move(item));
    ASSERT_EQ(m_deposit->Entries().size(), 1u);
    EXPECT_EQ(m_deposit->Entries()[0]->icon->GetCount(), 12u);
    EXPECT_EQ(m_deposit->Entries()[0]->depositor, "Ann");
    auto mode = std::make_unique<CWindowValueMsg>(MSG_CLUB_DEPOSIT_MODE);
    mode->m_value = 1;
    post(std::move(mode));
    auto money = std::make_unique<CWindowValueMsg>(MSG_CLUB_DEPOSIT_VALUE);
    money->m_value = 1234567;
    post(std::move(money));
    EXPECT_EQ(m_deposit->GetClubMoney(), 1234567u);
    // Kind 1 asks with the own club's function, without a kind byte.
    m_deposit->WithdrawItem(3, 2);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(5, {3, 0, 2}, true)}));
    auto removed = std::make_unique<CClubDepositRemoveMsg>();
    removed->m_slot = 3;
    post(std::move(removed));
    EXPECT_TRUE(m_deposit->Entries().empty());
    auto log = std::make_unique<CDatedLinesMsg>(MSG_CLUB_DEPOSIT_LOG);
    log->m_lines.resize(9);
    for (CDatedLine& line : log->m_lines) std::strcpy(line.m_text, "Ann put in a Potion");
    post(std::move(log));
    // Nine lines and the empty one after the last break, five shown.
    EXPECT_EQ(m_deposit->GetLogScrollBar()->GetMaximum(), 5);
    // A log of no records clears the text.
    post(std::make_unique<CDatedLinesMsg>(MSG_CLUB_DEPOSIT_LOG));
    EXPECT_EQ(m_deposit->GetLogText(), "");
    EXPECT_EQ(m_deposit->GetLogScrollBar()->GetMaximum(), 0);
}

TEST_F(ClubDepositTest, HidingClosesTheStorageAtItsNpcOnce) {
    m_deposit->Hide();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Storage(1), Bytes{5, 0, 0, 0, 9, 129}}));
    EXPECT_EQ(m_deposit->GetNpcId(), 0u);
    m_deposit->Show();
    m_deposit->Hide();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ClubDepositTest, OfflineTheStorageKeepsItsOwnCopies) {
    g_config.m_useServer = false;
    CItemIcon potion;
    potion.Init(itemtest::kPotion, itemtest::kIds[itemtest::kPotion]);
    potion.SetCount(5);
    potion.SetSlotIndex(11);
    m_deposit->DepositItem(&potion, 3);
    m_deposit->DepositItem(&potion, 2);
    ASSERT_EQ(m_deposit->Entries().size(), 2u);
    const int32_t slot = m_deposit->Entries()[0]->icon->GetSlotIndex();
    EXPECT_EQ(m_deposit->Entries()[0]->own, 1) << "offline the player is the master";
    m_deposit->WithdrawItem(slot, 1);
    m_deposit->WithdrawItem(slot, 2);
    EXPECT_EQ(m_deposit->Entries().size(), 1u);
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
