#include "windows/features/web_window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "core/config.h"
#include "core/main_mgr.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/features/web_browser_host.h"

namespace {

constexpr int kTexts = 14;
constexpr uint8_t kRequestOpened = 3;
constexpr uint32_t kCursorKind = 1;  // the main manager's child that is the game cursor
constexpr uint32_t kWhite = 0xFFFFFF, kPale = 0xC0E0FF;
constexpr uint8_t kShadow = 2;

// Where each mode places the window (left on wider screens, right on 800
// pixels), its page area and its close button, from the window's corner.
struct Placement {
    int32_t x, y, narrowX, narrowY;
    WindowRect page;
    int32_t closeX, closeY;
};
constexpr Placement kSmall{190, 80, 80, 3, {15, 40, 625, 460}, 612, 5};
constexpr Placement kLarge{90, 15, -10, -30, {10, 30, 810, 630}, 792, 5};

const Placement& PlacementOf(uint32_t mode) {
    return mode == WEB_MODE_BOARD ? kLarge : kSmall;
}

const char* EscapeOf(unsigned char c) {
    switch (c) {
        case ' ':
            return "%20";
        case '"':
            return "%22";
        case '<':
            return "%3C";
        case '>':
            return "%3E";
        case '#':
            return "%23";
        case '%':
            return "%25";
        case '{':
            return "%7B";
        case '}':
            return "%7D";
        case '|':
            return "%7C";
        case '\\':
            return "%5C";
        case '^':
            return "%5E";
        case '~':
            return "%7E";
        case '[':
            return "%5B";
        case ']':
            return "%5D";
        case '`':
            return "%60";
        case '$':
            return "%24";
        case '&':
            return "%26";
        case '+':
            return "%2B";
        case ',':
            return "%2C";
        case '/':
            return "%2F";
        case ':':
            return "%3A";
        case ';':
            return "%3B";
        case '=':
            return "%3D";
        case '?':
            return "%3F";
        case '@':
            return "%40";
        default:
            return nullptr;
    }
}

void ShowGameCursor(bool show) {
    CBaseObject* cursor = g_pMainMgr ? g_pMainMgr->FindChildByKind(kCursorKind) : nullptr;
    if (!cursor) return;
    if (show)
        cursor->Show();
    else
        cursor->Hide();
}

bool EventRunning() {
    IAniEvents* events = GetAniEvents();
    return events && (events->IsVisualEventRunning() || events->IsFieldScriptRunning());
}

void SetControlLock(bool on) {
    if (IUiEventState* state = GetUiEventState()) state->SetControlLock(on);
}

// The bytes of a record text: at most length, never past its terminator.
std::string Bounded(const char* text, size_t length) {
    return text ? std::string(text, strnlen(text, length)) : std::string();
}

}  // namespace

WebBoardValues ParseBoardValues(const char* text, size_t length) {
    WebBoardValues out;
    const std::string source = Bounded(text, length);
    const char* start = source.c_str();
    const char* equals = nullptr;
    const char* amp = nullptr;
    // By characters, so that a trail byte is never taken for a separator.
    for (const char* p = start; *p; p = plat::CharNextA(p)) {
        const bool single = plat::CharNextA(p) == p + 1;
        if (!single) continue;
        if (!equals && *p == '=') {
            equals = p;
        } else if (equals && *p == '&') {
            amp = p;
            break;
        }
    }
    if (!equals || !amp) return out;
    const std::string boardText(amp + 1);
    if (boardText.empty()) return out;
    std::string number(equals + 1, amp);
    for (char& c : number)
        if (c == ' ') c = '0';
    out.domain = std::to_string(std::atoi(number.c_str()));
    std::string board;
    for (const char* p = boardText.c_str(); *p;) {
        const char* next = plat::CharNextA(p);
        const char* escape = next == p + 1 ? EscapeOf(static_cast<unsigned char>(*p)) : nullptr;
        if (escape)
            board += escape;
        else
            board.append(p, next);
        if (board.size() >= WEB_BOARD_VALUE_LIMIT) return WebBoardValues{};
        p = next;
    }
    out.board = std::move(board);
    out.ok = true;
    return out;
}

CWebWindow::CWebWindow() {
    CWebWindow::Create();
}

CWebWindow::~CWebWindow() {
    CWebWindow::Release();
}

bool CWebWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(WEB_WINDOW_NAME);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, WEB_WINDOW_NAME, image, image == 0);
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
        picture->SetUnderlay(false);
    }
    SetKindId(0);
    m_keepOnScreen = 0;
    CButton* close = MakeChildButton(WEB_WINDOW_CLOSE_BUTTON, this, FindAniByName("CommonIcons"), 1);
    if (close) close->Hide();
    GameSession().SendRequest114(kRequestOpened);
    m_locked = false;
    CBaseWindow::Hide();
    m_mode = WEB_MODE_PAGE;
    m_host.reset();
    m_hasPageAddress = false;
    m_pageAddress.clear();
    m_refocus = 0;
    return true;
}

bool CWebWindow::Release() {
    if (m_locked) {
        SetControlLock(false);
        m_locked = false;
    }
    m_host.reset();
    m_hasPageAddress = false;
    m_pageAddress.clear();
    m_domain.clear();
    m_board.clear();
    return CBaseWindow::Release();
}

CButton* CWebWindow::CloseButton() const {
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && std::strcmp(child->GetName(), WEB_WINDOW_CLOSE_BUTTON) == 0)
            return static_cast<CButton*>(child);
    }
    return nullptr;
}

void CWebWindow::PlaceControls() {
    const Placement& p = PlacementOf(m_mode);
    if (CButton* close = CloseButton()) close->SetPosition(m_x + p.closeX, m_y + p.closeY);
    if (m_host) m_host->MoveTo(m_x + p.page.left, m_y + p.page.top);
}

bool CWebWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    PlaceControls();
    return true;
}

bool CWebWindow::Show() {
    CBaseWindow::Show();
    SetControlLock(true);
    m_locked = true;
    return true;
}

bool CWebWindow::Hide() {
    if (m_locked) {
        SetControlLock(false);
        m_locked = false;
    }
    CBaseWindow::Hide();
    if (CButton* close = CloseButton()) close->Hide();
    if (m_host) {
        m_host.reset();
        // A few frames more to give the game its cursor back.
        SetUpdateOn(true);
        m_refocus = 0;
    }
    return true;
}

bool CWebWindow::Open(uint32_t mode, const char* address) {
    if (m_host || EventRunning()) return false;
    m_mode = mode;
    if (CAniObject* picture = GetAniObject()) picture->SetMotion(uint8_t(mode));
    const Placement& p = PlacementOf(mode);
    const bool narrow = g_config.m_screenWidth <= 800;
    m_host = std::make_unique<CWebBrowserHost>();
    CWebWindow::SetPosition(narrow ? p.narrowX : p.x, narrow ? p.narrowY : p.y);
    Show();
    SetActive(true, false);
    if (CButton* close = CloseButton()) close->Show();
    m_host->Create(WindowRect{m_x + p.page.left, m_y + p.page.top, m_x + p.page.right, m_y + p.page.bottom});
    m_host->Navigate(address);
    return true;
}

bool CWebWindow::OpenPage() {
    if (!m_hasPageAddress) return false;
    const std::string address = m_pageAddress;
    return Open(WEB_MODE_PAGE, address.c_str());
}

bool CWebWindow::OpenNotice() {
    return Open(WEB_MODE_NOTICE, GetTableText(kTexts, WEB_NOTICE_ADDRESS_ROW));
}

bool CWebWindow::OpenUrl(const char* url) {
    return Open(WEB_MODE_URL, url ? url : "");
}

bool CWebWindow::OpenBoardPage(const char* url) {
    return Open(WEB_MODE_BOARD, url ? url : "");
}

void CWebWindow::SetPageAddress(uint8_t length, const char* text) {
    m_pageAddress = Bounded(text, length);
    m_hasPageAddress = true;
}

void CWebWindow::OpenBoard(uint8_t kind, uint8_t length1, const char* text1, uint8_t length2,
                           const char* text2) {
    if (kind == 5) {
        if (IsDrawOn()) return;
        const std::string address = Bounded(text1, length1) + "?" + Bounded(text2, length2);
        OpenBoardPage(address.c_str());
        return;
    }
    SetPageAddress(length1, text1);
    m_domain.clear();
    m_board.clear();
    // The browser takes no cookies from us: the values are only kept.
    const WebBoardValues values = ParseBoardValues(text2, length2);
    if (!values.ok) return;
    m_domain = values.domain;
    m_board = values.board;
}

bool CWebWindow::IsPageOpen() const {
    return m_host != nullptr && IsDrawOn();
}

void CWebWindow::ClosePage() {
    Hide();
    SetActive(false, false);
}

bool CWebWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (!m_host && !IsDrawOn() && !IsInputOn()) {
        // The page closed: the game's cursor comes back, for a few frames.
        ShowGameCursor(true);
        if (++m_refocus >= WEB_REFOCUS_FRAMES) SetUpdateOn(false);
        return true;
    }
    if (m_host && m_host->IsClosing()) {
        ClosePage();
        return true;
    }
    if (IsDrawOn() && g_pWindowMgr && !IsActiveFlag()) g_pWindowMgr->BringToFront(this);
    return true;
}

bool CWebWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    ShowGameCursor(false);
    if (!m_host || !m_host->IsNavigated() || !g_pTextRenderer || !g_pDirectDraw) return true;
    const WindowRect& r = m_host->GetRect();
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    g_pTextRenderer->DrawString(surface, r.left + 12, r.top + 12, m_host->GetAddress().c_str(), 0, kPale,
                                kShadow, true);
    g_pTextRenderer->DrawString(surface, r.left + 12, r.top + 32, GetTableText(kTexts, WEB_CLICK_LINE_ROW), 0,
                                kWhite, kShadow, true);
    return true;
}

bool CWebWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        if (button == 0 && m_host && IsInputOn()) m_host->Click(x, y);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    if (std::strcmp(control->GetName(), WEB_WINDOW_CLOSE_BUTTON) == 0) {
        if (m_host) m_host->SetClosing();
        ClosePage();
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CWebWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    if (m_host && IsDrawOn() && m_host->OnKey(key)) return false;
    return true;
}
