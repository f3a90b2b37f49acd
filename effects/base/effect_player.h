// The root of every skill and visual effect the effect manager runs: who
// cast it and which skill use it belongs to, its started and finished flags,
// and the services the effect classes share: making animated objects,
// reading the caster's hit-frame counters and landing a hit on a target
// (spark, numbers and words, hit sound, removal of a killed target, number
// marks, warp or knock-back, hit reaction).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "world/chars/skill_action.h"

class CAniObject;
class CChar;
class CSkillHitMsg;

// The spark option that leaves out the default hit spark.
inline constexpr int32_t NO_DEFAULT_SPARK = 999;
// The animation of the default hit spark, by name.
inline constexpr char HIT_SPARK_ANI_NAME[] = "SwordAttackEffect";

class CEffectPlayer : public ISkillEffect {
public:
    CEffectPlayer() = default;
    ~CEffectPlayer() override = default;
    CEffectPlayer(const CEffectPlayer&) = delete;
    CEffectPlayer& operator=(const CEffectPlayer&) = delete;

    virtual bool Draw() { return true; }
    virtual bool Process() { return true; }
    virtual bool IsStarted() { return m_started != 0; }
    // Stamps the start time; started.
    virtual bool Start();
    bool IsFinished() override { return m_finished != 0; }
    // Finished; a caster left lying or held down gets its motion restarted.
    virtual bool End();
    void ResetPhase() override {}
    void NextPhase() override { End(); }

    // A new animated object off screen (-1000, -1000) until placed, playing
    // once or looping when play is set.
    std::unique_ptr<CAniObject> CreateAniObject(uint32_t index, uint32_t motion, int32_t direction,
                                                uint8_t play, uint8_t loop, uint32_t layer);
    // count objects made the same way; none for a count below 1.
    std::vector<std::unique_ptr<CAniObject>> CreateAniObjects(int32_t count, uint32_t index, uint32_t motion,
                                                              int32_t direction, uint8_t play, uint8_t loop,
                                                              uint32_t layer);

    // The hit counters of the character's controller, read and cleared: true
    // for a count of 1 or more, and true at once for a missing character or
    // a skill use whose caster is no longer valid (no effect waits forever).
    bool ConsumeHitFlag(CChar* character);
    bool ConsumeHitFlag2(CChar* character);
    bool ConsumeHitFlagById(uint32_t charId);
    bool ConsumeHitFlag2ById(uint32_t charId);

    // Lands one hit of the skill use on the target: the record's first entry
    // for the target not yet applied decides what shows. Always true.
    virtual bool ApplyHit(CChar* attacker, CChar* target, int32_t sparkOption, uint32_t hitValue);
    bool ApplyHitById(uint32_t attackerId, uint32_t targetId, int32_t sparkOption, uint32_t hitValue);
    // ApplyHit on every target of the record in order; End afterwards when
    // asked (and at once without the caster).
    bool HitAllTargets(bool endAfterwards);

    void SetCaster(uint32_t casterId) { m_casterId = casterId; }
    void SetSkillAction(CSkillAction* action) { m_pSkillAction = action; }
    uint32_t CasterId() const { return m_casterId; }
    CSkillAction* SkillAction() const { return m_pSkillAction; }
    uint32_t StartTime() const { return m_startTime; }

    // The skill use's hit record, or null.
    CSkillHitMsg* Record() const;
    // The skill use's caster (null when it has none or forgot it).
    CChar* ActionCaster() const;
    // The caster looked up by the caster id.
    CChar* CasterById() const;
    // The record's target count, within its arrays.
    size_t TargetCount() const;
    // The record's n-th target (looked up), or null.
    CChar* TargetAt(size_t n) const;
    uint32_t TargetValueAt(size_t n) const;
    // The record's target cell as a map point.
    int32_t TargetCellMapX() const;
    int32_t TargetCellMapY() const;

protected:
    // What a frame needs before it runs: the caster (the use's, or looked up
    // by id), and as asked a caster still valid, the first target, targets.
    enum : uint32_t {
        NEED_VALID_CASTER = 1,
        NEED_FIRST_TARGET = 2,
        NEED_TARGETS = 4,
        CASTER_BY_ID = 8,
    };
    // The caster when the effect has a skill use and all it needs; otherwise
    // the effect ends and the answer is null.
    CChar* CasterForFrame(uint32_t needs);

    uint32_t m_casterId = 0;
    CSkillAction* m_pSkillAction = nullptr;  // the skill use; not owned
    uint8_t m_started = 0;
    uint8_t m_finished = 0;
    uint32_t m_startTime = 0;
};

// Shared steps of the effect classes.
// The character's animated object plays the motion once.
void PlayCasterMotion(CChar* character, uint32_t motion);
// The character's motion is no longer the one given, or has played out.
bool CasterMotionEnded(CChar* character, uint32_t motion);
// Places the object on the character (its animated object's screen point)
// and advances it.
void PlaceOnChar(CAniObject* object, CChar* character);
// The hit spark on the target (the default spark unless the option leaves it
// out), at half the target's height with a light.
void ShowHitSpark(CChar* target, int32_t sparkOption);
