// The keyboard and mouse input manager: the main window procedure feeds it the
// window's input messages; it keeps a short queue of time-stamped events that
// windows and scenes poll every frame, the mouse position and the state of
// both buttons and the letter keys.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "core/node_list.h"

enum : uint32_t { INPUT_MOUSE = 2, INPUT_KEY = 3 };

// Mouse event codes.
enum : uint32_t {
    MOUSE_LDOWN = 0,
    MOUSE_RDOWN = 1,
    MOUSE_LUP = 2,
    MOUSE_RUP = 3,
    MOUSE_LCLICK = 4,  // up within 10 pixels of its down
    MOUSE_RCLICK = 5,
    MOUSE_LDBLCLICK = 6,
    MOUSE_RDBLCLICK = 7,
    MOUSE_WHEEL = 8,
};

class CInputEvent : public CListNode {
public:
    uint32_t m_kind = 0;      // INPUT_MOUSE or INPUT_KEY
    uint32_t m_time = 0;      // when queued (timeGetTime)
    uint32_t m_lastTime = 0;  // moved forward when a repeat is merged; expiry counts from it
    uint32_t m_code = 0;      // virtual key, or mouse code
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_value = 0;  // wheel steps
    // Set by the frame's Update once the event has been in the queue for the
    // windows to walk; only such an event expires.
    bool m_offered = false;
};

class CInputMgr : public CMsgObject {
public:
    static constexpr size_t MAX_PENDING_EVENTS = 20;  // one more may be pushed
    static constexpr uint32_t EVENT_LIFETIME_MS = 100;
    static constexpr uint32_t MERGE_WINDOW_MS = 50;
    static constexpr uint32_t HOLD_TIME_MS = 500;

    CInputMgr();
    ~CInputMgr() override;

    bool Create() override;
    // Clamp bounds of the mouse position (the client size).
    void Init(int32_t width, int32_t height);
    // Clears the mouse position, the button and key state and the
    // keyboard-click flag. The event queue is kept.
    void ClearState();

    // A key went down (repeat: auto-repeat of a held key). True.
    bool PostKeyDown(uint32_t key, bool repeat);
    bool KeyUp(uint32_t key);
    bool MouseMove(int32_t x, int32_t y);
    bool MouseDown(int button, int32_t x, int32_t y);
    bool MouseUp(int button, int32_t x, int32_t y);
    bool MouseDoubleClick(int button, int32_t x, int32_t y);
    bool MouseWheel(int32_t x, int32_t y, int32_t delta);

    // Queues an event; null when it was merged into a recent identical one.
    CInputEvent* PushInputEvent(uint32_t kind, uint32_t time, uint32_t code, int32_t x, int32_t y,
                                int32_t value);
    CInputEvent* FindRecentEvent(uint32_t kind, uint32_t minTime, uint32_t code);

    // Once per frame: expiry, hold detection, and the mouse-moved flag of the
    // frame (set when the mouse moved since the previous Update).
    void Update();
    // Deletes the events a frame's windows have had the chance to see whose
    // age since their last time is EVENT_LIFETIME_MS or more. An event queued
    // since the last Update is kept for this frame's windows however long the
    // frame took to get here: a slow frame does not lose a key or a click.
    void ExpireEvents();

    // Walking the queue: take the count first and visit that many events.
    CInputEvent* GetFirstEvent();
    CInputEvent* GetNextEvent(CInputEvent* event);
    // Deletes the event; returns the one after it (null when it was last or not queued).
    CInputEvent* RemoveEvent(CInputEvent* event);
    int32_t GetEventCount() const { return m_pEvents ? m_pEvents->Count() : 0; }

    void SetMousePos(int32_t x, int32_t y);
    bool IsKeyDown(uint32_t key) const { return key < 256 && m_keyState[key] != 0; }
    bool IsButtonDown(int button) const { return ValidButton(button) && m_buttonDown[button]; }
    bool IsButtonHeld(int button) const { return ValidButton(button) && m_held[button]; }
    // The mouse moved between the last two Updates.
    bool HasMouseMoved() const { return m_mouseMoved != 0; }

    int32_t m_mouseX = 0;
    int32_t m_mouseY = 0;
    // The main window's arrow-key clicks: set while Left or Right is held in
    // keyboard-click mode, with the time of the first press.
    uint8_t m_keyboardClick = 0;
    uint32_t m_keyboardClickTime = 0;

private:
    static bool ValidButton(int button) { return button == 0 || button == 1; }
    bool Contains(const CInputEvent* event) const;

    std::unique_ptr<CNodeList> m_pEvents;
    int32_t m_maxX = 0;
    int32_t m_maxY = 0;
    uint8_t m_buttonDown[2] = {};
    uint32_t m_buttonDownTime[2] = {};
    int32_t m_buttonDownX[2] = {};
    int32_t m_buttonDownY[2] = {};
    uint8_t m_held[2] = {};
    uint8_t m_keyState[256] = {};
    uint32_t m_lastMoveTime = 0;
    uint8_t m_movedSinceUpdate = 0;
    uint8_t m_mouseMoved = 0;
};

extern CInputMgr* g_pInputMgr;

// Display name of a virtual key for the key settings: letters and digits are
// written into the two-byte buffer, which is returned; others are constants.
const char* GetKeyName(uint32_t key, char buffer[2]);
// "Ctrl+", "Alt+", "Shift+" as set, then the key's name; cut to capacity.
void GetShortcutName(bool ctrl, bool alt, bool shift, uint32_t key, char* out, size_t capacity);
