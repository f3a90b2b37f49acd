#include "effects/base/effect_player.h"

#include <algorithm>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/field_sound.h"
#include "core/message.h"
#include "data/skill_table_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

// Skill kinds (skill-table column 15) with their own hit display.
constexpr int8_t SKILL_KIND_PLAIN_NUMBER = 3;  // no spark, sound, push or reaction
constexpr int8_t SKILL_KIND_MARKED = 6;        // a miss mark; numbers only where the level asks
// Column 16 of the skill that forces the hit sound.
constexpr uint8_t FORCED_HIT_SOUND = 3;
constexpr uint32_t SPARK_LAYER = 7;
constexpr int32_t SPARK_LIGHT_RADIUS = 2;

CChar* FindChar(uint32_t id) {
    return g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
}

}  // namespace

bool CEffectPlayer::Start() {
    m_startTime = plat::timeGetTime();
    m_started = 1;
    return true;
}

bool CEffectPlayer::End() {
    m_finished = 1;
    // A caster left down by the effect gets its motion started again.
    if (CChar* caster = CasterById())
        if (CCharData* data = caster->GetData();
            data && (data->m_motion == MOTION_DEAD || data->m_motion == MOTION_HELD_DOWN ||
                     data->m_motion == MOTION_LYING)) {
            data->SetMotion(MOTION_TIMED);
            data->SetMotion(MOTION_TIMED);
        }
    return true;
}

std::unique_ptr<CAniObject> CEffectPlayer::CreateAniObject(uint32_t index, uint32_t motion, int32_t direction,
                                                           uint8_t play, uint8_t loop, uint32_t layer) {
    auto object = std::make_unique<CAniObject>();
    object->SetAnimation(index);
    object->SetMotion(uint8_t(motion));
    object->SetDirection(uint8_t(direction));
    object->m_layer = int32_t(layer);
    object->SetHideable(1);
    object->SetScreenPosition(-1000, -1000, 0);
    if (play) object->Play(loop != 0);
    return object;
}

std::vector<std::unique_ptr<CAniObject>> CEffectPlayer::CreateAniObjects(int32_t count, uint32_t index,
                                                                         uint32_t motion, int32_t direction,
                                                                         uint8_t play, uint8_t loop,
                                                                         uint32_t layer) {
    std::vector<std::unique_ptr<CAniObject>> objects;
    for (int32_t i = 0; i < count; ++i)
        objects.push_back(CreateAniObject(index, motion, direction, play, loop, layer));
    return objects;
}

bool CEffectPlayer::ConsumeHitFlag(CChar* character) {
    if (!character || (m_pSkillAction && !m_pSkillAction->IsCasterValid())) return true;
    CCharController* controller = character->GetController();
    if (!controller || controller->m_firstHits < 1) return false;
    controller->m_firstHits = 0;
    return true;
}

bool CEffectPlayer::ConsumeHitFlag2(CChar* character) {
    if (!character || (m_pSkillAction && !m_pSkillAction->IsCasterValid())) return true;
    CCharController* controller = character->GetController();
    if (!controller || controller->m_secondHits < 1) return false;
    controller->m_secondHits = 0;
    return true;
}

bool CEffectPlayer::ConsumeHitFlagById(uint32_t charId) {
    return ConsumeHitFlag(FindChar(charId));
}

bool CEffectPlayer::ConsumeHitFlag2ById(uint32_t charId) {
    return ConsumeHitFlag2(FindChar(charId));
}

CSkillHitMsg* CEffectPlayer::Record() const {
    return m_pSkillAction ? m_pSkillAction->HitRecord() : nullptr;
}

CChar* CEffectPlayer::ActionCaster() const {
    return m_pSkillAction ? m_pSkillAction->Caster() : nullptr;
}

CChar* CEffectPlayer::CasterById() const {
    return FindChar(m_casterId);
}

size_t CEffectPlayer::TargetCount() const {
    const CSkillHitMsg* record = Record();
    return record ? std::min<size_t>(record->m_targetCount, CSkillHitMsg::MAX_TARGETS) : 0;
}

CChar* CEffectPlayer::TargetAt(size_t n) const {
    return n < TargetCount() ? FindChar(Record()->m_targetIds[n]) : nullptr;
}

uint32_t CEffectPlayer::TargetValueAt(size_t n) const {
    return n < TargetCount() ? Record()->m_targetValues[n] : 0;
}

int32_t CEffectPlayer::TargetCellMapX() const {
    const CSkillHitMsg* record = Record();
    return record ? int32_t(record->m_x * 24) : 0;
}

int32_t CEffectPlayer::TargetCellMapY() const {
    const CSkillHitMsg* record = Record();
    return record ? int32_t(record->m_y * 12) : 0;
}

bool CEffectPlayer::ApplyHit(CChar* attacker, CChar* target, int32_t sparkOption, uint32_t) {
    CSkillHitMsg* record = Record();
    if (!record || !attacker || !target) return true;
    CCharAction* attackerAction = attacker->GetAction();
    CCharAction* targetAction = target->GetAction();
    const int32_t row = SkillIdToRow(record->m_skillId);
    const int8_t kind = g_pSkillTableMgr ? g_pSkillTableMgr->GetByte15(row) : 0;

    // 1. The spark.
    if (kind != SKILL_KIND_PLAIN_NUMBER) ShowHitSpark(target, sparkOption);

    // 2. The record's first entry for the target not yet applied.
    const uint32_t targetId = target->GetCharId();
    bool found = false, missed = false, marked = false, killed = false;
    uint32_t value = 0;
    size_t entry = 0;
    for (size_t n = 0; n < TargetCount(); ++n) {
        if (record->m_targetIds[n] != targetId || record->m_appliedBytes[n]) continue;
        found = true;
        entry = n;
        value = record->m_targetValues[n];
        missed = (record->m_targetBytes1[n] & 1) != 0;
        marked = (record->m_targetBytes1[n] & 2) != 0;
        killed = n < m_pSkillAction->m_targets.size() && m_pSkillAction->m_targets[n].m_hit;
        record->m_appliedBytes[n] = 1;
        break;
    }

    // 3. Words and numbers.
    if ((!found || value == 0) && kind != SKILL_KIND_MARKED) {
        if (attackerAction) attackerAction->ShowMissWord();
    } else if (missed) {
        if (attackerAction) {
            if (kind == SKILL_KIND_MARKED)
                attackerAction->ShowMiss();
            else
                attackerAction->ShowMissWord();
        }
    } else {
        bool shown = true;
        if (kind == SKILL_KIND_MARKED) {
            CCharController* controller = attacker->GetController();
            const bool teammate = controller && controller->IsTeamMember(target->m_ownName);
            const bool levelAsks =
                g_pSkillTableMgr && (g_pSkillTableMgr->GetLevelByte14(row, record->m_level) != 0 ||
                                     g_pSkillTableMgr->GetLevelDword15(row, record->m_level) != 0);
            shown = target != attacker && !teammate && value != 0 && levelAsks;
        }
        if (shown) {
            if (record->m_comboCount > 1 && attackerAction)
                attackerAction->ShowWordNumber(uint32_t(record->m_comboCount));
            if (marked && targetAction) targetAction->ShowFlashMark();
            if (targetAction) {
                if (kind == SKILL_KIND_PLAIN_NUMBER)
                    targetAction->ShowDamageNumber(value, true, nullptr);
                else
                    targetAction->ShowDamageNumber(value, false, attacker);
            }
            if (kind != SKILL_KIND_PLAIN_NUMBER)
                if (IFieldSound* sound = GetFieldSound())
                    sound->PlayHitSound(
                        attacker, target,
                        g_pSkillTableMgr && g_pSkillTableMgr->GetByte16(row) == FORCED_HIT_SOUND);
        }
    }

    // 4. A killed target: its drops go to the map, it goes; the mark is spent
    //    so that the end of the use does not remove it again.
    if (killed) {
        for (CSkillHitMsg::PendingDrop& drop : record->m_pendingDrops) {
            if (drop.m_delivered) continue;
            drop.m_delivered = 1;
            if (g_pMap)
                PostMessageTo(0, g_pMap, 0, drop.m_item.m_id, MsgDataPtr(new CGroundItemMsg(drop.m_item)),
                              nullptr);
        }
        record->m_pendingDrops.clear();
        if (g_pCharMgr) g_pCharMgr->RemoveCharLater(targetId);
        m_pSkillAction->m_targets[entry].m_hit = false;
    }

    // 5. Number marks of the target.
    if (record->m_numberMarks) {
        CSkillHitMsg::NumberMarks& marks = *record->m_numberMarks;
        bool left = false;
        for (size_t n = 0; n < marks.m_count && n < CSkillHitMsg::MAX_TARGETS; ++n) {
            if (marks.m_ids[n] == 0) continue;
            if (marks.m_ids[n] == targetId) {
                if (targetAction) targetAction->ShowNumberMark(marks.m_values[n]);
                marks.m_ids[n] = 0;
            } else {
                left = true;
            }
        }
        if (!left) record->m_numberMarks.reset();
    }

    // 6. Plain numbers stop here.
    if (kind == SKILL_KIND_PLAIN_NUMBER) return true;

    // 7. A warp order moves the target, else a hit pushes it away.
    if (record->m_warpOrder) {
        if (targetAction) targetAction->WarpToCell(record->m_warpOrder->m_x, record->m_warpOrder->m_y);
        record->m_warpOrder.reset();
    } else if (int32_t(value) > 0 && !missed && attackerAction) {
        attackerAction->KnockBackTarget(target);
    }

    // 8. The hit reaction.
    CCharController* targetController = target->GetController();
    if (targetController && targetController->IsFreeToAct() && value != 0 && !missed && targetAction) {
        auto* monster = dynamic_cast<CMonsterChar*>(target);
        if (!monster || monster->ReactsToHit()) targetAction->FaceToChar(attacker);
        targetAction->TakeHit();
    }
    return true;
}

bool CEffectPlayer::ApplyHitById(uint32_t attackerId, uint32_t targetId, int32_t sparkOption,
                                 uint32_t hitValue) {
    return ApplyHit(FindChar(attackerId), FindChar(targetId), sparkOption, hitValue);
}

bool CEffectPlayer::HitAllTargets(bool endAfterwards) {
    CChar* caster = CasterById();
    if (!caster) {
        End();
        return true;
    }
    for (size_t n = 0; n < TargetCount(); ++n)
        if (CChar* target = TargetAt(n)) ApplyHit(caster, target, 0, TargetValueAt(n));
    if (endAfterwards) End();
    return true;
}

CChar* CEffectPlayer::CasterForFrame(uint32_t needs) {
    CChar* caster = (needs & CASTER_BY_ID) ? CasterById() : ActionCaster();
    const bool ready =
        m_pSkillAction && caster && (!(needs & NEED_VALID_CASTER) || m_pSkillAction->IsCasterValid()) &&
        (!(needs & NEED_FIRST_TARGET) || TargetAt(0)) && (!(needs & NEED_TARGETS) || TargetCount() > 0);
    if (ready) return caster;
    End();
    return nullptr;
}

void PlayCasterMotion(CChar* character, uint32_t motion) {
    CAniObject* ani = character ? character->GetAniObject() : nullptr;
    if (!ani) return;
    ani->SetMotion(uint8_t(motion));
    ani->Play(false);
}

bool CasterMotionEnded(CChar* character, uint32_t motion) {
    CAniObject* ani = character ? character->GetAniObject() : nullptr;
    return !ani || ani->GetCurrentMotionId() != int32_t(motion) || ani->m_stopped != 0;
}

void PlaceOnChar(CAniObject* object, CChar* character) {
    CAniObject* body = character ? character->GetAniObject() : nullptr;
    if (!object || !body) return;
    object->SetScreenPosition(body->m_screenX, body->m_screenY, 0);
    object->Update();
}

void ShowHitSpark(CChar* target, int32_t sparkOption) {
    // No weapon of the program carries a spark of its own: the default shows.
    if (!target || !g_pAniPlayMgr || sparkOption == NO_DEFAULT_SPARK) return;
    const uint32_t index = FindAniByName(HIT_SPARK_ANI_NAME);
    if (index == 0) return;
    auto spark = std::make_unique<CAniObject>();
    if (!spark->SetAnimation(index)) return;
    spark->SetMotion(0);
    spark->SetDirection(2);
    spark->SetHideable(1);
    spark->SetAniFlag(1);
    spark->ResetLayers();
    spark->Play(false);
    spark->m_layer = SPARK_LAYER;
    CAniObject* body = target->GetAniObject();
    const int32_t height = body ? body->GetHeight() : 0;
    if (CAniPlayEntry* entry =
            g_pAniPlayMgr->AddOnCharAtScreenOffset(spark.release(), target, 0, -(height / 2), 1, 1, 1, 0))
        entry->AttachLight(SPARK_LIGHT_RADIUS);
}
