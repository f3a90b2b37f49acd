// The operations of the windows an item can be dropped on, each a small
// interface its window class implements. The item finds the window by its
// identifier in the window manager; a window that is missing, or that does
// not implement the operation, takes nothing.
#pragma once
#include <cstdint>

class CBaseWindow;
class CItemIcon;

inline constexpr const char* ITEM_EXCHANGE_WINDOW_NAME = "ITEM_EXCHANGE_WINDOW";
inline constexpr const char* DEPOSIT_WINDOW_NAME = "DepositWindow";
inline constexpr const char* USER_STORE_WINDOW_NAME = "MyStoreWindow";
inline constexpr const char* CLUB_DEPOSIT_WINDOW_NAME = "CLUB_DEPOSIT_WINDOW";
inline constexpr const char* ACCOUNT_WINDOW_NAME = "ATS_ACCOUNT_WIN";
inline constexpr const char* GAMBLE_WINDOW_NAME = "GAMBAMBO_WIN";
inline constexpr const char* QUICK_SLOT_WINDOW_NAME = "QuickSlotWindow";
inline constexpr const char* ROULETTE_WINDOW_NAME = "MAGIC_ROULLETE_WIN";
inline constexpr const char* INVENTORY_WINDOW_NAME = "ItemInventoryWindow";
inline constexpr const char* EQUIP_WINDOW_NAME = "ItemEquipWindow";
inline constexpr const char* TRADE_WINDOW_NAME = "TRADE_WINDOW";
inline constexpr const char* INCUBATOR_WINDOW_NAME = "Pet_Incubator_Window";
inline constexpr const char* PET_WINDOW_NAME = "Pet_Interface";

// The top-level window with the identifier, or null.
CBaseWindow* FindItemTargetWindow(const char* name);

// The deposit and the club deposit.
class IItemDepositTarget {
public:
    virtual ~IItemDepositTarget() = default;
    virtual void DepositItem(CItemIcon* icon, uint32_t amount) = 0;
    virtual void WithdrawItem(int32_t slotIndex, uint32_t amount) = 0;
};

// The item exchange: an offer by amount, or a single piece.
class IItemOfferTarget {
public:
    virtual ~IItemOfferTarget() = default;
    virtual void OfferItem(int32_t slotIndex, uint32_t amount) = 0;
    virtual void OfferSingle(CItemIcon* icon) = 0;
};

// The player's own store.
class IItemStoreTarget {
public:
    virtual ~IItemStoreTarget() = default;
    // Open for selling: it takes no items.
    virtual bool IsSelling() = 0;
    virtual void AddItem(CItemIcon* icon, uint32_t amount) = 0;
};

// The gambling game and the account window: a test, then the drop.
class IItemGameTarget {
public:
    virtual ~IItemGameTarget() = default;
    virtual bool AcceptsItem(CItemIcon* icon, int32_t mouseX, int32_t mouseY) = 0;
    virtual void OnItemDrop(int32_t mouseX, int32_t mouseY, CItemIcon* icon, uint32_t amount) = 0;
};

// A window that takes the icon itself: the quick slots (at the point), the
// roulette, the trade window, the inventory, the incubator and the pet window.
class IItemIconTarget {
public:
    virtual ~IItemIconTarget() = default;
    virtual void DropIcon(CItemIcon* icon, int32_t mouseX, int32_t mouseY) = 0;
};

// The equipment window: the icon worn in the slot of a slot class, or null.
class IItemEquipTarget {
public:
    virtual ~IItemEquipTarget() = default;
    virtual CItemIcon* GetWornItem(uint8_t slotClass) = 0;
};

inline constexpr const char* WORLD_MAP_WINDOW_NAME = "World_Map_Interface";
inline constexpr const char* ALBUM_WINDOW_NAME = "Pet_Album_View_Window";
inline constexpr const char* RECIPE_WINDOW_NAME = "COOKING_RECIPE_WINDOW";
inline constexpr const char* COOKBOOK_WINDOW_NAME = "COOKING_COOKBOOK_WINDOW";

// The world map opened by a map item.
class IItemWorldMapTarget {
public:
    virtual ~IItemWorldMapTarget() = default;
    virtual void SetMode(int32_t mode) = 0;
    virtual void SetSourceItem(uint32_t itemId) = 0;
};
