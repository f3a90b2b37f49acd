#include "windows/community/fight_club_windows.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "anim/ani_object.h"
#include "core/config.h"
#include "core/message.h"
#include "core/util.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTexts = 14;
constexpr int kFont = 0;
constexpr uint8_t kShadow = 2;
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;
constexpr int32_t kCharWidth = 6;

constexpr char kManagerClose[] = "FightClub_Manager_CLOSE_BUTTON";
constexpr char kRequestPvp[] = "FightClub_Manager_ReqPVP_BUTTON";
constexpr char kRequestCvc[] = "FightClub_Manager_ReqCVC_BUTTON";

constexpr int kRowClose = 2;
constexpr int kRowSection1 = 462, kRowSection2 = 463, kRowFirstPair = 464, kRowSecondPair = 465;
constexpr int kRowAmountA = 466, kRowAmountB = 471;

const char* OwnName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->GetInfo(nullptr) : nullptr;
}

bool Is(const CBaseWindow* control, const char* name) {
    return control && std::strcmp(control->GetName(), name) == 0;
}

void DrawTextAt(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_pTextRenderer && g_pDirectDraw && text && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, kFont, colour, kShadow,
                                    true);
}

// x centred at six pixels a character.
int32_t Centred(int32_t x, const char* text) {
    return x - int32_t(std::strlen(text)) * kCharWidth / 2;
}

// Drawn, but takes no input.
void DrawOnly(CBaseWindow* control) {
    if (!control) return;
    control->Hide();
    control->SetDrawOn(true);
}

template <class Payload>
Payload* As(CMsg* msg) {
    return dynamic_cast<Payload*>(msg->m_pPayload.get());
}

template <size_t N>
void Terminate(char (&text)[N]) {
    text[N - 1] = '\0';
}

}  // namespace

// ---- The manager ----

CFightClubManager::CFightClubManager() {
    CFightClubManager::Create();
}

CFightClubManager::~CFightClubManager() = default;

bool CFightClubManager::Create() {
    CBaseWindow::Create();
    CreateNamedWithAni(WINDOW_DRAG_TYPE, FIGHT_MANAGER_WINDOW_NAME, FIGHT_MANAGER_ANI, false);
    SetKindId(0);
    m_draggable = 1;
    m_npcId = 0;
    for (auto& section : m_figures) std::fill(std::begin(section), std::end(section), 0);
    m_amountA = m_amountB = 0;
    m_clubMaster.clear();
    m_cvcLocked = 0;
    CButton* close = MakeChildButton(kManagerClose, this, FIGHT_SMALL_FRAME_ANI, 2);
    if (close) close->SetToolTip(true, GetTableText(kTexts, kRowClose), WINDOW_TOOLTIP_PARAM);
    m_buttons[0].Assign(close);
    m_buttons[1].Assign(MakeChildButton(kRequestPvp, this, FIGHT_MANAGER_ANI, 1));
    CButton* cvc = MakeChildButton(kRequestCvc, this, FIGHT_MANAGER_ANI, 2);
    DrawOnly(cvc);
    m_buttons[2].Assign(cvc);
    CFightClubManager::SetPosition(0, 0);
    return true;
}

void CFightClubManager::SetFigures1(int32_t a, int32_t b, int32_t c, int32_t d) {
    m_figures[0][0] = a, m_figures[0][1] = b, m_figures[0][2] = c, m_figures[0][3] = d;
}

void CFightClubManager::SetFigures2(int32_t a, int32_t b, int32_t c, int32_t d) {
    m_figures[1][0] = a, m_figures[1][1] = b, m_figures[1][2] = c, m_figures[1][3] = d;
}

void CFightClubManager::SetAmounts(uint32_t a, uint32_t b) {
    m_amountA = a;
    m_amountB = b;
}

void CFightClubManager::SetClubMaster(const char* name) {
    m_clubMaster = name ? name : "";
}

bool CFightClubManager::CvcAllowed() const {
    const char* own = OwnName();
    return own && !m_clubMaster.empty() && m_clubMaster == own && m_cvcLocked == 0;
}

bool CFightClubManager::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    // The request buttons' pictures carry their places in the frame.
    static constexpr int32_t kPlaces[3][2] = {{210, 8}, {0, 0}, {0, 0}};
    for (int i = 0; i < 3; ++i)
        if (auto* control = m_buttons[i].GetAs<CBaseWindow>())
            control->SetPosition(x + kPlaces[i][0], y + kPlaces[i][1]);
    return true;
}

bool CFightClubManager::Update() {
    if (auto* cvc = m_buttons[2].GetAs<CBaseWindow>()) {
        if (CvcAllowed()) {
            cvc->Show();
        } else if (cvc->IsInputOn() || !cvc->IsDrawOn()) {
            DrawOnly(cvc);
        }
    }
    return CBaseWindow::Update();
}

bool CFightClubManager::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        switch (msg->m_eventId) {
            case MSG_FIGHT_MANAGER_VALUES:
                if (auto* values = As<CFightManagerValuesMsg>(msg)) {
                    const uint32_t* v = values->m_values;
                    SetFigures1(int32_t(v[0]), int32_t(v[1]), int32_t(v[2]), int32_t(v[3]));
                    SetFigures2(int32_t(v[4]), int32_t(v[5]), int32_t(v[6]), int32_t(v[7]));
                    SetAmounts(values->m_a, values->m_b);
                }
                break;
            case MSG_FIGHT_MANAGER_REFRESH: {
                const CClubBaseWindow* club = FindClubBaseWindow();
                const char* master = club ? club->GetMasterName() : nullptr;
                SetClubMaster(master ? master : "");
                SetCvcLocked(0);
                break;
            }
            default:
                break;
        }
    }
    return true;
}

bool CFightClubManager::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return true;
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    if (Is(control, kManagerClose)) {
        Hide();
    } else if (Is(control, kRequestPvp)) {
        GameSession().SendFightClubRequest(m_npcId, 0, nullptr, 0);
        Hide();
    } else if (Is(control, kRequestCvc)) {
        if (!CvcAllowed() || !g_pWindowMgr) return false;
        CBaseWindow* picker = g_pWindowMgr->FindWindowByName(FIGHT_CONFIG_WINDOW_NAME, 0, true);
        if (!picker) {
            picker = CreateRegisteredWindow(FIGHT_CONFIG_WINDOW_NAME);
            if (picker && !g_pWindowMgr->AddChild(picker)) {
                delete picker;
                picker = nullptr;
            }
        }
        // Without the member picker there is nothing to choose from.
        if (!picker) return false;
        if (auto* config = dynamic_cast<IFightClubPicker*>(picker)) config->OpenFor(m_npcId);
        Hide();
    }
    return false;
}

void CFightClubManager::Text(int32_t x, int32_t y, const char* text) const {
    DrawTextAt(m_x + x, m_y + y, text, kWhite);
}

void CFightClubManager::CentredText(int32_t x, int32_t y, const std::string& text) const {
    Text(Centred(x, text.c_str()), y, text.c_str());
}

bool CFightClubManager::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    if (!CBaseWindow::Draw() || !self.Get()) return true;
    CentredText(53, 38, GetTableText(kTexts, kRowSection1));
    CentredText(53, 96, GetTableText(kTexts, kRowSection2));
    const int32_t pairY[2][2] = {{52, 67}, {110, 124}};
    for (int s = 0; s < 2; ++s) {
        const int32_t* f = m_figures[s];
        CentredText(53, pairY[s][0], FormatTableText(GetTableText(kTexts, kRowFirstPair), {f[0], f[1]}));
        CentredText(53, pairY[s][1], FormatTableText(GetTableText(kTexts, kRowSecondPair), {f[2], f[3]}));
    }
    const std::string a = FormatNumberWithCommas(m_amountA), b = FormatNumberWithCommas(m_amountB);
    Text(42, 155, FormatTableText(GetTableText(kTexts, kRowAmountA), {a.c_str()}).c_str());
    Text(42, 178, FormatTableText(GetTableText(kTexts, kRowAmountB), {b.c_str()}).c_str());
    return true;
}

// ---- The waiting windows ----

namespace {

constexpr int kRowMinimize = 459;
constexpr int32_t kCvcListTop = 67, kCvcListStep = 16, kCvcRows = 4;

constexpr CFightClubWaitWin::Family kSingleFamily = {FIGHT_WAIT_WINDOW_NAME,
                                                     FIGHT_SMALL_FRAME_ANI,
                                                     "FightClub_WaitWin_CLOSE_BUTTON",
                                                     "FightClub_WaitWin_MINIMIZE_BUTTON",
                                                     458,
                                                     460,
                                                     FIGHT_WAIT_BOX,
                                                     0,
                                                     {131, 8},
                                                     {114, 8},
                                                     {74, 40},
                                                     {{74, 90}, {74, 133}}};
constexpr CFightClubWaitWin::Family kClubFamily = {FIGHT_CVC_WAIT_WINDOW_NAME,
                                                   FIGHT_CVC_WAIT_ANI,
                                                   "FightClubCVCWaitWin_CLOSE_BUTTON",
                                                   "FightClubCVCWaitWin_MINIMIZE_BUTTON",
                                                   469,
                                                   470,
                                                   FIGHT_CVC_WAIT_BOX,
                                                   1,
                                                   {151, 8},
                                                   {134, 8},
                                                   {65, 36},
                                                   {{84, 165}, {84, 208}}};

void AskToLeave(const char* text, CMsgPort* port, uint32_t boxId) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, true, false, 0);
    box->SetKindId(boxId);
    box->SetOkNotify(true, port, 0);
    box->SetCancelNotify(true, port, 0);
    box->SetHideOnAnswer(true);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
    box->SetPosition(g_config.m_screenWidth / 2 - box->BackgroundWidth() / 2,
                     g_config.m_screenHeight / 2 - 100);
}

}  // namespace

CFightClubWaitWin::CFightClubWaitWin() : CFightClubWaitWin(kSingleFamily) {}

CFightClubWaitWin::CFightClubWaitWin(const Family& family) : m_family(family) {
    CFightClubWaitWin::Create();
}

CFightClubWaitWin::~CFightClubWaitWin() = default;

bool CFightClubWaitWin::Create() {
    CBaseWindow::Create();
    CreateNamedWithAni(WINDOW_DRAG_TYPE, m_family.name, m_family.animation, false);
    SetKindId(0);
    m_draggable = 1;
    m_doubleClickAsClick = 0;  // a double-click restores the small frame
    m_minimized = 0;
    m_p = m_q = 0;
    m_npcId = 0;
    CButton* close = MakeChildButton(m_family.close, this, FIGHT_SMALL_FRAME_ANI, 2);
    if (close) close->SetToolTip(true, GetTableText(kTexts, m_family.closeTipRow), WINDOW_TOOLTIP_PARAM);
    m_close.Assign(close);
    CButton* minimize = MakeChildButton(m_family.minimize, this, FIGHT_SMALL_FRAME_ANI, 1);
    if (minimize) minimize->SetToolTip(true, GetTableText(kTexts, kRowMinimize), WINDOW_TOOLTIP_PARAM);
    m_minimize.Assign(minimize);
    if (CAniObject* frame = GetAniObject()) frame->SetDirection(2);
    CFightClubWaitWin::SetPosition(0, 0);
    return true;
}

bool CFightClubWaitWin::Show() {
    // A waiting window that comes back shows whole.
    if (!IsVisibleInTree()) Restore();
    return CBaseWindow::Show();
}

void CFightClubWaitWin::SetNumbers(int32_t p, int32_t q) {
    m_p = p;
    m_q = q;
}

void CFightClubWaitWin::Restore() {
    if (m_minimized) SetMinimized(false);
}

void CFightClubWaitWin::SetMinimized(bool on) {
    m_minimized = on ? 1 : 0;
    if (CAniObject* frame = GetAniObject()) frame->SetDirection(on ? 0 : 2);
    UpdateRect();
    for (CWeakRef* ref : {&m_close, &m_minimize, &m_scrollBar})
        if (auto* control = ref->GetAs<CBaseWindow>()) {
            if (on)
                control->Hide();
            else
                control->Show();
        }
}

bool CFightClubWaitWin::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (auto* close = m_close.GetAs<CBaseWindow>())
        close->SetPosition(x + m_family.closeAt[0], y + m_family.closeAt[1]);
    if (auto* minimize = m_minimize.GetAs<CBaseWindow>())
        minimize->SetPosition(x + m_family.minimizeAt[0], y + m_family.minimizeAt[1]);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetBarRect(x + 150, y + kCvcListTop, x + 164, y + kCvcListTop + kCvcListStep * kCvcRows);
    return true;
}

bool CFightClubWaitWin::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId == MESSAGE_BOX_ANSWER) {
            if (msg->m_senderId != m_family.boxId || msg->m_extra == 0) continue;
            if (m_npcId != 0) GameSession().SendFightClubReply(m_npcId, m_family.reply);
            m_npcId = 0;
            OnLeft();
            Hide();
        } else if (msg->m_eventId == MSG_FIGHT_WAIT_VALUES) {
            if (auto* values = As<CWindowValuesMsg>(msg)) {
                m_npcId = values->m_values[0];
                SetNumbers(int32_t(values->m_values[1]), int32_t(values->m_values[2]));
            }
        } else if (msg->m_eventId == MSG_CVC_ENTRY) {
            auto* entry = As<CCvcEntryMsg>(msg);
            if (auto* club = dynamic_cast<CFightClubCVCWaitWin*>(this); entry && club) {
                Terminate(entry->m_name);
                club->UpdateEntry(entry->m_name, entry->m_flags, entry->m_value);
            }
        }
    }
    return true;
}

bool CFightClubWaitWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return true;
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    if (Is(control, m_family.minimize)) {
        SetMinimized(m_minimized == 0);
    } else if (Is(control, m_family.close)) {
        AskToLeave(GetTableText(kTexts, m_family.confirmRow), GetPort(), m_family.boxId);
    } else {
        return control->OnControlEvent(button, x, y, nullptr);
    }
    return false;
}

bool CFightClubWaitWin::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    if (button == 0 && m_minimized) {
        Restore();
        return false;
    }
    return true;
}

void CFightClubWaitWin::Text(int32_t x, int32_t y, const char* text, uint32_t colour) const {
    DrawTextAt(m_x + x, m_y + y, text, colour);
}

void CFightClubWaitWin::CentredText(int32_t x, int32_t y, const char* text) const {
    Text(Centred(x, text), y, text, kWhite);
}

bool CFightClubWaitWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    if (!CBaseWindow::Draw() || !self.Get()) return true;
    if (!m_minimized && OwnName()) DrawBody();
    return true;
}

void CFightClubWaitWin::DrawBody() {
    CentredText(m_family.nameAt[0], m_family.nameAt[1], OwnName());
    const int32_t numbers[2] = {m_p, m_q};
    for (int i = 0; i < 2; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", numbers[i]);
        CentredText(m_family.numbersAt[i][0], m_family.numbersAt[i][1], number);
    }
}

CFightClubCVCWaitWin::CFightClubCVCWaitWin() : CFightClubWaitWin(kClubFamily) {
    CFightClubCVCWaitWin::Create();
}

CFightClubCVCWaitWin::~CFightClubCVCWaitWin() {
    CFightClubCVCWaitWin::Release();
}

bool CFightClubCVCWaitWin::Create() {
    CFightClubWaitWin::Create();
    m_visibleRows = kCvcRows;
    m_entries.clear();
    CScrollBar* bar = MakeChildScrollBar(
        this, "FightClubCVCConfigWin_SCROLLBAR",
        {"FightClubCVCConfigWin_SCROLL_BUTTON_UP", "FightClubCVCConfigWin_SCROLL_BUTTON_DN",
         "FightClubCVCConfigWin_SCROLL_BUTTON_DRAG"});
    m_scrollBar.Assign(bar);
    SetListMaximum();
    CFightClubWaitWin::SetPosition(m_x, m_y);
    return true;
}

bool CFightClubCVCWaitWin::Release() {
    m_entries.clear();
    return CBaseWindow::Release();
}

void CFightClubCVCWaitWin::UpdateEntry(const char* name, uint32_t flags, int32_t level) {
    if (!name) return;
    auto found =
        std::find_if(m_entries.begin(), m_entries.end(), [name](const Entry& e) { return e.name == name; });
    if (flags & 0x400) {
        if (found != m_entries.end()) return;
        m_entries.push_back({name, level});
    } else {
        if (found == m_entries.end()) return;
        m_entries.erase(found);
    }
    SetListMaximum();
}

void CFightClubCVCWaitWin::SetListMaximum() {
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetMaximum(int32_t(m_entries.size()) - m_visibleRows);
}

void CFightClubCVCWaitWin::OnLeft() {
    m_entries.clear();
    SetListMaximum();
}

void CFightClubCVCWaitWin::DrawBody() {
    CFightClubWaitWin::DrawBody();
    char line[64];
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    const int32_t top = bar ? std::max(0, int32_t(bar->GetScrollPos())) : 0;
    for (int32_t i = 0; i < m_visibleRows; ++i) {
        const size_t index = size_t(top + i);
        if (index >= m_entries.size()) break;
        std::snprintf(line, sizeof line, "%s(%d)", m_entries[index].name.c_str(), m_entries[index].level);
        Text(16, kCvcListTop + kCvcListStep * i, line, kBlack);
    }
}

// ---- The start notice ----

FightNoticeSegment NextFightNoticeSegment(uint8_t finished) {
    switch (finished) {
        case 10:
            return {2, 12, false};
        case 12:
            return {2, 14, false};
        case 14:
            return {2, 0, false};
        case 0:
            return {2, 2, false};
        case 2:
            return {1, 1, true};
        default:
            return {};
    }
}

CFightClubNoticeWin::CFightClubNoticeWin() {
    CFightClubNoticeWin::Create();
}

CFightClubNoticeWin::~CFightClubNoticeWin() {
    CFightClubNoticeWin::Release();
}

bool CFightClubNoticeWin::Create() {
    CBaseWindow::Create();
    CreateNamed(WINDOW_DRAG_TYPE, FIGHT_NOTICE_WINDOW_NAME);
    SetKindId(4);
    m_state = 0;
    m_startTime = 0;
    m_notice = std::make_unique<CAniObject>();
    if (!m_notice->SetAnimation(FIGHT_NOTICE_ANI)) m_notice.reset();
    return true;
}

bool CFightClubNoticeWin::Release() {
    if (g_pCharMgr) g_pCharMgr->m_fightClubMatch = 0;
    m_notice.reset();
    return CBaseWindow::Release();
}

void CFightClubNoticeWin::Play(uint8_t motion, uint8_t direction, bool loop) {
    if (!m_notice) return;
    m_notice->SetMotion(motion);
    m_notice->SetDirection(direction);
    m_notice->Play(loop);
}

void CFightClubNoticeWin::Reset() {
    m_state = 0;
    m_startTime = 0;
    Play(0, 2, true);
    if (g_pCharMgr) g_pCharMgr->m_fightClubMatch = 1;
}

void CFightClubNoticeWin::Start() {
    m_state = 1;
    m_startTime = plat::timeGetTime();
    Play(2, 10, false);
}

bool CFightClubNoticeWin::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self.Get()) return true;
    if (m_notice && m_notice->m_stopped) {
        if (m_state == 1) {
            const FightNoticeSegment next = NextFightNoticeSegment(m_notice->m_direction);
            if (next.motion >= 0) {
                Play(uint8_t(next.motion), next.direction, false);
                if (next.last) m_state = 2;
            }
        } else if (m_state == 2) {
            if (g_pWindowMgr) g_pWindowMgr->CloseWindow(this);
            return true;
        }
    }
    if (m_notice) m_notice->Update();
    return true;
}

bool CFightClubNoticeWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    if (!CBaseWindow::Draw() || !self.Get()) return true;
    if (m_notice) {
        m_notice->SetScreenPosition(g_config.m_screenWidth / 2, g_config.m_screenHeight / 2, 0);
        m_notice->Draw();
    }
    return true;
}
