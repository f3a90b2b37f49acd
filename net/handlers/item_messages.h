// The player's items (15, 16, 18, 27, 28, 55, 56): records for the character
// manager's port, and the club deposit's items for "CLUB_DEPOSIT_WINDOW".
// No connection test.
//
// | code | record                                                         |
// |------|----------------------------------------------------------------|
// | 15   | 47 an item in an inventory slot (option forms 0, 1, 2)         |
// | 16   | 48 a value                                                     |
// | 18   | 45 two values                                                  |
// | 27   | form 0: 52 a stored item; forms 1, 2: the club deposit's item  |
// | 28   | form 0: 53 a value; forms 1, 2: a club deposit slot emptied    |
// |      | (slot 0: every slot)                                           |
// | 55   | 54 an item of a character                                      |
// | 56   | 55 a value                                                     |
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_ITEM_ADDED = 15,
    SERVER_ITEM_VALUE_16 = 16,
    SERVER_ITEM_PAIR = 18,
    SERVER_ITEM_STORED = 27,
    SERVER_ITEM_STORE_SLOT = 28,
    SERVER_CHAR_ITEM = 55,
    SERVER_ITEM_VALUE_56 = 56,
};

void HandleItemMessage(CGameSession& session, uint8_t code, CPacketReader& body);

// 15 as a server writes it, code first: the item in the bag's slot, with its
// count (option form 0), no date and no further values.
std::vector<uint8_t> WriteInventoryItem(uint8_t slot, uint32_t itemId, uint32_t secondId,
                                        const std::string& name, uint16_t count);

// 55 as a server writes it: an item the user's own character wears (no
// date, no options, no numbers).
std::vector<uint8_t> WriteCharItem(uint32_t itemId, uint32_t secondId, const std::string& name);
// 16 (the bag slot's item went away) and 56 (the worn place's item comes
// off): one value byte.
std::vector<uint8_t> WriteItemValue(uint8_t code, uint8_t value);
