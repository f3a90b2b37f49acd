// Requests of NPC functions, items, trade, storage and the personal stores.
#include <cstdio>

#include "net/game_session.h"

namespace {

constexpr uint8_t REQUEST_NPC = 5;

// The functions of request 5.
enum NpcFunction : uint8_t {
    NPC_OPEN = 0,
    NPC_BUY = 1,
    NPC_SELL = 2,
    NPC_REPAIR = 3,
    NPC_MIX = 4,
    NPC_HEAL = 5,
    NPC_DEPOSIT = 6,
    NPC_CLUB_DEPOSIT = 7,
    NPC_MAGIC_ROULETTE = 8,
    NPC_FIGHT_CLUB = 9,
    NPC_OWN_CLUB_DEPOSIT = 10,
    NPC_EQUIP_ABILITY = 11,
    NPC_PERSONAL_STORE = 128,
    NPC_CLOSE = 129,
};

// [5][u32 NPC id][function]
CPacketWriter NpcRequest(uint32_t npcId, uint8_t function) {
    CPacketWriter request(REQUEST_NPC);
    request.PutDword(npcId).PutByte(function);
    return request;
}

// [5][u32 NPC id][function][action]
CPacketWriter NpcAction(uint32_t npcId, uint8_t function, uint8_t action) {
    CPacketWriter request = NpcRequest(npcId, function);
    request.PutByte(action);
    return request;
}

// Buy, sell and repair lists: [price kind][u16 count][count × (u16 item, second column)].
template <typename Second>
CPacketWriter TradeList(uint32_t npcId, uint8_t function, uint8_t priceKind, const uint16_t* items,
                        const Second* second, size_t count) {
    CPacketWriter request = NpcAction(npcId, function, 1);
    request.PutByte(priceKind).PutWord(uint16_t(count)).PutEntries(count, items, second);
    if (count > UINT16_MAX) request.Fail();
    return request;
}

// Mix lists: [u8 count][count × (u8 code, u16 count)].
CPacketWriter MixList(uint32_t npcId, uint8_t action, const uint8_t* codes, const uint16_t* counts,
                      size_t count) {
    CPacketWriter request = NpcAction(npcId, NPC_MIX, action);
    request.PutByte(uint8_t(count)).PutEntries(count, codes, counts);
    if (count > UINT8_MAX) request.Fail();
    return request;
}

// The personal store list: [u32 total price][u16 count][count × (u16 item, second column)].
template <typename Second>
CPacketWriter StoreList(uint32_t npcId, uint32_t totalPrice, const uint16_t* items, const Second* second,
                        size_t count) {
    CPacketWriter request = NpcAction(npcId, NPC_PERSONAL_STORE, 0);
    request.PutDword(totalPrice).PutWord(uint16_t(count)).PutEntries(count, items, second);
    if (count > UINT16_MAX) request.Fail();
    return request;
}

// Club storage: [7][kind], or [10] alone for the player's own club, then the action.
CPacketWriter ClubStorage(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t action) {
    CPacketWriter request = NpcRequest(npcId, ownClub ? NPC_OWN_CLUB_DEPOSIT : NPC_CLUB_DEPOSIT);
    if (!ownClub) request.PutByte(kind);
    request.PutByte(action);
    return request;
}

}  // namespace

bool CGameSession::SendNpcOpen(uint32_t npcId) {
    return QueueMessage(NpcRequest(npcId, NPC_OPEN));
}

bool CGameSession::SendNpcClose(uint32_t npcId) {
    return QueueMessage(NpcRequest(npcId, NPC_CLOSE));
}

bool CGameSession::SendNpcBuyOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_BUY, 0));
}

bool CGameSession::SendNpcBuy(uint32_t npcId, uint8_t priceKind, const uint16_t* items,
                              const uint16_t* counts, size_t count) {
    return QueueMessage(TradeList(npcId, NPC_BUY, priceKind, items, counts, count));
}

bool CGameSession::SendNpcSellOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_SELL, 0));
}

bool CGameSession::SendNpcSell(uint32_t npcId, uint8_t priceKind, const uint16_t* items,
                               const uint16_t* counts, size_t count) {
    return QueueMessage(TradeList(npcId, NPC_SELL, priceKind, items, counts, count));
}

bool CGameSession::SendNpcRepairOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_REPAIR, 0));
}

bool CGameSession::SendNpcRepair(uint32_t npcId, uint8_t priceKind, const uint16_t* items,
                                 const uint8_t* kinds, size_t count) {
    return QueueMessage(TradeList(npcId, NPC_REPAIR, priceKind, items, kinds, count));
}

bool CGameSession::SendNpcMixOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_MIX, 0));
}

bool CGameSession::SendNpcMixAdvice(uint32_t npcId, const uint8_t* codes, const uint16_t* counts,
                                    size_t count) {
    return QueueMessage(MixList(npcId, 1, codes, counts, count));
}

bool CGameSession::SendNpcMixCheck(uint32_t npcId, const uint8_t* codes, const uint16_t* counts,
                                   size_t count) {
    return QueueMessage(MixList(npcId, 2, codes, counts, count));
}

bool CGameSession::SendNpcMixExecute(uint32_t npcId, const uint8_t* codes, const uint16_t* counts,
                                     size_t count) {
    return QueueMessage(MixList(npcId, 3, codes, counts, count));
}

bool CGameSession::SendNpcHealOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_HEAL, 0));
}

bool CGameSession::SendHealRequest(uint32_t npcId, uint8_t choice) {
    return QueueMessage(NpcAction(npcId, NPC_HEAL, 1).PutByte(choice));
}

bool CGameSession::SendDepositOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 0));
}

bool CGameSession::SendDepositFeeAnswer(uint32_t npcId, uint8_t answer) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 1).PutByte(answer));
}

bool CGameSession::SendDepositClose(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 2));
}

bool CGameSession::SendDepositItem(uint32_t npcId, uint8_t slot, uint16_t count) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 3).PutByte(slot).PutWord(count));
}

bool CGameSession::SendDepositWithdraw(uint32_t npcId, uint8_t slot, uint16_t count) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 4).PutByte(slot).PutWord(count));
}

bool CGameSession::SendDepositMoney(uint32_t npcId, uint32_t amount) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 5).PutDword(amount));
}

bool CGameSession::SendDepositWithdrawMoney(uint32_t npcId, uint32_t amount) {
    return QueueMessage(NpcAction(npcId, NPC_DEPOSIT, 6).PutDword(amount));
}

bool CGameSession::SendMagicRouletteOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_MAGIC_ROULETTE, 0));
}

bool CGameSession::SendMagicRouletteStart(uint32_t npcId, uint16_t slot) {
    return QueueMessage(NpcAction(npcId, NPC_MAGIC_ROULETTE, 1).PutByte(1).PutWord(slot).PutByte(0));
}

bool CGameSession::SendFightClubOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_FIGHT_CLUB, 1));
}

bool CGameSession::SendFightClubRequest(uint32_t npcId, uint8_t mode, const char* const* names,
                                        size_t count) {
    CPacketWriter request = NpcAction(npcId, NPC_FIGHT_CLUB, 2);
    request.PutByte(mode);
    if (mode == 1) {
        if (count > UINT16_MAX || (count > 0 && !names)) return false;
        request.PutWord(uint16_t(count));
        for (size_t i = 0; i < count && !request.Failed(); ++i) request.PutText(names[i]);
    }
    return QueueMessage(request);
}

bool CGameSession::SendFightClubReply(uint32_t npcId, uint8_t value) {
    return QueueMessage(NpcAction(npcId, NPC_FIGHT_CLUB, 3).PutByte(value));
}

bool CGameSession::SendEquipAbilityOpen(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_EQUIP_ABILITY, 0));
}

bool CGameSession::SendEquipAbilityMakeSlot(uint32_t npcId, uint8_t slot) {
    return QueueMessage(NpcAction(npcId, NPC_EQUIP_ABILITY, 1).PutByte(slot));
}

bool CGameSession::SendEquipAbilityEquip(uint32_t npcId, uint8_t slot, int32_t abilityId) {
    char id[16];
    std::snprintf(id, sizeof(id), "%d", int(abilityId));
    return QueueMessage(NpcAction(npcId, NPC_EQUIP_ABILITY, 2).PutByte(slot).PutText(id));
}

bool CGameSession::SendNpcDeal(uint32_t npcId, uint32_t totalPrice, const uint16_t* items,
                               const uint16_t* counts, size_t count) {
    return QueueMessage(StoreList(npcId, totalPrice, items, counts, count));
}

bool CGameSession::SendNpcDealRepair(uint32_t npcId, uint32_t totalPrice, const uint16_t* items,
                                     const uint8_t* kinds, size_t count) {
    return QueueMessage(StoreList(npcId, totalPrice, items, kinds, count));
}

bool CGameSession::SendNpcDealAction1(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_PERSONAL_STORE, 1));
}

bool CGameSession::SendNpcDealAmount(uint32_t npcId, uint32_t amount) {
    return QueueMessage(NpcAction(npcId, NPC_PERSONAL_STORE, 2).PutDword(amount));
}

bool CGameSession::SendNpcDealCancel(uint32_t npcId) {
    return QueueMessage(NpcAction(npcId, NPC_PERSONAL_STORE, 3));
}

bool CGameSession::SendClubDepositOpen(uint32_t npcId, uint8_t kind, bool ownClub) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 0));
}

bool CGameSession::SendClubDepositClose(uint32_t npcId, uint8_t kind, bool ownClub) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 1));
}

bool CGameSession::SendClubDepositItemIn(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot,
                                         uint16_t count) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 4).PutByte(slot).PutWord(count));
}

bool CGameSession::SendClubDepositItemOut(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot,
                                          uint16_t count) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 5).PutByte(slot).PutWord(count));
}

bool CGameSession::SendClubDepositGoldIn(uint32_t npcId, uint8_t kind, bool ownClub, uint32_t amount) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 6).PutDword(amount));
}

bool CGameSession::SendClubDepositGoldOut(uint32_t npcId, uint8_t kind, bool ownClub, uint32_t amount) {
    return QueueMessage(ClubStorage(npcId, kind, ownClub, 7).PutDword(amount));
}

bool CGameSession::SendClubDepositTransfer(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot,
                                           uint8_t allMembers, uint16_t limit) {
    return QueueMessage(
        ClubStorage(npcId, kind, ownClub, 8).PutByte(slot).PutByte(allMembers).PutWord(limit));
}

bool CGameSession::SendQuickSlot(uint8_t slotType, uint8_t slot, uint32_t id) {
    return QueueMessage(CPacketWriter(6).PutByte(slotType).PutByte(slot).PutDword(id));
}

bool CGameSession::SendNpcTalk(uint32_t npcId) {
    return QueueMessage(CPacketWriter(20).PutDword(npcId));
}

bool CGameSession::SendInventoryCommand8(uint16_t source, uint16_t target, uint16_t count) {
    return QueueMessage(CPacketWriter(48, 8).PutWord(source).PutWord(target).PutWord(count));
}

bool CGameSession::SendMyStoreOpen(const char* name, uint32_t look, uint8_t sign, const uint16_t* slots,
                                   const uint16_t* counts, const uint32_t* prices, size_t count) {
    CPacketWriter request(52);
    request.PutByte(0).PutText(name).PutDword(look).PutByte(sign).PutByte(uint8_t(count));
    request.PutEntries(count, slots, counts, prices);
    if (count > UINT8_MAX) request.Fail();
    return QueueMessage(request);
}

bool CGameSession::SendMyStoreCancel() {
    return QueueMessage(CPacketWriter(52, 1));
}

bool CGameSession::SendMyStoreClose() {
    return QueueMessage(CPacketWriter(52, 2));
}

bool CGameSession::SendUserStoreOpen(uint32_t ownerId) {
    return QueueMessage(CPacketWriter(67).PutDword(ownerId));
}

bool CGameSession::SendAtsTransfer(const char* name, uint32_t amount, const uint8_t* slots,
                                   const uint8_t* counts, size_t count) {
    CPacketWriter request(70);
    request.PutText(name).PutDword(amount).PutByte(uint8_t(count)).PutEntries(count, slots, counts);
    if (count > UINT8_MAX) request.Fail();
    return QueueMessage(request);
}

bool CGameSession::SendItemExchangeRequest(uint32_t partnerId) {
    return QueueMessage(CPacketWriter(74, 0).PutDword(partnerId));
}

bool CGameSession::SendItemExchangeOffer(uint32_t partnerId, uint8_t slot, uint8_t count) {
    return QueueMessage(CPacketWriter(74, 2).PutDword(partnerId).PutByte(slot).PutByte(count));
}

bool CGameSession::SendItemExchangeMoney(uint32_t partnerId, uint32_t amount) {
    return QueueMessage(CPacketWriter(74, 3).PutDword(partnerId).PutDword(amount));
}

bool CGameSession::SendItemExchangeCancel(uint32_t partnerId) {
    return QueueMessage(CPacketWriter(74, 4).PutDword(partnerId));
}

bool CGameSession::SendItemExchangeConfirm(uint32_t partnerId) {
    return QueueMessage(CPacketWriter(74, 5).PutDword(partnerId));
}

bool CGameSession::SendItemExchangeExecute(uint32_t partnerId) {
    return QueueMessage(CPacketWriter(74, 6).PutDword(partnerId));
}

bool CGameSession::SendPremiumListRequest() {
    return QueueMessage(CPacketWriter(82, 0));
}

bool CGameSession::SendPremiumItemTake(uint32_t value1, uint32_t value2) {
    return QueueMessage(CPacketWriter(82, 1).PutDword(value1).PutDword(value2));
}

bool CGameSession::SendPremiumShopOpen() {
    return QueueMessage(CPacketWriter(82, 2));
}
