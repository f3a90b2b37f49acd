#include "windows/features/warp_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/features/feature_parts.h"

namespace {

constexpr char kClose[] = "WARP_WIN_CLOSE_BUTTON";
constexpr char kEpisode1[] = "WARP_WIN_EP1_BUTTON";
constexpr char kOk[] = "WARP_WIN_OK_BUTTON";
constexpr char kCancel[] = "WARP_WIN_CANCEL_BUTTON";
constexpr char kScroll[] = "WARP_WIN_SCROLL";

constexpr int kNameColumn = 2;
constexpr int32_t kRowX = 5, kRowTop = 50, kRowStep = 18;
constexpr int32_t kListLeft = 5, kListRight = 187, kListTop = 50, kListBottom = 190;
constexpr int32_t kScrollLeft = 196, kScrollTop = 39, kScrollRight = 207, kScrollBottom = 198;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kShadow = 2;

void PlaySound(uint16_t effect) {
    if (IUiSound* sound = GetUiSound()) sound->PlaySoundEffect(effect, -1, -1, 0);
}

}  // namespace

CWarpWindow::CWarpWindow() {
    CWarpWindow::Create();
}

CWarpWindow::~CWarpWindow() {
    CWarpWindow::Release();
}

bool CWarpWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName("WarpWindow");
    CreateNamedWithAni(WINDOW_DRAG_TYPE, WARP_WINDOW_NAME, image, image == 0);
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
        picture->SetUnderlay(false);
    }
    SetKindId(0);
    m_keepOnScreen = 1;
    m_draggable = 1;
    m_doubleClickAsClick = 0;
    m_selected = -1;
    m_group = 0;
    const uint32_t icons = FindAniByName("CommonIcons");
    MakeChildButton(kClose, this, icons, 1);
    MakeChildButton(kEpisode1, this, image, 1);
    MakeChildButton(kOk, this, icons, 8);
    MakeChildButton(kCancel, this, icons, 9);
    CScrollBar* bar = MakeChildScrollBar(
        this, kScroll,
        {"WARP_WIN_SCROLL_BUTTON_UP", "WARP_WIN_SCROLL_BUTTON_DN", "WARP_WIN_SCROLL_BUTTON_DRAG"});
    if (bar) bar->SetMaximum(0);
    m_scrollBar.Assign(bar);
    m_selectionMark = MakeFeatureImage("WarpWindow", 3, 2);
    m_lockMark = MakeFeatureImage("WarpWindow", 2, 2);
    LoadWarpPoints();
    CWarpWindow::SetPosition(0, 0);
    CBaseWindow::Hide();
    return true;
}

bool CWarpWindow::Release() {
    m_selectionMark.reset();
    m_lockMark.reset();
    m_table.Release();
    return CBaseWindow::Release();
}

void CWarpWindow::LoadWarpPoints() {
    m_table.Release();
    m_table.LoadDataTable(WARP_TABLE);
    for (int32_t r = 0; r < WARP_SLOTS; ++r) {
        std::memset(m_slots[r].name, 0, sizeof m_slots[r].name);
        const char* name = m_table.GetText(kNameColumn, r);
        if (name) CopyDbcsPrefix(name, WARP_NAME_MAX, m_slots[r].name);
    }
    for (uint32_t& count : m_counts) count = WARP_GROUP_SLOTS;
}

const char* CWarpWindow::GetSlotName(int32_t slot) const {
    return slot >= 0 && slot < WARP_SLOTS ? m_slots[slot].name : "";
}

bool CWarpWindow::IsLocked(int32_t slot) const {
    return slot >= 0 && slot < WARP_SLOTS && m_slots[slot].locked != 0;
}

CScrollBar* CWarpWindow::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}

int32_t CWarpWindow::GetListPosition() const {
    CScrollBar* bar = GetScrollBar();
    return bar ? std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, std::max(bar->GetMaximum(), 0)) : 0;
}

CBaseWindow* CWarpWindow::GetControl(const char* name) const {
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && std::strcmp(child->GetName(), name) == 0) return child;
    }
    return nullptr;
}

void CWarpWindow::PlaceControls() {
    struct Place {
        const char* name;
        int32_t x, y;
    };
    for (const Place& p :
         {Place{kClose, 185, 5}, Place{kEpisode1, 4, 27}, Place{kOk, 121, 200}, Place{kCancel, 161, 200}})
        if (CBaseWindow* control = GetControl(p.name)) control->SetPosition(m_x + p.x, m_y + p.y);
    if (CScrollBar* bar = GetScrollBar())
        bar->SetBarRect(m_x + kScrollLeft, m_y + kScrollTop, m_x + kScrollRight, m_y + kScrollBottom);
}

bool CWarpWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    PlaceControls();
    return true;
}

void CWarpWindow::SetGroup(int32_t group) {
    if (group < 0 || group >= WARP_GROUPS) return;
    m_group = group;
    if (CScrollBar* bar = GetScrollBar()) {
        bar->SetMaximum(int32_t(m_counts[group]) - WARP_VISIBLE_ROWS);
        bar->SetScrollPos(0);
    }
}

void CWarpWindow::Open(const uint32_t masks[6]) {
    for (int32_t g = 0; g < WARP_GROUPS; ++g)
        for (int32_t i = 0; i < WARP_GROUP_SLOTS; ++i)
            m_slots[g * WARP_GROUP_SLOTS + i].locked = ((masks[g] >> i) & 1u) ? 0 : 1;
    Show();
    SetActive(true, false);
    CWarpWindow::SetPosition(100, 100);
    PlaySound(WARP_OPEN_SOUND);
    SetGroup(0);
}

void CWarpWindow::WarpTo(int32_t group, int32_t index) {
    PlaySound(WARP_GO_SOUND);
    GameSession().SendWarpRequest(uint8_t(group + 1), uint8_t(index));
}

void CWarpWindow::Close() {
    Hide();
    SetActive(false, false);
}

int32_t CWarpWindow::RowAt(int32_t x, int32_t y) {
    if (x <= kListLeft || x >= kListRight || y <= kListTop || y >= kListBottom) return -1;
    return (y - kListTop) / kRowStep;
}

bool CWarpWindow::SelectRow(int32_t x, int32_t y) {
    const int32_t row = RowAt(x - m_x, y - m_y);
    if (row < 0) return false;
    m_selected = GetListPosition() + row;
    return true;
}

bool CWarpWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        if (button == 0 && IsInputOn()) SelectRow(x, y);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    const char* name = control->GetName();
    if (std::strcmp(name, kClose) == 0 || std::strcmp(name, kCancel) == 0) {
        Close();
    } else if (std::strcmp(name, kEpisode1) == 0) {
        SetGroup(0);
    } else if (std::strcmp(name, kOk) == 0) {
        const int32_t slot = m_group * WARP_GROUP_SLOTS + m_selected;
        if (m_selected < 0 || m_selected >= WARP_GROUP_SLOTS || IsLocked(slot)) return false;
        WarpTo(m_group, m_selected);
        Close();
    } else {
        return control->OnControlEvent(button, x, y, nullptr);
    }
    return false;
}

bool CWarpWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control || button != 0 || !SelectRow(x, y)) return CBaseWindow::OnDoubleClick(button, x, y, control);
    if (m_selected < WARP_GROUP_SLOTS && !IsLocked(m_group * WARP_GROUP_SLOTS + m_selected)) {
        WarpTo(m_group, m_selected);
        Close();
    }
    return false;
}

bool CWarpWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && !ScrollBarTakesMove(control)) return true;
    return CBaseWindow::OnMouseMove(button, x, y, control);
}

bool CWarpWindow::Update() {
    return CBaseWindow::Update();
}

bool CWarpWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    const int32_t top = GetListPosition();
    for (int32_t k = 0; k < WARP_VISIBLE_ROWS; ++k) {
        const int32_t index = top + k;
        if (index >= WARP_GROUP_SLOTS) break;
        const Slot& slot = m_slots[m_group * WARP_GROUP_SLOTS + index];
        if (slot.locked) DrawFeatureImage(m_lockMark.get(), m_x + kRowX, m_y + kRowTop + kRowStep * k);
        if (slot.name[0] && g_pTextRenderer && g_pDirectDraw) {
            const std::string text = std::string("[ ") + slot.name + " ]";
            g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_x + kRowX,
                                        m_y + kRowTop + 1 + kRowStep * k, text.c_str(), 0, kWhite, kShadow,
                                        true);
        }
    }
    const int32_t row = m_selected - top;
    if (m_selected >= 0 && row >= 0 && row < WARP_VISIBLE_ROWS && m_selected < WARP_GROUP_SLOTS &&
        !IsLocked(m_group * WARP_GROUP_SLOTS + m_selected))
        DrawFeatureImage(m_selectionMark.get(), m_x + kRowX, m_y + kRowTop + kRowStep * row);
    return true;
}
