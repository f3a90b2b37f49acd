// A double-click on an item: a worn item comes off; an item in the bag opens
// its window, or is worn or used through the player's controller.
#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "data/text_tables.h"
#include "platform/clock.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_targets.h"
#include "ui/items/item_world.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace {

constexpr uint32_t kDeathStatus = 49;
constexpr uint32_t kSkillIdBase = 3000000;
constexpr uint32_t kReuseGuardMs = 2000;
constexpr uint8_t kTargetedUse = 0x10;  // column 36: used on a target the player picks
constexpr int kItemTextTable = 19, kNoAlbumRow = 75;

enum : uint32_t {
    kAlbumItemA = 1003670,
    kAlbumItemB = 1004071,
    kAlbumViewItem = 1003669,
    kWorldMapItem0 = 1002901,
    kWorldMapItem1 = 1001784,
    kWorldMapItem2 = 1003376,
    kIncubatorItem = 1003035,
    kCookbookItem1 = 1003953,
    kCookbookItem2 = 1003954,
    kGuardedItem = 1004540,
};

bool PlayerMayWear(IItemWorld& world) {
    CChar* player = world.GetPlayer();
    return player && !world.IsInBlockingState() && !world.HasStatus(player, kDeathStatus);
}

// Shown and brought to the front; false when the window is not there.
bool BringUp(const char* name) {
    CBaseWindow* window = FindItemTargetWindow(name);
    if (!window) return false;
    window->Show();
    g_pWindowMgr->BringToFront(window);
    return true;
}

bool OpenWorldMap(int32_t mode, uint32_t itemId) {
    CBaseWindow* window = FindItemTargetWindow(WORLD_MAP_WINDOW_NAME);
    auto* map = dynamic_cast<IItemWorldMapTarget*>(window);
    if (!map) return false;
    map->SetMode(mode);
    window->Show();
    map->SetSourceItem(itemId);
    return true;
}

bool HandTo(const char* name, CItemIcon* icon) {
    auto* target = dynamic_cast<IItemIconTarget*>(FindItemTargetWindow(name));
    if (!target) return false;
    target->DropIcon(icon, WindowMouseX(), WindowMouseY());
    return true;
}

bool InventoryHolds(uint32_t itemId) {
    CSlotObjectMgr* bag = g_pItemTableMgr ? g_pItemTableMgr->GetContainer(0) : nullptr;
    return bag && bag->FindByItemId(itemId);
}

}  // namespace

bool CItemIcon::UseItem() {
    const uint32_t previousUse = m_lastUseTime;
    m_lastUseTime = plat::timeGetTime();
    if (m_disabled || m_state == ITEM_ON_GROUND) return false;
    IItemWorld* world = GetItemWorld();

    if (m_state == ITEM_WORN) {
        if (!HasByte41() || !world || !PlayerMayWear(*world)) return false;
        PlayUiSound("UnequipItem");
        world->Unequip(this, g_config.m_useServer);
        return true;
    }
    if (m_state != ITEM_IN_INVENTORY) return false;

    switch (m_itemId) {
        case kAlbumItemA:
        case kAlbumItemB:
            if (InventoryHolds(kAlbumViewItem) && world && world->RunAlbumOperation(this)) return true;
            if (g_pWindowMgr) {
                auto* box = new CMessageBox(GetTableText(kItemTextTable, kNoAlbumRow), true, false, true, 0);
                g_pWindowMgr->AddChild(box);
                box->SetActive(true, false);
            }
            return false;
        case kAlbumViewItem:
            return BringUp(ALBUM_WINDOW_NAME);
        case kWorldMapItem0:
            return OpenWorldMap(0, m_itemId);
        case kWorldMapItem1:
            return OpenWorldMap(1, m_itemId);
        case kWorldMapItem2:
            return OpenWorldMap(2, m_itemId);
        case kIncubatorItem:
            return HandTo(INCUBATOR_WINDOW_NAME, this);
        default:
            break;
    }
    if (IsItemClass10() || IsItemClass11()) return HandTo(RECIPE_WINDOW_NAME, this);
    if (m_itemId == kCookbookItem1 || m_itemId == kCookbookItem2) return BringUp(COOKBOOK_WINDOW_NAME);
    if (m_itemId == kGuardedItem && m_lastUseTime - previousUse < kReuseGuardMs) {
        m_lastUseTime = previousUse;  // too soon: as if it had not been touched
        return true;
    }

    // Ordinary use.
    if (!world || !world->GetPlayer() || !world->CanAct()) return false;
    if (!HasByte41()) {
        const uint32_t skill = GetSkillId();
        if (skill > kSkillIdBase)
            world->UseSkillItem(SkillIdToRow(skill), GetId(), m_slotIndex, GetByte36());
        else if (uint8_t(GetByte36()) & kTargetedUse)
            world->UseTargetedItem(this);
        else
            world->UseItem(GetId(), m_slotIndex, GetByte36());
        return true;
    }
    if (!PlayerMayWear(*world)) return false;
    PlayUiSound("EquipItem");
    world->Equip(this, g_config.m_useServer);
    return true;
}
