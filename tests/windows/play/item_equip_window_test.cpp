// The equipment window: places to rows, the pairs in both views, the row
// under the mouse, the show flags a click chooses, and the set panel's tiers.
#include "windows/play/item_equip_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/data_table.h"
#include "tests/windows/play/items_fixture.h"
#include "ui/button.h"
#include "ui/message_box.h"

namespace {

using namespace itemwin;

class EquipTest : public ItemsFixture {
protected:
    void SetUp() override {
        ItemsFixture::SetUp();
        m_equip = Hud<CItemEquipWindow>(HUD_EQUIP);
        ASSERT_TRUE(m_equip);
        m_equip->Open();
        m_equip->SetPosition(100, 50);
    }
    // The row of a worn item's name, "-" for an empty row.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int32_t r = 0; r < m_equip->RowCount(); ++r) {
            CItemIcon* item = m_equip->GetItemAtRow(r);
            rows.push_back(item ? item->GetName() : "-");
        }
        return rows;
    }

    CItemEquipWindow* m_equip = nullptr;
};

TEST(EquipPlaces, PlacesTwoAndThreeSixAndSevenAreSwapped) {
    const int32_t indexes[] = {-1, 0, 2, 1, 3, 4, 6, 5, 7, 8, 9, 10, 11, 12, -1};
    for (int32_t position = 0; position <= 14; ++position) {
        EXPECT_EQ(EquipIndexOfPosition(position), indexes[position]) << position;
        if (indexes[position] >= 0) EXPECT_EQ(EquipPositionOfIndex(indexes[position]), position);
    }
}

TEST_F(EquipTest, RowsOfBothViewsAndThePairs) {
    CItemIcon* hat = Wear(kHat);      // place 1: index 0
    CItemIcon* sword = Wear(kSword);  // place 2: index 2
    Wear(kShield);                    // place 3: index 1
    CItemIcon* ring = Wear(kRing);    // place 9: index 8, the partner of index 0
    m_equip->RefreshEquipment();
    // Collapsed: the hat's grade is not above the ring's: the ring shows, the hat hides behind it.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Ring", "Shield", "Sword", "-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(m_equip->HiddenIndex(0), 0);
    hat->SetGrade(5);
    m_equip->RefreshEquipment();
    EXPECT_EQ(Rows()[0], "Hat");
    EXPECT_EQ(m_equip->HiddenIndex(0), 8);
    // A pair without its partner shows the main item and hides nothing.
    (void)sword;
    EXPECT_EQ(m_equip->HiddenIndex(2), -1);
    // Expanded: thirteen rows, the pair's two items in rows 0 and 1.
    m_equip->SetExpanded(true);
    EXPECT_EQ(m_equip->RowCount(), EQUIP_INDEXES);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Hat", "Ring", "Shield", "Sword", "-", "-", "-", "-", "-",
                                                "-", "-", "-", "-"}));
    EXPECT_EQ(m_equip->HiddenIndex(0), -1);
    (void)ring;
    // Hidden and shown again, it stays expanded; the buttons follow.
    m_equip->Hide();
    m_equip->Show();
    EXPECT_TRUE(m_equip->IsExpanded());
    EXPECT_FALSE(m_equip->GetExpandButton()->IsDrawOn());
    EXPECT_TRUE(m_equip->GetCollapseButton()->IsDrawOn());
    EXPECT_EQ(m_equip->GetWornItem(2), sword);
    EXPECT_EQ(m_equip->GetWornItem(14), nullptr);
}

TEST_F(EquipTest, TheRowUnderTheMouse) {
    Wear(kHat);
    Wear(kShield);
    m_equip->RefreshEquipment();
    struct Case {
        int32_t mx, my, row;
    } cases[] = {
        {150, 50 + 25 + 5, 0}, {150, 50 + 25 + 31 + 5, 1}, {150, 50 + 25 + 62 + 5, -1},  // empty row
        {113, 50 + 30, -1},    {301, 50 + 30, -1},                                       // the sides
        {150, 50 + 432, -1},
    };
    for (const Case& c : cases) {
        MouseAt(c.mx, c.my);
        EXPECT_EQ(m_equip->GetHovered(), c.row) << c.mx << "," << c.my;
    }
    MouseAt(150, 50 + 25 + 5);
    EXPECT_TRUE(m_equip->GetSelectionBar()->IsDrawOn());
    MouseAt(150, 50 + 25 + 62 + 5);
    EXPECT_FALSE(m_equip->GetSelectionBar()->IsDrawOn());
}

TEST_F(EquipTest, AClickOnAPairRowChoosesTheShownItemOnlyWhenItChanges) {
    Wear(kHat);
    Wear(kRing);
    m_equip->SetExpanded(true);
    Sent();
    // Row 1 (the ring) sets bit 0.
    m_driver.Click(0, 150, 50 + 25 + 31 + 5);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({30, 1})}));
    // Once the character shows it, the same click sends nothing.
    Controller()->SetByte60(1);
    m_driver.Click(0, 150, 50 + 25 + 31 + 5);
    m_driver.Frame();
    EXPECT_TRUE(Sent().empty());
    // Row 0 (the hat) clears it again.
    m_driver.Click(0, 150, 50 + 25 + 5);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({30, 0})}));
    // Collapsed, clicks choose nothing; a right click describes the item.
    m_equip->SetExpanded(false);
    m_driver.Click(1, 150, 50 + 25 + 5);
    m_driver.Frame();
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(m_equip->GetInfoBox()->IsDrawOn());
    EXPECT_FALSE(m_equip->IsSetPanelShown());
}

class SetPanelTest : public EquipTest {
protected:
    void SetUp() override {
        EquipTest::SetUp();
        // Set 0 "Royal" of the hat (1108), with the ring, the sword and an
        // item the table lacks (9999): tier 0 needs all four (and a bit past
        // the members), tier 1 the hat alone.
        qmtest::TableBuilder sets(1, SET_COL_DESCRIPTION + 1);
        sets.U32(SET_COL_ITEM_ID).Text(SET_COL_NAME).Text(SET_COL_DESCRIPTION);
        for (int k = 0; k < SET_MEMBERS; ++k) sets.U32(SET_COL_FIRST_MEMBER + k);
        for (int t = 0; t < SET_TIERS; ++t) sets.U16(SET_COL_TIER_MASKS + 4 * t);
        sets.Set(SET_COL_ITEM_ID, 0, kIds[kHat]).Set(SET_COL_NAME, 0, "Royal");
        sets.Set(SET_COL_FIRST_MEMBER, 0, kIds[kHat])
            .Set(SET_COL_FIRST_MEMBER + 1, 0, kIds[kRing])
            .Set(SET_COL_FIRST_MEMBER + 2, 0, 9999)
            .Set(SET_COL_FIRST_MEMBER + 3, 0, kIds[kSword]);
        sets.Set(SET_COL_TIER_MASKS, 0, 0x1 | 0x2 | 0x4 | 0x8 | 0x8000);
        sets.Set(SET_COL_TIER_MASKS + 4, 0, 0x1);
        sets.Set(SET_COL_FIRST_BONUS, 0, 3).Set(SET_COL_FIRST_BONUS + 2, 0, 0xFE);  // +3 and -2
        sets.Set(SET_COL_DESCRIPTION, 0, "Worn by kings.");
        m_db.Write(901, sets);
        auto table = std::make_unique<CDataTable>();
        ASSERT_TRUE(table->LoadDataTable(901));
        m_sets = table.get();
        m_items->SetSetTable(std::move(table));
    }
    std::vector<SetPanelPiece> Panel() { return BuildSetPanel(*m_sets, kIds[kHat], *Data()); }

    const CDataTable* m_sets = nullptr;
};

constexpr uint32_t kCyan = 100 | (255 << 8) | (255u << 16), kGreyText = 169 | (169 << 8) | (169u << 16);

TEST_F(SetPanelTest, TheFirstTierMetColoursTheNameAndOnlyTierZeroListsTheBonuses) {
    // Nothing worn: no tier; members in grey, the unknown one left out.
    EXPECT_EQ(SetTierMet(*m_sets, 0, *Data()), -1);
    std::vector<SetPanelPiece> panel = Panel();
    ASSERT_EQ(panel.size(), 5u);
    EXPECT_EQ(panel[0], (SetPanelPiece{0, "Royal", 255 | (21 << 8) | (17u << 16)}));
    EXPECT_EQ(panel[1], (SetPanelPiece{2, "Hat", kGreyText}));
    EXPECT_EQ(panel[2], (SetPanelPiece{3, "Ring", kGreyText}));
    EXPECT_EQ(panel[3], (SetPanelPiece{4, "Sword", kGreyText}));
    EXPECT_EQ(panel[4], (SetPanelPiece{6, "Worn by kings.", ITEM_TEXT_WHITE}));
    // The hat alone meets tier 1: no bonus line.
    Wear(kHat);
    EXPECT_EQ(SetTierMet(*m_sets, 0, *Data()), 1);
    panel = Panel();
    EXPECT_EQ(panel[0].colour, 100 | (200 << 8) | (200u << 16));
    EXPECT_EQ(panel[1], (SetPanelPiece{2, "Hat", kCyan}));
    EXPECT_EQ(panel.size(), 5u);
    // Tier 0 needs the sword too (the member the item table lacks, and the
    // bit past the members, count for nothing).
    Wear(kRing);
    EXPECT_EQ(SetTierMet(*m_sets, 0, *Data()), 1);
    Wear(kSword);
    EXPECT_EQ(SetTierMet(*m_sets, 0, *Data()), 0);
    panel = Panel();
    ASSERT_EQ(panel.size(), 8u);
    EXPECT_EQ(panel[0].colour, kCyan);
    EXPECT_EQ(panel[4].row, 6);
    EXPECT_EQ(panel[4].text, " +3");
    EXPECT_EQ(panel[5], (SetPanelPiece{6, ", ", kGreyText}));
    EXPECT_EQ(panel[6].text, " -2");
    EXPECT_EQ(panel[7], (SetPanelPiece{8, "Worn by kings.", ITEM_TEXT_WHITE}));
    // An item of no set: nothing.
    EXPECT_TRUE(BuildSetPanel(*m_sets, kIds[kShield], *Data()).empty());
}

TEST_F(SetPanelTest, HoveringASetItemOpensThePanelAndLeavingClosesIt) {
    Wear(kHat);
    m_equip->RefreshEquipment();
    MouseAt(150, 50 + 25 + 5);
    EXPECT_TRUE(m_equip->IsSetPanelShown());
    EXPECT_EQ(m_equip->GetInfoBox()->Text().Row(0).front().text, std::string("Royal"));
    MouseAt(150, 50 + 25 + 62 + 5);
    EXPECT_FALSE(m_equip->GetInfoBox()->IsDrawOn());
}

}  // namespace
