#include "windows/play/item_equip_window.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/input_mgr.h"
#include "data/data_table.h"
#include "data/item_table_mgr.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

constexpr int kTipTable = 14, kExpandTip = 740, kCollapseTip = 743, kHiddenPartnerTip = 778, kFrontTip = 779;
constexpr int kBonusTextTable = 19, kFirstBonusName = 76;
constexpr int32_t kPositionToIndex[EQUIP_INDEXES + 1] = {-1, 0, 2, 1, 3, 4, 6, 5, 7, 8, 9, 10, 11, 12};
constexpr int32_t kExpandedRows[EQUIP_INDEXES] = {0, 8, 1, 2, 9, 3, 4, 10, 5, 11, 6, 7, 12};
constexpr int32_t kRowOffsets[EQUIP_INDEXES] = {-1, -3, -1, 1, -1, 1, 3, 1, 5, 3, 5, 5, 5};
// Collapsed: the single rows, and the pair rows (row, main index, partner index).
constexpr int32_t kCollapsedSingles[][2] = {{1, 1}, {3, 3}, {6, 6}, {7, 7}, {8, 12}};
constexpr int32_t kCollapsedPairs[][3] = {{0, 0, 8}, {2, 2, 9}, {4, 4, 10}, {5, 5, 11}};
// Expanded: the pair rows (a row and its partner's), and the show-flag bit a pair's rows choose.
constexpr int32_t kExpandedPairs[][2] = {{0, 1}, {3, 4}, {6, 7}, {8, 9}};
constexpr int32_t kTitleX = 169, kTitleY = 4, kExpandX = 151, kExpandY = 6, kBarX = 47;
constexpr int32_t kHoverLeft = 13, kHoverRight = 201, kHoverTop = 26, kHoverBottom = 432, kRowsTop = 25;
constexpr int32_t kIconX = 19, kIconDown = 39, kValueCentre = 164, kValueDown = 42, kNameCentre = 113,
                  kNameDown = 29, kTipDown = 23, kMarkX = 6, kMarkDown = 28;
constexpr uint8_t kFrontMarkMotion = 4;

// Colours of the set panel (red in the low byte).
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t kTierColours[SET_TIERS + 1] = {Rgb(255, 21, 17), Rgb(100, 255, 255), Rgb(100, 200, 200),
                                                  Rgb(169, 170, 170), Rgb(169, 169, 169)};
constexpr uint32_t kWornColour = Rgb(100, 255, 255), kGrey = Rgb(169, 169, 169);
constexpr uint32_t kPlusColour = Rgb(254, 255, 0), kMinusColour = Rgb(255, 21, 17);

// The worn item with the item id, or null.
const CItemObject* WornItem(const CCharData& worn, uint32_t itemId) {
    if (itemId == 0) return nullptr;
    for (const auto& item : worn.m_items)
        if (item && item->GetItemId() == itemId) return item.get();
    return nullptr;
}

// The member id of a mask bit (0-12); 0 past the members.
uint32_t MemberId(const CDataTable& sets, int32_t row, int bit) {
    return bit < SET_MEMBERS ? sets.GetInt(SET_COL_FIRST_MEMBER + bit, row) : 0;
}

int32_t FindSetRow(const CDataTable& sets, uint32_t itemId) {
    for (int32_t row = 0; row < sets.GetRowCount(); ++row)
        if (itemId != 0 && sets.GetInt(SET_COL_ITEM_ID, row) == itemId) return row;
    return -1;
}

}  // namespace

int32_t EquipIndexOfPosition(int32_t position) {
    return position >= 1 && position <= EQUIP_INDEXES ? kPositionToIndex[position] : -1;
}

int32_t EquipPositionOfIndex(int32_t index) {
    for (int32_t position = 1; position <= EQUIP_INDEXES; ++position)
        if (kPositionToIndex[position] == index) return position;
    return -1;
}

int32_t SetTierMet(const CDataTable& sets, int32_t row, const CCharData& worn) {
    for (int tier = 0; tier < SET_TIERS; ++tier) {
        // Bits past the thirteen members name nothing.
        const uint32_t mask = sets.GetInt(SET_COL_TIER_MASKS + 4 * tier, row) & ((1u << SET_MEMBERS) - 1);
        if (mask == 0) continue;
        bool met = true;
        for (int bit = 0; bit < SET_MEMBERS && met; ++bit) {
            const uint32_t id = (mask & (1u << bit)) ? MemberId(sets, row, bit) : 0;
            // A member the item table lacks is left out.
            if (id == 0 || !g_pItemTableMgr || !g_pItemTableMgr->FindTemplateById(id)) continue;
            if (!WornItem(worn, id)) met = false;
        }
        if (met) return tier;
    }
    return -1;
}

std::vector<SetPanelPiece> BuildSetPanel(const CDataTable& sets, uint32_t itemId, const CCharData& worn) {
    std::vector<SetPanelPiece> pieces;
    const int32_t row = FindSetRow(sets, itemId);
    if (row < 0) return pieces;
    const int32_t tier = SetTierMet(sets, row, worn);
    const char* name = sets.GetText(SET_COL_NAME, row);
    pieces.push_back({0, name ? name : "", kTierColours[tier + 1]});
    int32_t line = 2;
    const uint32_t members = sets.GetInt(SET_COL_TIER_MASKS, row);
    for (int bit = 0; bit < SET_MEMBERS; ++bit) {
        const uint32_t id = (members & (1u << bit)) ? MemberId(sets, row, bit) : 0;
        if (id == 0) continue;
        const CItemObject* wornItem = WornItem(worn, id);
        const CItemObject* known =
            wornItem ? wornItem : (g_pItemTableMgr ? g_pItemTableMgr->FindTemplateById(id) : nullptr);
        if (!known || !known->GetName()) continue;  // a member the item table lacks
        pieces.push_back({line++, known->GetName(), wornItem ? kWornColour : kGrey});
    }
    ++line;
    if (tier == 0) {
        bool any = false;
        for (int k = 0; k < SET_BONUSES; ++k) {
            const int32_t value = int8_t(sets.GetInt(SET_COL_FIRST_BONUS + k, row));
            if (value == 0) continue;
            if (any) pieces.push_back({line, ", ", kGrey});
            char text[96];
            std::snprintf(text, sizeof text, "%s %+d", GetTableText(kBonusTextTable, kFirstBonusName + k),
                          value);
            pieces.push_back({line, text, value > 0 ? kPlusColour : kMinusColour});
            any = true;
        }
        if (any) line += 2;
    }
    const char* description = sets.GetText(SET_COL_DESCRIPTION, row);
    pieces.push_back({line, description ? description : "", ITEM_TEXT_WHITE});
    return pieces;
}

// ---- The window ----

CItemEquipWindow::CItemEquipWindow() {
    CItemEquipWindow::Create();
}

CItemEquipWindow::~CItemEquipWindow() {
    CItemEquipWindow::Release();
}

bool CItemEquipWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, EQUIP_WINDOW_NAME, EQUIP_PICTURE_NAME);
    m_hovered = -1;
    m_title.Make(this, "ITEM_EQUIP_");
    m_selectionBar =
        MakeChildButton("ITEM_EQUIP_SELBAR_BUTTON", this, FindAniByName(EQUIP_BAR_PICTURE_NAME), 1);
    ShowControl(m_selectionBar, false);
    m_expand = MakeTipButton(this, "ITEM_EQUIP_EXPAND_BUTTON", image, 2, kExpandTip);
    m_collapse = MakeTipButton(this, "ITEM_EQUIP_EXPAND_BUTTON", image, 3, kCollapseTip);
    if (image) {
        m_frontMark = std::make_unique<CAniObject>();
        if (m_frontMark->SetAnimation(image)) {
            m_frontMark->SetMotion(kFrontMarkMotion);
            m_frontMark->SetDirection(2);
        } else {
            m_frontMark.reset();
        }
    }
    m_infoBox.Assign(MakeInfoBox(this));
    m_expanded = 0;
    m_setPanel = 0;
    SetExpanded(false);
    SetPosition(0, 0);
    return true;
}

bool CItemEquipWindow::Release() {
    m_frontMark.reset();
    m_infoBox.Assign(nullptr);
    return CBaseWindow::Release();
}

CMessageBox* CItemEquipWindow::GetInfoBox() const {
    return m_infoBox.GetAs<CMessageBox>();
}

bool CItemEquipWindow::IsSetPanelShown() const {
    CMessageBox* box = GetInfoBox();
    return box && box->IsDrawOn() && m_setPanel;
}

void CItemEquipWindow::SetItemContainer(CCharData* items) {
    m_pItems = items;
    RefreshEquipList();
}

CItemIcon* CItemEquipWindow::GetWornItem(uint8_t slotClass) {
    if (!m_pItems || slotClass < 1 || slotClass > EQUIP_INDEXES) return nullptr;
    return dynamic_cast<CItemIcon*>(m_pItems->m_items[slotClass].get());
}

CItemIcon* CItemEquipWindow::ItemAtIndex(int32_t index) const {
    const int32_t position = EquipPositionOfIndex(index);
    if (!m_pItems || position < 1) return nullptr;
    return dynamic_cast<CItemIcon*>(m_pItems->m_items[position].get());
}

void CItemEquipWindow::RefreshEquipList() {
    SetExpanded(m_expanded != 0);
}

void CItemEquipWindow::SetExpanded(bool expanded) {
    m_expanded = expanded;
    for (int32_t r = 0; r < EQUIP_INDEXES; ++r) m_rowIndex[r] = m_hiddenIndex[r] = -1;
    if (expanded) {
        for (int32_t r = 0; r < EQUIP_INDEXES; ++r) m_rowIndex[r] = kExpandedRows[r];
        m_rowCount = EQUIP_INDEXES;
    } else {
        for (const auto& single : kCollapsedSingles) m_rowIndex[single[0]] = single[1];
        for (const auto& pair : kCollapsedPairs) {
            const int32_t row = pair[0], main = pair[1], partner = pair[2];
            CItemIcon* a = ItemAtIndex(main);
            CItemIcon* b = ItemAtIndex(partner);
            if (!b) {
                m_rowIndex[row] = main;
            } else if (a && a->GetGrade() > b->GetGrade()) {
                m_rowIndex[row] = main;
                m_hiddenIndex[row] = partner;
            } else {
                m_rowIndex[row] = partner;
                if (a) m_hiddenIndex[row] = main;
            }
        }
        m_rowCount = EQUIP_ROWS_COLLAPSED;
    }
    if (CAniObject* picture = GetAniObject()) picture->SetDirection(expanded ? 0 : 2);
    ShowControl(m_expand, !expanded);
    ShowControl(m_collapse, expanded);
    UpdateRect();
}

CItemIcon* CItemEquipWindow::GetItemAtRow(int32_t row) {
    if (row < 0 || row >= EQUIP_INDEXES || !m_pItems) return nullptr;
    return ItemAtIndex(m_rowIndex[row]);
}

int32_t CItemEquipWindow::RowTop(int32_t row) const {
    return m_y + kRowsTop + EQUIP_ROW_HEIGHT * row + (m_expanded ? kRowOffsets[row] : 0);
}

bool CItemEquipWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + EQUIP_WIDTH,
                        m_y + (m_expanded ? EQUIP_HEIGHT_EXPANDED : EQUIP_HEIGHT_COLLAPSED)};
    return true;
}

bool CItemEquipWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    m_title.Place(m_x + kTitleX, m_y + kTitleY);
    for (CButton* button : {m_expand, m_collapse})
        if (button) button->SetPosition(m_x + kExpandX, m_y + kExpandY);
    return true;
}

bool CItemEquipWindow::SetStateValue(int32_t value) {
    m_title.ShowForMode(this, value);
    return CBaseWindow::SetStateValue(value);
}

bool CItemEquipWindow::Show() {
    SetAllFlags(true);
    SetExpanded(m_expanded != 0);
    return true;
}

bool CItemEquipWindow::Hide() {
    CBaseWindow::Hide();
    SetStateValue(WINDOW_STATE_DOCKED);
    return true;
}

bool CItemEquipWindow::SetActive(bool active, bool keepOrder) {
    if (!active)
        if (CMessageBox* box = GetInfoBox()) box->Hide();
    return CBaseWindow::SetActive(active, keepOrder);
}

int32_t CItemEquipWindow::ComputeHovered() {
    const int32_t before = m_hovered;
    m_hovered = -1;
    UpdateRect();
    bool anyWorn = false;
    for (int32_t i = 0; i < EQUIP_INDEXES && !anyWorn; ++i) anyWorn = ItemAtIndex(i) != nullptr;
    int32_t mx = WindowMouseX(), my = WindowMouseY();
    const bool held = g_pInputMgr && (g_pInputMgr->IsButtonHeld(0) || g_pInputMgr->IsButtonHeld(1));
    if (held) {
        mx = m_x + m_pressOffsetX;
        my = m_y + m_pressOffsetY;
    }
    if (anyWorn && (held || HitTest(mx, my)) && mx > m_x + kHoverLeft && mx < m_x + kHoverRight &&
        my > m_y + kHoverTop && my < m_y + kHoverBottom) {
        int32_t found = -1;
        for (int32_t row = 0; row < EQUIP_INDEXES; ++row) {
            const int32_t top = RowTop(row);
            if (my >= top && my < top + EQUIP_ROW_HEIGHT) found = row;
        }
        if (found >= 0 && found < m_rowCount && GetItemAtRow(found)) m_hovered = found;
    }
    if (m_selectionBar) {
        if (m_hovered >= 0 && m_hovered != before) {
            m_selectionBar->SetPosition(m_x + kBarX, RowTop(m_hovered));
            m_selectionBar->Show();
        } else if (m_hovered < 0) {
            m_selectionBar->Hide();
        }
    }
    return m_hovered;
}

// ---- The frame ----

bool CItemEquipWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self || !m_pItems) return true;
    for (int32_t r = 0; r < EQUIP_INDEXES; ++r)
        if (CItemIcon* item = GetItemAtRow(r)) item->Update();
    ComputeHovered();
    UpdateSetPanel();
    UpdateHint();
    return true;
}

void CItemEquipWindow::UpdateHint() {
    ICursorObject* cursor = WindowCursor();
    CItemIcon* item = GetItemAtRow(m_hovered);
    if (!g_pItemTableMgr || !cursor || !item) return;
    if (m_expanded) {
        if (item->Record().m_byte1 == 0) cursor->SetText(GetTableText(kTipTable, kFrontTip), ITEM_TEXT_WHITE);
    } else if (ItemAtIndex(HiddenIndex(m_hovered))) {
        cursor->SetText(GetTableText(kTipTable, kHiddenPartnerTip), ITEM_TEXT_WHITE);
    }
}

void CItemEquipWindow::UpdateSetPanel() {
    CMessageBox* box = GetInfoBox();
    if (!g_pItemTableMgr || !box) return;
    if (box->IsDrawOn() && !m_setPanel) return;  // the box shows a description
    CItemIcon* item = GetItemAtRow(m_hovered);
    if (!item || item->GetItemId() == 0) {
        if (box->IsDrawOn()) box->Hide();
        m_setPanel = 0;
        return;
    }
    if (!box->IsDrawOn()) {
        PlaceInfoBox(box, this, WindowMouseY());
        m_setPanel = 1;
        box->ClearText();
    }
    // Without a set table (or a row for the item) the panel stays empty.
    const CDataTable* sets = g_pItemTableMgr->GetSetTable();
    if (!sets || !m_pItems) return;
    box->ClearText();
    for (const SetPanelPiece& piece : BuildSetPanel(*sets, item->GetItemId(), *m_pItems)) {
        int32_t column = 0;
        for (const auto& run : box->Text().Row(piece.row)) column = std::max(column, run.endColumn);
        box->EditText().ParseRichText(column, piece.row, piece.text.c_str(), piece.colour, 0);
    }
    box->SetTextRows(box->Text().RowsUsed());
}

// ---- Drawing ----

bool CItemEquipWindow::Draw() {
    DrawUnderDialogs(this, {GetInfoBox()}, [this] { DrawRows(); });
    return true;
}

void CItemEquipWindow::DrawRows() {
    char text[48];
    for (int32_t r = 0; r < m_rowCount; ++r) {
        CItemIcon* item = GetItemAtRow(r);
        if (!item) continue;
        const int32_t top = m_y + EQUIP_ROW_HEIGHT * r + (m_expanded ? kRowOffsets[r] : 0);
        if (m_expanded && m_frontMark)
            for (const auto& pair : kExpandedPairs)
                for (int side = 0; side < 2; ++side) {
                    if (pair[side] != r) continue;
                    CItemIcon* partner = GetItemAtRow(pair[1 - side]);
                    if (!partner || item->GetGrade() > partner->GetGrade()) {
                        m_frontMark->SetScreenPosition(m_x + kMarkX, top + kMarkDown, 0);
                        m_frontMark->Draw();
                    }
                }
        // Drawn as the bag draws its items, then worn again.
        const uint32_t state = item->GetState();
        item->SetState(ITEM_IN_INVENTORY);
        item->SetPosition(m_x + kIconX, top + kIconDown);
        item->Draw();
        item->SetState(state);
        std::snprintf(text, sizeof text, "(%d/%d)", int32_t(item->GetCurrent()), int32_t(item->GetMaximum()));
        const std::string value = text;
        DrawItemText(CentredX(m_x + kValueCentre, value), top + kValueDown, value,
                     WornValueColour(item->GetCurrent(), item->GetMaximum()));
        DrawItemName(*item, m_x + kNameCentre, top + kNameDown, EQUIP_NAME_BYTES, r == m_hovered, &m_nameTip,
                     top + kTipDown);
    }
}

// ---- Input ----

bool CItemEquipWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (m_title.Owns(control)) return !m_title.Click(this, control, x, y);
    if (control && (control == m_expand || control == m_collapse)) {
        if (!IsClickOn(control, x, y)) return true;
        SetExpanded(!m_expanded);
        return false;
    }
    if (control && control != m_selectionBar) return control->OnControlEvent(button, x, y, nullptr);
    if (control && !IsClickOn(control, x, y)) return true;
    CMessageBox* box = GetInfoBox();
    UpdateRect();
    const int32_t row = ComputeHovered();
    CItemIcon* item = GetItemAtRow(row);
    const bool onWindow = HitTest(x, y);
    if (button == 0 && onWindow && item && m_expanded) {
        CCharController* controller = PlayerChar() ? PlayerChar()->GetController() : nullptr;
        if (controller) {
            const uint8_t current = controller->GetByte60();
            uint8_t flags = current;
            for (int bit = 0; bit < 4; ++bit) {
                if (row == kExpandedPairs[bit][0]) flags = uint8_t(flags & ~(1u << bit));
                if (row == kExpandedPairs[bit][1]) flags = uint8_t(flags | (1u << bit));
            }
            if (flags != current) GameSession().SendEquipShowFlags(flags);
        }
        if (box) box->Hide();
        return false;
    }
    if (button == 1 && onWindow && item) {
        if (box && m_setPanel) box->Hide();
        PlaceInfoBox(box, this, y);
        m_setPanel = 0;
        FillInfoBox(box, *item);
        return false;
    }
    if (box) box->Hide();
    return true;
}

bool CItemEquipWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnMouseDown(button, x, y, nullptr);
    m_pressOffsetX = x - m_x;
    m_pressOffsetY = y - m_y;
    if (control == m_selectionBar) {
        // The bar lies over the row: the press is the window's.
        CBaseWindow::OnMouseDown(button, x, y, nullptr);
        return control->OnMouseDown(button, x, y, nullptr);
    }
    return control->OnMouseDown(button, x, y, nullptr);
}

bool CItemEquipWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && control != m_selectionBar) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    return !DragItemOrWindow(this, GetItemAtRow(ComputeHovered()), ITEM_DRAG_FROM_EQUIPMENT, nullptr, x, y);
}

bool CItemEquipWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    UpdateRect();
    if (!HitTest(WindowMouseX(), WindowMouseY())) return true;
    // The selection bar lies over the hovered row: a double click there
    // uses (takes off) the row's item.
    if (control && control != m_selectionBar) return control->OnDoubleClick(button, x, y, nullptr);
    CItemIcon* item = button == 0 ? GetItemAtRow(ComputeHovered()) : nullptr;
    if (!item) return CBaseWindow::OnDoubleClick(button, x, y, nullptr);
    item->UseItem();
    return false;
}
