// Field actions of the game scene: the item-use target test and the
// interface sounds. The queued-action block itself lives in CGameScene.
#pragma once
#include <cstdint>

#include "data/item_object.h"

class CItemObject;

// The targets of the item-use flags (column 36); 0x10 and 0x20 are the item
// table's ITEM_USE_NEVER and ITEM_USE_ON_PLACE.
enum : uint8_t {
    ITEM_USE_ON_MAP_OBJECT = 0x01,
    ITEM_USE_ON_MONSTER = 0x02,
    ITEM_USE_ON_NPC = 0x04,
    ITEM_USE_ON_PLAYER = 0x08,
};

// Whether an item with the flag byte may be used on a target of the kind
// (0 player, 1 NPC, 2 monster, 6 map object, others allowed; -1 none), or on
// the place when the map accepts the tile.
bool CanUseItemOnKind(uint8_t flags, int32_t targetKind, bool placeAccepted);
// The same with the item's flags (none without an item).
bool CanUseItemOn(const CItemObject* item, int32_t targetKind, bool placeAccepted);

// The sound effect of an interface sound kind: 0 and 1 give 424, 2 and 3
// give 427, 4 gives 425; 0 for the others (no sound).
uint32_t UiSoundEffect(int32_t kind);
// Plays it through the field sound, when there is one.
void PlayUiSound(int32_t kind);
