// CNumberInputWindow ("NUMBER_EDIT_CONTROL", image "Number_Input_Window"):
// the small shared dialog in which the player types or steps a quantity. A
// numeric edit box with a minimum and a maximum, an OK button and two arrow
// buttons that repeat faster the longer they are held. Enter or OK takes a
// value within the range, Escape cancels; the outcome goes as message 10 to
// the port that opened it (parameter: the notify parameter as a CMsgWord;
// extra: 1 taken, 0 cancelled; sender: the window's kind id), and the owner
// reads the amount with GetValue.
#pragma once
#include <cstdint>

#include "ui/base_window.h"
#include "ui/notify_port.h"

class CAniObject;
class CButton;
class CEditBox;

inline constexpr uint32_t NUMBER_INPUT_OUTCOME = 10;    // event of the outcome
inline constexpr uint32_t NUMBER_INPUT_MAX_DIGITS = 9;  // the edit box's maximum length
inline constexpr uint32_t NUMBER_INPUT_BLINK_MS = 1000;

class CNumberInputWindow : public CBaseWindow {
public:
    CNumberInputWindow();
    ~CNumberInputWindow() override;

    // Draggable, hidden by clicks elsewhere, pickable, kept in its place in
    // the order; the three buttons, the inner image and the numeric edit box
    // (shown and activated); range 0 to 255; at (0, 0).
    bool Create() override;
    // Deletes the inner image, then the base release (the controls go with it).
    bool Release() override;
    // When hidden: the edit box shown and activated, the three phase flags set.
    bool Show() override;
    // When shown: the edit box deactivated and hidden, the phase flags cleared.
    bool Hide() override;
    // Becoming active deactivates the manager's focused edit box first.
    bool SetActive(bool active, bool keepOrder) override;
    // Kept on the screen (no negative coordinates); the controls follow.
    bool SetPosition(int32_t x, int32_t y) override;
    // The inner image (direction 0 while active, 2 otherwise), the blink, the base draw.
    bool Draw() override;
    // Enter takes the value; Escape cancels.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    // A press on an arrow starts its repetition; a release stops it.
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Holding an arrow (while the mouse moves) steps again, faster and faster.
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Clicks on the edit box, OK and the arrows.
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    void SetRange(uint32_t maximum, int32_t minimum);
    // The edit box shows the value; with selectAll (and the box active) all of it selected.
    void SetNumber(uint32_t value, bool selectAll);
    void SetNotify(uint8_t on, CMsgPort* port, uint32_t parameter);
    // The last value taken from the edit box.
    uint32_t GetValue() const { return m_value; }
    // 1 accepted, 0 cancelled.
    uint8_t GetResult() const { return m_result; }

    CEditBox* GetEditBox() const;
    CButton* GetOkButton() const;
    CButton* GetLeftArrow() const;
    CButton* GetRightArrow() const;
    uint32_t GetMaximum() const { return m_maximum; }
    int32_t GetMinimum() const { return m_minimum; }
    bool IsBlinkOn() const { return m_blink != 0; }

    // Milliseconds between repeated steps after `held` ms: 700 in the first
    // two seconds, 500 in the third, 300 in the fourth, then 10.
    static int32_t RepeatInterval(uint32_t held);

private:
    // Enter or OK: a value above the maximum shows the maximum, one below
    // the minimum the minimum; one within the range is taken.
    void TakeValue();
    void Accept();
    void Cancel();
    void PostOutcome();
    // value + delta held within the range, written to the edit box, caret at the end.
    void Step(int64_t delta);
    void ShowValue(int64_t value);
    bool IsHit(CBaseWindow* control, int32_t x, int32_t y);

    uint32_t m_blinkTime = 0;
    uint8_t m_blink = 0;
    uint8_t m_result = 0;
    uint32_t m_value = 0;
    CAniObject* m_pInnerImage = nullptr;  // owned
    CWeakRef m_ok, m_left, m_right;       // children
    uint32_t m_maximum = 255;
    int32_t m_minimum = 0;
    CWeakRef m_editBox;  // child
    uint32_t m_repeatStart = 0;
    uint32_t m_repeatDirection = 0;  // 0 down (left arrow), 1 up (right arrow)
    uint32_t m_lastStep = 0;
    uint8_t m_notifyOn = 0;
    CNotifyPort m_notify;
    uint32_t m_notifyParameter = 0;
};
