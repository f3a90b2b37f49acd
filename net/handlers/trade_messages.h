// The item exchange between players (66) and the NPC services (106).
//
// 66: every sub-message is a record for "ITEM_EXCHANGE_WINDOW" (89-93) or,
// for 128, a notice box; nothing at all without the window.
// 106: the NPC function menu and the trade window's flags (0), the trade
// window's item lists (1-3, 4/0) and result notices, "NPCHEALWIN" (5),
// "DepositWindow" (6), "CLUB_DEPOSIT_WINDOW" (7, 11), the fight club windows
// (9). A list is read whole even when its window is missing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/handlers/item_records.h"

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_EXCHANGE = 66,
    SERVER_NPC_SERVICE = 106,
};

// [u8][u8][u32][u8][text][u32 expiry][u8 flag], then flag != 0: 13 option
// bytes (the eleventh read past) and a number list, flag 0: [u16].
void ParseExchangeItem(CPacketReader& body, CExchangeItemMsg& item);

void HandleExchangeMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleNpcServiceMessage(CGameSession& session, uint8_t code, CPacketReader& body);

// ---- As a server writes them, code first ----

// 106/0: the NPC's chat name (empty for none), its function word and a value.
std::vector<uint8_t> WriteNpcMenu(const std::string& name, uint32_t flags, uint32_t value);
// A goods entry of the buy list (1) or an item of the sell list (2).
struct CTradeGoods {
    uint16_t key = 0;
    uint32_t itemId = 0;
    std::string name;
    uint8_t slot = 0;     // the sell list's bag slot
    uint8_t allowed = 1;  // buyable, sellable
    uint32_t price = 0;
    uint16_t stock = 0;  // the buy list's
    uint16_t count = 1;  // the sell list's
    uint16_t weight = 0;
};
// 106/1 and 106/2 (kind 0): the deal flag and the entries, without dates or numbers.
std::vector<uint8_t> WriteTradeList(uint8_t list, bool dealFlag, const std::vector<CTradeGoods>& goods);
// 106/3 kind 1: nothing to repair.
std::vector<uint8_t> WriteNothingToRepair();
