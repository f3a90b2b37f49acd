#include "script/event_panel_window.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/message.h"
#include "data/char_resource_mgr.h"
#include "data/data_table.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "script/event_command.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int32_t kOpenX = 100, kOpenY = 100;
constexpr int32_t kCloseX = 402, kCloseY = 3, kStartX = 3, kStartY = 297;
constexpr int32_t kScrollX = 408, kScrollTop = 79, kScrollBottom = 291;
// The member list: two columns of seven ready slots, then a scrolled column
// of seven rows for the others.
constexpr int32_t kListTop = 78, kRowHeight = 31, kRowsShown = 7;
constexpr int32_t kLeftX = 5, kLeftColumn = 134, kLeftEnd = 273, kRightX = 276, kRightEnd = 410;
constexpr int32_t kListBottom = kListTop + kRowsShown * kRowHeight;
constexpr uint8_t kPanelMotion = 5, kMemberMotion = 1, kCloseMotion = 1, kStartMotion = 8;
// The character table's column of the member images (the face animation).
constexpr int kFaceColumn = 6;
constexpr uint8_t kOldPanelVersion = 120;
// The names by state (0x00BBGGRR): grey away, white waiting, gold ready.
constexpr uint32_t kNameColours[3] = {0x808080, 0xFFFFFF, 0x60E0FF};

void DrawImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

void DrawName(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_pTextRenderer && g_pDirectDraw && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, 0, colour, 2, true);
}

CChar* Player() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

const char* NameOf(CChar* c) {
    const char* name = c ? c->GetInfo(nullptr) : nullptr;
    return name ? name : "";
}

}  // namespace

CEventPanelWindow::CEventPanelWindow() {
    CEventPanelWindow::Create();
}

CEventPanelWindow::~CEventPanelWindow() {
    CEventPanelWindow::Release();
}

bool CEventPanelWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(EVENT_PANEL_ANIMATION);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, EVENT_PANEL_WINDOW_NAME, image, image == 0);
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
    }
    SetKindId(0);
    m_draggable = 1;
    const uint32_t icons = FindAniByName("CommonIcons");
    m_close.Assign(MakeChildButton("EVENTPANEL_WIN_CLOSE_BUTTON", this, icons, kCloseMotion));
    m_start.Assign(MakeChildButton("EVENTPANEL_WIN_START_BUTTON", this, icons, kStartMotion));
    m_scroll.Assign(MakeChildScrollBar(this, "EVENTPANEL_WIN_SCROLLBAR",
                                       {"EVENTPANEL_WIN_SCROLL_BUTTON_UP", "EVENTPANEL_WIN_SCROLL_BUTTON_DN",
                                        "EVENTPANEL_WIN_SCROLL_BUTTON_DRAG"}));
    m_panel = MakeWindowImage(image, kPanelMotion, 2);
    const CDataTable* players = g_pCharResourceMgr ? g_pCharResourceMgr->GetTable(CHAR_KIND_PLAYER) : nullptr;
    for (int type = 0; type < EVENT_PANEL_TYPES; ++type) {
        const int32_t row =
            g_pCharResourceMgr ? g_pCharResourceMgr->FindRow(EVENT_PLAYER_BASE + type, CHAR_KIND_PLAYER) : -1;
        const bool has = players && row >= 0 && row < players->GetRowCount();
        m_members[type] = MakeWindowImage(has ? players->GetInt(kFaceColumn, row) : 0, kMemberMotion, 2);
    }
    ClearPanel();
    CBaseWindow::Hide();
    CEventPanelWindow::SetPosition(kOpenX, kOpenY);
    return true;
}

bool CEventPanelWindow::Release() {
    m_panel.reset();
    for (auto& image : m_members) image.reset();
    return CBaseWindow::Release();
}

void CEventPanelWindow::ClearPanel() {
    for (MemberRow& row : m_rows) row = MemberRow{};
    m_memberCount = 0;
    m_valueCount = 0;
    std::fill(std::begin(m_values), std::end(m_values), 0u);
    m_selected[0] = m_selected[1] = -1;
    if (CScrollBar* bar = GetScrollBar()) {
        bar->SetMaximum(0);
        bar->SetScrollPos(0);
    }
}

CButton* CEventPanelWindow::GetCloseButton() const {
    return m_close.GetAs<CButton>();
}

CButton* CEventPanelWindow::GetStartButton() const {
    return m_start.GetAs<CButton>();
}

CScrollBar* CEventPanelWindow::GetScrollBar() const {
    return m_scroll.GetAs<CScrollBar>();
}

bool CEventPanelWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* b = GetCloseButton()) b->SetPosition(x + kCloseX, y + kCloseY);
    if (CButton* b = GetStartButton()) b->SetPosition(x + kStartX, y + kStartY);
    if (CScrollBar* bar = GetScrollBar())
        bar->SetBarRect(x + kScrollX, y + kScrollTop, x + kScrollX + 11, y + kScrollBottom);
    return true;
}

bool CEventPanelWindow::OpenPanel(uint32_t eventId, uint8_t readyCount, const uint32_t* readyIds,
                                  uint8_t valueCount, const uint8_t* values) {
    CChar* player = Player();
    CCharData* data = player ? player->GetData() : nullptr;
    if (!data) return false;
    OpenForTeam(data->Party(), NameOf(player), eventId, readyCount, readyIds, valueCount, values);
    return true;
}

void CEventPanelWindow::OpenForTeam(const CTeam& team, const char* own, uint32_t eventId, uint8_t readyCount,
                                    const uint32_t* readyIds, uint8_t valueCount, const uint8_t* values) {
    m_eventId = eventId;
    ClearPanel();
    for (const CTeamMember& member : team.Members()) {
        if (m_memberCount >= uint32_t(EVENT_PANEL_ROWS)) break;
        MemberRow& row = m_rows[m_memberCount++];
        row.state = member.m_state != 3 ? EVENT_MEMBER_WAITING : EVENT_MEMBER_OFFLINE;
        CopyRecordText(row.name, member.m_name);
        if (CChar* c = g_pCharMgr ? g_pCharMgr->FindCharByName(row.name) : nullptr) {
            row.charId = c->GetCharId();
            row.type = uint32_t(GetCharTypeIndex(c->m_resourceId));
        }
    }
    for (uint8_t i = 0; readyIds && i < readyCount; ++i)
        for (uint32_t r = 0; r < m_memberCount; ++r)
            if (m_rows[r].charId == readyIds[i] || std::strcmp(m_rows[r].name, own) == 0)
                m_rows[r].state = EVENT_MEMBER_READY;
    m_leader = !team.Members().empty() && std::strcmp(team.Members().front().m_name, own) == 0 ? 1 : 0;
    if (CLIENT_VERSION < kOldPanelVersion && (readyCount == 2 || (readyCount == 1 && !m_leader)))
        for (uint32_t r = 0; r < m_memberCount; ++r) m_rows[r].state = EVENT_MEMBER_READY;
    m_valueCount = std::min<uint32_t>(valueCount, EVENT_PANEL_VALUES);
    for (uint32_t i = 0; values && i < m_valueCount; ++i) m_values[i] = values[i];
    if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(std::max(0, NthRow(false, -1) - kRowsShown));
    Show();
    ShowStartButton();
    SetActive(true, false);
    SetPosition(kOpenX, kOpenY);
}

bool CEventPanelWindow::ClosePanel() {
    ClearPanel();
    Hide();
    SetActive(false, false);
    return true;
}

bool CEventPanelWindow::SetMemberAnswer(uint32_t charId, uint8_t answer) {
    CChar* c = g_pCharMgr ? g_pCharMgr->FindChar(nullptr, charId) : nullptr;
    if (!c) return false;
    const char* name = NameOf(c);
    for (uint32_t r = 0; r < m_memberCount; ++r) {
        MemberRow& row = m_rows[r];
        if (std::strcmp(row.name, name) == 0) {
            row.charId = charId;
            row.type = uint32_t(GetCharTypeIndex(c->m_resourceId));
        }
        if (row.charId == charId) row.state = answer == 0 ? EVENT_MEMBER_WAITING : EVENT_MEMBER_READY;
    }
    return true;
}

void CEventPanelWindow::SetHighlight(uint8_t flag) {
    if (flag <= 1) m_highlight = flag;
    ShowStartButton();
}

void CEventPanelWindow::ShowStartButton() {
    if (CButton* start = GetStartButton()) {
        if (m_leader && m_highlight)
            start->Show();
        else
            start->Hide();
    }
}

int32_t CEventPanelWindow::NthRow(bool ready, int32_t n) const {
    int32_t seen = 0;
    for (uint32_t r = 0; r < m_memberCount; ++r) {
        if ((m_rows[r].state == EVENT_MEMBER_READY) != ready) continue;
        if (seen == n) return int32_t(r);
        ++seen;
    }
    // Asked for no row (n = -1): how many there are.
    return n < 0 ? seen : -1;
}

int32_t CEventPanelWindow::ScrollTop() const {
    const CScrollBar* bar = GetScrollBar();
    return bar ? std::max(0, int32_t(const_cast<CScrollBar*>(bar)->GetScrollPos() + 0.5f)) : 0;
}

int32_t CEventPanelWindow::RowAt(int32_t x, int32_t y) const {
    const int32_t lx = x - m_x, ly = y - m_y;
    if (ly < kListTop || ly >= kListBottom) return -1;
    const int32_t line = (ly - kListTop) / kRowHeight;
    if (lx >= kLeftX && lx < kLeftEnd) return NthRow(true, (lx - kLeftX) / kLeftColumn * kRowsShown + line);
    if (lx >= kRightX && lx < kRightEnd) return NthRow(false, ScrollTop() + line);
    return -1;
}

void CEventPanelWindow::DrawMember(const MemberRow& row, int32_t x, int32_t y) {
    if (row.type < uint32_t(EVENT_PANEL_TYPES)) DrawImage(m_members[row.type].get(), x + 2, y + 2);
    DrawName(x + 32, y + 9, row.name, kNameColours[std::min<uint32_t>(row.state, 2)]);
}

bool CEventPanelWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    ShowStartButton();
    CBaseWindow::Draw();
    if (!self) return true;
    DrawImage(m_panel.get(), m_x + kLeftX, m_y + kListTop);
    for (int32_t slot = 0; slot < 2 * kRowsShown; ++slot) {
        const int32_t r = NthRow(true, slot);
        if (r < 0) break;
        DrawMember(m_rows[r], m_x + kLeftX + slot / kRowsShown * kLeftColumn,
                   m_y + kListTop + slot % kRowsShown * kRowHeight);
    }
    const int32_t top = ScrollTop();
    for (int32_t line = 0; line < kRowsShown; ++line) {
        const int32_t r = NthRow(false, top + line);
        if (r < 0) break;
        DrawMember(m_rows[r], m_x + kRightX, m_y + kListTop + line * kRowHeight);
    }
    return true;
}

bool CEventPanelWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control && button == 0) {
        m_selected[0] = RowAt(x, y);
        m_selected[1] = m_selected[0] >= 0 && m_rows[m_selected[0]].state == EVENT_MEMBER_READY ? 0 : 1;
    }
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool CEventPanelWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && button == 0 && IsClickOn(control, x, y)) {
        if (control == GetCloseButton()) {
            ClosePanel();
            GameSession().SendEventPanelDecline();
            return false;
        }
        if (control == GetStartButton()) {
            if (m_leader) {
                PlayEventEffect(77);
                GameSession().SendEventPanelAccept();
            }
            return false;
        }
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}
