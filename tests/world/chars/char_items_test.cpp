// The server's items in a character: inventory items (event 47) in its
// item container, and a worn item (event 54) as the item handler makes it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "net/handlers/item_records.h"
#include "tests/support/table_builder.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

std::unique_ptr<CInvenItemMsg> Record(uint8_t slot, uint32_t count, const std::string& name) {
    auto msg = std::make_unique<CInvenItemMsg>();
    CItemRecord extra;
    extra.m_value1 = 42;
    const uint8_t options[CInvenItemMsg::OPTIONS] = {};
    msg->Set(slot, 0, 0, 900, 77, count, name.c_str(), nullptr, extra, options);
    return msg;
}

TEST(CharItemsTest, TheServersInventoryItemsFillTheContainer) {
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder items(1, 42);
    items.U32(19).Set(19, 0, 900).Set(41, 0, 3);  // worn at position 3
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    {
        CPlayerChar player;
        ASSERT_TRUE(player.CreateController());
        CCharController* controller = player.GetController();
        // Event 47 through the character's own queue; a slot outside the
        // container makes nothing.
        PostMessageTo(0, &player, 0, MSG_INVEN_ITEM,
                      MsgDataPtr(Record(6, 3, std::string(200, 'x')).release()), nullptr);
        PostMessageTo(0, &player, 0, MSG_INVEN_ITEM, MsgDataPtr(Record(200, 1, "far").release()), nullptr);
        controller->UpdateController(0);
        CSlotObjectMgr& container = *controller->Data()->Container();
        CItemObject* item = container.GetSlot(6);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->GetItemId(), 900u);
        EXPECT_EQ(item->GetSecondId(1), 77u);
        EXPECT_EQ(item->GetCount(), 3u);
        EXPECT_EQ(std::string(item->GetName()), std::string(DRAW_NAME_SIZE - 1, 'x'));
        EXPECT_EQ(item->Record().m_value1, 42u);
        EXPECT_EQ(container.Children().Count(), 1);

        // 54: the handler's record, with its name, date and extra record.
        auto worn = std::make_unique<CCharItemMsg>();
        const uint8_t date[5] = {26, 12, 31, 23, 59};
        worn->Set(900, 901, 5, "Blade", date, CItemRecord(), nullptr);
        PostMessageTo(0, &player, 0, MSG_CHAR_ITEM, MsgDataPtr(worn.release()), nullptr);
        controller->UpdateController(0);
        CItemObject* blade = controller->GetItemInSlot(3);
        ASSERT_TRUE(blade);
        EXPECT_EQ(blade->GetSecondId(0), 901u);
        EXPECT_EQ(blade->GetSecondId(1), 5u);
    }
    g_pItemTableMgr = nullptr;
}

}  // namespace
