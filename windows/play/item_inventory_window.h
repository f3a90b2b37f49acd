// CItemInventoryWindow ("ItemInventoryWindow"): the player's bag as a
// scrolled list of six rows with a footer (bag slots used, load, money).
// It sorts four ways, starts item drags, uses an item on a double click,
// describes it on a right click, and merges or splits stacks dropped on one
// another. Its child CPremiumItemInventoryWindow lists the item shop's
// bought items and presents.
#pragma once
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/items/item_targets.h"
#include "ui/tooltip_window.h"
#include "windows/play/item_window_parts.h"
#include "world/chars/hud_windows.h"

class CButton;
class CItemIcon;
class CMessageBox;
class CNumberInputWindow;
class CScrollBar;
class CSlotObjectMgr;

inline constexpr char INVENTORY_IMAGE_NAME[] = "Inventory_Image";
inline constexpr char ITEM_SHOP_IMAGE_NAME[] = "Inventory_ItemShop_Image";
inline constexpr char PREMIUM_INVENTORY_NAME[] = "PremiumItemInventoryWindow";
inline constexpr char PREMIUM_NOTICE_WINDOW_NAME[] = "Premium_Item_Notification_Window";

inline constexpr int32_t INVENTORY_ENTRIES = 65;  // the list's ids
inline constexpr int32_t INVENTORY_ROWS = 6;
inline constexpr int32_t INVENTORY_BAG_SLOTS = 64;
inline constexpr int32_t INVENTORY_ROW_HEIGHT = 25;
inline constexpr uint32_t INVENTORY_SCROLL_STEP_MS = 51;
inline constexpr int INVENTORY_NAME_BYTES = 34;
// The pictures' sizes (the rectangle of a window without its picture).
inline constexpr int32_t INVENTORY_WIDTH = 344, INVENTORY_HEIGHT = 210;
inline constexpr int32_t ITEM_SHOP_WIDTH = 344, ITEM_SHOP_HEIGHT = 196;

// Sort modes.
enum : uint8_t {
    SORT_WORN_FIRST = 0,
    SORT_WORN_LAST = 1,
    SORT_BAG_ORDER = 2,
    SORT_CLASS_4_FIRST = 3,
};

// The row of a list under a point, for a list whose top left is (x, y): the
// rows are 25 pixels apart from y + 34 across x .. x + 324 (borders
// excluded); -1 off the list. Row = trunc((my - y - 34) x 0.04f).
int32_t ItemListRowAt(int32_t x, int32_t y, int32_t mx, int32_t my);

// Orders two bag entries (object handles, 0 empty) of the container for the
// sort mode: true when a goes before b. Empty entries go last; present items
// by the mode's keys, then by their item-table row, then by their handle, so
// that the order is strict and total.
bool InventoryEntryBefore(CSlotObjectMgr* container, uint8_t mode, uint32_t a, uint32_t b);

class CPremiumItemInventoryWindow;

class CItemInventoryWindow : public CBaseWindow,
                             public IPlayWindowOwner,
                             public IInventoryView,
                             public IItemIconTarget {
public:
    CItemInventoryWindow();
    ~CItemInventoryWindow() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    // The base hide, then docked (mode 2).
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool SetStateValue(int32_t value) override;
    bool UpdateRect() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    // IPlayWindowOwner.
    void SetOwnerId(uint32_t charId) override { m_ownerId = charId; }
    void SetItemContainer(CCharData* items) override;
    // IInventoryView: the list again, sorted.
    void RefreshItems() override;
    // IItemIconTarget: an item let go over the window.
    void DropIcon(CItemIcon* icon, int32_t, int32_t) override { OnItemDropped(icon); }

    // Fills the ids with the container's listed items (neither worn nor
    // unlisted), at most 65, in the container's order; sorts unless the mode
    // is 2.
    bool RefreshItemList(CSlotObjectMgr* container);
    void SortItems();
    void SetSortMode(uint8_t mode) { m_sortMode = mode; }
    uint8_t GetSortMode() const { return m_sortMode; }
    // The item of entry 0-64, or null.
    CItemIcon* GetItemAt(int32_t index);
    // The hovered entry from the mouse (or the pressed point while a button
    // is held), -1 for none.
    int32_t ComputeHovered();
    int32_t GetHovered() const { return m_hovered; }
    // An item released over the window: merge or split (false when nothing
    // was asked for).
    bool OnItemDropped(CItemIcon* item);

    uint32_t GetEntry(int32_t index) const {
        return index >= 0 && index < INVENTORY_ENTRIES ? m_ids[index] : 0;
    }
    int32_t FirstRow();
    CScrollBar* GetScrollBar() const;
    CButton* GetSortButton(int mode) const { return mode >= 0 && mode < 4 ? m_sortButtons[mode] : nullptr; }
    CButton* GetItemShopButton() const { return m_shopButton; }
    const CTitleButtons& TitleButtons() const { return m_title; }
    CMessageBox* GetInfoBox() const;
    CPremiumItemInventoryWindow* GetItemShopPanel() const;
    CNumberInputWindow* GetSplitInput() const;
    CSlotObjectMgr* Container() const;

private:
    void PlaceShopPanel();
    void DrawList();
    void UpdateHints();
    void AutoScroll();

    uint32_t m_ownerId = 0;
    CCharData* m_pItems = nullptr;  // the player's data (not owned)
    uint8_t m_sortMode = SORT_BAG_ORDER;
    uint32_t m_ids[INVENTORY_ENTRIES] = {};
    int32_t m_visibleRows = INVENTORY_ROWS;
    int32_t m_hovered = -1;
    int32_t m_pressX = 0, m_pressY = 0;  // the pressed point, relative to the window
    CToolTipWindow m_nameTip;
    CTitleButtons m_title;
    CButton* m_sortButtons[4] = {};
    CButton* m_shopButton = nullptr;
    CWeakRef m_scrollBar, m_infoBox, m_shopPanel, m_splitInput, m_splitItem;
    uint32_t m_lastScroll = 0;
};

// The item shop's panel under the inventory: tab 0 the bought items, 1 the
// presents, both the premium item manager's lists.
class CPremiumItemInventoryWindow : public CBaseWindow {
public:
    CPremiumItemInventoryWindow();
    ~CPremiumItemInventoryWindow() override;

    bool Create() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool UpdateRect() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    int32_t GetTab() const { return m_tab; }
    // Entry n of the tab's list, or null.
    CItemIcon* GetEntryItem(int32_t n);
    int32_t EntryCount();
    int32_t GetHovered() const { return m_hovered; }

private:
    int32_t ComputeHovered();
    void DrawList();

    int32_t m_tab = 0;
    int32_t m_hovered = -1;
    uint8_t m_infoHidden = 1;
    int32_t m_lastMaximum = -1;
    CToolTipWindow m_nameTip;
    CButton* m_bought = nullptr;
    CButton* m_present = nullptr;
    CButton* m_close = nullptr;
    CWeakRef m_scrollBar, m_infoBox;
};
