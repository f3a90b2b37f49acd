// CWebBrowserHost: the page area of the web page window. No browser control
// can be placed over the game here, so the host keeps the page's address for
// its rectangle and hands it to the player's own browser when the player
// clicks there. It notes when a page was given (navigated) and when the page
// is to close (closing: Escape, the close button, or the host destroyed).
#pragma once
#include <cstdint>
#include <string>

#include "ui/base_window.h"

class CWebBrowserHost {
public:
    CWebBrowserHost() = default;
    ~CWebBrowserHost();
    CWebBrowserHost(const CWebBrowserHost&) = delete;
    CWebBrowserHost& operator=(const CWebBrowserHost&) = delete;

    // The page area on the screen; both flags cleared.
    bool Create(const WindowRect& rect);
    // Keeps a web address ("http://" or "https://", no control characters)
    // and sets the navigated flag; any other text leaves the area empty
    // (false).
    bool Navigate(const char* address);
    // Forgets the page; the closing flag is set.
    void Destroy();

    // A left click at the screen point: inside the area with a page, the
    // page goes to the player's browser (true).
    bool Click(int32_t x, int32_t y);
    // Escape asks the page to close (true when taken).
    bool OnKey(uint32_t key);

    bool IsCreated() const { return m_created; }
    bool IsNavigated() const { return m_navigated != 0; }
    bool IsClosing() const { return m_closing != 0; }
    void SetClosing() { m_closing = 1; }
    const std::string& GetAddress() const { return m_address; }
    const WindowRect& GetRect() const { return m_rect; }
    // Moves the area with its window.
    void MoveTo(int32_t left, int32_t top);
    // How often the page went to the browser.
    uint32_t GetOpenCount() const { return m_opened; }

private:
    bool m_created = false;
    WindowRect m_rect;
    std::string m_address;
    uint8_t m_navigated = 0;
    uint8_t m_closing = 0;
    uint32_t m_opened = 0;
};
