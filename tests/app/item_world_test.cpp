// What an item icon reaches of the running program's world: the bag item a
// drop record names laid on the map when the client plays alone, and the
// requests of a server's game, over the real map, character manager and
// player's controller.
#include "app/item_world.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/item_table_mgr.h"
#include "tests/support/table_builder.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/items/item_drop_msg.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_world.h"
#include "world/map/map_data.h"

namespace {

constexpr uint32_t kHerb = 3001;

class ItemWorldTest : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        qmtest::TableBuilder items(1, ITEM_COL_ITEM_ID + 1);
        items.Text(ITEM_COL_NAME).U32(ITEM_COL_ITEM_ID);
        items.Set(ITEM_COL_NAME, 0, "Herb").Set(ITEM_COL_ITEM_ID, 0, kHerb);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        m_items = std::make_unique<CItemTableMgr>();
        g_pItemTableMgr = m_items.get();
        m_player = MakePlayer();
        ASSERT_NE(m_player, nullptr);
        m_player->GetData()->SetMotion(MOTION_STAND);
        m_oldServer = g_config.m_useServer;
        InstallItemWorld();
        m_world = GetItemWorld();
        ASSERT_NE(m_world, nullptr);
    }
    void TearDown() override {
        SetItemWorld(nullptr);
        g_config.m_useServer = m_oldServer;
        g_pItemTableMgr = nullptr;
        CharFixture::TearDown();
        m_items.reset();
    }
    // A herb in the bag's slot.
    CItemIcon* BagHerb(int32_t slot) {
        auto* icon =
            dynamic_cast<CItemIcon*>(m_player->GetController()->GetOrCreateItem(kHerb, 1, slot, true));
        EXPECT_NE(icon, nullptr);
        return icon;
    }

    CItemIconFactory m_icons;
    ScopedItemObjectFactory m_useIcons{m_icons};
    std::unique_ptr<CItemTableMgr> m_items;
    CChar* m_player = nullptr;
    IItemWorld* m_world = nullptr;
    bool m_oldServer = false;
};

}  // namespace

// Playing alone, the drop record of a bag item lays that item (the whole of
// it, as the icon itself) on the map at the record's tile.
TEST_F(ItemWorldTest, PlayingAloneTheDropRecordLaysTheBagItemOnTheMap) {
    g_config.m_useServer = false;
    CItemIcon* herb = BagHerb(3);
    ASSERT_TRUE(herb);
    EXPECT_EQ(herb->GetState(), uint32_t(ITEM_IN_INVENTORY));
    int32_t tileX = 0, tileY = 0;
    ASSERT_TRUE(m_world->ScreenToTile(400, 300, &tileX, &tileY));
    EXPECT_TRUE(m_world->CanDropOnTile(12, 11));
    EXPECT_FALSE(m_world->CanDropOnTile(-1, 11)) << "off the map";
    CItemDropMsg record;
    FillItemDropMessage(record, *herb, herb->Expiry(), 12, 11, m_world->GetCharId(m_player), herb->GetId());
    m_world->HandleMapMessage(record);
    EXPECT_EQ(m_player->GetData()->Container()->GetSlot(3), nullptr);
    EXPECT_EQ(m_field.GetMapData()->ObjectLayer().FindByItemId(kHerb), herb);
    EXPECT_EQ(herb->GetState(), uint32_t(ITEM_ON_GROUND));
    EXPECT_EQ(herb->GetMapPoint(), std::make_pair(12, 11));
}

// With a server the controller's requests go out: the ground drop as the
// point request (slot, amount, tile), wearing as the slot's use, taking off
// as the worn place's request (the herb has no place: 0); and the
// icon reads the characters as the world knows them.
TEST_F(ItemWorldTest, WithAServerTheControllerAsksAndTheCharactersAnswer) {
    g_config.m_useServer = true;
    CItemIcon* herb = BagHerb(3);
    ASSERT_TRUE(herb);
    m_world->DropOnGround(12, 11, 3, 2);
    m_world->Equip(herb, true);
    m_world->Unequip(herb, true);
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"8 3 2 12 11", "28 3 ", "31 0"}));

    CChar* monster = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_NE(monster, nullptr);
    EXPECT_EQ(m_world->GetPlayer(), m_player);
    EXPECT_EQ(m_world->GetCharType(m_player), 1);
    EXPECT_NE(m_world->GetCharType(monster), 1);
    EXPECT_EQ(m_world->GetCharId(monster), 5u);
    m_player->GetData()->m_values[VALUE_LEVEL] = 7;
    EXPECT_EQ(m_world->GetLevel(m_player), 7u);
    EXPECT_TRUE(m_world->CanAct());
    EXPECT_FALSE(m_world->IsInBlockingState());
    EXPECT_FALSE(m_world->RunAlbumOperation(herb)) << "no album yet";
    // A worn item's effects go to the character's effect list.
    m_world->AddItemEffect(m_player, 1000000, 0, 1, 500, 7, 1);
    EXPECT_TRUE(Effects(m_player)->HasEffect(1000000, 0));
    m_world->RemoveItemEffect(m_player, 1000000, 0);
    EXPECT_FALSE(Effects(m_player)->HasEffect(1000000, 0));
}
