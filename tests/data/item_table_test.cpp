#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/data_table.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "platform/message_box.h"
#include "tests/support/table_builder.h"

namespace {

// Item ids of the fixture's rows; row 2 has none (a free template).
constexpr uint32_t kSwordId = 1001, kPotionId = 1002;

qmtest::TableBuilder ItemTable() {
    qmtest::TableBuilder t(3, 60);
    t.Text(ITEM_COL_NAME).Set(ITEM_COL_NAME, 0, "Sword").Set(ITEM_COL_NAME, 1, "Potion");
    t.U32(ITEM_COL_ITEM_ID).Set(ITEM_COL_ITEM_ID, 0, kSwordId).Set(ITEM_COL_ITEM_ID, 1, kPotionId);
    t.Set(ITEM_COL_COLOR_CLASS, 0, 7).Set(ITEM_COL_COLOR_CLASS, 1, 9);
    t.U32(ITEM_COL_SKILL_ID).Set(ITEM_COL_SKILL_ID, 0, 3000005);
    t.Pair16(ITEM_COL_RANGE).Set(ITEM_COL_RANGE, 0, {-2, 300});
    t.Set(ITEM_COL_USE_FLAGS, 0, 0xC8).Set(ITEM_COL_USE_FLAGS, 1, ITEM_USE_ON_PLACE);
    t.Text(ITEM_COL_DROP_CASH)
        .Set(ITEM_COL_DROP_CASH, 0, "qCanDropCash")
        .Set(ITEM_COL_DROP_CASH, 1, "qcandropcash");
    t.Text(ITEM_COL_TRUE_28).Set(ITEM_COL_TRUE_28, 0, "true").Set(ITEM_COL_TRUE_28, 1, "TRUE");
    t.Set(ITEM_COL_SORT_1, 0, 4).Set(ITEM_COL_SORT_1, 1, 5).Set(ITEM_COL_SORT_2, 0, 6);
    t.Ref(ITEM_COL_ANI_REF).Set(ITEM_COL_ANI_REF, 0, {11, 12, 13});
    t.U16(ITEM_COL_WORD_9).Set(ITEM_COL_WORD_9, 0, 500).U16(ITEM_COL_WORD_32).Set(ITEM_COL_WORD_32, 0, 65535);
    t.U32(ITEM_COL_LIST_SORT)
        .Set(ITEM_COL_LIST_SORT, 0, 77)
        .U32(ITEM_COL_DWORD_38)
        .Set(ITEM_COL_DWORD_38, 0, 38);
    t.U32(ITEM_COL_DWORD_45)
        .Set(ITEM_COL_DWORD_45, 0, 45)
        .U32(ITEM_COL_DWORD_46)
        .Set(ITEM_COL_DWORD_46, 0, 46);
    t.Set(ITEM_COL_HAND_1, 0, 1)
        .Set(ITEM_COL_HAND_2, 0, 2)
        .Set(ITEM_COL_FLAG_7, 0, 1)
        .Set(ITEM_COL_FLAG_7, 1, 2);
    t.Set(ITEM_COL_BYTE_30, 0, 3)
        .Set(ITEM_COL_BYTE_42, 1, 1)
        .Set(ITEM_COL_BYTE_43, 0, 43)
        .Set(ITEM_COL_BYTE_59, 0, 59);
    // Columns of another type than the accessors read give 0 and null.
    t.Text(ITEM_COL_BYTE_14).Set(ITEM_COL_BYTE_14, 0, "14");
    t.Set(ITEM_COL_TEXT_37, 0, 37);
    return t;
}

class ItemTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, ItemTable());
        g_pItemTableMgr = new CItemTableMgr;
    }
    void TearDown() override {
        delete g_pItemTableMgr;
        g_pItemTableMgr = nullptr;
    }
    static std::unique_ptr<CItemObject> Item(int32_t row, uint32_t id = 0) {
        auto item = std::make_unique<CItemObject>();
        item->Init(row, id);
        return item;
    }

    qmtest::ScopedDatabase m_db;
};

TEST_F(ItemTableTest, AccessorsReadTheItemsRow) {
    auto sword = Item(0, kSwordId);
    EXPECT_STREQ(sword->GetName(), "Sword");
    EXPECT_STREQ(sword->GetText3(), "Sword");
    EXPECT_EQ(sword->GetTypeCode(), ITEM_TYPE_CODE);
    EXPECT_EQ(sword->GetSkillId(), 3000005u);
    EXPECT_EQ(sword->GetColorClass(), 7);
    EXPECT_EQ(sword->GetMinRange(), -2);
    EXPECT_EQ(sword->GetMaxRange(), 300);
    EXPECT_EQ(sword->GetByte36(), int8_t(0xC8));
    EXPECT_EQ(sword->GetByte41(), 4);
    EXPECT_EQ(sword->GetByte6(), 6);
    EXPECT_EQ(sword->GetByte43(), 43);
    EXPECT_EQ(sword->GetByte59(), 59);
    EXPECT_EQ(sword->GetWord9(), 500);
    EXPECT_EQ(sword->GetWord32(), 65535);
    EXPECT_EQ(sword->GetDword10(), 77u);
    EXPECT_EQ(sword->GetDword38(), 38u);
    EXPECT_EQ(sword->GetDword45(), 45u);
    EXPECT_EQ(sword->GetDword46(), 46u);
    EXPECT_EQ(sword->GetByteByHand(1), 1);
    EXPECT_EQ(sword->GetByteByHand(2), 2);
    EXPECT_EQ(sword->GetByteByHand(3), 0);
    EXPECT_TRUE(sword->IsByte7One());
    EXPECT_TRUE(sword->HasByte30());
    EXPECT_TRUE(sword->HasByte41());
    EXPECT_FALSE(sword->HasByte42());
    EXPECT_TRUE(sword->IsCanDropCash());
    EXPECT_TRUE(sword->IsText28True());
    uint16_t a = 0, b = 0;
    uint8_t c = 0;
    EXPECT_TRUE(sword->GetResourceRef44(&a, &b, &c));
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 12);
    EXPECT_EQ(c, 13);
    // Text where a byte is read, and a byte where a text is read.
    EXPECT_EQ(sword->GetByte14(), 0);
    EXPECT_EQ(sword->GetText37(), nullptr);

    auto potion = Item(1, kPotionId);
    EXPECT_FALSE(potion->IsCanDropCash());  // exact comparison
    EXPECT_FALSE(potion->IsText28True());
    EXPECT_FALSE(potion->IsByte7One());
    EXPECT_TRUE(potion->HasByte42());
}

TEST_F(ItemTableTest, RowsOutsideTheTableGiveZero) {
    auto check = [](const CItemObject& item, const char* what) {
        EXPECT_EQ(item.GetColorClass(), 0) << what;
        uint8_t color[4];
        item.GetNameColor(color);
        EXPECT_EQ(std::vector<uint8_t>(color, color + 4), (std::vector<uint8_t>{255, 255, 255, 0})) << what;
        EXPECT_EQ(item.GetMinRange(), 0) << what;
        EXPECT_EQ(item.GetMaxRange(), 0) << what;
        EXPECT_EQ(item.GetSkillId(), 0u) << what;
        EXPECT_EQ(item.GetText3(), nullptr) << what;
        EXPECT_FALSE(item.IsCanDropCash()) << what;
        uint16_t a = 9, b = 9;
        uint8_t c = 9;
        EXPECT_FALSE(item.GetResourceRef44(&a, &b, &c)) << what;
        EXPECT_EQ(a + b + c, 0) << what;
    };
    check(*Item(-1), "row -1");
    check(*Item(3), "row past the end");
    auto sword = Item(0);
    CItemTableMgr* manager = g_pItemTableMgr;
    g_pItemTableMgr = nullptr;
    check(*sword, "no item manager");
    g_pItemTableMgr = manager;
}

TEST_F(ItemTableTest, NameColourByClass) {
    const std::vector<std::vector<uint8_t>> expected = {
        {255, 255, 255}, {166, 166, 255}, {255, 255, 0},   {249, 198, 213}, {0, 255, 0},    {210, 142, 99},
        {255, 255, 255}, {130, 250, 250}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}};
    for (int colorClass = 0; colorClass <= 10; ++colorClass) {
        qmtest::TableBuilder t(1, 60);
        t.Set(ITEM_COL_COLOR_CLASS, 0, colorClass);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, t);
        g_pItemTableMgr->LoadItemTable();
        uint8_t color[4];
        Item(0)->GetNameColor(color);
        EXPECT_EQ(std::vector<uint8_t>(color, color + 3), expected[size_t(colorClass)]) << colorClass;
        EXPECT_EQ(color[3], 0);
    }
}

TEST_F(ItemTableTest, KindTextColours) {
    // Red in the low byte.
    const std::pair<uint16_t, uint32_t> cases[] = {
        {0, 0xC8C8FF}, {1, 0xC8F0C8}, {2, 0xFFD2D2}, {3, 0}, {6, 0}};
    for (const auto& [type, colour] : cases) {
        CDrawObject object;
        object.CreateNamed(type, "x");
        EXPECT_EQ(GetKindTextColor(&object), colour) << type;
    }
    EXPECT_EQ(GetKindTextColor(nullptr), 0u);
}

struct FakeWorld : IGameWorldHooks {
    bool HasMap() override { return m_map; }
    bool IsWalkable(int32_t x, int32_t) override { return x >= 0; }
    uint16_t GetState(CChar*) override { return m_state; }
    bool m_map = true;
    uint16_t m_state = 0;
};

TEST_F(ItemTableTest, UseFlagsDecideWhereAndWhenAnItemIsUsable) {
    FakeWorld world;
    SetGameWorldHooks(&world);
    CChar* someone = reinterpret_cast<CChar*>(&world);  // only passed through
    struct Case {
        uint8_t flags;
        uint16_t state;
        bool withChar;
        int32_t x;
        bool usable;
    };
    const Case cases[] = {
        {ITEM_USE_ON_PLACE, 0, false, 5, true},  // the place flag wins over everything
        {ITEM_USE_ON_PLACE | ITEM_USE_NEVER, 3, true, 5, true},
        {ITEM_USE_ON_PLACE, 0, false, -1, false},  // not walkable, no character
        {ITEM_USE_STATE_0, 0, false, 5, false},
        {ITEM_USE_NEVER | ITEM_USE_STATE_0, 0, true, 5, false},
        {ITEM_USE_STATE_0, 0, true, 5, true},
        {ITEM_USE_STATE_1, 0, true, 5, false},
        {ITEM_USE_STATE_1, 1, true, 5, true},
        {ITEM_USE_STATE_2, 2, true, 5, true},
        {ITEM_USE_STATE_6, 6, true, 5, true},
        {ITEM_USE_STATE_0, 6, true, 5, false},
        {0, 3, true, 5, true},
        {0, 4, true, 5, true},
        {0, 7, true, 5, true},
    };
    for (const Case& c : cases) {
        qmtest::TableBuilder t(1, 60);
        t.Set(ITEM_COL_USE_FLAGS, 0, c.flags);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, t);
        g_pItemTableMgr->LoadItemTable();
        world.m_state = c.state;
        EXPECT_EQ(Item(0)->CanUseAt(c.withChar ? someone : nullptr, c.x, 0), c.usable)
            << int(c.flags) << " state " << c.state;
    }
    world.m_map = false;  // without a map the place flag does not help
    qmtest::TableBuilder t(1, 60);
    t.Set(ITEM_COL_USE_FLAGS, 0, ITEM_USE_ON_PLACE);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, t);
    g_pItemTableMgr->LoadItemTable();
    EXPECT_FALSE(Item(0)->CanUseAt(nullptr, 5, 0));
    SetGameWorldHooks(nullptr);
}

TEST_F(ItemTableTest, TemplatesOnePerRow) {
    CItemTableMgr& manager = *g_pItemTableMgr;
    ASSERT_EQ(manager.GetTemplateCount(), 3);
    EXPECT_EQ(manager.GetTemplate(0)->GetItemId(), kSwordId);
    EXPECT_STREQ(manager.GetTemplate(1)->GetName(), "Potion");
    EXPECT_EQ(manager.GetTemplate(3), nullptr);
    EXPECT_EQ(manager.GetTemplate(-1), nullptr);
    EXPECT_EQ(manager.FindTemplateById(kPotionId), manager.GetTemplate(1));
    EXPECT_EQ(manager.FindTemplateById(4242), nullptr);
    manager.GetTemplate(1)->SetKindId(21);
    EXPECT_EQ(manager.FindTemplateByKind(21), manager.GetTemplate(1));
    EXPECT_EQ(manager.FindFreeEntry(), 2);

    std::unique_ptr<CItemObject> made(manager.MakeItem(kPotionId));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetItemRow(), 1);
    EXPECT_EQ(made->GetSlotIndex(), -1);
    EXPECT_EQ(made->GetColorClass(), 9);
    EXPECT_EQ(manager.MakeItem(4242), nullptr);

    // Without the table file the manager holds nothing.
    plat::ScopedMessageBoxRecorder boxes;
    qmtest::ScopedDatabase empty;
    EXPECT_FALSE(manager.LoadItemTable());
    EXPECT_EQ(manager.GetTemplateCount(), 0);
    EXPECT_EQ(manager.FindTemplateById(kSwordId), nullptr);
    EXPECT_EQ(manager.FindFreeEntry(), -1);
    EXPECT_FALSE(boxes.Boxes().empty());
}

TEST_F(ItemTableTest, TemplateValuesByKindAndByItemIdAndDeletedTemplates) {
    CItemTableMgr& manager = *g_pItemTableMgr;
    ASSERT_EQ(manager.GetTemplateCount(), 3);
    manager.GetTemplate(0)->SetKindId(20);
    manager.GetTemplate(0)->SetValues(5, 50);
    manager.GetTemplate(1)->SetKindId(21);
    manager.GetTemplate(1)->SetValues(3, 30);
    manager.GetTemplate(2)->SetKindId(21);
    manager.GetTemplate(2)->SetValues(7, 70);
    enum By { kKind, kId };
    struct Case {
        const char* what;
        By by;
        uint32_t key, current, maximum;
    };
    const auto check = [&manager](const Case& c) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.by == kKind ? manager.GetCurrentByKind(c.key) : manager.GetCurrentById(c.key), c.current);
        EXPECT_EQ(c.by == kKind ? manager.GetMaximumByKind(c.key) : manager.GetMaximumById(c.key), c.maximum);
    };
    for (const Case& c : {
             Case{"the sword's kind", kKind, 20, 5, 50},
             Case{"a kind two templates have: the first", kKind, 21, 3, 30},
             Case{"a kind no template has", kKind, 22, 0, 0},
             Case{"the sword's id", kId, kSwordId, 5, 50},
             Case{"the potion's id", kId, kPotionId, 3, 30},
             Case{"an id no template has (a kind one has)", kId, 21, 0, 0},
         })
        check(c);

    // A deleted template leaves an empty entry: the others keep their
    // indexes, lookups pass it by, and it is the first free entry.
    manager.SetCurrentItem(0, manager.GetTemplate(1));
    EXPECT_TRUE(manager.DeleteLookedUp(kPotionId));
    EXPECT_FALSE(manager.DeleteLookedUp(kPotionId));
    EXPECT_FALSE(manager.DeleteLookedUp(4242));
    EXPECT_EQ(manager.GetCurrentItem(0), nullptr);
    ASSERT_EQ(manager.GetTemplateCount(), 3);
    EXPECT_EQ(manager.GetTemplate(1), nullptr);
    EXPECT_EQ(manager.GetTemplate(0)->GetItemId(), kSwordId);
    EXPECT_EQ(manager.FindTemplateById(kPotionId), nullptr);
    EXPECT_EQ(manager.FindTemplateByKind(21), manager.GetTemplate(2));
    for (const Case& c : {
             Case{"the kind after its first template went", kKind, 21, 7, 70},
             Case{"the deleted template's id", kId, kPotionId, 0, 0},
         })
        check(c);
    EXPECT_EQ(manager.MakeItem(kPotionId), nullptr);
    EXPECT_EQ(manager.FindFreeEntry(), 1);
}

TEST_F(ItemTableTest, ReleasedItemLeavesTheCurrentItems) {
    auto item = Item(0, kSwordId);
    g_pItemTableMgr->SetCurrentItem(0, item.get());
    g_pItemTableMgr->SetCurrentItem(2, item.get());
    auto other = Item(1, kPotionId);
    g_pItemTableMgr->SetCurrentItem(1, other.get());
    item.reset();
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(0), nullptr);
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(1), other.get());
    EXPECT_EQ(g_pItemTableMgr->GetCurrentItem(2), nullptr);
}

// ---------------------------------------------------------------------------
// Containers

class CountedItem : public CItemObject {
public:
    explicit CountedItem(int* deleted, int32_t row = 0, uint32_t id = kSwordId) : m_deleted(deleted) {
        Init(row, id);
    }
    ~CountedItem() override { ++*m_deleted; }
    // The handle another manager gave it.
    void SetHandle(uint32_t id) { m_id = id; }
    int* m_deleted;
};

class SlotContainerTest : public ItemTableTest {
protected:
    CountedItem* New(int32_t row = 0, uint32_t id = kSwordId) { return new CountedItem(&m_deleted, row, id); }
    CSlotObjectMgr m_slots;
    int m_deleted = 0;
};

TEST_F(SlotContainerTest, PutInSlotKeepsOrReplaces) {
    CountedItem* a = New();
    ASSERT_TRUE(m_slots.PutInSlot(a, 3));
    EXPECT_EQ(m_slots.GetSlot(3), a);
    EXPECT_EQ(a->GetSlotIndex(), 3);
    EXPECT_EQ(m_slots.ChildCount(), 1);

    // Into the slot it already holds: the item stays.
    EXPECT_TRUE(m_slots.PutInSlot(a, 3));
    EXPECT_EQ(m_deleted, 0);
    EXPECT_EQ(m_slots.GetSlot(3), a);
    EXPECT_EQ(m_slots.ChildCount(), 1);

    // Moved to another slot: the old slot is emptied, the item not doubled.
    EXPECT_TRUE(m_slots.PutInSlot(a, 64));
    EXPECT_EQ(m_slots.GetSlot(3), nullptr);
    EXPECT_EQ(m_slots.GetSlot(64), a);
    EXPECT_EQ(m_slots.ChildCount(), 1);

    // Another item into an occupied slot: the occupant is deleted.
    CountedItem* b = New(1, kPotionId);
    EXPECT_TRUE(m_slots.PutInSlot(b, 64));
    EXPECT_EQ(m_deleted, 1);
    EXPECT_EQ(m_slots.GetSlot(64), b);
    EXPECT_EQ(m_slots.ChildCount(), 1);

    std::unique_ptr<CountedItem> c(New());
    EXPECT_FALSE(m_slots.PutInSlot(c.get(), 65));
    EXPECT_FALSE(m_slots.PutInSlot(c.get(), 255));
    EXPECT_FALSE(m_slots.PutInSlot(nullptr, 1));
    EXPECT_EQ(m_slots.GetSlot(65), nullptr);
    EXPECT_EQ(m_slots.GetSlot(-1), nullptr);
}

TEST_F(SlotContainerTest, RemoveRefusesIndexesOutsideTheSlots) {
    CountedItem* a = New();
    m_slots.PutInSlot(a, 0);
    for (int index : {-1, 65, 66, 1000, 1}) EXPECT_FALSE(m_slots.RemoveBySlot(index)) << index;
    EXPECT_EQ(m_deleted, 0);
    EXPECT_TRUE(m_slots.RemoveBySlot(0));
    EXPECT_EQ(m_deleted, 1);
    EXPECT_EQ(m_slots.ChildCount(), 0);
}

TEST_F(SlotContainerTest, RemoveItemDeletesOnlyItsOwnChildren) {
    CountedItem* placed = New();
    CountedItem* loose = New();
    m_slots.PutInSlot(placed, 5);
    m_slots.AddChild(loose);  // a child without a slot
    std::unique_ptr<CountedItem> foreign(New());
    foreign->SetHandle(placed->GetId());  // another manager's item with the same handle

    EXPECT_TRUE(m_slots.RemoveItem(foreign.get()));
    EXPECT_EQ(m_deleted, 0);
    EXPECT_EQ(m_slots.GetSlot(5), placed);
    EXPECT_TRUE(m_slots.RemoveItem(loose));
    EXPECT_EQ(m_deleted, 1);
    EXPECT_TRUE(m_slots.RemoveItem(placed));
    EXPECT_EQ(m_deleted, 2);
    EXPECT_EQ(m_slots.GetSlot(5), nullptr);
}

TEST_F(SlotContainerTest, FindsTakeOutsAndCounts) {
    CountedItem* sword = New(0, kSwordId);
    CountedItem* potion = New(1, kPotionId);
    CountedItem* unplaced = New(1, kPotionId);
    sword->SetSecondIds(7, 8);
    potion->SetState(1);
    unplaced->SetKindId(33);
    m_slots.PutInSlot(sword, 0);
    m_slots.PutInSlot(potion, 9);
    m_slots.AddChild(unplaced);  // first in list order

    EXPECT_EQ(m_slots.FindByItemId(kPotionId), unplaced);
    EXPECT_EQ(m_slots.FindStateOneByItemId(kPotionId), potion);
    EXPECT_EQ(m_slots.FindBySecondIds(7, 8), sword);
    EXPECT_EQ(m_slots.FindBySecondIds(8, 7), nullptr);
    EXPECT_EQ(m_slots.FindByFirstSecondId(7), sword);
    EXPECT_EQ(m_slots.FindByFirstSecondId(8), nullptr);
    EXPECT_EQ(m_slots.FindByName("Sword"), sword);
    EXPECT_EQ(m_slots.FindByName("sword"), nullptr);
    EXPECT_EQ(m_slots.FindByByte41(5), unplaced);
    EXPECT_EQ(m_slots.FindStateOneByByte41(5), potion);
    EXPECT_EQ(m_slots.CountItemsBeyondSlot0(), 1);  // slot 0 and the unplaced item do not count
    EXPECT_EQ(m_slots.CountClass9(), 2);

    std::unique_ptr<CItemObject> taken(m_slots.TakeOutBySlotIndex(9));
    EXPECT_EQ(taken.get(), potion);
    EXPECT_EQ(taken->GetId(), 0u);
    EXPECT_EQ(m_slots.GetSlot(9), nullptr);
    std::unique_ptr<CItemObject> byKind(m_slots.TakeOutByKind(33));
    EXPECT_EQ(byKind.get(), unplaced);
    EXPECT_EQ(m_slots.TakeOutByName("Nothing"), nullptr);
    EXPECT_EQ(m_slots.TakeOutItem(potion), nullptr);  // not ours any more
    std::unique_ptr<CItemObject> byName(m_slots.TakeOutByName("Sword"));
    EXPECT_EQ(byName.get(), sword);
    EXPECT_EQ(m_slots.GetSlot(0), nullptr);
    EXPECT_EQ(m_slots.ChildCount(), 0);
    EXPECT_EQ(m_deleted, 0);
}

TEST_F(SlotContainerTest, RemovalsByNameAndKindAndChildDeletionsEmptyTheSlots) {
    CountedItem* a = New(0, kSwordId);
    CountedItem* b = New(1, kPotionId);
    CountedItem* c = New(1, kPotionId);
    b->SetKindId(12);
    m_slots.PutInSlot(a, 1);
    m_slots.PutInSlot(b, 2);
    m_slots.PutInSlot(c, 3);

    EXPECT_TRUE(m_slots.RemoveByName("Missing"));
    EXPECT_TRUE(m_slots.RemoveByName("Sword"));
    EXPECT_EQ(m_slots.GetSlot(1), nullptr);
    EXPECT_TRUE(m_slots.RemoveByKind(12));
    EXPECT_FALSE(m_slots.RemoveByKind(12));
    EXPECT_EQ(m_slots.GetSlot(2), nullptr);
    EXPECT_EQ(m_deleted, 2);

    // Deleted through the manager base: the slot does not keep a stale pointer.
    m_slots.DeleteChild(c->GetId());
    EXPECT_EQ(m_slots.GetSlot(3), nullptr);
    CountedItem* d = New();
    m_slots.PutInSlot(d, 4);
    m_slots.DetachChild(d);
    EXPECT_EQ(m_slots.GetSlot(4), nullptr);
    delete d;
    EXPECT_EQ(m_deleted, 4);
}

TEST_F(SlotContainerTest, TheManagerUpdatesAndOwnsItsContainers) {
    auto* container = new CSlotObjectMgr;
    container->PutInSlot(New(), 0);
    g_pItemTableMgr->SetContainer(1, container);
    EXPECT_EQ(g_pItemTableMgr->GetContainer(1), container);
    EXPECT_EQ(g_pItemTableMgr->GetContainer(3), nullptr);
    g_pItemTableMgr->UpdateContainers();
    delete g_pItemTableMgr;
    g_pItemTableMgr = nullptr;
    EXPECT_EQ(m_deleted, 1);
}

}  // namespace

namespace {

TEST(ItemTableColumnsTest, ClassAndNumberLimitColumns) {
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder t(3, ITEM_COL_NUMBER_LIMIT + 1);
    t.Set(ITEM_COL_CLASS, 0, 10).Set(ITEM_COL_CLASS, 1, 11).Set(ITEM_COL_NUMBER_LIMIT, 0, 3);
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, t);
    CItemTableMgr manager;
    CItemTableMgr* previous = std::exchange(g_pItemTableMgr, &manager);
    CItemObject recipe, book, plain;
    recipe.Init(0, 1);
    book.Init(1, 2);
    plain.Init(2, 3);
    EXPECT_TRUE(recipe.IsItemClass10() && !recipe.IsItemClass11());
    EXPECT_TRUE(book.IsItemClass11() && !book.IsItemClass10());
    EXPECT_EQ(recipe.GetItemColumn1157(), 3);
    EXPECT_TRUE(recipe.HasColumn1157Flag());
    recipe.SetFlags(1);  // it has its numbers already
    EXPECT_FALSE(recipe.HasColumn1157Flag());
    EXPECT_FALSE(plain.HasColumn1157Flag());
    // The table's cells through the getters that take a missing table too.
    const CDataTable* table = manager.GetTable();
    EXPECT_EQ(GetTableByte(table, ITEM_COL_CLASS, 1), 11);
    EXPECT_EQ(GetTableBlockWord(table, ITEM_COL_NUMBER_LIMIT, 0), 3);
    EXPECT_EQ(GetTableBlockWord(table, ITEM_COL_NUMBER_LIMIT, 3), 0);  // past the last row
    EXPECT_EQ(GetTableBlockWord(nullptr, ITEM_COL_NUMBER_LIMIT, 0), 0);
    EXPECT_EQ(GetTableByte(nullptr, 0, 0), 0);
    EXPECT_EQ(GetTableRecord(table, ITEM_COL_CLASS, 0), nullptr);  // not a record column
    EXPECT_EQ(GetTableRecord(nullptr, 0, 0), nullptr);
    g_pItemTableMgr = previous;
}

}  // namespace
