#include "sound/sound_services.h"

namespace {

ISoundEvents* g_soundEvents = nullptr;
ISoundCharacters* g_soundCharacters = nullptr;

}  // namespace

ISoundEvents* SetSoundEvents(ISoundEvents* events) {
    ISoundEvents* previous = g_soundEvents;
    g_soundEvents = events;
    return previous;
}

ISoundEvents* GetSoundEvents() {
    return g_soundEvents;
}

ISoundCharacters* SetSoundCharacters(ISoundCharacters* characters) {
    ISoundCharacters* previous = g_soundCharacters;
    g_soundCharacters = characters;
    return previous;
}

ISoundCharacters* GetSoundCharacters() {
    return g_soundCharacters;
}
