// An item described in words (labels of text table 19, values of the icon
// and the item table): into a rich-text grid (a message box or an
// information window), or drawn straight onto the screen as a tooltip.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CItemIcon;
class CItemObject;
class CRichText;
class CBaseWindow;
class CMessageBox;

// Item-table columns of the description.
enum ItemInfoColumn : int {
    ITEM_COL_SUB_KIND = 101,            // u8: index of the sub-kind labels
    ITEM_COL_CLASS_MASK = 148,          // u16: bit 0 all classes, bits 1-14 the classes
    ITEM_COL_PLAIN_VALUE = 229,         // u8: the value of a plain item
    ITEM_COL_EQUIP_KIND = 661,          // u8: 0 for a plain item
    ITEM_COL_WARNING_FLAG = 677,        // u8: the warning line
    ITEM_COL_REQUIREMENTS = 1013,       // u8: requirement count
    ITEM_COL_FIRST_REQUIREMENT = 1014,  // kind and value of requirement k at 1014 + 2k, 1015 + 2k
};

inline constexpr uint32_t ITEM_INFO_REQUIREMENT_COLOUR = 0x00A0FF;  // red 255, green 160

// One line of the description.
struct ItemInfoLine {
    int32_t row = 0;
    int32_t column = 0;
    std::string text;
    uint32_t colour = 0xFFFFFF;
    // A socket item: its own description opens from the line.
    uint32_t socketItemId = 0;
};

// The item's name colour as a text colour (0x00BBGGRR).
uint32_t ItemNameColour(const CItemObject& item);

// The description's lines, in order, rows counted from 0.
std::vector<ItemInfoLine> CollectItemInfo(const CItemIcon& icon);

// Empties the grid and writes the description into it. Socket items become
// runs linked to hidden boxes with their own description; the boxes linked
// from the grid before are closed first. Returns the rows used.
int32_t BuildItemInfoText(const CItemIcon& icon, CRichText* grid);

// Draws the description at (x, y), a line every 13 pixels.
void BuildItemTooltip(const CItemIcon& icon, int32_t x, int32_t y);

// The info box beside the window: left of it, or right of it when there is
// no room; at the mouse's height, held above the screen's bottom. Only
// placed while hidden; then shown.
void PlaceInfoBox(CMessageBox* box, CBaseWindow* window, int32_t mouseY);
// A hidden info box owned by the window: OK shown, CANCEL hidden, kept.
CMessageBox* MakeInfoBox(CBaseWindow* window);
// The item's full description in the box.
void FillInfoBox(CMessageBox* box, CItemIcon& item);
