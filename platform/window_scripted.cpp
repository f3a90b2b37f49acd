#include "platform/window_scripted.h"

#include <utility>

#include "platform/edit_control.h"

namespace plat {

void ScriptedWindowSystem::At(uint64_t frame, std::function<void()> deliver) {
    m_script.push_back(Scripted{frame, std::move(deliver)});
}

void ScriptedWindowSystem::PostAtFrame(uint64_t frame, uint32_t message, WParam wParam, LParam lParam) {
    At(frame, [=] { PostMessage(message, wParam, lParam); });
}

void ScriptedWindowSystem::TypeAtFrame(uint64_t frame, std::string utf8) {
    At(frame, [text = std::move(utf8)] { PostTextInput(text); });
}

void ScriptedWindowSystem::ComposeAtFrame(uint64_t frame, std::string utf8, int32_t cursor,
                                          std::string readingUtf8) {
    At(frame, [text = std::move(utf8), cursor, reading = std::move(readingUtf8)] {
        PostImeComposition(text, cursor, reading);
    });
}

void ScriptedWindowSystem::CandidatesAtFrame(uint64_t frame, std::vector<std::string> utf8,
                                             uint32_t selection, uint32_t pageSize) {
    At(frame,
       [list = std::move(utf8), selection, pageSize] { PostImeCandidates(list, selection, pageSize); });
}

bool ScriptedWindowSystem::Register(const WindowClass& windowClass) {
    if (m_failRegister) return false;
    m_registered.push_back(windowClass);
    return true;
}

bool ScriptedWindowSystem::CreateNativeWindow(const WindowDesc& desc) {
    if (m_failCreate) return false;
    m_created.push_back(desc);
    return true;
}

void ScriptedWindowSystem::PollEvents() {
    ++m_polls;
    uint64_t now = FrameCount();
    // Keep the script's order for what is due at the same collection.
    std::vector<Scripted> due, later;
    for (Scripted& s : m_script) (s.frame <= now ? due : later).push_back(std::move(s));
    m_script.swap(later);
    for (Scripted& s : due) s.deliver();
}

}  // namespace plat
