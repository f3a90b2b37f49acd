// The text-entry control and the system's input method, named as the game
// knows them: an edit control is a window made on the main window that holds
// a text in the game's code page, a selection and a caret. It has no picture
// of its own; the game draws what it holds.
//
// Its window procedure starts as the control's own editing (typing, deleting,
// moving the caret by whole characters, selecting with Shift, the clipboard
// with Ctrl+A, C, X and V); plat::SetWindowProc puts another in front of it.
// While plat::SetFocus gives a control the focus, the key, character, wheel and
// input-method messages of the main window go to it, and the system's text
// input is on; with no control focused it is off, so no input method pops up
// over play.
//
// The input method composes text for the focused control and tells it with
// the composition messages (start, composition, end); the control reads the
// text being composed with ImeGetComposition. Finished text arrives as
// WM_CHAR bytes in the code page, one message a byte. With the control's input
// method off (detached, or alphanumeric conversion) compositions are ignored
// and double-byte characters refused.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace plat {

// Messages of the input method.
enum : uint32_t {
    WM_INPUTLANGCHANGE = 0x0051,
    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F,
    WM_IME_SETCONTEXT = 0x0281,
    WM_IME_NOTIFY = 0x0282,
};
// WM_IME_COMPOSITION: what changed (lParam). 0 or GCS_RESULTSTR: the
// composition is over.
enum : uint32_t {
    GCS_COMPREADSTR = 0x0001,
    GCS_COMPSTR = 0x0008,
    GCS_COMPATTR = 0x0010,
    GCS_COMPCLAUSE = 0x0020,
    GCS_CURSORPOS = 0x0080,
    GCS_DELTASTART = 0x0100,
    GCS_RESULTSTR = 0x0800,
};
// WM_IME_NOTIFY commands (wParam).
enum : uint32_t {
    IMN_CHANGECANDIDATE = 3,
    IMN_CLOSECANDIDATE = 4,
    IMN_OPENCANDIDATE = 5,
    IMN_SETCONVERSIONMODE = 6,
    IMN_SETCOMPOSITIONWINDOW = 11,
};
// WM_IME_SETCONTEXT: which of the input method's own windows may show (lParam).
enum : uint32_t {
    ISC_SHOWUICANDIDATEWINDOW = 0x0000000F,  // the four candidate windows
    ISC_SHOWUIGUIDELINE = 0x40000000,
    ISC_SHOWUICOMPOSITIONWINDOW = 0x80000000,
};
// Conversion and sentence modes.
enum : uint32_t {
    IME_CMODE_ALPHANUMERIC = 0x0000,
    IME_CMODE_NATIVE = 0x0001,
    IME_CMODE_FULLSHAPE = 0x0008,
    IME_CMODE_SYMBOL = 0x0400,
    IME_SMODE_AUTOMATIC = 0x0004,
};
// Edit control styles.
enum : uint32_t {
    ES_MULTILINE = 0x0004,  // Enter makes a CR LF; Up and Down move between lines
    ES_NUMBER = 0x2000,     // digits only
};

// ---- The control ----

// A new edit control on the parent (the main window): empty, single-line, a
// limit of 260 bytes, its input method attached and in native conversion.
// Null without a main window as the parent. DestroyWindow ends it; the main
// window's end ends it too.
WindowHandle CreateEditControl(WindowHandle parent);
bool IsEditControl(WindowHandle window);

// The keyboard focus: the main window or an edit control (anything else is
// refused and changes nothing). Returns the window that had it. A control
// that loses it ends its composition.
WindowHandle SetFocus(WindowHandle window);
WindowHandle GetFocus();

// The whole text; setting it ignores the limit, puts the caret at the start
// and removes the selection.
bool SetWindowText(WindowHandle edit, std::string_view text);
std::string GetWindowText(WindowHandle edit);
// The most bytes typing and pasting may make the text; 0 takes nothing.
void EditSetLimit(WindowHandle edit, uint32_t limit);
uint32_t EditGetLimit(WindowHandle edit);
// ES_NUMBER and ES_MULTILINE.
void EditSetStyle(WindowHandle edit, uint32_t style);
uint32_t EditGetStyle(WindowHandle edit);
// Selects from start to end (byte offsets, moved back to character
// boundaries); the caret goes to end. (0, -1) selects everything; a start of
// -1 only removes the selection.
void EditSetSelection(WindowHandle edit, int32_t start, int32_t end);
// The selection as (lower, upper) offsets (equal when nothing is selected)
// and the caret.
void EditGetSelection(WindowHandle edit, int32_t* start, int32_t* end, int32_t* caret = nullptr);

// ---- The input method of a window ----

// What the input method composes for a control: the text in the code page
// with the cursor (a byte offset into it), the first byte that changed in the
// last step, and the reading when the input method gives one.
struct ImeComposition {
    std::string text;
    int32_t cursor = 0;
    int32_t deltaStart = 0;
    std::string reading;
};
// False (out emptied) when the control composes nothing.
bool ImeGetComposition(WindowHandle edit, ImeComposition* out);

// The candidates the input method offers: the strings, the selected one, the
// first of the page shown and the page size.
struct ImeCandidateList {
    std::vector<std::string> candidates;
    uint32_t selection = 0;
    uint32_t pageStart = 0;
    uint32_t pageSize = 0;
};
// False (out emptied) when none is offered.
bool ImeGetCandidateList(WindowHandle edit, ImeCandidateList* out);

// Attaches (true) or detaches the window's input method; returns whether it
// was attached.
bool ImmAssociateContext(WindowHandle window, bool attach);
bool ImmIsAttached(WindowHandle window);
// The conversion and sentence modes (IME_CMODE_..., IME_SMODE_...).
void ImmSetConversionStatus(WindowHandle window, uint32_t conversion, uint32_t sentence);
void ImmGetConversionStatus(WindowHandle window, uint32_t* conversion, uint32_t* sentence);
// Whether compositions reach the window: attached and in native conversion.
bool ImeIsOn(WindowHandle window);

// Where the system's input method places its own window (the candidates):
// a rectangle in window pixels, the caret's.
void SetImeRect(int x, int y, int width, int height);
// The system's text input, which the focus switches on and off by itself.
void StartTextInput();
void StopTextInput();
bool IsTextInputActive();

// The clipboard's text in the code page (characters the code page lacks are
// dropped); empty when it holds none.
std::string GetClipboardText();
bool SetClipboardText(std::string_view text);

// ---- What the window systems report ----

// The input method composes the UTF-8 text (empty: the composition ends)
// with the cursor after `cursor` characters, and the reading when it gives one.
void PostImeComposition(std::string_view utf8, int32_t cursor, std::string_view readingUtf8 = {});
// The input method offers candidates (UTF-8); none closes the list.
void PostImeCandidates(const std::vector<std::string>& utf8, uint32_t selection, uint32_t pageSize);
// Finished text: one WM_CHAR a byte of it in the code page.
void PostTextInput(std::string_view utf8);

}  // namespace plat
