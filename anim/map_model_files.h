// The two files of a 3D map-object model, as records: the mesh ("%s.msh":
// materials and nodes with lit vertices, triangles, bones and bounds; versions
// 0 and 1) and the keyframes ("%s.kfd": one track of 4 x 4 matrices per node),
// with the image list files (".ifl") materials may name. Each is read,
// written, dumped and parsed through its layout (Transfer).
//
// Loading checks what drawing and animating index with: triangle corners
// against the node's vertices, face records against its triangles, bone
// weights against its vertices, and the material of every node that is drawn
// against the material array.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "anim/model_io.h"
#include "graphics/math3d.h"
#include "platform/raster/device3d.h"

using ModelVertex = plat::raster::LitVertex;

inline Vec3 PositionOf(const ModelVertex& v) {
    return {v.x, v.y, v.z};
}

struct ModelMaterial {
    std::string name;
    std::vector<uint8_t> block52, block32;  // kept as read
    uint8_t twoSided = 0;
    uint8_t shadeMode = 0;  // version 1 materials only
    uint8_t hasTexture = 0;
    // The texture block: 40 bytes, the texture file name (32), 324 bytes.
    std::vector<uint8_t> textureHead, textureTail;
    std::string textureName;
    uint8_t hasImageList = 0;
    std::string imageListName;
    std::vector<ModelMaterial> subs;  // a top-level material's sub-materials
    // The image list read with the mesh (names without their extension).
    std::vector<std::string> imageList;
    // The texture, loaded on first draw (0: none yet or none to be had).
    uint32_t textureId = 0;
    bool textureTried = false;
};

struct ModelFace {
    uint32_t triangle = 0;  // triangle number in the index array
    uint32_t rest[4] = {};
};

struct ModelBoneWeight {
    uint16_t vertex = 0;
    float weight = 0;
    uint32_t unused = 0;
};

struct ModelBone {
    uint32_t nodeId = 0;
    std::vector<ModelBoneWeight> weights;
};

constexpr uint8_t kModelNodeSkinned = 1;
constexpr uint8_t kModelNodeDummy = 3;  // neither drawn nor moved by tracks

struct ModelNode {
    uint8_t type = 0;
    std::string name;
    uint32_t id = 0;
    uint8_t hidden = 0;
    uint8_t hasParent = 0;
    std::string parentName;
    uint32_t vector[3] = {};
    uint8_t hasMatrix = 0;
    std::vector<uint8_t> matrixHead;  // 32 bytes before the matrix
    Matrix matrix{};
    uint32_t geometry[6] = {};  // words 1 and 2: vertex and face counts (version 1 has 3 words)
    std::vector<uint16_t> indices;
    std::vector<ModelVertex> vertices;
    std::vector<ModelFace> faces;
    // Version 0 only: a flag and the blocks skipped after the faces.
    uint8_t extraFlag = 0;
    std::vector<uint8_t> extra, extra2;
    uint32_t materialIndex = 0;
    uint32_t word = 0;
    std::vector<ModelBone> bones;  // skinned nodes only
    Vec3 boundsMin{}, boundsMax{};
};

struct ModelMeshData {
    uint32_t version = 1;  // five ASCII digits on file
    uint32_t words[3] = {};
    std::vector<ModelMaterial> materials;
    std::vector<ModelNode> nodes;
};

struct KeyframeTrack {
    uint32_t nodeId = 0;
    uint32_t keyCount = 0;
    uint8_t hasPositionKeys = 0;
    uint8_t hasTextureKeys = 0;
    std::vector<Matrix> positionKeys, textureKeys;  // keyCount each when present
};

struct KeyframeData {
    std::vector<uint8_t> header;  // 5 bytes, not interpreted
    uint32_t frameCount = 0;
    std::string name;
    std::vector<KeyframeTrack> tracks;
};

template <class IO>
void Transfer(IO& io, ModelMeshData& mesh);
template <class IO>
void Transfer(IO& io, KeyframeData& keys);

// Reading from the file's bytes with the checks above; false with the reason.
bool LoadModelMeshData(const uint8_t* data, size_t size, ModelMeshData& mesh, std::string* error = nullptr);
bool LoadKeyframeData(const uint8_t* data, size_t size, KeyframeData& keys, std::string* error = nullptr);

// An image list file: a count, then that many names. True with the names
// (each without its last four characters, at most 31 bytes) when the file
// could be read and holds at most 10 names.
constexpr size_t kMaxImageListNames = 10;
bool ReadImageList(const char* path, std::vector<std::string>& names);
