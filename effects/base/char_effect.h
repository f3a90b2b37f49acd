// Lasting animations a character carries (an item's glow, the manager's
// markers, a pet's preview effect), each under two keys, moved, updated and
// drawn with the character: layer 0 behind its image, layer 1 in front.
// Characters shown in windows place theirs in screen coordinates.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "world/chars/char_services.h"

class CAniObject;
class CChar;

// Placement kinds.
enum : int32_t {
    CHAR_EFFECT_OVER_HEAD = 0,    // over the owner's head
    CHAR_EFFECT_TURNS_LAYER = 3,  // turns with the owner, in front or behind by direction
    CHAR_EFFECT_TURNS = 4,        // turns with the owner
};
// Draw layers.
enum : uint32_t { CHAR_EFFECT_BEHIND = 0, CHAR_EFFECT_IN_FRONT = 1 };
// Height of an over-head effect above the top of the owner's image.
inline constexpr int32_t CHAR_EFFECT_HEAD_MARGIN = 20;

class CCharEffect {
public:
    CCharEffect() = default;
    virtual ~CCharEffect();
    CCharEffect(const CCharEffect&) = delete;
    CCharEffect& operator=(const CCharEffect&) = delete;

    virtual void Update();
    virtual void Draw();
    // Keys, owner and a new looping animation; the layer follows the kind.
    virtual void Init(CChar* owner, uint32_t key1, uint32_t key2, int32_t kind, uint16_t animation,
                      uint16_t motion, int32_t direction);
    // At a map point (an over-head effect at the owner's top).
    virtual void SetPosition(float x, float y);
    // At a screen point (the characters shown in windows).
    virtual void UpdateWith(int32_t x, int32_t y, int32_t z);
    virtual void SetFlag(int32_t value);

    uint32_t m_key1 = 0, m_key2 = 0;
    float m_x = 0, m_y = 0, m_height = 0;
    int32_t m_kind = 0;
    uint32_t m_layer = CHAR_EFFECT_BEHIND;
    std::unique_ptr<CAniObject> m_pAnimation;
    CChar* m_pOwner = nullptr;  // not owned

private:
    // The owner's top extent plus the margin for an over-head effect, else 0.
    int32_t HeadHeight() const;
};

// The effect list of one character; it owns its effects.
class CCharEffectMgr : public ICharEffectList {
public:
    explicit CCharEffectMgr(CChar* owner) : m_pOwner(owner) {}

    // An error box and nothing added when the key pair is taken.
    void AddEffect(CChar* owner, uint32_t key1, uint32_t key2, int32_t kind, uint16_t animation,
                   uint16_t motion, int32_t direction);
    CCharEffect* FindEffect(uint32_t key1, uint32_t key2) const;
    void RemoveAll();
    void UpdateAll();
    void SetAllFlags(int32_t value);
    void DrawBehindAll();
    void DrawInFrontAll();
    size_t GetCount() const { return m_effects.size(); }
    const std::vector<std::unique_ptr<CCharEffect>>& Effects() const { return m_effects; }

    // ICharEffectList (a taken pair is reported as above).
    bool AddEffect(uint32_t key1, uint32_t key2, int32_t kind, int32_t animation, int32_t motion,
                   int32_t direction) override;
    bool HasEffect(uint32_t key1, uint32_t key2) override { return FindEffect(key1, key2) != nullptr; }
    void RemoveEffect(uint32_t key1, uint32_t key2) override;
    void SetTranslucent(bool translucent) override { SetAllFlags(translucent ? 1 : 0); }
    void Update() override { UpdateAll(); }
    void DrawBehind() override { DrawBehindAll(); }
    void DrawInFront() override { DrawInFrontAll(); }
    void SetAllPositions(float x, float y) override;
    void UpdateAllWith(int32_t x, int32_t y, int32_t z) override;

private:
    CChar* m_pOwner;
    std::vector<std::unique_ptr<CCharEffect>> m_effects;  // oldest first
};

// The characters' effect lists (installed by the effects' start-up).
class CCharEffectLists : public ICharEffects {
public:
    std::unique_ptr<ICharEffectList> MakeEffectList(CChar* owner) override;
    std::unique_ptr<CCharStatusObject> MakeOverlay(int32_t kind, uint32_t skillId, uint32_t value,
                                                   CChar* owner) override;
};
