// Procedural motion of named map-object model nodes: before the keyframes,
// the private copy goes back to the rest pose and water surfaces ("SEAOBJ",
// "SEAOBJ2") ripple in rings round a centre point ("CENTEROBJ") and are re-lit
// face by face.
#pragma once
#include "graphics/math3d.h"

class CModelAnimator;

void AnimateNamedNodes(CModelAnimator& animator);

// The ripple centre shared by every model (kept until a model with a
// "CENTEROBJ" node sets it again).
Vec3 GetRippleCentre();
void SetRippleCentre(const Vec3& centre);

// What a node name means to the motion: its title (no folder, no extension),
// upper-cased, compared with and without a leading '"'.
enum class NamedNode { kOther, kCentre, kSea, kSea2 };
NamedNode ClassifyNodeName(const char* name);
