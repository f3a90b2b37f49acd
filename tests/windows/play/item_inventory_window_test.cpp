// The bag window: its list and sorts, the row under the mouse, the value
// colours, merging and splitting stacks dropped on one another, the
// deposit's guard, and its clicks through the input queue.
#include "windows/play/item_inventory_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "data/slot_object_mgr.h"
#include "tests/windows/play/items_fixture.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/scroll_bar.h"
#include "world/chars/char_services.h"

namespace {

using itemwin::Bytes;
using namespace itemwin;

class InventoryTest : public ItemsFixture {
protected:
    void SetUp() override {
        ItemsFixture::SetUp();
        m_bag = Hud<CItemInventoryWindow>(HUD_INVENTORY);
        ASSERT_TRUE(m_bag);
        m_bag->Open();
        for (int mode = 0; mode < 4; ++mode) m_bag->GetSortButton(mode)->SetImage(40, 14, "");
        m_bag->SetPosition(100, 100);
    }
    // The names of the listed items, in list order ("-" for an empty entry up to the last item).
    std::vector<std::string> Listed() {
        std::vector<std::string> names;
        for (int32_t i = 0; i < INVENTORY_ENTRIES; ++i)
            if (CItemIcon* item = m_bag->GetItemAt(i)) names.push_back(item->GetName());
        return names;
    }
    // The screen point of a row's middle.
    int32_t RowY(int32_t row) const { return 100 + 35 + 25 * row + 12; }

    CItemInventoryWindow* m_bag = nullptr;
};

TEST_F(InventoryTest, SortsFourWaysWithEmptyEntriesLast) {
    // Placed last first: the container lists its newest child first.
    Put(kGem, 5);
    Put(kShield, 4);
    Put(kHerb, 3);
    Put(kPotion, 2, 5);
    Put(kSword, 1);
    const std::vector<std::string> bagOrder = Listed();
    ASSERT_EQ(bagOrder.size(), 5u);
    struct Case {
        uint8_t mode;
        std::vector<std::string> order;
    } cases[] = {
        // Worn kinds first, by position; the rest by the second key.
        {SORT_WORN_FIRST, {"Sword", "Shield", "Herb", "Potion", "Gem"}},
        {SORT_WORN_LAST, {"Herb", "Potion", "Gem", "Sword", "Shield"}},
        {SORT_BAG_ORDER, bagOrder},
        // Colour class 4 first, then the table's row.
        {SORT_CLASS_4_FIRST, {"Gem", "Sword", "Shield", "Potion", "Herb"}},
    };
    for (const Case& c : cases) {
        m_bag->SetSortMode(c.mode);
        m_bag->SortItems();
        EXPECT_EQ(Listed(), c.order) << "mode " << int(c.mode);
        for (int32_t i = 5; i < INVENTORY_ENTRIES; ++i) EXPECT_EQ(m_bag->GetEntry(i), 0u);
    }
    // A refresh in a sorting mode sorts again: a new item takes its place.
    m_bag->SetSortMode(SORT_WORN_FIRST);
    Put(kHat, 6);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Hat", "Sword", "Shield", "Herb", "Potion", "Gem"}));
    // Worn and unlisted items stay out of the list.
    Data()->Container()->GetSlot(6)->SetState(ITEM_NOT_LISTED);
    m_bag->RefreshItems();
    EXPECT_EQ(Listed().size(), 5u);
}

TEST_F(InventoryTest, EqualKeysAreATotalOrderAndTheListStopsAt65) {
    // Seventy herbs: one key for all, so only the handles tell them apart.
    for (int32_t n = 0; n < 70; ++n) {
        CItemObject* herb = m_items->MakeItem(kIds[kHerb]);
        ASSERT_TRUE(Controller()->PlaceItem(herb, -1, 0));
    }
    m_bag->RefreshItems();
    EXPECT_EQ(Listed().size(), size_t(INVENTORY_ENTRIES));
    for (uint8_t mode : {SORT_WORN_FIRST, SORT_WORN_LAST, SORT_CLASS_4_FIRST}) {
        m_bag->SetSortMode(mode);
        m_bag->SortItems();
        for (int32_t i = 1; i < INVENTORY_ENTRIES; ++i)
            ASSERT_LT(m_bag->GetEntry(i - 1), m_bag->GetEntry(i)) << "mode " << int(mode);
    }
    CSlotObjectMgr* bag = Data()->Container();
    const uint32_t a = m_bag->GetEntry(0);
    EXPECT_FALSE(InventoryEntryBefore(bag, SORT_WORN_FIRST, a, a));
    EXPECT_TRUE(InventoryEntryBefore(bag, SORT_WORN_FIRST, a, 0));
    EXPECT_FALSE(InventoryEntryBefore(bag, SORT_WORN_FIRST, 0, a));
    EXPECT_FALSE(InventoryEntryBefore(bag, SORT_WORN_FIRST, 0, 0));
}

TEST_F(InventoryTest, TheRowUnderThePoint) {
    struct Case {
        int32_t mx, my, row;
    } cases[] = {
        {101, 135, 0},                                   // the first row's top
        {101, 159, 0},                                   // 25 below the list's top still counts as row 0
        {101, 160, 1},  {423, 282, 5},  {101, 134, -1},  // the border
        {100, 140, -1}, {424, 140, -1}, {101, 283, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ItemListRowAt(100, 100, c.mx, c.my), c.row) << c.mx << "," << c.my;
    // Hovering goes by the row and the item in it.
    Put(kSword, 1);
    Put(kPotion, 2, 5);
    MouseAt(150, 159);
    EXPECT_EQ(m_bag->GetHovered(), 0);
    MouseAt(150, RowY(1));
    EXPECT_EQ(m_bag->GetHovered(), 1);
    MouseAt(150, RowY(3));
    EXPECT_EQ(m_bag->GetHovered(), -1);
}

TEST(ItemValueColour, ATenthIsRedInTheBagAndWhiteWorn) {
    struct Case {
        uint32_t current, maximum, bag, worn;
    } cases[] = {
        {4, 50, ITEM_TEXT_RED, ITEM_TEXT_RED},     {5, 50, ITEM_TEXT_RED, ITEM_TEXT_WHITE},
        {6, 50, ITEM_TEXT_WHITE, ITEM_TEXT_WHITE}, {1, 5, ITEM_TEXT_RED, ITEM_TEXT_RED},
        {1, 1, ITEM_TEXT_RED, ITEM_TEXT_RED},      {9, 100, ITEM_TEXT_RED, ITEM_TEXT_RED},
        {10, 100, ITEM_TEXT_RED, ITEM_TEXT_WHITE}, {0, 0, ITEM_TEXT_RED, ITEM_TEXT_RED},
        {2, 0, ITEM_TEXT_WHITE, ITEM_TEXT_WHITE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BagValueColour(c.current, c.maximum), c.bag) << c.current << "/" << c.maximum;
        EXPECT_EQ(WornValueColour(c.current, c.maximum), c.worn) << c.current << "/" << c.maximum;
    }
}

TEST_F(InventoryTest, StacksDroppedOnOneAnotherMergeOrSplit) {
    CItemIcon* potions = Put(kPotion, 2, 5);
    CItemIcon* more = Put(kPotion, 3, 2);
    CItemIcon* sword = Put(kSword, 1);
    Put(kHerb, 4);
    // Bag order: herb, sword, 2 potions, 5 potions.
    auto dropOnRow = [&](CItemIcon* item, int32_t row) {
        m_driver.MoveTo(150, RowY(row));
        m_driver.Frame();
        return m_bag->OnItemDropped(item);
    };
    // Onto the other stack of potions: one merge request.
    EXPECT_TRUE(dropOnRow(potions, 2));
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({48, 8, 0, 2, 0, 3, 0, 5})}));
    // Onto itself, a single sword onto the herb, off the list: nothing.
    EXPECT_TRUE(dropOnRow(more, 2));
    EXPECT_TRUE(dropOnRow(sword, 0));
    EXPECT_FALSE(dropOnRow(potions, 5));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_bag->GetSplitInput(), nullptr);
    // Five potions onto the sword: the amount asked, 0 to 5, 1 chosen.
    EXPECT_TRUE(dropOnRow(potions, 1));
    CNumberInputWindow* input = m_bag->GetSplitInput();
    ASSERT_TRUE(input);
    EXPECT_EQ(input->GetMaximum(), 5u);
    EXPECT_EQ(input->GetMinimum(), 0);
    EXPECT_STREQ(input->GetEditBox()->GetText(), "1");
    // A second split while one is asked: refused, the open one comes back.
    EXPECT_FALSE(dropOnRow(more, 1));
    EXPECT_EQ(m_bag->GetSplitInput(), input);
    // OK with 0: nothing is sent and the question goes.
    input->SetNumber(0, false);
    input->OnKeyDown(plat::VK_RETURN, nullptr);
    m_driver.Frame();
    EXPECT_EQ(m_bag->GetSplitInput(), nullptr);
    EXPECT_TRUE(Sent().empty());
    // OK with 3: the split of the stack's own slot.
    EXPECT_TRUE(dropOnRow(potions, 1));
    input = m_bag->GetSplitInput();
    ASSERT_TRUE(input);
    input->SetNumber(3, false);
    input->OnKeyDown(plat::VK_RETURN, nullptr);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({48, 8, 0, 2, 0, 2, 0, 3})}));
}

TEST_F(InventoryTest, ClicksThroughTheInputQueue) {
    Put(kHerb, 3);
    Put(kSword, 1);
    CItemIcon* potion = Put(kPotion, 2, 5);
    const uint32_t unused = potion->GetLastUseTime();
    // The first sort button: worn kinds first.
    CButton* sort = m_bag->GetSortButton(0);
    m_driver.Click(0, sort->GetX() + 5, sort->GetY() + 5);
    m_driver.Frame();
    EXPECT_EQ(m_bag->GetSortMode(), SORT_WORN_FIRST);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Sword", "Herb", "Potion"}));
    // A right click on a row describes its item beside the window; a left click elsewhere hides it.
    m_driver.Click(1, 150, RowY(2));
    m_driver.Frame();
    ASSERT_TRUE(m_bag->GetInfoBox());
    EXPECT_TRUE(m_bag->GetInfoBox()->IsDrawOn());
    m_driver.Click(0, 150, RowY(5));
    m_driver.Frame();
    EXPECT_FALSE(m_bag->GetInfoBox()->IsDrawOn());
    // A double click uses the potion (its use is the item's own).
    m_driver.DoubleClick(0, 150, RowY(2));
    m_driver.Frame();
    EXPECT_NE(potion->GetLastUseTime(), unused);
}

// Cooking's rule, refusing with a value.
class RefusingUseRule : public IItemClassUseRule {
public:
    bool CanUseItemClass(int itemClass, CItemObject*, uint32_t& value) override {
        m_classes.push_back(itemClass);
        value = m_value;
        return m_allow;
    }
    bool m_allow = false;
    uint32_t m_value = 7;
    std::vector<int> m_classes;
};

// A refused recipe or cookbook under the mouse: the hint is the label as it
// is and the value in its own text, so a '%' in the label stays a '%'.
TEST_F(InventoryTest, ARefusedRecipeOrCookbookHintsItsValueWithTheLabelLeftAsItIs) {
    qmtest::TableBuilder table = ItemTable();
    table.Set(ITEM_COL_CLASS, kHerb, 10).Set(ITEM_COL_CLASS, kGem, 11);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, table);
    m_items = std::make_unique<CItemTableMgr>();
    g_pItemTableMgr = m_items.get();
    std::map<int, std::vector<std::string>> texts = chattest::ChatTexts();
    texts[14][49] = "No %s%n%d use";
    texts[14][675] = "cook level %d%%";
    texts[14][680] = "book %u";
    qmtest::ScopedTextTables scopedTexts(texts);
    RefusingUseRule rule;
    ScopedItemClassUseRule scopedRule(rule);
    Put(kHerb, 1);
    Put(kGem, 2);
    const std::vector<std::string> listed = Listed();
    struct Case {
        const char* name;
        bool allow;
        const char* hint;
    } cases[] = {
        {"Herb", false, "No %s%n%d use(cook level 7%)"},
        {"Gem", false, "No %s%n%d use(book 7)"},
        {"Herb", true, ""},
    };
    for (const Case& c : cases) {
        const auto row = int32_t(std::find(listed.begin(), listed.end(), c.name) - listed.begin());
        rule.m_allow = c.allow;
        m_driver.Cursor().m_text.clear();
        MouseAt(150, RowY(row));
        EXPECT_EQ(m_driver.Cursor().m_text, c.hint) << c.name;
    }
    EXPECT_EQ(rule.m_classes.front(), 10);
    EXPECT_NE(std::find(rule.m_classes.begin(), rule.m_classes.end(), 11), rule.m_classes.end());
}

TEST_F(InventoryTest, NothingIsUsedWhileTheDepositIsOpen) {
    CItemIcon* potion = Put(kPotion, 2, 5);
    const uint32_t unused = potion->GetLastUseTime();
    auto* deposit = m_driver.Add(new CBaseWindow);
    deposit->CreateNamed(WINDOW_DRAG_TYPE, DEPOSIT_WINDOW_NAME);
    deposit->SetName(DEPOSIT_WINDOW_NAME);
    deposit->Show();
    m_driver.DoubleClick(0, 150, RowY(0));
    m_driver.Frame();
    EXPECT_EQ(potion->GetLastUseTime(), unused);
    EXPECT_TRUE(m_driver.Mgr().FindWindowByName("MESSAGE_BOX"));
}

TEST_F(InventoryTest, TheTitleButtonsFollowTheDockMode) {
    const CTitleButtons& title = m_bag->TitleButtons();
    struct Case {
        int32_t mode;
        bool detach, detached, close, keep;
    } cases[] = {
        {WINDOW_STATE_DOCKED, true, false, false, false},
        {WINDOW_STATE_DETACHED, false, true, false, true},
        {WINDOW_STATE_FREE, false, false, true, true},
    };
    for (const Case& c : cases) {
        m_bag->SetStateValue(c.mode);
        EXPECT_EQ(title.detach->IsDrawOn(), c.detach) << c.mode;
        EXPECT_EQ(title.detached->IsDrawOn(), c.detached) << c.mode;
        EXPECT_EQ(title.close->IsDrawOn(), c.close) << c.mode;
        EXPECT_EQ(m_bag->m_keepOnScreen != 0, c.keep) << c.mode;
    }
    // Another value changes no button but is kept.
    m_bag->SetStateValue(3);
    EXPECT_TRUE(title.close->IsDrawOn());
    EXPECT_EQ(m_bag->GetStateValue(), 3);
    // Hiding docks it; Open shows it free again.
    m_bag->Hide();
    EXPECT_EQ(m_bag->GetStateValue(), WINDOW_STATE_DOCKED);
    m_bag->Open();
    EXPECT_TRUE(m_bag->IsDrawOn());
    EXPECT_EQ(m_bag->GetStateValue(), WINDOW_STATE_FREE);
}

}  // namespace
