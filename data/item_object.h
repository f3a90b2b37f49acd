// The table side of an item: the row of its definition in the item table
// (held by CItemTableMgr), its place in a container and its own values, and
// the accessors that read the item table at that row. The item icon of the
// window layer derives from it and adds drawing, dragging and use.
//
// Every table accessor gives 0 (false, null) when there is no item table
// manager, no item table, the item's row lies outside it, or the column
// holds another type than the accessor reads.
#pragma once
#include <cstdint>

#include "core/draw_object.h"

class CChar;
class CDataTable;

// Item-table columns read here.
enum ItemColumn : int {
    ITEM_COL_NAME = 3,         // text: the name shown in lists
    ITEM_COL_SORT_2 = 6,       // u8: second sort key
    ITEM_COL_FLAG_7 = 7,       // u8, tested for 1
    ITEM_COL_COLOR_CLASS = 8,  // u8: name colour class 0-9
    ITEM_COL_WORD_9 = 9,       // u16
    ITEM_COL_LIST_SORT = 10,   // u32: sort key of roulette and deposit lists
    ITEM_COL_BYTE_14 = 14,
    ITEM_COL_ITEM_ID = 19,    // u32: the item id
    ITEM_COL_DROP_CASH = 22,  // text, compared with "qCanDropCash"
    ITEM_COL_TRUE_28 = 28,    // text, compared with "true"
    ITEM_COL_BYTE_30 = 30,
    ITEM_COL_WORD_32 = 32,
    ITEM_COL_SKILL_ID = 33,  // u32: linked skill id
    ITEM_COL_USE_FLAGS = 36,
    ITEM_COL_TEXT_37 = 37,
    ITEM_COL_DWORD_38 = 38,
    ITEM_COL_SORT_1 = 41,  // u8: first sort key, also an index
    ITEM_COL_BYTE_42 = 42,
    ITEM_COL_BYTE_43 = 43,
    ITEM_COL_ANI_REF = 44,  // reference (u16, u16, u8)
    ITEM_COL_DWORD_45 = 45,
    ITEM_COL_DWORD_46 = 46,
    ITEM_COL_HAND_1 = 49,
    ITEM_COL_HAND_2 = 50,
    ITEM_COL_RANGE = 58,  // pair of signed 16-bit: minimum and maximum range of a weapon
    ITEM_COL_BYTE_59 = 59,
    ITEM_COL_ICON_ANI = 74,          // u16: animation index of the icon sprite
    ITEM_COL_ICON_SEQUENCE = 75,     // u16: sequence of the icon sprite
    ITEM_COL_CLASS = 133,            // u8: item class
    ITEM_COL_CLUB_DEPOSIT_OK = 423,  // text "true": the club deposit takes it
    ITEM_COL_STORE_OK = 455,         // text "true": the player's store takes it
    ITEM_COL_CONFIRM_DROP = 485,     // u8: ask before dropping it on the ground
    ITEM_COL_NUMBER_LIMIT = 1157,    // u8: how many numbers the item holds (equipment with ability slots)
};

// Use flags of column 36.
enum : uint8_t {
    ITEM_USE_STATE_6 = 0x01,  // usable in character state 6
    ITEM_USE_STATE_2 = 0x02,
    ITEM_USE_STATE_1 = 0x04,
    ITEM_USE_STATE_0 = 0x08,
    ITEM_USE_NEVER = 0x10,     // not usable (unless the place flag allows it)
    ITEM_USE_ON_PLACE = 0x20,  // usable wherever the map accepts the point
};

inline constexpr uint16_t ITEM_TYPE_CODE = 6;
inline constexpr uint32_t ITEM_USE_TIME_BACK = 86400;  // a new item counts as used this long ago

// A small record the server sends with an item, copied field by field.
struct CItemRecord {
    uint8_t m_byte0 = 0;
    uint8_t m_byte1 = 0;
    uint32_t m_value0 = 0;
    uint32_t m_value1 = 0;
    uint32_t m_value2 = 0;
};
void CopyItemRecord(CItemRecord& to, const CItemRecord& from);

// What a worn weapon does when its wearer strikes (set on the item by
// whoever gives it the look; none by default).
class IItemHitHook {
public:
    virtual ~IItemHitHook() = default;
    virtual void OnHit(CChar* owner, uint32_t value) = 0;
};

class CItemObject : public CDrawObject {
public:
    CItemObject() { CItemObject::Create(); }
    ~CItemObject() override;

    // Type code 6, no row, no place, state 0, last use a day ago.
    bool Create() override;
    // Drops the item manager's references to it, then the drawing object's release.
    bool Release() override;

    // Clears the item's state, slot index -1, takes the row and id (and the
    // name of that row) and sets the last use a day back.
    void Init(int32_t row, uint32_t itemId);

    // ---- Item-table accessors ----
    uint32_t GetSkillId() const;
    const char* GetText3() const;
    const char* GetText37() const;
    uint8_t GetByte6() const;
    uint8_t GetByte14() const;
    uint8_t GetByte41() const;
    uint8_t GetByte43() const;
    uint8_t GetByte59() const;
    int8_t GetByte36() const;
    uint8_t GetColorClass() const;
    // Column 49 for hand 1, 50 for hand 2; 0 for other hands.
    uint8_t GetByteByHand(int hand) const;
    uint16_t GetWord9() const;
    uint16_t GetWord32() const;
    uint32_t GetDword10() const;
    uint32_t GetDword38() const;
    uint32_t GetDword45() const;
    uint32_t GetDword46() const;
    int32_t GetMinRange() const;
    int32_t GetMaxRange() const;
    bool HasByte30() const;
    bool HasByte41() const;
    bool HasByte42() const;
    bool IsByte7One() const;
    bool GetResourceRef44(uint16_t* first, uint16_t* second, uint8_t* third) const;
    bool IsCanDropCash() const;
    bool IsText28True() const;
    bool IsStoreAllowed() const;
    bool IsClubDepositAllowed() const;
    bool ConfirmsBeforeDrop() const;
    // Item class (column 133) 10 or 11.
    bool IsItemClass10() const;
    bool IsItemClass11() const;
    // Column 1157: the numbers (ability slots) the item can hold.
    uint8_t GetItemColumn1157() const;
    // False once the item has its numbers (bit 0 of the flags word), else column 1157 non-zero.
    bool HasColumn1157Flag() const;

    // The name colour of the colour class as (b0, b1, b2, 0): white for
    // classes 0, 6, 8, 9 and any other.
    void GetNameColor(uint8_t out[4]) const;
    // Whether the character may use the item at map point (x, y).
    bool CanUseAt(CChar* character, int32_t x, int32_t y) const;

    // ---- The item's own values ----
    uint32_t GetMaximum() const { return m_maximum; }
    bool IsStateOne() const { return m_state == 1; }

    int32_t GetItemRow() const { return m_itemRow; }
    uint32_t GetItemId() const { return m_itemId; }
    int32_t GetSlotIndex() const { return m_slotIndex; }
    void SetSlotIndex(int32_t index) { m_slotIndex = index; }
    uint32_t GetSecondId(int n) const { return n == 0 ? m_secondIds[0] : n == 1 ? m_secondIds[1] : 0; }
    void SetSecondIds(uint32_t first, uint32_t second) {
        m_secondIds[0] = first;
        m_secondIds[1] = second;
    }
    // Location state: 1 worn, 2 in the inventory, 7 on the field, 21 an entry
    // of the premium item list, ...
    uint32_t GetState() const { return m_state; }
    void SetState(uint32_t state) { m_state = state; }
    bool IsDisabled() const { return m_disabled != 0; }
    void SetDisabled(bool disabled) { m_disabled = disabled; }
    uint32_t GetCurrent() const { return m_current; }
    void SetValues(uint32_t current, uint32_t maximum) {
        m_current = current;
        m_maximum = maximum;
    }
    uint32_t GetCount() const { return m_count; }
    void SetCount(uint32_t count) { m_count = count; }
    // Bit 0: the item has sockets (its numbers).
    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t flags) { m_flags = flags; }
    uint16_t GetAuxValue() const { return m_auxValue; }
    void SetAuxValue(uint16_t value) { m_auxValue = value; }
    CItemRecord& Record() { return m_record; }
    const CItemRecord& Record() const { return m_record; }
    // The hit hook (not owned; null: none).
    IItemHitHook* HitHook() const { return m_pHitHook; }
    void SetHitHook(IItemHitHook* hook) { m_pHitHook = hook; }
    uint32_t GetLastUseTime() const { return m_lastUseTime; }

protected:
    // The item table, or null.
    static const CDataTable* Table();
    uint32_t Int(int column) const;
    int32_t SignedInt(int column) const;
    const char* Text(int column) const;
    bool TextIs(int column, const char* text) const;

    int32_t m_itemRow = -1;
    uint32_t m_itemId = 0;
    int32_t m_slotIndex = -1;
    uint32_t m_secondIds[2] = {};
    uint32_t m_state = 0;
    uint8_t m_disabled = 0;
    uint32_t m_current = 0;
    uint32_t m_maximum = 0;
    uint32_t m_count = 0;
    uint16_t m_auxValue = 0;
    uint32_t m_flags = 0;
    CItemRecord m_record;
    uint32_t m_lastUseTime = 0;
    IItemHitHook* m_pHitHook = nullptr;
};

// A text colour (red in the low byte) by the kind of the object (its type):
// 0 (255, 200, 200), 1 (200, 240, 200), 2 (210, 210, 255), otherwise black.
uint32_t GetKindTextColor(CDragObject* object);
