#include "app/item_world.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/main_mgr.h"
#include "data/item_object.h"
#include "data/slot_object_mgr.h"
#include "data/text_tables.h"
#include "scenes/game_scene.h"
#include "ui/items/item_drop_msg.h"
#include "ui/items/item_world.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/cursor.h"
#include "world/map/map.h"

namespace {

// The type code an item asks of a character: 1 for a player character.
constexpr int32_t kPlayerCharType = 1, kOtherCharType = 0;
// The class names: text table 0 from row 14, one per character type.
constexpr int kClassNameTable = 0, kFirstClassNameRow = 14;
// The aim a targeted item starts in the game scene: an item, on a character.
constexpr uint32_t kAimItemCode = 1;

CChar* Player() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

CCharController* PlayerController() {
    CChar* player = Player();
    return player ? player->GetController() : nullptr;
}

CGameScene* GameScene() {
    return g_pMainMgr ? dynamic_cast<CGameScene*>(g_pMainMgr->FindChildByKind(SCENE_GAME)) : nullptr;
}

class CProgramItemWorld : public IItemWorld {
public:
    // ---- The map ----
    bool ScreenToTile(int32_t x, int32_t y, int32_t* tileX, int32_t* tileY) override {
        if (!g_pMap) return false;
        const IsoPoint tile = g_pMap->ScreenToTile(x, y);
        *tileX = tile.x;
        *tileY = tile.y;
        return true;
    }
    bool CanDropOnTile(int32_t tileX, int32_t tileY) override {
        return g_pMap && g_pMap->IsPassableAt(tileX, tileY) && g_pMap->CanDropItemAt(tileX / 4, tileY / 4);
    }
    // Playing alone the item's own drop record lays it down: the player's
    // controller moves the whole item from its bag onto the map at the tile.
    void HandleMapMessage(CMsgPayload& record) override {
        if (auto* drop = dynamic_cast<CItemDropMsg*>(&record)) {
            CCharController* controller = PlayerController();
            CSlotObjectMgr* bag =
                controller && controller->Data() ? controller->Data()->Container() : nullptr;
            auto* item = bag ? dynamic_cast<CItemObject*>(bag->FindChild(drop->m_objectId)) : nullptr;
            if (item) controller->DropItem(item, int32_t(drop->m_tileX), int32_t(drop->m_tileY));
            return;
        }
        if (g_pMap) g_pMap->HandleMessage(record);
    }

    // ---- Characters ----
    CChar* GetPlayer() override { return Player(); }
    // The player's own character is not one to give to.
    CChar* PickCharAt(int32_t x, int32_t y) override {
        return g_pCharMgr ? g_pCharMgr->PickCharAt(x, y, false, nullptr, false) : nullptr;
    }
    uint32_t GetCharId(CChar* character) override { return character ? character->GetCharId() : 0; }
    int32_t GetCharType(CChar* character) override {
        return character && character->GetKind() == CHAR_KIND_PLAYER ? kPlayerCharType : kOtherCharType;
    }
    bool HasStatus(CChar* character, uint32_t status) override {
        CCharData* data = character ? character->GetData() : nullptr;
        return data && status <= uint32_t(INT32_MAX) &&
               CCharMgr::CheckCharStatus(data->m_status, int32_t(status));
    }
    uint32_t GetLevel(CChar* character) override {
        CCharData* data = character ? character->GetData() : nullptr;
        return data ? data->m_values[VALUE_LEVEL] : 0;
    }
    const char* GetClassName(CChar* character) override {
        const int32_t type = character ? GetCharTypeIndex(character->m_resourceId) : -1;
        return type >= 0 ? GetTableText(kClassNameTable, kFirstClassNameRow + type) : "";
    }
    uint32_t GetCursorMode() override { return g_pCursor ? g_pCursor->GetMode() : 0; }

    // ---- The player's controller ----
    bool CanAct() override {
        CCharController* controller = PlayerController();
        return controller && controller->CanStartAction();
    }
    // A skill use waiting for the server's answer holds the player.
    bool IsInBlockingState() override {
        CCharController* controller = PlayerController();
        return controller && (controller->IsPendingSkillAttack() || controller->IsPendingSkillOther());
    }
    // The ground drop of a server's game: the point request with the item's
    // bag slot as its kind and the amount as its count.
    void DropOnGround(int32_t tileX, int32_t tileY, int32_t slotIndex, uint32_t amount) override {
        if (CCharController* controller = PlayerController())
            controller->SendPointRequest(tileX, tileY, uint8_t(slotIndex),
                                         int32_t(std::min<uint32_t>(amount, INT32_MAX)));
    }
    // With a server the item's slot goes to it (request 28); playing alone the
    // controller wears the bag's item or takes the worn one off.
    void Equip(CItemObject* item, bool serverPlay) override {
        CCharController* controller = PlayerController();
        if (!controller || !item) return;
        if (serverPlay)
            controller->UseItemBySlot(item);
        else
            controller->EquipFromSlot(item->GetSlotIndex());
    }
    void Unequip(CItemObject* item, bool serverPlay) override {
        CCharController* controller = PlayerController();
        if (!controller || !item) return;
        // A worn item has no bag slot: the server is told its place.
        if (serverPlay)
            controller->SendItemKind(item);
        else
            controller->TakeOffById(item->GetItemId());
    }
    void UseSkillItem(int32_t skillRow, uint32_t, int32_t slotIndex, int8_t) override {
        if (CCharController* controller = PlayerController())
            controller->UseQuickSkill(uint8_t(slotIndex), skillRow, nullptr);
    }
    // An item used on a target: the game scene aims it, and the click on the
    // target uses it.
    void UseTargetedItem(CItemObject* item) override {
        CGameScene* scene = GameScene();
        if (scene && item && item->GetSlotIndex() >= 0)
            scene->BeginItemAiming(uint32_t(item->GetSlotIndex()), kAimItemCode, 0, 0);
    }
    // An item used on nothing: its place, when it takes one, is the player's tile.
    void UseItem(uint32_t, int32_t slotIndex, int8_t) override {
        CCharController* controller = PlayerController();
        CSlotObjectMgr* bag = controller && controller->Data() ? controller->Data()->Container() : nullptr;
        CItemObject* item = bag ? bag->GetSlot(slotIndex) : nullptr;
        if (!item) return;
        const auto [tileX, tileY] = controller->Owner()->GetMapPoint();
        controller->UseItem(item, nullptr, tileX, tileY);
    }

    // ---- A character's effects and worn parts ----
    void AddItemEffect(CChar* character, uint32_t key1, uint32_t key2, uint8_t kind, uint16_t valueA,
                       uint16_t valueB, uint8_t flag) override {
        if (ICharEffectList* effects = character ? character->GetEffects() : nullptr)
            effects->AddEffect(key1, key2, kind, valueA, valueB, flag);
    }
    void RemoveItemEffect(CChar* character, uint32_t key1, uint32_t key2) override {
        if (ICharEffectList* effects = character ? character->GetEffects() : nullptr)
            effects->RemoveEffect(key1, key2);
    }
    // The character resource tables hold no part table: every character is
    // drawn in one piece, and an item puts no sprites of its own on it.
    bool HasSeparateParts(CChar*) override { return false; }
    uint32_t GetPartKind(CChar*) override { return 0; }
    bool GetItemParts(uint32_t, uint32_t, std::vector<uint32_t>*) override { return false; }
    void AttachPart(CChar*, uint32_t) override {}
    void DetachPart(CChar*, uint32_t) override {}
    void HighlightPart(CChar*, uint32_t, uint8_t) override {}

    // ---- The game scene ----
    // The album is not part of the program yet: its items find no operation.
    bool RunAlbumOperation(CItemObject*) override { return false; }
};

CProgramItemWorld g_programItemWorld;

}  // namespace

void InstallItemWorld() {
    SetItemWorld(&g_programItemWorld);
}
