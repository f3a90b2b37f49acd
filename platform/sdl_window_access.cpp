#include "platform/sdl_window_access.h"

namespace plat {

namespace {
SDL_Window* g_nativeWindow = nullptr;
}

void SetNativeWindow(SDL_Window* window) { g_nativeWindow = window; }
SDL_Window* GetNativeWindow() { return g_nativeWindow; }

}  // namespace plat
