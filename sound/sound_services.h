// What the sound manager reads of layers that are not built on it: the event
// manager's music volume and the characters of an impact. Each is installed by
// the layer that has it; while one is absent the manager takes its "missing"
// answer (full music volume, no impact sound).
#pragma once
#include <cstdint>
#include <utility>

#include "platform/seam.h"

class CChar;

class ISoundEvents {
public:
    virtual ~ISoundEvents() = default;
    // The music volume (0-127) the event commands set, applied while a visual
    // event runs.
    virtual int32_t GetEventMusicVolume() = 0;
};

// Character types as the character resource tables name them.
enum : uint16_t { SOUND_CHAR_PLAYER = 0, SOUND_CHAR_MONSTER = 2 };

class ISoundCharacters {
public:
    virtual ~ISoundCharacters() = default;
    // The character's type (0 player, 1 NPC, 2 monster, 3 pet) and its
    // resource id (a row of the table of that type).
    virtual uint16_t GetCharType(CChar* character) = 0;
    virtual uint32_t GetResourceId(CChar* character) = 0;
    // Where the character stands on the screen.
    virtual std::pair<int32_t, int32_t> GetScreenPoint(CChar* character) = 0;
};

// Install (null removes) a service; not owned. Each returns the previous one.
ISoundEvents* SetSoundEvents(ISoundEvents* events);
ISoundEvents* GetSoundEvents();
ISoundCharacters* SetSoundCharacters(ISoundCharacters* characters);
ISoundCharacters* GetSoundCharacters();

// Installs a service for the lifetime of the guard, then puts the previous one back.
using ScopedSoundEvents = plat::ScopedInstall<GetSoundEvents, SetSoundEvents>;
using ScopedSoundCharacters = plat::ScopedInstall<GetSoundCharacters, SetSoundCharacters>;
