// Items: what a character carries into the field (the world file's lines
//
//   item SLOT ITEM_ID COUNT NAME...     every character enters the field with
//                                       the item in its bag (slot 0-64)
//
// ), items dropped on the ground (request 8) that every player sees lie there
// (message 7), and picked up again (request 7: message 14 to everyone, 15 to
// the picker). hall_items.cpp says more.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "tools/qmserver/hall_feature.h"

// One bag slot's item.
struct CHallBagItem {
    uint32_t itemId = 0;
    std::string name;
    uint16_t count = 0;
};
using CHallBag = std::map<uint32_t, CHallBagItem>;  // by slot (0-64)

// The bags, for the features that move items in and out of them.
class IHallBags {
public:
    virtual ~IHallBags() = default;
    // The client's bag (made empty when it has none).
    virtual CHallBag& BagOf(const CHallClient& c) = 0;
    // The slot as it is now goes to the client: message 15, or 16 when empty.
    virtual void SendSlot(CServerHall& hall, CHallClient& c, uint32_t slot) = 0;
    // The first free slot, or -1 when the bag is full.
    virtual int32_t FreeSlot(const CHallClient& c) = 0;
};

std::unique_ptr<CHallFeature> MakeItemsFeature();
// The items feature's bags (null for another feature).
IHallBags* HallBagsOf(CHallFeature* feature);
