// Effects that keep animations of their own on characters, drawn with them
// from their draw lists: auras on the caster while it casts or at its hit
// frame, and marks that follow each target. Some of them land the hits.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/base/effect_player.h"

class CAniObject;
class CEffectFactory;

// Rows 7, 8, 10-13, 17, 19, 23, 36, 38 and 44.
void RegisterCharAttachedEffects(CEffectFactory& factory);

// Animations these effects show.
inline constexpr uint32_t CASTING_AURA_ANI = 799;
inline constexpr uint32_t CASTING_PULSE_ANI = 3217;
inline constexpr uint32_t BANNER_ANI = 3199;
inline constexpr uint32_t DOUBLE_AURA_FRONT_ANI = 222;
inline constexpr uint32_t DOUBLE_AURA_BACK_ANI = 221;
inline constexpr uint32_t HIT_FRAME_AURA_ANI = 3199;
inline constexpr uint32_t HIT_FRAME_AURA2_ANI = 979;
inline constexpr uint32_t LEVEL_AURA_ANI = 3200;
inline constexpr uint32_t TARGET_MARK_ANI = 3198;
inline constexpr uint32_t TARGET_MARK2_ANI = 3211;
inline constexpr uint32_t TARGET_MARK_HIT_ANI = 3201;
inline constexpr uint32_t TARGET_SHAKE_ANI = 3335;
// A fade of a casting aura, and the wait of the shaking marks.
inline constexpr uint32_t AURA_FADE_MS = 1000;
inline constexpr uint32_t SHAKE_MS = 1000;
// Values a target keeps of one skill use (ids 12 and 17).
inline constexpr int32_t MAX_HITS_PER_TARGET = 10;

// An animation in a character's draw list, taken out again when it goes
// (when the character is still there).
class CAttachedAni {
public:
    CAttachedAni() = default;
    CAttachedAni(std::unique_ptr<CAniObject> object, CChar* character);
    CAttachedAni(CAttachedAni&&) noexcept;
    CAttachedAni& operator=(CAttachedAni&&) noexcept;
    ~CAttachedAni();

    CAniObject* Get() const { return m_pObject.get(); }
    CAniObject* operator->() const { return m_pObject.get(); }
    explicit operator bool() const { return m_pObject != nullptr; }
    void Reset();

private:
    std::unique_ptr<CAniObject> m_pObject;
    uint32_t m_charId = 0;
};

// An effect of a skill use on targets: the caster (looked up by its id)
// while the effect has its use, targets and caster; otherwise it ends.
class CCharUseEffect : public CEffectPlayer {
protected:
    CChar* UseCaster();
};

// Id 7 (and the base of 23 and 38): a looping aura on the caster while it
// casts, fading in from ResetPhase and out after NextPhase, then ending.
class CCastingAuraEffect : public CEffectPlayer {
public:
    enum : int32_t { PHASE_FADE_IN = 0, PHASE_FADE_OUT = 1, PHASE_STEADY = 2 };

    CCastingAuraEffect();
    bool Draw() override;
    bool Process() override;
    bool End() override;
    void ResetPhase() override;
    void NextPhase() override;

    int32_t Phase() const { return m_phase; }
    CAniObject* Aura() const { return m_aura.Get(); }

protected:
    virtual void CreateAura(CChar* caster);
    virtual void CheckFadeIn();
    virtual void CheckFadeOut();
    virtual void SteadyStep() {}
    virtual void FollowCaster(CChar* caster);
    // The aura's alpha for now.
    uint32_t AuraAlpha() const;

    int32_t m_phase = PHASE_STEADY;
    CAttachedAni m_aura;
    uint32_t m_fadeInStart = 0;
    uint32_t m_fadeOutStart = 0;
};

// Id 23: as 7, and a pulse on the caster at each ResetPhase.
class CCastingAuraPulseEffect : public CCastingAuraEffect {
public:
    void ResetPhase() override;
};

// Id 38: as 7, and a banner dropping to the middle of the casting player's
// screen, fading once it has arrived.
class CCastingBannerEffect : public CCastingAuraEffect {
public:
    CCastingBannerEffect();
    bool Draw() override;

    CAniObject* Banner() const { return m_pBanner.get(); }
    int32_t BannerY() const { return m_bannerY; }
    bool HasArrived() const { return m_arrived != 0; }

protected:
    void CreateAura(CChar* caster) override;
    void CheckFadeOut() override;
    void FollowCaster(CChar* caster) override;
    int32_t BannerAlpha() const;

    std::unique_ptr<CAniObject> m_pBanner;
    uint32_t m_stepTime = 0;
    int32_t m_bannerY = 0;
    uint32_t m_steps = 0;
    uint32_t m_arrivalStep = 0;
    uint8_t m_arrived = 0;
};

// Id 8: two animations on the caster, in front and behind, played once.
class CDoubleAuraEffect : public CEffectPlayer {
public:
    CDoubleAuraEffect();
    bool Process() override;

protected:
    virtual void CreateAuras(CChar* caster);
    CAttachedAni m_first, m_second;
};

// Ids 11 and 36: an aura on the caster shown from its second hit signal.
class CHitFrameAuraEffect : public CCharUseEffect {
public:
    bool Process() override;
    CAniObject* Aura() const { return m_aura.Get(); }

protected:
    virtual uint32_t AuraAnimation() const { return HIT_FRAME_AURA_ANI; }
    virtual void CreateAura(CChar* caster);
    uint8_t m_shown = 0;
    CAttachedAni m_aura;
};
class CHitFrameAura2Effect : public CHitFrameAuraEffect {
protected:
    uint32_t AuraAnimation() const override { return HIT_FRAME_AURA2_ANI; }
};

// Id 12: the caster's motion by the use's level band; each hit frame lands
// every target's next hit. Id 17 differs in its bands and its animation.
class CLevelAuraEffect : public CEffectPlayer {
public:
    bool Process() override;

    uint8_t Band() const { return m_band; }
    uint8_t MotionId() const { return m_motionId; }
    int32_t DistinctTargets() const { return m_distinctCount; }
    int32_t HitsOf(int32_t i) const { return i >= 0 && i < m_distinctCount ? m_hitCounts[i] : 0; }

protected:
    virtual void Begin(CChar* caster);
    void BuildHitLists();
    virtual void SelectBand();
    void HitStep(CChar* caster);

    CAttachedAni m_aura;
    int32_t m_hitStep = 0;
    uint8_t m_motionId = 4;
    uint8_t m_band = 0;
    int32_t m_distinctCount = 0;
    int32_t m_hitCounts[256] = {};
    int32_t m_hitValues[256][MAX_HITS_PER_TARGET] = {};
    uint32_t m_distinctIds[256] = {};
};
class CLevelBurstEffect : public CLevelAuraEffect {
protected:
    void Begin(CChar* caster) override;
    void SelectBand() override;
};

// Ids 10, 13 and 19: a mark on every target from the caster's hit signal,
// following the target until it has played.
class CTargetMarkEffect : public CCharUseEffect {
public:
    bool Process() override;
    size_t MarkCount() const { return m_marks.size(); }
    CAniObject* MarkAt(size_t i) const { return i < m_marks.size() ? m_marks[i].Get() : nullptr; }

protected:
    virtual void OnHitSignal(CChar* caster);
    virtual void SetMotionId() { m_motionId = 11; }
    virtual void CreateMarks(CChar* caster);
    virtual uint32_t MarkAnimation() const { return TARGET_MARK_ANI; }
    virtual bool SignalDue(CChar* caster) { return ConsumeHitFlag2(caster); }

    int32_t m_markCount = 0;
    uint32_t m_targetIds[256] = {};
    std::vector<CAttachedAni> m_marks;
    uint8_t m_motionId = 11;
    uint8_t m_shown = 0;
};
class CTargetMark2Effect : public CTargetMarkEffect {
protected:
    uint32_t MarkAnimation() const override { return TARGET_MARK2_ANI; }
};
class CTargetMarkHitEffect : public CTargetMarkEffect {
protected:
    void SetMotionId() override { m_motionId = 4; }
    void CreateMarks(CChar* caster) override;
    uint32_t MarkAnimation() const override { return TARGET_MARK_HIT_ANI; }
    bool SignalDue(CChar* caster) override { return ConsumeHitFlag(caster); }
};

// Id 44: shaking marks on the targets, their hits a second after the signal.
class CTargetShakeEffect : public CCharUseEffect {
public:
    bool Process() override;
    size_t MarkCount() const { return m_marks.size(); }
    CAniObject* MarkAt(size_t i) const { return i < m_marks.size() ? m_marks[i].Get() : nullptr; }

protected:
    std::vector<CAttachedAni> m_marks;
    uint8_t m_shown = 0;
    uint32_t m_shownTime = 0;
};
