#include "world/map/map_services.h"

namespace {
IFieldEffects* g_fieldEffects = nullptr;
IMapCharacters* g_mapCharacters = nullptr;
}  // namespace

void SetFieldEffects(IFieldEffects* effects) {
    g_fieldEffects = effects;
}
void SetMapCharacters(IMapCharacters* characters) {
    g_mapCharacters = characters;
}
IFieldEffects* GetFieldEffects() {
    return g_fieldEffects;
}
IMapCharacters* GetMapCharacters() {
    return g_mapCharacters;
}
