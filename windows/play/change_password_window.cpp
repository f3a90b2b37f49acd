#include "windows/play/change_password_window.h"

#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"

namespace {

constexpr int kTextTable = 14;
constexpr int kRowTitle = 336, kRowRefused = 337, kRowChanged = 338, kRowTimedOut = 339, kRowMismatch = 340,
              kRowSending = 341;
constexpr int32_t kBoxY[CChangePasswordWindow::kBoxCount] = {40, 59, 82, 101};
constexpr uint32_t kBoxLimit[CChangePasswordWindow::kBoxCount] = {16, 8, 8, 8};
constexpr uint32_t kWaitMs = 60000;

}  // namespace

CChangePasswordWindow::CChangePasswordWindow() {
    CChangePasswordWindow::Create();
}

CChangePasswordWindow::~CChangePasswordWindow() = default;

bool CChangePasswordWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image =
        CreateWithLayoutPicture(this, CHANGE_PASSWORD_WINDOW_NAME, CHANGE_PASSWORD_WINDOW_IMAGE);
    m_confirm.Assign(MakeChildButton("CHANGEPASS_WIN_CONFIRM", this, image, 1));
    m_cancel.Assign(MakeChildButton("CHANGEPASS_WIN_CANCEL", this, image, 2));
    for (int i = 0; i < kBoxCount; ++i)
        m_boxes[i].Assign(MakeLoginEditBox(this, "CHANGEPASS_WIN_EDIT", kBoxLimit[i], i != kAccount));
    m_requestStart = 0;
    m_message[0] = '\0';
    CentreWindow(this);
    return true;
}

bool CChangePasswordWindow::SetPosition(int32_t x, int32_t y) {
    if (CButton* confirm = GetConfirmButton()) confirm->SetPosition(x + 8, y + 142);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + 180, y + 142);
    for (int i = 0; i < kBoxCount; ++i)
        if (CEditBox* box = GetBox(Box(i))) {
            box->SetPosition(x + 160, y + kBoxY[i]);
            box->SetInputRect(true, x + 160, y + kBoxY[i], x + 160 + 109, y + kBoxY[i] + 12);
        }
    return CBaseWindow::SetPosition(x, y);
}

void CChangePasswordWindow::ResetAndShow() {
    SetButtonsTakeInput({GetConfirmButton(), GetCancelButton()}, true);
    for (int i = 0; i < kBoxCount; ++i)
        if (CEditBox* box = GetBox(Box(i))) box->SetText("");
    m_requestStart = 0;
    m_message[0] = '\0';
    Show();
    SetActive(true, false);
    if (CEditBox* first = GetBox(kAccount)) first->SetActive(true, false);
}

void CChangePasswordWindow::Submit() {
    if (IsWaiting()) return;
    CEditBox* boxes[kBoxCount] = {GetBox(kAccount), GetBox(kPassword), GetBox(kNewPassword), GetBox(kRepeat)};
    for (CEditBox* box : boxes)
        if (!box) return;
    if (std::strcmp(boxes[kNewPassword]->GetCurrentText(), boxes[kRepeat]->GetCurrentText()) != 0) {
        ShowOkMessageBox(GetTableText(kTextTable, kRowMismatch));
        return;
    }
    CGameSession& session = GameSession();
    session.PostSessionNotice(0, 0, nullptr);
    session.SendChangePassword(boxes[kAccount]->GetCurrentText(), boxes[kPassword]->GetCurrentText(),
                               boxes[kNewPassword]->GetCurrentText());
    SetButtonsTakeInput({GetConfirmButton(), GetCancelButton()}, false);
    CopyRecordText(m_message, GetTableText(kTextTable, kRowSending));
    m_requestStart = StartTime();
}

void CChangePasswordWindow::EndWait() {
    m_requestStart = 0;
    SetButtonsTakeInput({GetConfirmButton(), GetCancelButton()}, true);
}

bool CChangePasswordWindow::Update() {
    if (IsWaiting()) {
        const CGameSession& session = GameSession();
        const bool answered = session.IsNoticePending() != 0;
        if (!answered && (!IsServerConnected() || plat::timeGetTime() - m_requestStart > kWaitMs)) {
            // A lost connection ends the wait as the time running out does.
            ShowOkMessageBox(GetTableText(kTextTable, kRowTimedOut));
            EndWait();
        } else if (answered && session.m_noticeValue != 0) {
            ShowOkMessageBox(GetTableText(kTextTable, kRowChanged));
            // Opened again, the window must not take this answer for its own.
            EndWait();
            Hide();
            return true;
        } else if (answered) {
            CopyRecordText(m_message, GetTableText(kTextTable, kRowRefused));
            EndWait();
        }
    }
    return CBaseWindow::Update();
}

bool CChangePasswordWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !g_pDirectDraw || !g_pTextRenderer) return true;
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    g_pTextRenderer->DrawString(surface, m_x + 18, m_y + 13, GetTableText(kTextTable, kRowTitle), 0, 0xFFFFFF,
                                1, true);
    g_pTextRenderer->DrawString(surface, m_x + 12, m_y + 125, m_message, 1, 0xFFFFFF, 1, true);
    return true;
}

bool CChangePasswordWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button == 0 && IsClickOn(control, x, y)) {
        if (control == GetConfirmButton()) {
            Submit();
            return false;
        }
        if (control == GetCancelButton()) {
            Hide();
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CChangePasswordWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsActive()) {
        if (key == plat::VK_TAB) {
            int next = kAccount;
            for (int i = 0; i < kRepeat; ++i)
                if (GetBox(Box(i)) && GetBox(Box(i))->IsFocused()) next = i + 1;
            if (CEditBox* box = GetBox(Box(next))) box->SetActive(true, false);
            return false;
        }
        if (key == plat::VK_ESCAPE) {
            if (CButton* cancel = GetCancelButton()) cancel->Press();
            Hide();
            return false;
        }
        if (key == plat::VK_RETURN) {
            CButton* confirm = GetConfirmButton();
            if (confirm && confirm->IsInputOn()) {
                confirm->Press();
                Submit();
            }
            return false;
        }
    }
    return CBaseWindow::OnKeyDown(key, control);
}
