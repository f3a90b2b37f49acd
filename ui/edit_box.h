// CEditBox: the edit box control (control type 3) and the base of the chat,
// messenger, macro and reply boxes. While it is active it is the window
// manager's focused edit box: the text input manager's hidden control holds
// its text, the box mirrors that text every frame and draws it with its
// caret, its selection and the input method's composition at the caret, and
// draws the input method's candidates above every window.
#pragma once
#include <cstdint>
#include <string>

#include "ui/notify_port.h"
#include "ui/static_text.h"
#include "ui/window_mgr.h"

class CAniObject;
class CToolTipWindow;

inline constexpr uint32_t EDIT_BOX_MAX_LENGTH = 256;      // SetMaxLength's cap
inline constexpr uint32_t EDIT_BOX_DEFAULT_LENGTH = 255;  // after Create
inline constexpr uint32_t EDIT_BOX_CARET_BLINK_MS = 500;
inline constexpr uint32_t EDIT_BOX_DEACTIVATED = 11;  // event posted to the notify port
inline constexpr int32_t EDIT_BOX_CARET_WIDTH = 6;
inline constexpr int32_t EDIT_BOX_COMPOSING_CARET_WIDTH = 12;

class CEditBox : public CStaticText, public IImeOverlay {
public:
    CEditBox();
    ~CEditBox() override;

    // The label's Create, the caret shown and its time now, the limits and
    // flags cleared, the candidate tooltip and frame made.
    bool Create() override;
    // Gives up the focus when it has it; deletes the candidate frame and
    // tooltip; forgets the notify port; then the base release.
    bool Release() override;
    bool Draw() override;
    // The input rectangle when it is used, else the image's bounds.
    bool UpdateRect() override;
    // Only while active: Escape deactivates the box; Enter empties a
    // single-line box (both consumed; Enter in a multi-line box too).
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    // See the .cpp.
    bool SetActive(bool active, bool keepOrder) override;
    // Ignored for 256 bytes or more, or past the maximum length. In numeric
    // mode the number held within the range ("%d"). Given to the hidden
    // control too while the box is the active focused box.
    bool SetText(const char* text) override;

    // The input method's lines and candidates, above every window.
    void DrawImeOverlay() override;
    // The base window's: the image and the rectangle move with it.
    bool SetPosition(int32_t x, int32_t y) override;

    // The box's text; while the box is typed into, taken from the hidden
    // control first (cut between characters below the maximum length when longer).
    const char* GetCurrentText();
    // The number of the text in numeric mode, else 0.
    int32_t GetNumber();
    // At most 256; the view goes back to the start.
    void SetMaxLength(uint32_t length);
    void SetValueRange(int32_t maximum, int32_t minimum);
    void SetInputRect(bool use, int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Non-zero: the input method stays alphanumeric with the filter (unless
    // Japanese) and is detached while the box is active; 0: no filter.
    void SetImeMode(uint8_t mode);
    void SetPassword(bool on) { m_password = on; }
    void SetNumeric(bool on) { m_numeric = on; }
    // Receives event 11 when the box is deactivated (null: none).
    void SetNotifyPort(CMsgPort* port) { m_notify.Set(port); }

    uint32_t GetMaxLength() const { return m_maxLength; }
    int32_t GetMaximum() const { return m_maximum; }
    int32_t GetMinimum() const { return m_minimum; }
    bool IsPassword() const { return m_password != 0; }
    bool IsNumeric() const { return m_numeric != 0; }
    uint8_t GetImeMode() const { return m_imeMode; }
    int32_t GetFirstVisible() const { return m_firstVisible; }
    bool IsCaretVisible() const { return m_caretVisible != 0; }
    // The bytes drawn by the last Draw (stars for a password).
    const std::string& GetShownText() const { return m_shown; }
    bool IsFocused() const;

private:
    // What the box shows this frame; see the .cpp.
    struct View {
        std::string text;       // the text with the composition at the caret
        int32_t caret = 0;      // in text
        int32_t compStart = 0;  // the composition in text
        int32_t compLength = 0;
        int32_t selStart = 0, selEnd = 0;
    };
    View MakeView();
    // Width of bytes from..to of a text in the box's font.
    int32_t WidthOf(const std::string& text, size_t from, size_t to);
    void DrawSelection(const View& view, int32_t first);
    void DrawCaret(const View& view, int32_t first);
    // y of the popup lines of the input method, the first and the step.
    void PopupPlace(int32_t* y, int32_t* step);
    void DrawCandidateLine(int32_t x, int32_t y);
    void DrawCandidateList(int32_t x, int32_t y);

    uint32_t m_caretTime = 0;
    uint8_t m_caretVisible = 1;
    uint8_t m_useInputRect = 0;
    WindowRect m_inputRect;
    uint32_t m_maxLength = EDIT_BOX_DEFAULT_LENGTH;
    int32_t m_maximum = INT32_MAX;
    int32_t m_minimum = 0;
    uint8_t m_password = 0;
    uint8_t m_numeric = 0;
    uint8_t m_imeMode = 0;
    CToolTipWindow* m_pCandidateTip = nullptr;  // owned
    CAniObject* m_pCandidateFrame = nullptr;    // owned
    int32_t m_firstVisible = 0;
    CNotifyPort m_notify;
    std::string m_shown;
    // Where the caret was drawn last (window pixels), for the input method's window.
    int32_t m_caretX = 0, m_caretY = 0;
};
