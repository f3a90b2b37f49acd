#include "windows/community/chat_log_list.h"

#include <algorithm>
#include <cstring>

#include "core/message.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "platform/paths.h"
#include "windows/community/chat_log_files.h"
#include "windows/community/community_draw.h"
#include "windows/community/one_to_one_chat_window.h"
#include "windows/community/one_to_one_option_window.h"

namespace {

bool Empty(const char* text) {
    return !text || !*text;
}

bool IsShown(const C1V1ChatWin* w) {
    return w && w->IsOpen();
}

}  // namespace

CChatLogList::CChatLogList() {
    Load();
}

CChatLogList::~CChatLogList() {
    Save();
    for (CWeakRef& ref : m_chatWins)
        if (auto* w = ref.GetAs<C1V1ChatWin>()) w->SetChatLogList(nullptr);
    if (auto* options = m_optionWin.GetAs<C1V1OptionWin>()) options->SetChatLogList(nullptr);
}

void CChatLogList::LinkWindow(CBaseWindow* window) {
    if (auto* chat = dynamic_cast<C1V1ChatWin*>(window)) {
        if (m_linkedChatWins >= ONE_TO_ONE_WINDOWS) return;
        m_chatWins[m_linkedChatWins++].Assign(chat);
        chat->SetChatLogList(this);
    } else if (auto* options = dynamic_cast<C1V1OptionWin*>(window)) {
        m_optionWin.Assign(options);
        options->SetChatLogList(this);
    }
}

C1V1ChatWin* CChatLogList::GetChatWin(int32_t slot) const {
    return slot >= 0 && slot < ONE_TO_ONE_WINDOWS ? m_chatWins[slot].GetAs<C1V1ChatWin>() : nullptr;
}

C1V1OptionWin* CChatLogList::GetOptionWin() const {
    return m_optionWin.GetAs<C1V1OptionWin>();
}

bool CChatLogList::Load() {
    m_refuseAll = 0;
    CopyRecordText(m_ownerName, PlayerIdentityName());
    ReadChatLogList();
    return true;
}

bool CChatLogList::Save() {
    const bool written = WriteChatLogList();
    m_loggedNames.clear();
    return written;
}

bool CChatLogList::ReadChatLogList() {
    m_loggedNames.clear();
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(CHAT_LOG_LIST_FILE, bytes)) return false;
    ParseChatLogList(bytes.data(), bytes.size(), m_ownerName, &m_loggedNames);
    return true;
}

bool CChatLogList::WriteChatLogList() {
    const std::vector<uint8_t> bytes = BuildChatLogList(m_ownerName, m_loggedNames);
    return plat::WriteFileAtomic(CHAT_LOG_LIST_FILE, bytes.data(), bytes.size());
}

int32_t CChatLogList::CountShown() const {
    int32_t shown = 0;
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i) shown += IsShown(GetChatWin(i));
    return shown;
}

bool CChatLogList::OnCommand(int32_t code, const char* name) {
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (!GetChatWin(i)) return false;
    if (!Empty(name)) {
        // A longer name than a character's matches no window and opens none.
        if (std::strlen(name) > 16) return false;
        if (IsWindowOpenForName(name)) {
            RaiseWindowByName(name);
            return false;
        }
        if (code == 6 && SameText(name, PlayerCharName())) return false;
    }
    if (CountShown() >= ONE_TO_ONE_WINDOWS) {
        if (Empty(name) || code == 6) ShowCommunityOkBox(GetTableText(14, ONE_TO_ONE_ALL_OPEN_ROW));
        return true;
    }
    if (code == 6) code = 2;
    int32_t docked = 0;
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i) {
        C1V1ChatWin* w = GetChatWin(i);
        if (IsShown(w) && (w->GetDisplayState() == CHAT_BAR || w->GetDisplayState() == CHAT_SLIDING_IN ||
                           w->GetDisplayState() == CHAT_SHIFTING || w->GetDisplayState() == CHAT_SHRINKING))
            ++docked;
    }
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); !IsShown(w)) {
            w->Open(docked, code, name);
            return true;
        }
    return true;
}

bool CChatLogList::OnServerChat(const char* name, uint8_t kind, const char* text) {
    if (kind > 3 || Empty(name)) return true;
    C1V1ChatWin* target = nullptr;
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS && !target; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); IsShown(w) && SameText(w->GetPartner(), name)) target = w;
    if (target) {
        target->OnChatReply(name, kind, text);
        return true;
    }
    if (kind != 3) return true;
    if (CountShown() >= ONE_TO_ONE_WINDOWS) {
        GameSession().SendChatToName(name, GetTableText(14, ONE_TO_ONE_BUSY_REPLY_ROW), 19);
        return true;
    }
    OnCommand(1, name);
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); IsShown(w) && SameText(w->GetPartner(), name)) {
            w->OnChatReply(name, kind, text);
            break;
        }
    return true;
}

bool CChatLogList::IsChatLogged(const char* name) const {
    return name && std::find(m_loggedNames.begin(), m_loggedNames.end(), name) != m_loggedNames.end();
}

void CChatLogList::ShowLogging(const char* name, bool on) {
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); IsShown(w) && (!name || SameText(w->GetPartner(), name)))
            on ? w->SetLogImageOn() : w->SetLogImageOff();
}

bool CChatLogList::AddLoggedName(const char* name) {
    if (Empty(name)) return false;
    char copy[CHAT_LOG_NAME_SIZE] = {};
    CopyRecordText(copy, name);
    m_loggedNames.emplace_back(copy);
    ShowLogging(copy, true);
    return true;
}

bool CChatLogList::RemoveLoggedName(const char* name) {
    auto it = name ? std::find(m_loggedNames.begin(), m_loggedNames.end(), name) : m_loggedNames.end();
    if (it == m_loggedNames.end()) return false;
    m_loggedNames.erase(it);
    ShowLogging(name, false);
    return true;
}

void CChatLogList::ClearLoggedNames() {
    m_loggedNames.clear();
    ShowLogging(nullptr, false);
}

bool CChatLogList::WriteMessengerLog(const char* partner, const char* text, bool own) {
    if (!IsChatLogged(partner) || !HasPlayerChar()) return false;
    AppendMessengerLog(partner, own ? PlayerCharName() : partner, text, own);
    return true;
}

bool CChatLogList::IsWindowOpenForName(const char* name) const {
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); IsShown(w) && SameText(w->GetPartner(), name)) return true;
    return false;
}

bool CChatLogList::IsNameOpenElsewhere(const char* name) const {
    if (Empty(name)) return false;
    int32_t holding = 0;
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i)
        if (C1V1ChatWin* w = GetChatWin(i); IsShown(w) && SameText(w->GetTypedPartner(), name)) ++holding;
    return holding >= 2;
}

void CChatLogList::RaiseWindowByName(const char* name) {
    for (int32_t i = 0; i < ONE_TO_ONE_WINDOWS; ++i) {
        C1V1ChatWin* w = GetChatWin(i);
        if (!IsShown(w) || !(SameText(w->GetTypedPartner(), name) || SameText(w->GetPartner(), name)))
            continue;
        if (w->GetDisplayState() == CHAT_OPEN) {
            w->SetActive(true, false);
            w->FocusTalkEdit();
        } else if (w->GetDisplayState() == CHAT_BAR) {
            w->Undock();
        }
    }
}
