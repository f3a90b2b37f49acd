// NPC services: a walker's shop. The world file's lines
//
//   shop WALKER FLAGS                  the walker serves the function word
//                                      FLAGS (bit 0 buy, 1 sell, 2 repair,
//                                      3 mix, 7 heal) to a right click
//   goods WALKER ITEM_ID PRICE WEIGHT NAME...
//                                      the walker sells the item at the price
//
// hall_trade.cpp says which requests it takes.
#pragma once
#include <memory>

#include "tools/qmserver/hall_character.h"
#include "tools/qmserver/hall_feature.h"
#include "tools/qmserver/hall_items.h"

std::unique_ptr<CHallFeature> MakeTradeFeature(IHallBags* bags, IHallPurse* purse);
