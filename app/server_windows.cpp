#include "app/server_windows.h"

#include "core/config.h"
#include "ui/base_window.h"
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
    return window->SetPosition((g_config.m_screenWidth - window->GetWidth()) / 2,
                               (g_config.m_screenHeight - window->GetHeight()) / 2);
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
