// The character's side of a skill use: the cast, the use carried by a skill
// action of the skill manager, its end with the pause after it, and the
// server's hits.
#include <memory>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/skill_action.h"

namespace {

bool IsDown(uint32_t motion) {
    return motion == MOTION_DEAD || motion == MOTION_HELD_DOWN || motion == MOTION_LYING;
}

constexpr uint32_t CAST_CIRCLE_ANI = 1254;
constexpr int32_t CAST_CIRCLE_LAYER = 4;

// The cast circle: two sprites (frame groups 0 and 1) of one sequence, the
// first shown; null when the animation cannot be loaded.
CAniSequence* MakeCastCircle() {
    auto sequence = std::make_unique<CAniSequence>();
    for (uint8_t group = 0; group < 2; ++group) {
        auto sprite = std::make_unique<CAniObject>();
        if (!sprite->SetAnimation(CAST_CIRCLE_ANI)) return nullptr;
        sprite->SetMotion(group);
        sprite->SetDirection(2);
        sprite->m_layer = CAST_CIRCLE_LAYER;
        sprite->Play(true);
        sequence->Add(sprite.release(), 0);
    }
    return sequence.release();
}

// 0 for attack skills, 1 for the others (the byte pairs of the data).
int KindIndex(const CCharData& data, int32_t row) {
    return data.IsAttackSkill(row) ? 0 : 1;
}

}  // namespace

void CCharAction::BeginSkillUse(const CSkillActionMsg& record, bool start) {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner || IsDown(data->m_motion) || !start) return;
    if (m_pSkillAction) EndSkillUse();
    const int32_t row = SkillIdToRow(record.m_skillId);
    const int kind = KindIndex(*data, row);
    data->m_comboStep = kind == 0 ? data->NextComboStep(record.m_b) : 0;
    Stop(true);
    data->SetMotion(MOTION_SKILL);
    data->m_finishedBytes[kind] = 0;
    data->m_castBytes[kind] = 1;

    auto action = std::make_unique<CSkillAction>();
    if (!g_pSkillTableMgr || !action->Start(owner, record)) {
        EndSkillUse();
        return;
    }
    CSkillAction* running = action.get();
    if (!g_pSkillTableMgr->AddChild(running)) {
        EndSkillUse();
        return;
    }
    action.release();  // the skill manager's child
    m_pSkillAction = running;
    m_skillActionHandle = running->GetId();
    m_skillReady = 0;
    EndCastEffect();
    // Several hits play the character's frames twice as fast.
    if (CAniObject* ani = owner->GetAniObject()) ani->SetScale(record.m_a > 1 ? 0.5f : 1.0f);
    running->Update();
}

void CCharAction::EndSkillUse() {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner) return;
    if (CAniObject* ani = owner->GetAniObject()) ani->SetScale(1.0f);
    if (!IsDown(data->m_motion) && data->m_motion != MOTION_CAST) data->SetMotion(data->m_restMotion);
    if (CSkillAction* action = m_pSkillAction) {
        // Forgotten first: the action's end asks whether it is still ours.
        m_pSkillAction = nullptr;
        m_skillActionHandle = 0;
        const int kind = KindIndex(*data, action->SkillRow());
        const int delay = kind == 0 ? CCharData::DELAY_ATTACK_AFTER : CCharData::DELAY_SKILL_AFTER;
        data->m_actionDelay[delay] = action->DelayValue();
        data->m_actionStart[delay] = plat::timeGetTime();
        data->m_finishedBytes[kind] = 1;
        data->m_castBytes[kind] = 0;
        action->Finish();
    }
    data->m_hideByte2 = 0;
    data->NotifyEquippedItem(0);
    m_skillReady = 1;
}

void CCharAction::DropSkillUse() {
    CSkillAction* action = m_pSkillAction;
    m_pSkillAction = nullptr;
    m_skillActionHandle = 0;
    m_skillReady = 1;
    if (action) action->Finish();
}

void CCharAction::HandleHitRecord(std::unique_ptr<CSkillHitMsg> record) {
    if (!record) return;
    if (m_pSkillAction && m_pSkillAction->IsRunning()) {
        m_pSkillAction->TakeHitRecord(std::move(record));
        return;
    }
    // Without a running use each target there is shows its number at once.
    for (size_t n = 0; n < record->m_targetCount && n < CSkillHitMsg::MAX_TARGETS; ++n) {
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(record->m_targetIds[n]) : nullptr;
        if (CCharAction* action = target ? target->GetAction() : nullptr)
            action->ShowNumberMark(record->m_targetValues[n]);
    }
}

void CCharAction::SetCastRecord(std::unique_ptr<CSkillActionMsg> record) {
    m_pCastRecord = std::move(record);
    CastStep();
}

void CCharAction::CastStep() {
    CCharData* data = Data();
    if (!data || IsDown(data->m_motion) || !m_pCastRecord || m_pCastRecord->m_time == 0 ||
        data->m_motion == MOTION_CAST)
        return;
    Stop(true);
    data->SetMotion(data->m_restMotion);
    data->SetMotion(MOTION_CAST);
    const int kind = KindIndex(*data, SkillIdToRow(m_pCastRecord->m_skillId));
    const int delay = kind == 0 ? CCharData::DELAY_ATTACK_CAST : CCharData::DELAY_SKILL_CAST;
    data->m_actionDelay[delay] = m_pCastRecord->m_time;
    data->m_actionStart[delay] = plat::timeGetTime();
    data->m_castBytes[0] = data->m_castBytes[1] = 0;
    data->m_finishedBytes[0] = data->m_finishedBytes[1] = 0;
    data->m_castBytes[kind] = 1;
    // The skill's cast effect, from the start of its cast.
    RemoveCastEffect();
    if (ISkillEffects* effects = GetSkillEffects(); effects && g_pSkillTableMgr)
        if (const uint16_t id = g_pSkillTableMgr->GetCastEffectId(SkillIdToRow(m_pCastRecord->m_skillId)))
            m_castEffect.Assign(effects->StartCastEffect(id, Owner()));
    m_castEffectEnding = 0;
    if (g_pAniPlayMgr) {
        if (CAniSequence* circle = MakeCastCircle()) {
            CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(m_pCastRecord->m_targetId) : nullptr;
            m_pCastCircle = target
                                ? g_pAniPlayMgr->AddCharLinked(circle, target, 0, 0, 0, 1, 1, 0)
                                : g_pAniPlayMgr->AddObjectEntry(circle, int32_t(m_pCastRecord->m_x * 24),
                                                                int32_t(m_pCastRecord->m_y * 12), 0, 0, 1, 1);
        }
    }
}

void CCharAction::CancelCast() {
    CCharData* data = Data();
    if (data && m_pCastRecord)
        data->m_castBytes[KindIndex(*data, SkillIdToRow(m_pCastRecord->m_skillId))] = 0;
    m_pCastRecord.reset();
    EndCastEffect();
    if (m_pController) m_pController->m_twoValues[0] = m_pController->m_twoValues[1] = 0;
    // The circle fades out (the play manager ends it).
    if (CAniPlayEntry* circle = g_pAniPlayMgr ? g_pAniPlayMgr->FindEntry(m_pCastCircle, false) : nullptr) {
        circle->m_fadeOut = 1;
        circle->m_fadeIn = 0;
        circle->m_fadeStart = plat::timeGetTime();
    }
    m_pCastCircle = nullptr;
}

void CCharAction::InterruptCast() {
    CancelCast();
    Stop(true);
    ShowMissWord();
    CCharData* data = Data();
    if (data && data->m_motion != MOTION_DEAD && data->m_motion != MOTION_HELD_DOWN)
        data->SetMotion(data->m_restMotion);
}

void CCharAction::EndCastEffect() {
    ISkillEffect* effect = CastEffect();
    if (!effect || m_castEffectEnding) return;
    m_castEffectEnding = 1;
    effect->NextPhase();
}

void CCharAction::RemoveCastEffect() {
    ISkillEffect* effect = CastEffect();
    m_castEffect.Assign(nullptr);
    if (!effect) return;
    if (ISkillEffects* effects = GetSkillEffects(); effects && effects->IsRunning(effect))
        effects->RemoveEffect(effect);
}
