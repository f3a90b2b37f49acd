// The controller's side of the user's item and skill actions: the requests
// a use sends (and what its payload carries), the send cooldown, and the
// character's item container (picking up, dropping, placing items).
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "net/handlers/item_records.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/items/item_icon.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/hud_windows.h"
#include "world/map/map.h"
#include "world/map/map_data.h"

namespace {

constexpr int32_t NEAR_TILE_DISTANCE = 4;
constexpr uint32_t QUICK_SKILL_ID_FROM = 3000000;  // item ids above it are quick-slot skills
constexpr char kClubWindow[] = "Club_BaseWindow";
constexpr uint32_t STATE_EVENT_SPARK = 84;
constexpr uint32_t SPARK_ANI = 3194;
constexpr int32_t SPARK_LAYER = 6;
constexpr uint32_t STATE_EVENT_HIT_MARK = 96;
constexpr uint32_t HIT_MARK_OBJECT_ID = 3001495;  // the ring the hit marks go to

// Item use flags (item-table column 36) of the target kinds.
constexpr uint8_t USE_ON_PLAYER = 0x08;
constexpr uint8_t USE_ON_NPC = 0x04;
constexpr uint8_t USE_ON_MONSTER = 0x02;
constexpr uint8_t USE_ON_FIELD_OBJECT = 0x01;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}
void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

// A tile as a wire word: negative coordinates are 0.
uint16_t WireTile(int32_t v) {
    return uint16_t(v < 0 ? 0 : v > 0xFFFF ? 0xFFFF : v);
}

// The map tile under the mouse; false without a map.
bool MouseTile(int32_t* x, int32_t* y) {
    if (!g_pMap) return false;
    const IsoPoint p = g_pMap->ScreenToTile(WindowMouseX(), WindowMouseY());
    *x = p.x;
    *y = p.y;
    return true;
}

bool IsPersonKind(const CChar* c) {
    return c && c->GetKind() <= CHAR_KIND_MONSTER;
}

uint8_t UseFlagOfKind(uint16_t kind) {
    switch (kind) {
        case CHAR_KIND_PLAYER:
            return USE_ON_PLAYER;
        case CHAR_KIND_NPC:
            return USE_ON_NPC;
        case CHAR_KIND_MONSTER:
            return USE_ON_MONSTER;
        default:
            return USE_ON_FIELD_OBJECT;
    }
}

// An item of a server record: its ids, count, name (cut to its size) and
// extra record.
void FillItem(CItemObject& item, uint32_t firstId, uint32_t secondId, uint32_t count,
              const CItemRecordPart& part) {
    item.SetSecondIds(firstId, secondId);
    item.SetCount(count);
    item.SetName(part.m_name);
    CopyItemRecord(item.Record(), part.m_record);
}

// The location state of an item kept by the deposit.
constexpr uint32_t DEPOSIT_ITEM_STATE = 8;

CChar* OwnChar() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

}  // namespace

// ---- Skills ----

bool CCharController::BuildSkillPayload(int32_t row, CChar* target, bool quickSlot,
                                        std::vector<uint8_t>& payload, bool* place) const {
    payload.clear();
    if (place) *place = false;
    const bool server = g_config.m_useServer;
    const uint8_t kind = g_pSkillTableMgr ? g_pSkillTableMgr->GetTargetType(row) : 0;
    auto id = [&](CChar* c) {
        PutU32(payload, c->GetCharId());
        return true;
    };
    auto mouse = [&] {
        int32_t x = 0, y = 0;
        if (!MouseTile(&x, &y)) return false;
        PutU16(payload, WireTile(x));
        PutU16(payload, WireTile(y));
        if (place) *place = true;
        return true;
    };
    switch (kind) {
        case 0:
            return true;
        case 1:
            return CanAttack(target) && id(target);
        case 2:
            if (!target) return false;
            if (!server) return !(quickSlot && target == OwnChar()) && id(target);
            return target != OwnChar() && !CanAttack(target) && id(target);
        case 3:
            return m_pOwner && id(m_pOwner);
        case 4:
            return IsPersonKind(target) && id(target);
        case 5:
            return mouse();
        case 6:
            return target && target->GetKind() == CHAR_KIND_PLAYER && id(target);
        case 7:
            return IsPersonKind(target) && mouse() && id(target);
        case 8:
            return target && id(target);
        case 13:
            if (!target) return false;
            return (!server || !CanAttack(target)) && id(target);
        case 14:
            return target && target->GetKind() == CHAR_KIND_PLAYER &&
                   const_cast<CCharController*>(this)->IsTeamMember(target->GetName()) && id(target);
        default:
            return true;
    }
}

bool CCharController::UseSkill(int32_t learnedIndex, CChar* target) {
    m_comboReady = 0;
    if (!m_pData || learnedIndex < 0 || learnedIndex >= m_pData->m_skillCount) return false;
    const int32_t row = int32_t(m_pData->m_skillRows[learnedIndex]);
    std::vector<uint8_t> payload;
    bool place = false;
    if (!BuildSkillPayload(row, target, false, payload, &place)) return false;
    const uint8_t kind = place ? uint8_t(m_pData->m_selectedCombo < 0 ? 0 : m_pData->m_selectedCombo)
                               : uint8_t(m_pData->IsAttackSkill(row) ? 1 : 0);
    CharRequests().SendUseSkill(m_pData->m_skillFlags[learnedIndex], kind, payload.data(), payload.size());
    m_pendingUseFlag = 1;
    m_pendingUseTime = plat::timeGetTime();
    m_pendingUseRow = row;
    if (target) m_pData->m_pendingTarget = int32_t(target->GetCharId());
    return true;
}

bool CCharController::UseQuickSkill(uint8_t slot, int32_t skillRow, CChar* target) {
    std::vector<uint8_t> payload;
    if (!BuildSkillPayload(skillRow, target, true, payload, nullptr)) return false;
    CharRequests().SendUseQuickSkill(slot, payload.data(), payload.size());
    return true;
}

// ---- Items ----

bool CCharController::UseItem(CItemObject* item, CChar* target, int32_t x, int32_t y) {
    if (!item) return false;
    const uint8_t slot = uint8_t(item->GetSlotIndex());
    if (item->GetItemId() > QUICK_SKILL_ID_FROM)
        return UseQuickSkill(slot, SkillIdToRow(item->GetItemId()), target);
    const uint8_t flags = uint8_t(item->GetByte36());
    std::vector<uint8_t> payload;
    if (flags & ITEM_USE_ON_PLACE) {
        PutU16(payload, WireTile(x));
        PutU16(payload, WireTile(y));
    } else if (target && !(flags & ITEM_USE_NEVER)) {
        if (!(flags & UseFlagOfKind(target->GetKind()))) return false;
        PutU32(payload, target->GetCharId());
    }
    CharRequests().SendUseItem(slot, payload.data(), payload.size());
    return true;
}

void CCharController::UseItemBySlot(CItemObject* item) {
    if (item) CharRequests().SendUseItem(uint8_t(item->GetSlotIndex()), nullptr, 0);
}

void CCharController::SendItemKind(CItemObject* item) {
    if (item) CharRequests().SendItemKind(item->GetByte41());
}

void CCharController::SetSendCooldown(uint32_t ms) {
    m_cooldownLeft = ms;
    m_cooldownTime = plat::timeGetTime();
}

bool CCharController::SendPointRequest(int32_t x, int32_t y, uint8_t kind, int32_t count) {
    const uint32_t now = plat::timeGetTime();
    const uint32_t passed = now - m_cooldownTime;
    m_cooldownLeft = m_cooldownLeft > passed ? m_cooldownLeft - passed : 0;
    m_cooldownTime = now;
    if (m_cooldownLeft > 0 || count < 1) return false;
    CharRequests().SendPointRequest(kind, uint16_t(count > 0xFFFF ? 0xFFFF : count), WireTile(x),
                                    WireTile(y));
    return true;
}

bool CCharController::IsNearTile(int32_t x, int32_t y) const {
    if (!m_pOwner) return false;
    const int64_t dx = int64_t(x) - m_pOwner->m_cellX, dy = int64_t(y) - m_pOwner->m_cellY;
    return dx * dx + dy * dy <= int64_t(NEAR_TILE_DISTANCE) * NEAR_TILE_DISTANCE;
}

CItemObject* CCharController::PickUpAt(int32_t x, int32_t y) {
    CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    if (!map || !container || !m_pOwner) return nullptr;
    if (x == -1) {
        x = m_pOwner->m_cellX;
        y = m_pOwner->m_cellY;
    }
    if (!IsNearTile(x, y)) return nullptr;
    CItemObject* found = nullptr;
    for (CMsgObject* child : map->ObjectLayer().Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        CAniObject* ani = item ? item->GetAniObject() : nullptr;
        if (ani && ani->m_mapX / 24 == x && ani->m_mapY / 12 == y) {
            found = item;
            break;
        }
    }
    if (!found) return nullptr;
    // A full container leaves the item where it lies.
    int slot = 0;
    while (slot < CSlotObjectMgr::SLOT_COUNT && container->GetSlot(slot)) ++slot;
    if (slot == CSlotObjectMgr::SLOT_COUNT) return nullptr;
    CItemObject* item = map->ObjectLayer().TakeOutItem(found);
    if (!item || !container->AddChild(item)) {
        delete item;
        return nullptr;
    }
    container->PutInSlot(item, uint8_t(slot));
    item->SetSlotIndex(slot);
    if (item->GetState() == ITEM_ON_GROUND) item->SetState(ITEM_IN_INVENTORY);
    item->Show();
    return item;
}

bool CCharController::DropItem(CItemObject* item, int32_t x, int32_t y) {
    CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
    if (!item || !map || !m_pOwner || !CanStandUp()) return false;
    if (x == -1) {
        x = m_pOwner->m_cellX;
        y = m_pOwner->m_cellY;
    }
    // The item leaves whatever held it for the map's object layer: a worn
    // (or timed) item comes off without being deleted, leaving the timed list.
    std::unique_ptr<CItemObject> held;
    if (CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr)
        held.reset(container->TakeOutItem(item));
    for (auto& worn : m_pData->m_items) {
        if (worn.get() != item) continue;
        for (size_t i = 0; i < m_timedItems.size(); ++i)
            if (m_timedItems[i] == item) {
                m_timedItems.erase(m_timedItems.begin() + std::ptrdiff_t(i));
                m_timedLeft.erase(m_timedLeft.begin() + std::ptrdiff_t(i));
                break;
            }
        held.reset(worn.release());
        RefreshEquipmentEffects();
    }
    const bool owned = held != nullptr;
    CItemObject* placed = owned ? held.release() : item;
    if (!map->PlaceObject(placed, x * 24, y * 12, 0)) {
        if (owned) delete placed;  // nothing holds it any more
        return false;
    }
    return true;
}

bool CCharController::DropById(uint32_t itemId, int32_t x, int32_t y) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    CItemObject* item = container ? container->FindByItemId(itemId) : nullptr;
    return item && DropItem(item, x, y);
}

CItemObject* CCharController::GetOrCreateItem(uint32_t itemId, uint32_t count, int32_t slot, bool show) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    if (!container || slot >= CSlotObjectMgr::SLOT_COUNT || slot < -1) return nullptr;
    if (slot < 0) {
        if (CItemObject* item = container->FindByItemId(itemId); item && item->GetSlotIndex() < 0)
            return item;
    } else if (CItemObject* there = container->GetSlot(slot)) {
        if (there->GetItemId() == itemId) {
            there->SetSlotIndex(slot);
            return there;
        }
        container->RemoveBySlot(slot);
    }
    CItemObject* item = g_pItemTableMgr ? g_pItemTableMgr->MakeItem(itemId) : nullptr;
    if (!item) return nullptr;
    item->SetCount(count);
    // An item of a column-41 kind replaces the one of its kind.
    if (slot == -1 && item->HasByte41())
        if (CItemObject* same = container->FindByByte41(item->GetByte41())) container->RemoveItem(same);
    if (!PlaceItem(item, slot, 0)) {
        delete item;
        return nullptr;
    }
    if (show) item->Show();
    return item;
}

CItemObject* CCharController::AddItemFromRecord(const CInvenItemMsg& record) {
    CItemObject* item = GetOrCreateItem(record.m_v1, record.m_v3, record.m_slot, true);
    if (!item) return nullptr;
    FillItem(*item, record.m_v1, record.m_v2, record.m_v3, record);
    // The window shows the record's count and name, also for an item it had.
    RefreshInventoryWindow();
    return item;
}

void CCharController::AddItemFromPayload(CMsgData* payload) {
    if (auto* record = ReadRecord<CInvenItemMsg>(payload)) AddItemFromRecord(*record);
}

bool CCharController::PutIntoDepositWindow(const CStoredItemMsg& record) {
    if (record.m_v2 == 0 || !g_pItemTableMgr || !g_pWindowMgr) return false;
    // The stored item is the deposit's own: the inventory slot of the same
    // number keeps what it holds.
    std::unique_ptr<CItemObject> item(g_pItemTableMgr->MakeItem(record.m_v1));
    if (!item) return false;
    FillItem(*item, record.m_v1, 0, record.m_v2, record);
    item->SetState(DEPOSIT_ITEM_STATE);
    auto* deposit = dynamic_cast<IDepositView*>(FindOrMakeWindow(DEPOSIT_WINDOW_ID));
    if (!deposit) return false;
    deposit->AddStoredItem(std::move(item), record.m_slot, record.m_v2, record.m_after[0], record.m_after[1]);
    return true;
}

bool CCharController::RefreshDepositWindow(uint32_t value) {
    auto* deposit = dynamic_cast<IDepositView*>(
        g_pWindowMgr ? g_pWindowMgr->FindWindowByName(DEPOSIT_WINDOW_ID) : nullptr);
    if (!deposit) return false;
    deposit->Refresh(value);
    return true;
}

void CCharController::ShowSpeech(const char* name, const char* text) {
    CCharAction* action = Action();
    auto* speech = dynamic_cast<ICharSpeechView*>(action ? action->SpeechWindow() : nullptr);
    if (speech) speech->ShowSpeech(name ? name : "", text ? text : "");
}

bool CCharController::PlaceItem(CItemObject* item, int32_t slot, uint8_t flag) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    if (!item || !container || slot >= CSlotObjectMgr::SLOT_COUNT) return false;
    item->SetFlags(flag);
    if (!container->FindChild(item->GetId()) && !container->AddChild(item)) return false;
    // Placed in the bag, a new item is in the inventory: it can be dragged
    // and used (made, its location reads "on the ground").
    if (item->GetState() == ITEM_ON_GROUND) item->SetState(ITEM_IN_INVENTORY);
    if (slot >= 0) {
        container->PutInSlot(item, uint8_t(slot));
        item->SetSlotIndex(slot);
    }
    RefreshInventoryWindow();
    return true;
}

void CCharController::RefreshInventoryWindow() const {
    CCharAction* action = Action();
    if (auto* inventory = dynamic_cast<IInventoryView*>(action ? action->HudWindow(HUD_INVENTORY) : nullptr))
        inventory->RefreshItems();
}

bool CCharController::RemoveItem(uint32_t itemId) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    CItemObject* item = container ? container->FindByItemId(itemId) : nullptr;
    if (!item) return false;
    container->RemoveItem(item);
    RefreshInventoryWindow();
    return true;
}

namespace {

// Moves a container's item into the worn items; false when it cannot be worn.
bool WearFromContainer(CCharController& controller, CSlotObjectMgr* container, CItemObject* item) {
    if (!container || !item || !controller.Data()) return false;
    const uint8_t position = item->GetByte41();
    if (position == 0 || position >= std::size(controller.Data()->m_items) || item->GetState() == 1)
        return false;
    std::unique_ptr<CItemObject> taken(container->TakeOutItem(item));
    return taken && controller.Equip(std::move(taken));
}

}  // namespace

bool CCharController::EquipFromList(uint32_t itemId) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    return WearFromContainer(*this, container, container ? container->FindByItemId(itemId) : nullptr);
}

bool CCharController::EquipFromSlot(int32_t slot) {
    CSlotObjectMgr* container = m_pData ? m_pData->Container() : nullptr;
    if (!container || slot < 0 || slot >= CSlotObjectMgr::SLOT_COUNT) return false;
    return WearFromContainer(*this, container, container->GetSlot(slot));
}

bool CCharController::MoveRequest(int32_t x, int32_t y) {
    if (!m_pData || !m_pOwner || m_pData->m_motion == MOTION_DEAD || m_pData->m_motion == MOTION_HELD_DOWN ||
        m_pData->m_motion == MOTION_LYING)
        return false;
    if (m_pOwner != OwnChar()) return false;
    CharRequests().SendDestination(uint8_t(m_pData->m_moveMode), WireTile(x), WireTile(y));
    return true;
}

void CCharController::SetByte60(uint8_t value) {
    if (m_pData) m_pData->m_byte60 = value;
}

uint8_t CCharController::GetByte60() const {
    return m_pData ? m_pData->m_byte60 : 0;
}

bool CCharController::IsSameClub(CChar* other) const {
    CBaseWindow* club = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(kClubWindow) : nullptr;
    return club && club->IsVisibleInTree() && other && m_pOwner &&
           std::strcmp(m_pOwner->m_clubName, other->m_clubName) == 0;
}

bool CCharController::OnServerEvent(uint32_t code, uint32_t value, uint16_t extra) {
    if (code == STATE_EVENT_SPARK && m_pOwner) {
        PlayOnChar(m_pOwner, SPARK_ANI, 0, SPARK_LAYER, false);
        return true;
    }
    if (code == STATE_EVENT_HIT_MARK && m_pData) {
        CCharStatusObject* ring = m_pData->FindAttachedById(HIT_MARK_OBJECT_ID);
        if (!ring) return false;
        ring->AddHitMark(value, extra);
        return true;
    }
    return false;
}
