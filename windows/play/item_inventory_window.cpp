#include "windows/play/item_inventory_window.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/input_mgr.h"
#include "core/util.h"
#include "data/premium_item_mgr.h"
#include "data/slot_object_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

constexpr int kTipTable = 14;
constexpr int kSortTips[4] = {24, 25, 26, 27};
constexpr int32_t kSortX[4] = {72, 120, 168, 216};
constexpr int kShopTip = 719, kSecondSplitRow = 22, kDepositOpenRow = 29, kCannotWearRow = 23;
constexpr int kCannotUseRow = 49, kRecipeValueRow = 675, kCookbookValueRow = 680;
constexpr int kShopBoughtTip = 725, kShopPresentTip = 726, kShopEntryTip = 728;
// The list: x + 1 .. x + 323 across, y + 35 .. y + 182 down; rows of 25.
constexpr int32_t kListRight = 324, kListTop = 34, kListBottom = 183;
constexpr int32_t kTextTop = 42, kIconTop = 47, kIconX = 19, kNameX = 146, kValueCentre = 297;
constexpr int32_t kFooterY = 191, kBagCountCentre = 63, kLoadCentre = 173, kMoneyRight = 313;
constexpr int32_t kTitleX = 316, kTitleY = 3, kButtonsY = 13, kShopX = 264;
constexpr int32_t kScrollX1 = 328, kScrollY1 = 28, kScrollX2 = 340, kScrollY2 = 190;
constexpr uint8_t kColourClassFirst = 4;

bool ButtonHeld() {
    return g_pInputMgr && (g_pInputMgr->IsButtonHeld(0) || g_pInputMgr->IsButtonHeld(1));
}

CItemObject* ItemOf(CSlotObjectMgr* container, uint32_t handle) {
    return container && handle ? dynamic_cast<CItemObject*>(container->FindChild(handle)) : nullptr;
}

// -1, 0 or 1 as a is below, equal to or above b.
template <class T>
int Compare(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareKeys(const CItemObject& a, const CItemObject& b, uint8_t mode) {
    if (mode == SORT_CLASS_4_FIRST) {
        const bool a4 = a.GetColorClass() == kColourClassFirst, b4 = b.GetColorClass() == kColourClassFirst;
        return a4 == b4 ? 0 : (a4 ? -1 : 1);
    }
    const bool aWorn = a.HasByte41(), bWorn = b.HasByte41();
    if (aWorn != bWorn) return (aWorn == (mode == SORT_WORN_FIRST)) ? -1 : 1;
    if (aWorn)
        if (int c = Compare(a.GetByte41(), b.GetByte41())) return c;
    return Compare(a.GetByte6(), b.GetByte6());
}

}  // namespace

int32_t ItemListRowAt(int32_t x, int32_t y, int32_t mx, int32_t my) {
    if (!(mx > x && mx < x + kListRight && my > y + kListTop && my < y + kListBottom)) return -1;
    // The factor is a float; the product is taken wider, so that 25 rows
    // down is still just under row 1.
    return int32_t(double(my - y - kListTop) * double(0.04f));
}

bool InventoryEntryBefore(CSlotObjectMgr* container, uint8_t mode, uint32_t a, uint32_t b) {
    CItemObject* x = ItemOf(container, a);
    CItemObject* y = ItemOf(container, b);
    if (!x || !y) return x && !y;  // empty entries last
    if (int c = CompareKeys(*x, *y, mode)) return c < 0;
    if (int c = Compare(x->GetItemRow(), y->GetItemRow())) return c < 0;
    return a < b;
}

// ---- The inventory ----

CItemInventoryWindow::CItemInventoryWindow() {
    CItemInventoryWindow::Create();
}

CItemInventoryWindow::~CItemInventoryWindow() {
    CItemInventoryWindow::Release();
}

bool CItemInventoryWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, INVENTORY_WINDOW_NAME, INVENTORY_IMAGE_NAME);
    m_visibleRows = INVENTORY_ROWS;
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "ITEM_INVEN_SCROLLBAR",
        {"ITEM_INVEN_SCROLL_BUTTON_UP", "ITEM_INVEN_SCROLL_BUTTON_DN", "ITEM_INVEN_SCROLL_BUTTON_DRAG"}));
    m_title.Make(this, "ITEM_INVEN_");
    for (int mode = 0; mode < 4; ++mode) {
        m_sortButtons[mode] =
            MakeTipButton(this, "ITEM_INVEN_SORT_BUTTON", image, uint8_t(mode + 1), kSortTips[mode]);
        if (m_sortButtons[mode]) m_sortButtons[mode]->SetKindId(uint32_t(mode));
    }
    m_shopButton =
        MakeTipButton(this, "ITEM_INVEN_ITEM_SHOP_BUTTON", FindAniByName(ITEM_SHOP_IMAGE_NAME), 1, kShopTip);
    auto* panel = new CPremiumItemInventoryWindow;
    AddChild(panel);
    panel->Hide();
    m_shopPanel.Assign(panel);
    m_sortMode = SORT_BAG_ORDER;
    m_pItems = nullptr;
    m_splitInput.Assign(nullptr);
    m_splitItem.Assign(nullptr);
    m_lastScroll = plat::timeGetTime();
    m_hovered = -1;
    std::fill(std::begin(m_ids), std::end(m_ids), 0u);
    m_infoBox.Assign(MakeInfoBox(this));
    SetPosition(0, 0);
    return true;
}

bool CItemInventoryWindow::Release() {
    m_shopPanel.Assign(nullptr);
    m_infoBox.Assign(nullptr);
    m_scrollBar.Assign(nullptr);
    return CBaseWindow::Release();
}

CScrollBar* CItemInventoryWindow::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}
CMessageBox* CItemInventoryWindow::GetInfoBox() const {
    return m_infoBox.GetAs<CMessageBox>();
}
CPremiumItemInventoryWindow* CItemInventoryWindow::GetItemShopPanel() const {
    return m_shopPanel.GetAs<CPremiumItemInventoryWindow>();
}
CNumberInputWindow* CItemInventoryWindow::GetSplitInput() const {
    return m_splitInput.GetAs<CNumberInputWindow>();
}
CSlotObjectMgr* CItemInventoryWindow::Container() const {
    return m_pItems ? m_pItems->Container() : nullptr;
}

void CItemInventoryWindow::SetItemContainer(CCharData* items) {
    m_pItems = items;
    RefreshItems();
}

void CItemInventoryWindow::RefreshItems() {
    RefreshItemList(Container());
}

bool CItemInventoryWindow::RefreshItemList(CSlotObjectMgr* container) {
    std::fill(std::begin(m_ids), std::end(m_ids), 0u);
    int32_t count = 0;
    if (container)
        for (CMsgObject* child : container->Children()) {
            auto* item = dynamic_cast<CItemObject*>(child);
            if (!item || item->GetState() == ITEM_WORN || item->GetState() == ITEM_NOT_LISTED) continue;
            if (count == INVENTORY_ENTRIES) break;  // more than the list holds: the rest are left out
            m_ids[count++] = item->GetId();
        }
    if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(count - m_visibleRows);
    if (m_sortMode != SORT_BAG_ORDER) SortItems();
    return true;
}

void CItemInventoryWindow::SortItems() {
    if (m_sortMode == SORT_BAG_ORDER) {
        RefreshItemList(Container());
        return;
    }
    if (m_sortMode > SORT_CLASS_4_FIRST) return;
    CSlotObjectMgr* container = Container();
    if (!PlayerChar()) return;  // nothing to compare by: the order stays
    const uint8_t mode = m_sortMode;
    std::stable_sort(std::begin(m_ids), std::end(m_ids), [container, mode](uint32_t a, uint32_t b) {
        return InventoryEntryBefore(container, mode, a, b);
    });
}

CItemIcon* CItemInventoryWindow::GetItemAt(int32_t index) {
    if (index < 0 || index >= INVENTORY_ENTRIES) return nullptr;
    return FindItemByHandle(Container(), m_ids[index]);
}

int32_t CItemInventoryWindow::FirstRow() {
    CScrollBar* bar = GetScrollBar();
    return bar ? int32_t(bar->GetScrollPos()) : 0;
}

int32_t CItemInventoryWindow::ComputeHovered() {
    m_hovered = -1;
    UpdateRect();
    CSlotObjectMgr* container = Container();
    if (!container || container->Children().Count() == 0) return -1;
    int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (ButtonHeld()) {
        mx = m_x + m_pressX;
        my = m_y + m_pressY;
    } else {
        if (!HitTest(mx, my)) return -1;
        m_pressX = mx - m_x;
        m_pressY = my - m_y;
    }
    const int32_t row = ItemListRowAt(m_x, m_y, mx, my);
    if (row < 0 || row >= m_visibleRows) return -1;
    const int32_t entry = FirstRow() + row;
    if (GetItemAt(entry)) m_hovered = entry;
    return m_hovered;
}

bool CItemInventoryWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    x = m_x;
    y = m_y;
    m_title.Place(x + kTitleX, y + kTitleY);
    for (int mode = 0; mode < 4; ++mode)
        if (m_sortButtons[mode]) m_sortButtons[mode]->SetPosition(x + kSortX[mode], y + kButtonsY);
    if (m_shopButton) m_shopButton->SetPosition(x + kShopX, y + kButtonsY);
    if (CScrollBar* bar = GetScrollBar())
        bar->SetBarRect(x + kScrollX1, y + kScrollY1, x + kScrollX2, y + kScrollY2);
    PlaceShopPanel();
    return true;
}

void CItemInventoryWindow::PlaceShopPanel() {
    CPremiumItemInventoryWindow* panel = GetItemShopPanel();
    if (!panel) return;
    const int32_t y = m_y + ImageHeight();
    if (panel->GetX() != m_x || panel->GetY() != y) panel->SetPosition(m_x, y);
}

bool CItemInventoryWindow::Show() {
    SetAllFlags(true);
    if (CPremiumItemInventoryWindow* panel = GetItemShopPanel()) panel->Hide();
    return true;
}

bool CItemInventoryWindow::Hide() {
    CBaseWindow::Hide();
    SetStateValue(WINDOW_STATE_DOCKED);
    return true;
}

bool CItemInventoryWindow::SetActive(bool active, bool keepOrder) {
    if (!active)
        if (CMessageBox* box = GetInfoBox()) box->Hide();
    return CBaseWindow::SetActive(active, keepOrder);
}

bool CItemInventoryWindow::SetStateValue(int32_t value) {
    m_title.ShowForMode(this, value);
    return CBaseWindow::SetStateValue(value);
}

bool CItemInventoryWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + INVENTORY_WIDTH, m_y + INVENTORY_HEIGHT};
    return true;
}

// ---- Drawing ----

bool CItemInventoryWindow::Draw() {
    DrawUnderDialogs(this, {GetInfoBox()}, [this] { DrawList(); });
    return true;
}

void CItemInventoryWindow::DrawList() {
    const int32_t x = m_x, y = m_y;
    CSlotObjectMgr* container = Container();
    char text[64];
    // The footer: bag slots used, the load pair, the money.
    std::snprintf(text, sizeof text, "%d/%d", container ? container->CountItemsBeyondSlot0() : 0,
                  INVENTORY_BAG_SLOTS);
    std::string line = text;
    DrawItemText(CentredX(x + kBagCountCentre, line), y + kFooterY, line, ITEM_TEXT_WHITE);
    if (CCharData* data = m_pItems) {
        std::snprintf(text, sizeof text, "%u/%u", data->m_values[VALUE_LOAD], data->m_values[VALUE_LOAD_MAX]);
        line = text;
        DrawItemText(CentredX(x + kLoadCentre, line), y + kFooterY, line, ITEM_TEXT_WHITE);
        line = FormatNumberWithCommas(data->m_values[VALUE_MONEY]);
        DrawItemText(x + kMoneyRight - 6 * int32_t(line.size()), y + kFooterY, line, ITEM_TEXT_WHITE);
    }
    if (!container || container->Children().Count() == 0) return;
    const int32_t first = FirstRow();
    for (int32_t r = 0; r < m_visibleRows; ++r) {
        const int32_t entry = first + r;
        CItemIcon* item = GetItemAt(entry);
        if (!item) continue;
        if (item->HasByte41()) {
            std::snprintf(text, sizeof text, "%d/%d", int32_t(item->GetCurrent()),
                          int32_t(item->GetMaximum()));
            line = text;
            DrawItemText(CentredX(x + kValueCentre, line), y + kTextTop + INVENTORY_ROW_HEIGHT * r, line,
                         BagValueColour(item->GetCurrent(), item->GetMaximum()));
        } else {
            std::snprintf(text, sizeof text, "%d", int32_t(item->GetCount()));
            line = text;
            DrawItemText(CentredX(x + kValueCentre, line), y + kTextTop + INVENTORY_ROW_HEIGHT * r, line,
                         ITEM_TEXT_WHITE);
        }
        item->SetPosition(x + kIconX, y + kIconTop + INVENTORY_ROW_HEIGHT * r);
        item->Draw();
        DrawItemName(*item, x + kNameX, y + kTextTop + INVENTORY_ROW_HEIGHT * r, INVENTORY_NAME_BYTES,
                     entry == m_hovered, &m_nameTip, y + kTextTop - 2 + INVENTORY_ROW_HEIGHT * r);
    }
}

// ---- The frame ----

bool CItemInventoryWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    CSlotObjectMgr* container = Container();
    if (!container || container->Children().Count() == 0) return true;
    // The split asked for: sent once OK was pressed; the window goes either way.
    if (CNumberInputWindow* input = GetSplitInput()) {
        const bool ok = input->GetResult() == 1;
        if (ok || !input->IsUpdateOn()) {
            if (ok)
                if (auto* item = m_splitItem.GetAs<CItemIcon>(); item && input->GetValue() > 0)
                    GameSession().SendInventoryCommand8(
                        uint16_t(item->GetSlotIndex()), uint16_t(item->GetSlotIndex()),
                        uint16_t(std::min<uint32_t>(input->GetValue(), 0xFFFF)));
            if (g_pWindowMgr) g_pWindowMgr->CloseWindow(input);
            m_splitInput.Assign(nullptr);
            m_splitItem.Assign(nullptr);
        }
    } else if (m_splitItem) {
        m_splitItem.Assign(nullptr);
    }
    const int32_t first = FirstRow();
    for (int32_t r = 0; r < m_visibleRows; ++r)
        if (CItemIcon* item = GetItemAt(first + r)) item->Update();
    ComputeHovered();
    UpdateHints();
    AutoScroll();
    return true;
}

void CItemInventoryWindow::UpdateHints() {
    CItemIcon* item = GetItemAt(m_hovered);
    if (!item) return;
    CChar* player = PlayerChar();
    CCharController* controller = player ? player->GetController() : nullptr;
    ICursorObject* cursor = WindowCursor();
    if (!controller || !cursor) return;
    if (item->HasByte41()) {
        char reason[256] = {};
        if (controller->CanEquipItem(item, reason, sizeof reason)) return;
        const std::string hint = std::string(GetTableText(kTipTable, kCannotWearRow)) + "(" + reason + ")";
        cursor->SetText(hint.c_str(), ITEM_TEXT_WHITE);
        return;
    }
    const bool recipe = item->IsItemClass10();
    if (!recipe && !item->IsItemClass11()) return;
    uint32_t value = 0;
    if (recipe ? controller->CanUseItemClass10(item, value) : controller->CanUseItemClass11(item, value))
        return;
    // Only the value's own text is a format: the label beside it is shown as it is.
    const std::string hint =
        std::string(GetTableText(kTipTable, kCannotUseRow)) + "(" +
        FormatTableText(GetTableText(kTipTable, recipe ? kRecipeValueRow : kCookbookValueRow), {value}) + ")";
    cursor->SetText(hint.c_str(), ITEM_TEXT_WHITE);
}

void CItemInventoryWindow::AutoScroll() {
    if (!ButtonHeld()) return;
    const uint32_t now = plat::timeGetTime();
    if (now - m_lastScroll < INVENTORY_SCROLL_STEP_MS) return;
    CItemIcon* item = GetItemAt(m_hovered);
    CScrollBar* bar = GetScrollBar();
    if (!item || item->GetDragMode() != 0 || !bar) return;
    const int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (!(mx > m_x && mx < m_x + kListRight)) return;
    const float position = bar->GetScrollPos();
    if (my > m_y && my < m_y + kListTop) {
        if (position > 0) bar->SetScrollPos(position - 1);
        m_lastScroll = now;
    } else if (my > m_y + kListBottom && my < m_y + ImageHeight()) {
        if (float(bar->GetMaximum()) - position >= 1) bar->SetScrollPos(position + 1);
        m_lastScroll = now;
    }
}

// ---- Input ----

bool CItemInventoryWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    // Each control sees every click of the frame: only one on it counts.
    if (m_title.Owns(control)) return !m_title.Click(this, control, x, y);
    for (int mode = 0; mode < 4; ++mode)
        if (control && control == m_sortButtons[mode]) {
            if (!IsClickOn(control, x, y)) return true;
            m_sortMode = uint8_t(mode);
            SortItems();
            return false;
        }
    if (control && control == m_shopButton) {
        if (!IsClickOn(control, x, y)) return true;
        if (CPremiumItemInventoryWindow* panel = GetItemShopPanel()) {
            if (panel->IsDrawOn()) {
                panel->Hide();
            } else {
                panel->Show();
                panel->SetActive(true, false);
                PlaceShopPanel();
            }
        }
        return false;
    }
    if (control) {
        if (control == GetItemShopPanel()) return true;
        return control->OnControlEvent(button, x, y, nullptr);
    }
    CMessageBox* box = GetInfoBox();
    UpdateRect();
    ComputeHovered();
    if (button == 1 && HitTest(x, y))
        if (CItemIcon* item = GetItemAt(m_hovered)) {
            PlaceInfoBox(box, this, y);
            FillInfoBox(box, *item);
            return true;
        }
    if (box) box->Hide();
    return true;
}

bool CItemInventoryWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        // The pressed point is what the hovered entry follows while held.
        m_pressX = x - m_x;
        m_pressY = y - m_y;
        return CBaseWindow::OnMouseDown(button, x, y, nullptr);
    }
    m_pressX = x - m_x;
    m_pressY = y - m_y;
    // A press while the scene aims a skill or an item hands the scene no item
    // target: the press does nothing more.
    return control->OnMouseDown(button, x, y, nullptr);
}

bool CItemInventoryWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    CScrollBar* bar = GetScrollBar();
    if (bar && bar->GetPressedButton() >= 0) return true;
    return !DragItemOrWindow(this, GetItemAt(ComputeHovered()), ITEM_DRAG_FROM_INVENTORY, bar, x, y);
}

bool CItemInventoryWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    UpdateRect();
    if (!HitTest(WindowMouseX(), WindowMouseY())) return true;
    if (button >= 0 && button < 2) m_doubleClicked[button] = 1;
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    if (button == 1) return true;
    CItemIcon* item = GetItemAt(ComputeHovered());
    if (!item) return CBaseWindow::OnDoubleClick(button, x, y, nullptr);
    CBaseWindow* deposit = FindItemTargetWindow(DEPOSIT_WINDOW_NAME);
    if (deposit && deposit->IsVisibleInTree()) {
        ShowRefusal(kDepositOpenRow);
        return false;
    }
    CBaseWindow* roulette = FindItemTargetWindow(ROULETTE_WINDOW_NAME);
    if (roulette && roulette->IsDrawOn() && item->HasByte41() && !item->IsDisabled()) {
        if (auto* target = dynamic_cast<IItemIconTarget*>(roulette)) target->DropIcon(item, x, y);
        return false;
    }
    item->UseItem();
    return false;
}

bool CItemInventoryWindow::OnItemDropped(CItemIcon* item) {
    if (!item || !Container()) return false;
    const int32_t row = ItemListRowAt(m_x, m_y, WindowMouseX(), WindowMouseY());
    if (row < 0 || row >= m_visibleRows) return false;
    CItemIcon* target = GetItemAt(FirstRow() + row);
    if (!target) return false;
    if (target->GetItemId() == item->GetItemId()) {
        if (target != item)
            GameSession().SendInventoryCommand8(uint16_t(item->GetSlotIndex()),
                                                uint16_t(target->GetSlotIndex()),
                                                uint16_t(std::min<uint32_t>(item->GetCount(), 0xFFFF)));
        return true;
    }
    if (item->GetCount() <= 1) return true;
    if (CNumberInputWindow* open = GetSplitInput()) {
        ShowRefusal(kSecondSplitRow);
        open->SetActive(true, false);
        return false;
    }
    if (!g_pWindowMgr) return false;
    auto* input = new CNumberInputWindow;
    g_pWindowMgr->AddChild(input);
    input->Show();
    input->SetActive(true, false);
    input->SetPosition(WindowMouseX(), WindowMouseY());
    input->SetRange(item->GetCount(), 0);
    input->SetNumber(1, true);
    m_splitInput.Assign(input);
    m_splitItem.Assign(item);
    return true;
}

// ---- The item shop's panel ----

CPremiumItemInventoryWindow::CPremiumItemInventoryWindow() {
    CPremiumItemInventoryWindow::Create();
}

CPremiumItemInventoryWindow::~CPremiumItemInventoryWindow() {
    CPremiumItemInventoryWindow::Release();
}

bool CPremiumItemInventoryWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, PREMIUM_INVENTORY_NAME, ITEM_SHOP_IMAGE_NAME);
    m_tab = 0;
    m_hovered = -1;
    m_infoHidden = 1;
    m_bought = MakeTipButton(this, "ITEM_INVEN_ITEM_SHOP_BOUGHT_BUTTON", image, 1, kShopBoughtTip);
    m_present = MakeTipButton(this, "ITEM_INVEN_ITEM_SHOP_PRESENT_BUTTON", image, 2, kShopPresentTip);
    m_close = MakeTipButton(this, "ITEM_INVEN_ITEM_SHOP_CLOSE_BUTTON", FindAniByName("CommonIcons"),
                            TITLE_CLOSE_MOTION, TITLE_TIP_CLOSE);
    m_scrollBar.Assign(
        MakeChildScrollBar(this, "ITEM_INVEN_ITEM_SHOP_SCROLLBAR",
                           {"ITEM_INVEN_ITEM_SHOP_SCROLL_BUTTON_UP", "ITEM_INVEN_ITEM_SHOP_SCROLL_BUTTON_DN",
                            "ITEM_INVEN_ITEM_SHOP_SCROLL_BUTTON_DRAG"}));
    m_infoBox.Assign(MakeInfoBox(this));
    CBaseWindow::SetPosition(0, 0);
    return true;
}

bool CPremiumItemInventoryWindow::Show() {
    SetAllFlags(true);
    m_tab = 0;
    if (g_pPremiumItemNotifyMgr && g_pPremiumItemNotifyMgr->GetEntryCount(0) == 0 &&
        g_pPremiumItemNotifyMgr->GetEntryCount(1) > 0)
        m_tab = 1;
    return true;
}

bool CPremiumItemInventoryWindow::Hide() {
    CBaseWindow::Hide();
    m_infoHidden = 1;
    return true;
}

bool CPremiumItemInventoryWindow::SetActive(bool active, bool keepOrder) {
    if (!active)
        if (auto* box = m_infoBox.GetAs<CMessageBox>()) box->Hide();
    return CBaseWindow::SetActive(active, keepOrder);
}

bool CPremiumItemInventoryWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    x = m_x;
    y = m_y;
    if (m_bought) m_bought->SetPosition(x + 122, y + kButtonsY);
    if (m_present) m_present->SetPosition(x + 190, y + kButtonsY);
    if (m_close) m_close->SetPosition(x + kTitleX, y + kTitleY);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetBarRect(x + kScrollX1, y + kScrollY1, x + kScrollX2, y + kScrollY2);
    // The panel hangs under the inventory.
    if (g_pWindowMgr) {
        std::vector<CBaseWindow*> windows;
        g_pWindowMgr->FindAllWindowsByName(INVENTORY_WINDOW_NAME, &windows);
        for (CBaseWindow* inventory : windows) {
            const int32_t top = y - inventory->ImageHeight();
            if (inventory->GetX() != x || inventory->GetY() != top) inventory->SetPosition(x, top);
        }
    }
    return true;
}

bool CPremiumItemInventoryWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + ITEM_SHOP_WIDTH, m_y + ITEM_SHOP_HEIGHT};
    return true;
}

int32_t CPremiumItemInventoryWindow::EntryCount() {
    return g_pPremiumItemNotifyMgr ? g_pPremiumItemNotifyMgr->GetEntryCount(m_tab) : 0;
}

CItemIcon* CPremiumItemInventoryWindow::GetEntryItem(int32_t n) {
    if (!g_pPremiumItemNotifyMgr) return nullptr;
    CPremiumEntry* entry = g_pPremiumItemNotifyMgr->GetEntry(m_tab, n);
    return entry ? dynamic_cast<CItemIcon*>(entry->m_item.get()) : nullptr;
}

int32_t CPremiumItemInventoryWindow::ComputeHovered() {
    m_hovered = -1;
    UpdateRect();
    const int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (!HitTest(mx, my)) return -1;
    const int32_t row = ItemListRowAt(m_x, m_y, mx, my);
    if (row < 0 || row >= INVENTORY_ROWS) return -1;
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    const int32_t entry = (bar ? int32_t(bar->GetScrollPos()) : 0) + row;
    if (GetEntryItem(entry)) m_hovered = entry;
    return m_hovered;
}

bool CPremiumItemInventoryWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    const int32_t maximum = std::max(EntryCount() - INVENTORY_ROWS, 0);
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    if (bar && maximum != m_lastMaximum) {
        bar->SetMaximum(maximum);
        m_lastMaximum = maximum;
    }
    const int32_t first = bar ? int32_t(bar->GetScrollPos()) : 0;
    for (int32_t r = 0; r < INVENTORY_ROWS; ++r)
        if (CItemIcon* item = GetEntryItem(first + r)) item->Update();
    if (ComputeHovered() >= 0)
        if (ICursorObject* cursor = WindowCursor())
            cursor->SetText(GetTableText(kTipTable, kShopEntryTip), ITEM_TEXT_WHITE);
    return true;
}

bool CPremiumItemInventoryWindow::Draw() {
    DrawUnderDialogs(this, {m_infoBox.GetAs<CMessageBox>()}, [this] { DrawList(); });
    return true;
}

void CPremiumItemInventoryWindow::DrawList() {
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    const int32_t first = bar ? int32_t(bar->GetScrollPos()) : 0;
    char text[32];
    for (int32_t r = 0; r < INVENTORY_ROWS; ++r) {
        CItemIcon* item = GetEntryItem(first + r);
        if (!item) continue;
        std::snprintf(text, sizeof text, "%d", int32_t(item->GetCount()));
        const std::string line = text;
        DrawItemText(CentredX(m_x + kValueCentre, line), m_y + kTextTop + INVENTORY_ROW_HEIGHT * r, line,
                     ITEM_TEXT_WHITE);
        const uint32_t state = item->GetState();
        item->SetState(ITEM_IN_INVENTORY);
        item->SetPosition(m_x + kIconX, m_y + kIconTop + INVENTORY_ROW_HEIGHT * r);
        item->Draw();
        item->SetState(state);
        DrawItemName(*item, m_x + kNameX, m_y + kTextTop + INVENTORY_ROW_HEIGHT * r, INVENTORY_NAME_BYTES,
                     first + r == m_hovered, &m_nameTip, m_y + kTextTop - 2 + INVENTORY_ROW_HEIGHT * r);
    }
}

bool CPremiumItemInventoryWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && (control == m_bought || control == m_present || control == m_close)) {
        if (!IsClickOn(control, x, y)) return true;
        if (control == m_bought) m_tab = 0;
        if (control == m_present) m_tab = 1;
        if (control == m_close) {
            Hide();
            SetActive(false, false);
        }
        return false;
    }
    if (control) return control->OnControlEvent(button, x, y, nullptr);
    auto* box = m_infoBox.GetAs<CMessageBox>();
    UpdateRect();
    if (button == 1 && HitTest(x, y))
        if (CItemIcon* item = GetEntryItem(ComputeHovered())) {
            PlaceInfoBox(box, this, y);
            FillInfoBox(box, *item);
            m_infoHidden = 0;
            return true;
        }
    if (box) box->Hide();
    m_infoHidden = 1;
    return true;
}

bool CPremiumItemInventoryWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    if (bar && bar->GetPressedButton() >= 0) return true;
    return !DragItemOrWindow(this, GetEntryItem(ComputeHovered()), ITEM_DRAG_FROM_INVENTORY, bar, x, y);
}

bool CPremiumItemInventoryWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    CItemIcon* item = GetEntryItem(ComputeHovered());
    if (!g_pPremiumItemNotifyMgr || !item) return CBaseWindow::OnDoubleClick(button, x, y, nullptr);
    g_pPremiumItemNotifyMgr->MarkEntrySent(item);
    return false;
}
