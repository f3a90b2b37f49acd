// The field clicks of the game scene: a left click walks, attacks or acts on
// what it hits; a right click ends the held actions and the aiming.
#include <algorithm>

#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "core/util.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/skill_table_mgr.h"
#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "platform/keyboard.h"
#include "scenes/game_actions.h"
#include "scenes/game_scene.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/chars/hud_windows.h"
#include "world/map/map.h"
#include "world/map/map_data.h"

namespace {

bool Held(int key) {
    return (uint16_t(plat::GetAsyncKeyState(key)) & 0x8000) != 0;
}

bool IsDead(CChar* character) {
    CCharData* data = character ? character->GetData() : nullptr;
    return data && data->m_motion == MOTION_DEAD;
}

}  // namespace

bool CGameScene::EventBlocksInput() {
    IAniEvents* events = GetAniEvents();
    return events && events->IsInputLocked();
}

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
    // The controller takes a walk only as a move record; m_value carries the
    // report-to-server flag.
    auto walk = std::make_unique<CCharMoveMsg>(m_pPlayer->GetCharId(), uint32_t(tileX), uint32_t(tileY));
    walk->m_value = g_config.m_useServer ? 1u : 0u;
    g_pCharMgr->PostRecord(std::move(walk), 0);
    return true;
}

bool CGameScene::UseLearnedSkill(int32_t row, CChar* target) {
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!data || !controller) return false;
    const int32_t count = std::min(data->m_skillCount, CCharData::MAX_SKILLS);
    for (int32_t i = 0; i < count; ++i)
        if (int32_t(data->m_skillRows[i]) == row) return controller->UseSkill(i, target);
    return false;
}

// ---- Placed objects ----

MapServerObject* CGameScene::FindPlacedObject(int32_t id) {
    CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
    return map && id >= 0 ? map->FindObjectById(uint32_t(id)) : nullptr;
}

MapServerObject* CGameScene::PickPlacedObject(int32_t x, int32_t y) {
    CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
    float distance = 9999.0f;
    return map ? map->PickObjectAt(x, y, false, &distance) : nullptr;
}

IsoPoint CGameScene::PlacedObjectTile(const MapServerObject& object) {
    return {(object.m_x2 - object.m_x1) / 2 + object.m_x1, (object.m_y2 - object.m_y1) / 2 + object.m_y1};
}

bool CGameScene::ReachPlacedObject(uint8_t& flag, int32_t& id) {
    if (MapServerObject* object = FindPlacedObject(id); object && m_pPlayer) {
        const IsoPoint tile = PlacedObjectTile(*object);
        if (m_pPlayer->m_cellX != tile.x || m_pPlayer->m_cellY != tile.y) return false;
        GameSession().SendUserStoreOpen(object->m_id);
    }
    flag = 0;
    id = -1;
    return true;
}

bool CGameScene::WalkOntoPlacedObject(int32_t x, int32_t y, uint8_t kind) {
    MapServerObject* object = PickPlacedObject(x, y);
    if (!object || object->m_byte != kind || !m_pPlayer) return false;
    if (kind == PLACED_OBJECT_ROD)
        QueueActionB(int32_t(object->m_id));
    else
        QueueActionA(int32_t(object->m_id));
    const IsoPoint tile = PlacedObjectTile(*object);
    WalkTo(tile.x, tile.y);
    return true;
}

// ---- Items on the ground ----

CItemObject* CGameScene::FindGroundItem(int32_t objectId) {
    return g_pMap && objectId >= 0 ? g_pMap->FindFieldObject(uint32_t(objectId)) : nullptr;
}

CItemObject* CGameScene::NearestGroundItem() {
    return g_pMap && m_pPlayer ? g_pMap->FindNearestReachableObject(m_pPlayer) : nullptr;
}

CItemObject* CGameScene::PickGroundItem(int32_t x, int32_t y) {
    CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
    if (!map) return nullptr;
    CItemObject* best = nullptr;
    float bestDistance = 9999.0f;
    for (CMsgObject* child : map->ObjectLayer().Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        CAniObject* ani = item ? item->GetAniObject() : nullptr;
        if (!ani || ani->m_hidden) continue;
        const AniRect r = ani->GetBounds(false, false);
        if (!(x > r.left && x < r.right && y > r.top && y < r.bottom)) continue;
        const float d =
            GetDistance(float(x), float(y), float(r.left + r.right) / 2.0f, float(r.top + r.bottom) / 2.0f);
        if (d < bestDistance) {
            best = item;
            bestDistance = d;
        }
    }
    return best;
}

bool CGameScene::PickUpNearestItem() {
    CItemObject* item = NearestGroundItem();
    if (!item) return false;
    return ClickGroundItem(item, false);
}

bool CGameScene::ClickGroundItem(CItemObject* item, bool testShift) {
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!item || !controller || !g_pCharMgr) return true;
    const uint32_t objectId = item->GetSecondId(0);
    if (!m_pickUp)
        if (IFieldSound* sound = GetFieldSound())
            if (const uint16_t id = sound->FindEffectIdByName("ItemGet(Click)"))
                sound->PlaySoundEffect(id, -1, -1, 1);
    const auto [x, y] = item->GetMapPoint();
    auto pickUp = [&] {
        g_pCharMgr->PostRecord(
            std::make_unique<CCharValueMsg>(CHAR_EVENT_PICK_UP, m_pPlayer->GetCharId(), objectId), 0);
    };
    if (!controller->IsNearTile(x, y)) {
        if (testShift && Held(plat::VK_SHIFT)) return true;
        // The pick-up stays queued even while the player cannot act (reeling
        // from a hit): the repeat walks there once the player may act.
        QueuePickUp(int32_t(objectId));
        if (controller->CanStartAction()) WalkTo(x, y);
        pickUp();
        return true;
    }
    // Within reach, likewise: a player who cannot act just now keeps the
    // press as a queued pick-up, asked again by the repeat.
    if (g_config.m_useServer && !controller->CanStartAction()) {
        QueuePickUp(int32_t(objectId));
        return true;
    }
    m_pickUp = m_actionA = m_actionB = 0;
    m_pickUpId = m_actionAId = m_actionBId = -1;
    if (g_config.m_useServer) pickUp();
    return true;
}

void CGameScene::TurnPlayerToward(IsoPoint tile) {
    // Only a player under control turns (not a dead one, nor one casting).
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!controller || !controller->CanControl()) return;
    m_pPlayer->SetDirection(uint8_t(
        GetDirection(float(m_pPlayer->m_cellX), float(m_pPlayer->m_cellY), float(tile.x), float(tile.y))));
    GameSession().SendDirection(m_pPlayer->m_direction);
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
        UseLearnedSkill(row, target);
    }
    return true;
}

bool CGameScene::HandleGameInput(int32_t x, int32_t y, bool byUser) {
    if (EventBlocksInput()) return true;
    if (byUser && m_pointedId != -1 && Held(plat::VK_MENU)) {
        ShowNameMemoMark(m_pointedId, m_pointedKind);
        return true;
    }
    if (m_actionMode == 1) return ClickInItemAiming(x, y) || true;
    if (m_actionMode == 2) return ClickInSkillAiming(x, y) || true;
    if (!IsMapLoaded()) return true;
    const IsoPoint tile = ScreenToTile(x, y);
    const bool shift = Held(plat::VK_SHIFT);
    if (shift) TurnPlayerToward(tile);
    // A click by the user stops a running attack; a repeat stops at a gone
    // or dead target.
    if (m_attack[0] || m_attack[1]) {
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(uint32_t(m_queuedId)) : nullptr;
        if (byUser || !target || (IsDead(target) && target->m_attackable)) {
            ClearAttack();
            if (!byUser) return true;
        }
    }
    // A queued pick-up whose item has gone ends; the repeat stops there.
    if (m_pickUp && !FindGroundItem(m_pickUpId)) {
        m_pickUp = 0;
        m_pickUpId = -1;
        if (!byUser) return true;
    }
    if (m_actionB) {
        m_actionB = 0;
        m_actionBId = -1;
        if (!byUser) return true;
    }
    // Walking onto a placed object: its request once the player is there.
    // A click by the user on the way gives it up and counts as a new click
    // (else a player who cannot get there could never click again).
    if (m_actionA) {
        if (ReachPlacedObject(m_actionA, m_actionAId) || !byUser) return true;
        m_actionA = 0;
        m_actionAId = -1;
    }
    int32_t id = m_pointedId, kind = m_pointedKind;
    if (m_attack[0] || m_attack[1]) {
        id = m_queuedId;
        kind = m_queuedKind;
    } else if (m_pickUp) {
        if (!m_leftHold && !m_rightHold) return ClickGroundItem(FindGroundItem(m_pickUpId), true);
    } else if (m_charAction) {
        id = m_queuedId;
        kind = m_queuedKind;
        if (!g_pCharMgr || !g_pCharMgr->GetChar(uint32_t(id))) {
            m_charAction = 0;
            return true;
        }
    }
    // The pointed item on the ground is picked up (walked to first).
    if (kind == POINTED_MAP_OBJECT && !m_leftHold && !m_rightHold)
        if (CItemObject* item = FindGroundItem(id)) return ClickGroundItem(item, true);
    CChar* target =
        (id != -1 && kind >= 0 && kind <= 3 && g_pCharMgr) ? g_pCharMgr->GetChar(uint32_t(id)) : nullptr;
    if (target && !m_leftHold && !m_rightHold && kind == CHAR_KIND_PLAYER && byUser && Held(plat::VK_MENU)) {
        ShowPlayerMenu(target);
        return true;
    }
    // On a map without battles a monster clicked by the user is asked about
    // (request 67) instead of attacked.
    if (target && byUser && kind == CHAR_KIND_MONSTER && !m_leftHold && !m_rightHold && g_pMap &&
        g_pMap->IsNoBattleZone()) {
        GameSession().SendUserStoreOpen(target->GetCharId());
        return true;
    }
    if (target && !m_leftHold && !m_rightHold && (kind == CHAR_KIND_PLAYER || kind == CHAR_KIND_MONSTER)) {
        CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
        if (controller && CanPlayerAttack(target)) {
            if (IsDead(target) || !controller->CanStartAction()) return true;
            if (AttackTarget(target)) return true;
        }
    }
    if (target && byUser && kind == CHAR_KIND_NPC && !m_leftHold && !m_rightHold) return ClickNpc(target);
    // Shift never walks.
    if (shift) return true;
    if (WalkOntoPlacedObject(x, y, PLACED_OBJECT_WALK_ONTO)) return true;
    // A cell the player cannot stand on gives way to the nearest one the
    // controller finds; with none the click has nowhere to go.
    IsoPoint goal = tile;
    if (m_pPlayer && (goal.x != m_pPlayer->m_cellX || goal.y != m_pPlayer->m_cellY) &&
        !IsPassableAt(goal.x, goal.y)) {
        CCharController* controller = m_pPlayer->GetController();
        goal = controller ? controller->FindFreeSpot(goal.x, goal.y) : IsoPoint{-1, -1};
        if (goal.x < 0 || goal.y < 0) return false;
    }
    return WalkTo(goal.x, goal.y);
}

void CGameScene::ActOnTarget(int32_t mode, CChar* target) {
    if (mode == 0 && !target) return;
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!data || !controller) return;
    if (mode == 1 && g_pSkillTableMgr && g_pSkillTableMgr->HasByte6(SkillIdToRow(data->GetSelectedSkillId())))
        return;
    if (!controller->CanStartAction()) return;
    if (mode == 1)
        TryUseSkill(target, -1);
    else if (mode == 0 && !IsDead(target))
        AttackTarget(target);
}

// ---- Function menus ----

IFunctionMenu* CGameScene::FunctionMenu(const char* identifier, CBaseWindow** window) {
    CBaseWindow* found = m_windows.Get(identifier);
    if (window) *window = found;
    return dynamic_cast<IFunctionMenu*>(found);
}

void CGameScene::ShowPlayerMenu(CChar* character) {
    CBaseWindow* window = nullptr;
    IFunctionMenu* menu = FunctionMenu(gamewin::kPcMenu, &window);
    if (!menu || !character) return;
    menu->SetTarget(character->GetCharId(), nullptr);
    window->Show();
    window->SetActive(true, false);
}

void CGameScene::ShowNpcMenu(CChar* npcChar) {
    CBaseWindow* window = nullptr;
    IFunctionMenu* menu = FunctionMenu(gamewin::kNpcMenu, &window);
    auto* npc = dynamic_cast<CNpcChar*>(npcChar);
    if (!menu || !npc) return;
    if (menu->GetTargetId() != npc->GetCharId()) {
        window->Hide();
        GameSession().SendNpcOpen(npc->GetCharId());
    }
    char name[CHAR_TEXT_SIZE] = {};
    const bool named = npc->IsUserShopMerchant() && g_pCharMgr &&
                       g_pCharMgr->GetCharName(npc->GetCharId(), name, sizeof name);
    menu->SetTarget(npc->GetCharId(), named ? name : nullptr);
    window->SetPosition(npc->GetX(), npc->GetY());
    window->Show();
    window->SetActive(true, false);
}

void CGameScene::TurnNpcToPlayer(CNpcChar* npc) {
    if (npc && m_pPlayer && npc->TurnsToTalker())
        npc->SetDirection(uint8_t(
            GetDirection(float(npc->m_x), float(npc->m_y), float(m_pPlayer->m_x), float(m_pPlayer->m_y))));
}

bool CGameScene::ClickNpc(CChar* npcChar) {
    auto* npc = dynamic_cast<CNpcChar*>(npcChar);
    if (!npc || !m_pPlayer) return true;
    // A personal-store merchant is only walked to while the merchants are hidden.
    if (npc->IsUserShopMerchant() && g_options.GetByte(OPT_HIDE_MERCHANTS)) return WalkToward(npc);
    GameSession().SendUserStoreOpen(npc->GetCharId());
    TurnNpcToPlayer(npc);
    if (npc->TestFlagBit(NPC_FUNCTION_FORTRESS_BOARD)) {
        if (CBaseWindow* board = FindOrMakeWindow(gamewin::kFortressBoard)) {
            const CDisplaySettings& screen = GetDisplaySettings();
            board->SetPosition((screen.screenWidth - board->GetWidth()) / 2,
                               (screen.screenHeight - board->GetHeight()) / 2);
            board->Show();
        }
        return true;
    }
    // The windows of the NPC's other functions join here as they are built;
    // an NPC without one talks, its menu put away.
    if (npc->m_functionFlags == 0) {
        if (CBaseWindow* menu = m_windows.Get(gamewin::kNpcMenu)) menu->Hide();
        GameSession().SendNpcTalk(npc->GetCharId());
    }
    const float reach = GameWorld().GetRadius(npc) + GameWorld().GetRadius(m_pPlayer) + 12.0f;
    if (GetDistance(float(m_pPlayer->m_x), float(m_pPlayer->m_y), float(npc->m_x), float(npc->m_y)) > reach)
        return WalkToward(npc);
    // The page NPCs open the game's web pages; the others see the player turn to them.
    if (npc->m_resourceId == NPC_WEB_PAGE || npc->m_resourceId == NPC_WEB_NOTICE) {
        if (IWebPageView* web = WebPageView()) {
            if (npc->m_resourceId == NPC_WEB_PAGE)
                web->OpenPage();
            else
                web->OpenNotice();
        }
        return true;
    }
    m_pPlayer->SetDirection(uint8_t(
        GetDirection(float(m_pPlayer->m_x), float(m_pPlayer->m_y), float(npc->m_x), float(npc->m_y))));
    return true;
}

bool CGameScene::WalkToward(CChar* character) {
    if (!m_pPlayer) return false;
    const int32_t tx = character->m_cellX, ty = character->m_cellY;
    if (IsPassableAt(tx, ty)) return WalkTo(tx, ty);
    // The character's own tile is taken: the free tile beside it nearest the player.
    int32_t bestX = -1, bestY = -1;
    float best = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            if ((dx || dy) && IsPassableAt(tx + dx, ty + dy)) {
                const float d = GetDistance(float(tx + dx), float(ty + dy), float(m_pPlayer->m_cellX),
                                            float(m_pPlayer->m_cellY));
                if (bestX < 0 || d < best) {
                    bestX = tx + dx;
                    bestY = ty + dy;
                    best = d;
                }
            }
        }
    return bestX >= 0 && WalkTo(bestX, bestY);
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
    if (g_pSkillTableMgr && m_pPlayer && g_pSkillTableMgr->IsValidTarget(m_pPlayer, target, m_aimSkillRow)) {
        TryUseSkill(target, m_aimSkillRow);
        EndAiming();
    }
    return true;
}

bool CGameScene::HandleRightClick(int32_t x, int32_t y) {
    if (EventBlocksInput()) return true;
    ClearAttack();
    m_pickUp = 0;
    ClearHoldFlags();
    if (!IsMapLoaded()) return true;
    if (m_actionMode == 1) return ClickInItemAiming(x, y) || true;
    if (m_actionMode == 2) return ClickInSkillAiming(x, y) || true;
    if (m_actionB) {
        // The rod's placed object: its request once the player stands on it.
        ReachPlacedObject(m_actionB, m_actionBId);
        return true;
    }
    m_actionA = 0;
    m_actionAId = -1;
    if (Held(plat::VK_SHIFT)) TurnPlayerToward(ScreenToTile(x, y));
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    if (!data) return true;
    CChar* target = nullptr;
    int32_t kind = m_pointedKind;
    int32_t row = -1;
    if (m_skillOnChar) {
        target = g_pCharMgr ? g_pCharMgr->GetChar(uint32_t(m_queuedId)) : nullptr;
        kind = m_queuedKind;
        if (!target) {
            m_skillOnChar = 0;
            return true;
        }
        row = m_skillOnCharValue;
    } else {
        target = PointedChar();
        if (data->m_skillSelected && kind != CHAR_KIND_NPC) row = SkillIdToRow(data->GetSelectedSkillId());
    }
    if (row >= 0 && g_pSkillTableMgr) {
        const uint8_t type = g_pSkillTableMgr->GetTargetType(row);
        if (IsSkillAllowedHere(SKILL_ID_BASE + uint32_t(row)) && (type == 13 || type == 14)) {
            if (m_actionMode != 2 || m_aimSkillRow != row) BeginSkillAiming(row);
            return true;
        }
        if (kind == CHAR_KIND_NPC) return true;
        if (g_pSkillTableMgr->HasByte6(row)) return true;
        CCharController* controller = m_pPlayer->GetController();
        if (!controller || !controller->CanStartAction()) return true;
        if (type == 3) target = m_pPlayer;
        if (TryUseSkill(type == 5 ? nullptr : target, row)) return true;
        // A rod skill clicked beside every character takes the placed object there.
        const uint32_t skillId = SKILL_ID_BASE + uint32_t(row);
        if (!target && skillId >= ROD_PLACED_SKILL_FIRST && skillId <= ROD_PLACED_SKILL_LAST)
            WalkOntoPlacedObject(x, y, PLACED_OBJECT_ROD);
        return true;
    }
    // A right click on an NPC opens its menu beside it.
    auto* npc = kind == CHAR_KIND_NPC ? dynamic_cast<CNpcChar*>(target) : nullptr;
    if (!npc || (npc->IsUserShopMerchant() && g_options.GetByte(OPT_HIDE_MERCHANTS))) return true;
    if (ISceneEvents* events = GetSceneEvents(); events && events->IsVisualEventRunning()) return true;
    if (IAniEvents* events = GetAniEvents(); events && events->IsFieldScriptRunning()) return true;
    TurnNpcToPlayer(npc);
    ShowNpcMenu(npc);
    return true;
}

// ---- Skill use ----

bool CGameScene::IsSkillAllowedHere(uint32_t skillId) {
    return !g_pMap || g_pMap->SkillAllowedHere(skillId);
}

void CGameScene::RefuseSkill(const char* reason) {
    if (IFieldSound* sound = GetFieldSound()) {
        if (const uint16_t id = sound->FindEffectIdByName("NeedMP")) sound->PlaySoundEffect(id, -1, -1, 1);
    }
    if (reason && *reason) m_overlays.SetNotice(0, reason);
}

bool CGameScene::TryUseSkill(CChar* target, int32_t skillRow) {
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!data || !controller || !g_pSkillTableMgr) return false;
    int32_t row = skillRow;
    if (row == -1)
        row = SkillIdToRow(data->GetSelectedSkillId());
    else if (!data->HasSkill(row))
        return false;
    const uint32_t skillId = SKILL_ID_BASE + uint32_t(row);
    if (g_config.m_useServer && g_pSkillTableMgr->HasByte6(row)) return false;
    if (!IsSkillAllowedHere(skillId)) return false;
    const int32_t level = int32_t(data->GetSkillLevel(row));
    const bool shift = Held(plat::VK_SHIFT);
    char reason[256] = {};
    if (g_pSkillTableMgr->GetTargetType(row) == 5) {
        const int32_t mx = g_pInputMgr ? g_pInputMgr->m_mouseX : 0,
                      my = g_pInputMgr ? g_pInputMgr->m_mouseY : 0;
        const IsoPoint point = ScreenToTile(mx, my);
        if (!g_pSkillTableMgr->IsPointInRange(m_pPlayer, row, level, point.x, point.y)) {
            if (shift || !controller->CanStartAction()) return false;
            const auto [x, y] =
                g_pSkillTableMgr->FindCastPositionForPoint(m_pPlayer, row, level, point.x, point.y);
            return x >= 0 && y >= 0 && WalkTo(x, y);
        }
        m_skillOnChar = 0;
        if (controller->CanUseSkill(false, skillId, false, reason, sizeof reason)) {
            ++m_skillUsesStarted;
            UseLearnedSkill(row, nullptr);
            return true;
        }
        RefuseSkill(reason);
        return false;
    }
    if (!g_pSkillTableMgr->IsTargetInRange(m_pPlayer, row, level, target)) {
        if (shift || !controller->CanStartAction()) return false;
        const auto [x, y] = g_pSkillTableMgr->FindCastPosition(m_pPlayer, row, level, target);
        if (x < 0 || y < 0 || !WalkTo(x, y)) return false;
        QueueSkillOnCharacter(target, row);
        return true;
    }
    m_skillOnChar = 0;
    if (controller->CanUseSkill(false, skillId, false, reason, sizeof reason) &&
        g_pSkillTableMgr->IsValidTarget(m_pPlayer, target, row)) {
        ++m_skillUsesStarted;
        UseLearnedSkill(row, target);
        return true;
    }
    RefuseSkill(reason);
    return false;
}
