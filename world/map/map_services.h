// What the map uses of its neighbours: the ambient and weather effects and
// the character manager (the sound manager's side is anim/field_sound.h). Each is an interface that its
// own part of the program implements and installs at start-up (tests install
// their own); one that is not installed counts as absent, and the map then
// does without it: no music, no sound spots, no weather pictures, no player.
#pragma once
#include <cstdint>
#include <memory>

#include "anim/field_sound.h"
#include "platform/seam.h"

class CAniObject;
class CChar;
class CItemObject;

// One ambient effect the map shows: a weather effect, a firefly or the clouds.
class IFieldEffect {
public:
    virtual ~IFieldEffect() = default;
    // Strength of a weather effect (0 fades it out); a firefly takes 1 to show, 0 to hide.
    virtual void SetStrength(int32_t strength) = 0;
    virtual int32_t GetStrength() = 0;
    // Whether a weather effect told strength 0 has gone.
    virtual bool IsFadedOut() = 0;
    virtual void Step() = 0;
    virtual void Draw() = 0;
};

enum class FieldEffectKind {
    AmbientA,  // weather kind 2
    AmbientB,  // weather kind 1
    AmbientC,  // weather kind 5
    Firefly,   // one of the fireflies of weather kind 3
    Clouds,    // the clouds of a stage that asks for them
};

// The visual effects' side.
class IFieldEffects {
public:
    virtual ~IFieldEffects() = default;
    virtual std::unique_ptr<IFieldEffect> MakeEffect(FieldEffectKind kind) = 0;
    // The map's particle emitter: filled with count particles and started, or emptied.
    virtual void FillParticleEmitter(int32_t count) = 0;
    virtual void EmptyParticleEmitter() = 0;
    virtual void StepParticleEmitter() = 0;
    virtual void DrawParticleEmitter() = 0;
    // Deletes every particle object (on a map change).
    virtual void DeleteAllParticles() = 0;
};

// The character manager's side.
class IMapCharacters {
public:
    virtual ~IMapCharacters() = default;
    // The manager's characters-ready flag (its "field" and "online" flags).
    virtual bool AreCharsReady() = 0;
    // The player's tile, false while there is no player.
    virtual bool GetPlayerTile(int32_t* tileX, int32_t* tileY) = 0;
    // The player character's own animated object, or null.
    virtual CAniObject* GetPlayerAniObject() = 0;
    // Takes every character but the player's out of the manager's list.
    virtual void RemoveAllButPlayer() = 0;
    // The player's controller drops its per-map state (path, claimed cells).
    virtual void ResetPlayerMapState() = 0;
    // Tells every player character's display whether battle is possible here.
    virtual void SetPlayersBattleZone(bool battle) = 0;
    // The entity found under the id drops every linked object with the id.
    virtual void DropLinkedObject(uint32_t objectId) = 0;
    // The object entry the manager keeps for a server object id, or null.
    virtual CItemObject* FindObjectEntry(uint32_t objectId) = 0;
    // A character's map position (map units).
    virtual bool GetCharPosition(CChar* character, int32_t* x, int32_t* y) = 0;
};

// Install (null removes) a service; not owned.
void SetFieldEffects(IFieldEffects* effects);
void SetMapCharacters(IMapCharacters* characters);
// The installed services, or null.
IFieldEffects* GetFieldEffects();
IMapCharacters* GetMapCharacters();

using ScopedFieldEffects = plat::ScopedInstall<GetFieldEffects, SetFieldEffects>;
using ScopedMapCharacters = plat::ScopedInstall<GetMapCharacters, SetMapCharacters>;
