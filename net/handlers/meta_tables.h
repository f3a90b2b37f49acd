// The handler of the server's table messages (message 24), which keeps the
// table cache (data/meta_cache.h) up to date, and the premium item manager's
// requests through the program's session.
#pragma once
#include <cstdint>

class CGameSession;
class CPacketReader;
class IPremiumRequests;

constexpr uint8_t SERVER_META_TABLES = 24;  // server message: table list or one table

// The premium item manager's requests, sent through the program's session.
IPremiumRequests& SessionPremiumRequests();

// Message 24, only while connected. Form 0 lists the tables ([0][unused]
// [u16 count] then count times [name][u32 CRC-32]): a wanted table the cache
// lacks, or holds with another CRC-32, is asked for. Form 1 is one table
// ([1][unused][name][u32 unused][u16 length][zlib bytes]), stored in the
// cache. A message cut short ends the list at the last whole entry, and a cut
// table is dropped; other forms are ignored.
void HandleMetaTables(CGameSession& session, uint8_t code, CPacketReader& body);
