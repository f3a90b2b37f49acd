// What the windows of the way in share: the OK box and the new link to the
// login server.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

class CAniObject;
class CBaseWindow;
class CButton;
class CEditBox;

// How long a window of the way in waits for the server's answer to its
// request before it gives up with an OK box.
inline constexpr uint32_t SESSION_ANSWER_WAIT_MS = 60000;
// Text table 14's row of that box.
inline constexpr int SESSION_ANSWER_TIMED_OUT_ROW = 278;

// An OK box with the text, added to the window manager and activated
// (nothing without a window manager).
void ShowOkMessageBox(const char* text);
// Closes the connection there is, resets the session and connects to the
// configured login server (the connection is made when there is none).
void ReconnectToLoginServer();
// Buttons that take input, or that show without taking any (null ones skipped).
void SetButtonsTakeInput(std::initializer_list<CButton*> buttons, bool takeInput);
// Makes the window under its identifier with the animation its layout names,
// showing the picture (motion 0, direction 2: an image without a motion draws
// nothing). Returns the animation, 0 when the layout has none.
uint32_t CreateWithLayoutPicture(CBaseWindow* window, const char* name, const char* layout);
// Draws the window so that its dialogs lie over it: its picture and controls
// with the dialogs left out (their draw flags off for the while), then `own`
// (the window's texts; may be empty), then each dialog that is shown, in the
// order given (null ones skipped).
void DrawUnderDialogs(CBaseWindow* window, std::initializer_list<CBaseWindow*> dialogs,
                      const std::function<void()>& own);
// Centres the window on an 800 x 600 screen by its picture.
void CentreWindow(CBaseWindow* window);
// An input box of the log-in dialogs: white text, at most `limit`
// characters, masked for passwords, added to the window, not focused.
CEditBox* MakeLoginEditBox(CBaseWindow* parent, const char* name, size_t limit, bool password);
// The clock's milliseconds as the start of a wait (never 0, which means no wait).
uint32_t StartTime();
