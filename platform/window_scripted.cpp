#include "platform/window_scripted.h"

namespace plat {

void ScriptedWindowSystem::PostAtFrame(uint64_t frame, uint32_t message, WParam wParam, LParam lParam) {
    m_script.push_back(Scripted{frame, message, wParam, lParam});
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
    // Keep the script's order for messages due at the same collection.
    std::vector<Scripted> later;
    for (const Scripted& s : m_script) {
        if (s.frame <= now)
            PostMessage(s.message, s.wParam, s.lParam);
        else
            later.push_back(s);
    }
    m_script.swap(later);
}

}  // namespace plat
