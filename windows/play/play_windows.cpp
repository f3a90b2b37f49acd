#include "windows/play/play_windows.h"

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "net/connection.h"
#include "net/game_session.h"
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
