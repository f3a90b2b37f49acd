// CEditMgr: the text input manager. It owns the one hidden edit control
// (CImeEdit) through which all typed text goes, hands its text, selection,
// modes and input-method state to the edit boxes, gives it the keyboard focus
// or takes it back for the main window, and measures text for them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/font.h"
#include "platform/window.h"
#include "ui/ime_edit.h"

class CEditMgr {
public:
    CEditMgr();
    ~CEditMgr();
    CEditMgr(const CEditMgr&) = delete;
    CEditMgr& operator=(const CEditMgr&) = delete;

    // Makes the edit control on the main window with the procedure in front
    // of it, single-line and empty, and registers the forwarded keys (Enter,
    // Tab, F1-F12, Up, Down, Escape, Page Down, keypad 0-9). False when the
    // control cannot be made.
    bool Init(plat::WindowHandle mainWindow, plat::WindowProc proc);
    void SetDefaultFont(plat::HFONT font) { m_defaultFont = font; }
    plat::HFONT GetDefaultFont() const { return m_defaultFont; }

    void SetText(const char* text);
    void ClearText();
    // The control's text as it reads (see CImeEdit::GetText).
    const char* GetText();
    uint32_t GetTextLength();
    int32_t GetCaret();
    int32_t GetSelectionStart();
    int32_t GetSelectionEnd();
    int32_t GetCompositionCursor();
    // true: the keyboard focus goes to the control (text input on); false: back to the main window.
    void SetInputFocus(bool focus);
    // Each clears the text. Columns 0 makes the control single-line.
    void SetLimit(uint32_t limit);
    void SetNumbersOnly(bool on);
    void SetMultiLine(uint32_t columns, uint32_t lines);
    // true: the input method composes; false: alphanumeric input only.
    void EnableIme(bool on);
    bool IsMultiLine();
    bool IsComposing();
    const char* GetImeName();
    const char* GetCompositionString();
    const char* GetReadingString();
    const plat::ImeCandidateList* GetCandidateList();

    // Width in pixels of the first `length` bytes of the text (at most up to
    // its end) in the font, the default font when none; 0 for an empty text.
    int32_t GetTextWidth(const char* text, uint32_t length, plat::HFONT font = nullptr);
    // Whether the byte at index is the second byte of a double-byte
    // character; false for index < 1 or beyond the text.
    static bool IsTrailByte(const char* text, int32_t index);

    // Puts the system input method's window at the caret (window pixels); it
    // moves only when the rectangle changes.
    void SetImeRect(int32_t x, int32_t y, int32_t width, int32_t height);

    CImeEdit* GetImeEdit() const { return m_pEdit.get(); }
    plat::WindowHandle GetMainWindow() const { return m_mainWindow; }

private:
    std::unique_ptr<CImeEdit> m_pEdit;
    uint8_t m_multiLine = 0;  // without an edit control
    plat::WindowHandle m_mainWindow = nullptr;
    plat::HFONT m_defaultFont = nullptr;
    std::string m_text;
    struct ImeRect {
        int32_t x, y, width, height;
        bool operator==(const ImeRect&) const = default;
    };
    ImeRect m_imeRect{-1, -1, -1, -1};
};

extern CEditMgr* g_pEditMgr;
