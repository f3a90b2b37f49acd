// CItemEquipWindow ("ItemEquipWindow"): what the player wears, one row an
// equipment place. Collapsed it shows nine rows, four of them standing for
// a pair of places (the item in front); expanded all thirteen, and a click on
// a pair's row chooses the item the character shows. Hovering an item of a
// set describes the set.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "ui/items/item_targets.h"
#include "ui/tooltip_window.h"
#include "windows/play/item_window_parts.h"
#include "world/chars/hud_windows.h"

class CAniObject;
class CButton;
class CDataTable;
class CItemIcon;
class CItemObject;
class CMessageBox;

inline constexpr char EQUIP_PICTURE_NAME[] = "Extendable_Equip_Window";
inline constexpr char EQUIP_BAR_PICTURE_NAME[] = "Equip_Window";
inline constexpr int32_t EQUIP_INDEXES = 13;
inline constexpr int32_t EQUIP_ROWS_COLLAPSED = 9;
inline constexpr int32_t EQUIP_ROW_HEIGHT = 31;
inline constexpr int EQUIP_NAME_BYTES = 22;
// The pictures' sizes (the rectangle of a window without its picture).
inline constexpr int32_t EQUIP_WIDTH = 214, EQUIP_HEIGHT_EXPANDED = 440, EQUIP_HEIGHT_COLLAPSED = 312;

// The index of an equipment place (1-13); -1 outside. Places 2 and 3, 6 and
// 7 are swapped; the others are place - 1.
int32_t EquipIndexOfPosition(int32_t position);
int32_t EquipPositionOfIndex(int32_t index);

// One piece of the set panel's text: its row, its colour and the text.
struct SetPanelPiece {
    int32_t row = 0;
    std::string text;
    uint32_t colour = 0;
    bool operator==(const SetPanelPiece&) const = default;
};
// The set table's columns.
enum : int {
    SET_COL_NAME = 2,
    SET_COL_ITEM_ID = 1,
    SET_COL_FIRST_MEMBER = 3,  // columns 3-15: the members' item ids
    SET_COL_FIRST_BONUS = 16,  // columns 16-24: signed bonus values
    SET_COL_TIER_MASKS = 25,   // 25, 29, 33, 37
    SET_COL_DESCRIPTION = 41,
};
inline constexpr int SET_MEMBERS = 13;
inline constexpr int SET_TIERS = 4;
inline constexpr int SET_BONUSES = 9;

// The text describing the set of the item id with the worn items, or none
// when the set table has no row for it. The first tier met (0-3, -1 for
// none) colours the name; the members of tier 0 follow, then the bonuses
// when tier 0 is met, then the set's description.
std::vector<SetPanelPiece> BuildSetPanel(const CDataTable& sets, uint32_t itemId, const CCharData& worn);
// The first tier of the set row that the worn items meet, -1 for none.
int32_t SetTierMet(const CDataTable& sets, int32_t row, const CCharData& worn);

class CItemEquipWindow : public CBaseWindow,
                         public IPlayWindowOwner,
                         public IEquipmentDisplay,
                         public IItemEquipTarget {
public:
    CItemEquipWindow();
    ~CItemEquipWindow() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool UpdateRect() override;
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool SetStateValue(int32_t value) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    // IPlayWindowOwner.
    void SetOwnerId(uint32_t charId) override { m_ownerId = charId; }
    void SetItemContainer(CCharData* items) override;
    // IEquipmentDisplay: the worn items changed.
    void RefreshEquipment() override { RefreshEquipList(); }
    // IItemEquipTarget: the item worn at the place (1-13), or null.
    CItemIcon* GetWornItem(uint8_t slotClass) override;

    // The worn items by index, then the rows again.
    void RefreshEquipList();
    void SetExpanded(bool expanded);
    bool IsExpanded() const { return m_expanded != 0; }
    int32_t RowCount() const { return m_rowCount; }
    // The item shown in the row (0-12), or null.
    CItemIcon* GetItemAtRow(int32_t row);
    // The index a row shows (-1 none), and the pair's other index a collapsed row hides.
    int32_t RowIndex(int32_t row) const { return row >= 0 && row < EQUIP_INDEXES ? m_rowIndex[row] : -1; }
    int32_t HiddenIndex(int32_t row) const {
        return row >= 0 && row < EQUIP_INDEXES ? m_hiddenIndex[row] : -1;
    }
    int32_t ComputeHovered();
    int32_t GetHovered() const { return m_hovered; }
    // The set description while a set item is hovered.
    void UpdateSetPanel();
    bool IsSetPanelShown() const;
    CMessageBox* GetInfoBox() const;
    const CTitleButtons& TitleButtons() const { return m_title; }
    CButton* GetExpandButton() const { return m_expand; }
    CButton* GetCollapseButton() const { return m_collapse; }
    CButton* GetSelectionBar() const { return m_selectionBar; }
    // The top of a row on the screen, as the hover sees it.
    int32_t RowTop(int32_t row) const;

private:
    CItemIcon* ItemAtIndex(int32_t index) const;
    void DrawRows();
    void UpdateHint();

    uint32_t m_ownerId = 0;
    CCharData* m_pItems = nullptr;  // the player's data (not owned)
    int32_t m_hovered = -1;
    int32_t m_rowIndex[EQUIP_INDEXES] = {};
    int32_t m_hiddenIndex[EQUIP_INDEXES] = {};
    int32_t m_rowCount = EQUIP_ROWS_COLLAPSED;
    uint8_t m_expanded = 0;
    uint8_t m_setPanel = 0;  // the info box shows a set description
    CTitleButtons m_title;
    CButton* m_selectionBar = nullptr;
    CButton* m_expand = nullptr;
    CButton* m_collapse = nullptr;
    std::unique_ptr<CAniObject> m_frontMark;
    CToolTipWindow m_nameTip;
    CWeakRef m_infoBox;
};
