#include "script/event_services.h"

namespace {
IEventSounds* g_eventSounds = nullptr;
IEventMovies* g_eventMovies = nullptr;
IEventEffects* g_eventEffects = nullptr;
}  // namespace

void SetEventSounds(IEventSounds* sounds) {
    g_eventSounds = sounds;
}
IEventSounds* GetEventSounds() {
    return g_eventSounds;
}

void SetEventMovies(IEventMovies* movies) {
    g_eventMovies = movies;
}
IEventMovies* GetEventMovies() {
    return g_eventMovies;
}

void SetEventEffects(IEventEffects* effects) {
    g_eventEffects = effects;
}
IEventEffects* GetEventEffects() {
    return g_eventEffects;
}
