// Toon-shaded 3D objects: CToonObjMgr shares the mesh, animation and material
// files among all objects that name them and shares assembled objects that
// name the same three files; a CToonObject evaluates its animation at a time,
// skins its meshes, shades them with a one-dimensional light ramp (or plain
// lighting), outlines their silhouettes and draws them through the Direct3D
// layer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "anim/model_support.h"
#include "anim/toon_files.h"
#include "core/linked_list.h"
#include "graphics/math3d.h"

class CToonObjMgr;

// The per-object state of one mesh node (a tree parallel to the mesh's).
struct ToonNodeState {
    Matrix parent{}, world{};
    std::vector<uint8_t> boneSlots;  // 4 a vertex: bone number + 1, 0 = free
    std::vector<float> weights;      // 3 a vertex; the fourth is 1 minus their sum
    Vec3 boundsMin{}, boundsMax{};   // drawn positions in world units (empty: min > max)
    const ToonAnimNode* anim = nullptr;
    struct Bone {
        const ToonNodeState* state = nullptr;  // null when no node has the bone's name
        Matrix matrix{};
    };
    std::vector<Bone> bones;
    std::vector<const ToonMaterialDef*> materials;  // a vertex, null: none
    std::vector<ToonVertex> edgeQuads;
    std::vector<uint16_t> edgeIndices;
    uint32_t edgeCount = 0;
    std::vector<ToonNodeState> children;
};

// Animations draw toon objects through the IAniToonObject service.
class CToonObject : public IAniToonObject {
public:
    CToonObject(CToonObjMgr* manager, ToonMesh* mesh, ToonMaterial* material, ToonAnim* anim);
    ~CToonObject() override;
    CToonObject(const CToonObject&) = delete;
    CToonObject& operator=(const CToonObject&) = delete;

    // Loads the shading ramp from the texture folder (nothing when that name is loaded).
    void SetShadeTexture(const char* fileName);
    void SetToonMode(uint8_t mode) override { m_toonMode = mode; }
    float GetScale() const;
    // Milliseconds from the first to the last frame of the animation; 0 without one.
    uint32_t GetDuration() const;
    // Poses every node at a time in milliseconds and skins the meshes.
    void Animate(uint32_t timeMs, bool flag = false);
    // Places the object at a world point, turned about the vertical axis by
    // facing degrees and, with tilt, tilted by -30 degrees; sets the world and
    // direction matrices.
    void PlaceAt(float worldX, float worldY, float facingDegrees, bool tilt);
    void Draw();
    // The bounding box of the posed, drawn nodes on the screen (empty without any).
    ModelRect GetScreenBounds() const;

    // As an animation's toon node draws it (DrawToonObject).
    uint32_t GetDurationMs() override { return GetDuration(); }
    void Draw(const AniModelPose& pose) override;
    AniRect GetScreenRect(const AniModelPose& pose) override;

    const std::string& MeshPath() const;
    const std::string& AnimPath() const;
    const std::string& MaterialPath() const;
    ToonMesh* Mesh() const { return m_mesh; }
    ToonAnim* Anim() const { return m_anim; }
    ToonMaterial* Material() const { return m_material; }
    const std::vector<ToonNodeState>& States() const { return m_states; }
    uint32_t ShadeTextureId() const { return m_shadeTextureId; }

    uint32_t m_refCount = 0;
    Matrix m_world{};
    Matrix m_direction{};
    uint32_t m_toonMode = 0;   // 1: toon shading and outlines, 0: plain lighting
    uint32_t m_blendMode = 0;  // 0 alpha blending, 1 additive, else left as it is
    float m_alpha = 1.0f;

private:
    friend class CToonObjMgr;
    void BuildStates(const ToonNode& node, ToonNodeState& state);
    void BindAnimation(const std::vector<ToonNode>& nodes, std::vector<ToonNodeState>& states);
    void BindBones(std::vector<ToonNodeState>& states);
    void BindMaterials(const std::vector<ToonNode>& nodes, std::vector<ToonNodeState>& states);
    void Evaluate(const ToonNode& node, ToonNodeState& state, double ticks, double keyLength);
    void Skin(ToonNode& node, ToonNodeState& state);
    void DrawNode(ToonNode& node, ToonNodeState& state);
    void LightToon(ToonNode& node, const ToonNodeState& state);
    void LightPlain(ToonNode& node, const ToonNodeState& state);
    void BuildOutlines(ToonNode& node, ToonNodeState& state);
    const ToonMaterialDef* NodeMaterial(const ToonNode& node) const;
    uint32_t AlphaByte(const ToonMaterialDef& m) const;

    CToonObjMgr* m_manager;
    ToonMesh* m_mesh;
    ToonMaterial* m_material;
    ToonAnim* m_anim;
    std::vector<ToonNodeState> m_states;
    std::string m_shadeName;
    uint32_t m_shadeTextureId = 0;
    std::vector<Matrix> m_boneTable;  // reused by every skinned node
};

class CToonObjMgr {
public:
    CToonObjMgr();
    ~CToonObjMgr();
    CToonObjMgr(const CToonObjMgr&) = delete;
    CToonObjMgr& operator=(const CToonObjMgr&) = delete;

    bool Init();
    // The shared object of the three files (one more reference), or null when
    // one of them cannot be loaded.
    CToonObject* GetObject(const char* meshPath, const char* animPath, const char* materialPath);
    // One reference less; at none the object goes, and with it one reference
    // of each of its files (a file at none goes too).
    void ReleaseObject(CToonObject* object);
    // Frees every object and file whatever their counts.
    void Shutdown();

    int32_t ObjectCount() const { return m_objects.Count(); }
    int32_t MeshCount() const { return m_meshes.Count(); }
    int32_t AnimCount() const { return m_anims.Count(); }
    int32_t MaterialCount() const { return m_materials.Count(); }

private:
    friend class CToonObject;
    ToonMesh* AcquireMesh(const char* path);
    ToonAnim* AcquireAnim(const char* path);
    ToonMaterial* AcquireMaterial(const char* path);
    void ReleaseMesh(ToonMesh* mesh);
    void ReleaseAnim(ToonAnim* anim);
    void ReleaseMaterial(ToonMaterial* material);

    CLinkedList<ToonMaterial> m_materials;
    CLinkedList<ToonAnim> m_anims;
    CLinkedList<ToonMesh> m_meshes;
    CLinkedList<CToonObject> m_objects;
};

extern CToonObjMgr* g_pToonObjMgr;

// How an animation's toon node draws an object (AniModelPose: the screen
// point, the time into its animation, the facing in degrees, the tilt, alpha
// 0..1 and the blend mode, 1 additive).
// Poses the object there and draws it with clockwise culling and a cleared
// depth buffer; afterwards the depth test is off, culling counter-clockwise
// and blending back to normal alpha blending.
void DrawToonObject(CToonObject& object, const AniModelPose& pose);
// The object's screen rectangle posed there.
ModelRect ToonObjectScreenRect(CToonObject& object, const AniModelPose& pose);

// Frees the textures a material file holds (its maps load them on first use).
void ReleaseToonMaterialTextures(ToonMaterial& material);
