#include "windows/community/club_dialogs.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/community_images.h"

namespace {

constexpr char kNickImage[] = "ClubInter_POPUP";
constexpr char kAutoRankImage[] = "Club_AutoRank";
constexpr int32_t kStartX = 100, kStartY = 100;
// The nickname editor: its frame, field and buttons.
constexpr int32_t kNickWidth = 280, kNickHeight = 80;
constexpr WindowRect kNickField{4, 33, 270, 51};
constexpr int32_t kNickOkX = 150, kNickCancelX = 214, kNickButtonY = 56;
// The auto-rank window: its frame, the two options, the check box, buttons.
constexpr int32_t kRankWidth = 180, kRankHeight = 130;
constexpr int32_t kOptionX = 14, kOptionY[2] = {49, 73}, kCheckX = 15, kCheckY = 109, kMarkX = 21,
                  kMarkY = 106;
constexpr int32_t kRankOkX = 110, kRankOkY = 104, kRankCloseX = 160, kRankCloseY = 4;
constexpr uint8_t kOkMotion = 0, kCancelMotion = 1, kCloseMotion = 1;

// Inside the bounds, the bounds left out.
bool Within(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return x > left && x < right && y > top && y < bottom;
}

}  // namespace

// ---- CClubEditNickWindow ----

CClubEditNickWindow::CClubEditNickWindow() {
    CClubEditNickWindow::Create();
}

CClubEditNickWindow::~CClubEditNickWindow() {
    CClubEditNickWindow::Release();
}

bool CClubEditNickWindow::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_EDIT_NICK_WINDOW_NAME, kNickImage, 4);
    SetKindId(0);
    m_draggable = 1;
    const uint32_t buttons = FindAniByName("ClubInter_BUTTONS");
    m_ok.Assign(MakeChildButton("CLUBEDITNICK_OK_BTN", this, buttons, kOkMotion));
    m_cancel.Assign(MakeChildButton("CLUBEDITNICK_CANCEL_BTN", this, buttons, kCancelMotion));
    if (auto* box = static_cast<CEditBox*>(MakeWindowControl("CLUB_NICK_EDITBOX", CONTROL_EDIT_BOX))) {
        box->SetMaxLength(uint32_t(CLUB_NICK_LIMIT));
        box->SetTextColor(0xFFFFFF);
        AddChild(box);
        box->SetActive(false, true);
        m_edit.Assign(box);
    }
    CBaseWindow::Hide();
    CClubEditNickWindow::SetPosition(kStartX, kStartY);
    return true;
}

bool CClubEditNickWindow::Release() {
    return CBaseWindow::Release();
}

bool CClubEditNickWindow::Show() {
    CBaseWindow::Show();
    if (CEditBox* box = GetEditBox()) box->SetActive(true, false);
    return true;
}

bool CClubEditNickWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kNickWidth - 1, m_y + kNickHeight - 1};
    return true;
}

bool CClubEditNickWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* ok = GetOkButton()) ok->SetPosition(x + kNickOkX, y + kNickButtonY);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + kNickCancelX, y + kNickButtonY);
    if (CEditBox* box = GetEditBox()) {
        box->SetPosition(x + kNickField.left + 4, y + kNickField.top + 2);
        box->SetInputRect(true, x + kNickField.left, y + kNickField.top, x + kNickField.right,
                          y + kNickField.bottom);
    }
    return true;
}

void CClubEditNickWindow::Close() {
    if (CEditBox* box = GetEditBox()) box->SetActive(false, true);
    Hide();
    SetActive(false, false);
}

bool CClubEditNickWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    return DispatchDialogClick(button, x, y, control,
                               {{GetOkButton(),
                                 [this] {
                                     CEditBox* box = GetEditBox();
                                     CClubBaseWindow* club = FindClubBaseWindow();
                                     if (box && club) club->SetNickname(box->GetCurrentText());
                                     if (box) box->SetText("");
                                     Close();
                                 }},
                                {GetCancelButton(), [this] { Close(); }}});
}

// ---- CClubAutoRankWindow ----

CClubAutoRankWindow::CClubAutoRankWindow() {
    CClubAutoRankWindow::Create();
}

CClubAutoRankWindow::~CClubAutoRankWindow() {
    CClubAutoRankWindow::Release();
}

bool CClubAutoRankWindow::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_AUTO_RANK_WINDOW_NAME, kAutoRankImage, 0);
    SetKindId(0);
    m_draggable = 1;
    m_ok.Assign(
        MakeChildButton("CLUBAUTORANK_OK_BUTTON", this, FindAniByName("ClubInter_BUTTONS"), kOkMotion));
    m_close.Assign(
        MakeChildButton("CLUBAUTORANK_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), kCloseMotion));
    m_checkBox = MakeCommunityImage(kAutoRankImage, 1, 2);
    m_checkMark = MakeCommunityImage(kAutoRankImage, 1, 0);
    m_options[0] = MakeCommunityImage(kAutoRankImage, 2, 2);
    m_options[1] = MakeCommunityImage(kAutoRankImage, 2, 0);
    m_check = 0;
    m_choice = 0;
    CBaseWindow::Hide();
    CClubAutoRankWindow::SetPosition(kStartX, kStartY);
    return true;
}

bool CClubAutoRankWindow::Release() {
    m_checkBox.reset();
    m_checkMark.reset();
    for (auto& option : m_options) option.reset();
    return CBaseWindow::Release();
}

bool CClubAutoRankWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kRankWidth - 1, m_y + kRankHeight - 1};
    return true;
}

bool CClubAutoRankWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* ok = GetOkButton()) ok->SetPosition(x + kRankOkX, y + kRankOkY);
    if (CButton* close = GetCloseButton()) close->SetPosition(x + kRankCloseX, y + kRankCloseY);
    return true;
}

bool CClubAutoRankWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    for (int i = 0; i < 2; ++i)
        DrawCommunityImage(m_options[i == m_choice ? 1 : 0].get(), m_x + kOptionX, m_y + kOptionY[i]);
    DrawCommunityImage(m_checkBox.get(), m_x + kCheckX, m_y + kCheckY);
    if (m_check) DrawCommunityImage(m_checkMark.get(), m_x + kMarkX, m_y + kMarkY);
    return true;
}

void CClubAutoRankWindow::Close() {
    Hide();
    SetActive(false, false);
}

bool CClubAutoRankWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        const int32_t lx = x - m_x, ly = y - m_y;
        if (Within(lx, ly, 14, 49, 30, 65)) m_choice = 0;
        if (Within(lx, ly, 14, 73, 30, 89)) m_choice = 1;
        if (Within(lx, ly, 15, 109, 32, 126)) m_check = m_check ? 0 : 1;
        return false;
    }
    return DispatchDialogClick(button, x, y, control,
                               {{GetOkButton(),
                                 [this] {
                                     if (CClubBaseWindow* club = FindClubBaseWindow())
                                         club->SetAutoRank(m_check != 0, m_choice);
                                     Close();
                                 }},
                                {GetCloseButton(), [this] { Close(); }}});
}
