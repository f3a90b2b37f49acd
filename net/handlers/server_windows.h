// What the server-message handlers need of the windows: the window manager
// (windows found by identifier, its own port, a message to every window) and
// the shared message box. Both live beside the network layer, so each is an
// interface the program installs at start-up; one that is not installed
// counts as absent: no window is found, nothing is posted and no box shows.
//
// Handlers do not call windows: they post typed records (core/message.h)
// into the found window's own port with sender 0, which the window reads on
// its next frame, even while hidden. The game scene takes its records
// through the main manager's queue, by handle.
#pragma once
#include <cstdint>
#include <memory>

#include "core/message.h"

class CMsgObject;

class IServerWindows {
public:
    virtual ~IServerWindows() = default;
    // The top-level window with the identifier (kind 0), or null.
    virtual CMsgObject* FindWindowByName(const char* name) = 0;
    // The window manager's own port (records for windows that may not exist yet).
    virtual CMsgPort* GetManagerPort() = 0;
    // The event, without payload, to every top-level window.
    virtual void PostToAllWindows(uint32_t eventId) = 0;
    // The window with the identifier among all windows, child windows too.
    virtual CMsgObject* FindAnyWindowByName(const char* name) = 0;

    // ---- Direct operations of the base window on the top-level window with
    // the identifier; a window that does not exist is left alone (false). ----
    virtual bool IsWindowVisible(const char* name) = 0;
    virtual bool ShowWindow(const char* name) = 0;
    virtual bool HideWindow(const char* name) = 0;
    // Shown, then made the active window.
    virtual bool OpenWindow(const char* name) = 0;
    // Placed in the middle of the screen.
    virtual bool CenterWindow(const char* name) = 0;
    // Made from the class registered for the identifier and added to the
    // window manager (hidden first when asked); false when no class is
    // registered, and nothing is made.
    virtual bool CreateWindow(const char* name, bool hidden) = 0;
};

class IServerMessageBoxes {
public:
    virtual ~IServerMessageBoxes() = default;
    // A box with the text and OK alone that closes itself, added to the
    // window manager and activated.
    virtual void ShowNotice(const char* text) = 0;
    // A box with the text, OK and CANCEL, centred 100 pixels above the middle,
    // kept when boxes close on a scene change, kind 24; either answer posts
    // the window manager's open-page message (event 9) with its own copy of
    // the address.
    virtual void AskToOpenPage(const char* text, const char* address) = 0;
    // A box as ShowNotice that stays when boxes close on a map or scene change.
    virtual void ShowKeptNotice(const char* text) = 0;
    // A box that hides itself after a while, added, shown and activated.
    virtual void ShowAutoHideNotice(const char* text) = 0;
    // A server's question: the text with OK and CANCEL, closing itself; the
    // answer goes back to the server with the box id and the reply text of
    // the button pressed. Added to the window manager and activated.
    virtual void AskServer(uint32_t serverBoxId, const char* text, const char* okReply,
                           const char* cancelReply) = 0;
    // A box with the text and OK alone, registered under the identifier;
    // nothing when a box of that identifier is open.
    virtual void ShowNamedNotice(const char* name, const char* text) = 0;
};

// Install (null removes); not owned. Each returns the previous one.
IServerWindows* SetServerWindows(IServerWindows* windows);
IServerWindows* GetServerWindows();
IServerMessageBoxes* SetServerMessageBoxes(IServerMessageBoxes* boxes);
IServerMessageBoxes* GetServerMessageBoxes();

// Installs a service for the lifetime of the guard, then puts the previous one back.
class ScopedServerWindows {
public:
    explicit ScopedServerWindows(IServerWindows* windows) : m_previous(SetServerWindows(windows)) {}
    ~ScopedServerWindows() { SetServerWindows(m_previous); }
    ScopedServerWindows(const ScopedServerWindows&) = delete;
    ScopedServerWindows& operator=(const ScopedServerWindows&) = delete;

private:
    IServerWindows* m_previous;
};

class ScopedServerMessageBoxes {
public:
    explicit ScopedServerMessageBoxes(IServerMessageBoxes* boxes)
        : m_previous(SetServerMessageBoxes(boxes)) {}
    ~ScopedServerMessageBoxes() { SetServerMessageBoxes(m_previous); }
    ScopedServerMessageBoxes(const ScopedServerMessageBoxes&) = delete;
    ScopedServerMessageBoxes& operator=(const ScopedServerMessageBoxes&) = delete;

private:
    IServerMessageBoxes* m_previous;
};

// ---- Shorthands the handlers use; an absent service or window delivers
// nothing (the record is deleted) and gives false or null. ----
CMsgObject* FindServerWindow(const char* name);
// Into the named window's own port, sender 0.
bool PostToWindow(const char* name, std::unique_ptr<CMsgPayload> record);
// Into the window manager's port.
bool PostToWindowMgr(std::unique_ptr<CMsgPayload> record, MsgDataPtr parameter = nullptr);
// Through the main manager's queue to the game scene (its child of kind 0).
bool PostToGameScene(std::unique_ptr<CMsgPayload> record);
void PostToAllWindows(uint32_t eventId);
// The base-window operations; false without the service or the window.
CMsgObject* FindAnyServerWindow(const char* name);
bool IsServerWindowVisible(const char* name);
bool ShowServerWindow(const char* name);
bool HideServerWindow(const char* name);
bool OpenServerWindow(const char* name);
bool CenterServerWindow(const char* name);
// The window when it exists, otherwise made from its registered class (hidden
// when asked); false when it neither exists nor can be made.
bool FindOrCreateServerWindow(const char* name, bool hidden);
void ShowServerNotice(const char* text);
void ShowKeptServerNotice(const char* text);
void ShowAutoHideServerNotice(const char* text);
void AskServerQuestion(uint32_t serverBoxId, const char* text, const char* okReply, const char* cancelReply);
void ShowNamedServerNotice(const char* name, const char* text);
void AskToOpenPage(const char* text, const char* address);
