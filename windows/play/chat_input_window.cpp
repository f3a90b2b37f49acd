#include "windows/play/chat_input_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/edit_mgr.h"
#include "ui/game_scene_windows.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/chat_text.h"
#include "windows/play/chat_window.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr uint8_t kInputMotion = 1, kHeadwordMotion = 2;
// Offsets from the chat window's corner.
constexpr int32_t kInputImageX = 137, kInputTextX = 140, kInputRight = 417;
constexpr int32_t kHeadwordImageX = 27, kHeadwordTextX = 30;
constexpr int32_t kImageY = 5, kTextY = 9, kFieldBottom = 24;
constexpr int32_t kInputWidth = 280, kHeadwordWidth = 105, kFieldHeight = 19;
constexpr uint32_t kWhite = 0xFFFFFF;
// Club chat: the member's permission to talk in the club.
constexpr int32_t kClubChatCategory = 9, kClubChatAction = 4;
// Whispers and team lines (request 25), normal lines on a kind-5 map.
constexpr uint8_t kWhisperKind = 0, kTeamKind = 11, kMapChannel = 2;
constexpr uint8_t kChatKindLine = 0, kChatKindRefused = 3;
constexpr size_t kCommandArgSize = 256;

CChar* Player() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

IClubChat* ClubChat() {
    return g_pWindowMgr ? dynamic_cast<IClubChat*>(g_pWindowMgr->FindWindowByName("Club_BaseWindow"))
                        : nullptr;
}

}  // namespace

bool IsClubChatAllowed() {
    IClubChat* club = ClubChat();
    return club && club->IsActionAllowed(kClubChatCategory, kClubChatAction);
}

// ---- CChatInputWindow ----

CChatInputWindow::CChatInputWindow() {
    CChatInputWindow::Create();
}

CChatInputWindow::~CChatInputWindow() {
    CChatInputWindow::Release();
}

bool CChatInputWindow::Create() {
    CEditBox::Create();
    SetName(CHAT_INPUT_NAME);
    SetKindId(0);
    m_acceptsMouse = 1;
    // Windows come and go while the player types (a character leaving the
    // view closes its bubble): their renumbering must not take the field's
    // keyboard.
    m_fixedOrder = 1;
    MakeBackground(kInputMotion);
    SetMaxLength(CHAT_INPUT_MAX);
    SetOwnColour();
    m_historyIndex = 0;
    std::memset(m_history, 0, sizeof m_history);
    m_lastSendTime = 0;
    std::memset(m_lastLine, 0, sizeof m_lastLine);
    m_submitCount = m_repeatCount = 0;
    std::memset(m_sendTimes, 0, sizeof m_sendTimes);
    return true;
}

bool CChatInputWindow::Release() {
    m_background.reset();
    return CEditBox::Release();
}

void CChatInputWindow::MakeBackground(uint8_t motion) {
    m_background = MakeWindowImage(FindAniByName(CHAT_WINDOW_IMAGE), motion, 2);
}

void CChatInputWindow::SetOwnColour() {
    CChar* player = Player();
    if (!player) return;
    SetTextColor(IsCharMarked(player) ? ChatRgb(255, 255, 0) : ChatRgb(200, 255, 200));
}

void CChatInputWindow::LinkWindow(CBaseWindow* other) {
    if (dynamic_cast<CChatWindow*>(other)) m_chatWindow.Assign(other);
}

CChatWindow* CChatInputWindow::GetChatWindow() const {
    return m_chatWindow.GetAs<CChatWindow>();
}

const char* CChatInputWindow::HistoryEntry(int i) const {
    return i >= 0 && i < CHAT_HISTORY ? m_history[i] : "";
}

bool CChatInputWindow::Show() {
    CEditBox::Show();
    SetDrawOn(false);
    return true;
}

bool CChatInputWindow::Draw() {
    CChatWindow* chat = GetChatWindow();
    if (chat && !chat->IsDrawOn()) {
        Hide();
        return true;
    }
    if (!m_active) return true;
    if (m_background) m_background->Draw();
    return CEditBox::Draw();
}

bool CChatInputWindow::UpdateRect() {
    m_rect = WindowRect{m_x, m_y, m_x + kInputWidth, m_y + kFieldHeight};
    return true;
}

bool CChatInputWindow::SetActive(bool active, bool keepOrder) {
    if ((m_active != 0) == active) return true;
    if (active) {
        Show();
        return CEditBox::SetActive(true, keepOrder);
    }
    CEditBox::SetActive(false, keepOrder);
    Hide();
    return true;
}

bool CChatInputWindow::SetPosition(int32_t x, int32_t y) {
    CChatWindow* chat = GetChatWindow();
    if (!chat) return CEditBox::SetPosition(x, y + 4);
    const int32_t mx = chat->GetX(), my = chat->GetY();
    if (m_background) m_background->SetScreenPosition(mx + kInputImageX, my + kImageY, 0);
    SetInputRect(true, mx + kInputTextX, my + kImageY, mx + kInputRight, my + kFieldBottom);
    return CEditBox::SetPosition(mx + kInputTextX, my + kTextY);
}

void CChatInputWindow::ClearField() {
    if (IsFocused() && g_pEditMgr) g_pEditMgr->ClearText();
    CStaticText::SetText("");
}

void CChatInputWindow::StepHistory(int step) {
    int index = m_historyIndex;
    for (int n = 0; n < CHAT_HISTORY; ++n) {
        index = (index + step + CHAT_HISTORY) % CHAT_HISTORY;
        if (m_history[index][0]) {
            m_historyIndex = index;
            if (IsFocused() && g_pEditMgr) g_pEditMgr->SetText(m_history[index]);
            CStaticText::SetText(m_history[index]);
            return;
        }
    }
}

bool CChatInputWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    if (!m_active) return true;
    switch (key) {
        case plat::VK_UP:
            StepHistory(1);
            return false;
        case plat::VK_DOWN:
            StepHistory(-1);
            return false;
        case plat::VK_TAB:
            SetActive(false, false);
            if (CChatWindow* chat = GetChatWindow())
                if (CBaseWindow* headword = chat->GetHeadword()) headword->SetActive(true, false);
            return false;
        case plat::VK_RETURN: {
            const std::string line = GetCurrentText();
            SubmitLine(line.c_str());
            return false;
        }
        case plat::VK_ESCAPE:
            SetActive(false, false);
            return false;
        default:
            return true;
    }
}

int32_t CChatInputWindow::ParseChatPrefix(const char* line) {
    if (!line || !*line) return CHAT_PREFIX_NONE;
    int32_t mode;
    switch (line[0]) {
        case '~':
            mode = CHAT_MODE_NORMAL;
            break;
        case '!':
            mode = CHAT_MODE_TEAM;
            break;
        case '#':
            if (!IsClubChatAllowed()) return CHAT_PREFIX_NONE;
            mode = CHAT_MODE_CLUB;
            break;
        default:
            return CHAT_PREFIX_NONE;
    }
    if (line[1] != '\0') return mode;
    if (CChatWindow* chat = GetChatWindow()) chat->SetChatMode(mode);
    return CHAT_PREFIX_ALONE;
}

void CChatInputWindow::Refuse(int row, bool tellServer) {
    ShowMessageWinF(3, "%s", GetTableText(14, row));
    if (tellServer) GameSession().SendChat(kChatKindRefused, nullptr);
    ClearField();
    SetActive(false, false);
}

void CChatInputWindow::SubmitLine(const char* text) {
    char cut[CHAT_HISTORY_TEXT] = {};
    CopyDbcsPrefix(text ? text : "", CHAT_HISTORY_TEXT - 1, cut);
    std::string line = cut;
    CChatWindow* chat = GetChatWindow();
    int32_t mode = chat ? chat->GetChatMode() : CHAT_MODE_NORMAL;
    const int32_t prefix = ParseChatPrefix(line.c_str());
    if (prefix == CHAT_PREFIX_ALONE) {
        ClearField();
        return;
    }
    if (prefix >= 0) {
        mode = prefix;
        line.erase(0, 1);
    }
    CChar* player = Player();
    if (!g_config.m_useServer) {
        if (!line.empty() && line[0] == '/') {
            RunChatTextFile(line.c_str());
            ClearField();
            return;
        }
        if (chat && player && !line.empty()) chat->AddMessage(player->GetCharId(), line.c_str(), false, 0);
    } else {
        const uint32_t now = plat::timeGetTime();
        m_repeatCount = line == m_lastLine ? m_repeatCount + 1 : 0;
        m_lastSendTime = now;
        CopyDbcsPrefix(line.c_str(), CHAT_HISTORY_TEXT - 1, m_lastLine);
        if (!line.empty()) {
            CCharController* controller = player ? player->GetController() : nullptr;
            if (controller && !controller->CanChat()) {
                const CCharData* data = controller->Data();
                const int64_t end = data ? int64_t(data->m_chatBlockStart) + data->m_chatBlockLength : 0;
                const int64_t left = std::max<int64_t>(end - int64_t(now), 0);
                const int64_t minutes = left / 60000;
                ShowMessageWinF(3, "%s %d%s %d%s", GetTableText(14, CHAT_ROW_BANNED), int(minutes),
                                GetTableText(0, 4), int((left - minutes * 60000) / 1000), GetTableText(0, 5));
                ClearField();
                SetActive(false, false);
                return;
            }
            if (m_submitCount < uint32_t(CHAT_FLOOD_LINES)) {
                m_sendTimes[m_submitCount] = now;
            } else {
                std::copy(m_sendTimes + 1, m_sendTimes + CHAT_FLOOD_LINES, m_sendTimes);
                m_sendTimes[CHAT_FLOOD_LINES - 1] = now;
            }
            ++m_submitCount;
            if (m_submitCount >= uint32_t(CHAT_FLOOD_LINES) && now - m_sendTimes[0] <= CHAT_FLOOD_MS) {
                Refuse(CHAT_ROW_FLOOD, true);
                return;
            }
            if (m_repeatCount >= 3) {
                const int64_t slot =
                    m_submitCount < uint32_t(CHAT_FLOOD_LINES) ? int64_t(m_submitCount) - 4 : 4;
                if (slot >= 0 && now - m_sendTimes[slot] <= CHAT_FLOOD_MS) {
                    Refuse(CHAT_ROW_REPEAT, true);
                    return;
                }
            }
            if (line[0] == '/') {
                SubmitSlashLine(line.c_str());
                ClearField();
                return;
            }
            SendInMode(mode, line.c_str());
        }
    }
    ClearField();
    if (line.empty()) {
        SetActive(false, false);
        return;
    }
    std::memmove(m_history[1], m_history[0], sizeof m_history[0] * (CHAT_HISTORY - 1));
    std::memset(m_history[0], 0, sizeof m_history[0]);
    CopyDbcsPrefix(line.c_str(), CHAT_HISTORY_TEXT - 1, m_history[0]);
    m_historyIndex = 0;
}

void CChatInputWindow::SubmitSlashLine(const char* line) {
    CChar* player = Player();
    const int32_t emoticon = g_pCharMgr ? g_pCharMgr->FindEmoticonByText(line + 1) : -1;
    if (emoticon >= 0) {
        if (player && g_pCharMgr->CanUseEmoticon(player, uint32_t(emoticon)))
            GameSession().SendEmoticon(uint8_t(emoticon));
        return;
    }
    if (player && IsChatCommand(line)) {
        switch (GetChatCommandKind(line)) {
            case 1:
                GameSession().SendChatCommand(1, nullptr, player->GetCharId());
                break;
            case 0: {
                char argument[kCommandArgSize] = {};
                CopyDbcsPrefix(line + GetChatCommandArgOffset(line), kCommandArgSize - 1, argument);
                GameSession().SendChatCommand(0, argument, player->GetCharId());
                break;
            }
            default:
                // A word run on into other characters: nothing goes out.
                GameSession().SendChatCommand(3, nullptr, player->GetCharId());
                break;
        }
        return;
    }
    GameSession().SendChat(kChatKindLine, line);
    RunChatTextFile(line);
}

void CChatInputWindow::SendInMode(int32_t mode, const char* line) {
    CChatWindow* chat = GetChatWindow();
    CEditBox* headwordBox = chat ? chat->GetHeadword() : nullptr;
    const std::string headword = headwordBox ? headwordBox->GetCurrentText() : "";
    const std::string tagged = headword.empty() ? std::string(line) : "[" + headword + "]" + line;
    switch (mode) {
        case CHAT_MODE_NORMAL:
            if (chat) chat->SetLastHeadword(headword.c_str());
            if (g_pMap && g_pMap->IsMapKind5())
                GameSession().SendChannelChat(kMapChannel, tagged.c_str());
            else
                GameSession().SendChat(kChatKindLine, tagged.c_str());
            break;
        case CHAT_MODE_TEAM:
            if (chat) chat->SetLastHeadword(headword.c_str());
            GameSession().SendChatToName("", tagged.c_str(), kTeamKind);
            break;
        case CHAT_MODE_WHISPER:
            if (chat) chat->SetSavedHeadword(CHAT_MODE_WHISPER, headword.c_str());
            GameSession().SendChatToName(headword.c_str(), line, kWhisperKind);
            break;
        case CHAT_MODE_CLUB:
            if (chat && !headword.empty()) chat->SetSavedHeadword(CHAT_MODE_WHISPER, headword.c_str());
            if (chat) chat->SetLastHeadword(headword.c_str());
            if (IClubChat* club = ClubChat()) club->SendClubChat(line);
            break;
        default:
            if (chat && !headword.empty()) chat->SetSavedHeadword(CHAT_MODE_WHISPER, headword.c_str());
            break;
    }
}

// ---- CHeadwordWindow ----

CHeadwordWindow::CHeadwordWindow() {
    CHeadwordWindow::Create();
}

bool CHeadwordWindow::Create() {
    CChatInputWindow::Create();
    SetName(HEADWORD_NAME);
    MakeBackground(kHeadwordMotion);
    SetMaxLength(HEADWORD_MAX);
    return true;
}

bool CHeadwordWindow::Update() {
    CWeakRef self(this);
    CChatInputWindow::Update();
    if (!self || !m_active) return true;
    UpdateRect();
    if (!HitTest(WindowMouseX(), WindowMouseY())) return true;
    if (ICursorObject* cursor = WindowCursor())
        cursor->SetText(GetTableText(14, CHAT_ROW_HEADWORD_HINT), kWhite);
    return true;
}

bool CHeadwordWindow::UpdateRect() {
    m_rect = WindowRect{m_x, m_y, m_x + kHeadwordWidth, m_y + kFieldHeight};
    return true;
}

bool CHeadwordWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    if (!m_active) return true;
    switch (key) {
        case plat::VK_TAB:
            SetActive(false, false);
            if (CChatWindow* chat = GetChatWindow())
                if (CBaseWindow* input = chat->GetInput()) input->SetActive(true, false);
            return false;
        case plat::VK_RETURN:
            if (g_pEditMgr && IsFocused()) g_pEditMgr->ClearText();
            SetActive(false, false);
            return false;
        case plat::VK_ESCAPE:
            SetActive(false, false);
            return false;
        default:
            return true;
    }
}

bool CHeadwordWindow::SetPosition(int32_t x, int32_t y) {
    CChatWindow* chat = GetChatWindow();
    if (!chat) return CEditBox::SetPosition(x, y);
    const int32_t mx = chat->GetX(), my = chat->GetY();
    if (m_background) m_background->SetScreenPosition(mx + kHeadwordImageX, my + kImageY, 0);
    return CEditBox::SetPosition(mx + kHeadwordTextX, my + kTextY);
}

// ---- The chat text file runner ----

void RunChatTextFile(const char* line) {
    if (!line) return;
    char word[CHAT_HISTORY_TEXT] = {};
    FirstWord(line, word, sizeof word);
    if (std::strcmp(word, "/SHOWFPS") == 0) g_showFrameRate = g_showFrameRate ? 0 : 1;
    if (word[0] != '/' || word[1] != '.') return;
    std::string query = line + 2;
    bool listOnly = false;
    if (!query.empty() && query.back() == '?') {
        query.pop_back();
        listOnly = true;
    }
    std::vector<ChatTopic> topics;
    if (!ReadChatTopicFile(CHAT_TOPIC_FILE, topics)) return;
    std::vector<size_t> chosen;
    const long number =
        !query.empty() && query[0] >= '0' && query[0] <= '9' ? std::strtol(query.c_str(), nullptr, 10) : -1;
    if (number >= 0 && size_t(number) < topics.size()) {
        chosen.push_back(size_t(number));
    } else {
        for (size_t i = 0; i < topics.size(); ++i)
            if (topics[i].title.find(query) != std::string::npos) chosen.push_back(i);
        ShowMessageWinF(3, CHAT_TOPIC_HEADER, query.c_str());
        for (size_t i : chosen) ShowMessageWinF(3, "%d: %s", int(i), topics[i].title.c_str());
    }
    if (chosen.size() != 1 || listOnly || !g_pWindowMgr) return;
    auto* chat = dynamic_cast<CChatWindow*>(g_pWindowMgr->FindWindowByName(CHAT_WINDOW_NAME));
    if (!chat) return;
    chat->StartPendingLines();
    for (const std::string& body : SplitChatTextLines(topics[chosen[0]].body)) chat->QueuePendingLine(body);
}
