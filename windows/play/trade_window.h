// CTradeWindow ("TRADE_WINDOW"): an NPC merchant's shop. Four modes (buy,
// sell, repair, mix), each with an offer list above (the NPC's goods or the
// player's items the mode takes) and a selection list below (what the player
// chose, with the quantities). Entries move between the lists by dragging,
// double-clicking or the arrow buttons; the mode's confirm button sends the
// selection to the server after the money and weight checks. The window
// never changes the inventory or the money itself: the server answers.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/base_window.h"
#include "ui/items/item_targets.h"
#include "ui/tooltip_window.h"

class CAniObject;
class CButton;
class CItemIcon;
class CMessageBox;
class CNumberInputWindow;
class CScrollBar;
class CTradeListMsg;

inline constexpr char TRADE_IMAGE_NAME[] = "TradeWindow";
inline constexpr int32_t TRADE_LIST_CAPACITY = 10000;
// What one request carries: the request builders refuse more than 255 bytes.
inline constexpr size_t TRADE_CART_CAPACITY = 60;
inline constexpr size_t TRADE_REPAIR_CART_CAPACITY = 80;
inline constexpr uint32_t TRADE_COUNT_MAX = 65535;
inline constexpr int32_t TRADE_OFFER_ROWS = 7, TRADE_SELECTION_ROWS = 4;
inline constexpr int32_t TRADE_ROW_HEIGHT = 25;
inline constexpr int32_t TRADE_SELECTION_TOP = 210;  // a drop at y + 210 or below goes to the selection

enum TradeMode : int32_t {
    TRADE_NO_MODE = -1,
    TRADE_BUY = 0,
    TRADE_SELL = 1,
    TRADE_REPAIR = 2,
    TRADE_MIX = 3,
};

enum TradeList : int32_t {
    TRADE_OFFERS = 0,
    TRADE_SELECTION = 1,
};

// What the server said of one offer; an entry in either list refers to its
// offer by index.
struct CTradeOffer {
    uint8_t buyable = 0, sellable = 0, repairable = 0, further = 0;
    uint32_t price = 0;
    uint16_t stock = 0;
    uint16_t weight = 0;
    uint8_t repairKind = 0;
    uint16_t key = 0;
    uint32_t sold = 0;  // the offer's count in the selection (limited stock)
};

class CTradeWindow : public CBaseWindow, public IItemIconTarget {
public:
    CTradeWindow();
    ~CTradeWindow() override;

    bool Create() override;
    bool Release() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // IItemIconTarget: one of the window's entries let go over it.
    void DropIcon(CItemIcon* icon, int32_t, int32_t) override { OnItemDrop(icon); }

    // Shown, active and centred for the NPC; no mode until the server says.
    bool Open(uint32_t npcId);
    void SetAvailableModes(bool buy, bool sell, bool repair, bool mix);
    // False when the mode is unavailable or already current.
    bool SelectMode(int32_t mode);
    bool SelectBuyMode() { return SelectMode(TRADE_BUY); }
    bool SelectSellMode() { return SelectMode(TRADE_SELL); }
    bool SelectRepairMode() { return SelectMode(TRADE_REPAIR); }
    bool SelectMixMode() { return SelectMode(TRADE_MIX); }
    void SetDealEnabled(bool enabled);

    // Each appends to the offer list and returns the offer index; -1 when
    // the item table cannot make the item or the list is full.
    int32_t AddBuyEntry(uint16_t key, uint32_t itemId, const char* name, uint8_t buyable, uint32_t price,
                        uint16_t stock, uint16_t weight);
    int32_t AddSellEntry(uint16_t key, uint32_t itemId, int32_t slot, const char* name, uint8_t sellable,
                         uint8_t further, uint16_t count, uint16_t weight, uint32_t price);
    int32_t AddRepairEntry(uint16_t key, uint32_t itemId, int32_t slot, const char* name, uint8_t repairable,
                           uint8_t repairKind, uint32_t price);
    int32_t AddMixEntry(uint8_t key, uint32_t itemId, int32_t slot, const char* name, uint16_t count);
    // A server list: cleared, the deal flag, the entries; lists 2 and 3 sorted.
    void TakeList(const CTradeListMsg& list);

    // An entry of this window let go over it: moved to the list under the
    // mouse (false when refused or nothing moves).
    bool OnItemDrop(CItemIcon* item);
    bool MoveEntry(CItemIcon* entry, uint32_t quantity);
    // The confirm buttons.
    bool CommitTrade();

    CItemIcon* GetEntry(int32_t list, int32_t position) const;
    int32_t FindEntryByKey(int32_t list, uint16_t key) const;
    int32_t IndexOfEntry(int32_t list, const CItemIcon* entry) const;
    int32_t ListOfEntry(const CItemIcon* entry) const;
    int32_t GetCount(int32_t list) const;
    const CTradeOffer* OfferOf(int32_t list, int32_t position) const;
    void ClearLists();
    // Orders the offer list: items with a worn place first by it, then the
    // second sort key, then the table row; equal keys keep their order.
    void SortItemSlots();

    int32_t GetMode() const { return m_mode; }
    bool IsModeAvailable(int32_t mode) const { return mode >= 0 && mode < 4 && m_available[mode]; }
    uint32_t GetNpcId() const { return m_npcId; }
    uint64_t GetTotalPrice() const { return m_totalPrice; }
    uint64_t GetTotalWeight() const { return m_totalWeight; }
    bool IsDealEnabled() const { return m_dealEnabled != 0; }
    CNumberInputWindow* GetQuantityInput() const;
    CButton* GetModeButton(int32_t mode) const {
        return mode >= 0 && mode < 4 ? m_modeButtons[mode] : nullptr;
    }
    CButton* GetConfirmButton() const { return m_confirm[0]; }
    // The list and position under the point (position -1 off the rows).
    void HitList(int32_t px, int32_t py, int32_t* list, int32_t* position) const;

private:
    struct CEntry {
        std::unique_ptr<CItemIcon> item;
        int32_t offer = -1;
    };

    int32_t AddOffer(uint32_t itemId, const char* name, uint32_t count, int32_t slot,
                     const CTradeOffer& offer);
    bool AddToList(int32_t target, int32_t source, int32_t position, uint32_t quantity);
    void TakeFromList(int32_t list, int32_t position, uint32_t quantity);
    void RemoveAt(int32_t list, int32_t position);
    void ClearList(int32_t list);
    void Recount();
    void ResetScroll(int32_t list);
    bool Eligible(int32_t offer) const;
    void AskQuantity(uint32_t maximum);
    void MoveAll(int32_t from);
    void EmptySelection();
    uint64_t Money() const;
    uint64_t FreeWeight() const;
    CScrollBar* Bar(int32_t list) const;
    int32_t FirstRow(int32_t list) const;
    void DrawRows();
    void DrawFooter();

    int32_t m_mode = TRADE_NO_MODE;
    bool m_available[4] = {};
    uint32_t m_npcId = 0;
    CButton* m_exit = nullptr;
    CButton* m_modeButtons[4] = {};
    CButton* m_up = nullptr;
    CButton* m_down = nullptr;
    CButton* m_confirm[3] = {};  // TRADE_CONFIRM, Repair_CONFIRM, MIX_CONFIRM
    CButton* m_deal = nullptr;
    CButton* m_advice = nullptr;
    CButton* m_itemSel = nullptr;
    std::unique_ptr<CAniObject> m_frames[5];
    std::vector<CEntry> m_lists[2];
    std::vector<CTradeOffer> m_offers;
    uint64_t m_totalPrice = 0, m_totalWeight = 0;
    CWeakRef m_dragged;
    int32_t m_dropTarget = 0;
    uint32_t m_typedAmount = 0;
    uint8_t m_useTypedAmount = 0;
    uint8_t m_dealEnabled = 0, m_dealPending = 0;
    uint32_t m_mixFee = 0;
    bool m_limitedStock = false;
    int32_t m_hoverList = -1, m_hoverPosition = -1;
    CWeakRef m_scrollBars[2], m_quantity, m_confirmBox;
    CToolTipWindow m_nameTip;
};
