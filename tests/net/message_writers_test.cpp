// The writers of server messages (what the local server and the tests send)
// read back by the client's own parsers and handlers: every field comes back
// as it was written.
#include <gtest/gtest.h>

#include <cstring>

#include "net/handlers/account_handlers.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/char_records.h"
#include "net/handlers/combat_handlers.h"
#include "net/handlers/inline_messages.h"
#include "net/handlers/item_messages.h"
#include "net/handlers/item_records.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/login_records.h"
#include "net/handlers/map_records.h"
#include "net/handlers/object_messages.h"
#include "net/handlers/terms.h"
#include "net/packet_reader.h"
#include "tests/net/message_harness.h"

namespace {

using nettest::Bytes;

// The body after the code, for a parser.
CPacketReader Body(const Bytes& message) {
    return CPacketReader(message.data() + 1, message.size() - 1);
}

TEST(MessageWritersTest, LogInMessagesReadBack) {
    CCipherSetup setup;
    setup.m_maskFunction = 17;
    setup.m_key = "K3y";
    Bytes key = WriteKeySetup(setup);
    ASSERT_EQ(key[1], 0);
    CPacketReader keyBody(key.data() + 2, key.size() - 2);
    std::optional<CCipherSetup> readKey = ParseKeySetup(keyBody);
    ASSERT_TRUE(readKey);
    EXPECT_EQ(readKey->m_maskFunction, 17u);
    EXPECT_EQ(readKey->m_key, "K3y");
    EXPECT_TRUE(keyBody.AtEnd());

    Bytes change = WriteServerChange(0x7F01007F, 40001, setup, "to the world");
    CPacketReader changeBody = Body(change);
    std::optional<CServerChange> readChange = ParseServerChange(changeBody);
    ASSERT_TRUE(readChange);
    EXPECT_EQ(readChange->m_addressNet, 0x7F01007Fu);
    EXPECT_EQ(readChange->m_port, 40001);
    EXPECT_TRUE(readChange->m_ticketReadable);
    EXPECT_EQ(readChange->m_cipher.m_key, "K3y");
    EXPECT_EQ(readChange->m_cipher.m_maskFunction, 17u);
    EXPECT_TRUE(changeBody.AtEnd());

    EXPECT_EQ(WriteLoginReply(5, "no"), (Bytes{2, 5, 2, 'n', 'o'}));
}

TEST(MessageWritersTest, ListsReadBack) {
    std::vector<CServerListEntry> worlds(2);
    worlds[0].worldId = 1;
    worlds[0].address = 0x7F01007F;
    worlds[0].port = 40000;
    std::strcpy(worlds[0].name, "Quill");
    worlds[1].worldId = 9;
    worlds[1].state = 2;
    std::strcpy(worlds[1].name, "Marrow Deep");
    Bytes list = WriteServerList(worlds);
    CPacketReader listBody = Body(list);
    std::optional<std::vector<CServerListEntry>> readWorlds = ParseServerList(listBody);
    ASSERT_TRUE(readWorlds);
    ASSERT_EQ(readWorlds->size(), 2u);
    EXPECT_EQ((*readWorlds)[0].address, 0x7F01007Fu);
    EXPECT_EQ((*readWorlds)[0].port, 40000);
    EXPECT_STREQ((*readWorlds)[1].name, "Marrow Deep");
    EXPECT_EQ((*readWorlds)[1].worldId, 9);
    EXPECT_EQ((*readWorlds)[1].state, 2);

    std::vector<CCharListEntry> chars(2);
    std::strcpy(chars[0].m_name, "Ardent");
    chars[0].m_value = 2000001;
    chars[0].m_kind = 1;
    std::fill(std::begin(chars[0].m_optional), std::end(chars[0].m_optional), -1);
    chars[0].m_optional[3] = 77;
    chars[0].m_mask = 1u << 3;
    std::strcpy(chars[1].m_name, "Bo");
    chars[1].m_group[4] = 6;
    chars[1].m_value3 = 0xA1B2C3D4;
    Bytes charList = WriteCharList("demo", chars);
    CPacketReader charBody = Body(charList);
    std::unique_ptr<CCharListMsg> readChars = ParseCharList(charBody);
    ASSERT_TRUE(readChars);
    EXPECT_TRUE(charBody.AtEnd());
    EXPECT_STREQ(readChars->Account(), "demo");
    ASSERT_EQ(readChars->Count(), 2u);
    EXPECT_STREQ(readChars->Entry(0).m_name, "Ardent");
    EXPECT_EQ(readChars->Entry(0).m_value, 2000001u);
    EXPECT_EQ(readChars->Entry(0).m_mask, 1u << 3);
    EXPECT_EQ(readChars->Entry(0).m_optional[3], 77);
    EXPECT_EQ(readChars->Entry(1).m_group[4], 6);
    EXPECT_EQ(readChars->Entry(1).m_value3, 0xA1B2C3D4u);
}

TEST(MessageWritersTest, TermsReadBack) {
    const std::string text = "Be kind.\nPlay fair.\n" + std::string(3000, 'x');
    Bytes sum = WriteTermsChecksum(TermsChecksum(text));
    CPacketReader sumBody = Body(sum);
    std::optional<CTermsMessage> readSum = ParseTermsMessage(sumBody);
    ASSERT_TRUE(readSum);
    EXPECT_EQ(readSum->m_form, 0);
    EXPECT_EQ(readSum->m_checksum, TermsChecksum(text));

    Bytes full = WriteTermsText(text);
    CPacketReader fullBody = Body(full);
    std::optional<CTermsMessage> readFull = ParseTermsMessage(fullBody);
    ASSERT_TRUE(readFull);
    std::string inflated;
    ASSERT_TRUE(InflateTermsText(readFull->m_compressed.data(), readFull->m_compressed.size(), &inflated));
    EXPECT_EQ(inflated, text);
    EXPECT_TRUE(WriteTermsText(std::string(MAX_TERMS_TEXT + 1, 'x')).empty()) << "more than the client takes";
}

CCharCreateFields Character() {
    CCharCreateFields f;
    f.m_charId = 1001;
    f.m_resourceId = 2000002;
    f.m_tileX = 300;
    f.m_tileY = 7;
    f.m_direction = 6;
    std::strcpy(f.m_name, "Tester");
    std::strcpy(f.m_secondName, "Second");
    f.m_equipment[0] = 5;
    f.m_equipment[12] = 0x01020304;
    f.m_smallFields[6] = 9;
    f.m_status[1] = 1u << 16;  // status 49 brings the extra byte
    f.m_extraValue = 44;
    f.m_titleFlag = 1;
    std::strcpy(f.m_title, "Hero");
    f.m_titleValue = 3;
    f.m_signedValue = -2;
    return f;
}

void ExpectSameLook(const CCharCreateFields& a, const CCharCreateFields& b) {
    EXPECT_EQ(a.m_charId, b.m_charId);
    EXPECT_EQ(a.m_resourceId, b.m_resourceId);
    EXPECT_EQ(a.m_tileX, b.m_tileX);
    EXPECT_EQ(a.m_tileY, b.m_tileY);
    EXPECT_EQ(a.m_direction, b.m_direction);
    EXPECT_STREQ(a.m_name, b.m_name);
    EXPECT_STREQ(a.m_secondName, b.m_secondName);
    EXPECT_EQ(0, std::memcmp(a.m_equipment, b.m_equipment, sizeof a.m_equipment));
    EXPECT_EQ(0, std::memcmp(a.m_smallFields, b.m_smallFields, sizeof a.m_smallFields));
    EXPECT_EQ(0, std::memcmp(a.m_status, b.m_status, sizeof a.m_status));
    EXPECT_STREQ(a.m_title, b.m_title);
    EXPECT_EQ(a.m_titleValue, b.m_titleValue);
    EXPECT_EQ(a.m_signedValue, b.m_signedValue);
    EXPECT_EQ(a.m_extraValue, b.m_extraValue);
}

TEST(MessageWritersTest, CharactersReadBack) {
    const CCharCreateFields own = Character();
    Bytes ownMessage = WriteOwnChar(own);
    CPacketReader ownBody = Body(ownMessage);
    std::optional<CCharCreateFields> readOwn = ParseOwnChar(ownBody);
    ASSERT_TRUE(readOwn);
    EXPECT_TRUE(ownBody.AtEnd());
    ExpectSameLook(*readOwn, own);

    CCharCreateFields other = Character();
    other.m_titleFlag = 0;
    other.m_title[0] = 0;
    other.m_titleValue = 0;
    other.m_status[1] = 0;
    other.m_extraValue = 0;
    other.m_ringFlag = 1;
    other.m_ringChoice = 4;
    other.m_entryCount = 1;
    other.m_entryKinds[0] = 2;
    std::strcpy(other.m_entryTexts[0], "club");
    other.m_entryNumbers[0] = 99;
    std::strcpy(other.m_entrySecondTexts[0], "title");
    Bytes otherMessage = WriteCharAppears(other);
    CPacketReader otherBody = Body(otherMessage);
    std::optional<CCharCreateFields> readOther = ParseCharAppears(otherBody);
    ASSERT_TRUE(readOther);
    EXPECT_TRUE(otherBody.AtEnd());
    ExpectSameLook(*readOther, other);
    EXPECT_EQ(readOther->m_ringChoice, 4);
    ASSERT_EQ(readOther->m_entryCount, 1);
    EXPECT_STREQ(readOther->m_entryTexts[0], "club");
    EXPECT_EQ(readOther->m_entryNumbers[0], 99u);
    EXPECT_STREQ(readOther->m_entrySecondTexts[0], "title");

    Bytes map = WriteMapChange(12, 1, 2);
    CPacketReader mapBody = Body(map);
    std::optional<CMapChangeMsg> readMap = ParseMapChange(mapBody);
    ASSERT_TRUE(readMap);
    EXPECT_EQ(readMap->m_stage, 12);
    EXPECT_EQ(readMap->m_attrByte, 1);
    EXPECT_EQ(readMap->m_eventByte, 2);
}

TEST(MessageWritersTest, ASkillActionReadsBack) {
    const Bytes message = WriteSkillAction(3000049, 2, 500000, 15, 10, 3, 1, 1000, 150);
    ASSERT_EQ(message[0], SERVER_SKILL_ACTION);
    CPacketReader body = Body(message);
    std::optional<CCombatMessage> read = ParseCombatMessage(message[0], body);
    ASSERT_TRUE(read);
    EXPECT_TRUE(body.AtEnd());
    EXPECT_EQ(read->m_delivery, CCombatMessage::HAND);
    const auto* action = dynamic_cast<const CSkillActionMsg*>(read->m_record.get());
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->m_skillId, 3000049u);
    EXPECT_EQ(action->m_level, 1u);  // kept as the level minus 1
    EXPECT_EQ(action->m_actorId, 500000u);
    EXPECT_EQ(action->m_x, 15u);
    EXPECT_EQ(action->m_y, 10u);
    EXPECT_EQ(action->m_a, 3u);
    EXPECT_EQ(action->m_b, 1u);
    EXPECT_EQ(action->m_targetId, 1000u);
    EXPECT_EQ(action->m_time, 1500u);
}

// The messages whose handlers read them inline, through the handlers.
class MessageWritersHandlerTest : public nettest::MessageHarness {
protected:
    void Send(const Bytes& message) { Dispatch(message[0], Bytes(message.begin() + 1, message.end())); }
};

TEST_F(MessageWritersHandlerTest, InlineMessagesReachTheirReceivers) {
    Fresh(true);
    Send(WritePlayerPosition(300, 7));
    ASSERT_EQ(m_world.m_records.size(), 1u);
    const auto* position = dynamic_cast<const CPlayerPositionMsg*>(m_world.m_records[0].get());
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->m_tileX, 300u);
    EXPECT_EQ(position->m_tileY, 7u);

    Send(WriteTimeEcho(0x01020304));
    Send(WriteRequest118());
    const std::vector<Bytes> queued = Queued();
    ASSERT_EQ(queued.size(), 2u);
    ASSERT_EQ(queued[0].size(), 9u);
    EXPECT_EQ(Bytes(queued[0].begin(), queued[0].begin() + 5), (Bytes{117, 1, 2, 3, 4}));
    EXPECT_EQ(queued[1], (Bytes{118}));
}

TEST_F(MessageWritersHandlerTest, WalkersReadBackForEitherClientVersion) {
    for (uint16_t version : {uint16_t(APPEAR_VALUES_VERSION - 1), APPEAR_VALUES_VERSION}) {
        SCOPED_TRACE(version);
        Fresh(true);
        g_config.m_clientVersion = version;
        std::vector<std::string> seen;
        m_world.m_onHand = [&](const CMsgPayload& record) {
            if (const auto* npc = dynamic_cast<const CObjectAppearMsg*>(&record))
                seen.push_back("npc " + std::to_string(npc->m_charId) + " " +
                               std::to_string(npc->m_resourceId) + " " + std::to_string(npc->m_tileX) + "," +
                               std::to_string(npc->m_tileY) + " " + npc->m_name);
            if (const auto* monster = dynamic_cast<const CCharAppearMsg*>(&record))
                seen.push_back("monster " + std::to_string(monster->m_charId) + " " +
                               std::to_string(monster->m_resourceId) + " " +
                               std::to_string(monster->m_tileX) + "," + std::to_string(monster->m_tileY));
        };
        std::vector<CViewCharacter> walkers(2);
        walkers[0] = {CViewCharacter::KIND_NPC, 500000, 2200001, 14, 10, 2, "Keeper"};
        walkers[1] = {CViewCharacter::KIND_MONSTER, 500001, 2100001, 20, 21, 4, "Slime"};
        Send(WriteObjectsInView(walkers, version));
        EXPECT_EQ(seen, (std::vector<std::string>{"npc 500000 2200001 14,10 Keeper",
                                                  "monster 500001 2100001 20,21"}));
        m_world.m_onHand = nullptr;
    }
}

TEST_F(MessageWritersHandlerTest, ItemsInTheBagAndOnTheGroundReadBack) {
    Fresh(true);
    Send(WriteInventoryItem(4, 3001, 77, "Herb", 12));
    ASSERT_EQ(m_world.m_records.size(), 1u);
    const auto* bag = dynamic_cast<const CInvenItemMsg*>(m_world.m_records[0].get());
    ASSERT_NE(bag, nullptr);
    EXPECT_EQ(bag->m_slot, 4);
    EXPECT_EQ(bag->m_v1, 3001u);
    EXPECT_EQ(bag->m_v2, 77u);
    EXPECT_EQ(bag->m_v3, 12u);
    EXPECT_STREQ(bag->m_name, "Herb");
    EXPECT_EQ(bag->m_expiry[0], ITEM_NO_DATE);

    std::vector<std::string> seen;
    m_world.m_onHand = [&](const CMsgPayload& record) {
        if (const auto* item = dynamic_cast<const CGroundItemMsg*>(&record))
            seen.push_back(std::to_string(item->m_objectId) + " item " + std::to_string(item->m_value1) +
                           " " + item->m_name + " x" + std::to_string(item->m_value16) + " at " +
                           std::to_string(item->m_x) + "," + std::to_string(item->m_y));
    };
    Send(WriteGroundItemsInView({{600000, 3001, "Herb", 13, 12, 2}, {600001, 3002, "Stone", 300, 7, 1}}));
    EXPECT_EQ(seen, (std::vector<std::string>{"600000 item 3001 Herb x2 at 13,12",
                                              "600001 item 3002 Stone x1 at 300,7"}));
    ASSERT_NE(m_charResources->FindIdFlag(600001), nullptr);
    EXPECT_EQ(m_charResources->FindIdFlag(600001)->m_flag, ID_FLAG_GROUND_ITEM);
    m_world.m_onHand = nullptr;
}

}  // namespace
