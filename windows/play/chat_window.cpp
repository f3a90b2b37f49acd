#include "windows/play/chat_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_layout.h"
#include "ui/window_mgr.h"
#include "windows/play/chat_input_window.h"
#include "windows/play/chat_text.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

// Image motions of "Chat_Window".
constexpr uint8_t kTypeIconMotion = 6;  // 6-9, one per chat mode
constexpr uint8_t kUpperMotion = 3, kEmoticonMotion = 5, kOneToOneMotion = 4, kMessengerMotion = 10,
                  kMacroMotion = 11, kMemoMotion = 12;
// Text table 14's tooltip rows.
constexpr int kTypeIconTips[CHAT_MODE_COUNT] = {14, 15, 16, 427};
constexpr int kEmoticonTip = 17, kOneToOneTip = 18, kMessengerTip = 566, kMacroTip = 567, kMemoTip = 635;
// Places relative to the window's corner.
constexpr int32_t kIconX = 4, kIconY = 6;
constexpr int32_t kMemoX = 420, kMessengerX = 442, kOneToOneX = 463, kMacroX = 484, kEmoticonX = 505,
                  kButtonY = 5;
constexpr int32_t kScrollLeft = 510, kScrollRight = 528;
constexpr int32_t kTickerAbove = 32;
constexpr int32_t kLineX = 10;
constexpr int32_t kShadeColumn = 501;
constexpr uint32_t kShade = 0x80000000;
constexpr uint32_t kToolTipDelay = 1000;
constexpr uint8_t kTextStyleShadow = 2;

constexpr uint32_t kKindColours[CHAT_KIND_COLOURS] = {
    ChatRgb(100, 255, 100), ChatRgb(255, 255, 100), ChatRgb(100, 255, 255), ChatRgb(255, 100, 255),
    ChatRgb(100, 255, 128), ChatRgb(255, 100, 100), ChatRgb(100, 100, 255), ChatRgb(100, 128, 100),
    ChatRgb(128, 128, 100), ChatRgb(100, 128, 128), ChatRgb(128, 100, 128), ChatRgb(247, 183, 60),
    ChatRgb(128, 100, 100), ChatRgb(100, 100, 128), ChatRgb(255, 128, 100), ChatRgb(128, 255, 100),
    ChatRgb(100, 255, 128),
};
// Kind 3's colour indexes 1-14.
constexpr uint32_t kIndexColours[15] = {
    0,
    ChatRgb(255, 0, 0),
    ChatRgb(0, 255, 0),
    ChatRgb(0, 0, 255),
    ChatRgb(255, 255, 0),
    ChatRgb(0, 255, 255),
    ChatRgb(255, 0, 255),
    ChatRgb(255, 128, 128),
    ChatRgb(128, 255, 128),
    ChatRgb(128, 128, 255),
    ChatRgb(255, 255, 128),
    ChatRgb(128, 255, 255),
    ChatRgb(255, 128, 255),
    ChatRgb(255, 255, 255),
    ChatRgb(0, 0, 0),
};
constexpr uint32_t kKind23Colour = ChatRgb(148, 221, 250), kKind24Colour = ChatRgb(200, 150, 200);
constexpr uint32_t kMarkedSpeaker = ChatRgb(200, 255, 255), kOwnSpeaker = ChatRgb(200, 255, 200),
                   kOtherSpeaker = ChatRgb(255, 255, 255);

constexpr const char* kObjectNames[4] = {"Emoticon", "Message", "WORD01", "ScreenLight_"};

CBaseWindow* FindTopWindow(const char* name) {
    return g_pWindowMgr ? g_pWindowMgr->FindWindowByName(name, 0, true) : nullptr;
}

// A hidden button shown again in its draw flag: drawn, no input.
void Disable(CBaseWindow* control) {
    control->Hide();
    control->SetDrawOn(true);
}

}  // namespace

bool IsCharMarked(const CChar* character) {
    const CCharData* data = character ? character->GetData() : nullptr;
    return data && data->m_flags[1] != 0;
}

// ---- CChatWindow ----

CChatWindow::CChatWindow() {
    CChatWindow::Create();
}

CChatWindow::~CChatWindow() {
    CChatWindow::Release();
}

bool CChatWindow::Create() {
    CBaseWindow::Create();
    m_noImageDraw = 0;
    m_draggable = 1;
    m_visibleLines = CHAT_MIN_LINES;
    const uint32_t image = FindAniByName(CHAT_WINDOW_IMAGE);
    if (!CreateNamedWithAni(WINDOW_DRAG_TYPE, CHAT_WINDOW_NAME, image, image == 0)) return false;
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(0);
        picture->SetDirection(2);
    }
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "CHAT_WIN_SCROLLBAR",
        {"CHAT_WIN_SCROLL_BUTTON_UP", "CHAT_WIN_SCROLL_BUTTON_DN", "CHAT_WIN_SCROLL_BUTTON_DRAG"}));
    SetName(CHAT_WINDOW_NAME);
    SetKindId(0);
    m_input.Assign(nullptr);
    m_headword.Assign(nullptr);
    m_iconsExpanded = 0;
    m_chatMode = CHAT_MODE_NORMAL;
    for (int i = 0; i < 4; ++i) m_objects[i] = MakeWindowObject(kObjectNames[i]);
    CreateButtons(image);
    if (CBaseWindow* ticker = CreateRegisteredWindow("CTickerWin")) {
        AddChild(ticker);
        m_ticker.Assign(ticker);
    }
    const CDisplaySettings& screen = GetDisplaySettings();
    SetPosition(screen.screenWidth / 2 - BarWidth() / 2 + 3, screen.screenHeight - BarHeight());
    std::memset(m_headwords, 0, sizeof m_headwords);
    std::memset(m_lastHeadword, 0, sizeof m_lastHeadword);
    LoadSettings();
    SetChatMode(CHAT_MODE_NORMAL);
    m_firstLine = m_lineCount = 0;
    m_firstShown = 0;
    std::copy(std::begin(kKindColours), std::end(kKindColours), m_kindColours);
    m_blinkCount = m_blinkOn = 0;
    m_blinkTime = 0;
    m_pending.clear();
    m_pendingTime = 0;
    return true;
}

std::unique_ptr<CAniObject> CChatWindow::MakeWindowObject(const char* name) {
    const uint32_t animation = FindAniByName(name);
    if (animation == 0) return nullptr;
    auto object = std::make_unique<CAniObject>();
    if (!object->SetAnimation(animation)) return nullptr;
    return object;
}

void CChatWindow::CreateButtons(uint32_t image) {
    auto make = [&](const char* name, uint8_t motion, int tipRow, uint32_t id) {
        CButton* button = MakeChildButton(name, this, image, motion);
        button->SetKindId(id);
        if (tipRow >= 0) button->SetToolTip(true, GetTableText(14, tipRow), kToolTipDelay);
        return button;
    };
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode) {
        CButton* icon =
            make("CHAT_TYPE_ICON", uint8_t(kTypeIconMotion + mode), kTypeIconTips[mode], uint32_t(mode));
        icon->SetPosition(m_x + 137, m_y + 6);
        icon->Hide();
        m_typeIcons[mode].Assign(icon);
    }
    CButton* upper = make("CHAT_UPPER_BTN", kUpperMotion, -1, 0);
    upper->m_draggable = 1;
    upper->m_lockHorizontal = 1;
    m_upperButton.Assign(upper);
    m_emoticonButton.Assign(make("CHAT_USE_IMOTICON_BUTTON", kEmoticonMotion, kEmoticonTip, 0));
    m_oneToOneButton.Assign(make("CHAT_1V1_BUTTON", kOneToOneMotion, kOneToOneTip, 0));
    m_messengerButton.Assign(make("CHAT_1V1_BUTTON", kMessengerMotion, kMessengerTip, 0));
    m_macroButton.Assign(make("CHAT_1V1_BUTTON", kMacroMotion, kMacroTip, 0));
    m_memoButton.Assign(make("CHAT_MEMO_BUTTON", kMemoMotion, kMemoTip, 0));
}

bool CChatWindow::Release() {
    for (auto& object : m_objects) object.reset();
    m_firstLine = m_lineCount = 0;
    m_pending.clear();
    m_input.Assign(nullptr);
    m_headword.Assign(nullptr);
    return CBaseWindow::Release();
}

// ---- Reading the state ----

CButton* CChatWindow::GetTypeIcon(int32_t mode) const {
    return mode >= 0 && mode < CHAT_MODE_COUNT ? m_typeIcons[mode].GetAs<CButton>() : nullptr;
}
CButton* CChatWindow::GetResizeHandle() const {
    return m_upperButton.GetAs<CButton>();
}
CButton* CChatWindow::GetMemoButton() const {
    return m_memoButton.GetAs<CButton>();
}
CButton* CChatWindow::GetEmoticonButton() const {
    return m_emoticonButton.GetAs<CButton>();
}
CButton* CChatWindow::GetOneToOneButton() const {
    return m_oneToOneButton.GetAs<CButton>();
}
CButton* CChatWindow::GetMessengerButton() const {
    return m_messengerButton.GetAs<CButton>();
}
CButton* CChatWindow::GetMacroButton() const {
    return m_macroButton.GetAs<CButton>();
}
CScrollBar* CChatWindow::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}
CChatInputWindow* CChatWindow::GetInput() const {
    return m_input.GetAs<CChatInputWindow>();
}
CHeadwordWindow* CChatWindow::GetHeadword() const {
    return m_headword.GetAs<CHeadwordWindow>();
}

const ChatLine& CChatWindow::Line(size_t i) const {
    static const ChatLine kNone;
    return i < m_lineCount ? m_lines[(m_firstLine + i) % CHAT_LINE_CAPACITY] : kNone;
}

uint32_t CChatWindow::KindColour(int kind) const {
    return kind >= 0 && kind < CHAT_KIND_COLOURS ? m_kindColours[kind] : kOtherSpeaker;
}

const char* CChatWindow::GetSavedHeadword(int32_t mode) const {
    return mode >= 0 && mode < CHAT_MODE_COUNT ? m_headwords[mode] : "";
}

void CChatWindow::SetSavedHeadword(int32_t mode, const char* text) {
    if (mode < 0 || mode >= CHAT_MODE_COUNT) return;
    std::memset(m_headwords[mode], 0, CHAT_HEADWORD_SIZE);
    CopyDbcsPrefix(text ? text : "", CHAT_HEADWORD_SIZE - 1, m_headwords[mode]);
}

void CChatWindow::SetLastHeadword(const char* text) {
    std::memset(m_lastHeadword, 0, sizeof m_lastHeadword);
    CopyDbcsPrefix(text ? text : "", CHAT_HEADWORD_SIZE - 1, m_lastHeadword);
}

void CChatWindow::SetVisibleLines(int32_t lines) {
    m_visibleLines = std::clamp(lines, CHAT_MIN_LINES, CHAT_MAX_LINES);
    SetPosition(m_x, m_y);
}

// ---- Links ----

void CChatWindow::LinkWindow(CBaseWindow* other) {
    if (auto* headword = dynamic_cast<CHeadwordWindow*>(other)) {
        m_headword.Assign(headword);
        headword->SetText(m_headwords[m_chatMode]);
    } else if (dynamic_cast<CChatInputWindow*>(other)) {
        m_input.Assign(other);
    }
}

// ---- Messages and lines ----

bool CChatWindow::ProcessMessages() {
    uint32_t sender = 0, eventId = 0;
    MsgDataPtr payload, parameter;
    while (GetPort()->PopFields(&sender, &eventId, &payload, &parameter)) {
        if (eventId != kMessageWinEventId) continue;
        if (auto* line = dynamic_cast<CChatLineMsg*>(payload.get()))
            AddMessage(line->m_kind, line->m_text, line->m_flags[0] != 0, line->m_flags[1]);
    }
    return true;
}

void CChatWindow::AddMessage(uint32_t kindOrSpeaker, const char* text, bool noName, uint8_t colourIndex) {
    if (!text || !text[0] || text[0] == '/') return;
    // The record's text is at most 255 bytes; a text without its end is cut there.
    char bounded[CChatLineMsg::TEXT_SIZE] = {};
    CopyDbcsPrefix(text, CChatLineMsg::TEXT_SIZE - 1, bounded);
    uint32_t kind = kindOrSpeaker;
    const bool server = g_config.m_useServer;
    if (server && kind == 1) kind = 0;
    std::string shown;
    uint32_t colour;
    CChar* speaker = nullptr;
    if (server && (kind <= 16 || kind == 23 || kind == 24)) {
        colour = kind <= 16 ? m_kindColours[kind] : kind == 23 ? kKind23Colour : kKind24Colour;
        if (kind == 3 && colourIndex >= 1 && colourIndex <= 14) colour = kIndexColours[colourIndex];
        shown = bounded;
    } else {
        if (!g_pCharMgr) return;
        speaker = noName ? g_pCharMgr->GetPlayer() : g_pCharMgr->GetChar(kind);
        if (!speaker) return;
        const bool own = speaker == g_pCharMgr->GetPlayer();
        colour = IsCharMarked(speaker) ? kMarkedSpeaker : own ? kOwnSpeaker : kOtherSpeaker;
        const char* name = speaker->GetInfo(nullptr);
        shown = noName ? std::string(bounded) : std::string(name ? name : "") + " : " + bounded;
    }
    for (const std::string& line :
         SplitChatText(shown, CHAT_SPLIT_WIDTH, SIZE_MAX, CChatLineMsg::TEXT_SIZE - 1))
        AddLine(line.c_str(), colour);
    if (speaker) {
        const char* name = speaker->GetInfo(nullptr);
        if (CCharController* controller = speaker->GetController())
            controller->ShowSpeech(noName || !name ? "" : name, bounded);
    }
    if (auto* memo = dynamic_cast<INameMemo*>(FindTopWindow("NAME_MEMO_WIN"))) memo->ScanUrls(bounded);
}

bool CChatWindow::AddLine(const char* text, uint32_t colour) {
    if (!text || !text[0]) return false;
    if (m_lineCount == CHAT_LINE_CAPACITY) {
        m_firstLine = (m_firstLine + 1) % CHAT_LINE_CAPACITY;
        --m_lineCount;
    }
    ChatLine& line = m_lines[(m_firstLine + m_lineCount) % CHAT_LINE_CAPACITY];
    ++m_lineCount;
    std::memset(line.text, 0, sizeof line.text);
    CopyDbcsPrefix(text, CHAT_LINE_TEXT, line.text);
    line.colour = colour;
    if (CScrollBar* bar = GetScrollBar()) {
        bar->SetMaximum(int32_t(m_lineCount) - m_visibleLines);
        bar->SetScrollPercent(100.0f);
    }
    WriteChatLog(line.text, colour);
    return true;
}

// ---- Modes ----

bool CChatWindow::IsModeOffered(int32_t mode) {
    if (mode == CHAT_MODE_CLUB) return IsClubChatAllowed();
    if (mode == CHAT_MODE_TEAM) {
        auto* team = dynamic_cast<ITeamChatState*>(FindTopWindow("TEAM_WINDOW"));
        return team && team->GetTeamState() == 1;
    }
    return true;
}

void CChatWindow::SetChatMode(int32_t mode) {
    if (mode < 0 || mode >= CHAT_MODE_COUNT) return;
    if (CHeadwordWindow* headword = GetHeadword()) SetSavedHeadword(m_chatMode, headword->GetCurrentText());
    m_chatMode = mode;
    for (int i = 0; i < CHAT_MODE_COUNT; ++i)
        if (CButton* icon = GetTypeIcon(i)) icon->Hide();
    if (CHeadwordWindow* headword = GetHeadword()) {
        headword->SetText(m_headwords[mode]);
        if (headword->IsFocused() && g_pEditMgr) g_pEditMgr->SetText(m_headwords[mode]);
    }
    m_iconsExpanded = 0;
    if (CButton* icon = GetTypeIcon(mode)) icon->Show();
    SetPosition(m_x, m_y);
}

void CChatWindow::ActivateField(bool input) {
    CBaseWindow* on = input ? static_cast<CBaseWindow*>(GetInput()) : GetHeadword();
    CBaseWindow* off = input ? static_cast<CBaseWindow*>(GetHeadword()) : GetInput();
    if (off) off->SetActive(false, false);
    if (on && !on->IsActiveFlag()) on->SetActive(true, false);
}

// ---- Placing ----

int32_t CChatWindow::HandleHeight() {
    CButton* handle = GetResizeHandle();
    return handle ? handle->GetHeight() : 0;
}

int32_t CChatWindow::HandleTop() {
    CButton* handle = GetResizeHandle();
    return handle ? handle->GetY() : m_y - CHAT_LINE_PITCH * m_visibleLines - 4;
}

void CChatWindow::PlaceIcons() {
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode) {
        CButton* icon = GetTypeIcon(mode);
        if (!icon) continue;
        if (!m_iconsExpanded) {
            if (mode == m_chatMode) icon->SetPosition(m_x + kIconX, m_y + kIconY);
        } else {
            icon->SetPosition(m_x + kIconX, m_y - mode * icon->GetHeight() + kIconY);
        }
    }
}

bool CChatWindow::SetPosition(int32_t x, int32_t y) {
    const CDisplaySettings& screen = GetDisplaySettings();
    x = std::max(x, 0);
    // The handle stays on the screen.
    if (CButton* handle = GetResizeHandle()) y = std::max(y, m_y - handle->GetY());
    x = std::min(x, screen.screenWidth - BarWidth());
    y = std::min(y, screen.screenHeight - BarHeight());
    CBaseWindow::SetPosition(x, y);
    PlaceIcons();
    const int32_t top = y - CHAT_LINE_PITCH * m_visibleLines - HandleHeight();
    if (CScrollBar* bar = GetScrollBar()) bar->SetBarRect(x + kScrollLeft, top + 2, x + kScrollRight, y);
    if (CButton* handle = GetResizeHandle()) handle->SetPosition(x, top - 4);
    const std::pair<CButton*, int32_t> buttons[] = {{GetEmoticonButton(), kEmoticonX},
                                                    {GetOneToOneButton(), kOneToOneX},
                                                    {GetMessengerButton(), kMessengerX},
                                                    {GetMacroButton(), kMacroX},
                                                    {GetMemoButton(), kMemoX}};
    for (const auto& [button, offset] : buttons)
        if (button) button->SetPosition(x + offset, y + kButtonY);
    if (CChatInputWindow* input = GetInput()) input->SetPosition(x, y);
    if (CHeadwordWindow* headword = GetHeadword()) headword->SetPosition(x, y);
    if (auto* ticker = m_ticker.GetAs<CBaseWindow>()) ticker->SetPosition(x, top - kTickerAbove);
    return true;
}

int32_t CChatWindow::BarWidth() {
    return m_pAniObject ? m_pAniObject->GetWidth() : CHAT_BAR_WIDTH;
}

int32_t CChatWindow::BarHeight() {
    return m_pAniObject ? m_pAniObject->GetHeight() : CHAT_BAR_HEIGHT;
}

bool CChatWindow::UpdateRect() {
    m_rect = WindowRect{m_x, HandleTop(), m_x + BarWidth(), m_y + BarHeight()};
    return true;
}

// ---- Input ----

bool CChatWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseDown(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y) || !m_acceptsMouse) {
        SetActive(false, false);
        return true;
    }
    CBaseWindow::OnMouseDown(button, x, y, nullptr);
    ActivateField(x > m_x + CHAT_INPUT_SPLIT_X);
    return false;
}

bool CChatWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (button != 0 || !control->IsUpdateOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode) {
        if (control != GetTypeIcon(mode)) continue;
        if (!m_iconsExpanded) {
            m_iconsExpanded = 1;
            for (int i = 0; i < CHAT_MODE_COUNT; ++i) {
                CButton* icon = GetTypeIcon(i);
                if (!icon) continue;
                icon->Show();
                if (!IsModeOffered(i)) Disable(icon);
            }
            SetPosition(m_x, m_y);
        } else {
            SetChatMode(mode);
            CHeadwordWindow* headword = GetHeadword();
            ActivateField(!(mode == CHAT_MODE_WHISPER && headword && !headword->GetCurrentText()[0]));
        }
        return false;
    }
    if (control == GetMemoButton()) {
        if (CBaseWindow* memo = FindTopWindow("NAME_MEMO_WIN")) {
            memo->Show();
            memo->SetActive(true, false);
        }
    } else if (control == GetEmoticonButton()) {
        if (CBaseWindow* emoticons = FindTopWindow("EmoticonWindow")) {
            if (emoticons->IsVisibleInTree()) {
                emoticons->SetActive(true, false);
            } else {
                emoticons->Show();
                emoticons->SetPosition(250, 150);
            }
        }
    } else if (control == GetMessengerButton()) {
        if (CBaseWindow* messenger = FindTopWindow("QMMessengerWindow")) {
            if (messenger->IsVisibleInTree()) {
                messenger->Hide();
            } else {
                messenger->Show();
                messenger->SetActive(true, false);
            }
        }
    } else if (control == GetMacroButton()) {
        if (CBaseWindow* macros = FindTopWindow("ChatMacroWindow")) macros->Open();
    } else if (control != GetOneToOneButton()) {
        return control->OnControlEvent(button, x, y, nullptr);
    }
    return false;
}

bool CChatWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    CButton* handle = GetResizeHandle();
    if (!control || control != handle) return CBaseWindow::OnMouseMove(button, x, y, control);
    CBaseWindow* held = GetPinnedWindow(WindowCursor());
    if (held && held != handle) return true;
    const bool pass = handle->OnMouseMove(button, x, y, nullptr);
    const int32_t lines = (HandleHeight() + m_y - handle->GetY()) / CHAT_LINE_PITCH - 1;
    if (lines < CHAT_MIN_LINES) {
        m_visibleLines = CHAT_MIN_LINES;
        SetPosition(m_x, m_y);
    } else if (lines > CHAT_MAX_LINES - 1) {
        m_visibleLines = CHAT_MAX_LINES;
        SetPosition(m_x, m_y);
    } else {
        m_visibleLines = lines;
    }
    const int32_t top = handle->GetY();
    if (auto* ticker = m_ticker.GetAs<CBaseWindow>()) ticker->SetPosition(m_x, top - 28);
    if (CScrollBar* bar = GetScrollBar())
        bar->SetBarRect(m_x + kScrollLeft, top + HandleHeight(), m_x + kScrollRight, m_y);
    return pass;
}

bool CChatWindow::SetActive(bool active, bool keepOrder) {
    (void)keepOrder;
    m_active = active;
    return true;
}

// ---- Frame ----

bool CChatWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (m_iconsExpanded)
        for (int32_t mode : {CHAT_MODE_CLUB, CHAT_MODE_TEAM}) {
            CButton* icon = GetTypeIcon(mode);
            if (!icon) continue;
            if (IsModeOffered(mode))
                icon->Show();
            else
                Disable(icon);
        }
    const int32_t lines = int32_t(m_lineCount), visible = m_visibleLines;
    CScrollBar* bar = GetScrollBar();
    if (lines > visible) {
        const float percent = bar ? bar->GetScrollPercent() : 100.0f;
        const int32_t first =
            int32_t(float(lines) - (1.0f - percent * 0.01f) * float(lines - visible) - float(visible));
        m_firstShown = std::max(first, 0);
    } else {
        m_firstShown = 0;
    }
    if (bar) bar->SetMaximum(lines - visible);
    const uint32_t now = plat::timeGetTime();
    if (m_blinkCount > 0 && now - m_blinkTime > CHAT_MEMO_BLINK_MS) {
        m_blinkTime = now;
        m_blinkOn = m_blinkOn ? 0 : 1;
        if (!m_blinkOn) --m_blinkCount;
    }
    if (!m_pending.empty() && now - m_pendingTime > CHAT_PENDING_STEP_MS) {
        m_pendingTime = now;
        const std::string line = m_pending.front();
        m_pending.pop_front();
        ShowMessageWinF(3, CHAT_TOPIC_LINE, line.c_str());
        if (auto* input = dynamic_cast<CChatInputWindow*>(FindTopWindow(CHAT_INPUT_NAME)))
            input->SubmitLine(line.c_str());
    }
    return true;
}

void CChatWindow::QueuePendingLine(const std::string& line) {
    m_pending.push_back(line);
}

void CChatWindow::StartPendingLines() {
    m_pendingTime = plat::timeGetTime();
}

void CChatWindow::StartMemoBlink() {
    m_blinkTime = plat::timeGetTime();
    m_blinkCount = 3;
    m_blinkOn = 1;
}

void CChatWindow::GetMemoButtonPosition(float* x, float* y) {
    CButton* memo = GetMemoButton();
    float cx = 0, cy = 0;
    if (memo) {
        cx = float(memo->GetX() + memo->GetWidth() / 2);
        cy = float(memo->GetY() + memo->GetHeight() / 2);
    }
    if (x) *x = cx;
    if (y) *y = cy;
}

// ---- Drawing ----

void CChatWindow::DrawLines() {
    if (!g_pTextRenderer || !g_pDirectDraw) return;
    CButton* handle = GetResizeHandle();
    int32_t y = (handle ? handle->GetY() + handle->GetHeight() : HandleTop()) + 4;
    const size_t count = std::min(size_t(std::max(m_visibleLines, 0)), m_lineCount);
    for (size_t i = size_t(std::max(m_firstShown, 0)), drawn = 0; i < m_lineCount && drawn < count;
         ++i, ++drawn) {
        const ChatLine& line = Line(i);
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_x + kLineX, y, line.text, 0,
                                    line.colour, kTextStyleShadow, true);
        y += CHAT_LINE_PITCH;
    }
}

bool CChatWindow::Draw() {
    const int32_t width = BarWidth();
    const int32_t top = HandleTop() + 6;
    if (g_pDirect3D) {
        if (top < m_y) g_pDirect3D->FillRect(m_x, top, m_x + width, m_y, kShade);
        if (top < m_y) g_pDirect3D->FillRect(m_x + kShadeColumn, top, m_x + width, m_y, kShade);
    }
    CButton* memo = GetMemoButton();
    const bool lit = memo && IsMemoHighlighted() && memo->GetState() == BUTTON_NORMAL;
    if (lit) memo->SetState(BUTTON_HOVER);
    // The icons are drawn over the lines.
    bool iconDrawn[CHAT_MODE_COUNT] = {};
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode)
        if (CButton* icon = GetTypeIcon(mode)) {
            iconDrawn[mode] = icon->IsDrawOn();
            icon->SetDrawOn(false);
        }
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (lit && memo) memo->SetState(BUTTON_NORMAL);
    DrawLines();
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode)
        if (CButton* icon = GetTypeIcon(mode)) {
            icon->SetDrawOn(iconDrawn[mode]);
            if (iconDrawn[mode]) icon->Draw();
        }
    if (CChatInputWindow* input = GetInput()) input->Draw();
    if (CHeadwordWindow* headword = GetHeadword()) headword->Draw();
    return true;
}

// ---- Settings ----

bool CChatWindow::SaveSettings(CLayoutWriter* writer) {
    const CDisplaySettings& screen = GetDisplaySettings();
    char key[64];
    WriteLayoutFloat("RenderEnable", IsDrawOn() ? 1.0f : 0.0f, writer);
    WriteLayoutFloat("MaxLine", float(m_visibleLines), writer);
    std::snprintf(key, sizeof key, "WindowPositionX[%dx%d]", screen.screenWidth, screen.screenHeight);
    WriteLayoutFloat(key, float(m_x), writer);
    std::snprintf(key, sizeof key, "WindowPositionY[%dx%d]", screen.screenWidth, screen.screenHeight);
    WriteLayoutFloat(key, float(m_y), writer);
    return true;
}

bool CChatWindow::LoadSettings() {
    const CDisplaySettings& screen = GetDisplaySettings();
    CLayoutReader reader(LAYOUT_FILE_NAME);
    char key[64];
    const bool shown = ReadLayoutFloat("RenderEnable", &reader, 1.0f) != 0.0f;
    int32_t lines = int32_t(ReadLayoutFloat("MaxLine", &reader, float(CHAT_MIN_LINES)));
    std::snprintf(key, sizeof key, "WindowPositionX[%dx%d]", screen.screenWidth, screen.screenHeight);
    const int32_t x =
        int32_t(ReadLayoutFloat(key, &reader, float(screen.screenWidth / 2 - BarWidth() / 2 + 3)));
    std::snprintf(key, sizeof key, "WindowPositionY[%dx%d]", screen.screenWidth, screen.screenHeight);
    const int32_t y = int32_t(ReadLayoutFloat(key, &reader, float(screen.screenHeight - BarHeight())));
    // Out of the range the window can show: the default.
    if (lines > CHAT_MAX_LINES - 1 || lines < CHAT_MIN_LINES) lines = CHAT_MIN_LINES;
    m_visibleLines = lines;
    SetPosition(x, y);
    if (shown)
        Show();
    else
        Hide();
    return true;
}

// ---- The sink ----

void CChatWindowSink::Deliver(std::unique_ptr<CChatLineMsg> record) {
    CBaseWindow* chat = FindTopWindow(CHAT_WINDOW_NAME);
    if (!chat || !record) return;
    PostMessageTo(0, chat, 0, kMessageWinEventId, std::move(record), nullptr);
}
