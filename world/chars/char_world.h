// The character manager as the layers below and beside it see it: the map's
// characters (IMapCharacters) and the animations' characters
// (IAniCharacters), both installed with the manager in its start-up slot.
#pragma once

class IAniCharacters;
class IMapCharacters;

IMapCharacters& MapCharacters();
IAniCharacters& AniCharacters();
