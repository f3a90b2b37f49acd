// The item icon: templates, copies, the count label, the drop flight,
// wearing, and the amount questions it waits for.
#include "ui/items/item_icon.h"

#include <gtest/gtest.h>

#include "tests/ui/items/item_fixture.h"
#include "tests/ui/test_windows.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/window_messages.h"

using namespace itemtest;

namespace {

TEST_F(ItemTest, TemplatesAreIconsAndCopiesHoldNoPopups) {
    auto* sword = dynamic_cast<CItemIcon*>(g_pItemTableMgr->FindTemplateById(1001));
    ASSERT_NE(sword, nullptr);
    EXPECT_STREQ(sword->GetName(), "Sword");
    EXPECT_EQ(sword->GetItemRow(), kSword);

    CItemIcon* icon = Icon(kSword, ITEM_WAIT_DEPOSIT_AMOUNT, 4);
    icon->SetBonus(2, 9);
    icon->SetFlags(1);
    icon->Expiry().m_count = 3;
    icon->Record() = CItemRecord{1, 2, 3, 4, 5};
    icon->SetPosition(7, 8, 9);
    auto* input = m_driver.Add(new CNumberInputWindow);
    icon->SetNumberInput(input);
    icon->GetAniObject();
    std::unique_ptr<CItemIcon> copy(icon->Clone());
    EXPECT_STREQ(copy->GetName(), "Sword");
    EXPECT_EQ(copy->GetItemId(), 1001u);
    EXPECT_EQ(copy->GetState(), uint32_t(ITEM_WAIT_DEPOSIT_AMOUNT));
    EXPECT_EQ(copy->GetCount(), 4u);
    EXPECT_EQ(copy->GetBonus(2), 9u);
    EXPECT_EQ(copy->GetFlags(), 1u);
    EXPECT_EQ(copy->Expiry(), icon->Expiry());
    EXPECT_EQ(copy->Record().m_value2, 5u);
    EXPECT_EQ(copy->GetPositionZ(), 9);
    EXPECT_EQ(copy->GetNumberInput(), nullptr);
    EXPECT_EQ(copy->GetSequence(), -1);  // no sprite of its own yet
}

TEST_F(ItemTest, TheCountLabelShowsOneUnlessCtrlOrAPremiumEntry) {
    CItemIcon* icon = Icon(kPotion, ITEM_IN_INVENTORY, 12);
    EXPECT_EQ(icon->CountLabel(), "(1)");
    Ctrl(true);
    EXPECT_EQ(icon->CountLabel(), "(12)");
    Ctrl(false);
    icon->SetState(ITEM_PREMIUM_ENTRY);
    EXPECT_EQ(icon->CountLabel(), "(12)");
    EXPECT_EQ(Icon(kPotion, ITEM_IN_INVENTORY, 1)->CountLabel(), "(1)");
}

TEST_F(ItemTest, TheDropFlightLandsAt660MillisecondsOnItsCell) {
    CItemIcon* icon = Icon(kPotion, ITEM_IN_INVENTORY);
    icon->StartDropFlight(1, 1, 0, 10, 20, 3);
    EXPECT_EQ(icon->GetState(), uint32_t(ITEM_FLYING));
    EXPECT_EQ(icon->GetFlightPosition().z, 40.0);
    m_driver.Clock().Advance(330);
    icon->Update();
    EXPECT_EQ(icon->GetFlightPosition().z, 85.0);  // half way: a quarter of 40 and half of 150
    m_driver.Clock().Advance(329);
    icon->Update();
    EXPECT_EQ(icon->GetState(), uint32_t(ITEM_FLYING)) << "659 ms is frame 19";
    m_driver.Clock().Advance(1);
    icon->Update();
    EXPECT_EQ(icon->GetState(), uint32_t(ITEM_ON_GROUND));
    EXPECT_EQ(icon->GetMapPoint(), (std::pair<int32_t, int32_t>{10, 20}));
    EXPECT_EQ(icon->GetPositionZ(), 3);
}

// The main interface as the fly-in asks it: where its inventory button is.
struct MainWindow : uitest::TestWindow, IMainInterfaceWindow {
    MainWindow() : TestWindow("Z5MAINWIN", 3, 2) {}
    bool answers = true;
    void StartBlink() override {}
    void StopBlink() override {}
    void ShakeItemButton() override {}
    bool GetInventoryButtonPosition(int32_t* x, int32_t* y) override {
        *x = 764;
        *y = 108;
        return answers;
    }
    void SetSkillIcon(int32_t) override {}
    void SetStyle(uint8_t) override {}
    uint8_t GetStyle() override { return 4; }
    void Minimize() override {}
    void Restore() override {}
};

TEST_F(ItemTest, AnItemFliesInToTheInventorysButtonOrElseTheWindowsCorner) {
    auto* main = m_driver.Add(new MainWindow);
    for (bool answers : {true, false}) {
        SCOPED_TRACE(answers);
        main->answers = answers;
        CItemIcon* icon = Icon(kPotion, ITEM_IN_INVENTORY);
        icon->SetFlyToStart(400, 300);
        icon->StartFieldMotion();
        m_driver.Clock().Advance(ITEM_FLIGHT_FRAMES * 33);
        EXPECT_FALSE(icon->FlyToMainWindow());
        EXPECT_EQ(icon->GetPositionX(), answers ? 769 : 8);
        EXPECT_EQ(icon->GetPositionY(), answers ? 118 : 12);
    }
}

TEST_F(ItemTest, WearingAddsEffectsAndPartsAndTakingOffRemovesThem) {
    CItemIcon* sword = Icon(kSword, ITEM_IN_INVENTORY);
    ASSERT_TRUE(sword->EquipOnChar(m_world.Player()));
    EXPECT_EQ(sword->GetState(), uint32_t(ITEM_WORN));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"effect+ 1000001/0 1 500 7 1", "part+ 31", "part+ 32"}));
    EXPECT_TRUE(sword->SetPartsHighlight(m_world.Player(), 1));
    EXPECT_TRUE(sword->SetPartsHighlight(m_world.Player(), 1));  // unchanged: nothing again
    EXPECT_EQ(Calls(), (std::vector<std::string>{"light 31=1", "light 32=1"}));
    sword->UnequipFromChar(m_world.Player());
    EXPECT_EQ(sword->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"effect- 1000001/0", "effect- 1000001/1", "part- 31", "part- 32"}));
    // An item without a part entry still comes off; a disabled one is not worn.
    CItemIcon* potion = Icon(kPotion, ITEM_WORN);
    potion->UnequipFromChar(m_world.Player());
    EXPECT_EQ(potion->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_TRUE(Calls().empty());
    potion->Disable();
    EXPECT_FALSE(potion->EquipOnChar(m_world.Player()));
    EXPECT_FALSE(sword->EquipOnChar(nullptr));
}

// How a waiting amount question ends, by its input and its target window.
TEST_F(ItemTest, AnAmountQuestionEndsByItsInput) {
    struct Case {
        const char* name;
        uint32_t location;
        const char* window;  // the target window there is, or null
        enum { kConfirm, kHide, kDelete } end;
        std::vector<std::string> calls;
        uint32_t after;
    } cases[] = {
        {"confirmed",
         ITEM_WAIT_DEPOSIT_AMOUNT,
         DEPOSIT_WINDOW_NAME,
         Case::kConfirm,
         {"DepositWindow: deposit Potion x3"},
         ITEM_IN_INVENTORY},
        {"closed unanswered",
         ITEM_WAIT_DEPOSIT_AMOUNT,
         DEPOSIT_WINDOW_NAME,
         Case::kHide,
         {},
         ITEM_IN_INVENTORY},
        {"deleted", ITEM_WAIT_WITHDRAW_AMOUNT, DEPOSIT_WINDOW_NAME, Case::kDelete, {}, ITEM_IN_DEPOSIT},
        {"gamble keeps its place",
         ITEM_WAIT_GAMBLE_AMOUNT,
         GAMBLE_WINDOW_NAME,
         Case::kConfirm,
         {"GAMBAMBO_WIN: game Potion x3"},
         ITEM_WAIT_GAMBLE_AMOUNT},
        {"no target window", ITEM_WAIT_STORE_AMOUNT, nullptr, Case::kConfirm, {}, ITEM_IN_INVENTORY},
        {"back in the account first",
         ITEM_WAIT_ACCOUNT_AMOUNT,
         ACCOUNT_WINDOW_NAME,
         Case::kConfirm,
         {"ATS_ACCOUNT_WIN: game Potion x3"},
         ITEM_IN_ACCOUNT},
        {"account closed", ITEM_WAIT_ACCOUNT_AMOUNT, ACCOUNT_WINDOW_NAME, Case::kHide, {}, ITEM_IN_ACCOUNT},
        {"withdrawn",
         ITEM_WAIT_CLUB_WITHDRAW_AMOUNT,
         CLUB_DEPOSIT_WINDOW_NAME,
         Case::kConfirm,
         {"CLUB_DEPOSIT_WINDOW: withdraw slot 5 x3"},
         ITEM_IN_CLUB_DEPOSIT},
        {"on the ground",
         ITEM_WAIT_GROUND_AMOUNT,
         nullptr,
         Case::kConfirm,
         {"ground 0,0 slot 5 x3"},
         ITEM_IN_INVENTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TargetWindow* target = c.window ? Target(c.window) : nullptr;
        CItemIcon* icon = Icon(kPotion, c.location, 9);
        auto* input = m_driver.Add(new CNumberInputWindow);
        icon->SetNumberInput(input);
        g_pItemTableMgr->SetCurrentItem(ITEM_CURRENT_NUMBER_INPUT, icon);
        icon->Update();
        EXPECT_EQ(icon->GetState(), c.location) << "waits while it asks";
        if (c.end == Case::kConfirm) {
            input->SetActive(true, false);
            input->SetNumber(3, false);
            input->OnKeyDown(plat::VK_RETURN, nullptr);
        } else if (c.end == Case::kHide) {
            input->Hide();
        } else {
            m_driver.Mgr().RemoveWindow(input);
        }
        icon->Update();
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(icon->GetState(), c.after);
        EXPECT_EQ(icon->GetNumberInput(), nullptr);
        EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_NUMBER_INPUT), nullptr);
        m_driver.Frame();  // the closed input goes
        std::vector<CBaseWindow*> inputs;
        EXPECT_EQ(m_driver.Mgr().FindAllWindowsByName("NUMBER_EDIT_CONTROL", &inputs), 0);
        if (target) m_driver.Mgr().RemoveWindow(target);
    }
}

TEST_F(ItemTest, AReleasedIconClosesItsPopupsAndForgetsDeletedOnes) {
    CItemIcon* icon = Icon(kFragile, ITEM_WAIT_CONFIRM_A);
    auto* box = m_driver.Add(new CMessageBox("sure?", true, true, false, 1));
    icon->SetConfirmBox(0, box);
    auto* input = m_driver.Add(new CNumberInputWindow);
    icon->SetNumberInput(input);
    m_driver.Mgr().RemoveWindow(input);  // gone before the icon
    EXPECT_EQ(icon->GetNumberInput(), nullptr);
    icon->Release();
    EXPECT_FALSE(box->IsDrawOn());
    m_driver.Frame();
    EXPECT_EQ(m_driver.Mgr().HasWindow(box), nullptr);
}

}  // namespace
