// CClubDepositWin ("CLUB_DEPOSIT_WINDOW"): the club's shared storage opened at
// an NPC. A list of the stored items (six rows), the club's money, a log of
// the storage's events, money in and out, five sort orders and, on the rows
// of the items the player may manage, a drop-down that sets who may take the
// item out. Every change is a request; the list, the money and the log come
// only from the server (offline, items dropped on it are kept locally).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/items/item_targets.h"

class CAniObject;
class CButton;
class CClubGradeInputWin;
class CItemIcon;
class CMessageBox;
class CNumberInputWindow;
class CScrollBar;
struct CDatedLine;
struct CItemRecord;

inline constexpr int32_t CLUB_DEPOSIT_ROWS = 6;
inline constexpr int32_t CLUB_DEPOSIT_SORT_MODES = 5;
inline constexpr uint8_t CLUB_DEPOSIT_DEFAULT_SORT = 2;
inline constexpr int32_t CLUB_DEPOSIT_MENU_ENTRIES = 4;
// Grade limits of a stored item.
inline constexpr int32_t CLUB_DEPOSIT_EVERY_MEMBER = -2;
inline constexpr int32_t CLUB_DEPOSIT_MASTER_AND_SUB = -1;
inline constexpr int32_t CLUB_DEPOSIT_MASTER_ONLY = 0;
// The grade prompt's values that set a limit.
inline constexpr int32_t CLUB_DEPOSIT_GRADE_MIN = 1, CLUB_DEPOSIT_GRADE_MAX = 254;
// The money input's reports.
inline constexpr uint32_t CLUB_DEPOSIT_MONEY_IN = 2, CLUB_DEPOSIT_MONEY_OUT = 3;

// One stored item.
struct ClubDepositEntry {
    std::unique_ptr<CItemIcon> icon;
    int32_t gradeLimit = 0;
    std::string depositor;
    uint32_t valueA = 0, valueB = 0;
    uint8_t own = 0;       // the player manages it: the drop-down is offered
    uint8_t takeable = 0;  // the player may take it out
    uint8_t options[13] = {};
};

// Who looks at the storage, for the two permission bytes of an entry.
struct ClubDepositViewer {
    bool master = false;  // the club master (or playing offline)
    uint32_t grade = 0;   // the player's grade in the club
    uint32_t orderKey = 0;
    std::string name;
};
// Sets own and takeable for an item of that depositor and grade limit.
void ClubDepositPermissions(const ClubDepositViewer& viewer, const std::string& depositor, int32_t gradeLimit,
                            uint8_t* own, uint8_t* takeable);
// True when a comes before b in the sort mode (a strict order; ties keep
// their order under a stable sort).
bool ClubDepositEntryBefore(const ClubDepositEntry& a, const ClubDepositEntry& b, uint8_t mode);
// The text table 14 row that names a grade limit.
int ClubDepositLimitRow(int32_t gradeLimit);
// The log as the window shows it: a dated line for each record.
std::string FormatDepositLog(const std::vector<CDatedLine>& lines);

class CClubDepositWin : public CBaseWindow, public IItemDepositTarget {
public:
    CClubDepositWin();
    ~CClubDepositWin() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool UpdateRect() override;
    int32_t GetWidth() override;
    int32_t GetHeight() override;

    void SetStorageKind(int32_t kind) { m_storageKind = kind; }
    int32_t GetStorageKind() const { return m_storageKind; }
    void SetClubMoney(uint32_t amount) { m_clubMoney = amount; }
    uint32_t GetClubMoney() const { return m_clubMoney; }
    void SetNpcId(uint32_t id) { m_npcId = id; }
    uint32_t GetNpcId() const { return m_npcId; }

    void ClearItems();
    // The item of the slot replaced by a new one.
    void AddItem(uint8_t slot, uint32_t itemId, uint32_t count, const char* name, const uint8_t* expiry,
                 const CItemRecord& record, const char* depositor, int32_t gradeLimit, uint32_t valueA,
                 uint32_t valueB);
    void AddItemWithOptions(uint8_t slot, uint32_t itemId, const uint8_t options[13], const char* name,
                            const uint8_t* expiry, const CItemRecord& record, const char* depositor,
                            int32_t gradeLimit, uint32_t valueA, uint32_t valueB);
    // count -1 (or all of it) removes the entry.
    void RemoveItem(uint8_t slot, int32_t count);
    void SortItems();
    void SetSortMode(uint8_t mode);
    void FormatDepositLogLine(const std::vector<CDatedLine>& lines);

    // ---- IItemDepositTarget ----
    void DepositItem(CItemIcon* icon, uint32_t amount) override;
    void WithdrawItem(int32_t slotIndex, uint32_t amount) override;

    // The drop-down of visible row i; a choice 0-3 runs it.
    void OpenMenu(int32_t row);
    void ChooseMenu(int32_t choice);
    void OpenMoneyInput(uint32_t mode);

    const std::vector<std::unique_ptr<ClubDepositEntry>>& Entries() const { return m_entries; }
    uint8_t GetSortMode() const { return m_sortMode; }
    bool IsMenuOpen() const { return m_menuOpen != 0; }
    int32_t GetMenuChoice() const { return m_menuChoice; }
    bool IsWaitingForGrade() const { return m_waitingForGrade != 0; }
    const std::string& GetLogText() const { return m_logText; }
    int32_t GetHoveredSlot() const { return m_hoveredSlot; }
    CScrollBar* GetItemScrollBar() const;
    CScrollBar* GetLogScrollBar() const;
    CButton* GetDropDownButton(int32_t row) const;
    CButton* GetSortButton(int32_t mode) const;
    CButton* GetMoneyButton(bool out) const;
    CClubGradeInputWin* GetGradeInput() const;
    CNumberInputWindow* GetMoneyInput() const;

protected:
    // The player as the club window and his character give him; false when
    // either is missing (then no item is his to manage or take).
    virtual bool FindViewer(ClubDepositViewer& viewer) const;

private:
    bool Online() const;
    // The storage's function code: kind 1 is the player's own club.
    bool OwnClub() const { return m_storageKind == 1; }
    void AfterListChange();
    void CloseMenus();
    void Transfer(uint32_t slot, uint8_t everyMember, uint16_t limit);
    void PollGradeInput();
    int32_t FirstRow() const;
    int32_t EntryAt(int32_t x, int32_t y) const;
    void PlaceControls();
    void Text(int32_t x, int32_t y, const char* text, uint32_t colour);
    void CentredText(int32_t centreX, int32_t y, const char* text, uint32_t colour);

    int32_t m_storageKind = 0;
    CWeakRef m_close, m_sort[CLUB_DEPOSIT_SORT_MODES], m_dropDown[CLUB_DEPOSIT_ROWS], m_moneyIn, m_moneyOut;
    CWeakRef m_itemScroll, m_logScroll;
    std::unique_ptr<CAniObject> m_menuFrame, m_menuHighlight;
    uint8_t m_menuOpen = 0;
    uint32_t m_menuSlot = 0;
    int32_t m_menuChoice = -1;
    uint8_t m_sortMode = CLUB_DEPOSIT_DEFAULT_SORT;
    uint32_t m_clubMoney = 0;
    uint32_t m_npcId = 0;
    std::vector<std::unique_ptr<ClubDepositEntry>> m_entries;
    int32_t m_hoveredSlot = -1;
    CWeakRef m_gradeInput, m_infoBox, m_moneyInput;
    uint8_t m_waitingForGrade = 0;
    uint32_t m_gradeSlot = 0;
    std::string m_logText;
    int32_t m_logLines = 0;
};
