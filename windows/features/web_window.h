// CWebWindow ("WebWindow"): the game's web pages. A framed window with a
// close button over a page area; the page itself opens in the player's own
// browser when the player clicks the area. Four modes, one a kind of page:
// the page address the server gave (0), the notice page of the text tables
// (1), an address a server message names (2) and the large board page (3).
// While the window is shown the player's control of the character is locked
// and the game's cursor object is hidden.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/base_window.h"
#include "ui/game_scene_windows.h"

class CButton;
class CWebBrowserHost;

inline constexpr char WEB_WINDOW_NAME[] = "WebWindow";
inline constexpr char WEB_WINDOW_CLOSE_BUTTON[] = "WEBWIN_CLOSE_BUTTON";

enum : uint32_t { WEB_MODE_PAGE = 0, WEB_MODE_NOTICE = 1, WEB_MODE_URL = 2, WEB_MODE_BOARD = 3 };

// Text table 14: the notice page's address; the line under the address.
inline constexpr int WEB_NOTICE_ADDRESS_ROW = 596;
inline constexpr int WEB_CLICK_LINE_ROW = 5600;
// The board value is refused from this many bytes on.
inline constexpr size_t WEB_BOARD_VALUE_LIMIT = 1024;
// Frames the game cursor is shown again after the page closed.
inline constexpr uint32_t WEB_REFOCUS_FRAMES = 4;

// The value the server's board parameters "name=number&text" give: the number
// as decimal text and the text percent-encoded; ok false when malformed or too
// long (nothing is kept then).
struct WebBoardValues {
    bool ok = false;
    std::string domain;
    std::string board;
};
// text is scanned within length bytes and never past its terminator.
WebBoardValues ParseBoardValues(const char* text, size_t length);

class CWebWindow : public CBaseWindow, public IWebPageView {
public:
    CWebWindow();
    ~CWebWindow() override;

    bool Create() override;
    bool Release() override;
    // The flags set and the player's control locked.
    bool Show() override;
    // Unlocks the control when it was shown; hides the close button and
    // closes the page.
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- IWebPageView ----
    bool OpenPage() override;
    bool OpenNotice() override;
    bool OpenUrl(const char* url) override;
    void SetPageAddress(uint8_t length, const char* text) override;
    void OpenBoard(uint8_t kind, uint8_t length1, const char* text1, uint8_t length2,
                   const char* text2) override;
    bool IsPageOpen() const override;
    void ClosePage() override;

    bool OpenBoardPage(const char* url);

    // ---- Read by tests ----
    uint32_t GetMode() const { return m_mode; }
    const std::string* GetPageAddress() const { return m_hasPageAddress ? &m_pageAddress : nullptr; }
    const std::string& GetDomainValue() const { return m_domain; }
    const std::string& GetBoardValue() const { return m_board; }
    CWebBrowserHost* GetHost() const { return m_host.get(); }
    uint32_t GetRefocusCount() const { return m_refocus; }

private:
    bool Open(uint32_t mode, const char* address);
    CButton* CloseButton() const;
    void PlaceControls();

    uint32_t m_mode = WEB_MODE_PAGE;
    std::unique_ptr<CWebBrowserHost> m_host;
    bool m_hasPageAddress = false;
    std::string m_pageAddress;
    std::string m_domain, m_board;
    uint32_t m_refocus = 0;
    bool m_locked = false;
};
