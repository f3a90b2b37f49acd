// What the item and character windows share: the three title buttons of a
// dockable window, the item rows' texts, the info box beside a window, and
// the player's items.
#pragma once
#include <cstdint>
#include <string>

class CBaseWindow;
class CButton;
class CCharData;
class CChar;
class CItemIcon;
class CMessageBox;
class CSlotObjectMgr;
class CToolTipWindow;

// Text colours (red in the low byte).
inline constexpr uint32_t ITEM_TEXT_WHITE = 0xFFFFFF;
inline constexpr uint32_t ITEM_TEXT_RED = 0x0000FF;
// Text table 14's tooltips of the title buttons.
inline constexpr int TITLE_TIP_DETACH = 0, TITLE_TIP_DETACHED = 1, TITLE_TIP_CLOSE = 2;
// "CommonIcons" motions of the title buttons.
inline constexpr uint8_t TITLE_DETACH_MOTION = 7, TITLE_DETACHED_MOTION = 0, TITLE_CLOSE_MOTION = 1;

// The detach, detached and close buttons of a dockable window.
struct CTitleButtons {
    CButton* detach = nullptr;
    CButton* detached = nullptr;
    CButton* close = nullptr;

    // Makes the three ("CommonIcons" 7, 0 and 1, tooltips 14/0-2) under the
    // names prefix + "DETACH_BUTTON", "DETACHED_BUTTON", "CLOSE_BUTTON";
    // the last two hidden.
    void Make(CBaseWindow* window, const char* prefix);
    void Place(int32_t x, int32_t y);
    // The dock mode's buttons: 1 close, 2 detach, 4 detached (the keep-on-
    // screen flag set in 1 and 4); any other mode changes no button.
    void ShowForMode(CBaseWindow* window, int32_t mode);
    bool Owns(CBaseWindow* control) const;
    // A click on one of them: detach turns mode 2 into 4, detached 4 into 2,
    // close hides and deactivates the window. False when the control is
    // none of them or the point is not on it.
    bool Click(CBaseWindow* window, CBaseWindow* control, int32_t x, int32_t y);
};

// Makes a panel window under its identifier with the named picture (motion
// 0, direction 2; none when the demo data has none): draggable, pickable,
// not held on the screen, kind 0, double clicks as such. Returns the
// picture's animation (0 for none).
uint32_t CreatePanelWindow(CBaseWindow* window, const char* name, const char* picture);
// A list row's item drag (a left press on the hovered item), or else the
// window's own move: dragging the body frees it (mode 1). True when the
// move was taken.
bool DragItemOrWindow(CBaseWindow* window, CItemIcon* hovered, uint32_t dragFrom, CBaseWindow* scrollBar,
                      int32_t x, int32_t y);
// A button of the window's animation with its text table 14 tooltip.
CButton* MakeTipButton(CBaseWindow* window, const char* name, uint32_t animation, uint8_t motion, int tipRow);
// Shown and taking input, or hidden.
void ShowControl(CBaseWindow* control, bool shown);

// Text on the render surface in font 0 (nothing without a renderer).
void DrawItemText(int32_t x, int32_t y, const std::string& text, uint32_t colour);
// Centred for 6-pixel characters.
inline int32_t CentredX(int32_t centre, const std::string& text) {
    return centre - 3 * int32_t(text.size());
}

// The wear value's colour: red at 1 or less, or when a tenth of the
// maximum passes the current value. The bag takes the tenth in single
// precision (a value of exactly a tenth is red), the equipment in double
// precision (exactly a tenth stays white).
uint32_t BagValueColour(uint32_t current, uint32_t maximum);
uint32_t WornValueColour(uint32_t current, uint32_t maximum);

// The name of an item row: cut to `limit` bytes with "..." when longer; the
// hovered row shows a longer name whole in the tooltip at (x, y) instead.
void DrawItemName(CItemIcon& icon, int32_t centreX, int32_t y, int limit, bool hovered, CToolTipWindow* tip,
                  int32_t tipY);

// The player's character and its data, or null.
CChar* PlayerChar();
CCharData* PlayerData();
// A container's item by its object handle, as an item icon, or null.
CItemIcon* FindItemByHandle(CSlotObjectMgr* container, uint32_t handle);
// A confirm-only box with the text table 14 row, added and activated.
void ShowRefusal(int row);
