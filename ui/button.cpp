#include "ui/button.h"

#include <cstdlib>
#include <cstring>

#include "anim/ani_object.h"
#include "core/input_mgr.h"
#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace {

constexpr uint32_t kFaceColour = 0x80000000;  // black at alpha 128

}  // namespace

CButton::CButton() {
    CButton::Create();
}

CButton::~CButton() {
    CButton::Release();
}

bool CButton::Create() {
    CStaticText::Create();
    m_state = BUTTON_NORMAL;
    delete m_pImage;
    m_pImage = nullptr;
    m_imageAnimation = 0;
    m_imageMotion = 0;
    m_placementMode = 0;
    m_linkedWindow.Assign(nullptr);
    m_linkFlags = m_linkExtra = 0;
    m_plainFace = 0;
    m_faceWidth = m_faceHeight = 0;
    m_caption[0] = '\0';
    m_pressX = m_pressY = 0;
    Show();
    return true;
}

bool CButton::Release() {
    delete m_pImage;
    m_pImage = nullptr;
    return CStaticText::Release();
}

bool CButton::Hide() {
    CStaticText::Hide();
    m_state = BUTTON_NORMAL;
    m_pressedButton = -1;
    return true;
}

uint8_t CButton::StateDirection(int32_t state) {
    switch (state) {
        case BUTTON_HOVER:
            return 0;
        case BUTTON_PRESSED:
            return 14;
        case BUTTON_DISABLED:
            return 12;
        default:
            return 2;
    }
}

void CButton::ShowState(int32_t state) {
    if (!m_pImage) return;
    // The button's own motion, except for a disabled look it does not have;
    // the motion comes back with the next state.
    uint8_t motion = m_imageMotion;
    uint8_t direction = StateDirection(state);
    if (state == BUTTON_DISABLED && m_pImage->IsMotionMissing(motion, direction)) {
        motion = 1;
        direction = StateDirection(BUTTON_NORMAL);
    }
    const bool sameMotion = m_pImage->GetCurrentMotionId() == motion;
    if (!sameMotion) m_pImage->SetMotion(motion);
    if (sameMotion && m_pImage->m_direction == direction) return;
    m_pImage->SetDirection(direction);
    m_pImage->Play(m_pImage->m_loop != 0);
}

bool CButton::Draw() {
    if (m_plainFace) {
        const int32_t right = m_x + int32_t(m_faceWidth), bottom = m_y + int32_t(m_faceHeight);
        if (g_pDirect3D) g_pDirect3D->FillRect(m_x, m_y, right, bottom, kFaceColour);
        if (m_caption[0] && g_pTextRenderer && g_pDirectDraw) {
            const int32_t x = m_x + int32_t(m_faceWidth / 2) - 3 * int32_t(std::strlen(m_caption));
            const int32_t y = m_y + int32_t(m_faceHeight / 2) - 6;
            g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, m_caption, 0, 0xFFFFFF, 1,
                                        true);
        }
        return true;
    }
    if (!m_pImage) return true;
    if (!IsUpdateOn())
        m_state = BUTTON_DISABLED;
    else if (m_state == BUTTON_DISABLED)
        m_state = BUTTON_NORMAL;
    ShowState(m_state);
    m_pImage->SetScreenPosition(m_x, m_y, 0);
    m_pImage->Draw();
    return true;
}

bool CButton::Update() {
    CWeakRef self(this);
    CStaticText::Update();
    if (!self) return true;
    PlaceLinkedWindow();
    if (!self) return true;
    if (m_pImage) m_pImage->Update();
    ICursorObject* cursor = WindowCursor();
    if (m_toolTipOn && cursor && IsMouseOver()) cursor->SetText(m_toolTip, 0xFFFFFF);
    return true;
}

bool CButton::ProcessInput() {
    // Whether a window above (or a control processed before) has the mouse.
    const bool claimed = g_pWindowMgr && g_pWindowMgr->IsMouseOverWindow();
    CWeakRef self(this);
    CStaticText::ProcessInput();
    if (!self) return true;  // a handler took the button (or its window) away
    const bool over = IsMouseOver();
    if (m_state == BUTTON_NORMAL && over && !claimed)
        m_state = BUTTON_HOVER;
    else if (m_state == BUTTON_HOVER && !over)
        m_state = BUTTON_NORMAL;
    return true;
}

bool CButton::UpdateRect() {
    if (m_plainFace) {
        m_rect = WindowRect{m_x, m_y, m_x + int32_t(m_faceWidth), m_y + int32_t(m_faceHeight)};
    } else if (m_pImage) {
        m_pImage->SetScreenPosition(m_x, m_y, 0);
        const AniRect r = m_pImage->GetBounds(true, false);
        m_rect = WindowRect{r.left, r.top, r.right, r.bottom};
    } else {
        m_rect = WindowRect{m_x, m_y, m_x - 1, m_y - 1};  // nothing to show: takes no point
    }
    return true;
}

bool CButton::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseDown(button, x, y, nullptr);
    const bool pass = CStaticText::OnMouseDown(button, x, y, nullptr);
    if (!pass) {
        m_pressX = x;
        m_pressY = y;
        m_state = BUTTON_PRESSED;
    }
    return pass;
}

bool CButton::OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseUp(button, x, y, nullptr);
    UpdateRect();
    CBaseWindow* linked = GetLinkedWindow();
    if (HitTest(x, y) && IsActive()) {
        if (m_linkFlags & BUTTON_LINK_FOLLOW) {
            if (std::abs(x - m_pressX) <= 2 && std::abs(y - m_pressY) <= 3) TellMainInterface(linked);
        } else if (m_linkFlags == BUTTON_LINK_TOGGLE && m_state == BUTTON_PRESSED && linked) {
            if (linked->IsDrawOn() && linked->IsUpdateOn() && linked->IsInputOn()) {
                linked->Hide();
            } else {
                const int32_t screenHeight = GetDisplaySettings().screenHeight;
                PlaceBeside(linked, m_y + linked->ImageHeight() > screenHeight);
                TellMainInterface(linked);
                linked->Show();
                if (!linked->IsActive()) linked->SetActive(true, false);
            }
        }
    }
    m_pressedButton = -1;
    m_state = BUTTON_NORMAL;
    return true;
}

int32_t CButton::GetWidth() {
    if (m_plainFace) return int32_t(m_faceWidth);
    if (!m_pImage) return 0;
    ShowState(IsUpdateOn() ? m_state : BUTTON_DISABLED);
    return m_pImage->GetWidth();
}

int32_t CButton::GetHeight() {
    if (m_plainFace) return int32_t(m_faceHeight);
    if (!m_pImage) return 0;
    ShowState(IsUpdateOn() ? m_state : BUTTON_DISABLED);
    return m_pImage->GetHeight();
}

bool CButton::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    CBaseWindow* linked = GetLinkedWindow();
    if (m_placementMode == 1 && linked && (m_linkFlags & BUTTON_LINK_FOLLOW) &&
        linked->GetStateValue() == WINDOW_STATE_DETACHED)
        linked->SetPosition(m_x - linked->ImageWidth(), m_y);
    return true;
}

bool CButton::LoadImage(uint32_t animationId, uint8_t motion) {
    m_plainFace = 0;
    if (!m_pImage || m_imageAnimation != animationId || !m_pImage->GetAni()) {
        delete m_pImage;
        m_pImage = new CAniObject;
        if (!m_pImage->SetAnimation(animationId)) {
            delete m_pImage;
            m_pImage = nullptr;
            return false;
        }
        m_imageAnimation = animationId;
    }
    m_imageMotion = motion;
    m_pImage->SetMotion(motion);
    m_pImage->SetDirection(StateDirection(BUTTON_NORMAL));
    m_pImage->SetUnderlay(false);
    m_pImage->SetScreenPosition(m_x, m_y, 0);
    return true;
}

bool CButton::SetImage(uint32_t width, uint32_t height, const char* caption) {
    m_plainFace = 1;
    m_faceWidth = width;
    m_faceHeight = height;
    CopyDbcsPrefix(caption ? caption : "", STATIC_TEXT_MAX, m_caption);
    return true;
}

bool CButton::SetLinkedWindow(uint8_t placementMode, CBaseWindow* window, uint8_t linkFlags, uint8_t extra) {
    m_placementMode = placementMode;
    m_linkedWindow.Assign(window);
    m_linkFlags = linkFlags;
    m_linkExtra = extra;
    return true;
}

bool CButton::Press() {
    m_state = BUTTON_PRESSED;
    Draw();
    Update();
    m_state = BUTTON_NORMAL;
    return true;
}

bool CButton::RefreshLinkedWindow() {
    CBaseWindow* linked = GetLinkedWindow();
    if (!linked) return true;
    if (linked->IsDrawOn())
        linked->Show();
    else
        linked->Hide();
    return true;
}

void CButton::PlaceBeside(CBaseWindow* linked, bool bottomAligned) {
    const int32_t x = m_x - linked->ImageWidth();
    linked->SetPosition(x, bottomAligned ? m_y + GetHeight() - linked->ImageHeight() : m_y);
}

bool CButton::IsMouseOver() {
    UpdateRect();
    return HitTest(WindowMouseX(), WindowMouseY());
}

void CButton::TellMainInterface(CBaseWindow* linked) {
    if (!linked || !g_pWindowMgr) return;
    auto* host = dynamic_cast<IMainPanelHost*>(g_pWindowMgr->FindWindowByName("Z5MAINWIN", 0, true));
    if (host) host->IsMainPanelWindow(linked);
}

bool CButton::PlaceLinkedWindow() {
    CBaseWindow* linked = GetLinkedWindow();
    if (m_placementMode != 1 || !linked || !(m_linkFlags & BUTTON_LINK_FOLLOW)) return true;
    switch (linked->GetStateValue()) {
        case WINDOW_STATE_DETACHED:
            // Opens while the mouse is over the active button.
            if (IsMouseOver() && IsActive() && !linked->IsUpdateOn()) {
                linked->Show();
                linked->SetActive(true, false);
                PlaceBeside(linked, m_y + linked->ImageHeight() >= BUTTON_HOVER_OPEN_LIMIT_Y);
            }
            break;
        case WINDOW_STATE_DOCKED: {
            // A hover menu: open while the mouse is over the button or over the menu.
            PlaceBeside(linked, m_y + linked->ImageHeight() >= GetDisplaySettings().screenHeight);
            CBaseWindow* held = GetPinnedWindow(WindowCursor());
            if (held && held != this && held != linked && !held->IsChildOf(this) &&
                !held->IsChildOf(linked)) {
                linked->Hide();
                linked->SetActive(false, false);
                break;
            }
            const bool overButton = IsMouseOver() && IsActive();
            const bool overMenu = linked->IsActive() && linked->HitTest(WindowMouseX(), WindowMouseY());
            if (!overButton && !overMenu) {
                linked->Hide();
                linked->SetActive(false, false);
            } else {
                if (!linked->IsDrawOn() || !linked->IsUpdateOn() || !linked->IsInputOn()) linked->Show();
                if (!linked->IsActive()) linked->SetActive(true, false);
            }
            break;
        }
        default:
            break;
    }
    return true;
}

CButton* MakeChildButton(const char* name, CBaseWindow* parent, uint32_t animation, uint8_t motion) {
    auto* button = static_cast<CButton*>(MakeWindowControl(name, CONTROL_BUTTON));
    button->m_forwardToParent = 1;
    parent->AddChild(button);
    if (animation) button->LoadImage(animation, motion);
    return button;
}

bool IsClickOn(CBaseWindow* control, int32_t x, int32_t y) {
    if (!control) return false;
    control->UpdateRect();
    return control->GetRect().Contains(x, y);
}
