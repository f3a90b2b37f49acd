#include "windows/play/email_edit_window.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "graphics/display_settings.h"
#include "platform/keyboard.h"
#include "windows/play/play_windows.h"

CEMailEditWindow::CEMailEditWindow() {
    CEMailEditWindow::Create();
}

CEMailEditWindow::~CEMailEditWindow() {
    CEMailEditWindow::Release();
}

bool CEMailEditWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(EMAIL_EDIT_WINDOW_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, EMAIL_EDIT_WINDOW_NAME, image, image == 0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(0);
        m_pAniObject->SetDirection(2);
    }
    m_frame = MakeWindowImage(image, 1, 2);
    const uint32_t icons = FindAniByName("CommonIcons");
    m_confirm.Assign(MakeChildButton("SSN_EDIT_WIN_CONFIRM", this, icons, 8));
    m_cancel.Assign(MakeChildButton("SSN_EDIT_WIN_CANCEL", this, icons, 9));
    m_box.Assign(MakeLoginEditBox(this, "SSN_EDIT_WIN_EDIT", EMAIL_EDIT_TEXT_LIMIT, false));
    m_text[0] = '\0';
    m_confirmed = 0;
    const CDisplaySettings& screen = GetDisplaySettings();
    SetPosition(screen.screenWidth / 2 - ImageWidth() / 2, screen.screenHeight / 2 - ImageHeight() / 2);
    return true;
}

bool CEMailEditWindow::Release() {
    m_frame.reset();
    return CBaseWindow::Release();
}

bool CEMailEditWindow::SetPosition(int32_t x, int32_t y) {
    if (m_frame) m_frame->SetScreenPosition(x + 8, y + 55, 0);
    if (CButton* confirm = GetConfirmButton()) confirm->SetPosition(x + 196, y + 82);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + 254, y + 82);
    if (CEditBox* box = GetBox()) {
        box->SetPosition(x + 14, y + 59);
        box->SetInputRect(true, x + 14, y + 59, x + 284, y + 71);
    }
    return CBaseWindow::SetPosition(x, y);
}

bool CEMailEditWindow::Hide() {
    if (CEditBox* box = GetBox()) box->SetActive(false, true);
    return CBaseWindow::Hide();
}

void CEMailEditWindow::ResetAndShow() {
    m_text[0] = '\0';
    m_confirmed = 0;
    Show();
    SetActive(true, false);
    if (CEditBox* box = GetBox()) {
        box->SetText("");
        box->SetActive(true, false);
    }
}

void CEMailEditWindow::Confirm() {
    m_confirmed = 1;
    CEditBox* box = GetBox();
    CopyRecordText(m_text, box ? box->GetCurrentText() : "");
    Hide();
}

void CEMailEditWindow::Cancel() {
    m_confirmed = 0;
    Hide();
}

bool CEMailEditWindow::Draw() {
    // The box is drawn over the frame, not under it with the other children.
    CEditBox* box = GetBox();
    const bool boxDrawn = box && box->IsDrawOn();
    if (box) box->SetDrawOn(false);
    CWeakRef self(this), boxRef(box);
    CBaseWindow::Draw();
    if (!self) return true;
    box = boxRef.GetAs<CEditBox>();
    if (box) box->SetDrawOn(boxDrawn);
    if (m_frame) {
        m_frame->SetDirection(box && box->IsFocused() ? 0 : 2);
        m_frame->Draw();
    }
    if (box && boxDrawn) box->Draw();
    return true;
}

bool CEMailEditWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button == 0 && IsClickOn(control, x, y)) {
        if (control == GetConfirmButton()) {
            Confirm();
            return false;
        }
        if (control == GetCancelButton()) {
            Cancel();
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CEMailEditWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsActive() && IsDrawOn()) {
        if (key == plat::VK_ESCAPE) {
            if (CButton* cancel = GetCancelButton()) cancel->Press();
            Cancel();
            return false;
        }
    }
    return CBaseWindow::OnKeyDown(key, control);
}
