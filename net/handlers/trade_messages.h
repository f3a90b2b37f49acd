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
