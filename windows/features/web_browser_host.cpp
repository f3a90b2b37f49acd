#include "windows/features/web_browser_host.h"

#include "platform/keyboard.h"
#include "platform/url.h"

CWebBrowserHost::~CWebBrowserHost() {
    Destroy();
}

bool CWebBrowserHost::Create(const WindowRect& rect) {
    m_rect = rect;
    m_address.clear();
    m_navigated = 0;
    m_closing = 0;
    m_created = true;
    return true;
}

bool CWebBrowserHost::Navigate(const char* address) {
    if (!m_created || !address || !plat::IsWebAddress(address)) return false;
    m_address = address;
    m_navigated = 1;
    return true;
}

void CWebBrowserHost::Destroy() {
    if (!m_created) return;
    m_created = false;
    m_address.clear();
    m_navigated = 0;
    m_closing = 1;
}

void CWebBrowserHost::MoveTo(int32_t left, int32_t top) {
    const int32_t width = m_rect.right - m_rect.left, height = m_rect.bottom - m_rect.top;
    m_rect = WindowRect{left, top, left + width, top + height};
}

bool CWebBrowserHost::Click(int32_t x, int32_t y) {
    if (!m_created || !m_navigated || !m_rect.Contains(x, y)) return false;
    // Checked once more at the door: only a web address leaves the program.
    if (!plat::IsWebAddress(m_address) || !plat::OpenUrl(m_address)) return false;
    ++m_opened;
    return true;
}

bool CWebBrowserHost::OnKey(uint32_t key) {
    if (!m_created || key != plat::VK_ESCAPE) return false;
    m_closing = 1;
    return true;
}
