// CObjAni: one loaded animation, shared by every animated object that shows
// it. It holds the tree read from the file (motions, up to 16 directions each,
// layers, time-ordered nodes) and no playing state of its own: before each
// Update, Draw, DrawUnderlay or GetFrameBounds the animated object that plays
// it installs itself as the owner, and the animation reads the owner's motion,
// direction, start time, time scale and per-layer playing records.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_services.h"
#include "core/base_object.h"

class CAniNode;
class CAniObject;
class CObjAni;
class CObjSprite;

// Longest layer table kept: start frames are 16-bit and a ramp settles within
// 256 frames, so every entry past this one equals the last.
inline constexpr uint32_t ANI_MAX_TABLE_FRAMES = 65536 + 256;
// Animation files open as plain streams.
inline constexpr int ANI_FILE_OPEN_MODE = 2;

// One layer of a direction: its nodes in time order and the per-frame alpha
// and value tables made at load.
struct CAniLayer {
    uint8_t m_index = 0;
    std::vector<CAniNode*> m_slots;  // never empty slots after loading
    uint32_t m_endTime = 0;          // milliseconds
    std::vector<uint8_t> m_alphaTable;
    std::vector<uint8_t> m_valueTable;
    uint8_t m_blendMode = 0;  // set by layer-blend nodes at load
    uint8_t m_switch = 0;     // set and cleared by layer-switch nodes

    int32_t ElementCount() const { return int32_t(m_slots.size()); }
    // Frames the layer lasts (end time / 33).
    uint32_t FrameCount() const { return m_endTime / ANI_FRAME_MS; }
    // The table entries of the frame, clamped to the table.
    uint8_t AlphaAt(uint32_t frame) const;
    uint8_t ValueAt(uint32_t frame) const;
};

struct CAniMotion {
    CObjAni* m_pAni = nullptr;
    uint8_t m_id = 0;
    std::array<std::vector<CAniLayer>, ANI_DIRECTION_COUNT> m_layers;
    std::array<uint8_t, ANI_DIRECTION_COUNT> m_layerCount{};
    std::array<uint8_t, ANI_DIRECTION_COUNT> m_present{};
    std::array<uint16_t, ANI_DIRECTION_COUNT> m_height{};

    // The layer, or null outside the direction's layers.
    CAniLayer* Layer(uint32_t direction, uint32_t layer);
};

// A pool of nodes of one kind, one array allocated at load.
class CAniNodePool {
public:
    virtual ~CAniNodePool() = default;
    virtual CAniNode* At(uint32_t index) = 0;
    uint32_t m_size = 0;
    uint32_t m_cursor = 0;
};

class CObjAni : public CBaseObject {
public:
    CObjAni();
    ~CObjAni() override;

    bool Release() override;
    bool Draw() override;
    bool Update() override;

    // Reads the file of the animation number from the animation folder and
    // builds the tree. False, with one report, when the file cannot be read
    // or is refused.
    bool LoadAniFile(uint32_t number);
    // Builds the tree of a file already read. False when building fails (a
    // child animation that cannot be built leads back to one being loaded).
    bool Build(const AniFile& file);

    // A constructed node of the kind (0 to 18): from the kind's pool when the
    // file declares pools, else a new node; null for other kinds or a spent pool.
    CAniNode* CreateNode(uint32_t kind);
    // The nearest image-bearing node (image, mesh, toon) before the position,
    // stopping at a break node; null when none.
    CAniNode* FindPrevImageNode(CAniMotion* motion, uint32_t layer, int32_t position, uint32_t direction);
    CAniMotion* FindMotion(uint8_t id);

    // The underlay pass of the owner's current frames (shadows).
    bool DrawUnderlay();
    // The union of the owner's current frames on the screen; left 90000 means empty.
    AniRect GetFrameBounds(bool skipMesh);
    // The element of the layer current for the owner now; -1 before the first starts.
    int32_t CurrentElement(const CAniMotion* motion, const CAniLayer& layer, struct AniFrameLayer& record);

    int32_t m_refCount = 0;
    CAniObject* m_pOwner = nullptr;
    std::vector<CAniMotion> m_motions;
    CObjSprite* m_pSprites = nullptr;
    char m_name[128] = {};
    uint32_t m_number = 0;
    uint8_t m_resident = 0;
    int32_t m_heightExtent = 0;
    uint8_t m_version = 0;
    std::vector<AniPoolDecl> m_poolDecls;
    std::array<std::unique_ptr<CAniNodePool>, ANI_NODE_KIND_COUNT> m_pools;
    uint8_t m_hasValueRamp = 0;
    uint8_t m_hasAlphaRamp = 0;

    int32_t MotionCount() const { return int32_t(m_motions.size()); }

private:
    void Register(CAniMotion* motion, uint32_t direction, CAniLayer& layer, int32_t position, uint16_t start,
                  CAniNode* node);
    bool BuildDirection(CAniMotion* motion, const AniFileDirection& dir);
    void PostPass();
    void FillRampTables();
    // The owner's current motion record, or null.
    CAniMotion* OwnerMotion();
    // Calls f(motion, layer, record) for each layer of the owner's current
    // motion and direction while it returns true.
    template <class F>
    void ForEachOwnerLayer(F f);
    CAniNode* DrawElement(CAniMotion* motion, CAniLayer& layer, AniFrameLayer& record);
    void FreeTree();

    // Nodes not taken from a pool (files before version 11, end nodes).
    std::vector<std::unique_ptr<CAniNode>> m_ownedNodes;
};
