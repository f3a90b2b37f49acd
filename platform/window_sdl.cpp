// The window system on SDL2.
#include <SDL.h>

#include <cstdlib>

#include "platform/codepage.h"
#include "platform/edit_control.h"
#include "platform/keyboard.h"
#include "platform/window.h"
#include "platform/window_native.h"

namespace plat {
namespace {

class SdlSystem : public IWindowSystem {
public:
    ~SdlSystem() override {
        if (m_window) SDL_DestroyWindow(m_window);
    }

    bool Register(const WindowClass& windowClass) override {
        m_doubleClicks = windowClass.doubleClicks;
        return true;
    }

    bool CreateNativeWindow(const WindowDesc& desc) override {
        if (m_window || !EnsureVideo()) return false;
        Uint32 flags = desc.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        if (desc.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        m_window =
            SDL_CreateWindow(ToUtf8(desc.title).c_str(), desc.x, desc.y, desc.width, desc.height, flags);
        if (!m_window) return false;
        // SDL starts with text input on; it goes on while an edit control has the focus.
        SDL_StopTextInput();
        if (const char* quitAfter = std::getenv("QM_QUIT_AFTER_FRAMES")) {
            long frames = std::strtol(quitAfter, nullptr, 10);
            if (frames > 0) CloseAfterFrames(uint32_t(frames));
        }
        return true;
    }

    void DestroyNativeWindow() override {
        if (m_window) SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }

    void ShowNativeWindow(int command) override {
        if (!m_window) return;
        switch (command) {
            case SW_HIDE:
                SDL_HideWindow(m_window);
                break;
            case SW_MINIMIZE:
                SDL_MinimizeWindow(m_window);
                break;
            case SW_RESTORE:
                SDL_RestoreWindow(m_window);
                break;
            default:
                SDL_ShowWindow(m_window);
                break;
        }
    }

    void ShowCursor(bool show) override {
        if (EnsureVideo()) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    }

    void WarpCursor(int x, int y) override {
        if (m_window) SDL_WarpMouseInWindow(m_window, x, y);
    }

    void GetScreenSize(int* width, int* height) override {
        SDL_DisplayMode mode{};
        if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            *width = mode.w;
            *height = mode.h;
        } else {
            *width = 800;
            *height = 600;
        }
    }

    void PollEvents() override {
        if (!m_videoInit) return;
        SDL_Event e;
        while (SDL_PollEvent(&e)) Translate(e);
    }

    void StartTextInput() override {
        if (EnsureVideo()) SDL_StartTextInput();
    }
    void StopTextInput() override {
        if (EnsureVideo()) SDL_StopTextInput();
    }
    void SetTextInputRect(int x, int y, int width, int height) override {
        SDL_Rect rect{x, y, width, height};
        if (EnsureVideo()) SDL_SetTextInputRect(&rect);
    }
    std::string GetClipboard() override {
        if (!EnsureVideo()) return {};
        char* text = SDL_GetClipboardText();
        std::string out = text ? text : "";
        SDL_free(text);
        return out;
    }
    bool SetClipboard(const std::string& utf8) override {
        return EnsureVideo() && SDL_SetClipboardText(utf8.c_str()) == 0;
    }

    SDL_Window* Window() const { return m_window; }

private:
    bool EnsureVideo() {
        if (!m_videoInit) {
            // Compositions longer than an event's own buffer come whole.
            SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
            m_videoInit = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        }
        return m_videoInit;
    }

    static WParam MouseKeyFlags() {
        Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
        SDL_Keymod mod = SDL_GetModState();
        WParam flags = 0;
        if (buttons & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
        if (buttons & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
        if (buttons & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
        if (mod & KMOD_SHIFT) flags |= MK_SHIFT;
        if (mod & KMOD_CTRL) flags |= MK_CONTROL;
        return flags;
    }

    void Translate(const SDL_Event& e) {
        WindowHandle window = GetMainWindow();
        if (!window) return;
        switch (e.type) {
            case SDL_QUIT:
                PostMessage(window, WM_CLOSE, 0, 0);
                break;
            case SDL_WINDOWEVENT:
                TranslateWindowEvent(window, e.window);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                TranslateKey(e.key);
                break;
            case SDL_TEXTINPUT:
                // One message per byte of the text in the game's code page.
                PostTextInput(e.text.text);
                break;
            case SDL_TEXTEDITING:
                PostImeComposition(e.edit.text, e.edit.start);
                break;
            case SDL_TEXTEDITING_EXT:
                PostImeComposition(e.editExt.text ? e.editExt.text : "", e.editExt.start);
                SDL_free(e.editExt.text);
                break;
            case SDL_MOUSEMOTION:
                PostMessage(window, WM_MOUSEMOVE, MouseKeyFlags(), MakeLParam(e.motion.x, e.motion.y));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                TranslateButton(window, e.button);
                break;
            case SDL_MOUSEWHEEL: {
                int steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                if (steps == 0) break;
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                WParam w =
                    (MouseKeyFlags() & 0xFFFF) | (WParam(uint16_t(int16_t(steps * WHEEL_DELTA))) << 16);
                PostMessage(window, WM_MOUSEWHEEL, w, MakeLParam(x, y));
                break;
            }
            default:
                break;
        }
    }

    void TranslateWindowEvent(WindowHandle window, const SDL_WindowEvent& w) {
        switch (w.event) {
            case SDL_WINDOWEVENT_SHOWN:
                PostMessage(window, WM_SHOWWINDOW, 1, 0);
                break;
            case SDL_WINDOWEVENT_HIDDEN:
                PostMessage(window, WM_SHOWWINDOW, 0, 0);
                break;
            case SDL_WINDOWEVENT_MOVED:
                PostMessage(window, WM_MOVE, 0, MakeLParam(w.data1, w.data2));
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                PostMessage(window, WM_SIZE, 0, MakeLParam(w.data1, w.data2));
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                PostMessage(window, WM_ACTIVATEAPP, 1, 0);
                PostMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                PostMessage(window, WM_ACTIVATE, WA_INACTIVE, 0);
                PostMessage(window, WM_ACTIVATEAPP, 0, 0);
                break;
            // A minimised window is not the active one, whether or not the
            // desktop took its focus away (the high word marks it minimised);
            // restored with the focus, it is again.
            case SDL_WINDOWEVENT_MINIMIZED:
                PostMessage(window, WM_ACTIVATE, WA_INACTIVE | 0x10000u, 0);
                break;
            case SDL_WINDOWEVENT_RESTORED:
                if (m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS))
                    PostMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                PostMessage(window, WM_CLOSE, 0, 0);
                break;
            default:
                break;
        }
    }

    static void TranslateKey(const SDL_KeyboardEvent& k) {
        KeyModifiers modifiers;
        modifiers.shift = (k.keysym.mod & KMOD_SHIFT) != 0;
        modifiers.ctrl = (k.keysym.mod & KMOD_CTRL) != 0;
        modifiers.alt = (k.keysym.mod & KMOD_ALT) != 0;
        modifiers.numLock = (k.keysym.mod & KMOD_NUM) != 0;
        PostKeyEvent(int(k.keysym.scancode), k.type == SDL_KEYUP, k.repeat != 0, modifiers);
    }

    void TranslateButton(WindowHandle window, const SDL_MouseButtonEvent& b) const {
        bool down = b.type == SDL_MOUSEBUTTONDOWN;
        uint32_t base;
        switch (b.button) {
            case SDL_BUTTON_LEFT:
                base = WM_LBUTTONDOWN;
                break;
            case SDL_BUTTON_RIGHT:
                base = WM_RBUTTONDOWN;
                break;
            case SDL_BUTTON_MIDDLE:
                base = WM_MBUTTONDOWN;
                break;
            default:
                return;
        }
        uint32_t message = down ? base : base + 1;
        // Every second click of a series is a double click: down, up, double click, up.
        if (down && m_doubleClicks && b.button != SDL_BUTTON_MIDDLE && b.clicks >= 2 && b.clicks % 2 == 0)
            message = base + 2;
        PostMessage(window, message, MouseKeyFlags(), MakeLParam(b.x, b.y));
    }

    SDL_Window* m_window = nullptr;
    bool m_videoInit = false;
    bool m_doubleClicks = false;
};

SdlSystem& Sdl() {
    static SdlSystem system;
    return system;
}

}  // namespace

IWindowSystem& detail::SdlWindowSystem() {
    return Sdl();
}

namespace detail {
SDL_Window* NativeMainWindow() {
    if (&WindowSystem() != static_cast<IWindowSystem*>(&Sdl())) return nullptr;
    return Sdl().Window();
}
}  // namespace detail

}  // namespace plat
