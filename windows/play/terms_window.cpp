#include "windows/play/terms_window.h"

#include <algorithm>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/direct_draw.h"
#include "graphics/text_layout.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/keyboard.h"
#include "windows/play/play_windows.h"

CStipulationWindow::CStipulationWindow() {
    CStipulationWindow::Create();
}

CStipulationWindow::~CStipulationWindow() = default;

bool CStipulationWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreateWithLayoutPicture(this, TERMS_WINDOW_NAME, TERMS_WINDOW_IMAGE);
    m_scrollBar.Assign(
        MakeChildScrollBar(this, "STIPULATION_WIN_SCROLLBAR",
                           {"STIPULATION_WIN_SCROLL_BUTTON_UP", "STIPULATION_WIN_SCROLL_BUTTON_DN",
                            "STIPULATION_WIN_SCROLL_BUTTON_DRAG"}));
    m_agree.Assign(MakeChildButton("STIPULATION_AGREE_BTN", this, image, 1));
    m_disagree.Assign(MakeChildButton("STIPULATION_DISAGREE_BTN", this, image, 2));
    m_result = TERMS_RESULT_NONE;
    CentreWindow(this);
    return true;
}

bool CStipulationWindow::SetPosition(int32_t x, int32_t y) {
    if (CButton* agree = GetAgreeButton()) agree->SetPosition(x + 230, y + 352);
    if (CButton* disagree = GetDisagreeButton()) disagree->SetPosition(x + 342, y + 352);
    if (CScrollBar* bar = GetScrollBar()) bar->SetBarRect(x + 455, y + 30, x + 463, y + 312);
    return CBaseWindow::SetPosition(x, y);
}

void CStipulationWindow::Answer(int32_t result) {
    m_result = result;
    SetButtonsTakeInput({GetAgreeButton(), GetDisagreeButton()}, false);
}

bool CStipulationWindow::Update() {
    const CGameSession& session = GameSession();
    if (session.m_termsReady) {
        if (m_result == TERMS_RESULT_NONE) SetButtonsTakeInput({GetAgreeButton(), GetDisagreeButton()}, true);
        const auto lines = int32_t(LayoutFormattedText(session.m_termsText, TERMS_COLUMNS).lines.size());
        if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(std::max(0, lines - TERMS_LINES));
    } else {
        SetButtonsTakeInput({GetAgreeButton(), GetDisagreeButton()}, false);
    }
    return CBaseWindow::Update();
}

bool CStipulationWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !g_pDirectDraw || !g_pTextRenderer) return true;
    const CGameSession& session = GameSession();
    if (!session.m_termsReady) return true;
    CScrollBar* bar = GetScrollBar();
    const int first = bar ? std::max(0, int(bar->GetScrollPos())) : 0;
    g_pTextRenderer->DrawFormattedText(g_pDirectDraw->GetRenderSurface(), m_x + 20, m_y + 44, TERMS_COLUMNS,
                                       TERMS_LINES, session.m_termsText.c_str(), first, 14, 1);
    return true;
}

bool CStipulationWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button == 0 && IsClickOn(control, x, y)) {
        if (control == GetAgreeButton()) {
            Answer(TERMS_RESULT_AGREED);
            return false;
        }
        if (control == GetDisagreeButton()) {
            Answer(TERMS_RESULT_DISAGREED);
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CStipulationWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    CButton* agree = GetAgreeButton();
    if (IsActive() && agree && agree->IsInputOn() && (key == plat::VK_RETURN || key == plat::VK_ESCAPE)) {
        Answer(key == plat::VK_RETURN ? TERMS_RESULT_AGREED : TERMS_RESULT_DISAGREED);
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}
