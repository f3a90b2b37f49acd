// A window system for tests: records what the game asked of it and delivers
// scripted messages, typed text, input-method compositions and candidates at
// chosen frames.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"

namespace plat {

class ScriptedWindowSystem : public IWindowSystem {
public:
    // Delivered to the main window when the pump collects events after
    // `frame` frames have run (0: at the first collection).
    void PostAtFrame(uint64_t frame, uint32_t message, WParam wParam = 0, LParam lParam = 0);
    // Finished text (UTF-8), as the system's text input delivers it.
    void TypeAtFrame(uint64_t frame, std::string utf8);
    // The input method composes the text (UTF-8; empty ends the composition)
    // with the cursor after `cursor` characters.
    void ComposeAtFrame(uint64_t frame, std::string utf8, int32_t cursor, std::string readingUtf8 = {});
    // The input method offers candidates (none closes the list).
    void CandidatesAtFrame(uint64_t frame, std::vector<std::string> utf8, uint32_t selection,
                           uint32_t pageSize);

    // What the game asked for.
    std::vector<WindowClass> m_registered;
    std::vector<WindowDesc> m_created;
    int m_destroyed = 0;
    std::vector<int> m_showCommands;
    bool m_cursorShown = true;
    std::vector<std::pair<int, int>> m_cursorWarps;  // SetCursorPos, in order
    int m_polls = 0;
    // The system's text input: on or off, and how often it was switched.
    bool m_textInput = false;
    int m_textInputStarts = 0;
    int m_textInputStops = 0;
    // Every rectangle the input method's window was placed at, in order.
    struct Rect {
        int x, y, width, height;
        bool operator==(const Rect&) const = default;
    };
    std::vector<Rect> m_imeRects;

    // How the system answers.
    bool m_failRegister = false;
    bool m_failCreate = false;
    int m_screenWidth = 1024;
    int m_screenHeight = 768;
    std::string m_clipboard;  // UTF-8

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
    void StartTextInput() override {
        m_textInput = true;
        ++m_textInputStarts;
    }
    void StopTextInput() override {
        m_textInput = false;
        ++m_textInputStops;
    }
    void SetTextInputRect(int x, int y, int width, int height) override {
        m_imeRects.push_back(Rect{x, y, width, height});
    }
    std::string GetClipboard() override { return m_clipboard; }
    bool SetClipboard(const std::string& utf8) override {
        m_clipboard = utf8;
        return true;
    }

private:
    struct Scripted {
        uint64_t frame;
        std::function<void()> deliver;
    };
    void At(uint64_t frame, std::function<void()> deliver);
    std::vector<Scripted> m_script;
};

}  // namespace plat
