// Every request the session builds, byte for byte, and the limits that keep a
// request from being sent at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "net/game_session.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/net/net_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

using nettest::Bytes;

// ---- Expected bytes ----
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes W(uint16_t v) {
    return {uint8_t(v >> 8), uint8_t(v)};
}
Bytes D(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
// A text: u8 length and the characters.
Bytes T(std::string_view text) {
    Bytes out = {uint8_t(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}
// A text with its terminating 0, counted in the length.
Bytes Z(std::string_view text) {
    Bytes out = {uint8_t(text.size() + 1)};
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}

constexpr uint32_t NPC = 0x01020304;
constexpr uint32_t ID = 0xA1B2C3D4;

using Call = std::function<bool(CGameSession&)>;
struct RequestCase {
    const char* name;
    Call call;
    Bytes expected;
};

// Fixed arrays the list requests take.
const uint16_t kItems[] = {0x0102, 0x0304};
const uint16_t kCounts[] = {5, 0x0607};
const uint8_t kKinds[] = {1, 2};
const uint32_t kPrices[] = {0x00000100, 0x0A0B0C0D};
const uint32_t kSkills[5] = {3000001, 3000002, 0, 7, 0xFFFFFFFF};
const uint8_t kFlags[5] = {1, 0, 2, 0, 9};
const CFieldPoint kPoints[] = {{12.9f, 3.0f}, {-4.0f, 70000.0f}};
const char* const kNames[] = {"ann", "bo"};

std::vector<RequestCase> AllRequests() {
    const Bytes points = Bytes{2} + W(12) + W(3) + W(0) + W(65535);
    return {
        // Log-in and characters.
        {"SendNewAccount",
         [](CGameSession& s) { return s.SendNewAccount("acc", "pw", "a@b", "x", 7, "yz", 9); },
         Bytes{2} + T("acc") + T("pw") + Bytes{0} + T("a@b") + T("x") + Bytes{7} + T("yz") + Bytes{9} +
             W(0x0102)},
        {"SendLoginRequest",
         [](CGameSession& s) {
             std::strcpy(s.m_account, "hero");
             std::strcpy(s.m_loginKey, "secret");
             return s.SendLoginRequest(1);
         },
         Bytes{3} + T("hero") + T("secret")},
        {"SendAccountCheck", [](CGameSession& s) { return s.SendAccountCheck("newbie"); },
         Bytes{4} + T("newbie")},
        {"SendLoginPhaseAnswer", [](CGameSession& s) { return s.SendLoginPhaseAnswer(); }, Bytes{15, 3}},
        {"RequestMetaTable", [](CGameSession& s) { return s.RequestMetaTable("Item.meta"); },
         Bytes{15, 2, 1} + T("Item.meta")},
        {"SendKeyAcknowledgement",
         [](CGameSession& s) {
             const uint8_t ticket[] = {4, 3, 'k', 'e', 'y', 0xEE};
             std::memcpy(s.m_ticket, ticket, sizeof(ticket));
             s.m_ticketLength = sizeof(ticket);
             s.m_nextMaskFunction = 4;
             s.m_nextKeyLength = 3;
             std::strcpy(s.m_nextKey, "key");
             return s.SendKeyAcknowledgement();
         },
         Bytes{16, 4, 3, 'k', 'e', 'y', 0xEE}},
        {"SendChangePassword", [](CGameSession& s) { return s.SendChangePassword("acc", "old", "new1"); },
         Bytes{38} + T("acc") + T("old") + T("new1")},
        {"SendCharSelect", [](CGameSession& s) { return s.SendCharSelect("Mira"); }, Bytes{43} + T("Mira")},
        {"RequestCharCreate", [](CGameSession& s) { return s.RequestCharCreate(2000005, "Mira"); },
         Bytes{44} + D(2000005) + T("Mira")},
        {"RequestCharDelete", [](CGameSession& s) { return s.RequestCharDelete("Mira", "yes"); },
         Bytes{45} + T("Mira") + T("yes")},
        {"RequestCharDelete without confirmation",
         [](CGameSession& s) { return s.RequestCharDelete("Mira", nullptr); }, Bytes{45} + T("Mira") + T("")},
        {"RequestSignupPage", [](CGameSession& s) { return s.RequestSignupPage(); }, Bytes{65, 1}},
        {"SendTermsRequest", [](CGameSession& s) { return s.SendTermsRequest(); }, Bytes{75}},
        {"SendWorldEntry", [](CGameSession& s) { return s.SendWorldEntry(3); }, Bytes{87, 0, 3}},
        {"SendWorldListRequest", [](CGameSession& s) { return s.SendWorldListRequest(); }, Bytes{87, 1}},
        // Movement and play.
        {"SendPickUp", [](CGameSession& s) { return s.SendPickUp(ID); }, Bytes{7} + D(ID)},
        {"SendPointRequest", [](CGameSession& s) { return s.SendPointRequest(2, 3, 0x0405, 0x0607); },
         Bytes{8, 2, 0, 3, 4, 5, 6, 7}},
        {"SendStatPointUp", [](CGameSession& s) { return s.SendStatPointUp(7); }, Bytes{10, 7, 1}},
        {"SendCharInfoRequest", [](CGameSession& s) { return s.SendCharInfoRequest(ID); }, Bytes{12} + D(ID)},
        {"SendComboSet", [](CGameSession& s) { return s.SendComboSet(2, kSkills, kFlags); },
         Bytes{13, 2} + D(3000001) + Bytes{1} + D(3000002) + Bytes{0} + D(0) + Bytes{2} + D(7) + Bytes{0} +
             D(0xFFFFFFFF) + Bytes{9}},
        {"SendDirection(15)", [](CGameSession& s) { return s.SendDirection(15); }, Bytes{17, 7}},
        {"SendDirection(4)", [](CGameSession& s) { return s.SendDirection(4); }, Bytes{17, 2}},
        {"SendSkillLevel", [](CGameSession& s) { return s.SendSkillLevel(1, 2, 3, 1); },
         Bytes{18, 1, 2, 3, 1}},
        {"SendUseSkill",
         [](CGameSession& s) {
             const uint8_t payload[] = {9, 8, 7, 6};
             return s.SendUseSkill(5, 1, payload, 4);
         },
         Bytes{19, 5, 1, 9, 8, 7, 6}},
        {"SendLearnSkill", [](CGameSession& s) { return s.SendLearnSkill(3000123); }, Bytes{23} + D(3000123)},
        {"SendUseItem slot alone", [](CGameSession& s) { return s.SendUseItem(12, nullptr, 0); },
         Bytes{28, 12}},
        {"SendUseItem with a place",
         [](CGameSession& s) {
             const uint8_t place[] = {0, 10, 0, 20};
             return s.SendUseItem(12, place, 4);
         },
         Bytes{28, 12, 0, 10, 0, 20}},
        {"SendUseQuickSkill",
         [](CGameSession& s) {
             const uint8_t target[] = {1, 2, 3, 4};
             return s.SendUseQuickSkill(3, target, 4);
         },
         Bytes{28, 3, 1, 1, 2, 3, 4}},
        {"SendEquipShowFlags", [](CGameSession& s) { return s.SendEquipShowFlags(0x0B); }, Bytes{30, 0x0B}},
        {"SendItemKind", [](CGameSession& s) { return s.SendItemKind(6); }, Bytes{31, 6}},
        {"SendControlledCharPosition",
         [](CGameSession& s) { return s.SendControlledCharPosition(ID, 0x0102, 0x0304, 13, 127); },
         Bytes{33} + D(ID) + Bytes{0, 1, 2, 3, 4, 6, 127}},
        {"SendControlledCharPoints",
         [](CGameSession& s) { return s.SendControlledCharPoints(ID, 0, kPoints, 2); },
         Bytes{33} + D(ID) + Bytes{1, 0} + points},
        {"SendCharLookup", [](CGameSession& s) { return s.SendCharLookup(ID); },
         Bytes{33} + D(ID) + Bytes{2}},
        {"SendControlledCharRequest3", [](CGameSession& s) { return s.SendControlledCharRequest3(ID); },
         Bytes{33} + D(ID) + Bytes{3}},
        {"SendComboListRequest", [](CGameSession& s) { return s.SendComboListRequest(); }, Bytes{34, 0}},
        {"SendComboFinish", [](CGameSession& s) { return s.SendComboFinish(1, 4); }, Bytes{34, 1, 1, 4}},
        {"SendMapRequest", [](CGameSession& s) { return s.SendMapRequest(); }, Bytes{36}},
        {"SendEventPanelAccept", [](CGameSession& s) { return s.SendEventPanelAccept(); }, Bytes{39, 1}},
        {"SendEventPanelDecline", [](CGameSession& s) { return s.SendEventPanelDecline(); }, Bytes{39, 0}},
        {"SendItemDrop", [](CGameSession& s) { return s.SendItemDrop(4, 0x0506, ID); },
         Bytes{41, 4, 5, 6} + D(ID)},
        {"SendComboSelect", [](CGameSession& s) { return s.SendComboSelect(); }, Bytes{49}},
        {"SendDrawStep", [](CGameSession& s) { return s.SendDrawStep(3); }, Bytes{50, 3}},
        {"SendPlayerPosition", [](CGameSession& s) { return s.SendPlayerPosition(300, 2, 8, 0); },
         Bytes{51} + W(300) + W(2) + Bytes{4, 0}},
        {"SendLevelUp", [](CGameSession& s) { return s.SendLevelUp(); }, Bytes{54}},
        {"SendMapReady", [](CGameSession& s) { return s.SendMapReady(); }, Bytes{57}},
        {"SendGameOverChoice", [](CGameSession& s) { return s.SendGameOverChoice(); }, Bytes{76}},
        {"SendDestination", [](CGameSession& s) { return s.SendDestination(6, kPoints, 2); },
         Bytes{84, 6} + points},
        {"SendEventState",
         [](CGameSession& s) {
             const uint8_t pairs[] = {1, 2, 3, 4};
             return s.SendEventState(0, 0x11223344, 9, pairs, 2);
         },
         Bytes{108, 0} + D(0x11223344) + D(9) + W(2) + Bytes{1, 2, 3, 4}},
        {"SendEventState without pairs",
         [](CGameSession& s) { return s.SendEventState(1, 5, 6, nullptr, 0); },
         Bytes{108, 1} + D(5) + D(6) + W(0)},
        {"SendEventSelection",
         [](CGameSession& s) {
             const uint8_t record[] = {7, 7, 7};
             return s.SendEventSelection(ID, 2, record, 3);
         },
         Bytes{108, 2} + D(ID) + D(2) + W(3) + Bytes{7, 7, 7}},
        // NPC functions.
        {"SendNpcOpen", [](CGameSession& s) { return s.SendNpcOpen(NPC); }, Bytes{5} + D(NPC) + Bytes{0}},
        {"SendNpcClose", [](CGameSession& s) { return s.SendNpcClose(NPC); }, Bytes{5} + D(NPC) + Bytes{129}},
        {"SendNpcBuyOpen", [](CGameSession& s) { return s.SendNpcBuyOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{1, 0}},
        {"SendNpcBuy", [](CGameSession& s) { return s.SendNpcBuy(NPC, 1, kItems, kCounts, 2); },
         Bytes{5} + D(NPC) + Bytes{1, 1, 1} + W(2) + W(0x0102) + W(5) + W(0x0304) + W(0x0607)},
        {"SendNpcSellOpen", [](CGameSession& s) { return s.SendNpcSellOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{2, 0}},
        {"SendNpcSell", [](CGameSession& s) { return s.SendNpcSell(NPC, 0, kItems, kCounts, 1); },
         Bytes{5} + D(NPC) + Bytes{2, 1, 0} + W(1) + W(0x0102) + W(5)},
        {"SendNpcRepairOpen", [](CGameSession& s) { return s.SendNpcRepairOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{3, 0}},
        {"SendNpcRepair", [](CGameSession& s) { return s.SendNpcRepair(NPC, 0, kItems, kKinds, 2); },
         Bytes{5} + D(NPC) + Bytes{3, 1, 0} + W(2) + W(0x0102) + Bytes{1} + W(0x0304) + Bytes{2}},
        {"SendNpcMixOpen", [](CGameSession& s) { return s.SendNpcMixOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{4, 0}},
        {"SendNpcMixAdvice", [](CGameSession& s) { return s.SendNpcMixAdvice(NPC, kKinds, kCounts, 2); },
         Bytes{5} + D(NPC) + Bytes{4, 1, 2, 1} + W(5) + Bytes{2} + W(0x0607)},
        {"SendNpcMixCheck", [](CGameSession& s) { return s.SendNpcMixCheck(NPC, kKinds, kCounts, 1); },
         Bytes{5} + D(NPC) + Bytes{4, 2, 1, 1} + W(5)},
        {"SendNpcMixExecute", [](CGameSession& s) { return s.SendNpcMixExecute(NPC, kKinds, kCounts, 0); },
         Bytes{5} + D(NPC) + Bytes{4, 3, 0}},
        {"SendNpcHealOpen", [](CGameSession& s) { return s.SendNpcHealOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{5, 0}},
        {"SendHealRequest", [](CGameSession& s) { return s.SendHealRequest(NPC, 3); },
         Bytes{5} + D(NPC) + Bytes{5, 1, 3}},
        {"SendDepositOpen", [](CGameSession& s) { return s.SendDepositOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{6, 0}},
        {"SendDepositFeeAnswer", [](CGameSession& s) { return s.SendDepositFeeAnswer(NPC, 1); },
         Bytes{5} + D(NPC) + Bytes{6, 1, 1}},
        {"SendDepositClose", [](CGameSession& s) { return s.SendDepositClose(NPC); },
         Bytes{5} + D(NPC) + Bytes{6, 2}},
        {"SendDepositItem", [](CGameSession& s) { return s.SendDepositItem(NPC, 9, 300); },
         Bytes{5} + D(NPC) + Bytes{6, 3, 9} + W(300)},
        {"SendDepositWithdraw", [](CGameSession& s) { return s.SendDepositWithdraw(NPC, 9, 2); },
         Bytes{5} + D(NPC) + Bytes{6, 4, 9} + W(2)},
        {"SendDepositMoney", [](CGameSession& s) { return s.SendDepositMoney(NPC, 100000); },
         Bytes{5} + D(NPC) + Bytes{6, 5} + D(100000)},
        {"SendDepositWithdrawMoney", [](CGameSession& s) { return s.SendDepositWithdrawMoney(NPC, 7); },
         Bytes{5} + D(NPC) + Bytes{6, 6} + D(7)},
        {"SendMagicRouletteOpen", [](CGameSession& s) { return s.SendMagicRouletteOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{8, 0}},
        {"SendMagicRouletteStart", [](CGameSession& s) { return s.SendMagicRouletteStart(NPC, 0x0102); },
         Bytes{5} + D(NPC) + Bytes{8, 1, 1, 1, 2, 0}},
        {"SendFightClubOpen", [](CGameSession& s) { return s.SendFightClubOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{9, 1}},
        {"SendFightClubRequest mode 0",
         [](CGameSession& s) { return s.SendFightClubRequest(NPC, 0, nullptr, 0); },
         Bytes{5} + D(NPC) + Bytes{9, 2, 0}},
        {"SendFightClubRequest mode 1",
         [](CGameSession& s) { return s.SendFightClubRequest(NPC, 1, kNames, 2); },
         Bytes{5} + D(NPC) + Bytes{9, 2, 1} + W(2) + T("ann") + T("bo")},
        {"SendFightClubReply", [](CGameSession& s) { return s.SendFightClubReply(NPC, 1); },
         Bytes{5} + D(NPC) + Bytes{9, 3, 1}},
        {"SendEquipAbilityOpen", [](CGameSession& s) { return s.SendEquipAbilityOpen(NPC); },
         Bytes{5} + D(NPC) + Bytes{11, 0}},
        {"SendEquipAbilityMakeSlot", [](CGameSession& s) { return s.SendEquipAbilityMakeSlot(NPC, 4); },
         Bytes{5} + D(NPC) + Bytes{11, 1, 4}},
        {"SendEquipAbilityEquip", [](CGameSession& s) { return s.SendEquipAbilityEquip(NPC, 4, 1203); },
         Bytes{5} + D(NPC) + Bytes{11, 2, 4} + T("1203")},
        {"SendNpcDeal", [](CGameSession& s) { return s.SendNpcDeal(NPC, 5000, kItems, kCounts, 2); },
         Bytes{5} + D(NPC) + Bytes{128, 0} + D(5000) + W(2) + W(0x0102) + W(5) + W(0x0304) + W(0x0607)},
        {"SendNpcDealRepair", [](CGameSession& s) { return s.SendNpcDealRepair(NPC, 50, kItems, kKinds, 1); },
         Bytes{5} + D(NPC) + Bytes{128, 0} + D(50) + W(1) + W(0x0102) + Bytes{1}},
        {"SendNpcDealAction1", [](CGameSession& s) { return s.SendNpcDealAction1(NPC); },
         Bytes{5} + D(NPC) + Bytes{128, 1}},
        {"SendNpcDealAmount", [](CGameSession& s) { return s.SendNpcDealAmount(NPC, 999); },
         Bytes{5} + D(NPC) + Bytes{128, 2} + D(999)},
        {"SendNpcDealCancel", [](CGameSession& s) { return s.SendNpcDealCancel(NPC); },
         Bytes{5} + D(NPC) + Bytes{128, 3}},
        // Club storage: function 7 with a kind byte, function 10 without.
        {"SendClubDepositOpen (7)", [](CGameSession& s) { return s.SendClubDepositOpen(NPC, 1, false); },
         Bytes{5} + D(NPC) + Bytes{7, 1, 0}},
        {"SendClubDepositOpen (10)", [](CGameSession& s) { return s.SendClubDepositOpen(NPC, 1, true); },
         Bytes{5} + D(NPC) + Bytes{10, 0}},
        {"SendClubDepositClose", [](CGameSession& s) { return s.SendClubDepositClose(NPC, 2, false); },
         Bytes{5} + D(NPC) + Bytes{7, 2, 1}},
        {"SendClubDepositItemIn", [](CGameSession& s) { return s.SendClubDepositItemIn(NPC, 1, true, 3, 4); },
         Bytes{5} + D(NPC) + Bytes{10, 4, 3} + W(4)},
        {"SendClubDepositItemOut",
         [](CGameSession& s) { return s.SendClubDepositItemOut(NPC, 1, false, 3, 4); },
         Bytes{5} + D(NPC) + Bytes{7, 1, 5, 3} + W(4)},
        {"SendClubDepositGoldIn", [](CGameSession& s) { return s.SendClubDepositGoldIn(NPC, 1, false, 10); },
         Bytes{5} + D(NPC) + Bytes{7, 1, 6} + D(10)},
        {"SendClubDepositGoldOut", [](CGameSession& s) { return s.SendClubDepositGoldOut(NPC, 1, true, 10); },
         Bytes{5} + D(NPC) + Bytes{10, 7} + D(10)},
        {"SendClubDepositTransfer",
         [](CGameSession& s) { return s.SendClubDepositTransfer(NPC, 1, false, 2, 0, 65535); },
         Bytes{5} + D(NPC) + Bytes{7, 1, 8, 2, 0} + W(65535)},
        // Other item requests.
        {"SendQuickSlot", [](CGameSession& s) { return s.SendQuickSlot(1, 16, 3000042); },
         Bytes{6, 1, 16} + D(3000042)},
        {"SendNpcTalk", [](CGameSession& s) { return s.SendNpcTalk(NPC); }, Bytes{20} + D(NPC)},
        {"SendInventoryCommand8", [](CGameSession& s) { return s.SendInventoryCommand8(1, 2, 300); },
         Bytes{48, 8} + W(1) + W(2) + W(300)},
        {"SendMyStoreOpen",
         [](CGameSession& s) { return s.SendMyStoreOpen("Shop", 0x0506, 3, kItems, kCounts, kPrices, 2); },
         Bytes{52, 0} + T("Shop") + D(0x0506) + Bytes{3, 2} + W(0x0102) + W(5) + D(0x100) + W(0x0304) +
             W(0x0607) + D(0x0A0B0C0D)},
        {"SendMyStoreCancel", [](CGameSession& s) { return s.SendMyStoreCancel(); }, Bytes{52, 1}},
        {"SendMyStoreClose", [](CGameSession& s) { return s.SendMyStoreClose(); }, Bytes{52, 2}},
        {"SendUserStoreOpen", [](CGameSession& s) { return s.SendUserStoreOpen(ID); }, Bytes{67} + D(ID)},
        {"SendAtsTransfer", [](CGameSession& s) { return s.SendAtsTransfer("alt", 77, kKinds, kKinds, 2); },
         Bytes{70} + T("alt") + D(77) + Bytes{2, 1, 1, 2, 2}},
        {"SendItemExchangeRequest", [](CGameSession& s) { return s.SendItemExchangeRequest(ID); },
         Bytes{74, 0} + D(ID)},
        {"SendItemExchangeOffer", [](CGameSession& s) { return s.SendItemExchangeOffer(ID, 4, 2); },
         Bytes{74, 2} + D(ID) + Bytes{4, 2}},
        {"SendItemExchangeMoney", [](CGameSession& s) { return s.SendItemExchangeMoney(ID, 500); },
         Bytes{74, 3} + D(ID) + D(500)},
        {"SendItemExchangeCancel", [](CGameSession& s) { return s.SendItemExchangeCancel(ID); },
         Bytes{74, 4} + D(ID)},
        {"SendItemExchangeConfirm", [](CGameSession& s) { return s.SendItemExchangeConfirm(ID); },
         Bytes{74, 5} + D(ID)},
        {"SendItemExchangeExecute", [](CGameSession& s) { return s.SendItemExchangeExecute(ID); },
         Bytes{74, 6} + D(ID)},
        {"SendPremiumListRequest", [](CGameSession& s) { return s.SendPremiumListRequest(); }, Bytes{82, 0}},
        {"SendPremiumItemTake", [](CGameSession& s) { return s.SendPremiumItemTake(1, 2); },
         Bytes{82, 1} + D(1) + D(2)},
        {"SendPremiumShopOpen", [](CGameSession& s) { return s.SendPremiumShopOpen(); }, Bytes{82, 2}},
        // Chat.
        {"SendChat kind 0", [](CGameSession& s) { return s.SendChat(0, "hi all"); },
         Bytes{14, 0} + Z("hi all")},
        {"SendChat kind 3", [](CGameSession& s) { return s.SendChat(3, nullptr); }, Bytes{14, 3}},
        {"SendChatToName whisper", [](CGameSession& s) { return s.SendChatToName("bo", "psst", 0); },
         Bytes{25, 0} + T("bo") + T("psst")},
        {"SendChatToName one-to-one", [](CGameSession& s) { return s.SendChatToName("bo", "hey", 19); },
         Bytes{25, 19} + T("bo") + T("hey")},
        {"SendChatToName team", [](CGameSession& s) { return s.SendChatToName("", "go", 11); },
         Bytes{25, 11} + T("go")},
        {"SendMessageBoxReply", [](CGameSession& s) { return s.SendMessageBoxReply(ID, "ok"); },
         Bytes{25, 21} + D(ID) + T("ok")},
        {"SendReplyText", [](CGameSession& s) { return s.SendReplyText(ID, "q?", "a"); },
         Bytes{25, 22} + D(ID) + T("q?") + T("a")},
        {"SendChannelChat", [](CGameSession& s) { return s.SendChannelChat(2, "yo"); },
         Bytes{25, 23, 2} + T("yo")},
        {"SendOneChatCommand 0", [](CGameSession& s) { return s.SendOneChatCommand(0, "pest", 1); },
         Bytes{26, 0} + T("pest") + Bytes{1}},
        {"SendOneChatCommand 1", [](CGameSession& s) { return s.SendOneChatCommand(1, "pest", 0); },
         Bytes{26, 1} + T("pest")},
        {"SendOneChatCommand 2 on", [](CGameSession& s) { return s.SendOneChatCommand(2, "1", 0); },
         Bytes{26, 2, 1}},
        {"SendOneChatCommand 2 off", [](CGameSession& s) { return s.SendOneChatCommand(2, "0", 0); },
         Bytes{26, 2, 0}},
        {"SendOneChatCommand 3", [](CGameSession& s) { return s.SendOneChatCommand(3, nullptr, 0); },
         Bytes{26, 3}},
        {"SendOptionFlags mode 0", [](CGameSession& s) { return s.SendOptionFlags(0, kKinds, kFlags, 2); },
         Bytes{27, 0, 2, 1, 1, 2, 0}},
        {"SendOptionFlags mode 1", [](CGameSession& s) { return s.SendOptionFlags(1, nullptr, nullptr, 0); },
         Bytes{27, 1}},
        {"SendEmoticon", [](CGameSession& s) { return s.SendEmoticon(12); }, Bytes{35, 12}},
        {"SendOneChatListRequest", [](CGameSession& s) { return s.SendOneChatListRequest(); }, Bytes{47}},
        {"SendChatCommand 0", [](CGameSession& s) { return s.SendChatCommand(0, "topic", 0); },
         Bytes{59, 0} + T("topic")},
        {"SendChatCommand 1", [](CGameSession& s) { return s.SendChatCommand(1, "ignored", 0); },
         Bytes{59, 1}},
        {"SendChatCommand 2", [](CGameSession& s) { return s.SendChatCommand(2, nullptr, ID); },
         Bytes{59, 2} + D(ID)},
        {"SendChatCommand 4", [](CGameSession& s) { return s.SendChatCommand(4, nullptr, ID); },
         Bytes{59, 4}},
        // Team.
        {"SendTeamInvite", [](CGameSession& s) { return s.SendTeamInvite("bo"); }, Bytes{46, 1} + T("bo")},
        {"SendTeamInviteReply", [](CGameSession& s) { return s.SendTeamInviteReply("boss", 1, "me"); },
         Bytes{46, 2} + T("boss") + Bytes{1} + T("me")},
        {"SendTeamCreate", [](CGameSession& s) { return s.SendTeamCreate("bo", "Crew", 2); },
         Bytes{46, 3} + T("bo") + T("Crew") + Bytes{2}},
        {"SendTeamAddMember", [](CGameSession& s) { return s.SendTeamAddMember("bo"); },
         Bytes{46, 4} + T("bo")},
        {"SendTeamRemoveMember", [](CGameSession& s) { return s.SendTeamRemoveMember("bo"); },
         Bytes{46, 6} + T("bo")},
        {"SendTeamChangeLeader", [](CGameSession& s) { return s.SendTeamChangeLeader("bo"); },
         Bytes{46, 7} + T("bo")},
        {"SendTeamCancelInvite", [](CGameSession& s) { return s.SendTeamCancelInvite("bo"); },
         Bytes{46, 9} + T("bo")},
        {"SendTeamShareMode", [](CGameSession& s) { return s.SendTeamShareMode(1); }, Bytes{46, 10, 1}},
        // Messenger.
        {"SendMessengerStateRequest", [](CGameSession& s) { return s.SendMessengerStateRequest(); },
         Bytes{55, 0}},
        {"SendMessengerListRequest", [](CGameSession& s) { return s.SendMessengerListRequest(); },
         Bytes{55, 1}},
        {"SendMessengerAddBuddy", [](CGameSession& s) { return s.SendMessengerAddBuddy("bo", 1); },
         Bytes{55, 2} + T("bo") + Bytes{1}},
        {"SendMessengerAcceptBuddyRequest",
         [](CGameSession& s) { return s.SendMessengerAcceptBuddyRequest("m", "c", 2000001, 4); },
         Bytes{55, 3} + T("m") + T("c") + D(2000001) + Bytes{4}},
        {"SendMessengerRefuseBuddyRequest",
         [](CGameSession& s) { return s.SendMessengerRefuseBuddyRequest("m", "c"); },
         Bytes{55, 4} + T("m") + T("c")},
        {"SendMessengerDeleteBuddy", [](CGameSession& s) { return s.SendMessengerDeleteBuddy("bo", 3); },
         Bytes{55, 5} + T("bo") + Bytes{3}},
        {"SendMessengerSetGroupName", [](CGameSession& s) { return s.SendMessengerSetGroupName(3, "Pals"); },
         Bytes{55, 6, 3} + T("Pals")},
        {"SendMessengerDeleteGroup", [](CGameSession& s) { return s.SendMessengerDeleteGroup(3); },
         Bytes{55, 7, 3}},
        {"SendMessengerMoveBuddy", [](CGameSession& s) { return s.SendMessengerMoveBuddy("bo", 4); },
         Bytes{55, 8} + T("bo") + Bytes{4}},
        {"SendMessengerAssignGroup", [](CGameSession& s) { return s.SendMessengerAssignGroup("bo", 5); },
         Bytes{55, 9} + T("bo") + Bytes{5}},
        {"SendMessengerConfirmRequest",
         [](CGameSession& s) { return s.SendMessengerConfirmRequest("bo", 1); },
         Bytes{55, 10} + T("bo") + Bytes{1}},
        {"SendMessengerDeclineRequest", [](CGameSession& s) { return s.SendMessengerDeclineRequest("bo"); },
         Bytes{55, 11} + T("bo")},
        // Clubs (the test runs with client version 251: the option byte is there).
        {"SendClubCreate",
         [](CGameSession& s) { return s.SendClubCreate(1, 2, "Owls", 10, 99, "www", "hoot"); },
         Bytes{61, 1, 1, 2} + T("Owls") + W(10) + W(99) + T("www") + T("hoot")},
        {"SendClubCommand2", [](CGameSession& s) { return s.SendClubCommand2(8); }, Bytes{61, 2, 8}},
        {"SendClubSettings", [](CGameSession& s) { return s.SendClubSettings(8, 1, 50, "w", "intro"); },
         Bytes{61, 3, 8} + W(1) + W(50) + T("w") + T("intro")},
        {"SendClubSetMark", [](CGameSession& s) { return s.SendClubSetMark(8, 1, 0x01020304); },
         Bytes{61, 4, 8, 1, 1, 2, 3, 4}},
        {"SendClubJoin", [](CGameSession& s) { return s.SendClubJoin(1, "Owls", "me", 4); },
         Bytes{61, 5, 1} + T("Owls") + T("me") + Bytes{4}},
        {"SendClubCommand6", [](CGameSession& s) { return s.SendClubCommand6(8, "Owls", "bo"); },
         Bytes{61, 6, 8} + T("Owls") + T("bo")},
        {"SendClubSetNick", [](CGameSession& s) { return s.SendClubSetNick(8, "bo", "Bobo"); },
         Bytes{61, 7, 8} + T("bo") + T("Bobo")},
        {"SendClubCommand8", [](CGameSession& s) { return s.SendClubCommand8(8, "bo", 3); },
         Bytes{61, 8, 8} + T("bo") + Bytes{3}},
        {"SendClubCommand9", [](CGameSession& s) { return s.SendClubCommand9(8, "bo", 1); },
         Bytes{61, 9, 8} + T("bo") + Bytes{1}},
        {"SendClubCommand11", [](CGameSession& s) { return s.SendClubCommand11(8, 1); }, Bytes{61, 11, 8, 1}},
        {"SendClubCommand12", [](CGameSession& s) { return s.SendClubCommand12(8, 2); }, Bytes{61, 12, 8, 2}},
        {"SendClubCommand13", [](CGameSession& s) { return s.SendClubCommand13(8, 3); }, Bytes{61, 13, 8, 3}},
        {"SendClubCommand14", [](CGameSession& s) { return s.SendClubCommand14(8, 8); }, Bytes{61, 14, 8, 8}},
        {"SendClubJoinRequest", [](CGameSession& s) { return s.SendClubJoinRequest(1, "Owls"); },
         Bytes{61, 16, 1} + T("Owls")},
        {"SendClubNotice", [](CGameSession& s) { return s.SendClubNotice(8, 1, "meet"); },
         Bytes{61, 19, 8, 1} + T("meet")},
        {"SendClubTextRequest", [](CGameSession& s) { return s.SendClubTextRequest(8, 3); },
         Bytes{61, 20, 8, 3}},
        {"SendClubPermissions", [](CGameSession& s) { return s.SendClubPermissions(8, 1, 0xF0F0F0F0); },
         Bytes{61, 22, 8, 1} + D(0xF0F0F0F0)},
        {"SendFortressBoardRequest0", [](CGameSession& s) { return s.SendFortressBoardRequest0(); },
         Bytes{72, 0}},
        {"SendFortressCancelWar", [](CGameSession& s) { return s.SendFortressCancelWar(); }, Bytes{72, 1}},
        {"SendFortressBoardRequest2", [](CGameSession& s) { return s.SendFortressBoardRequest2(); },
         Bytes{72, 2}},
        // Room lobbies.
        {"SendRoomListRequest", [](CGameSession& s) { return s.SendRoomListRequest(4); }, Bytes{81, 4, 0}},
        {"SendTJSRoomCreate",
         [](CGameSession& s) { return s.SendTJSRoomCreate(4, "Fun", "", 6, 1, 99, 0, 2); },
         Bytes{81, 4, 1} + T("Fun") + T("") + Bytes{6, 1, 99, 0, 2}},
        {"SendCTFRoomCreate",
         [](CGameSession& s) { return s.SendCTFRoomCreate(5, "War", "q", 16, 10, 20, 3, 1000, 1); },
         Bytes{81, 5, 1} + T("War") + T("q") + Bytes{16, 10, 20, 3} + D(1000) + Bytes{1}},
        {"SendRoomJoin", [](CGameSession& s) { return s.SendRoomJoin(5, 7, "q"); },
         Bytes{81, 5, 2, 7} + T("q")},
        {"SendWaitRoomStart", [](CGameSession& s) { return s.SendWaitRoomStart(5); }, Bytes{81, 5, 3, 0}},
        {"SendTJSWaitRoomStart", [](CGameSession& s) { return s.SendTJSWaitRoomStart(4, "go"); },
         Bytes{81, 4, 3, 0} + T("go")},
        {"SendWaitRoomReady", [](CGameSession& s) { return s.SendWaitRoomReady(5); }, Bytes{81, 5, 3, 1}},
        {"SendWaitRoomPlayerCommand", [](CGameSession& s) { return s.SendWaitRoomPlayerCommand(5, "bo"); },
         Bytes{81, 5, 3, 2} + T("bo")},
        {"SendWaitRoomLeave", [](CGameSession& s) { return s.SendWaitRoomLeave(5); }, Bytes{81, 5, 3, 3}},
        {"SendWaitRoomChat", [](CGameSession& s) { return s.SendWaitRoomChat(5, "gg"); },
         Bytes{81, 5, 3, 5} + T("gg")},
        {"SendWaitRoomTeamChange", [](CGameSession& s) { return s.SendWaitRoomTeamChange(5); },
         Bytes{81, 5, 3, 6}},
        // Pastimes.
        {"SendWarpRequest", [](CGameSession& s) { return s.SendWarpRequest(2, 5); }, Bytes{60, 2, 5}},
        {"SendEventLogCategoryRequest", [](CGameSession& s) { return s.SendEventLogCategoryRequest(4); },
         Bytes{64, 1, 4}},
        {"SendEventLogRequest3", [](CGameSession& s) { return s.SendEventLogRequest3(ID); },
         Bytes{64, 3} + D(ID)},
        {"SendPetIncubatorOpen", [](CGameSession& s) { return s.SendPetIncubatorOpen(); }, Bytes{69, 0, 0}},
        {"SendPetIncubatorItem", [](CGameSession& s) { return s.SendPetIncubatorItem(3, 1); },
         Bytes{69, 0, 1, 3, 1}},
        {"SendPetInfoRequest", [](CGameSession& s) { return s.SendPetInfoRequest(); }, Bytes{69, 1, 0}},
        {"SendPetFeed", [](CGameSession& s) { return s.SendPetFeed(6); }, Bytes{69, 1, 1, 6, 0}},
        {"SendPetName", [](CGameSession& s) { return s.SendPetName("Rex"); }, Bytes{69, 1, 2} + T("Rex")},
        {"SendPetLearnSkill", [](CGameSession& s) { return s.SendPetLearnSkill(3000777, 2); },
         Bytes{69, 1, 3} + D(3000777) + Bytes{2}},
        {"SendPetHatched", [](CGameSession& s) { return s.SendPetHatched(); }, Bytes{69, 1, 4}},
        {"SendPetSkillListRequest", [](CGameSession& s) { return s.SendPetSkillListRequest(); },
         Bytes{69, 1, 5}},
        {"SendPetEvolve", [](CGameSession& s) { return s.SendPetEvolve(); }, Bytes{69, 1, 6}},
        {"SendSinsuMove", [](CGameSession& s) { return s.SendSinsuMove(3); }, Bytes{77, 0, 3}},
        {"SendGambamboInvite", [](CGameSession& s) { return s.SendGambamboInvite(ID); },
         Bytes{78, 1, 0} + D(ID)},
        {"SendGambamboInviteAnswer", [](CGameSession& s) { return s.SendGambamboInviteAnswer(ID, 1); },
         Bytes{78, 1, 1} + D(ID) + Bytes{1}},
        {"SendGambamboPutItem", [](CGameSession& s) { return s.SendGambamboPutItem(9, 4, 2); },
         Bytes{78, 1, 2, 9, 4} + W(2)},
        {"SendGambamboTakeItem", [](CGameSession& s) { return s.SendGambamboTakeItem(4); },
         Bytes{78, 1, 3, 4}},
        {"SendGambamboBet", [](CGameSession& s) { return s.SendGambamboBet(500); }, Bytes{78, 1, 4} + D(500)},
        {"SendGambamboReady", [](CGameSession& s) { return s.SendGambamboReady(); }, Bytes{78, 1, 5}},
        {"SendGambamboChoice", [](CGameSession& s) { return s.SendGambamboChoice(2); }, Bytes{78, 1, 6, 2}},
        {"SendGambamboLeave", [](CGameSession& s) { return s.SendGambamboLeave(); }, Bytes{78, 1, 7}},
        {"SendFishingStart", [](CGameSession& s) { return s.SendFishingStart(); }, Bytes{78, 2, 0}},
        {"SendFishingCast", [](CGameSession& s) { return s.SendFishingCast(5); }, Bytes{78, 2, 1, 5}},
        {"SendFishingCommand", [](CGameSession& s) { return s.SendFishingCommand(1); }, Bytes{78, 2, 2, 1}},
        {"SendFishingEnd", [](CGameSession& s) { return s.SendFishingEnd(); }, Bytes{78, 2, 5}},
        {"SendCookingMemorize", [](CGameSession& s) { return s.SendCookingMemorize(1, 4); },
         Bytes{78, 3, 0, 1, 4}},
        {"SendCookingForget", [](CGameSession& s) { return s.SendCookingForget(2, "1004001"); },
         Bytes{78, 3, 1, 2} + Z("1004001")},
        {"SendCookingRequest", [](CGameSession& s) { return s.SendCookingRequest(1); }, Bytes{78, 3, 2, 1}},
        {"SendCookingBegin", [](CGameSession& s) { return s.SendCookingBegin(1); }, Bytes{78, 3, 3, 1}},
        {"SendCookingCook", [](CGameSession& s) { return s.SendCookingCook(1, "1004001", 3); },
         Bytes{78, 3, 4, 1} + Z("1004001") + Bytes{3}},
        {"SendCookingEnd", [](CGameSession& s) { return s.SendCookingEnd(1); }, Bytes{78, 3, 5, 1}},
        {"SendRequest114", [](CGameSession& s) { return s.SendRequest114(1); }, Bytes{114, 1}},
    };
}

// Restores the program's configuration at the end of a test.
class ScopedConfig {
public:
    ScopedConfig() : m_saved(g_config) {}
    ~ScopedConfig() { g_config = m_saved; }

private:
    CConfig m_saved;
};

class RequestsTest : public nettest::ScriptedConnectionTest {
protected:
    void SetUp() override {
        ScriptedConnectionTest::SetUp();
        m_registry.SetValue(ISP_CODE_KEY, ISP_CODE_VALUE, 0x0102);
        g_config.m_clientVersion = 251;
    }
    void Ready() {
        ConnectFramed();
        m_session.SetWritable(1);
    }
    // Runs a call and returns what it queued (empty when nothing was queued).
    Bytes Built(const Call& call, bool* accepted = nullptr) {
        size_t before = m_session.QueuedMessages();
        bool result = call(m_session);
        if (accepted) *accepted = result;
        if (m_session.QueuedMessages() == before) {
            EXPECT_FALSE(result) << "nothing queued but reported sent";
            return {};
        }
        EXPECT_TRUE(result);
        EXPECT_EQ(m_session.QueuedMessages(), before + 1) << "one request per call";
        return m_session.QueuedMessage(before);
    }

    ScopedConfig m_config;
    plat::MemoryRegistry m_registry;
    plat::ScopedRegistry m_registryScope{m_registry};
    CGameSession m_session;
};

TEST_F(RequestsTest, EveryRequestIsBuiltByteForByte) {
    Ready();
    for (const RequestCase& request : AllRequests()) {
        SCOPED_TRACE(request.name);
        EXPECT_EQ(Built(request.call), request.expected);
    }
}

TEST_F(RequestsTest, NothingIsBuiltWithoutAConnection) {
    for (const RequestCase& request : AllRequests()) {
        SCOPED_TRACE(request.name);
        EXPECT_FALSE(request.call(m_session));
        EXPECT_EQ(m_session.QueuedMessages(), 0u);
    }
    EXPECT_EQ(m_session.m_pendingRequest, -1) << "no request recorded as awaited";
}

TEST_F(RequestsTest, NewAccountCarriesTheIspCodeOrZero) {
    Ready();
    Call newAccount = [](CGameSession& s) { return s.SendNewAccount("a", "p", "", "", 0, "", 0); };
    Bytes built = Built(newAccount);
    ASSERT_GE(built.size(), 2u);
    EXPECT_EQ(Bytes(built.end() - 2, built.end()), W(0x0102));
    EXPECT_EQ(m_session.m_pendingRequest, 2);
    EXPECT_EQ(m_registry.Queries().back(), "Software\\Vemra\\Quillmarrow\\ISP_Code");
    // The length is what was written: 11 bytes of fields and counts plus the texts.
    EXPECT_EQ(built.size(), 11u + 2u);

    plat::MemoryRegistry empty;
    plat::ScopedRegistry scope(empty);
    built = Built(newAccount);
    ASSERT_GE(built.size(), 2u);
    EXPECT_EQ(Bytes(built.end() - 2, built.end()), W(0));
}

// Requests that would not fit in a message, or whose text is missing or over
// its limit, are not sent; one byte less is.
TEST_F(RequestsTest, BoundariesAcceptedAndRefused) {
    Ready();
    static const std::string k251(251, 'a'), k252(252, 'a');
    static const std::vector<uint16_t> words(130, 0x0101);
    static const std::vector<uint8_t> bytes(300, 1);
    static const std::vector<uint32_t> dwords(40, 7);
    static const std::vector<CFieldPoint> field(70, CFieldPoint{1, 1});
    auto text = [](size_t n) { return std::string(n, 'x'); };
    struct Boundary {
        const char* name;
        Call call;
        size_t length;  // of the request when sent; 0: not sent
    };
    const std::vector<Boundary> cases = {
        {"chat line of 251 bytes", [](CGameSession& s) { return s.SendChat(0, k251.c_str()); }, 255},
        {"chat line of 252 bytes", [](CGameSession& s) { return s.SendChat(0, k252.c_str()); }, 0},
        {"missing chat line", [](CGameSession& s) { return s.SendChat(0, nullptr); }, 0},
        {"club text kind 4", [](CGameSession& s) { return s.SendClubTextRequest(8, 4); }, 0},
        {"empty chat line", [](CGameSession& s) { return s.SendChat(0, ""); }, 4},
        {"nickname of 20", [&](CGameSession& s) { return s.SendClubSetNick(1, "bo", text(20).c_str()); }, 27},
        {"nickname of 21", [&](CGameSession& s) { return s.SendClubSetNick(1, "bo", text(21).c_str()); }, 0},
        {"club name of 31",
         [&](CGameSession& s) { return s.SendClubCreate(1, 0, text(31).c_str(), 1, 2, "", ""); }, 0},
        {"club homepage of 51",
         [&](CGameSession& s) { return s.SendClubCreate(1, 0, "n", 1, 2, text(51).c_str(), ""); }, 0},
        {"club introduction of 201",
         [&](CGameSession& s) { return s.SendClubCreate(1, 0, "n", 1, 2, "", text(201).c_str()); }, 0},
        {"club texts each within, total over",
         [&](CGameSession& s) {
             return s.SendClubCreate(1, 0, text(30).c_str(), 1, 2, text(50).c_str(), text(200).c_str());
         },
         0},
        {"club create of 255 at version 251",
         [&](CGameSession& s) {
             return s.SendClubCreate(1, 0, text(30).c_str(), 1, 2, text(50).c_str(), text(164).c_str());
         },
         255},
        {"club create of 256 at version 251",
         [&](CGameSession& s) {
             return s.SendClubCreate(1, 0, text(30).c_str(), 1, 2, text(50).c_str(), text(165).c_str());
         },
         0},
        {"club notice total of 255",
         [&](CGameSession& s) { return s.SendClubSettings(1, 1, 2, text(50).c_str(), text(196).c_str()); },
         255},
        {"club notice total of 256",
         [&](CGameSession& s) { return s.SendClubSettings(1, 1, 2, text(50).c_str(), text(197).c_str()); },
         0},
        {"club join name of 51",
         [&](CGameSession& s) { return s.SendClubJoin(1, text(51).c_str(), "me", 4); }, 0},
        {"buy 61 entries", [](CGameSession& s) { return s.SendNpcBuy(1, 0, words.data(), words.data(), 61); },
         254},
        {"buy 62 entries", [](CGameSession& s) { return s.SendNpcBuy(1, 0, words.data(), words.data(), 62); },
         0},
        {"sell 61 entries",
         [](CGameSession& s) { return s.SendNpcSell(1, 0, words.data(), words.data(), 61); }, 254},
        {"sell 62 entries",
         [](CGameSession& s) { return s.SendNpcSell(1, 0, words.data(), words.data(), 62); }, 0},
        {"sell 65,537 entries",
         [](CGameSession& s) { return s.SendNpcSell(1, 0, words.data(), words.data(), 65537); }, 0},
        {"repair 81 entries",
         [](CGameSession& s) { return s.SendNpcRepair(1, 0, words.data(), bytes.data(), 81); }, 253},
        {"repair 82 entries",
         [](CGameSession& s) { return s.SendNpcRepair(1, 0, words.data(), bytes.data(), 82); }, 0},
        {"mix 82 entries",
         [](CGameSession& s) { return s.SendNpcMixCheck(1, bytes.data(), words.data(), 82); }, 254},
        {"mix 83 entries",
         [](CGameSession& s) { return s.SendNpcMixCheck(1, bytes.data(), words.data(), 83); }, 0},
        {"mix 256 entries (count byte would wrap)",
         [](CGameSession& s) { return s.SendNpcMixAdvice(1, bytes.data(), words.data(), 256); }, 0},
        {"store list 60 entries",
         [](CGameSession& s) { return s.SendNpcDeal(1, 5, words.data(), words.data(), 60); }, 253},
        {"store list 61 entries",
         [](CGameSession& s) { return s.SendNpcDeal(1, 5, words.data(), words.data(), 61); }, 0},
        {"store repair list 80 entries",
         [](CGameSession& s) { return s.SendNpcDealRepair(1, 5, words.data(), bytes.data(), 80); }, 253},
        {"store repair list 81 entries",
         [](CGameSession& s) { return s.SendNpcDealRepair(1, 5, words.data(), bytes.data(), 81); }, 0},
        {"own store 30 entries",
         [](CGameSession& s) {
             return s.SendMyStoreOpen("s", 1, 0, words.data(), words.data(), dwords.data(), 30);
         },
         250},
        {"own store 31 entries",
         [](CGameSession& s) {
             return s.SendMyStoreOpen("s", 1, 0, words.data(), words.data(), dwords.data(), 31);
         },
         0},
        {"destination 63 points", [](CGameSession& s) { return s.SendDestination(0, field.data(), 63); },
         255},
        {"destination 64 points", [](CGameSession& s) { return s.SendDestination(0, field.data(), 64); }, 0},
        {"controlled points 61",
         [](CGameSession& s) { return s.SendControlledCharPoints(1, 0, field.data(), 61); }, 252},
        {"controlled points 62",
         [](CGameSession& s) { return s.SendControlledCharPoints(1, 0, field.data(), 62); }, 0},
        {"event state 121 pairs",
         [](CGameSession& s) { return s.SendEventState(0, 1, 2, bytes.data(), 121); }, 254},
        {"event state 122 pairs",
         [](CGameSession& s) { return s.SendEventState(0, 1, 2, bytes.data(), 122); }, 0},
        {"event choice record of 188",
         [](CGameSession& s) { return s.SendEventSelection(1, 2, bytes.data(), 188); }, 200},
        {"options 126 pairs",
         [](CGameSession& s) { return s.SendOptionFlags(0, bytes.data(), bytes.data(), 126); }, 255},
        {"options 127 pairs",
         [](CGameSession& s) { return s.SendOptionFlags(0, bytes.data(), bytes.data(), 127); }, 0},
        {"account transfer 123 entries",
         [](CGameSession& s) { return s.SendAtsTransfer("a", 1, bytes.data(), bytes.data(), 123); }, 254},
        {"account transfer 124 entries",
         [](CGameSession& s) { return s.SendAtsTransfer("a", 1, bytes.data(), bytes.data(), 124); }, 0},
        {"skill payload of 252", [](CGameSession& s) { return s.SendUseSkill(1, 1, bytes.data(), 252); },
         255},
        {"skill payload of 253", [](CGameSession& s) { return s.SendUseSkill(1, 1, bytes.data(), 253); }, 0},
        {"missing list", [](CGameSession& s) { return s.SendNpcBuy(1, 0, nullptr, nullptr, 1); }, 0},
        {"missing payload", [](CGameSession& s) { return s.SendUseItem(1, nullptr, 4); }, 0},
        {"missing points", [](CGameSession& s) { return s.SendDestination(0, nullptr, 1); }, 0},
        {"fight club names over the total",
         [&](CGameSession& s) {
             static const std::string name = text(60);
             const char* names[5] = {name.c_str(), name.c_str(), name.c_str(), name.c_str(), name.c_str()};
             return s.SendFightClubRequest(1, 1, names, 5);
         },
         0},
        {"fight club missing name",
         [](CGameSession& s) {
             const char* names[2] = {"a", nullptr};
             return s.SendFightClubRequest(1, 1, names, 2);
         },
         0},
        {"cooking dish with its zero",
         [&](CGameSession& s) { return s.SendCookingCook(1, text(248).c_str(), 1); }, 255},
        {"cooking dish too long", [&](CGameSession& s) { return s.SendCookingCook(1, text(249).c_str(), 1); },
         0},
        {"text of 256 bytes", [&](CGameSession& s) { return s.SendPetName(text(256).c_str()); }, 0},
        {"account check of 253", [&](CGameSession& s) { return s.SendAccountCheck(text(253).c_str()); }, 255},
        {"missing name", [](CGameSession& s) { return s.SendTeamInvite(nullptr); }, 0},
        {"1:1 switch neither 0 nor 1", [](CGameSession& s) { return s.SendOneChatCommand(2, "x", 0); }, 0},
        {"1:1 unknown sub-code", [](CGameSession& s) { return s.SendOneChatCommand(4, "x", 0); }, 0},
        {"chat command kind 0 empty", [](CGameSession& s) { return s.SendChatCommand(0, "", 0); }, 0},
        {"chat command kind 3", [](CGameSession& s) { return s.SendChatCommand(3, "x", 1); }, 0},
        {"club member command without a name", [](CGameSession& s) { return s.SendClubCommand9(1, "", 1); },
         0},
        {"club join request without a name", [](CGameSession& s) { return s.SendClubJoinRequest(1, ""); }, 0},
        {"club notice without a text", [](CGameSession& s) { return s.SendClubNotice(1, 1, ""); }, 0},
    };
    for (const Boundary& boundary : cases) {
        SCOPED_TRACE(boundary.name);
        bool accepted = false;
        Bytes built = Built(boundary.call, &accepted);
        EXPECT_EQ(accepted, boundary.length != 0);
        EXPECT_EQ(built.size(), boundary.length);
        while (m_session.QueuedMessages() > 0) m_session.FlushSendBuffer();
    }
}

TEST_F(RequestsTest, ClubCreateOptionByteFromVersion191) {
    Ready();
    Call create = [](CGameSession& s) { return s.SendClubCreate(1, 2, "Owls", 10, 99, "w", "i"); };
    const Bytes tail = T("Owls") + W(10) + W(99) + T("w") + T("i");
    g_config.m_clientVersion = 191;
    EXPECT_EQ(Built(create), (Bytes{61, 1, 1, 2} + tail));
    g_config.m_clientVersion = 190;
    EXPECT_EQ(Built(create), (Bytes{61, 1, 1} + tail));
    // At 190 the request is a byte shorter: 255 bytes that would be 256 at 191.
    const std::string name(30, 'n'), homepage(50, 'h'), introduction(165, 'i');
    Call full = [&](CGameSession& s) {
        return s.SendClubCreate(1, 2, name.c_str(), 1, 2, homepage.c_str(), introduction.c_str());
    };
    EXPECT_EQ(Built(full).size(), 255u);
    g_config.m_clientVersion = 191;
    EXPECT_TRUE(Built(full).empty());
}

TEST_F(RequestsTest, TimeEchoCarriesTheClockAtBuilding) {
    Ready();
    m_clock.SetMilliseconds(0x01020304);
    EXPECT_EQ(Built([](CGameSession& s) { return s.SendTimeEcho(0xAABBCCDD); }),
              Bytes{117} + D(0xAABBCCDD) + D(0x01020304));
    m_clock.Advance(1000);
    EXPECT_EQ(Built([](CGameSession& s) { return s.SendTimeEcho(7); }),
              Bytes{117} + D(7) + D(0x01020304 + 1000));
}

TEST_F(RequestsTest, LoginRequestStatesAndEmptyFields) {
    Ready();
    std::vector<std::string> loginTexts(10);
    loginTexts[9] = "Enter your account.";
    qmtest::ScopedTextTables texts({{13, loginTexts}});
    std::strcpy(m_session.m_account, "hero");
    m_session.m_loginKey[0] = 0;
    EXPECT_EQ(Built([](CGameSession& s) { return s.SendLoginRequest(1); }), Bytes{3} + T("hero") + Bytes{0})
        << "an empty password still sends its length byte";
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_LOGIN_SENT);
    EXPECT_EQ(m_session.m_pendingRequest, 3);
    EXPECT_STREQ(m_session.m_savedAccount, "hero");
    EXPECT_STREQ(m_session.m_savedPassword, "");
    EXPECT_EQ(plat::ToUtf8(ConnectStatusText), plat::ToUtf8(plat::FromUtf8("로그인 합니다.")));
    {
        // Shown in the user's code page: the Korean text on a Korean system.
        plat::ScopedCodePage korean(plat::CP_KOREAN);
        m_session.SendLoginRequest(1);
        EXPECT_EQ(plat::ToUtf8(ConnectStatusText), "로그인 합니다.");
    }

    // Without an account, flag 1 posts the notice and sends nothing.
    m_session.m_account[0] = 0;
    m_session.m_pendingRequest = -1;
    EXPECT_TRUE(Built([](CGameSession& s) { return s.SendLoginRequest(1); }).empty());
    EXPECT_EQ(m_session.IsNoticePending(), 1);
    EXPECT_EQ(m_session.m_noticeValue, 0u);
    EXPECT_STREQ(m_session.m_noticeText, "Enter your account.");
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_NOTICE);
    EXPECT_EQ(m_session.m_pendingRequest, -1);
    // Flag 0 sends the empty account.
    std::strcpy(m_session.m_loginKey, "pw");
    EXPECT_EQ(Built([](CGameSession& s) { return s.SendLoginRequest(0); }), (Bytes{3, 0} + T("pw")));
}

TEST_F(RequestsTest, CharacterRequestsAwaitTheirReply) {
    Ready();
    m_session.PostSessionNotice(1, 1, "old");
    ASSERT_TRUE(m_session.RequestCharCreate(2000001, "Mira"));
    EXPECT_EQ(m_session.IsNoticePending(), 0);
    EXPECT_EQ(m_session.m_charRequestKind, 1);
    EXPECT_EQ(m_session.m_pendingRequest, 44);
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_NOTICE);
    ASSERT_TRUE(m_session.RequestCharDelete("Mira", nullptr));
    EXPECT_EQ(m_session.m_charRequestKind, 2);
    EXPECT_EQ(m_session.m_pendingRequest, 45);
    m_session.PostSessionNotice(1, 1, "old");
    ASSERT_TRUE(m_session.SendCharSelect("Mira"));
    EXPECT_EQ(m_session.IsNoticePending(), 0);
    // A name that cannot be sent leaves no reply awaited.
    m_session.m_pendingRequest = -1;
    const std::string tooLong(300, 'x');
    EXPECT_FALSE(m_session.RequestCharCreate(1, tooLong.c_str()));
    EXPECT_EQ(m_session.m_pendingRequest, -1);
}

TEST_F(RequestsTest, KeyAcknowledgementSwitchesToTheNextKey) {
    Ready();
    const uint8_t ticket[] = {9, 2, 'N', 'k'};
    std::memcpy(m_session.m_ticket, ticket, sizeof(ticket));
    m_session.m_ticketLength = sizeof(ticket);
    m_session.m_nextMaskFunction = 9;
    m_session.m_nextKeyLength = 2;
    std::strcpy(m_session.m_nextKey, "Nk");
    ASSERT_TRUE(m_session.SendKeyAcknowledgement());
    ASSERT_TRUE(m_session.SendChat(0, "after"));
    m_session.FlushSendBuffer();
    m_session.FlushSendBuffer();
    ASSERT_TRUE(m_serverCipher.BuildMaskTable(9));
    ASSERT_TRUE(m_serverCipher.SetCipherKey("Nk"));
    EXPECT_EQ(ServerDecode(PeerReceived()),
              (std::vector<Bytes>{Bytes{16, 9, 2, 'N', 'k'}, Bytes{14, 0} + Z("after")}));
}

TEST_F(RequestsTest, WorldEntryWritesTheLastMatchingLoginServer) {
    Ready();
    qmtest::TempDir folder;
    qmtest::ScopedWorkingFolder inFolder(folder.Path());
    auto entry = [](uint8_t world, uint32_t address, uint16_t port) {
        CServerListEntry e;
        e.worldId = world;
        e.address = address;
        e.port = port;
        return e;
    };
    m_session.m_serverList = {entry(1, 0x11111111, 1000), entry(2, 0x0100007F, 40000),
                              entry(2, 0x0A0B0C0D, 0x1234), entry(3, 0x22222222, 3000)};
    ASSERT_TRUE(m_session.SendWorldEntry(2));
    EXPECT_EQ(m_session.m_pendingRequest, 87);
    EXPECT_EQ(m_session.m_chosenWorld, 2);
    EXPECT_EQ(g_config.m_serverAddress, 0x0A0B0C0Du);
    EXPECT_EQ(g_config.m_serverPort, 0x1234);
    std::vector<uint8_t> file;
    ASSERT_TRUE(plat::ReadWholeFile(LOGIN_SERVER_FILE, file));
    EXPECT_EQ(file, (Bytes{0x0D, 0x0C, 0x0B, 0x0A, 0x34, 0x12}));
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"LoginServerInfo.DAT"})) << "no temporary file left";

    // A world without an entry is still asked for; the file stays as it was.
    ASSERT_TRUE(m_session.SendWorldEntry(9));
    EXPECT_EQ(m_session.QueuedMessage(1), (Bytes{87, 0, 9}));
    EXPECT_EQ(g_config.m_serverAddress, 0x0A0B0C0Du) << "the login server is unchanged";
    ASSERT_TRUE(plat::ReadWholeFile(LOGIN_SERVER_FILE, file));
    EXPECT_EQ(file, (Bytes{0x0D, 0x0C, 0x0B, 0x0A, 0x34, 0x12}));
}

TEST_F(RequestsTest, WorldEntryWithoutAMatchCreatesNoFile) {
    Ready();
    g_config.m_serverAddress = 5;
    qmtest::TempDir folder;
    qmtest::ScopedWorkingFolder inFolder(folder.Path());
    ASSERT_TRUE(m_session.SendWorldEntry(4));
    EXPECT_TRUE(folder.List().empty());
    EXPECT_EQ(g_config.m_serverAddress, 5u);
}

TEST_F(RequestsTest, WorldEntryStillGoesOutWhenTheFileCannotBeWritten) {
    Ready();
    qmtest::TempDir folder;
    qmtest::ScopedWorkingFolder inFolder(folder.Path());
    ASSERT_TRUE(plat::CreateDirectories(folder.Path() + "/LoginServerInfo.DAT"));
    CServerListEntry entry;
    entry.worldId = 1;
    entry.address = 0x0100007F;
    entry.port = 40001;
    m_session.m_serverList = {entry};
    ASSERT_TRUE(m_session.SendWorldEntry(1));
    EXPECT_EQ(m_session.QueuedMessage(0), (Bytes{87, 0, 1}));
    EXPECT_EQ(g_config.m_serverPort, 40001);
    EXPECT_TRUE(plat::DirectoryExists(folder.Path() + "/LoginServerInfo.DAT")) << "what stood there is kept";
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"LoginServerInfo.DAT"})) << "no temporary file left";
}

TEST(PacketWriterText, TextsAreRefusedNotCut) {
    CPacketWriter fits(1);
    fits.PutText("abc", 3).PutTextWithZero("de", 2);
    EXPECT_FALSE(fits.Failed());
    EXPECT_EQ(Bytes(fits.Data(), fits.Data() + fits.Length()), (Bytes{1, 3, 'a', 'b', 'c', 3, 'd', 'e', 0}));

    CPacketWriter over(1);
    over.PutText("abcd", 3);
    EXPECT_TRUE(over.Failed());
    EXPECT_EQ(over.Length(), 1u) << "nothing of the text is written";

    // A double-byte text is never split: it is refused whole.
    plat::ScopedCodePage japanese(plat::CP_SHIFT_JIS);
    CPacketWriter dbcs(1);
    dbcs.PutText("a\x82\xa0", 2);
    EXPECT_TRUE(dbcs.Failed());

    CPacketWriter entries(1);
    const uint8_t a[] = {1, 2};
    const uint16_t b[] = {0x0304, 0x0506};
    const uint32_t c[] = {7, 8};
    entries.PutEntries(2, a, b, c);
    EXPECT_EQ(Bytes(entries.Data(), entries.Data() + entries.Length()),
              (Bytes{1, 1, 3, 4, 0, 0, 0, 7, 2, 5, 6, 0, 0, 0, 8}));
    CPacketWriter missing(1);
    missing.PutEntries(1, a, static_cast<const uint16_t*>(nullptr));
    EXPECT_TRUE(missing.Failed());
}

}  // namespace
