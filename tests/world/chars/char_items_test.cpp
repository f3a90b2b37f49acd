// The server's items in a character: inventory items (event 47) in its
// item container, and a worn item (event 54) as the item handler makes it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "net/handlers/item_records.h"
#include "tests/support/table_builder.h"
#include "tests/ui/test_windows.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/hud_windows.h"

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

struct DepositWindow : uitest::TestWindow, IDepositView {
    DepositWindow() : uitest::TestWindow(DEPOSIT_WINDOW_ID) {}
    std::vector<std::unique_ptr<CItemObject>> items;
    std::vector<std::string> told;
    void AddStoredItem(std::unique_ptr<CItemObject> item, uint8_t slot, uint32_t count, uint32_t a,
                       uint32_t b) override {
        told.push_back("item " + std::to_string(slot) + " " + std::to_string(count) + " " +
                       std::to_string(a) + " " + std::to_string(b));
        items.push_back(std::move(item));
    }
    void Refresh(uint32_t value) override { told.push_back("refresh " + std::to_string(value)); }
};

std::unique_ptr<CStoredItemMsg> Stored(uint8_t slot, uint32_t count) {
    auto msg = std::make_unique<CStoredItemMsg>();
    const uint8_t options[CStoredItemMsg::OPTIONS] = {};
    CItemRecord extra;
    extra.m_value2 = 9;
    msg->Set(slot, 0, 0, 900, count, "Stored", nullptr, extra, options);
    msg->m_after[0] = 11;
    msg->m_after[1] = 12;
    return msg;
}

TEST(CharItemsTest, StoredItemsGoToTheDepositWindowAndNeverIntoTheInventory) {
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder items(1, 42);
    items.U32(19).Set(19, 0, 900);
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    CWindowMgr windows;
    windows.Create();
    g_pWindowMgr = &windows;
    {
        CPlayerChar player;
        ASSERT_TRUE(player.CreateController());
        CCharController* controller = player.GetController();
        PostMessageTo(0, &player, 0, MSG_INVEN_ITEM, MsgDataPtr(Record(4, 1, "Kept").release()), nullptr);
        controller->UpdateController(0);
        CSlotObjectMgr& container = *controller->Data()->Container();
        CItemObject* kept = container.GetSlot(4);
        ASSERT_TRUE(kept);
        auto post = [&](std::unique_ptr<CMsgPayload> record) {
            const uint32_t id = record->m_id;
            PostMessageTo(0, &player, 0, id, MsgDataPtr(record.release()), nullptr);
            controller->UpdateController(0);
        };
        auto value = [](uint8_t v) {
            auto msg = std::make_unique<CItemValueMsg>(MSG_ITEM_VALUE_53);
            msg->Set(v);
            return msg;
        };
        // No deposit window class: no window, nothing kept, nothing left over.
        post(Stored(4, 2));
        post(value(3));
        EXPECT_EQ(windows.FindWindowByName(DEPOSIT_WINDOW_ID), nullptr);
        RegisterWindowClass(DEPOSIT_WINDOW_ID, [] { return static_cast<CBaseWindow*>(new DepositWindow); });
        // The refresh alone makes no window; a stored item makes it once.
        post(value(3));
        EXPECT_EQ(windows.FindWindowByName(DEPOSIT_WINDOW_ID), nullptr);
        post(Stored(4, 2));
        post(Stored(5, 0));  // no count: nothing
        post(Stored(6, 1));
        post(value(3));
        std::vector<CBaseWindow*> found;
        ASSERT_EQ(windows.FindAllWindowsByName(DEPOSIT_WINDOW_ID, &found), 1);
        auto* deposit = dynamic_cast<DepositWindow*>(found[0]);
        ASSERT_TRUE(deposit);
        EXPECT_EQ(deposit->told, (std::vector<std::string>{"item 4 2 11 12", "item 6 1 11 12", "refresh 3"}));
        ASSERT_EQ(deposit->items.size(), 2u);
        EXPECT_EQ(deposit->items[0]->GetCount(), 2u);
        EXPECT_EQ(deposit->items[0]->GetState(), 8u);
        EXPECT_STREQ(deposit->items[0]->GetName(), "Stored");
        EXPECT_EQ(deposit->items[0]->Record().m_value2, 9u);
        // The inventory slot of the same number keeps its own item.
        EXPECT_EQ(container.GetSlot(4), kept);
        EXPECT_EQ(container.Children().Count(), 1);
    }
    windows.Release();
    g_pWindowMgr = nullptr;
    ClearWindowClasses();
    g_pItemTableMgr = nullptr;
}

}  // namespace
