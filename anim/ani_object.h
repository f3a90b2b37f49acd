// CAniObject: the animated object through which everything animated reaches
// the screen (window parts, characters, effects, marks, the cursor). It shows
// a loaded animation (CObjAni, shared through CAniMgr), or instead an external
// picture or drawable; it knows which motion and facing direction play, since
// when, how fast and whether they loop; it sits at a screen position and, when
// placed on the field, at a map position; it carries colours, a fading alpha,
// a small tree of children drawn with it, a cached screen rectangle and an
// optional afterimage trail.
//
// Children: the object's list holds the object itself and its children in
// priority order (the object's own entry counts as priority 0), so children of
// negative priority are drawn under it and the others over it. The list does
// not own the children; an object that goes away leaves its parent's list and
// its children forget it.
#pragma once
#include <cstdint>
#include <vector>

#include "anim/ani_services.h"
#include "core/base_object.h"
#include "core/linked_list.h"

class CObjAni;
class CImageFileResource;
struct CAniMotion;

enum : uint8_t {
    ANI_KIND_DRAWABLE = 0,   // an external drawable object
    ANI_KIND_IMAGE = 1,      // an external 8-bit picture
    ANI_KIND_ANIMATION = 2,  // a loaded animation
};

inline constexpr int32_t ANI_MAX_FRAME_LAYERS = 30;
inline constexpr int32_t ANI_MAX_WALK = 50;  // entries of one per-frame walk, the object included
inline constexpr uint32_t ANI_NO_MOTION = 0xFFFFFFFF;
inline constexpr int32_t ANI_NO_POSITION = -1;
inline constexpr int32_t ANI_TILE_UNSET = -9999;
inline constexpr uint32_t ANI_DRAW_TYPE = 8;
inline constexpr uint8_t ANI_UNDERLAY_OFF_MODE = 99;
inline constexpr uint32_t ANI_TRAIL_LIFETIME_MS = 700;

// Option bytes of the user options block.
enum : size_t {
    ANI_OPT_CIRCLE_SHADOW = 32,  // characters cast the shared circle shadow
    ANI_OPT_HIDE_HIDEABLE = 37,  // hideable objects are not drawn
};

// Runtime ramp started by a ramp node (stored for the drawers).
struct AniRamp {
    uint32_t m_startTime = 0;
    int32_t m_step = 0;
    uint32_t m_limit = 0;
};

// The playing state of one layer of the current motion and direction.
struct AniFrameLayer {
    uint8_t m_done = 0;
    uint8_t m_index = 0;
    int32_t m_stepCurrent = -1;  // current element for stepping, -1 before the first
    int32_t m_drawCurrent = 0;   // current element for drawing
    uint32_t m_elementCount = 0;
    uint32_t m_lastTriggerTime = 0;
    int32_t m_lastTriggerPos = -1;
    uint32_t m_endTime = 0;
    uint32_t m_alpha = 255;
    AniRamp m_alphaRamp;
    uint32_t m_value = 0;
    AniRamp m_valueRamp;
    uint8_t m_blendMode = 0;

    // Back to the start of the motion.
    void Restart() {
        m_done = 0;
        m_stepCurrent = -1;
        m_drawCurrent = 0;
        m_lastTriggerPos = -1;
    }
};

// The external drawable of kind 0: its size and draw offset (owned by the object).
class IAniDrawable {
public:
    virtual ~IAniDrawable() = default;
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetOffsetX() = 0;
    virtual int32_t GetOffsetY() = 0;
};

// One captured afterimage of the trail.
struct AniAfterimage {
    uint32_t m_time = 0;
    IsoPoint m_scroll;  // the map's scroll position at capture
    int32_t m_left = 0, m_top = 0;
    int32_t m_width = 0, m_height = 0;
    uint32_t m_texture = 0;  // the captured picture, owned
};

class CAniObject : public CDragObject {
public:
    CAniObject();
    ~CAniObject() override;

    bool Release() override;
    bool Draw() override;
    bool Update() override;
    int32_t GetX() override { return m_screenX; }
    int32_t GetY() override { return m_screenY; }
    int32_t GetLayer() override { return m_layer; }
    int32_t GetType() override { return int32_t(ANI_DRAW_TYPE); }
    bool EndDrag() override;
    bool DrawAtCursor() override;
    bool UpdateAtCursor() override { return Update(); }

    // What is shown.
    // Attaches animation index (kind 2); false when it cannot be loaded. With
    // clear the object becomes kind 0 and nothing is loaded.
    bool SetAnimation(uint32_t index, bool clear = false);
    void SetSpriteRef(CImageFileResource* image);
    // Kind 0 with the drawable, owned from now on.
    void SetDrawable(IAniDrawable* drawable);
    // The attached animation (null when none, or when it was freed meanwhile).
    CObjAni* GetAni() const;

    // Playing (the recursive ones apply to the children as well).
    void SetMotion(uint8_t motionId);
    void SetDirection(uint8_t direction);
    void Play(bool loop);
    void Stop();
    void ResetLayers();
    void SetScale(float scale);
    // Rebuilds the playing records from the current motion and direction
    // (falling back to the nearest lower direction the motion has); false when
    // neither the direction nor any below it is there.
    bool SetupLayers();

    // Position.
    void SetScreenPosition(int32_t x, int32_t y, int32_t z);
    void SetMapPosition(int32_t x, int32_t y, int32_t z);
    // First point to the first tile; the second likewise unless a coordinate is -9999.
    void SetTileRange(IsoPoint first, IsoPoint second);

    // Looks.
    void SetUnderlay(bool on);
    void SetColor(uint8_t mode, uint32_t value, const uint8_t* rgba = nullptr);
    // 255 leaves a bit as it is.
    void SetFadeFlags(uint8_t bit0, uint8_t bit1);
    void SetFlag126(uint8_t value);
    uint8_t GetFlag126() const { return m_flag126; }
    void SetFlag148(uint8_t value);
    void SetFlag149(uint8_t value);
    void SetHideable(uint8_t value);
    // The resident flag of the attached animation.
    void SetAniFlag(uint8_t value);
    void SetRenderTarget(uint32_t explicitTarget, uint32_t defaultTarget);
    void GetRenderTarget(uint32_t* explicitTarget, uint32_t* defaultTarget) const;

    // Owner character.
    void SetOwner(CChar* owner);
    void ClearOwner();

    // Queries.
    AniFrameLayer* GetLayerRecord(int32_t index);
    CAniMotion* GetCurrentMotionRecord() const;
    int32_t GetCurrentMotionId() const;
    bool IsMotionMissing(uint8_t motionId, int32_t direction) const;
    bool HasMotion() const;
    AniRect GetBounds(bool underlay, bool drawerFlag);
    int32_t GetWidth();
    int32_t GetHeight();
    int32_t GetAniTopExtent() const;
    bool IsHitAt(int32_t x, int32_t y);

    // Children.
    bool HasChild(const CAniObject* object) const;
    CAniObject* FindChildByAniIndex(uint32_t index) const;
    CAniObject* DetachChildByAniIndex(uint32_t index);
    void AttachToParent(CAniObject* parent, int32_t priority);
    void DetachFromParent(CAniObject* parent);
    // The list entries, the object itself included, in drawing order.
    std::vector<CAniObject*> Entries() const;

    // Tiled drawing between two coordinates.
    void DrawTiledX(int32_t x0, int32_t x1, int32_t y);
    void DrawTiledXFromRight(int32_t x0, int32_t x1, int32_t y);
    void DrawTiledY(int32_t y0, int32_t y1, int32_t x);
    void DrawTiledYFromBottom(int32_t y0, int32_t y1, int32_t x);

    // Afterimage trail.
    void StartTrail();
    void StopTrail() { m_trailOn = 0; }
    void ClearTrail();
    void UpdateTrail();
    void DrawTrail();
    // Draws the object's silhouette into a new texture of its bounds and keeps
    // it as an afterimage; false when the bounds are empty or 255 pixels or more.
    bool CaptureAfterimage();

    // One drawing pass of the object and its children.
    void DrawPass(bool underlay);

    // Fields (other layers read and write several of them directly).
    uint8_t m_kind = ANI_KIND_ANIMATION;
    int32_t m_layer = 5;
    uint8_t m_targetExplicit = 0;
    uint32_t m_explicitTarget = 0;  // a texture of the texture cache
    uint32_t m_defaultTarget = 0;   // 0: the Direct3D layer's render target
    int32_t m_screenX = 0, m_screenY = 0, m_screenZ = 0;
    int32_t m_mapX = ANI_NO_POSITION, m_mapY = ANI_NO_POSITION, m_mapZ = ANI_NO_POSITION;
    int32_t m_drawOffsetX = 0, m_drawOffsetY = 0;
    uint32_t m_motionCount = 0;
    uint32_t m_currentMotion = ANI_NO_MOTION;
    uint8_t m_hideable = 0;
    uint8_t m_direction = 1;
    uint8_t m_layerDirection = 1;  // the direction whose layers play (after the fallback)
    uint8_t m_angleSet = 0;
    float m_angle = 0.0f;
    uint8_t m_underlayOn = 0;
    uint8_t m_underlayMode = 0;
    uint8_t m_fadeBits = 0;
    uint8_t m_trailOn = 0;
    uint8_t m_colorMode = 0;
    uint8_t m_color[4] = {255, 255, 255, 255};  // red, green, blue, alpha
    uint32_t m_colorValue = 0;
    uint8_t m_spriteByte = 0;
    uint8_t m_flag126 = 0;
    uint8_t m_spriteSwitch = 0;
    uint8_t m_clipOn = 0;
    uint8_t m_colorSwitch = 0;
    AniRect m_clip;
    uint8_t m_flag148 = 0, m_flag149 = 0;
    uint8_t m_stopped = 0;
    uint8_t m_stopRequest = 0;
    uint8_t m_loop = 0;
    uint8_t m_hidden = 0;
    int32_t m_priority = 0;
    CAniObject* m_pParent = nullptr;
    uint32_t m_startTime = 0;
    uint8_t m_offScreen = 0;
    uint8_t m_keepResource = 0;
    IAniDrawable* m_pDrawable = nullptr;  // owned
    CImageFileResource* m_pImage = nullptr;
    int32_t m_imageOffsetX = 0, m_imageOffsetY = 0;
    uint8_t m_imageMode = 0;
    AniFrameLayer m_frameLayers[ANI_MAX_FRAME_LAYERS];
    int32_t m_layerCount = 0;
    uint32_t m_attachedSurface = 0;
    AniRect m_bounds;
    uint32_t m_frame3DPeriod = 33;
    CChar* m_pOwner = nullptr;
    uint32_t m_ownerId = 0;
    uint8_t m_attached = 0;
    uint32_t m_trailTime = 0;
    uint32_t m_trailInterval = 50;
    std::vector<AniAfterimage> m_afterimages;
    IsoPoint m_tile2{ANI_TILE_UNSET, ANI_TILE_UNSET};
    IsoPoint m_tile1{-1, -1};
    uint8_t m_drawColorFlag = 1;
    uint8_t m_drawColor[4] = {255, 255, 255, 255};  // red, green, blue, alpha
    uint16_t m_alpha = 255;
    float m_timeScale = 1.0f;

private:
    using EntryList = CLinkedList<CAniObject, ListDeleteNone>;
    // Copies up to ANI_MAX_WALK entries for a walk that may change the list.
    int32_t CopyEntries(CAniObject** out) const;
    // Priority of an entry as the list orders it (the object itself counts 0).
    int32_t EntryPriority(const CAniObject* entry) const { return entry == this ? 0 : entry->m_priority; }
    void ForgetChildren();
    void ReleaseAnimation();
    void ReleaseAttachedSurface();
    void DrawImage();
    template <class F>
    void ForEachChild(F f);
    // Tiled drawing, one axis.
    void DrawTiled(int32_t from, int32_t to, int32_t other, bool vertical, bool backwards);

    CWeakRef m_aniRef;
    EntryList m_entries;
};
