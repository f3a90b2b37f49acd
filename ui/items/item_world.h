// What an item icon needs of the game world and the game scene: the map
// under the mouse, the characters, the player's controller, a character's
// effects and worn-part sprites, and the scene's album operation. The world
// sits above the window layer, so this is an interface that the world
// installs; while it is absent no map, character or controller exists: drops
// on the ground, wearing and using do nothing.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/seam.h"

class CChar;
class CItemObject;
class CMsgPayload;

class IItemWorld {
public:
    virtual ~IItemWorld() = default;

    // ---- The map ----
    // The tile under a screen point; false without a map.
    virtual bool ScreenToTile(int32_t x, int32_t y, int32_t* tileX, int32_t* tileY) = 0;
    // Both of the map's tests an item dropped on the tile must pass.
    virtual bool CanDropOnTile(int32_t tileX, int32_t tileY) = 0;
    // Hands the map a record (a local ground drop).
    virtual void HandleMapMessage(CMsgPayload& record) = 0;

    // ---- Characters ----
    virtual CChar* GetPlayer() = 0;
    virtual CChar* PickCharAt(int32_t x, int32_t y) = 0;
    virtual uint32_t GetCharId(CChar* character) = 0;
    // The character's type code (1: a player character).
    virtual int32_t GetCharType(CChar* character) = 0;
    virtual bool HasStatus(CChar* character, uint32_t status) = 0;
    // The character's level, and the name of its class (one of the class
    // names of text table 0, rows 14-27; "" when it has none).
    virtual uint32_t GetLevel(CChar* character) = 0;
    virtual const char* GetClassName(CChar* character) = 0;
    // The cursor's mode (0 none, 1 aiming an item, 2 aiming a skill, ...).
    virtual uint32_t GetCursorMode() = 0;

    // ---- The player's controller ----
    // It allows actions now.
    virtual bool CanAct() = 0;
    // The player is in one of the two action states that block wearing.
    virtual bool IsInBlockingState() = 0;
    virtual void DropOnGround(int32_t tileX, int32_t tileY, int32_t slotIndex, uint32_t amount) = 0;
    // Local play and server play use different operations; serverPlay says which.
    virtual void Equip(CItemObject* item, bool serverPlay) = 0;
    virtual void Unequip(CItemObject* item, bool serverPlay) = 0;
    virtual void UseSkillItem(int32_t skillRow, uint32_t objectId, int32_t slotIndex, int8_t useFlags) = 0;
    virtual void UseTargetedItem(CItemObject* item) = 0;
    virtual void UseItem(uint32_t objectId, int32_t slotIndex, int8_t useFlags) = 0;

    // ---- A character's effects and worn parts ----
    virtual void AddItemEffect(CChar* character, uint32_t key1, uint32_t key2, uint8_t kind, uint16_t valueA,
                               uint16_t valueB, uint8_t flag) = 0;
    virtual void RemoveItemEffect(CChar* character, uint32_t key1, uint32_t key2) = 0;
    // False for a character drawn in one piece (no separate parts).
    virtual bool HasSeparateParts(CChar* character) = 0;
    // The character kind whose part table lists what the character wears.
    virtual uint32_t GetPartKind(CChar* character) = 0;
    // The animations of the parts the item puts on a character of the kind;
    // false when the kind's part table has no entry for the item.
    virtual bool GetItemParts(uint32_t partKind, uint32_t itemId, std::vector<uint32_t>* animations) = 0;
    // The character's sprite: a child sprite of the animation (made, shown
    // and started when it has none), taken off and deleted, or highlighted.
    virtual void AttachPart(CChar* character, uint32_t animation) = 0;
    virtual void DetachPart(CChar* character, uint32_t animation) = 0;
    virtual void HighlightPart(CChar* character, uint32_t animation, uint8_t value) = 0;

    // ---- The game scene ----
    // The scene's operation for album items; false without a scene.
    virtual bool RunAlbumOperation(CItemObject* item) = 0;
};

// Install (null removes); not owned. Returns the previous one.
IItemWorld* SetItemWorld(IItemWorld* world);
IItemWorld* GetItemWorld();
using ScopedItemWorld = plat::ScopedInstall<GetItemWorld, SetItemWorld>;
