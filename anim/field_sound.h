// What the map asks of the sound manager: effects by name, music lists and the
// looping sounds of a stage's sound spots. The sound manager implements it and
// installs it while it exists; without it the field is silent.
#pragma once
#include <cstdint>

#include "platform/seam.h"

class CChar;

class IFieldSound {
public:
    virtual ~IFieldSound() = default;
    // The effect id of a name; 0 when there is none.
    virtual uint16_t FindEffectIdByName(const char* name) = 0;
    // Plays an effect; x = -1 plays it without position.
    virtual void PlaySoundEffect(uint32_t effectId, int32_t x, int32_t y, int32_t playArgument) = 0;
    // Starts a music list.
    virtual void ChangeMusicList(uint32_t list) = 0;
    // Starts the music list the music name table gives the name; false (the
    // music goes on) for a name it does not hold.
    virtual bool PlayMusicByName(const char* name) {
        (void)name;
        return false;
    }
    // Whether the sound spots of a map play (the user's switch).
    virtual bool AreSoundSpotsOn() = 0;
    // Fades the music out.
    virtual void FadeOutMusic() {}
    // The looping sound of a slot (a stage's sound spot); positional places it
    // at the map point (x, y), else it plays at the volume everywhere.
    virtual void PlaySlotSound(uint32_t slot, uint32_t effectId, int32_t x, int32_t y, bool positional,
                               uint8_t volume) = 0;
    virtual void StopSlotSound(uint32_t slot) = 0;
    // The impact sound of a hit for the pair (forced: the skill asks for it).
    virtual void PlayHitSound(CChar* attacker, CChar* target, bool forced) {
        (void)attacker, (void)target, (void)forced;
    }
};

// Installs (null removes) the sound manager's side; not owned.
void SetFieldSound(IFieldSound* sound);
// The installed one, or null.
IFieldSound* GetFieldSound();

using ScopedFieldSound = plat::ScopedInstall<GetFieldSound, SetFieldSound>;
