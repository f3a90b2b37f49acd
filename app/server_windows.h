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
    CMsgObject* FindAnyWindowByName(const char* name) override;
    bool IsWindowVisible(const char* name) override;
    bool ShowWindow(const char* name) override;
    bool HideWindow(const char* name) override;
    bool OpenWindow(const char* name) override;
    bool CenterWindow(const char* name) override;
    bool CreateWindow(const char* name, bool hidden) override;

private:
    CWindowMgr& m_manager;
};
