// What the windows and the map do with a container of item icons and with a
// cooking recipe row: the item under the mouse, the items handed to the
// render queue, and a recipe row described in rich text.
#pragma once
#include <cstdint>

class CItemIcon;
class CRichText;
class CRowHandle;
class CSlotObjectMgr;

// Items narrower or lower than this grow by ITEM_PICK_GROWTH on each side
// when picking is enlarged.
inline constexpr int32_t ITEM_PICK_MIN_SIZE = 40;
inline constexpr int32_t ITEM_PICK_GROWTH = 20;

// The topmost item whose sprite is shown and whose screen box holds the
// point. Enlarged, small boxes grow and the item nearest the point wins;
// the mouse then moves to its centre. distance (may be null): from the point
// to the found item's centre. The found item is highlighted, the one before
// is not any more.
CItemIcon* ItemAt(CSlotObjectMgr& items, int32_t x, int32_t y, bool enlarge, int32_t* distance);

// Hands every shown item of the container to the render queue; true.
bool QueueVisibleItems(CSlotObjectMgr& items);

// A recipe row in words: its four values with labels of text table 19
// (rows 95, 91, 92, 93), the materials heading (row 94) and one line per
// material in the material's name colour.
void BuildRowText(const CRowHandle& row, CRichText* grid);
