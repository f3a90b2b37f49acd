#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/data_table.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "tests/world/chars/char_fixture.h"

using namespace chartest;

namespace {

class CharControllerTest : public CharFixture {
protected:
    // Posts an event to the character's own queue.
    void Post(CChar* c, std::unique_ptr<CMsgPayload> payload) {
        const uint32_t id = payload->m_id;
        PostMessageTo(0, c, 0, id, MsgDataPtr(payload.release()), nullptr);
    }
    // An item table of items 900, 901, ... at these equipment positions.
    void WriteItems(std::initializer_list<uint8_t> positions) {
        qmtest::TableBuilder items(uint32_t(positions.size()), 42);
        items.U32(19);
        int r = 0;
        for (uint8_t p : positions) {
            items.Set(19, r, 900 + r).Set(41, r, p);
            ++r;
        }
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    }
};

TEST_F(CharControllerTest, SetMotion) {
    CChar* player = MakePlayer();
    CChar* monster = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_TRUE(player && monster);
    CAniObject* ani = monster->GetAniObject();
    CCharData* data = monster->GetData();
    struct Case {
        uint32_t motion;
        int32_t aniMotion;  // the animation's motion id after it
        bool loop;
    };
    for (const Case& c : {Case{0, 0, true}, Case{15, 15, false}, Case{13, 13, false}, Case{14, 14, true},
                          Case{104, 15, true}, Case{108, 13, true}, Case{4, 4, false}}) {
        SCOPED_TRACE(c.motion);
        data->SetMotion(c.motion);
        EXPECT_EQ(data->m_motion, c.motion);
        EXPECT_EQ(ani->GetCurrentMotionId(), c.aniMotion);
        EXPECT_EQ(ani->m_loop != 0, c.loop);
    }
    // Walking leaves the animation as it is.
    data->SetMotion(2);
    EXPECT_EQ(ani->GetCurrentMotionId(), 4);
    // The same motion does not restart the animation.
    data->SetMotion(15);
    ani->m_stopped = 1;
    data->SetMotion(15);
    EXPECT_EQ(ani->m_stopped, 1);
    // A dead monster stays dead; the user's own dead character takes a new motion.
    data->SetMotion(MOTION_DEAD);
    data->SetMotion(MOTION_WALK);
    EXPECT_EQ(data->m_motion, MOTION_DEAD);
    player->GetData()->SetMotion(MOTION_DEAD);
    player->GetData()->SetMotion(MOTION_WALK);
    EXPECT_EQ(player->GetData()->m_motion, MOTION_WALK);
}

TEST_F(CharControllerTest, MovementEventsWaitForAReadyController) {
    CChar* c = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    controller->m_ready = 0;
    Post(c, std::make_unique<CCharValueMsg>(CHAR_EVENT_DASH, 5, 0, 12, 10));
    Post(c, std::make_unique<CCharMoveMsg>(5, 12, 10));
    auto order = std::make_unique<CCharMoveOrder>();
    order->m_charId = 5;
    order->m_tileX = 12;
    order->m_tileY = 10;
    Post(c, std::move(order));
    for (uint32_t id : {73u, 74u, 75u}) Post(c, std::make_unique<CCharStateMsg>(id));
    Post(c, std::make_unique<CCharValueMsg>(CHAR_EVENT_SPEED, 5, 0x85));
    controller->ProcessMessages();
    EXPECT_EQ(c->GetPort()->Count(), 6);  // only the speed went
    controller->m_ready = 1;
    controller->ProcessMessages();
    EXPECT_EQ(c->GetPort()->Count(), 0);
    EXPECT_TRUE(c->GetAction()->IsDashing());
}

TEST_F(CharControllerTest, Event66AndListA) {
    CChar* c = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_TRUE(c);
    Post(c, std::make_unique<CCharValueMsg>(CHAR_EVENT_SPEED, 5, 0x85));
    c->GetController()->ProcessMessages();
    EXPECT_EQ(c->GetData()->m_runSwitch, 1);
    EXPECT_FLOAT_EQ(c->GetData()->m_curSpeed, 0.005f);

    auto list = [&](std::vector<uint32_t> ids, uint8_t count) {
        auto msg = std::make_unique<CIdArrayMsg>();
        msg->Set(ids.size(), ids.data());
        msg->m_count = count;
        Post(c, std::move(msg));
        c->GetController()->ProcessMessages();
        return c->GetData()->m_listA;
    };
    EXPECT_EQ(list({1, 2, 3}, 3), (std::vector<uint32_t>{1, 2, 3}));
    const uint32_t* before = c->GetData()->m_listA.data();
    EXPECT_EQ(list({1, 2, 3}, 3), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(c->GetData()->m_listA.data(), before);  // equal: not replaced
    EXPECT_EQ(list({1, 9, 3}, 3), (std::vector<uint32_t>{1, 9, 3}));
    EXPECT_EQ(list({4, 5, 6}, 200), (std::vector<uint32_t>{4, 5, 6}));  // a count past the ids holds the ids
}

TEST_F(CharControllerTest, DashArrivesInTime) {
    CChar* c = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_TRUE(c);
    c->SetPosition(10 * 24, 10 * 12, 0);
    CCharAction* action = c->GetAction();
    const size_t before = m_play.GetCount();
    action->Dash(20, 11);  // 240.3 map units away
    EXPECT_EQ(c->GetData()->m_motion, MOTION_PUSHED);
    const int limit = int(std::ceil(std::hypot(240.0, 12.0) / 20.0)) + 1;
    int frames = 0;
    while (action->IsDashing() && frames < 100) {
        c->GetController()->Holder()->Update();
        ++frames;
    }
    EXPECT_LE(frames, limit);
    EXPECT_EQ(c->m_x, 20 * 24);
    EXPECT_EQ(c->m_y, 11 * 12);
    EXPECT_EQ(c->GetController()->Holder()->m_arrived, 1);
    // Dust every fourth step: steps 0, 4, 8 and 12 of the thirteen.
    EXPECT_EQ(m_play.GetCount() - before, 4u);
    // A cell no map can have (the server's cells are 16-bit) starts nothing.
    for (int32_t far : {65536, 100000000}) {
        action->Dash(far, 11);
        EXPECT_FALSE(action->IsDashing()) << far;
    }
    // Held down, nothing starts.
    c->GetData()->SetMotion(MOTION_HELD_DOWN);
    action->Dash(30, 10);
    EXPECT_FALSE(action->IsDashing());
}

TEST_F(CharControllerTest, TimedItemsAndTheirSlots) {
    const uint8_t positions[6] = {0, 3, 9, 10, 11, 12};
    WriteItems({0, 3, 9, 10, 11, 12});
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    CChar* c = Make(CHAR_KIND_PLAYER, 5);
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    EXPECT_FALSE(controller->UseEffectItem(900, 500));  // no equipment position
    EXPECT_FALSE(controller->UseEffectItem(999, 500));  // no such item
    const int32_t slots[6] = {0, 3, 1, 2, 5, 7};
    for (int r = 1; r < 6; ++r) {
        SCOPED_TRACE(r);
        ASSERT_TRUE(controller->UseEffectItem(900 + uint32_t(r), 499 + uint32_t(r)));
        CItemObject* item = controller->GetItemInSlot(positions[r]);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->GetSlotIndex(), slots[r]);
        EXPECT_EQ(item->GetState(), 24u);
    }
    controller->UpdateController(499);
    EXPECT_TRUE(controller->GetItemInSlot(3));
    controller->UpdateController(1);  // item 901 had 500 ms: taken off when 500 have passed
    EXPECT_FALSE(controller->GetItemInSlot(3));
    EXPECT_TRUE(controller->GetItemInSlot(9));
    EXPECT_EQ(controller->m_timedItems.size(), 4u);
    g_pItemTableMgr = nullptr;
}

TEST_F(CharControllerTest, AnItemEquippedOverATimedOneKeepsTheOtherTimes) {
    WriteItems({3, 4, 3});
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    CChar* c = Make(CHAR_KIND_PLAYER, 5);
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    ASSERT_TRUE(controller->UseEffectItem(900, 100));   // slot 3, 100 ms
    ASSERT_TRUE(controller->UseEffectItem(901, 5000));  // slot 4, 5 s
    // An ordinary item over slot 3.
    ASSERT_TRUE(controller->Equip(std::unique_ptr<CItemObject>(table.MakeItem(902))));
    EXPECT_EQ(controller->m_timedItems.size(), controller->m_timedLeft.size());
    controller->UpdateController(100);
    EXPECT_TRUE(controller->GetItemInSlot(4));  // still 4,900 ms left
    EXPECT_TRUE(controller->GetItemInSlot(3));  // the ordinary item is not timed
    controller->UpdateController(4900);
    EXPECT_FALSE(controller->GetItemInSlot(4));
    g_pItemTableMgr = nullptr;
}

// Items 900-903 at positions 1-4; 901 and 903 carry an effect animation.
class CharEquipmentTest : public CharControllerTest {
protected:
    static constexpr int kSetFile = 900;
    void SetUp() override {
        CharControllerTest::SetUp();
        qmtest::TableBuilder items(4, 45);
        items.U32(19).Ref(44);
        for (int r = 0; r < 4; ++r) items.Set(19, r, 900 + r).Set(41, r, r + 1);
        items.Set(44, 1, {700, 1, 2}).Set(44, 3, {10000, 0, 0});
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        m_table = std::make_unique<CItemTableMgr>();
        g_pItemTableMgr = m_table.get();
    }
    void TearDown() override {
        g_pItemTableMgr = nullptr;
        m_table.reset();
        CharControllerTest::TearDown();
    }
    bool Wear(CCharController* controller, uint32_t itemId) {
        return controller->Equip(std::unique_ptr<CItemObject>(m_table->MakeItem(itemId)));
    }
    // Sets: 900 + 901 (a row for each member) give (+5, -2); 902 + 903 give +7.
    void WriteSets() {
        qmtest::TableBuilder sets(3, 26);
        sets.U32(1).U32(3).U32(4).U16(25);
        for (int r = 0; r < 2; ++r)
            sets.Set(1, r, 900 + r)
                .Set(3, r, 900)
                .Set(4, r, 901)
                .Set(25, r, 0x7)
                .Set(16, r, 5)
                .Set(17, r, -2);
        sets.Set(1, 2, 902).Set(3, 2, 902).Set(4, 2, 903).Set(25, 2, 0x3).Set(16, 2, 7);
        m_db.Write(kSetFile, sets);
        auto table = std::make_unique<CDataTable>();
        ASSERT_TRUE(table->LoadDataTable(kSetFile));
        m_table->SetSetTable(std::move(table));
    }
    std::unique_ptr<CItemTableMgr> m_table;
};

TEST_F(CharEquipmentTest, CompleteSetsGiveTheirBonusOnce) {
    WriteSets();
    CChar* c = Make(CHAR_KIND_PLAYER, 5);
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    const int32_t* bonus = c->GetData()->m_setBonus;
    auto bonusIs = [&](int32_t first, int32_t second) {
        EXPECT_EQ(bonus[0], first);
        EXPECT_EQ(bonus[1], second);
        for (int k = 2; k < SET_BONUS_COUNT; ++k) EXPECT_EQ(bonus[k], 0) << k;
    };
    ASSERT_TRUE(Wear(controller, 900));
    bonusIs(0, 0);  // one member of two
    ASSERT_TRUE(Wear(controller, 901));
    bonusIs(5, -2);  // both members: the set's two rows count once
    ASSERT_TRUE(Wear(controller, 902));
    bonusIs(5, -2);
    ASSERT_TRUE(Wear(controller, 903));
    bonusIs(12, -2);
    controller->TakeOff(2);
    bonusIs(7, 0);
    // Without a set table there are no set bonuses.
    m_table->SetSetTable(nullptr);
    controller->RefreshEquipmentEffects();
    bonusIs(0, 0);
}

TEST_F(CharEquipmentTest, WornItemsCarryTheirEffects) {
    CChar* c = Make(CHAR_KIND_PLAYER, 5);
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    FakeEffectList* effects = Effects(c);
    ASSERT_TRUE(effects);
    ASSERT_TRUE(Wear(controller, 900));  // no effect animation
    ASSERT_TRUE(Wear(controller, 903));  // animation 10000: none
    EXPECT_TRUE(effects->effects.empty());
    ASSERT_TRUE(Wear(controller, 901));
    ASSERT_EQ(effects->effects.size(), 1u);
    EXPECT_EQ(effects->effects.at({1000901, 2}), (std::vector<int32_t>{4, 700, 1, 2}));
    controller->RefreshEquipmentEffects();
    EXPECT_EQ(effects->log.size(), 1u);  // kept, not made again
    controller->TakeOff(2);
    EXPECT_TRUE(effects->effects.empty());
    // A character made while no effects are installed has no effect list:
    // its items are worn all the same.
    SetCharEffects(nullptr);
    CChar* plain = Make(CHAR_KIND_PLAYER, 6);
    SetCharEffects(&m_effects);
    ASSERT_TRUE(plain && !plain->GetEffects());
    ASSERT_TRUE(Wear(plain->GetController(), 901));
    EXPECT_TRUE(plain->GetController()->GetItemInSlot(2));
}

TEST_F(CharEquipmentTest, ANewLookKeepsTheWornItemsAndTheirTimes) {
    CChar* c = MakePlayer();
    ASSERT_TRUE(c);
    CCharController* controller = c->GetController();
    ASSERT_TRUE(controller->UseEffectItem(900, 5000));  // position 1, 5 s
    ASSERT_TRUE(Wear(controller, 901));                 // position 2, with an effect
    controller->UpdateController(2000);
    FakeEffectList* effects = Effects(c);
    effects->log.clear();
    CCharAppearance record;
    record.m_smallFields[0] = 3;  // another appearance kind
    m_mgr->ApplyAppearance(record, c);
    EXPECT_EQ(c->GetData()->m_appearanceKind, 3);
    // The effect is made again on the new look; both items are still worn.
    EXPECT_EQ(effects->log, (std::vector<std::string>{"remove 1000901", "add 1000901 700"}));
    ASSERT_TRUE(controller->GetItemInSlot(1) && controller->GetItemInSlot(2));
    EXPECT_EQ(controller->m_timedLeft, (std::vector<uint32_t>{3000}));
    // The same kind again changes nothing.
    m_mgr->ApplyAppearance(record, c);
    EXPECT_EQ(effects->log.size(), 2u);
    // The timed item comes off when its remaining 3 s have passed.
    controller->UpdateController(2999);
    EXPECT_TRUE(controller->GetItemInSlot(1));
    controller->UpdateController(1);
    EXPECT_FALSE(controller->GetItemInSlot(1));
    EXPECT_TRUE(controller->GetItemInSlot(2));
}

TEST_F(CharControllerTest, ValueUpdatesAndCode11ReCheckTheRunStance) {
    CChar* c = MakePlayer();
    ASSERT_TRUE(c);
    CCharData* data = c->GetData();
    c->GetAction()->SetRunning(false);
    data->SetMotion(MOTION_STAND);
    auto update = [&](uint8_t flags, uint8_t stance) {
        CStatusBlockFields fields;
        fields.m_flags = flags;
        fields.m_group08Byte = stance;
        auto msg = std::make_unique<CStatusBlockMsg>();
        msg->Set(fields);
        Post(c, std::move(msg));
        c->GetController()->ProcessMessages();
    };
    struct Case {
        uint8_t flags, stance;
        uint32_t motionBefore;
        uint8_t runFlag;
        uint32_t motionAfter;
    };
    for (const Case& k : {
             Case{0x08, 1, MOTION_STAND, 1, MOTION_STAND},  // standing: only the flag
             Case{0x08, 0, MOTION_RUN, 0, MOTION_WALK},     // running: it walks on
             Case{0x02, 1, MOTION_WALK, 0, MOTION_WALK},    // no stance in the update: as it was
             Case{0x08, 1, MOTION_WALK, 1, MOTION_RUN},
         }) {
        SCOPED_TRACE(int(k.flags) * 10 + k.stance);
        data->SetMotion(k.motionBefore);
        update(k.flags, k.stance);
        EXPECT_EQ(data->m_runFlag, k.runFlag);
        EXPECT_EQ(data->m_motion, k.motionAfter);
    }
    // Code 11 re-checks it too.
    data->m_stance = 0;
    const uint8_t code11[3] = {0, 0, 90};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(11, code11, sizeof code11));
    EXPECT_EQ(data->m_values[VALUE_HUNDRED_B], 90u);
    EXPECT_EQ(data->m_runFlag, 0);
    EXPECT_EQ(data->m_motion, MOTION_WALK);
}

TEST_F(CharControllerTest, TheStatusListHoldsEachStatusOnceAndIsBounded) {
    CChar* c = MakePlayer();
    ASSERT_TRUE(c);
    auto add = [&](uint32_t skillId) {
        auto msg = std::make_unique<CTargetTextMsg>();
        msg->Set(1, 1, 0, skillId, "", 0, 0);
        Post(c, std::move(msg));
    };
    add(3000005);
    add(3000005);
    for (uint32_t k = 0; k < 200; ++k) add(3001000 + k);
    c->GetController()->ProcessMessages();
    const std::vector<uint32_t>& list = c->GetData()->m_buffs[0];
    ASSERT_EQ(list.size(), MAX_BUFF_ENTRIES);
    EXPECT_EQ(std::count(list.begin(), list.end(), 3000005u), 1);
    // A removed status leaves room for another.
    auto removed = std::make_unique<CThreeValuesMsg>();
    removed->Set(1, 3000005, 0);
    Post(c, std::move(removed));
    add(3002000);
    c->GetController()->ProcessMessages();
    EXPECT_EQ(list.size(), MAX_BUFF_ENTRIES);
    EXPECT_EQ(list.back(), 3002000u);
}

TEST_F(CharControllerTest, PartyList) {
    CTeam team;
    auto member = [](const char* name, uint8_t state) {
        CTeamMember m;
        CopyRecordText(m.m_name, name);
        m.m_state = state;
        return m;
    };
    team.AddOrUpdateMember(member("Ann", 1), "Me");
    team.AddOrUpdateMember(member("Bob", 1), "Me");
    team.AddOrUpdateMember(member("Ann", 2), "Me");
    EXPECT_EQ(team.Count(), 2u);
    EXPECT_EQ(team.FindMember("Ann")->m_state, 2);
    EXPECT_FALSE(team.UpdateMember(member("Cid", 3), "Me"));
    EXPECT_EQ(team.Count(), 2u);
    EXPECT_TRUE(team.UpdateMember(member("Bob", 3), "Me"));
    EXPECT_EQ(team.FindMember("Bob")->m_state, 3);
    team.PromoteMember("Bob");
    EXPECT_STREQ(team.Members().front().m_name, "Bob");
    EXPECT_EQ(team.Members().front().m_leader, 1);
    team.RemoveMember("Ann");
    EXPECT_FALSE(team.HasMember("Ann"));
    // Names are kept to 59 bytes.
    const std::string longName(80, 'x');
    team.AddOrUpdateMember(member(longName.c_str(), 1), "Me");
    EXPECT_TRUE(team.HasMember(std::string(59, 'x').c_str()));
    team.Clear();
    EXPECT_EQ(team.Count(), 0u);

    CChar* c = Make(CHAR_KIND_PLAYER, 5);
    auto party = std::make_unique<CTeam>();
    party->AddOrUpdateMember(member("Dee", 1), "Me");
    c->GetData()->SetParty(std::move(party));
    EXPECT_TRUE(c->GetController()->IsTeamMember("Dee"));
}

TEST_F(CharControllerTest, ACharactersOwnRecordInTheParties) {
    CChar* player = MakePlayer();
    CChar* ally = Make(CHAR_KIND_PLAYER, 5);
    ASSERT_TRUE(player && ally);
    CChar::CopyText(ally->m_info, "Ann");
    auto record = [](const char* name, uint8_t leader, uint8_t state) {
        CTeamMember m;
        CopyRecordText(m.m_name, name);
        m.m_leader = leader;
        m.m_state = state;
        return m;
    };
    // Without records both answer 0.
    EXPECT_EQ(player->OwnLeaderMark(), 0);
    EXPECT_EQ(ally->OwnStateInUserParty(), 0);
    player->GetData()->Party().AddOrUpdateMember(record("Me", 1, 2), "Me");
    player->GetData()->Party().AddOrUpdateMember(record("Ann", 0, 3), "Me");
    ally->GetData()->Party().AddOrUpdateMember(record("Ann", 1, 4), "Me");
    EXPECT_EQ(player->OwnLeaderMark(), 1);
    EXPECT_EQ(player->OwnStateInUserParty(), 2);
    EXPECT_EQ(ally->OwnLeaderMark(), 1);        // from its own list
    EXPECT_EQ(ally->OwnStateInUserParty(), 3);  // from the user's list
}

// The session fills the list through the server's members.
TEST_F(CharControllerTest, PartyListOfTheServersMembers) {
    CTeam team;
    IPartyList& list = team;
    auto member = [](const char* name, uint8_t kind, uint32_t value) {
        CPartyMember m;
        CopyRecordText(m.m_name, name);
        m.m_kind = kind;
        m.m_value = value;
        m.m_level = 30;
        m.m_extraValue = 77;
        CopyRecordText(m.m_text, "town");
        m.m_words[0] = 1;
        m.m_words[1] = 2;
        m.m_words[2] = 3;
        return m;
    };
    list.SetLeader(std::string(120, 'L').c_str(), 9);
    EXPECT_EQ(std::strlen(team.LeaderName()), 100u);
    EXPECT_EQ(team.LeaderValue(), 9);
    list.SetLeader("Bob", 1);
    list.AddOrUpdateMember(member("Ann", 1, CHAR_PLAYER_BASE));
    list.AddOrUpdateMember(member("Bob", 2, CHAR_PLAYER_BASE + 4));
    ASSERT_EQ(team.Count(), 2u);
    const CTeamMember* ann = team.FindMember("Ann");
    const CTeamMember* bob = team.FindMember("Bob");
    EXPECT_EQ(ann->m_leader, 0);
    EXPECT_EQ(bob->m_leader, 1);
    EXPECT_EQ(bob->m_state, 2);
    EXPECT_EQ(bob->m_resourceId, CHAR_PLAYER_BASE + 4);
    EXPECT_EQ(bob->m_byte1, 30);
    EXPECT_EQ(bob->m_value, 77u);
    EXPECT_STREQ(bob->m_text, "town");
    EXPECT_EQ(bob->m_word2, 3);

    list.UpdateMember(member("Cid", 3, 0));  // not in the list: nothing
    EXPECT_EQ(team.Count(), 2u);
    list.UpdateMember(member("Ann", 3, CHAR_PLAYER_BASE + 1));
    EXPECT_EQ(ann->m_state, 3);
    EXPECT_EQ(ann->m_resourceId, CHAR_PLAYER_BASE + 1);
    list.PromoteMember("Ann");
    EXPECT_STREQ(team.Members().front().m_name, "Ann");
    list.RemoveMember("Bob");
    EXPECT_FALSE(team.HasMember("Bob"));
    // Server names are cut to the list's 59 bytes.
    list.AddOrUpdateMember(member(std::string(200, 'z').c_str(), 1, 0));
    EXPECT_TRUE(team.HasMember(std::string(59, 'z').c_str()));
}

}  // namespace
