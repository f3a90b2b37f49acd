#include "windows/community/one_to_one_chat_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"
#include "ui/game_scene_windows.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/community_draw.h"
#include "windows/community/community_images.h"
#include "windows/community/one_to_one_option_window.h"

namespace {

// Frames of "1:1ChattingWin" (a button shows the motion of its number).
enum : uint8_t {
    FRAME_WINDOW = 0,
    FRAME_OPTIONS = 6,
    FRAME_MINIMISE = 7,
    FRAME_NAME_BOX = 8,
    FRAME_TALK_BOX = 9,
    FRAME_OPTION_BOX = 10,
    FRAME_GUEST = 11,
    FRAME_QM = 12,
    FRAME_LOG_OFF = 15,
    FRAME_LOG_ON = 16,
    FRAME_FIX_GUEST = 17,
    FRAME_FIX_QM = 18,
    FRAME_SHARE = 19,
    FRAME_BAR = 20,
};

constexpr uint32_t kBlinkMs = 300;
constexpr uint32_t kOwnColour = 0xFFFFFF;
constexpr uint32_t kPartnerColour = 0xC8FFC8;  // (200, 255, 200) as the renderer takes it

struct ControlPlace {
    const char* name;
    uint8_t frame;
    int tipRow;  // -1 none
    int32_t x, y;
};
// The buttons of the open window; the close button shows "CommonIcons" 1.
constexpr ControlPlace kButtons[] = {
    {"1V1CHAT_CLOSE_BUTTON", 1, -1, 270, 3},
    {"1V1CHAT_GUEST_1_BUTTON", FRAME_GUEST, -1, 3, 13},
    {"1V1CHAT_QM_1_BUTTON", FRAME_QM, -1, 3, 13},
    {"1V1CHAT_FIX_GUEST_1_BUTTON", FRAME_FIX_GUEST, -1, 3, 13},
    {"1V1CHAT_FIX_QM_1_BUTTON", FRAME_FIX_QM, -1, 3, 13},
    {"1V1CHAT_OPTION_BUTTON_1", FRAME_OPTIONS, 150, 225, 18},
    {"1V1CHAT_MINIMAL_BUTTON", FRAME_MINIMISE, 151, 253, 5},
    {"1V1CHAT_LOG_BUTTON", FRAME_LOG_OFF, 493, 268, 121},
    {"1V1CHAT_SHARE_BUTTON", FRAME_SHARE, 685, 244, 121},
};

bool Empty(const char* text) {
    return !text || !*text;
}

}  // namespace

// ---- The lines ----

int32_t CChatLineBuffer::Add(const char* text, uint8_t speaker) {
    std::string entry = text ? text : "";
    if (entry.size() > CHAT_ENTRY_LIMIT) entry.resize(plat::DbcsPrefixLength(entry, CHAT_ENTRY_LIMIT));
    const auto needed = int32_t((entry.size() + CHAT_LINE_BYTES - 1) / CHAT_LINE_BYTES);
    if (needed == 0) return 0;
    if (m_count + needed >= CHAT_LINES) {
        // The oldest lines go, never more than there are.
        const int32_t drop = std::min(needed, m_count);
        for (int32_t i = drop; i < m_count; ++i) {
            std::memcpy(m_lines[i - drop], m_lines[i], CHAT_LINE_SIZE);
            m_speakers[i - drop] = m_speakers[i];
        }
        m_count -= drop;
    }
    int32_t stored = 0;
    const char* p = entry.c_str();
    while (*p) {
        const char* start = p;
        // A character goes on the line while it holds fewer than 40 bytes.
        while (*p && size_t(p - start) < CHAT_LINE_BYTES) p = plat::CharNextA(p);
        const int32_t index = m_count + stored;
        if (index < CHAT_LINES) {
            const size_t n = std::min(size_t(p - start), CHAT_LINE_SIZE - 1);
            std::memcpy(m_lines[index], start, n);
            m_lines[index][n] = '\0';
            m_speakers[index] = speaker;
            ++stored;
        }
    }
    m_count += stored;
    return stored;
}

void CChatLineBuffer::Clear() {
    for (auto& line : m_lines) line[0] = '\0';
    std::fill(std::begin(m_speakers), std::end(m_speakers), uint8_t(0));
    m_count = 0;
}

// ---- The window ----

C1V1ChatWin::C1V1ChatWin() {
    C1V1ChatWin::Create();
}

C1V1ChatWin::~C1V1ChatWin() {
    C1V1ChatWin::Release();
}

bool C1V1ChatWin::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(ONE_TO_ONE_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, "1V1ChatWin", image, image == 0);
    SetKindId(0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(FRAME_WINDOW);
        m_pAniObject->SetDirection(2);
    }
    m_draggable = 1;
    const uint32_t icons = FindAniByName("CommonIcons");
    for (const ControlPlace& place : kButtons) {
        CButton* button = MakeChildButton(place.name, this,
                                          place.frame == 1 && place.x == 270 ? icons : image, place.frame);
        if (button && place.tipRow >= 0) button->SetToolTip(true, GetTableText(14, place.tipRow), 1000);
    }
    if (CButton* share = Button("1V1CHAT_SHARE_BUTTON")) share->SetInputOn(false);
    for (const char* fixed : {"1V1CHAT_FIX_GUEST_1_BUTTON", "1V1CHAT_FIX_QM_1_BUTTON"})
        if (CButton* button = Button(fixed)) button->Hide();
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "1V1CHAT_SCROLLBAR_01",
        {"CHAT_WIN_SCROLL_BUTTON_UP", "CHAT_WIN_SCROLL_BUTTON_DN", "CHAT_WIN_SCROLL_BUTTON_DRAG"}));
    m_displayState = CHAT_OPEN;
    m_slot = -1;
    m_lines.Clear();
    m_partner[0] = '\0';
    m_partnerFixed = m_newMessage = m_logging = 0;
    m_blinkTime = CommunityNow();
    return true;
}

bool C1V1ChatWin::Release() {
    m_chatLogList = nullptr;
    return CBaseWindow::Release();
}

CButton* C1V1ChatWin::Button(const char* name) const {
    return FindChildButton(this, name);
}

CScrollBar* C1V1ChatWin::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}

void C1V1ChatWin::SetEditBox(C1V1ChatEditBox* box) {
    if (!box) return;
    (box->GetKind() == 0 ? m_nameEdit : m_talkEdit).Assign(box);
}

C1V1ChatEditBox* C1V1ChatWin::GetNameEdit() const {
    return m_nameEdit.GetAs<C1V1ChatEditBox>();
}

C1V1ChatEditBox* C1V1ChatWin::GetTalkEdit() const {
    return m_talkEdit.GetAs<C1V1ChatEditBox>();
}

const char* C1V1ChatWin::GetTypedPartner() const {
    C1V1ChatEditBox* box = GetNameEdit();
    return box ? box->GetCurrentText() : "";
}

int32_t C1V1ChatWin::BarX(int32_t slot) const {
    return GetDisplaySettings().screenWidth - CHAT_BAR_WIDTH * slot - 151;
}

void C1V1ChatWin::ShowControls(bool on) {
    for (const ControlPlace& place : kButtons) {
        CButton* button = Button(place.name);
        if (!button) continue;
        const bool fixedPair = place.frame == FRAME_FIX_GUEST || place.frame == FRAME_FIX_QM;
        const bool kindPair = place.frame == FRAME_GUEST || place.frame == FRAME_QM;
        bool shown = on;
        if (on && fixedPair) shown = m_partnerFixed != 0;
        if (on && kindPair) shown = m_partnerFixed == 0 && place.frame == FRAME_QM;
        if (shown) {
            button->Show();
            if (place.frame == FRAME_SHARE) button->SetInputOn(false);
        } else {
            button->Hide();
        }
    }
    if (CScrollBar* bar = GetScrollBar()) on ? bar->Show() : bar->Hide();
    for (C1V1ChatEditBox* box : {GetNameEdit(), GetTalkEdit()}) {
        if (!box) continue;
        if (on) {
            box->Show();
        } else {
            box->SetActive(false, false);
            box->Hide();
        }
    }
}

void C1V1ChatWin::Open(int32_t dockSlot, int32_t code, const char* name) {
    m_lines.Clear();
    m_partner[0] = '\0';
    m_logging = 0;
    const CDisplaySettings& screen = GetDisplaySettings();
    if (C1V1ChatEditBox* box = GetTalkEdit()) box->SetText("");
    if (code == 1) {
        m_displayState = CHAT_SLIDING_IN;
        m_slot = dockSlot;
        m_partnerFixed = 1;
        m_newMessage = 1;
        CopyRecordText(m_partner, name ? name : "");
        if (C1V1ChatEditBox* box = GetNameEdit()) box->SetText(m_partner);
        Show();
        ShowControls(false);
        SetActive(true, false);
        CBaseWindow::SetPosition(BarX(m_slot), -CHAT_BAR_HEIGHT);
    } else {
        m_displayState = CHAT_OPEN;
        m_slot = -1;
        m_openX = screen.screenWidth - ImageWidth() - 18;
        m_openY = 21;
        m_partnerFixed = Empty(name) ? 0 : 1;
        CopyRecordText(m_partner, name ? name : "");
        if (C1V1ChatEditBox* box = GetNameEdit()) box->SetText(m_partner);
        Show();
        SetPosition(m_openX, m_openY);
        ShowControls(true);
        SetActive(true, false);
        if (m_partnerFixed)
            FocusTalkEdit();
        else
            FocusNameEdit();
        PlayCommunityEffect(uint16_t(77));
    }
    m_logging = m_chatLogList && m_partnerFixed && m_chatLogList->IsChatLogged(m_partner);
    m_logging ? SetLogImageOn() : SetLogImageOff();
}

void C1V1ChatWin::Dock() {
    int32_t docked = 0;
    if (m_chatLogList)
        for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
            if (C1V1ChatWin* w = m_chatLogList->GetChatWin(i);
                w && w != this && w->IsOpen() &&
                (w->m_displayState == CHAT_SLIDING_IN || w->m_displayState == CHAT_BAR))
                ++docked;
    m_slot = docked;
    m_openX = m_x;
    m_openY = m_y;
    ShowControls(false);
    MoveTowards(BarX(m_slot), 0, CHAT_SHRINKING);
}

void C1V1ChatWin::Undock() {
    const int32_t slot = m_slot;
    if (m_chatLogList)
        for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
            if (C1V1ChatWin* w = m_chatLogList->GetChatWin(i);
                w && w != this && w->IsOpen() && w->m_slot >= slot &&
                (w->m_displayState == CHAT_BAR || w->m_displayState == CHAT_SHIFTING) && w->m_slot > 0) {
                w->m_slot -= 1;
                w->m_displayState = CHAT_SHIFTING;
            }
    m_slot = -1;
    m_newMessage = 0;
    MoveTowards(m_openX, m_openY, CHAT_OPENING);
}

void C1V1ChatWin::MoveTowards(int32_t x, int32_t y, int32_t nextState) {
    m_targetX = x;
    m_targetY = y;
    m_stepX = (x - m_x) / 8;
    m_stepY = (y - m_y) / 8;
    m_displayState = nextState;
}

void C1V1ChatWin::FocusTalkEdit() {
    if (C1V1ChatEditBox* box = GetTalkEdit()) {
        box->Show();
        if (!box->IsActiveFlag()) box->SetActive(true, false);
    }
}

void C1V1ChatWin::FocusNameEdit() {
    if (C1V1ChatEditBox* box = GetNameEdit()) {
        box->Show();
        if (!box->IsActiveFlag()) box->SetActive(true, false);
    }
}

void C1V1ChatWin::SetLogImageOn() {
    m_logging = 1;
    if (CButton* log = Button("1V1CHAT_LOG_BUTTON"))
        log->LoadImage(FindAniByName(ONE_TO_ONE_IMAGE), FRAME_LOG_ON);
}

void C1V1ChatWin::SetLogImageOff() {
    m_logging = 0;
    if (CButton* log = Button("1V1CHAT_LOG_BUTTON"))
        log->LoadImage(FindAniByName(ONE_TO_ONE_IMAGE), FRAME_LOG_OFF);
}

bool C1V1ChatWin::Hide() {
    ShowControls(false);
    m_partner[0] = '\0';
    m_lines.Clear();
    m_partnerFixed = m_newMessage = m_logging = 0;
    m_slot = -1;
    m_displayState = CHAT_OPEN;
    if (CScrollBar* bar = GetScrollBar()) {
        bar->SetMaximum(0);
        bar->SetScrollPos(0);
    }
    if (C1V1ChatEditBox* box = GetNameEdit()) box->SetText("");
    if (C1V1ChatEditBox* box = GetTalkEdit()) box->SetText("");
    return CBaseWindow::Hide();
}

bool C1V1ChatWin::SetActive(bool active, bool keepOrder) {
    if (!active)
        for (C1V1ChatEditBox* box : {GetNameEdit(), GetTalkEdit()})
            if (box) box->SetActive(false, false);
    return CBaseWindow::SetActive(active, keepOrder);
}

bool C1V1ChatWin::SetPosition(int32_t x, int32_t y) {
    if (m_displayState == CHAT_OPEN) {
        for (const ControlPlace& place : kButtons)
            if (CButton* button = Button(place.name)) button->SetPosition(x + place.x, y + place.y);
        if (CScrollBar* bar = GetScrollBar()) bar->SetBarRect(x + 273, y + 26, x + 284, y + 121);
        if (C1V1ChatEditBox* box = GetNameEdit()) box->SetPosition(x + 100, y + 21);
        if (C1V1ChatEditBox* box = GetTalkEdit()) box->SetPosition(x + 10, y + 124);
    }
    return CBaseWindow::SetPosition(x, y);
}

void C1V1ChatWin::AddEntry(const char* text, uint8_t speaker) {
    m_lines.Add(text, speaker);
    if (CScrollBar* bar = GetScrollBar()) {
        bar->SetMaximum(m_lines.m_count - CHAT_VISIBLE_LINES);
        bar->SetScrollPos(float(std::max(0, m_lines.m_count - CHAT_VISIBLE_LINES)));
    }
}

void C1V1ChatWin::AddLine(int32_t kind, const char* text) {
    const char* t = text ? text : "";
    char entry[CHAT_ENTRY_LIMIT + 64];
    switch (kind) {
        case 0:
            std::snprintf(entry, sizeof entry, "%s:%s", PlayerCharName(), t);
            AddEntry(entry, 1);
            break;
        case 2:
            std::snprintf(entry, sizeof entry, "<%s> %s", m_partner, t);
            AddEntry(entry, 0);
            break;
        case 4:
            std::snprintf(entry, sizeof entry, "%s:%s", m_partner, t);
            AddEntry(entry, 2);
            if (m_chatLogList) m_chatLogList->WriteMessengerLog(m_partner, t, false);
            break;
        case 5:
            AddEntry(GetTableText(14, 155), 0);
            break;
        default:
            break;
    }
}

bool C1V1ChatWin::SendTyped() {
    if (!m_chatLogList) return false;
    const std::string typed = GetTypedPartner();
    if (m_chatLogList->IsNameOpenElsewhere(typed.c_str())) {
        m_chatLogList->RaiseWindowByName(typed.c_str());
        Hide();
        SetActive(false, false);
        return false;
    }
    m_partnerFixed = 1;
    CopyRecordText(m_partner, typed.c_str());
    C1V1ChatEditBox* talk = GetTalkEdit();
    return SendLine(m_partner, talk ? talk->GetCurrentText() : nullptr);
}

bool C1V1ChatWin::SendLine(const char* name, const char* text) {
    if (!m_chatLogList || Empty(name) || !text) {
        m_partnerFixed = 0;
        return false;
    }
    if (!HasPlayerChar()) return false;
    if (!SameText(name, PlayerCharName())) {
        if (*text) {
            GameSession().SendChatToName(name, text, 19);
            m_chatLogList->WriteMessengerLog(name, text, true);
        }
        if (C1V1ChatEditBox* talk = GetTalkEdit()) talk->SetText("");
        m_logging = m_chatLogList->IsChatLogged(m_partner);
        m_logging ? SetLogImageOn() : SetLogImageOff();
        return true;
    }
    AddLine(5, nullptr);
    if (C1V1ChatEditBox* talk = GetTalkEdit()) talk->SetActive(false, false);
    m_partnerFixed = 0;
    if (C1V1ChatEditBox* box = GetNameEdit()) {
        box->SetText("");
        box->SetActive(true, false);
    }
    return false;
}

bool C1V1ChatWin::OnChatReply(const char* name, uint8_t kind, const char* text) {
    if (!SameText(name, m_partner)) {
        ShowCommunityOkBox(GetTableText(14, 152));
        return false;
    }
    switch (kind) {
        case 0:
        case 1:
            m_partnerFixed = 0;
            AddLine(2, GetTableText(14, kind == 0 ? 153 : 154));
            break;
        case 2:
            AddLine(0, text);
            break;
        case 3:
            AddLine(4, text);
            if (m_displayState == CHAT_BAR || m_displayState == CHAT_SLIDING_IN) {
                PlayCommunityEffect("ComingMemoSound");
                m_newMessage = 1;
            } else {
                m_newMessage = 0;
            }
            break;
        default:
            return true;
    }
    if (kind == 2 || kind == 3)
        if (auto* memo = dynamic_cast<INameMemo*>(
                g_pWindowMgr ? g_pWindowMgr->FindWindowByName("NAME_MEMO_WIN", 0, true) : nullptr))
            memo->ScanUrls(text);
    return true;
}

bool C1V1ChatWin::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self) return true;
    const CDisplaySettings& screen = GetDisplaySettings();
    switch (m_displayState) {
        case CHAT_SLIDING_IN:
            CBaseWindow::SetPosition(BarX(m_slot), m_y + 1);
            if (m_y >= 0) {
                CBaseWindow::SetPosition(BarX(m_slot), 0);
                m_displayState = CHAT_BAR;
                m_openX = screen.screenWidth - ImageWidth() - 18;
                m_openY = 21;
            }
            break;
        case CHAT_BAR:
            if (m_newMessage && CommunityNow() - m_blinkTime >= kBlinkMs) {
                m_blinkTime = CommunityNow();
                m_blinkOn = !m_blinkOn;
            }
            if (!m_newMessage) m_blinkOn = 0;
            break;
        case CHAT_OPEN:
            break;
        case CHAT_SHIFTING: {
            const int32_t target = BarX(m_slot);
            if (std::abs(target - m_x) < 6)
                CBaseWindow::SetPosition(target, 0), m_displayState = CHAT_BAR;
            else
                CBaseWindow::SetPosition(m_x + (target > m_x ? 6 : -6), 0);
            break;
        }
        case CHAT_OPENING:
        case CHAT_SHRINKING:
            if (std::abs(m_targetX - m_x) <= 8 && std::abs(m_targetY - m_y) <= 8) {
                const bool opening = m_displayState == CHAT_OPENING;
                m_displayState = opening ? CHAT_OPEN : CHAT_BAR;
                SetPosition(m_targetX, m_targetY);
                if (opening) {
                    ShowControls(true);
                    SetActive(true, false);
                    m_partnerFixed ? FocusTalkEdit() : FocusNameEdit();
                }
            } else {
                CBaseWindow::SetPosition(m_x + (m_stepX ? m_stepX : (m_targetX > m_x) - (m_targetX < m_x)),
                                         m_y + (m_stepY ? m_stepY : (m_targetY > m_y) - (m_targetY < m_y)));
            }
            break;
        default:
            break;
    }
    return true;
}

bool C1V1ChatWin::Draw() {
    if (!IsDrawOn()) return true;
    if (m_pAniObject) {
        const bool open = m_displayState == CHAT_OPEN;
        m_pAniObject->SetMotion(open ? FRAME_WINDOW : FRAME_BAR);
        m_pAniObject->SetDirection(!open && m_blinkOn ? 0 : 2);
    }
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (m_displayState != CHAT_OPEN) {
        DrawCommunityText(m_x + 28, m_y + 6, m_partner, 0xFFFFFF);
        return true;
    }
    // The boxes are windows of their own, stacked under this one: they are
    // drawn again over it.
    for (C1V1ChatEditBox* box : {GetNameEdit(), GetTalkEdit()})
        if (box && box->IsDrawOn()) box->Draw();
    const CScrollBar* bar = GetScrollBar();
    const int32_t first = bar ? int32_t(const_cast<CScrollBar*>(bar)->GetScrollPos()) : 0;
    uint8_t speaker = 1;
    for (int32_t i = 0; i < CHAT_VISIBLE_LINES && first + i < m_lines.m_count; ++i) {
        const int32_t index = first + i;
        if (m_lines.m_speakers[index] != 0) speaker = m_lines.m_speakers[index];
        DrawCommunityText(m_x + 12, m_y + 40 + 14 * i, m_lines.m_lines[index],
                          speaker == 2 ? kPartnerColour : kOwnColour);
    }
    return true;
}

bool C1V1ChatWin::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    // The base makes this window the active one first; the box takes the
    // focus after that.
    CWeakRef self(this);
    const bool result = CBaseWindow::OnMouseDown(button, x, y, control);
    if (!self || control || m_displayState != CHAT_OPEN) return result;
    const int32_t lx = x - m_x, ly = y - m_y;
    if (lx >= 84 && lx <= 218 && ly >= 18 && ly <= 33) {
        if (!m_partnerFixed) FocusNameEdit();
    } else if (lx >= 9 && lx <= 263 && ly >= 122 && ly <= 136) {
        FocusTalkEdit();
    } else {
        for (C1V1ChatEditBox* box : {GetNameEdit(), GetTalkEdit()})
            if (box) box->SetActive(false, false);
    }
    return result;
}

bool C1V1ChatWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!m_chatLogList) return CBaseWindow::OnControlEvent(button, x, y, control);
    if (!control) {
        const int32_t lx = x - m_x, ly = y - m_y;
        if (m_displayState == CHAT_BAR && lx > 0 && lx < CHAT_BAR_WIDTH && ly > 0 && ly < CHAT_BAR_HEIGHT) {
            Undock();
            return false;
        }
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (!control->IsInputOn() || !IsClickOn(control, x, y))
        return CBaseWindow::OnControlEvent(button, x, y, control);
    const char* name = control->GetName();
    if (SameText(name, "1V1CHAT_CLOSE_BUTTON")) {
        Hide();
        SetActive(false, false);
        return true;
    }
    if (SameText(name, "1V1CHAT_OPTION_BUTTON_1")) {
        if (C1V1OptionWin* options = m_chatLogList->GetOptionWin()) {
            if (options->IsDrawOn() && options->IsUpdateOn() && options->IsInputOn())
                options->SetActive(true, false);
            else
                options->Open();
        }
        return false;
    }
    if (SameText(name, "1V1CHAT_MINIMAL_BUTTON")) {
        Dock();
        return false;
    }
    if (SameText(name, "1V1CHAT_LOG_BUTTON")) {
        if (m_partnerFixed) {
            if (m_logging) {
                m_chatLogList->RemoveLoggedName(m_partner);
                SetLogImageOff();
            } else {
                m_chatLogList->AddLoggedName(m_partner);
                SetLogImageOn();
            }
        }
        return false;
    }
    if (SameText(name, "1V1CHAT_GUEST_1_BUTTON") || SameText(name, "1V1CHAT_QM_1_BUTTON")) return false;
    return CBaseWindow::OnControlEvent(button, x, y, control);
}

bool C1V1ChatWin::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (!control && key == plat::VK_ESCAPE && m_displayState == CHAT_OPEN && IsOpen()) {
        Hide();
        SetActive(false, false);
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

// ---- The edit boxes ----

C1V1ChatEditBox::C1V1ChatEditBox(int32_t kind) : m_kind(kind) {
    C1V1ChatEditBox::Create();
}

C1V1ChatEditBox::~C1V1ChatEditBox() {
    C1V1ChatEditBox::Release();
}

bool C1V1ChatEditBox::Create() {
    CEditBox::Create();
    SetMaxLength(m_kind == 1 ? 38 : 16);
    SetTextColor(0xC8FFC8);
    SetImeMode(1);
    m_background = MakeCommunityImage(ONE_TO_ONE_IMAGE,
                                      m_kind == 0   ? FRAME_NAME_BOX
                                      : m_kind == 1 ? FRAME_TALK_BOX
                                                    : FRAME_OPTION_BOX,
                                      2);
    return true;
}

bool C1V1ChatEditBox::Release() {
    m_background.reset();
    return CEditBox::Release();
}

void C1V1ChatEditBox::LinkWindow(CBaseWindow* other) {
    if (auto* chat = dynamic_cast<C1V1ChatWin*>(other)) {
        m_chatWin.Assign(chat);
        chat->SetEditBox(this);
    } else if (auto* options = dynamic_cast<C1V1OptionWin*>(other)) {
        m_optionWin.Assign(options);
        options->SetNameEdit(this);
    }
}

bool C1V1ChatEditBox::SetPosition(int32_t x, int32_t y) {
    if (m_background) m_background->SetScreenPosition(x - 4, y - 3, 0);
    const int32_t width = m_kind == 1 ? 250 : 110;
    SetInputRect(true, x, y, x + width, y + 14);
    return CEditBox::SetPosition(x, y);
}

bool C1V1ChatEditBox::Draw() {
    if (!IsDrawOn()) return true;
    if (m_background) m_background->Draw();
    return CEditBox::Draw();
}

bool C1V1ChatEditBox::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    C1V1ChatWin* chat = GetChatWin();
    auto* options = m_optionWin.GetAs<C1V1OptionWin>();
    const bool owned = m_kind == 2 ? options != nullptr : chat != nullptr;
    if (!IsActiveFlag() || !owned) return CEditBox::OnKeyDown(key, control);
    switch (key) {
        case plat::VK_UP:
        case plat::VK_DOWN:
            return false;
        case plat::VK_TAB:
            if (m_kind == 0) {
                chat->FocusTalkEdit();
            } else if (m_kind == 1) {
                C1V1ChatEditBox* name = chat->GetNameEdit();
                if (name && !name->IsActiveFlag() && !chat->IsPartnerFixed()) chat->FocusNameEdit();
            }
            return false;
        case plat::VK_RETURN:
            if (m_kind == 0) {
                chat->FocusTalkEdit();
            } else if (m_kind == 1) {
                CWeakRef self(this);
                chat->SendTyped();
                if (self && g_pEditMgr && IsFocused()) g_pEditMgr->ClearText();
            } else {
                options->AddName();
            }
            return false;
        case plat::VK_ESCAPE:
            SetActive(false, false);
            return false;
        default:
            return CEditBox::OnKeyDown(key, control);
    }
}
