#include "effects/classes/caster_motion_effects.h"

#include <cstdlib>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/error_box.h"
#include "data/skill_table_mgr.h"
#include "effects/base/effect_player_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr uint32_t EFFECT_LAYER_FRONT = 6;
constexpr uint32_t EFFECT_LAYER_BACK = 4;
// The fourth kind of player (type index 3) swings where the others raise.
constexpr int32_t ALT_MOTION_TYPE = 3;
constexpr uint8_t ALT_MOTION_DEFAULT = 11;
constexpr uint8_t ALT_MOTION_OF_TYPE = 4;
constexpr uint8_t ZILPUNGSA_MOTION = 25;
constexpr uint8_t SLAM_FIRST_MOTION = 4;
constexpr uint8_t SLAM_SECOND_MOTION = 5;
constexpr uint8_t DELAYED_BLAST_MOTION = 12;
constexpr uint8_t REPEAT_MOTION = 4;

CCharAction* ActionOf(CChar* character) {
    return character ? character->GetAction() : nullptr;
}

void FaceChar(CChar* caster, CChar* target) {
    if (CCharAction* action = ActionOf(caster)) action->FaceToChar(target);
}

void FaceCell(CChar* caster, int32_t cellX, int32_t cellY) {
    if (CCharAction* action = ActionOf(caster)) action->FaceTo(cellX, cellY);
}

// Hands an animation to the play manager at a map point.
void PlayAtMapPoint(std::unique_ptr<CAniObject> object, int32_t x, int32_t y, int32_t height,
                    int32_t repeat = 1) {
    if (object && g_pAniPlayMgr)
        g_pAniPlayMgr->AddAtMapPosition(object.release(), x, y, height, repeat, 1, 1, 0);
}

// Hands an animation to the play manager on a character, in its draw list.
void PlayOnCharacter(std::unique_ptr<CAniObject> object, CChar* character) {
    if (!object || !character || !g_pAniPlayMgr) return;
    AttachPlayEntryToChar(character, g_pAniPlayMgr->AddOnChar(object.release(), character, 0, 0, 1, 1, 1, 0));
}

// The sweeps' random direction of a hit animation.
uint8_t RandomSweepDirection() {
    static const uint8_t kDirections[5] = {2, 0, 14, 12, 10};
    return kDirections[std::rand() % 5];
}

}  // namespace

// ---- Ids 3, 47, 49-54 ----

bool CMotionHitEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_VALID_CASTER);
    if (!caster) return true;
    if (!IsStarted()) {
        if (CChar* first = TargetAt(0)) FaceChar(caster, first);
        PlayCasterMotion(caster, m_motion);
        Start();
        return true;
    }
    if (ConsumeHitFlag(caster)) OnHitFrame(caster);
    if (!IsFinished() && CasterMotionEnded(caster, m_motion)) End();
    return true;
}

bool CMotionHitEffect::OnHitFrame(CChar* caster) {
    if (CChar* first = TargetAt(0)) ApplyHit(caster, first, 0, TargetValueAt(0));
    return true;
}

bool CMotionSweepEffect::OnHitFrame(CChar* caster) {
    for (size_t n = 0; n < TargetCount(); ++n) {
        CChar* target = TargetAt(n);
        if (!target) return false;
        std::unique_ptr<CAniObject> hit =
            CreateAniObject(SWEEP_HIT_ANI, 0, RandomSweepDirection(), 1, 0, EFFECT_LAYER_FRONT);
        hit->m_layer = EFFECT_LAYER_FRONT;
        CAniObject* body = target->GetAniObject();
        PlayAtMapPoint(std::move(hit), target->m_x, target->m_y, body ? body->GetHeight() / 2 : 0);
        ApplyHit(caster, target, 0, TargetValueAt(n));
    }
    return true;
}

// ---- Id 37 ----

void CMotionHitAltEffect::SelectMotion(CChar* character) {
    const bool alt = character && character->GetKind() == CHAR_KIND_PLAYER &&
                     GetCharTypeIndex(character->m_resourceId) == ALT_MOTION_TYPE;
    m_motion = alt ? ALT_MOTION_OF_TYPE : ALT_MOTION_DEFAULT;
}

bool CMotionHitAltEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_VALID_CASTER);
    if (!caster) return true;
    if (!IsStarted()) {
        SelectMotion(caster);
        if (CChar* first = TargetAt(0); first && first != caster) FaceChar(caster, first);
        PlayCasterMotion(caster, m_motion);
        Start();
        return true;
    }
    if (CasterMotionEnded(caster, m_motion)) End();
    return true;
}

// ---- Id 15 ----

bool CSE_ZILPUNGSA::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_VALID_CASTER | NEED_FIRST_TARGET);
    if (!caster) return true;
    CChar* first = TargetAt(0);
    if (!IsStarted()) {
        FaceChar(caster, first);
        PlayCasterMotion(caster, ZILPUNGSA_MOTION);
        m_nextTarget = 0;
        m_shown = 0;
        Start();
        return true;
    }
    if (!m_shown) {
        if (!ConsumeHitFlag(caster)) return true;
        const CSkillHitMsg* record = Record();
        const int32_t motion =
            int32_t(g_pSkillTableMgr
                        ? g_pSkillTableMgr->GetLevelByte12(SkillIdToRow(record->m_skillId), record->m_level)
                        : 0) -
            1;
        if (motion < 0) {
            ReportError("CSE_ZILPUNGSA Error : Motion ID : %d", motion);
            End();
            return true;
        }
        CAniObject* body = caster->GetAniObject();
        PlayOnCharacter(CreateAniObject(ZILPUNGSA_ANI, uint32_t(motion), body ? body->m_direction : 2, 1, 0,
                                        EFFECT_LAYER_FRONT),
                        first);
        m_shown = 1;
        return true;
    }
    if (size_t(m_nextTarget) < TargetCount()) {
        ApplyHit(caster, TargetAt(size_t(m_nextTarget)), 0, TargetValueAt(size_t(m_nextTarget)));
        ++m_nextTarget;
        return true;
    }
    if (CasterMotionEnded(caster, ZILPUNGSA_MOTION)) End();
    return true;
}

// ---- Id 16 ----

bool CGroundSlamEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_VALID_CASTER);
    if (!caster) return true;
    const CSkillHitMsg* record = Record();
    if (!IsStarted()) {
        FaceCell(caster, int32_t(record->m_x), int32_t(record->m_y));
        PlayCasterMotion(caster, SLAM_FIRST_MOTION);
        m_stage = 0;
        Start();
        return true;
    }
    switch (m_stage) {
        case 0:
            if (CasterMotionEnded(caster, SLAM_FIRST_MOTION)) {
                m_stage = 1;
                FaceCell(caster, int32_t(record->m_x), int32_t(record->m_y));
                ConsumeHitFlag(caster);  // a signal of the first motion does not count
                PlayCasterMotion(caster, SLAM_SECOND_MOTION);
            }
            break;
        case 1:
            if (ConsumeHitFlag(caster)) {
                for (size_t n = 0; n < TargetCount(); ++n) ApplyHit(caster, TargetAt(n), 0, TargetValueAt(n));
                PlayAtMapPoint(CreateAniObject(GROUND_SLAM_ANI, 0, 2, 1, 0, EFFECT_LAYER_FRONT),
                               TargetCellMapX(), TargetCellMapY(), 0, 0);
                m_stage = 2;
            }
            break;
        default:
            if (CasterMotionEnded(caster, SLAM_SECOND_MOTION)) End();
            break;
    }
    return true;
}

// ---- Id 21 ----

bool CRepeatStrikeEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_VALID_CASTER | NEED_FIRST_TARGET);
    if (!caster) return true;
    CChar* first = TargetAt(0);
    if (!IsStarted()) {
        FaceChar(caster, first);
        PlayCasterMotion(caster, REPEAT_MOTION);
        m_nextTarget = 0;
        Start();
        return true;
    }
    if (!ConsumeHitFlag(caster) || size_t(m_nextTarget) >= TargetCount()) return true;
    CChar* target = TargetAt(size_t(m_nextTarget));
    if (target) ApplyHit(caster, target, 0, TargetValueAt(size_t(m_nextTarget)));
    ++m_nextTarget;
    if (size_t(m_nextTarget) == TargetCount()) {
        End();
        return true;
    }
    if (target) FaceChar(caster, target);
    PlayCasterMotion(caster, REPEAT_MOTION);
    return true;
}

// ---- Id 28 ----

bool CDelayedBlastEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(CASTER_BY_ID | NEED_TARGETS);
    if (!caster) return true;
    if (!IsStarted()) {
        m_shown = 0;
        FaceCell(caster, int32_t(Record()->m_x), int32_t(Record()->m_y));
        PlayCasterMotion(caster, DELAYED_BLAST_MOTION);
        Start();
        return true;
    }
    if (!m_shown) {
        if (!ConsumeHitFlag2(caster)) return true;
        m_shown = 1;
        PlayAtMapPoint(CreateAniObject(DELAYED_BLAST_ANI, 0, 2, 1, 0, EFFECT_LAYER_FRONT), caster->m_x,
                       caster->m_y, 0);
        PlayAtMapPoint(CreateAniObject(DELAYED_BLAST_ANI, 1, 2, 1, 0, EFFECT_LAYER_BACK), caster->m_x,
                       caster->m_y, 0);
        m_shownTime = plat::timeGetTime();
        return true;
    }
    if (plat::timeGetTime() - m_shownTime <= DELAYED_BLAST_MS) return true;
    for (size_t n = 0; n < TargetCount(); ++n) {
        CChar* target = TargetAt(n);
        if (!target) continue;
        PlayAtMapPoint(CreateAniObject(DELAYED_BLAST_ANI, 2, 2, 1, 0, EFFECT_LAYER_BACK), target->m_x,
                       target->m_y, 0);
        PlayAtMapPoint(CreateAniObject(DELAYED_BLAST_ANI, 3, 2, 1, 0, EFFECT_LAYER_FRONT), target->m_x,
                       target->m_y, 0);
        ApplyHit(caster, target, NO_DEFAULT_SPARK, TargetValueAt(n));
    }
    End();
    return true;
}

// ---- Ids 42, 45, 46 ----

bool CHeavySweepEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterForFrame(NEED_TARGETS);
    if (!caster) return true;
    if (!IsStarted()) {
        PlayCasterMotion(caster, SweepMotion());
        FaceCell(caster, int32_t(Record()->m_x), int32_t(Record()->m_y));
        m_done = 0;
        Start();
        return true;
    }
    if (!m_done && ConsumeHitFlag2(caster)) {
        m_done = 1;
        OnSignal(caster);
    }
    if ((m_done || EndsBeforeSignal()) && CasterMotionEnded(caster, SweepMotion())) End();
    return true;
}

void CHeavySweepEffect::OnSignal(CChar* caster) {
    for (size_t n = 0; n < TargetCount(); ++n) ApplyHit(caster, TargetAt(n), 0, TargetValueAt(n));
}

void CTargetBurstEffect::OnSignal(CChar* caster) {
    for (size_t n = 0; n < TargetCount(); ++n) {
        CChar* target = TargetAt(n);
        ApplyHit(caster, target, 0, TargetValueAt(n));
        if (target)
            PlayOnCharacter(CreateAniObject(TARGET_BURST_ANI, 13, 2, 1, 0, EFFECT_LAYER_FRONT), target);
    }
}

void CScreenFlashSkillEffect::OnSignal(CChar*) {
    if (TargetCount() == 0 || !g_pAniPlayMgr) return;
    std::unique_ptr<CAniObject> flash = CreateAniObject(TARGET_BURST_ANI, 8, 2, 1, 0, EFFECT_LAYER_FRONT);
    flash->SetScreenPosition(g_config.m_screenWidth / 2, g_config.m_screenHeight / 2, 0);
    g_pAniPlayMgr->Add(flash.release(), 1, 1);
}

void RegisterCasterMotionEffects(CEffectFactory& factory) {
    factory.Set(3, CEffectFactory::MakeOf<CMotionHitEffect>);
    factory.Set(15, CEffectFactory::MakeOf<CSE_ZILPUNGSA>);
    factory.Set(16, CEffectFactory::MakeOf<CGroundSlamEffect>);
    factory.Set(21, CEffectFactory::MakeOf<CRepeatStrikeEffect>);
    factory.Set(28, CEffectFactory::MakeOf<CDelayedBlastEffect>);
    factory.Set(37, CEffectFactory::MakeOf<CMotionHitAltEffect>);
    factory.Set(42, CEffectFactory::MakeOf<CHeavySweepEffect>);
    factory.Set(45, CEffectFactory::MakeOf<CTargetBurstEffect>);
    factory.Set(46, CEffectFactory::MakeOf<CScreenFlashSkillEffect>);
    factory.Set(47, CEffectFactory::MakeOf<CMotionHit7Effect>);
    factory.Set(49, CEffectFactory::MakeOf<CMotionHit5Effect>);
    factory.Set(50, CEffectFactory::MakeOf<CMotionHit6Effect>);
    factory.Set(51, CEffectFactory::MakeOf<CMotionSweepEffect>);
    factory.Set(52, CEffectFactory::MakeOf<CMotionSweep5Effect>);
    factory.Set(53, CEffectFactory::MakeOf<CMotionSweep6Effect>);
    factory.Set(54, CEffectFactory::MakeOf<CMotionSweep7Effect>);
}
