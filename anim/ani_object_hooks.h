// The animated objects as the lower layers use them, installed with the
// animation manager at start-up: the drawable object base (core/draw_object.h)
// makes its objects through hooks, and the character resource tables draw
// their circle shadow with an animated object of the named animation.
#pragma once

class IAniObjectHooks;
class IShadowSpriteFactory;

// The hooks that make, delete and read CAniObjects.
IAniObjectHooks& AniObjectHooks();
// Makes the shadow's object for the animation name (looked up through the
// installed name lookup, GetAniNameLookup); null when the name or the
// animation cannot be had.
IShadowSpriteFactory& AniShadowSprites();
