// The character data's learned skills, combos, action delays and id/value
// list.
#include "world/chars/char_skills.h"

#include <algorithm>

#include "core/config.h"
#include "data/item_object.h"
#include "data/skill_table_mgr.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_services.h"

uint8_t g_hideAllChars = 0;

namespace {

constexpr uint32_t COMBO_REQUEST_GAP_MS = 100;
// The skills a character without a server starts with.
constexpr uint32_t DEFAULT_SKILLS[] = {3000021, 3000022, 3000023, 3000047};

ISkillWindowView* SkillWindow() {
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(SKILL_WINDOW_NAME) : nullptr;
    return dynamic_cast<ISkillWindowView*>(window);
}

int32_t ComboOrZero(int32_t index) {
    return index >= 0 && index < CCharData::COMBO_COUNT ? index : 0;
}

}  // namespace

void RebuildSkillWindow() {
    if (ISkillWindowView* window = SkillWindow()) window->Rebuild();
}

// ---- Learned skills ----

namespace {

// The entry holding the row (the last one when several do), or -1.
int32_t FindSkill(const CCharData& data, int32_t row) {
    for (int32_t n = data.m_skillCount - 1; n >= 0; --n)
        if (int64_t(data.m_skillRows[n]) == int64_t(row)) return n;
    return -1;
}

}  // namespace

bool CCharData::HasSkill(int32_t row) const {
    return FindSkill(*this, row) >= 0;
}

uint32_t CCharData::GetSkillLevel(int32_t row) const {
    const int32_t n = FindSkill(*this, row);
    return n < 0 ? 0 : m_skillLevels[n];
}

uint32_t CCharData::GetSkillValue(int32_t row) const {
    const int32_t n = FindSkill(*this, row);
    return n < 0 ? 0 : m_skillValues[n];
}

uint8_t CCharData::GetSkillFlag(int32_t row) const {
    const int32_t n = FindSkill(*this, row);
    return n < 0 ? 0 : m_skillFlags[n];
}

uint32_t CCharData::GetSelectedSkillId() const {
    if (m_selectedSkill < 0 || m_selectedSkill >= m_skillCount) return 0;
    return m_skillRows[m_selectedSkill] + SKILL_ID_BASE;
}

bool CCharData::IsAttackSkill(int32_t row) const {
    return g_pSkillTableMgr && g_pSkillTableMgr->HasByte6(row);
}

void CCharData::SelectSkill(int32_t mode, int32_t row) {
    if (mode != 1) return;
    if (g_config.m_useServer && IsAttackSkill(row)) return;
    const int32_t n = FindSkill(*this, row);
    if (n < 0) return;
    m_selectedSkill = n;
    m_skillSelected = 1;
}

bool CCharData::AddOrUpdateSkill(uint32_t skillId, uint32_t level, uint32_t value, uint8_t flag) {
    const int32_t row = SkillIdToRow(skillId);
    if (const int32_t n = FindSkill(*this, row); n >= 0) {
        if (m_skillLevels[n] == level && m_skillValues[n] == value) return true;
        m_skillLevels[n] = level;
        m_skillValues[n] = value;
        if (ISkillWindowView* window = SkillWindow()) window->OnSkillChanged(row, level, value);
        return true;
    }
    if (m_skillCount >= MAX_SKILLS) return false;
    const int32_t n = m_skillCount++;
    m_skillRows[n] = uint32_t(row);
    m_skillLevels[n] = level;
    m_skillValues[n] = value;
    m_skillFlags[n] = flag;
    if (m_selectedCombo == -1 && IsAttackSkill(row)) {
        m_selectedCombo = 0;
        for (int32_t c = 0; c < COMBO_COUNT; ++c) {
            for (int32_t k = 0; k < COMBO_SKILLS; ++k) m_combos[c][k] = uint32_t(row);
            m_combos[c][COMBO_SKILLS] = 0;
            m_comboProtected[c] = uint32_t(row);
        }
    }
    if (ISkillWindowView* window = SkillWindow()) window->OnSkillChanged(row, level, value);
    return true;
}

bool CCharData::RemoveSkill(bool attack, uint8_t flag) {
    for (int32_t n = 0; n < m_skillCount; ++n) {
        if (m_skillFlags[n] != flag || IsAttackSkill(int32_t(m_skillRows[n])) != attack) continue;
        for (int32_t k = n; k + 1 < m_skillCount; ++k) {
            m_skillRows[k] = m_skillRows[k + 1];
            m_skillFlags[k] = m_skillFlags[k + 1];
            m_skillLevels[k] = m_skillLevels[k + 1];
            m_skillValues[k] = m_skillValues[k + 1];
        }
        --m_skillCount;
        if (m_selectedSkill >= m_skillCount) m_selectedSkill = std::max(0, m_skillCount - 1);
        return true;
    }
    return false;
}

void CCharData::AddDefaultSkills() {
    if (g_config.m_useServer) return;
    for (uint32_t id : DEFAULT_SKILLS) AddOrUpdateSkill(id, 0, 0, 0);
    m_selectedSkill = 0;
    m_skillSelected = 0;
    m_comboStep = 0;
    const uint32_t first = m_skillCount > 0 ? m_skillRows[0] : 0;
    for (int32_t c = 0; c < COMBO_COUNT; ++c)
        for (int32_t k = 0; k < COMBO_SKILLS; ++k) m_combos[c][k] = first;
}

// ---- Combos ----

void CCharData::SetComboIndex(int32_t index) {
    if (index == -1) return;
    SelectComboDirect(index);
}

void CCharData::SelectComboDirect(int32_t index) {
    m_selectedCombo = ComboOrZero(index);
    m_comboRequestPending = 0;
}

void CCharData::SetComboEntry(int32_t combo, uint32_t protectedValue,
                              const uint32_t words[COMBO_SKILLS + 1]) {
    if (combo < 0 || combo >= COMBO_COUNT || !words) return;
    std::copy(words, words + COMBO_SKILLS + 1, m_combos[combo]);
    m_comboProtected[combo] = protectedValue;
}

void CCharData::SetComboLength(int32_t length) {
    m_comboLength = length;
}

void CCharData::SetComboValue(int32_t index, uint32_t value) {
    if (index < 0 || index >= COMBO_COUNT) return;
    m_comboValues[index] = value;
}

bool CCharData::RequestComboSelect(int32_t index) {
    const uint32_t now = plat::timeGetTime();
    if (m_comboRequestPending) return false;
    if (m_comboRequestSent && now - m_comboRequestTime < COMBO_REQUEST_GAP_MS) return false;
    m_comboRequestTime = now;
    m_comboRequestSent = 1;
    m_comboRequestPending = 1;
    m_comboRequested = ComboOrZero(index);
    CharRequests().SendComboSelect();
    return true;
}

int32_t CCharData::NextComboStep(uint32_t comboIndex) const {
    if (m_comboLength < 1) return 0;
    const int64_t next = int64_t(comboIndex) + 1;
    return next >= m_comboLength ? 0 : int32_t(next);
}

// ---- The id/value list ----

uint16_t CCharData::GetValueById(uint32_t id) const {
    for (size_t n = 0; n < m_listB.size() && n < m_listBValues.size(); ++n)
        if (m_listB[n] == id) return m_listBValues[n];
    return 0;
}

void CCharData::RecomputeHighest() {
    int32_t highest = 0;
    for (size_t n = 0; n < m_listB.size() && n < m_listBValues.size(); ++n)
        highest = std::max<int32_t>(highest, m_listBValues[n]);
    m_highestValue = highest;
}

// ---- The weapon ----

void CCharData::NotifyEquippedItem(uint32_t value) {
    constexpr int WEAPON_POSITION = 2;
    CItemObject* weapon = m_items[WEAPON_POSITION].get();
    IItemHitHook* hook = weapon ? weapon->HitHook() : nullptr;
    if (hook) hook->OnHit(m_pController ? m_pController->Owner() : nullptr, value);
}
