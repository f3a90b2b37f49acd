#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/config.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/game_session.h"
#include "net/handlers/char_handlers.h"
#include "net/packet_reader.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/world/chars/char_fixture.h"

using namespace chartest;

namespace {

class CharMessagesTest : public CharFixture {
protected:
    std::unique_ptr<CCharCreateMsg> Create56(uint32_t id, bool own, uint32_t x, uint32_t y) {
        CCharCreateFields f;
        f.m_charId = id;
        f.m_ownFlag = own;
        f.m_resourceId = kPlayerRes + 3;
        f.m_tileX = x;
        f.m_tileY = y;
        CopyRecordText(f.m_name, own ? "Me" : "You");
        auto msg = std::make_unique<CCharCreateMsg>();
        msg->Set(f);
        return msg;
    }
    std::unique_ptr<CCharAppearMsg> Monster57(uint32_t id) {
        CCharAppearFields f;
        f.m_charId = id;
        f.m_resourceId = kMonsterRes;
        f.m_tileX = 3;
        f.m_tileY = 4;
        f.m_value1 = 40;
        f.m_value2 = 80;
        auto msg = std::make_unique<CCharAppearMsg>();
        msg->Set(f);
        return msg;
    }
};

TEST_F(CharMessagesTest, AMonsterBeforeTheOwnCharacterWaitsOneFrame) {
    m_mgr->PostRecord(Monster57(70), 0);
    m_mgr->Update();
    EXPECT_EQ(m_mgr->GetChar(70), nullptr);
    m_mgr->HandleMessage(*Create56(1, true, 10, 10));  // the own character is handed at once
    EXPECT_TRUE(m_mgr->AreCharsReady());
    ASSERT_TRUE(m_mgr->GetPlayer());
    m_mgr->Update();
    CChar* monster = m_mgr->GetChar(70);
    ASSERT_TRUE(monster);
    EXPECT_EQ(monster->GetKind(), CHAR_KIND_MONSTER);
    EXPECT_EQ(monster->GetData()->m_values[VALUE_ENERGY_MAX], 80u);
    EXPECT_EQ(monster->GetData()->m_energyRatio, 25u);
    auto noMaximum = Monster57(70);
    noMaximum->m_value2 = 0;
    m_mgr->HandleMessage(*noMaximum);
    EXPECT_EQ(monster->GetData()->m_energyRatio, 0u);
    EXPECT_EQ(std::string(monster->m_info), "Monster1");
    // An unknown monster resource makes nothing.
    auto bad = Monster57(71);
    bad->m_resourceId = CHAR_MONSTER_BASE + 9999;
    m_mgr->HandleMessage(*bad);
    EXPECT_EQ(m_mgr->GetChar(71), nullptr);
}

TEST_F(CharMessagesTest, APartyThatCameFirstWaitsForThePlayer) {
    auto party = std::make_unique<CTeam>();
    CTeamMember member;
    CopyRecordText(member.m_name, "Ann");
    party->AddOrUpdateMember(member, "Me");
    m_mgr->SetWaitingParty(std::move(party));
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    EXPECT_TRUE(player->GetController()->IsTeamMember("Ann"));
}

TEST_F(CharMessagesTest, TheOwnCharacterFarAwayDoesNotMove) {
    CChar* player = MakePlayer(1);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->m_cellX, 10);
    m_mgr->HandleMessage(*Create56(1, true, 26, 10));  // 16 tiles
    EXPECT_EQ(player->m_cellX, 10);
    m_mgr->HandleMessage(*Create56(1, true, 25, 10));  // 15 tiles
    EXPECT_EQ(player->m_cellX, 25);
    EXPECT_TRUE(m_mgr->IsOwnStartKnown());
    EXPECT_EQ(m_mgr->OwnStartX(), 25u);
}

TEST_F(CharMessagesTest, EquipmentIsTakenOffInTheRecordsOrder) {
    qmtest::TableBuilder items(2, 42);
    items.U32(19).Set(19, 0, 800).Set(41, 0, 7).Set(19, 1, 801).Set(41, 1, 6);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    MakePlayer();
    CChar* other = Make(CHAR_KIND_PLAYER, 9);
    ASSERT_TRUE(other);
    CCharAppearance record;
    int32_t equipment[EQUIPMENT_SLOTS];
    std::fill(std::begin(equipment), std::end(equipment), -1);
    equipment[6] = 800;  // slot 7
    equipment[5] = 801;  // slot 6
    const uint32_t status[4] = {};
    const uint8_t small[CCharAppearance::SMALL_FIELDS] = {};
    record.Set(9, status, equipment, small, 0, 0, 0);
    m_mgr->ApplyAppearance(record, other);
    ASSERT_TRUE(other->GetController()->GetItemInSlot(7));
    ASSERT_TRUE(other->GetController()->GetItemInSlot(6));
    // Slot 7 empties first, so the item the record now names for slot 6 (worn
    // at position 7) stays on
    equipment[6] = -1;
    equipment[5] = 800;
    record.Set(9, status, equipment, small, 0, 0, 0);
    m_mgr->ApplyAppearance(record, other);
    // (the other order would equip the new item and then take it off again).
    ASSERT_TRUE(other->GetController()->GetItemInSlot(7));
    EXPECT_EQ(other->GetController()->GetItemInSlot(7)->GetItemId(), 800u);
    EXPECT_EQ(other->GetController()->GetItemInSlot(6)->GetItemId(), 801u);
    g_pItemTableMgr = nullptr;
}

TEST_F(CharMessagesTest, ValueReactionBands) {
    struct Case {
        int32_t amount;
        uint32_t sound;  // 0: none
    };
    for (const Case& c : {Case{30, 0}, Case{-29, 0}, Case{31, 417}, Case{100, 417}, Case{101, 418},
                          Case{2000, 421}, Case{32000, 422}, Case{32001, 0}, Case{-30, 361}, Case{-99, 361},
                          Case{-100, 362}, Case{-31999, 416}, Case{-32000, 0}}) {
        SCOPED_TRACE(c.amount);
        uint32_t sound = 0;
        uint8_t motion = 0, frame = 0;
        EXPECT_EQ(CCharMgr::ValueReactionBand(c.amount, &sound, &motion, &frame), c.sound != 0);
        if (c.sound) {
            EXPECT_EQ(sound, c.sound);
        }
    }
    CChar* c = Make(CHAR_KIND_MONSTER, 5);
    m_mgr->ShowValueReaction(false, 5, 31, nullptr);
    m_mgr->ShowValueReaction(false, 5, 30, nullptr);
    m_mgr->ShowValueReaction(false, 6, 31, nullptr);  // absent
    EXPECT_EQ(m_sound.effects, (std::vector<uint32_t>{417}));
    EXPECT_TRUE(c->m_pEmote);
}

TEST_F(CharMessagesTest, ServerUpdates) {
    CChar* player = MakePlayer(1);
    CChar* c = Make(CHAR_KIND_MONSTER, 0x01020304, CHAR_MONSTER_BASE);  // row 0: turns freely
    ASSERT_TRUE(player && c);
    const uint8_t code11[] = {0, 0x01, 0x2C};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(11, code11, sizeof code11));
    EXPECT_EQ(player->GetData()->m_values[VALUE_HUNDRED_B], 300u);
    const uint8_t code17[] = {1, 2, 3, 4, 3};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(17, code17, sizeof code17));
    EXPECT_EQ(c->m_direction, 6);
    const uint8_t code69[] = {1, 2, 3, 4, 0x85};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(69, code69, sizeof code69));
    EXPECT_EQ(c->GetData()->m_runSwitch, 1);
    EXPECT_FLOAT_EQ(c->GetData()->m_curSpeed, 0.005f);
    // Code 100: mode 0 ends, mode 1 a cell, mode 2 two words and a cell.
    const uint8_t mode0[] = {1, 2, 3, 4, 0, 9, 0};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(100, mode0, sizeof mode0));
    EXPECT_FLOAT_EQ(c->GetData()->m_curSpeed, 0.005f);
    const uint8_t mode1[] = {1, 2, 3, 4, 1, 20, 1, 0, 5, 0, 6};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(100, mode1, sizeof mode1));
    EXPECT_FLOAT_EQ(c->GetData()->m_runSpeed, 0.020f);
    const uint8_t mode2[] = {1, 2, 3, 4, 0, 7, 2, 0, 1, 0, 2, 0, 5, 0, 6};
    EXPECT_TRUE(m_mgr->HandleServerUpdate(100, mode2, sizeof mode2));
    EXPECT_FLOAT_EQ(c->GetData()->m_walkSpeed, 0.007f);
    // Cut short or of an unknown mode: dropped, nothing changed.
    const uint8_t mode3[] = {1, 2, 3, 4, 0, 9, 3, 0, 5, 0, 6};
    EXPECT_FALSE(m_mgr->HandleServerUpdate(100, mode3, sizeof mode3));
    EXPECT_FALSE(m_mgr->HandleServerUpdate(100, mode2, sizeof mode2 - 1));
    EXPECT_FALSE(m_mgr->HandleServerUpdate(17, code17, 4));
    EXPECT_FALSE(m_mgr->HandleServerUpdate(69, code69, 0));
    EXPECT_FALSE(m_mgr->HandleServerUpdate(11, code11, 2));
    EXPECT_FLOAT_EQ(c->GetData()->m_walkSpeed, 0.007f);
    EXPECT_TRUE(m_mgr->HandleServerUpdate(55, nullptr, 0));  // other codes are ignored
}

// Message 28's sub-codes 101 and 102 play the character's own one-shot
// motion (17, 18) before their animations; 100 plays none.
TEST_F(CharMessagesTest, CharacterActions101And102PlayTheirOwnMotions) {
    ASSERT_TRUE(MakePlayer(1));
    CChar* c = Make(CHAR_KIND_MONSTER, 0x01020304, CHAR_MONSTER_BASE);
    ASSERT_TRUE(c);
    for (const auto& [subCode, motion] :
         {std::pair{100, MOTION_STAND}, std::pair{101, MOTION_ONCE_17}, std::pair{102, MOTION_ONCE_18}}) {
        c->GetData()->SetMotion(MOTION_STAND);
        const uint8_t body[] = {1, 2, 3, 4, uint8_t(subCode)};
        CPacketReader reader(body, sizeof body);
        std::unique_ptr<CCharActionMsg> record = ParseCharAction(reader);
        ASSERT_TRUE(record);
        m_mgr->HandleMessage(*record);
        EXPECT_EQ(c->GetData()->m_motion, uint32_t(motion)) << subCode;
    }
}

TEST_F(CharMessagesTest, EmoticonsAndTheirPermissions) {
    EXPECT_EQ(m_mgr->FindEmoticonByText("hi"), 7);
    EXPECT_EQ(m_mgr->FindEmoticonByText("hello"), 7);
    EXPECT_EQ(m_mgr->FindEmoticonByText("wave"), 9);
    EXPECT_EQ(m_mgr->FindEmoticonByText("Hi"), -1);
    EXPECT_EQ(m_mgr->FindEmoticonByText(""), -1);
    CChar* type0 = Make(CHAR_KIND_PLAYER, 1, kPlayerRes);
    CChar* type1 = Make(CHAR_KIND_PLAYER, 2, kPlayerRes + 1);
    EXPECT_TRUE(m_mgr->CanUseEmoticon(type0, 7));
    EXPECT_TRUE(m_mgr->CanUseEmoticon(type0, 9));
    EXPECT_FALSE(m_mgr->CanUseEmoticon(type1, 9));
    EXPECT_FALSE(m_mgr->CanUseEmoticon(type1, 8));  // allowed, but the item is missing
    EXPECT_FALSE(m_mgr->CanUseEmoticon(type0, 8));
    EXPECT_FALSE(m_mgr->CanUseEmoticon(nullptr, 7));
    EXPECT_FALSE(m_mgr->CanUseEmoticon(type0, 99));
    // Built-in pictures by kind and index; indexes outside 0-7 show nothing.
    uint32_t ani = 0;
    uint8_t motion = 0, frame = 0;
    ASSERT_TRUE(m_mgr->EmoticonPicture(1, 2, 0, &ani, &motion, &frame));
    EXPECT_EQ(ani, 596u);
    EXPECT_EQ(motion, 4);
    EXPECT_EQ(frame, 14);
    EXPECT_FALSE(m_mgr->EmoticonPicture(2, 8, 0, &ani, &motion, &frame));
    ASSERT_TRUE(m_mgr->EmoticonPicture(5, 0, 7, &ani, &motion, &frame));  // the table's row
    EXPECT_EQ(motion, 9);
    EXPECT_EQ(frame, 4);
}

TEST_F(CharMessagesTest, SkillGroupsOutsideTwoAreIgnored) {
    CChar* player = MakePlayer();
    CStatusGroupMsg msg;
    const uint32_t values[5] = {3000005, 12, 3000007, 3000008, 3000009};
    const uint8_t kinds[5] = {};
    msg.Set(1, 3, values, kinds, 4);
    m_mgr->SetSkillGroup(msg);
    const CSkillGroup& g = player->GetData()->m_skillGroups[1];
    EXPECT_EQ(g.m_rows[0], 5);
    EXPECT_EQ(g.m_rows[1], -1);  // below the skill base: left
    EXPECT_EQ(g.m_rows[2], 7);
    EXPECT_EQ(g.m_rows[3], -1);  // past the count
    EXPECT_EQ(g.m_time, 40u);
    msg.m_group = 3;
    m_mgr->SetSkillGroup(msg);  // no fourth group: nothing is written
    EXPECT_EQ(player->GetData()->m_groupSize, 3u);
}

TEST_F(CharMessagesTest, DuringAVisualEventOnlyAppearancesWaitForTheMap) {
    MakePlayer();
    g_pMap = nullptr;
    m_events.visualEvent = true;
    m_mgr->PostRecord(Create56(5, false, 1, 1), 0);
    m_mgr->PostRecord(std::make_unique<CCharTimerMsg>(), 0);
    m_mgr->Update();
    // No map loaded: the 56 waits, the rest is dropped.
    ASSERT_EQ(m_mgr->GetMsgQueue()->GetMessageCount(), 1);
    EXPECT_EQ(m_mgr->GetChar(5), nullptr);
    g_pMap = &m_field;
    m_events.visualEvent = false;
    m_mgr->Update();
    EXPECT_TRUE(m_mgr->GetChar(5));
    // Handed monsters are ignored during an event.
    m_events.visualEvent = true;
    m_mgr->HandleMessage(*Monster57(80));
    EXPECT_EQ(m_mgr->GetChar(80), nullptr);
}

TEST_F(CharMessagesTest, MissingCharactersAreAskedFor) {
    MakePlayer();
    m_mgr->PostRecord(std::make_unique<CCharValueMsg>(CHAR_EVENT_DASH, 444, 0, 1, 1), 0);
    auto state = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_74);
    state->Set(555, 0);
    m_mgr->PostRecord(std::move(state), 0);
    auto appearance = std::make_unique<CCharAppearance>();
    appearance->m_charId = 666;
    m_mgr->PostRecord(std::move(appearance), 0);
    m_mgr->Update();
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"info 444", "lookup 555", "info 666"}));
    EXPECT_EQ(m_mgr->GetMsgQueue()->GetMessageCount(), 0);
}

TEST_F(CharMessagesTest, DelayedRecordsWaitTheirFrames) {
    MakePlayer();
    auto timer = std::make_unique<CCharTimerMsg>();
    timer->Set(0, 1, 5);
    m_mgr->PostRecord(std::move(timer), 2);
    m_mgr->Update();
    m_mgr->Update();
    EXPECT_EQ(m_mgr->GetPlayer()->GetData()->m_timerOn, 0);
    m_mgr->Update();
    EXPECT_EQ(m_mgr->GetPlayer()->GetData()->m_timerOn, 1);
    EXPECT_EQ(m_mgr->GetPlayer()->GetData()->m_timerDuration, 5000u);
}

TEST_F(CharMessagesTest, ThreeBytesForThePlayerWaitForIt) {
    auto values = std::make_unique<CPlayerValuesMsg>();
    values->Set(4, 0, 255);
    m_mgr->PostRecord(std::move(values), 0);
    m_mgr->Update();  // no player yet: it waits
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    CCharController* controller = player->GetController();
    EXPECT_EQ(controller->m_flags[0], 0);
    m_mgr->Update();
    EXPECT_EQ(controller->m_flags[0], 4);
    EXPECT_EQ(controller->m_flags[1], 0);
    EXPECT_EQ(controller->m_flags[2], 255);
}

TEST_F(CharMessagesTest, PartyMarksWaitForTheirSwitch) {
    const COptions saved = g_options;
    CChar* player = MakePlayer();
    CChar* ally = Make(CHAR_KIND_PLAYER, 5);
    CChar* other = Make(CHAR_KIND_PLAYER, 6);
    ASSERT_TRUE(player && ally && other);
    const uint32_t ids[] = {5, 404, 1};  // 404 is not in view
    auto marks = std::make_unique<CIdArrayMsg>(MSG_PARTY_MARKS);
    marks->Set(3, ids);
    m_mgr->PostRecord(std::move(marks), 0);
    g_options.SetByte(OPT_PARTY_MARKS, 0);
    m_mgr->Update();
    m_mgr->Update();
    EXPECT_EQ(ally->GetController()->m_partyMark, 0);
    g_options.SetByte(OPT_PARTY_MARKS, 1);
    m_mgr->Update();
    EXPECT_EQ(ally->GetController()->m_partyMark, 1);
    EXPECT_EQ(player->GetController()->m_partyMark, 1);
    EXPECT_EQ(other->GetController()->m_partyMark, 0);
    EXPECT_TRUE(m_requests.sent.empty());  // the absent one is only skipped

    // A count beyond the ids it carries reads only those.
    other->GetController()->m_partyMark = 0;
    auto hostile = std::make_unique<CIdArrayMsg>(MSG_PARTY_MARKS);
    hostile->m_count = 200;
    hostile->m_ids = {6};
    m_mgr->PostRecord(std::move(hostile), 0);
    m_mgr->Update();
    EXPECT_EQ(other->GetController()->m_partyMark, 1);
    g_options = saved;
}

TEST_F(CharMessagesTest, TheSessionsPartyListGoesToTheOwnCharacter) {
    auto kept = std::make_unique<CTeam>();
    CPartyMember ann;
    CopyRecordText(ann.m_name, "Ann");
    kept->AddOrUpdateMember(ann);
    GameSession().m_party = std::move(kept);
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(GameSession().m_party, nullptr);  // no longer waiting
    EXPECT_TRUE(player->GetController()->IsTeamMember("Ann"));
    GameSession().m_party.reset();
}

TEST_F(CharMessagesTest, NamesOfCharactersInView) {
    CChar* player = MakePlayer();
    CChar* monster = Make(CHAR_KIND_MONSTER, 8);
    ASSERT_TRUE(player && monster);
    CChar::CopyText(monster->m_info, "Slime");
    char name[16] = "old";
    EXPECT_TRUE(m_mgr->GetCharName(1, name, sizeof name));
    EXPECT_STREQ(name, "Me");
    EXPECT_TRUE(m_mgr->GetCharName(8, name, sizeof name));
    EXPECT_STREQ(name, "Slime");
    EXPECT_TRUE(m_mgr->GetCharName(8, name, 4));  // cut to the capacity
    EXPECT_STREQ(name, "Sli");
    EXPECT_FALSE(m_mgr->GetCharName(9, name, sizeof name));
    EXPECT_FALSE(m_mgr->GetCharName(8, name, 0));
    EXPECT_FALSE(m_mgr->GetCharName(8, nullptr, 8));
}

}  // namespace

namespace {

using Bytes = std::vector<uint8_t>;

// The fuzz target's seeds: records of [code][length][bytes] against the
// player (id 1), a monster (2) and an NPC (3). QM_REFRESH_GOLDEN=1 rewrites them.
TEST_F(CharMessagesTest, FuzzSeedsApplyCleanly) {
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"code11", {11, 3, 0, 1, 44}},
        {"code17", {17, 5, 0, 0, 0, 2, 3}},
        {"code69", {69, 5, 0, 0, 0, 2, 0x85}},
        {"code100_mode1", {100, 11, 0, 0, 0, 2, 1, 20, 1, 0, 5, 0, 6}},
        {"code100_mode2", {100, 15, 0, 0, 0, 3, 0, 7, 2, 0, 1, 0, 2, 0, 5, 0, 6}},
        {"short_and_mixed", {100, 6, 0, 0, 0, 2, 1, 20, 17, 5, 0, 0, 0, 3, 9, 69, 2, 0, 0, 11, 3, 0, 0, 7}},
    };
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/char_updates/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    MakePlayer(1);
    ASSERT_TRUE(Make(CHAR_KIND_MONSTER, 2));
    ASSERT_TRUE(Make(CHAR_KIND_NPC, 3));
    for (const auto& [name, seed] : seeds) {
        SCOPED_TRACE(name);
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, seed.data(), seed.size()));
        }
        Bytes stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + name, stored));
        EXPECT_EQ(stored, seed);
        for (size_t at = 0; at + 2 <= seed.size();) {
            const size_t length = std::min<size_t>(seed[at + 1], seed.size() - at - 2);
            m_mgr->HandleServerUpdate(seed[at], seed.data() + at + 2, length);
            at += 2 + length;
        }
        m_mgr->Update();
    }
    // Direction 9 of the last seed is 18: the next frame turns it to 0.
    CChar* npc = m_mgr->GetChar(3);
    EXPECT_EQ(npc->m_direction, 18);
    npc->UpdateFrame(33, false);
    EXPECT_EQ(npc->m_direction, 0);
}

}  // namespace
