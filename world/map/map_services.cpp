#include "world/map/map_services.h"

namespace {
IFieldSound* g_fieldSound = nullptr;
IFieldEffects* g_fieldEffects = nullptr;
IMapCharacters* g_mapCharacters = nullptr;
}  // namespace

void SetFieldSound(IFieldSound* sound) {
    g_fieldSound = sound;
}
void SetFieldEffects(IFieldEffects* effects) {
    g_fieldEffects = effects;
}
void SetMapCharacters(IMapCharacters* characters) {
    g_mapCharacters = characters;
}
IFieldSound* GetFieldSound() {
    return g_fieldSound;
}
IFieldEffects* GetFieldEffects() {
    return g_fieldEffects;
}
IMapCharacters* GetMapCharacters() {
    return g_mapCharacters;
}
