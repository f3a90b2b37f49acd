// A map-object model's shared files, the mesh (CModelMesh) and the keyframes
// (CKeyframeSet), and the animator that poses a private copy of the mesh at a
// frame: the named-node motion, then the skinned nodes and the tracks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "anim/map_model_files.h"
#include "anim/model_motion.h"
#include "graphics/math3d.h"

class CModelMesh {
public:
    CModelMesh() = default;
    ~CModelMesh();
    CModelMesh(const CModelMesh&) = delete;
    CModelMesh& operator=(const CModelMesh&) = delete;

    // Reads "<3D object folder>\<fileName>" with its image lists; a file that
    // cannot be opened or read shows the load-failure box and gives false.
    bool Load(const char* fileName);
    // The node of an id (the first one), or -1.
    int32_t FindNode(uint32_t id) const;

    std::string m_fileName;
    std::string m_title;  // the file name without its last four characters
    ModelMeshData m_data;
    int32_t m_refCount = 0;
    // The manager's texture-ownership marker: when it is set, freeing the mesh
    // gives back the textures its materials loaded.
    const bool* m_textureOwner = nullptr;
};

class CKeyframeSet {
public:
    bool Load(const char* fileName);
    // The track of a node id, or null.
    const KeyframeTrack* FindTrack(uint32_t nodeId) const;
    uint32_t FrameCount() const { return m_data.frameCount; }

    std::string m_fileName;
    std::string m_title;
    KeyframeData m_data;
    int32_t m_refCount = 0;
};

class CModelAnimator {
public:
    void Init(CModelMesh* mesh, CKeyframeSet* keys);
    // Poses the private copy at a frame: the named-node motion, then the
    // skinned nodes and the tracks. False without keyframes or outside 0 .. frame count.
    bool Animate(int32_t frame);
    void SkinNode(int32_t frame, size_t node);

    CModelMesh* m_mesh = nullptr;
    std::vector<ModelNodeCopy> m_copy;
    CKeyframeSet* m_keys = nullptr;
    float m_frameStep = 1.0f;
};

// The inverse of an affine matrix (identity when its 3 x 3 part is singular).
Matrix AffineInverse(const Matrix& m);
