// The item windows' test bed: the chat's (characters, the window driver,
// the play windows' classes, a connected session whose requests the test
// reads) with a small item table, item icons as the item objects, and the
// user's own character "Me" whose window set holds the item windows.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/item_table_mgr.h"
#include "tests/support/table_builder.h"
#include "tests/windows/play/chat_fixture.h"
#include "ui/items/item_icon.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/hud_windows.h"

namespace itemwin {

// Rows of the item table.
enum Row : int32_t {
    kSword = 0,   // equipment position 2, second key 3
    kShield = 1,  // position 3, second key 1
    kPotion = 2,  // a stack, second key 5
    kHerb = 3,    // second key 2
    kGem = 4,     // colour class 4, second key 9
    kRing = 5,    // position 9 (a pair with 10)
    kRing2 = 6,   // position 10
    kHat = 7,     // position 1
};
inline constexpr uint32_t kIds[] = {1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108};
inline constexpr const char* kNames[] = {"Sword", "Shield", "Potion",   "Herb",
                                         "Gem",   "Ring",   "Ring Two", "Hat"};

inline qmtest::TableBuilder ItemTable() {
    qmtest::TableBuilder t(8, ITEM_COL_CLASS + 1);
    t.Text(ITEM_COL_NAME)
        .U8(ITEM_COL_SORT_2)
        .U8(ITEM_COL_COLOR_CLASS)
        .U32(ITEM_COL_ITEM_ID)
        .U8(ITEM_COL_SORT_1)
        .U8(ITEM_COL_CLASS);
    const int sortKey[] = {3, 1, 5, 2, 9, 4, 4, 6};
    const int position[] = {2, 3, 0, 0, 0, 9, 10, 1};
    for (int row = 0; row < 8; ++row)
        t.Set(ITEM_COL_NAME, row, kNames[row])
            .Set(ITEM_COL_ITEM_ID, row, kIds[row])
            .Set(ITEM_COL_SORT_2, row, sortKey[row])
            .Set(ITEM_COL_SORT_1, row, position[row]);
    t.Set(ITEM_COL_COLOR_CLASS, kGem, 4);
    return t;
}

class ItemsFixture : public chattest::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, ItemTable());
        m_items = std::make_unique<CItemTableMgr>();
        g_pItemTableMgr = m_items.get();
        m_player = MakePlayer(1);
        ASSERT_TRUE(m_player);
        Sent();
    }
    void TearDown() override {
        m_driver.Mgr().DeleteAllChildren();
        m_player = nullptr;
        m_mgr->RemoveAllChars(false);
        g_pItemTableMgr = nullptr;
        m_items.reset();
        ChatFixture::TearDown();
    }
    CCharController* Controller() { return m_player->GetController(); }
    CCharData* Data() { return m_player->GetData(); }
    // An item of the row in the bag's slot.
    CItemIcon* Put(Row row, int32_t slot, uint32_t count = 1) {
        return dynamic_cast<CItemIcon*>(Controller()->GetOrCreateItem(kIds[row], count, slot, true));
    }
    // A worn item of the row.
    CItemIcon* Wear(Row row) {
        std::unique_ptr<CItemObject> item(m_items->MakeItem(kIds[row]));
        auto* icon = dynamic_cast<CItemIcon*>(item.get());
        return Controller()->Equip(std::move(item)) ? icon : nullptr;
    }
    template <class W>
    W* Hud(int slot) {
        return dynamic_cast<W*>(m_player->GetAction()->HudWindow(slot));
    }
    // A frame with the mouse at the point.
    void MouseAt(int32_t x, int32_t y) {
        m_driver.MoveTo(x, y);
        m_driver.Frame();
    }

    CItemIconFactory m_factory;
    ScopedItemObjectFactory m_factoryScope{m_factory};
    std::unique_ptr<CItemTableMgr> m_items;
    CChar* m_player = nullptr;
};

// A request as the session queues it.
inline chattest::Bytes Bytes(std::initializer_list<uint8_t> bytes) {
    return chattest::Bytes(bytes);
}

}  // namespace itemwin
