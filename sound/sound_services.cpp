#include "sound/sound_services.h"

namespace {

ISoundEvents* g_soundEvents = nullptr;
ISoundCharacters* g_soundCharacters = nullptr;

}  // namespace

void SetSoundEvents(ISoundEvents* events) {
    g_soundEvents = events;
}

ISoundEvents* GetSoundEvents() {
    return g_soundEvents;
}

void SetSoundCharacters(ISoundCharacters* characters) {
    g_soundCharacters = characters;
}

ISoundCharacters* GetSoundCharacters() {
    return g_soundCharacters;
}
