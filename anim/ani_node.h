// The nodes a layer of an animation is made of. Each has a start frame and a
// duration; while it is its layer's current element the animation calls its
// Draw every frame and its Execute every update (with the catch-up flag for
// elements the update skipped past). CAniNode is the base of every kind and
// itself the break node (kind 12).
#pragma once
#include <cstdint>

#include "anim/ani_file.h"
#include "anim/ani_services.h"

class CAniObject;
class CObjAni;
class CObjSprite;
class CSprite;
struct AniFrameLayer;
struct CAniLayer;
struct CAniMotion;

class CAniNode {
public:
    explicit CAniNode(uint8_t kind = ANI_NODE_BREAK) : m_kind(kind) {}
    virtual ~CAniNode() = default;
    CAniNode(const CAniNode&) = delete;
    CAniNode& operator=(const CAniNode&) = delete;

    // Milliseconds the node lasts.
    virtual uint32_t GetDuration() { return ANI_FRAME_MS; }
    virtual bool Draw() { return true; }
    virtual bool Execute(bool /*catchUp*/) { return true; }
    // Takes the node's fields from the file.
    virtual void Load(const AniFileElement& /*element*/, uint8_t /*version*/) {}

    // The animated object drawing the animation now (null when any link is missing).
    CAniObject* GetOwner() const;
    // The owner's playing record of the node's layer, or null.
    AniFrameLayer* GetRecord() const;
    // The layer record of the node's layer in the owner's direction, or null.
    CAniLayer* GetLayer() const;
    // The once-per-trigger guard: acts (true, and remembers this node) when the
    // record's last trigger lies behind this node's time or position; with
    // bothBehind only when both lie behind.
    bool TriggerOnce(bool bothBehind);
    // Owner start time + start x 33.
    uint32_t TriggerTime() const;

    uint8_t m_kind;
    CAniMotion* m_pMotion = nullptr;
    uint8_t m_layer = 0;
    uint16_t m_start = 0;
    uint32_t m_spare = 0;
    int32_t m_position = 0;
};

// Metrics of the picture a node shows.
struct AniImageMetrics {
    int32_t width = 0, height = 0;
    int32_t offsetX = 0, offsetY = 0;  // draw offset of the top-left corner
};

// Kind 0: one unit of a texture image.
class CAniImageNode : public CAniNode {
public:
    CAniImageNode() : CAniNode(ANI_NODE_IMAGE) {}
    uint32_t GetDuration() override { return uint32_t(m_hold) * ANI_FRAME_MS; }
    bool Draw() override;
    // Prepares the sprite at the owner's position; returns false.
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;

    // The picture's size and draw offset, from the sprite or else from the
    // texture image unit (0 when neither can be had).
    AniImageMetrics GetMetrics();
    // The screen rectangle of the frame drawn for the owner.
    AniRect GetBounds(CAniObject* owner);
    // Asks the animation's sprite object for this frame's sprite (at load).
    void AttachSprite(CObjSprite* sprites);
    // Positions the sprite for the owner drawing at (x, y).
    void PrepareSprite(int32_t x, int32_t y);
    // The underlay pass: the frame's shadow.
    void DrawShadow();
    // Draws the texture unit without a sprite.
    void DrawUnit(int32_t x, int32_t y, const uint8_t* colour);
    // The sprite's unit as an opaque white silhouette into the owner's texture target.
    void DrawSpriteSilhouette();

    CSprite* m_pSprite = nullptr;  // made at load, owned by the animation's sprite object
    uint16_t m_texture = 0;
    uint32_t m_unit = 0xFFFFFFFF;
    uint8_t m_mirror = 0;
    uint8_t m_flags = 0;
    int32_t m_x = 0, m_y = 0;
    int32_t m_x2 = 0, m_y2 = 0;
    uint8_t m_color[4] = {255, 255, 255, 255};  // alpha, red, green, blue
    uint8_t m_hold = 1;
};

// Kind 1: stands for an image for a number of frames (the loader folds holds
// into the image before them; this class serves code that builds holds itself).
class CAniHoldNode : public CAniNode {
public:
    CAniHoldNode() : CAniNode(ANI_NODE_HOLD) {}
    uint32_t GetDuration() override { return uint32_t(m_frames) * ANI_FRAME_MS; }
    bool Draw() override;
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;

    uint8_t m_frames = 0;
    CAniNode* m_pImage = nullptr;  // the image-bearing node it stands for
};

// Kind 2: raises the second hit counter of the character with the owner's id.
class CAniTargetCountNode : public CAniNode {
public:
    CAniTargetCountNode() : CAniNode(ANI_NODE_TARGET_COUNT) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint16_t m_value = 0;
};

// Kind 3: sets (mode 0) or clears (mode 3) the switch of a layer.
class CAniLayerSwitchNode : public CAniNode {
public:
    CAniLayerSwitchNode() : CAniNode(ANI_NODE_LAYER_SWITCH) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint8_t m_mode = 0;
    uint8_t m_target = 0;
};

// Kind 4: plays another animation as a child, made on first use.
class CAniChildNode : public CAniNode {
public:
    CAniChildNode() : CAniNode(ANI_NODE_CHILD) {}
    ~CAniChildNode() override;
    // The child's length; loads the child animation on first use.
    uint32_t GetDuration() override;
    bool Draw() override;
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;

    // Makes the child once; false when its animation cannot be had.
    bool MakeChild();

    CAniObject* m_pChild = nullptr;  // owned
    uint16_t m_animation = 0;
    uint16_t m_motion = 0;
    uint8_t m_direction = 0;
    int32_t m_x = 0, m_y = 0;
    uint32_t m_length = 0;
    bool m_tried = false;  // a child that could not be made is not tried again
};

// Kind 5: starts a map effect slot, or switches the owner's character's trail.
class CAniMapEffectNode : public CAniNode {
public:
    CAniMapEffectNode() : CAniNode(ANI_NODE_MAP_EFFECT) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint8_t m_mode = 0;
    uint8_t m_low = 0, m_high = 0;
};

// Kind 6: moves the owner among its parent's children.
class CAniOrderNode : public CAniNode {
public:
    CAniOrderNode() : CAniNode(ANI_NODE_ORDER) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    // Priority of an order code (0 for unknown codes).
    static int32_t PriorityOf(uint8_t code);
    uint8_t m_code = 0;
};

// Kind 7: plays a sound effect once per pass.
class CAniSoundNode : public CAniNode {
public:
    CAniSoundNode() : CAniNode(ANI_NODE_SOUND) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint16_t m_soundId = 0;
    uint8_t m_byte = 0;
    uint16_t m_word = 0;
    uint8_t m_positional = 0;
    uint16_t m_extra = 0;
};

// Kind 8: a 3D map-object model.
class CAniMeshNode : public CAniNode {
public:
    CAniMeshNode() : CAniNode(ANI_NODE_MESH) {}
    ~CAniMeshNode() override;
    uint32_t GetDuration() override;
    bool Draw() override;
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;

    // Loads the model once; null when it cannot be had.
    IAniMeshModel* GetModel();
    // The model's key frame for the owner now.
    int32_t CurrentFrame(CAniObject* owner) const;
    AniRect GetBounds();

    uint16_t m_model = 0;
    IAniMeshModel* m_pModel = nullptr;
    uint16_t m_frameCount = 0;
    int32_t m_x = 0, m_y = 0;
    uint8_t m_flag = 0;
    uint8_t m_hold = 1;
    uint8_t m_extra = 0;
    bool m_tried = false;
};

// Kinds 9 and 11: start a ramp of the alpha (9) or the value (11) of a layer.
class CAniRampNode : public CAniNode {
public:
    explicit CAniRampNode(uint8_t kind) : CAniNode(kind) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint8_t m_rising = 0;
    uint16_t m_step = 0;
    uint16_t m_limit = 0;
    uint16_t m_target = 0;
};

// Kind 10: the blend mode of a layer, applied at load.
class CAniLayerBlendNode : public CAniNode {
public:
    CAniLayerBlendNode() : CAniNode(ANI_NODE_LAYER_BLEND) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint16_t m_target = 0;
    uint8_t m_blendMode = 0;
};

// Kind 13: raises the first hit counter of the owner's character.
class CAniOwnerCountNode : public CAniNode {
public:
    CAniOwnerCountNode() : CAniNode(ANI_NODE_OWNER_COUNT) {}
    bool Execute(bool catchUp) override;
};

// Kind 14: sets the ratio of the owner's character.
class CAniOwnerPercentNode : public CAniNode {
public:
    CAniOwnerPercentNode() : CAniNode(ANI_NODE_OWNER_PERCENT) {}
    bool Execute(bool catchUp) override;
    void Load(const AniFileElement& e, uint8_t version) override;
    uint8_t m_value = 0;
};

// Kind 16: a particle effect template.
class CAniParticleNode : public CAniNode {
public:
    CAniParticleNode() : CAniNode(ANI_NODE_PARTICLE) {}
    ~CAniParticleNode() override;
    uint32_t GetDuration() override;
    bool Draw() override;
    void Load(const AniFileElement& e, uint8_t version) override;
    IAniParticleTemplate* GetTemplate();

    uint16_t m_effectId = 0xFFFF;
    int32_t m_x = -1, m_y = -1;
    IAniParticleTemplate* m_pTemplate = nullptr;
    bool m_tried = false;
};

// Kind 17: a toon-shaded 3D object.
class CAniToonNode : public CAniNode {
public:
    CAniToonNode() : CAniNode(ANI_NODE_TOON) {}
    ~CAniToonNode() override;
    uint32_t GetDuration() override;
    bool Draw() override;
    void Load(const AniFileElement& e, uint8_t version) override;

    IAniToonObject* GetObject();
    // Facing angle in degrees for the owner.
    float FacingAngle(CAniObject* owner) const;
    AniModelPose MakePose(CAniObject* owner, uint32_t timeMs) const;
    // The model's screen rectangle for the owner now (empty without a model).
    AniRect GetScreenRect(CAniObject* owner);

    uint16_t m_model = 0, m_motionSet = 0, m_material = 0;
    uint8_t m_tilt = 0;      // first flag: tilts the model, counts for the bounds
    uint8_t m_toonMode = 0;  // second flag: the object's mode switch
    uint8_t m_flag3 = 0, m_flag4 = 0;
    int32_t m_x = 0, m_y = 0;
    uint8_t m_facing = 0;
    CWeakRef m_object;
    bool m_tried = false;
};

// Kind 18: ends a layer; stands for the image before it.
class CAniEndNode : public CAniNode {
public:
    CAniEndNode() : CAniNode(ANI_NODE_END) {}
    bool Draw() override;
    // Sets the layer's done flag, then executes the image before it.
    bool Execute(bool catchUp) override;
    CAniNode* m_pImage = nullptr;
};

// The image node a node stands for: itself (image), its image (hold), or the
// end node's image when that is an image node; null otherwise.
CAniImageNode* ImageNodeOf(CAniNode* node);
// The same for mesh nodes.
CAniMeshNode* MeshNodeOf(CAniNode* node);
