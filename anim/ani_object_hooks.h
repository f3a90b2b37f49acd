// The animated objects as the lower layers use them, installed with the
// animation manager at start-up: the drawable object base (core/draw_object.h)
// makes its objects through hooks, and the character resource tables draw
// their circle shadow with an animated object of the named animation.
#pragma once
#include <memory>

class IAniObjectHooks;
class IShadowSprite;

// The hooks that make, delete and read CAniObjects.
IAniObjectHooks* GetAniObjectHooks();
// The shadow's object for the animation name (looked up through the installed
// name lookup, AniServices::findAniByName); null when the name or the
// animation cannot be had.
std::unique_ptr<IShadowSprite> MakeShadowSprite(const char* animationName);
