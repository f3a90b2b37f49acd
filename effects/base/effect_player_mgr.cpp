#include "effects/base/effect_player_mgr.h"

#include <algorithm>

#include "core/error_box.h"
#include "data/skill_table_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"
#include "world/chars/skill_action.h"

CEffectPlayerMgr* g_pEffectPlayerMgr = nullptr;

bool CEffectFactory::Set(uint32_t id, Maker maker) {
    if (id >= ROW_COUNT) return false;
    m_rows[id] = maker;
    return true;
}

std::unique_ptr<CEffectPlayer> CEffectFactory::Make(uint32_t id) const {
    return HasRow(id) ? m_rows[id]() : nullptr;
}

CEffectPlayerMgr::CEffectPlayerMgr() {
    RegisterEffectFamilies(m_factory);
}

CEffectPlayerMgr::~CEffectPlayerMgr() {
    ClearAll();
}

CEffectPlayer* CEffectPlayerMgr::StartNewEffect(uint32_t effectId, CChar* caster) {
    if (effectId > MAX_EFFECT_PLAYER_ID) {
        ReportError("CEffectPlayerMgr::StartNewEffect() Error : Unknown Effect ID [%u]", effectId);
        return nullptr;
    }
    if (effectId == NO_EFFECT_ID || effectId == UNUSED_EFFECT_ID || !caster) return nullptr;
    std::unique_ptr<CEffectPlayer> effect = m_factory.Make(effectId);
    if (!effect) return nullptr;
    effect->SetCaster(caster->GetCharId());
    m_running.push_back(std::move(effect));
    return m_running.back().get();
}

CEffectPlayer* CEffectPlayerMgr::StartEffectForSkill(CSkillAction* action) {
    // The use's hits come after its start: the skill and caster are the use's.
    if (!action || !g_pSkillTableMgr) return nullptr;
    CChar* caster = g_pCharMgr ? g_pCharMgr->GetChar(action->CasterId()) : nullptr;
    CEffectPlayer* effect = StartNewEffect(g_pSkillTableMgr->GetEffectId(action->SkillRow()), caster);
    if (effect) effect->SetSkillAction(action);
    return effect;
}

bool CEffectPlayerMgr::ProcessAll() {
    // The purge: each queued effect still running is deleted once.
    std::vector<CEffectPlayer*> queued;
    queued.swap(m_pending);
    for (CEffectPlayer* effect : queued) RemoveEffect(effect);
    ++m_walking;
    for (size_t i = 0; i < m_running.size(); ++i) {
        CEffectPlayer* effect = m_running[i].get();
        if (!effect) continue;
        if (effect->SkillAction() && !effect->Record()) continue;  // waits for the use's hits
        effect->Process();
    }
    --m_walking;
    Sweep();
    return true;
}

bool CEffectPlayerMgr::DrawAll() {
    ++m_walking;
    for (size_t i = 0; i < m_running.size(); ++i)
        if (CEffectPlayer* effect = m_running[i].get()) effect->Draw();
    --m_walking;
    Sweep();
    return true;
}

bool CEffectPlayerMgr::RemoveEffect(CEffectPlayer* effect) {
    if (!effect) return false;
    std::erase(m_pending, effect);
    for (auto& slot : m_running) {
        if (slot.get() != effect) continue;
        // During a walk the effect may be the one running: deleted after it.
        if (m_walking)
            m_doomed.push_back(std::move(slot));
        else
            slot.reset();
        Sweep();
        return true;
    }
    return false;
}

bool CEffectPlayerMgr::QueueRemoval(CEffectPlayer* effect) {
    if (effect && std::find(m_pending.begin(), m_pending.end(), effect) == m_pending.end())
        m_pending.push_back(effect);
    return true;
}

bool CEffectPlayerMgr::Contains(const CEffectPlayer* effect) const {
    if (!effect) return false;
    for (const auto& slot : m_running)
        if (slot.get() == effect) return true;
    return false;
}

bool CEffectPlayerMgr::ClearAll() {
    m_pending.clear();
    if (m_walking) {
        for (auto& slot : m_running)
            if (slot) m_doomed.push_back(std::move(slot));
        return true;
    }
    // Effects deleting others in their destructors find them gone.
    std::vector<std::unique_ptr<CEffectPlayer>> running;
    running.swap(m_running);
    running.clear();
    m_doomed.clear();
    return true;
}

size_t CEffectPlayerMgr::GetCount() const {
    return size_t(
        std::count_if(m_running.begin(), m_running.end(), [](const auto& e) { return e != nullptr; }));
}

std::vector<CEffectPlayer*> CEffectPlayerMgr::Effects() const {
    std::vector<CEffectPlayer*> out;
    for (const auto& slot : m_running)
        if (slot) out.push_back(slot.get());
    return out;
}

void CEffectPlayerMgr::Sweep() {
    if (m_walking) return;
    std::erase(m_running, nullptr);
    m_doomed.clear();
}

CEffectPlayer* CEffectPlayerMgr::Find(const ISkillEffect* effect) const {
    if (!effect) return nullptr;
    for (const auto& slot : m_running)
        if (slot && static_cast<const ISkillEffect*>(slot.get()) == effect) return slot.get();
    return nullptr;
}

ISkillEffect* CEffectPlayerMgr::StartEffectForSkill(CSkillUse* use) {
    return StartEffectForSkill(dynamic_cast<CSkillAction*>(use));
}

ISkillEffect* CEffectPlayerMgr::StartCastEffect(uint32_t effectId, CChar* caster) {
    CEffectPlayer* effect = StartNewEffect(effectId, caster);
    if (effect) effect->ResetPhase();
    return effect;
}

bool CEffectPlayerMgr::IsRunning(ISkillEffect* effect) {
    return Find(effect) != nullptr;
}

void CEffectPlayerMgr::RemoveEffect(ISkillEffect* effect) {
    RemoveEffect(Find(effect));
}
