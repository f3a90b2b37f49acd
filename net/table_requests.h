// Requests about the server tables and the premium item list, and the
// handler of the server's table messages (message 24), which keeps the
// table cache (data/meta_cache.h) up to date.
#pragma once
#include <cstdint>
#include <string_view>

class CGameSession;
class CPacketReader;
class IPremiumRequests;

constexpr uint8_t SERVER_META_TABLES = 24;    // server message: table list or one table
constexpr uint8_t REQUEST_META_TABLE = 15;    // [15][2][1][name]
constexpr uint8_t REQUEST_PREMIUM_ITEM = 82;  // [82][0]: the list; [82][1][a][b]: take an item

// Asks for the table of that name; false when not connected.
bool RequestMetaTable(CGameSession& session, std::string_view name);
// Asks for the premium item list; false when not connected.
bool SendPremiumListRequest(CGameSession& session);
// Takes a premium item (the two values the list gave it); false when not connected.
bool SendPremiumItemTake(CGameSession& session, uint32_t first, uint32_t second);

// The premium item manager's requests, sent through the program's session.
IPremiumRequests& SessionPremiumRequests();

// Message 24, only while connected. Form 0 lists the tables ([0][unused]
// [u16 count] then count times [name][u32 CRC-32]): a wanted table the cache
// lacks, or holds with another CRC-32, is asked for. Form 1 is one table
// ([1][unused][name][u32 unused][u16 length][zlib bytes]), stored in the
// cache. A message cut short ends the list at the last whole entry, and a cut
// table is dropped; other forms are ignored.
void HandleMetaTables(CGameSession& session, uint8_t code, CPacketReader& body);
