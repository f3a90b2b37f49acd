#include "world/chars/skill_action.h"

#include <cstring>

#include "anim/ani_object.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/items/item_targets.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/cursor.h"

namespace {

ISkillEffects* g_skillEffects = nullptr;
ISkillScripts* g_skillScripts = nullptr;

// The skill-table type (column 15) of skills whose targets count without a value.
constexpr int8_t SKILL_TYPE_ALWAYS_HITS = 6;
constexpr size_t QUICK_SLOT_NAME_BYTES = 16;

}  // namespace

void SetSkillEffects(ISkillEffects* effects) {
    g_skillEffects = effects;
}
ISkillEffects* GetSkillEffects() {
    return g_skillEffects;
}
void SetSkillScripts(ISkillScripts* scripts) {
    g_skillScripts = scripts;
}
ISkillScripts* GetSkillScripts() {
    return g_skillScripts;
}

CSkillAction::CSkillAction() {
    CSkillAction::Create();
}

CSkillAction::~CSkillAction() {
    CSkillAction::Release();
}

bool CSkillAction::Create() {
    CDrawObject::Create();
    m_skillRow = 0;
    m_pCaster = nullptr;
    m_casterId = UINT32_MAX;
    m_ownerId = UINT32_MAX;
    m_pHitRecord.reset();
    m_targets.clear();
    m_scriptMode = 0;
    m_pScript = nullptr;
    m_effect.Assign(nullptr);
    m_running = 0;
    m_finished = 1;
    m_startTime = m_duration = m_secondValue = 0;
    m_hitTimingDone = 0;
    m_dragData = 0;
    return true;
}

bool CSkillAction::Release() {
    if (m_running) Finish();
    StopScript();
    RemoveEffect();
    return CDrawObject::Release();
}

bool CSkillAction::IsCasterValid() {
    // The caster is looked up again: a character that went is never read.
    CChar* caster = m_pCaster && g_pCharMgr ? g_pCharMgr->GetChar(m_casterId) : nullptr;
    CCharData* data = caster == m_pCaster && caster ? caster->GetData() : nullptr;
    CCharAction* action = caster ? caster->GetAction() : nullptr;
    if (!data || !action || data->m_motion == MOTION_DEAD || data->m_motion == MOTION_HELD_DOWN ||
        data->m_motion == MOTION_LYING || action->m_pSkillAction != this) {
        m_pCaster = nullptr;
        return false;
    }
    return true;
}

bool CSkillAction::Start(CChar* caster, const CSkillActionMsg& record) {
    if (m_running) Finish();
    m_pCaster = caster;
    m_casterId = caster ? caster->GetCharId() : UINT32_MAX;
    m_ownerId = m_casterId;
    m_duration = record.m_time;
    m_secondValue = 0;
    m_skillRow = SkillIdToRow(record.m_skillId);
    m_targets.clear();
    m_pHitRecord.reset();
    m_hitTimingDone = 0;
    if (record.m_targetId == 0) {
        if (CCharAction* action = caster ? caster->GetAction() : nullptr) action->ShowMissWord();
        return false;
    }
    m_targets.push_back({record.m_targetId, true});
    m_scriptMode = 0;
    m_effect.Assign(nullptr);
    if (ISkillEffects* effects = GetSkillEffects()) m_effect.Assign(effects->StartEffectForSkill(this));
    if (!m_effect) {
        m_scriptMode = 1;
        const char* name = g_pSkillTableMgr && g_pSkillTableMgr->GetTable()
                               ? g_pSkillTableMgr->GetTable()->GetText(SKILL_COL_SCRIPT, m_skillRow)
                               : nullptr;
        if (!name || !*name || std::strcmp(name, SKILL_NO_SCRIPT) == 0) return false;
        ISkillScripts* scripts = GetSkillScripts();
        m_pScript = scripts ? scripts->StartScript(name, this) : nullptr;
        if (!m_pScript) return false;
    }
    m_running = 1;
    m_finished = 0;
    m_startTime = plat::timeGetTime();
    return true;
}

bool CSkillAction::TakeHitRecord(std::unique_ptr<CSkillHitMsg> record) {
    if (!record || m_pHitRecord) return false;
    const bool alwaysHits =
        g_pSkillTableMgr && g_pSkillTableMgr->GetByte15(m_skillRow) == SKILL_TYPE_ALWAYS_HITS;
    m_targets.clear();
    for (size_t n = 0; n < record->m_targetCount && n < CSkillHitMsg::MAX_TARGETS; ++n) {
        Target target;
        target.m_id = record->m_targetIds[n];
        target.m_blocked = record->m_targetBytes1[n] != 0;
        target.m_open = !target.m_blocked && (record->m_targetValues[n] != 0 || alwaysHits);
        m_targets.push_back(target);
    }
    m_secondValue = record->m_h;  // the pause after the use
    m_pHitRecord = std::move(record);
    return true;
}

void CSkillAction::CheckHitTiming() {
    if (m_hitTimingDone || !m_pCaster || !g_pSkillTableMgr || !g_pSkillTableMgr->HasByte6(m_skillRow)) return;
    CCharController* controller = m_pCaster->GetController();
    CCharData* data = m_pCaster->GetData();
    if (!controller || !data || controller->m_followSource == 0) return;
    const uint32_t elapsed = plat::timeGetTime() - m_startTime;
    if (elapsed + SKILL_HIT_LEAD_MS <= m_duration) return;
    m_hitTimingDone = 1;
    data->m_hitPending = 1;
    data->m_hitTime = m_startTime + m_duration - SKILL_HIT_LEAD_MS;
}

bool CSkillAction::Update() {
    if (!m_running) return true;
    if (IsCasterValid()) {
        CheckHitTiming();
        if (plat::timeGetTime() - m_startTime >= m_duration) {
            if (CCharAction* action = m_pCaster->GetAction()) action->EndSkillUse();
            return true;
        }
        if (m_scriptMode) {
            if (m_pScript && ScriptEnded()) {
                StopScript();
                ReturnCasterToRest();
            }
        } else {
            ISkillEffect* effect = Effect();
            ISkillEffects* effects = GetSkillEffects();
            if (!effect || !effects || !effects->IsRunning(effect) || effect->IsFinished()) {
                RemoveEffect();
                ReturnCasterToRest();
            }
        }
        return true;
    }
    if (m_scriptMode) {
        if (!m_pScript || ScriptEnded()) Finish();
    } else {
        ISkillEffect* effect = Effect();
        ISkillEffects* effects = GetSkillEffects();
        if (!effect || !effects || !effects->IsRunning(effect) || effect->IsFinished()) Finish();
    }
    return true;
}

void CSkillAction::Finish() {
    // The caster (looked up again, never read when gone) ends its use, also
    // when it has fallen meanwhile: it must not keep this use once the skill
    // manager deletes it. Its end comes back here with the use forgotten.
    CChar* caster = g_pCharMgr ? g_pCharMgr->GetChar(m_casterId) : nullptr;
    CCharAction* action = caster ? caster->GetAction() : nullptr;
    if (action && action->m_pSkillAction == this) action->EndSkillUse();
    m_pCaster = nullptr;
    StopScript();
    RemoveEffect();
    if (m_pHitRecord) {
        // gap: the hit record's cell notices (none are read from the server yet).
        for (const Target& target : m_targets)
            if (target.m_hit && !target.m_blocked && g_pCharMgr) g_pCharMgr->RemoveCharLater(target.m_id);
        m_pHitRecord.reset();
    }
    m_running = 0;
    m_finished = 1;
}

void CSkillAction::ReturnCasterToRest() {
    CCharData* data = m_pCaster ? m_pCaster->GetData() : nullptr;
    if (!data) return;
    data->SetMotion(data->m_restMotion);
    if (CAniObject* ani = m_pCaster->GetAniObject()) ani->Play(true);
}

void CSkillAction::RemoveEffect() {
    ISkillEffect* effect = Effect();
    m_effect.Assign(nullptr);
    if (!effect) return;
    if (ISkillEffects* effects = GetSkillEffects(); effects && effects->IsRunning(effect))
        effects->RemoveEffect(effect);
}

bool CSkillAction::ScriptEnded() const {
    ISkillScripts* scripts = GetSkillScripts();
    return !scripts || scripts->IsEnded(m_pScript);
}

void CSkillAction::StopScript() {
    if (!m_pScript) return;
    if (ISkillScripts* scripts = GetSkillScripts()) scripts->StopScript(m_pScript);
    m_pScript = nullptr;
}

// ---- The icon ----

bool CSkillAction::BeginDrag(uint32_t data) {
    SetDragState(1);
    if (ICursorObject* cursor = WindowCursor()) cursor->SetPointedObject(this);
    m_dragData = data;
    return true;
}

bool CSkillAction::EndDrag() {
    if (GetDragState() != 1) return true;
    SetDragState(0);
    const int32_t x = WindowMouseX(), y = WindowMouseY();
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->GetWindowAt(x, y) : nullptr;
    if (window && m_dragData == 0 &&
        std::strncmp(window->GetName(), QUICK_SLOT_WINDOW_NAME, QUICK_SLOT_NAME_BYTES) == 0) {
        if (auto* slots = dynamic_cast<ISkillIconTarget*>(window)) {
            slots->DropSkillIcon(this, x, y);
            return true;
        }
    }
    // Gone: the skill manager deletes it with its next update, never under
    // the caller's feet.
    m_finished = 1;
    m_running = 0;
    if (g_pSkillTableMgr && !g_pSkillTableMgr->FindChild(GetId())) g_pSkillTableMgr->AddChild(this);
    return true;
}

bool CSkillAction::DrawAtCursor() {
    CAniObject* ani = GetAniObject();
    if (!ani) return true;
    ani->SetScreenPosition(WindowMouseX(), WindowMouseY(), 0);
    ani->Draw();
    return true;
}

bool CSkillAction::UpdateAtCursor() {
    if (CAniObject* ani = GetAniObject()) ani->Update();
    return true;
}
