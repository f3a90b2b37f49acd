// The controller's yes/no questions: may the character act, attack, use a
// skill, chat; is it shown to the user; is a target near.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "anim/ani_services.h"
#include "core/config.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/text_tables.h"
#include "platform/clock.h"
#include "ui/items/item_info.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/char_skills.h"
#include "world/map/map.h"

namespace {

constexpr uint32_t DEFAULT_THROTTLE_MS = 500;
constexpr uint32_t COMBO_WINDOW_MS = 500;
constexpr uint32_t STEP_GUARD_MS = 1000;
constexpr int32_t NEAR_TARGET_TILES = 8;
// Text-table rows of the skill costs, in the order they are compared.
constexpr int COST_TEXT_FIRST = 9;
constexpr int COST_COUNT = 6;

bool AnyStatus(const CCharData& data, std::initializer_list<int32_t> ids) {
    for (int32_t id : ids)
        if (data.IsStatus(id)) return true;
    return false;
}

bool IsMotion(uint32_t motion, std::initializer_list<uint32_t> motions) {
    for (uint32_t m : motions)
        if (motion == m) return true;
    return false;
}

bool EventRunning() {
    IAniEvents* events = GetAniEvents();
    return events && events->IsVisualEventRunning();
}

bool FieldScriptRunning() {
    IAniEvents* events = GetAniEvents();
    return events && events->IsFieldScriptRunning();
}

bool InputBlocked() {
    IAniEvents* events = GetAniEvents();
    return events && (events->IsFieldScriptRunning() || events->IsVisualEventRunning()) &&
           events->IsInputLocked();
}

bool Elapsed(const CCharData& data, int delay, uint32_t now) {
    return now - data.m_actionStart[delay] >= data.m_actionDelay[delay];
}

void SetMessage(char* message, size_t capacity, int row) {
    if (message && capacity > 0) std::snprintf(message, capacity, "%s", GetTableText(CHECK_TEXT_TABLE, row));
}

// The character type names: text table 0 from row 14, one per type.
constexpr int TYPE_NAME_TABLE = 0;
constexpr int TYPE_NAME_FIRST = 14;
constexpr int TYPE_COUNT = 14;
constexpr int EQUIP_REQUIREMENTS = 4;
// The texts of the equipment refusals (text table 1): the type, then one
// per requirement kind from 1 (level) to 8 (the sixth attribute).
constexpr int EQUIP_TEXT_TYPE = 15;
constexpr int EQUIP_TEXT_FIRST_REQUIREMENT = 16;
enum : uint8_t { REQUIRE_LEVEL = 1, REQUIRE_SKILL_LEVEL = 2, REQUIRE_FIRST_ATTRIBUTE = 3, REQUIRE_LAST = 8 };

// The cost compared with each of the six costs of a skill level, in order.
int64_t CostValue(const CCharData& data, int n) {
    switch (n) {
        case 0:
            return int32_t(data.m_values[VALUE_SECOND_GAUGE]);
        case 1:
            return int32_t(data.m_values[VALUE_STAMINA]);
        case 2:
            return int32_t(data.m_values[VALUE_ENERGY]);
        case 3:
            return int32_t(data.m_values[VALUE_FOURTH_GAUGE]);
        case 4:
            return int32_t(data.m_values[VALUE_FIFTH_GAUGE]);
        default:
            return g_pMap ? int64_t(g_pMap->m_fieldValue) : 0;
    }
}

}  // namespace

bool CCharController::IsFreeToAct() const {
    return m_pData && !IsMotion(m_pData->m_motion, {MOTION_SKILL, MOTION_DEAD, MOTION_CAST, MOTION_HELD_DOWN,
                                                    MOTION_LYING, MOTION_PUSHED});
}

bool CCharController::CanStartAction() const {
    if (!m_pData) return false;
    if (AnyStatus(*m_pData, {4, 5, 6, 7, 8, 19}) || EventRunning()) return false;
    if (FieldScriptRunning() && InputBlocked()) return false;
    const uint32_t motion = m_pData->m_motion;
    return motion == m_pData->m_restMotion || motion == MOTION_WALK || motion == MOTION_RUN;
}

bool CCharController::CanAcceptCommand() const {
    if (!m_pData || InputBlocked()) return false;
    const uint32_t motion = m_pData->m_motion;
    return motion == m_pData->m_restMotion || IsMotion(motion, {MOTION_WALK, MOTION_RUN, MOTION_HELD_DOWN});
}

bool CCharController::CanControl() const {
    if (!m_pData) return false;
    if (AnyStatus(*m_pData, {4, 5, 6, 7, 8, 19}) || FieldScriptRunning()) return false;
    return !IsMotion(m_pData->m_motion, {MOTION_CAST, MOTION_SKILL, MOTION_DEAD});
}

bool CCharController::CanActNow() const {
    if (!m_pData || IsMotion(m_pData->m_motion, {MOTION_SKILL, MOTION_CAST})) return false;
    const uint32_t now = plat::timeGetTime();
    for (int delay = 0; delay < 4; ++delay)
        if (!Elapsed(*m_pData, delay, now)) return false;
    return true;
}

bool CCharController::CanStandUp() const {
    if (!m_pData || AnyStatus(*m_pData, {4, 6, 7, 8, 23})) return false;
    return m_pData->m_motion == MOTION_STAND || m_pData->m_motion == MOTION_REST_POSE;
}

bool CCharController::IsNotStunned() const {
    return m_pData && !AnyStatus(*m_pData, {6, 7, 8});
}

bool CCharController::IsStatus9Set() const {
    return m_pData && !EventRunning() && m_pData->IsStatus(9);
}

bool CCharController::IsStatus54Set() const {
    return m_pData && m_pData->IsStatus(54);
}

bool CCharController::CanChat() {
    if (!m_pData) return false;
    if (!m_pData->m_chatBlockOn) return true;
    if (plat::timeGetTime() - m_pData->m_chatBlockStart <= m_pData->m_chatBlockLength) return false;
    m_pData->m_chatBlockOn = 0;
    return true;
}

bool CCharController::ThrottleAction() {
    if (!m_pData || AnyStatus(*m_pData, {4, 5, 7, 8}) || m_pData->m_motion == MOTION_PUSHED) return false;
    // A map whose interval is no number, or a negative one, waits the default.
    const int32_t interval = g_pMap ? g_pMap->GetStageNumberText() : -1;
    const uint32_t wait = interval < 0 ? DEFAULT_THROTTLE_MS : uint32_t(interval);
    const uint32_t now = plat::timeGetTime();
    if (m_pData->m_actedOnce && now - m_pData->m_lastActionTime < wait) return false;
    m_pData->m_actedOnce = 1;
    m_pData->m_lastActionTime = now;
    return true;
}

bool CCharController::IsPendingSkillAttack() const {
    return m_pendingUseFlag && g_pSkillTableMgr && g_pSkillTableMgr->HasByte6(m_pendingUseRow);
}

bool CCharController::IsPendingSkillOther() const {
    return m_pendingUseFlag && g_pSkillTableMgr && !g_pSkillTableMgr->HasByte6(m_pendingUseRow);
}

bool CCharController::CanAttack(CChar* target) const {
    if (!target || target == m_pOwner || !m_pData) return false;
    if (!g_config.m_useServer) return true;
    if (!g_pMap || !g_pMap->IsBattleAllowed()) return false;
    if (AnyStatus(*m_pData, {4, 5, 6, 9, 8, 7})) return false;
    const uint16_t kind = target->GetKind();
    if (kind > CHAR_KIND_PET) return false;
    if (CCharData* other = target->GetData(); other && other->m_motion == MOTION_DEAD) return false;
    const bool kind4 = g_pMap->IsMapKind4();
    switch (kind) {
        case CHAR_KIND_PLAYER:
            if (!kind4 && !g_pMap->IsMapKind5()) return g_pMap->IsPlayerBattleAllowed();
            return target->m_attackable != 0;
        case CHAR_KIND_MONSTER:
            return !kind4 || target->m_attackable != 0;
        default:
            return false;
    }
}

bool CCharController::CanUseSkill(bool attack, uint32_t skillId, bool force, char* message,
                                  size_t capacity) const {
    if (message && capacity > 0) message[0] = '\0';
    if (!m_pData) return false;
    const CCharData& data = *m_pData;
    const bool server = g_config.m_useServer;
    if (IsMotion(data.m_motion, {MOTION_DEAD, MOTION_HELD_DOWN, MOTION_LYING, MOTION_PUSHED})) return false;
    if (server && data.m_skillCount == 0) return false;
    if (AnyStatus(data, {4, 5, 9, 8, 7})) {
        SetMessage(message, capacity, CHECK_TEXT_NOT_NOW);
        return false;
    }
    // The fight-club maps allow a few kinds of skill only.
    if (skillId != 0 && g_pCharMgr && g_pCharMgr->m_fightClubMatch && g_pSkillTableMgr) {
        const int32_t row = SkillIdToRow(skillId);
        const int8_t kind = g_pSkillTableMgr->GetByte15(row);
        if (kind == 0 || kind == 1 || kind == 2 || kind == 9) return false;
        if (kind == 6) {
            const uint8_t sub = g_pSkillTableMgr->GetByte16(row);
            return sub == 2 || sub == 3 || sub == 6 || sub == 13 || sub == 14;
        }
    }
    const bool pending = data.m_pendingTarget != -1;
    if (data.IsStatus(11) && !attack) {
        SetMessage(message, capacity, CHECK_TEXT_NOT_NOW);
        return false;
    }
    if (attack && !force && pending) return false;
    if (data.m_motion == MOTION_CAST) return false;
    if (data.m_motion == MOTION_SKILL && !IsSkillObjectReady()) return false;

    const uint32_t now = plat::timeGetTime();
    if (!Elapsed(data, attack ? CCharData::DELAY_ATTACK_CAST : CCharData::DELAY_SKILL_CAST, now))
        return false;
    const bool afterDone =
        Elapsed(data, attack ? CCharData::DELAY_ATTACK_AFTER : CCharData::DELAY_SKILL_AFTER, now);
    if (!afterDone && !(data.m_comboWindowOpen && now - data.m_comboWindowTime <= COMBO_WINDOW_MS))
        return false;
    if (attack) return true;

    if (!server || !g_pSkillTableMgr) return true;
    const int32_t row = skillId != 0 ? SkillIdToRow(skillId) : SkillIdToRow(data.GetSelectedSkillId());
    const int32_t level = int32_t(data.GetSkillLevel(row));
    for (int n = 0; n < COST_COUNT; ++n) {
        const int64_t cost = g_pSkillTableMgr->GetLevelCost(row, level, n);
        if (CostValue(data, n) < cost) {
            SetMessage(message, capacity, COST_TEXT_FIRST + n);
            return false;
        }
    }
    return true;
}

bool CCharController::IsCharVisible(CChar* viewer) const {
    if (g_hideAllChars || !m_pData || m_pData->m_hiddenMark || m_pData->m_hideByte2) return false;
    IAniEvents* events = GetAniEvents();
    if (!viewer || viewer == m_pOwner || (m_pOwner && m_pOwner->m_alwaysVisible) || !g_pMap || !events)
        return true;
    if (events->IsFieldScriptRunning() && events->IsPlayerHideSet() && m_pOwner &&
        m_pOwner->GetKind() == CHAR_KIND_PLAYER)
        return false;
    if (!events->IsVisualEventRunning() && g_pCharMgr && g_pCharMgr->GetPlayer() && m_pData->IsStatus(9))
        return false;
    return true;
}

bool CCharController::NearTarget(uint32_t charId) {
    const uint32_t now = plat::timeGetTime();
    if (m_stepGuardOn && now - m_stepGuardTime > STEP_GUARD_MS) m_stepGuardOn = 0;
    if (m_stepGuardOn) return true;
    CChar* other = g_pCharMgr ? g_pCharMgr->GetChar(charId) : nullptr;
    if (!other || !m_pOwner) return false;
    const int32_t dx = std::abs(other->m_cellX - m_pOwner->m_cellX),
                  dy = std::abs(other->m_cellY - m_pOwner->m_cellY);
    if (dx > NEAR_TARGET_TILES || dy > NEAR_TARGET_TILES) return false;
    if (m_pData && m_pData->m_motion != 4) {
        m_stepGuardOn = 1;
        m_stepGuardTime = now;
    }
    return true;
}

bool CCharController::IsSkillObjectReady() const {
    const CCharAction* action = Action();
    return !action || action->m_skillReady != 0;
}

bool CCharController::CanEquipItem(CItemObject* item, char* message, size_t capacity) const {
    if (message && capacity > 0) message[0] = '\0';
    if (!item || !m_pData || !m_pOwner) return false;
    const uint8_t position = item->GetByte41();
    if (position == 0 || position >= std::size(m_pData->m_items)) return false;
    const CDataTable* table = g_pItemTableMgr ? g_pItemTableMgr->GetTable() : nullptr;
    const int32_t row = item->GetItemRow();
    const uint16_t mask = GetTableBlockWord(table, ITEM_COL_CLASS_MASK, row);
    if (!(mask & 1)) {
        // The types go by name: two types of one name wear the same things.
        const int32_t type = GetCharTypeIndex(m_pOwner->m_resourceId);
        const char* own = type >= 0 ? GetTableText(TYPE_NAME_TABLE, TYPE_NAME_FIRST + type) : "";
        bool allowed = false;
        for (int k = 1; k <= TYPE_COUNT && !allowed; ++k)
            allowed = (mask & (1u << k)) && *own &&
                      std::strcmp(own, GetTableText(TYPE_NAME_TABLE, TYPE_NAME_FIRST + k - 1)) == 0;
        if (!allowed) {
            SetMessage(message, capacity, EQUIP_TEXT_TYPE);
            return false;
        }
    }
    const int count = std::min<int>(GetTableByte(table, ITEM_COL_REQUIREMENTS, row), EQUIP_REQUIREMENTS);
    for (int k = 0; k < count; ++k) {
        const uint8_t kind = GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k, row);
        const int64_t needed = GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k + 1, row);
        int64_t have = 0;
        if (kind == REQUIRE_LEVEL)
            have = int32_t(m_pData->m_values[VALUE_LEVEL]);
        else if (kind == REQUIRE_SKILL_LEVEL)
            have = m_pData->GetSkillLevel(SkillIdToRow(item->GetSkillId()));
        else if (kind >= REQUIRE_FIRST_ATTRIBUTE && kind <= REQUIRE_LAST)
            have = int32_t(m_pData->m_values[VALUE_ATTRIBUTES + kind - REQUIRE_FIRST_ATTRIBUTE]);
        else
            continue;  // a kind nothing here measures asks for nothing
        if (have < needed) {
            SetMessage(message, capacity, EQUIP_TEXT_FIRST_REQUIREMENT + kind - REQUIRE_LEVEL);
            return false;
        }
    }
    return true;
}

namespace {

bool ItemClassUsable(int itemClass, CItemObject* item, uint32_t& value) {
    IItemClassUseRule* rule = GetItemClassUseRule();
    value = 0;
    return !rule || !item || rule->CanUseItemClass(itemClass, item, value);
}

}  // namespace

bool CCharController::CanUseItemClass10(CItemObject* item, uint32_t& value) const {
    return ItemClassUsable(10, item, value);
}

bool CCharController::CanUseItemClass11(CItemObject* item, uint32_t& value) const {
    return ItemClassUsable(11, item, value);
}
