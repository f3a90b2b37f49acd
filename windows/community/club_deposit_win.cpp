#include "windows/community/club_deposit_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/message.h"
#include "core/util.h"
#include "data/item_table_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_grade_input.h"
#include "windows/community/club_rules.h"
#include "windows/community/community_images.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr char kImage[] = "Club_Deposit_Win";
constexpr char kMoneyInputName[] = "CLUB_DEPOSIT_WIN_GOLD_EDIT";
constexpr int kTexts = 14;
constexpr int kCloseTipRow = 2, kSortTipRows[CLUB_DEPOSIT_SORT_MODES] = {379, 380, 381, 382, 383};
constexpr int kDropDownTipRow = 441, kDepositorRow = 447;
constexpr int kMenuRows[CLUB_DEPOSIT_MENU_ENTRIES] = {442, 570, 443, 444};
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;
constexpr int32_t kWidth = 356, kHeight = 334;
constexpr int32_t kRowHeight = 25;
constexpr int32_t kDropDownX = 320, kDropDownY = 52;
constexpr int32_t kMoneyInX = 197, kMoneyOutX = 271, kMoneyButtonY = 204;
constexpr int32_t kSortX[CLUB_DEPOSIT_SORT_MODES] = {138, 184, 230, 276, 276}, kSortY = 25;
constexpr uint8_t kSortFrames[CLUB_DEPOSIT_SORT_MODES] = {1, 2, 3, 5, 6};
constexpr int32_t kCloseX = 327, kCloseY = 4;
constexpr WindowRect kItemTrack{339, 41, 350, 202}, kLogTrack{339, 249, 350, 323};
constexpr WindowRect kListArea{6, 49, 193, 195};
constexpr int32_t kNameCentre = 113, kNameY = 79, kIconX = 18, kIconY = 83;
constexpr int32_t kCountCentre = 225, kLimitCentre = 289, kValueY = 78;
constexpr int32_t kMenuWidth = 88, kMenuX = 261, kMenuY = 65, kMenuEntryX = 266, kMenuEntryY = 68,
                  kMenuStep = 16;
constexpr int32_t kMoneyRight = 155, kMoneyY = 207;
constexpr int32_t kLogX = 8, kLogY = 253, kLogColumns = 54, kLogLines = 5, kLogSpacing = 14;
constexpr int kNameBytes = 24;
constexpr int32_t kCharWidth = 6;
constexpr uint8_t kCloseFrame = 1;

bool In(const WindowRect& r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// -1, 0 or 1 as a is below, equal to or above b.
template <class T>
int Compare(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

void CentreOnScreen(CBaseWindow* window) {
    window->UpdateRect();
    const WindowRect& r = window->GetRect();
    const CDisplaySettings& screen = GetDisplaySettings();
    window->SetPosition((screen.screenWidth - (r.right - r.left)) / 2,
                        (screen.screenHeight - (r.bottom - r.top)) / 2);
}

CCharData* PlayerData() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->GetData() : nullptr;
}

}  // namespace

bool CClubDepositWin::FindViewer(ClubDepositViewer& viewer) const {
    CClubBaseWindow* club = FindClubBaseWindow();
    const char* name = PlayerCharacterName();
    if (!club || !name || !name[0]) return false;
    viewer.master = club->IsMaster();
    viewer.grade = club->GetMyGrade();
    viewer.name = name;
    viewer.orderKey = club->FindMemberKey(name);
    return true;
}

// ---- The rules ----

void ClubDepositPermissions(const ClubDepositViewer& viewer, const std::string& depositor, int32_t gradeLimit,
                            uint8_t* own, uint8_t* takeable) {
    *own = *takeable = 0;
    if (viewer.master || (!viewer.name.empty() && depositor == viewer.name)) *own = *takeable = 1;
    const bool master = viewer.grade == CLUB_GRADE_MASTER, sub = viewer.grade == CLUB_GRADE_SUB_LEADER;
    bool byLimit = false;
    if (gradeLimit == CLUB_DEPOSIT_EVERY_MEMBER)
        byLimit = true;
    else if (gradeLimit == CLUB_DEPOSIT_MASTER_AND_SUB)
        byLimit = master || sub;
    else if (gradeLimit == CLUB_DEPOSIT_MASTER_ONLY)
        byLimit = master;
    else if (gradeLimit > 0)
        byLimit = sub || (viewer.orderKey != 0 && viewer.orderKey <= uint32_t(gradeLimit));
    if (byLimit) *takeable = 1;
}

bool ClubDepositEntryBefore(const ClubDepositEntry& a, const ClubDepositEntry& b, uint8_t mode) {
    if (mode == 2) return a.valueB < b.valueB;
    const CItemIcon* x = a.icon.get();
    const CItemIcon* y = b.icon.get();
    if (!x || !y) return x && !y;  // empty entries last
    int c = 0;
    switch (mode) {
        case 0:
            if (x->HasByte41() != y->HasByte41()) return x->HasByte41();
            if ((c = Compare(y->GetByte41(), x->GetByte41())) != 0) return c < 0;
            if ((c = Compare(y->GetByte6(), x->GetByte6())) != 0) return c < 0;
            break;
        case 1:
            if (x->HasByte41() != y->HasByte41()) return y->HasByte41();
            if ((c = Compare(x->GetByte41(), y->GetByte41())) != 0) return c < 0;
            if ((c = Compare(x->GetByte6(), y->GetByte6())) != 0) return c < 0;
            break;
        case 3:
            if ((c = Compare(x->GetDword10(), y->GetDword10())) != 0) return c < 0;
            break;
        case 4:
            if ((c = Compare(y->GetDword10(), x->GetDword10())) != 0) return c < 0;
            break;
        default:
            return false;
    }
    return x->GetItemRow() < y->GetItemRow();
}

int ClubDepositLimitRow(int32_t gradeLimit) {
    if (gradeLimit == CLUB_DEPOSIT_EVERY_MEMBER) return 444;
    if (gradeLimit == CLUB_DEPOSIT_MASTER_AND_SUB) return 570;
    if (gradeLimit == CLUB_DEPOSIT_MASTER_ONLY) return 442;
    return 445;
}

std::string FormatDepositLog(const std::vector<CDatedLine>& lines) {
    std::string text;
    for (const CDatedLine& line : lines)
        text += ClubDateStamp(line.m_date) +
                std::string(line.m_text, strnlen(line.m_text, sizeof line.m_text)) + "\\n";
    return text;
}

// ---- The window ----

CClubDepositWin::CClubDepositWin() {
    CClubDepositWin::Create();
}

CClubDepositWin::~CClubDepositWin() {
    CClubDepositWin::Release();
}

bool CClubDepositWin::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_DEPOSIT_WINDOW_NAME, kImage, 0);
    SetKindId(0);
    m_draggable = 1;
    m_sortMode = CLUB_DEPOSIT_DEFAULT_SORT;
    m_clubMoney = 0;
    m_menuOpen = 0;
    m_menuChoice = -1;
    const uint32_t image = FindAniByName(kImage), deposit = FindAniByName("DepositWindow"),
                   inventory = FindAniByName("Inventory_Image"), icons = FindAniByName("CommonIcons");
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS; ++i) {
        CButton* b = MakeChildButton("CLUB_DEPOSIT_WIN_DROP_DOWN_BTN", this, image, 2);
        if (b) {
            b->SetKindId(uint32_t(i));
            b->SetToolTip(true, GetTableText(kTexts, kDropDownTipRow), WINDOW_TOOLTIP_PARAM);
            b->Hide();
        }
        m_dropDown[i].Assign(b);
    }
    m_moneyIn.Assign(MakeChildButton("CLUB_DEPOSIT_SEED01_BUTTON", this, deposit, 1));
    m_moneyOut.Assign(MakeChildButton("CLUB_DEPOSIT_SEED02_BUTTON", this, deposit, 2));
    for (int32_t i = 0; i < CLUB_DEPOSIT_SORT_MODES; ++i) {
        CButton* b = MakeChildButton("CLUB_DEPOSIT_SORT_BUTTON", this, inventory, kSortFrames[i]);
        if (b) {
            b->SetKindId(uint32_t(i));
            b->SetToolTip(true, GetTableText(kTexts, kSortTipRows[i]), WINDOW_TOOLTIP_PARAM);
        }
        m_sort[i].Assign(b);
    }
    if (CButton* b = GetSortButton(4)) b->Hide();
    m_close.Assign(MakeChildButton("CLUB_DEPOSIT_CLOSE_BUTTON", this, icons, kCloseFrame));
    if (CButton* b = m_close.GetAs<CButton>())
        b->SetToolTip(true, GetTableText(kTexts, kCloseTipRow), WINDOW_TOOLTIP_PARAM);
    const ScrollBarPartNames parts{"CLUB_DEPOSIT_SCROLL_BUTTON_UP", "CLUB_DEPOSIT_SCROLL_BUTTON_DN",
                                   "CLUB_DEPOSIT_SCROLL_BUTTON_DRAG"};
    m_itemScroll.Assign(MakeChildScrollBar(this, "CLUB_DEPOSIT_SCROLLBAR", parts));
    m_logScroll.Assign(MakeChildScrollBar(this, "CLUB_DEPOSIT_SCROLLBAR", parts));
    for (CScrollBar* bar : {GetItemScrollBar(), GetLogScrollBar()})
        if (bar) bar->SetMaximum(0);
    m_menuFrame = MakeCommunityImage(kImage, 1, 2);
    m_menuHighlight = MakeCommunityImage(kImage, 1, 0);
    auto* grade = new CClubGradeInputWin;
    AddChild(grade);
    m_gradeInput.Assign(grade);
    CMessageBox* info = MakeInfoBox(this);
    m_infoBox.Assign(info);
    auto* money = new CNumberInputWindow;
    money->SetName(kMoneyInputName);
    money->Hide();
    AddChild(money);
    m_moneyInput.Assign(money);
    CBaseWindow::Hide();
    CClubDepositWin::SetPosition(0, 0);
    return true;
}

bool CClubDepositWin::Release() {
    m_entries.clear();
    m_logText.clear();
    m_menuFrame.reset();
    m_menuHighlight.reset();
    return CBaseWindow::Release();
}

int32_t CClubDepositWin::GetWidth() {
    return kWidth;
}

int32_t CClubDepositWin::GetHeight() {
    return kHeight;
}

bool CClubDepositWin::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kWidth - 1, m_y + kHeight - 1};
    return true;
}

CScrollBar* CClubDepositWin::GetItemScrollBar() const {
    return m_itemScroll.GetAs<CScrollBar>();
}

CScrollBar* CClubDepositWin::GetLogScrollBar() const {
    return m_logScroll.GetAs<CScrollBar>();
}

CButton* CClubDepositWin::GetDropDownButton(int32_t row) const {
    return row >= 0 && row < CLUB_DEPOSIT_ROWS ? m_dropDown[row].GetAs<CButton>() : nullptr;
}

CButton* CClubDepositWin::GetSortButton(int32_t mode) const {
    return mode >= 0 && mode < CLUB_DEPOSIT_SORT_MODES ? m_sort[mode].GetAs<CButton>() : nullptr;
}

CButton* CClubDepositWin::GetMoneyButton(bool out) const {
    return (out ? m_moneyOut : m_moneyIn).GetAs<CButton>();
}

CClubGradeInputWin* CClubDepositWin::GetGradeInput() const {
    return m_gradeInput.GetAs<CClubGradeInputWin>();
}

CNumberInputWindow* CClubDepositWin::GetMoneyInput() const {
    return m_moneyInput.GetAs<CNumberInputWindow>();
}

bool CClubDepositWin::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    PlaceControls();
    return true;
}

void CClubDepositWin::PlaceControls() {
    const int32_t x = m_x, y = m_y;
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS; ++i)
        if (CButton* b = GetDropDownButton(i))
            b->SetPosition(x + kDropDownX, y + kDropDownY + kRowHeight * i);
    if (CButton* b = GetMoneyButton(false)) b->SetPosition(x + kMoneyInX, y + kMoneyButtonY);
    if (CButton* b = GetMoneyButton(true)) b->SetPosition(x + kMoneyOutX, y + kMoneyButtonY);
    for (int32_t i = 0; i < CLUB_DEPOSIT_SORT_MODES; ++i)
        if (CButton* b = GetSortButton(i)) b->SetPosition(x + kSortX[i], y + kSortY);
    if (CButton* b = m_close.GetAs<CButton>()) b->SetPosition(x + kCloseX, y + kCloseY);
    if (CScrollBar* bar = GetItemScrollBar())
        bar->SetBarRect(x + kItemTrack.left, y + kItemTrack.top, x + kItemTrack.right, y + kItemTrack.bottom);
    if (CScrollBar* bar = GetLogScrollBar())
        bar->SetBarRect(x + kLogTrack.left, y + kLogTrack.top, x + kLogTrack.right, y + kLogTrack.bottom);
}

bool CClubDepositWin::Online() const {
    return g_config.m_useServer;
}

bool CClubDepositWin::Show() {
    CBaseWindow::Show();
    return true;
}

bool CClubDepositWin::Hide() {
    if (m_npcId != 0) {
        GameSession().SendClubDepositClose(m_npcId, 1, OwnClub());
        GameSession().SendNpcClose(m_npcId);
        m_npcId = 0;
    }
    if (!IsDrawOn()) return true;
    if (CClubGradeInputWin* grade = GetGradeInput()) grade->Hide();
    if (auto* info = m_infoBox.GetAs<CMessageBox>()) info->Hide();
    m_waitingForGrade = 0;
    m_menuOpen = 0;
    if (CNumberInputWindow* money = GetMoneyInput()) {
        money->SetNotify(0, nullptr, 0);
        money->Hide();
    }
    CBaseWindow::Hide();
    return true;
}

// ---- The list ----

void CClubDepositWin::ClearItems() {
    m_entries.clear();
    AfterListChange();
}

void CClubDepositWin::AddItem(uint8_t slot, uint32_t itemId, uint32_t count, const char* name,
                              const uint8_t* expiry, const CItemRecord& record, const char* depositor,
                              int32_t gradeLimit, uint32_t valueA, uint32_t valueB) {
    std::erase_if(m_entries, [slot](const std::unique_ptr<ClubDepositEntry>& e) {
        return e->icon && e->icon->GetSlotIndex() == int32_t(slot);
    });
    CItemObject* made = g_pItemTableMgr ? g_pItemTableMgr->MakeItem(itemId) : nullptr;
    std::unique_ptr<CItemIcon> icon(dynamic_cast<CItemIcon*>(made));
    if (!icon) {
        delete made;
        AfterListChange();
        return;
    }
    icon->SetCount(count);
    icon->SetSlotIndex(slot);
    icon->SetState(ITEM_IN_CLUB_DEPOSIT);
    if (name && name[0]) icon->SetName(name);
    if (expiry) icon->Expiry().SetDate(expiry);
    CopyItemRecord(icon->Record(), record);
    auto entry = std::make_unique<ClubDepositEntry>();
    entry->gradeLimit = gradeLimit;
    entry->depositor = depositor ? depositor : "";
    entry->valueA = valueA;
    entry->valueB = valueB;
    ClubDepositViewer viewer;
    if (FindViewer(viewer))
        ClubDepositPermissions(viewer, entry->depositor, gradeLimit, &entry->own, &entry->takeable);
    if (!entry->takeable) icon->Disable();
    entry->icon = std::move(icon);
    m_entries.push_back(std::move(entry));
    AfterListChange();
}

void CClubDepositWin::AddItemWithOptions(uint8_t slot, uint32_t itemId, const uint8_t options[13],
                                         const char* name, const uint8_t* expiry, const CItemRecord& record,
                                         const char* depositor, int32_t gradeLimit, uint32_t valueA,
                                         uint32_t valueB) {
    AddItem(slot, itemId, 1, name, expiry, record, depositor, gradeLimit, valueA, valueB);
    for (auto& e : m_entries)
        if (e->icon && e->icon->GetSlotIndex() == int32_t(slot)) std::copy_n(options, 13, e->options);
}

void CClubDepositWin::RemoveItem(uint8_t slot, int32_t count) {
    auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [slot](const std::unique_ptr<ClubDepositEntry>& e) {
            return e->icon && e->icon->GetSlotIndex() == int32_t(slot);
        });
    if (it == m_entries.end()) return;
    CItemIcon* icon = (*it)->icon.get();
    if (count != -1 && int64_t(icon->GetCount()) - count > 0)
        icon->SetCount(uint32_t(int64_t(icon->GetCount()) - count));
    else
        m_entries.erase(it);
    AfterListChange();
}

void CClubDepositWin::AfterListChange() {
    if (CScrollBar* bar = GetItemScrollBar()) {
        const int32_t maximum = std::max<int32_t>(int32_t(m_entries.size()) - CLUB_DEPOSIT_ROWS, 0);
        bar->SetMaximum(maximum);
        if (bar->GetScrollPos() > float(maximum)) bar->SetScrollPos(0);
    }
    SortItems();
}

void CClubDepositWin::CloseMenus() {
    if (CClubGradeInputWin* grade = GetGradeInput()) grade->Hide();
    m_waitingForGrade = 0;
    m_menuOpen = 0;
}

void CClubDepositWin::SortItems() {
    CloseMenus();
    if (m_entries.size() < 2) return;
    const uint8_t mode = m_sortMode;
    std::stable_sort(
        m_entries.begin(), m_entries.end(),
        [mode](const std::unique_ptr<ClubDepositEntry>& a, const std::unique_ptr<ClubDepositEntry>& b) {
            return ClubDepositEntryBefore(*a, *b, mode);
        });
}

void CClubDepositWin::SetSortMode(uint8_t mode) {
    if (mode >= CLUB_DEPOSIT_SORT_MODES) return;
    m_sortMode = mode;
    // Buttons 3 and 4 share their place: each hands it to the other.
    if (mode == 3 || mode == 4) {
        if (CButton* b = GetSortButton(mode)) b->Hide();
        if (CButton* b = GetSortButton(mode == 3 ? 4 : 3)) b->Show();
    }
    SortItems();
}

void CClubDepositWin::FormatDepositLogLine(const std::vector<CDatedLine>& lines) {
    m_logText = FormatDepositLog(lines);
    m_logLines = m_logText.empty() ? 0 : CountFormattedTextLines(m_logText.c_str(), kLogColumns);
    if (CScrollBar* bar = GetLogScrollBar()) {
        bar->SetMaximum(std::max(m_logLines - kLogLines, 0));
        if (bar->GetScrollPos() > float(bar->GetMaximum())) bar->SetScrollPos(0);
    }
}

// ---- Items in and out ----

void CClubDepositWin::DepositItem(CItemIcon* icon, uint32_t amount) {
    if (!icon) return;
    if (Online()) {
        GameSession().SendClubDepositItemIn(m_npcId, 1, OwnClub(), uint8_t(icon->GetSlotIndex()),
                                            uint16_t(std::min<uint32_t>(amount, 0xFFFF)));
        return;
    }
    // Offline the storage keeps a copy of its own.
    uint8_t slot = 1;
    while (slot < 255 && std::any_of(m_entries.begin(), m_entries.end(), [slot](const auto& e) {
               return e->icon && e->icon->GetSlotIndex() == int32_t(slot);
           }))
        ++slot;
    AddItem(slot, icon->GetItemId(), amount, icon->GetName(), nullptr, icon->Record(), PlayerCharacterName(),
            CLUB_DEPOSIT_EVERY_MEMBER, 0, 0);
}

void CClubDepositWin::WithdrawItem(int32_t slotIndex, uint32_t amount) {
    if (slotIndex < 0 || slotIndex > 255) return;
    if (Online()) {
        GameSession().SendClubDepositItemOut(m_npcId, 1, OwnClub(), uint8_t(slotIndex),
                                             uint16_t(std::min<uint32_t>(amount, 0xFFFF)));
        return;
    }
    RemoveItem(uint8_t(slotIndex), int32_t(amount));
}

// ---- The drop-down and the grade prompt ----

int32_t CClubDepositWin::FirstRow() const {
    CScrollBar* bar = GetItemScrollBar();
    const int32_t maximum = std::max<int32_t>(int32_t(m_entries.size()) - CLUB_DEPOSIT_ROWS, 0);
    return bar ? std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, maximum) : 0;
}

void CClubDepositWin::OpenMenu(int32_t row) {
    const int32_t index = FirstRow() + row;
    if (row < 0 || row >= CLUB_DEPOSIT_ROWS || index >= int32_t(m_entries.size())) return;
    const ClubDepositEntry& entry = *m_entries[size_t(index)];
    if (!entry.icon) return;
    m_menuOpen = 1;
    m_menuChoice = -1;
    m_menuSlot = uint32_t(entry.icon->GetSlotIndex());
}

void CClubDepositWin::Transfer(uint32_t slot, uint8_t everyMember, uint16_t limit) {
    GameSession().SendClubDepositTransfer(m_npcId, 1, OwnClub(), uint8_t(slot), everyMember, limit);
}

void CClubDepositWin::ChooseMenu(int32_t choice) {
    if (!m_menuOpen) return;
    m_menuOpen = 0;
    switch (choice) {
        case 0:
            Transfer(m_menuSlot, 0, 0);
            break;
        case 1:
            Transfer(m_menuSlot, 0, 0xFFFF);
            break;
        case 2:
            if (CClubGradeInputWin* grade = GetGradeInput()) {
                grade->Cancel();  // a result of this asking only
                CentreOnScreen(grade);
                grade->Show();
                grade->SetActive(true, false);
                m_waitingForGrade = 1;
                m_gradeSlot = m_menuSlot;
            }
            break;
        case 3:
            Transfer(m_menuSlot, 1, 0);
            break;
        default:
            break;
    }
}

void CClubDepositWin::PollGradeInput() {
    CClubGradeInputWin* grade = GetGradeInput();
    if (!m_waitingForGrade || !grade || grade->IsDrawOn()) return;
    m_waitingForGrade = 0;
    const int32_t value = grade->GetValue();
    if (grade->GetResult() == 1 && value >= CLUB_DEPOSIT_GRADE_MIN && value <= CLUB_DEPOSIT_GRADE_MAX)
        Transfer(m_gradeSlot, 0, uint16_t(value));
}

// ---- Money ----

void CClubDepositWin::OpenMoneyInput(uint32_t mode) {
    CNumberInputWindow* input = GetMoneyInput();
    if (!input) return;
    uint32_t maximum = 0;
    if (mode == CLUB_DEPOSIT_MONEY_IN) {
        CCharData* data = PlayerData();
        maximum = data ? data->m_values[VALUE_MONEY] : 0;
    } else {
        maximum = m_clubMoney;
    }
    if (maximum < 1) return;
    input->SetRange(maximum, 1);
    input->Show();
    input->SetActive(true, false);
    input->SetNumber(1, true);
    CentreOnScreen(input);
    input->SetNotify(1, GetPort(), mode);
}

// ---- Messages and input ----

bool CClubDepositWin::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        CMsgData* payload = msg->m_pPayload.get();
        switch (msg->m_eventId) {
            case NUMBER_INPUT_OUTCOME: {
                auto* mode = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
                CNumberInputWindow* input = GetMoneyInput();
                if (!mode || !input || msg->m_extra != 1) break;
                if (mode->m_value == CLUB_DEPOSIT_MONEY_IN)
                    GameSession().SendClubDepositGoldIn(m_npcId, 1, OwnClub(), input->GetValue());
                else if (mode->m_value == CLUB_DEPOSIT_MONEY_OUT)
                    GameSession().SendClubDepositGoldOut(m_npcId, 1, OwnClub(), input->GetValue());
                input->SetNotify(0, nullptr, 0);
                input->Hide();
                break;
            }
            case MSG_CLUB_DEPOSIT_CLEAR:
                ClearItems();
                break;
            case MSG_CLUB_DEPOSIT_MODE:
                if (auto* v = dynamic_cast<CWindowValueMsg*>(payload)) SetStorageKind(int32_t(v->m_value));
                break;
            case MSG_CLUB_DEPOSIT_VALUE:
                if (auto* v = dynamic_cast<CWindowValueMsg*>(payload)) SetClubMoney(v->m_value);
                break;
            case MSG_CLUB_DEPOSIT_ITEM:
            case MSG_CLUB_DEPOSIT_ITEM_OPTIONS:
                if (auto* item = dynamic_cast<CClubDepositItemMsg*>(payload)) {
                    if (msg->m_eventId == MSG_CLUB_DEPOSIT_ITEM_OPTIONS)
                        AddItemWithOptions(item->m_slot, item->m_itemId, item->m_options, item->m_name,
                                           item->m_expiry, item->m_record, item->m_depositor,
                                           item->m_gradeLimit, item->m_a, item->m_b);
                    else
                        AddItem(item->m_slot, item->m_itemId, item->m_count, item->m_name, item->m_expiry,
                                item->m_record, item->m_depositor, item->m_gradeLimit, item->m_a, item->m_b);
                }
                break;
            case MSG_CLUB_DEPOSIT_REMOVE:
                if (auto* r = dynamic_cast<CClubDepositRemoveMsg*>(payload))
                    RemoveItem(r->m_slot, r->m_amount);
                break;
            case MSG_CLUB_DEPOSIT_LOG:
                if (auto* log = dynamic_cast<CDatedLinesMsg*>(payload)) FormatDepositLogLine(log->m_lines);
                break;
            default:
                break;
        }
    }
    return true;
}

int32_t CClubDepositWin::EntryAt(int32_t x, int32_t y) const {
    const int32_t lx = x - m_x, ly = y - m_y;
    if (!In(kListArea, lx, ly)) return -1;
    const int32_t row = (ly - kListArea.top) / kRowHeight;
    const int32_t index = FirstRow() + row;
    return row < CLUB_DEPOSIT_ROWS && index < int32_t(m_entries.size()) ? index : -1;
}

bool CClubDepositWin::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (m_menuOpen) {
        const int32_t index = [&] {
            for (int32_t i = 0; i < int32_t(m_entries.size()); ++i)
                if (m_entries[size_t(i)]->icon &&
                    uint32_t(m_entries[size_t(i)]->icon->GetSlotIndex()) == m_menuSlot)
                    return i;
            return -1;
        }();
        const int32_t r = (index - FirstRow()) * kRowHeight;
        const int32_t lx = x - m_x - kMenuX, ly = y - m_y - (r + kMenuY + 1);
        m_menuChoice = -1;
        if (index >= 0 && lx >= 0 && lx < kMenuWidth && ly >= 0 && ly < kMenuStep * CLUB_DEPOSIT_MENU_ENTRIES)
            m_menuChoice = ly / kMenuStep;
    }
    return CBaseWindow::OnMouseMove(button, x, y, control);
}

bool CClubDepositWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        // A click on the window itself: the drop-down's choice, or the item's description.
        if (button == 0 && m_menuOpen) ChooseMenu(m_menuChoice);
        if (button == 1 && HitTest(x, y)) {
            auto* info = m_infoBox.GetAs<CMessageBox>();
            const int32_t index = EntryAt(x, y);
            if (info && index >= 0 && m_entries[size_t(index)]->icon) {
                FillInfoBox(info, *m_entries[size_t(index)]->icon);
                info->UpdateRect();
                const WindowRect& r = info->GetRect();
                const int32_t width = r.right - r.left, height = r.bottom - r.top;
                int32_t bx = x - width;
                if (bx < 0) bx = x;
                const int32_t screenHeight = GetDisplaySettings().screenHeight;
                const int32_t by = y + height > screenHeight ? screenHeight - height : y;
                info->SetPosition(bx, by);
                info->Show();
            } else if (info) {
                info->Hide();
            }
        }
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button == 0 && m_menuOpen) {
        // The drop-down lies over the buttons of the rows below it.
        ChooseMenu(m_menuChoice);
        return false;
    }
    if (!IsClickOn(control, x, y)) return true;
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS; ++i)
        if (control == GetDropDownButton(i)) {
            if (button == 0) OpenMenu(i);
            return false;
        }
    for (int32_t i = 0; i < CLUB_DEPOSIT_SORT_MODES; ++i)
        if (control == GetSortButton(i)) {
            if (button == 0) SetSortMode(uint8_t(i));
            return false;
        }
    return DispatchDialogClick(button, x, y, control,
                               {{m_close.GetAs<CBaseWindow>(), [this] { Hide(); }},
                                {GetMoneyButton(false), [this] { OpenMoneyInput(CLUB_DEPOSIT_MONEY_IN); }},
                                {GetMoneyButton(true), [this] { OpenMoneyInput(CLUB_DEPOSIT_MONEY_OUT); }}});
}

bool CClubDepositWin::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self || !IsUpdateOn()) return true;
    PollGradeInput();
    m_hoveredSlot = -1;
    const int32_t index = EntryAt(WindowMouseX(), WindowMouseY());
    if (index >= 0 && m_entries[size_t(index)]->icon) {
        const ClubDepositEntry& entry = *m_entries[size_t(index)];
        m_hoveredSlot = entry.icon->GetSlotIndex();
        if (ICursorObject* cursor = WindowCursor()) {
            const std::string text = FormatTableText(GetTableText(kTexts, kDepositorRow), {entry.depositor});
            cursor->SetText(text.c_str(), kWhite);
        }
    }
    return true;
}

// ---- Drawing ----

void CClubDepositWin::Text(int32_t x, int32_t y, const char* text, uint32_t colour) {
    DrawCommunityText(m_x + x, m_y + y, text, colour);
}

void CClubDepositWin::CentredText(int32_t centreX, int32_t y, const char* text, uint32_t colour) {
    Text(centreX - kCharWidth / 2 * int32_t(std::strlen(text)), y, text, colour);
}

bool CClubDepositWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS; ++i)
        if (CButton* b = GetDropDownButton(i)) b->Hide();
    const int32_t first = FirstRow();
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS && first + i < int32_t(m_entries.size()); ++i)
        if (m_entries[size_t(first + i)]->own)
            if (CButton* b = GetDropDownButton(i)) b->Show();
    CBaseWindow::Draw();
    if (!self) return true;
    char text[64];
    for (int32_t i = 0; i < CLUB_DEPOSIT_ROWS && first + i < int32_t(m_entries.size()); ++i) {
        const ClubDepositEntry& entry = *m_entries[size_t(first + i)];
        CItemIcon* icon = entry.icon.get();
        if (!icon) continue;
        const int32_t r = kRowHeight * i;
        char name[64];
        TruncateWithEllipsis(icon->GetName() ? icon->GetName() : "", kNameBytes, name);
        CentredText(kNameCentre, kNameY + r, name, entry.takeable ? ItemNameColour(*icon) : kBlack);
        icon->SetPosition(m_x + kIconX, m_y + kIconY + r);
        icon->Draw();
        if (icon->HasByte41())
            std::snprintf(text, sizeof text, "%d/%d", int32_t(icon->GetCurrent()),
                          int32_t(icon->GetMaximum()));
        else
            std::snprintf(text, sizeof text, "%u", icon->GetCount());
        CentredText(kCountCentre, kValueY + r, text, kWhite);
        const char* row = GetTableText(kTexts, ClubDepositLimitRow(entry.gradeLimit));
        const std::string limit =
            entry.gradeLimit > 0 ? FormatTableText(row, {entry.gradeLimit}) : std::string(row);
        CentredText(kLimitCentre, kValueY + r, limit.c_str(), kWhite);
    }
    if (m_menuOpen) {
        int32_t index = -1;
        for (int32_t i = 0; i < int32_t(m_entries.size()); ++i)
            if (m_entries[size_t(i)]->icon &&
                uint32_t(m_entries[size_t(i)]->icon->GetSlotIndex()) == m_menuSlot)
                index = i;
        const int32_t r = (index - first) * kRowHeight;
        DrawCommunityImage(m_menuFrame.get(), m_x + kMenuX, m_y + r + kMenuY);
        if (m_menuChoice >= 0)
            DrawCommunityImage(m_menuHighlight.get(), m_x + kMenuX + 1,
                               m_y + r + kMenuY + 1 + kMenuStep * m_menuChoice);
        for (int32_t k = 0; k < CLUB_DEPOSIT_MENU_ENTRIES; ++k)
            Text(kMenuEntryX, r + kMenuEntryY + kMenuStep * k, GetTableText(kTexts, kMenuRows[k]), kWhite);
    }
    const std::string money = FormatNumberWithCommas(m_clubMoney);
    Text(kMoneyRight - kCharWidth * int32_t(money.size()), kMoneyY, money.c_str(), kWhite);
    if (!m_logText.empty() && g_pTextRenderer && g_pDirectDraw) {
        CScrollBar* bar = GetLogScrollBar();
        const int32_t top = bar ? std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, bar->GetMaximum()) : 0;
        g_pTextRenderer->DrawFormattedText(g_pDirectDraw->GetRenderSurface(), m_x + kLogX, m_y + kLogY,
                                           kLogColumns, kLogLines, m_logText.c_str(), top, kLogSpacing, 1);
    }
    return true;
}
