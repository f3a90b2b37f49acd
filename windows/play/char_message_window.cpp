#include "windows/play/char_message_window.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/chat_text.h"
#include "windows/play/chat_window.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

// The bubble's window stands this far left of and above the head point.
constexpr int32_t kOffsetX = 63, kOffsetY = 40;
constexpr uint32_t kBox = 0x80000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kShadow = 2;

}  // namespace

CCharMessageWindow::CCharMessageWindow() {
    CCharMessageWindow::Create();
}

bool CCharMessageWindow::Create() {
    CBaseWindow::Create();
    if (!CreateNamed(WINDOW_DRAG_TYPE, CHAR_MESSAGE_WINDOW_NAME)) return false;
    m_noImageDraw = 1;
    SetDrawOn(false);
    SetUpdateOn(false);
    SetKindId(0);
    std::memset(m_name, 0, sizeof m_name);
    std::memset(m_lines, 0, sizeof m_lines);
    m_lineCount = 0;
    m_showTime = 0;
    return true;
}

void CCharMessageWindow::SetText(const char* name, const char* text) {
    SetDrawOn(true);
    SetUpdateOn(true);
    m_showTime = plat::timeGetTime();
    std::memset(m_name, 0, sizeof m_name);
    CopyDbcsPrefix(name ? name : "", SPEECH_NAME_SIZE - 1, m_name);
    const std::string shown =
        m_name[0] ? std::string(m_name) + " : " + (text ? text : "") : std::string(text ? text : "");
    const std::vector<std::string> lines =
        SplitChatText(shown, SPEECH_LINE_BYTES, SPEECH_MAX_LINES, SPEECH_LINE_BYTES * SPEECH_MAX_LINES - 1);
    std::memset(m_lines, 0, sizeof m_lines);
    m_lineCount = lines.size();
    for (size_t i = 0; i < m_lineCount; ++i)
        CopyDbcsPrefix(lines[i].c_str(), SPEECH_LINE_SIZE - 1, m_lines[i]);
}

bool CCharMessageWindow::Update() {
    if (!IsUpdateOn()) SetDrawOn(false);
    if (plat::timeGetTime() - m_showTime >= SPEECH_SHOW_MS) {
        SetDrawOn(false);
        SetUpdateOn(false);
    }
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self || !IsDrawOn()) return true;
    UpdateRect();
    ICursorObject* cursor = WindowCursor();
    if (cursor && HitTest(WindowMouseX(), WindowMouseY()) && cursor->GetWindowLayer() <= SPEECH_HOVER_LEVEL) {
        cursor->ClearToolTip();
        cursor->SetWindowLayer(SPEECH_HOVER_LEVEL);
    }
    return true;
}

bool CCharMessageWindow::SetPosition(int32_t x, int32_t y) {
    return CBaseWindow::SetPosition(x - kOffsetX, y - kOffsetY);
}

bool CCharMessageWindow::Draw() {
    if (!IsDrawOn() || m_lineCount == 0) return true;
    const int32_t cx = m_x + kOffsetX;
    const int32_t count = int32_t(m_lineCount);
    const int32_t top = m_y - 14 * count;
    const int32_t width = int32_t(std::strlen(m_lines[0]));
    if (g_pDirect3D)
        g_pDirect3D->FillRect(cx - 3 * width - 2, top + 31, cx + 3 * width + 11, top + 14 * count + 49, kBox);
    uint32_t colour = kWhite;
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (g_pCharMgr && m_name[0]) {
        const char* own = player ? player->GetInfo(nullptr) : nullptr;
        if (IsCharMarked(player))
            colour = ChatRgb(255, 255, 0);
        else if (own && std::strcmp(own, m_name) == 0)
            colour = ChatRgb(200, 255, 200);
    }
    if (!g_pTextRenderer || !g_pDirectDraw) return true;
    for (int32_t i = 0; i < count; ++i)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(),
                                    cx - 3 * int32_t(std::strlen(m_lines[i])) + 5, top + 41 + 14 * i,
                                    m_lines[i], 0, colour, kShadow, true);
    return true;
}
