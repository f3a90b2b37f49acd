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

CMsgObject* CWindowMgrForHandlers::FindAnyWindowByName(const char* name) {
    return m_manager.FindWindowByName(name, 0, false);
}

bool CWindowMgrForHandlers::IsWindowVisible(const char* name) {
    CBaseWindow* window = m_manager.FindWindowByName(name, 0, true);
    return window && window->IsVisibleInTree();
}

bool CWindowMgrForHandlers::ShowWindow(const char* name) {
    CBaseWindow* window = m_manager.FindWindowByName(name, 0, true);
    return window && window->Show();
}

bool CWindowMgrForHandlers::HideWindow(const char* name) {
    CBaseWindow* window = m_manager.FindWindowByName(name, 0, true);
    return window && window->Hide();
}

bool CWindowMgrForHandlers::OpenWindow(const char* name) {
    CBaseWindow* window = m_manager.FindWindowByName(name, 0, true);
    if (!window) return false;
    window->Show();
    window->SetActive(true, false);
    return true;
}

bool CWindowMgrForHandlers::CenterWindow(const char* name) {
    CBaseWindow* window = m_manager.FindWindowByName(name, 0, true);
    if (!window) return false;
    const CDisplaySettings& screen = GetDisplaySettings();
    return window->SetPosition((screen.screenWidth - window->GetWidth()) / 2,
                               (screen.screenHeight - window->GetHeight()) / 2);
}

bool CWindowMgrForHandlers::CreateWindow(const char* name, bool hidden) {
    CBaseWindow* window = CreateRegisteredWindow(name);
    if (!window) return false;
    if (hidden) window->Hide();
    if (!m_manager.AddChild(window)) {
        delete window;
        return false;
    }
    return true;
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

void CServerMessageBoxes::ShowKeptNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, true, 0);
    box->SetKept(true);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void CServerMessageBoxes::ShowAutoHideNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CAutoHideMessageBox(text);
    g_pWindowMgr->AddChild(box);
    box->Show();
    box->SetActive(true, false);
}

void CServerMessageBoxes::AskServer(uint32_t serverBoxId, const char* text, const char* okReply,
                                    const char* cancelReply) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, true, true, 0);
    box->SetReplyId(serverBoxId);
    box->SetTexts(okReply, cancelReply);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void CServerMessageBoxes::ShowNamedNotice(const char* name, const char* text) {
    if (!g_pWindowMgr) return;
    // One open box of the name at a time. An answered box only hid itself
    // (the window manager closes hidden boxes by the name "MESSAGE_BOX"
    // alone): it goes now, and the new notice shows.
    if (CBaseWindow* open = g_pWindowMgr->FindWindowByName(name, 0, true)) {
        if (open->IsDrawOn()) return;
        g_pWindowMgr->RemoveWindow(open);
    }
    auto* box = new CMessageBox(text, true, false, true, 0);
    box->SetName(name);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void CSessionUiRequests::SendMessageBoxReply(uint32_t boxId, const char* answer) {
    GameSession().SendMessageBoxReply(boxId, answer);
}

void CSessionUiRequests::SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) {
    GameSession().SendItemDrop(slot, count, value);
}
