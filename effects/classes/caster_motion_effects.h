// Effects shown through the caster's own body: the caster turns to its
// target or the skill's cell, plays one attack motion once, and the hits
// land at the motion's hit frames; some add an animation on the caster, the
// targets, the cell or the screen, handed to the play manager.
#pragma once
#include <cstdint>

#include "effects/base/effect_player.h"

class CEffectFactory;

// Rows 3, 15, 16, 21, 28, 37, 42, 45-47 and 49-54.
void RegisterCasterMotionEffects(CEffectFactory& factory);

// Animations these effects show.
inline constexpr uint32_t SWEEP_HIT_ANI = 133;
inline constexpr uint32_t ZILPUNGSA_ANI = 3215;
inline constexpr uint32_t GROUND_SLAM_ANI = 3216;
inline constexpr uint32_t DELAYED_BLAST_ANI = 3237;
inline constexpr uint32_t TARGET_BURST_ANI = 3335;
inline constexpr uint32_t DELAYED_BLAST_MS = 2000;

// Id 3 and its motion variants: the first target is hit at each hit frame.
class CMotionHitEffect : public CEffectPlayer {
public:
    CMotionHitEffect() { CMotionHitEffect::SetHitMotion(4); }
    bool Process() override;
    virtual void SetHitMotion(uint8_t motion) { m_motion = motion; }
    virtual bool OnHitFrame(CChar* caster);
    uint8_t Motion() const { return m_motion; }

protected:
    uint8_t m_motion = 4;
};

class CMotionHit5Effect : public CMotionHitEffect {
public:
    CMotionHit5Effect() { SetHitMotion(5); }
};
class CMotionHit6Effect : public CMotionHitEffect {
public:
    CMotionHit6Effect() { SetHitMotion(6); }
};
class CMotionHit7Effect : public CMotionHitEffect {
public:
    CMotionHit7Effect() { SetHitMotion(7); }
};

// Id 51 and its variants: every target gets a hit animation and its hit.
class CMotionSweepEffect : public CMotionHitEffect {
public:
    bool OnHitFrame(CChar* caster) override;
};
class CMotionSweep5Effect : public CMotionSweepEffect {
public:
    CMotionSweep5Effect() { SetHitMotion(5); }
};
class CMotionSweep6Effect : public CMotionSweepEffect {
public:
    CMotionSweep6Effect() { SetHitMotion(6); }
};
class CMotionSweep7Effect : public CMotionSweepEffect {
public:
    CMotionSweep7Effect() { SetHitMotion(7); }
};

// Id 37: motion 11 (4 for the fourth kind of player), no hits.
class CMotionHitAltEffect : public CEffectPlayer {
public:
    bool Process() override;
    virtual void SelectMotion(CChar* character);

protected:
    uint8_t m_motion = 11;
};

// Id 15: an animation on the first target, then one target hit a frame.
class CSE_ZILPUNGSA : public CEffectPlayer {
public:
    bool Process() override;

protected:
    int32_t m_nextTarget = 0;
    uint8_t m_shown = 0;
};

// Id 16: motion 4, then motion 5 whose hit frame hits all and marks the cell.
class CGroundSlamEffect : public CEffectPlayer {
public:
    bool Process() override;

protected:
    int32_t m_stage = 0;
};

// Id 21: motion 4 played once for each target in turn.
class CRepeatStrikeEffect : public CEffectPlayer {
public:
    bool Process() override;

protected:
    int32_t m_nextTarget = 0;
};

// Id 28: a blast on the caster at the hit frame, on the targets with their
// hits two seconds later.
class CDelayedBlastEffect : public CEffectPlayer {
public:
    bool Process() override;

protected:
    uint32_t m_shownTime = 0;
    uint8_t m_shown = 0;
};

// Ids 42, 45 and 46: one motion, one second-counter signal.
class CHeavySweepEffect : public CEffectPlayer {
public:
    bool Process() override;

protected:
    // The class's motion and what its signal does.
    virtual uint8_t SweepMotion() const { return 6; }
    virtual void OnSignal(CChar* caster);
    // Whether a changed or finished motion ends the effect before the signal.
    virtual bool EndsBeforeSignal() const { return true; }
    uint8_t m_done = 0;
};

class CTargetBurstEffect : public CHeavySweepEffect {
protected:
    uint8_t SweepMotion() const override { return 4; }
    void OnSignal(CChar* caster) override;
    bool EndsBeforeSignal() const override { return false; }
};

class CScreenFlashSkillEffect : public CHeavySweepEffect {
protected:
    void OnSignal(CChar* caster) override;
    bool EndsBeforeSignal() const override { return false; }
};
