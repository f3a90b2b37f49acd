// What the windows need of the layers above them: the mouse-cursor object,
// the event manager's state, the message box's flags and the sound effects.
// Each is a small interface that its own layer implements and installs; one
// that is not installed counts as absent: no cursor holds anything, no event
// runs, no message box asks to be closed or kept, and nothing sounds.
#pragma once
#include <cstdint>

#include "platform/seam.h"

class CBaseWindow;
class CDragObject;

// The mouse-cursor object (the game world's cursor), as the windows use it.
// The window manager is given it with SetCursorObject.
class ICursorObject {
public:
    virtual ~ICursorObject() = default;
    // Start of the window update: not over a window, no stacking number (-1),
    // the cursor text empty in white; the mouse is at (x, y).
    virtual void ResetWindowState(int32_t mouseX, int32_t mouseY) = 0;
    // The object the cursor holds (a dragged window or item), or null. A
    // held window may be deleted at any time (it drops itself through the
    // drawable object's cursor hook); the cursor never keeps a stale one.
    virtual CDragObject* GetHeldObject() = 0;
    // With an object: the cursor holds it unless it holds one already. With
    // null: the held object's drag ends and the cursor holds nothing.
    virtual void SetPointedObject(CDragObject* object) = 0;
    // Set while the mouse is over a window this frame.
    virtual bool IsOverWindow() = 0;
    virtual void SetOverWindow(bool over) = 0;
    // The stacking number of the topmost window under the mouse this frame (-1: none).
    virtual int32_t GetWindowLayer() = 0;
    virtual void SetWindowLayer(int32_t layer) = 0;
    // The cursor's picture (0 is the plain pointer shown over windows).
    virtual void SetShapeIndex(int32_t shape) = 0;
    // The text shown beside the cursor, colour 0x00BBGGRR.
    virtual void SetText(const char* text, uint32_t colour) = 0;
    // Empties the tooltip text the field would show at the cursor.
    virtual void ClearToolTip() = 0;
    // The height of the cursor's picture (a tooltip without a place of its
    // own goes under it); 0 while it has none.
    virtual int32_t GetImageHeight() { return 0; }
};

// The held object when it is a window (drag-object type 4), or null.
CBaseWindow* GetPinnedWindow(ICursorObject* cursor);

// The event manager (scripts and events).
class IUiEventState {
public:
    virtual ~IUiEventState() = default;
    // A visual event runs: windows marked to hide during events are left out.
    virtual bool IsEventRunning() = 0;
    // The event manager's hide byte.
    virtual bool IsHideFlagSet() = 0;
    // Locks or unlocks the player's control of the character.
    virtual void SetControlLock(bool locked) = 0;
};

// The shared message box's two flags, read for windows named "MESSAGE_BOX".
class IMessageBoxState {
public:
    virtual ~IMessageBoxState() = default;
    // The box closes itself once it stops updating.
    virtual bool IsAutoClose(CBaseWindow* box) = 0;
    // The box survives CWindowMgr::CloseMessageBoxes.
    virtual bool IsKept(CBaseWindow* box) = 0;
};

// The sound manager's effects.
class IUiSound {
public:
    virtual ~IUiSound() = default;
    // The id of the named sound effect; 0 when there is none.
    virtual uint16_t FindEffectIdByName(const char* name) = 0;
    // Plays an effect at (x, y), or without a position for x = -1.
    virtual void PlaySoundEffect(uint16_t effectId, int32_t x, int32_t y, uint32_t loops) = 0;
};

// Install (null removes) a service; not owned. Each returns the previous one.
IUiEventState* SetUiEventState(IUiEventState* state);
IMessageBoxState* SetMessageBoxState(IMessageBoxState* state);
IUiSound* SetUiSound(IUiSound* sound);
IUiEventState* GetUiEventState();
IMessageBoxState* GetMessageBoxState();
IUiSound* GetUiSound();

// Shorthands that read an absent service as "no".
bool IsUiEventRunning();
bool IsMessageBoxAutoClose(CBaseWindow* box);
bool IsMessageBoxKept(CBaseWindow* box);
// Plays the named effect once without a position; nothing without a sound service.
void PlayUiSound(const char* name);

// Installs a service for the lifetime of the guard, then puts the previous one back.
class ScopedUiEventState {
public:
    explicit ScopedUiEventState(IUiEventState& state) : m_previous(SetUiEventState(&state)) {}
    ~ScopedUiEventState() { SetUiEventState(m_previous); }
    ScopedUiEventState(const ScopedUiEventState&) = delete;
    ScopedUiEventState& operator=(const ScopedUiEventState&) = delete;

private:
    IUiEventState* m_previous;
};

using ScopedUiSound = plat::ScopedInstall<GetUiSound, SetUiSound>;

class ScopedMessageBoxState {
public:
    explicit ScopedMessageBoxState(IMessageBoxState& state) : m_previous(SetMessageBoxState(&state)) {}
    ~ScopedMessageBoxState() { SetMessageBoxState(m_previous); }
    ScopedMessageBoxState(const ScopedMessageBoxState&) = delete;
    ScopedMessageBoxState& operator=(const ScopedMessageBoxState&) = delete;

private:
    IMessageBoxState* m_previous;
};
