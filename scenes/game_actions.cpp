#include "scenes/game_actions.h"

#include "anim/field_sound.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "data/item_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/game_scene.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/cursor.h"

bool CanUseItemOnKind(uint8_t flags, int32_t targetKind, bool placeAccepted) {
    if ((flags & ITEM_USE_ON_PLACE) && placeAccepted) return true;
    if (targetKind < 0 || (flags & ITEM_USE_NEVER)) return false;
    switch (targetKind) {
        case 0:
            return (flags & ITEM_USE_ON_PLAYER) != 0;
        case 1:
            return (flags & ITEM_USE_ON_NPC) != 0;
        case 2:
            return (flags & ITEM_USE_ON_MONSTER) != 0;
        case 6:
            return (flags & ITEM_USE_ON_MAP_OBJECT) != 0;
        default:
            return true;
    }
}

bool CanUseItemOn(const CItemObject* item, int32_t targetKind, bool placeAccepted) {
    return CanUseItemOnKind(item ? uint8_t(item->GetByte36()) : 0, targetKind, placeAccepted);
}

uint32_t UiSoundEffect(int32_t kind) {
    switch (kind) {
        case 0:
        case 1:
            return 424;
        case 2:
        case 3:
            return 427;
        case 4:
            return 425;
        default:
            return 0;
    }
}

void PlayUiSound(int32_t kind) {
    const uint32_t effect = UiSoundEffect(kind);
    if (IFieldSound* sound = GetFieldSound(); sound && effect) sound->PlaySoundEffect(effect, -1, -1, 1);
}

// ---- The queued-action block ----

void CGameScene::ClearHoldFlags() {
    m_leftHold = m_rightHold = 0;
}

void CGameScene::ClearAttack() {
    m_attack[0] = m_attack[1] = 0;
    if (m_pPlayer)
        if (CCharData* data = m_pPlayer->GetData()) data->SetControlFlag(0);
}

void CGameScene::ClearQueuedActions() {
    ClearHoldFlags();
    ClearAttack();
    m_pickUp = m_actionA = m_actionB = m_skillOnChar = m_charAction = 0;
    m_actionAId = m_actionBId = m_skillOnCharValue = -1;
}

bool CGameScene::HasQueuedTarget() const {
    return m_attack[0] || m_attack[1] || m_skillOnChar || m_charAction;
}

bool CGameScene::HasQueuedAction() const {
    return HasQueuedTarget() || m_pickUp || m_actionA || m_actionB;
}

void CGameScene::StartMoveHold(bool repeat) {
    if (repeat) return;
    ClearQueuedActions();
    m_leftHold = 1;
    m_lastRepeat = plat::timeGetTime();
}

void CGameScene::QueuePickUp(int32_t objectId) {
    ClearQueuedActions();
    m_pickUp = 1;
    m_pickUpId = objectId;
}

void CGameScene::QueueActionA(int32_t id) {
    ClearQueuedActions();
    m_actionA = 1;
    m_actionAId = id;
}

void CGameScene::QueueActionB(int32_t id) {
    ClearQueuedActions();
    m_actionB = 1;
    m_actionBId = id;
}

void CGameScene::TakeQueuedTarget(CChar* character) {
    m_queuedId = character ? int32_t(character->GetCharId()) : -1;
    m_queuedKind = character ? int32_t(character->GetKind()) : -1;
}

void CGameScene::QueueCharacterAction(CChar* character) {
    ClearQueuedActions();
    m_charAction = 1;
    TakeQueuedTarget(character);
}

void CGameScene::QueueSkillOnCharacter(CChar* character, int32_t value) {
    ClearQueuedActions();
    m_skillOnChar = 1;
    m_skillOnCharValue = value;
    TakeQueuedTarget(character);
}

void CGameScene::QueueAttack(CChar* character, bool first) {
    ClearQueuedActions();
    m_attack[first ? 0 : 1] = 1;
    TakeQueuedTarget(character);
    if (m_pPlayer)
        if (CCharData* data = m_pPlayer->GetData()) data->SetControlFlag(1);
}

void CGameScene::ClearForAiming() {
    ClearHoldFlags();
    ClearAttack();
    m_pickUp = m_actionA = m_actionB = 0;
    m_actionAId = m_actionBId = -1;
}

void CGameScene::BeginSkillAiming(int32_t skillRow) {
    ClearForAiming();
    m_actionMode = 2;
    m_aimSkillRow = skillRow;
    if (g_pCursor) g_pCursor->SetMode(2);
}

void CGameScene::BeginItemAiming(uint32_t slot, uint32_t code, uint32_t word3, uint32_t word4) {
    ClearForAiming();
    m_aimWords[0] = slot;
    m_aimWords[1] = code;
    m_aimWords[2] = word3;
    m_aimWords[3] = word4;
    m_actionMode = 1;
    if (g_pCursor) g_pCursor->SetMode(1);
}

void CGameScene::EndAiming() {
    m_actionMode = 0;
    if (g_pCursor) g_pCursor->SetMode(0);
}

void CGameScene::RepeatHeldButtons() {
    const uint32_t now = plat::timeGetTime();
    const int32_t x = g_pInputMgr ? g_pInputMgr->m_mouseX : 0, y = g_pInputMgr ? g_pInputMgr->m_mouseY : 0;
    if ((m_skillOnChar || m_actionB) && now - m_lastRepeat > m_repeatInterval) {
        m_lastRepeat = now;
        HandleRightClick(x, y);
    }
    if ((m_leftHold || m_rightHold || m_attack[0] || m_attack[1] || m_pickUp || m_charAction || m_actionA) &&
        now - m_lastRepeat > m_repeatInterval) {
        m_lastRepeat = now;
        HandleGameInput(x, y, false);
    }
}

// ---- The aimed use ----

CItemObject* CGameScene::AimedItem(uint32_t slot) {
    // The slot comes from the aiming words: a slot outside the bag finds nothing.
    if (slot >= uint32_t(CSlotObjectMgr::SLOT_COUNT) || !g_pItemTableMgr) return nullptr;
    CSlotObjectMgr* bag = g_pItemTableMgr->GetContainer(0);
    return bag ? bag->GetSlot(int(slot)) : nullptr;
}

bool CGameScene::UseSkillOn(CChar* target, int32_t targetKind, bool blockingObject) {
    const int32_t mouseX = g_pInputMgr ? g_pInputMgr->m_mouseX : 0;
    const int32_t mouseY = g_pInputMgr ? g_pInputMgr->m_mouseY : 0;
    if (m_aimWords[3] == 0) {
        CItemObject* item = AimedItem(m_aimWords[0]);
        if (!item) {
            EndAiming();
            return false;
        }
        const IsoPoint tile = ScreenToTile(mouseX, mouseY);
        const bool place = m_pPlayer && item->CanUseAt(m_pPlayer, tile.x, tile.y);
        if (CanUseItemOn(item, targetKind, place)) {
            if (targetKind == POINTED_MAP_OBJECT && blockingObject) {
                EndAiming();
                return false;
            }
            if (g_config.m_useServer)
                if (CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr)
                    controller->UseItem(item, target, tile.x, tile.y);
            EndAiming();
        }
        return true;
    }
    if (!g_pSkillTableMgr || !m_pPlayer) return true;
    CCharData* data = m_pPlayer->GetData();
    CCharController* controller = m_pPlayer->GetController();
    const int32_t row = SkillIdToRow(m_aimWords[3]);
    const int32_t level = data ? int32_t(data->GetSkillLevel(row)) : 0;
    if (g_pSkillTableMgr->GetTargetType(row) == 5) {
        const IsoPoint tile = ScreenToTile(mouseX, mouseY);
        if (g_pSkillTableMgr->IsPointInRange(m_pPlayer, row, level, tile.x, tile.y)) {
            ++m_skillUsesStarted;
            if (g_config.m_useServer) UseLearnedSkill(row, nullptr);
        }
        EndAiming();
        return true;
    }
    if (!target || !g_pSkillTableMgr->IsValidTarget(m_pPlayer, target, row)) return true;
    const bool shift = (uint16_t(plat::GetAsyncKeyState(plat::VK_SHIFT)) & 0x8000) != 0;
    if (g_pSkillTableMgr->IsTargetInRange(m_pPlayer, row, level, target)) {
        char reason[256] = {};
        if (controller && controller->CanUseSkill(g_pSkillTableMgr->HasByte6(row), m_aimWords[3], false,
                                                  reason, sizeof reason)) {
            ++m_skillUsesStarted;
            if (g_config.m_useServer) UseLearnedSkill(row, target);
            EndAiming();
        }
        return true;
    }
    if (!shift && controller && controller->CanStartAction()) {
        const auto [x, y] = g_pSkillTableMgr->FindCastPosition(m_pPlayer, row, level, target);
        if (x >= 0 && y >= 0) WalkTo(x, y);
    }
    return true;
}
