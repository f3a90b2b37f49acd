#include "windows/play/main_interface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "ui/tooltip_window.h"
#include "ui/ui_services.h"
#include "ui/window_layout.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr char kSideButton[] = "SIDEBUTTON";
constexpr char kMinimize[] = "MAINWIN_MINIMIZE_BTN";
constexpr char kRun[] = "MAINWIN_RUN_BTN";
constexpr char kWalk[] = "MAINWIN_WALK_BTN";
// The number panels' buttons: off, on.
constexpr const char* kPanelOff[3] = {"STATUS_DISABLED", "EA_DISABLED", "NUMBER_DISABLED"};
constexpr const char* kPanelOn[3] = {"STATUS_ENALED", "EA_ENABLED", "NUMBER_ENABLED"};
constexpr uint8_t kPanelOffMotion[3] = {8, 6, 10}, kPanelOnMotion[3] = {9, 7, 11};
constexpr int kPanelTip[3] = {8, 9, 10};
constexpr int32_t kPanelX[3] = {66, 85, 100}, kPanelY[3] = {109, 103, 91};
constexpr uint8_t kMinimizeMotion = 19, kRunMotion = 18, kWalkMotion = 5;
constexpr int kTipRestore = 4, kTipMinimize = 5, kTipHide = 6, kTipShow = 7, kTipRun = 12, kTipWalk = 13;
constexpr int32_t kMoveX = 92, kMoveY = 73;
constexpr uint8_t kSideMotions[SIDE_BUTTON_COUNT] = {0, 1, 2, 3, 4, 5, 6, 7, 10};
constexpr uint8_t kHideMotion = 8, kShowMotion = 9;
constexpr uint32_t kToolTipDelay = 1000;
// Image places on the screen.
constexpr int32_t kFramesX = 0, kFramesY = 50, kPanelFrameX = 9, kPanelFrameY = 134;
constexpr int32_t kStateX = 45, kStateY = 69, kTopX = 61, kTopY = 52, kSkillX = 75, kSkillY = 66;
// Gauges.
constexpr int32_t kPoolX[3] = {107, 117, 127}, kPoolY[3] = {30, 45, 60};
constexpr int32_t kPoolStep = 4, kPoolMax = 10, kRingMax = 5;
constexpr int32_t kRingPlaces[2][5][2] = {{{21, 99}, {3, 62}, {3, 20}, {20, 2}, {62, 2}},
                                          {{26, 95}, {10, 62}, {10, 25}, {25, 9}, {62, 9}}};
constexpr uint8_t kFiveDirections[5] = {2, 0, 14, 12, 10};
constexpr int32_t kMapNumberX = 45, kMapNumberY = 37;
constexpr int32_t kPanel0X = 62, kPanel1X = 72;
constexpr int32_t kPanel0PairY[4] = {135, 149, 164, 199}, kPanel0SingleY = 178;
constexpr int32_t kPanel1Y[8] = {134, 148, 163, 178, 193, 208, 222, 237};
constexpr int kPanelFont = 2;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kShadow = 2;
// The experience bar along the left edge, and where the pointer shows its values.
constexpr int32_t kExpTop = 50, kExpTipRight = 4, kExpTipBottom = 456, kExpTipAbove = 30;
// Motions of "MAIN_INTERFACE".
constexpr uint8_t kExpBackMotion = 20, kExpFillMotion = 21, kExpMarkerMotion = 22, kOverlayMotion = 23;
// Values of the data's value block shown.
constexpr int kPoolValues[3][2] = {{0, 1}, {2, 3}, {5, 6}};
constexpr int kPanel0Pairs[4][2] = {{0, 1}, {2, 3}, {5, 6}, {7, 8}};
constexpr int kPanel0Single = 4, kPanel1First = 15;
constexpr int kExpCurrent = 12, kExpNext = 13, kExpLimit = 14;
constexpr uint32_t kShakeStepMs = 33, kBlinkStepMs = 60;
constexpr uint8_t kQuickSlotSkill = 1, kQuickSlotCurrent = 16;

CChar* Player() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

std::unique_ptr<CAniObject> Image(uint32_t animation, uint8_t motion, uint8_t direction) {
    return MakeWindowImage(animation, motion, direction);
}

void DrawAt(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

void DrawNumber(int32_t x, int32_t y, const char* text) {
    if (g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, kPanelFont, kWhite,
                                    kShadow, true);
}

// Shown: draws and takes input; else drawn without input.
void SetTakesInput(CBaseWindow* control, bool on) {
    if (!control) return;
    if (on) {
        control->Show();
    } else {
        control->Hide();
        control->SetDrawOn(true);
    }
}

}  // namespace

int32_t PoolPips(uint32_t current, uint32_t maximum) {
    if (maximum == 0) return 0;
    int64_t pips = int64_t(current) * kPoolMax / int64_t(maximum);
    if (pips < 1 && current > 0) pips = 1;
    return int32_t(std::min<int64_t>(pips, kPoolMax));
}

int32_t RingPips(RingGauge& ring, uint32_t now) {
    int64_t pips = 0;
    if (ring.flags[0])
        pips = ring.periods[0] == 0 ? kRingMax : int64_t(kRingMax) * (now - ring.starts[0]) / ring.periods[0];
    if (ring.flags[1]) pips = kRingMax;
    if (ring.flags[2]) {
        if (ring.periods[1] == 0) {
            pips = 0;
            ring.flags[2] = 0;
        } else {
            pips = 6 - int64_t(kRingMax) * (now - ring.starts[1]) / ring.periods[1];
            if (pips <= 0) ring.flags[2] = 0;
        }
    }
    return int32_t(std::clamp<int64_t>(pips, 0, kRingMax));
}

RingGauge RingOfData(const CCharData& data, int ring) {
    RingGauge gauge;
    const int kind = ring == 0 ? 0 : 1;
    const int cast = kind == 0 ? CCharData::DELAY_ATTACK_CAST : CCharData::DELAY_SKILL_CAST;
    const int after = kind == 0 ? CCharData::DELAY_ATTACK_AFTER : CCharData::DELAY_SKILL_AFTER;
    gauge.flags[0] = data.m_castBytes[kind];
    gauge.flags[2] = data.m_finishedBytes[kind];
    gauge.periods[0] = data.m_actionDelay[cast];
    gauge.starts[0] = data.m_actionStart[cast];
    gauge.periods[1] = data.m_actionDelay[after];
    gauge.starts[1] = data.m_actionStart[after];
    return gauge;
}

// ---- CMainInterface ----

CMainInterface::CMainInterface() {
    CMainInterface::Create();
}

CMainInterface::~CMainInterface() {
    CMainInterface::Release();
}

bool CMainInterface::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(MAIN_INTERFACE_IMAGE);
    if (!CreateNamedWithAni(WINDOW_DRAG_TYPE, MAIN_INTERFACE_NAME, image, image == 0)) return false;
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
    }
    // The background is drawn by Draw, under the gauges.
    m_noImageDraw = 1;
    SetKindId(0);
    CreateButtons();
    CreateImages();
    m_orderRead = 0;
    ShowNumberPanel(1);
    for (int panel : {0, 2}) {
        if (CButton* off = Control(kPanelOff[panel])) off->Show();
        if (CButton* on = Control(kPanelOn[panel])) on->Hide();
    }
    std::fill(std::begin(m_panels), std::end(m_panels), 0);
    m_skillIcon.reset();
    m_slideState = SIDE_BAR_SHOWN;
    m_slideOffset = 0;
    m_minimized = 0;
    LoadSettings();
    m_shakeTime = m_blinkTime = 0;
    m_shakeAmplitude = 0;
    m_shakePhase = 0;
    m_blinkAmplitude = 0;
    m_blinkPhase = 1;
    m_toolTip = std::make_unique<CToolTipWindow>();
    return true;
}

void CMainInterface::CreateButtons() {
    const uint32_t sides = FindAniByName(SIDE_BUTTON_IMAGE);
    const uint32_t own = FindAniByName(MAIN_INTERFACE_IMAGE);
    m_sideButtons.clear();
    for (int id = 0; id < SIDE_BUTTON_COUNT; ++id) {
        CButton* button = MakeChildButton(kSideButton, this, sides, kSideMotions[id]);
        button->SetKindId(uint32_t(id));
        button->m_draggable = 1;
        m_sideButtons.emplace_back(button);
    }
    CButton* hide = MakeChildButton(kSideButton, this, sides, kHideMotion);
    hide->SetKindId(SIDE_BUTTON_COUNT);
    hide->SetToolTip(true, GetTableText(14, kTipHide), kToolTipDelay);
    m_hideButton.Assign(hide);
    CButton* show = MakeChildButton(kSideButton, this, sides, kShowMotion);
    show->SetKindId(SIDE_BUTTON_COUNT + 1);
    show->SetToolTip(true, GetTableText(14, kTipShow), kToolTipDelay);
    show->Hide();
    m_showButton.Assign(show);
    for (int panel = 0; panel < 3; ++panel) {
        CButton* off = MakeChildButton(kPanelOff[panel], this, own, kPanelOffMotion[panel]);
        off->SetToolTip(true, GetTableText(14, kPanelTip[panel]), kToolTipDelay);
        MakeChildButton(kPanelOn[panel], this, own, kPanelOnMotion[panel]);
    }
    MakeChildButton(kMinimize, this, own, kMinimizeMotion)
        ->SetToolTip(true, GetTableText(14, kTipMinimize), kToolTipDelay);
    CButton* run = MakeChildButton(kRun, this, own, kRunMotion);
    run->SetToolTip(true, GetTableText(14, kTipRun), kToolTipDelay);
    run->Hide();
    MakeChildButton(kWalk, this, own, kWalkMotion)
        ->SetToolTip(true, GetTableText(14, kTipWalk), kToolTipDelay);
}

void CMainInterface::CreateImages() {
    const uint32_t own = FindAniByName(MAIN_INTERFACE_IMAGE);
    m_clubBar = Image(FindAniByName(CLUB_BAR_IMAGE), 5, 2);
    const uint8_t frameDirections[3] = {2, 0, 14};
    for (int i = 0; i < 3; ++i) m_frames[i] = Image(own, 4, frameDirections[i]);
    const uint8_t pipDirections[3] = {0, 14, 2};
    for (int i = 0; i < 3; ++i) m_poolPips[i] = Image(own, 13, pipDirections[i]);
    m_digit = Image(own, 14, 2);
    m_ringPips[0] = Image(own, 2, 2);
    m_ringPips[1] = Image(own, 1, 2);
    m_panelFrames[0] = Image(own, 3, 2);
    m_panelFrames[1] = Image(own, 3, 0);
    m_stateIcon = Image(own, 16, 2);
    m_topImage = Image(own, 17, 2);
    m_expBack = Image(own, kExpBackMotion, 2);
    m_expFill = Image(own, kExpFillMotion, 2);
    m_expMarker = Image(own, kExpMarkerMotion, 2);
    m_overlay = Image(own, kOverlayMotion, 2);
    m_overlaySuppress = 1;
}

bool CMainInterface::Release() {
    for (auto* image : {&m_clubBar, &m_digit, &m_stateIcon, &m_topImage, &m_skillIcon, &m_expBack, &m_expFill,
                        &m_expMarker, &m_overlay})
        image->reset();
    for (auto& image : m_frames) image.reset();
    for (auto& image : m_poolPips) image.reset();
    for (auto& image : m_ringPips) image.reset();
    for (auto& image : m_panelFrames) image.reset();
    m_toolTip.reset();
    return CBaseWindow::Release();
}

// ---- Controls ----

CButton* CMainInterface::SideButton(int i) const {
    return i >= 0 && size_t(i) < m_sideButtons.size() ? m_sideButtons[size_t(i)].GetAs<CButton>() : nullptr;
}

CButton* CMainInterface::HideButton() const {
    return m_hideButton.GetAs<CButton>();
}

CButton* CMainInterface::ShowButton() const {
    return m_showButton.GetAs<CButton>();
}

CButton* CMainInterface::Control(const char* name) const {
    if (!m_pChildren || !name) return nullptr;
    for (CBaseWindow* child : *m_pChildren)
        if (std::strcmp(child->GetName(), name) == 0) return dynamic_cast<CButton*>(child);
    return nullptr;
}

CButton* CMainInterface::SideButtonOf(const char* windowName) const {
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        CButton* button = SideButton(i);
        CBaseWindow* linked = button ? button->GetLinkedWindow() : nullptr;
        if (linked && std::strcmp(linked->GetName(), windowName) == 0) return button;
    }
    return nullptr;
}

int CMainInterface::ShownPanel() const {
    for (int panel = 0; panel < 3; ++panel)
        if (m_panels[panel]) return panel;
    return -1;
}

void CMainInterface::SetSideButtonsInput(bool on) {
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) SetTakesInput(SideButton(i), on);
}

void CMainInterface::ShowNumberPanel(int panel) {
    if (panel < 0 || panel > 2) return;
    for (int p = 0; p < 3; ++p) {
        CButton* off = Control(kPanelOff[p]);
        CButton* on = Control(kPanelOn[p]);
        if (off) (p == panel ? off->Hide() : off->Show());
        if (on) (p == panel ? on->Show() : on->Hide());
        m_panels[p] = p == panel;
    }
    if (m_panelFrames[0]) m_panelFrames[0]->m_hidden = panel != 1;
    if (m_panelFrames[1]) m_panelFrames[1]->m_hidden = panel != 0;
}

void CMainInterface::Minimize() {
    if (CButton* minimize = Control(kMinimize))
        minimize->SetToolTip(true, GetTableText(14, kTipRestore), kToolTipDelay);
    m_minimized = 1;
    for (const char* name : {kRun, kWalk})
        if (CButton* button = Control(name)) button->Hide();
    for (int p = 0; p < 3; ++p)
        for (const char* name : {kPanelOff[p], kPanelOn[p]})
            if (CButton* button = Control(name)) button->Hide();
}

void CMainInterface::Restore() {
    if (CButton* minimize = Control(kMinimize))
        minimize->SetToolTip(true, GetTableText(14, kTipMinimize), kToolTipDelay);
    m_minimized = 0;
    ShowNumberPanel(std::max(ShownPanel(), 0));
    for (const char* name : {kRun, kWalk})
        if (CButton* button = Control(name)) button->Show();
}

// ---- Placing ----

void CMainInterface::PlaceSideButtons() {
    const int32_t width = GetDisplaySettings().screenWidth;
    CBaseWindow* dragged = GetPinnedWindow(WindowCursor());
    int draggedIndex = -1;
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i)
        if (SideButton(i) && SideButton(i) == dragged) draggedIndex = i;
    if (draggedIndex >= 0) {
        const int32_t mouseY = WindowMouseY();
        for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
            CButton* button = SideButton(i);
            if (i == draggedIndex || !button) continue;
            button->UpdateRect();
            const int32_t probeY = i < draggedIndex ? mouseY + 30 : mouseY - 30;
            if (!button->GetRect().Contains(button->GetX(), probeY)) continue;
            CWeakRef moved = m_sideButtons[size_t(draggedIndex)];
            m_sideButtons.erase(m_sideButtons.begin() + draggedIndex);
            m_sideButtons.insert(m_sideButtons.begin() + i, moved);
            draggedIndex = i;
            break;
        }
    }
    CButton* hide = HideButton();
    CButton* show = ShowButton();
    m_totalHeight = hide ? hide->GetHeight() : 0;
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i)
        if (CButton* button = SideButton(i)) m_totalHeight += button->GetHeight();
    // Hidden, the bar stands its whole height above the screen.
    if (m_slideState == SIDE_BAR_HIDDEN) m_slideOffset = -m_totalHeight;
    int32_t y = m_slideOffset;
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        CButton* button = SideButton(i);
        if (!button) continue;
        if (i != draggedIndex) button->SetPosition(width - button->GetWidth(), y);
        y += button->GetHeight();
    }
    if (hide) hide->SetPosition(width - hide->GetWidth(), y);
    if (show) show->SetPosition(width - show->GetWidth(), y);
}

bool CMainInterface::SetPosition(int32_t x, int32_t y) {
    if (!Player()) return CBaseWindow::SetPosition(x, y);
    for (int p = 0; p < 3; ++p)
        for (const char* name : {kPanelOff[p], kPanelOn[p]})
            if (CButton* button = Control(name)) button->SetPosition(kPanelX[p], kPanelY[p]);
    if (CButton* minimize = Control(kMinimize)) minimize->SetPosition(0, 0);
    for (const char* name : {kRun, kWalk})
        if (CButton* button = Control(name)) button->SetPosition(kMoveX, kMoveY);
    for (auto& frame : m_frames)
        if (frame) frame->SetScreenPosition(kFramesX, kFramesY, 0);
    for (auto& frame : m_panelFrames)
        if (frame) frame->SetScreenPosition(kPanelFrameX, kPanelFrameY, 0);
    if (m_stateIcon) m_stateIcon->SetScreenPosition(kStateX, kStateY, 0);
    if (m_topImage) m_topImage->SetScreenPosition(kTopX, kTopY, 0);
    if (m_skillIcon) m_skillIcon->SetScreenPosition(kSkillX, kSkillY, 0);
    CBaseWindow::SetPosition(x, y);
    PlaceSideButtons();
    return true;
}

bool CMainInterface::UpdateRect() {
    if (m_minimized) {
        m_rect = WindowRect{m_x, m_y, m_x - 1, m_y - 1};
        return true;
    }
    return CBaseWindow::UpdateRect();
}

// ---- Layout ----

void CMainInterface::LoadLayout() {
    CChar* player = Player();
    if (!player) return;
    m_style = g_options.GetByte(OPTION_SIDE_STYLE) == 1 ? 4 : 2;
    std::sort(m_sideButtons.begin(), m_sideButtons.end(), [](const CWeakRef& a, const CWeakRef& b) {
        auto* x = a.GetAs<CButton>();
        auto* y = b.GetAs<CButton>();
        return (x ? x->GetKindId() : 0u) < (y ? y->GetKindId() : 0u);
    });
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        CButton* button = SideButton(i);
        if (!button) continue;
        const uint32_t id = button->GetKindId();
        CBaseWindow* window = g_pWindowMgr && id < uint32_t(SIDE_BUTTON_COUNT)
                                  ? g_pWindowMgr->FindWindowByName(SIDE_BUTTON_WINDOWS[id])
                                  : nullptr;
        button->SetLinkedWindow(1, window, m_style, 0);
    }
    SetStyle(m_style);
    CLayoutReader reader(LAYOUT_FILE_NAME);
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        char key[32], value[LAYOUT_TOKEN_SIZE];
        std::snprintf(key, sizeof key, "SIDEBTN_SORT_%d", i);
        if (!ReadLayoutString(key, value, sizeof value, &reader) || std::strlen(value) <= 4) continue;
        for (int j = 0; j < SIDE_BUTTON_COUNT; ++j) {
            CButton* button = SideButton(j);
            CBaseWindow* linked = button ? button->GetLinkedWindow() : nullptr;
            if (!linked || std::strcmp(linked->GetName(), value + 4) != 0) continue;
            std::swap(m_sideButtons[size_t(i)], m_sideButtons[size_t(j)]);
            break;
        }
    }
    m_orderRead = 1;
}

void CMainInterface::LinkSideButton(bool attach, CBaseWindow* window) {
    if (!window) return;
    if (attach) {
        for (int i = 0; i < SIDE_BUTTON_COUNT; ++i)
            if (SideButton(i) && SideButton(i)->GetLinkedWindow() == window) return;
        for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
            CButton* button = SideButton(i);
            if (!button || button->GetLinkedWindow()) continue;
            button->SetLinkedWindow(1, window, m_style, 0);
            window->SetInputOn(true);
            return;
        }
        return;
    }
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i)
        if (CButton* button = SideButton(i); button && button->GetLinkedWindow() == window)
            button->SetLinkedWindow(1, nullptr, m_style, 0);
    window->SetInputOn(false);
}

void CMainInterface::SetStyle(uint8_t style) {
    m_style = style;
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        CButton* button = SideButton(i);
        if (!button) continue;
        CBaseWindow* linked = button->GetLinkedWindow();
        button->SetLinkedWindow(1, linked, style, 0);
        if (linked) linked->SetStateValue(style == 4 ? WINDOW_STATE_FREE : WINDOW_STATE_DOCKED);
    }
}

bool CMainInterface::IsMainPanelWindow(CBaseWindow* window) {
    if (!window) return false;
    for (const char* name : SIDE_BUTTON_WINDOWS) {
        if (std::strcmp(window->GetName(), name) != 0) continue;
        window->SetActive(true, false);
        if (window->GetStateValue() != WINDOW_STATE_FREE) {
            window->SetStateValue(WINDOW_STATE_FREE);
            window->Show();
        }
        return true;
    }
    return false;
}

// ---- Shake, blink, skill icon ----

void CMainInterface::ShakeItemButton() {
    m_shakeAmplitude = 10.0f;
    m_shakePhase = 0;
    m_shakeTime = plat::timeGetTime();
    PlayUiSound("ItemGet(Tilt)");
}

void CMainInterface::StartBlink() {
    m_blinkAmplitude = 30.0f;
    m_blinkPhase = 0;
    m_blinkTime = plat::timeGetTime();
}

void CMainInterface::StopBlink() {
    m_blinkPhase = 1;
    m_blinkAmplitude = 0;
}

bool CMainInterface::GetInventoryButtonPosition(int32_t* x, int32_t* y) {
    int32_t px = 0, py = 0;
    bool found = false;
    if (Player()) {
        CButton* show = ShowButton();
        CButton* button =
            show && show->IsDrawOn() ? show : SideButtonOf(SIDE_BUTTON_WINDOWS[SIDE_INVENTORY_ID]);
        if (button) {
            px = button->GetX();
            py = button->GetY();
            found = true;
        }
    }
    if (x) *x = px;
    if (y) *y = py;
    return found;
}

void CMainInterface::SetSkillIcon(int32_t skillRow) {
    if (!g_pSkillTableMgr || g_pSkillTableMgr->HasByte6(skillRow)) return;
    uint16_t animation = 0, motion = 0;
    uint8_t direction = 0;
    g_pSkillTableMgr->GetResourceRef12(skillRow, &animation, &motion, &direction);
    m_skillIcon = Image(animation, uint8_t(motion), direction);
    if (m_skillIcon) m_skillIcon->SetScreenPosition(kSkillX, kSkillY, 0);
    GameSession().SendQuickSlot(kQuickSlotSkill, kQuickSlotCurrent, uint32_t(skillRow) + SKILL_ID_BASE);
}

void CMainInterface::RefreshFieldItems() {
    SetPosition(MAIN_INTERFACE_X, MAIN_INTERFACE_Y);
    ShakeItemButton();
}

// ---- Frame ----

void CMainInterface::StepSlide() {
    if (m_slideState == SIDE_BAR_SLIDING_IN) {
        m_slideOffset += SIDE_SLIDE_STEP;
        if (m_slideOffset >= 0) {
            m_slideOffset = 0;
            m_slideState = SIDE_BAR_SHOWN;
            if (CButton* show = ShowButton()) show->Hide();
            if (CButton* hide = HideButton()) hide->Show();
            SetSideButtonsInput(true);
        }
    } else if (m_slideState == SIDE_BAR_SLIDING_OUT) {
        m_slideOffset -= SIDE_SLIDE_STEP;
        PlaceSideButtons();
        CButton* hide = HideButton();
        if (hide && hide->GetY() < 1) {
            m_slideState = SIDE_BAR_HIDDEN;
            if (CButton* show = ShowButton()) show->Show();
            hide->Hide();
        }
    }
    PlaceSideButtons();
}

void CMainInterface::StepShake() {
    CButton* button = SideButtonOf(SIDE_BUTTON_WINDOWS[SIDE_INVENTORY_ID]);
    if (!button || m_shakeAmplitude <= 1.0f) return;
    const uint32_t now = plat::timeGetTime();
    if (now - m_shakeTime < kShakeStepMs) return;
    m_shakeTime = now;
    if (m_shakePhase == 0) {
        button->SetPosition(button->GetX(), button->GetY() + int32_t(m_shakeAmplitude));
        m_shakePhase = 1;
    } else {
        button->SetPosition(button->GetX(), button->GetY() - int32_t(m_shakeAmplitude));
        m_shakePhase = 0;
        m_shakeAmplitude *= 0.5f;
    }
}

void CMainInterface::StepBlink() {
    if (m_blinkAmplitude <= 1.0f) return;
    const uint32_t now = plat::timeGetTime();
    if (now - m_blinkTime < kBlinkStepMs) return;
    m_blinkTime = now;
    m_blinkPhase = m_blinkPhase ? 0 : 1;
}

bool CMainInterface::Update() {
    SetPosition(MAIN_INTERFACE_X, MAIN_INTERFACE_Y);
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (!m_orderRead && Player()) LoadLayout();
    StepSlide();
    StepShake();
    StepBlink();
    for (CAniObject* image : {m_skillIcon.get(), m_clubBar.get()})
        if (image) image->Update();
    return true;
}

// ---- Input ----

bool CMainInterface::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    return control ? control->OnMouseDown(button, x, y, nullptr) : true;
}

bool CMainInterface::OnKeyDown(uint32_t key, CBaseWindow* control) {
    return control ? control->OnKeyDown(key, nullptr) : true;
}

bool CMainInterface::OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    SetPosition(MAIN_INTERFACE_X, MAIN_INTERFACE_Y);
    return CBaseWindow::OnMouseUp(button, x, y, control);
}

bool CMainInterface::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    const bool pass = control ? control->OnMouseMove(button, x, y, nullptr)
                              : CBaseWindow::OnMouseMove(button, x, y, nullptr);
    if (!control || control == GetPinnedWindow(WindowCursor()))
        SetPosition(MAIN_INTERFACE_X, MAIN_INTERFACE_Y);
    return pass;
}

bool CMainInterface::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button != 0 || !control->IsUpdateOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    const char* name = control->GetName();
    if (std::strcmp(name, kMinimize) == 0) {
        if (m_minimized)
            Restore();
        else
            Minimize();
        return false;
    }
    for (int panel = 0; panel < 3; ++panel)
        if (std::strcmp(name, kPanelOff[panel]) == 0) {
            ShowNumberPanel(panel);
            return false;
        }
    if (control == ShowButton() && m_slideState == SIDE_BAR_HIDDEN) {
        m_slideState = SIDE_BAR_SLIDING_IN;
        return false;
    }
    if (control == HideButton()) {
        if (m_slideState == SIDE_BAR_SHOWN) {
            m_slideState = SIDE_BAR_SLIDING_OUT;
            SetSideButtonsInput(false);
        }
        return false;
    }
    if (std::strcmp(name, kWalk) == 0 || std::strcmp(name, kRun) == 0) {
        CChar* player = Player();
        CCharAction* action = player ? player->GetAction() : nullptr;
        CCharData* data = player ? player->GetData() : nullptr;
        // With a server either button switches; without one each sets its own.
        if (action && data)
            action->SetRunning(g_config.m_useServer ? !data->m_runFlag : std::strcmp(name, kRun) == 0);
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

// ---- Settings ----

bool CMainInterface::SaveSettings(CLayoutWriter* writer) {
    WriteLayoutFloat("SIDE_BUTTON_HIDDEN", m_slideState == SIDE_BAR_HIDDEN ? 1.0f : 0.0f, writer);
    for (int panel = 0; panel < 3; ++panel) {
        char key[32];
        std::snprintf(key, sizeof key, "FUNCTION_BTN_%d", panel);
        WriteLayoutFloat(key, m_panels[panel], writer);
    }
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        CButton* button = SideButton(i);
        CBaseWindow* linked = button ? button->GetLinkedWindow() : nullptr;
        char key[32];
        std::snprintf(key, sizeof key, "SIDEBTN_SORT_%d", i);
        WriteLayoutString(key, (std::string("SBN_") + (linked ? linked->GetName() : "")).c_str(), writer);
    }
    return true;
}

bool CMainInterface::LoadSettings() {
    CLayoutReader reader(LAYOUT_FILE_NAME);
    if (ReadLayoutFloat("SIDE_BUTTON_HIDDEN", &reader, 0.0f) != 0.0f) {
        m_slideState = SIDE_BAR_HIDDEN;
        SetSideButtonsInput(false);
        if (CButton* show = ShowButton()) show->Show();
        if (CButton* hide = HideButton()) hide->Hide();
        PlaceSideButtons();
    }
    const float defaults[3] = {1.0f, 0.0f, 0.0f};
    for (int panel = 0; panel < 3; ++panel) {
        char key[32];
        std::snprintf(key, sizeof key, "FUNCTION_BTN_%d", panel);
        if (ReadLayoutFloat(key, &reader, defaults[panel]) != 0.0f) ShowNumberPanel(panel);
    }
    if (g_options.GetByte(OPTION_PANEL_SHOWN) == 0)
        Minimize();
    else
        Restore();
    return true;
}

// ---- Drawing ----

void CMainInterface::DrawPoolBars(const CCharData& data) {
    for (int bar = 0; bar < 3; ++bar) {
        const int32_t pips = PoolPips(data.m_values[kPoolValues[bar][0]], data.m_values[kPoolValues[bar][1]]);
        for (int32_t k = 0; k < pips; ++k)
            DrawAt(m_poolPips[bar].get(), kPoolX[bar] + kPoolStep * k, kPoolY[bar]);
    }
}

void CMainInterface::DrawRoundGauges(CCharData& data) {
    const uint32_t now = plat::timeGetTime();
    for (int ring = 0; ring < 2; ++ring) {
        RingGauge gauge = RingOfData(data, ring);
        const int32_t pips = RingPips(gauge, now);
        // The draining flag ends with the ring.
        data.m_finishedBytes[ring] = gauge.flags[2];
        CAniObject* pip = m_ringPips[ring].get();
        for (int32_t k = 0; k < pips && pip; ++k) {
            pip->SetDirection(kFiveDirections[k]);
            DrawAt(pip, kRingPlaces[ring][k][0], kRingPlaces[ring][k][1]);
        }
    }
}

void CMainInterface::DrawStateIcon(const CCharData& data) {
    if (!m_stateIcon || data.m_stance > 4) return;
    m_stateIcon->SetDirection(kFiveDirections[data.m_stance]);
    DrawAt(m_stateIcon.get(), kStateX, kStateY);
}

void CMainInterface::DrawMapNumber() {
    if (!g_pMap || !m_digit || g_pMap->GetStageNumber() < 0) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", g_pMap->GetStageNumber());
    auto show = [this](char c) {
        const int d = c - '0';
        m_digit->SetMotion(d < 5 ? 14 : 15);
        m_digit->SetDirection(kFiveDirections[d % 5]);
        return m_digit->GetWidth();
    };
    int32_t total = 0;
    for (const char* c = text; *c; ++c) total += show(*c);
    int32_t x = kMapNumberX - total / 2;
    for (const char* c = text; *c; ++c) {
        const int32_t width = show(*c);
        DrawAt(m_digit.get(), x, kMapNumberY);
        x += width;
    }
}

void CMainInterface::DrawPanelNumbers(const CCharData* data) {
    char text[32];
    if (m_panels[0]) {
        if (m_panelFrames[1]) DrawAt(m_panelFrames[1].get(), kPanelFrameX, kPanelFrameY);
        if (data) {
            for (int i = 0; i < 4; ++i) {
                std::snprintf(text, sizeof text, "%u/%u", data->m_values[kPanel0Pairs[i][0]],
                              data->m_values[kPanel0Pairs[i][1]]);
                DrawNumber(kPanel0X, kPanel0PairY[i], text);
            }
            std::snprintf(text, sizeof text, "%u", data->m_values[kPanel0Single]);
            DrawNumber(kPanel0X, kPanel0SingleY, text);
        }
    } else if (m_panels[1]) {
        if (m_panelFrames[0]) DrawAt(m_panelFrames[0].get(), kPanelFrameX, kPanelFrameY);
        if (data && g_pMap && g_pMap->IsLoaded()) {
            for (int i = 0; i < 8; ++i) {
                std::snprintf(text, sizeof text, "%u", data->m_values[kPanel1First + i]);
                DrawNumber(kPanel1X, kPanel1Y[i], text);
            }
        }
    }
}

void CMainInterface::DrawExpBar(const CCharData* data) {
    if (!data || !m_expFill) return;
    const uint32_t current = data->m_values[kExpCurrent], next = data->m_values[kExpNext],
                   limit = data->m_values[kExpLimit];
    // Past the limit the bar is full, never longer.
    const double ratioCurrent = limit == 0 ? 0.0 : std::min(double(current) / double(limit), 1.0);
    const double ratioNext = limit == 0 ? 0.0 : std::min(double(next) / double(limit), 1.0);
    const int32_t height = m_expFill->GetHeight();
    const int32_t markerHeight = m_expMarker ? m_expMarker->GetHeight() : 0;
    m_expMarkerY = int32_t(double(height) * ratioNext + kExpTop) - markerHeight / 2;
    DrawAt(m_expBack.get(), 0, kExpTop);
    m_expFillBottom = int32_t(double(height) * ratioCurrent + kExpTop);
    if (ratioCurrent > 0) {
        m_expFill->m_clipOn = 1;
        m_expFill->m_clip = AniRect{0, kExpTop, m_expFill->GetWidth(), m_expFillBottom};
        DrawAt(m_expFill.get(), 0, kExpTop);
        m_expFill->m_clipOn = 0;
    }
    DrawAt(m_expMarker.get(), 0, m_expMarkerY);
    const int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (m_toolTip && mx < kExpTipRight && my >= kExpTop && my <= kExpTipBottom) {
        char text[128];
        std::snprintf(text, sizeof text, "CurrentEXP : %u / NextEXP : %u / LimitEXP : %u", current, next,
                      limit);
        m_toolTip->SetText(text, kWhite);
        m_toolTip->SetToolTip(true, text, kToolTipDelay);
        m_toolTip->SetPosition(mx, my - kExpTipAbove);
        m_toolTip->Draw();
    } else if (m_toolTip) {
        m_toolTip->SetText("", kWhite);
    }
}

bool CMainInterface::Draw() {
    CChar* player = Player();
    CCharData* data = player ? player->GetData() : nullptr;
    if (!m_minimized) {
        if (CAniObject* background = GetAniObject()) DrawAt(background, m_x, m_y);
        if (data) {
            CButton* run = Control(kRun);
            CButton* walk = Control(kWalk);
            if (run && walk) {
                (data->m_runFlag ? run->Show() : run->Hide());
                (data->m_runFlag ? walk->Hide() : walk->Show());
            }
        }
    }
    // The club button lights while its blink is on.
    CButton* club = SideButtonOf(SIDE_BUTTON_WINDOWS[SIDE_CLUB_ID]);
    const bool lit =
        club && m_blinkPhase == 1 && m_blinkAmplitude > 1.0f && club->GetState() == BUTTON_NORMAL;
    if (lit) club->SetState(BUTTON_HOVER);
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (lit) club->SetState(BUTTON_NORMAL);
    if (!m_minimized) {
        for (auto& frame : m_frames) DrawAt(frame.get(), kFramesX, kFramesY);
        DrawPanelNumbers(data);
        DrawAt(m_topImage.get(), kTopX, kTopY);
        if (m_skillIcon) {
            char reason[8];
            CCharController* controller = player ? player->GetController() : nullptr;
            m_skillIcon->SetFlag148(controller &&
                                    !controller->CanUseSkill(false, 0, false, reason, sizeof reason));
            DrawAt(m_skillIcon.get(), kSkillX, kSkillY);
        }
        if (data) {
            DrawStateIcon(*data);
            DrawPoolBars(*data);
            DrawRoundGauges(*data);
        }
        DrawMapNumber();
    }
    DrawExpBar(data);
    if (m_overlay && m_overlaySuppress == 0) m_overlay->Draw();
    return true;
}
