// What a character shows while a timed skill state lies on it: animations
// at its feet, over its head or on its body, a tint of its own image, or a
// ring of animations turning around it (one kind also sends flying hit
// marks to the characters it strikes). The character's data makes one when
// the state begins, shows and hides it with the character and deletes it
// when the state ends.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "world/chars/char_controller.h"

class CAniObject;
class CChar;

// Overlay kinds (the skill table's overlay column).
enum : uint32_t {
    OVERLAY_GROUND = 1,
    OVERLAY_HEAD = 2,
    OVERLAY_BODY = 3,
    OVERLAY_TINT = 4,
    OVERLAY_FOOT = 5,
    OVERLAY_RING = 6,
    OVERLAY_STRIKE_RING = 7,
};

// The ring's slots, and the most animations it shows.
inline constexpr int32_t RING_SLOTS = 30;
inline constexpr int32_t RING_MOST = 29;
// The tint's time.
inline constexpr uint32_t TINT_OVERLAY_MS = 1000;
// A flying hit mark's animation.
inline constexpr uint32_t HIT_MARK_ANI = 3213;

class CCharOverlay : public CCharStatusObject {
public:
    explicit CCharOverlay(uint32_t kind) : CCharStatusObject(0), m_kind(kind) {}
    ~CCharOverlay() override;

    // The fields cleared, no light.
    bool Create() override;
    // Both animations out of the owner's draw list and deleted.
    bool Release() override;
    bool Draw() override { return true; }
    bool Update() override { return true; }
    void ShowOverlay() override;
    void HideOverlay() override;
    // The character moved: the overlay follows.
    void Follow(int32_t, int32_t) override { FollowOwner(); }
    virtual void FollowOwner() {}
    virtual void Setup(uint32_t skillId, uint32_t value, CChar* owner);

    uint32_t Kind() const { return m_kind; }
    uint32_t SkillId() const { return m_statusId; }
    bool IsVisible() const { return m_visible != 0; }
    CAniObject* Animation(int n) const { return n == 0 ? m_pAni1.get() : m_pAni2.get(); }

protected:
    // The skill's first (reference 56) or second (57) animation, played
    // once or looping on the layer; null when the reference names none.
    std::unique_ptr<CAniObject> MakeFromSkill(bool second, bool loop, int32_t layer) const;
    // The owner's body height (its animated object's top extent).
    int32_t OwnerTop() const;
    void PlaceAt(CAniObject* object, int32_t height) const;

    uint32_t m_kind;
    uint32_t m_hidden = 0;
    std::unique_ptr<CAniObject> m_pAni1, m_pAni2;
    int32_t m_lightId = -1;
    CChar* m_pOwner = nullptr;  // not owned
    uint8_t m_visible = 0;
};

// Kind 1: one animation at the owner's feet, queued for drawing.
class CGroundOverlay : public CCharOverlay {
public:
    CGroundOverlay() : CCharOverlay(OVERLAY_GROUND) {}
    void Setup(uint32_t skillId, uint32_t value, CChar* owner) override;
    void FollowOwner() override;
    bool Update() override;
    bool Draw() override;

protected:
    explicit CGroundOverlay(uint32_t kind) : CCharOverlay(kind) {}
    virtual int32_t Height() const { return 0; }
};

// Kind 2: one animation over the owner's head, drawn with the owner.
class CHeadOverlay : public CGroundOverlay {
public:
    CHeadOverlay() : CGroundOverlay(OVERLAY_HEAD) {}
    void Setup(uint32_t skillId, uint32_t value, CChar* owner) override;
    void ShowOverlay() override;
    void HideOverlay() override;
    bool Draw() override { return true; }

protected:
    int32_t Height() const override { return OwnerTop(); }
};

// Kind 3: two animations on the owner's body, replayed until they end
// together.
class CBodyOverlay : public CCharOverlay {
public:
    CBodyOverlay() : CCharOverlay(OVERLAY_BODY) {}
    void Setup(uint32_t skillId, uint32_t value, CChar* owner) override;
    void ShowOverlay() override;
    void HideOverlay() override;
    void FollowOwner() override;
    bool Update() override;

protected:
    explicit CBodyOverlay(uint32_t kind) : CCharOverlay(kind) {}
    virtual int32_t Height() const { return OwnerTop() / 2; }
    virtual bool LoopReplay() const { return false; }
};

// Kind 5: as kind 3, at the owner's feet, the replay looping.
class CFootOverlay : public CBodyOverlay {
public:
    CFootOverlay() : CBodyOverlay(OVERLAY_FOOT) {}

protected:
    int32_t Height() const override { return 0; }
    bool LoopReplay() const override { return true; }
};

// Kind 4: the owner's image tinted for a second.
class CTintOverlay : public CCharOverlay {
public:
    CTintOverlay() : CCharOverlay(OVERLAY_TINT) {}
    void Setup(uint32_t skillId, uint32_t value, CChar* owner) override;
    void ShowOverlay() override;
    void HideOverlay() override;
    bool Update() override;

    uint8_t ColourKind() const { return m_colourKind; }
    const uint8_t* Colour() const { return m_colour; }

private:
    uint8_t m_colour[4] = {};  // red, green, blue, 0
    uint8_t m_colourKind = 0;
    uint32_t m_duration = TINT_OVERLAY_MS;
    uint32_t m_startTime = 0;
};

// Kind 6: a ring of animations turning around the owner, rising and falling.
class CRingOverlay : public CCharOverlay {
public:
    CRingOverlay() : CCharOverlay(OVERLAY_RING) {}
    ~CRingOverlay() override;
    void Setup(uint32_t skillId, uint32_t value, CChar* owner) override;
    void ShowOverlay() override;
    void HideOverlay() override;
    void FollowOwner() override;
    bool Update() override;
    bool Draw() override;
    void SetRingCount(int32_t count, bool withCast) override;

    int32_t RingCount() const { return m_count; }
    CAniObject* RingAt(int32_t i) const {
        return i >= 0 && i < RING_SLOTS ? m_ring[size_t(i)].get() : nullptr;
    }

protected:
    explicit CRingOverlay(uint32_t kind) : CCharOverlay(kind) {}
    // The ring's animations placed for the time (the height per animation).
    void PlaceRing(bool built);

    int32_t m_count = 0;
    std::array<std::unique_ptr<CAniObject>, RING_SLOTS> m_ring;
};

// Kind 7: a ring at a steady height that sends hit marks flying to the
// characters it strikes; each shows its value on arrival.
class CStrikeRingOverlay : public CRingOverlay {
public:
    CStrikeRingOverlay() : CRingOverlay(OVERLAY_STRIKE_RING) {}
    void HideOverlay() override;
    bool Update() override;
    bool Draw() override;
    void AddHitMark(uint32_t targetId, uint16_t value) override;

    struct HitMark {
        std::unique_ptr<CAniObject> m_pAni;
        int32_t m_x = 0, m_y = 0, m_height = 0;
        uint32_t m_targetId = 0;
        uint16_t m_value = 0;
        uint32_t m_startTime = 0;
    };
    const std::vector<HitMark>& Marks() const { return m_marks; }

private:
    std::vector<HitMark> m_marks;
};

// A new overlay of the kind (1-7) set up for the skill, value and owner.
std::unique_ptr<CCharOverlay> MakeCharOverlay(int32_t kind, uint32_t skillId, uint32_t value, CChar* owner);
