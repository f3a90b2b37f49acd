// The window manager as the server-message handlers reach it
// (net/handlers/server_windows.h).
#pragma once
#include "net/handlers/server_windows.h"

class CWindowMgr;

class CWindowMgrForHandlers : public IServerWindows {
public:
    explicit CWindowMgrForHandlers(CWindowMgr& manager) : m_manager(manager) {}
    CMsgObject* FindWindowByName(const char* name) override;
    CMsgPort* GetManagerPort() override;
    void PostToAllWindows(uint32_t eventId) override;

private:
    CWindowMgr& m_manager;
};
