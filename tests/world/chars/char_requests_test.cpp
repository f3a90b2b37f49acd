// The requests the controller sends for skills and items, the send
// cooldown, and the items it picks up, drops and places.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "tests/support/temp_dir.h"
#include "tests/world/chars/skill_fixture.h"
#include "ui/items/item_icon.h"
#include "world/map/map_data.h"
#include "world/map/map_text.h"

using namespace chartest;

namespace {

std::string Hex32(uint32_t v) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

// Items that show themselves (the field places items by their picture).
struct ShownItem : CItemObject {
    ShownItem() { AttachAniObject(kCharAni, ITEM_TYPE_CODE); }
};
struct ShownItems : IItemObjectFactory {
    CItemObject* NewItemObject() override { return new ShownItem; }
};

class CharRequestsTest : public SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        m_player = MakePlayer();  // id 1 at tile (10, 10)
        m_monster = Make(CHAR_KIND_MONSTER, 5);
        m_npc = Make(CHAR_KIND_NPC, 6);
        m_friend = Arrives(7, "Friend");
        m_stranger = Arrives(8, "Stranger");
        ASSERT_TRUE(m_player && m_monster && m_npc && m_friend && m_stranger);
        CTeamMember member;
        CopyRecordText(member.m_name, "Friend");
        m_player->GetData()->Party().AddOrUpdateMember(member, "Me");
        m_controller = m_player->GetController();
        m_data = m_player->GetData();
        m_data->SetMotion(MOTION_STAND);
        // Learned: rows 2-16 (target kinds 0-14) at indexes 0-14, flags 1-15.
        for (int32_t row = 2; row <= 16; ++row)
            m_data->AddOrUpdateSkill(SKILL_ID_BASE + uint32_t(row), 0, 1, uint8_t(row - 1));
    }
    void TearDown() override {
        g_pItemTableMgr = nullptr;
        m_items.reset();
        SkillFixture::TearDown();
    }
    // Another player entering the view as the server brings it (message 56).
    CChar* Arrives(uint32_t id, const char* name) {
        CCharCreateFields f;
        f.m_charId = id;
        f.m_resourceId = kPlayerRes;
        f.m_tileX = f.m_tileY = 12;
        CopyRecordText(f.m_name, name);
        CCharCreateMsg msg;
        msg.Set(f);
        return m_mgr->AddOrUpdateChar(msg);
    }
    // The item table: rows of (id, use flags, column 41).
    void MakeItems(const std::vector<std::array<uint32_t, 3>>& rows) {
        qmtest::TableBuilder items(uint32_t(rows.size()), 42);
        items.U32(19);
        for (size_t r = 0; r < rows.size(); ++r)
            items.Set(19, int(r), rows[r][0]).Set(36, int(r), rows[r][1]).Set(41, int(r), rows[r][2]);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        m_items = std::make_unique<CItemTableMgr>();
        g_pItemTableMgr = m_items.get();
    }
    // A loaded map of 40 x 40 passable tiles, with its stage's properties.
    void MakeLoadedMap(const std::string& properties) {
        MakeMap(properties);
        maptext::MapFiles files;
        std::string error;
        ASSERT_TRUE(maptext::BuildMapFiles(
            "map 3\nsize 40 40\nlegend . ground 0\ncells\n" +
                [] {
                    std::string rows;
                    for (int y = 0; y < 40; ++y) rows += std::string(40, '.') + "\n";
                    return rows;
                }() +
                "end\n",
            m_dir.Path(), files, &error))
            << error;
        ASSERT_TRUE(m_map->LoadMapBytes(files.map, "test"));
        ASSERT_TRUE(m_map->GetMapData());
    }
    std::string MousePlace() {
        const IsoPoint p = m_map->ScreenToTile(0, 0);
        char text[32];
        std::snprintf(text, sizeof text, "%04x%04x", unsigned(std::clamp(p.x, 0, 0xFFFF)),
                      unsigned(std::clamp(p.y, 0, 0xFFFF)));
        return text;
    }

    qmtest::TempDir m_dir;
    ShownItems m_shownItems;
    ScopedItemObjectFactory m_scopedItems{m_shownItems};
    std::unique_ptr<CItemTableMgr> m_items;
    CChar *m_player = nullptr, *m_monster = nullptr, *m_npc = nullptr, *m_friend = nullptr,
          *m_stranger = nullptr;
    CCharController* m_controller = nullptr;
    CCharData* m_data = nullptr;
};

TEST_F(CharRequestsTest, EachTargetKindSendsItsBytesOrNothing) {
    g_config.m_useServer = true;
    MakeMap("  @16 text \"0001\"\n");  // monsters may be attacked, players not
    m_data->SetComboIndex(2);
    const std::string place = MousePlace();
    struct Case {
        uint8_t kind;
        CChar* target;
        std::string sent;  // "" for nothing; else "flag kind payload"
    };
    const Case cases[] = {
        {0, m_monster, "1 0 "},
        {1, m_monster, "2 1 " + Hex32(5)},
        {1, m_stranger, ""},  // a friendly player
        {1, nullptr, ""},
        {2, m_stranger, "3 0 " + Hex32(8)},
        {2, m_monster, ""},  // attackable
        {2, m_player, ""},
        {3, nullptr, "4 0 " + Hex32(1)},
        {4, m_npc, "5 0 " + Hex32(6)},
        {4, nullptr, ""},
        {5, nullptr, "6 2 " + place},  // a place: the selected combo
        {6, m_stranger, "7 0 " + Hex32(8)},
        {6, m_monster, ""},
        {7, m_monster, "8 2 " + place + Hex32(5)},
        {7, nullptr, ""},
        {8, m_npc, "9 0 " + Hex32(6)},
        {8, nullptr, ""},
        {9, nullptr, "10 0 "},
        {13, m_npc, "14 1 " + Hex32(6)},
        {13, m_monster, ""},
        {14, m_friend, "15 0 " + Hex32(7)},
        {14, m_stranger, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " on " +
                     (c.target ? std::to_string(c.target->GetCharId()) : "none"));
        m_requests.sent.clear();
        m_controller->m_pendingUseFlag = 0;
        EXPECT_EQ(m_controller->UseSkill(c.kind, c.target), !c.sent.empty());
        EXPECT_EQ(m_requests.sent,
                  c.sent.empty() ? std::vector<std::string>{} : std::vector<std::string>{"19 " + c.sent});
        EXPECT_EQ(m_controller->m_pendingUseFlag, c.sent.empty() ? 0 : 1);
    }
    EXPECT_FALSE(m_controller->UseSkill(15, m_monster));  // no such entry
    EXPECT_FALSE(m_controller->UseSkill(-1, m_monster));
}

TEST_F(CharRequestsTest, WithoutAServerTheGivenTargetCounts) {
    struct Case {
        uint8_t kind;
        CChar* target;
        bool quickSlot;
        bool sent;
    };
    const Case cases[] = {
        {2, m_player, false, true}, {2, m_player, true, false},  // a quick slot does not aim at the user
        {2, m_monster, true, true}, {13, m_monster, false, true},
        {1, m_npc, false, true},    {1, nullptr, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        m_requests.sent.clear();
        const bool sent = c.quickSlot ? m_controller->UseQuickSkill(4, c.kind + 2, c.target)
                                      : m_controller->UseSkill(c.kind, c.target);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(m_requests.sent.size(), c.sent ? 1u : 0u);
    }
    m_requests.sent.clear();
    m_controller->UseQuickSkill(4, 2 + 4, m_npc);
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"28 4 1 " + Hex32(6)}));
}

TEST_F(CharRequestsTest, ItemUsesCarryThePlaceOrTheTarget) {
    // 900: on a place; 901: on players and monsters; 902: never on a target.
    MakeItems({{900, 0x20 | 0x10, 0}, {901, 0x08 | 0x02, 0}, {902, 0x10 | 0x0F, 0}});
    std::unique_ptr<CItemObject> place(g_pItemTableMgr->MakeItem(900));
    std::unique_ptr<CItemObject> potion(g_pItemTableMgr->MakeItem(901));
    std::unique_ptr<CItemObject> plain(g_pItemTableMgr->MakeItem(902));
    ASSERT_TRUE(place && potion && plain);
    place->SetSlotIndex(3);
    potion->SetSlotIndex(4);
    plain->SetSlotIndex(5);
    struct Case {
        CItemObject* item;
        CChar* target;
        std::string sent;
    };
    const Case cases[] = {
        {place.get(), m_monster, "28 3 0007000c"},  // the place, whatever the target
        {place.get(), nullptr, "28 3 0007000c"},
        {potion.get(), m_stranger, "28 4 " + Hex32(8)},
        {potion.get(), m_monster, "28 4 " + Hex32(5)},
        {potion.get(), m_npc, ""},  // not for NPCs
        {potion.get(), nullptr, "28 4 "},
        {plain.get(), m_monster, "28 5 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        m_requests.sent.clear();
        EXPECT_EQ(m_controller->UseItem(c.item, c.target, 7, 12), !c.sent.empty());
        EXPECT_EQ(m_requests.sent,
                  c.sent.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.sent});
    }
    // An item id above 3,000,000 is a skill in a quick slot.
    CItemObject skill;
    skill.Init(0, SKILL_ID_BASE + 2 + 3);  // target kind 3: the user
    skill.SetSlotIndex(9);
    m_requests.sent.clear();
    EXPECT_TRUE(m_controller->UseItem(&skill, nullptr, 0, 0));
    m_controller->UseItemBySlot(potion.get());
    m_controller->SendItemKind(potion.get());
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"28 9 1 " + Hex32(1), "28 4 ", "31 0"}));
}

TEST_F(CharRequestsTest, PointRequestsWaitForTheCooldown) {
    m_controller->SetSendCooldown(2000);
    Clock().Advance(1999);
    EXPECT_FALSE(m_controller->SendPointRequest(3, 4, 1, 2));
    Clock().Advance(1);
    EXPECT_FALSE(m_controller->SendPointRequest(3, 4, 1, 0));  // nothing to ask for
    EXPECT_TRUE(m_controller->SendPointRequest(3, 4, 1, 2));
    EXPECT_TRUE(m_controller->SendPointRequest(-3, 70000, 9, 1));
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"8 1 2 3 4", "8 9 1 0 65535"}));
}

TEST_F(CharRequestsTest, ItemsPickedUpDroppedAndPlaced) {
    MakeItems({{900, 0, 0}, {901, 0, 7}, {902, 0, 7}});
    CSlotObjectMgr& container = *m_data->Container();
    // Placing: a slot outside the container makes nothing; a taken slot with
    // another item is cleared first; a column-41 kind replaces its kind.
    EXPECT_EQ(m_controller->GetOrCreateItem(900, 1, CSlotObjectMgr::SLOT_COUNT, true), nullptr);
    EXPECT_EQ(m_controller->GetOrCreateItem(900, 1, -5, true), nullptr);
    CItemObject* first = m_controller->GetOrCreateItem(900, 2, 4, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(container.GetSlot(4), first);
    EXPECT_EQ(first->GetState(), uint32_t(ITEM_IN_INVENTORY)) << "in the bag, not on the ground";
    EXPECT_EQ(m_controller->GetOrCreateItem(900, 2, 4, false), first);
    CItemObject* other = m_controller->GetOrCreateItem(901, 1, 4, false);
    ASSERT_TRUE(other);
    EXPECT_EQ(container.GetSlot(4), other);
    EXPECT_EQ(container.FindByItemId(900), nullptr);
    CItemObject* kind = m_controller->GetOrCreateItem(902, 1, -1, false);
    ASSERT_TRUE(kind);
    EXPECT_EQ(container.FindByItemId(901), nullptr);  // same column-41 kind
    EXPECT_EQ(m_controller->GetOrCreateItem(902, 1, -1, false), kind);
    EXPECT_TRUE(m_controller->RemoveItem(902));
    EXPECT_FALSE(m_controller->RemoveItem(902));

    // Dropping needs the map data and a character that can stand up; x = -1
    // is the character's own tile.
    CItemObject* potion = m_controller->GetOrCreateItem(900, 1, 2, false);
    ASSERT_TRUE(potion);
    g_pMap = nullptr;
    EXPECT_FALSE(m_controller->DropItem(potion, -1, -1));  // no map
    MakeLoadedMap("");
    m_data->SetMotion(MOTION_WALK);
    EXPECT_FALSE(m_controller->DropItem(potion, -1, -1));
    m_data->SetMotion(MOTION_STAND);
    ASSERT_TRUE(m_controller->DropById(900, -1, -1));
    EXPECT_EQ(container.FindByItemId(900), nullptr);
    ASSERT_TRUE(potion->GetAniObject()) << "no ani";
    EXPECT_EQ(potion->GetAniObject()->m_mapX, 10 * 24);
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(900), potion);

    // Picking up: near tiles only; a full container leaves the item there.
    EXPECT_EQ(m_controller->PickUpAt(20, 20), nullptr);
    for (int slot = 0; slot < CSlotObjectMgr::SLOT_COUNT; ++slot)
        ASSERT_TRUE(m_controller->GetOrCreateItem(901, 1, slot, false));
    EXPECT_EQ(m_controller->PickUpAt(-1, -1), nullptr);
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(900), potion);
    container.RemoveBySlot(0);
    EXPECT_EQ(m_controller->PickUpAt(10, 10), potion);
    EXPECT_EQ(container.GetSlot(0), potion);
    EXPECT_EQ(potion->GetState(), uint32_t(ITEM_IN_INVENTORY));
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(900), nullptr);
}

TEST_F(CharRequestsTest, ATimedItemDroppedLeavesItsSlotAndLiesOnTheMap) {
    MakeItems({{900, 0, 3}, {901, 0, 5}});  // worn at positions 3 and 5
    MakeLoadedMap("");
    ASSERT_TRUE(m_controller->UseEffectItem(900, 5000));
    ASSERT_TRUE(m_controller->UseEffectItem(901, 7000));
    CItemObject* timed = m_controller->GetItemInSlot(3);
    ASSERT_TRUE(timed);
    ASSERT_TRUE(m_controller->DropItem(timed, -1, -1));
    EXPECT_EQ(m_controller->GetItemInSlot(3), nullptr);
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(900), timed);
    EXPECT_EQ(timed->GetAniObject()->m_mapX, 10 * 24);
    // Only the dropped item left the timed list: the other runs out on time.
    EXPECT_EQ(m_controller->m_timedItems, std::vector<CItemObject*>{m_controller->GetItemInSlot(5)});
    m_controller->UpdateController(7000);
    EXPECT_EQ(m_controller->GetItemInSlot(5), nullptr);
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(900), timed);
}

TEST_F(CharRequestsTest, ContainerItemsAreWornFromTheListOrTheirSlot) {
    MakeItems({{900, 0, 3}, {901, 0, 0}, {902, 0, 5}});  // 901 is not worn
    CSlotObjectMgr& container = *m_data->Container();
    CItemObject* blade = m_controller->GetOrCreateItem(900, 1, 4, false);
    CItemObject* stone = m_controller->GetOrCreateItem(901, 1, 6, false);
    CItemObject* ring = m_controller->GetOrCreateItem(902, 1, 7, false);
    ASSERT_TRUE(blade && stone && ring);
    EXPECT_TRUE(m_controller->EquipFromSlot(4));
    EXPECT_EQ(m_controller->GetItemInSlot(3), blade);
    EXPECT_EQ(container.GetSlot(4), nullptr);
    EXPECT_FALSE(m_controller->EquipFromSlot(4));
    EXPECT_FALSE(m_controller->EquipFromSlot(CSlotObjectMgr::SLOT_COUNT));
    EXPECT_FALSE(m_controller->EquipFromList(901));
    EXPECT_EQ(container.GetSlot(6), stone);  // not wearable: it stays
    EXPECT_TRUE(m_controller->EquipFromList(902));
    EXPECT_EQ(m_controller->GetItemInSlot(5), ring);
    EXPECT_FALSE(m_controller->EquipFromList(999));
}

// Worn items come off by their item id, by the slot they keep or at their
// position; an item is dropped by reference only when the character holds it.
TEST_F(CharRequestsTest, WornItemsComeOffByIdSlotOrPositionAndHeldItemsDropByReference) {
    MakeItems({{900, 0, 3}, {901, 0, 5}, {902, 0, 7}});
    MakeLoadedMap("");
    ASSERT_TRUE(m_controller->UseEffectItem(900, 5000));  // position 3 keeps slot 3
    ASSERT_TRUE(m_controller->UseEffectItem(901, 5000));  // position 5 keeps slot 5
    ASSERT_TRUE(m_controller->UseEffectItem(902, 5000));  // position 7 keeps slot 7
    EXPECT_FALSE(m_controller->TakeOffById(999));
    EXPECT_FALSE(m_controller->TakeOffBySlot(4));
    EXPECT_FALSE(m_controller->TakeOffByEquipSlot(14));
    EXPECT_TRUE(m_controller->TakeOffById(900));
    EXPECT_EQ(m_controller->GetItemInSlot(3), nullptr);
    EXPECT_TRUE(m_controller->TakeOffBySlot(5));
    EXPECT_EQ(m_controller->GetItemInSlot(5), nullptr);
    EXPECT_TRUE(m_controller->TakeOffByEquipSlot(7));
    EXPECT_FALSE(m_controller->TakeOffByEquipSlot(7));
    EXPECT_TRUE(m_controller->m_timedItems.empty());

    CItemObject* held = m_controller->GetOrCreateItem(901, 1, 6, false);
    ASSERT_TRUE(held);
    std::unique_ptr<CItemObject> stranger(g_pItemTableMgr->MakeItem(902));
    ASSERT_TRUE(stranger);
    EXPECT_FALSE(m_controller->DropByRef(stranger.get(), -1, -1));
    EXPECT_FALSE(m_controller->DropByRef(nullptr, -1, -1));
    EXPECT_TRUE(m_controller->DropByRef(held, -1, -1));
    EXPECT_EQ(m_map->GetMapData()->ObjectLayer().FindByItemId(901), held);
}

TEST_F(CharRequestsTest, MoveRequestsOfTheUsersOwnCharacter) {
    struct Case {
        uint32_t motion;
        int32_t x, y;
        const char* sent;
    };
    for (const Case& c : {Case{MOTION_STAND, 12, 13, "84 12 13"}, Case{MOTION_WALK, -3, -1, "84 0 0"},
                          Case{MOTION_DEAD, 12, 13, ""}, Case{MOTION_HELD_DOWN, 12, 13, ""},
                          Case{MOTION_LYING, 12, 13, ""}}) {
        SCOPED_TRACE(c.motion);
        m_requests.sent.clear();
        m_data->m_motion = c.motion;
        EXPECT_EQ(m_controller->MoveRequest(c.x, c.y), *c.sent != 0);
        EXPECT_EQ(m_requests.sent, *c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{});
    }
    m_requests.sent.clear();
    EXPECT_FALSE(m_monster->GetController()->MoveRequest(1, 1));  // not the user's
    EXPECT_TRUE(m_requests.sent.empty());
}

TEST_F(CharRequestsTest, TheServersSparkPlaysOverTheCharacter) {
    m_ani.Write(3194, anitest::OneLayer({anitest::Image(0)}));
    EXPECT_FALSE(m_monster->GetController()->OnServerEvent(83));
    EXPECT_TRUE(m_monster->GetController()->OnServerEvent(84));
    const std::vector<CAniPlayEntry*> entries = m_play.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->m_kind, PLAY_ON_CHAR);
    EXPECT_EQ(entries[0]->m_pObject->m_layer, 6);
}

TEST_F(CharRequestsTest, HitMarksGoToTheRingTheCharacterCarries) {
    struct Ring : CCharStatusObject {
        using CCharStatusObject::CCharStatusObject;
        std::vector<std::string> marks;
        void AddHitMark(uint32_t target, uint16_t value) override {
            marks.push_back(std::to_string(target) + " " + std::to_string(value));
        }
    };
    CCharController* monster = m_monster->GetController();
    EXPECT_FALSE(monster->OnServerEvent(96, 7, 300));  // no ring: nothing takes it
    auto other = std::make_unique<Ring>(3000991);
    auto ring = std::make_unique<Ring>(3001495);
    Ring *otherRing = other.get(), *hitRing = ring.get();
    ASSERT_TRUE(m_monster->GetData()->AttachStatusObject(0, std::move(other)));
    ASSERT_TRUE(m_monster->GetData()->AttachStatusObject(2, std::move(ring)));
    EXPECT_TRUE(monster->OnServerEvent(96, 7, 300));
    EXPECT_EQ(hitRing->marks, std::vector<std::string>{"7 300"});
    EXPECT_TRUE(otherRing->marks.empty());
}

}  // namespace
