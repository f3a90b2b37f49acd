#include "windows/play/trade_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/item_window_parts.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

constexpr int kTexts = 14;
constexpr int kRowUnavailable = 49, kRowBusy = 50, kRowUp = 52, kRowDown = 53;
constexpr int kRowMoney = 63, kRowWeight = 64;
constexpr uint32_t kQuantityResult = 1;
constexpr int kNameBytes = 36;
// The lists' rows, relative to the window: across x + 20 .. x + 354 (borders
// excluded), the offers from y + 30, the selection from y + 235.
constexpr int32_t kListLeft = 20, kListRight = 354;
constexpr int32_t kOfferTop = 30, kOfferBottom = 198, kSelectionTop = 235, kSelectionBottom = 332;
constexpr int32_t kIconX = 26, kNameCentre = 150, kPriceCentre = 320;

struct ButtonSpec {
    const char* name;
    uint8_t motion;
    int32_t x, y;
};
constexpr ButtonSpec kModeButtons[4] = {{"TRADE_WIN_BUY_BTN", 1, -16, 2},
                                        {"TRADE_WIN_SELL_BTN", 2, -16, 62},
                                        {"TRADE_WIN_REPAIR_BTN", 3, -16, 122},
                                        {"TRADE_WIN_MIX_BTN", 15, -16, 182}};
constexpr ButtonSpec kConfirmButtons[3] = {{"TRADE_WIN_TRADE_CONFIRM_BTN", 7, 332, 370},
                                           {"TRADE_WIN_Repair_CONFIRM_BTN", 10, 332, 370},
                                           {"TRADE_WIN_MIX_CONFIRM_BTN", 16, 332, 370}};
// The frame images: motion and place.
constexpr ButtonSpec kFrames[5] = {
    {"", 14, -14, -28}, {"", 13, 14, 6}, {"", 12, 14, 6}, {"", 12, 14, 6}, {"", 17, 14, 211}};

template <class Payload>
Payload* As(CMsg* msg) {
    return dynamic_cast<Payload*>(msg->m_pPayload.get());
}

std::unique_ptr<CAniObject> StillImage(uint32_t animation, uint8_t motion) {
    if (animation == 0) return nullptr;
    auto image = std::make_unique<CAniObject>();
    if (!image->SetAnimation(animation) || image->IsMotionMissing(motion, 2)) return nullptr;
    image->SetMotion(motion);
    image->SetDirection(2);
    image->SetUnderlay(false);
    return image;
}

// Hidden, but drawn and clickable: a mode tab that is not current.
void TabLook(CBaseWindow* control) {
    if (!control) return;
    control->Hide();
    control->SetDrawOn(true);
    control->SetInputOn(true);
}

// Hidden, but drawn without input.
void DisabledLook(CBaseWindow* control) {
    if (!control) return;
    control->Hide();
    control->SetDrawOn(true);
}

bool CtrlHeld() {
    return (plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000) != 0;
}

int32_t MouseX() {
    return WindowMouseX();
}
int32_t MouseY() {
    return WindowMouseY();
}

}  // namespace

CTradeWindow::CTradeWindow() {
    CTradeWindow::Create();
}

CTradeWindow::~CTradeWindow() {
    CTradeWindow::Release();
}

bool CTradeWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, TRADE_WINDOW_NAME, TRADE_IMAGE_NAME);
    m_exit = MakeChildButton("TRADE_WIN_EXIT_BTN", this, image, 9);
    for (int mode = 0; mode < 4; ++mode)
        m_modeButtons[mode] =
            MakeChildButton(kModeButtons[mode].name, this, image, kModeButtons[mode].motion);
    m_up = MakeChildButton("TRADE_WIN_UP_ARROW_BTN", this, image, 5);
    if (m_up) m_up->SetToolTip(true, GetTableText(kTexts, kRowUp), WINDOW_TOOLTIP_PARAM);
    m_down = MakeChildButton("TRADE_WIN_DOWN_ARROW_BTN", this, image, 4);
    if (m_down) m_down->SetToolTip(true, GetTableText(kTexts, kRowDown), WINDOW_TOOLTIP_PARAM);
    for (int i = 0; i < 3; ++i)
        m_confirm[i] = MakeChildButton(kConfirmButtons[i].name, this, image, kConfirmButtons[i].motion);
    m_deal = MakeChildButton("TRADE_WIN_DEAL_BTN", this, image, 8);
    m_advice = MakeChildButton("TRADE_WIN_ADVICE_BTN", this, image, 18);
    m_itemSel = MakeChildButton("TRADE_WIN_ITEM_SEL_BTN", this, image, 11);
    if (m_itemSel) m_itemSel->Hide();
    m_scrollBars[0].Assign(MakeChildScrollBar(
        this, "TRADE_WIN_SCROLLBAR_1",
        {"TRADE_WIN_SCROLL_BUTTON_UP_1", "TRADE_WIN_SCROLL_BUTTON_DN_1", "TRADE_WIN_SCROLL_BUTTON_DRAG_1"}));
    m_scrollBars[1].Assign(MakeChildScrollBar(
        this, "TRADE_WIN_SCROLLBAR_2",
        {"TRADE_WIN_SCROLL_BUTTON_UP_2", "TRADE_WIN_SCROLL_BUTTON_DN_2", "TRADE_WIN_SCROLL_BUTTON_DRAG_2"}));
    for (int i = 0; i < 5; ++i) m_frames[i] = StillImage(image, kFrames[i].motion);
    auto* quantity = new CNumberInputWindow;
    AddChild(quantity);
    quantity->SetNotify(1, GetPort(), kQuantityResult);
    quantity->Hide();
    m_quantity.Assign(quantity);
    m_npcId = 0;
    m_dealEnabled = m_dealPending = m_useTypedAmount = 0;
    m_mixFee = 0;
    // The buttons are laid out with every mode, then the window waits for
    // the server's modes with none.
    m_mode = TRADE_NO_MODE;
    std::fill(std::begin(m_available), std::end(m_available), true);
    SelectMode(TRADE_BUY);
    SetAvailableModes(false, false, false, false);
    CBaseWindow::Hide();
    CTradeWindow::SetPosition(0, 0);
    return true;
}

bool CTradeWindow::Release() {
    for (auto& frame : m_frames) frame.reset();
    m_lists[0].clear();
    m_lists[1].clear();
    m_offers.clear();
    m_quantity.Assign(nullptr);
    return CBaseWindow::Release();
}

CNumberInputWindow* CTradeWindow::GetQuantityInput() const {
    return m_quantity.GetAs<CNumberInputWindow>();
}

CScrollBar* CTradeWindow::Bar(int32_t list) const {
    return list == 0 || list == 1 ? m_scrollBars[list].GetAs<CScrollBar>() : nullptr;
}

int32_t CTradeWindow::FirstRow(int32_t list) const {
    CScrollBar* bar = Bar(list);
    return bar ? int32_t(bar->GetScrollPos()) : 0;
}

bool CTradeWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    x = m_x;
    y = m_y;
    if (m_exit) m_exit->SetPosition(x + 332, y - 22);
    for (int mode = 0; mode < 4; ++mode)
        if (m_modeButtons[mode])
            m_modeButtons[mode]->SetPosition(x + kModeButtons[mode].x, y + kModeButtons[mode].y);
    if (m_up) m_up->SetPosition(x + 279, y + 346);
    if (m_down) m_down->SetPosition(x + 253, y + 346);
    for (int i = 0; i < 3; ++i)
        if (m_confirm[i]) m_confirm[i]->SetPosition(x + kConfirmButtons[i].x, y + kConfirmButtons[i].y);
    if (m_deal) m_deal->SetPosition(x + 332, y + 346);
    if (m_advice) m_advice->SetPosition(x + 332, y + 346);
    if (CScrollBar* bar = Bar(0)) bar->SetBarRect(x + 362, y + 29, x + 373, y + 200);
    if (CScrollBar* bar = Bar(1)) bar->SetBarRect(x + 362, y + 233, x + 373, y + 336);
    return true;
}

// ---- Opening, modes ----

bool CTradeWindow::Open(uint32_t npcId) {
    Show();
    SetActive(true, false);
    SetPosition(400 - ImageWidth() / 2, 300 - ImageHeight() / 2);
    m_npcId = npcId;
    ClearLists();
    SetDealEnabled(false);
    m_dealPending = 0;
    m_useTypedAmount = 0;
    m_mode = TRADE_NO_MODE;
    // Keep the server's modes until its answer: the tabs show as they are.
    SetAvailableModes(m_available[0], m_available[1], m_available[2], m_available[3]);
    return true;
}

void CTradeWindow::SetAvailableModes(bool buy, bool sell, bool repair, bool mix) {
    const bool flags[4] = {buy, sell, repair, mix};
    for (int mode = 0; mode < 4; ++mode) {
        m_available[mode] = flags[mode];
        CButton* button = m_modeButtons[mode];
        if (!button) continue;
        if (flags[mode]) {
            button->Show();
            button->SetToolTip(false, "", WINDOW_TOOLTIP_PARAM);
        } else {
            button->Hide();
            button->SetToolTip(true, GetTableText(kTexts, kRowUnavailable), WINDOW_TOOLTIP_PARAM);
        }
    }
    m_mode = TRADE_NO_MODE;
    for (int mode = 0; mode < 4; ++mode)
        if (flags[mode]) {
            SelectMode(mode);
            break;
        }
}

bool CTradeWindow::SelectMode(int32_t mode) {
    if (!IsModeAvailable(mode) || mode == m_mode) return false;
    if (CButton* button = m_modeButtons[mode]) {
        RemoveChild(button);
        AddChild(button);
        button->Show();
    }
    for (int other = 0; other < 4; ++other)
        if (other != mode && m_available[other]) TabLook(m_modeButtons[other]);
    const int confirm = mode == TRADE_MIX ? 2 : (mode == TRADE_REPAIR ? 1 : 0);
    for (int i = 0; i < 3; ++i)
        if (m_confirm[i]) {
            if (i == confirm)
                m_confirm[i]->Show();
            else
                m_confirm[i]->Hide();
        }
    m_mode = mode;
    if (m_npcId != 0) {
        CGameSession& session = GameSession();
        if (mode == TRADE_BUY) session.SendNpcBuyOpen(m_npcId);
        if (mode == TRADE_SELL) session.SendNpcSellOpen(m_npcId);
        if (mode == TRADE_REPAIR) session.SendNpcRepairOpen(m_npcId);
        if (mode == TRADE_MIX) session.SendNpcMixOpen(m_npcId);
    }
    ClearLists();
    if (m_up) m_up->Show();
    if (m_down) m_down->Show();
    if (mode == TRADE_MIX) {
        if (m_deal) m_deal->Hide();
        if (m_advice) m_advice->Show();
    } else {
        m_dealEnabled = 0;
        DisabledLook(m_deal);
        if (m_advice) m_advice->Hide();
    }
    if (CNumberInputWindow* input = GetQuantityInput()) input->Hide();
    m_useTypedAmount = 0;
    return true;
}

void CTradeWindow::SetDealEnabled(bool enabled) {
    m_dealEnabled = enabled;
    if (!m_deal) return;
    if (enabled) {
        m_deal->Show();
    } else {
        m_deal->Hide();
        if (m_mode != TRADE_MIX) m_deal->SetDrawOn(true);
    }
}

// ---- The lists ----

int32_t CTradeWindow::AddOffer(uint32_t itemId, const char* name, uint32_t count, int32_t slot,
                               const CTradeOffer& offer) {
    if (int32_t(m_lists[TRADE_OFFERS].size()) >= TRADE_LIST_CAPACITY ||
        int32_t(m_offers.size()) >= TRADE_LIST_CAPACITY || !g_pItemTableMgr)
        return -1;
    std::unique_ptr<CItemObject> made(g_pItemTableMgr->MakeItem(itemId));
    auto* icon = dynamic_cast<CItemIcon*>(made.get());
    if (!icon) return -1;
    made.release();
    std::unique_ptr<CItemIcon> item(icon);
    item->SetState(ITEM_LIKE_INVENTORY_6);
    item->SetCount(count);
    item->SetSlotIndex(slot);
    if (name && name[0]) item->SetName(name);
    const int32_t index = int32_t(m_offers.size());
    m_offers.push_back(offer);
    m_lists[TRADE_OFFERS].push_back(CEntry{std::move(item), index});
    if (CScrollBar* bar = Bar(TRADE_OFFERS)) {
        bar->SetMaximum(int32_t(m_lists[TRADE_OFFERS].size()) - TRADE_OFFER_ROWS);
        bar->SetScrollPos(0);
    }
    return index;
}

int32_t CTradeWindow::AddBuyEntry(uint16_t key, uint32_t itemId, const char* name, uint8_t buyable,
                                  uint32_t price, uint16_t stock, uint16_t weight) {
    CTradeOffer offer;
    offer.key = key;
    offer.buyable = buyable;
    offer.price = price;
    offer.stock = stock;
    offer.weight = weight;
    offer.sold = 0;
    return AddOffer(itemId, name, 1, -1, offer);
}

int32_t CTradeWindow::AddSellEntry(uint16_t key, uint32_t itemId, int32_t slot, const char* name,
                                   uint8_t sellable, uint8_t further, uint16_t count, uint16_t weight,
                                   uint32_t price) {
    CTradeOffer offer;
    offer.key = key;
    offer.sellable = sellable;
    offer.further = further;
    offer.price = price;
    offer.weight = weight;
    return AddOffer(itemId, name, count, slot, offer);
}

int32_t CTradeWindow::AddRepairEntry(uint16_t key, uint32_t itemId, int32_t slot, const char* name,
                                     uint8_t repairable, uint8_t repairKind, uint32_t price) {
    CTradeOffer offer;
    offer.key = key;
    offer.repairable = repairable;
    offer.repairKind = repairKind;
    offer.price = price;
    return AddOffer(itemId, name, 1, slot, offer);
}

int32_t CTradeWindow::AddMixEntry(uint8_t key, uint32_t itemId, int32_t slot, const char* name,
                                  uint16_t count) {
    CTradeOffer offer;
    offer.key = key;
    return AddOffer(itemId, name, count, slot, offer);
}

void CTradeWindow::TakeList(const CTradeListMsg& list) {
    ClearLists();
    SetDealEnabled(list.m_flag);
    for (const CTradeItem& item : list.m_items) {
        char name[sizeof item.m_name];
        std::memcpy(name, item.m_name, sizeof name);
        name[sizeof name - 1] = '\0';
        if (list.m_list == 1)
            AddBuyEntry(item.m_words[0], item.m_values[0], name, item.m_bytes[1], item.m_values[1],
                        item.m_words[1], item.m_words[2]);
        else if (list.m_list == 2)
            AddSellEntry(item.m_words[0], item.m_values[0], item.m_bytes[0], name, item.m_bytes[1],
                         item.m_bytes[2], item.m_words[1], item.m_words[2], item.m_values[2]);
        else if (list.m_list == 3)
            AddRepairEntry(item.m_words[0], item.m_values[0], item.m_bytes[0], name, item.m_bytes[1],
                           item.m_bytes[3], item.m_values[2]);
        else if (list.m_list == 4)
            AddMixEntry(item.m_bytes[0], item.m_values[0], int32_t(item.m_values[1]), name, item.m_words[0]);
    }
    if (list.m_list != 1) SortItemSlots();
}

void CTradeWindow::SortItemSlots() {
    std::vector<CEntry>& offers = m_lists[TRADE_OFFERS];
    std::stable_sort(offers.begin(), offers.end(), [](const CEntry& a, const CEntry& b) {
        const CItemIcon& x = *a.item;
        const CItemIcon& y = *b.item;
        const bool xw = x.HasByte41(), yw = y.HasByte41();
        if (xw != yw) return xw;
        if (xw && x.GetByte41() != y.GetByte41()) return x.GetByte41() < y.GetByte41();
        if (x.GetByte6() != y.GetByte6()) return x.GetByte6() < y.GetByte6();
        return x.GetItemRow() < y.GetItemRow();
    });
}

CItemIcon* CTradeWindow::GetEntry(int32_t list, int32_t position) const {
    if (list != 0 && list != 1) return nullptr;
    if (position < 0 || position >= int32_t(m_lists[list].size())) return nullptr;
    return m_lists[list][size_t(position)].item.get();
}

const CTradeOffer* CTradeWindow::OfferOf(int32_t list, int32_t position) const {
    if (!GetEntry(list, position)) return nullptr;
    const int32_t offer = m_lists[list][size_t(position)].offer;
    return offer >= 0 && offer < int32_t(m_offers.size()) ? &m_offers[size_t(offer)] : nullptr;
}

int32_t CTradeWindow::FindEntryByKey(int32_t list, uint16_t key) const {
    for (int32_t i = 0; i < GetCount(list); ++i)
        if (const CTradeOffer* offer = OfferOf(list, i); offer && offer->key == key) return i;
    return -1;
}

int32_t CTradeWindow::IndexOfEntry(int32_t list, const CItemIcon* entry) const {
    for (int32_t i = 0; entry && i < GetCount(list); ++i)
        if (m_lists[list][size_t(i)].item.get() == entry) return i;
    return -1;
}

int32_t CTradeWindow::ListOfEntry(const CItemIcon* entry) const {
    if (IndexOfEntry(TRADE_OFFERS, entry) >= 0) return TRADE_OFFERS;
    if (IndexOfEntry(TRADE_SELECTION, entry) >= 0) return TRADE_SELECTION;
    return -1;
}

int32_t CTradeWindow::GetCount(int32_t list) const {
    return list == 0 || list == 1 ? int32_t(m_lists[list].size()) : 0;
}

void CTradeWindow::ResetScroll(int32_t list) {
    if (CScrollBar* bar = Bar(list)) {
        bar->SetMaximum(0);
        bar->SetScrollPos(0);
    }
}

void CTradeWindow::ClearList(int32_t list) {
    m_lists[list].clear();
    ResetScroll(list);
}

void CTradeWindow::ClearLists() {
    ClearList(TRADE_OFFERS);
    ClearList(TRADE_SELECTION);
    m_offers.clear();
    m_totalPrice = m_totalWeight = 0;
    m_dragged.Assign(nullptr);
}

void CTradeWindow::Recount() {
    m_totalPrice = m_totalWeight = 0;
    for (CTradeOffer& offer : m_offers) offer.sold = 0;
    for (const CEntry& entry : m_lists[TRADE_SELECTION]) {
        if (entry.offer < 0 || entry.offer >= int32_t(m_offers.size())) continue;
        CTradeOffer& offer = m_offers[size_t(entry.offer)];
        m_totalPrice += uint64_t(offer.price) * entry.item->GetCount();
        m_totalWeight += uint64_t(offer.weight) * entry.item->GetCount();
        offer.sold += entry.item->GetCount();
    }
}

uint64_t CTradeWindow::Money() const {
    CCharData* data = PlayerData();
    return data ? data->m_values[VALUE_MONEY] : 0;
}

uint64_t CTradeWindow::FreeWeight() const {
    CCharData* data = PlayerData();
    if (!data || data->m_values[VALUE_LOAD] > data->m_values[VALUE_LOAD_MAX]) return 0;
    return data->m_values[VALUE_LOAD_MAX] - data->m_values[VALUE_LOAD];
}

bool CTradeWindow::Eligible(int32_t offer) const {
    if (offer < 0 || offer >= int32_t(m_offers.size())) return false;
    const CTradeOffer& o = m_offers[size_t(offer)];
    switch (m_mode) {
        case TRADE_BUY:
            return o.buyable != 0;
        case TRADE_SELL:
            return o.sellable != 0;
        case TRADE_REPAIR:
            return o.repairable != 0;
        case TRADE_MIX:
            return true;
        default:
            return false;
    }
}

bool CTradeWindow::AddToList(int32_t target, int32_t source, int32_t position, uint32_t quantity) {
    const CEntry& from = m_lists[source][size_t(position)];
    const CTradeOffer& offer = m_offers[size_t(from.offer)];
    std::vector<CEntry>& list = m_lists[target];
    const int32_t existing = FindEntryByKey(target, offer.key);
    const bool merge = existing >= 0 && !from.item->HasByte41();
    if (target == TRADE_SELECTION) {
        // Totals in 64 bits: a total that does not fit 32 bits is no price.
        const uint64_t price = m_totalPrice + uint64_t(offer.price) * quantity;
        const uint64_t weight = m_totalWeight + uint64_t(offer.weight) * quantity;
        if ((m_mode == TRADE_BUY || m_mode == TRADE_REPAIR) && (price > Money() || price > UINT32_MAX)) {
            ShowRefusal(kRowMoney);
            return false;
        }
        if (m_mode == TRADE_BUY && weight > FreeWeight()) {
            ShowRefusal(kRowWeight);
            return false;
        }
        if (price > UINT32_MAX) {
            ShowRefusal(kRowMoney);
            return false;
        }
        const size_t cap =
            m_mode == TRADE_REPAIR || m_mode == TRADE_MIX ? TRADE_REPAIR_CART_CAPACITY : TRADE_CART_CAPACITY;
        if (!merge && list.size() >= cap) {
            ShowRefusal(kRowBusy);
            return false;
        }
    }
    if (merge) {
        CItemIcon* item = list[size_t(existing)].item.get();
        const uint64_t sum = uint64_t(item->GetCount()) + quantity;
        if (target == TRADE_SELECTION && sum > TRADE_COUNT_MAX) return false;
        item->SetCount(uint32_t(sum));
    } else {
        if (int32_t(list.size()) >= TRADE_LIST_CAPACITY) return false;
        std::unique_ptr<CItemIcon> copy(from.item->Clone());
        if (!copy) return false;
        copy->SetState(ITEM_LIKE_INVENTORY_6);
        copy->SetCount(quantity);
        list.push_back(CEntry{std::move(copy), from.offer});
        const int32_t rows = target == TRADE_OFFERS ? TRADE_OFFER_ROWS : TRADE_SELECTION_ROWS;
        if (CScrollBar* bar = Bar(target)) bar->SetMaximum(int32_t(list.size()) - rows);
    }
    Recount();
    return true;
}

void CTradeWindow::RemoveAt(int32_t list, int32_t position) {
    if (!GetEntry(list, position)) return;
    m_lists[list].erase(m_lists[list].begin() + position);
    const int32_t rows = list == TRADE_OFFERS ? TRADE_OFFER_ROWS : TRADE_SELECTION_ROWS;
    if (CScrollBar* bar = Bar(list)) {
        bar->SetMaximum(std::max(int32_t(m_lists[list].size()) - rows, 0));
        if (bar->GetScrollPos() > float(std::max(int32_t(m_lists[list].size()) - rows, 0)))
            bar->SetScrollPos(0);
    }
}

void CTradeWindow::TakeFromList(int32_t list, int32_t position, uint32_t quantity) {
    CItemIcon* item = GetEntry(list, position);
    if (!item) return;
    if (item->GetCount() <= quantity)
        RemoveAt(list, position);
    else
        item->SetCount(item->GetCount() - quantity);
    Recount();
}

bool CTradeWindow::MoveEntry(CItemIcon* entry, uint32_t quantity) {
    const int32_t source = ListOfEntry(entry);
    if (source < 0) return false;
    if (m_dealPending) {
        ShowRefusal(kRowBusy);
        return false;
    }
    m_useTypedAmount = 0;
    if (quantity == 0) return false;
    const int32_t position = IndexOfEntry(source, entry);
    quantity = std::min(quantity, TRADE_COUNT_MAX);
    if (m_mode != TRADE_BUY || source == TRADE_OFFERS)
        quantity = m_mode == TRADE_BUY ? quantity : std::min(quantity, entry->GetCount());
    const int32_t target = 1 - source;
    if (m_mode == TRADE_BUY && source == TRADE_SELECTION) {
        TakeFromList(source, position, quantity);
        return true;
    }
    if (!AddToList(target, source, position, quantity)) return false;
    if (m_mode != TRADE_BUY) TakeFromList(source, position, quantity);
    return true;
}

void CTradeWindow::AskQuantity(uint32_t maximum) {
    CNumberInputWindow* input = GetQuantityInput();
    if (!input) return;
    input->SetPosition(MouseX(), MouseY());
    input->SetRange(maximum, 0);
    input->Show();
    input->SetActive(true, false);
    input->SetNumber(1, true);
}

bool CTradeWindow::OnItemDrop(CItemIcon* item) {
    if (!item || item->GetState() != ITEM_LIKE_INVENTORY_6) return false;
    const int32_t source = ListOfEntry(item);
    if (source < 0) return false;
    if (m_dealPending) {
        ShowRefusal(kRowBusy);
        return false;
    }
    if (CNumberInputWindow* input = GetQuantityInput()) input->Hide();
    const int32_t target = MouseY() < m_y + TRADE_SELECTION_TOP ? TRADE_OFFERS : TRADE_SELECTION;
    if (target == source) return false;
    m_dragged.Assign(item);
    m_dropTarget = target;
    const bool ctrl = CtrlHeld();
    if (m_mode == TRADE_BUY) {
        if (source == TRADE_SELECTION) return MoveEntry(item, ctrl ? item->GetCount() : 1);
        uint32_t maximum = 255;
        if (m_limitedStock)
            if (const CTradeOffer* offer = OfferOf(source, IndexOfEntry(source, item)))
                maximum = offer->stock > offer->sold ? offer->stock - offer->sold : 0;
        AskQuantity(maximum);
        return true;
    }
    if (item->GetCount() > 1 && !ctrl) {
        AskQuantity(item->GetCount());
        return true;
    }
    return MoveEntry(item, ctrl ? item->GetCount() : 1);
}

void CTradeWindow::MoveAll(int32_t from) {
    if (m_dealPending) {
        ShowRefusal(kRowBusy);
        return;
    }
    // Whole counts, stopping at the first refusal.
    for (int32_t i = 0; i < GetCount(from);) {
        const int32_t before = GetCount(from);
        CItemIcon* item = GetEntry(from, i);
        if (from == TRADE_OFFERS && !Eligible(m_lists[from][size_t(i)].offer)) {
            ++i;
            continue;
        }
        if (!MoveEntry(item, item->GetCount())) return;
        if (GetCount(from) == before) ++i;
    }
}

void CTradeWindow::EmptySelection() {
    ClearList(TRADE_SELECTION);
    Recount();
    m_useTypedAmount = 0;
}

bool CTradeWindow::CommitTrade() {
    std::vector<CEntry>& cart = m_lists[TRADE_SELECTION];
    if (cart.empty()) return false;
    if (CNumberInputWindow* input = GetQuantityInput()) input->Hide();
    std::vector<uint16_t> keys, counts;
    std::vector<uint8_t> kinds, codes;
    bool zero = false;
    for (const CEntry& entry : cart) {
        const CTradeOffer& offer = m_offers[size_t(entry.offer)];
        const uint32_t count = entry.item->GetCount();
        zero = zero || count == 0;
        keys.push_back(offer.key);
        codes.push_back(uint8_t(offer.key));
        counts.push_back(uint16_t(std::min(count, TRADE_COUNT_MAX)));
        kinds.push_back(offer.repairKind);
    }
    const uint64_t amount = m_useTypedAmount ? m_typedAmount : m_totalPrice;
    CGameSession& session = GameSession();
    switch (m_mode) {
        case TRADE_BUY:
            if (Money() < amount || amount > UINT32_MAX) {
                ShowRefusal(kRowMoney);
                return false;
            }
            if (FreeWeight() < m_totalWeight) {
                ShowRefusal(kRowWeight);
                return false;
            }
            // A request that cannot go keeps the cart: nothing was done.
            if (!zero &&
                !session.SendNpcBuy(m_npcId, m_useTypedAmount, keys.data(), counts.data(), keys.size()))
                return false;
            break;
        case TRADE_SELL:
            if (!zero &&
                !session.SendNpcSell(m_npcId, m_useTypedAmount, keys.data(), counts.data(), keys.size()))
                return false;
            session.SendNpcSellOpen(m_npcId);
            break;
        case TRADE_REPAIR:
            if (Money() < amount || amount > UINT32_MAX) {
                ShowRefusal(kRowMoney);
                return false;
            }
            if (!session.SendNpcRepair(m_npcId, m_useTypedAmount, keys.data(), kinds.data(), keys.size()))
                return false;
            session.SendNpcRepairOpen(m_npcId);
            break;
        case TRADE_MIX:
            if (zero) return false;
            return session.SendNpcMixCheck(m_npcId, codes.data(), counts.data(), codes.size());
        default:
            return false;
    }
    EmptySelection();
    return true;
}

// ---- Closing ----

bool CTradeWindow::Hide() {
    if (m_npcId != 0) {
        if (m_dealPending) GameSession().SendNpcDealCancel(m_npcId);
        GameSession().SendNpcClose(m_npcId);
    }
    if (CNumberInputWindow* input = GetQuantityInput()) input->Hide();
    if (auto* box = m_confirmBox.GetAs<CMessageBox>()) box->Hide();
    m_dealPending = 0;
    ClearLists();
    m_npcId = 0;
    return CBaseWindow::Hide();
}

// ---- Messages ----

bool CTradeWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        switch (msg->m_eventId) {
            case MSG_TRADE_FUNCTIONS:
                if (auto* modes = As<CTradeFunctionsMsg>(msg))
                    SetAvailableModes(modes->m_functions[0], modes->m_functions[1], modes->m_functions[2],
                                      modes->m_functions[3]);
                break;
            case MSG_TRADE_LIST:
                if (auto* list = As<CTradeListMsg>(msg); list && list->m_list >= 1 && list->m_list <= 4)
                    TakeList(*list);
                break;
            case NUMBER_INPUT_OUTCOME: {
                auto* word = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
                CNumberInputWindow* input = GetQuantityInput();
                if (word && word->m_value == kQuantityResult && msg->m_extra == 1 && input)
                    if (auto* entry = m_dragged.GetAs<CItemIcon>()) MoveEntry(entry, input->GetValue());
                if (input) input->Hide();
                m_dragged.Assign(nullptr);
                break;
            }
            default:
                break;
        }
    }
    return true;
}

// ---- Input ----

void CTradeWindow::HitList(int32_t px, int32_t py, int32_t* list, int32_t* position) const {
    *list = -1;
    *position = -1;
    if (m_lists[0].empty() && m_lists[1].empty()) return;
    const int32_t x = m_x, y = m_y;
    if (!(px > x + kListLeft && px < x + kListRight)) return;
    int32_t row = -1;
    if (py >= y + TRADE_SELECTION_TOP) {
        if (!(py > y + kSelectionTop && py < y + kSelectionBottom)) return;
        *list = TRADE_SELECTION;
        row = int32_t(double(py - y - kSelectionTop) * 0.04);
    } else {
        if (!(py > y + kOfferTop && py < y + kOfferBottom)) return;
        *list = TRADE_OFFERS;
        row = int32_t(double(py - y - kOfferTop) * 0.04);
    }
    const int32_t rows = *list == TRADE_OFFERS ? TRADE_OFFER_ROWS : TRADE_SELECTION_ROWS;
    if (row < 0 || row >= rows) return;
    const int32_t at = row + FirstRow(*list);
    if (GetEntry(*list, at)) *position = at;
}

bool CTradeWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (control == Bar(0) || control == Bar(1) || control == GetQuantityInput() ||
        control == m_confirmBox.GetAs<CBaseWindow>())
        return control->OnControlEvent(button, x, y, nullptr);
    if (button != 0 || !IsClickOn(control, x, y) || !control->IsInputOn()) return true;
    if (control == m_exit) {
        SetActive(false, false);
        Hide();
        return false;
    }
    for (int mode = 0; mode < 4; ++mode)
        if (control == m_modeButtons[mode]) {
            SelectMode(mode);
            return false;
        }
    if (control == m_up) {
        MoveAll(TRADE_SELECTION);
        return false;
    }
    if (control == m_down) {
        MoveAll(TRADE_OFFERS);
        return false;
    }
    for (CButton* confirm : m_confirm)
        if (control == confirm) {
            CommitTrade();
            return false;
        }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CTradeWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    if (button != 0) return true;
    int32_t list = -1, position = -1;
    HitList(x, y, &list, &position);
    CItemIcon* item = GetEntry(list, position);
    if (!item) return CBaseWindow::OnDoubleClick(button, x, y, nullptr);
    if (list == TRADE_OFFERS && !Eligible(m_lists[list][size_t(position)].offer)) return false;
    if (m_dealPending) {
        ShowRefusal(kRowBusy);
        return false;
    }
    m_dragged.Assign(item);
    m_dropTarget = 1 - list;
    const bool ctrl = CtrlHeld();
    if (m_mode == TRADE_BUY && list == TRADE_OFFERS) {
        uint32_t maximum = 255;
        if (m_limitedStock)
            if (const CTradeOffer* offer = OfferOf(list, position))
                maximum = offer->stock > offer->sold ? offer->stock - offer->sold : 0;
        AskQuantity(maximum);
    } else if (m_mode != TRADE_BUY && item->GetCount() > 1 && !ctrl) {
        AskQuantity(item->GetCount());
    } else {
        MoveEntry(item, ctrl ? item->GetCount() : 1);
    }
    return false;
}

bool CTradeWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    int32_t list = -1, position = -1;
    HitList(x, y, &list, &position);
    CItemIcon* item = GetEntry(list, position);
    if (item && list == TRADE_OFFERS && !Eligible(m_lists[list][size_t(position)].offer)) item = nullptr;
    if (item && GetPressedButton() == 0) {
        OnMouseUp(0, x, y, nullptr);
        item->BeginDrag(list == TRADE_OFFERS ? 4 : 5);
        return false;
    }
    return CBaseWindow::OnMouseMove(button, x, y, nullptr);
}

bool CTradeWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    HitList(MouseX(), MouseY(), &m_hoverList, &m_hoverPosition);
    for (int list = 0; list < 2; ++list) {
        const int32_t rows = list == 0 ? TRADE_OFFER_ROWS : TRADE_SELECTION_ROWS;
        for (int32_t r = 0; r < rows; ++r)
            if (CItemIcon* item = GetEntry(list, FirstRow(list) + r)) item->Update();
    }
    return true;
}

// ---- Drawing ----

bool CTradeWindow::Draw() {
    auto drawFrame = [this](int i) {
        if (!m_frames[i]) return;
        m_frames[i]->SetScreenPosition(m_x + kFrames[i].x, m_y + kFrames[i].y, 0);
        m_frames[i]->Draw();
    };
    drawFrame(0);
    DrawUnderDialogs(this, {GetQuantityInput(), m_confirmBox.GetAs<CBaseWindow>()}, [this, &drawFrame] {
        const int upper = m_mode == TRADE_SELL || m_mode == TRADE_MIX ? 2 : (m_mode == TRADE_REPAIR ? 3 : 1);
        drawFrame(upper);
        if (m_mode == TRADE_MIX) drawFrame(4);
        DrawRows();
        DrawFooter();
    });
    return true;
}

void CTradeWindow::DrawRows() {
    char suffix[32];
    for (int list = 0; list < 2; ++list) {
        const int32_t rows = list == 0 ? TRADE_OFFER_ROWS : TRADE_SELECTION_ROWS;
        const int32_t top = list == 0 ? kOfferTop : kSelectionTop;
        const int32_t first = FirstRow(list);
        for (int32_t r = 0; r < rows; ++r) {
            const int32_t position = first + r;
            CItemIcon* item = GetEntry(list, position);
            if (!item) continue;
            const CTradeOffer& offer = *OfferOf(list, position);
            const bool eligible = list == TRADE_SELECTION || Eligible(m_lists[list][size_t(position)].offer);
            const int32_t rowY = m_y + top + TRADE_ROW_HEIGHT * r;
            item->SetPosition(m_x + kIconX, rowY + 17);
            item->SetDisabled(!eligible);
            item->Draw();
            suffix[0] = '\0';
            if (list == TRADE_SELECTION || m_mode == TRADE_SELL || m_mode == TRADE_MIX)
                std::snprintf(suffix, sizeof suffix, " x %u", item->GetCount());
            else if (m_mode == TRADE_BUY && m_limitedStock)
                std::snprintf(suffix, sizeof suffix, " x %u", unsigned(offer.stock));
            else if (m_mode == TRADE_REPAIR)
                std::snprintf(suffix, sizeof suffix, "(%d/%d)", int32_t(item->GetCurrent()),
                              int32_t(item->GetMaximum()));
            const std::string name = item->GetName() ? item->GetName() : "";
            const int room = kNameBytes - int(std::strlen(suffix));
            const bool hovered = list == m_hoverList && position == m_hoverPosition;
            const uint32_t colour = eligible ? ItemNameColour(*item) : 0;  // greyed: black
            if (hovered && int(name.size()) > room) {
                m_nameTip.SetText((name + suffix).c_str(), colour);
                m_nameTip.SetPosition(m_x + kNameCentre, rowY + 6);
                m_nameTip.Draw();
            } else {
                char cut[256];
                TruncateWithEllipsis(name.c_str(), room, cut);
                const std::string shown = std::string(cut) + suffix;
                DrawItemText(CentredX(m_x + kNameCentre, shown), rowY + 8, shown, colour);
            }
            const std::string price = m_mode == TRADE_SELL && list == TRADE_OFFERS && !offer.sellable
                                          ? std::string("Locked")
                                          : FormatNumberWithCommas(offer.price);
            DrawItemText(CentredX(m_x + kPriceCentre, price), rowY + 8, price,
                         price == "Locked" ? 0 : ITEM_TEXT_WHITE);
        }
    }
}

void CTradeWindow::DrawFooter() {
    const int32_t x = m_x, y = m_y;
    CCharData* data = PlayerData();
    char text[32];
    const uint32_t items = data && data->Container() ? data->Container()->CountItemsBeyondSlot0() : 0;
    std::snprintf(text, sizeof text, "%u", items < 64 ? 64 - items : 0);
    std::string line = text;
    DrawItemText(x + 133 - 6 * int32_t(line.size()), y - 19, line, ITEM_TEXT_WHITE);
    std::snprintf(text, sizeof text, "%u", unsigned(FreeWeight()));
    line = text;
    DrawItemText(x + 292 - 6 * int32_t(line.size()), y - 19, line, ITEM_TEXT_WHITE);
    line = FormatNumberWithCommas(uint32_t(Money()));
    DrawItemText(x + 182 - 6 * int32_t(line.size()), y + 351, line, ITEM_TEXT_WHITE);
    const uint32_t total =
        m_mode == TRADE_MIX ? m_mixFee : uint32_t(std::min<uint64_t>(m_totalPrice, UINT32_MAX));
    line = FormatNumberWithCommas(m_useTypedAmount ? m_typedAmount : total);
    DrawItemText(x + 201 - 6 * int32_t(line.size()), y + 374, line,
                 m_useTypedAmount ? 0x00FFFF : ITEM_TEXT_WHITE);
    std::snprintf(text, sizeof text, "%u", unsigned(std::min<uint64_t>(m_totalWeight, UINT32_MAX)));
    line = text;
    DrawItemText(x + 307 - 6 * int32_t(line.size()), y + 374, line, ITEM_TEXT_WHITE);
}
