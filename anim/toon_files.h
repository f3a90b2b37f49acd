// The three files of a toon-shaded 3D object, as records: the mesh ("%4d.OBJ":
// a tree of nodes with vertices, normals, texture coordinates and triangle
// groups), the key-frame animation ("%4d.ANI": per-node transforms, keys and
// bone weights) and the materials ("%4d.MAT": colours and texture maps).
// Each is read, written, dumped and parsed through its layout (Transfer).
//
// Loading checks what the objects later index with: every face index against
// its node's vertices, nesting depth, the bone count a vertex slot can name,
// and the animation's time units (ticks per frame, milliseconds per frame and
// frames per key must be above 0, the start tick not after the end tick).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "anim/model_io.h"
#include "graphics/math3d.h"
#include "platform/raster/device3d.h"

// Position, diffuse, specular, texture coordinates and shade ramp coordinates.
using ToonVertex = plat::raster::LitVertex2;

struct ToonFaceGroup {
    int32_t subMaterial = 0;
    std::vector<uint16_t> indices;  // 3 a triangle
    // Each frame: the facing value of every triangle and the selected triangles.
    std::vector<float> facing;
    std::vector<uint16_t> drawIndices;
};

struct ToonEdge {
    uint16_t a = 0, b = 0;  // vertex indices
    uint32_t group1 = 0, triangle1 = 0;
    uint32_t group2 = 0, triangle2 = 0;
    uint8_t shared = 0;
};

constexpr uint32_t kToonNoParent = 0xFFFFFFFFu;
constexpr uint8_t kToonSkinnedNode = 2;

struct ToonNode {
    std::string name;  // binds animation nodes and bones
    uint8_t kind = 0;
    uint32_t value = 0;
    uint32_t parentLink = kToonNoParent;
    uint32_t materialIndex = 0;
    uint8_t hidden = 0;
    std::vector<ToonVertex> vertices;
    std::vector<uint8_t> subMaterials;
    std::vector<Vec3> normals;
    std::vector<ToonFaceGroup> groups;
    std::vector<ToonNode> children;
    std::vector<ToonEdge> edges;  // built after loading
    // Filled each frame by the object drawing it.
    std::vector<ToonVertex> drawn;
    std::vector<Vec3> drawnNormals;
};

struct ToonMesh {
    std::string path;
    uint16_t version = 2;
    uint16_t value = 0;
    uint16_t reserved = 0;
    float scalePercent = 100.0f;  // 100 for files before version 2
    std::string name;
    std::vector<ToonNode> roots;
    uint32_t refCount = 0;

    float Scale() const { return scalePercent * 0.01f; }
};

struct ToonTransformGroup {
    Vec3 translation{0, 0, 0};
    Quaternion rotation{0, 0, 0, 1};
    Quaternion scaleAxis{0, 0, 0, 1};
    Vec3 scale{1, 1, 1};
};

struct ToonScaleKey {
    Vec3 scale{1, 1, 1};
    Quaternion axis{0, 0, 0, 1};
};

struct ToonBone {
    std::string name;
    std::vector<uint32_t> vertices;  // the low 16 bits name the vertex
    std::vector<float> weights;
};

// Bones a node may carry: a vertex's bone slot holds the bone's number + 1 in a byte.
constexpr size_t kMaxToonBones = 254;

struct ToonAnimNode {
    std::string name;
    uint8_t flags[9] = {};
    Matrix fileMatrices[3] = {};  // as read
    ToonTransformGroup groups[3];
    // Built from the groups at load: bind (group 1), rest (group 2), third (group 3).
    Matrix bind{}, rest{}, third{};
    std::vector<Vec3> morphA, morphB;
    std::vector<Vec3> translationKeys;
    std::vector<Quaternion> rotationKeys;
    std::vector<ToonScaleKey> scaleKeys;
    uint8_t skin = 0;
    std::vector<ToonBone> bones;
};

struct ToonAnim {
    std::string path;
    uint16_t morph = 0;
    uint16_t reserved = 0;
    uint32_t startTick = 0, endTick = 0;
    uint32_t value = 0;
    uint32_t framesPerKey = 1, ticksPerFrame = 1, msPerFrame = 33;
    std::vector<ToonAnimNode> nodes;
    uint32_t refCount = 0;

    int32_t FirstFrame() const { return int32_t(startTick / ticksPerFrame); }
    int32_t LastFrame() const { return int32_t(endTick / ticksPerFrame); }
};

struct ToonMaterialMap {
    uint8_t type = 0;  // 0: no texture
    std::string fileName;
    uint32_t values[4] = {};
    uint8_t flag = 0;
    uint32_t value = 0;
    std::vector<ToonMaterialMap> children;
    // Loaded on first use.
    uint32_t textureId = 0;
    bool textureTried = false;
};

struct ToonMaterialDef {
    Vec3 colors[3] = {};  // as read
    float shininess = 0, intensity = 0, transparency = 0, ambientOffset = 0;
    uint8_t twoSided = 0;
    std::vector<ToonMaterialMap> maps;
    std::vector<ToonMaterialDef> subs;
    // At load: colour two x 255 and colour three x intensity x 255.
    Vec3 diffuse{}, specular{};
};

struct ToonMaterial {
    std::string path;
    uint16_t value = 0;
    uint16_t reserved = 0;
    std::vector<ToonMaterialDef> materials;
    uint32_t refCount = 0;
};

// Layouts.
template <class IO>
void Transfer(IO& io, ToonMesh& mesh);
template <class IO>
void Transfer(IO& io, ToonAnim& anim);
template <class IO>
void Transfer(IO& io, ToonMaterial& material);

// Loading from the file's bytes: the layout, then the checks and what is
// computed after reading (edges and the arrays drawing fills, matrices, scaled
// colours). False with the reason in error.
bool LoadToonMesh(const uint8_t* data, size_t size, ToonMesh& mesh, std::string* error = nullptr);
bool LoadToonAnim(const uint8_t* data, size_t size, ToonAnim& anim, std::string* error = nullptr);
bool LoadToonMaterial(const uint8_t* data, size_t size, ToonMaterial& material, std::string* error = nullptr);

// The edge list of a node: each triangle edge, shared when a second triangle
// has an edge with the same two end positions (either order).
void BuildToonEdges(ToonNode& node);
