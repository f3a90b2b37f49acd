// The field clicks of the game scene: a left click walks, attacks or acts on
// what it hits; a right click ends the held actions and the aiming.
#include "anim/ani_services.h"
#include "core/config.h"
#include "core/util.h"
#include "data/skill_table_mgr.h"
#include "net/game_session.h"
#include "platform/keyboard.h"
#include "scenes/game_actions.h"
#include "scenes/game_scene.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

bool Held(int key) {
    return (uint16_t(plat::GetAsyncKeyState(key)) & 0x8000) != 0;
}

bool InputLocked() {
    IAniEvents* events = GetAniEvents();
    return events && events->IsInputLocked();
}

bool IsDead(CChar* character) {
    CCharData* data = character ? character->GetData() : nullptr;
    return data && data->m_motion == MOTION_DEAD;
}

}  // namespace

bool CGameScene::IsMapLoaded() {
    return g_pMap && g_pMap->IsLoaded();
}

IsoPoint CGameScene::ScreenToTile(int32_t x, int32_t y) {
    return g_pMap ? g_pMap->ScreenToTile(x, y) : IsoPoint{};
}

bool CGameScene::IsPassableAt(int32_t tileX, int32_t tileY) {
    return g_pMap && g_pMap->IsPassableAt(tileX, tileY);
}

bool CGameScene::CanPlayerAttack(CChar* target) {
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    return controller && controller->CanAttack(target);
}

bool CGameScene::WalkTo(int32_t tileX, int32_t tileY) {
    if (!m_pPlayer || !g_pCharMgr) return false;
    if (tileX == m_pPlayer->m_cellX && tileY == m_pPlayer->m_cellY) return true;
    if (!IsPassableAt(tileX, tileY)) return false;
    g_pCharMgr->PostRecord(
        std::make_unique<CCharValueMsg>(CHAR_EVENT_MOVE, m_pPlayer->GetCharId(),
                                        g_config.m_useServer ? 1u : 0u, uint32_t(tileX), uint32_t(tileY)),
        0);
    return true;
}

bool CGameScene::AttackTarget(CChar* target) {
    // The attack is the first skill of the player's current combo; without
    // one there is nothing to attack with.
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!data || !controller || !target || !g_pSkillTableMgr) return false;
    const int32_t combo = data->m_selectedCombo;
    if (combo < 0 || combo >= CCharData::COMBO_COUNT) return false;
    const int32_t row = int32_t(data->m_combos[combo][0]);
    if (!data->IsAttackSkill(row)) return false;
    const int32_t level = int32_t(data->GetSkillLevel(row));
    if (!g_pSkillTableMgr->IsTargetInRange(m_pPlayer, row, level, target)) {
        if (Held(plat::VK_CONTROL) || !controller->CanStartAction()) return true;
        if (!Held(plat::VK_SHIFT) && !m_attack[0] && !m_attack[1]) QueueCharacterAction(target);
        const auto [x, y] = g_pSkillTableMgr->FindCastPosition(m_pPlayer, row, level, target);
        if (x >= 0 && y >= 0) WalkTo(x, y);
        return true;
    }
    char reason[256] = {};
    if (controller->CanUseSkill(true, SKILL_ID_BASE + uint32_t(row), false, reason, sizeof reason) &&
        g_pSkillTableMgr->IsValidTarget(m_pPlayer, target, row) && CanPlayerAttack(target)) {
        PlayUiSound(data->m_comboStep);
        m_charAction = 0;
        ++m_attacksStarted;
    }
    return true;
}

bool CGameScene::HandleGameInput(int32_t x, int32_t y, bool byUser) {
    if (InputLocked()) return true;
    if (byUser && m_pointedId != -1 && Held(plat::VK_MENU)) {
        ShowNameMemoMark(m_pointedId, m_pointedKind);
        return true;
    }
    if (m_actionMode == 1) return ClickInItemAiming(x, y) || true;
    if (m_actionMode == 2) return ClickInSkillAiming(x, y) || true;
    if (!IsMapLoaded()) return true;
    const IsoPoint tile = ScreenToTile(x, y);
    const bool shift = Held(plat::VK_SHIFT);
    if (shift && m_pPlayer) {
        m_pPlayer->SetDirection(uint8_t(GetDirection(float(m_pPlayer->m_cellX), float(m_pPlayer->m_cellY),
                                                     float(tile.x), float(tile.y))));
        GameSession().SendDirection(m_pPlayer->m_direction);
    }
    // A click by the user stops a running attack; a repeat stops at a gone
    // or dead target.
    if (m_attack[0] || m_attack[1]) {
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(uint32_t(m_queuedId)) : nullptr;
        if (byUser || !target || (IsDead(target) && target->m_attackable)) {
            ClearAttack();
            if (!byUser) return true;
        }
    }
    if (m_actionB) {
        m_actionB = 0;
        m_actionBId = -1;
        if (!byUser) return true;
    }
    int32_t id = m_pointedId, kind = m_pointedKind;
    if (m_attack[0] || m_attack[1]) {
        id = m_queuedId;
        kind = m_queuedKind;
    } else if (m_charAction) {
        id = m_queuedId;
        kind = m_queuedKind;
        if (!g_pCharMgr || !g_pCharMgr->GetChar(uint32_t(id))) {
            m_charAction = 0;
            return true;
        }
    }
    CChar* target =
        (id != -1 && kind >= 0 && kind <= 3 && g_pCharMgr) ? g_pCharMgr->GetChar(uint32_t(id)) : nullptr;
    if (target && !m_leftHold && !m_rightHold && (kind == CHAR_KIND_PLAYER || kind == CHAR_KIND_MONSTER)) {
        CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
        if (controller && CanPlayerAttack(target)) {
            if (IsDead(target) || !controller->CanStartAction()) return true;
            if (AttackTarget(target)) return true;
        }
    }
    // Shift never walks.
    if (shift) return true;
    return WalkTo(tile.x, tile.y);
}

CChar* CGameScene::PointedChar() {
    if (m_pointedId == -1 || m_pointedKind < 0 || m_pointedKind > 2 || !g_pCharMgr) return nullptr;
    return g_pCharMgr->GetChar(uint32_t(m_pointedId));
}

bool CGameScene::ClickInItemAiming(int32_t x, int32_t y) {
    (void)x;
    (void)y;
    CChar* target = PointedChar();
    return UseSkillOn(target,
                      target ? m_pointedKind : (m_pointedKind == POINTED_MAP_OBJECT ? m_pointedKind : -1));
}

bool CGameScene::ClickInSkillAiming(int32_t x, int32_t y) {
    (void)x;
    (void)y;
    CChar* target = PointedChar();
    if (!target) {
        EndAiming();
        return false;
    }
    if (g_pSkillTableMgr && m_pPlayer && g_pSkillTableMgr->IsValidTarget(m_pPlayer, target, m_aimSkillRow))
        EndAiming();
    return true;
}

bool CGameScene::HandleRightClick(int32_t x, int32_t y) {
    if (InputLocked()) return true;
    ClearAttack();
    m_pickUp = 0;
    ClearHoldFlags();
    if (!IsMapLoaded()) return true;
    if (m_actionMode == 1) return ClickInItemAiming(x, y) || true;
    if (m_actionMode == 2) return ClickInSkillAiming(x, y) || true;
    m_actionA = 0;
    m_actionAId = -1;
    return false;
}
