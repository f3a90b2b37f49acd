#include "ui/number_input_window.h"

#include <algorithm>
#include <memory>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "graphics/display_settings.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/edit_mgr.h"
#include "ui/window_mgr.h"

namespace {

constexpr const char* kName = "NUMBER_EDIT_CONTROL";
constexpr const char* kOkName = "NUMBER_EDIT_CONTROL_OK_BTN";
constexpr const char* kLeftName = "CHAR_INFO_WND_LEFT_ARROW_BUTTON";
constexpr const char* kRightName = "CHAR_INFO_WND_RIGHT_ARROW_BUTTON";
constexpr const char* kEditName = "NUMBER_EDIT_CONTROL_EDIT";
// The texts of the arrows' tooltips: text table 14.
constexpr int kArrowTipTable = 14, kLeftTipRow = 131, kRightTipRow = 132;

}  // namespace

int32_t CNumberInputWindow::RepeatInterval(uint32_t held) {
    const uint64_t seconds = held / 1000;
    const int64_t k = int64_t(std::min<uint64_t>(seconds * seconds / 2 + 1, 10));
    return int32_t(std::max<int64_t>((8 - k) * 100, 10));
}

CNumberInputWindow::CNumberInputWindow() {
    CNumberInputWindow::Create();
}

CNumberInputWindow::~CNumberInputWindow() {
    CNumberInputWindow::Release();
}

bool CNumberInputWindow::Create() {
    CBaseWindow::Create();
    m_draggable = 1;
    m_hideOnClick = 1;
    m_pickable = 1;
    m_fixedOrder = 1;
    const uint32_t image = FindAniByName("Number_Input_Window");
    CreateNamedWithAni(WINDOW_DRAG_TYPE, kName, image, image == 0);
    if (m_pAniObject) m_pAniObject->SetDirection(2);
    m_kindId = 0;

    const uint32_t icons = FindAniByName("CommonIcons");
    struct Part {
        const char* name;
        CWeakRef* ref;
        uint32_t animation;
        uint8_t motion;
        int tipRow;
    } parts[] = {{kOkName, &m_ok, image, 1, -1},
                 {kLeftName, &m_left, icons, 6, kLeftTipRow},
                 {kRightName, &m_right, icons, 5, kRightTipRow}};
    for (const Part& p : parts) {
        auto* button = static_cast<CButton*>(MakeWindowControl(p.name, CONTROL_BUTTON));
        p.ref->Assign(button);
        if (!button) continue;
        button->m_forwardToParent = 1;
        AddChild(button);
        if (p.animation) button->LoadImage(p.animation, p.motion);
        if (p.tipRow >= 0)
            button->SetToolTip(true, GetTableText(kArrowTipTable, p.tipRow), WINDOW_TOOLTIP_PARAM);
    }

    delete m_pInnerImage;
    m_pInnerImage = nullptr;
    if (image) {
        m_pInnerImage = new CAniObject;
        if (m_pInnerImage->SetAnimation(image)) {
            m_pInnerImage->SetMotion(2);
            m_pInnerImage->SetDirection(2);
            m_pInnerImage->SetUnderlay(false);
        } else {
            delete m_pInnerImage;
            m_pInnerImage = nullptr;
        }
    }
    m_blinkTime = plat::timeGetTime();
    m_blink = 0;
    m_result = 0;
    m_value = 0;
    m_maximum = 255;
    m_minimum = 0;
    m_repeatStart = 0;
    m_repeatDirection = 0;
    m_lastStep = 0;
    m_notifyOn = 0;
    m_notify.Set(nullptr);
    m_notifyParameter = 0;

    auto* box = static_cast<CEditBox*>(MakeWindowControl(kEditName, CONTROL_EDIT_BOX));
    m_editBox.Assign(box);
    if (box) {
        box->SetInputOn(true);
        box->m_forwardToParent = 1;
        box->SetNumeric(true);
        box->SetMaxLength(NUMBER_INPUT_MAX_DIGITS);
        AddChild(box);
        box->Show();
        box->SetActive(true, false);
    }
    CNumberInputWindow::SetPosition(0, 0);
    return true;
}

bool CNumberInputWindow::Release() {
    delete m_pInnerImage;
    m_pInnerImage = nullptr;
    return CBaseWindow::Release();
}

CEditBox* CNumberInputWindow::GetEditBox() const {
    return m_editBox.GetAs<CEditBox>();
}

CButton* CNumberInputWindow::GetOkButton() const {
    return m_ok.GetAs<CButton>();
}

CButton* CNumberInputWindow::GetLeftArrow() const {
    return m_left.GetAs<CButton>();
}

CButton* CNumberInputWindow::GetRightArrow() const {
    return m_right.GetAs<CButton>();
}

void CNumberInputWindow::SetRange(uint32_t maximum, int32_t minimum) {
    m_maximum = maximum;
    m_minimum = minimum;
}

void CNumberInputWindow::SetNumber(uint32_t value, bool selectAll) {
    CEditBox* box = GetEditBox();
    if (!box) return;
    box->SetText(std::to_string(value).c_str());
    if (selectAll && box->IsFocused() && g_pEditMgr->GetImeEdit())
        g_pEditMgr->GetImeEdit()->SetSelection(0, -1);
}

void CNumberInputWindow::SetNotify(uint8_t on, CMsgPort* port, uint32_t parameter) {
    m_notifyOn = on;
    m_notify.Set(port);
    m_notifyParameter = parameter;
}

bool CNumberInputWindow::Show() {
    if (IsDrawOn()) return true;
    if (CEditBox* box = GetEditBox()) {
        box->Show();
        box->SetActive(true, false);
    }
    return CBaseWindow::Show();
}

bool CNumberInputWindow::Hide() {
    if (!IsDrawOn()) return true;
    if (CEditBox* box = GetEditBox()) {
        box->SetActive(false, false);
        box->Hide();
    }
    return CBaseWindow::Hide();
}

bool CNumberInputWindow::SetActive(bool active, bool keepOrder) {
    if (active && g_pWindowMgr) {
        CBaseWindow* focused = g_pWindowMgr->GetFocusedEditBox();
        if (focused && g_pWindowMgr->HasWindow(focused)) focused->SetActive(false, false);
    }
    return CBaseWindow::SetActive(active, keepOrder);
}

bool CNumberInputWindow::SetPosition(int32_t x, int32_t y) {
    const CDisplaySettings& screen = GetDisplaySettings();
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (x + ImageWidth() > screen.screenWidth) x = screen.screenWidth - ImageWidth();
    if (y + ImageHeight() > screen.screenHeight) y = screen.screenHeight - ImageHeight();
    CBaseWindow::SetPosition(x, y);
    if (m_pInnerImage) m_pInnerImage->SetScreenPosition(x + 19, y + 10, 0);
    if (CButton* ok = GetOkButton()) ok->SetPosition(x + 127, y + 11);
    if (CButton* left = GetLeftArrow()) left->SetPosition(x + 3, y + 11);
    if (CButton* right = GetRightArrow()) right->SetPosition(x + 110, y + 11);
    if (CEditBox* box = GetEditBox()) {
        box->SetPosition(x + 25, y + 13);
        box->SetInputRect(true, x + 17, y + 8, x + 108, y + 27);
    }
    return true;
}

bool CNumberInputWindow::Draw() {
    if (m_pInnerImage) {
        m_pInnerImage->SetDirection(IsActive() ? 0 : 2);
        m_pInnerImage->Draw();
    }
    const uint32_t now = plat::timeGetTime();
    if (now - m_blinkTime >= NUMBER_INPUT_BLINK_MS) {
        m_blink = !m_blink;
        m_blinkTime = now;
    }
    return CBaseWindow::Draw();
}

bool CNumberInputWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    // Read before the edit box's own Enter empties it.
    if (key == plat::VK_RETURN && IsDrawOn() && IsActive()) {
        TakeValue();
        return false;
    }
    if (key == plat::VK_ESCAPE && IsDrawOn() && IsUpdateOn() && IsInputOn()) {
        Cancel();
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

void CNumberInputWindow::ShowValue(int64_t value) {
    CEditBox* box = GetEditBox();
    if (!box) return;
    box->SetText(std::to_string(value).c_str());
    if (box->IsFocused() && g_pEditMgr->GetImeEdit()) g_pEditMgr->GetImeEdit()->MoveCaret(false);
}

// In 64 bits, so that an unsigned maximum and a signed minimum compare as numbers.
void CNumberInputWindow::TakeValue() {
    CEditBox* box = GetEditBox();
    int64_t value = box ? ParseInt64(box->GetCurrentText()) : 0;
    if (value > int64_t(m_maximum)) {
        if (box) box->SetActive(true, false);
        value = m_maximum;
    } else if (value >= m_minimum) {
        m_value = uint32_t(value);
        Accept();
        return;
    } else {
        value = m_minimum;
    }
    m_value = uint32_t(std::max<int64_t>(value, 0));
    ShowValue(value);
}

void CNumberInputWindow::Step(int64_t delta) {
    CEditBox* box = GetEditBox();
    if (!box) return;
    const int64_t value = std::clamp(ParseInt64(box->GetCurrentText()) + delta, int64_t(m_minimum),
                                     std::max(int64_t(m_maximum), int64_t(m_minimum)));
    m_value = uint32_t(std::max<int64_t>(value, 0));
    ShowValue(value);
}

void CNumberInputWindow::Accept() {
    m_result = 1;
    Hide();
    SetActive(false, false);
    PostOutcome();
}

void CNumberInputWindow::Cancel() {
    m_result = 0;
    Hide();
    SetActive(false, false);
    PostOutcome();
}

void CNumberInputWindow::PostOutcome() {
    if (m_notifyOn)
        m_notify.Post(m_kindId, NUMBER_INPUT_OUTCOME, std::make_unique<CMsgWord>(m_notifyParameter),
                      m_result);
}

bool CNumberInputWindow::IsHit(CBaseWindow* control, int32_t x, int32_t y) {
    control->UpdateRect();
    return control->HitTest(x, y);
}

bool CNumberInputWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    CEditBox* box = GetEditBox();
    if (control == box) {
        if (!IsHit(box, x, y)) return true;
        if (!box->IsActiveFlag()) {
            box->Show();
            box->SetActive(true, false);
        }
        return false;
    }
    const bool live = control->IsActive() && IsHit(control, x, y);
    if (control == GetOkButton()) {
        if (!live) return true;
        TakeValue();
        return false;
    }
    if (control == GetLeftArrow() || control == GetRightArrow()) {
        if (!live) return true;
        if (box) box->SetActive(true, false);
        Step(control == GetRightArrow() ? 1 : -1);
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CNumberInputWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && (control == GetLeftArrow() || control == GetRightArrow())) {
        m_repeatDirection = control == GetRightArrow() ? 1 : 0;
        m_repeatStart = std::max(plat::timeGetTime(), 1u);  // 0 means no repetition
        m_lastStep = m_repeatStart;
    }
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool CNumberInputWindow::OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    m_repeatStart = 0;
    return CBaseWindow::OnMouseUp(button, x, y, control);
}

bool CNumberInputWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    const bool arrow = control && (control == GetLeftArrow() || control == GetRightArrow());
    if (!arrow) return CBaseWindow::OnMouseMove(button, x, y, control);
    if (!m_repeatStart || !control->IsActiveFlag() || control->GetPressedButton() < 0 ||
        !IsHit(control, x, y))
        return true;
    const uint32_t now = plat::timeGetTime();
    if (int64_t(now - m_lastStep) <= RepeatInterval(now - m_repeatStart)) return true;
    if (CEditBox* box = GetEditBox()) box->SetActive(true, false);
    m_lastStep = now;
    Step(m_repeatDirection ? 1 : -1);
    return false;
}
