#include "windows/play/server_select_window.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"

namespace {

constexpr int kTextTable = 14;
constexpr int kRowLost = 270, kRowTimedOut = 271, kRowTitle = 272;
constexpr int kLoadRows[5] = {273, 274, 275, 276, 729};
// The list's area within the window.
constexpr int32_t kListLeft = 21, kListRight = 350, kListTop = 30, kListBottom = 230;
constexpr uint32_t kSelectedFill = 0xC8000000;

}  // namespace

CMultiServerWindow::CMultiServerWindow() {
    CMultiServerWindow::Create();
}

CMultiServerWindow::~CMultiServerWindow() = default;

bool CMultiServerWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image =
        CreateWithLayoutPicture(this, SERVER_SELECT_WINDOW_NAME, SERVER_SELECT_WINDOW_IMAGE);
    m_confirm.Assign(MakeChildButton("SEL_SERVER_WIN_CONFIRM", this, image, 1));
    m_cancel.Assign(MakeChildButton("SEL_SERVER_WIN_CANCEL", this, image, 2));
    m_scrollBar.Assign(MakeChildScrollBar(this, "SELSERVER_WIN_SCROLLBAR",
                                          {"SELSERVER_WIN_SCROLL_BUTTON_UP", "SELSERVER_WIN_SCROLL_BUTTON_DN",
                                           "SELSERVER_WIN_SCROLL_BUTTON_DRAG"}));
    // The parts are numbered 0 (up), 1 (down) and 2 (thumb).
    uint32_t part = 0;
    for (CButton* button :
         {GetScrollBar()->GetFirstArrow(), GetScrollBar()->GetSecondArrow(), GetScrollBar()->GetThumb()})
        if (button) button->SetKindId(part++);
    m_count = 0;
    m_selected = 0;
    m_busy = m_cancelled = m_preselected = 0;
    m_requestStart = 0;
    m_message.clear();
    m_visibleRows = SERVER_LIST_ROWS;
    m_waitingForList = 1;
    CentreWindow(this);
    return true;
}

bool CMultiServerWindow::SetPosition(int32_t x, int32_t y) {
    if (CButton* confirm = GetConfirmButton()) confirm->SetPosition(x + 99, y + 260);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + 224, y + 260);
    if (CScrollBar* bar = GetScrollBar()) bar->SetBarRect(x + 359, y + 28, x + 371, y + 230);
    return CBaseWindow::SetPosition(x, y);
}

const char* CMultiServerWindow::LoadLabel(uint8_t state) {
    return state < 5 ? GetTableText(kTextTable, kLoadRows[state]) : "";
}

int32_t CMultiServerWindow::GetFirstRow() const {
    CScrollBar* bar = GetScrollBar();
    return bar ? std::max(0, int32_t(bar->GetScrollPos())) : 0;
}

std::string CMultiServerWindow::SelectedServerName() const {
    const auto& list = GameSession().m_serverList;
    if (m_selected < 0 || size_t(m_selected) >= list.size()) return {};
    return list[size_t(m_selected)].name;
}

void CMultiServerWindow::ShowButtons(bool takeInput) {
    SetButtonsTakeInput({GetConfirmButton(), GetCancelButton()}, takeInput);
}

bool CMultiServerWindow::ConnectToServer() {
    m_count = 0;
    m_selected = 0;
    m_busy = m_cancelled = m_preselected = 0;
    m_requestStart = 0;
    m_message.clear();
    ShowButtons(true);
    ReconnectToLoginServer();
    return true;
}

void CMultiServerWindow::SelectServer() {
    if (m_count <= 0 || IsWaiting()) return;
    const auto& list = GameSession().m_serverList;
    if (m_selected < 0 || size_t(m_selected) >= list.size()) return;
    m_busy = 1;
    GameSession().PostSessionNotice(0, 0, nullptr);
    GameSession().SendWorldEntry(list[size_t(m_selected)].worldId);
    m_requestStart = StartTime();
    ShowButtons(false);
}

void CMultiServerWindow::PickRow(int32_t px, int32_t py) {
    if (!(m_x + kListLeft < px && px < m_x + kListRight && m_y + kListTop < py && py < m_y + kListBottom))
        return;
    const auto row = int32_t(double(py - (m_y + kListTop)) * 0.0625);
    const int32_t first = GetFirstRow();
    if (row >= 0 && row <= m_visibleRows - 1 && first + row < m_count) m_selected = first + row;
}

void CMultiServerWindow::EndWait() {
    m_requestStart = 0;
    m_busy = 0;
    ShowButtons(true);
}

void CMultiServerWindow::Cancel() {
    Hide();
    m_cancelled = 1;
}

void CMultiServerWindow::ScrollToSelection() {
    CScrollBar* bar = GetScrollBar();
    if (!bar) return;
    const int32_t first = GetFirstRow();
    if (m_selected < first)
        bar->SetScrollPos(float(m_selected));
    else if (m_selected >= first + SERVER_LIST_ROWS)
        bar->SetScrollPos(float(m_selected - SERVER_LIST_ROWS + 1));
}

bool CMultiServerWindow::Update() {
    CGameSession& session = GameSession();
    if (IsWaiting()) {
        // A connect to the world's server, moved to on the way in, is no loss.
        if (!session.CanQueue()) {
            m_message = GetTableText(kTextTable, kRowLost);
            EndWait();
        } else if (plat::timeGetTime() - m_requestStart <= SERVER_SELECT_WAIT_MS) {
            if (session.IsNoticePending() && session.m_noticeValue == 0) EndWait();
        } else {
            ShowOkMessageBox(GetTableText(kTextTable, kRowTimedOut));
            EndWait();
        }
    }
    if (session.CanQueue()) {
        m_count = int32_t(std::min<size_t>(session.m_serverList.size(), INT32_MAX));
        if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(std::max(0, m_count - SERVER_LIST_ROWS));
        if (m_count > 0 && !m_preselected) {
            m_preselected = 1;
            const char* last = reinterpret_cast<const char*>(g_options.m_block + OPT_TEXT_1);
            for (int32_t i = 0; i < m_count; ++i)
                if (std::strncmp(session.m_serverList[size_t(i)].name, last, 256) == 0) m_selected = i;
        }
    } else {
        m_count = 0;
    }
    if (m_selected >= m_count) m_selected = 0;
    return CBaseWindow::Update();
}

bool CMultiServerWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !g_pDirectDraw || !g_pTextRenderer) return true;
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    g_pTextRenderer->DrawString(surface, m_x + 13, m_y + 124, m_message.c_str(), 0, 0xFFFFFF, 1, true);
    g_pTextRenderer->DrawString(surface, m_x + 21, m_y + 12, GetTableText(kTextTable, kRowTitle), 0, 0xFFFFFF,
                                1, true);
    if (m_count <= 0 || IsWaitingForList()) return true;
    const auto& list = GameSession().m_serverList;
    const int32_t count = std::min<int32_t>(m_count, int32_t(list.size()));
    size_t widest = 0;
    for (int32_t i = 0; i < count; ++i) widest = std::max(widest, std::strlen(list[size_t(i)].name));
    const int32_t first = GetFirstRow();
    for (int32_t i = 0; i < SERVER_LIST_ROWS && first + i < count; ++i) {
        const CServerListEntry& entry = list[size_t(first + i)];
        std::string row = entry.name;
        row.resize(widest + 1, ' ');
        row += '(';
        row += LoadLabel(entry.state);
        row += ')';
        const bool selected = first + i == m_selected;
        if (selected && g_pDirect3D)
            g_pDirect3D->FillRect(m_x + 8, m_y + 28 + SERVER_LIST_ROW_HEIGHT * i, m_x + 350,
                                  m_y + 44 + SERVER_LIST_ROW_HEIGHT * i, kSelectedFill);
        g_pTextRenderer->DrawString(surface, m_x + kListLeft, m_y + kListTop + SERVER_LIST_ROW_HEIGHT * i,
                                    row.c_str(), 0, selected ? 0xFFFFu : 0xFFFFFFu, 2, true);
    }
    return true;
}

bool CMultiServerWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        if (IsActive() && !IsWaiting()) PickRow(x, y);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button != 0 || !IsClickOn(control, x, y)) return control->OnControlEvent(button, x, y, nullptr);
    if (control == GetConfirmButton()) {
        if (!IsWaitingForList()) SelectServer();
        return false;
    }
    if (control == GetCancelButton()) {
        Cancel();
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CMultiServerWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control && !IsWaitingForList()) {
        SelectServer();
        return false;
    }
    return CBaseWindow::OnDoubleClick(button, x, y, control);
}

bool CMultiServerWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    const bool listReady = m_count > 0 && !IsWaiting();
    switch (key) {
        case plat::VK_DOWN:
            if (!listReady) return false;
            m_selected = m_selected >= m_count - 1 ? 0 : m_selected + 1;
            ScrollToSelection();
            return false;
        case plat::VK_UP:
            if (!listReady) return false;
            m_selected = m_selected <= 0 ? m_count - 1 : m_selected - 1;
            ScrollToSelection();
            return false;
        case plat::VK_RETURN:
            if (!listReady) return false;
            if (!IsWaitingForList()) {
                if (CButton* confirm = GetConfirmButton()) confirm->Press();
                SelectServer();
            }
            return false;
        case plat::VK_ESCAPE:
            if (IsWaiting()) return false;
            if (CButton* cancel = GetCancelButton()) cancel->Press();
            Cancel();
            return false;
        default:
            return CBaseWindow::OnKeyDown(key, control);
    }
}
