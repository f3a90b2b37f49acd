#include "ui/scroll_bar.h"

#include <algorithm>
#include <cmath>

#include "anim/ani_play_mgr.h"
#include "core/input_mgr.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

CScrollBar::CScrollBar() {
    CScrollBar::Create();
}

CScrollBar::~CScrollBar() {
    CScrollBar::Release();
}

bool CScrollBar::Create() {
    CBaseWindow::Create();
    m_firstArrow.Assign(nullptr);
    m_secondArrow.Assign(nullptr);
    m_thumb.Assign(nullptr);
    m_maximum = 100;
    m_position = 0.0f;
    m_vertical = 1;
    m_barWidth = m_barHeight = 0;
    m_step = 1.0f;
    return true;
}

bool CScrollBar::Release() {
    m_firstArrow.Assign(nullptr);
    m_secondArrow.Assign(nullptr);
    m_thumb.Assign(nullptr);
    return CBaseWindow::Release();
}

CButton* CScrollBar::GetFirstArrow() const {
    return m_firstArrow.GetAs<CButton>();
}

CButton* CScrollBar::GetSecondArrow() const {
    return m_secondArrow.GetAs<CButton>();
}

CButton* CScrollBar::GetThumb() const {
    return m_thumb.GetAs<CButton>();
}

void CScrollBar::SetParts(CButton* firstArrow, CButton* secondArrow, CButton* thumb) {
    m_firstArrow.Assign(firstArrow);
    m_secondArrow.Assign(secondArrow);
    m_thumb.Assign(thumb);
    for (CButton* part : {firstArrow, secondArrow, thumb}) {
        if (!part) continue;
        part->m_forwardToParent = 1;
        AddChild(part);
    }
    if (thumb) thumb->m_draggable = 1;
}

void CScrollBar::SetOrientation(uint8_t vertical) {
    m_vertical = vertical;
}

uint8_t CScrollBar::GetOrientation() {
    return m_vertical;
}

bool CScrollBar::SetPosition(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    UpdateRect();
    return true;
}

bool CScrollBar::UpdateRect() {
    m_rect = WindowRect{m_x, m_y, m_x + m_barWidth, m_y + m_barHeight};
    return true;
}

int32_t CScrollBar::Pos(CBaseWindow* part) {
    return m_vertical ? part->GetY() : part->GetX();
}

int32_t CScrollBar::Size(CBaseWindow* part) {
    return m_vertical ? part->GetHeight() : part->GetWidth();
}

int32_t CScrollBar::TrackLength() {
    CButton* first = GetFirstArrow();
    CButton* second = GetSecondArrow();
    CButton* thumb = GetThumb();
    if (!first || !second || !thumb) return 0;
    return std::max(Pos(second) - Pos(first) - Size(thumb) - Size(first), 0);
}

void CScrollBar::SetBarRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    m_barWidth = x2 - x1;
    m_barHeight = y2 - y1;
    SetPosition(x1, y1);
    if (CButton* first = GetFirstArrow()) first->SetPosition(x1, y1);
    if (CButton* second = GetSecondArrow()) {
        if (m_vertical)
            second->SetPosition(x1, y2 - second->GetHeight());
        else
            second->SetPosition(x2 - second->GetWidth(), y1);
    }
    PlaceThumb();
}

void CScrollBar::SetMaximum(int32_t maximum) {
    m_maximum = maximum < 1 ? 0 : maximum;
    if (m_position > float(m_maximum)) m_position = float(m_maximum);
    for (CButton* part : {GetFirstArrow(), GetSecondArrow(), GetThumb()})
        if (part) part->SetDrawOn(m_maximum > 0);
}

void CScrollBar::SetScrollPos(float position) {
    if (std::isnan(position) || position < 0.0f)
        m_position = 0.0f;
    else if (position >= float(m_maximum))
        m_position = float(m_maximum);
    else
        m_position = position;
}

float CScrollBar::GetScrollPos() {
    return m_position;
}

void CScrollBar::SetScrollPercent(float percent) {
    m_position = percent * 0.01f * float(m_maximum);
}

float CScrollBar::GetScrollPercent() {
    return m_maximum == 0 ? 0.0f : m_position / float(m_maximum) * 100.0f;
}

// The thumb along the track: next to the first arrow with nothing to scroll,
// else as far from the second arrow as the position is from the maximum (a
// position outside the range, which SetScrollPercent allows, counts as its end).
void CScrollBar::PlaceThumb() {
    CButton* first = GetFirstArrow();
    CButton* second = GetSecondArrow();
    CButton* thumb = GetThumb();
    if (!thumb) return;
    if (!first || !second) {
        thumb->SetPosition(m_x, m_y);
        return;
    }
    int32_t along;
    if (m_maximum == 0) {
        along = Pos(first) + Size(first);
    } else {
        const float ratio = std::clamp(m_position / float(m_maximum), 0.0f, 1.0f);
        along = int32_t(float(Pos(second)) - (1.0f - ratio) * float(TrackLength()) - float(Size(thumb)));
    }
    if (m_vertical)
        thumb->SetPosition(first->GetX(), along);
    else
        thumb->SetPosition(along, first->GetY());
}

bool CScrollBar::Update() {
    PlaceThumb();
    return CBaseWindow::Update();
}

int32_t CScrollBar::DistanceFromEnd(int32_t x, int32_t y) {
    CButton* thumb = GetThumb();
    const int32_t half = (m_vertical ? thumb->ImageHeight() : thumb->ImageWidth()) / 2;
    return Pos(GetSecondArrow()) - ((m_vertical ? y : x) + half);
}

// Arrow presses step the position (with Ctrl to its end); a press on the track
// jumps the thumb there.
bool CScrollBar::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    const bool ctrl = (plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000) != 0;
    CButton* first = GetFirstArrow();
    CButton* second = GetSecondArrow();
    if (control && (control == first || control == second)) {
        control->UpdateRect();
        if (!control->HitTest(x, y) || !control->AcceptsMouse()) {
            control->SetActive(false, false);
            return true;
        }
        if (first && second) {
            if (control == first)
                m_position = ctrl ? 0.0f : m_position - m_step;
            else
                m_position = ctrl ? float(m_maximum) : m_position + m_step;
            m_position = std::clamp(m_position, 0.0f, float(m_maximum));
        }
        return control->OnMouseDown(button, x, y, nullptr);
    }
    if (control) return control->OnMouseDown(button, x, y, nullptr);
    if (CBaseWindow::OnMouseDown(button, x, y, nullptr)) return true;  // missed: deactivated
    if (!first || !second || !GetThumb()) return true;
    const int32_t track = TrackLength();
    int32_t d = DistanceFromEnd(x, y);
    if (d < 0 || d > Size(GetThumb()) + track) return true;
    d = std::min(d, track);
    SetScrollPercent(track > 0 ? (1.0f - float(d) / float(track)) * 100.0f : 100.0f);
    return false;
}

// Dragging: while the bar is active and the left button held, the position
// follows the mouse along the track.
bool CScrollBar::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    CButton* first = GetFirstArrow();
    CButton* second = GetSecondArrow();
    CButton* thumb = GetThumb();
    if (CDragObject* held = WindowCursor() ? WindowCursor()->GetHeldObject() : nullptr) {
        if (held != this && held != thumb && held != first && held != second) return true;
    }
    if (control) {
        if (control != first && control != second) return control->OnMouseMove(button, x, y, nullptr);
        if (!control->IsActiveFlag()) return true;
        control->OnMouseMove(button, x, y, nullptr);
        return OnMouseDown(button, x, y, control);
    }
    const bool held = g_pInputMgr && g_pInputMgr->IsButtonDown(0);
    if (!IsActive() || !held || !first || !second || !thumb) return true;
    const int32_t track = TrackLength();
    const int32_t d = std::clamp(DistanceFromEnd(x, y), 0, track);
    SetScrollPercent(track > 0 ? (1.0f - float(d) / float(track)) * 100.0f : 100.0f);
    return false;
}

// The wheel scrolls a vertical bar while the mouse is over its window, level
// with the track.
bool CScrollBar::OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) {
    if (control) return control->OnMouseWheel(x, y, delta, nullptr);
    CButton* first = GetFirstArrow();
    CButton* second = GetSecondArrow();
    if (!m_vertical || !m_pParent || !first || !second) return true;
    m_pParent->UpdateRect();
    if (!m_pParent->HitTest(x, y) || y < first->GetY() || y > second->GetY()) return true;
    SetScrollPos(m_position - float(delta) * m_step);
    return false;
}

CScrollBar* MakeChildScrollBar(CBaseWindow* parent, const char* name, const ScrollBarPartNames& parts) {
    const uint32_t icons = FindAniByName("CommonIcons");
    CButton* up = MakeChildButton(parts.firstArrow, parent, icons, 3);
    CButton* down = MakeChildButton(parts.secondArrow, parent, icons, 4);
    CButton* thumb = MakeChildButton(parts.thumb, parent, icons, 2);
    for (CButton* part : {up, down, thumb}) parent->RemoveChild(part);
    auto* bar = static_cast<CScrollBar*>(MakeWindowControl(name, CONTROL_SCROLL_BAR));
    bar->SetParts(up, down, thumb);
    bar->SetOrientation(1);
    bar->m_forwardToParent = 1;
    parent->AddChild(bar);
    return bar;
}
