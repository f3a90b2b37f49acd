#include "windows/community/fight_club_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/message.h"
#include "data/char_resource_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr int kTexts = 14;
constexpr int kRowClose = 2, kRowTooMany = 468, kRowLimit = 476, kRowNoLimit = 477;
constexpr int kRowOtherMap = 559, kRowOffline = 560, kRowBusy = 561;
constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0x111111;
constexpr int32_t kCharWidth = 6;
constexpr int32_t kListTop = 80, kRowHeight = 30;
constexpr int32_t kHitLeft = 16, kHitRight = 311, kHitBottom = 232;
constexpr int32_t kKeyShownBelow = 1001;
// The player resource column of a type's portrait animation.
constexpr int kPortraitColumn = 6;
// A request: opcode, NPC id, function, action, mode, member count.
constexpr size_t kRequestHead = 10, kRequestMost = 255;

constexpr char kClose[] = "FightClub_Config_CLOSE_BUTTON";
constexpr char kOk[] = "FightClub_Config_OK_BUTTON";
constexpr char kCancel[] = "FightClub_Config_CANCEL_BUTTON";
constexpr char kSort[] = "FightClub_Config_SORT_BUTTON";
constexpr char kSelectAll[] = "FightClub_Config_SELALL_BUTTON";
constexpr char kDeselectAll[] = "FightClub_Config_DESELALL_BUTTON";
constexpr char kShowAll[] = "FightClub_Config_SHOWALLMEMBER_BUTTON";
constexpr char kShowAvailable[] = "FightClub_Config_SHOWAVAILABLEMEMBER_BUTTON";

bool Is(const CBaseWindow* control, const char* name) {
    return control && std::strcmp(control->GetName(), name) == 0;
}

void DrawTextAt(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_pTextRenderer && g_pDirectDraw && text && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, 0, colour, 2, true);
}

void DrawCentred(int32_t x, int32_t y, const char* text) {
    DrawTextAt(x - int32_t(std::strlen(text)) * kCharWidth / 2, y, text, kWhite);
}

void DrawAni(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

uint32_t PortraitAni(int32_t type) {
    if (!g_pCharResourceMgr) return 0;
    const CDataTable* players = g_pCharResourceMgr->GetTable(CHAR_KIND_PLAYER);
    const int32_t row = g_pCharResourceMgr->FindRowByName(g_textBuffers[type], CHAR_KIND_PLAYER);
    return players && row >= 0 && row < players->GetRowCount() ? players->GetInt(kPortraitColumn, row) : 0;
}

// The number of the map the player is on; 0 before any map is loaded.
int32_t CurrentMapNumber() {
    return g_pMap ? g_pMap->GetMapFileNumber() : 0;
}

using Member = CFightClubConfig::Member;

// Negative when a comes first.
int Descending(int32_t a, int32_t b) {
    return a > b ? -1 : a < b ? 1 : 0;
}
int Ascending(int32_t a, int32_t b) {
    return -Descending(a, b);
}
int MasterFirst(const Member& a, const Member& b) {
    return a.IsMaster() == b.IsMaster() ? 0 : a.IsMaster() ? -1 : 1;
}

int Compare(int32_t mode, const Member& a, const Member& b) {
    const int level = Descending(a.level, b.level), master = MasterFirst(a, b);
    const int key = Ascending(a.orderKey, b.orderKey), score = Descending(a.score, b.score);
    const int type = Ascending(a.charType, b.charType);
    int keys[5];
    switch (mode) {
        case 0:
            keys[0] = level, keys[1] = master, keys[2] = key, keys[3] = score, keys[4] = type;
            break;
        case 1:
            keys[0] = score, keys[1] = master, keys[2] = key, keys[3] = level, keys[4] = type;
            break;
        case 2:
            keys[0] = type, keys[1] = master, keys[2] = key, keys[3] = level, keys[4] = score;
            break;
        default:
            keys[0] = master, keys[1] = key, keys[2] = level, keys[3] = score, keys[4] = type;
            break;
    }
    for (int k : keys)
        if (k != 0) return k;
    return 0;
}

void OpenNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, false, 0);
    box->SetKindId(FIGHT_CONFIG_BOX);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
    box->CentreOnScreen();
}

}  // namespace

bool FightClubRequestFits(const std::vector<const char*>& names) {
    size_t length = kRequestHead;
    for (const char* name : names) length += 1 + std::strlen(name);
    return length <= kRequestMost;
}

CFightClubConfig::CFightClubConfig() {
    CFightClubConfig::Create();
}

CFightClubConfig::~CFightClubConfig() {
    CFightClubConfig::Release();
}

bool CFightClubConfig::Create() {
    CBaseWindow::Create();
    CreateNamedWithAni(WINDOW_DRAG_TYPE, FIGHT_CONFIG_WINDOW_NAME, FIGHT_CONFIG_ANI, false);
    SetKindId(0);
    m_draggable = 1;
    m_npcId = 0;
    m_sortMode = 3;
    m_availableOnly = 1;
    m_limit = 4;
    m_members.clear();
    m_shown.clear();
    CButton* close = MakeChildButton(kClose, this, FIGHT_SMALL_FRAME_ANI, 2);
    if (close) close->SetToolTip(true, GetTableText(kTexts, kRowClose), WINDOW_TOOLTIP_PARAM);
    m_close.Assign(close);
    m_ok.Assign(MakeChildButton(kOk, this, FIGHT_CONFIG_ANI, 11));
    m_cancel.Assign(MakeChildButton(kCancel, this, FIGHT_CONFIG_ANI, 9));
    m_selectAll.Assign(MakeChildButton(kSelectAll, this, FIGHT_CONFIG_ANI, 16));
    m_deselectAll.Assign(MakeChildButton(kDeselectAll, this, FIGHT_CONFIG_ANI, 13));
    m_showAll.Assign(MakeChildButton(kShowAll, this, FIGHT_CONFIG_ANI, 14));
    m_showAvailable.Assign(MakeChildButton(kShowAvailable, this, FIGHT_CONFIG_ANI, 15));
    for (int i = 0; i < 8; ++i) {
        CButton* sort = MakeChildButton(kSort, this, FIGHT_CONFIG_ANI, uint8_t(1 + i));
        if (sort) sort->SetKindId(uint32_t(i));
        m_sort[i].Assign(sort);
    }
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "FightClubCVCConfigWin_SCROLLBAR",
        {"FightClubCVCConfigWin_SCROLL_BUTTON_UP", "FightClubCVCConfigWin_SCROLL_BUTTON_DN",
         "FightClubCVCConfigWin_SCROLL_BUTTON_DRAG"}));
    m_check = MakeWindowImage(FIGHT_CONFIG_ANI, 12, 2);
    for (int32_t t = 0; t < kTypes; ++t) m_icons[t] = MakeWindowImage(PortraitAni(t), 1, 14);
    ShowFilterButtons();
    ShowSortButtons();
    Resort();
    CFightClubConfig::SetPosition(0, 0);
    return true;
}

bool CFightClubConfig::Release() {
    m_check.reset();
    for (auto& icon : m_icons) icon.reset();
    m_members.clear();
    m_shown.clear();
    return CBaseWindow::Release();
}

bool CFightClubConfig::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    struct Place {
        CWeakRef* control;
        int32_t x, y;
    };
    // The two filters share a place, and so do the two buttons of a sort order.
    const Place places[] = {{&m_close, 300, 8},     {&m_selectAll, 20, 265},      {&m_deselectAll, 80, 265},
                            {&m_showAll, 140, 265}, {&m_showAvailable, 140, 265}, {&m_ok, 200, 265},
                            {&m_cancel, 260, 265},  {&m_sort[0], 220, 56},        {&m_sort[1], 220, 56},
                            {&m_sort[2], 270, 56},  {&m_sort[3], 270, 56},        {&m_sort[4], 70, 56},
                            {&m_sort[5], 70, 56},   {&m_sort[6], 40, 56},         {&m_sort[7], 40, 56}};
    for (const Place& place : places)
        if (auto* control = place.control->GetAs<CBaseWindow>())
            control->SetPosition(x + place.x, y + place.y);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetBarRect(x + 313, y + kListTop, x + 327, y + kListTop + kRowHeight * kVisibleRows);
    return true;
}

void CFightClubConfig::OpenFor(uint32_t npcId) {
    for (Member& m : m_members)
        if (!m.IsMaster()) m.selected = 0;
    m_npcId = npcId;
    SetPosition(g_config.m_screenWidth / 2 - GetWidth() / 2, g_config.m_screenHeight / 2 - GetHeight() / 2);
    Show();
}

void CFightClubConfig::UpdateMember(const char* name, int32_t grade, uint32_t charId, int32_t level,
                                    int32_t orderKey, int32_t score, uint16_t mapNumber, bool online,
                                    uint32_t stateFlags) {
    if (!name || grade == 4) return;
    auto found = std::find_if(m_members.begin(), m_members.end(),
                              [name](const Member& m) { return std::strcmp(m.name.c_str(), name) == 0; });
    if (found == m_members.end()) {
        m_members.emplace_back();
        found = std::prev(m_members.end());
        found->name = name;
    }
    Member& m = *found;
    m.grade = grade;
    m.charType = GetCharTypeIndex(charId);  // -1: not a player, no portrait
    m.level = level;
    m.orderKey = orderKey;
    m.score = score;
    m.mapNumber = mapNumber;
    m.online = online ? 1 : 0;
    m.stateFlags = stateFlags;
    m.available = int32_t(mapNumber) == CurrentMapNumber() && online && !(stateFlags & kBusyFlag) ? 1 : 0;
    if (!m.available) m.selected = 0;
    if (m.IsMaster()) m.available = m.selected = 1;
    Resort();
}

void CFightClubConfig::Resort() {
    const int32_t mode = m_sortMode;
    std::stable_sort(m_members.begin(), m_members.end(),
                     [mode](const Member& a, const Member& b) { return Compare(mode, a, b) < 0; });
    m_shown.clear();
    for (size_t i = 0; i < m_members.size(); ++i)
        if (!m_availableOnly || m_members[i].available) m_shown.push_back(i);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>()) {
        bar->SetMaximum(int32_t(m_shown.size()) - kVisibleRows);
        bar->SetScrollPos(0);
    }
}

void CFightClubConfig::SetSortMode(int32_t mode) {
    m_sortMode = std::clamp(mode, 0, 3);
    ShowSortButtons();
    Resort();
}

void CFightClubConfig::SetAvailableOnly(bool on) {
    m_availableOnly = on ? 1 : 0;
    ShowFilterButtons();
    Resort();
}

void CFightClubConfig::ShowFilterButtons() {
    // The two filters share a place: the one in force hides.
    auto* all = m_showAll.GetAs<CBaseWindow>();
    auto* available = m_showAvailable.GetAs<CBaseWindow>();
    if (all) m_availableOnly ? all->Show() : all->Hide();
    if (available) m_availableOnly ? available->Hide() : available->Show();
}

void CFightClubConfig::ShowSortButtons() {
    for (int pair = 0; pair < 4; ++pair) {
        auto* normal = m_sort[2 * pair].GetAs<CBaseWindow>();
        auto* pressed = m_sort[2 * pair + 1].GetAs<CBaseWindow>();
        const bool inForce = pair == m_sortMode;
        if (normal) inForce ? normal->Hide() : normal->Show();
        if (pressed) inForce ? pressed->Show() : pressed->Hide();
    }
}

int32_t CFightClubConfig::SelectedCount() const {
    return int32_t(
        std::count_if(m_members.begin(), m_members.end(), [](const Member& m) { return m.selected; }));
}

void CFightClubConfig::ShowLimitNotice() {
    OpenNotice(GetTableText(kTexts, kRowTooMany));
}

bool CFightClubConfig::ToggleShown(size_t shownIndex) {
    if (shownIndex >= m_shown.size()) return false;
    Member& m = m_members[m_shown[shownIndex]];
    if (m.IsMaster() || !m.available) return false;
    if (m.selected) {
        m.selected = 0;
        return true;
    }
    if (m_limit > 0 && SelectedCount() + 1 > m_limit) {
        ShowLimitNotice();
        return false;
    }
    m.selected = 1;
    return true;
}

void CFightClubConfig::SelectAll() {
    DeselectAll();
    int32_t total = 1;  // the master
    for (Member& m : m_members) {
        if (m.IsMaster() || !m.available) continue;
        if (m_limit <= 0 || total + 1 > m_limit) break;
        m.selected = 1;
        ++total;
    }
}

void CFightClubConfig::DeselectAll() {
    for (Member& m : m_members)
        if (m.available && !m.IsMaster()) m.selected = 0;
}

bool CFightClubConfig::SendRequest() {
    std::vector<const char*> names;
    for (const Member& m : m_members)
        if (m.selected) names.push_back(m.name.c_str());
    // A request is one message of at most 255 bytes: a team that does not
    // fit is refused whole rather than sent without some of its names.
    if (!FightClubRequestFits(names)) {
        ShowLimitNotice();
        return false;
    }
    Hide();
    GameSession().SendFightClubRequest(m_npcId, 1, names.data(), names.size());
    return true;
}

bool CFightClubConfig::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId == MSG_FIGHT_CONFIG_VALUE) {
            if (auto* value = dynamic_cast<CWindowValueMsg*>(msg->m_pPayload.get()))
                SetLimit(int32_t(value->m_value));
        } else if (msg->m_eventId == MSG_FIGHT_CONFIG_MEMBER) {
            if (auto* m = dynamic_cast<CFightConfigMemberMsg*>(msg->m_pPayload.get())) {
                m->m_name[sizeof m->m_name - 1] = '\0';
                UpdateMember(m->m_name, m->m_kind, m->m_a, m->m_b, m->m_c, int32_t(m->m_d), m->m_e, m->m_flag,
                             m->m_flags);
            }
        }
    }
    return true;
}

int32_t CFightClubConfig::ScrollTop() const {
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    return bar ? std::max(0, int32_t(bar->GetScrollPos())) : 0;
}

int32_t CFightClubConfig::ShownRowAt(int32_t x, int32_t y) const {
    x -= m_x, y -= m_y;
    if (x < kHitLeft || x > kHitRight || y < kListTop || y > kHitBottom) return -1;
    const int32_t row = std::min((y - kListTop) / kRowHeight, kVisibleRows - 1);
    const int32_t index = ScrollTop() + row;
    return index < int32_t(m_shown.size()) ? index : -1;
}

bool CFightClubConfig::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        const int32_t row = button == 0 ? ShownRowAt(x, y) : -1;
        if (row >= 0) ToggleShown(size_t(row));
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    if (Is(control, kClose) || Is(control, kCancel)) {
        Hide();
    } else if (Is(control, kOk)) {
        SendRequest();
    } else if (Is(control, kSelectAll)) {
        SelectAll();
    } else if (Is(control, kDeselectAll)) {
        DeselectAll();
    } else if (Is(control, kShowAll)) {
        SetAvailableOnly(false);
    } else if (Is(control, kShowAvailable)) {
        SetAvailableOnly(true);
    } else if (Is(control, kSort)) {
        // The pressed look of the order in force takes no new order.
        if (control->GetKindId() % 2 == 0) SetSortMode(int32_t(control->GetKindId() / 2));
    } else {
        return control->OnControlEvent(button, x, y, nullptr);
    }
    return false;
}

bool CFightClubConfig::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self.Get()) return true;
    if (!IsVisibleInTree() || !g_pWindowMgr) return true;
    ICursorObject* cursor = g_pWindowMgr->GetCursorObject();
    const int32_t row = ShownRowAt(WindowMouseX(), WindowMouseY());
    if (!cursor || row < 0) return true;
    const Member& m = m_members[m_shown[size_t(row)]];
    if (m.available) return true;
    int textRow = kRowBusy;
    if (!m.online)
        textRow = kRowOffline;
    else if (int32_t(m.mapNumber) != CurrentMapNumber())
        textRow = kRowOtherMap;
    cursor->SetText(GetTableText(kTexts, textRow), kWhite);
    return true;
}

bool CFightClubConfig::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    if (!CBaseWindow::Draw() || !self.Get()) return true;
    const int32_t top = ScrollTop();
    char number[16];
    for (int32_t i = 0; i < kVisibleRows; ++i) {
        const size_t index = size_t(top + i);
        if (index >= m_shown.size()) break;
        const Member& m = m_members[m_shown[index]];
        const int32_t y = m_y + kListTop + kRowHeight * i;
        if (m.available && m_check) {
            m_check->SetDirection(0);
            DrawAni(m_check.get(), m_x + 23, y + 8);
            if (m.selected) {
                m_check->SetDirection(2);
                DrawAni(m_check.get(), m_x + 26, y + 11);
            }
        }
        if (m.IsMaster()) {
            DrawTextAt(m_x + 56, y + 9, "M", kWhite);
        } else if (m.orderKey < kKeyShownBelow) {
            std::snprintf(number, sizeof number, "%d", m.orderKey);
            DrawCentred(m_x + 59, y + 9, number);
        }
        CAniObject* icon = m.charType >= 0 && m.charType < kTypes ? m_icons[m.charType].get() : nullptr;
        if (icon) {
            icon->SetDirection(m.available ? 14 : m.online ? 2 : 0);
            DrawAni(icon, m_x + 82, y + 2);
        }
        DrawTextAt(m_x + 119, y + 2, m.name.c_str(), m.available ? kWhite : kGrey);
        std::snprintf(number, sizeof number, "%d", m.level);
        DrawCentred(m_x + 240, y + 9, number);
        std::snprintf(number, sizeof number, "%d", m.score);
        DrawCentred(m_x + 289, y + 9, number);
    }
    const std::string limit = m_limit > 0 ? FormatTableText(GetTableText(kTexts, kRowLimit), {m_limit})
                                          : std::string(GetTableText(kTexts, kRowNoLimit));
    DrawCentred(m_x + 184, 249 + m_y, limit.c_str());
    return true;
}
