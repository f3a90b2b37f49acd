// What follows when the player lets go of a dragged item: decided from the
// item's location, the window under the mouse (by identifier) and Ctrl.
#include <cstring>
#include <functional>

#include "core/config.h"
#include "data/premium_item_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "platform/keyboard.h"
#include "ui/edit_mgr.h"
#include "ui/items/item_drop_msg.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_targets.h"
#include "ui/items/item_world.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/ui_requests.h"
#include "ui/window_mgr.h"

namespace {

constexpr int kItemTextTable = 19;
constexpr int kSecondQuestionRow = 0, kClubDepositRefusedRow = 74, kConfirmGroundRow = 89,
              kConfirmPlayerRow = 96;
constexpr int32_t kPlayerCharType = 1;
// While the cursor is in this mode a drop on the ground asks nothing and does nothing.
constexpr uint32_t kCursorModeNoGroundDrop = 4;
// Characters that never take items through a confirmed drop.
constexpr uint32_t kNoGiftChars[] = {2200138, 2200303, 2200304, 2200338, 2200347};

bool CtrlHeld() {
    return (plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000) != 0;
}

bool NameIs(CBaseWindow* window, const char* name) {
    return window && window->GetName() && std::strcmp(window->GetName(), name) == 0;
}

template <class Target>
Target* TargetOf(CBaseWindow* window) {
    return dynamic_cast<Target*>(window);
}

template <class Target>
Target* FindTarget(const char* name) {
    return dynamic_cast<Target*>(FindItemTargetWindow(name));
}

void ShowNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, true, 0);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

// The amount of a move: 1 for a single piece, the whole stack with Ctrl, or
// asked for with a number input; the item then waits in `waiting`.
void ByAmount(CItemIcon& icon, uint32_t waiting, int32_t minimum, const std::function<void(uint32_t)>& run) {
    const uint32_t count = icon.GetCount();
    if (count < 2) return run(1);
    if (CtrlHeld()) return run(count);
    if (!g_pWindowMgr) return;
    CItemObject* owner =
        g_pItemTableMgr ? g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_NUMBER_INPUT) : nullptr;
    if (owner) {
        // One question at a time: the open one comes back, with a word why.
        if (auto* asking = dynamic_cast<CItemIcon*>(owner))
            if (CNumberInputWindow* input = asking->GetNumberInput()) input->SetActive(true, false);
        ShowNotice(GetTableText(kItemTextTable, kSecondQuestionRow));
        return;
    }
    if (CBaseWindow* focused = g_pWindowMgr->GetFocusedEditBox()) focused->SetActive(false, false);
    auto* input = new CNumberInputWindow;
    g_pWindowMgr->AddChild(input);
    input->Show();
    input->SetActive(true, false);
    input->SetPosition(WindowMouseX(), WindowMouseY());
    input->SetRange(count, minimum);
    input->SetNumber(1, true);
    icon.SetNumberInput(input);
    if (g_pItemTableMgr) g_pItemTableMgr->SetCurrentItem(ITEM_CURRENT_NUMBER_INPUT, &icon);
    icon.SetState(waiting);
}

CMessageBox* AskToConfirm(CItemIcon& icon, int row) {
    const std::string text = FormatTableText(GetTableText(kItemTextTable, row), {icon.GetName()});
    auto* box = new CMessageBox(text.c_str(), true, true, false, 1);
    box->Show();
    box->SetActive(true, false);
    box->SetPosition(WindowMouseX(), WindowMouseY());
    g_pWindowMgr->AddChild(box);
    return box;
}

// A confirmation another item is waiting for is cancelled.
void CancelOtherConfirmations(const CItemIcon& icon) {
    if (!g_pItemTableMgr) return;
    for (int which : {0, 1}) {
        auto* owner = dynamic_cast<CItemIcon*>(
            g_pItemTableMgr->GetCurrentItem(which == 0 ? ITEM_CURRENT_CONFIRM_A : ITEM_CURRENT_CONFIRM_B));
        if (!owner || owner == &icon) continue;
        if (CMessageBox* box = owner->GetConfirmBox(which)) box->Hide();
        owner->Update();
    }
}

bool IsAnsweredYes(CMessageBox* box) {
    return box && g_pWindowMgr && g_pWindowMgr->HasWindow(box) && box->GetResult() == 1;
}

bool IsServerPlay() {
    return g_config.m_useServer;
}

}  // namespace

bool CItemIcon::EndDrag() {
    if (m_disabled || GetDragState() != 1) return true;
    SetDragState(0);
    if (m_state == ITEM_ON_GROUND) return true;
    IItemWorld* world = GetItemWorld();
    int32_t mouseX = WindowMouseX(), mouseY = WindowMouseY();
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->GetWindowAt(mouseX, mouseY) : nullptr;

    // ---- On the ground or on a character ----
    if ((!window && m_state == ITEM_IN_INVENTORY) || m_state == ITEM_WAIT_CONFIRM_A ||
        m_state == ITEM_WAIT_CONFIRM_B) {
        int32_t tileX = 0, tileY = 0;
        if (!IsServerPlay()) {
            // Playing alone: the map lays the item down itself.
            if (world && world->ScreenToTile(mouseX, mouseY, &tileX, &tileY) &&
                world->CanDropOnTile(tileX, tileY)) {
                CItemDropMsg record;
                CChar* player = world->GetPlayer();
                FillItemDropMessage(record, *this, m_expiry, uint32_t(tileX), uint32_t(tileY),
                                    player ? world->GetCharId(player) : 0, GetId());
                world->HandleMapMessage(record);
            }
            return true;
        }
        if (m_state == ITEM_IN_INVENTORY && ConfirmsBeforeDrop()) {
            CancelOtherConfirmations(*this);
            if (!g_pWindowMgr || (GetConfirmBox(0) && GetConfirmBox(1))) return true;
            CChar* picked = world ? world->PickCharAt(mouseX, mouseY) : nullptr;
            const bool player = picked && world->GetCharType(picked) == kPlayerCharType;
            const uint32_t pickedId = player ? world->GetCharId(picked) : 0;
            const bool noGift = std::find(std::begin(kNoGiftChars), std::end(kNoGiftChars), pickedId) !=
                                std::end(kNoGiftChars);
            if (!player) {
                if (world && world->GetCursorMode() == kCursorModeNoGroundDrop) return true;
                SetConfirmBox(0, AskToConfirm(*this, kConfirmGroundRow));
                if (g_pItemTableMgr) g_pItemTableMgr->SetCurrentItem(ITEM_CURRENT_CONFIRM_A, this);
                m_state = ITEM_WAIT_CONFIRM_A;
            } else if (!noGift) {
                SetConfirmBox(1, AskToConfirm(*this, kConfirmPlayerRow));
                if (g_pItemTableMgr) g_pItemTableMgr->SetCurrentItem(ITEM_CURRENT_CONFIRM_B, this);
                m_state = ITEM_WAIT_CONFIRM_B;
                m_pickedCharId = pickedId;
            } else {
                return true;
            }
            SetDragState(1);
            SetDropPoint(mouseX, mouseY);
            return true;
        }
        if (m_state == ITEM_WAIT_CONFIRM_A) {
            if (!IsAnsweredYes(GetConfirmBox(0))) return true;
            mouseX = m_dropPoint[0];
            mouseY = m_dropPoint[1];
        } else if (m_state == ITEM_WAIT_CONFIRM_B) {
            if (IsAnsweredYes(GetConfirmBox(1))) SendItemDrop(uint8_t(m_slotIndex), 1, m_pickedCharId);
            return true;
        }
        if (CChar* picked = world ? world->PickCharAt(mouseX, mouseY) : nullptr;
            picked && world->GetCharType(picked) == kPlayerCharType) {
            SendItemDrop(uint8_t(m_slotIndex), 1, world->GetCharId(picked));
            return true;
        }
        if (!world || !world->ScreenToTile(mouseX, mouseY, &tileX, &tileY) ||
            !world->CanDropOnTile(tileX, tileY))
            return true;
        SetDropPoint(tileX, tileY);
        ByAmount(*this, ITEM_WAIT_GROUND_AMOUNT, 0, [this, world, tileX, tileY](uint32_t amount) {
            world->DropOnGround(tileX, tileY, m_slotIndex, amount);
        });
        return true;
    }

    // ---- On a window ----
    const uint32_t origin = m_dragMode;
    const bool inventory = m_state == ITEM_IN_INVENTORY;
    if (inventory && NameIs(window, GAMBLE_WINDOW_NAME)) {
        auto* game = TargetOf<IItemGameTarget>(window);
        if (!game || !game->AcceptsItem(this, mouseX, mouseY)) return true;
        SetDropPoint(mouseX, mouseY);
        ByAmount(*this, ITEM_WAIT_GAMBLE_AMOUNT, 0, [this, game, mouseX, mouseY](uint32_t amount) {
            game->OnItemDrop(mouseX, mouseY, this, amount);
        });
    } else if (inventory && NameIs(window, QUICK_SLOT_WINDOW_NAME)) {
        if (auto* slots = TargetOf<IItemIconTarget>(window)) slots->DropIcon(this, mouseX, mouseY);
    } else if (m_state == ITEM_IN_ACCOUNT && NameIs(window, ACCOUNT_WINDOW_NAME)) {
        auto* account = TargetOf<IItemGameTarget>(window);
        if (!account || !account->AcceptsItem(this, mouseX, mouseY)) return true;
        SetDropPoint(mouseX, mouseY);
        ByAmount(*this, ITEM_WAIT_ACCOUNT_AMOUNT, 0, [this, account, mouseX, mouseY](uint32_t amount) {
            account->OnItemDrop(mouseX, mouseY, this, amount);
        });
    } else if (inventory && NameIs(window, ROULETTE_WINDOW_NAME)) {
        if (auto* roulette = TargetOf<IItemIconTarget>(window); roulette && HasByte41())
            roulette->DropIcon(this, mouseX, mouseY);
    } else if (inventory && NameIs(window, CLUB_DEPOSIT_WINDOW_NAME)) {
        const uint8_t colour = GetColorClass();
        if (!IsClubDepositAllowed() || colour == 4 || colour == 6) {
            ShowNotice(GetTableText(kItemTextTable, kClubDepositRefusedRow));
            return true;
        }
        if (auto* club = TargetOf<IItemDepositTarget>(window))
            ByAmount(*this, ITEM_WAIT_CLUB_DEPOSIT_AMOUNT, 0,
                     [this, club](uint32_t amount) { club->DepositItem(this, amount); });
    } else if (inventory && NameIs(window, USER_STORE_WINDOW_NAME)) {
        auto* store = TargetOf<IItemStoreTarget>(window);
        const uint8_t colour = GetColorClass();
        if (!store || store->IsSelling() || !IsStoreAllowed() || colour == 4 || colour == 6) return true;
        ByAmount(*this, ITEM_WAIT_STORE_AMOUNT, 1,
                 [this, store](uint32_t amount) { store->AddItem(this, amount); });
    } else if (inventory && NameIs(window, DEPOSIT_WINDOW_NAME)) {
        if (auto* deposit = TargetOf<IItemDepositTarget>(window))
            ByAmount(*this, ITEM_WAIT_DEPOSIT_AMOUNT, 0,
                     [this, deposit](uint32_t amount) { deposit->DepositItem(this, amount); });
    } else if (m_state == ITEM_IN_CLUB_DEPOSIT && NameIs(window, INVENTORY_WINDOW_NAME) &&
               origin == ITEM_DRAG_FROM_CLUB_DEPOSIT) {
        if (auto* club = FindTarget<IItemDepositTarget>(CLUB_DEPOSIT_WINDOW_NAME))
            ByAmount(*this, ITEM_WAIT_CLUB_WITHDRAW_AMOUNT, 0,
                     [this, club](uint32_t amount) { club->WithdrawItem(m_slotIndex, amount); });
    } else if (m_state == ITEM_IN_DEPOSIT && NameIs(window, INVENTORY_WINDOW_NAME) &&
               origin == ITEM_DRAG_FROM_DEPOSIT) {
        if (auto* deposit = FindTarget<IItemDepositTarget>(DEPOSIT_WINDOW_NAME))
            ByAmount(*this, ITEM_WAIT_WITHDRAW_AMOUNT, 0,
                     [this, deposit](uint32_t amount) { deposit->WithdrawItem(m_slotIndex, amount); });
    } else if (m_state == ITEM_LIKE_INVENTORY_6 && NameIs(window, TRADE_WINDOW_NAME)) {
        if (auto* trade = TargetOf<IItemIconTarget>(window)) trade->DropIcon(this, mouseX, mouseY);
    } else if (inventory && NameIs(window, INVENTORY_WINDOW_NAME)) {
        if (auto* bag = TargetOf<IItemIconTarget>(window); bag && HasByte41())
            bag->DropIcon(this, mouseX, mouseY);
    } else if (inventory && NameIs(window, EQUIP_WINDOW_NAME)) {
        if (!HasByte41()) return true;
        if (auto* equip = TargetOf<IItemEquipTarget>(window))
            if (CItemIcon* worn = equip->GetWornItem(GetByte41()); worn && worn != this) worn->UseItem();
        if (world) world->Equip(this, IsServerPlay());
    } else if (m_state != ITEM_WORN && NameIs(window, ITEM_EXCHANGE_WINDOW_NAME)) {
        auto* exchange = TargetOf<IItemOfferTarget>(window);
        if (!exchange) return true;
        if (m_count < 2)
            exchange->OfferSingle(this);
        else
            ByAmount(*this, ITEM_WAIT_OFFER_AMOUNT, 0,
                     [this, exchange](uint32_t amount) { exchange->OfferItem(m_slotIndex, amount); });
    } else if (m_state == ITEM_WORN && NameIs(window, INVENTORY_WINDOW_NAME) &&
               origin != ITEM_DRAG_FROM_QUICK_SLOT) {
        if (HasByte41() && world) world->Unequip(this, IsServerPlay());
    } else if (inventory && (NameIs(window, INCUBATOR_WINDOW_NAME) || NameIs(window, PET_WINDOW_NAME))) {
        if (auto* pets = TargetOf<IItemIconTarget>(window)) pets->DropIcon(this, mouseX, mouseY);
    } else if (m_state == ITEM_PREMIUM_ENTRY && NameIs(window, INVENTORY_WINDOW_NAME)) {
        if (g_pPremiumItemNotifyMgr) g_pPremiumItemNotifyMgr->MarkEntrySent(this);
    }
    return true;
}
