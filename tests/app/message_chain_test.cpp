// Server messages through the running program: in the sample field, the
// local server sends a sample of each code below over the wire; the real
// handler reads it and hands its record to the real receivers (the
// character manager, the characters' controllers, the map, the chat
// window), and the test names the effect it sees. No receiver may let a
// record go unread on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/message.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/combat_handlers.h"
#include "net/handlers/inline_messages.h"
#include "net/packet_writer.h"
#include "tests/app/field_program.h"
#include "windows/play/chat_window.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/map/map.h"

namespace {

using namespace samplefield;

class MessageChainTest : public FieldProgramTest {};

CChar* Player() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}
uint32_t PlayerId() {
    return Player() ? Player()->GetCharId() : 0;
}
CCharData* PlayerData() {
    return Player() ? Player()->GetData() : nullptr;
}
uint32_t Hits(uint32_t id) {
    CChar* c = g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
    return c && c->GetAction() ? c->GetAction()->m_hitReactions : 0;
}

struct ChainCase {
    uint8_t code;
    const char* effect;
    std::function<std::vector<uint8_t>()> body;
    std::function<bool()> seen;
    std::function<void()> prepare = nullptr;
};

TEST_F(MessageChainTest, EachCodesRecordReachesItsReceiverInTheRunningProgram) {
    uint32_t playerHits = 0, slimeHits = 0;
    const std::vector<ChainCase> cases = {
        {4, "the player stands on the tile", [] { return WritePlayerPosition(13, 12); },
         [] { return TileOf(PlayerId()) == std::make_pair(13, 12); }},
        {8, "the status block's life",
         [] {
             CStatusBlockFields block;
             block.m_flags = 0x02;
             block.m_group02[0] = 99;
             block.m_group02[1] = 200;
             return WriteStatusBlock(block);
         },
         [] { return PlayerData()->m_values[VALUE_ENERGY] == 99; }},
        {11, "the player's second hundred value",
         [] { return CMessageWriter(11).PutByte(0).PutWord(55).Take(); },
         [] { return PlayerData()->m_values[VALUE_HUNDRED_B] == 55; }},
        {16, "the item mode byte (record 48)", [] { return CMessageWriter(16).PutByte(7).Take(); },
         [] { return PlayerData()->m_itemMode == 7; }},
        // The player, who stands still (a walker's steps turn it again).
        {17, "the player faces direction 6",
         [] { return CMessageWriter(17).PutDword(PlayerId()).PutByte(3).Take(); },
         [] { return Player()->m_direction == 6; }, [] { Player()->SetDirection(0); }},
        {18, "the item pair's value (record 45) on the named character",
         [] { return CMessageWriter(18).PutDword(PlayerId()).PutDword(4242).Take(); },
         [] { return PlayerData()->m_itemPairValue == 4242; }},
        {40, "list A (record 42)", [] { return CMessageWriter(40).PutByte(1).PutByte(1).PutDword(5).Take(); },
         [] { return PlayerData()->m_listA == std::vector<uint32_t>{5}; }},
        {43, "the player's timer (record 25)",
         [] { return CMessageWriter(43).PutByte(0).PutDword(PlayerId()).PutDword(5).Take(); },
         [] { return PlayerData()->m_timerOn == 1 && PlayerData()->m_timerDuration == 5000; }},
        {44, "a status for the player's icons (record 36)",
         [] {
             return CMessageWriter(44)
                 .PutDword(PlayerId())
                 .PutDword(1)
                 .PutByte(0)
                 .PutDword(77)
                 .PutText("")
                 .PutDword(0)
                 .PutDword(0)
                 .Take();
         },
         [] {
             const auto& list = PlayerData()->m_buffs[0];
             return std::find(list.begin(), list.end(), 77u) != list.end();
         }},
        {45, "the status leaves the lists (record 37)",
         [] { return CMessageWriter(45).PutDword(PlayerId()).PutDword(77).PutDword(0).Take(); },
         [] { return PlayerData()->m_buffs[0].empty(); }},
        // The player again: the walkers' own moves set their speeds anew.
        {69, "the player's run switch and speed",
         [] { return CMessageWriter(69).PutDword(PlayerId()).PutByte(0x85).Take(); },
         [] {
             return PlayerData()->m_runSwitch == 1 && PlayerData()->m_curSpeed > 0.0049f &&
                    PlayerData()->m_curSpeed < 0.0051f;
         },
         [] { PlayerData()->m_runSwitch = 0; }},
        {98, "a learned skill (record 32)",
         [] {
             return CMessageWriter(98).PutByte(1).PutByte(2).PutDword(3000005).PutByte(1).PutByte(0).Take();
         },
         [] { return PlayerData()->HasSkill(5); }},
        {108, "the map's field value", [] { return CMessageWriter(108).PutWord(7).Take(); },
         [] { return g_pMap->m_fieldValue == 7; }},
        {110, "the first skill group (record 19)",
         [] {
             CMessageWriter m(110);
             m.PutByte(0).PutByte(1).PutByte(16).PutDword(3000006).PutDword(0);
             m.PutByte(1).PutByte(0).PutDword(0).PutByte(2).PutByte(0).PutDword(0);
             return m.Take();
         },
         [] { return PlayerData()->m_skillGroups[0].m_rows[0] == 6; }},
        {114, "a combo value from the combo list (record 41)",
         [] {
             return CMessageWriter(114)
                 .PutByte(1)
                 .PutByte(4)
                 .PutDword(PlayerId())
                 .PutByte(1)
                 .PutDword(1)
                 .PutDword(77)
                 .Take();
         },
         [] { return PlayerData()->m_comboValues[1] == 77; }},
        {120, "the slime's hit on the player: its hit reaction (record 38)",
         [] { return WriteHitResult(PlayerId(), 9, 1, 0, kSlimeId); },
         [&] { return Hits(PlayerId()) > playerHits; }, [&] { playerHits = Hits(PlayerId()); }},
        {120, "a hit without a value: the slime's second hit reaction",
         [] { return WriteHitResult(kSlimeId, 0, 0, 1, PlayerId()); },
         [&] { return Hits(kSlimeId) > slimeHits; }, [&] { slimeHits = Hits(kSlimeId); }},
        {121, "the flag ends the player's channel (record 21)",
         [] { return CMessageWriter(121).PutByte(1).Take(); }, [] { return PlayerData()->m_channel == -1; },
         [] { PlayerData()->m_channel = 3; }},
        {10, "a notice line in the chat window", [] { return WriteChatLine(3, 0, "The chain holds."); },
         [] {
             auto* chat = FindWindow<CChatWindow>(CHAT_WINDOW_NAME);
             return chat && chat->LineCount() > 0 &&
                    std::string(chat->Line(chat->LineCount() - 1).text) == "The chain holds.";
         }},
        {14, "the keeper leaves the field", [] { return WriteObjectLeaves(kKeeperId); },
         [] { return g_pCharMgr->GetChar(kKeeperId) == nullptr; }},
    };
    const size_t unreadBefore = UnreadRecordReports().size();
    std::vector<std::string> seen;
    size_t at = 0;
    int settled = 0, waited = 0;
    bool sent = false, meleeSent = false, meleeSeen = false;
    uint32_t meleeHitsBefore = 0;
    EXPECT_EQ(
        Run(
            [&] {
                // The keeper leaves on the way: the field is looked for only at the start.
                if (settled < 30 && (!InField() || ++settled < 30)) return false;
                if (at < cases.size()) {
                    const ChainCase& c = cases[at];
                    if (!sent) {
                        if (c.prepare) c.prepare();
                        m_server->SendToField(c.body());
                        sent = true;
                        waited = 0;
                        return false;
                    }
                    const bool there = c.seen();
                    if (!there && ++waited < 90) return false;
                    seen.push_back(std::to_string(c.code) + ": " + c.effect + (there ? "" : " NOT SEEN"));
                    ++at;
                    sent = false;
                    return false;
                }
                // The melee hit is the program's own record (13): the slime,
                // aiming at the player, strikes it.
                if (!meleeSent) {
                    CChar* slime = g_pCharMgr->GetChar(kSlimeId);
                    if (!slime) return true;
                    slime->GetController()->m_target = PlayerId();
                    meleeHitsBefore = Hits(PlayerId());
                    g_pCharMgr->PostRecord(std::make_unique<CCharValueMsg>(CHAR_EVENT_MELEE_HIT, kSlimeId),
                                           0);
                    meleeSent = true;
                    waited = 0;
                    return false;
                }
                meleeSeen = Hits(PlayerId()) > meleeHitsBefore &&
                            g_pCharMgr->GetChar(kSlimeId)->GetController()->m_target == 0;
                return meleeSeen || ++waited > 90;
            },
            30000),
        EXIT_NORMAL);
    std::vector<std::string> expected;
    for (const ChainCase& c : cases) expected.push_back(std::to_string(c.code) + ": " + c.effect);
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(meleeSeen) << "13: the melee hit: the target's hit reaction, the aim cleared";
    const std::vector<std::string>& unread = UnreadRecordReports();
    EXPECT_EQ(unread.size(), unreadBefore) << (unread.empty() ? "" : unread.back());
}

}  // namespace
