// 3D map-object models: CMapModel3DMgr loads and shares meshes (".msh") and
// keyframe sets (".kfd") by file name with reference counts and keeps one
// MapModelEntry per model name; the entry's CMapModel3D plays the keyframes on
// a private copy of the mesh (CModelAnimator) and draws it with lit vertices
// through the Direct3D layer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "anim/map_model_files.h"
#include "anim/model_animator.h"
#include "anim/model_support.h"
#include "core/linked_list.h"
#include "graphics/math3d.h"

class CMapModel3DMgr;
struct MapModelEntry;

class CMapModel3D {
public:
    CMapModel3D(CMapModel3DMgr* manager, MapModelEntry* entry);
    ~CMapModel3D();
    CMapModel3D(const CMapModel3D&) = delete;
    CMapModel3D& operator=(const CMapModel3D&) = delete;

    void SetMesh(CModelMesh* mesh);
    void Play(float frame) {
        m_playing = true;
        m_frame = frame;
    }
    void Stop();
    void SetLoop(bool loop) { m_loop = loop; }
    void SetFrame(int32_t frame);
    int32_t GetFrameCount() const;
    // Steps a playing model on the screen; false once a model that does not loop ended.
    bool Update();
    void Draw(bool mirrored);
    ModelRect GetScreenBounds() const;
    // The model as an animation shows it at a key frame: a model with
    // keyframes plays and poses its copy there (on the screen only); one
    // without keeps its rest pose.
    void PoseAt(int32_t frame);

    CModelMesh* Mesh() const { return m_mesh; }
    CKeyframeSet* Keyframes() const { return m_keys; }
    CModelAnimator& Animator() { return m_animator; }
    bool IsPlaying() const { return m_playing; }
    float Frame() const { return m_frame; }

    Matrix m_world{};
    int32_t m_wholeFrame = 0;

private:
    friend class CMapModel3DMgr;
    bool OnScreen() const;
    void DrawMesh(bool privateCopy, bool mirrored);

    CModelMesh* m_mesh = nullptr;
    CMapModel3DMgr* m_manager;
    const bool* m_textureOwner = nullptr;
    float m_frame = 0.0f;
    bool m_playing = false;
    bool m_loop = false;
    CModelAnimator m_animator;
    CKeyframeSet* m_keys = nullptr;
    MapModelEntry* m_entry;
    std::vector<ModelVertex> m_scratch;  // the vertices of the node being drawn
};

// Animations draw map-object models through the IAniMeshModel service.
struct MapModelEntry : IAniMeshModel {
    std::string name;
    std::unique_ptr<CMapModel3D> model;
    bool active = false;
    Vec3 position{0, 0, 0};
    Vec3 rotation{0, 0, 0};  // radians
    Vec3 scale{0, 0, 0};
    float alpha = 1.0f, glow = 0.0f;
    int32_t useCount = 0;
    int32_t screenX = 0, screenY = 0;

    void SetScreenPosition(int32_t sx, int32_t sy) override;
    void Rotate(float dx, float dy, float dz);
    void SetRotation(float x, float y, float z);
    void SetAlpha(float a) { alpha = a; }
    void SetGlow(float g) { glow = g; }
    // Turns about z from point 2 towards point 1 (screen points; -9999 for the
    // stored screen x or y).
    void TurnToward(float x1, float y1, float x2, float y2);
    void BuildWorldMatrix();
    // The model's per-frame update (false once a model that does not loop ended).
    bool Update() { return model ? model->Update() : true; }
    // Mirrored: turned by pi about y, with the cull modes swapped.
    void Draw(bool mirrored);

    // As an animation's mesh node draws it: blend mode and alpha of its layer,
    // placed at the pose's point, turned along the owner's tiles (and tilted
    // by pi/6) when it has them, posed at the pose's key frame and drawn
    // mirrored by the node's flag.
    uint32_t GetFrameCount() override { return model ? uint32_t(model->GetFrameCount()) : 1; }
    void Draw(const AniModelPose& pose) override;
    AniRect GetScreenBounds() override;
};

class CMapModel3DMgr {
public:
    CMapModel3DMgr() = default;
    ~CMapModel3DMgr();
    CMapModel3DMgr(const CMapModel3DMgr&) = delete;
    CMapModel3DMgr& operator=(const CMapModel3DMgr&) = delete;

    // The entry of the name, made with its model when there is none.
    MapModelEntry* AddModel(const char* name);
    void ReleaseModel(const char* name);
    MapModelEntry* FindModel(const char* name);
    void RemoveModel(const char* name);
    void RemoveAllModels();

    bool LoadMesh(const char* fileName);
    bool LoadKeyframes(const char* fileName);
    CModelMesh* FindMesh(const char* fileName);
    CKeyframeSet* FindKeyframes(const char* fileName);
    void ReleaseMesh(const char* fileName);
    void ReleaseKeyframes(const char* fileName);

    int32_t EntryCount() const { return m_entries.Count(); }
    int32_t MeshCount() const { return m_meshes.Count(); }
    int32_t KeyframeCount() const { return m_keyframes.Count(); }
    const bool* TextureOwner() const { return &m_ownsTextures; }

private:
    CLinkedList<MapModelEntry> m_entries;
    CLinkedList<CKeyframeSet> m_keyframes;
    CLinkedList<CModelMesh> m_meshes;
    bool m_ownsTextures = true;
};

extern CMapModel3DMgr* g_pMapModel3DMgr;

// Lights the faces of a node by its material's shade mode (1 diffuse, 2
// specular, 3 both; 0 leaves the colours).
void ShadeFaces(const ModelNode& node, std::vector<ModelVertex>& vertices,
                const std::vector<uint16_t>& indices, uint8_t mode);
