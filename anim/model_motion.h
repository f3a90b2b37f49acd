// Procedural motion of named map-object model nodes: before the keyframes,
// the private copy goes back to the rest pose and water surfaces ("SEAOBJ",
// "SEAOBJ2") ripple in rings round a centre point ("CENTEROBJ") and are re-lit
// face by face.
#pragma once
#include <cstdint>
#include <vector>

#include "anim/map_model_files.h"
#include "graphics/math3d.h"

// The private copy of a node: its own triangle corners and vertices (the rest
// of the node is read from the shared mesh).
struct ModelNodeCopy {
    std::vector<uint16_t> indices;
    std::vector<ModelVertex> vertices;
};

// Puts every node's copy back to the rest pose of its mesh node and moves the
// named ones.
void AnimateNamedNodes(const std::vector<ModelNode>& nodes, std::vector<ModelNodeCopy>& copy);

// The ripple centre shared by every model (kept until a model with a
// "CENTEROBJ" node sets it again).
Vec3 GetRippleCentre();
void SetRippleCentre(const Vec3& centre);

// What a node name means to the motion: its title (no folder, no extension),
// upper-cased, compared with and without a leading '"'.
enum class NamedNode { kOther, kCentre, kSea, kSea2 };
NamedNode ClassifyNodeName(const char* name);
