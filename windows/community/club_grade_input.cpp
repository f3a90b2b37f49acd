#include "windows/community/club_grade_input.h"

#include <cstdlib>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "data/text_tables.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/window_mgr.h"
#include "windows/community/community_images.h"

namespace {

constexpr char kImage[] = "Club_Grade_Input_Win";
constexpr int kTexts = 14, kTitleRow = 448;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kWidth = 274, kHeight = 80;
constexpr WindowRect kField{5, 34, 269, 51};
constexpr int32_t kTextX = 5, kTextY = 37, kBackdropX = 4, kBackdropY = 34;
constexpr int32_t kOkX = 176, kCancelX = 221, kButtonY = 56, kTitleCentre = 128, kTitleY = 8;
constexpr uint8_t kOkFrame = 8, kCancelFrame = 9;
constexpr uint32_t kMaxDigits = 3;

}  // namespace

CClubGradeInputWin::CClubGradeInputWin() {
    CClubGradeInputWin::Create();
}

CClubGradeInputWin::~CClubGradeInputWin() {
    CClubGradeInputWin::Release();
}

bool CClubGradeInputWin::Create() {
    CBaseWindow::Create();
    m_value = -1;
    m_result = 0;
    MakeCommunityWindowPicture(this, CLUB_GRADE_INPUT_WINDOW_NAME, kImage, 0);
    SetKindId(0);
    m_draggable = 1;
    m_backdrop = MakeCommunityImage(kImage, 1, 2);
    if (auto* box = static_cast<CEditBox*>(MakeWindowControl("", CONTROL_EDIT_BOX))) {
        box->SetNumeric(true);
        box->SetMaxLength(kMaxDigits);
        box->SetTextColor(kWhite);
        box->m_forwardToParent = 1;
        AddChild(box);
        box->SetActive(false, true);
        box->Hide();
        m_edit.Assign(box);
    }
    const uint32_t icons = FindAniByName("CommonIcons");
    m_ok.Assign(MakeChildButton("CLUB_GRADE_INPUT_WIN_OK_BTN", this, icons, kOkFrame));
    m_cancel.Assign(MakeChildButton("CLUB_GRADE_INPUT_WIN_CANCEL_BTN", this, icons, kCancelFrame));
    CBaseWindow::Hide();
    CClubGradeInputWin::SetPosition(0, 0);
    return true;
}

bool CClubGradeInputWin::Release() {
    m_backdrop.reset();
    return CBaseWindow::Release();
}

CEditBox* CClubGradeInputWin::GetEditBox() const {
    return m_edit.GetAs<CEditBox>();
}

bool CClubGradeInputWin::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kWidth - 1, m_y + kHeight - 1};
    return true;
}

bool CClubGradeInputWin::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CEditBox* box = GetEditBox()) {
        box->SetPosition(x + kTextX, y + kTextY);
        box->SetInputRect(true, x + kField.left, y + kField.top, x + kField.right, y + kField.bottom);
    }
    if (CButton* ok = GetOkButton()) ok->SetPosition(x + kOkX, y + kButtonY);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + kCancelX, y + kButtonY);
    return true;
}

bool CClubGradeInputWin::Show() {
    if (IsDrawOn()) return true;
    CBaseWindow::Show();
    if (CEditBox* box = GetEditBox()) {
        box->Show();
        box->SetActive(true, false);
    }
    return true;
}

bool CClubGradeInputWin::Hide() {
    if (!IsDrawOn()) return true;
    CBaseWindow::Hide();
    if (CEditBox* box = GetEditBox()) {
        box->SetActive(false, true);
        box->Hide();
    }
    return true;
}

void CClubGradeInputWin::Confirm() {
    CEditBox* box = GetEditBox();
    const char* text = box ? box->GetCurrentText() : nullptr;
    m_value = text ? int32_t(std::strtol(text, nullptr, 10)) : 0;
    if (m_value < 1) return;
    m_result = 1;
    Hide();
}

void CClubGradeInputWin::Cancel() {
    Hide();
    m_result = 0;
}

bool CClubGradeInputWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (control == GetEditBox()) {
        if (button == 0) {
            control->Show();
            control->SetActive(true, false);
        }
        return false;
    }
    return DispatchDialogClick(
        button, x, y, control,
        {{GetOkButton(), [this] { Confirm(); }}, {GetCancelButton(), [this] { Cancel(); }}});
}

bool CClubGradeInputWin::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsDrawOn() && key == plat::VK_RETURN) {
        Confirm();
        return false;
    }
    if (IsDrawOn() && key == plat::VK_ESCAPE) {
        Cancel();
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

bool CClubGradeInputWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CEditBox* box = GetEditBox();
    const bool boxShown = box && box->IsDrawOn();
    if (box) box->SetDrawOn(false);
    CBaseWindow::Draw();
    if (!self) return true;
    if (box) box->SetDrawOn(boxShown);
    const char* title = GetTableText(kTexts, kTitleRow);
    DrawCommunityText(m_x + kTitleCentre - 3 * int32_t(std::strlen(title)), m_y + kTitleY, title, kWhite);
    if (box && box->IsFocused()) DrawCommunityImage(m_backdrop.get(), m_x + kBackdropX, m_y + kBackdropY);
    if (box && boxShown) box->Draw();
    return true;
}
