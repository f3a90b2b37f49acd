#include "windows/play/play_windows.h"

#include <utility>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"

void ShowOkMessageBox(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, false, 0);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void ReconnectToLoginServer() {
    if (g_connection) g_connection->Close();
    GameSession().Reset();
    if (!g_connection) g_connection = new CConnection(g_hMainWnd, WM_SOCKET_NOTIFY);
    g_connection->Connect(g_config.m_serverAddress, g_config.m_serverPort);
}

void SetButtonsTakeInput(std::initializer_list<CButton*> buttons, bool takeInput) {
    for (CButton* button : buttons) {
        if (!button || (button->IsDrawOn() && button->IsInputOn() == takeInput)) continue;
        if (takeInput) {
            button->Show();
        } else {
            button->Hide();
            button->SetDrawOn(true);
        }
    }
}

uint32_t CreateWithLayoutPicture(CBaseWindow* window, const char* name, const char* layout) {
    const uint32_t image = FindAniByName(layout);
    window->CreateNamedWithAni(WINDOW_DRAG_TYPE, name, image, image == 0);
    if (CAniObject* picture = window->GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
    }
    return image;
}

void DrawUnderDialogs(CBaseWindow* window, std::initializer_list<CBaseWindow*> dialogs,
                      const std::function<void()>& own) {
    std::vector<std::pair<CBaseWindow*, bool>> shown;
    for (CBaseWindow* dialog : dialogs)
        if (dialog) {
            shown.emplace_back(dialog, dialog->IsDrawOn());
            dialog->SetDrawOn(false);
        }
    CWeakRef self(window);
    window->CBaseWindow::Draw();
    if (!self) return;
    for (const auto& [dialog, on] : shown) dialog->SetDrawOn(on);
    if (own) own();
    for (const auto& [dialog, on] : shown)
        if (on) dialog->Draw();
}

void CentreWindow(CBaseWindow* window) {
    window->SetPosition(400 - window->ImageWidth() / 2, 300 - window->ImageHeight() / 2);
}

CEditBox* MakeLoginEditBox(CBaseWindow* parent, const char* name, size_t limit, bool password) {
    auto* box = static_cast<CEditBox*>(MakeWindowControl(name, CONTROL_EDIT_BOX));
    box->SetMaxLength(uint32_t(limit));
    box->SetPassword(password);
    box->SetTextColor(0xFFFFFF);
    box->SetImeMode(1);
    box->m_forwardToParent = 1;
    parent->AddChild(box);
    box->SetActive(false, true);
    return box;
}

uint32_t StartTime() {
    const uint32_t now = plat::timeGetTime();
    return now ? now : 1;
}
