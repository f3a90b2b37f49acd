#include "ui/tooltip_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_font.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr int32_t kOneLineTextY = 7;
constexpr int32_t kFirstLineY = 5, kSecondLineY = 20;
constexpr int32_t kIconX = 10, kIconY = 6;
// Of a longer text only its end can show: measuring stops at this many bytes.
constexpr size_t kMeasuredTail = 4 * TOOLTIP_TEXT_MAX;

int32_t ScreenWidth() {
    return GetDisplaySettings().screenWidth;
}

// The end of a text, at most `n` bytes of it, starting on a character.
const char* TailOf(const char* text, size_t n) {
    const size_t length = std::strlen(text);
    if (length <= n) return text;
    const char* p = text;
    while (*p && size_t(p - text) < length - n) p = plat::CharNextA(p);
    return p;
}

}  // namespace

// ---- CToolTipWindow ----

CToolTipWindow::CToolTipWindow() {
    CToolTipWindow::Create();
}

CToolTipWindow::~CToolTipWindow() {
    CToolTipWindow::Release();
}

bool CToolTipWindow::Create() {
    CBaseWindow::Create();
    m_firstLine[0] = m_secondLine[0] = '\0';
    m_pIcon = nullptr;
    delete m_pTwoLineFrame;
    m_pTwoLineFrame = nullptr;
    SetDrawOn(false);
    SetUpdateOn(false);
    const uint32_t frame = FindAniByName("ToolTip_Window");
    CreateNamedWithAni(WINDOW_DRAG_TYPE, "TOOLTIPBOX", frame, frame == 0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(0);
        m_pAniObject->SetDirection(TOOLTIP_RIGHT_CAP);
    }
    m_kindId = 0;
    m_colour = kWhite;
    m_stackNumber = 4;
    m_pTwoLineFrame = new CAniObject;
    if (m_pTwoLineFrame->SetAnimation(TOOLTIP_TWO_LINE_FRAME)) {
        m_pTwoLineFrame->SetUnderlay(false);
    } else {
        delete m_pTwoLineFrame;
        m_pTwoLineFrame = nullptr;
    }
    SetStyle(0);
    return true;
}

bool CToolTipWindow::Release() {
    delete m_pTwoLineFrame;
    m_pTwoLineFrame = nullptr;
    m_pIcon = nullptr;
    return CBaseWindow::Release();
}

void CToolTipWindow::SetText(const char* text, uint32_t colour) {
    if (!text || !*text) {
        SetDrawOn(false);
        SetUpdateOn(false);
        return;
    }
    SetDrawOn(true);
    SetUpdateOn(true);
    std::string line = TailOf(text, kMeasuredTail);
    if (CTextFont* font = GetTextFont(0, 0))
        line = FitTextWithEllipsis(*font, line.c_str(), ScreenWidth() - TOOLTIP_SCREEN_MARGIN);
    CopyDbcsPrefix(line.c_str(), TOOLTIP_TEXT_MAX, m_firstLine);
    m_colour = colour;
    m_startTime = plat::timeGetTime();
}

void CToolTipWindow::SetSecondLine(const char* text, CAniObject* icon) {
    CopyDbcsPrefix(text ? text : "", TOOLTIP_TEXT_MAX, m_secondLine);
    m_pIcon = icon;
}

void CToolTipWindow::SetStyle(uint8_t style) {
    if (style > 7) style = 0;
    m_style = style;
    m_colour = style ? kBlack : kWhite;
    if (m_pAniObject) m_pAniObject->SetMotion(uint8_t(style ? style + 3 : 0));
    if (m_pTwoLineFrame) m_pTwoLineFrame->SetMotion(style);
}

int32_t CToolTipWindow::PieceWidth(CAniObject* frame, uint8_t direction) {
    if (!frame) return 0;
    frame->SetDirection(direction);
    return frame->GetWidth();
}

void CToolTipWindow::DrawPiece(CAniObject* frame, uint8_t direction, int32_t x, int32_t y) {
    if (!frame) return;
    frame->SetDirection(direction);
    frame->SetScreenPosition(x, y, 0);
    frame->Draw();
}

CToolTipWindow::OneLine CToolTipWindow::LayOutOneLine() {
    const int32_t n = int32_t(std::strlen(m_firstLine));
    OneLine out{};
    out.leftCap = PieceWidth(m_pAniObject, TOOLTIP_LEFT_CAP);
    out.rightCap = PieceWidth(m_pAniObject, TOOLTIP_RIGHT_CAP);
    out.left = m_x - 3 * n;
    if (out.left - out.leftCap < 0) out.left = out.leftCap;
    const int32_t excess = out.left + TOOLTIP_CELL * n + out.rightCap - ScreenWidth();
    if (excess > 0) out.left -= excess;
    out.top = m_y;
    if (out.top < 0) {
        // No place of its own: under the cursor.
        ICursorObject* cursor = WindowCursor();
        out.top = (cursor ? cursor->GetImageHeight() : 0) + WindowMouseY();
    }
    return out;
}

void CToolTipWindow::GetTextPos(int32_t* x, int32_t* y) {
    const OneLine layout = LayOutOneLine();
    if (x) *x = layout.left;
    if (y) *y = layout.top + kOneLineTextY;
}

bool CToolTipWindow::UpdateRect() {
    if (m_secondLine[0] == '\0') {
        const OneLine layout = LayOutOneLine();
        const int32_t height = m_pAniObject ? m_pAniObject->GetHeight() : 0;
        m_rect = WindowRect{layout.left - layout.leftCap, layout.top,
                            layout.left + TOOLTIP_CELL * int32_t(std::strlen(m_firstLine)) + layout.rightCap,
                            layout.top + height};
    } else {
        const int32_t m = int32_t(std::max(std::strlen(m_firstLine), std::strlen(m_secondLine)));
        const int32_t height = m_pTwoLineFrame ? m_pTwoLineFrame->GetHeight() : 0;
        m_rect = WindowRect{m_x - TOOLTIP_CELL * m / 2, m_y, m_x + TOOLTIP_CELL * m / 2, m_y + height};
    }
    return true;
}

bool CToolTipWindow::Update() {
    if (!IsUpdateOn()) {
        SetDrawOn(false);
        return true;
    }
    if (m_firstLine[0] == '\0') {
        SetDrawOn(false);
        SetUpdateOn(false);
        return true;
    }
    CBaseWindow::Update();
    ICursorObject* cursor = WindowCursor();
    if (cursor && HitTest(WindowMouseX(), WindowMouseY()) && cursor->GetWindowLayer() <= m_stackNumber) {
        cursor->SetOverWindow(false);
        cursor->SetWindowLayer(m_stackNumber);
    }
    return true;
}

bool CToolTipWindow::Draw() {
    if (!IsDrawOn()) return true;
    if (m_secondLine[0] == '\0')
        DrawOneLine();
    else
        DrawTwoLines();
    m_secondLine[0] = '\0';
    m_pIcon = nullptr;
    return true;
}

void CToolTipWindow::DrawOneLine() {
    const int32_t n = int32_t(std::strlen(m_firstLine));
    const OneLine layout = LayOutOneLine();
    DrawPiece(m_pAniObject, TOOLTIP_LEFT_CAP, layout.left - layout.leftCap, layout.top);
    for (int32_t i = 0; i < n; ++i)
        DrawPiece(m_pAniObject, TOOLTIP_MIDDLE, layout.left + TOOLTIP_CELL * i, layout.top);
    DrawPiece(m_pAniObject, TOOLTIP_RIGHT_CAP, layout.left + TOOLTIP_CELL * n, layout.top);
    if (g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), layout.left,
                                    layout.top + kOneLineTextY, m_firstLine, 0, m_colour, TEXT_STYLE_PLAIN,
                                    true);
}

void CToolTipWindow::DrawTwoLines() {
    const int32_t length1 = int32_t(std::strlen(m_firstLine));
    const int32_t length2 = int32_t(std::strlen(m_secondLine));
    const int32_t m = std::max(length1, length2);
    const int32_t width = TOOLTIP_CELL * m;
    const int32_t leftPiece = PieceWidth(m_pTwoLineFrame, TOOLTIP_TWO_LEFT);
    int32_t left = std::max(m_x - (width + leftPiece) / 2, 0);
    if (left + width + leftPiece > ScreenWidth()) left = ScreenWidth() - width - leftPiece;
    const int32_t top = m_y;
    DrawPiece(m_pTwoLineFrame, TOOLTIP_TWO_LEFT, left, top);
    if (m_pIcon) {
        m_pIcon->SetScreenPosition(left + kIconX, top + kIconY, 0);
        m_pIcon->Draw();
    }
    // A middle piece without width cannot fill the line: none is drawn.
    const int32_t middle = PieceWidth(m_pTwoLineFrame, TOOLTIP_TWO_MIDDLE);
    const int32_t pieces = middle > 0 ? width / middle : 0;
    int32_t x = left + leftPiece;
    for (int32_t i = 0; i < pieces; ++i, x += middle) DrawPiece(m_pTwoLineFrame, TOOLTIP_TWO_MIDDLE, x, top);
    DrawPiece(m_pTwoLineFrame, TOOLTIP_TWO_RIGHT, x, top);
    if (!g_pTextRenderer || !g_pDirectDraw) return;
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    g_pTextRenderer->DrawString(surface, left + leftPiece + 3 * (m - length1), top + kFirstLineY, m_firstLine,
                                0, m_colour, TEXT_STYLE_PLAIN, true);
    g_pTextRenderer->DrawString(surface, left + leftPiece + 3 * (m - length2), top + kSecondLineY,
                                m_secondLine, 0, m_colour, TEXT_STYLE_PLAIN, true);
}

bool CToolTipWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    return DefaultReturnTrue(button, x, y, control);
}

// ---- CToolTipStackWindow ----

CToolTipStackWindow::CToolTipStackWindow() {
    CToolTipStackWindow::Create();
}

bool CToolTipStackWindow::Create() {
    CBaseWindow::Create();
    m_hideDuringEvents = 1;
    m_keepOpen = 1;
    CreateNamed(WINDOW_DRAG_TYPE, "TOOLTIPSTACKWIN");
    m_startY = 0;
    m_count = 0;
    m_max = MAX_NOTICES;
    m_displayTime = DISPLAY_TIME_MS;
    m_bottomY = GetDisplaySettings().screenHeight - 120;
    m_leftX = 10;
    CToolTipStackWindow::SetPosition(0, 0);
    m_drawOnTop = 1;
    return true;
}

void CToolTipStackWindow::AddNotice(const char* text) {
    PlayUiSound("AutoGetItem");
    auto* notice = new CToolTipWindow;
    notice->SetText(text, kWhite);
    notice->m_forwardToParent = 1;
    notice->SetPosition(m_leftX, m_startY);
    // The oldest goes first (whatever else took notices away meanwhile).
    while (Children() && Children()->Count() >= m_max) {
        CBaseWindow* oldest = *Children()->begin();
        if (g_pWindowMgr && g_pWindowMgr->HasWindow(oldest))
            g_pWindowMgr->RemoveWindow(oldest);
        else
            delete oldest;
    }
    AddChild(notice);
    m_count = Children() ? Children()->Count() : 0;
}

bool CToolTipStackWindow::SetPosition(int32_t x, int32_t y) {
    bool first = true;
    int32_t placed = 0;
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* notice = ref.GetAs<CBaseWindow>();
        if (!notice) continue;
        int32_t ny = std::min(notice->GetY() + SLIDE_STEP, m_bottomY);
        if (!first) ny = std::min(ny, placed - NOTICE_SPACE);
        notice->SetPosition(m_leftX, ny);
        placed = ny;
        first = false;
    }
    return CBaseWindow::SetPosition(x, y);
}
