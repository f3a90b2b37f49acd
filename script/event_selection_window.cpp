#include "script/event_selection_window.h"

#include <algorithm>
#include <cstdio>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "script/event_command.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace {

constexpr int32_t kIndent = 22;

}  // namespace

CEventSelectionWindow::CEventSelectionWindow() {
    CEventSelectionWindow::Create();
}

CEventSelectionWindow::~CEventSelectionWindow() {
    CEventSelectionWindow::Release();
}

bool CEventSelectionWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(EVENT_SELECTION_ANIMATION);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, EVENT_SELECTION_WINDOW_NAME, image, image == 0);
    m_noImageDraw = 1;
    m_keepDuringEvents = 1;
    SetKindId(0);
    m_frame.reset();
    m_marker.reset();
    if (image != 0) {
        auto frame = std::make_unique<CAniObject>();
        if (frame->SetAnimation(image)) {
            frame->SetMotion(0);
            frame->SetDirection(2);
            m_frame = std::move(frame);
        }
        auto marker = std::make_unique<CAniObject>();
        if (marker->SetAnimation(image)) {
            marker->SetMotion(2);
            marker->SetDirection(2);
            m_marker = std::move(marker);
        }
    }
    ResetRows();
    m_pEvent = nullptr;
    m_chosen = -1;
    m_closeDelay = 0;
    CBaseWindow::Hide();
    return true;
}

bool CEventSelectionWindow::Release() {
    ResetRows();
    m_frame.reset();
    m_marker.reset();
    return CBaseWindow::Release();
}

void CEventSelectionWindow::ResetRows() {
    for (Row& row : m_rows) row = Row{};
    m_answerCount = 0;
    m_chosen = -1;
    m_chosenValue = 0;
}

bool CEventSelectionWindow::UpdateRect() {
    const CDisplaySettings& screen = GetDisplaySettings();
    m_rect = {0, 0, screen.screenWidth - 1, screen.screenHeight - 1};
    return true;
}

bool CEventSelectionWindow::BeginSelection(uint8_t titleMode, const char* title, uint32_t mask, uint8_t flag,
                                           CEventScript* event, int32_t ownType) {
    m_pEvent = event;
    m_closeDelay = 0;
    ResetRows();
    m_mask = mask;
    m_flag = flag;
    m_teamMode = 0;
    for (int n = 0; n < 14; ++n)
        if ((mask >> n & 1u) && n != ownType) m_teamMode = 1;
    std::fill(std::begin(m_votes), std::end(m_votes), -1);
    m_titleMode = titleMode;
    m_rows[0].text = title ? title : "";
    m_rows[0].state = 1;
    m_rows[0].counter = EVENT_APPEAR_FRAMES;
    LayoutRows();
    m_showFlags |= 6;
    return true;
}

bool CEventSelectionWindow::AddAnswer(const char* text) {
    if (m_answerCount + 1 >= EVENT_SELECTION_ROWS) return false;  // answers past 19 are ignored
    Row& row = m_rows[++m_answerCount];
    row.text = text ? text : "";
    row.state = 0;
    row.counter = 0;
    row.value = 0;
    if (m_answerCount > 1) PlayEventEffect(11);
    LayoutRows();
    return true;
}

bool CEventSelectionWindow::SetConditionalAnswer(int32_t n, const char* text) {
    if (n < 0 || uint32_t(n) + 1 > m_answerCount) return false;
    Row& row = m_rows[n + 1];
    row.text = text ? text : "";
    ++row.value;
    row.state = 3;
    PlayEventEffect(79);
    return true;
}

bool CEventSelectionWindow::OpenSelection() {
    Show();
    SetActive(true, false);
    SetInputOn(true);
    m_openTime = plat::timeGetTime();
    return true;
}

bool CEventSelectionWindow::CloseSelection() {
    if (m_closeDelay != 0) return false;
    ResetRows();
    Hide();
    SetActive(false, false);
    return true;
}

int32_t CEventSelectionWindow::GetResult(uint32_t* value) {
    if (m_chosen < 1) return -1;
    if (value) *value = m_chosenValue;
    PlayEventEffect(109);
    return m_chosen - 1;
}

void CEventSelectionWindow::SetVotes(const int32_t votes[14]) {
    std::copy(votes, votes + 14, m_votes);
}

void CEventSelectionWindow::FinishVote() {
    m_closeDelay = m_teamMode ? std::max(1u, plat::timeGetTime()) : 0;
}

std::string CEventSelectionWindow::VoteCountText() const {
    int voted = 0, members = 0;
    for (int n = 0; n < 14; ++n) {
        if (!(m_mask >> n & 1u)) continue;
        ++members;
        if (m_votes[n] != -1 && m_votes[n] != -2) ++voted;
    }
    char text[32];
    std::snprintf(text, sizeof text, "(%d/%d)", voted, members);
    return text;
}

void CEventSelectionWindow::LayoutRows() {
    const CDisplaySettings& screen = GetDisplaySettings();
    const int32_t n = std::max<int32_t>(int32_t(m_answerCount), 1);
    const int32_t block = (n + 1) * EVENT_ROW_STEP;
    const int32_t top = (screen.screenHeight - block) / 2;
    const int32_t left = (screen.screenWidth - EVENT_ROW_WIDTH) / 2;
    for (int i = 0; i <= int32_t(m_answerCount) && i < EVENT_SELECTION_ROWS; ++i) {
        m_rows[i].x = m_rows[i].state == 1 ? left : left + kIndent;
        m_rows[i].y = top + i * EVENT_ROW_STEP;
    }
}

int32_t CEventSelectionWindow::RowAt(int32_t x, int32_t y) const {
    for (int i = 1; i < EVENT_SELECTION_ROWS; ++i) {
        const Row& row = m_rows[i];
        if (row.state != 1) continue;
        const int32_t right = row.x + EVENT_ROW_WIDTH - kIndent;
        if (x >= row.x - kIndent && x <= right + kIndent && y >= row.y && y <= row.y + EVENT_ROW_HEIGHT)
            return i;
    }
    return -1;
}

bool CEventSelectionWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return CBaseWindow::OnControlEvent(button, x, y, control);
    const int32_t row = RowAt(WindowMouseX(), WindowMouseY());
    if (row < 0) return false;
    m_chosen = row;
    m_chosenValue = m_rows[row].value;
    SetInputOn(false);  // no second choice
    PlayEventEffect(115);
    return false;
}

bool CEventSelectionWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    const int32_t mx = WindowMouseX(), my = WindowMouseY();
    const int32_t hovered = RowAt(mx, my);
    for (int i = 1; i < EVENT_SELECTION_ROWS; ++i) m_rows[i].hover = i == hovered;
    if (m_closeDelay != 0 && plat::timeGetTime() - m_closeDelay >= 1000) {
        m_closeDelay = 0;
        ResetRows();
        Hide();
        SetActive(false, false);
    }
    return true;
}

void CEventSelectionWindow::DrawRow(int index) {
    Row& row = m_rows[index];
    if (row.state == -1) return;
    if (row.state == 0 && ++row.counter >= EVENT_APPEAR_FRAMES) {
        row.state = 1;
        LayoutRows();
    } else if (row.state == 3 && row.counter > 0 && --row.counter == 0) {
        row.state = 0;
    }
    const int32_t width = row.state == 1 ? EVENT_ROW_WIDTH : int32_t(row.counter) * 12 + 2 * kIndent;
    const int32_t x = row.state == 1 ? row.x : row.x - kIndent;
    if (m_frame) {
        m_frame->SetDirection(index == 0 ? 0 : row.hover ? 10 : 2);
        m_frame->SetScreenPosition(x, row.y, 0);
        m_frame->Draw();
    } else if (g_pDirect3D) {
        g_pDirect3D->FillRect(x, row.y, x + width, row.y + EVENT_ROW_HEIGHT,
                              row.hover ? 0x80FFFFFF : 0x80000000);
    }
    if (row.state != 1 || !g_pTextRenderer || !g_pDirectDraw) return;
    const uint32_t colour = index == 0 ? 0xFFFF80 : row.hover ? 0x80FFFF : 0xFFFFFF;
    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x + 16, row.y + 5, row.text.c_str(), 0,
                                colour, 2, true);
}

bool CEventSelectionWindow::Draw() {
    if (!IsDrawOn()) return true;
    for (int i = 0; i < EVENT_SELECTION_ROWS; ++i) DrawRow(i);
    if (m_marker && m_answerCount > 0) {
        const Row& last = m_rows[m_answerCount];
        m_marker->SetScreenPosition(GetDisplaySettings().screenWidth / 2, last.y + 30, 0);
        m_marker->Draw();
    }
    if (m_teamMode && g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_rows[0].x + EVENT_ROW_WIDTH + 8,
                                    m_rows[0].y + 25, VoteCountText().c_str(), 0, 0xFFFFFF, 8, true);
    return true;
}
