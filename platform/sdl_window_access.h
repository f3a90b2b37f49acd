// Platform-internal: the native window that frames are presented in. The main
// window code registers its SDL window here; the display creates a window of
// its own while none is registered. Game code never includes this header.
#pragma once

struct SDL_Window;

namespace plat {

void SetNativeWindow(SDL_Window* window);
SDL_Window* GetNativeWindow();

}  // namespace plat
