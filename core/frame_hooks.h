// Services above the core that the frame loop and the main window procedure
// call once they exist. The layers that build them install them from their
// start-up files; a service left absent is skipped.
#pragma once
#include <cstdint>

#include "platform/seam.h"
#include "platform/window.h"

class CObjectMgr;

// One step of every frame (sound streams, the network pump, file jobs).
class IFrameClient {
public:
    virtual ~IFrameClient() = default;
    virtual void OnFrame() = 0;
};

// The display's part of a frame.
class IFrameDisplay {
public:
    virtual ~IFrameDisplay() = default;
    // Fills the primary display surface with colour 0.
    virtual void ClearPrimary() {}
    virtual bool IsSurfaceLost() = 0;
    virtual void RestoreSurface() = 0;
    // Clears the render target and depth buffer (colour 0, depth 1.0, stencil
    // 0), sets the default render states and begins the scene; false when the
    // device was lost (and has been reset): nothing is drawn this frame.
    virtual bool BeginScene() = 0;
    // Fills the screen with the full-screen colour overlay when it is on, ends
    // the scene and presents the frame with the options byte given.
    virtual void EndScene(uint8_t presentOption) = 0;
    // The main window moved: re-read its client and screen rectangles.
    virtual void OnWindowMoved() {}
};

// The server connection's side of the socket notification message.
class ISocketEvents {
public:
    virtual ~ISocketEvents() = default;
    // True for a notification about a socket that is no longer the
    // connection's (closed and replaced since it was posted); it is ignored.
    virtual bool IsStaleSocket(plat::WParam socket) = 0;
    virtual void MarkReadable() = 0;
    virtual void MarkWritable() = 0;
    virtual bool IsConnectionOpen() = 0;
    virtual void CloseConnection() = 0;
};

// Shows the "connection lost" message box (the window manager's part).
class IDisconnectNotice {
public:
    virtual ~IDisconnectNotice() = default;
    virtual void Show() = 0;
};

// A native child window (the in-game web page) that takes some keys while shown.
class IChildWindowHost {
public:
    virtual ~IChildWindowHost() = default;
    virtual bool IsShown() = 0;
    virtual void ForwardKey(uint32_t message, plat::WParam wParam, plat::LParam lParam) = 0;
    virtual void Close() = 0;
};

// The loaded map's state that is reset whenever the main window is activated.
class IActivationListener {
public:
    virtual ~IActivationListener() = default;
    // A map is loaded together with the object whose state is reset.
    virtual bool HasMapState() = 0;
    virtual void ResetMapState() = 0;
};

// Notification codes in the low word of the socket message's lParam.
enum : uint16_t { FD_READ = 1, FD_WRITE = 2, FD_CLOSE = 32 };
// The window message that carries socket notifications.
constexpr uint32_t WM_SOCKET_NOTIFY = plat::WM_USER + 100;

// The seams, each installed by the layer that has the service (null: absent).
// The steps of every frame, in their order: sound streams first, the game
// session's receive pump, the queues of the surface cache and of the
// sound-entry cache after the main manager's own, asynchronous file jobs last.
void SetSoundFrameClient(IFrameClient* client);
IFrameClient* GetSoundFrameClient();
void SetNetworkFrameClient(IFrameClient* client);
IFrameClient* GetNetworkFrameClient();
void SetSurfaceCacheFrameClient(IFrameClient* client);
IFrameClient* GetSurfaceCacheFrameClient();
void SetSoundCacheFrameClient(IFrameClient* client);
IFrameClient* GetSoundCacheFrameClient();
void SetFileJobFrameClient(IFrameClient* client);
IFrameClient* GetFileJobFrameClient();
void SetFrameDisplay(IFrameDisplay* display);
IFrameDisplay* GetFrameDisplay();
void SetSocketEvents(ISocketEvents* events);
ISocketEvents* GetSocketEvents();
void SetDisconnectNotice(IDisconnectNotice* notice);
IDisconnectNotice* GetDisconnectNotice();
void SetChildWindowHost(IChildWindowHost* host);
IChildWindowHost* GetChildWindowHost();
void SetActivationListener(IActivationListener* listener);
IActivationListener* GetActivationListener();

using ScopedSoundFrameClient = plat::ScopedInstall<GetSoundFrameClient, SetSoundFrameClient>;
using ScopedNetworkFrameClient = plat::ScopedInstall<GetNetworkFrameClient, SetNetworkFrameClient>;
using ScopedSurfaceCacheFrameClient =
    plat::ScopedInstall<GetSurfaceCacheFrameClient, SetSurfaceCacheFrameClient>;
using ScopedSoundCacheFrameClient = plat::ScopedInstall<GetSoundCacheFrameClient, SetSoundCacheFrameClient>;
using ScopedFileJobFrameClient = plat::ScopedInstall<GetFileJobFrameClient, SetFileJobFrameClient>;
using ScopedFrameDisplay = plat::ScopedInstall<GetFrameDisplay, SetFrameDisplay>;
using ScopedSocketEvents = plat::ScopedInstall<GetSocketEvents, SetSocketEvents>;
using ScopedDisconnectNotice = plat::ScopedInstall<GetDisconnectNotice, SetDisconnectNotice>;
using ScopedChildWindowHost = plat::ScopedInstall<GetChildWindowHost, SetChildWindowHost>;
using ScopedActivationListener = plat::ScopedInstall<GetActivationListener, SetActivationListener>;

// A frame step that delivers the message queue of a manager (a resource cache).
class CQueueFrameClient : public IFrameClient {
public:
    explicit CQueueFrameClient(CObjectMgr* manager = nullptr) : m_manager(manager) {}
    void OnFrame() override;
    CObjectMgr* m_manager;
};
