// The character: what it wears, its potions, its stats and points, its
// quick slots. The world file's lines
//
//   gear ITEM_ID PLACE         the item is worn at the equipment place (1-13)
//   wears ITEM_ID NAME...      every character enters wearing the item
//   potion ITEM_ID AMOUNT      using the item (request 28) restores AMOUNT life
//
// and the "status" lines (life, mana, ..., stats, money). hall_character.cpp
// says which requests it takes.
#pragma once
#include <cstdint>
#include <memory>

#include "tools/qmserver/hall_feature.h"
#include "tools/qmserver/hall_items.h"

class CServerHall;

// The character's money, for the features that take and pay it.
class IHallPurse {
public:
    virtual ~IHallPurse() = default;
    virtual uint32_t MoneyOf(const CHallClient& c) = 0;
    // Keeps the amount and sends it (message 8, the money's group).
    virtual void SetMoney(CServerHall& hall, CHallClient& c, uint32_t money) = 0;
};

std::unique_ptr<CHallFeature> MakeCharacterFeature(IHallBags* bags);
// The character feature's purse (null for another feature).
IHallPurse* HallPurseOf(CHallFeature* feature);
