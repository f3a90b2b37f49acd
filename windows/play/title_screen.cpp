#include "windows/play/title_screen.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "net/handlers/login_records.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "windows/play/login_window.h"
#include "windows/play/play_windows.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"

namespace {

constexpr char kButtonName[] = "TITLE_WIN_BUTTON";
// Button i stands at (345, kButtonY[i]) on the screen.
constexpr int32_t kButtonX = 345;
constexpr int32_t kButtonY[4] = {440, 463, 416, 393};
// What each button chooses.
constexpr int32_t kButtonChoice[4] = {TITLE_CHOICE_OFFLINE, TITLE_CHOICE_EXIT, TITLE_CHOICE_INTRO,
                                      TITLE_CHOICE_START};
constexpr int kStartButton = 3, kExitButton = 1;

}  // namespace

CTitleScreen::CTitleScreen() {
    CTitleScreen::Create();
}

CTitleScreen::~CTitleScreen() = default;

bool CTitleScreen::Create() {
    m_introFlag = 0;
    CBaseWindow::Create();
    const uint32_t image = CreateWithLayoutPicture(this, TITLE_WINDOW_NAME, TITLE_WINDOW_IMAGE);
    m_choice = TITLE_CHOICE_NONE;
    for (int i = 0; i < 4; ++i) {
        CButton* button = MakeChildButton(kButtonName, this, image, uint8_t(i + 1));
        button->SetKindId(uint32_t(i));
        m_buttons[i].Assign(button);
    }
    SetPosition(0, 0);
    m_serverSelect.Assign(nullptr);
    m_login.Assign(nullptr);
    m_terms.Assign(nullptr);
    return true;
}

CButton* CTitleScreen::GetButton(int index) const {
    return index >= 0 && index < 4 ? m_buttons[index].GetAs<CButton>() : nullptr;
}

CMultiServerWindow* CTitleScreen::GetServerSelect() const {
    return m_serverSelect.GetAs<CMultiServerWindow>();
}

CInsertAccountWindow* CTitleScreen::GetLoginWindow() const {
    return m_login.GetAs<CInsertAccountWindow>();
}

CStipulationWindow* CTitleScreen::GetTermsWindow() const {
    return m_terms.GetAs<CStipulationWindow>();
}

bool CTitleScreen::IsLoginFlowClosed() {
    CMultiServerWindow* list = GetServerSelect();
    return list && list->IsCancelled();
}

int32_t CTitleScreen::GetLoginResult() {
    CInsertAccountWindow* login = GetLoginWindow();
    return login ? login->GetResult() : LOGIN_RESULT_NONE;
}

void CTitleScreen::SetLoginResult(int32_t result) {
    if (CInsertAccountWindow* login = GetLoginWindow()) login->SetResult(result);
}

bool CTitleScreen::SetPosition(int32_t x, int32_t y) {
    for (int i = 0; i < 4; ++i)
        if (CButton* button = GetButton(i)) button->SetPosition(kButtonX, kButtonY[i]);
    return CBaseWindow::SetPosition(x, y);
}

bool CTitleScreen::Draw() {
    DrawUnderDialogs(this, {GetServerSelect(), GetLoginWindow(), GetTermsWindow()}, nullptr);
    return true;
}

bool CTitleScreen::Update() {
    if (CStipulationWindow* terms = GetTermsWindow(); terms && terms->IsDrawOn()) {
        const int32_t result = terms->GetResult();
        if (result == TERMS_RESULT_DISAGREED) {
            terms->Hide();
            OpenServerSelect();
        } else if (result == TERMS_RESULT_AGREED) {
            OpenLogin();
        }
    }
    if (CInsertAccountWindow* login = GetLoginWindow(); login && login->IsDrawOn()) {
        const int32_t result = login->GetResult();
        if (result == LOGIN_RESULT_BACK) {
            login->Hide();
            OpenServerSelect();
        } else if (result == LOGIN_RESULT_LOGGED_IN) {
            login->Hide();
        }
    }
    return CBaseWindow::Update();
}

bool CTitleScreen::ProcessMessages() {
    uint32_t sender = 0, eventId = 0;
    MsgDataPtr payload, parameter;
    while (GetPort()->PopFields(&sender, &eventId, &payload, &parameter)) {
        if (eventId == MSG_SERVER_LIST) {
            if (CMultiServerWindow* list = GetServerSelect()) list->ListArrived();
        }
        if (eventId == MSG_SHOW_TERMS) OpenTerms();
    }
    return true;
}

bool CTitleScreen::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    for (int i = 0; i < 4; ++i)
        if (control == GetButton(i) && button == 0 && IsClickOn(control, x, y)) {
            m_choice = kButtonChoice[i];
            if (m_choice == TITLE_CHOICE_INTRO) m_introFlag = 1;
            return false;
        }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CTitleScreen::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (IsActive() && !control && (key == plat::VK_RETURN || key == plat::VK_ESCAPE)) {
        const int index = key == plat::VK_RETURN ? kStartButton : kExitButton;
        if (CButton* pressed = GetButton(index)) pressed->Press();
        m_choice = kButtonChoice[index];
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

void CTitleScreen::Open(bool showServerSelect, bool showLogin) {
    SetPosition(0, 0);
    m_choice = TITLE_CHOICE_NONE;
    if (showServerSelect) OpenServerSelect();
    if (showLogin) OpenLogin();
}

void CTitleScreen::OpenServerSelect() {
    if (CStipulationWindow* terms = GetTermsWindow()) terms->Hide();
    CMultiServerWindow* list = GetServerSelect();
    if (!list) {
        list = new CMultiServerWindow;
        AddChild(list);
        m_serverSelect.Assign(list);
    }
    list->ConnectToServer();
    list->Show();
    list->SetActive(true, false);
}

void CTitleScreen::OpenLogin() {
    if (CStipulationWindow* terms = GetTermsWindow()) terms->Hide();
    std::string serverName;
    if (CMultiServerWindow* list = GetServerSelect()) {
        serverName = list->SelectedServerName();
        list->Hide();
    }
    CInsertAccountWindow* login = GetLoginWindow();
    if (!login) {
        login = new CInsertAccountWindow;
        AddChild(login);
        m_login.Assign(login);
    }
    login->LoadSavedID();
    login->Show();
    login->SetActive(true, false);
    login->SetServerName(serverName.c_str());
}

void CTitleScreen::OpenTerms() {
    CStipulationWindow* terms = GetTermsWindow();
    if (!terms) {
        terms = new CStipulationWindow;
        AddChild(terms);
        m_terms.Assign(terms);
    }
    if (CMultiServerWindow* list = GetServerSelect()) list->Hide();
    SetButtonsTakeInput({terms->GetAgreeButton(), terms->GetDisagreeButton()}, false);
    terms->SetResult(TERMS_RESULT_NONE);
    terms->Show();
    terms->SetActive(true, false);
}
