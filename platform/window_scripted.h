// A window system for tests: records what the game asked of it and delivers
// scripted messages at chosen frames.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/window.h"

namespace plat {

class ScriptedWindowSystem : public IWindowSystem {
public:
    // Delivered to the main window when the pump collects events after
    // `frame` frames have run (0: at the first collection).
    void PostAtFrame(uint64_t frame, uint32_t message, WParam wParam = 0, LParam lParam = 0);

    // What the game asked for.
    std::vector<WindowClass> m_registered;
    std::vector<WindowDesc> m_created;
    int m_destroyed = 0;
    std::vector<int> m_showCommands;
    bool m_cursorShown = true;
    std::vector<std::pair<int, int>> m_cursorWarps;  // SetCursorPos, in order
    int m_polls = 0;

    // How the system answers.
    bool m_failRegister = false;
    bool m_failCreate = false;
    int m_screenWidth = 1024;
    int m_screenHeight = 768;

    bool Register(const WindowClass& windowClass) override;
    bool CreateNativeWindow(const WindowDesc& desc) override;
    void DestroyNativeWindow() override { ++m_destroyed; }
    void ShowNativeWindow(int command) override { m_showCommands.push_back(command); }
    void ShowCursor(bool show) override { m_cursorShown = show; }
    void WarpCursor(int x, int y) override { m_cursorWarps.emplace_back(x, y); }
    void GetScreenSize(int* width, int* height) override {
        *width = m_screenWidth;
        *height = m_screenHeight;
    }
    void PollEvents() override;

private:
    struct Scripted {
        uint64_t frame;
        uint32_t message;
        WParam wParam;
        LParam lParam;
    };
    std::vector<Scripted> m_script;
};

}  // namespace plat
