// Items: what a character carries into the field (the world file's lines
//
//   item SLOT ITEM_ID COUNT NAME...     every character enters the field with
//                                       the item in its bag (slot 0-64)
//
// ), items dropped on the ground (request 8) that every player sees lie there
// (message 7), and picked up again (request 7: message 14 to everyone, 15 to
// the picker). hall_items.cpp says more.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeItemsFeature();
