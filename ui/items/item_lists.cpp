#include "ui/items/item_lists.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "anim/render_queue.h"
#include "core/input_mgr.h"
#include "data/row_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/rich_text.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"

namespace {

constexpr int kItemTextTable = 19;
constexpr int kValueRows[4] = {95, 91, 92, 93};
constexpr int kMaterialsRow = 94;

CWeakRef g_highlighted;  // the item ItemAt found last

}  // namespace

CItemIcon* ItemAt(CSlotObjectMgr& items, int32_t x, int32_t y, bool enlarge, int32_t* distance) {
    CItemIcon* found = nullptr;
    int32_t bestLayer = std::numeric_limits<int32_t>::min();
    double bestDistance = std::numeric_limits<double>::max();
    AniRect foundBox;
    for (CMsgObject* child : items.Children()) {
        auto* icon = dynamic_cast<CItemIcon*>(child);
        if (!icon || !icon->IsDrawOn()) continue;
        CAniObject* sprite = icon->GetAniObject();
        if (!sprite || !sprite->IsDrawOn()) continue;
        AniRect box = sprite->GetBounds(true, false);
        if (enlarge) {
            if (box.right - box.left < ITEM_PICK_MIN_SIZE || box.bottom - box.top < ITEM_PICK_MIN_SIZE) {
                box.left -= ITEM_PICK_GROWTH;
                box.top -= ITEM_PICK_GROWTH;
                box.right += ITEM_PICK_GROWTH;
                box.bottom += ITEM_PICK_GROWTH;
            }
        }
        if (x < box.left || x > box.right || y < box.top || y > box.bottom) continue;
        const double dx = x - (box.left + box.right) / 2.0, dy = y - (box.top + box.bottom) / 2.0;
        const double d = std::sqrt(dx * dx + dy * dy);
        const bool better = enlarge ? d < bestDistance : sprite->GetLayer() > bestLayer;
        if (!better) continue;
        found = icon;
        bestLayer = sprite->GetLayer();
        bestDistance = d;
        foundBox = sprite->GetBounds(true, false);
    }
    if (auto* previous = g_highlighted.GetAs<CItemIcon>(); previous && previous != found)
        previous->SetHighlighted(false);
    g_highlighted.Assign(found);
    if (!found) return nullptr;
    found->SetHighlighted(true);
    if (distance) *distance = int32_t(bestDistance);
    if (enlarge && g_pInputMgr)
        g_pInputMgr->SetMousePos((foundBox.left + foundBox.right) / 2, (foundBox.top + foundBox.bottom) / 2);
    return found;
}

bool QueueVisibleItems(CSlotObjectMgr& items) {
    if (!g_pRenderQueue) return true;
    for (CMsgObject* child : items.Children())
        if (auto* icon = dynamic_cast<CItemIcon*>(child); icon && icon->IsDrawOn())
            g_pRenderQueue->AddObject(icon);
    return true;
}

void BuildRowText(const CRowHandle& row, CRichText* grid) {
    if (!grid) return;
    grid->FreeRichText();
    const int32_t values[4] = {row.GetNumber3(), row.GetNumber4(), row.GetNumber11(), row.GetNumber12()};
    int32_t r = 0;
    for (int i = 0; i < 4; ++i)
        grid->ParseRichText(
            0, r++,
            FormatTableText("%s : %d", {GetTableText(kItemTextTable, kValueRows[i]), values[i]}).c_str(),
            kRichWhite, 0);
    grid->ParseRichText(0, r++,
                        FormatTableText("%s :", {GetTableText(kItemTextTable, kMaterialsRow)}).c_str(),
                        kRichWhite, 0);
    std::vector<CItemObject*> materials;
    std::vector<int32_t> counts;
    row.GetMaterials(materials, counts);
    for (size_t i = 0; i < materials.size() && i < counts.size(); ++i) {
        const uint32_t colour = ItemNameColour(*materials[i]);
        grid->ParseRichText(
            0, r++,
            FormatTableText("  %s x %d", {materials[i]->GetName() ? materials[i]->GetName() : "", counts[i]})
                .c_str(),
            colour, 0);
    }
}
