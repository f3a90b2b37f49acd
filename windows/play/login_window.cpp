#include "windows/play/login_window.h"

#include <cstring>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/byte_source.h"
#include "core/config.h"
#include "core/draw_object.h"
#include "core/frame_hooks.h"
#include "core/message.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/paths.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/window_mgr.h"
#include "windows/play/change_password_window.h"
#include "windows/play/new_account_window.h"
#include "windows/play/play_windows.h"
#include "windows/play/visual_password_window.h"

namespace {

constexpr char kAccountBoxName[] = "LOGIN_WIN_ACCOUNT";
constexpr char kPasswordBoxName[] = "LOGIN_WIN_PASSWORD";
struct ButtonPlan {
    const char* name;
    uint8_t motion;
    int32_t dx, dy;
};
constexpr ButtonPlan kButtons[CInsertAccountWindow::kButtonCount] = {
    {"LOGIN_WIN_CONNECT", 1, 7, 133},
    {"LOGIN_WIN_CANCEL", 2, 181, 133},
    {"LOGIN_WIN_NEWACCOUNT", 3, 7, 160},
    {"LOGIN_WIN_CHANGEPASS", 4, 181, 160},
    {"LOGIN_WIN_VISUAL_PASSWORD_BTN", 6, 236, 82},
};
constexpr int kTextTable = 14;
constexpr int kRowReady = 277, kRowLoggedIn = 279, kRowTitle = 280, kRowSending = 281;
constexpr int kRowKeypadTip = 282, kRowTimedOut = 278, kRowSeeBox = 325;
constexpr uint8_t kCheckMarkMotion = 5;
constexpr int32_t kCheckX = 259, kCheckY = 66;
// The remember box takes clicks within (258, 65)-(271, 78) of the window.
constexpr WindowRect kRememberBox{258, 65, 271, 78};

constexpr size_t OPTION_TEXT_SIZE = 256;

// One of the 256-byte texts of the options block, cut between characters.
void SetOptionText(size_t offset, const char* text) {
    char field[OPTION_TEXT_SIZE] = {};
    CopyRecordText(field, text);
    std::memcpy(g_options.m_block + offset, field, sizeof(field));
}

bool RememberAccountId() {
    return g_options.GetByte(OPT_REMEMBER_ID) != 0;
}

}  // namespace

std::optional<std::string> ReadSavedAccountId(const char* path) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes) || bytes.size() < 4) return std::nullopt;
    const uint32_t count = LoadU32Le(bytes.data());
    // A count the window never writes, or one past the file, reads nothing.
    if (count > ACCOUNT_ID_MAX || count > bytes.size() - 4) return std::nullopt;
    std::string id(reinterpret_cast<const char*>(bytes.data() + 4), count);
    return id.substr(0, std::strlen(id.c_str()));
}

bool WriteSavedAccountId(const char* account, const char* path) {
    const size_t length = account ? std::strlen(account) : 0;
    if (length > ACCOUNT_ID_MAX) return false;
    std::vector<uint8_t> bytes(4 + length);
    StoreU32Le(bytes.data(), uint32_t(length));
    if (length) std::memcpy(bytes.data() + 4, account, length);
    return plat::WriteFileAtomic(path, bytes.data(), bytes.size());
}

CInsertAccountWindow::CInsertAccountWindow() {
    CInsertAccountWindow::Create();
}

CInsertAccountWindow::~CInsertAccountWindow() {
    CInsertAccountWindow::Release();
}

bool CInsertAccountWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreateWithLayoutPicture(this, LOGIN_WINDOW_NAME, LOGIN_WINDOW_IMAGE);
    for (int i = 0; i < kButtonCount; ++i) {
        CButton* button = MakeChildButton(kButtons[i].name, this, image, kButtons[i].motion);
        m_buttons[i].Assign(button);
    }
    GetButton(kKeypad)->SetToolTip(true, GetTableText(kTextTable, kRowKeypadTip), WINDOW_TOOLTIP_PARAM);
    m_account.Assign(MakeLoginEditBox(this, kAccountBoxName, ACCOUNT_ID_MAX, false));
    m_password.Assign(MakeLoginEditBox(this, kPasswordBoxName, LOGIN_PASSWORD_MAX, true));
    auto* newAccount = new CNewAccountWindow;
    newAccount->Hide();
    AddChild(newAccount);
    m_newAccount.Assign(newAccount);
    auto* changePassword = new CChangePasswordWindow;
    changePassword->Hide();
    AddChild(changePassword);
    m_changePassword.Assign(changePassword);
    auto* keypad = new CVisualPasswordWindow;
    keypad->Hide();
    AddChild(keypad);
    m_keypad.Assign(keypad);
    m_checkMark.reset();
    if (image) {
        auto mark = std::make_unique<CAniObject>();
        if (mark->SetAnimation(image)) {
            mark->SetMotion(kCheckMarkMotion);
            mark->SetDirection(2);
            m_checkMark = std::move(mark);
        }
    }
    m_serverName.clear();
    m_loginStart = 0;
    m_result = LOGIN_RESULT_NONE;
    SetMessage(GetTableText(kTextTable, kRowReady));
    ShowButtons(true);
    CentreWindow(this);
    return true;
}

bool CInsertAccountWindow::Release() {
    m_checkMark.reset();
    return CBaseWindow::Release();
}

CEditBox* CInsertAccountWindow::GetAccountBox() const {
    return m_account.GetAs<CEditBox>();
}

CEditBox* CInsertAccountWindow::GetPasswordBox() const {
    return m_password.GetAs<CEditBox>();
}

CVisualPasswordWindow* CInsertAccountWindow::GetKeypad() const {
    return m_keypad.GetAs<CVisualPasswordWindow>();
}

void CInsertAccountWindow::OpenKeypad() {
    if (CVisualPasswordWindow* keypad = GetKeypad()) {
        keypad->Open();
        keypad->SetActive(true, false);
    }
}

CChangePasswordWindow* CInsertAccountWindow::GetChangePassword() const {
    return m_changePassword.GetAs<CChangePasswordWindow>();
}

CNewAccountWindow* CInsertAccountWindow::GetNewAccount() const {
    return m_newAccount.GetAs<CNewAccountWindow>();
}

void CInsertAccountWindow::OpenNewAccount() {
    if (CNewAccountWindow* window = GetNewAccount()) window->ResetAndShow();
}

void CInsertAccountWindow::OpenChangePassword() {
    if (CChangePasswordWindow* window = GetChangePassword()) window->ResetAndShow();
}

bool CInsertAccountWindow::ProcessInput() {
    CBaseWindow* dialogs[3] = {GetNewAccount(), GetChangePassword(), GetKeypad()};
    for (CBaseWindow* dialog : dialogs)
        if (dialog && dialog->IsDrawOn()) return dialog->ProcessInput();
    return CBaseWindow::ProcessInput();
}

CButton* CInsertAccountWindow::GetButton(Button which) const {
    return m_buttons[which].GetAs<CButton>();
}

bool CInsertAccountWindow::SetPosition(int32_t x, int32_t y) {
    for (int i = 0; i < kButtonCount; ++i)
        if (CButton* button = GetButton(Button(i)))
            button->SetPosition(x + kButtons[i].dx, y + kButtons[i].dy);
    if (CEditBox* box = GetAccountBox()) {
        box->SetPosition(x + 98, y + 66);
        box->SetInputRect(true, x + 98, y + 66, x + 194, y + 77);
    }
    if (CEditBox* box = GetPasswordBox()) {
        box->SetPosition(x + 98, y + 91);
        box->SetInputRect(true, x + 98, y + 91, x + 194, y + 102);
    }
    return CBaseWindow::SetPosition(x, y);
}

void CInsertAccountWindow::SetMessage(const char* text) {
    CopyRecordText(m_message, text ? text : "");
}

void CInsertAccountWindow::ShowButtons(bool takeInput) {
    // The keypad button keeps taking input while the others wait.
    SetButtonsTakeInput(
        {GetButton(kConnect), GetButton(kCancel), GetButton(kNewAccount), GetButton(kChangePassword)},
        takeInput);
    if (takeInput) SetButtonsTakeInput({GetButton(kKeypad)}, true);
}

void CInsertAccountWindow::LoadSavedID() {
    ShowButtons(true);
    m_serverName.clear();
    m_loginStart = 0;
    m_result = LOGIN_RESULT_NONE;
    SetMessage(GetTableText(kTextTable, kRowReady));
    CEditBox* account = GetAccountBox();
    CEditBox* password = GetPasswordBox();
    if (!account || !password) return;
    account->SetText(g_config.m_accountName.c_str());
    password->SetText("");
    CEditBox* focus = account;
    // A damaged file is taken as none: the account given at start-up stays.
    if (RememberAccountId())
        if (const std::optional<std::string> saved = ReadSavedAccountId()) {
            account->SetText(saved->c_str());
            focus = password;
        }
    focus->SetActive(true, false);
}

void CInsertAccountWindow::SetServerName(const char* name) {
    m_serverName = name ? name : "";
    SetOptionText(OPT_TEXT_1, m_serverName.c_str());
    char compact[OPTION_TEXT_SIZE] = {};
    RemoveSpaces(m_serverName.c_str(), compact, sizeof(compact));
    SetOptionText(OPT_TEXT_2, compact);
    SaveOptions();
}

void CInsertAccountWindow::SubmitLogin() {
    if (IsWaiting()) return;
    SetMessage(GetTableText(kTextTable, kRowSending));
    CGameSession& session = GameSession();
    const char* account = GetAccountBox() ? GetAccountBox()->GetCurrentText() : "";
    const char* password = GetPasswordBox() ? GetPasswordBox()->GetCurrentText() : "";
    CopyRecordText(session.m_account, account);
    CopyRecordText(session.m_loginKey, password);
    session.PostSessionNotice(0, 0, nullptr);
    session.SendLoginRequest(1);
    ShowButtons(false);
    m_loginStart = StartTime();
    if (RememberAccountId()) WriteSavedAccountId(account);
    if (CEditBox* box = GetAccountBox()) box->SetActive(false, true);
    if (CEditBox* box = GetPasswordBox()) box->SetActive(false, true);
}

void CInsertAccountWindow::CancelLogin() {
    if (IsWaiting()) return;
    ReconnectToLoginServer();
    m_result = LOGIN_RESULT_BACK;
}

void CInsertAccountWindow::SwitchFocus() {
    CEditBox* account = GetAccountBox();
    CEditBox* password = GetPasswordBox();
    if (!account || !password) return;
    if (!account->IsFocused())
        account->SetActive(true, false);
    else
        password->SetActive(true, false);
}

void CInsertAccountWindow::ToggleRememberId() {
    g_options.SetByte(OPT_REMEMBER_ID, RememberAccountId() ? 0 : 1);
    SaveOptions();
}

void CInsertAccountWindow::EndWait() {
    m_loginStart = 0;
    ShowButtons(true);
}

bool CInsertAccountWindow::Update() {
    if (IsWaiting()) {
        CGameSession& session = GameSession();
        // A connect to the next server, moved to on the way in, is no loss.
        // An answer that came with the close (a refusal that ends the link)
        // is still shown; without one the wait ends quietly.
        const bool answered = session.IsNoticePending() != 0;
        if (!session.CanQueue() && !answered) {
            EndWait();
        } else if (plat::timeGetTime() - m_loginStart <= LOGIN_WAIT_MS) {
            if (answered) {
                if (session.m_noticeValue == 0) {
                    const char* text = session.m_noticeText;
                    if (std::strlen(text) > LOGIN_STATUS_FIT) {
                        SetMessage(GetTableText(kTextTable, kRowSeeBox));
                        ShowOkMessageBox(text);
                    } else {
                        SetMessage(text);
                    }
                    EndWait();
                    const int32_t state = session.m_loginResult;
                    if (state == 3 || state == 21) {
                        if (CEditBox* box = GetAccountBox()) box->SetActive(true, false);
                    } else if (state == 5 || state == 22) {
                        if (CEditBox* box = GetPasswordBox()) box->SetActive(true, false);
                    }
                } else {
                    m_loginStart = 0;
                    m_result = LOGIN_RESULT_LOGGED_IN;
                    SetMessage(GetTableText(kTextTable, kRowLoggedIn));
                }
            }
        } else {
            ShowOkMessageBox(GetTableText(kTextTable, kRowTimedOut));
            EndWait();
        }
    }
    CVisualPasswordWindow* keypad = GetKeypad();
    if (keypad && keypad->GetResult() == KEYPAD_RESULT_CONFIRMED) {
        if (CEditBox* box = GetPasswordBox()) box->SetText(keypad->GetTypedText().c_str());
        keypad->SetResult(KEYPAD_RESULT_NONE);
    }
    if (CNewAccountWindow* newAccount = GetNewAccount(); newAccount && newAccount->TakeCompletion()) {
        ShowButtons(true);
        if (!g_config.m_accountName.empty()) {
            if (CEditBox* box = GetAccountBox()) box->SetText(g_config.m_accountName.c_str());
            if (CEditBox* box = GetPasswordBox()) box->SetText("");
        }
    }
    return CBaseWindow::Update();
}

bool CInsertAccountWindow::Draw() {
    // The window's texts lie under its dialogs, not over them.
    DrawUnderDialogs(this, {GetNewAccount(), GetChangePassword(), GetKeypad()}, [this] {
        if (!g_pDirectDraw || !g_pTextRenderer) return;
        CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
        g_pTextRenderer->DrawString(surface, m_x + 17, m_y + 13, GetTableText(kTextTable, kRowTitle), 0,
                                    0xFFFFFF, 1, true);
        g_pTextRenderer->DrawString(surface, m_x + 98, m_y + 41, m_serverName.c_str(), 0, 0xFFFFFF, 1, true);
        g_pTextRenderer->DrawString(surface, m_x + 17, m_y + 112, m_message, 0, 0xFFFFFF, 1, true);
        if (RememberAccountId() && m_checkMark) {
            m_checkMark->SetScreenPosition(m_x + kCheckX, m_y + kCheckY, 0);
            m_checkMark->Draw();
        }
    });
    return true;
}

bool CInsertAccountWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    // The first to see the click takes it: a control of the window, or the window.
    if (button == 0 && IsActive() && kRememberBox.Contains(x - m_x, y - m_y)) {
        ToggleRememberId();
        return false;
    }
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button != 0 || !IsClickOn(control, x, y)) return control->OnControlEvent(button, x, y, nullptr);
    if (control == GetButton(kConnect)) {
        SubmitLogin();
        return false;
    }
    if (control == GetButton(kCancel)) {
        CancelLogin();
        return false;
    }
    if (control == GetButton(kKeypad)) {
        OpenKeypad();
        return false;
    }
    if (control == GetButton(kChangePassword)) {
        OpenChangePassword();
        return false;
    }
    if (control == GetButton(kNewAccount)) {
        OpenNewAccount();
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CInsertAccountWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsActive()) {
        if (key == plat::VK_RETURN) {
            CButton* connect = GetButton(kConnect);
            if (connect && connect->IsInputOn()) {
                connect->Press();
                SubmitLogin();
            }
            return false;
        }
        if (key == plat::VK_ESCAPE) {
            if (CButton* cancel = GetButton(kCancel)) cancel->Press();
            CancelLogin();
            return false;
        }
        if (key == plat::VK_TAB) {
            SwitchFocus();
            return false;
        }
    }
    return CBaseWindow::OnKeyDown(key, control);
}
