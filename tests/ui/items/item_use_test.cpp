// A double-click on an item: taken off, a window opened, worn or used.
#include <gtest/gtest.h>

#include "tests/ui/items/item_fixture.h"

using namespace itemtest;

namespace {

class ItemUseTest : public ItemTest {
protected:
    ItemUseTest() : m_useSound(m_sound) {}
    uitest::RecordingSound m_sound;
    ScopedUiSound m_useSound;
};

TEST_F(ItemUseTest, OrdinaryItemsAreUsedOrWorn) {
    struct Case {
        Row row;
        std::vector<std::string> calls;
    } cases[] = {
        {kPotion, {"use slot 5"}},
        {kScroll, {"skill 5"}},
        {kBomb, {"targeted Bomb"}},
        {kSword, {"equip Sword (local)"}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Icon(c.row, ITEM_IN_INVENTORY)->UseItem());
        EXPECT_EQ(Calls(), c.calls);
    }
    EXPECT_EQ(m_sound.names, std::vector<std::string>{"EquipItem"});
    // Without a player nothing is used.
    m_world.m_hasPlayer = false;
    EXPECT_FALSE(Icon(kPotion, ITEM_IN_INVENTORY)->UseItem());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ItemUseTest, AWornItemComesOffUnlessThePlayerIsDead) {
    CItemIcon* sword = Icon(kSword, ITEM_WORN);
    m_world.m_dead = true;
    EXPECT_FALSE(sword->UseItem());
    EXPECT_TRUE(Calls().empty());
    m_world.m_dead = false;
    EXPECT_TRUE(sword->UseItem());
    EXPECT_EQ(Calls(), std::vector<std::string>{"unequip Sword (local)"});
    EXPECT_EQ(m_sound.names, std::vector<std::string>{"UnequipItem"});
    EXPECT_FALSE(Icon(kPotion, ITEM_ON_GROUND)->UseItem());
}

TEST_F(ItemUseTest, TheGuardedItemIsUsedOnceInTwoSeconds) {
    CItemIcon* guarded = Icon(kGuarded, ITEM_IN_INVENTORY);
    m_driver.Clock().Advance(5000);
    EXPECT_TRUE(guarded->UseItem());
    m_driver.Clock().Advance(1999);
    EXPECT_TRUE(guarded->UseItem());
    EXPECT_EQ(Calls(), std::vector<std::string>{"use slot 5"});
    m_driver.Clock().Advance(1);  // two seconds after the first use
    EXPECT_TRUE(guarded->UseItem());
    EXPECT_EQ(Calls(), std::vector<std::string>{"use slot 5"});
}

TEST_F(ItemUseTest, AMapItemOpensTheWorldMapWhenThereIsOne) {
    CItemIcon* map = Icon(kMap, ITEM_IN_INVENTORY);
    EXPECT_FALSE(map->UseItem());
    EXPECT_TRUE(Calls().empty());
    Target(WORLD_MAP_WINDOW_NAME)->Hide();
    EXPECT_TRUE(map->UseItem());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"World_Map_Interface: map mode 0",
                                                 "World_Map_Interface: map item 1002901"}));
}

}  // namespace
