#include "ui/base_window.h"

#include <cstring>

#include "anim/ani_object.h"
#include "core/input_mgr.h"
#include "core/resource_cache.h"
#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "ui/ui_services.h"
#include "ui/window_layout.h"
#include "ui/window_mgr.h"

namespace {

bool ValidButton(int32_t button) {
    return button == 0 || button == 1;
}

}  // namespace

std::unique_ptr<CAniObject> MakeWindowImage(uint32_t animation, uint8_t motion, uint8_t direction) {
    if (animation == 0) return nullptr;
    auto image = std::make_unique<CAniObject>();
    if (!image->SetAnimation(animation)) return nullptr;
    image->SetMotion(motion);
    image->SetDirection(direction);
    image->SetUnderlay(false);
    return image;
}

bool DefaultReturnTrue(int32_t, int32_t, int32_t, CBaseWindow*) {
    return true;
}

CBaseWindow::CBaseWindow() {
    CBaseWindow::Create();
}

CBaseWindow::~CBaseWindow() {
    CBaseWindow::Release();
    if (m_pParent) m_pParent->RemoveChild(this);
    if (g_pWindowMgr) g_pWindowMgr->ForgetWindow(this);
}

bool CBaseWindow::Create() {
    CDrawObject::Create();
    // A window made again lets go of the children it had (it does not own
    // them through the list alone).
    if (m_pChildren)
        for (CBaseWindow* child : *m_pChildren) child->m_pParent = nullptr;
    m_pChildren = std::make_unique<ChildList>();
    m_pState = std::make_unique<CBlockList>();
    m_pState->SetValue(WINDOW_STATE_FREE);
    m_controlType = CONTROL_WINDOW;
    m_rect = WindowRect{};
    m_pParent = nullptr;
    m_noImageDraw = 0;
    m_pressedButton = -1;
    m_dragAnchorX = m_dragAnchorY = -1;
    m_pressOffsetX = m_pressOffsetY = 0;
    m_keepOnScreen = m_draggable = m_lockVertical = m_lockHorizontal = 0;
    m_doubleClickAsClick = 1;
    m_pickable = m_hideOnClick = m_closeOnOutsideClick = 0;
    m_hideDuringEvents = m_keepDuringEvents = m_drawOnTop = m_forwardToParent = 0;
    m_toolTipOn = 0;
    m_toolTipParam = WINDOW_TOOLTIP_PARAM;
    m_toolTip[0] = '\0';
    m_stackNumber = 5;
    m_fixedOrder = m_keepOpen = 0;
    std::memset(m_pressed, 0, sizeof m_pressed);
    std::memset(m_clicked, 0, sizeof m_clicked);
    std::memset(m_doubleClicked, 0, sizeof m_doubleClicked);
    return true;
}

bool CBaseWindow::Release() {
    if (m_pChildren) {
        // The list goes first, so that a child's destructor finds no parent to leave.
        std::vector<CBaseWindow*> children(m_pChildren->begin(), m_pChildren->end());
        m_pChildren.reset();
        for (CBaseWindow* child : children) {
            child->m_pParent = nullptr;
            if (g_pWindowMgr && g_pWindowMgr->HasWindow(child))
                g_pWindowMgr->RemoveWindow(child);
            else
                delete child;
        }
    }
    m_pState.reset();
    if (g_pWindowMgr && g_pWindowMgr->GetFocusedEditBox() == this) {
        SetActive(false, false);
        g_pWindowMgr->SetFocusedEditBox(nullptr);
    }
    return CDrawObject::Release();
}

bool CBaseWindow::Hide() {
    SetAllFlags(false);
    m_dragAnchorX = m_dragAnchorY = -1;
    m_pressedButton = -1;  // a hidden window does not see the release
    return true;
}

std::vector<CWeakRef> CBaseWindow::ChildSnapshot() const {
    std::vector<CWeakRef> out;
    if (!m_pChildren) return out;
    out.reserve(size_t(m_pChildren->Count()));
    for (CBaseWindow* child : *m_pChildren) out.emplace_back(child);
    return out;
}

bool CBaseWindow::Draw() {
    CWeakRef self(this);
    if (!m_noImageDraw && m_pAniObject) m_pAniObject->Draw();
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && child->IsDrawOn()) child->Draw();
    }
    if (!self) return true;  // a child took this window with it
    if (m_toolTipOn && HitTest(WindowMouseX(), WindowMouseY()) && g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), WindowMouseX(), WindowMouseY(),
                                    m_toolTip, 0, 0xFFFFFF, 1, true);
    return true;
}

bool CBaseWindow::Update() {
    CWeakRef self(this);
    UpdateToolTip();
    if (m_pAniObject) m_pAniObject->Update();
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && child->IsUpdateOn()) child->Update();
    }
    if (!self) return true;  // a child took this window with it
    ICursorObject* cursor = WindowCursor();
    if (cursor && HitTest(WindowMouseX(), WindowMouseY()) && cursor->GetWindowLayer() < m_stackNumber) {
        cursor->SetOverWindow(true);
        cursor->SetShapeIndex(0);
        cursor->SetWindowLayer(m_stackNumber);
    }
    return true;
}

bool CBaseWindow::ProcessInput() {
    // A handler may delete this window (a control's handler its parent, say).
    CWeakRef self(this);
    // 1. The children, the last added first.
    std::vector<CWeakRef> children = ChildSnapshot();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* child = it->GetAs<CBaseWindow>();
        if (child && child->IsInputOn()) child->ProcessInput();
    }
    if (!self) return true;
    // 2. The manager learns that the mouse is over a window.
    UpdateRect();
    if (g_pWindowMgr && HitTest(WindowMouseX(), WindowMouseY())) g_pWindowMgr->SetMouseOverWindow(true);

    // 3. Whose handlers see the events.
    CBaseWindow* target = this;
    CBaseWindow* control = nullptr;
    if (m_forwardToParent && m_pParent) {
        target = m_pParent;
        control = this;
    }
    CWeakRef targetRef(target);

    // 4. The events queued when the walk starts; a consumed one is removed.
    CInputMgr* input = g_pInputMgr;
    if (!input) return true;
    int32_t remaining = input->GetEventCount();
    CInputEvent* event = input->GetFirstEvent();
    while (event && remaining-- > 0) {
        if (!self || !targetRef) return true;  // a handler deleted the window
        bool pass = true;
        const int32_t x = event->m_x, y = event->m_y;
        if (event->m_kind == INPUT_KEY) {
            pass = target->OnKeyDown(event->m_code, control);
        } else if (event->m_kind == INPUT_MOUSE) {
            switch (event->m_code) {
                case MOUSE_LDOWN:
                case MOUSE_RDOWN:
                    pass = target->OnMouseDown(int32_t(event->m_code - MOUSE_LDOWN), x, y, control);
                    break;
                case MOUSE_LUP:
                case MOUSE_RUP:
                    pass = target->OnMouseUp(int32_t(event->m_code - MOUSE_LUP), x, y, control);
                    break;
                case MOUSE_LCLICK:
                case MOUSE_RCLICK:
                    pass = target->OnControlEvent(int32_t(event->m_code - MOUSE_LCLICK), x, y, control);
                    break;
                case MOUSE_LDBLCLICK:
                case MOUSE_RDBLCLICK: {
                    const int32_t button = int32_t(event->m_code - MOUSE_LDBLCLICK);
                    if (m_doubleClickAsClick) {
                        pass = target->OnMouseDown(button, x, y, control);
                        if (targetRef) target->OnMouseUp(button, x, y, control);
                    } else {
                        pass = target->OnDoubleClick(button, x, y, control);
                    }
                    break;
                }
                case MOUSE_WHEEL:
                    pass = target->OnMouseWheel(x, y, event->m_value, control);
                    break;
                default:
                    break;
            }
        }
        event = pass ? input->GetNextEvent(event) : input->RemoveEvent(event);
    }

    // 5. The mouse movement of the frame, once.
    if (self && targetRef && input->HasMouseMoved())
        target->OnMouseMove(0, WindowMouseX(), WindowMouseY(), control);
    return true;
}

bool CBaseWindow::UpdateRect() {
    if (!m_pAniObject) return true;
    const AniRect r = m_pAniObject->GetBounds(true, false);
    m_rect = WindowRect{r.left, r.top, r.right, r.bottom};
    return true;
}

bool CBaseWindow::HitTest(int32_t x, int32_t y) {
    // A window being dragged (held by the cursor with a button pressed on
    // it) and its ancestors take every point. Once let go, a window the
    // cursor still points at takes only its own.
    CBaseWindow* held = GetPinnedWindow(WindowCursor());
    if (held && held->m_pressedButton >= 0 && (held == this || held->IsChildOf(this))) return true;
    if (m_rect.Contains(x, y)) return true;
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (!child || !child->IsDrawOn() || !child->IsUpdateOn() || !child->IsInputOn()) continue;
        child->UpdateRect();
        if (child->HitTest(x, y)) return true;
    }
    return false;
}

bool CBaseWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseDown(button, x, y, nullptr);
    UpdateRect();
    if (HitTest(x, y) && m_acceptsMouse) {
        m_pressedButton = button;
        m_dragAnchorX = x;
        m_dragAnchorY = y;
        m_pressOffsetX = x - m_x;
        m_pressOffsetY = y - m_y;
        if (ValidButton(button)) m_pressed[button] = 1;
        SetActive(true, false);
        return false;
    }
    SetActive(false, false);
    return true;
}

bool CBaseWindow::OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseUp(button, x, y, nullptr);
    m_pressedButton = -1;
    return true;
}

bool CBaseWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnControlEvent(button, x, y, nullptr);
    UpdateRect();
    if (HitTest(x, y) && IsActive()) {
        if (ValidButton(button)) m_clicked[button] = 1;
        return false;
    }
    return true;
}

bool CBaseWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    if (!IsActive() || !m_draggable) return true;
    UpdateRect();
    if (m_dragAnchorX < 0) {
        m_dragAnchorX = x;
        m_dragAnchorY = y;
    }
    if (!HitTest(m_dragAnchorX, m_dragAnchorY)) return true;
    ICursorObject* cursor = WindowCursor();
    CDragObject* held = cursor ? cursor->GetHeldObject() : nullptr;
    if (held && held != this) return true;
    if (cursor) cursor->SetPointedObject(this);
    if (button != 0 || m_pressedButton != 0) return true;
    const int32_t dx = m_lockHorizontal ? 0 : x - m_dragAnchorX;
    const int32_t dy = m_lockVertical ? 0 : y - m_dragAnchorY;
    SetPosition(m_x + dx, m_y + dy);
    m_dragAnchorX = x;
    m_dragAnchorY = y;
    return false;
}

bool CBaseWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    if (!IsActive()) return true;
    if (ValidButton(button)) m_doubleClicked[button] = 1;
    return false;
}

bool CBaseWindow::OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) {
    if (control) return control->OnMouseWheel(x, y, delta, nullptr);
    return true;
}

bool CBaseWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    return true;
}

bool CBaseWindow::IsChildOf(CBaseWindow* window) {
    if (!window) return false;
    for (CBaseWindow* p = m_pParent; p; p = p->m_pParent)
        if (p == window) return true;
    return false;
}

bool CBaseWindow::SetActive(bool active, bool keepOrder) {
    if (!active) {
        m_active = 0;
        for (const CWeakRef& ref : ChildSnapshot()) {
            auto* child = ref.GetAs<CBaseWindow>();
            if (child && child->IsInputOn()) child->SetActive(false, false);
        }
        m_dragAnchorX = m_dragAnchorY = -1;
        return true;
    }
    m_active = 1;
    if (keepOrder && g_pWindowMgr) {
        g_pWindowMgr->RenumberZOrder();
        m_active = 1;
    }
    CBaseWindow* outer = this;
    for (CBaseWindow* p = m_pParent; p; p = p->m_pParent) {
        p->m_active = 1;
        outer = p;
    }
    if (!keepOrder && g_pWindowMgr && g_pWindowMgr->HasWindow(outer)) g_pWindowMgr->BringToFront(outer);
    return true;
}

bool CBaseWindow::IsActive() {
    for (CBaseWindow* w = this; w; w = w->m_pParent)
        if (w->m_active) return true;
    return false;
}

int32_t CBaseWindow::GetStateValue() {
    return m_pState ? m_pState->GetValue() : -1;
}

bool CBaseWindow::SetStateValue(int32_t value) {
    if (m_pState) m_pState->SetValue(value);
    return true;
}

bool CBaseWindow::IsVisibleInTree() {
    for (CBaseWindow* w = this; w; w = w->m_pParent)
        if (!w->IsDrawOn()) return false;
    return true;
}

bool CBaseWindow::IsUpdatingInTree() {
    for (CBaseWindow* w = this; w; w = w->m_pParent)
        if (!w->IsUpdateOn()) return false;
    return true;
}

bool CBaseWindow::IsInputEnabledInTree() {
    for (CBaseWindow* w = this; w; w = w->m_pParent)
        if (!w->IsInputOn()) return false;
    return true;
}

bool CBaseWindow::SetPosition(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    if (m_pAniObject) m_pAniObject->SetScreenPosition(x, y, 0);
    UpdateRect();
    if (!m_keepOnScreen) return true;
    const CDisplaySettings& screen = GetDisplaySettings();
    const int32_t width = m_rect.right - m_rect.left;
    const int32_t height = m_rect.bottom - m_rect.top;
    if (x < 10) x = 0;
    if (x + width > screen.screenWidth - 10) x = screen.screenWidth - width;
    if (y < 10) y = 0;
    if (y + height > screen.screenHeight - 10) y = screen.screenHeight - height;
    m_x = x;
    m_y = y;
    if (m_pAniObject) m_pAniObject->SetScreenPosition(x, y, 0);
    UpdateRect();
    return true;
}

bool CBaseWindow::SetSize(uint32_t width, uint32_t height) {
    m_width = width;
    m_height = height;
    return true;
}

bool CBaseWindow::SetToolTip(bool enabled, const char* text, uint32_t parameter) {
    if (!text) return true;
    m_toolTipOn = enabled;
    CopyDbcsPrefix(text, WINDOW_TOOLTIP_MAX, m_toolTip);
    if (enabled) m_toolTipParam = parameter;
    return true;
}

bool CBaseWindow::UpdateToolTip() {
    ICursorObject* cursor = WindowCursor();
    if (cursor && HitTest(WindowMouseX(), WindowMouseY())) {
        cursor->SetText("", 0xFFFFFF);
        cursor->ClearToolTip();
    }
    return true;
}

bool CBaseWindow::AddChild(CBaseWindow* child) {
    // A window never holds itself or one of its ancestors (the parent chain
    // would turn into a loop).
    if (!child || child == this || IsChildOf(child) || !m_pChildren) return false;
    if (child->m_pParent) child->m_pParent->RemoveChild(child);
    m_pChildren->AddTail(child);
    child->m_pParent = this;
    return true;
}

bool CBaseWindow::RemoveChild(CBaseWindow* child) {
    if (!child || !m_pChildren) return false;
    if (!m_pChildren->RemoveValue(child)) return false;
    child->m_pParent = nullptr;
    return true;
}

bool CBaseWindow::SaveSettings(CLayoutWriter*) {
    return true;
}

bool CBaseWindow::LoadSettings() {
    return true;
}

bool CBaseWindow::WriteLayoutString(const char* key, const char* value, CLayoutWriter* writer) {
    if (!writer || !key || !value) return false;
    return writer->WriteLine(GetName(), key, value);
}

bool CBaseWindow::WriteLayoutFloat(const char* key, float value, CLayoutWriter* writer) {
    if (!writer || !key) return false;
    return writer->WriteLine(GetName(), key, FormatLayoutFloat(value));
}

float CBaseWindow::ReadLayoutFloat(const char* key, CLayoutReader* reader, float defaultValue) {
    std::string value;
    if (!reader || !key || !reader->FindValue(GetName(), key, &value)) return defaultValue;
    return ParseLayoutFloat(value, defaultValue);
}

bool CBaseWindow::ReadLayoutString(const char* key, char* out, size_t capacity, CLayoutReader* reader) {
    if (!out || capacity == 0) return false;
    out[0] = '\0';
    std::string value;
    if (!reader || !key || !reader->FindValue(GetName(), key, &value)) return false;
    CopyDbcsPrefix(value.c_str(), capacity - 1, out, capacity);
    return true;
}

bool CBaseWindow::Open() {
    SetActive(true, false);
    if (GetStateValue() != WINDOW_STATE_FREE || !IsDrawOn()) {
        SetStateValue(WINDOW_STATE_FREE);
        Show();
    }
    return true;
}

int32_t CBaseWindow::ImageWidth() {
    if (m_pAniObject) return m_pAniObject->GetWidth();
    UpdateRect();
    return m_rect.right - m_rect.left;
}

int32_t CBaseWindow::ImageHeight() {
    if (m_pAniObject) return m_pAniObject->GetHeight();
    UpdateRect();
    return m_rect.bottom - m_rect.top;
}
