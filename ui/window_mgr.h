// CWindowMgr: the one window manager. It owns every window and every control
// (its children, each with a handle), keeps the stacking order of the
// top-level windows, runs their draw, update and input phases, finds windows
// by identifier, builds controls from a type code, closes windows one frame
// later through its own port, handles the records posted to it for windows
// that may not exist yet, and writes the layout file.
//
// Window classes are made by identifier through one table: each class
// registers its constructor with RegisterWindowClass (from its layer's
// start-up, never from a static initialiser), and CreateRegisteredWindow
// makes one; an identifier without a class makes nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "core/linked_list.h"
#include "core/object_mgr.h"

class CBaseWindow;
class ICursorObject;

// The focused edit box's IME composition, drawn over every window.
class IImeOverlay {
public:
    virtual ~IImeOverlay() = default;
    virtual void DrawImeOverlay() = 0;
};

// Takes an animated object dropped on it (the combo set-up window).
class IAniDropTarget {
public:
    virtual ~IAniDropTarget() = default;
    virtual void OnAniObjectDrop(CAniObject* object) = 0;
};

inline constexpr const char* MESSAGE_BOX_NAME = "MESSAGE_BOX";
inline constexpr const char* AUTOHIDE_MESSAGE_BOX_NAME = "AUTOHIDE_MESSAGE_BOX";
inline constexpr const char* NPC_HEAL_WINDOW_NAME = "NPCHEALWIN";
inline constexpr const char* COMBO_SETUP_WINDOW_NAME = "COMBO_SETUP_WINDOW";

class CWindowMgr : public CObjectMgr, public IAniWindows {
public:
    using TopLevelList = CLinkedList<CBaseWindow, ListDeleteNone>;

    CWindowMgr();
    // Deletes every window left.
    ~CWindowMgr() override;

    // No cursor, an empty top-level list, no focused edit box, the mouse not
    // over a window. Create does the same.
    bool Init();
    bool Create() override;
    // DeleteAllChildren, then the top-level list goes.
    bool Release() override;
    // Windows (control type 0) join the top-level list, at its head resp.
    // tail (the top); then the object becomes a child with a handle. A null
    // object, or one that is a child already, is refused.
    bool AddChild(CMsgObject* object) override;
    bool AddChildBack(CMsgObject* object) override;
    // The waiting messages are handled once, the top-level list emptied, and
    // every child without a parent window deleted; children of a window stay
    // for their window's Release.
    bool DeleteAllChildren() override;

    // ---- The frame phases ----
    bool Draw();
    bool Update();
    bool ProcessInput();
    // Handles the messages queued at the start; see the .cpp for the table.
    bool ProcessMessages();

    // ---- Finding windows ----
    // The first window with the identifier (byte-exact) and kind id: from the
    // bottom of the top-level list, or over every child (controls included).
    CBaseWindow* FindWindowByName(const char* name, uint32_t kindId = 0, bool topLevelOnly = true);
    // Every child with the identifier; returns the count.
    int32_t FindAllWindowsByName(const char* name, std::vector<CBaseWindow*>* out);
    // The topmost pickable window, visible in its tree and updating, that
    // accepts the point.
    CBaseWindow* GetWindowAt(int32_t x, int32_t y);
    // The window when it is a child of the manager, else null.
    CBaseWindow* HasWindow(CBaseWindow* window);
    // The child with the handle when it is a window, else null.
    CBaseWindow* FindWindowById(uint32_t handle);

    // ---- Order and closing ----
    // Stacking numbers 0, 1, 2, ... from the bottom for every window without
    // the fixed-order flag, whose active flag is cleared.
    bool RenumberZOrder();
    // Posts the event (no payload, no parameter) to every top-level window, topmost first.
    void PostToAllWindows(uint32_t eventId);
    // Hides the window and posts the close message with its handle; the
    // window goes when the message is handled. False for a window that is
    // not a child.
    bool CloseWindow(CBaseWindow* window);
    // Out of the top-level list and deleted at once; renumbers. False when
    // it is not a child (a stale handle finds nothing).
    bool RemoveWindow(CBaseWindow* window);
    bool RemoveWindowById(uint32_t handle);
    // Moves the window to the top (its handle stays), renumbers, activates it.
    bool BringToFront(CBaseWindow* window);
    // Deletes at once every "MESSAGE_BOX" that is not kept.
    void CloseMessageBoxes();
    void HideAllWindows();
    void ClosePopupsOutside();
    void HandleMouseButtons();
    // Hides the topmost shown window that is free (state 1) and not
    // keep-open, then activates the topmost shown one. False when none qualifies.
    bool HideTopWindow();
    // A control of type 0 (plain window), 3 (edit box), 4 (label), 5
    // (button) or 6 (scroll bar) named and of the kind, at (0, 0), added at
    // the top; null for other types.
    CBaseWindow* CreateControl(const char* name, uint32_t type, uint32_t kindId);
    // Writes the layout file: the header, then the entries of every child
    // without a parent window, in child order. The old file is replaced at
    // once and kept when the write fails.
    bool SaveWindowLayout(const char* path = nullptr);

    // ---- State ----
    void SetCursorObject(ICursorObject* cursor) { m_pCursor = cursor; }
    ICursorObject* GetCursorObject() const { return m_pCursor; }
    CBaseWindow* GetFocusedEditBox() const { return m_pFocusedEditBox; }
    void SetFocusedEditBox(CBaseWindow* box) { m_pFocusedEditBox = box; }
    // Set while the mouse is over a window this frame (the field code keeps
    // clicks on windows away from the map).
    bool IsMouseOverWindow() const { return m_mouseOverWindow != 0; }
    void SetMouseOverWindow(bool over) { m_mouseOverWindow = over; }
    const TopLevelList& TopLevel() const { return *m_pTopLevel; }
    // The top-level windows from the bottom.
    std::vector<CBaseWindow*> TopLevelWindows() const;

    // A window is going away: it leaves the top-level list, the focus and
    // the children (without being deleted).
    void ForgetWindow(CBaseWindow* window);

    // IAniWindows: the window under the mouse takes a dropped animated
    // object when it is the combo set-up window and the drag carries no data.
    void DropAniObject(CAniObject* object) override;

private:
    bool AddToTopLevel(CMsgObject* object, bool atTop);
    // Weak references to the top-level windows, bottom first.
    std::vector<CWeakRef> Snapshot() const;
    // SetActive(true, false) on the topmost window that draws and updates.
    void ActivateTopmostShown();
    // One message of the port; false when it waits for its window.
    bool HandleMessage(CMsg* msg);

    ICursorObject* m_pCursor = nullptr;
    std::unique_ptr<TopLevelList> m_pTopLevel;
    CBaseWindow* m_pFocusedEditBox = nullptr;
    uint8_t m_mouseOverWindow = 0;
};

extern CWindowMgr* g_pWindowMgr;

// The mouse position windows test against (the input manager's; 0 without one).
int32_t WindowMouseX();
int32_t WindowMouseY();
// The window manager's cursor object, or null.
ICursorObject* WindowCursor();

// A control of the type (see CreateControl), named and of the kind, at
// (0, 0), not added anywhere; null for other types.
CBaseWindow* NewWindowControl(const char* name, uint32_t type, uint32_t kindId);
// A control made by the window manager (added at its top), or on its own
// without one (kind 0).
CBaseWindow* MakeWindowControl(const char* name, uint32_t type);

// ---- Window classes by identifier ----

using WindowFactory = CBaseWindow* (*)();
// Registers the constructor of the window class with the identifier. The
// same factory again is accepted; a different one for a taken identifier is
// refused (false) and the first stays.
bool RegisterWindowClass(const char* identifier, WindowFactory factory);
// A new window of the class registered for the identifier (not yet added to
// the manager); null when none is registered.
CBaseWindow* CreateRegisteredWindow(const char* identifier);
bool IsWindowClassRegistered(const char* identifier);
std::vector<std::string> RegisteredWindowClasses();
// Forgets every registration (tests).
void ClearWindowClasses();
