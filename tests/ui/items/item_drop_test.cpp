// Where a dropped item goes: by its location, the window under the mouse,
// Ctrl and its count; amount questions and ground-drop confirmations.
#include <gtest/gtest.h>

#include "core/config.h"
#include "tests/ui/items/item_fixture.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"

using namespace itemtest;

namespace {

class ItemDropTest : public ItemTest {
protected:
    ItemDropTest() : m_serverPlay(g_config.m_useServer) {
        g_config.m_useServer = true;
        m_driver.MoveTo(300, 400);
        m_driver.Frame();
    }
    ~ItemDropTest() override { g_config.m_useServer = m_serverPlay; }
    void Drop(CItemIcon* icon, uint32_t origin = ITEM_DRAG_FROM_INVENTORY) {
        ASSERT_TRUE(icon->BeginDrag(origin));
        icon->EndDrag();
    }
    std::vector<CMessageBox*> Boxes() {
        std::vector<CBaseWindow*> found;
        m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &found);
        std::vector<CMessageBox*> boxes;
        for (CBaseWindow* w : found) boxes.push_back(dynamic_cast<CMessageBox*>(w));
        return boxes;
    }
    bool m_serverPlay;
};

TEST_F(ItemDropTest, EachLocationAndWindowHasItsOperation) {
    struct Case {
        Row row;
        uint32_t location;
        const char* window;  // under the mouse (null: the field)
        bool ctrl;
        uint32_t count;
        uint32_t origin;
        std::vector<std::string> calls;
        const char* second = nullptr;  // a further window that exists below it
    } cases[] = {
        {kPotion, 2, DEPOSIT_WINDOW_NAME, true, 5, 0, {"DepositWindow: deposit Potion x5"}},
        {kPotion, 2, DEPOSIT_WINDOW_NAME, false, 1, 0, {"DepositWindow: deposit Potion x1"}},
        {kPotion, 2, QUICK_SLOT_WINDOW_NAME, false, 3, 0, {"QuickSlotWindow: icon Potion x1"}},
        {kPotion, 2, GAMBLE_WINDOW_NAME, false, 1, 0, {"GAMBAMBO_WIN: game Potion x1"}},
        {kPotion, 19, ACCOUNT_WINDOW_NAME, true, 4, 0, {"ATS_ACCOUNT_WIN: game Potion x4"}},
        {kSword, 2, ROULETTE_WINDOW_NAME, false, 1, 0, {"MAGIC_ROULLETE_WIN: icon Sword x1"}},
        {kPotion, 2, ROULETTE_WINDOW_NAME, false, 1, 0, {}},  // not a listed item
        {kFragile, 2, CLUB_DEPOSIT_WINDOW_NAME, false, 1, 0, {"CLUB_DEPOSIT_WINDOW: deposit Fragile x1"}},
        {kFragile, 2, USER_STORE_WINDOW_NAME, true, 2, 0, {"MyStoreWindow: store Fragile x2"}},
        {kPotion, 2, USER_STORE_WINDOW_NAME, false, 1, 0, {}},  // the store does not take it
        {kCursed, 2, USER_STORE_WINDOW_NAME, false, 1, 0, {}},
        {kPotion,
         9,
         INVENTORY_WINDOW_NAME,
         false,
         1,
         7,
         {"CLUB_DEPOSIT_WINDOW: withdraw slot 5 x1"},
         CLUB_DEPOSIT_WINDOW_NAME},
        {kPotion, 9, INVENTORY_WINDOW_NAME, false, 1, 6, {}, CLUB_DEPOSIT_WINDOW_NAME},  // dragged from
                                                                                         // elsewhere
        {kPotion,
         8,
         INVENTORY_WINDOW_NAME,
         true,
         6,
         6,
         {"DepositWindow: withdraw slot 5 x6"},
         DEPOSIT_WINDOW_NAME},
        {kPotion, 6, TRADE_WINDOW_NAME, false, 1, 0, {"TRADE_WINDOW: icon Potion x1"}},
        {kSword, 2, INVENTORY_WINDOW_NAME, false, 1, 0, {"ItemInventoryWindow: icon Sword x1"}},
        {kSword, 2, EQUIP_WINDOW_NAME, false, 1, 0, {"equip Sword (server)"}},
        {kPotion, 2, ITEM_EXCHANGE_WINDOW_NAME, false, 1, 0, {"ITEM_EXCHANGE_WINDOW: offer one Potion x1"}},
        {kPotion, 2, ITEM_EXCHANGE_WINDOW_NAME, true, 5, 0, {"ITEM_EXCHANGE_WINDOW: offer slot 5 x5"}},
        {kSword, 1, INVENTORY_WINDOW_NAME, false, 1, 1, {"unequip Sword (server)"}},
        {kSword, 1, INVENTORY_WINDOW_NAME, false, 1, 3, {}},  // from the quick slots
        {kPotion, 2, PET_WINDOW_NAME, false, 1, 0, {"Pet_Interface: icon Potion x1"}},
        {kPotion, 2, INCUBATOR_WINDOW_NAME, false, 1, 0, {"Pet_Incubator_Window: icon Potion x1"}},
        {kPotion, 2, nullptr, false, 1, 0, {"ground 30,40 slot 5 x1"}},
        {kPotion, 0, DEPOSIT_WINDOW_NAME, true, 5, 0, {}},  // on the ground already
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window ? c.window : "field") + " location " + std::to_string(c.location));
        TargetWindow* second = c.second ? Target(c.second) : nullptr;
        TargetWindow* target = c.window ? Target(c.window) : nullptr;
        Ctrl(c.ctrl);
        CItemIcon* icon = Icon(c.row, c.location, c.count);
        if (c.location == ITEM_ON_GROUND) {
            EXPECT_FALSE(icon->BeginDrag(0));
            icon->SetDragState(1);
            icon->EndDrag();
        } else {
            Drop(icon, c.origin);
        }
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_FALSE(icon->IsDragging());
        for (TargetWindow* w : {target, second})
            if (w) m_driver.Mgr().RemoveWindow(w);
    }
    Ctrl(false);
}

TEST_F(ItemDropTest, AStackAsksForItsAmountOneQuestionAtATime) {
    Target(DEPOSIT_WINDOW_NAME);
    CItemIcon* first = Icon(kPotion, ITEM_IN_INVENTORY, 5);
    Drop(first);
    CNumberInputWindow* input = first->GetNumberInput();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(first->GetState(), uint32_t(ITEM_WAIT_DEPOSIT_AMOUNT));
    EXPECT_EQ(input->GetMaximum(), 5u);
    EXPECT_EQ(input->GetMinimum(), 0);
    EXPECT_EQ(input->GetEditBox()->GetCurrentText(), std::string("1"));
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_NUMBER_INPUT), first);
    EXPECT_TRUE(Calls().empty());
    // A second stack while the first asks: the first question comes back with a notice.
    input->SetActive(false, false);
    CItemIcon* second = Icon(kFragile, ITEM_IN_INVENTORY, 3);
    Drop(second);
    EXPECT_EQ(second->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_EQ(second->GetNumberInput(), nullptr);
    EXPECT_TRUE(input->IsActiveFlag());
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(ItemDropTest, AGroundDropThatAsksFirstGoesOnlyWhenConfirmed) {
    // Box A on the field: OK drops it, by amount.
    CItemIcon* fragile = Icon(kFragile, ITEM_IN_INVENTORY);
    Drop(fragile);
    CMessageBox* boxA = fragile->GetConfirmBox(0);
    ASSERT_NE(boxA, nullptr);
    EXPECT_EQ(fragile->GetState(), uint32_t(ITEM_WAIT_CONFIRM_A));
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_CONFIRM_A), fragile);
    EXPECT_TRUE(boxA->GetCancelButton()->IsDrawOn());
    fragile->Update();
    EXPECT_TRUE(Calls().empty()) << "waits while the box asks";
    boxA->SetResult(1);
    fragile->Update();
    EXPECT_EQ(Calls(), std::vector<std::string>{"ground 30,40 slot 5 x1"});
    fragile->Update();
    EXPECT_EQ(fragile->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_CONFIRM_A), nullptr);
    // CANCEL puts it back.
    Drop(fragile);
    fragile->GetConfirmBox(0)->SetResult(0);
    fragile->Update();
    EXPECT_EQ(fragile->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_TRUE(Calls().empty());

    // Box B on another player: OK sends one piece to that player.
    m_world.m_pickedType = 1;
    m_world.m_pickedId = 2000777;
    CItemIcon* gift = Icon(kFragile, ITEM_IN_INVENTORY, 4, 9);
    Drop(gift);
    CMessageBox* boxB = gift->GetConfirmBox(1);
    ASSERT_NE(boxB, nullptr);
    EXPECT_EQ(gift->GetState(), uint32_t(ITEM_WAIT_CONFIRM_B));
    boxB->SetResult(1);
    gift->Update();
    EXPECT_EQ(Calls(), std::vector<std::string>{"request 41 slot 9 x1 to 2000777"});
    // Some characters never take items this way.
    m_world.m_pickedId = 2200138;
    CItemIcon* refused = Icon(kFragile, ITEM_IN_INVENTORY);
    Drop(refused);
    EXPECT_EQ(refused->GetConfirmBox(1), nullptr);
    EXPECT_TRUE(Calls().empty());
    // A plain item on another player goes at once.
    m_world.m_pickedId = 2000778;
    Drop(Icon(kPotion, ITEM_IN_INVENTORY, 3, 2));
    EXPECT_EQ(Calls(), std::vector<std::string>{"request 41 slot 2 x1 to 2000778"});
}

// While the cursor is in mode 4, a drop on the ground that would ask first
// asks nothing and does nothing; a drop on another player still asks.
TEST_F(ItemDropTest, TheCursorsModeFourAsksNoGroundDrop) {
    m_world.m_cursorMode = 4;
    CItemIcon* fragile = Icon(kFragile, ITEM_IN_INVENTORY);
    Drop(fragile);
    EXPECT_EQ(fragile->GetConfirmBox(0), nullptr);
    EXPECT_EQ(fragile->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Calls().empty());
    m_world.m_pickedType = 1;
    m_world.m_pickedId = 2000777;
    Drop(fragile);
    ASSERT_NE(fragile->GetConfirmBox(1), nullptr);
    fragile->GetConfirmBox(1)->SetResult(0);
    fragile->Update();
    m_driver.Frame();
    m_world.m_cursorMode = 0;
    m_world.m_pickedType = 0;
    CItemIcon* other = Icon(kFragile, ITEM_IN_INVENTORY);
    Drop(other);
    EXPECT_NE(other->GetConfirmBox(0), nullptr) << "in other modes the ground drop asks";
}

TEST_F(ItemDropTest, ANewConfirmationCancelsTheOldAndAConfirmedStackAsksItsAmount) {
    CItemIcon* first = Icon(kFragile, ITEM_IN_INVENTORY, 1, 1);
    CItemIcon* stack = Icon(kFragile, ITEM_IN_INVENTORY, 3, 2);
    Drop(first);
    CMessageBox* firstBox = first->GetConfirmBox(0);
    ASSERT_NE(firstBox, nullptr);
    // Elsewhere on the field (the first box sits at the mouse).
    m_driver.MoveTo(50, 20);
    m_driver.Frame();
    Drop(stack);
    EXPECT_EQ(first->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_EQ(first->GetConfirmBox(0), nullptr);
    EXPECT_FALSE(firstBox->IsDrawOn());
    ASSERT_NE(stack->GetConfirmBox(0), nullptr);
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_CONFIRM_A), stack);
    // OK on a stack: the amount is asked next, then the drop goes with it.
    stack->GetConfirmBox(0)->SetResult(1);
    stack->Update();
    EXPECT_EQ(stack->GetState(), uint32_t(ITEM_WAIT_GROUND_AMOUNT));
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_CONFIRM_A), nullptr);
    CNumberInputWindow* input = stack->GetNumberInput();
    ASSERT_NE(input, nullptr);
    input->SetActive(true, false);
    input->SetNumber(2, false);
    input->OnKeyDown(plat::VK_RETURN, nullptr);
    stack->Update();
    EXPECT_EQ(Calls(), std::vector<std::string>{"ground 5,2 slot 2 x2"});
    EXPECT_EQ(stack->GetState(), uint32_t(ITEM_IN_INVENTORY));
}

TEST_F(ItemDropTest, PlayingAloneTheMapLaysItDownAndTheClubDepositRefusesWithAWord) {
    g_config.m_useServer = false;
    Drop(Icon(kFragile, ITEM_IN_INVENTORY, 3));  // no question playing alone
    EXPECT_EQ(Calls(), std::vector<std::string>{"map 49"});
    m_world.m_passable = false;
    Drop(Icon(kPotion, ITEM_IN_INVENTORY));
    EXPECT_TRUE(Calls().empty());

    Target(CLUB_DEPOSIT_WINDOW_NAME);
    Drop(Icon(kCursed, ITEM_IN_INVENTORY));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Boxes().size(), 1u);
}

}  // namespace
