// CBaseWindow: the base of every window and every control. A named drawable
// object (its image is the attached CAniObject) with child controls, a parent,
// a screen rectangle, the input routing of a frame, dragging by the mouse, a
// tooltip, an active flag shared up the parent chain, a stacking number, the
// behaviour flags the window manager reads, a state value, and the operations
// through which a window writes and reads its lines of the layout file.
//
// Event handlers return true when they did not consume the event and false
// when they did. A handler given a control passes the call on to that
// control's handler (without a control) and returns its result.
//
// A handler may delete windows at once (CWindowMgr::RemoveWindow), its own
// window or that window's parent among them. The base Draw, Update and
// ProcessInput stop when their window went during the call; an override that
// goes on after calling the base holds a CWeakRef to itself and checks it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/draw_object.h"
#include "core/linked_list.h"

class CAniObject;

class CBlockList;
class CLayoutReader;
class CLayoutWriter;

// The drag-object type of every window and control.
inline constexpr uint16_t WINDOW_DRAG_TYPE = 4;

// Control type codes (CWindowMgr::CreateControl); 0 marks a window.
enum : uint32_t {
    CONTROL_WINDOW = 0,
    CONTROL_EDIT_BOX = 3,
    CONTROL_STATIC_TEXT = 4,
    CONTROL_BUTTON = 5,
    CONTROL_SCROLL_BAR = 6,
};

// State values the window classes use (GetStateValue / SetStateValue).
enum : int32_t {
    WINDOW_STATE_FREE = 1,      // free (the close button shows)
    WINDOW_STATE_DOCKED = 2,    // docked (the detach button shows)
    WINDOW_STATE_DETACHED = 4,  // detached (the detached button shows)
};

inline constexpr size_t WINDOW_TOOLTIP_MAX = 256;       // bytes of a tooltip text
inline constexpr uint32_t WINDOW_TOOLTIP_PARAM = 1000;  // the tooltip parameter after Create

// A screen rectangle; hit tests accept its edges.
struct WindowRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int32_t x, int32_t y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    bool operator==(const WindowRect&) const = default;
};

class CBaseWindow : public CDrawObject {
public:
    using ChildList = CLinkedList<CBaseWindow, ListDeleteNone>;

    CBaseWindow();
    // Releases the window, then leaves its parent and the window manager.
    ~CBaseWindow() override;

    // ---- Operations of the drawable object ----
    // Every field to its starting value; an empty child list and the state
    // value 1.
    bool Create() override;
    // Deletes the children (through the window manager when they are its
    // children), the child list, the state holder and the image; gives up the
    // manager's edit focus when it was this window.
    bool Release() override;
    // Clears the three phase flags, the drag anchor and the pressed button.
    bool Hide() override;
    // The image unless no-image-draw, the children that draw, then the
    // tooltip at the mouse while it is over the window.
    bool Draw() override;
    // The tooltip, the image, the children that update; marks the cursor when
    // the mouse is over this window and it is the topmost so far.
    bool Update() override;
    // The children first (last added first), then the input events in the
    // queue, then the mouse movement of the frame. See the .cpp.
    bool ProcessInput() override;
    int32_t GetX() override { return m_x; }
    int32_t GetY() override { return m_y; }
    int32_t GetLayer() override { return m_stackNumber; }

    // ---- The window's own operations, in their slot order ----
    // The rectangle becomes the image's bounds; nothing without an image.
    virtual bool UpdateRect();
    // Accepts the point when the cursor holds this window (or one inside it)
    // while a button pressed on it is down (a drag), when it lies in the
    // rectangle, or when a child taking part in every phase accepts it.
    virtual bool HitTest(int32_t x, int32_t y);
    virtual bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
    virtual bool OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
    // A click (press and release close together).
    virtual bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
    // The drag step.
    virtual bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
    virtual bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
    virtual bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control);
    virtual bool OnKeyDown(uint32_t key, CBaseWindow* control);
    // Whether the window is this window's parent or a further ancestor.
    virtual bool IsChildOf(CBaseWindow* window);
    virtual bool SetActive(bool active, bool keepOrder);
    // This window's or any ancestor's active flag.
    virtual bool IsActive();
    virtual int32_t GetWidth() { return 0; }
    virtual int32_t GetHeight() { return 0; }
    virtual int32_t GetStateValue();
    virtual bool SetStateValue(int32_t value);
    // The draw, update, resp. input flag set on this window and every ancestor.
    virtual bool IsVisibleInTree();
    virtual bool IsUpdatingInTree();
    virtual bool IsInputEnabledInTree();
    // Moves the window and its image; with keep-on-screen it is held inside
    // the screen. Children are moved by each window class itself.
    virtual bool SetPosition(int32_t x, int32_t y);
    virtual bool SetSize(uint32_t width, uint32_t height);
    // A null text changes nothing; otherwise the flag takes the argument and
    // the text is kept (at most 256 bytes, cut between characters).
    virtual bool SetToolTip(bool enabled, const char* text, uint32_t parameter);
    // While the mouse is over the window, the field's cursor text is cleared.
    virtual bool UpdateToolTip();
    // Appends the child and becomes its parent (false for this window or one
    // of its ancestors); RemoveChild undoes that. Neither deletes.
    virtual bool AddChild(CBaseWindow* child);
    virtual bool RemoveChild(CBaseWindow* child);
    // The window's layout entries; the base has none.
    virtual bool SaveSettings(CLayoutWriter* writer);
    virtual bool LoadSettings();
    // "identifier key value" lines of the layout file.
    virtual bool WriteLayoutString(const char* key, const char* value, CLayoutWriter* writer);
    virtual bool WriteLayoutFloat(const char* key, float value, CLayoutWriter* writer);
    virtual float ReadLayoutFloat(const char* key, CLayoutReader* reader, float defaultValue);
    // Empties out, then copies the key's value into it (cut to the capacity).
    virtual bool ReadLayoutString(const char* key, char* out, size_t capacity, CLayoutReader* reader);

    // ---- Not slots ----
    // Activates the window; unless it is free (state 1) already or hidden, it
    // becomes free and is shown.
    bool Open();
    // The width and height of the image's current frame; without an image
    // those of the rectangle.
    int32_t ImageWidth();
    int32_t ImageHeight();

    uint32_t GetControlType() const { return m_controlType; }
    void SetControlType(uint32_t type) { m_controlType = type; }
    const WindowRect& GetRect() const { return m_rect; }
    CBaseWindow* GetParent() const { return m_pParent; }
    const ChildList* Children() const { return m_pChildren.get(); }
    bool IsActiveFlag() const { return m_active != 0; }
    int32_t GetStackNumber() const { return m_stackNumber; }
    void SetStackNumber(int32_t number) { m_stackNumber = number; }
    const char* GetToolTip() const { return m_toolTip; }
    uint32_t GetToolTipParam() const { return m_toolTipParam; }
    bool IsToolTipOn() const { return m_toolTipOn != 0; }
    int32_t GetPressedButton() const { return m_pressedButton; }

    bool AcceptsMouse() const { return m_acceptsMouse != 0; }
    void SetAcceptsMouse(bool on) { m_acceptsMouse = on; }

    // Behaviour flags.
    uint8_t m_noImageDraw = 0;
    uint8_t m_keepOnScreen = 0;
    uint8_t m_draggable = 0;
    uint8_t m_lockVertical = 0;    // drag steps keep y
    uint8_t m_lockHorizontal = 0;  // drag steps keep x
    uint8_t m_doubleClickAsClick = 1;
    uint8_t m_pickable = 0;  // CWindowMgr::GetWindowAt may return it
    uint8_t m_hideOnClick = 0;
    uint8_t m_closeOnOutsideClick = 0;
    uint8_t m_hideDuringEvents = 0;
    uint8_t m_keepDuringEvents = 0;
    uint8_t m_drawOnTop = 0;
    uint8_t m_forwardToParent = 0;
    uint8_t m_fixedOrder = 0;
    uint8_t m_keepOpen = 0;
    // Set by the handlers; derived windows read and clear them in Update.
    uint8_t m_pressed[2] = {};
    uint8_t m_clicked[2] = {};
    uint8_t m_doubleClicked[2] = {};

protected:
    friend class CWindowMgr;  // clears and sets the active flag when it reorders

    // The children as weak references, for walks during which windows may go.
    std::vector<CWeakRef> ChildSnapshot() const;

    uint32_t m_controlType = CONTROL_WINDOW;
    WindowRect m_rect;
    int32_t m_x = 0, m_y = 0;
    uint32_t m_width = 0, m_height = 0;
    CBaseWindow* m_pParent = nullptr;
    std::unique_ptr<ChildList> m_pChildren;
    int32_t m_pressedButton = -1;
    int32_t m_dragAnchorX = -1, m_dragAnchorY = -1;
    int32_t m_pressOffsetX = 0, m_pressOffsetY = 0;
    uint8_t m_toolTipOn = 0;
    uint32_t m_toolTipParam = WINDOW_TOOLTIP_PARAM;
    char m_toolTip[WINDOW_TOOLTIP_MAX + 1] = {};
    int32_t m_stackNumber = 5;
    std::unique_ptr<CBlockList> m_pState;
};

// An image of the animation playing the motion in the direction, or null
// when the animation cannot be attached.
std::unique_ptr<CAniObject> MakeWindowImage(uint32_t animation, uint8_t motion, uint8_t direction);

// A handler that ignores its arguments and leaves the event to others.
bool DefaultReturnTrue(int32_t button, int32_t x, int32_t y, CBaseWindow* control);
