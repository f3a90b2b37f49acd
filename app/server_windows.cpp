#include "app/server_windows.h"

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
