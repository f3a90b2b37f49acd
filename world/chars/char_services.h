// What the characters use of their neighbours: the effect list attached to
// each character (the visual effects install its factory; without one no
// character has an effect list), and the requests the character code sends
// (the game session's; a test gives the manager a recorder).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/seam.h"

class CChar;
class CCharStatusObject;

// The effects attached to one character, each under a pair of keys.
class ICharEffectList {
public:
    virtual ~ICharEffectList() = default;
    // Adds an effect built with (kind, animation, motion, direction) under
    // the keys; false (nothing added) when the pair is taken or the effect
    // cannot be made.
    virtual bool AddEffect(uint32_t key1, uint32_t key2, int32_t a, int32_t b, int32_t c, int32_t d) = 0;
    virtual bool HasEffect(uint32_t key1, uint32_t key2) = 0;
    virtual void RemoveEffect(uint32_t key1, uint32_t key2) = 0;
    // Whether the character is drawn translucent (the effects follow it).
    virtual void SetTranslucent(bool translucent) = 0;
    virtual void Update() = 0;
    virtual void DrawBehind() = 0;
    virtual void DrawInFront() = 0;
    // Follows the character to its map point.
    virtual void SetAllPositions(float x, float y) = 0;
    // Places the effects at a screen point (a character shown in a window).
    virtual void UpdateAllWith(int32_t x, int32_t y, int32_t z) = 0;
};

class ICharEffects {
public:
    virtual ~ICharEffects() = default;
    // A new, empty effect list for the character.
    virtual std::unique_ptr<ICharEffectList> MakeEffectList(CChar* owner) = 0;
    // A skill state's overlay of the kind (1-7), set up with the skill id,
    // the value and the owner; null for another kind.
    virtual std::unique_ptr<CCharStatusObject> MakeOverlay(int32_t kind, uint32_t skillId, uint32_t value,
                                                           CChar* owner);
};

void SetCharEffects(ICharEffects* effects);
ICharEffects* GetCharEffects();
using ScopedCharEffects = plat::ScopedInstall<GetCharEffects, SetCharEffects>;

class CItemObject;

// The player's use test of recipes (item class 10) and cookbooks (class 11):
// false when the item cannot be used now, with the value the refusal names.
// Cooking provides it; absent, nothing is refused.
class IItemClassUseRule {
public:
    virtual ~IItemClassUseRule() = default;
    virtual bool CanUseItemClass(int itemClass, CItemObject* item, uint32_t& value) = 0;
};

void SetItemClassUseRule(IItemClassUseRule* rule);
IItemClassUseRule* GetItemClassUseRule();
using ScopedItemClassUseRule = plat::ScopedInstall<GetItemClassUseRule, SetItemClassUseRule>;

// The requests the characters send.
class ICharRequests {
public:
    virtual ~ICharRequests() = default;
    // Asks the server for a character the client does not hold (request 12).
    virtual void SendCharInfoRequest(uint32_t charId) = 0;
    // Looks a character up (request 33, sub-code 2).
    virtual void SendCharLookup(uint32_t charId) = 0;
    // Request 59: a chat command of the kind with a value (the sign text of a character).
    virtual void SendChatCommand(uint8_t kind, uint32_t value) = 0;
    // Request 51: the user's own tile, facing (0-15) and report sequence.
    virtual void SendPlayerPosition(uint16_t tileX, uint16_t tileY, uint8_t facing, uint8_t sequence) = 0;
    // Request 33, sub-code 0: the same for a character this client moves.
    virtual void SendControlledCharPosition(uint32_t charId, uint16_t tileX, uint16_t tileY, uint8_t facing,
                                            uint8_t sequence) = 0;
    // Request 84: the user's destination tile (with a byte of its data);
    // request 33, sub-code 1: that of a character this client moves.
    virtual void SendDestination(uint8_t value, uint16_t tileX, uint16_t tileY) = 0;
    virtual void SendControlledCharDestination(uint32_t charId, uint16_t tileX, uint16_t tileY) = 0;
    // Request 7: picks up an object lying on the field.
    virtual void SendPickUp(uint32_t objectId) = 0;
    // The skill and item requests of the controller: 49 (combo select),
    // 19 (a skill), 28 (an item or a quick-slot skill), 8 (a point) and 31.
    virtual void SendComboSelect() = 0;
    virtual void SendUseSkill(uint8_t skillFlag, uint8_t kind, const uint8_t* payload, size_t count) = 0;
    virtual void SendUseItem(uint8_t slot, const uint8_t* payload, size_t count) = 0;
    virtual void SendUseQuickSkill(uint8_t slot, const uint8_t* payload, size_t count) = 0;
    virtual void SendPointRequest(uint8_t kind, uint16_t count, uint16_t x, uint16_t y) = 0;
    virtual void SendItemKind(uint8_t kind) = 0;
};

// The requests of the program's game session.
ICharRequests& SessionCharRequests();
// The character manager's requests (those of the session unless the manager
// was given others), also without a manager.
ICharRequests& CharRequests();
