#include "windows/community/club_mark_window.h"

#include <algorithm>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_rules.h"
#include "windows/community/community_images.h"

namespace {

constexpr char kImage[] = "Club_MarkWindow";
constexpr int32_t kStartX = 100, kStartY = 100;
constexpr int32_t kWidth = 190, kHeight = 230;
constexpr uint8_t kDirections[5] = {2, 0, 14, 12, 10};
constexpr int32_t kCellStep = 31, kCellX = 10, kCellY = 32, kFrameX = 8, kFrameY = 30;
constexpr int32_t kConfirmX = 40, kConfirmY = 196, kCancelX = 104, kCancelY = 196, kCloseX = 168, kCloseY = 4;
constexpr int32_t kScrollX = 168, kScrollTop = 30, kScrollBottom = 186;
constexpr uint8_t kOkMotion = 0, kCancelMotion = 1, kCloseMotion = 1;

}  // namespace

CClubMarkWindow::CClubMarkWindow() {
    CClubMarkWindow::Create();
}

CClubMarkWindow::~CClubMarkWindow() {
    CClubMarkWindow::Release();
}

bool CClubMarkWindow::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_MARK_WINDOW_NAME, kImage, 0);
    SetKindId(0);
    m_draggable = 1;
    const uint32_t buttons = FindAniByName("ClubInter_BUTTONS");
    m_close.Assign(
        MakeChildButton("CLUB_MARK_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), kCloseMotion));
    m_confirm.Assign(MakeChildButton("CLUB_MARK_CONFIRM_BUTTON", this, buttons, kOkMotion));
    m_cancel.Assign(MakeChildButton("CLUB_MARK_CANCEL_BUTTON", this, buttons, kCancelMotion));
    CScrollBar* bar = MakeChildScrollBar(
        this, "CLUB_MARK_SCROLLBAR",
        {"CLUB_MARK_SCROLL_BUTTON_UP", "CLUB_MARK_SCROLL_BUTTON_DN", "CLUB_MARK_SCROLL_BUTTON_DRAG"});
    m_scroll.Assign(bar);
    m_frame = MakeCommunityImage(kImage, 1, 2);
    m_sheets = CountClubMarkSheets();
    if (bar) bar->SetMaximum(int32_t(m_sheets) - 1);
    m_hovered = -1;
    m_chosen = 0;
    m_page = -1;
    SetPage(0);
    CBaseWindow::Hide();
    CClubMarkWindow::SetPosition(kStartX, kStartY);
    return true;
}

bool CClubMarkWindow::Release() {
    for (auto& cell : m_cells) cell.reset();
    m_frame.reset();
    return CBaseWindow::Release();
}

bool CClubMarkWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kWidth - 1, m_y + kHeight - 1};
    return true;
}

bool CClubMarkWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* b = GetConfirmButton()) b->SetPosition(x + kConfirmX, y + kConfirmY);
    if (CButton* b = GetCancelButton()) b->SetPosition(x + kCancelX, y + kCancelY);
    if (CButton* b = GetCloseButton()) b->SetPosition(x + kCloseX, y + kCloseY);
    if (CScrollBar* bar = GetScrollBar())
        bar->SetBarRect(x + kScrollX, y + kScrollTop, x + kScrollX + 11, y + kScrollBottom);
    return true;
}

CScrollBar* CClubMarkWindow::GetScrollBar() const {
    return m_scroll.GetAs<CScrollBar>();
}

void CClubMarkWindow::SetCurrentMark(uint32_t emblem) {
    m_chosen = emblem;
}

void CClubMarkWindow::SetPage(int32_t page) {
    if (page == m_page) return;
    m_page = page;
    m_cellCount = 0;
    for (auto& cell : m_cells) cell.reset();
    if (m_page < 0 || uint32_t(m_page) >= m_sheets) return;
    const std::string sheet = ClubMarkSheetName(uint32_t(m_page) + 1);
    // The cells that have a picture come first on a sheet.
    for (int32_t k = 0; k < CLUB_MARK_PAGE_CELLS; ++k) {
        const uint8_t motion = uint8_t(k / 5), direction = kDirections[k % 5];
        std::unique_ptr<CAniObject> cell = MakeCommunityImage(sheet.c_str(), motion, direction);
        if (!CommunityImageHas(cell.get(), motion, direction)) break;
        m_cells[k] = std::move(cell);
        ++m_cellCount;
    }
}

void CClubMarkWindow::FindHovered(int32_t x, int32_t y) {
    const int32_t cell = ClubMarkCellAt(x - m_x, y - m_y);
    m_hovered = cell >= 0 && cell < m_cellCount ? cell : -1;
}

bool CClubMarkWindow::Update() {
    if (!CBaseWindow::Update()) return false;
    if (!IsDrawOn()) return true;
    FindHovered(WindowMouseX(), WindowMouseY());
    if (CScrollBar* bar = GetScrollBar()) SetPage(std::max(0, int32_t(bar->GetScrollPos() + 0.5f)));
    return true;
}

bool CClubMarkWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    for (int32_t k = 0; k < m_cellCount; ++k)
        DrawCommunityImage(m_cells[k].get(), m_x + kCellX + kCellStep * (k % 5),
                           m_y + kCellY + kCellStep * (k / 5));
    if (m_chosen != 0) {
        const int32_t onPage = int32_t(m_chosen) - 1 - m_page * CLUB_MARK_PAGE_CELLS;
        const int32_t row = onPage / 5;
        if (onPage >= 0 && row <= 4)
            DrawCommunityImage(m_frame.get(), m_x + kFrameX + kCellStep * int32_t((m_chosen - 1) % 5),
                               m_y + kFrameY + kCellStep * row);
    }
    return true;
}

void CClubMarkWindow::Close() {
    Hide();
    SetActive(false, false);
}

void CClubMarkWindow::Confirm() {
    if (m_chosen != 0)
        if (CClubBaseWindow* club = FindClubBaseWindow()) club->SendClubMark(club->GetClubMarkName(m_chosen));
    Close();
}

bool CClubMarkWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        const int32_t lx = x - m_x, ly = y - m_y;
        if (button == 0 && lx >= 9 && lx < 163 && ly >= 31 && ly < 186) {
            FindHovered(x, y);
            m_chosen = m_hovered >= 0 ? uint32_t(m_page * CLUB_MARK_PAGE_CELLS + m_hovered + 1) : 0;
            return false;
        }
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    return DispatchDialogClick(button, x, y, control,
                               {{GetConfirmButton(), [this] { Confirm(); }},
                                {GetCancelButton(), [this] { Close(); }},
                                {GetCloseButton(), [this] { Close(); }}});
}

bool CClubMarkWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control || button == 1) return CBaseWindow::OnDoubleClick(button, x, y, control);
    FindHovered(x, y);
    if (m_hovered < 0) return CBaseWindow::OnDoubleClick(button, x, y, control);
    m_chosen = uint32_t(m_page * CLUB_MARK_PAGE_CELLS + m_hovered + 1);
    Confirm();
    return false;
}
