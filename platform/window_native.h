// Platform-internal: the SDL window behind the main window, for the display
// code that presents frames into it, and what the message queue and the edit
// controls tell each other. Not for game code.
#pragma once

#include "platform/window.h"

struct SDL_Window;

namespace plat::detail {

// The SDL window system, the one in use unless another is installed.
IWindowSystem& SdlWindowSystem();

// The SDL window of the main window; null when there is none or the window
// system in use is not SDL's.
SDL_Window* NativeMainWindow();

// A new window handle (the main window's and the edit controls' come from one count).
WindowHandle NewWindowHandle();
// The edit controls' side of the message queue (platform/edit_control.cpp):
// the procedure of a control (null for anything else), replacing it, the end
// of one control or of all of them (the main window's end), and forgetting
// them (ResetMessageQueue).
WindowProc EditControlProc(WindowHandle window);
WindowProc SetEditControlProc(WindowHandle window, WindowProc proc);
void DestroyEditControl(WindowHandle window);
void DestroyAllEditControls();
void ForgetEditControls();

}  // namespace plat::detail
