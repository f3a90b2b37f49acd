// CButton: the button control (control type 5). A label with a state-driven
// image (each state is a direction of its animation) or a plain drawn face
// with a caption; a hover state, a pressed state, and an optional linked
// window that the button shows, hides and places beside itself.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "ui/static_text.h"

class CAniObject;

// Button states.
enum : int32_t {
    BUTTON_NORMAL = 1,
    BUTTON_HOVER = 2,
    BUTTON_PRESSED = 4,
    BUTTON_DISABLED = 8,
};

// Link flags.
enum : uint8_t {
    BUTTON_LINK_FOLLOW =
        2,  // the linked window moves with the button; a still press tells the main interface
    BUTTON_LINK_TOGGLE = 4,  // a click shows or hides the linked window
};

// Linked windows of hover menus that open low on the screen are placed with
// their bottom on the button's bottom.
inline constexpr int32_t BUTTON_HOVER_OPEN_LIMIT_Y = 385;

// The main interface window ("Z5MAINWIN"), told when a button opens or
// clicks its linked window so that it can arrange its panel windows.
class IMainPanelHost {
public:
    virtual ~IMainPanelHost() = default;
    // True when the window is one of the main panel windows (it is then arranged with the others).
    virtual bool IsMainPanelWindow(CBaseWindow* window) = 0;
};

class CButton : public CStaticText {
public:
    CButton();
    ~CButton() override;

    // State 1, no image, no link, no plain face; shown.
    bool Create() override;
    // Deletes the image, then the label's release.
    bool Release() override;
    // Hidden, the button forgets its press and hover: shown again it is normal.
    bool Hide() override;
    bool Draw() override;
    // The base update, the linked window's placement, the image, and the
    // tooltip as the cursor text while the mouse is over the button.
    bool Update() override;
    // The base input routing, and the hover state.
    bool ProcessInput() override;
    bool UpdateRect() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    int32_t GetWidth() override;
    int32_t GetHeight() override;
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- The button's own operations, in their slot order ----
    // Shows the motion of the animation (loaded unless it is the one shown
    // already); false when the animation cannot be had (no image then).
    virtual bool LoadImage(uint32_t animationId, uint8_t motion);
    // The plain face: a dark rectangle of this size with the caption (at
    // most 255 bytes, cut between characters).
    virtual bool SetImage(uint32_t width, uint32_t height, const char* caption);
    virtual bool SetLinkedWindow(uint8_t placementMode, CBaseWindow* window, uint8_t linkFlags,
                                 uint8_t extra);
    // Shows a press: one Draw and one Update in state 4, then state 1.
    virtual bool Press();
    // Applies the linked window's phase flags again (Show or Hide by its draw flag).
    virtual bool RefreshLinkedWindow();
    // Every frame: placement mode 1 with link flag 2 moves, opens and closes
    // the linked window by its state value (4: opens on hover, 2: hover menu).
    virtual bool PlaceLinkedWindow();

    // ---- Not slots ----
    int32_t GetState() const { return m_state; }
    void SetState(int32_t state) { m_state = state; }
    CAniObject* GetImage() const { return m_pImage; }
    CBaseWindow* GetLinkedWindow() const { return m_linkedWindow.GetAs<CBaseWindow>(); }
    bool HasPlainFace() const { return m_plainFace != 0; }
    const char* GetCaption() const { return m_caption; }
    // The image direction that shows a state: 1 -> 2, 2 -> 0, 4 -> 14, 8 -> 12.
    static uint8_t StateDirection(int32_t state);

private:
    // Turns the image to the direction of the state; its frames start again on a change.
    void ShowState(int32_t state);
    // Places the linked window left of the button: level with its top, or
    // with its bottom on the button's bottom.
    void PlaceBeside(CBaseWindow* linked, bool bottomAligned);
    bool IsMouseOver();
    void TellMainInterface(CBaseWindow* linked);

    int32_t m_state = BUTTON_NORMAL;
    CAniObject* m_pImage = nullptr;  // owned
    uint32_t m_imageAnimation = 0;
    uint8_t m_imageMotion = 0;  // the motion LoadImage was given
    uint8_t m_placementMode = 0;
    CWeakRef m_linkedWindow;  // not owned
    uint8_t m_linkFlags = 0;
    uint8_t m_linkExtra = 0;
    uint32_t m_plainFace = 0;
    uint32_t m_faceWidth = 0, m_faceHeight = 0;
    char m_caption[STATIC_TEXT_MAX + 1] = {};
    int32_t m_pressX = 0, m_pressY = 0;
};

// A button made by the window manager, that tells its window of its clicks,
// added to the window's children, showing the animation's motion (none when
// the animation is 0).
CButton* MakeChildButton(const char* name, CBaseWindow* parent, uint32_t animation, uint8_t motion);
// True when (x, y) lies on the control (its rectangle brought up to date):
// window handlers see every click of their controls and test this first.
bool IsClickOn(CBaseWindow* control, int32_t x, int32_t y);
