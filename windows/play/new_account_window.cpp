#include "windows/play/new_account_window.h"

#include <cstring>
#include <memory>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/main_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/url.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"

namespace {

constexpr int kTextTable = 14;
constexpr int kRowChecking = 326, kRowTitle = 327, kRowTaken = 328, kRowSeeBox = 329, kRowFree = 330,
              kRowMade = 331, kRowTimedOut = 332, kRowMismatch = 333, kRowSending = 335, kRowBadName = 440;
constexpr uint32_t kBoxLimit[CNewAccountWindow::kBoxCount] = {16, 8, 8, 24, 20};
constexpr bool kBoxMasked[CNewAccountWindow::kBoxCount] = {false, true, true, false, true};
struct ButtonPlan {
    const char* name;
    uint8_t motion;
    int32_t dx, dy;
};
constexpr ButtonPlan kButtons[CNewAccountWindow::kButtonCount] = {
    {"NEWACCOUNT_WIN_CHECK", 1, 294, 41},   {"NEWACCOUNT_WIN_CONFIRM", 2, 48, 266},
    {"NEWACCOUNT_WIN_CANCEL", 4, 261, 266}, {"NEWACCOUNT_WIN_RENEW", 3, 156, 266},
    {"NEWACCOUNT_WIN_RENEW", 6, 255, 198},  // the sign-up page (the same identifier)
};
constexpr int kRowAskPage = 453;
constexpr uint32_t kPageBoxKind = 23;
constexpr uint32_t kWaitMs = 60000;

bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool CheckAccountName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p)
        if (!IsAsciiAlnum(static_cast<unsigned char>(*p))) return false;
    return true;
}

CNewAccountWindow::CNewAccountWindow() {
    CNewAccountWindow::Create();
}

CNewAccountWindow::~CNewAccountWindow() = default;

bool CNewAccountWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreateWithLayoutPicture(this, NEW_ACCOUNT_WINDOW_NAME, NEW_ACCOUNT_WINDOW_IMAGE);
    for (int i = 0; i < kBoxCount; ++i)
        m_boxes[i].Assign(MakeLoginEditBox(this, "NEWACCOUNT_WIN_EDIT", kBoxLimit[i], kBoxMasked[i]));
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].Assign(MakeChildButton(kButtons[i].name, this, image, kButtons[i].motion));
    m_options[0] = m_options[1] = 1;
    m_requestStart = 0;
    m_message[0] = '\0';
    m_checking = m_completed = 0;
    CentreWindow(this);
    return true;
}

bool CNewAccountWindow::SetPosition(int32_t x, int32_t y) {
    for (int i = 0; i < kButtonCount; ++i)
        if (CButton* button = GetButton(Button(i)))
            button->SetPosition(x + kButtons[i].dx, y + kButtons[i].dy);
    for (int k = 0; k < kBoxCount; ++k)
        if (CEditBox* box = GetBox(Box(k))) {
            box->SetPosition(x + 129, y + 47 + 29 * k);
            box->SetInputRect(true, x + 129, y + 48 + 29 * k, x + 274, y + 56 + 29 * k);
        }
    return CBaseWindow::SetPosition(x, y);
}

void CNewAccountWindow::EnableAll(bool on) {
    SetButtonsTakeInput(
        {GetButton(kCheck), GetButton(kConfirm), GetButton(kCancel), GetButton(kRenew), GetButton(kWebPage)},
        on);
    for (int i = 0; i < kBoxCount; ++i)
        if (CEditBox* box = GetBox(Box(i))) box->SetInputOn(on);
}

void CNewAccountWindow::Focus(Box which) {
    if (CEditBox* box = GetBox(which)) box->SetActive(true, false);
}

void CNewAccountWindow::ResetAndShow() {
    Show();
    EnableAll(true);
    for (int i = 0; i < kBoxCount; ++i)
        if (CEditBox* box = GetBox(Box(i))) box->SetText("");
    m_requestStart = 0;
    m_message[0] = '\0';
    m_completed = 0;
    m_options[0] = m_options[1] = 1;
    m_checking = 0;
    SetActive(true, false);
    Focus(kAccount);
}

void CNewAccountWindow::CheckAccount() {
    CEditBox* account = GetBox(kAccount);
    if (IsWaiting() || !account || !*account->GetCurrentText()) return;
    CGameSession& session = GameSession();
    session.PostSessionNotice(0, 0, nullptr);
    session.SendAccountCheck(account->GetCurrentText());
    m_checking = 1;
    m_requestStart = StartTime();
    SetButtonsTakeInput(
        {GetButton(kCheck), GetButton(kConfirm), GetButton(kCancel), GetButton(kRenew), GetButton(kWebPage)},
        false);
    CopyRecordText(m_message, GetTableText(kTextTable, kRowChecking));
}

void CNewAccountWindow::SubmitNewAccount() {
    if (IsWaiting()) return;
    CEditBox* boxes[kBoxCount] = {GetBox(kAccount), GetBox(kPassword), GetBox(kRepeat), GetBox(kMailName),
                                  GetBox(kFifth)};
    for (CEditBox* box : boxes)
        if (!box) return;
    if (std::strcmp(boxes[kPassword]->GetCurrentText(), boxes[kRepeat]->GetCurrentText()) != 0) {
        Focus(kPassword);
        CopyRecordText(m_message, GetTableText(kTextTable, kRowMismatch));
        return;
    }
    if (!CheckAccountName(boxes[kAccount]->GetCurrentText())) {
        Focus(kAccount);
        CopyRecordText(m_message, GetTableText(kTextTable, kRowBadName));
        return;
    }
    const std::string mail = std::string(boxes[kMailName]->GetCurrentText()) + g_config.m_mailDomain;
    CGameSession& session = GameSession();
    session.PostSessionNotice(0, 0, nullptr);
    session.SendNewAccount(boxes[kAccount]->GetCurrentText(), boxes[kPassword]->GetCurrentText(),
                           mail.c_str(), boxes[kFifth]->GetCurrentText(), m_options[1], "",
                           m_options[0] ? 0 : 1);
    EnableAll(false);
    m_checking = 0;
    m_requestStart = StartTime();
    CopyRecordText(m_message, GetTableText(kTextTable, kRowSending));
}

void CNewAccountWindow::Cancel() {
    m_completed = 1;
    g_config.m_accountName.clear();
    Hide();
}

void CNewAccountWindow::Renew() {
    for (int i = 0; i < kBoxCount; ++i)
        if (CEditBox* box = GetBox(Box(i))) box->SetText("");
    Focus(kAccount);
    m_options[0] = m_options[1] = 1;
}

void CNewAccountWindow::OpenSignupPage() {
    GameSession().RequestSignupPage();
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(GetTableText(kTextTable, kRowAskPage), true, true, false, 0);
    box->SetKindId(kPageBoxKind);
    box->SetOkNotify(true, GetPort(), 0);
    box->SetCancelNotify(true, GetPort(), 0);
    const CDisplaySettings& screen = GetDisplaySettings();
    box->SetPosition(screen.screenWidth / 2 - box->BackgroundWidth() / 2, screen.screenHeight / 2 - 100);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

bool CNewAccountWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId != MESSAGE_BOX_ANSWER || msg->m_senderId != kPageBoxKind || msg->m_extra == 0)
            continue;
        // Only a web address the server gave is opened.
        const char* page = GameSession().m_newAccountPage;
        if (!plat::IsWebAddress(page)) continue;
        plat::OpenUrl(page);
        if (g_pMainMgr)
            if (CBaseObject* scene = g_pMainMgr->FindChildByKind(1)) scene->Hide();
        g_quit = true;
    }
    return true;
}

bool CNewAccountWindow::TakeCompletion() {
    const bool completed = m_completed != 0;
    m_completed = 0;
    return completed;
}

void CNewAccountWindow::EndWait() {
    m_requestStart = 0;
    EnableAll(true);
}

bool CNewAccountWindow::Update() {
    // A child window: nobody else reads its port.
    ProcessMessages();
    if (IsWaiting()) {
        const CGameSession& session = GameSession();
        const bool answered = session.IsNoticePending() != 0;
        if (!answered && (!IsServerConnected() || plat::timeGetTime() - m_requestStart > kWaitMs)) {
            // A lost connection ends the wait as the time running out does.
            ShowOkMessageBox(GetTableText(kTextTable, kRowTimedOut));
            m_message[0] = '\0';
            EndWait();
        } else if (answered && session.m_noticeValue != 0) {
            EndWait();
            if (m_checking) {
                m_checking = 0;
                ShowOkMessageBox(GetTableText(kTextTable, kRowFree));
                m_message[0] = '\0';
            } else {
                g_config.m_accountName = GetBox(kAccount) ? GetBox(kAccount)->GetCurrentText() : "";
                ShowOkMessageBox(GetTableText(kTextTable, kRowMade));
                m_completed = 1;
                Hide();
                return true;
            }
        } else if (answered) {
            EndWait();
            if (m_checking) {
                m_checking = 0;
                CopyRecordText(m_message, GetTableText(kTextTable, kRowTaken));
                Focus(kAccount);
            } else {
                const char* text = session.m_noticeText;
                if (std::strlen(text) > NEW_ACCOUNT_STATUS_FIT) {
                    CopyRecordText(m_message, GetTableText(kTextTable, kRowSeeBox));
                    ShowOkMessageBox(text);
                } else {
                    CopyRecordText(m_message, text);
                }
                switch (session.m_loginResult) {
                    case 3:
                    case 4:
                        Focus(kAccount);
                        break;
                    case 5:
                    case 7:
                        Focus(kPassword);
                        break;
                    case 38:
                    case 40:
                    case 41:
                        Focus(kMailName);
                        break;
                    case 39:
                        Focus(kFifth);
                        break;
                    case 42:
                        for (int i = 0; i < kBoxCount; ++i)
                            if (CEditBox* box = GetBox(Box(i))) box->SetText("");
                        Focus(kAccount);
                        break;
                    default:
                        break;
                }
            }
        }
    }
    return CBaseWindow::Update();
}

bool CNewAccountWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !g_pDirectDraw || !g_pTextRenderer) return true;
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    g_pTextRenderer->DrawString(surface, m_x + 20, m_y + 13, GetTableText(kTextTable, kRowTitle), 0, 0xFFFFFF,
                                1, true);
    g_pTextRenderer->DrawString(surface, m_x + 12, m_y + 243, m_message, 1, 0xFFFFFF, 1, true);
    return true;
}

bool CNewAccountWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button == 0 && IsClickOn(control, x, y)) {
        if (control == GetButton(kCheck)) {
            CheckAccount();
            return false;
        }
        if (control == GetButton(kConfirm)) {
            SubmitNewAccount();
            return false;
        }
        if (control == GetButton(kCancel)) {
            Cancel();
            return false;
        }
        if (control == GetButton(kRenew)) {
            Renew();
            return false;
        }
        if (control == GetButton(kWebPage)) {
            OpenSignupPage();
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CNewAccountWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsActive() && !IsWaiting()) {
        if (key == plat::VK_TAB) {
            int next = kAccount;
            for (int i = 0; i <= kMailName; ++i)
                if (GetBox(Box(i)) && GetBox(Box(i))->IsFocused()) next = i + 1;
            Focus(Box(next));
            return false;
        }
        if (key == plat::VK_ESCAPE) {
            if (CButton* cancel = GetButton(kCancel)) cancel->Press();
            Cancel();
            return false;
        }
        if (key == plat::VK_RETURN) {
            if (CButton* confirm = GetButton(kConfirm)) confirm->Press();
            SubmitNewAccount();
            return false;
        }
    }
    return CBaseWindow::OnKeyDown(key, control);
}
