// CItemIcon: one item wherever it is (on the ground, flying to it, in a
// window, on the cursor, worn). The item object of the item tables with its
// sprite, its location, the drop flight, the amount question or confirmation
// a move may be waiting for, and wearing on a character.
//
// The location is the item's state (CItemObject::GetState): see ItemLocation.
// Pop-ups are held weakly: one the window manager deleted meanwhile counts as
// cancelled.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "core/base_object.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "ui/items/item_expiry.h"

class CAniObject;
class CMessageBox;
class CNumberInputWindow;

enum ItemLocation : uint32_t {
    ITEM_ON_GROUND = 0,
    ITEM_WORN = 1,
    ITEM_IN_INVENTORY = 2,
    ITEM_FLYING = 3,
    ITEM_WAIT_GROUND_AMOUNT = 4,
    ITEM_WAIT_OFFER_AMOUNT = 5,
    ITEM_LIKE_INVENTORY_6 = 6,
    ITEM_GROUND_FRAME = 7,
    ITEM_IN_DEPOSIT = 8,
    ITEM_IN_CLUB_DEPOSIT = 9,
    ITEM_LIKE_INVENTORY_10 = 10,
    ITEM_WAIT_DEPOSIT_AMOUNT = 11,
    ITEM_WAIT_WITHDRAW_AMOUNT = 12,
    ITEM_WAIT_STORE_AMOUNT = 13,
    ITEM_WAIT_CLUB_DEPOSIT_AMOUNT = 14,
    ITEM_WAIT_CLUB_WITHDRAW_AMOUNT = 15,
    ITEM_WAIT_ACCOUNT_AMOUNT = 16,
    ITEM_WAIT_GAMBLE_AMOUNT = 17,
    ITEM_WORN_WITH_EFFECT = 18,
    ITEM_IN_ACCOUNT = 19,
    ITEM_LIKE_INVENTORY_20 = 20,
    ITEM_PREMIUM_ENTRY = 21,
    ITEM_WAIT_CONFIRM_A = 22,
    ITEM_WAIT_CONFIRM_B = 23,
    ITEM_NOT_LISTED = 24,  // ignored by Draw and Update
};

// Where a drag began (the drag value).
enum : uint32_t {
    ITEM_DRAG_FROM_INVENTORY = 0,
    ITEM_DRAG_FROM_EQUIPMENT = 1,
    ITEM_DRAG_FROM_QUICK_SLOT = 3,
    ITEM_DRAG_FROM_DEPOSIT = 6,
    ITEM_DRAG_FROM_CLUB_DEPOSIT = 7,
};

// The item table manager's current items: the owners of the open amount
// question and of the two ground-drop confirmations.
enum : int {
    ITEM_CURRENT_NUMBER_INPUT = 0,
    ITEM_CURRENT_CONFIRM_A = 1,
    ITEM_CURRENT_CONFIRM_B = 2,
};

inline constexpr int32_t ITEM_FLIGHT_FRAMES = 20;
inline constexpr double ITEM_FRAMES_PER_MS = 0.030303031;  // one frame per 33 ms
inline constexpr uint32_t ITEM_EFFECT_KEY_BASE = 1000000;  // effect key: item row + this
inline constexpr uint16_t ITEM_NO_EFFECT = 10000;
inline constexpr int ITEM_COL_EFFECTS = 88;  // records of (kind, value A, value B, flag)

struct ItemPoint {
    double x = 0, y = 0, z = 0;
};

class CItemIcon : public CItemObject {
public:
    CItemIcon();
    ~CItemIcon() override;

    // The item object's fields, then the icon's own cleared: no expiry, no
    // pop-ups, no sprite.
    bool Create() override;
    // Closes its pop-ups (through the window manager while it exists) and
    // deletes its sprite.
    bool Release() override;
    bool Draw() override;
    // The sprite by location, the drop flight, and the waiting pop-ups.
    bool Update() override;
    int32_t GetType() override { return int32_t(ITEM_TYPE_CODE); }
    // False while disabled or on the ground; else drag state 1, held by the cursor.
    bool BeginDrag(uint32_t value) override;
    bool DrawAtCursor() override;
    bool UpdateAtCursor() override;
    // Let go: the drop decides what follows (item_drop.cpp).
    bool EndDrag() override;
    // Double-click: take off, open a window, equip or use (item_use.cpp).
    bool UseItem();

    bool IsDragging() { return GetDragState() == 1; }
    bool CancelDrag();
    // Taken into the map's field items: location 7 at its sprite's place.
    void StartFieldMotion();

    // A copy of the item: fields, row, id, name, expiry and extra record; no
    // sprite, no pop-ups.
    CItemIcon* Clone() const;

    // The item's sprite (made on first need).
    CAniObject* GetAniObject() override;
    // The map cell while on the ground, else (-1, -1).
    std::pair<int32_t, int32_t> GetMapPoint() override;

    // ---- Wearing ----
    bool EquipOnChar(CChar* character);
    bool UnequipFromChar(CChar* character);
    bool SetPartsHighlight(CChar* character, uint8_t value);
    void Disable() { SetDisabled(true); }
    void Enable() { SetDisabled(false); }

    // ---- The drop flight and the fly-in ----
    void StartDropFlight(int32_t fromX, int32_t fromY, int32_t fromHeight, int32_t toX, int32_t toY,
                         int32_t toHeight);
    void UpdateDropFlight();
    // One step of the flight to the main window; true when it has finished.
    bool FlyToMainWindow();
    void SetFlyToStart(float x, float y) {
        m_flyToX = x;
        m_flyToY = y;
    }

    // The expiry text (long or short form); false when there is nothing to show.
    bool FormatExpiry(char* buffer, size_t size, bool longForm) const {
        return m_expiry.Format(buffer, size, longForm);
    }
    CItemExpiry& Expiry() { return m_expiry; }
    const CItemExpiry& Expiry() const { return m_expiry; }

    // "(n)" with the whole count while Ctrl is held or for a premium entry, else "(1)".
    std::string CountLabel() const;

    // ---- Pop-ups a move waits for ----
    CNumberInputWindow* GetNumberInput() const;
    void SetNumberInput(CNumberInputWindow* input);
    CMessageBox* GetConfirmBox(int which) const;
    void SetConfirmBox(int which, CMessageBox* box);

    // ---- Values ----
    int32_t GetPositionX() const { return m_position[0]; }
    int32_t GetPositionY() const { return m_position[1]; }
    int32_t GetPositionZ() const { return m_position[2]; }
    void SetPosition(int32_t x, int32_t y, int32_t z = 0) {
        m_position[0] = x;
        m_position[1] = y;
        m_position[2] = z;
    }
    const ItemPoint& GetFlightPosition() const { return m_flightPosition; }
    int32_t GetDropPointX() const { return m_dropPoint[0]; }
    int32_t GetDropPointY() const { return m_dropPoint[1]; }
    void SetDropPoint(int32_t x, int32_t y) {
        m_dropPoint[0] = x;
        m_dropPoint[1] = y;
    }
    uint32_t GetBonus(int i) const { return i >= 0 && i < 9 ? m_bonus[i] : 0; }
    void SetBonus(int i, uint32_t value) {
        if (i >= 0 && i < 9) m_bonus[i] = value;
    }
    int32_t GetGrade() const { return m_grade; }
    void SetGrade(int32_t grade) { m_grade = grade; }
    int32_t GetRow82Value() const { return m_row82Value; }
    void SetRow82Value(int32_t value) { m_row82Value = value; }
    uint32_t GetPickedCharId() const { return m_pickedCharId; }
    void SetPickedCharId(uint32_t id) { m_pickedCharId = id; }
    void SetWornEffect(bool on) { m_wornEffect = on; }
    // Marked as the item under the mouse (ItemAt).
    bool IsHighlighted() const { return m_highlighted != 0; }
    void SetHighlighted(bool on) { m_highlighted = on; }
    uint8_t GetPartHighlight() const { return m_partHighlight; }
    int32_t GetSequence() const { return m_sequence; }

private:
    void CopyFields(const CItemIcon& from);
    bool EnsureSprite();
    void SetSequence(int32_t sequence);
    void DrawSprite(bool underlayPass);
    // The amount question of the waiting location, and the confirmations.
    void ResolveNumberInput();
    void ResolveConfirmBox(int which);
    void ClosePopup(CRefTarget* popup);

    int32_t m_flightDuration = 0;
    int32_t m_flightFrame = 0;
    ItemPoint m_flightPoints[3];
    float m_flyToX = 0, m_flyToY = 0;
    uint32_t m_bonus[9] = {};
    int32_t m_grade = 0;
    int32_t m_row82Value = 0;
    int32_t m_position[3] = {};
    ItemPoint m_flightPosition;
    int32_t m_flightFrom[3] = {}, m_flightTo[3] = {};
    CAniObject* m_sprite = nullptr;  // owned
    int32_t m_sequence = -1;
    CWeakRef m_numberInput;
    CWeakRef m_confirm[2];
    int32_t m_dropPoint[2] = {};
    uint32_t m_flightStart = 0;
    uint8_t m_partHighlight = 0;
    uint8_t m_wornEffect = 0;
    uint8_t m_highlighted = 0;
    uint32_t m_pickedCharId = 0;
    CItemExpiry m_expiry;
};

// Update of every icon of a list of icons (the map's items on the ground).
template <class List>
void UpdateItemList(List& list) {
    for (CItemIcon* icon : list)
        if (icon) icon->Update();
}

// The item tables make item icons (templates and new items).
class CItemIconFactory : public IItemObjectFactory {
public:
    CItemObject* NewItemObject() override { return new CItemIcon; }
};
