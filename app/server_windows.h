// The window manager as the server-message handlers reach it
// (net/handlers/server_windows.h).
#pragma once
#include "net/handlers/server_windows.h"
#include "ui/ui_requests.h"

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

// The shared message box as the server-message handlers show it.
class CServerMessageBoxes : public IServerMessageBoxes {
public:
    void ShowNotice(const char* text) override;
    void AskToOpenPage(const char* text, const char* address) override;
    void ShowKeptNotice(const char* text) override;
    void ShowAutoHideNotice(const char* text) override;
    void AskServer(uint32_t serverBoxId, const char* text, const char* okReply,
                   const char* cancelReply) override;
    void ShowNamedNotice(const char* name, const char* text) override;
};

// The windows' own requests, sent by the game session.
class CSessionUiRequests : public IUiRequests {
public:
    void SendMessageBoxReply(uint32_t boxId, const char* answer) override;
    void SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) override;
};
