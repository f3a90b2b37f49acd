// Services above the core that the frame loop and the main window procedure
// call once they exist. The layers that build them install themselves here;
// a slot left empty is skipped.
#pragma once
#include <cstdint>

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

struct CFrameHooks {
    IFrameClient* m_sound = nullptr;     // first in every frame
    IFrameClient* m_network = nullptr;   // the game session's receive pump
    IFrameClient* m_fileJobs = nullptr;  // asynchronous file jobs, last in the frame
    IFrameDisplay* m_display = nullptr;
    ISocketEvents* m_socket = nullptr;
    // The message the connection's notifications arrive as.
    uint32_t m_socketMessage = plat::WM_USER + 100;
    IDisconnectNotice* m_disconnectNotice = nullptr;
    IChildWindowHost* m_childWindow = nullptr;
    IActivationListener* m_activation = nullptr;
    // Managers whose message queues are delivered every frame after the main
    // manager's own (the surface cache and the sound-entry cache).
    CObjectMgr* m_surfaceCache = nullptr;
    CObjectMgr* m_soundCache = nullptr;
};
extern CFrameHooks g_frameHooks;
