// Characters entering the view: the player's own character (5) and other
// player characters (51) become a character-creation record handed to the
// character manager at once, and their id is entered in the object id
// register; a non-player object's appearance (29) is posted as an appearance
// record. None of them tests the connection.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "net/handlers/char_records.h"

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_OWN_CHAR = 5,
    SERVER_OBJECT_APPEARS = 29,
    SERVER_CHAR_APPEARS = 51,
};

std::optional<CCharCreateFields> ParseOwnChar(CPacketReader& body);
std::optional<CCharCreateFields> ParseCharAppears(CPacketReader& body);
std::unique_ptr<CCharAppearance> ParseObjectAppears(CPacketReader& body);
// 5 and 51 as a server writes them, code first (the entry lists carry
// m_entryCount entries).
std::vector<uint8_t> WriteOwnChar(const CCharCreateFields& fields);
std::vector<uint8_t> WriteCharAppears(const CCharCreateFields& fields);

// 5: handed over, the id registered, then [27][1] is sent.
void HandleOwnChar(CGameSession& session, uint8_t code, CPacketReader& body);
// 51: handed over and the id registered.
void HandleCharAppears(CGameSession& session, uint8_t code, CPacketReader& body);
// 29: posted.
void HandleObjectAppears(CGameSession& session, uint8_t code, CPacketReader& body);
