// Platform-internal: the SDL window behind the main window, for the display
// code that presents frames into it. Not for game code.
#pragma once

struct SDL_Window;

namespace plat {
class IWindowSystem;
}

namespace plat::detail {

// The SDL window system, the one in use unless another is installed.
IWindowSystem& SdlWindowSystem();

// The SDL window of the main window; null when there is none or the window
// system in use is not SDL's.
SDL_Window* NativeMainWindow();

}  // namespace plat::detail
