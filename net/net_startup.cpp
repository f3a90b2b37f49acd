#include "net/net_startup.h"

#include "core/error_box.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "net/connection.h"
#include "net/firewall.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "platform/window.h"

namespace {

int g_pumpHook = -1;

// The session's receive pump, once per frame.
class CNetworkFrameClient : public IFrameClient {
public:
    void OnFrame() override { GameSession().ReceivePackets(); }
};

// What the main window does with the socket notification message.
class CSessionSocketEvents : public ISocketEvents {
public:
    bool IsStaleSocket(plat::WParam socket) override { return GameSession().IsStaleNotice(socket); }
    void MarkReadable() override { GameSession().SetReadable(1); }
    void MarkWritable() override { GameSession().OnWritable(); }
    // A connection that closed itself on seeing the server go has posted the
    // same notification; its close handling still has to end the session's
    // established state. A failed connect ends there too.
    bool IsConnectionOpen() override {
        return IsServerConnected() || IsServerConnecting() || GameSession().m_established;
    }
    void CloseConnection() override { GameSession().HandleDisconnect(); }
};

// Socket notifications go to the main window's queue.
class CMainWindowPoster : public plat::ISocketNotifyPoster {
public:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        plat::PostMessage(message, plat::WParam(wParam), plat::LParam(lParam));
    }
};

CNetworkFrameClient g_networkFrameClient;
CMainWindowPoster g_mainWindowPoster;
CSessionSocketEvents g_sessionSocketEvents;

}  // namespace

bool StartSocketLibrary() {
    const uint16_t wanted = plat::MakeWord(2, 2);
    uint16_t granted = 0;
    if (plat::WSAStartup(wanted, &granted) != 0) {
        ReportError("WSAStartup Failed");
        return false;
    }
    if (granted != wanted) {
        ReportError("WSAStartup Failed , Version Not Match Required[2.2] this socket [%u]",
                    unsigned(granted));
        plat::WSACleanup();
        return false;
    }
    plat::SetSocketNotifyPoster(&g_mainWindowPoster);
    if (g_pumpHook < 0) g_pumpHook = plat::AddPumpHook([] { plat::PumpSocketNotifications(); });
    return true;
}

void StopSocketLibrary() {
    if (g_pumpHook >= 0) plat::RemovePumpHook(g_pumpHook);
    g_pumpHook = -1;
    plat::SetSocketNotifyPoster(nullptr);
    plat::WSACleanup();
}

bool HasSocketPumpHook() {
    return g_pumpHook >= 0;
}

void InstallNetwork() {
    SetGlobalFactory(
        GlobalSlot::Firewall,
        [] {
            EnsureFirewallException();
            return true;
        },
        [] {});
    SetGlobalFactory(GlobalSlot::Network, StartSocketLibrary, StopSocketLibrary);
    SetGlobalFactory(
        GlobalSlot::Connection, [] { return true; },
        [] {
            delete g_connection;
            g_connection = nullptr;
        });
    SetNetworkFrameClient(&g_networkFrameClient);
    SetSocketEvents(&g_sessionSocketEvents);
}
