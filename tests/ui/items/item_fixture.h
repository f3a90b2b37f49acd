// Item icons over a small item table, a fake game world and target windows
// that record what they are handed.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/item_table_mgr.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/table_builder.h"
#include "tests/ui/test_windows.h"
#include "tests/ui/text_entry_fixture.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_targets.h"
#include "ui/items/item_world.h"
#include "ui/ui_requests.h"

namespace itemtest {

// Rows of the fixture's item table.
enum Row : int32_t {
    kPotion = 0,   // plain use
    kSword = 1,    // worn (slot class 4), two effects, one of them none
    kScroll = 2,   // a skill item
    kBomb = 3,     // used on a target
    kGuarded = 4,  // 1004540
    kMap = 5,      // a world-map item
    kFragile = 6,  // asks before a ground drop; store and club deposit take it
    kCursed = 7,   // colour class 4: neither store nor club deposit take it
};
inline constexpr uint32_t kIds[] = {1002, 1001, 1003, 1004, 1004540, 1002901, 1005, 1006};

inline qmtest::TableBuilder ItemTable() {
    qmtest::TableBuilder t(8, ITEM_COL_CONFIRM_DROP + 1);
    const char* names[] = {"Potion", "Sword", "Scroll", "Bomb", "Guarded", "Map", "Fragile", "Cursed"};
    t.Text(ITEM_COL_NAME).U32(ITEM_COL_ITEM_ID).U32(ITEM_COL_SKILL_ID);
    for (int row = 0; row < 8; ++row)
        t.Set(ITEM_COL_NAME, row, names[row]).Set(ITEM_COL_ITEM_ID, row, kIds[row]);
    t.Set(ITEM_COL_SORT_1, kSword, 4);
    t.Set(ITEM_COL_SKILL_ID, kScroll, 3000005);
    t.Set(ITEM_COL_USE_FLAGS, kBomb, 0x10);
    qmtest::TableBuilder effects(2, 4);
    effects.U16(1).U16(2).Set(0, 0, 1).Set(1, 0, 500).Set(2, 0, 7).Set(3, 0, 1);
    effects.Set(1, 1, ITEM_NO_EFFECT);
    t.Nested(ITEM_COL_EFFECTS).Set(ITEM_COL_EFFECTS, kSword, effects.Layout());
    t.Set(ITEM_COL_CONFIRM_DROP, kFragile, 1);
    t.Text(ITEM_COL_STORE_OK, 8).Text(ITEM_COL_CLUB_DEPOSIT_OK, 8);
    t.Set(ITEM_COL_STORE_OK, kFragile, "true").Set(ITEM_COL_CLUB_DEPOSIT_OK, kFragile, "true");
    t.Set(ITEM_COL_CLUB_DEPOSIT_OK, kCursed, "true").Set(ITEM_COL_COLOR_CLASS, kCursed, 4);
    return t;
}

// Records every call as a line.
class FakeWorld : public IItemWorld {
public:
    bool ScreenToTile(int32_t x, int32_t y, int32_t* tx, int32_t* ty) override {
        *tx = x / 10;
        *ty = y / 10;
        return true;
    }
    bool CanDropOnTile(int32_t, int32_t) override { return m_passable; }
    void HandleMapMessage(CMsgPayload& record) override { Log("map " + std::to_string(record.m_id)); }
    CChar* GetPlayer() override { return m_hasPlayer ? Player() : nullptr; }
    CChar* PickCharAt(int32_t, int32_t) override { return m_pickedType ? Other() : nullptr; }
    uint32_t GetCharId(CChar* c) override { return c == Player() ? 2000001 : m_pickedId; }
    int32_t GetCharType(CChar* c) override { return c == Player() ? 1 : m_pickedType; }
    bool HasStatus(CChar*, uint32_t status) override { return status == 49 && m_dead; }
    uint32_t GetLevel(CChar*) override { return m_level; }
    const char* GetClassName(CChar*) override { return m_className.c_str(); }
    uint32_t GetCursorMode() override { return m_cursorMode; }
    bool CanAct() override { return true; }
    bool IsInBlockingState() override { return false; }
    void DropOnGround(int32_t tx, int32_t ty, int32_t slot, uint32_t amount) override {
        Log("ground " + std::to_string(tx) + "," + std::to_string(ty) + " slot " + std::to_string(slot) +
            " x" + std::to_string(amount));
    }
    void Equip(CItemObject* item, bool server) override {
        Log(std::string("equip ") + item->GetName() + S(server));
    }
    void Unequip(CItemObject* item, bool server) override {
        Log(std::string("unequip ") + item->GetName() + S(server));
    }
    void UseSkillItem(int32_t row, uint32_t, int32_t, int8_t) override {
        Log("skill " + std::to_string(row));
    }
    void UseTargetedItem(CItemObject* item) override { Log(std::string("targeted ") + item->GetName()); }
    void UseItem(uint32_t, int32_t slot, int8_t) override { Log("use slot " + std::to_string(slot)); }
    void AddItemEffect(CChar*, uint32_t k1, uint32_t k2, uint8_t kind, uint16_t a, uint16_t b,
                       uint8_t f) override {
        Log("effect+ " + std::to_string(k1) + "/" + std::to_string(k2) + " " + std::to_string(kind) + " " +
            std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(f));
    }
    void RemoveItemEffect(CChar*, uint32_t k1, uint32_t k2) override {
        Log("effect- " + std::to_string(k1) + "/" + std::to_string(k2));
    }
    bool HasSeparateParts(CChar*) override { return true; }
    uint32_t GetPartKind(CChar*) override { return 115; }
    bool GetItemParts(uint32_t kind, uint32_t itemId, std::vector<uint32_t>* animations) override {
        if (kind != 115 || itemId != m_partItem) return false;
        *animations = {31, 32};
        return true;
    }
    void AttachPart(CChar*, uint32_t a) override { Log("part+ " + std::to_string(a)); }
    void DetachPart(CChar*, uint32_t a) override { Log("part- " + std::to_string(a)); }
    void HighlightPart(CChar*, uint32_t a, uint8_t v) override {
        Log("light " + std::to_string(a) + "=" + std::to_string(v));
    }
    bool RunAlbumOperation(CItemObject*) override { return false; }

    CChar* Player() { return reinterpret_cast<CChar*>(&m_playerTag); }
    CChar* Other() { return reinterpret_cast<CChar*>(&m_otherTag); }
    std::vector<std::string> Take() { return std::exchange(m_log, {}); }

    bool m_passable = true;
    bool m_hasPlayer = true;
    uint32_t m_level = 1;
    std::string m_className;
    uint32_t m_cursorMode = 0;
    bool m_dead = false;
    int32_t m_pickedType = 0;  // 0: nobody under the mouse
    uint32_t m_pickedId = 0;
    uint32_t m_partItem = 1001;
    std::vector<std::string> m_log;

private:
    static std::string S(bool server) { return server ? " (server)" : " (local)"; }
    void Log(std::string line) { m_log.push_back(std::move(line)); }
    int m_playerTag = 0, m_otherTag = 0;
};

// A window under an identifier that takes items in every way and records it.
class TargetWindow : public uitest::TestWindow,
                     public IItemDepositTarget,
                     public IItemOfferTarget,
                     public IItemStoreTarget,
                     public IItemGameTarget,
                     public IItemIconTarget,
                     public IItemEquipTarget,
                     public IItemWorldMapTarget {
public:
    TargetWindow(const char* name, std::vector<std::string>* log)
        : TestWindow(name, 0, 0, 800, 600), m_log(log) {
        m_pickable = 1;
    }
    void DepositItem(CItemIcon* icon, uint32_t n) override { Log("deposit", icon, n); }
    void WithdrawItem(int32_t slot, uint32_t n) override {
        Log("withdraw slot " + std::to_string(slot), nullptr, n);
    }
    void OfferItem(int32_t slot, uint32_t n) override {
        Log("offer slot " + std::to_string(slot), nullptr, n);
    }
    void OfferSingle(CItemIcon* icon) override { Log("offer one", icon, 1); }
    bool IsSelling() override { return m_selling; }
    void AddItem(CItemIcon* icon, uint32_t n) override { Log("store", icon, n); }
    bool AcceptsItem(CItemIcon*, int32_t, int32_t) override { return m_accepts; }
    void OnItemDrop(int32_t, int32_t, CItemIcon* icon, uint32_t n) override { Log("game", icon, n); }
    void DropIcon(CItemIcon* icon, int32_t, int32_t) override { Log("icon", icon, 1); }
    CItemIcon* GetWornItem(uint8_t) override { return m_worn; }
    void SetMode(int32_t mode) override { Log("map mode " + std::to_string(mode), nullptr, 0); }
    void SetSourceItem(uint32_t id) override { Log("map item " + std::to_string(id), nullptr, 0); }

    bool m_selling = false;
    bool m_accepts = true;
    CItemIcon* m_worn = nullptr;

private:
    void Log(const std::string& what, CItemIcon* icon, uint32_t n) {
        std::string line = std::string(GetName()) + ": " + what;
        if (icon) line += std::string(" ") + icon->GetName();
        if (n) line += " x" + std::to_string(n);
        m_log->push_back(line);
    }
    std::vector<std::string>* m_log;
};

struct RecordingRequests : IUiRequests {
    void SendMessageBoxReply(uint32_t id, const char* answer) override {
        log.push_back("reply " + std::to_string(id) + " " + answer);
    }
    void SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) override {
        log.push_back("request 41 slot " + std::to_string(slot) + " x" + std::to_string(count) + " to " +
                      std::to_string(value));
    }
    std::vector<std::string> log;
};

// The driver with the text input manager, the item tables (whose templates
// are icons), the fake world and the request recorder installed.
class ItemTest : public TextEntryTest {
protected:
    ItemTest() {
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, ItemTable());
        m_previousTables = g_pItemTableMgr;
        g_pItemTableMgr = new CItemTableMgr;
        m_driver.UseCursor();
    }
    ~ItemTest() override {
        for (CItemIcon* icon : m_icons) delete icon;
        delete g_pItemTableMgr;
        g_pItemTableMgr = m_previousTables;
    }
    CItemIcon* Icon(Row row, uint32_t location, uint32_t count = 1, int32_t slot = 5) {
        auto* icon = new CItemIcon;
        icon->Init(row, kIds[row]);
        icon->SetState(location);
        icon->SetCount(count);
        icon->SetSlotIndex(slot);
        m_icons.push_back(icon);
        return icon;
    }
    TargetWindow* Target(const char* name) { return m_driver.Add(new TargetWindow(name, &m_calls)); }
    void Ctrl(bool down) { m_driver.Keys().SetKeyDown(plat::VK_CONTROL, down); }
    // Everything that happened, in order: windows, the world, the requests.
    std::vector<std::string> Calls() {
        std::vector<std::string> all = std::exchange(m_calls, {});
        for (std::string& line : m_world.Take()) all.push_back(line);
        for (std::string& line : std::exchange(m_requests.log, {})) all.push_back(line);
        return all;
    }

    qmtest::ScopedDatabase m_db;
    CItemIconFactory m_factory;
    ScopedItemObjectFactory m_useFactory{m_factory};
    FakeWorld m_world;
    ScopedItemWorld m_useWorld{m_world};
    RecordingRequests m_requests;
    ScopedUiRequests m_useRequests{m_requests};
    std::vector<std::string> m_calls;
    std::vector<CItemIcon*> m_icons;
    CItemTableMgr* m_previousTables = nullptr;
};

}  // namespace itemtest
