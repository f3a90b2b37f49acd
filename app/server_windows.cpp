#include "app/server_windows.h"

#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "ui/base_window.h"
#include "ui/message_box.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"

CMsgObject* CWindowMgrForHandlers::FindWindowByName(const char* name) {
    return m_manager.FindWindowByName(name, 0, true);
}

CMsgPort* CWindowMgrForHandlers::GetManagerPort() {
    return m_manager.GetPort();
}

void CWindowMgrForHandlers::PostToAllWindows(uint32_t eventId) {
    m_manager.PostToAllWindows(eventId);
}

void CServerMessageBoxes::ShowNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, true, 0);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void CServerMessageBoxes::AskToOpenPage(const char* text, const char* address) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, false, false, false, 0);
    box->SetButtons(true, true, 0);
    const CDisplaySettings& screen = GetDisplaySettings();
    box->SetPosition(screen.screenWidth / 2 - box->BackgroundWidth() / 2, screen.screenHeight / 2 - 100);
    // Either answer hands the window manager its own copy of the address.
    box->SetNotifyText(address);
    box->SetOkNotify(true, g_pWindowMgr->GetPort(), 0);
    box->SetCancelNotify(true, g_pWindowMgr->GetPort(), 0);
    g_pWindowMgr->AddChild(box);
    box->SetKept(true);
    box->Show();
    box->SetActive(true, false);
    box->SetKindId(OPEN_URL_SENDER);
}

void CSessionUiRequests::SendMessageBoxReply(uint32_t boxId, const char* answer) {
    GameSession().SendMessageBoxReply(boxId, answer);
}

void CSessionUiRequests::SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) {
    GameSession().SendItemDrop(slot, count, value);
}
