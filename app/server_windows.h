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

private:
    CWindowMgr& m_manager;
};

// The shared message box as the server-message handlers show it.
class CServerMessageBoxes : public IServerMessageBoxes {
public:
    void ShowNotice(const char* text) override;
    void AskToOpenPage(const char* text, const char* address) override;
};

// The windows' own requests, sent by the game session.
class CSessionUiRequests : public IUiRequests {
public:
    void SendMessageBoxReply(uint32_t boxId, const char* answer) override;
    void SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) override;
};
