#include "ui/items/item_info.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_play_mgr.h"
#include "data/data_table.h"
#include "data/item_table_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_world.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"

namespace {

constexpr int kItemTextTable = 19, kClassTable = 0;
constexpr int kKindLabelFirst = 1, kKindLabelLast = 41;
constexpr int kSubKindLabelFirst = 97, kSubKindLabelCount = 5;
constexpr int kPlainValueRow = 53, kDurabilityRow = 42, kFirstBonusRow = 43, kPercentRow = 52;
constexpr int kGradeLevelRow = 54, kGradeRow = 55, kWarningRow = 56, kClassesRow = 57, kAllClassesRow = 58;
constexpr int kRequirementsRow = 59, kFirstRequirementRow = 60, kRequirementKinds = 14;
constexpr int kMaxRequirements = 4, kRow82 = 82, kSocketRow = 90, kFirstClassNameRow = 14, kClassCount = 14;
constexpr int kMaxSockets = 3;
constexpr size_t kExpiryBuffer = 256;
constexpr int32_t kTooltipLineHeight = 13;
constexpr uint8_t kInfoOkFrame = 8, kInfoCancelFrame = 9;

uint32_t Indexed(int index) {
    const char tag[3] = {'c', char('0' + index), '\0'};
    return ColourOfTag(tag);
}

// A label of a table of rows: empty outside its rows.
const char* KindLabel(uint32_t kind) {
    return kind >= uint32_t(kKindLabelFirst) && kind <= uint32_t(kKindLabelLast)
               ? GetTableText(kItemTextTable, int(kind))
               : "";
}

const char* SubKindLabel(uint32_t index) {
    return index < uint32_t(kSubKindLabelCount)
               ? GetTableText(kItemTextTable, kSubKindLabelFirst + int(index))
               : "";
}

const char* Label(int row) {
    return GetTableText(kItemTextTable, row);
}

constexpr uint8_t kLevelRequirement = 1;

// The level an item asks for (its requirement of kind 1); 0 when none.
uint32_t RequiredLevel(const CDataTable* table, int row) {
    const int count = std::min<int>(GetTableByte(table, ITEM_COL_REQUIREMENTS, row), kMaxRequirements);
    for (int k = 0; k < count; ++k)
        if (GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k, row) == kLevelRequirement)
            return GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k + 1, row);
    return 0;
}

// The player the colours are measured against, while there is one.
CChar* Player(IItemWorld* world) {
    return world ? world->GetPlayer() : nullptr;
}

}  // namespace

uint32_t ItemNameColour(const CItemObject& item) {
    uint8_t c[4];
    item.GetNameColor(c);
    return uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16;
}

std::vector<ItemInfoLine> CollectItemInfo(const CItemIcon& icon) {
    std::vector<ItemInfoLine> lines;
    const CDataTable* table = g_pItemTableMgr ? g_pItemTableMgr->GetTable() : nullptr;
    const int row = icon.GetItemRow();
    const char* name = icon.GetName() ? icon.GetName() : "";
    IItemWorld* world = GetItemWorld();
    CChar* player = Player(world);
    int32_t r = 0;
    auto add = [&lines](int32_t at, std::string text, uint32_t colour, int32_t column = 0,
                        uint32_t socket = 0) {
        lines.push_back(ItemInfoLine{at, column, std::move(text), colour, socket});
    };
    const uint8_t kind = GetTableByte(table, ITEM_COL_EQUIP_KIND, row);
    if (!table || kind == 0) {
        add(0, name, ItemNameColour(icon));
        add(2,
            FormatTableText("%s %d",
                            {Label(kPlainValueRow), int(GetTableByte(table, ITEM_COL_PLAIN_VALUE, row))}),
            kRichWhite);
        r = 3;
    } else {
        add(0,
            FormatTableText("%s - %s(%s)", {name, KindLabel(kind),
                                            SubKindLabel(GetTableByte(table, ITEM_COL_SUB_KIND, row))}),
            ItemNameColour(icon));
        const uint32_t current = icon.GetCurrent(), maximum = icon.GetMaximum();
        const bool worn = current < 2 || double(current) < double(maximum) * 0.1;
        add(2, FormatTableText("%s %u/%u", {Label(kDurabilityRow), current, maximum}), Indexed(worn ? 0 : 2));
        r = 3;
        for (int i = 0; i < 9; ++i)
            if (icon.GetBonus(i))
                add(r++, FormatTableText("%s %u", {Label(kFirstBonusRow + i), icon.GetBonus(i)}), kRichWhite);
        if (kind == 2) {
            const uint64_t percent = maximum ? uint64_t(current) * 100 / maximum : 0;
            add(r++, FormatTableText("%s %u%%", {Label(kPercentRow), unsigned(percent)}), kRichWhite);
        }
        add(r++, FormatTableText("%s%d", {Label(kRow82), icon.GetRow82Value()}), kRichWhite);
        if (icon.GetGrade() < 4)
            add(r++, FormatTableText("%s %u", {Label(kGradeRow), unsigned(std::max(icon.GetGrade(), 0))}),
                kRichWhite);
        else
            add(r++, FormatTableText(Label(kGradeLevelRow), {icon.GetGrade()}), Indexed(0));
        ++r;  // a blank row
        if (icon.GetFlags() & 1) {
            const CItemRecord& sockets = icon.Record();
            add(r++, FormatTableText("%s %d", {Label(kSocketRow), int(sockets.m_byte0)}), kRichWhite);
            const uint32_t ids[kMaxSockets] = {sockets.m_value0, sockets.m_value1, sockets.m_value2};
            for (int i = 0; i < std::min<int>(sockets.m_byte1, kMaxSockets); ++i) {
                CItemObject* socket = g_pItemTableMgr->FindTemplateById(ids[i]);
                if (!socket || !socket->GetName()) continue;
                // A socket item above the player's level shows it.
                const bool reachable =
                    !player || RequiredLevel(table, socket->GetItemRow()) <= world->GetLevel(player);
                add(r++, socket->GetName(), reachable ? ItemNameColour(*socket) : Indexed(0), 0, ids[i]);
            }
        }
        if (GetTableByte(table, ITEM_COL_WARNING_FLAG, row)) {
            ++r;
            add(r++, Label(kWarningRow), Indexed(0));
        }
        ++r;
        add(r++, Label(kClassesRow), kRichWhite);
        const uint16_t mask = GetTableBlockWord(table, ITEM_COL_CLASS_MASK, row);
        int32_t column = 0;
        auto word = [&](const char* text, uint32_t colour) {
            if (!text || !*text) return;
            add(r, text, colour, column);
            column += int32_t(std::string(text).size()) + 1;
        };
        if (mask & 1) word(Label(kAllClassesRow), Indexed(5));
        // The player's own class stands out.
        const char* ownClass = player ? world->GetClassName(player) : "";
        for (int k = 1; k <= kClassCount; ++k) {
            if (!(mask & (1u << k))) continue;
            const char* className = GetTableText(kClassTable, kFirstClassNameRow + k - 1);
            const bool own = ownClass && *ownClass && std::strcmp(className, ownClass) == 0;
            word(className, Indexed(own ? 5 : 2));
        }
        if (column) ++r;
        const int count = std::min<int>(GetTableByte(table, ITEM_COL_REQUIREMENTS, row), kMaxRequirements);
        if (count > 0) {
            add(r++, Label(kRequirementsRow), kRichWhite);
            for (int k = 0; k < count; ++k) {
                const uint8_t requirement = GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k, row);
                if (requirement >= kRequirementKinds) continue;  // no label for it
                const int value = GetTableByte(table, ITEM_COL_FIRST_REQUIREMENT + 2 * k + 1, row);
                add(r++, FormatTableText("%s [%d]", {Label(kFirstRequirementRow + requirement), value}),
                    ITEM_INFO_REQUIREMENT_COLOUR);
            }
        }
    }
    if (const char* description = icon.GetText37(); description && *description)
        add(r++, description, kRichWhite);
    char expiry[kExpiryBuffer];
    if (icon.FormatExpiry(expiry, sizeof expiry, true)) add(r + 1, expiry, kRichWhite);
    return lines;
}

int32_t BuildItemInfoText(const CItemIcon& icon, CRichText* grid) {
    if (!grid) return 0;
    // The boxes of the socket items described before go with the old text.
    for (int32_t row = 0; row < CRichText::ROWS; ++row)
        for (const CRichTextRun& run : grid->Row(row))
            if (auto* box = run.linked.GetAs<CBaseWindow>();
                box && g_pWindowMgr && g_pWindowMgr->HasWindow(box))
                g_pWindowMgr->CloseWindow(box);
    grid->FreeRichText();
    int32_t used = 0;
    for (const ItemInfoLine& line : CollectItemInfo(icon)) {
        CBaseWindow* linked = nullptr;
        if (line.socketItemId && g_pWindowMgr)
            if (auto* socket =
                    dynamic_cast<CItemIcon*>(g_pItemTableMgr->FindTemplateById(line.socketItemId))) {
                auto* box = new CMessageBox(nullptr, true, false, false, 0);
                box->SetHideOnAnswer(true);
                box->SetTextRows(BuildItemInfoText(*socket, &box->EditText()));
                box->Hide();
                g_pWindowMgr->AddChild(box);
                linked = box;
            }
        grid->ParseRichText(line.column, line.row, line.text.c_str(), line.colour, 0, linked);
        used = std::max(used, std::min(line.row + 1, int32_t(CRichText::ROWS)));
    }
    return used;
}

void BuildItemTooltip(const CItemIcon& icon, int32_t x, int32_t y) {
    if (!g_pTextRenderer || !g_pDirectDraw) return;
    int32_t k = 0;
    for (const ItemInfoLine& line : CollectItemInfo(icon)) {
        const std::string text = line.socketItemId ? "  " + line.text : line.text;
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y + kTooltipLineHeight * k++,
                                    text.c_str(), 0, line.colour, 1, true);
    }
}

CMessageBox* MakeInfoBox(CBaseWindow* window) {
    auto* box = new CMessageBox(nullptr, true, false, false, 0);
    box->SetKept(true);
    if (CButton* ok = box->GetOkButton()) ok->LoadImage(FindAniByName("CommonIcons"), kInfoOkFrame);
    if (CButton* cancel = box->GetCancelButton()) {
        cancel->LoadImage(FindAniByName("CommonIcons"), kInfoCancelFrame);
        cancel->Hide();
    }
    box->SetHideOnAnswer(true);
    box->Hide();
    window->AddChild(box);
    return box;
}

void PlaceInfoBox(CMessageBox* box, CBaseWindow* window, int32_t mouseY) {
    if (!box || !window) return;
    if (!box->IsDrawOn()) {
        box->UpdateRect();
        const WindowRect& r = box->GetRect();
        const int32_t width = r.right - r.left, height = r.bottom - r.top;
        int32_t x = window->GetX() - width;
        if (x < 0) x = window->GetX() + window->ImageWidth();
        int32_t y = mouseY;
        const int32_t screenHeight = GetDisplaySettings().screenHeight;
        if (y + height > screenHeight) y = screenHeight - height;
        box->SetPosition(x, y);
    }
    box->Show();
}

void FillInfoBox(CMessageBox* box, CItemIcon& item) {
    if (!box) return;
    box->SetTextRows(BuildItemInfoText(item, &box->EditText()));
}
